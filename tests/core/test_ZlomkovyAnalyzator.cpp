#include "core/ZlomkovyAnalyzator.h"
#include "core/uVariableManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>
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

// A result token with parts of the 64-bit range, in lowest terms, within the
// rounding of a few 15-digit steps (and of the 18 decimals it keeps at most)
// of the exact value.
void ExpectNear(const QString &token, Extended exact, const QString &expr)
{
    TFraction f;
    ASSERT_NO_THROW(StrToFraction(token, f)) << expr.toStdString();
    TFraction lowest = f;
    ASSERT_NO_THROW(ReduceFraction(lowest)) << expr.toStdString();
    EXPECT_EQ(lowest.Numerator, f.Numerator) << expr.toStdString();
    EXPECT_EQ(lowest.Denominator, f.Denominator) << expr.toStdString();
    const Extended value = Extended(f.Numerator) / Extended(f.Denominator);
    EXPECT_LE(std::fabs(value - exact), 1e-14L * std::fabs(exact) + 1e-18L)
        << expr.toStdString() << " gives " << token.toStdString();
}

} // namespace

TEST(FractionAnalyzer, EvaluatesExactly)
{
    struct Case
    {
        const char16_t *expr, *token;
    };
    // clang-format off
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
    // clang-format on
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
    struct Case
    {
        const char16_t *expr;
        int code;
        const char16_t *text;
    };
    // clang-format off
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
    // clang-format on
    for (const Case &c : cases) {
        const Outcome o = Evaluate(QString::fromUtf16(c.expr));
        EXPECT_EQ(o.Err.ErrorCode, c.code) << QString::fromUtf16(c.expr).toStdString();
        EXPECT_EQ(o.Err.ErrorText, QString::fromUtf16(c.text)) << QString::fromUtf16(c.expr).toStdString();
        EXPECT_EQ(o.Err.ErrorStart, 0);
        EXPECT_EQ(o.Err.ErrorEnd, 0);
    }
    // Beyond every exact range: a value too high, never an escaped overflow.
    for (const char16_t *expr : {u"2000!", u"34!/33!", u"9^9^9", u"(10^20)^2", u"2^0.5^(-9999)"}) {
        const Outcome o = Evaluate(QString::fromUtf16(expr));
        EXPECT_EQ(o.Err.ErrorCode, 20) << QString::fromUtf16(expr).toStdString();
    }
}

TEST(FractionAnalyzer, ExactWithinThe64BitRange)
{
    // Results that the reduced 64-bit parts hold are exact however the
    // decimals and powers combine; only a result outside the range is a
    // value too high.
    struct Case
    {
        const char16_t *expr, *token;
    };
    // clang-format off
    const Case cases[] = {
        {u"9.48^4*5", u"[+3154956561|78125]"},
        {u"2.63^4*7", u"[+33490453927|100000000]"},
        {u"8.28^6*3", u"[+236017022658147|244140625]"},
        {u"(-2.5)^3", u"[-125|8]"},           {u"(-2/3)^(-3)", u"[-27|8]"},
        {u"-1.25^2", u"[-25|16]"},            {u"0.1^18", u"[+1|1000000000000000000]"},
        {u"1009/2018", u"[+1|2]"},            {u"25!/24!", u"[+25]"},
        {u"20!", u"[+2432902008176640000]"},  {u"60 nad 30", u"[+118264581564861424]"},
        {u"9223372036854775807", u"[+9223372036854775807]"},
        {u"-9223372036854775807-1", u"[-9223372036854775808]"},
        {u"10^30/10^29", u"[+10]"},           {u"(2^100)/(2^99)", u"[+2]"},
        {u"1/9223372036854775807", u"[+1|9223372036854775807]"},
        {u"0.5^62*4", u"[+1|1152921504606846976]"},
    };
    // clang-format on
    for (const Case &c : cases) {
        const Outcome o = Evaluate(QString::fromUtf16(c.expr));
        EXPECT_EQ(o.Err.ErrorCode, 0) << QString::fromUtf16(c.expr).toStdString();
        EXPECT_EQ(o.Value, QString::fromUtf16(c.token)) << QString::fromUtf16(c.expr).toStdString();
    }
    // 'a.bc^n*k' across its range, against the exact value kept here: each
    // one shows its lowest terms, or, where they leave the 64-bit range, a
    // fraction of 64-bit parts within the 15 digits of each step.
    for (int abc = 101; abc <= 999; abc += 7)
        for (int n = 1; n <= 9; n += 2)
            for (int k : {3, 5, 7}) {
                unsigned __int128 num = unsigned(k), den = 1;
                for (int i = 0; i < n; ++i) {
                    num *= unsigned(abc);
                    den *= 100;
                }
                unsigned __int128 a = num, b = den;
                while (b != 0) {
                    const unsigned __int128 t = a % b;
                    a = b;
                    b = t;
                }
                num /= a;
                den /= a;
                const unsigned __int128 limit = std::numeric_limits<qint64>::max();
                const QString expr =
                    QString::number(abc / 100.0, 'f', 2) + u'^' + QString::number(n) + u'*' + QString::number(k);
                const Outcome o = Evaluate(expr);
                EXPECT_EQ(o.Err.ErrorCode, 0) << expr.toStdString();
                if (num <= limit && den <= limit)
                    EXPECT_EQ(o.Value, u"[+"_s + QString::number(quint64(num))
                                           + (den == 1 ? u"]"_s : u'|' + QString::number(quint64(den)) + u']'))
                        << expr.toStdString();
                else
                    ExpectNear(o.Value, Extended(num) / Extended(den), expr);
            }
    // Every partial sum of 1/3, 1/7 and of the harmonic series up to 40
    // terms, against sums kept with 64-bit integers here.
    for (const qint64 d : {3, 7, 0}) {
        QString expr;
        qint64 num = 0, den = 1;
        for (qint64 k = 1; k <= 40; ++k) {
            const qint64 termDen = d == 0 ? k : d;
            expr += (k > 1 ? u"+1/"_s : u"1/"_s) + QString::number(termDen);
            num = num * termDen + den;
            den *= termDen;
            const qint64 g = std::gcd(num, den);
            num /= g;
            den /= g;
            const Outcome o = Evaluate(expr);
            EXPECT_EQ(o.Err.ErrorCode, 0) << expr.toStdString();
            EXPECT_EQ(o.Value,
                      u"[+"_s + QString::number(num) + (den == 1 ? u"]"_s : u'|' + QString::number(den) + u']'))
                << expr.toStdString();
        }
    }
    for (const char16_t *expr : {u"9223372036854775808", u"-9223372036854775809", u"1/9223372036854775808", u"21!",
                                 u"2^63", u"-2^63-1", u"3037000500^2"}) {
        const Outcome o = Evaluate(QString::fromUtf16(expr));
        EXPECT_EQ(o.Err.ErrorCode, 20) << QString::fromUtf16(expr).toStdString();
    }
}

TEST(FractionAnalyzer, ModestValuesBeyondExactPartsAreRounded)
{
    // Where the exact lowest terms leave the 64-bit range, the expression
    // is computed again with 80-bit parts (15 digits a step), and the
    // result made whole by tens and rounded.
    TVariableManager *vars = TVariableManager::Instance();
    vars->SetValue(u"a"_s, u"-8.38e-21"_s);
    vars->SetValue(u"x"_s, u"1951"_s);
    vars->SetValue(u"w1"_s, u"-4.83e-8"_s);
    struct Case
    {
        const char16_t *expr, *token;
    };
    // clang-format off
    const Case cases[] = {
        {u"13.83^6*9", u"[+629760750675727|10000000]"},
        {u"17.03^6*4", u"[+121971367250169|1250000]"},
        {u"a-x*w1", u"[+942333|10000000000]"},
        {u"(13.83^6*9)*2", u"[+25190430027029|200000]"},
        {u"-17.03^6*4", u"[-121971367250169|1250000]"},
        {u"0.1^19", u"[+0]"},
        {u"1e-20+1", u"[+1]"},
        {u"1.23456789^30", u"[+556479685757869|1000000000000]"},
    };
    // clang-format on
    for (const Case &c : cases) {
        const Outcome o = Evaluate(QString::fromUtf16(c.expr));
        EXPECT_EQ(o.Err.ErrorCode, 0) << QString::fromUtf16(c.expr).toStdString();
        EXPECT_EQ(o.Value, QString::fromUtf16(c.token)) << QString::fromUtf16(c.expr).toStdString();
    }
    vars->Clear();

    // Sums of a tiny and a large term, and of two tiny ones, against the
    // exact sum kept here: exact where it fits, close to it where not.
    quint32 seed = 12345;
    const auto next = [&seed](quint32 n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    for (int i = 0; i < 300; ++i) {
        const int tinyDigits = int(next(900)) + 100; // d.dd
        const int tinyExponent = int(next(16)) + 12; // e-12 .. e-27
        const qint64 large = qint64(next(1000000)) * (next(2) ? 1 : 100) + 1;
        const int largeDecimals = int(next(4));
        const bool bothTiny = next(4) == 0;
        const QString tiny = QString::number(tinyDigits / 100) + u'.'
                             + QString::number(tinyDigits % 100).rightJustified(2, u'0') + u"e-"_s
                             + QString::number(tinyExponent);
        QString other;
        TFractionInt otherNum, otherDen;
        if (bothTiny) {
            other = tiny;
            otherNum = tinyDigits;
            otherDen = TFractionInt(100);
            for (int k = 0; k < tinyExponent; ++k)
                otherDen *= 10;
        } else {
            otherNum = large;
            otherDen = 1;
            for (int k = 0; k < largeDecimals; ++k)
                otherDen *= 10;
            other = QString::number(large / qint64(otherDen)) + (largeDecimals ? u"."_s : QString())
                    + (largeDecimals ? QString::number(large % qint64(otherDen)).rightJustified(largeDecimals, u'0')
                                     : QString());
        }
        TFractionInt tinyDen = 100;
        for (int k = 0; k < tinyExponent; ++k)
            tinyDen *= 10;
        // tiny + other, exactly: both denominators are powers of ten.
        const TFractionInt den = qMax(tinyDen, otherDen);
        const TFractionInt num = tinyDigits * (den / tinyDen) + otherNum * (den / otherDen);
        TFraction exact{num, den};
        CancelFraction(exact);
        const QString expr = tiny + u'+' + other;
        const Outcome o = Evaluate(expr);
        ASSERT_EQ(o.Err.ErrorCode, 0) << expr.toStdString();
        const TFractionInt limit = std::numeric_limits<qint64>::max();
        if (exact.Numerator <= limit && exact.Denominator <= limit) {
            QString token;
            FractionToInputString(exact, token);
            EXPECT_EQ(o.Value, token) << expr.toStdString();
        } else {
            ExpectNear(o.Value, Extended(num) / Extended(den), expr);
        }
    }
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
    struct Case
    {
        const char16_t *term;
        int count;
        const char16_t *token;
    };
    const Case cases[] = {
        {u"1/2", 120, u"[+60]"},
        {u"1/3", 46, u"[+46|3]"},
        {u"1/7", 100, u"[+100|7]"},
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

    EXPECT_FALSE(FractionNotInsideToken(1, u"[+3|4]"_s));
    EXPECT_TRUE(FractionNotInsideToken(6, u"[+3|4]+[1]"_s));
    EXPECT_TRUE(FractionNotInsideToken(19, u"[1]"_s));
}
