#include "core/Analyzator.h"

#include "core/uCommon.h"
#include "core/uProgramState.h"
#include "core/uVariableManager.h"
#include "platform/FloatMath.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Outcome
{
    int code = -1;
    QString value; // the result token
    TCalculationError err;
};

// What the controller does for one calculation: check, then evaluate once
// from the top with a fresh preparation.
Outcome Calculate(const QString &text)
{
    Outcome o;
    CheckRealSyntax(text, o.err, FunctionNames());
    if (o.err.ErrorCode != 0) {
        o.code = o.err.ErrorCode;
        return o;
    }
    RealPreprocessed = false;
    EvaluateReal(text, o.err, FunctionNames(), o.value);
    o.code = o.err.ErrorCode;
    return o;
}

class Evaluate : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DecimalSeparator = u'.';
        KProgramState::GetInstance(0)->SetDefaults();
        TVariableManager::Instance()->Clear();
        ExpressionValid = true;
    }
    void TearDown() override
    {
        DecimalSeparator = u'.';
        KProgramState::GetInstance(0)->SetDefaults();
        TVariableManager::Instance()->Clear();
        ExpressionValid = true;
        RealPreprocessed = false;
    }
};

struct Case
{
    const char16_t *text;
    const char16_t *result;
};

void ExpectResults(std::initializer_list<Case> cases)
{
    for (const Case &c : cases) {
        const Outcome o = Calculate(QString::fromUtf16(c.text));
        EXPECT_EQ(o.code, 0) << QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(o.value, u'[' + QString::fromUtf16(c.result) + u']') << QString::fromUtf16(c.text).toStdString();
    }
}

struct ErrorCase
{
    const char16_t *text;
    int code;
    const char16_t *errorText;
};

void ExpectCodes(std::initializer_list<ErrorCase> cases)
{
    for (const ErrorCase &c : cases) {
        const Outcome o = Calculate(QString::fromUtf16(c.text));
        EXPECT_EQ(o.code, c.code) << QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(o.err.ErrorText, QString::fromUtf16(c.errorText)) << QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(o.err.ErrorStart, 0);
        EXPECT_EQ(o.err.ErrorEnd, 0);
    }
}

Extended ResultValue(const QString &text)
{
    const Outcome o = Calculate(text);
    EXPECT_EQ(o.code, 0) << text.toStdString();
    QString v = o.value;
    v.remove(u'[');
    v.remove(u']');
    return StrToFloat(v);
}

} // namespace

TEST_F(Evaluate, PrecedenceAndAssociativity)
{
    ExpectResults({
        {u"2+3*4", u"14"},
        {u"8/2/2", u"2"}, // left to right
        {u"10-2-3", u"5"},
        {u"2^3^2", u"512"},   // right to left
        {u"-2^2", u"-4"},     // the power first, then the sign
        {u"2*3 mod 4", u"6"}, // mod binds tighter than *
        {u"(2+3)*4", u"20"},
        {u"2(3)", u"6"}, // implicit multiplication
        {u"((1+2)*(3+4))", u"21"},
        {u"-(2+3)", u"-5"},
        {u"2*(-3)", u"-6"},
        {u" 2 + 3 ", u"5"},
        {u"1/3", u"0.333333333333333"}, // 15 significant digits
        {u"10^15", u"1E15"},
        {u"1/100000", u"1E-5"},
        {u"1/10000", u"0.0001"},
        {u"1/10^50", u"1E-50"},
        {u"2^3!", u"40320"}, // the power before the factorial
        {u"-3!", u"-6"},
        {u"2*5!", u"240"},
        {u"5 nad 2*2", u"20"},
        {u"2+3 div 2", u"3"},
        {u"7 div 2 mod 2", u"1"}, // div and mod share a level, left to right
        {u"7 mod 4 div 2", u"1"},
        {u"1 or 2 and 3", u"3"}, // and before or
        {u"2 and 3*4", u"8"},    // the logical words before *
        {u"-(-2)", u"2"},
        {u"2^(-1)", u"0.5"},
        {u"(-2)^3", u"-8"},
        {u"(-2)^2", u"4"},
        {u"0^0", u"1"},
        {u"0^0.5", u"0"},
        {u"2^0.5", u"1.4142135623731"},
        {u"sqrt(2)", u"1.4142135623731"}, // the final addition rounds to 15 digits
        {u"2/3", u"0.666666666666667"},
        {u"123456789*1000000000", u"1.23456789E17"},
        {u"999999999999999+1", u"1E15"},
        {u"-1/10000", u"-0.0001"},
        {u"0.001*1", u"0.001"},
        {u"2e-3", u"0.002"},
        {u"1.5e3", u"1500"},
        {u"0.1+0.2", u"0.3"},
        {u"1/3*3", u"0.999999999999999"}, // each step is rounded to its token
        {u"2^0.5*2^0.5", u"2.00000000000001"},
        {u"1234567890123456*1", u"1.23456789012346E15"},
        {u"2-(-3)", u"5"},
        {u"-(-(-2))", u"-2"},
        {u"((2))", u"2"},
        {u"(2)(3)", u"6"},
        {u"3!2", u"12"},
        {u"(1+1)2", u"4"},
        {u"5%2", u"0.1"},
    });
}

TEST_F(Evaluate, PercentFactorialAndIntegerOperators)
{
    ExpectResults({
        {u"50+10%", u"55"},
        {u"50-10%", u"45"},
        {u"200*10%", u"20"},
        {u"10%", u"0.1"},
        {u"-10%", u"-0.1"},
        {u"3!", u"6"},
        {u"0!", u"1"},
        {u"1!", u"1"},
        {u"40!", u"8.15915283247898E47"},
        {u"3!+2", u"8"},
        {u"5 nad 2", u"10"},
        {u"5 nad 0", u"1"},
        {u"7 div 2", u"3"},
        {u"-7 div 2", u"-3"},
        {u"-7 mod 2", u"-1"},
        {u"7 mod -2", u"1"}, // the remainder takes the sign of the dividend
        {u"6 and 3", u"2"},
        {u"6 or 3", u"7"},
        {u"6 xor 3", u"5"},
        {u"6 xor 3 or 1", u"5"}, // xor before or
        {u"(-1) and 5", u"5"},   // two's complement
        {u"100-200%", u"-100"},
        {u"10%*50", u"5"},
        {u"(50+10)%", u"0.6"},
        {u"2*(50+10%)", u"110"},
        {u"50+10%+1", u"56"},
        {u"(3!)!", u"720"},
        {u"0 nad 0", u"1"},
        {u"10 nad 10", u"1"},
        {u"7 div -2", u"-3"},
        {u"-7 div -2", u"3"},
        {u"7 mod 2", u"1"},
        {u"5 xor 5", u"0"},
        {u"12 and 10 or 1", u"9"},
        {u"(0-1) xor 0", u"-1"},
    });
    EXPECT_NEAR(double(ResultValue(QStringLiteral("2^10%"))), std::pow(2.0, 0.1), 1e-14);
    // 41! and 2.5! come from the Gamma approximation, close to the true values.
    EXPECT_NEAR(double(ResultValue(QStringLiteral("41!")) / 3.3452526613163807e49L), 1.0, 1e-6);
    EXPECT_NEAR(double(ResultValue(QStringLiteral("2.5!"))), 3.3233509704478426, 1e-4);
    EXPECT_NEAR(double(ResultValue(QStringLiteral("1754!")) / 1.97926189010501e4930L), 1.0, 1e-6);
}

TEST_F(Evaluate, FunctionsTakeTheTokenAfterTheirName)
{
    ExpectResults({
        {u"sin30", u"0.5"},
        {u"sin(30)", u"0.5"},
        {u"sin(30)^2", u"0.25"},
        {u"2sin30", u"1"},
        {u"sqrt(16)+sqr(3)", u"13"},
        {u"abs(-2)*sign(-3)", u"-2"},
        {u"exp(-50)", u"0"}, // a function result below 5E-18 is 0
        {u"ln(exp(2))", u"2"},
        {u"arcsinh(0)", u"0"},
        {u"sin(30)cos(60)", u"0.25"},
        {u"sin30+cos60", u"1"},
        {u"sin(-30)", u"-0.5"},
        {u"-sin(30)", u"-0.5"},
        {u"sqrt(sqrt(16))", u"2"},
        {u"2^sqrt(4)", u"4"},
        {u"sqrt(4)!", u"2"},
        {u"abs(0-5)%", u"0.05"},
    });
}

TEST_F(Evaluate, ErrorCodes)
{
    ExpectCodes({
        {u"(-3)!", 24, u""},
        {u"2 nad 5", 28, u""},
        {u"5.5 nad 2", 27, u"nad"},
        {u"(-1) nad 0", 27, u"nad"},
        {u"7.5 mod 2", 27, u"mod"},
        {u"7 div 2.5", 27, u"div"},
        {u"1.5 and 1", 27, u"and"},
        {u"10^5000", 20, u""},
        {u"(-8)^(1/3)", 21, u""},
        {u"1/0", 25, u""},
        {u"0/0", 25, u""},
        {u"exp(20000)", 23, u"exp"},
        {u"arcsin(2)", 22, u"2"},
        {u"70000 nad 2", 20, u""}, // a factorial argument beyond 65535
        {u"arctgh(1)+1", 1, u""},  // an infinite function result cannot be read on
        {u"x+1", 1, u""},          // an unknown name is no number
        {u"3!^2", 1, u""},         // the power comes first and cannot read "3!"
        {u"5 nad -1", 27, u"nad"},
        {u"1.5 div 2", 27, u"div"},
        {u"1 or 2.5", 27, u"or"},
        {u"2^20000", 20, u""},
        {u"10^4000*10^4000", 20, u""},
        {u"(-2)^0.5", 21, u""},
        {u"1/(1-1)", 25, u""},
        {u"(0-1)!", 24, u""},
        {u"1755!", 20, u""}, // the first factorial beyond the 80-bit range
        {u"1e30!", 20, u""},
    });
    const Outcome o = Calculate(QStringLiteral("arcsin(2)"));
    EXPECT_EQ(o.err.ErrorName, QStringLiteral("arcsin"));
}

TEST_F(Evaluate, OperatorFaultsCloseTheGateUntilTheNextCheck)
{
    TCalculationError err;
    QString value = QStringLiteral("kept");
    CheckRealSyntax(QStringLiteral("(-3)!"), err, FunctionNames());
    RealPreprocessed = false;
    EvaluateReal(QStringLiteral("(-3)!"), err, FunctionNames(), value);
    EXPECT_EQ(err.ErrorCode, 24);
    EXPECT_FALSE(ExpressionValid);
    // A further evaluation without a new check touches nothing.
    TCalculationError untouched;
    untouched.ErrorCode = 7;
    QString v = QStringLiteral("old");
    RealPreprocessed = false;
    EvaluateReal(QStringLiteral("1+1"), untouched, FunctionNames(), v);
    EXPECT_EQ(untouched.ErrorCode, 7);
    EXPECT_EQ(v, QStringLiteral("old"));
    // A clean check opens it again.
    EXPECT_EQ(Calculate(QStringLiteral("1+1")).value, QStringLiteral("[2]"));
}

TEST_F(Evaluate, FaultsPassedToTheCallerAsExceptions)
{
    EXPECT_THROW(Calculate(QStringLiteral("7 mod 0")), EDivByZero);
    EXPECT_THROW(Calculate(QStringLiteral("0^(0-1)")), EZeroDivide);
    EXPECT_THROW(Calculate(QStringLiteral("1e30 div 1")), EInvalidOp);
    EXPECT_THROW(Calculate(QStringLiteral("1800 nad 2")), EOverflow); // 1800! is beyond the 80-bit range
    EXPECT_THROW(Calculate(QStringLiteral("3!%")), EConvertError);
    EXPECT_THROW(Calculate(QStringLiteral("x nad 2")), EConvertError);
    QString tooLong = QStringLiteral("1");
    for (int i = 0; i < 20000; ++i)
        tooLong += QStringLiteral("+1"); // 80000 characters once bracketed
    EXPECT_THROW(Calculate(tooLong), ERangeError);
}

TEST_F(Evaluate, LogicalFaultLetsTheLaterPassesRun)
{
    const Outcome o = Calculate(QStringLiteral("1.5 xor 2 + 3"));
    EXPECT_EQ(o.code, 27);
    EXPECT_EQ(o.err.ErrorText, QStringLiteral("xor"));
    EXPECT_EQ(o.value, QStringLiteral("[1.5]xor[5]"));
}

TEST_F(Evaluate, NoInputHangs)
{
    const QString texts[] = {
        QStringLiteral("()"), // an empty pair never reduces
        QStringLiteral("2*()"),
        QStringLiteral("(2+3"),  // an unclosed pair
        QStringLiteral("sine5"), // a name not followed by its argument token
        QStringLiteral("sinx5+sin5"),
    };
    for (const QString &t : texts) {
        TCalculationError err;
        QString value = QStringLiteral("kept");
        ExpressionValid = true;
        RealPreprocessed = false;
        EvaluateReal(t, err, FunctionNames(), value);
        EXPECT_EQ(err.ErrorCode, 1) << t.toStdString();
    }
    // A variable without a value becomes "()".
    TVariableManager::Instance()->SetValue(QStringLiteral("x"), QString());
    EXPECT_EQ(Calculate(QStringLiteral("x+1")).code, 1);
    // A sign after an operator word is read with its operand.
    ExpectResults({{u"5 nad +3", u"10"},
                   {u"7 div +2", u"3"},
                   {u"5 mod +3", u"2"},
                   {u"6 xor +3", u"5"},
                   {u"6 and -3", u"4"},
                   {u"-6 and 3", u"-2"}});
}

TEST_F(Evaluate, VariablesAndTheDecimalSeparator)
{
    TVariableManager::Instance()->SetValue(QStringLiteral("x"), QStringLiteral("5"));
    TVariableManager::Instance()->SetValue(QStringLiteral("xy"), QStringLiteral("-2"));
    ExpectResults({{u"2x+xy", u"8"}, {u"x^2", u"25"}, {u"xy^2", u"4"}});
    DecimalSeparator = u',';
    ExpectResults({{u"2,5*2", u"5"}, {u"1,5+1", u"2,5"}});
}

TEST_F(Evaluate, PreparedExpressionEvaluatedPerValue)
{
    QString prepared = QStringLiteral("x^2*sin(x)+1/x");
    PrepareExpression(prepared, QStringLiteral("x"));
    EXPECT_EQ(prepared, QStringLiteral("[x]^[2]*sin([x])+[1]/[x]+[0]"));
    KProgramState::GetInstance(0)->AngleMode = 1;
    RealPreprocessed = true;
    for (const char16_t *x : {u"2", u"-1.5", u"0.25"}) {
        QString text = prepared;
        ReplaceWholeWord(text, QStringLiteral("x"), QString::fromUtf16(x));
        ExpressionValid = true;
        TCalculationError err;
        QString value;
        EvaluateReal(text, err, FunctionNames(), value);
        ASSERT_EQ(err.ErrorCode, 0);
        value.remove(u'[');
        value.remove(u']');
        const double v = QString::fromUtf16(x).toDouble();
        EXPECT_NEAR(StrToFloat(value), v * v * std::sin(v) + 1 / v, 1e-12) << v;
    }
    // "n" inside "sin" stays, the whole word receives the value, "2n" gets
    // its multiplication sign.
    QString series = QStringLiteral("2n+sin(n)");
    PrepareExpression(series, QStringLiteral("n"));
    EXPECT_EQ(series, QStringLiteral("[2]*[n]+sin([n])+[0]"));
    ReplaceWholeWord(series, QStringLiteral("n"), QStringLiteral("3"));
    EXPECT_EQ(series, QStringLiteral("[2]*[3]+sin([3])+[0]"));
}

TEST_F(Evaluate, PointOfAPreparedExpression)
{
    QString prepared = QStringLiteral("1/x+x^2");
    PrepareExpression(prepared, QStringLiteral("x"));
    const struct
    {
        Extended x;
        quint8 code;
        Extended y;
    } cases[] = {
        {2, 0, 4.5L},
        {-0.5L, 0, -1.75L},
        {0, 25, 0},
        {4, 0, 16.25L},
    };
    // A division by zero leaves the gate closed; the next point still counts.
    for (const auto &c : cases) {
        Extended y = -99;
        EXPECT_EQ(EvaluatePreparedAt(prepared, QStringLiteral("x"), c.x, y), c.code) << double(c.x);
        if (c.code == 0) {
            EXPECT_NEAR(double(y), double(c.y), 1e-12) << double(c.x);
        }
    }
    QString root = QStringLiteral("sqrt(x)");
    PrepareExpression(root, QStringLiteral("x"));
    Extended y;
    EXPECT_EQ(EvaluatePreparedAt(root, QStringLiteral("x"), -1, y), 22);
    // The value token follows the decimal separator.
    DecimalSeparator = u',';
    QString half = QStringLiteral("x*2");
    PrepareExpression(half, QStringLiteral("x"));
    EXPECT_EQ(EvaluatePreparedAt(half, QStringLiteral("x"), 0.25L, y), 0);
    EXPECT_EQ(double(y), 0.5);
    DecimalSeparator = u'.';
}

TEST_F(Evaluate, PreparedPointAgreesWithTheTypedCalculation)
{
    // The graph and the series evaluate what the calculation road would give
    // with the variable holding the point's value.
    // clang-format off
    const struct { const char16_t *expr; Extended x; } cases[] = {
        {u"5 mod x", 3},  {u"x div 2", 7},   {u"x mod 2", 9},     {u"x or 4", 3},   {u"x xor 1", 6},
        {u"x and 1", 5},  {u"x nad 2", 7},   {u"2x mod 3", 7},    {u"x MOD 4", 7},  {u"n mod 2", 5},
        {u"x^2+1", -1.5L}, {u"2x+sin(x)", 0.5L}, {u"1 234+x", 1},
    };
    // clang-format on
    for (const auto &c : cases) {
        const QString expr = QString::fromUtf16(c.expr);
        const QString name = expr.startsWith(u'n') ? QStringLiteral("n") : QStringLiteral("x");
        SCOPED_TRACE(expr.toStdString());
        TVariableManager::Instance()->Clear();
        TVariableManager::Instance()->SetValue(name, FloatToStr(c.x));
        TCalculationError err;
        QString expected;
        CheckRealSyntax(expr, err, FunctionNames());
        ASSERT_EQ(err.ErrorCode, 0);
        RealPreprocessed = false;
        EvaluateReal(expr, err, FunctionNames(), expected);
        ASSERT_EQ(err.ErrorCode, 0);
        expected.remove(u'[');
        expected.remove(u']');

        TVariableManager::Instance()->Clear();
        QString prepared = expr;
        PrepareExpression(prepared, name);
        Extended y = 0;
        ASSERT_EQ(EvaluatePreparedAt(prepared, name, c.x, y), 0) << prepared.toStdString();
        EXPECT_EQ(FloatToStr(y), FloatToStr(StrToFloat(expected))) << prepared.toStdString();
    }
    TVariableManager::Instance()->Clear();
}

TEST_F(Evaluate, ReplaceWholeWordAndItsHelpers)
{
    QString s = QStringLiteral("[x]*max");
    ReplaceWholeWord(s, QStringLiteral("X"), QStringLiteral("4"));
    EXPECT_EQ(s, QStringLiteral("[4]*max"));
    s = QStringLiteral("2x+x1");
    ReplaceWholeWord(s, QStringLiteral("x"), QStringLiteral("+7"));
    EXPECT_EQ(s, QStringLiteral("27+x1"));
    s = QStringLiteral("x+x");
    ReplaceWholeWord(s, QStringLiteral("x"), QStringLiteral("(x)"));
    EXPECT_EQ(s, QStringLiteral("(x)+(x)"));
    s = QStringLiteral("#1+#");
    ReplaceWholeWord(s, QStringLiteral("#"), QStringLiteral("5"));
    EXPECT_EQ(s, QStringLiteral("#1+5"));

    s = QStringLiteral("[2]*+[3]/+[1]-+[4]++[5]nad+[1]");
    CollapseSigns(s);
    EXPECT_EQ(s, QStringLiteral("[2]*[3]/[1]-[4]+[5]nad[1]"));
    // A run of signs after one of them vanishes, any other run keeps one.
    s = QStringLiteral("+++[1]++[2]-++[3]div+++[4]");
    CollapseSigns(s);
    EXPECT_EQ(s, QStringLiteral("+[1]+[2]-[3]div[4]"));
    s = QStringLiteral("[1]+[2]+[1]+[2]");
    ReplaceOccurrence(s, QStringLiteral("[1]+[2]"), QStringLiteral("+[3]"), true);
    EXPECT_EQ(s, QStringLiteral("[1]+[2]+[3]"));
    ReplaceOccurrence(s, QStringLiteral("[9]"), QStringLiteral("[0]"), false);
    EXPECT_EQ(s, QStringLiteral("[1]+[2]+[3]")); // nothing to replace

    EXPECT_EQ(LastPos(QStringLiteral("^"), QStringLiteral("[2]^[3]^[2]")), 7);
    EXPECT_EQ(LastPos(QStringLiteral("^"), QStringLiteral("[2]")), -1);
    EXPECT_FALSE(NotInsideToken(1, QStringLiteral("[-3]-[2]")));
    EXPECT_TRUE(NotInsideToken(4, QStringLiteral("[-3]-[2]")));
    EXPECT_TRUE(NotInsideToken(20, QStringLiteral("[-3]")));

    QString left, right;
    ExtractOperands(QStringLiteral("[1]+[2]^[3]^[4]"), QStringLiteral("^"), left, true, right);
    EXPECT_EQ(left, QStringLiteral("[3]"));
    EXPECT_EQ(right, QStringLiteral("[4]"));
    ExtractOperands(QStringLiteral("12nad[5]"), QStringLiteral("nad"), left, false, right);
    EXPECT_EQ(left, QStringLiteral("12"));
    EXPECT_EQ(right, QStringLiteral("[5]"));
}

TEST_F(Evaluate, NumberTokens)
{
    EXPECT_EQ(NumberToToken(-3), QStringLiteral("[-3]"));
    EXPECT_EQ(NumberToToken(1e15L), QStringLiteral("[1E15]"));
    EXPECT_EQ(FunctionResultToToken(1.0L / 3), QStringLiteral("[0.33333333333333333]"));
    EXPECT_EQ(FunctionResultToToken(4e-18L), QStringLiteral("[0]"));
    EXPECT_EQ(FunctionResultToToken(-4e-18L), QStringLiteral("[0]"));
    EXPECT_EQ(NumberToToken(0.0001L), QStringLiteral("[0.0001]"));
    EXPECT_EQ(NumberToToken(-0.00001L), QStringLiteral("[-1E-5]"));
    EXPECT_EQ(NumberToToken(999999999999999.0L), QStringLiteral("[999999999999999]"));
    EXPECT_EQ(NumberToToken(1.5e-20L), QStringLiteral("[1.5E-20]"));
    EXPECT_EQ(NumberToToken(2.0L / 3), QStringLiteral("[0.666666666666667]"));
    EXPECT_EQ(FunctionResultToToken(-2.5L), QStringLiteral("[-2.5]"));
    EXPECT_EQ(FunctionResultToToken(1e18L), QStringLiteral("[1E18]"));
    EXPECT_EQ(FunctionResultToToken(123456789012345678.0L), QStringLiteral("[123456789012345678]"));
}
