#include "core/Zlomky.h"

#include <gtest/gtest.h>

#include <ostream>

// Readable failure messages for texts.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

TFraction F(TFractionInt n, TFractionInt d)
{
    return TFraction{n, d};
}

// "n/d" with the exact digits of both parts, as written.
QString Text(const TFraction &f)
{
    return FractionIntToStr(f.Numerator) + u'/' + FractionIntToStr(f.Denominator);
}

TFraction Reduced(TFraction f)
{
    ReduceFraction(f);
    return f;
}

TFraction Read(const QString &s)
{
    TFraction f;
    StrToFraction(s, f);
    return f;
}

QString InputString(const TFraction &f)
{
    QString s;
    FractionToInputString(f, s);
    return s;
}

QString Power(const TFraction &f, const TFraction &e)
{
    TFraction r;
    PowerFraction(f, r, e);
    CancelFraction(r);
    return Text(r);
}

std::vector<qint32> Chain(const TPrvocisla &list)
{
    std::vector<qint32> values;
    for (const TPrvocislaNode *p = list.Head; p; p = p->Next)
        values.push_back(p->Value);
    return values;
}

constexpr TFractionInt Two64 = TFractionInt(1) << 64;

} // namespace

TEST(Primes, GenerateUpTo97GivesThe25PrimesLargestFirst)
{
    TPrvocisla primes;
    EXPECT_TRUE(primes.Dirty);
    primes.Generate(97);
    EXPECT_FALSE(primes.Dirty);
    const std::vector<qint32> expected = {97, 89, 83, 79, 73, 71, 67, 61, 59, 53, 47, 43, 41,
                                          37, 31, 29, 23, 19, 17, 13, 11, 7,  5,  3,  2};
    EXPECT_EQ(Chain(primes), expected);
}

TEST(Primes, LargerLimitsAlsoHoldProductsOfLargerPrimes)
{
    TPrvocisla primes;
    primes.Generate(997);
    const std::vector<qint32> chain = Chain(primes);
    EXPECT_EQ(chain.front(), 997);
    EXPECT_EQ(chain.back(), 2);
    EXPECT_NE(std::find(chain.begin(), chain.end(), 169), chain.end());
    EXPECT_EQ(std::find(chain.begin(), chain.end(), 121), chain.end());
}

TEST(Fractions, DisplayOfReducedTokens)
{
    struct Case
    {
        const char16_t *token;
        int radix;
        const char16_t *text;
    };
    // clang-format off
    const Case cases[] = {
        {u"[+6|8]", 10, u"3 / 4"},   {u"[-6|-8]", 10, u"3 / 4"}, {u"[6|-8]", 10, u"-3 / 4"},
        {u"[0.125]", 10, u"1 / 8"},  {u"[2.5]", 10, u"5 / 2"},   {u"[3]", 10, u"3"},
        {u"[+0|8]", 10, u"0"},       {u"[-1|2]", 10, u"-1 / 2"}, {u"[+1234567|2]", 10, u"1 234 567 / 2"},
        {u"[+5|2]", 2, u"101 / 10"}, {u"[+255|16]", 16, u"FF / 10"}, {u"[-0.75]", 10, u"-3 / 4"},
        // A common factor above the small primes cancels as well.
        {u"[+1009|2018]", 10, u"1 / 2"}, {u"[+1009|3027]", 10, u"1 / 3"},
        {u"[-1234567|2]", 8, u"-4 553 207 / 2"}, {u"[+6|-8]", 2, u"-11 / 100"},
        // Every digit of the 64-bit range shows, in every base.
        {u"[+9223372036854775807]", 10, u"9 223 372 036 854 775 807"},
        {u"[-9223372036854775808|3]", 10, u"-9 223 372 036 854 775 808 / 3"},
        {u"[+1|9223372036854775807]", 16, u"1 / 7F FF FF FF FF FF FF FF"},
        {u"[-9223372036854775808]", 2,
         u"-1000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000 0000"},
        {u"[1.5E3]", 10, u"1 500"},  {u"[2e-3]", 10, u"1 / 500"},
        {u"[0.333333333333333]", 10, u"333 333 333 333 333 / 1 000 000 000 000 000"},
        // Lowest terms beyond the 64-bit range: the parts are made whole by
        // tens while both stay within a tenth of the range, then rounded.
        {u"[1.65415563428571E-9]", 10, u"827 077 817 / 500 000 000 000 000 000"},
        {u"[-1.65415563428571E-9]", 10, u"-827 077 817 / 500 000 000 000 000 000"},
        {u"[1E-50]", 10, u"0"},               {u"[0.00000000000000000049]", 10, u"0"},
        {u"[0.00000000000000000151]", 10, u"1 / 500 000 000 000 000 000"},
        {u"[123456789012345.6789012345]", 10, u"1 234 567 890 123 456 789 / 10 000"},
        // the limit is on the magnitude, for a negative part as well
        {u"[-123456789012345.6789012345]", 10, u"-1 234 567 890 123 456 789 / 10 000"},
        {u"[+62976075.0675727]", 10, u"629 760 750 675 727 / 10 000 000"},
        // rounded half to even
        {u"[-9223372036854775808.5]", 10, u"-9 223 372 036 854 775 808"},
    };
    // clang-format on
    for (const Case &c : cases) {
        QString s;
        FormatFractionString(QString::fromUtf16(c.token), quint8(c.radix), s);
        EXPECT_EQ(s, QString::fromUtf16(c.text)) << QString::fromUtf16(c.token).toStdString();
    }
}

TEST(Fractions, NumbersReadExactlyFromTheirText)
{
    struct Case
    {
        const char16_t *text, *value;
    };
    // clang-format off
    const Case cases[] = {
        {u"0.1", u"1/10"},          {u"9.48", u"237/25"},       {u"-0.75", u"-3/4"},
        {u"[+3|4]", u"3/4"},        {u"[ -1 | 2 ]", u"-1/2"},   {u"[+5]", u"5/1"},
        {u"1.5E3", u"1500/1"},      {u"1e-5", u"1/100000"},     {u"0e99999", u"0/1"},
        {u"2.5|0.5", u"5/1"},       {u"007.50", u"15/2"},
        {u"0.50000000000000000000000000000000000000000000000", u"1/2"},
        {u"1e38", u"100000000000000000000000000000000000000/1"},
        {u"[170141183460469231731687303715884105727]", u"170141183460469231731687303715884105727/1"},
    };
    // clang-format on
    for (const Case &c : cases) {
        TFraction f = Read(QString::fromUtf16(c.text));
        CancelFraction(f);
        EXPECT_EQ(Text(f), QString::fromUtf16(c.value)) << QString::fromUtf16(c.text).toStdString();
    }
    // Beyond the exact range: a value too high, not a text that is no number.
    for (const char16_t *text : {u"1e39", u"1e-300", u"[170141183460469231731687303715884105728]",
                                 u"1234567890123456789012345678901234567891"})
        EXPECT_THROW(Read(QString::fromUtf16(text)), EInvalidOp) << QString::fromUtf16(text).toStdString();
    for (const char16_t *text : {u"[1|x]", u"[]", u"1.2.3", u"2e", u"INF", u"1e5000"})
        EXPECT_THROW(Read(QString::fromUtf16(text)), EConvertError) << QString::fromUtf16(text).toStdString();
    EXPECT_TRUE(IsFractionText(u"1e300|7"_s));
    EXPECT_FALSE(IsFractionText(u"1|x"_s));

    TFraction f{7, 9};
    StrToFraction(u""_s, f);
    EXPECT_EQ(Text(f), u"7/9");
}

TEST(Fractions, Reduction)
{
    struct Case
    {
        TFraction in;
        const char16_t *out;
    };
    const Case cases[] = {
        {F(25, 100), u"1/4"},
        {F(-5, -30), u"1/6"},
        {F(5, -30), u"-1/6"},
        {F(0, 8), u"0/1"},
        {F(1009, 2018), u"1/2"},
        {F(Two64, 4), u"4611686018427387904/1"},
        {F(-Two64, 2), u"-9223372036854775808/1"},
        {F(Two64 * 3, Two64 * 7), u"3/7"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Text(Reduced(c.in)), QString::fromUtf16(c.out)) << Text(c.in).toStdString();
}

TEST(Fractions, ReductionFaults)
{
    // 0 / 0 would have no lowest terms: every zero denominator is refused.
    EXPECT_THROW(Reduced(F(0, 0)), EDivByZero);
    EXPECT_THROW(Reduced(F(5, 0)), EDivByZero);
    // Just outside the signed 64-bit range, in either part.
    EXPECT_THROW(Reduced(F(Two64, 2)), EInvalidOp);
    EXPECT_THROW(Reduced(F(1, Two64 / 2)), EInvalidOp);
    EXPECT_THROW(Reduced(F(-Two64 / 2, -1)), EInvalidOp);
    QString s;
    EXPECT_THROW(FormatFractionString(u"[+1|0]"_s, 10, s), EDivByZero);
    EXPECT_THROW(FormatFractionString(u"[abc]"_s, 10, s), EConvertError);
    EXPECT_THROW(FormatFractionString(u"[1e30]"_s, 10, s), EInvalidOp);
    EXPECT_THROW(FormatFractionString(u"[+9223372036854775808]"_s, 10, s), EInvalidOp);
    // Made whole, a part may still leave the range, or a denominator round to 0.
    EXPECT_THROW(FormatFractionString(u"[-9223372036854775809.5]"_s, 10, s), EInvalidOp);
    EXPECT_THROW(FormatFractionString(u"[+1|1E-30]"_s, 10, s), EDivByZero);
}

TEST(Fractions, FloatPartsKeepFifteenDigits)
{
    // The fallback arithmetic: 80-bit parts whose tokens hold 15 digits.
    TFloatFraction a, b, r;
    StrToFraction(u"[13.83]"_s, a);
    PowerFraction(a, r, 6);
    QString t;
    FractionToInputString(r, t);
    EXPECT_EQ(t, u"[+6997341.67417474]");
    StrToFraction(t, a);
    StrToFraction(u"9"_s, b);
    MultiplyFractions(a, b, r);
    FractionToInputString(r, t);
    EXPECT_EQ(t, u"[+62976075.0675727]");
    StrToFraction(u"[+2|3]"_s, a);
    StrToFraction(u"[-1|6]"_s, b);
    AddFractions(a, b, r);
    FractionToInputString(r, t);
    EXPECT_EQ(t, u"[+9|18]");
    SubtractFractions(b, a, r);
    FractionToInputString(r, t);
    EXPECT_EQ(t, u"[-15|18]");
    DivideFractions(a, b, r);
    FractionToInputString(r, t);
    EXPECT_EQ(t, u"[-12|3]");
    PowerFraction(a, r, -2);
    FractionToInputString(r, t);
    EXPECT_EQ(t, u"[+9|4]");
    FractionToInputString(TFloatFraction{-3, -4}, t);
    EXPECT_EQ(t, u"[+3|4]");
    FractionToInputString(TFloatFraction{3, -4}, t);
    EXPECT_EQ(t, u"[-3|4]");
    StrToFraction(u"[1e4000]"_s, a);
    EXPECT_THROW(MultiplyFractions(a, a, r), EOverflow);
    EXPECT_THROW(StrToFraction(u"[x]"_s, a), EConvertError);
}

TEST(Fractions, Tokens)
{
    EXPECT_EQ(InputString(F(3, 1)), u"[+3]");
    EXPECT_EQ(InputString(F(-3, 4)), u"[-3|4]");
    EXPECT_EQ(InputString(F(3, -4)), u"[-3|4]");
    EXPECT_EQ(InputString(F(-3, -4)), u"[+3|4]");
    EXPECT_EQ(InputString(F(0, 5)), u"[+0|5]");
    EXPECT_EQ(InputString(F(Two64 * 5, 3)), u"[+92233720368547758080|3]");
    EXPECT_EQ(Text(Read(InputString(F(-Two64 * 5, 3)))), u"-92233720368547758080/3");
}

TEST(Fractions, OperationsDoNotReduce)
{
    TFraction r;
    AddFractions(F(1, 3), F(1, 6), r);
    EXPECT_EQ(Text(r), u"9/18");
    SubtractFractions(F(1, 2), F(1, 3), r);
    EXPECT_EQ(Text(r), u"1/6");
    MultiplyFractions(F(2, 3), F(3, 4), r);
    EXPECT_EQ(Text(r), u"6/12");
    DivideFractions(F(2, 3), F(4, 5), r);
    EXPECT_EQ(Text(r), u"10/12");
    FractionFromFloat(r, 2.5L);
    EXPECT_EQ(Text(r), u"5/2");
    FractionFromFloat(r, 1.0L / 3);
    EXPECT_EQ(Text(r), u"333333333333333/1000000000000000");
    EXPECT_THROW(FractionFromFloat(r, std::numeric_limits<Extended>::infinity()), EInvalidOp);
    // Beyond 128 bits the operation refuses instead of wrapping.
    EXPECT_THROW(MultiplyFractions(F(Two64, 1), F(Two64, 1), r), EInvalidOp);
    EXPECT_THROW(AddFractions(F(TFractionInt(1) << 126, 1), F(TFractionInt(1) << 126, 1), r), EInvalidOp);
}

TEST(Fractions, Powers)
{
    struct Case
    {
        TFraction base, exponent;
        const char16_t *value;
    };
    // clang-format off
    const Case cases[] = {
        {F(2, 3), F(-2, 1), u"9/4"},         {F(-2, 3), F(3, 1), u"-8/27"},
        {F(4, 9), F(1, 2), u"2/3"},          {F(5, 7), F(0, 1), u"1/1"},
        {F(0, 1), F(0, 1), u"1/1"},          {F(237, 25), F(4, 1), u"3154956561/390625"},
        {F(2, 1), F(126, 1), u"85070591730234615865843651857942052864/1"},
        {F(-1, 1), F(Two64 * 1000, 1), u"1/1"}, {F(-1, 1), F(Two64 + 1, 1), u"-1/1"},
        {F(1, 1), F(-Two64, 1), u"1/1"},     {F(0, 1), F(Two64, 1), u"0/1"},
        // A broken exponent is a plain number: each part goes through the
        // power routine and reads as its 15-digit text.
        {F(2, 1), F(1, 2), u"14142135623731/10000000000000"},
        {F(8, 1), F(1, 3), u"2/1"},
    };
    // clang-format on
    for (const Case &c : cases)
        EXPECT_EQ(Power(c.base, c.exponent), QString::fromUtf16(c.value))
            << Text(c.base).toStdString() << " ^ " << Text(c.exponent).toStdString();
    TFraction r;
    EXPECT_THROW(PowerFraction(F(-8, 1), r, F(1, 3)), EInvalidOp);
    EXPECT_THROW(PowerFraction(F(10, 1), r, F(6000, 1)), EInvalidOp);
    EXPECT_THROW(PowerFraction(F(1, 2), r, F(127, 1)), EInvalidOp);
    EXPECT_THROW(PowerFraction(F(3, 1), r, F(Two64, 1)), EInvalidOp);
    // 0 to a negative power leaves a zero denominator for the reader to refuse.
    PowerFraction(F(0, 1), r, F(-1, 1));
    EXPECT_EQ(Text(r), u"1/0");
}
