// The main window driven as a user drives it: keys typed into the input
// line, keypad keys clicked, and what the window then shows.
#include "shell/fMain.h"
#include "shell/uAccessibility.h"

#include "core/uCommon.h"
#include "core/uProgramSettings.h"
#include "core/uProgramState.h"
#include "core/uVariableManager.h"
#include "platform/SysUtils.h"
#include "shell/uGUIManager.h"
#include "shell/uMainProgram.h"
#include "shell/uProgramTranslator.h"
#include "shell/uShellCommon.h"
#include "tests/support/MainWindowDriver.h"
#include "tests/support/QtPrint.h"
#include "tests/support/TempProgramDir.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

class MainWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Driver = std::make_unique<TMainWindowDriver>();
        Form = Driver->Form;
        Input = Driver->Input;
    }
    void TearDown() override { Driver.reset(); }

    QAbstractButton *Key(const char *name) const { return Driver->Key(name); }
    void Click(const char *name) { Driver->Click(name); }
    void Type(const QString &text) { Driver->Type(text); }
    QString Text() const { return Driver->Text(); }
    QString Display() const { return Driver->Display(); }
    QString ErrorLabel() const { return Driver->ErrorLabel(); }
    bool WarningShown() const { return Driver->WarningShown(); }
    void SetCaret(int position)
    {
        QTextCursor c = Input->textCursor();
        c.setPosition(position);
        Input->setTextCursor(c);
    }
    int Caret() const { return Input->textCursor().position(); }
    // Bold and colour of the character at 1-based position p.
    QTextCharFormat FormatAt(int p) const
    {
        QTextCursor c(Input->document());
        c.setPosition(p);
        return c.charFormat();
    }
    // Loads Text as the language file and lets the window take its texts,
    // hints included.
    void TranslateWith(const QByteArray &Text)
    {
        LanguageDir.write(QStringLiteral("sk.txt"), Text);
        TProgramTranslator::Instance()->LoadFile(LanguageDir.file(QStringLiteral("sk.txt")));
        Form->TranslateTexts();
        if (TVlaknoPrekladaniaHintov *thread = Form->HintThread)
            thread->wait();
        QCoreApplication::processEvents();
    }
    bool Bold(int p) const { return FormatAt(p).fontWeight() == QFont::Bold; }
    bool Red(int p) const { return FormatAt(p).foreground().color() == QColor(Qt::red); }

    std::unique_ptr<TMainWindowDriver> Driver;
    TMainFrm *Form = nullptr;
    QTextEdit *Input = nullptr;
    TempProgramDir LanguageDir;
};

// ------------------------------------------------------------ input line

TEST_F(MainWindow, TypedCharactersOutsideTheExpressionSetAreDropped)
{
    Type(QStringLiteral("2#+@3;\"x"));
    EXPECT_EQ(Text(), QStringLiteral("2+3x"));
    // National keyboard characters map to the key they share.
    QKeyEvent national(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("ľ"));
    QApplication::sendEvent(Input, &national);
    EXPECT_EQ(Text(), QStringLiteral("2+3x2"));
}

TEST_F(MainWindow, TypedSeparatorGoesThroughTheDecimalPointKey)
{
    Type(QStringLiteral("2+."));
    EXPECT_EQ(Text(), QStringLiteral("2+0."));
    Type(QStringLiteral("5*3,"));
    EXPECT_EQ(Text(), QStringLiteral("2+0.5*3."));
}

TEST_F(MainWindow, BracketHighlightMarksTheInnermostPairAroundTheCaret)
{
    Type(QStringLiteral("sin(2"));
    // An open bracket without its partner: bold and red.
    EXPECT_TRUE(Bold(4));
    EXPECT_TRUE(Red(4));
    EXPECT_FALSE(Bold(5));
    Type(QStringLiteral(")"));
    SetCaret(5);
    QTest::keyClick(Input, Qt::Key_Left); // highlight follows the caret to 4
    QTest::keyClick(Input, Qt::Key_Right);
    EXPECT_TRUE(Bold(4));
    EXPECT_FALSE(Red(4));
    EXPECT_TRUE(Bold(6));
    EXPECT_FALSE(Red(6));
    EXPECT_FALSE(Bold(5));
}

TEST_F(MainWindow, BracketTypedWithShiftIsHighlightedButShiftSelectionsAreLeftAlone)
{
    QTest::keyClick(Input, '(', Qt::ShiftModifier);
    EXPECT_TRUE(Bold(1) && Red(1));
    Type(QStringLiteral("12"));
    QTest::keyClick(Input, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(Input->textCursor().selectedText(), QStringLiteral("2"));
}

TEST_F(MainWindow, BracketHighlightLeavesUnmatchedClosingAndCaretAtStartUnmarked)
{
    Type(QStringLiteral("2)+(3"));
    // Caret at the end: the "(" at 4 is open.
    EXPECT_TRUE(Bold(4) && Red(4));
    EXPECT_FALSE(Bold(2));
    SetCaret(1);
    QTest::mouseClick(Input->viewport(), Qt::LeftButton, {}, Input->cursorRect(Input->textCursor()).center());
    QApplication::processEvents();
    for (int p = 1; p <= 5; ++p)
        EXPECT_FALSE(Bold(p)) << p;
}

TEST_F(MainWindow, PastingTwoLinesKeepsTheFirst)
{
    QApplication::clipboard()->setText(QStringLiteral("1+2\n3"));
    Input->paste();
    EXPECT_EQ(Text(), QStringLiteral("1+2"));
    EXPECT_EQ(Input->document()->blockCount(), 1);
}

TEST_F(MainWindow, EscapeClearsInputAndResult)
{
    Form->SetInput(QStringLiteral("2+3"));
    Form->ShowResult(QStringLiteral("5"));
    QTest::keyClick(Input, Qt::Key_Escape);
    EXPECT_EQ(Text(), QString());
    EXPECT_EQ(Display(), QString());
    EXPECT_EQ(KProgramState::GetInstance(0)->LastExpression, QString());
}

// ------------------------------------------------------ result and errors

TEST_F(MainWindow, ResultIsRightAlignedAndCappedInWidth)
{
    auto *r = Form->findChild<QLineEdit *>(QStringLiteral("vysledokEdt"));
    Form->ShowResult(QStringLiteral("14"));
    EXPECT_EQ(Display(), QStringLiteral("  14"));
    EXPECT_EQ(r->geometry().right() + 1, 613);
    EXPECT_LT(r->width(), 353);
    Form->ShowResult(QString(120, u'9'));
    EXPECT_EQ(r->width(), 353);
    EXPECT_EQ(r->geometry().right() + 1, 613);
    // A shown result leaves the whole expression selected.
    Form->ShowResult(QString());
    EXPECT_FALSE(r->isVisible());
}

TEST_F(MainWindow, ShowErrorSelectsTheFaultyCharacters)
{
    Form->SetInput(QStringLiteral("12+34*56"));
    Form->ShowError(QStringLiteral("Bad"), 4, 8);
    EXPECT_EQ(ErrorLabel(), QStringLiteral("Bad"));
    EXPECT_EQ(Input->textCursor().selectedText(), QStringLiteral("4*56"));
    EXPECT_EQ(Display(), QString());
    Form->ShowError(QStringLiteral("Whole"), 0, 0);
    EXPECT_EQ(Input->textCursor().selectedText(), QStringLiteral("12+34*56"));
}

// --------------------------------------------------------------- keypad

TEST_F(MainWindow, OperatorAfterCalculationContinuesFromTheAnswer)
{
    // Ans = -5, continuation by "insert last result and operator".
    const struct
    {
        const char *key;
        const char *expected;
    } cases[] = {
        {"BtnPlus", "-5+"},
        {"BtnXna2", "(-5)^2"},
        {"BtnPrevratena", "1/(-5)"},
        {"BtnAbs", "abs(-5"},
    };
    for (const auto &c : cases) {
        Form->SetInput(QStringLiteral("2-7"));
        KProgramState *s = KProgramState::GetInstance(0);
        s->Ans = QStringLiteral("-5");
        s->JustCalculated = true;
        Click(c.key);
        EXPECT_EQ(Text(), QString::fromLatin1(c.expected)) << c.key;
        EXPECT_FALSE(s->JustCalculated) << c.key;
    }
}

TEST_F(MainWindow, OperatorAfterCalculationContinuesTheExpression)
{
    KProgramSettings::Instance()->InsertAfterCalculation = 2;
    const struct
    {
        const char *key;
        const char *expected;
    } cases[] = {
        {"BtnKrat", "(2+3)*"},
        {"BtnSin", "sin(2+3"},
    };
    for (const auto &c : cases) {
        Form->SetInput(QStringLiteral("2+3"));
        KProgramState::GetInstance(0)->JustCalculated = true;
        Click(c.key);
        EXPECT_EQ(Text(), QString::fromLatin1(c.expected)) << c.key;
    }
}

TEST_F(MainWindow, NoContinuationForPlainKeysOrWithTheSettingOff)
{
    KProgramState *s = KProgramState::GetInstance(0);
    Form->SetInput(QStringLiteral("2+3"));
    Form->ShowResult(QStringLiteral("5"));
    s->Ans = QStringLiteral("5");
    s->JustCalculated = true;
    Click("BitBtn7"); // a digit starts a new expression over the selection
    EXPECT_EQ(Text(), QStringLiteral("7"));

    KProgramSettings::Instance()->InsertAfterCalculation = 0;
    Form->SetInput(QStringLiteral("2+3"));
    Form->ShowResult(QStringLiteral("5"));
    s->JustCalculated = true;
    Click("BtnPlus");
    EXPECT_EQ(Text(), QStringLiteral("+"));
}

TEST_F(MainWindow, TrigonometricKeysFollowTheHyperbolicToggle)
{
    const struct
    {
        const char *key;
        bool hyp;
        const char *expected;
    } cases[] = {
        {"BtnSin", false, "sin("},  {"BtnSin", true, "sinh("},       {"BtnCotg", false, "cotan("},
        {"BtnCotg", true, "coth("}, {"BtnArccos", true, "arccosh("},
    };
    for (const auto &c : cases) {
        Form->SetInput(QString());
        auto *hyp = Form->findChild<QAbstractButton *>(QStringLiteral("CheckBoxHyp"));
        if (hyp->isChecked() != c.hyp)
            QTest::mouseClick(hyp, Qt::LeftButton, {}, QPoint(5, hyp->height() / 2));
        ASSERT_EQ(KProgramState::GetInstance(0)->Hyp, c.hyp);
        Click(c.key);
        EXPECT_EQ(Text(), QString::fromLatin1(c.expected)) << c.key << c.hyp;
    }
}

TEST_F(MainWindow, DecimalPointKeyAddsALeadingZeroAfterAnOperator)
{
    Type(QStringLiteral("2+"));
    Click("BtnCiarka");
    Type(QStringLiteral("5*3"));
    Click("BtnCiarka");
    EXPECT_EQ(Text(), QStringLiteral("2+0.5*3."));
    Form->SetInput(QString());
    Click("BtnCiarka");
    EXPECT_EQ(Text(), QStringLiteral("0."));
}

TEST_F(MainWindow, DeleteKeysWorkAtTheCaret)
{
    Form->SetInput(QStringLiteral("12+345"));
    SetCaret(5); // after "34"
    Click("BtnCE");
    EXPECT_EQ(Text(), QStringLiteral("12+"));
    EXPECT_EQ(Caret(), 3);
    Click("BtnCE"); // the character before the caret is an operator
    EXPECT_EQ(Text(), QStringLiteral("12+"));

    Form->SetInput(QStringLiteral("12+345"));
    SetCaret(2);
    Click("BtnJednoZmaz");
    EXPECT_EQ(Text(), QStringLiteral("1+345"));
    EXPECT_EQ(Caret(), 1);
    SetCaret(0);
    Click("BtnJednoZmaz");
    EXPECT_EQ(Text(), QStringLiteral("1+345"));

    // Shift+Delete is CE; CE with a selection deletes the selection.
    Form->SetInput(QStringLiteral("7*89"));
    QTest::keyClick(Input, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(Text(), QStringLiteral("7*"));
    Input->selectAll();
    Click("BtnCE");
    EXPECT_EQ(Text(), QString());

    Form->SetInput(QStringLiteral("1+2"));
    Form->ShowResult(QStringLiteral("3"));
    Click("BtnC");
    EXPECT_EQ(Text(), QString());
    EXPECT_EQ(Display(), QString());
}

TEST_F(MainWindow, MemoryKeysStoreTheShownResultAndRecallIt)
{
    auto *memory = Form->findChild<QLabel *>(QStringLiteral("LabelPamat"));
    Click("BtnMS");
    EXPECT_EQ(memory->text(), QStringLiteral("0"));
    Form->ShowResult(QStringLiteral("42"));
    Click("BtnMS");
    EXPECT_EQ(memory->text(), QStringLiteral("  42"));
    Form->SetInput(QStringLiteral("1+"));
    Click("BtnMR");
    EXPECT_EQ(Text(), QStringLiteral("1+  42"));
    Form->ShowResult(QString());
    Click("BtnMS");
    EXPECT_EQ(memory->text(), QStringLiteral("0"));
    // A signed or complex value comes back as one operand: "2*-5" is no
    // expression and "3*1+j2" would multiply only the real part.
    const struct
    {
        const char *shown, *input, *recalled;
    } cases[] = {
        {"-5", "2*", "2*(-5)"},
        {"1+j2", "3*", "3*(1+j2)"},
        {"1.5E-7", "", "(1.5E-7)"},
    };
    for (const auto &c : cases) {
        Form->ShowResult(QLatin1String(c.shown));
        Click("BtnMS");
        Form->SetInput(QLatin1String(c.input));
        Click("BtnMR");
        EXPECT_EQ(Text(), QLatin1String(c.recalled)) << c.shown;
    }
}

TEST_F(MainWindow, AnswerKeyInsertsANegativeAnswerAsOneOperand)
{
    const struct
    {
        const char *ans, *input, *inserted;
    } cases[] = {
        {"42", "1+", "1+42"},
        {"-5", "2*", "2*(-5)"},
        {"(1+j2)", "3*", "3*(1+j2)"},
    };
    for (const auto &c : cases) {
        KProgramState::GetInstance(0)->Ans = QLatin1String(c.ans);
        Form->SetInput(QLatin1String(c.input));
        Click("BtnANS");
        EXPECT_EQ(Text(), QLatin1String(c.inserted)) << c.ans;
    }
}

TEST_F(MainWindow, KeysAreAvailableByNumberSetAndNumeralSystem)
{
    // clang-format off
    const struct { int set; int system; const char *key; bool enabled; } cases[] = {
        {0, 0, "BitBtn10", true},  {0, 0, "BitBtn1", true},  {0, 0, "BitBtn2", false},
        {0, 0, "BitBtn9", false},  {0, 0, "BitBtn39", false},
        {0, 1, "BitBtn7", true},   {0, 1, "BitBtn8", false},
        {0, 2, "BitBtn2", true},   {0, 2, "BitBtn9", true},   {0, 2, "BitBtn43", false},
        {0, 3, "BitBtn39", true},  {0, 3, "BitBtn43", true},
        {0, 2, "BtnSin", true},    {0, 2, "BitBtn49", false}, {0, 2, "BtnAE", false},
        {1, 2, "BtnSin", false},   {1, 2, "BtnXna2", true},   {1, 2, "BitBtn49", true},
        {1, 2, "BtnAbs", true},    {1, 2, "BtnPercenta", false}, {1, 2, "BtnAE", true},
        {2, 2, "BtnSin", false},   {2, 2, "BtnLog", false},   {2, 2, "BtnXna2", false},
        {2, 2, "BtnPrevratena", true}, {2, 2, "BtnDeleno", true}, {2, 2, "BitBtn5", true},
        {2, 2, "BtnCiarka", false}, {2, 2, "CheckBoxHyp", false},
        {0, 2, "CheckBoxZlomky", true}, {1, 2, "CheckBoxZlomky", false},
    };
    // clang-format on
    const char *sets[] = {"sbRealne", "sbKomplexne", "sbModulo"};
    const char *systems[] = {"sbBin", "sbOct", "sbDec", "sbHex"};
    for (const auto &c : cases) {
        Click(sets[c.set]);
        Click(systems[c.system]);
        ASSERT_EQ(KProgramState::GetInstance(0)->NumberSet, c.set);
        ASSERT_EQ(KProgramState::GetInstance(0)->NumeralSystem, c.system);
        EXPECT_EQ(Key(c.key)->isEnabled(), c.enabled) << c.key << " set " << c.set << " system " << c.system;
    }
    // The modulus control only in modulo arithmetic; the input always.
    Click("sbModulo");
    EXPECT_TRUE(Form->findChild<QWidget *>(QStringLiteral("UpDownModulo"))->isEnabled());
    Click("sbRealne");
    EXPECT_FALSE(Form->findChild<QWidget *>(QStringLiteral("UpDownModulo"))->isEnabled());
    EXPECT_TRUE(Input->isEnabled());
}

TEST_F(MainWindow, ModulusStepsFromPrimeToPrime)
{
    auto *updown = Form->findChild<TUpDown *>(QStringLiteral("UpDownModulo"));
    Click("sbModulo");
    const struct
    {
        int from;
        int direction;
        int to;
    } cases[] = {
        {5, +1, 7}, {7, +1, 11}, {11, -1, 7}, {89, +1, 97}, {97, +1, 97}, {3, -1, 2}, {2, -1, 2},
    };
    for (const auto &c : cases) {
        KProgramState::GetInstance(0)->ModuloBase = quint8(c.from);
        Form->RestoreState();
        QTest::mouseClick(c.direction > 0 ? updown->UpButton() : updown->DownButton(), Qt::LeftButton);
        EXPECT_EQ(KProgramState::GetInstance(0)->ModuloBase, c.to) << c.from;
        EXPECT_EQ(updown->Position(), c.to);
        if (c.to != c.from)
            EXPECT_EQ(Key("sbModulo")->text(), QStringLiteral("Z (%1)").arg(c.to));
        else
            EXPECT_EQ(Key("sbModulo")->text(), QStringLiteral("Z(%1)").arg(c.from));
    }
}

TEST_F(MainWindow, ModeButtonsSetTheStateAndBoldTheDownOne)
{
    Click("sbRad");
    EXPECT_EQ(KProgramState::GetInstance(0)->AngleMode, 1);
    EXPECT_TRUE(Key("sbRad")->font().bold());
    EXPECT_FALSE(Key("sbDeg")->font().bold());
    Click("sbKomplexne");
    EXPECT_EQ(KProgramState::GetInstance(0)->NumberSet, 1);
    auto *up = Form->findChild<TUpDown *>(QStringLiteral("UpDownDesM"));
    QTest::mouseClick(up->UpButton(), Qt::LeftButton);
    EXPECT_EQ(KProgramState::GetInstance(0)->Decimals, 7);
    EXPECT_EQ(Form->findChild<QLineEdit *>(QStringLiteral("EditDesM"))->text(), QStringLiteral("7"));
}

TEST_F(MainWindow, ModeButtonsChangeTheModeHoweverTheyArePressed)
{
    // clang-format off
    const struct { const char *button, *other; quint8 KProgramState::*field; quint8 value; } cases[] = {
        {"sbHex", "sbDec", &KProgramState::NumeralSystem, 3}, {"sbOct", "sbDec", &KProgramState::NumeralSystem, 1},
        {"sbBin", "sbDec", &KProgramState::NumeralSystem, 0}, {"sbDec", "sbHex", &KProgramState::NumeralSystem, 2},
        {"sbRad", "sbDeg", &KProgramState::AngleMode, 1},     {"sbGrad", "sbDeg", &KProgramState::AngleMode, 2},
        {"sbDeg", "sbRad", &KProgramState::AngleMode, 0},     {"sbKomplexne", "sbRealne", &KProgramState::NumberSet, 1},
        {"sbModulo", "sbRealne", &KProgramState::NumberSet, 2}, {"sbRealne", "sbModulo", &KProgramState::NumberSet, 0},
    };
    // clang-format on
    KProgramState *state = KProgramState::GetInstance(0);
    const auto press = [](QAbstractButton *button, const QString &how) {
        if (how == QLatin1String("Space")) {
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Space);
        } else if (how == QLatin1String("click()")) {
            button->click();
        } else {
            QAccessible::queryAccessibleInterface(button)->actionInterface()->doAction(how);
        }
    };
    for (const auto &c : cases) {
        QAbstractButton *button = Key(c.button);
        QAccessibleActionInterface *actions = QAccessible::queryAccessibleInterface(button)->actionInterface();
        ASSERT_TRUE(actions) << c.button;
        QStringList ways = actions->actionNames();
        ways.removeIf([](const QString &name) {
            return name != QAccessibleActionInterface::pressAction()
                   && name != QAccessibleActionInterface::toggleAction();
        });
        ASSERT_FALSE(ways.isEmpty()) << c.button;
        ways << QStringLiteral("Space") << QStringLiteral("click()");
        for (const QString &how : std::as_const(ways)) {
            Click(c.other);
            ASSERT_NE(state->*c.field, c.value) << c.button;
            press(button, how);
            // A press action may click after a moment, as a pressed key would.
            for (int waited = 0; state->*c.field != c.value && waited < 1000; waited += 10)
                QTest::qWait(10);
            EXPECT_EQ(state->*c.field, c.value) << c.button << " " << how.toStdString();
            EXPECT_TRUE(button->isChecked() && button->font().bold()) << c.button << " " << how.toStdString();
            EXPECT_FALSE(Key(c.other)->isChecked() || Key(c.other)->font().bold())
                << c.button << " " << how.toStdString();
        }
    }
    // The keys follow too: the hexadecimal digits only in base 16.
    QAccessible::queryAccessibleInterface(Key("sbHex"))
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(Key("BitBtn39")->isEnabled());
}

TEST_F(MainWindow, TheModeButtonAlreadyDownRunsItsHandlerOnceMore)
{
    // A click on the numeral system in use converts the input again, as
    // every click on it does; restoring the state only sets the buttons.
    Click("sbHex");
    Click("BtnC");
    Type(QStringLiteral("FF"));
    KProgramState::GetInstance(0)->Ans = QStringLiteral("1F");
    Form->RestoreState();
    EXPECT_EQ(Display(), QString());
    Click("sbHex");
    EXPECT_EQ(Text(), QStringLiteral("FF"));
    EXPECT_EQ(Display(), QStringLiteral("  1F"));
}

TEST_F(MainWindow, TheShrinkKeyFollowsItsToggle)
{
    QAccessible::queryAccessibleInterface(Key("BtnVelkost"))
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_FALSE(Form->statusBar()->isVisible());
    EXPECT_FALSE(Key("BtnSin")->isVisible());
    Key("BtnVelkost")->toggle();
    EXPECT_TRUE(Form->statusBar()->isVisible());
    EXPECT_TRUE(Key("BtnSin")->isVisible());
}

// ------------------------------------------------- texts and settings

TEST_F(MainWindow, WithoutLanguageFileOnlyTheDecimalKeyIsRecaptioned)
{
    KProgramSettings::Instance()->SetDecimalSeparator(2);
    Form->TranslateTexts();
    EXPECT_EQ(Key("BtnCiarka")->text(), QStringLiteral(","));
    EXPECT_EQ(Key("BtnTG")->text(), QStringLiteral("tan"));
    EXPECT_FALSE(Form->HintThread);
}

TEST_F(MainWindow, LanguageFileTranslatesCaptionsAndHints)
{
    TranslateWith("[MainMenu]\nTools=N\xc3\xa1stroje\nHistory=Hist\xc3\xb3ria...\n"
                  "[MainWindow]\nHyperbolic=hyperb\nbtnTan=tg\nHelp=Pomoc\n"
                  "[Common]\nPaste=Vlo\xc5\xbei\xc5\xa5\n"
                  "[Hints]\nhntPi=Ludolfovo \xc4\x8d\xc3\xadslo\nhntChar=Vlo\xc5\xbe tento znak\n"
                  "[Addresses]\nDocumentationPage=http://elsewhere.example.com/docs\n");
    ASSERT_TRUE(TProgramTranslator::Instance()->IsLoaded());

    EXPECT_EQ(Form->menuBar()->actions().at(0)->text(), QString::fromUtf8("Nástroje"));
    EXPECT_EQ(Form->findChild<QAbstractButton *>(QStringLiteral("CheckBoxHyp"))->text(), QStringLiteral("hyperb"));
    auto *help = Form->findChild<QLabel *>(QStringLiteral("StatusPanel0"));
    EXPECT_EQ(help->text(), QStringLiteral("Pomoc"));
    EXPECT_EQ(Key("BtnPi")->toolTip(), QString::fromUtf8("Ludolfovo číslo"));
    EXPECT_EQ(Key("BitBtn39")->toolTip(), QString::fromUtf8("Vlož tento znak"));
    EXPECT_EQ(Key("BtnPlus")->toolTip(), QStringLiteral("Addition")); // no key: English stays
    // The translated tangent caption is what the key inserts.
    Click("BtnTG");
    EXPECT_EQ(Text(), QStringLiteral("tg("));
    // A documentation address off the maker's site is not taken; no
    // language code in the file means "e2".
    EXPECT_TRUE(Form->DocumentationPage.contains(MakerDomainName()));
    EXPECT_EQ(LanguageCode, QStringLiteral("e2"));
    TProgramTranslator::FreeInstance();
}

TEST_F(MainWindow, StatusBarShowsTheHintOfTheControlUnderTheMouse)
{
    auto *panel = Form->findChild<QLabel *>(QStringLiteral("StatusPanel1"));
    QTest::mouseMove(Key("BtnMS"));
    EXPECT_EQ(panel->text(), QStringLiteral(" Save result to memory"));
    QTest::mouseMove(Form->centralWidget(), QPoint(2, 200));
    EXPECT_EQ(panel->text(), QString());
    // The two check boxes as well, also while the mouse goes on moving over them.
    for (const char *name : {"CheckBoxHyp", "CheckBoxZlomky"}) {
        auto *box = Form->findChild<QWidget *>(QLatin1String(name));
        QTest::mouseMove(box, QPoint(4, 4));
        QTest::mouseMove(box, QPoint(8, 6));
        EXPECT_EQ(panel->text(), u' ' + box->toolTip()) << name;
        QTest::mouseMove(Form->centralWidget(), QPoint(2, 200));
    }
}

TEST_F(MainWindow, TheHintShownIsTranslatedWithTheRest)
{
    // The mouse rests on a key while the language changes: its hint in the
    // status bar follows without the mouse moving.
    auto *panel = Form->findChild<QLabel *>(QStringLiteral("StatusPanel1"));
    QTest::mouseMove(Key("BtnMS"));
    ASSERT_EQ(panel->text(), QStringLiteral(" Save result to memory"));
    TranslateWith("[Hints]\nhntMS=Ulo\xc5\xbe v\xc3\xbdsledok do pam\xc3\xa4te\n");
    EXPECT_EQ(panel->text(), QString::fromUtf8(" Ulož výsledok do pamäte"));
    // Another control's hint changing leaves the panel alone.
    Key("BtnMR")->setToolTip(QStringLiteral("elsewhere"));
    EXPECT_EQ(panel->text(), QString::fromUtf8(" Ulož výsledok do pamäte"));
    TProgramTranslator::FreeInstance();
}

// "class name: role" of every control of Window that a user can reach (shown
// or focusable) and that has no accessible name; layout containers (the
// central area, frames, the menu and status bars themselves) are no controls.
QStringList NamelessControls(QWidget *Window)
{
    QStringList nameless;
    for (QWidget *w : Window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(Window) && (w->focusPolicy() == Qt::NoFocus || !w->isEnabled()))
            continue;
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        switch (a ? a->role() : QAccessible::NoRole) {
        case QAccessible::Client:
        case QAccessible::Border:
        case QAccessible::Grouping:
        case QAccessible::MenuBar:
        case QAccessible::StatusBar:
            continue;
        default:
            break;
        }
        if (!a || a->text(QAccessible::Name).trimmed().isEmpty())
            nameless << w->objectName() + QStringLiteral(": ") + QString::number(a ? a->role() : -1);
    }
    return nameless;
}

TEST_F(MainWindow, EveryControlHasAnAccessibleName)
{
    EXPECT_EQ(NamelessControls(Form), QStringList());
    // With every sign and text shown that can be.
    Form->SetInput(QStringLiteral("2+3"));
    Form->ShowResult(QStringLiteral("5"));
    Type(QStringLiteral("1"));
    ASSERT_TRUE(WarningShown());
    Form->ShowUpdateAvailable();
    QTest::mouseMove(Key("BtnMS"));
    EXPECT_EQ(NamelessControls(Form), QStringList());
    Form->ShowError(QStringLiteral("Bad"), 0, 0);
    EXPECT_EQ(NamelessControls(Form), QStringList());
    // The names taken from hints follow them into another language.
    TranslateWith("[Hints]\nhntEnterExpressionHere=Sem zadajte v\xc3\xbd"
                  "raz\n"
                  "hntDec=Po\xc4\x8d"
                  "et desatinn\xc3\xbd"
                  "ch miest\n");
    const auto name = [](QWidget *w) { return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name); };
    EXPECT_EQ(name(Input), QString::fromUtf8("Sem zadajte výraz"));
    auto *decimals = Form->findChild<TUpDown *>(QStringLiteral("UpDownDesM"));
    EXPECT_EQ(name(decimals->UpButton()), QString::fromUtf8("Počet desatinných miest +"));
    EXPECT_EQ(name(Form->findChild<QWidget *>(QStringLiteral("EditDesM"))), QStringLiteral("Prec.:"));
    TProgramTranslator::FreeInstance();
}

TEST_F(MainWindow, FixedColoursReadInADarkThemeAndStayAsDesignedInTheLightOne)
{
    auto *area = Form->findChild<QWidget *>(QStringLiteral("Shape1"));
    auto *memory = Form->findChild<QLabel *>(QStringLiteral("LabelPamat"));
    auto *error = Form->findChild<QLabel *>(QStringLiteral("LblChyba"));
    auto *result = Form->findChild<QLineEdit *>(QStringLiteral("vysledokEdt"));
    auto *preview = Form->findChild<QLabel *>(QStringLiteral("nahladImg"));
    const auto areaColour = [area] { return area->palette().color(QPalette::Window); };
    // An open bracket at 4, ordinary text at 1; a result and an error.
    const auto show = [&] {
        Form->SetInput(QString());
        Type(QStringLiteral("sin(2"));
        Form->ShowResult(QStringLiteral("5"));
        Form->ShowError(QStringLiteral("Bad"), 0, 0);
        SetCaret(5);
        QTest::keyClick(Input, Qt::Key_Left);
        QTest::keyClick(Input, Qt::Key_Right);
    };
    // The ink of the preview image: its frame's top left pixel.
    const auto ink = [preview] { return preview->pixmap().toImage().pixelColor(0, 0); };

    const QPalette light = QApplication::palette();
    show();
    EXPECT_EQ(areaColour(), QColor(Qt::white));
    EXPECT_EQ(FormatAt(1).foreground().color(), QColor(Qt::black));
    EXPECT_EQ(FormatAt(4).foreground().color(), QColor(Qt::red));
    EXPECT_EQ(error->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_EQ(ink(), QColor(0, 0, 128));

    QPalette dark(QColor(0x35, 0x35, 0x35), QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
    dark.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
    QApplication::setPalette(dark);
    QCoreApplication::processEvents();
    show();
    Form->ShowResult(QStringLiteral("5"));
    const struct
    {
        const char *What;
        QColor Text, Background;
    } pairs[] = {
        {"expression", FormatAt(1).foreground().color(), Input->palette().color(QPalette::Base)},
        {"open bracket", FormatAt(4).foreground().color(), Input->palette().color(QPalette::Base)},
        {"memory", memory->palette().color(QPalette::WindowText), areaColour()},
        {"error", error->palette().color(QPalette::WindowText), areaColour()},
        {"result", result->palette().color(QPalette::Text), result->palette().color(QPalette::Base)},
        {"preview image", ink(), areaColour()},
    };
    for (const auto &p : pairs)
        EXPECT_GE(ContrastRatio(p.Text, p.Background), 4.5) << p.What;
    EXPECT_EQ(result->palette().color(QPalette::Base), areaColour());
    EXPECT_EQ(Input->palette().color(QPalette::Base), areaColour());

    QApplication::setPalette(light);
    QCoreApplication::processEvents();
    EXPECT_EQ(areaColour(), QColor(Qt::white));
    EXPECT_EQ(FormatAt(4).foreground().color(), QColor(Qt::red));
}

TEST_F(MainWindow, StatusBarPanelsLieInsideTheWindow)
{
    Form->show();
    QCoreApplication::processEvents();
    auto *bar = Form->findChild<QStatusBar *>(QStringLiteral("StatusBar1"));
    ASSERT_TRUE(bar);
    const QRect window = Form->rect();
    const QRect barRect(bar->mapTo(Form, QPoint(0, 0)), bar->size());
    EXPECT_TRUE(window.contains(barRect)) << barRect.x() << "," << barRect.y() << " " << barRect.width() << "x"
                                          << barRect.height() << " in " << window.width() << "x" << window.height();
    for (const char *name : {"StatusPanel0", "StatusPanel1", "StatusPanel2"}) {
        auto *panel = Form->findChild<QWidget *>(QLatin1String(name));
        ASSERT_TRUE(panel) << name;
        const QRect r(panel->mapTo(Form, QPoint(0, 0)), panel->size());
        EXPECT_TRUE(barRect.contains(r)) << name << " " << r.x() << "," << r.y() << " " << r.width() << "x"
                                         << r.height();
    }
}

TEST_F(MainWindow, SavedPositionOffEveryScreenIsReplacedByACentredOne)
{
    KProgramSettings *settings = KProgramSettings::Instance();
    settings->Center = false;
    settings->Left = 10;
    settings->Top = 20;
    Form->ApplySettings();
    EXPECT_EQ(Form->pos(), QPoint(10, 20));
    settings->Left = -20000;
    settings->Top = -20000;
    Form->ApplySettings();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.intersects(Form->frameGeometry()));
    settings->SaveMemoryData = true;
    settings->MemoryData = QStringLiteral("  12");
    Form->ApplySettings();
    EXPECT_EQ(Form->findChild<QLabel *>(QStringLiteral("LabelPamat"))->text(), QStringLiteral("  12"));
}

TEST_F(MainWindow, ShrinkKeyHidesTheScientificRows)
{
    QWidget *central = Form->centralWidget();
    const int full = central->height();
    Click("BtnVelkost");
    EXPECT_EQ(central->height(), Key("BtnC")->geometry().bottom() + 1 + 7);
    EXPECT_FALSE(Form->statusBar()->isVisible());
    Click("BtnVelkost");
    EXPECT_EQ(central->height(), full);
    EXPECT_TRUE(Form->statusBar()->isVisible());
}

TEST_F(MainWindow, AlgebraicExponentialKeySwitchesTheAnswersForm)
{
    Click("sbKomplexne");
    KProgramState::GetInstance(0)->Ans = QStringLiteral("(3+j4)");
    Click("BtnAE");
    EXPECT_EQ(Display(), QStringLiteral("  5e^j53.130 102"));
    EXPECT_TRUE(KProgramState::GetInstance(0)->Ans.startsWith(QStringLiteral("(5e^j53.13010235")));
    Click("BtnAE");
    EXPECT_EQ(Display(), QStringLiteral("  3+j4"));
}

TEST_F(MainWindow, TheAnswerAfterTheFormSwitchIsReadBack)
{
    // 1+j, switched to the exponential form, then used again by ANS, by an
    // operator that goes on from it and by the memory.
    Click("sbKomplexne");
    Type(QStringLiteral("1+j"));
    Driver->Enter();
    Click("BtnAE");
    EXPECT_EQ(Display(), QStringLiteral("  1.414 214e^j45"));
    Click("BtnMS");

    Click("BtnC");
    Type(QStringLiteral("2*"));
    Click("BtnANS");
    Driver->Enter();
    EXPECT_EQ(ErrorLabel(), QString());
    EXPECT_EQ(Display(), QStringLiteral("  2+j2"));

    Click("BtnAE"); // to the exponential form again
    Click("BtnPlus");
    Type(QStringLiteral("1"));
    Driver->Enter();
    EXPECT_EQ(ErrorLabel(), QString());
    EXPECT_EQ(Display(), QStringLiteral("  3+j2"));

    Click("BtnC");
    Click("BtnMR");
    Type(QStringLiteral("*2"));
    Driver->Enter();
    EXPECT_EQ(ErrorLabel(), QString());
    EXPECT_EQ(Display(), QStringLiteral("  2.000 001+j2.000 001")); // the memory holds the shown digits
}

TEST_F(MainWindow, TheFormSwitchOutsideDecimalReadsTheAnswerInItsBase)
{
    // 20+j20 in each base: the switch shows the same number in the other
    // form, and ANS, an operator going on from it and the memory put in a
    // text of that base that reads back (an "e" is a digit there).
    using namespace Qt::StringLiterals;
    struct Case
    {
        const char *Base;
        QString Typed, Exponential, Doubled, PlusOne, MemoryTwice;
    };
    const Case cases[] = {
        {"sbHex", u"14+j14"_s, u"1C.48 C5 Ee^j2D"_s, u"28+j28"_s, u"29+j28"_s, u"3C+j3C"_s},
        {"sbOct", u"24+j24"_s, u"34.221 427 7e^j55"_s, u"50+j50"_s, u"51+j50"_s, u"74+j74"_s},
        {"sbBin", u"1 0100+j1 0100"_s, u"1 1100.0100 1000 1100 0110 0000 0e^j10 1101"_s, u"10 1000+j10 1000"_s,
         u"10 1001+j10 1000"_s, u"11 1100+j11 1100"_s},
    };
    Click("sbKomplexne");
    for (const Case &c : cases) {
        Click(c.Base);
        Click("BtnC");
        Type(QString(c.Typed).remove(u' '));
        Driver->Enter();
        ASSERT_EQ(ErrorLabel(), QString()) << c.Base;
        Click("BtnAE");
        EXPECT_EQ(Display(), u"  "_s + c.Exponential) << c.Base;
        Click("BtnAE"); // and back
        EXPECT_EQ(Display(), u"  "_s + c.Typed) << c.Base;
        Click("BtnAE");

        Click("BtnC");
        Type(u"2*"_s);
        Click("BtnANS");
        Driver->Enter();
        EXPECT_EQ(ErrorLabel(), QString()) << c.Base;
        EXPECT_EQ(Display(), u"  "_s + c.Doubled) << c.Base;

        Click("BtnAE");
        Click("BtnMS");
        Click("BtnPlus");
        Type(u"1"_s);
        Driver->Enter();
        EXPECT_EQ(ErrorLabel(), QString()) << c.Base;
        EXPECT_EQ(Display(), u"  "_s + c.PlusOne) << c.Base;

        Click("BtnC");
        Click("BtnMR");
        Type(u"+"_s + QString(c.Typed).remove(u' '));
        Driver->Enter();
        EXPECT_EQ(ErrorLabel(), QString()) << c.Base;
        EXPECT_EQ(Display(), u"  "_s + c.MemoryTwice) << c.Base;
    }
}

TEST_F(MainWindow, ADecimalPointTypedInModuloModeStaysToBeReported)
{
    // The decimal-point key has no place there, but the typed point must
    // not vanish and make one number of 2 and 5.
    Click("sbModulo");
    EXPECT_FALSE(Key("BtnCiarka")->isEnabled());
    for (const char *typed : {"2.5+1", "2,5+1"}) {
        Click("BtnC");
        Type(QString::fromLatin1(typed));
        EXPECT_EQ(Text(), QStringLiteral("2.5+1")) << typed;
        Driver->Enter();
        EXPECT_EQ(Display(), QString()) << typed;
        EXPECT_FALSE(ErrorLabel().isEmpty()) << typed;
        EXPECT_EQ(Input->textCursor().selectedText(), QStringLiteral(".")) << typed;
    }
}

} // namespace
