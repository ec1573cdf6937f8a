#include "tools/model/uCyklickeVypocty.h"

#include "core/Analyzator.h"
#include "core/uProgramState.h"
#include "core/uVariableManager.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class Series : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DecimalSeparator = u'.';
        KProgramState::GetInstance(0)->SetDefaults();
        TVariableManager::Instance()->Clear();
    }
    void TearDown() override { TVariableManager::Instance()->Clear(); }

    // The value of the sum (or product) of Expr for Name from From to To,
    // with the error record in Err.
    Extended Run(const QString &Expr, qint64 From, qint64 To, bool Product, TCalculationError &Err,
                 const QString &Name = QStringLiteral("n"))
    {
        TCyklickeVypocty calc;
        calc.SetVariableName(Name);
        calc.SetExpression(Expr);
        calc.Calculate(From, To, Text, Product, Err);
        // The text keeps 18 significant digits of the value.
        EXPECT_LE(std::fabs(StrToFloat(Text) - calc.Result), std::fabs(calc.Result) * 1e-17L);
        return calc.Result;
    }

    QString Text;
};

} // namespace

TEST_F(Series, SumsAndProductsOverTheRange)
{
    const struct
    {
        const char *Expr;
        qint64 From, To;
        bool Product;
        Extended Value;
        const char *Text;
    } cases[] = {
        {"n", 0, 5, false, 15, "1.5E1"},  {"n", 0, 5, true, 0, "0E0"}, {"n", 1, 5, true, 120, "1.2E2"},
        {"n", 5, 0, false, 0, "0E0"},     {"n", 5, 0, true, 1, "1E0"}, {"2n+1", -3, 3, false, 7, "7E0"},
        {"n^2", -2, -2, false, 4, "4E0"}, {"", 1, 4, false, 0, "0E0"}, {"(-1)^n/n", 1, 1, false, -1, "-1E0"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Expr);
        TCalculationError err;
        EXPECT_EQ(Run(QString::fromLatin1(c.Expr), c.From, c.To, c.Product, err), c.Value);
        EXPECT_EQ(err.ErrorCode, 0);
        EXPECT_EQ(Text, QString::fromLatin1(c.Text));
    }
    TCalculationError err;
    EXPECT_NEAR(double(Run(QStringLiteral("1/n^2"), 1, 100, false, err)), 1.6349839001848923, 1e-13);
}

TEST_F(Series, TheIndexMayHaveAnyNameAndUserVariablesAreSubstituted)
{
    TVariableManager::Instance()->SetValue(QStringLiteral("a"), QStringLiteral("2"));
    TCalculationError err;
    EXPECT_EQ(Run(QStringLiteral("a*k"), 1, 3, false, err, QStringLiteral("k")), 12);
    EXPECT_EQ(err.ErrorCode, 0);
    // The index shadows a user variable of the same name.
    TVariableManager::Instance()->SetValue(QStringLiteral("n"), QStringLiteral("100"));
    EXPECT_EQ(Run(QStringLiteral("n"), 1, 3, false, err), 6);
}

TEST_F(Series, AnOverflowOfTheRunningProductIsCodeTwenty)
{
    // (999!)^2 exceeds the 80-bit range long before the last term.
    TCalculationError err;
    const Extended reached = Run(QStringLiteral("n^2"), 1, 999, true, err);
    EXPECT_EQ(err.ErrorCode, 20);
    EXPECT_GT(reached, 1e4900L);
    EXPECT_EQ(err.ErrorStart, 0);
    EXPECT_EQ(err.ErrorEnd, 0);
}

TEST_F(Series, AFailingTermStopsTheLoopWithItsCodeAndTexts)
{
    TCalculationError err;
    // 1/n at n = 0: the sum of the terms before it is kept.
    EXPECT_EQ(Run(QStringLiteral("n+1/n"), -2, 3, false, err), -2.5L + -2);
    EXPECT_EQ(err.ErrorCode, 25);

    Run(QStringLiteral("ln(n)"), 0, 3, false, err);
    EXPECT_EQ(err.ErrorCode, 22);
    EXPECT_EQ(err.ErrorName, QStringLiteral("ln"));
    EXPECT_EQ(err.ErrorStart, 0);
    EXPECT_EQ(err.ErrorEnd, 0);

    // The next calculation starts with an open gate.
    EXPECT_EQ(Run(QStringLiteral("n"), 1, 2, false, err), 3);
    EXPECT_EQ(err.ErrorCode, 0);
}

TEST_F(Series, LeavesTheEvaluatorsPreparationFlagAsFound)
{
    TCalculationError err;
    RealPreprocessed = false;
    Run(QStringLiteral("n"), 1, 2, false, err);
    EXPECT_FALSE(RealPreprocessed);
    RealPreprocessed = true;
    Run(QStringLiteral("n"), 1, 2, false, err);
    EXPECT_TRUE(RealPreprocessed);
}
