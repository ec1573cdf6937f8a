// The graph window as a user drives it: hand-overs from the main window,
// the mouse read-out, dragging, the move step, export to a file and to the
// clipboard, and the translated texts.
#include "tools/fFunctionGraph.h"

#include "core/Analyzator.h"
#include "shell/uGUIManager.h"
#include "shell/uProgramTranslator.h"
#include "shell/uUpDown.h"
#include "tests/support/EngineState.h"
#include "tests/support/MainWindowDriver.h"
#include "tests/support/ModalHelper.h"
#include "tests/support/TempProgramDir.h"
#include "tools/uToolWindows.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QGroupBox>
#include <QImageReader>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

int Evaluations = 0;

quint8 CountingEvaluator(const QString &Prepared, const QString &Name, Extended X, Extended &Y)
{
    ++Evaluations;
    return EvaluatePreparedAt(Prepared, Name, X, Y);
}

void Press(QWidget *W, QPoint At, QEvent::Type Type, Qt::MouseButtons Buttons)
{
    QMouseEvent event(Type, QPointF(At), W->mapToGlobal(QPointF(At)),
                      Type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Buttons, Qt::NoModifier);
    QApplication::sendEvent(W, &event);
}

class GraphWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetEngineState();
        Window = new TFunctionGraphFrm();
        Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window));
        Picture = Window->findChild<QWidget *>("graphImg");
        ASSERT_TRUE(Picture);
    }
    void TearDown() override
    {
        delete Window;
        ResetEngineState();
    }

    QPushButton *Button(const char *Name) const { return Window->findChild<QPushButton *>(Name); }
    TFunctionGraph *Graph() const { return Window->Graph(); }
    // The picture column of world x and the row of world y.
    QPoint PixelOf(Extended X, Extended Y) const
    {
        return QPoint(ClampPixel(Graph()->View.ColumnOf(X)), Graph()->FlipY(ClampPixel(Graph()->View.LevelOf(Y))));
    }

    TFunctionGraphFrm *Window = nullptr;
    QWidget *Picture = nullptr;
};

TEST_F(GraphWindow, DefaultLayoutAndControls)
{
    EXPECT_EQ(Window->size(), QSize(774, 427));
    EXPECT_EQ(Picture->size(), QSize(715, 313));
    EXPECT_EQ(Window->findChild<QWidget *>("horizontalScaleImg")->geometry(), QRect(48, 9, 719, 21));
    EXPECT_EQ(Window->findChild<QWidget *>("verticalScaleImg")->geometry(), QRect(12, 30, 40, 313));
    EXPECT_EQ(Picture->cursor().shape(), Qt::CrossCursor);
    EXPECT_EQ(Window->StatusText(0), "x =");
    EXPECT_EQ(Window->StatusText(1), "y =");
    EXPECT_EQ(Window->StatusText(2), "f(x) =");
    // The move step: 5 to 200 in steps of 5, starting at 40.
    auto *step = Window->findChild<TUpDown *>("movingPixelCountUpd");
    ASSERT_TRUE(step);
    EXPECT_EQ(step->Position(), 40);
    EXPECT_EQ(Window->findChild<QLineEdit *>("movingPixelCountEdt")->text(), "40");
    for (int i = 0; i < 50; ++i)
        step->Step(+1);
    EXPECT_EQ(step->Position(), 200);
    for (int i = 0; i < 50; ++i)
        step->Step(-1);
    EXPECT_EQ(step->Position(), 5);
    step->Step(+1);
    Window->ShowFunction("x");
    const Extended originX = Graph()->View.OriginX, originY = Graph()->View.OriginY;
    QTest::mouseClick(Button("moveLeftBtn"), Qt::LeftButton);
    EXPECT_EQ(Graph()->View.OriginX, originX + 10 * Graph()->View.ScaleX) << "left shows more of the left";
    QTest::mouseClick(Button("moveUpDtn"), Qt::LeftButton);
    EXPECT_EQ(Graph()->View.OriginY, originY - 10 * Graph()->View.ScaleY);
    QTest::mouseClick(Button("moveHomeBtn"), Qt::LeftButton);
    EXPECT_EQ(Graph()->View.OriginX, originX);
    QTest::mouseClick(Button("zoomInHorizontalyBtn"), Qt::LeftButton);
    EXPECT_EQ(Graph()->View.ScaleX, 0.0125L);
    EXPECT_EQ(Graph()->View.ScaleY, 0.025L);
    // A resize keeps the picture anchored on all sides.
    Window->resize(600, 400);
    QApplication::processEvents();
    EXPECT_EQ(Picture->size(), QSize(541, 286));
    EXPECT_EQ(Graph()->View.Width, 541);
    EXPECT_EQ(Window->findChild<QWidget *>("ovladaniePnl")->y(), 400 - 72);
}

TEST_F(GraphWindow, MouseReadOut)
{
    // Column 440 shows x = 1, row 193 y = -2.
    const auto atWorld = [&] {
        Graph()->View.OriginX = 10;
        Graph()->View.OriginY = 5;
    };
    atWorld();
    // No curve: the value reads 0.
    QTest::mouseMove(Picture, QPoint(440, 193));
    EXPECT_EQ(Window->StatusText(0), " x = 1");
    EXPECT_EQ(Window->StatusText(1), " y = -2");
    EXPECT_EQ(Window->StatusText(2), " f(x) = 0");
    Window->ShowFunction("1/x");
    atWorld();
    QTest::mouseMove(Picture, QPoint(320, 100));
    EXPECT_EQ(Window->StatusText(0), " x = -2");
    EXPECT_EQ(Window->StatusText(1), " y = 0.325");
    EXPECT_EQ(Window->StatusText(2), " f(x) = -0.5");
    QTest::mouseMove(Picture, QPoint(453, 100));
    EXPECT_EQ(Window->StatusText(0), " x = 1.325");
    EXPECT_EQ(Window->StatusText(2), " f(x) = 0.755");
    // Where the first function has no value.
    QTest::mouseMove(Picture, QPoint(400, 100));
    EXPECT_EQ(Window->StatusText(0), " x = 0");
    EXPECT_EQ(Window->StatusText(2), " f(x) = --");
}

TEST_F(GraphWindow, DraggingPansByTheMouseMovementOncePerFrame)
{
    Graph()->Evaluator = &CountingEvaluator;
    Window->ShowFunction("sin(x)");
    const Extended originX = Graph()->View.OriginX, originY = Graph()->View.OriginY;
    const QString readOut = Window->StatusText(0);
    Evaluations = 0;
    Press(Picture, QPoint(100, 100), QEvent::MouseButtonPress, Qt::LeftButton);
    // Fifty one-pixel steps, far faster than frames.
    for (int i = 1; i <= 50; ++i)
        Press(Picture, QPoint(100 + i, 100 + i / 2), QEvent::MouseMove, Qt::LeftButton);
    EXPECT_EQ(Window->StatusText(0), readOut) << "no read-out while dragging";
    Press(Picture, QPoint(150, 125), QEvent::MouseButtonRelease, Qt::NoButton);
    EXPECT_EQ(Graph()->View.OriginX, originX + 50 * Graph()->View.ScaleX);
    EXPECT_EQ(Graph()->View.OriginY, originY - 25 * Graph()->View.ScaleY);
    // A repaint per step would evaluate every step's new column again.
    EXPECT_LT(Evaluations, 30);
    EXPECT_GE(Evaluations, 10) << "the 50 new columns are sampled";
    // After the drag, the read-out follows the mouse again.
    Graph()->View.OriginX = 10;
    QTest::mouseMove(Picture, QPoint(440, 100));
    EXPECT_EQ(Window->StatusText(0), " x = 1");
    EXPECT_EQ(Window->StatusText(2), " f(x) = 0.841");
    Graph()->View.OriginX = originX + 50 * Graph()->View.ScaleX;

    // Steps spread over frames are each drawn in their frame.
    Press(Picture, QPoint(200, 100), QEvent::MouseButtonPress, Qt::LeftButton);
    Press(Picture, QPoint(210, 100), QEvent::MouseMove, Qt::LeftButton);
    const Extended afterFirst = Graph()->View.OriginX;
    EXPECT_EQ(afterFirst, originX + 60 * Graph()->View.ScaleX);
    Press(Picture, QPoint(220, 100), QEvent::MouseMove, Qt::LeftButton);
    QTest::qWait(60);
    EXPECT_EQ(Graph()->View.OriginX, originX + 70 * Graph()->View.ScaleX) << "applied when its frame came";
    Press(Picture, QPoint(220, 100), QEvent::MouseButtonRelease, Qt::NoButton);
}

TEST_F(GraphWindow, ExportToAFileAndToTheClipboard)
{
    Window->ShowFunction("x");
    // Answers the save dialog as soon as it opens (before its name field
    // takes the focus, which would keep the chosen name out of it).
    const auto chooseFile = [&](const QString &Name, QString *Message = nullptr) {
        QTimer::singleShot(0, Window, [this, Name, Message] {
            QFileDialog *dialog = Window->SaveDialog();
            dialog->selectFile(Name);
            if (Message)
                AnswerNextMessageBox(QMessageBox::Ok, Message);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QTest::mouseClick(Button("saveToFileBtn"), Qt::LeftButton);
    };
    TempProgramDir dir;
    chooseFile(dir.file("picture"));
    QImageReader reader(dir.file("picture.bmp"));
    EXPECT_EQ(reader.format(), "bmp") << "the default extension is added";
    const QImage saved = reader.read();
    ASSERT_EQ(saved.size(), QSize(764, 340));
    const QPoint origin = PixelOf(0, 0);
    EXPECT_EQ(saved.pixel(48 + origin.x(), 26 + origin.y()), qRgb(255, 0, 0));

    // A file that cannot be written is reported.
    dir.write("folder", "not a folder");
    QString message;
    chooseFile(dir.file("folder/picture.bmp"), &message);
    EXPECT_TRUE(message.startsWith("Unable to save the picture to " + dir.file("folder/picture.bmp") + "."))
        << message.toStdString();
    EXPECT_FALSE(Window->SaveDialog()->isVisible());

    QApplication::clipboard()->clear();
    QTest::mouseClick(Button("copyToClipboardBtn"), Qt::LeftButton);
    const QImage copied = QApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(764, 340));
    EXPECT_EQ(copied.pixel(48 + origin.x(), 26 + origin.y()), qRgb(255, 0, 0));
}

TEST_F(GraphWindow, TranslatedTexts)
{
    TProgramTranslator::Instance()->LoadFile(qEnvironmentVariable("TANDOREL_SOURCE_DIR") + "/data/lang/Slovensky.txt");
    ASSERT_TRUE(TProgramTranslator::Instance()->IsLoaded());
    Window->TranslateTexts();
    EXPECT_EQ(Window->windowTitle(), "Graf funkcie y =  x");
    EXPECT_EQ(Window->findChild<QGroupBox *>("moveGpb")->title(), "  Posun  ");
    EXPECT_EQ(Window->findChild<QGroupBox *>("gridGpb")->title(), "  Mriežka  ");
    EXPECT_EQ(Button("clearBtn")->toolTip(), "Vymazať funkcie");
    EXPECT_EQ(Button("saveToFileBtn")->toolTip(), "Uložiť do súboru");
    Window->ShowFunction("x^2");
    EXPECT_EQ(Window->windowTitle(), "Graf funkcie y =  x^2");
    // A change of language keeps the plotted expression in the caption.
    Window->TranslateTexts();
    EXPECT_EQ(Window->windowTitle(), "Graf funkcie y =  x^2");
    TProgramTranslator::FreeInstance();
}

// The road a user takes: the expression typed in the main window, the graph
// key, then more expressions, a repeat, a clear.
TEST(GraphHandOver, FromTheMainWindow)
{
    {
        TMainWindowDriver main;
        RegisterToolWindowClasses(TGUIManager::Instance());
        main.Type("x^2");
        main.Click("grafBtn");
        ASSERT_TRUE(TGUIManager::Instance()->IsFormCreated(FormId::FunctionGraph));
        auto *window = TGUIManager::Instance()->FormAs<TFunctionGraphFrm>(FormId::FunctionGraph);
        ASSERT_TRUE(window);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->windowTitle(), "Graph of function y =  x^2");
        EXPECT_EQ(window->Graph()->FunctionCount(), 1);

        const auto handOver = [&](const QString &Text) {
            main.Input->selectAll();
            QTest::keyClick(main.Input, Qt::Key_Backspace);
            main.Type(Text);
            main.Click("grafBtn");
        };
        handOver("sin(x)");
        TFunctionGraph *graph = window->Graph();
        ASSERT_EQ(graph->FunctionCount(), 2);
        EXPECT_EQ(graph->Function(1)->Color, QColor(0, 0x80, 0));
        EXPECT_TRUE(window->findChild<QCheckBox *>("goniometricScaleChb")->isChecked());
        EXPECT_EQ(window->windowTitle(), "Graph of function y =  x^2");
        // A repeat resets the zoom and adds nothing; pi stays the unit.
        QTest::mouseClick(window->findChild<QPushButton *>("zoomInBtn"), Qt::LeftButton);
        handOver("sin(x)");
        EXPECT_EQ(graph->FunctionCount(), 2);
        EXPECT_EQ(graph->View.ScaleX, 0.025L);
        EXPECT_EQ(graph->View.XLabelUnit, std::numbers::pi_v<Extended>);
        // A faulty expression never reaches the graph.
        handOver("x+*2");
        EXPECT_EQ(graph->FunctionCount(), 2);
        EXPECT_FALSE(main.ErrorLabel().isEmpty());
        // Cleared: the next expression names the caption again.
        QTest::mouseClick(window->findChild<QPushButton *>("clearBtn"), Qt::LeftButton);
        EXPECT_EQ(graph->FunctionCount(), 0);
        handOver("2*x");
        EXPECT_EQ(window->windowTitle(), "Graph of function y =  2*x");
        EXPECT_FALSE(window->findChild<QCheckBox *>("goniometricScaleChb")->isChecked());
    }
    TGUIManager::FreeInstance();
}

} // namespace
