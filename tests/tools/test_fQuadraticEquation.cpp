#include "tools/fQuadraticEquation.h"

#include "core/KomplexneCisla.h"
#include "core/uProgramState.h"
#include "shell/uGUIManager.h"
#include "tests/support/ModalHelper.h"
#include "tests/support/QtPrint.h"
#include "tests/support/ToolWindowFixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class QuadraticEquationWindow : public ToolWindowTest<TQuadraticEquationFrm>
{
protected:
    void SetUp() override
    {
        ImaginaryUnit = u'j';
        ImaginaryUnitFirst = true;
        ToolWindowTest::SetUp();
    }
    void TearDown() override
    {
        ToolWindowTest::TearDown();
        ImaginaryUnit = u'j';
        ImaginaryUnitFirst = true;
    }

    QLineEdit *Edit(const char *Name) { return Window.findChild<QLineEdit *>(QLatin1String(Name)); }
    void Solve(const QString &A, const QString &B, const QString &C)
    {
        Edit("aEdt")->setText(A);
        Edit("bEdt")->setText(B);
        Edit("cEdt")->setText(C);
        QTest::mouseClick(Window.findChild<QPushButton *>(QStringLiteral("calculateBtn")), Qt::LeftButton);
    }
    QStringList Outputs() { return {Edit("discriminantEdt")->text(), Edit("x1Edt")->text(), Edit("x2Edt")->text()}; }
};

TEST_F(QuadraticEquationWindow, WorkedExamples)
{
    EXPECT_EQ(Outputs(), QStringList({"0", "0", "0"})); // as the window opens
    const struct
    {
        const char *a, *b, *c, *d, *x1, *x2;
    } cases[] = {
        {"1", "-3", "2", "1", "1", "2"},
        {"1", "0", "1", "-4", "0+j", "0-j"}, // real part 0, never -0
        {"1", "2", "1", "0", "-1", "-1"},
        {"1", "0", "0", "0", "0", "0"},
        {"-2", "4", "0", "16", "2", "0"},
        {"2", "2", "1", "-4", "-0.5+j0.5", "-0.5-j0.5"},
        {"1", "1E8", "1", "9999999999999996", "-100000000", "-1E-8"},
    };
    for (const auto &c : cases) {
        Solve(c.a, c.b, c.c);
        EXPECT_EQ(Outputs(), QStringList({c.d, c.x1, c.x2})) << c.a << " " << c.b << " " << c.c;
    }
    // The imaginary unit as the calculator writes it.
    ImaginaryUnit = u'i';
    ImaginaryUnitFirst = false;
    Solve("1", "0", "4");
    EXPECT_EQ(Outputs(), QStringList({"-16", "0+2i", "0-2i"}));
}

TEST_F(QuadraticEquationWindow, TheSmallRootKeepsItsDigits)
{
    // (-b + sqrt(D)) / 2a would lose nearly every digit of -1e-8 here.
    KProgramState::GetInstance(0)->Decimals = 15;
    Solve("1", "1E8", "1");
    EXPECT_EQ(Edit("x1Edt")->text(), QStringLiteral("-99999999.99999999"));
    EXPECT_EQ(Edit("x2Edt")->text(), QStringLiteral("-0.00000001"));
    KProgramSettings::Instance()->ScientificNotation = true;
    Solve("1", "-1E8", "1");
    // 1 / 99999999.99999999 = 1.00000000000000001e-8
    EXPECT_EQ(Edit("x1Edt")->text(), QStringLiteral("1.0000000000000001E-8"));
    EXPECT_EQ(Edit("x2Edt")->text(), QStringLiteral("9.999999999999999E7"));
}

TEST_F(QuadraticEquationWindow, NoQuadraticEquationAndUnreadableCoefficients)
{
    Solve("1", "-3", "2");
    QString text, title;
    AnswerNextMessageBox(QMessageBox::Ok, &text, &title);
    Solve("0", "1", "1");
    EXPECT_EQ(title, QStringLiteral("Not a quadratic equation"));
    EXPECT_EQ(text, QStringLiteral("It is not a quadratic equation if a = 0."));
    EXPECT_EQ(Outputs(), QStringList({"1", "1", "2"})); // kept

    for (const char *bad : {"1a", "", "1E400", "--1"}) {
        Solve("1", "-3", "2");
        text.clear();
        AnswerNextMessageBox(QMessageBox::Ok, &text, &title);
        Solve("1", bad, "2");
        EXPECT_EQ(title, QStringLiteral("Input error")) << bad;
        EXPECT_EQ(text, QStringLiteral("Value entered incorrectly.")) << bad;
        EXPECT_EQ(Outputs(), QStringList({"", "", ""})) << bad; // no stale roots
    }
}

TEST_F(QuadraticEquationWindow, EnterSolvesAndOnlyNumbersCanBeTyped)
{
    Edit("aEdt")->clear();
    QTest::keyClicks(Edit("aEdt"), QStringLiteral("1x"));
    Edit("bEdt")->clear();
    QTest::keyClicks(Edit("bEdt"), QStringLiteral("-3"));
    Edit("cEdt")->clear();
    QTest::keyClicks(Edit("cEdt"), QStringLiteral("2"));
    EXPECT_EQ(Edit("aEdt")->text(), QStringLiteral("1"));
    QTest::keyClick(Edit("cEdt"), Qt::Key_Enter);
    EXPECT_EQ(Outputs(), QStringList({"1", "1", "2"}));
}

} // namespace
