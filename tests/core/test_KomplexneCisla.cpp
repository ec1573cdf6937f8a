#include "core/KomplexneCisla.h"

#include <gtest/gtest.h>

#include <ostream>

// Readable failure messages for texts.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

#include <cmath>

namespace {

constexpr long double Deg = 3.141592653589793238462643383279502884L / 180;

// Every test starts and ends with the unit written first as "j".
class ComplexNumbers : public ::testing::Test
{
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset()
    {
        ImaginaryUnit = u'j';
        ImaginaryUnitFirst = true;
        DecimalSeparator = u'.';
    }
    static void UseUnitAfter()
    {
        ImaginaryUnit = u'i';
        ImaginaryUnitFirst = false;
    }
};

TComplex Read(const QString &s)
{
    TComplex z;
    StrToComplex(s, z);
    return z;
}

QString Token(long double re, long double im, bool exp = false)
{
    QString s;
    ComplexToStr(TComplex{re, im, exp}, s);
    return s;
}

} // namespace

TEST_F(ComplexNumbers, ReadsAlgebraicForms)
{
    struct Case
    {
        const char16_t *text;
        long double re, im;
    };
    // clang-format off
    const Case cases[] = {
        {u"3+j4", 3, 4},      {u"3+4j", 3, 4},     {u"[3+j4]", 3, 4}, {u"3 + j 4", 3, 4},
        {u"j", 0, 1},         {u"-j", 0, -1},      {u"5", 5, 0},      {u"[-3]", -3, 0},
        {u"j2.5", 0, 2.5},    {u"2.5j", 0, 2.5},   {u"-2-j", -2, -1}, {u"+3-4j", 3, -4},
        {u"", 0, 0},
    };
    // clang-format on
    for (const Case &c : cases) {
        const TComplex z = Read(QString::fromUtf16(c.text));
        EXPECT_EQ(z.Re, c.re) << QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(z.Im, c.im) << QString::fromUtf16(c.text).toStdString();
        EXPECT_FALSE(z.ExpForm);
    }
}

TEST_F(ComplexNumbers, ReadsExponentialFormsInDegrees)
{
    struct Case
    {
        const char16_t *text;
        long double r, phi;
    };
    const Case cases[] = {
        {u"5e^j30", 5, 30}, {u"5e^-j30", 5, -30}, {u"5e^-30j", 5, -30}, {u"5e^30", 5, 30},      {u"e^j", 1, 1},
        {u"2e^j", 2, 1},    {u"2e^+j", 2, 1},     {u"e^j90", 1, 90},    {u"[1e^j180]", 1, 180},
    };
    for (const Case &c : cases) {
        const TComplex z = Read(QString::fromUtf16(c.text));
        EXPECT_NEAR(double(z.Re), double(c.r * std::cos(c.phi * Deg)), 1e-15)
            << QString::fromUtf16(c.text).toStdString();
        EXPECT_NEAR(double(z.Im), double(c.r * std::sin(c.phi * Deg)), 1e-15)
            << QString::fromUtf16(c.text).toStdString();
        EXPECT_TRUE(z.ExpForm);
    }
}

TEST_F(ComplexNumbers, UnreadableNumberPartsRaiseConversionErrors)
{
    // The exponent's sign is taken for the sign of the imaginary part.
    for (const char16_t *text : {u"2+j1e-5", u"3+x", u"1,5", u"e^jx", u"3+4i", u"-e^j30"})
        EXPECT_THROW(Read(QString::fromUtf16(text)), EConvertError) << QString::fromUtf16(text).toStdString();
}

TEST_F(ComplexNumbers, WritesTokens)
{
    EXPECT_EQ(Token(3, 4), u"[3+j4]");
    EXPECT_EQ(Token(3, 1), u"[3+j]");
    EXPECT_EQ(Token(3, -1), u"[3-j]");
    EXPECT_EQ(Token(0, 2), u"[0+j2]");
    EXPECT_EQ(Token(-2, 0), u"[-2]");
    EXPECT_EQ(Token(0, 0), u"[0]");
    EXPECT_EQ(Token(1.0L / 3, -2.5), u"[0.3333333333333333-j2.5]");
    EXPECT_EQ(Token(1e-17L, 0), u"[0]");
    // Exponential form: modulus and angle in (-180, 180].
    EXPECT_EQ(Token(0, 2, true), u"[2e^j90]");
    EXPECT_EQ(Token(0, -2, true), u"[2e^-j90]");
    EXPECT_EQ(Token(-1, 0, true), u"[1e^j180]");
    EXPECT_EQ(Token(0, 0, true), u"[0]");
    EXPECT_EQ(Token(4, 0, true), u"[4]");
    EXPECT_EQ(Token(1, 1, true), u"[1.4142135623730951e^j45]");
    EXPECT_EQ(Token(-1, -1, true), u"[1.4142135623730951e^-j135]");
    EXPECT_EQ(Token(-1, 1, true), u"[1.4142135623730951e^j135]");
    EXPECT_EQ(Token(1, -1, true), u"[1.4142135623730951e^-j45]");

    UseUnitAfter();
    EXPECT_EQ(Token(3, 4), u"[3+4i]");
    EXPECT_EQ(Token(3, -1), u"[3-i]");
    EXPECT_EQ(Token(5 * std::cos(30 * Deg), -5 * std::sin(30 * Deg), true), u"[5e^-30i]");
}

TEST_F(ComplexNumbers, TokensReadBackInBothFormsAndSeparators)
{
    for (QChar sep : {QChar(u'.'), QChar(u',')}) {
        DecimalSeparator = sep;
        for (const TComplex &z : {TComplex{2.5L, -0.125L, false}, TComplex{-3, 4, true}, TComplex{0, -1, false}}) {
            QString s;
            ComplexToStr(z, s);
            const TComplex back = Read(s);
            EXPECT_NEAR(double(back.Re), double(z.Re), 1e-15) << s.toStdString();
            EXPECT_NEAR(double(back.Im), double(z.Im), 1e-15) << s.toStdString();
            EXPECT_EQ(back.ExpForm, z.ExpForm) << s.toStdString();
        }
    }
}

TEST_F(ComplexNumbers, WritesWithChosenDecimals)
{
    QString s;
    ComplexToStrDecimals(TComplex{1, 1, false}, 2, s);
    EXPECT_EQ(s, u"1+j");
    ComplexToStrDecimals(TComplex{1.23456L, 0, false}, 2, s);
    EXPECT_EQ(s, u"1.23");
    ComplexToStrDecimals(TComplex{1.5L, -2.25L, false}, 0, s);
    EXPECT_EQ(s, u"2-j2");
}

TEST_F(ComplexNumbers, Arithmetic)
{
    const TComplex a{1, 2, false}, b{3, -4, false};
    TComplex c;
    ComplexAdd(a, b, c);
    EXPECT_EQ(c.Re, 4);
    EXPECT_EQ(c.Im, -2);
    ComplexSub(a, b, c);
    EXPECT_EQ(c.Re, -2);
    EXPECT_EQ(c.Im, 6);
    ComplexMul(a, b, c);
    EXPECT_EQ(c.Re, 11);
    EXPECT_EQ(c.Im, 2);
    ComplexDiv(a, b, c);
    EXPECT_NEAR(double(c.Re), -0.2, 1e-18);
    EXPECT_NEAR(double(c.Im), 0.4, 1e-18);
    ComplexAbs(b, c);
    EXPECT_EQ(c.Re, 5);
    EXPECT_EQ(c.Im, 0);

    ComplexIntPower(TComplex{0, 1, false}, 2, c);
    EXPECT_EQ(c.Re, -1);
    EXPECT_EQ(c.Im, 0);
    ComplexIntPower(TComplex{0, 0, true}, 0, c);
    EXPECT_EQ(c.Re, 1);
    EXPECT_EQ(c.Im, 0);
    EXPECT_TRUE(c.ExpForm);
    ComplexIntPower(TComplex{1, 1, false}, 8, c);
    EXPECT_EQ(c.Re, 16);
    EXPECT_EQ(c.Im, 0);
}

TEST_F(ComplexNumbers, ExponentialFormSurvivesOnlyWhenBothOperandsHaveIt)
{
    const TComplex e{1, 1, true}, alg{1, 1, false};
    TComplex c;
    ComplexAdd(e, alg, c);
    EXPECT_FALSE(c.ExpForm);
    ComplexMul(e, e, c);
    EXPECT_TRUE(c.ExpForm);
    ComplexDiv(alg, e, c);
    EXPECT_FALSE(c.ExpForm);
    ComplexAbs(e, c);
    EXPECT_FALSE(c.ExpForm);
}

TEST_F(ComplexNumbers, ArithmeticFaultsRaise)
{
    TComplex c;
    EXPECT_THROW(ComplexDiv(TComplex{1, 1, false}, TComplex{0, 0, false}, c), EInvalidOp);
    EXPECT_THROW(ComplexDiv(TComplex{0, 0, false}, TComplex{0, 0, false}, c), EInvalidOp);
    const TComplex big{1e3000L, 0, false};
    EXPECT_THROW(ComplexMul(big, big, c), EOverflow);
    EXPECT_THROW(ComplexIntPower(TComplex{10, 0, false}, 6000, c), EOverflow);
}
