// The controller with the real main window: calculations typed and
// evaluated with Enter, errors shown with the faulty part selected, the
// change warning, the change of numeral system and the error messages.
#include "shell/uMainProgram.h"

#include "core/uCommon.h"
#include "core/uProgramSettings.h"
#include "core/uProgramState.h"
#include "core/uVariableManager.h"
#include "shell/fHistoria.h"
#include "shell/fKonstanty.h"
#include "shell/fMain.h"
#include "shell/fVariables.h"
#include "shell/uDisk.h"
#include "shell/uGUIManager.h"
#include "shell/uHistoryModel.h"
#include "shell/uProgramTranslator.h"
#include "tests/support/MainWindowDriver.h"
#include "tests/support/QtPrint.h"
#include "tests/support/TempProgramDir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Stands in for the graph, derivatives, series-sum and preview windows:
// records what the controller hands over.
class ReceiverFrm : public KTandorelForm,
                    public IFunctionGraphHandOver,
                    public IDerivativeHandOver,
                    public ISeriesHandOver,
                    public IExpressionPreviewHandOver
{
    Q_OBJECT
public:
    static inline QStringList Received;
    void TranslateTexts() override {}
    void ShowFunction(const QString &Text) override { Received << QStringLiteral("graph:") + Text; }
    void SetFunction(const QString &Text) override { Received << QStringLiteral("derivative:") + Text; }
    void SetExpression(const QString &Text) override { Received << QStringLiteral("expression:") + Text; }
    void Redraw() override { Received << QStringLiteral("redraw"); }
};

// A window registered where a hand-over goes but without its entry.
class DeafFrm : public KTandorelForm
{
    Q_OBJECT
public:
    void TranslateTexts() override {}
};

class Calculator : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Driver = std::make_unique<TMainWindowDriver>();
        Form = Driver->Form;
        Input = Driver->Input;
        TGUIManager::Instance()->RegisterMagneticFormClass(FormId::History, &CreateForm<ThistoriaFrm>, DockCentred);
        TGUIManager::Instance()->RegisterMagneticFormClass(FormId::Variables, &CreateForm<TVariablesFrm>, DockRight);
        for (int id : {FormId::ExpressionPreview, FormId::SeriesSum, FormId::FunctionGraph, FormId::Derivatives})
            TGUIManager::Instance()->RegisterFormClass(id, &CreateForm<ReceiverFrm>);
        ReceiverFrm::Received.clear();
    }
    void TearDown() override
    {
        Driver.reset();
        TGUIManager::FreeInstance();
    }
    void Type(const QString &text) { Driver->Type(text); }
    void Enter() { Driver->Enter(); }
    void Click(const char *name) { Driver->Click(name); }
    QString Display() const { return Driver->Display(); }
    QString ErrorLabel() const { return Driver->ErrorLabel(); }
    bool WarningShown() const { return Driver->WarningShown(); }
    QStringList History() const
    {
        QStringList lines;
        const THistoryModel *h = KMainProgram::Instance()->History();
        for (int i = 0; i < h->Count(); ++i)
            lines << h->Lines(i);
        return lines;
    }

    std::unique_ptr<TMainWindowDriver> Driver;
    TMainFrm *Form = nullptr;
    QTextEdit *Input = nullptr;
};

TEST_F(Calculator, TypedExpressionAndEnterShowTheResultAndAddAHistoryLine)
{
    Type(QStringLiteral("2+3*4"));
    Enter();
    EXPECT_EQ(Display(), QStringLiteral("  14"));
    EXPECT_EQ(ErrorLabel(), QString());
    EXPECT_EQ(History(), QStringList{QStringLiteral("2+3*4 = 14")});
    KProgramState *s = KProgramState::GetInstance(0);
    EXPECT_EQ(s->Ans, QStringLiteral("14"));
    EXPECT_EQ(s->LastExpression, QStringLiteral("2+3*4"));
    EXPECT_TRUE(s->JustCalculated);
    // The next operator continues from the answer.
    Type(QStringLiteral("-1"));
    Enter();
    EXPECT_EQ(Input->toPlainText(), QStringLiteral("14-1"));
    EXPECT_EQ(Display(), QStringLiteral("  13"));
}

TEST_F(Calculator, MissingClosingBracketsAreAddedBeforeCalculating)
{
    Type(QStringLiteral("2*(3+4"));
    Enter();
    EXPECT_EQ(Input->toPlainText(), QStringLiteral("2*(3+4)"));
    EXPECT_EQ(Display(), QStringLiteral("  14"));
}

TEST_F(Calculator, AnErrorShowsItsMessageAndSelectsTheFaultyCharacters)
{
    Type(QStringLiteral("2 + $x*3"));
    Enter();
    EXPECT_EQ(ErrorLabel(), QStringLiteral("Unknown constant \"$x\"."));
    EXPECT_EQ(Input->textCursor().selectedText(), QStringLiteral("$x"));
    EXPECT_EQ(Display(), QString());
    EXPECT_TRUE(History().isEmpty() || !History().contains(QStringLiteral("2 + $x*3 = ")));
}

TEST_F(Calculator, ConstantsComeFromTheConstantsWindow)
{
    TempProgramDir dir; // no const.dat: only the built-in constants
    SetProgramDir(dir.path());
    dir.write(QStringLiteral("lang.txt"), "[Info]\nLanguageIsoCode=en\n");
    TProgramTranslator::Instance()->LoadFile(dir.file(QStringLiteral("lang.txt")));
    TGUIManager::Instance()->RegisterMagneticFormClass(FormId::Constants, &CreateForm<TkonstantyFrm>, DockCentred);
    Type(QStringLiteral("$pi*2+$e-$e"));
    Enter();
    EXPECT_EQ(Display(), QStringLiteral("  6.283 185"));
    Form->SetInput(QStringLiteral("$pi+$g"));
    Enter();
    EXPECT_EQ(ErrorLabel(), QStringLiteral("Unknown constant \"$g\"."));
    EXPECT_EQ(Input->textCursor().selectedText(), QStringLiteral("$g"));
    // A new registry means a new constants window; the old list is not used.
    TGUIManager::FreeInstance();
    TGUIManager::Instance()->SetMainForm(Form);
    TGUIManager::Instance()->RegisterMagneticFormClass(FormId::Constants, &CreateForm<TkonstantyFrm>, DockCentred);
    Form->SetInput(QStringLiteral("$e*0"));
    Enter();
    EXPECT_EQ(Display(), QStringLiteral("  0"));
    TGUIManager::FreeInstance();
    ConstantItems = nullptr;
    TProgramTranslator::FreeInstance();
    SetProgramDir(QString());
}

TEST_F(Calculator, ErrorsShowTheirMessageAndSelectTheirPart)
{
    KProgramSettings::Instance()->CloseParentheses = false;
    const struct
    {
        const char *input, *message, *selected;
    } cases[] = {
        {"2+*3", "Operator can not be followed by another operator.", "*"},
        {"(1+2", "Bracket not closed.", "("},
        {"1 + 2 )", "Incorrect use of closing bracket.", ")"},
        {"$pi$e$g", "Unknown constant \"$pi\".", "$pi"},            // no constants window registered
        {"ln(0)", "Invalid argument of function \"ln\".", "ln(0)"}, // no part known: all selected
    };
    for (const auto &c : cases) {
        Form->SetInput(QString::fromUtf8(c.input));
        Enter();
        EXPECT_EQ(ErrorLabel(), QString::fromUtf8(c.message)) << c.input;
        EXPECT_EQ(Input->textCursor().selectedText(), QString::fromUtf8(c.selected)) << c.input;
        EXPECT_EQ(Display(), QString()) << c.input;
    }
}

TEST_F(Calculator, DivisionByZeroLeavesAnswerAndHistoryUnchanged)
{
    Type(QStringLiteral("2+3"));
    Enter();
    QApplication::clipboard()->setText(QStringLiteral("before"));
    KProgramSettings::Instance()->CopyResultToClipboard = true;
    Form->SetInput(QStringLiteral("1/0"));
    Enter();
    EXPECT_EQ(ErrorLabel(), QStringLiteral("Illegal operation: Division by zero."));
    EXPECT_EQ(KProgramState::GetInstance(0)->Ans, QStringLiteral("5"));
    EXPECT_EQ(History(), QStringList{QStringLiteral("2+3 = 5")});
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("before"));
    Form->SetInput(QStringLiteral("6*7"));
    Enter();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("42"));
}

TEST_F(Calculator, ComplexResultIsShownWithoutAndKeptWithItsBrackets)
{
    KProgramSettings::Instance()->CopyResultToClipboard = true;
    Click("sbKomplexne");
    Type(QStringLiteral("(1+j)*(1+j)+1"));
    Enter();
    EXPECT_EQ(Display(), QStringLiteral("  1+j2"));
    EXPECT_EQ(KProgramState::GetInstance(0)->Ans, QStringLiteral("(1+j2)"));
    EXPECT_EQ(History().last(), QStringLiteral("(1+j)*(1+j)+1 = (1+j2)"));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("(1+j2)"));
    // An operator continues from the bracketed answer.
    Type(QStringLiteral("*2"));
    EXPECT_EQ(Input->toPlainText(), QStringLiteral("(1+j2)*2"));
}

TEST_F(Calculator, ChangeWarningAppearsWhenTheExpressionNoLongerMatches)
{
    Type(QStringLiteral("2+3"));
    Enter();
    EXPECT_FALSE(WarningShown());
    QTextCursor c = Input->textCursor();
    c.movePosition(QTextCursor::End);
    Input->setTextCursor(c);
    Type(QStringLiteral("1"));
    EXPECT_TRUE(WarningShown());
    QTest::keyClick(Input, Qt::Key_Backspace);
    EXPECT_FALSE(WarningShown());
}

TEST_F(Calculator, NewVariableIsRegisteredAndReportedWithoutValue)
{
    Type(QStringLiteral("a+1"));
    Enter();
    EXPECT_EQ(ErrorLabel(), QStringLiteral("All variables are not entered."));
    EXPECT_TRUE(TVariableManager::Instance()->Exists(QStringLiteral("a")));
    EXPECT_TRUE(TGUIManager::Instance()->GetForm(FormId::Variables)->isVisible());
    TVariableManager::Instance()->SetValue(QStringLiteral("a"), QStringLiteral("2"));
    TVariableManager::Instance()->SetValue(QStringLiteral("b"), QStringLiteral("3"));
    Form->SetInput(QStringLiteral("a*b"));
    Enter();
    EXPECT_EQ(Display(), QStringLiteral("  6"));
    EXPECT_EQ(History().last(), QStringLiteral("a*b = 6 [a=2;b=3;]"));
}

TEST_F(Calculator, SwitchingToHexadecimalRewritesInputAndAnswer)
{
    Type(QStringLiteral("255+1"));
    Enter();
    ASSERT_EQ(Display(), QStringLiteral("  256"));
    Click("sbHex");
    EXPECT_EQ(Input->toPlainText(), QStringLiteral("FF+1"));
    EXPECT_EQ(Display(), QStringLiteral("  1 00"));
    KProgramState *s = KProgramState::GetInstance(0);
    EXPECT_EQ(s->NumeralSystem, 3);
    EXPECT_EQ(s->Decimals, 5); // 6 decimal places are about 5 hexadecimal ones
    EXPECT_TRUE(s->JustCalculated);
    EXPECT_FALSE(WarningShown());
    Click("sbDec");
    EXPECT_EQ(Input->toPlainText(), QStringLiteral("255+1"));
    // Constants keep their names both ways.
    Form->SetInput(QStringLiteral("$e*12"));
    Click("sbHex");
    EXPECT_EQ(Input->toPlainText(), QStringLiteral("$e*C"));
    Click("sbDec");
    EXPECT_EQ(Input->toPlainText(), QStringLiteral("$e*12"));
}

TEST_F(Calculator, SwitchingToBinaryWithTheMostDecimalPlacesCapsThem)
{
    // 255 decimal places (an edited state file) would need 847 binary ones.
    KProgramState::GetInstance(0)->Decimals = 255;
    Type(QStringLiteral("3+1"));
    Click("sbBin");
    KProgramState *s = KProgramState::GetInstance(0);
    EXPECT_EQ(s->NumeralSystem, 0);
    EXPECT_EQ(s->Decimals, 255);
    EXPECT_EQ(Input->toPlainText(), QStringLiteral("11+1"));
}

TEST_F(Calculator, AnInputThatCannotBeConvertedLeavesTheAnswerInTheNewNumeralSystem)
{
    Click("sbHex");
    Type(QStringLiteral("ff"));
    Enter();
    ASSERT_EQ(Display(), QStringLiteral("  FF"));
    // More than 64 bits: the input stays as typed, yet the answer must read
    // right in decimal, or ANS would bring back a hexadecimal text.
    Form->SetInput(QStringLiteral("ffffffffffffffffff"));
    Click("sbDec");
    EXPECT_EQ(ErrorLabel(), QStringLiteral("Some numbers could not be converted."));
    EXPECT_EQ(Input->toPlainText(), QStringLiteral("ffffffffffffffffff"));
    KProgramState *s = KProgramState::GetInstance(0);
    EXPECT_EQ(s->NumeralSystem, 2);
    EXPECT_EQ(s->Ans, QStringLiteral("255"));
    Click("sbHex");
    EXPECT_EQ(s->Ans, QStringLiteral("FF"));
}

TEST_F(Calculator, BackKeyRecallsHistoryEntriesUpwardsAndWraps)
{
    for (const char *e : {"1+1", "2+2", "3+3"}) {
        Form->SetInput(QLatin1String(e));
        Enter();
    }
    Click("BtnSpat");
    EXPECT_EQ(Input->toPlainText(), QStringLiteral("2+2"));
    EXPECT_EQ(Display(), QStringLiteral("  4"));
    Click("BtnSpat");
    Click("BtnSpat");
    EXPECT_EQ(Input->toPlainText(), QStringLiteral("3+3"));
}

TEST_F(Calculator, HandOversReportAnEmptyInput)
{
    Click("sumaBtn");
    EXPECT_EQ(ErrorLabel(), QStringLiteral("You must enter an expression."));
    Click("grafBtn");
    EXPECT_EQ(ErrorLabel(), QStringLiteral("You must enter a function."));
}

TEST_F(Calculator, HandOversGiveTheCheckedDecimalText)
{
    TVariableManager::Instance()->SetValue(QStringLiteral("y"), QStringLiteral("2"));
    Click("sbHex");
    Form->SetInput(QStringLiteral("y*x+ff"));
    Click("grafBtn");
    Click("derivaciaBtn");
    Click("sumaBtn");
    EXPECT_EQ(ReceiverFrm::Received, (QStringList{QStringLiteral("graph:y*x+255"), QStringLiteral("derivative:y*x+255"),
                                                  QStringLiteral("expression:y*x+255")}));
    EXPECT_TRUE(TGUIManager::Instance()->GetForm(FormId::FunctionGraph)->isVisible());
    // The graph needs every variable but x to have a value.
    ReceiverFrm::Received.clear();
    Form->SetInput(QStringLiteral("x*z"));
    Click("grafBtn");
    EXPECT_TRUE(ReceiverFrm::Received.isEmpty());
    EXPECT_EQ(ErrorLabel(), QStringLiteral("All variables are not entered."));
    EXPECT_TRUE(TVariableManager::Instance()->Exists(QStringLiteral("z")));
    EXPECT_FALSE(TVariableManager::Instance()->Exists(QStringLiteral("x")));
}

TEST_F(Calculator, PreviewGetsTheExpressionWithItsMultiplicationSigns)
{
    const struct
    {
        const char *input, *preview;
    } cases[] = {
        {"", "0"},
        {"2(", "???"},
        {"2x+3(1+x)", "2*x+3*(1+x)"},
    };
    for (const auto &c : cases) {
        ReceiverFrm::Received.clear();
        Form->SetInput(QString::fromUtf8(c.input));
        Form->NahladVyrazuActExecute();
        EXPECT_EQ(ReceiverFrm::Received,
                  (QStringList{QStringLiteral("expression:") + QString::fromUtf8(c.preview), QStringLiteral("redraw")}))
            << c.input;
    }
}

TEST_F(Calculator, AWindowWithoutItsHandOverEntryIsRefusedLoudly)
{
    TGUIManager::Instance()->RegisterFormClass(FormId::Derivatives, &CreateForm<DeafFrm>);
    EXPECT_THROW(KMainProgram::Instance()->ShowDerivative(QStringLiteral("x^2")), Exception);
}

TEST_F(Calculator, SetExpressionDropsEverythingUpToTheFirstEqualSign)
{
    KMainProgram::Instance()->SetExpression(QStringLiteral("y=x^2"), false);
    EXPECT_EQ(Input->toPlainText(), QStringLiteral("x^2"));
}

// ---------------------------------------------------------- messages

TEST(ErrorMessages, EveryCodeHasItsEnglishTextAndFillsItsPlaceholders)
{
    EXPECT_EQ(KMainProgram::DefaultErrorMessage(1), QStringLiteral("Incorrect expression notation."));
    EXPECT_EQ(KMainProgram::DefaultErrorMessage(34), QStringLiteral("You must enter an expression."));
    EXPECT_EQ(KMainProgram::DefaultErrorMessage(0), QString());
    EXPECT_EQ(KMainProgram::DefaultErrorMessage(35), QString());
    for (int code = 1; code <= 34; ++code)
        EXPECT_FALSE(KMainProgram::DefaultErrorMessage(code).isEmpty()) << code;

    TCalculationError e;
    e.ErrorCode = 22;
    e.ErrorText = QStringLiteral("x");
    e.ErrorName = QStringLiteral("ln");
    EXPECT_EQ(KMainProgram::ErrorMessage(e), QStringLiteral("Invalid argument of function \"ln\"."));
    e.ErrorCode = 12;
    e.ErrorText = QStringLiteral("sin");
    EXPECT_EQ(KMainProgram::ErrorMessage(e), QStringLiteral("Function \"sin\" lacks argument"));
    e.ErrorCode = 28;
    EXPECT_EQ(KMainProgram::ErrorMessage(e),
              QStringLiteral("First parameter (n) of operator \"nad\" must be greater then second (k)."));
}

TEST(ErrorMessages, TranslatedMessagesAreFilledToo)
{
    TempProgramDir dir;
    dir.write(QStringLiteral("lang.txt"),
              "[ErrorMessages]\nerr19=Nezn\xc3\xa1ma kon\xc5\xa1tanta \"#1\".\nerr22=#1 a #2 a #1\nerr40=Mimo\n");
    TProgramTranslator::Instance()->LoadFile(dir.file(QStringLiteral("lang.txt")));
    ASSERT_TRUE(TProgramTranslator::Instance()->IsLoaded());
    TCalculationError e;
    e.ErrorCode = 19;
    e.ErrorText = QStringLiteral("$g");
    EXPECT_EQ(KMainProgram::ErrorMessage(e), QString::fromUtf8("Neznáma konštanta \"$g\"."));
    e.ErrorCode = 22;
    e.ErrorText = QStringLiteral("x");
    e.ErrorName = QStringLiteral("#1");
    EXPECT_EQ(KMainProgram::ErrorMessage(e), QStringLiteral("x a #1 a x"));
    e.ErrorCode = 40; // outside the table: only a translation gives a text
    EXPECT_EQ(KMainProgram::ErrorMessage(e), QStringLiteral("Mimo"));
    e.ErrorCode = 41;
    EXPECT_EQ(KMainProgram::ErrorMessage(e), QString());
    TProgramTranslator::FreeInstance();
}

} // namespace

#include "test_uMainProgram.moc"
