// The polynomials window driven as a user drives it: texts typed into P and
// Q, the operation buttons, and what the result area and edits then show.
#include "tools/fMnohocleny.h"

#include "shell/uGUIManager.h"
#include "shell/uProgramTranslator.h"
#include "shell/uUpDown.h"
#include "tests/support/ClippedTexts.h"
#include "tests/support/EngineState.h"
#include "tests/support/QtPrint.h"
#include "tools/fSuma.h"
#include "tools/uToolWindows.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class PolynomialsWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetEngineState();
        Window.show();
    }
    void TearDown() override { ResetEngineState(); }

    template <class T>
    T *Child(const char *Name)
    {
        T *child = Window.findChild<T *>(QLatin1String(Name));
        EXPECT_TRUE(child) << Name;
        return child;
    }
    QLineEdit *Edit(const char *Name) { return Child<QLineEdit>(Name); }
    // Until the operation or preview running on the worker thread is shown.
    void Settle()
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !Window.Busy(); }, 20000));
        QCoreApplication::processEvents();
    }
    void Click(const char *Name)
    {
        QTest::mouseClick(Child<QPushButton>(Name), Qt::LeftButton);
        Settle();
    }
    // Sets both texts and runs one operation.
    void Run(const QString &P, const QString &Q, const char *Button)
    {
        Edit("pEdt")->setText(P);
        Edit("qEdt")->setText(Q);
        Click(Button);
    }
    // The error text, "" while none is shown.
    QString Error()
    {
        QLabel *label = Child<QLabel>("chybaLbl");
        return label->isVisibleTo(&Window) ? label->text() : QString();
    }
    QString Drawn() { return Window.Picture().PlainText(); }
    QString ResultText() { return Child<TResultEdit>("vysEdt")->Result(); }
    bool Marked(QLineEdit *Edit) { return Edit->palette().color(QPalette::Base) == QColor(0xFF, 0x66, 0x66); }

    TmnohoclenyFrm Window;
};

} // namespace

TEST_F(PolynomialsWindow, TheDefaultsDividedShowQuotientAndRemainder)
{
    EXPECT_EQ(Edit("pEdt")->text(), QStringLiteral("5x^3-3x^2+6x"));
    EXPECT_EQ(Edit("qEdt")->text(), QStringLiteral("x^2+3"));
    Click("delenieBtn");
    EXPECT_EQ(Drawn(), QStringLiteral("(5x^3-3x^2+6x) / (x^2+3) = 5x-3 reminder: -9x+9"));
    EXPECT_EQ(ResultText(), QStringLiteral("5x-3"));
    EXPECT_EQ(Error(), QString());
    // The picture is a widget of the picture's own size in the scroll box.
    auto *view = Child<TPolynomView>("vysImg");
    EXPECT_EQ(view->size(), QSize(Window.Picture().Width(), Window.Picture().Height()));
    EXPECT_EQ(Window.windowTitle(), QStringLiteral("Polynomials"));
}

TEST_F(PolynomialsWindow, TheRemainderStandsInViewOnALineOfItsOwn)
{
    auto *area = Child<QScrollArea>("vysScb");
    // The defaults, and a quotient far wider than the window.
    QString longP;
    for (int i = 40; i > 0; --i)
        longP += QStringLiteral("+%1x^%2").arg(i).arg(i);
    for (const QString &p : {QStringLiteral("5x^3-3x^2+6x"), longP}) {
        SCOPED_TRACE(qPrintable(p.left(20)));
        Run(p, QStringLiteral("x^2+3"), "delenieBtn");
        const auto &texts = Window.Picture().Texts();
        const auto remainder = std::find_if(
            texts.begin(), texts.end(), [](const auto &Piece) { return Piece.Text == QStringLiteral(" reminder: "); });
        ASSERT_NE(remainder, texts.end());
        EXPECT_EQ(remainder->X, 5);
        EXPECT_GT(remainder->Y, texts.first().Y);
        // Seen without scrolling, its first term too.
        const QRect view = area->viewport()->rect();
        EXPECT_EQ(area->horizontalScrollBar()->value(), 0);
        EXPECT_EQ(area->verticalScrollBar()->value(), 0);
        const auto next = remainder + 1;
        ASSERT_NE(next, texts.end());
        EXPECT_TRUE(view.contains(QRect(next->X, next->Y, next->Width, 25))) << view.width() << "x" << view.height();
    }
}

TEST_F(PolynomialsWindow, EachOperationDrawsItsResult)
{
    const struct
    {
        const char *P, *Q, *Button, *Drawn, *Result;
    } cases[] = {
        {"5x^3-3x^2+6x", "x^2+3", "scitanieBtn", "(5x^3-3x^2+6x) + (x^2+3) = 5x^3-2x^2+6x+3", "5x^3-2x^2+6x+3"},
        {"5x^3-3x^2+6x", "x^2+3", "odcitanieBtn", "(5x^3-3x^2+6x) - (x^2+3) = 5x^3-4x^2+6x-3", "5x^3-4x^2+6x-3"},
        {"x+y", "x-y", "nasobenieBtn", "(x+y) . (x-y) = x^2-y^2", "x^2-y^2"},
        {"x^2+2x+1", "x+1", "delenieBtn", "(x^2+2x+1) / (x+1) = x+1", "x+1"},
        {"x^2", "xy+1", "delenieBtn", "(x^2) / (xy+1) = 0 reminder: x^2", "0"},
        {"0.0001x", "0", "scitanieBtn", "(0.0001x) + (0) = 0.0001x", "0.0001x"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Drawn);
        Run(QString::fromLatin1(c.P), QString::fromLatin1(c.Q), c.Button);
        EXPECT_EQ(Drawn(), QString::fromLatin1(c.Drawn));
        EXPECT_EQ(ResultText(), QString::fromLatin1(c.Result));
        EXPECT_EQ(Error(), QString());
    }
}

TEST_F(PolynomialsWindow, PowerOfPWithTheUpDown)
{
    Edit("pEdt")->setText(QStringLiteral("x+1"));
    auto *updown = Child<TUpDown>("UpDown1");
    EXPECT_EQ(Edit("exponentEdt")->text(), QStringLiteral("2"));
    Click("umocniPBtn");
    EXPECT_EQ(Drawn(), QStringLiteral("(x+1)^2 = x^2+2x+1"));
    EXPECT_EQ(ResultText(), QStringLiteral("x^2+2x+1"));
    QTest::mouseClick(updown->UpButton(), Qt::LeftButton);
    EXPECT_EQ(Edit("exponentEdt")->text(), QStringLiteral("3"));
    Click("umocniPBtn");
    EXPECT_EQ(ResultText(), QStringLiteral("x^3+3x^2+3x+1"));
    // The up-down keeps n between 2 and 30.
    updown->SetPosition(40);
    EXPECT_EQ(updown->Position(), 30);

    // A huge power is painted on demand: the picture is wide, the view shows
    // only part of it and the text is whole.
    Edit("pEdt")->setText(QStringLiteral("a+b+c+d+e"));
    Click("umocniPBtn");
    EXPECT_EQ(Error(), QString());
    EXPECT_GT(Window.Picture().Width(), 1000000);
    EXPECT_EQ(Window.PolynomP().Count(), 46376);
    EXPECT_TRUE(ResultText().startsWith(QStringLiteral("a^30+30a^29b+")));
    // Copied into Q whole.
    Click("kopirovatVysledokDoQBtn");
    EXPECT_EQ(Edit("qEdt")->text(), ResultText());
}

TEST_F(PolynomialsWindow, TheResultEditShowsTheStartOfALongResultAndCopiesAllOfIt)
{
    auto *edit = Child<TResultEdit>("vysEdt");
    Run(QStringLiteral("a+b+c+d+e"), QStringLiteral("1"), "umocniPBtn");
    Child<TUpDown>("UpDown1")->SetPosition(20);
    Click("umocniPBtn");
    const QString whole = ResultText();
    ASSERT_EQ(whole, Window.PolynomP().ToText());
    ASSERT_GT(whole.size(), 100000);
    EXPECT_EQ(edit->text(), whole.left(TResultEdit::ShownLength) + QChar(0x2026));
    EXPECT_EQ(edit->cursorPosition(), 0);

    QClipboard *clipboard = QGuiApplication::clipboard();
    // Everything selected, by the keys a user presses: the whole result.
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), whole);
    // A part of what is shown: that part; a part that reaches the "…": the
    // rest of the result.
    edit->setSelection(4, 10);
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), whole.mid(4, 10));
    edit->setSelection(TResultEdit::ShownLength - 3, 4);
    edit->CopySelection();
    EXPECT_EQ(clipboard->text(), whole.mid(TResultEdit::ShownLength - 3));
    EXPECT_EQ(edit->text().size(), TResultEdit::ShownLength + 1);

    // A short result is shown as it is.
    Run(QStringLiteral("x"), QStringLiteral("1"), "scitanieBtn");
    EXPECT_EQ(edit->text(), QStringLiteral("x+1"));
}

TEST_F(PolynomialsWindow, ALongOperationRunsAsideAndCanBeStopped)
{
    // 46,376 terms take a while to compute and draw: the click returns at
    // once, and the window shows that it is at work.
    Run(QStringLiteral("x"), QStringLiteral("1"), "scitanieBtn");
    Child<TUpDown>("UpDown1")->SetPosition(30);
    Edit("pEdt")->setText(QStringLiteral("a+b+c+d+e"));
    Settle();
    const auto startPower = [&] {
        QTest::mouseClick(Child<QPushButton>("umocniPBtn"), Qt::LeftButton);
        EXPECT_TRUE(Window.Busy());
    };
    startPower();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Window.cursor().shape() == Qt::BusyCursor; }, 5000));
    // Escape stops it: the picture stays as it was, the cursor comes back.
    QTest::keyClick(&Window, Qt::Key_Escape);
    EXPECT_FALSE(Window.Busy());
    EXPECT_NE(Window.cursor().shape(), Qt::BusyCursor);
    QTest::qWait(100);
    EXPECT_EQ(Drawn(), QStringLiteral("P = a+b+c+d+e"));
    EXPECT_EQ(ResultText(), QStringLiteral("x+1"));

    // A newer click wins, whichever ends first.
    startPower();
    Click("nasobenieBtn");
    QTest::qWait(100);
    EXPECT_EQ(Drawn(), QStringLiteral("(a+b+c+d+e) . (1) = a+b+c+d+e"));

    // Hiding the window stops it too.
    startPower();
    Window.hide();
    EXPECT_FALSE(Window.Busy());
    Window.show();
    QTest::qWait(100);
    EXPECT_EQ(ResultText(), QStringLiteral("a+b+c+d+e"));

    // Left to run, it ends with the whole power.
    startPower();
    Settle();
    EXPECT_EQ(Window.PolynomP().Count(), 46376);
    // Closing the window while a power runs waits for nothing and loses
    // nothing: the worker is stopped and joined.
    auto *other = new TmnohoclenyFrm;
    other->findChild<TUpDown *>(QStringLiteral("UpDown1"))->SetPosition(30);
    other->findChild<QLineEdit *>(QStringLiteral("pEdt"))->setText(QStringLiteral("a+b+c+d+e"));
    other->findChild<QPushButton *>(QStringLiteral("umocniPBtn"))->click();
    EXPECT_TRUE(other->Busy());
    delete other;
}

TEST_F(PolynomialsWindow, RefusedInputsShowTheirMessages)
{
    const struct
    {
        const char *P, *Q, *Button, *Message;
    } cases[] = {
        {"x^2", "0", "delenieBtn", "Error: Division by zero."},
        {"x^2", "x-x", "delenieBtn", "Error: Division by zero."},
        {"abcd", "efg", "scitanieBtn", "Both polynomials can contain max 5 variables together."},
        {"x+", "x", "nasobenieBtn", "Polynomial P has incorrect notation."},
        {"x", "2^3", "odcitanieBtn", "Polynomial Q has incorrect notation."},
        {"x", "x^11", "hornerBtn", "To perform the Horner scheme, polynomial Q must be of max degree 10."},
        {"x", "x+y", "hornerBtn", "Polynomial Q can contain max 1 variable (for instance: x)."},
        {"x", "x^-1+1", "hornerBtn", "To perform the Horner scheme, polynomial Q can not contain negative indexes."},
        {"abcdef", "x", "umocniPBtn", "Polynomial P can contain max 5 variables."},
        // Arithmetic failures are messages too.
        {"x^2147483647", "x", "nasobenieBtn", "Error: Value too high."},
        {"x^2000000000+1", "x", "umocniPBtn", "Error: Value too high."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Message);
        Run(QString::fromLatin1(c.P), QString::fromLatin1(c.Q), c.Button);
        EXPECT_EQ(Error(), QString::fromLatin1(c.Message));
        EXPECT_TRUE(Window.Picture().IsEmpty());
    }
}

TEST_F(PolynomialsWindow, ARefusedEditIsMarkedUntilItChanges)
{
    Run(QStringLiteral("x+"), QStringLiteral("x"), "scitanieBtn");
    EXPECT_TRUE(Marked(Edit("pEdt")));
    EXPECT_FALSE(Marked(Edit("qEdt")));
    Edit("pEdt")->setText(QStringLiteral("x+1"));
    EXPECT_FALSE(Marked(Edit("pEdt")));

    Edit("qEdt")->setText(QStringLiteral("x^2"));
    Edit("bodEdt")->setText(QStringLiteral("1.2.3"));
    Click("hornerBtn");
    EXPECT_EQ(Error(), QStringLiteral("Value entered incorrectly."));
    EXPECT_TRUE(Marked(Edit("bodEdt")));
    Edit("bodEdt")->setText(QStringLiteral("2"));
    EXPECT_FALSE(Marked(Edit("bodEdt")));
}

TEST_F(PolynomialsWindow, HornerSchemeTakesTheWholeResultArea)
{
    Run(QStringLiteral("1"), QStringLiteral("x^2+3"), "hornerBtn");
    EXPECT_EQ(Error(), QString());
    EXPECT_FALSE(Edit("vysEdt")->isVisibleTo(&Window));
    // p(0) = 3, p'(0) = 0, p''(0)/2 = 1, each bold at the end of its pass.
    QStringList bold;
    for (const auto &piece : Window.Picture().Texts())
        if (piece.Bold)
            bold << piece.Text;
    EXPECT_EQ(bold, (QStringList{"1", "0", "3", "3", "0", "1"}));
    // The next result brings the edit back.
    Click("scitanieBtn");
    EXPECT_TRUE(Edit("vysEdt")->isVisibleTo(&Window));
}

TEST_F(PolynomialsWindow, TypingPreviewsWithoutTouchingPOrQ)
{
    Click("scitanieBtn");
    const QString p = Window.PolynomP().ToText();
    const QString q = Window.PolynomQ().ToText();
    QLineEdit *edit = Edit("qEdt");
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("2y^2-y"));
    Settle();
    EXPECT_EQ(Drawn(), QStringLiteral("Q = 2y^2-y"));
    EXPECT_EQ(Window.PolynomP().ToText(), p);
    EXPECT_EQ(Window.PolynomQ().ToText(), q);

    // A capital letter, "*" and "=" cannot be typed.
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("X*x=2"));
    EXPECT_EQ(edit->text(), QStringLiteral("x2"));

    // A sixth letter is reported, not dropped.
    Edit("pEdt")->setText(QStringLiteral("abcdef"));
    Settle();
    EXPECT_EQ(Error(), QStringLiteral("Polynomial P can contain max 5 variables."));
    Edit("pEdt")->setText(QStringLiteral("abcde"));
    Settle();
    EXPECT_EQ(Error(), QString());
    EXPECT_EQ(Drawn(), QStringLiteral("P = abcde"));
}

TEST_F(PolynomialsWindow, TheCurrentDecimalSeparatorIsTyped)
{
    DecimalSeparator = u',';
    QLineEdit *edit = Edit("pEdt");
    edit->clear();
    // Either key types the separator in force.
    QTest::keyClicks(edit, QStringLiteral("2.5x"));
    EXPECT_EQ(edit->text(), QStringLiteral("2,5x"));
    Edit("qEdt")->setText(QStringLiteral("0,5"));
    Click("nasobenieBtn");
    EXPECT_EQ(ResultText(), QStringLiteral("1,25x"));
}

TEST_F(PolynomialsWindow, PowerKeysSwapAndCopy)
{
    QLineEdit *p = Edit("pEdt");
    p->setText(QStringLiteral("x2"));
    p->setCursorPosition(1);
    Click("mocnina1Btn");
    EXPECT_EQ(p->text(), QStringLiteral("x^2"));
    EXPECT_EQ(p->cursorPosition(), 2);

    Click("vymenaBtn");
    EXPECT_EQ(p->text(), QStringLiteral("x^2+3"));
    EXPECT_EQ(Edit("qEdt")->text(), QStringLiteral("x^2"));

    Click("delenieBtn");
    Click("kopirovatVysledokDoPBtn");
    EXPECT_EQ(p->text(), QStringLiteral("1"));
}

namespace {

// Reads every accessible object below Interface as a screen reader does
// (name, role, place, state, text) and lists the visible controls that a
// user can press, type into or read that have no name.
void WalkAccessible(QAccessibleInterface *Interface, int Depth, int &Count, QStringList &Unnamed)
{
    ASSERT_TRUE(Interface && Interface->isValid());
    ASSERT_LT(Depth, 30);
    ++Count;
    const QString name = Interface->text(QAccessible::Name);
    const QAccessible::Role role = Interface->role();
    const QRect rect = Interface->rect();
    const QAccessible::State state = Interface->state();
    if (QAccessibleTextInterface *text = Interface->textInterface())
        text->text(0, std::min(text->characterCount(), 50));
    static const QAccessible::Role controls[] = {QAccessible::PushButton, QAccessible::EditableText,
                                                 QAccessible::StaticText, QAccessible::Graphic,
                                                 QAccessible::SpinBox,    QAccessible::Grouping};
    if (!state.invisible && !rect.isEmpty() && name.trimmed().isEmpty()
        && std::find(std::begin(controls), std::end(controls), role) != std::end(controls))
        Unnamed << (Interface->object() ? Interface->object()->objectName() : QStringLiteral("?"));
    for (int i = 0; i < Interface->childCount(); ++i)
        WalkAccessible(Interface->child(i), Depth + 1, Count, Unnamed);
}

} // namespace

TEST_F(PolynomialsWindow, AScreenReaderWalksTheWindowBetweenOperations)
{
    QAccessible::setActive(true);
    const auto walk = [&] {
        int count = 0;
        QStringList unnamed;
        WalkAccessible(QAccessible::queryAccessibleInterface(&Window), 0, count, unnamed);
        EXPECT_GT(count, 20);
        EXPECT_EQ(unnamed, QStringList());
    };
    walk();
    const struct
    {
        const char *P, *Q, *Button;
    } presses[] = {
        {"5x^3-3x^2+6x", "x^2+3", "delenieBtn"},
        {"5x^3-3x^2+6x", "x^2+3", "scitanieBtn"},
        {"5x^3-3x^2+6x", "x^2+3", "odcitanieBtn"},
        {"x+", "x", "delenieBtn"},
        {"x", "0", "delenieBtn"},
        {"a+b+c", "x^2+3", "umocniPBtn"},
        {"1", "x^2+3", "hornerBtn"},
        {"x^40+x+1", "x^2-1", "delenieBtn"},
    };
    for (int round = 0; round < 3; ++round)
        for (const auto &press : presses) {
            SCOPED_TRACE(press.Button);
            Edit("pEdt")->setText(QString::fromLatin1(press.P));
            Edit("qEdt")->setText(QString::fromLatin1(press.Q));
            QTest::mouseClick(Child<QPushButton>(press.Button), Qt::LeftButton);
            // While the operation runs, and once its outcome is shown.
            walk();
            Settle();
            walk();
        }
    QAccessible::setActive(false);
}

TEST_F(PolynomialsWindow, KeysReachEveryOperationAndEdit)
{
    Window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
    const struct
    {
        Qt::Key Key;
        const char *Drawn;
    } operations[] = {
        {Qt::Key_Slash, "(5x^3-3x^2+6x) / (x^2+3) = 5x-3 reminder: -9x+9"},
        {Qt::Key_Plus, "(5x^3-3x^2+6x) + (x^2+3) = 5x^3-2x^2+6x+3"},
        {Qt::Key_Minus, "(5x^3-3x^2+6x) - (x^2+3) = 5x^3-4x^2+6x-3"},
        {Qt::Key_Period, "(5x^3-3x^2+6x) . (x^2+3) = 5x^5+21x^3-3x^4-9x^2+18x"},
        {Qt::Key_N, "(5x^3-3x^2+6x)^2 = 25x^6-30x^5+69x^4-36x^3+36x^2"},
    };
    for (const auto &operation : operations) {
        SCOPED_TRACE(operation.Drawn);
        // A button pressed by its key shows the press for a moment first.
        QTest::keyClick(QApplication::focusWidget(), operation.Key, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return Drawn() == QString::fromLatin1(operation.Drawn); }, 5000))
            << Drawn().toStdString();
    }
    const struct
    {
        Qt::Key Key;
        const char *Edit;
    } edits[] = {{Qt::Key_P, "pEdt"}, {Qt::Key_Q, "qEdt"}, {Qt::Key_M, "bodEdt"}};
    for (const auto &edit : edits) {
        QTest::keyClick(QApplication::focusWidget(), edit.Key, Qt::AltModifier);
        EXPECT_EQ(QApplication::focusWidget(), Edit(edit.Edit)) << edit.Edit;
    }
}

TEST(ToolWindowRegistry, SeriesAndPolynomialsWindowsAreRegistered)
{
    RegisterToolWindowClasses(TGUIManager::Instance());
    EXPECT_NE(TGUIManager::Instance()->FormAs<TsumaFrm>(FormId::SeriesSum), nullptr);
    EXPECT_NE(TGUIManager::Instance()->FormAs<TmnohoclenyFrm>(FormId::Polynomials), nullptr);
    TGUIManager::FreeInstance();
}

TEST(ToolWindowTexts, SeriesAndPolynomialsWindowsReadTheirSections)
{
    const QString lang = qEnvironmentVariable("TANDOREL_SOURCE_DIR") + QStringLiteral("/data/lang/Slovensky.txt");
    TProgramTranslator::Instance()->LoadFile(lang);
    {
        TsumaFrm series;
        series.TranslateTexts();
        EXPECT_EQ(series.windowTitle(), QStringLiteral("Súčet / súčin radu"));
        EXPECT_EQ(series.DifficultCalculationCaption, QStringLiteral("Náročný výpočet"));
        TmnohoclenyFrm polynomials;
        polynomials.TranslateTexts();
        EXPECT_EQ(polynomials.windowTitle(), QStringLiteral("Mnohočleny"));
        EXPECT_EQ(polynomials.reminder, QStringLiteral("zvyšok:"));
        EXPECT_EQ(polynomials.findChild<QPushButton *>(QStringLiteral("kopirovatVysledokDoQBtn"))->text(),
                  QStringLiteral("Kopírovať výsledok"));
        EXPECT_EQ(polynomials.findChild<QPushButton *>(QStringLiteral("delenieBtn"))->toolTip(),
                  QStringLiteral("Delenie"));
    }
    TProgramTranslator::FreeInstance();
}

TEST(ToolWindowTexts, PolynomialsCaptionsFitAtALargerFontInBothLanguages)
{
    const QFont old = QApplication::font();
    QFont large = old;
    large.setPointSize(11);
    QApplication::setFont(large);
    for (const char *language : {"English.txt", "Slovensky.txt"}) {
        TProgramTranslator::Instance()->LoadFile(qEnvironmentVariable("TANDOREL_SOURCE_DIR")
                                                 + QStringLiteral("/data/lang/") + QLatin1String(language));
        ASSERT_TRUE(TProgramTranslator::Instance()->IsLoaded());
        TmnohoclenyFrm window;
        window.TranslateTexts();
        window.show();
        EXPECT_EQ(ClippedTexts(&window), QStringList()) << language;
    }
    TProgramTranslator::FreeInstance();
    QApplication::setFont(old);
}
