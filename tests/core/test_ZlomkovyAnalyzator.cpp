#include "core/ZlomkovyAnalyzator.h"
#include "core/uVariableManager.h"

#include <gtest/gtest.h>

#include <ostream>

// Readable failure messages for texts.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

using namespace Qt::StringLiterals;

namespace {

struct Outcome
{
    TCalculationError Err;
    QString Value;
};

Outcome Evaluate(const QString &expr)
{
    Outcome o;
    FractionFirstCall = true;
    EvaluateFraction(expr, o.Err, o.Value);
    return o;
}

} // namespace

TEST(FractionAnalyzer, EvaluatesExactly)
{
    struct Case { const char16_t *expr, *token; };
    const Case cases[] = {
        {u"1/3+1/6", u"[+1|2]"},  {u"2/4", u"[+1|2]"},       {u"0.5+1/4", u"[+3|4]"},
        {u"(1/3)^2", u"[+1|9]"},  {u"2^3^2", u"[+512]"},     {u"4^(1/2)", u"[+2]"},
        {u"10%", u"[+1|10]"},     {u"50+10%", u"[+55]"},     {u"50-10%", u"[+45]"},
        {u"2+(1/3)%", u"[+301|150]"}, {u"5!", u"[+120]"},    {u"0!", u"[+1]"},
        {u"5 nad 2", u"[+10]"},   {u"7 div 2", u"[+3]"},     {u"7 mod 2", u"[+1]"},
        {u"2*3 mod 4", u"[+6]"},  {u"-1/2", u"[-1|2]"},      {u"-2^2", u"[-4]"},
        {u"1/3-1/2", u"[-1|6]"},  {u"5-(-3)", u"[+8]"},      {u"2(1/3)", u"[+2|3]"},
        {u"(2/3)/(4/9)", u"[+3|2]"}, {u"2^(-2)", u"[+1|4]"}, {u"0/5", u"[+0]"},
        {u"1 / 3 * 3", u"[+1]"},  {u"0.1+0.2", u"[+3|10]"},
    };
    for (const Case &c : cases) {
        const Outcome o = Evaluate(QString::fromUtf16(c.expr));
        EXPECT_EQ(o.Err.ErrorCode, 0) << QString::fromUtf16(c.expr).toStdString();
        EXPECT_EQ(o.Value, QString::fromUtf16(c.token)) << QString::fromUtf16(c.expr).toStdString();
    }
    EXPECT_FALSE(FractionFirstCall);
}

TEST(FractionAnalyzer, VariablesAndConstantsStayExact)
{
    TVariableManager::Instance()->SetValue(u"x"_s, u"1/3"_s);
    TConstantItemList constants;
    constants.Add(u"$h"_s, u"0.5"_s);
    ConstantItems = &constants;
    EXPECT_EQ(Evaluate(u"2x"_s).Value, u"[+2|3]");
    EXPECT_EQ(Evaluate(u"x^2+$h"_s).Value, u"[+11|18]");
    ConstantItems = nullptr;
    TVariableManager::Instance()->Clear();
}

TEST(FractionAnalyzer, ErrorCodes)
{
    struct Case { const char16_t *expr; int code; const char16_t *text; };
    const Case cases[] = {
        {u"2.5!", 24, u""},     {u"(-1)!", 24, u""},    {u"2 nad 5", 28, u""},
        {u"5.5 nad 2", 27, u"nad"}, {u"(-1) nad 0", 27, u"nad"}, {u"7.5 mod 2", 27, u"mod"},
        {u"7 div 0.5", 27, u"div"}, {u"(1/0)!", 25, u""},  {u"6 and 3", 1, u""},
        {u"SIN(30)", 1, u""},
        // A zero divisor is refused where it is met, never shown as "1 / 0".
        {u"1/0", 25, u""},      {u"0/0", 25, u""},      {u"(1-1)/(2-2)", 25, u""},
        {u"1/(1/0)", 25, u""},  {u"0^(-1)", 25, u""},   {u"0^(-1)*0", 25, u""},
        {u"7 div 0", 25, u""},  {u"7 mod 0", 25, u""},  {u"99999999999999999999 div 2", 20, u""},
        {u"70000!", 20, u""},
    };
    for (const Case &c : cases) {
        const Outcome o = Evaluate(QString::fromUtf16(c.expr));
        EXPECT_EQ(o.Err.ErrorCode, c.code) << QString::fromUtf16(c.expr).toStdString();
        EXPECT_EQ(o.Err.ErrorText, QString::fromUtf16(c.text)) << QString::fromUtf16(c.expr).toStdString();
        EXPECT_EQ(o.Err.ErrorStart, 0);
        EXPECT_EQ(o.Err.ErrorEnd, 0);
    }
    // Beyond the 80-bit range the overflow is left to the caller's guard.
    EXPECT_THROW(Evaluate(u"2000!"_s), EOverflow);
}

TEST(FractionAnalyzer, FaultsTheCheckerLetThroughEndWithACode)
{
    EXPECT_EQ(Evaluate(u"()"_s).Err.ErrorCode, 9);
    EXPECT_EQ(Evaluate(u"2*(3+())"_s).Err.ErrorCode, 9);
    EXPECT_EQ(Evaluate(u"(2"_s).Err.ErrorCode, 11);
    EXPECT_EQ(Evaluate(u"%"_s).Err.ErrorCode, 1);
    EXPECT_EQ(Evaluate(u"*2"_s).Err.ErrorCode, 1);
}

TEST(FractionAnalyzer, LongExpressionsStayExact)
{
    // Sums of many fractions: the parts must neither leave the 64-bit range
    // nor lose digits on the way.
    struct Case { const char16_t *term; int count; const char16_t *token; };
    const Case cases[] = {
        {u"1/2", 120, u"[+60]"}, {u"1/3", 46, u"[+46|3]"}, {u"1/7", 100, u"[+100|7]"},
        {u"(1/3-1/5)", 60, u"[+8]"},
    };
    for (const Case &c : cases) {
        QString expr = QString::fromUtf16(c.term);
        for (int i = 1; i < c.count; ++i)
            expr += u" + "_s + QString::fromUtf16(c.term);
        ASSERT_GT(expr.size(), 255);
        const Outcome o = Evaluate(expr);
        EXPECT_EQ(o.Err.ErrorCode, 0) << QString::fromUtf16(c.term).toStdString();
        EXPECT_EQ(o.Value, QString::fromUtf16(c.token)) << QString::fromUtf16(c.term).toStdString();
    }
}

TEST(FractionAnalyzer, FunctionNamesAreFoundAsTyped)
{
    EXPECT_FALSE(ExpressionHasNoFunction(u"sin(30)"_s, FunctionNames()));
    EXPECT_FALSE(ExpressionHasNoFunction(u"2*cost"_s, FunctionNames()));
    EXPECT_FALSE(ExpressionHasNoFunction(u"2+sqrt"_s, FunctionNames()));
    EXPECT_TRUE(ExpressionHasNoFunction(u"SIN(30)"_s, FunctionNames()));
    EXPECT_TRUE(ExpressionHasNoFunction(u"1/3 + 5 nad 2"_s, FunctionNames()));

    EXPECT_FALSE(FractionNotInsideToken(2, u"[+3|4]"_s));
    EXPECT_TRUE(FractionNotInsideToken(7, u"[+3|4]+[1]"_s));
    EXPECT_TRUE(FractionNotInsideToken(20, u"[1]"_s));
}
