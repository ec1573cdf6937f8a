#include "core/ModuloAnalyzator.h"
#include "core/uProgramState.h"
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

class ModuloAnalyzer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        KProgramState::GetInstance(0)->NumberSet = 2;
        Modulus = 7;
    }
    void TearDown() override
    {
        KProgramState::GetInstance(0)->SetDefaults();
        Modulus = 5;
    }
};

struct Outcome
{
    TCalculationError Err;
    QString Value;
};

Outcome Evaluate(const QString &expr)
{
    Outcome o;
    ModuloFirstCall = true;
    EvaluateModulo(expr, o.Err, o.Value);
    return o;
}

TCalculationError Check(const QString &expr)
{
    TCalculationError e;
    CheckModuloSyntax(expr, e, FunctionNames());
    return e;
}

} // namespace

TEST_F(ModuloAnalyzer, EvaluatesResidues)
{
    struct Case
    {
        const char16_t *expr, *value;
    };
    // clang-format off
    const Case cases[] = {
        {u"3+5", u"1"},  {u"3-5", u"5"},        {u"-3", u"4"},          {u"-(-3)", u"3"},
        {u"10", u"3"},   {u"+3", u"3"},         {u"3/5", u"2"},         {u"1/3", u"5"},
        {u"2(3)", u"6"}, {u"(2)(3)+1", u"0"},   {u"50000*50000", u"1"}, {u"65535*65535-2", u"6"},
        {u"2*3+4*5", u"5"}, {u"8/2/2", u"2"},   {u"1 + 2 * 3", u"0"},   {u"((6))", u"6"},
    };
    // clang-format on
    for (const Case &c : cases) {
        const QString expr = QString::fromUtf16(c.expr);
        ASSERT_EQ(Check(expr).ErrorCode, 0) << expr.toStdString();
        const Outcome o = Evaluate(expr);
        EXPECT_EQ(o.Err.ErrorCode, 0) << expr.toStdString();
        EXPECT_EQ(o.Value, QString::fromUtf16(c.value)) << expr.toStdString();
    }
    EXPECT_FALSE(ModuloFirstCall);
}

TEST_F(ModuloAnalyzer, VariablesAndOperatorWordsAsNames)
{
    // Outside the real numbers "mod" is an ordinary name.
    TVariableManager::Instance()->SetValue(u"n"_s, u"4"_s);
    TVariableManager::Instance()->SetValue(u"mod"_s, u"3"_s);
    EXPECT_EQ(Evaluate(u"n*n"_s).Value, u"2");
    EXPECT_EQ(Evaluate(u"5mod"_s).Value, u"1");
    EXPECT_EQ(Evaluate(u"(n-mod)/2"_s).Value, u"4");
    TVariableManager::Instance()->Clear();
}

TEST_F(ModuloAnalyzer, DivisionWithoutInverseIsADivisionByZero)
{
    struct Case
    {
        int m;
        const char16_t *expr;
        int code;
        const char16_t *value;
    };
    // clang-format off
    const Case cases[] = {
        {7, u"4/0", 25, u""},  {7, u"4/7", 25, u""},  {7, u"2*(1/0)+1", 25, u""},
        {6, u"5/2", 25, u""},  {6, u"5/3", 25, u""},  {6, u"5/5", 0, u"1"}, {6, u"1/5", 0, u"5"},
        {1, u"3+4", 0, u"0"},  {1, u"1/1", 25, u""},
        {0, u"1+1", 25, u""},  {0, u"3", 25, u""},
    };
    // clang-format on
    for (const Case &c : cases) {
        Modulus = quint16(c.m);
        const Outcome o = Evaluate(QString::fromUtf16(c.expr));
        EXPECT_EQ(o.Err.ErrorCode, c.code) << c.m << " " << QString::fromUtf16(c.expr).toStdString();
        EXPECT_EQ(o.Err.ErrorStart, 0);
        EXPECT_EQ(o.Err.ErrorEnd, 0);
        if (c.code == 0) {
            EXPECT_EQ(o.Value, QString::fromUtf16(c.value)) << QString::fromUtf16(c.expr).toStdString();
        }
    }
}

TEST_F(ModuloAnalyzer, RoutinesReduceAndDivide)
{
    Modulus = 5;
    EXPECT_EQ(ReduceModulo(-3), 2);
    EXPECT_EQ(ReduceModulo(7), 2);
    EXPECT_EQ(ReduceModulo(0), 0);
    EXPECT_EQ(ReduceModulo(-7.9L), 3);
    EXPECT_EQ(ModuloDivide(3, 4), 2);
    try {
        ModuloDivide(3, 10);
        FAIL() << "no inverse of 0";
    } catch (const EDivByZero &e) {
        EXPECT_EQ(e.Message(), u"Division by zero");
    }
    Modulus = 0;
    EXPECT_THROW(ReduceModulo(3), EDivByZero);

    EXPECT_EQ(ModuloTokenToWord(u"[65535]"_s), 65535);
    EXPECT_EQ(ModuloTokenToWord(u"+[3]"_s), 3);
    EXPECT_THROW(ModuloTokenToWord(u"[65536]"_s), ERangeError);
    EXPECT_THROW(ModuloTokenToWord(u"[x]"_s), EConvertError);

    QString s = u"[1]+[1]+[1]"_s;
    ModuloReplaceFirst(s, u"[1]+[1]"_s, u"[2]"_s);
    EXPECT_EQ(s, u"[2]+[1]");
}

TEST_F(ModuloAnalyzer, FaultsTheCheckerLetThroughEndWithACodeOrRaise)
{
    EXPECT_EQ(Evaluate(u"()"_s).Err.ErrorCode, 9);
    EXPECT_EQ(Evaluate(u"2*(()+1)"_s).Err.ErrorCode, 9);
    EXPECT_EQ(Evaluate(u"(2"_s).Err.ErrorCode, 11);
    EXPECT_EQ(Evaluate(u"2*x"_s).Err.ErrorCode, 1);
    // Left to the caller's guard: an operand above 65535, an unreadable
    // lone operand.
    EXPECT_THROW(Evaluate(u"70000+1"_s), ERangeError);
    EXPECT_THROW(Evaluate(u"(99999999999)"_s), EConvertError);
}

TEST_F(ModuloAnalyzer, LongExpressionsAreCheckedAndEvaluated)
{
    QString expr = u"1"_s;
    for (int i = 1; i < 300; ++i)
        expr += u" + 1"_s;
    EXPECT_EQ(Check(expr).ErrorCode, 0);
    const Outcome o = Evaluate(expr);
    EXPECT_EQ(o.Err.ErrorCode, 0);
    EXPECT_EQ(o.Value, QString::number(300 % 7));
    const TCalculationError e = Check(expr + u" + 2^2"_s);
    EXPECT_EQ(e.ErrorCode, 13);
    EXPECT_EQ(e.ErrorEnd, expr.size() + 5);
}

TEST_F(ModuloAnalyzer, CheckerCodesAndSpans)
{
    struct Case
    {
        const char16_t *expr;
        int code, start, end;
    };
    // clang-format off
    const Case cases[] = {
        {u"2^3", 13, 1, 2},    {u"3!", 13, 1, 2},    {u"5%", 13, 1, 2},      {u"2.5", 16, 1, 2},
        {u"2,5", 16, 1, 2},    {u"$pi", 16, 0, 1},   {u"abs(3)", 14, 0, 3},  {u"2*cos", 14, 2, 5},
        {u"*3", 2, 0, 1},      {u"/3", 2, 0, 1},     {u"3-", 3, 1, 2},       {u"2*-3", 5, 2, 3},
        {u"(2+)", 7, 3, 4},    {u"(*3)", 8, 1, 2},   {u"()", 9, 0, 2},       {u"2+()", 9, 2, 4},
        {u"(1+2", 11, 0, 1},   {u"1+2)", 10, 3, 4},  {u" (1 +2", 11, 1, 2},  {u"(abs 1", 14, 1, 4},
        {u" 2 ^3", 13, 3, 4},  {u"2*(-3)", 0, 0, 0}, {u"5 mod 3", 0, 0, 0},  {u"", 0, 0, 0},
        {u"-3+x", 0, 0, 0},    {u"FF*a", 0, 0, 0},
    };
    // clang-format on
    for (const Case &c : cases) {
        const TCalculationError e = Check(QString::fromUtf16(c.expr));
        EXPECT_EQ(e.ErrorCode, c.code) << QString::fromUtf16(c.expr).toStdString();
        EXPECT_EQ(e.ErrorStart, c.start) << QString::fromUtf16(c.expr).toStdString();
        EXPECT_EQ(e.ErrorEnd, c.end) << QString::fromUtf16(c.expr).toStdString();
        EXPECT_TRUE(e.ErrorText.isEmpty());
    }
}
