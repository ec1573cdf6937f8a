#include "core/KomplexnyAnalyzator.h"
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

class ComplexAnalyzer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        KProgramState::GetInstance(0)->NumberSet = 1;
        ImaginaryUnit = u'j';
        ImaginaryUnitChar = u'j';
        ImaginaryUnitFirst = true;
        DecimalSeparator = u'.';
    }
    void TearDown() override
    {
        KProgramState::GetInstance(0)->SetDefaults();
        ImaginaryUnit = u'j';
        ImaginaryUnitChar = u'j';
        ImaginaryUnitFirst = true;
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
    ComplexFirstCall = true;
    EvaluateComplex(expr, o.Err, o.Value);
    return o;
}

TCalculationError Check(const QString &expr)
{
    TCalculationError e;
    CheckComplexSyntax(expr, e, FunctionNames());
    return e;
}

} // namespace

TEST_F(ComplexAnalyzer, EvaluatesToTokens)
{
    struct Case
    {
        const char16_t *expr, *token;
    };
    // clang-format off
    const Case cases[] = {
        {u"(1+j)^2", u"[0+j2]"},   {u"j*j", u"[-1]"},        {u"1/j", u"[0-j]"},
        {u"abs(3+4j)", u"[5]"},    {u"-(2+j)", u"[-2-j]"},   {u"2^3^2", u"[512]"},
        {u"abs(-2)^2", u"[4]"},    {u"2^+3", u"[8]"},        {u"2+3*4", u"[14]"},
        {u"8/2/2", u"[2]"},        {u"(2e^j30)*(3e^j60)", u"[0+j6]"},
        {u"2(3+j)", u"[6+j2]"},    {u"(1+j)(1-j)", u"[2]"},  {u"3 + 4j - j", u"[3+j3]"},
        {u"2^0", u"[1]"},          {u"-j", u"[0-j]"},        {u"5e^j90 - 5j", u"[0]"},
        {u"((2))", u"[2]"},        {u"1/(1+j)", u"[0.5-j0.5]"},
    };
    // clang-format on
    for (const Case &c : cases) {
        const QString expr = QString::fromUtf16(c.expr);
        ASSERT_EQ(Check(expr).ErrorCode, 0) << expr.toStdString();
        const Outcome o = Evaluate(expr);
        EXPECT_EQ(o.Err.ErrorCode, 0) << expr.toStdString();
        EXPECT_EQ(o.Value, QString::fromUtf16(c.token)) << expr.toStdString();
    }
    EXPECT_FALSE(ComplexFirstCall);
}

TEST_F(ComplexAnalyzer, VariablesAndConstantsTakePartAsBracketedValues)
{
    TVariableManager::Instance()->SetValue(u"z"_s, u"3 + j4"_s);
    TVariableManager::Instance()->SetValue(u"w"_s, u"2e^j90"_s);
    TConstantItemList constants;
    constants.Add(u"$r"_s, u"2"_s);
    ConstantItems = &constants;
    struct Case
    {
        const char16_t *expr, *token;
    };
    // "e" is no variable here: it belongs to the exponential form.
    const Case cases[] = {
        {u"2z", u"[6+j8]"}, {u"abs(z)", u"[5]"}, {u"z*w", u"[-8+j6]"}, {u"$r*j", u"[0+j2]"}, {u"e^j90*z", u"[-4+j3]"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Evaluate(QString::fromUtf16(c.expr)).Value, QString::fromUtf16(c.token))
            << QString::fromUtf16(c.expr).toStdString();
    ConstantItems = nullptr;
    TVariableManager::Instance()->Clear();
}

TEST_F(ComplexAnalyzer, UnitWrittenAfterTheMagnitude)
{
    ImaginaryUnit = u'i';
    ImaginaryUnitChar = u'i';
    ImaginaryUnitFirst = false;
    EXPECT_EQ(Evaluate(u"(1+i)^2"_s).Value, u"[0+2i]");
    EXPECT_EQ(Evaluate(u"3-i*2"_s).Value, u"[3-2i]");
    EXPECT_EQ(Evaluate(u"(2e^30i)*(1e^-30i)"_s).Value, u"[2]");
    // The checker's unit tests follow the chosen character; "j" is a name.
    struct Case
    {
        const char16_t *expr;
        int code, start, end;
    };
    const Case cases[] = {
        {u"e^i(30)", 32, 0, 4}, {u"2e^-i(30)", 32, 1, 6}, {u"3ii", 32, 2, 3}, {u"ei", 32, 1, 2}, {u"3jj", 0, 0, 0},
    };
    for (const Case &c : cases) {
        const TCalculationError e = Check(QString::fromUtf16(c.expr));
        EXPECT_EQ(e.ErrorCode, c.code) << QString::fromUtf16(c.expr).toStdString();
        EXPECT_EQ(e.ErrorStart, c.start) << QString::fromUtf16(c.expr).toStdString();
        EXPECT_EQ(e.ErrorEnd, c.end) << QString::fromUtf16(c.expr).toStdString();
    }
}

TEST_F(ComplexAnalyzer, EvaluationErrorsHaveNoSpan)
{
    struct Case
    {
        const char16_t *expr;
        int code;
    };
    const Case cases[] = {
        {u"2^(-1)", 20}, {u"2^0.5", 20},       {u"2^j", 20}, {u"2^-3", 20},
        {u"1/0", 25},    {u"(1+j)/(j-j)", 25}, {u"2e-5", 1}, // the literal splits at the exponent's sign
    };
    for (const Case &c : cases) {
        TCalculationError err;
        err.ErrorStart = 7;
        err.ErrorEnd = 9;
        QString value;
        ComplexFirstCall = true;
        EvaluateComplex(QString::fromUtf16(c.expr), err, value);
        EXPECT_EQ(err.ErrorCode, c.code) << QString::fromUtf16(c.expr).toStdString();
        EXPECT_EQ(err.ErrorStart, 0);
        EXPECT_EQ(err.ErrorEnd, 0);
    }
}

TEST_F(ComplexAnalyzer, FaultsTheCheckerLetThroughEndWithACode)
{
    // Straight to the evaluator: an empty or unclosed bracket must not
    // keep it searching for ever.
    EXPECT_EQ(Evaluate(u"()"_s).Err.ErrorCode, 9);
    EXPECT_EQ(Evaluate(u"2*(1+()"_s).Err.ErrorCode, 9);
    EXPECT_EQ(Evaluate(u"(2"_s).Err.ErrorCode, 11);
    // An exponent beyond 65535 is left to the caller's guard.
    EXPECT_THROW(Evaluate(u"2^70000"_s), ERangeError);
    EXPECT_THROW(Evaluate(u"2^99999999999999999999999"_s), ERangeError);
}

TEST_F(ComplexAnalyzer, LongExpressionsAreEvaluated)
{
    for (int terms : {129, 200, 400}) {
        QString expr = u"1"_s;
        for (int i = 1; i < terms; ++i)
            expr += u"+1"_s;
        ASSERT_GT(expr.size(), 255);
        const Outcome o = Evaluate(expr);
        EXPECT_EQ(o.Err.ErrorCode, 0);
        EXPECT_EQ(o.Value, u'[' + QString::number(terms) + u']');
    }
}

TEST_F(ComplexAnalyzer, CheckerTakesTextsLongerThan255Characters)
{
    QString sum = u"1"_s, spaced = u"1"_s;
    for (int i = 1; i < 200; ++i) {
        sum += u"+1"_s;
        spaced += u" + 1"_s;
    }
    ASSERT_GT(sum.size(), 255);
    EXPECT_EQ(Check(sum).ErrorCode, 0);
    EXPECT_EQ(Check(spaced).ErrorCode, 0);

    // A fault far beyond 255 characters is still found and marked where it
    // stands in the typed text, blanks included.
    const QString fault = QString(300, u'1') + u"*/3"_s;
    TCalculationError e = Check(fault);
    EXPECT_EQ(e.ErrorCode, 5);
    EXPECT_EQ(e.ErrorStart, 301);
    EXPECT_EQ(e.ErrorEnd, 302);
    e = Check(u"  "_s + fault);
    EXPECT_EQ(e.ErrorStart, 303);
    EXPECT_EQ(e.ErrorEnd, 304);
}

TEST_F(ComplexAnalyzer, CheckerCodesAndSpans)
{
    struct Case
    {
        const char16_t *expr;
        int code, start, end;
    };
    // clang-format off
    const Case cases[] = {
        {u"sin(1)", 14, 0, 3},   {u"abs+1", 12, 0, 3},   {u"5!", 13, 1, 2},     {u"5%", 13, 1, 2},
        {u"5#", 16, 1, 2},       {u"2*/3", 5, 2, 3},     {u"e^j(30)", 32, 0, 4}, {u"2e^-j(30)", 32, 1, 6},
        {u"3jj", 32, 2, 3},      {u"speed", 32, 3, 4},   {u"object", 32, 3, 4}, {u"cost", 14, 0, 3},
        {u" 2*/3", 5, 3, 4},     {u"*2", 2, 0, 1},       {u"2*", 3, 1, 2},      {u"2.", 4, 1, 2},
        {u"2.+3", 6, 2, 3},      {u"(2+)", 7, 3, 4},     {u"(*2)", 8, 1, 2},    {u"2+()", 9, 2, 4},
        {u"$", 18, 0, 1},        {u"2*$+1", 18, 2, 3},   {u"(.5)", 30, 1, 2},   {u"2*abs", 12, 2, 5},
        {u"(1+2", 11, 0, 1},     {u" ( 1+2", 11, 1, 2},  {u"1 + 2 )", 10, 6, 7}, {u"(sin1", 14, 1, 4},
        {u"arcsinh(1)", 14, 0, 7}, {u"absin(1)", 14, 2, 5}, {u"2 ^ -3", 0, 0, 0}, {u"abs(3)+abs 4", 0, 0, 0},
        {u"", 0, 0, 0},          {u"   ", 0, 0, 0},      {u"5e^-j30*x", 0, 0, 0},
    };
    // clang-format on
    for (const Case &c : cases) {
        const TCalculationError e = Check(QString::fromUtf16(c.expr));
        EXPECT_EQ(e.ErrorCode, c.code) << QString::fromUtf16(c.expr).toStdString();
        EXPECT_EQ(e.ErrorStart, c.start) << QString::fromUtf16(c.expr).toStdString();
        EXPECT_EQ(e.ErrorEnd, c.end) << QString::fromUtf16(c.expr).toStdString();
    }
    EXPECT_EQ(Check(u"abs+1"_s).ErrorText, u"abs");
}

TEST_F(ComplexAnalyzer, BracketsComplexLiterals)
{
    struct Case
    {
        const char16_t *in, *out;
    };
    // clang-format off
    const Case cases[] = {
        {u"3+j4", u"[3]+[j4]"},         {u"2.5e^-j30", u"[2.5e^-j30]"}, {u"2e-5", u"[2e]-[5]"},
        {u"[3]+2", u"[3]+[2]"},         {u"4jj", u"[4j][j]"},           {u"e^j30*2j", u"[e^j30]*[2j]"},
        {u"abs(3+4j)", u"abs([3]+[4j])"},
    };
    // clang-format on
    for (const Case &c : cases) {
        QString s = QString::fromUtf16(c.in);
        BracketComplexLiterals(s);
        EXPECT_EQ(s, QString::fromUtf16(c.out)) << QString::fromUtf16(c.in).toStdString();
    }
}

TEST_F(ComplexAnalyzer, OperandsAndTokenPositions)
{
    QString left, right;
    ExtractComplexOperands(u"[1+j]*[2e^-j30]"_s, 5, left, right);
    EXPECT_EQ(left, u"[1+j]");
    EXPECT_EQ(right, u"[2e^-j30]");
    ExtractComplexOperands(u"2e^j30*3j"_s, 6, left, right);
    EXPECT_EQ(left, u"2e^j30");
    EXPECT_EQ(right, u"3j");
    ExtractComplexOperands(u"-[2]"_s, 0, left, right);
    EXPECT_EQ(left, u"");
    EXPECT_EQ(right, u"[2]");

    EXPECT_FALSE(ComplexNotInsideToken(2, u"[3+j4]"_s));
    EXPECT_TRUE(ComplexNotInsideToken(3, u"[3]+[4]"_s));
    EXPECT_TRUE(ComplexNotInsideToken(8, u"[3]"_s));

    QString s = u"a+b+a"_s;
    ComplexReplaceFirst(s, u"a"_s, u"[1]"_s);
    EXPECT_EQ(s, u"[1]+b+a");
}

TEST_F(ComplexAnalyzer, DisplayStringInEveryBase)
{
    QString s;
    ComplexToDisplayString(TComplex{1, 2, false}, 2, 10, s, false);
    EXPECT_EQ(s, u"1+j2");
    ComplexToDisplayString(TComplex{255, -16, false}, 2, 16, s, false);
    EXPECT_EQ(s, u"FF-j10");
    ComplexToDisplayString(TComplex{5, 2.5L, false}, 4, 2, s, false);
    EXPECT_EQ(s, u"101+j10.1");
    ComplexToDisplayString(TComplex{1234567, 1, false}, 2, 10, s, false);
    EXPECT_EQ(s, u"1 234 567+j");
    ComplexToDisplayString(TComplex{0, 2, true}, 2, 10, s, false);
    EXPECT_EQ(s, u"2e^j90");
    ComplexToDisplayString(TComplex{0.0000001L, 0, false}, 6, 10, s, false);
    EXPECT_EQ(s, u"1E-7");
    ComplexToDisplayString(TComplex{1500, -0.5L, false}, 6, 10, s, true);
    EXPECT_EQ(s, u"1.5E3-j5E-1");
    ImaginaryUnit = u'i';
    ImaginaryUnitFirst = false;
    ComplexToDisplayString(TComplex{1, 2, false}, 2, 10, s, false);
    EXPECT_EQ(s, u"1+2i");
}
