// The graph window as a user drives it: hand-overs from the main window,
// the mouse read-out, dragging, the move step, export to a file and to the
// clipboard, and the translated texts.
#include "tools/fFunctionGraph.h"

#include "core/Analyzator.h"
#include "platform/SysUtils.h"
#include "shell/uGUIManager.h"
#include "shell/uProgramTranslator.h"
#include "shell/uUpDown.h"
#include "tests/support/ClippedTexts.h"
#include "tests/support/EngineState.h"
#include "tests/support/MainWindowDriver.h"
#include "tests/support/ModalHelper.h"
#include "tests/support/QtPrint.h"
#include "tests/support/TempProgramDir.h"
#include "tools/uToolWindows.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QGroupBox>
#include <QImageReader>
#include <QLineEdit>
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
    Window->resize(764, 400);
    QApplication::processEvents();
    EXPECT_EQ(Picture->size(), QSize(705, 286));
    EXPECT_EQ(Graph()->View.Width, 705);
    EXPECT_EQ(Window->findChild<QWidget *>("ovladaniePnl")->y(), 400 - 72);
}

TEST_F(GraphWindow, EveryControlStaysReachableAtEverySizeTheWindowAllows)
{
    // The designed minimum is asked for; the window keeps what its controls need.
    for (const QSize &asked : {QSize(320, 240), QSize(500, 300), QSize(740, 240), QSize(774, 427)}) {
        Window->resize(asked);
        QApplication::processEvents();
        const QSize size = Window->size();
        EXPECT_GE(size.width(), qMax(asked.width(), 320));
        EXPECT_GE(size.height(), qMax(asked.height(), 240));
        EXPECT_EQ(size.width(), qMax(asked.width(), Window->minimumWidth())) << "no wider than needed";
        const QRect status = Window->findChild<QWidget *>("StatusBar1")->geometry();
        const QRect picture = Picture->geometry();
        EXPECT_GT(picture.height(), 0);
        QList<QRect> taken = {picture, status};
        for (const char *name : {"clearBtn", "scaleGpb", "gridGpb", "moveGpb", "exportGpb"}) {
            auto *control = Window->findChild<QWidget *>(name);
            const QRect at(control->mapTo(Window, QPoint(0, 0)), control->size());
            EXPECT_TRUE(Window->rect().contains(at)) << name << " at " << size.width() << "x" << size.height();
            for (const QRect &other : taken)
                EXPECT_FALSE(at.intersects(other)) << name << " at " << size.width() << "x" << size.height();
            taken.append(at);
            // Every button of a box lies inside it.
            for (QWidget *child : control->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
                EXPECT_TRUE(control->rect().contains(QRect(child->pos(), child->size()))) << name;
        }
    }
}

TEST(GraphWindowFonts, AtLargerDesktopFontsNoTextIsCutAndTheDesignStaysTheLeast)
{
    ResetEngineState();
    const QFont desktop = QApplication::font();
    for (const int points : {8, 11, 14}) {
        QFont font = desktop;
        font.setPointSize(points);
        QApplication::setFont(font);
        TFunctionGraphFrm window;
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.ShowFunction("sin(x)");
        EXPECT_EQ(ClippedTexts(&window), QStringList()) << points << " pt";
        // Never smaller than designed.
        EXPECT_GE(window.minimumWidth(), 320);
        EXPECT_GE(window.minimumHeight(), 240);
        for (const char *name : {"zoomInBtn", "moveHomeBtn", "copyToClipboardBtn"}) {
            const QSize size = window.findChild<QWidget *>(name)->size();
            EXPECT_GE(size.width(), 26) << name;
            EXPECT_GE(size.height(), 22) << name;
        }
        EXPECT_GE(window.findChild<QWidget *>("horizontalScaleImg")->height(), 21);
        // The text fields show their whole text.
        auto *step = window.findChild<QLineEdit *>("movingPixelCountEdt");
        step->setText("200");
        EXPECT_LE(step->fontMetrics().horizontalAdvance("200"), step->contentsRect().width() - 4) << points << " pt";
        QApplication::setFont(desktop);
    }
    ResetEngineState();
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

// The panels read the point under the resting mouse after every change of
// the view, not the point it showed before; with the mouse away from the
// picture they are emptied.
TEST_F(GraphWindow, TheStatusBarFollowsEveryChangeOfTheView)
{
    Window->ShowFunction("x^2");
    const QPoint at(Picture->width() / 2 + 80, Picture->height() / 2);
    QTest::mouseMove(Picture, at);
    const auto expected = [&] {
        const Extended x = Graph()->XAtPixel(at.x());
        return QStringList{QStringLiteral(" x = ") + FormatFloat("0.###", x),
                           QStringLiteral(" y = ")
                               + FormatFloat("0.###", Graph()->YAtPixel(Picture->height() - at.y())),
                           QStringLiteral(" f(x) = ") + FormatFloat("0.###", Graph()->ValueAt(x))};
    };
    const auto shown = [&] { return QStringList{Window->StatusText(0), Window->StatusText(1), Window->StatusText(2)}; };
    EXPECT_EQ(shown(), expected());
    const QStringList before = shown();
    const char *const changes[] = {"zoomInBtn",     "zoomOutVerticaly", "moveRightBtn",        "moveUpDtn",
                                   "gridZoomInBtn", "moveHomeBtn",      "zoomInHorizontalyBtn"};
    for (const char *button : changes) {
        QTest::mouseClick(Button(button), Qt::LeftButton);
        EXPECT_EQ(shown(), expected()) << button;
    }
    EXPECT_NE(shown(), before);
    // A new curve: f(x) is its value now, the first function being new.
    QTest::mouseClick(Button("clearBtn"), Qt::LeftButton);
    EXPECT_EQ(Window->StatusText(2), " f(x) = 0");
    Window->ShowFunction("x+1");
    EXPECT_EQ(shown(), expected());
    // The mouse has left the picture: nothing stale stays.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(Picture, &leave);
    QTest::mouseClick(Button("zoomOutBtn"), Qt::LeftButton);
    EXPECT_EQ(shown(), QStringList({"x =", "y =", "f(x) ="}));
}

// The strips take their colours from the window's palette, so a dark theme
// reads light numbers on a dark strip; the picture keeps its own white.
TEST_F(GraphWindow, ADarkPaletteGivesLightNumbersOnADarkStrip)
{
    Window->ShowFunction("x");
    const QImage &strip = static_cast<TGraphImage *>(Window->findChild<QWidget *>("verticalScaleImg"))->Bitmap;
    const auto strongest = [&](QRgb Back) {
        int most = 0;
        for (int y = 0; y < strip.height(); ++y)
            for (int x = 0; x < strip.width(); ++x)
                most = qMax(most, qAbs(qGray(strip.pixel(x, y)) - qGray(Back)));
        return most;
    };
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2B, 0x2B, 0x2B));
    dark.setColor(QPalette::WindowText, QColor(0xEE, 0xEE, 0xEE));
    dark.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::ButtonText, QColor(0xEE, 0xEE, 0xEE));
    const QPalette light = Window->palette();
    for (const QPalette &palette : {dark, light}) {
        Window->setPalette(palette);
        QApplication::processEvents();
        const QRgb back = palette.color(QPalette::Window).rgb();
        EXPECT_EQ(Graph()->ScaleBackColor.rgb(), back);
        EXPECT_EQ(Graph()->ScaleTextColor.rgb(), palette.color(QPalette::WindowText).rgb());
        EXPECT_EQ(strip.pixel(strip.width() - 1, strip.height() - 1), back);
        EXPECT_GT(strongest(back), 150) << "numbers that stand out";
        const QImage &picture = static_cast<TGraphImage *>(Picture)->Bitmap;
        EXPECT_EQ(picture.pixel(0, 0), qRgb(255, 255, 255));
    }
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
