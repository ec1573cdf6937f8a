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

TFraction F(long double n, long double d)
{
    return TFraction{n, d};
}

TFraction Reduced(TFraction f)
{
    ReduceFraction(f);
    return f;
}

QString InputString(const TFraction &f)
{
    QString s;
    FractionToInputString(f, s);
    return s;
}

std::vector<qint32> Chain(const TPrvocisla &list)
{
    std::vector<qint32> values;
    for (const TPrvocislaNode *p = list.Head; p; p = p->Next)
        values.push_back(p->Value);
    return values;
}

} // namespace

TEST(Primes, GenerateUpTo97GivesThe25PrimesLargestFirst)
{
    TPrvocisla primes;
    EXPECT_TRUE(primes.Dirty);
    primes.Generate(97);
    EXPECT_FALSE(primes.Dirty);
    const std::vector<qint32> expected = {97, 89, 83, 79, 73, 71, 67, 61, 59, 53, 47, 43, 41,
                                          37, 31, 29, 23, 19, 17, 13, 11, 7, 5, 3, 2};
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
    struct Case { const char16_t *token; int radix; const char16_t *text; };
    const Case cases[] = {
        {u"[+6|8]", 10, u"3 / 4"},   {u"[-6|-8]", 10, u"3 / 4"}, {u"[6|-8]", 10, u"-3 / 4"},
        {u"[0.125]", 10, u"1 / 8"},  {u"[2.5]", 10, u"5 / 2"},   {u"[3]", 10, u"3"},
        {u"[+0|8]", 10, u"0"},       {u"[-1|2]", 10, u"-1 / 2"}, {u"[+1234567|2]", 10, u"1 234 567 / 2"},
        {u"[+5|2]", 2, u"101 / 10"}, {u"[+255|16]", 16, u"FF / 10"}, {u"[-0.75]", 10, u"-3 / 4"},
        {u"[+1009|2018]", 10, u"1 009 / 2 018"}, {u"[-1234567|2]", 8, u"-4 553 207 / 2"},
        {u"[+6|-8]", 2, u"-11 / 100"},
    };
    for (const Case &c : cases) {
        QString s;
        FormatFractionString(QString::fromUtf16(c.token), quint8(c.radix), s);
        EXPECT_EQ(s, QString::fromUtf16(c.text)) << QString::fromUtf16(c.token).toStdString();
    }
}

TEST(Fractions, Reduction)
{
    const TFraction a = Reduced(F(0.25L, 1));
    EXPECT_EQ(a.Numerator, 1);
    EXPECT_EQ(a.Denominator, 4);
    // Beyond the scaling limit the value is taken to the nearest whole number.
    const TFraction b = Reduced(F(1234567890123456789.5L, 1));
    EXPECT_EQ(b.Numerator, 1234567890123456790.0L);
    EXPECT_EQ(b.Denominator, 1);
    const TFraction c = Reduced(F(-0.5L, -3));
    EXPECT_EQ(c.Numerator, -1);
    EXPECT_EQ(c.Denominator, -6);
    const TFraction d = Reduced(F(0, 8));
    EXPECT_EQ(d.Numerator, 0);
    EXPECT_EQ(d.Denominator, 1);
}

TEST(Fractions, ReductionFaults)
{
    // 0 / 0 would divide for ever: every zero denominator is refused.
    EXPECT_THROW(Reduced(F(0, 0)), EDivByZero);
    EXPECT_THROW(Reduced(F(5, 0)), EDivByZero);
    EXPECT_THROW(Reduced(F(1e30L, 3)), EInvalidOp);
    QString s;
    EXPECT_THROW(FormatFractionString(u"[+1|0]"_s, 10, s), EDivByZero);
    EXPECT_THROW(FormatFractionString(u"[abc]"_s, 10, s), EConvertError);
}

TEST(Fractions, Tokens)
{
    EXPECT_EQ(InputString(F(3, 1)), u"[+3]");
    EXPECT_EQ(InputString(F(-3, 4)), u"[-3|4]");
    EXPECT_EQ(InputString(F(3, -4)), u"[-3|4]");
    EXPECT_EQ(InputString(F(-3, -4)), u"[+3|4]");
    EXPECT_EQ(InputString(F(0, 5)), u"[+0|5]");
    EXPECT_EQ(InputString(F(-0.0L, 1)), u"[+0]");
    EXPECT_EQ(InputString(F(2.5L, 1)), u"[+2.5]");

    TFraction f{7, 9};
    StrToFraction(u""_s, f);
    EXPECT_EQ(f.Numerator, 7);
    StrToFraction(u"[+3|4]"_s, f);
    EXPECT_EQ(f.Numerator, 3);
    EXPECT_EQ(f.Denominator, 4);
    StrToFraction(u"[ -1 | 2 ]"_s, f);
    EXPECT_EQ(f.Numerator, -1);
    EXPECT_EQ(f.Denominator, 2);
    StrToFraction(u"[+5]"_s, f);
    EXPECT_EQ(f.Numerator, 5);
    EXPECT_EQ(f.Denominator, 1);
    EXPECT_THROW(StrToFraction(u"[1|x]"_s, f), EConvertError);
    EXPECT_THROW(StrToFraction(u"[]"_s, f), EConvertError);
}

TEST(Fractions, OperationsDoNotReduce)
{
    TFraction r;
    AddFractions(F(1, 3), F(1, 6), r);
    EXPECT_EQ(r.Numerator, 9);
    EXPECT_EQ(r.Denominator, 18);
    SubtractFractions(F(1, 2), F(1, 3), r);
    EXPECT_EQ(r.Numerator, 1);
    EXPECT_EQ(r.Denominator, 6);
    MultiplyFractions(F(2, 3), F(3, 4), r);
    EXPECT_EQ(r.Numerator, 6);
    EXPECT_EQ(r.Denominator, 12);
    DivideFractions(F(2, 3), F(4, 5), r);
    EXPECT_EQ(r.Numerator, 10);
    EXPECT_EQ(r.Denominator, 12);
    FractionFromFloat(r, 2.5L);
    EXPECT_EQ(r.Numerator, 2.5L);
    EXPECT_EQ(r.Denominator, 1);
}

TEST(Fractions, Powers)
{
    TFraction r;
    PowerFraction(F(2, 3), r, -2);
    EXPECT_EQ(r.Numerator, 9);
    EXPECT_EQ(r.Denominator, 4);
    PowerFraction(F(-2, 3), r, 3);
    EXPECT_EQ(r.Numerator, -8);
    EXPECT_EQ(r.Denominator, 27);
    PowerFraction(F(4, 9), r, 0.5L);
    EXPECT_EQ(r.Numerator, 2);
    EXPECT_EQ(r.Denominator, 3);
    PowerFraction(F(5, 7), r, 0);
    EXPECT_EQ(r.Numerator, 1);
    EXPECT_EQ(r.Denominator, 1);
    EXPECT_THROW(PowerFraction(F(-8, 1), r, 1.0L / 3), EInvalidOp);
    EXPECT_THROW(PowerFraction(F(10, 1), r, 6000), EOverflow);
}
