// The expression preview window as the user meets it: opened by the main
// window's preview sign and menu entry or by the controller's hand-over,
// docked to the left, drawing the formula, scrolling wide ones, and showing
// a note for a text that cannot be drawn.
#include "tools/fNahladVyrazu.h"

#include "shell/uGUIManager.h"
#include "shell/uMainProgram.h"
#include "shell/uProgramTranslator.h"
#include "tests/support/FakeMainForm.h"
#include "tests/support/MainWindowDriver.h"
#include "tests/support/QtPrint.h"
#include "tools/uToolWindows.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

bool HasInk(const QImage &Image)
{
    for (int y = 0; y < Image.height(); ++y)
        for (int x = 0; x < Image.width(); ++x)
            if (qGray(Image.pixel(x, y)) < 128)
                return true;
    return false;
}

class PreviewWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Main.Left = 600;
        Main.Top = 200;
        TGUIManager::Instance()->SetMainForm(&Main);
        RegisterToolWindowClasses(TGUIManager::Instance());
    }
    void TearDown() override
    {
        TGUIManager::FreeInstance();
        TProgramTranslator::FreeInstance();
    }

    TnahladVyrazuFrm *Preview() { return TGUIManager::Instance()->FormAs<TnahladVyrazuFrm>(FormId::ExpressionPreview); }
    void Hand(const QString &Text) { KMainProgram::Instance()->ShowExpressionPreview(Text); }
    QSize CanvasSize() { return Preview()->Canvas()->size(); }

    FakeMainForm Main;
};

} // namespace

TEST_F(PreviewWindow, IsRegisteredMagneticOnTheLeft)
{
    const TFormEntry &entry = TGUIManager::Instance()->Entry(FormId::ExpressionPreview);
    EXPECT_TRUE(entry.IsMagnetic);
    EXPECT_EQ(entry.DockSide, DockLeft);
    ASSERT_TRUE(Preview());
    EXPECT_EQ(Preview()->windowTitle(), QStringLiteral("Expression preview"));
    EXPECT_GE(Preview()->minimumWidth(), 100);
    EXPECT_GE(Preview()->minimumHeight(), 70);
    // The layout's unused controls stay hidden.
    for (const char *name : {"vstupEdt", "vystupEdt", "Button1"}) {
        auto *w = Preview()->findChild<QWidget *>(QLatin1String(name));
        ASSERT_TRUE(w) << name;
        EXPECT_TRUE(w->isHidden()) << name;
    }
    EXPECT_EQ(Preview()->findChild<QLineEdit *>(QStringLiteral("vstupEdt"))->text(), QStringLiteral("26^(1/2)"));
}

TEST_F(PreviewWindow, HandOverDrawsTheFormulaWithAMargin)
{
    Hand(QStringLiteral("x"));
    TnahladVyrazuFrm *w = Preview();
    ASSERT_TRUE(w->isVisible());
    ASSERT_TRUE(w->Tree());
    EXPECT_EQ(w->Expression(), QStringLiteral("x"));
    const TFontTextMetrics &m = w->Canvas()->Metrics();
    EXPECT_EQ(CanvasSize(),
              QSize(m.TextWidth(QStringLiteral("x"), 16) + 10, m.TextHeight(QStringLiteral("x"), 16) + 10));
    EXPECT_EQ(w->Tree()->X(), 5);
    EXPECT_EQ(w->Tree()->Y(), 5);
    EXPECT_TRUE(HasInk(w->Canvas()->grab().toImage()));

    Hand(QStringLiteral("(a+b)/(c-d)^(1/2)"));
    EXPECT_EQ(CanvasSize(), QSize(w->Tree()->Width() + 10, w->Tree()->Height() + 10));
    EXPECT_EQ(w->Tree()->Kind(), VyrazKind::Quotient);
}

TEST_F(PreviewWindow, MalformedTextShowsANoteAndNoMessage)
{
    // A message box would block here; a timer closes any and records it.
    bool messageShown = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *box = qobject_cast<QMessageBox *>(top); box && box->isVisible()) {
                messageShown = true;
                box->close();
            }
    });
    watch.start(20);

    struct Case
    {
        const char *Text, *Note;
    } cases[] = {
        {"a+", "An operand is missing."},
        {"()", "An operand is missing."},
        {"(((", "A bracket is not closed."},
        {"a)", "A closing bracket has no opening bracket."},
        {"sin(x)y", "An operator is missing between two operands."},
    };
    for (const Case &c : cases) {
        Hand(QString::fromLatin1(c.Text));
        EXPECT_FALSE(Preview()->Tree()) << c.Text;
        EXPECT_EQ(Preview()->Canvas()->Note(), QString::fromUtf8(c.Note)) << c.Text;
        EXPECT_TRUE(HasInk(Preview()->Canvas()->grab().toImage())) << c.Text;
    }
    // A text that can be drawn replaces the note.
    Hand(QStringLiteral("2*-3"));
    ASSERT_TRUE(Preview()->Tree());
    EXPECT_TRUE(Preview()->Canvas()->Note().isEmpty());
    EXPECT_EQ(Preview()->Tree()->Right()->Text(), QStringLiteral("-3"));

    // The longest chain the calculator takes is refused at once.
    QString chain = QStringLiteral("1");
    while (chain.size() + 2 <= 65535)
        chain += QStringLiteral("+1");
    Hand(chain);
    EXPECT_FALSE(Preview()->Tree());
    EXPECT_EQ(Preview()->Canvas()->Note(), QStringLiteral("The expression is nested too deeply to draw."));
    QTest::qWait(60);
    EXPECT_FALSE(messageShown);
}

TEST_F(PreviewWindow, AnEmptyTextClearsTheDrawing)
{
    Hand(QStringLiteral("x^2"));
    ASSERT_TRUE(Preview()->Tree());
    Hand(QString());
    EXPECT_FALSE(Preview()->Tree());
    EXPECT_TRUE(Preview()->Canvas()->Note().isEmpty());
    EXPECT_EQ(CanvasSize(), QSize(10, 10));
    EXPECT_FALSE(HasInk(Preview()->Canvas()->grab().toImage()));
}

TEST_F(PreviewWindow, WideFormulasScrollAndPaintWhereTheyAreShown)
{
    QString wide = QStringLiteral("1");
    for (int i = 0; i < 300; ++i)
        wide += QStringLiteral("+x^2/3");
    Hand(wide);
    TnahladVyrazuFrm *w = Preview();
    ASSERT_TRUE(w->Tree());
    auto *scroll = w->findChild<QScrollArea *>(QStringLiteral("ScrollBox1"));
    ASSERT_TRUE(scroll);
    QApplication::processEvents();
    QScrollBar *bar = scroll->horizontalScrollBar();
    EXPECT_GT(bar->maximum(), 10000);
    bar->setValue(bar->maximum() / 2);
    QApplication::processEvents();
    EXPECT_TRUE(HasInk(scroll->viewport()->grab().toImage()));
    bar->setValue(bar->maximum());
    QApplication::processEvents();
    EXPECT_TRUE(HasInk(scroll->viewport()->grab().toImage()));
}

TEST_F(PreviewWindow, ClosingAndReopeningKeepsTheDrawing)
{
    Hand(QStringLiteral("sin(x)/2"));
    const TGrafickyVyraz *tree = Preview()->Tree();
    ASSERT_TRUE(tree);
    Preview()->close();
    EXPECT_FALSE(Preview()->isVisible());
    TGUIManager::Instance()->ShowForm(FormId::ExpressionPreview);
    EXPECT_TRUE(Preview()->isVisible());
    EXPECT_EQ(Preview()->Tree(), tree);
    EXPECT_EQ(Preview()->Expression(), QStringLiteral("sin(x)/2"));
}

TEST_F(PreviewWindow, TextsComeFromTheLanguageFile)
{
    Hand(QStringLiteral("a+"));
    const QString lang =
        QString::fromLocal8Bit(qgetenv("TANDOREL_SOURCE_DIR")) + QStringLiteral("/data/lang/Slovensky.txt");
    TProgramTranslator::Instance()->LoadFile(lang);
    ASSERT_TRUE(TProgramTranslator::Instance()->IsLoaded());
    TGUIManager::Instance()->TranslateAll();
    EXPECT_EQ(Preview()->windowTitle(), QStringLiteral("Náhľad výrazu"));
    // The note on show follows the language.
    EXPECT_EQ(Preview()->Canvas()->Note(), QStringLiteral("Vo výraze chýba operand."));
    Hand(QStringLiteral("x)"));
    EXPECT_EQ(Preview()->Canvas()->Note(), QStringLiteral("Zatváracia zátvorka nemá otváraciu zátvorku."));
}

TEST(PreviewFromMainWindow, PreviewSignAndMenuHandTheInputOver)
{
    TMainWindowDriver main;
    RegisterToolWindowClasses(TGUIManager::Instance());
    auto preview = [] { return TGUIManager::Instance()->FormAs<TnahladVyrazuFrm>(FormId::ExpressionPreview); };

    // Implicit multiplication is written out for the drawing.
    main.Type(QStringLiteral("2(a+b)/3"));
    auto *sign = main.Form->findChild<QLabel *>(QStringLiteral("nahladImg"));
    ASSERT_TRUE(sign);
    QTest::mouseClick(sign, Qt::LeftButton);
    ASSERT_TRUE(preview()->isVisible());
    EXPECT_EQ(preview()->Expression(), QStringLiteral("2*(a+b)/3"));
    ASSERT_TRUE(preview()->Tree());
    EXPECT_EQ(preview()->Tree()->Kind(), VyrazKind::Quotient);

    // A text the syntax check refuses is shown as "???", an empty one as 0.
    QTest::keyClick(main.Input, Qt::Key_Escape);
    main.Type(QStringLiteral("2("));
    main.Form->findChild<QAction *>(QStringLiteral("NahladVyrazuAct"))->trigger();
    EXPECT_EQ(preview()->Expression(), QStringLiteral("???"));
    ASSERT_TRUE(preview()->Tree());
    EXPECT_EQ(preview()->Tree()->Text(), QStringLiteral("???"));
    main.Input->clear();
    main.Form->findChild<QAction *>(QStringLiteral("NahladVyrazuAct"))->trigger();
    EXPECT_EQ(preview()->Expression(), QStringLiteral("0"));
    TGUIManager::FreeInstance();
}

TEST_F(PreviewWindow, AScreenReaderMeetsTheDrawingAsAPictureOfTheTextHandedOver)
{
    Hand(QStringLiteral("(a+b)/2"));
    QAccessibleInterface *picture = QAccessible::queryAccessibleInterface(Preview()->Canvas());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->role(), QAccessible::Graphic);
    EXPECT_EQ(picture->text(QAccessible::Name), QStringLiteral("Expression preview"));
    EXPECT_EQ(picture->text(QAccessible::Description), QStringLiteral("(a+b)/2"));

    // A text that cannot be drawn: the note that is shown follows it.
    Hand(QStringLiteral("a+"));
    EXPECT_EQ(picture->text(QAccessible::Description), QStringLiteral("a+\nAn operand is missing."));

    TProgramTranslator::Instance()->LoadFile(QString::fromLocal8Bit(qgetenv("TANDOREL_SOURCE_DIR"))
                                             + QStringLiteral("/data/lang/Slovensky.txt"));
    TGUIManager::Instance()->TranslateAll();
    EXPECT_EQ(picture->text(QAccessible::Name), QStringLiteral("Náhľad výrazu"));
    EXPECT_EQ(picture->text(QAccessible::Description), QStringLiteral("a+\nVo výraze chýba operand."));
    Hand(QString());
    EXPECT_EQ(picture->text(QAccessible::Description), QString());
}
