// The series window driven as a user drives it: the expression typed into
// the real main window, the series key, bounds and sign chosen, Calculate;
// the result read from the main window's display and answer.
#include "tools/fSuma.h"

#include "core/KomplexneCisla.h"
#include "core/uProgramState.h"
#include "core/uVariableManager.h"
#include "shell/fVariables.h"
#include "shell/uGUIManager.h"
#include "shell/uMainProgram.h"
#include "tests/support/MainWindowDriver.h"
#include "tests/support/ModalHelper.h"
#include "tests/support/QtPrint.h"
#include "tools/uToolControls.h"
#include "tools/uToolWindows.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

class SeriesWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Driver = std::make_unique<TMainWindowDriver>();
        TGUIManager *gui = TGUIManager::Instance();
        gui->RegisterMagneticFormClass(FormId::Variables, &CreateForm<TVariablesFrm>, DockRight);
        RegisterToolWindowClasses(gui);
    }
    void TearDown() override
    {
        Driver.reset();
        TGUIManager::FreeInstance();
    }

    // Types Expr into the main window and presses its series key.
    TsumaFrm *Open(const QString &Expr)
    {
        Driver->Input->clear();
        Driver->Type(Expr);
        Driver->Click("sumaBtn");
        auto *window = TGUIManager::Instance()->FormAs<TsumaFrm>(FormId::SeriesSum);
        EXPECT_TRUE(window && window->isVisible());
        return window;
    }
    template <class T>
    T *Child(const char *Name) const
    {
        auto *window = TGUIManager::Instance()->FormAs<TsumaFrm>(FormId::SeriesSum);
        T *child = window ? window->findChild<T *>(QLatin1String(Name)) : nullptr;
        EXPECT_TRUE(child) << Name;
        return child;
    }
    void SetBounds(const QString &From, const QString &To, const QString &Name = QStringLiteral("n"))
    {
        Child<QLineEdit>("OdEdt")->setText(From);
        Child<QLineEdit>("DoEdt")->setText(To);
        Child<QLineEdit>("premEdt")->setText(Name);
    }
    void Calculate() { QTest::mouseClick(Child<QPushButton>("vypocetBtn"), Qt::LeftButton); }
    // Sum or product of Expr over From..To, as the display then shows it.
    QString Result(const QString &Expr, const QString &From, const QString &To, bool Product = false)
    {
        Open(Expr);
        SetBounds(From, To);
        Child<QRadioButton>(Product ? "RadioButton2" : "RadioButton1")->setChecked(true);
        Calculate();
        return Display();
    }
    QString Display() const { return Driver->Display().trimmed(); }
    QString Error() const { return Driver->ErrorLabel(); }
    bool SeriesVisible() const { return TGUIManager::Instance()->Form(FormId::SeriesSum)->isVisible(); }
    bool IncorrectValueShown() const
    {
        QLabel *label = Child<QLabel>("incorrectValueLbl");
        return label->isVisibleTo(label->window());
    }

    std::unique_ptr<TMainWindowDriver> Driver;
};

} // namespace

TEST_F(SeriesWindow, TheSeriesKeyHandsTheInputOver)
{
    TsumaFrm *window = Open(QStringLiteral("1/n^2"));
    EXPECT_EQ(Child<QLabel>("expressionLbl")->text(), QStringLiteral("1/n^2"));
    EXPECT_EQ(Child<QLabel>("Label1")->text(), QStringLiteral("\u03A3"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Series summation / product"));
    window->hide();
    Driver->Input->clear();
    Driver->Click("sumaBtn");
    EXPECT_EQ(Error(), QStringLiteral("You must enter an expression."));
    EXPECT_FALSE(SeriesVisible());
}

TEST_F(SeriesWindow, ALongExpressionReadsFromItsStartWithTheWholeInTheTooltip)
{
    const QString expr = QStringLiteral("1/n^2+sin(n)*cos(n)/(n+1)+sqrt(n)/(n^3+2*n+1)");
    TsumaFrm *window = Open(expr);
    auto *label = static_cast<TElidedLabel *>(Child<QLabel>("expressionLbl"));
    EXPECT_EQ(label->text(), expr);
    EXPECT_EQ(label->toolTip(), expr);
    const QString shown = label->ShownText();
    ASSERT_NE(shown, expr); // the window is narrower than the expression
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(expr.startsWith(shown.chopped(1))) << shown.toStdString();
    EXPECT_GE(shown.size(), 5);
    // Wide enough, the whole expression shows.
    window->resize(window->width() + label->fontMetrics().horizontalAdvance(expr), window->height());
    QCoreApplication::processEvents();
    EXPECT_EQ(label->ShownText(), expr);
    window->hide();
}

TEST_F(SeriesWindow, SumAndProductGoToTheDisplayAndTheAnswer)
{
    const struct
    {
        const char *Expr, *From, *To;
        bool Product;
        const char *Result;
        // clang-format off
    } cases[] = {
        {"n", "0", "5", false, "15"},     {"n", "0", "5", true, "0"}, {"n", "1", "5", true, "120"},
        {"n", "5", "0", false, "0"},      {"n", "5", "0", true, "1"}, {"1/n^2", "1", "100", false, "1.634 984"},
        {"2n-1", "-3", "3", false, "-7"},
        // An operator word between blanks stays apart from the index.
        {"n div 2 + 1", "1", "4", true, "12"}, {"n mod 2", "0", "5", false, "3"},
    };
    // clang-format on
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Expr + std::string(" ") + c.From + ".." + c.To);
        EXPECT_EQ(
            Result(QString::fromLatin1(c.Expr), QString::fromLatin1(c.From), QString::fromLatin1(c.To), c.Product),
            QString::fromLatin1(c.Result));
        EXPECT_EQ(KProgramState::GetInstance(0)->Ans, QString::fromLatin1(c.Result));
        EXPECT_EQ(Error(), QString());
        // After every calculation that runs the window hides.
        EXPECT_FALSE(SeriesVisible());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(Child<QLabel>("Label1")->text(), QStringLiteral("\u03A3"));
    Child<QRadioButton>("RadioButton2")->setChecked(true);
    EXPECT_EQ(Child<QLabel>("Label1")->text(), QStringLiteral("\u03A0"));
}

TEST_F(SeriesWindow, LongSeriesAreAskedAboutOrRefused)
{
    const struct
    {
        const char *From, *To;
        bool Asked;
        QMessageBox::StandardButton Answer;
        const char *Result; // "" when nothing is calculated
    } cases[] = {
        {"1", "1000", false, QMessageBox::No, "500 500"}, // N = 999
        {"0", "1000", true, QMessageBox::No, ""},         // N = 1000
        {"0", "1000", true, QMessageBox::Yes, "500 500"},
        {"-1000", "1999", true, QMessageBox::No, ""}, // N = 2999
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.From + std::string("..") + c.To);
        Open(QStringLiteral("n"));
        SetBounds(QString::fromLatin1(c.From), QString::fromLatin1(c.To));
        Driver->Form->ShowResult(QString());
        QString question, title;
        // One look for a question while Calculate runs.
        OnNextModal(
            [&](QWidget *modal) {
                if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                    question = box->text();
                    title = box->windowTitle();
                    box->button(c.Answer)->click();
                }
            },
            0);
        Calculate();
        QTest::qWait(20);
        if (c.Asked) {
            EXPECT_EQ(title, QStringLiteral("Difficult calculation"));
            EXPECT_TRUE(question.startsWith(QStringLiteral("The entered calculation is difficult")))
                << qPrintable(question);
        } else {
            EXPECT_EQ(question, QString());
        }
        EXPECT_EQ(Display(), QString::fromLatin1(c.Result));
        EXPECT_EQ(SeriesVisible(), *c.Result == 0);
    }

    // N = 3000: refused without a question; the window stays open.
    Open(QStringLiteral("n"));
    SetBounds(QStringLiteral("0"), QStringLiteral("3000"));
    Driver->Form->ShowResult(QString());
    QString message, title;
    AnswerNextMessageBox(QMessageBox::Ok, &message, &title);
    Calculate();
    EXPECT_EQ(message, QStringLiteral("The entered calculation would take too long to process."));
    EXPECT_EQ(title, QStringLiteral("Difficult calculation"));
    EXPECT_EQ(Display(), QString());
    EXPECT_TRUE(SeriesVisible());
}

TEST_F(SeriesWindow, AnOverflowIsReportedAsTheMainRoadDoes)
{
    KProgramState::GetInstance(0)->Ans = QStringLiteral("7");
    Result(QStringLiteral("n^2"), QStringLiteral("1"), QStringLiteral("999"), true);
    EXPECT_EQ(Error(), QStringLiteral("Calculation error: Value too high."));
    EXPECT_EQ(KProgramState::GetInstance(0)->Ans, QStringLiteral("7"));
    EXPECT_FALSE(SeriesVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // A failing term reports its own code and texts.
    Result(QStringLiteral("ln(n)"), QStringLiteral("0"), QStringLiteral("3"));
    EXPECT_EQ(Error(), QStringLiteral("Invalid argument of function \"ln\"."));
}

TEST_F(SeriesWindow, BadIndexNamesAndBoundsShowTheRedLabel)
{
    const struct
    {
        const char *Name, *From, *To, *Focus;
    } cases[] = {
        {"", "0", "5", "premEdt"},  {"sin", "0", "5", "premEdt"}, {"mod", "0", "5", "premEdt"},
        {"2", "0", "5", "premEdt"}, {"2n", "0", "5", "premEdt"},  {"n", "1.5", "5", "OdEdt"},
        {"n", "", "5", "OdEdt"},    {"n", "0", "", "DoEdt"},      {"n", "0", "x", "DoEdt"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name + std::string(" ") + c.From + ".." + c.To);
        TsumaFrm *window = Open(QStringLiteral("n"));
        SetBounds(QString::fromLatin1(c.From), QString::fromLatin1(c.To), QString::fromLatin1(c.Name));
        Driver->Form->ShowResult(QString());
        Calculate();
        EXPECT_TRUE(IncorrectValueShown());
        EXPECT_EQ(window->focusWidget(), Child<QLineEdit>(c.Focus));
        EXPECT_EQ(Display(), QString());
        EXPECT_EQ(Error(), QString());
        EXPECT_TRUE(SeriesVisible());
    }
    // A good calculation hides the label again; any name will do.
    SetBounds(QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("k"));
    Child<QLabel>("expressionLbl")->setText(QStringLiteral("k^2"));
    Calculate();
    EXPECT_FALSE(IncorrectValueShown());
    EXPECT_EQ(Display(), QStringLiteral("14"));
}

TEST_F(SeriesWindow, AVariableWithoutAValueOpensTheVariablesWindow)
{
    Result(QStringLiteral("a*n"), QStringLiteral("0"), QStringLiteral("5"));
    EXPECT_EQ(Error(), QStringLiteral("All variables are not entered."));
    EXPECT_TRUE(TVariableManager::Instance()->Exists(QStringLiteral("a")));
    // The index is no variable to be asked for.
    EXPECT_FALSE(TVariableManager::Instance()->Exists(QStringLiteral("n")));
    EXPECT_TRUE(TGUIManager::Instance()->Form(FormId::Variables)->isVisible());
    EXPECT_FALSE(SeriesVisible());
    EXPECT_EQ(Display(), QString());

    // An unreadable value stops the calculation as well.
    TGUIManager::Instance()->Form(FormId::Variables)->hide();
    TVariableManager::Instance()->SetValue(QStringLiteral("a"), QStringLiteral("2x+"));
    Result(QStringLiteral("a*n"), QStringLiteral("0"), QStringLiteral("5"));
    EXPECT_EQ(Error(), QStringLiteral("Value of variable \"a\" entered incorrectly."));
    EXPECT_EQ(Display(), QString());
    // So does a complex value in the real set.
    TVariableManager::Instance()->SetValue(QStringLiteral("a"), QStringLiteral("2") + ImaginaryUnit);
    Result(QStringLiteral("a*n"), QStringLiteral("0"), QStringLiteral("5"));
    EXPECT_EQ(Error(), QStringLiteral("Value of variable \"a\" does not match the selected set."));
    EXPECT_EQ(Display(), QString());

    TVariableManager::Instance()->SetValue(QStringLiteral("a"), QStringLiteral("2"));
    EXPECT_EQ(Result(QStringLiteral("a*n"), QStringLiteral("0"), QStringLiteral("5")), QStringLiteral("30"));
}

TEST_F(SeriesWindow, TheResultIsWrittenForTheNumberSetAndSystem)
{
    KProgramState *state = KProgramState::GetInstance(0);
    // Hexadecimal: the result and the answer in base 16.
    KMainProgram::Instance()->ChangeBase(3);
    ASSERT_EQ(state->NumeralSystem, 3);
    EXPECT_EQ(Result(QStringLiteral("n"), QStringLiteral("0"), QStringLiteral("15")), QStringLiteral("78"));
    EXPECT_EQ(state->Ans, QStringLiteral("78"));
    KMainProgram::Instance()->ChangeBase(2);

    // Complex: the answer has the complex evaluator's bracketed form.
    state->NumberSet = 1;
    EXPECT_EQ(Result(QStringLiteral("n"), QStringLiteral("0"), QStringLiteral("5")), QStringLiteral("15"));
    EXPECT_EQ(state->Ans, QStringLiteral("(15)"));

    // Modulo: no residue can be made of real terms; the answer stays.
    state->NumberSet = 2;
    Result(QStringLiteral("n"), QStringLiteral("0"), QStringLiteral("5"));
    EXPECT_EQ(Error(), QStringLiteral("This function can only be used over the set of real numbers."));
    EXPECT_EQ(state->Ans, QStringLiteral("(15)"));
}

TEST_F(SeriesWindow, BoundsTakeDigitsAndALeadingMinusOnly)
{
    Open(QStringLiteral("n"));
    QLineEdit *from = Child<QLineEdit>("OdEdt");
    from->clear();
    from->setFocus();
    QTest::keyClicks(from, QStringLiteral("a-1-2x.5"));
    EXPECT_EQ(from->text(), QStringLiteral("-125"));
    // The plus key of a national keyboard's digit row types 1.
    from->clear();
    QTest::keyClicks(from, QStringLiteral("+2"));
    EXPECT_EQ(from->text(), QStringLiteral("12"));
    // A second minus, also in front, is refused.
    from->setText(QStringLiteral("-3"));
    from->setCursorPosition(0);
    QTest::keyClicks(from, QStringLiteral("-"));
    EXPECT_EQ(from->text(), QStringLiteral("-3"));
    EXPECT_EQ(from->maxLength(), 9);

    // Enter in a bound or in the index runs the calculation.
    SetBounds(QStringLiteral("1"), QStringLiteral("4"));
    QTest::keyClick(Child<QLineEdit>("premEdt"), Qt::Key_Return);
    EXPECT_EQ(Display(), QStringLiteral("10"));
}
