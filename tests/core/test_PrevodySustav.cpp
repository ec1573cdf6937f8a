#include "core/PrevodySustav.h"

#include "core/uCommon.h"

#include <gtest/gtest.h>

namespace {

// Every test runs with "." as the separator unless it sets another one.
class Bases : public ::testing::Test
{
protected:
    void SetUp() override { DecimalSeparator = u'.'; }
    void TearDown() override { DecimalSeparator = u'.'; }
};

} // namespace

TEST_F(Bases, DigitsAndTheirValues)
{
    EXPECT_EQ(DigitValue(u'7'), 7);
    EXPECT_EQ(DigitValue(u'F'), 15);
    EXPECT_EQ(DigitValue(u'f'), 0); // only upper-case letters are digits here
    EXPECT_EQ(DigitValue(u'G'), 0);
    EXPECT_EQ(DigitChar(10), QChar(u'A'));
    EXPECT_EQ(DigitChar(9), QChar(u'9'));
    EXPECT_EQ(DigitChar(16), QChar(u'#'));
}

TEST_F(Bases, BaseToDecimalReadsEitherLetterCase)
{
    EXPECT_EQ(BaseToDecimal(16, QStringLiteral("ff.8")), QStringLiteral("255.5"));
    EXPECT_EQ(BaseToDecimal(16, QStringLiteral("FF.8")), QStringLiteral("255.5"));
    EXPECT_EQ(BaseToDecimal(2, QStringLiteral("101.01")), QStringLiteral("5.25"));
    EXPECT_EQ(BaseToDecimal(8, QStringLiteral("17")), QStringLiteral("15"));
    // Further separators are dropped from the fractional part.
    EXPECT_EQ(BaseToDecimal(2, QStringLiteral("1.1.1")), QStringLiteral("1.75"));
    EXPECT_THROW(BaseToDecimal(2, QString(256, u'1')), ERangeError);
}

TEST_F(Bases, DecimalToBase)
{
    struct Case
    {
        quint8 radix;
        const char16_t *in;
        quint8 frac;
        const char16_t *out;
    };
    const Case cases[] = {
        {2, u"-5.75", 16, u"-101.11"}, {16, u"255", 0, u"FF"},
        {16, u"0", 6, u"0"},           {2, u"1E3", 4, u"1111101000"}, // scientific notation is expanded
        {2, u"0.1", 4, u"0.0001"},                                    // cut after MaxFracDigits
        {8, u"-0.5", 4, u"-0.4"},      {16, u"9223372036854775807", 0, u"7FFFFFFFFFFFFFFF"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DecimalToBase(c.radix, QString::fromUtf16(c.in), c.frac), QString::fromUtf16(c.out))
            << QString::fromUtf16(c.in).toStdString();
    EXPECT_THROW(DecimalToBase(2, QStringLiteral("9223372036854775808"), 0), EConvertError);
    EXPECT_THROW(DecimalToBase(2, QStringLiteral("12x"), 0), EConvertError);
}

TEST_F(Bases, IsNumberInBase)
{
    EXPECT_TRUE(IsNumberInBase(16, QChar(0), QStringLiteral("fF.0")));
    EXPECT_TRUE(IsNumberInBase(2, QChar(0), QStringLiteral("1.0.1")));
    EXPECT_FALSE(IsNumberInBase(2, QChar(0), QStringLiteral("102")));
    EXPECT_FALSE(IsNumberInBase(10, QChar(0), QString()));
    EXPECT_TRUE(IsNumberInBase(2, u'j', QStringLiteral("j101")));
    EXPECT_FALSE(IsNumberInBase(2, u'j', QStringLiteral("j1j")));
    EXPECT_FALSE(IsNumberInBase(2, QChar(0), QStringLiteral("j1")));
}

TEST_F(Bases, ConvertExpressionBase)
{
    struct Case
    {
        quint8 from, to;
        QChar extra;
        const char16_t *in;
        const char16_t *out;
    };
    const Case cases[] = {
        {16, 10, QChar(0), u"ff.8+1", u"255.5+1"},
        {16, 10, QChar(0), u"1 div 3", u"1 div 3"}, // operator words stay
        {16, 10, QChar(0), u"A mod b", u"10 mod 11"},
        {2, 10, u'j', u"j101", u"j5"},
        {2, 10, u'j', u"101j", u"5j"},
        {2, 10, u'j', u"1+j", u"1+j"},                   // a lone unit is no number
        {10, 2, QChar(0), u"sin(5)*x2", u"sin(101)*x2"}, // names are passed over whole
        {10, 16, QChar(0), u"255 + 0.5", u"FF+0.8"},
        {16, 10, QChar(0), u"abs(1)", u"171s(1)"}, // leading hex letters of a name are digits
    };
    for (const Case &c : cases) {
        QString s = QString::fromUtf16(c.in);
        TCalculationError err;
        err.ErrorCode = 99;
        ConvertExpressionBase(c.from, c.to, c.extra, s, err);
        EXPECT_EQ(err.ErrorCode, 0) << QString::fromUtf16(c.in).toStdString();
        EXPECT_EQ(s, QString::fromUtf16(c.out)) << QString::fromUtf16(c.in).toStdString();
    }
}

TEST_F(Bases, ConversionFailuresAreCode26WithoutSpan)
{
    const QString inputs[] = {
        QStringLiteral("FFFFFFFFFFFFFFFFFFFF"),    // beyond the 64-bit range
        QStringLiteral("1+") + QString(300, u'1'), // a part longer than 255 digits
        QStringLiteral("0.") + QString(256, u'1'), // so is a fractional part
        QStringLiteral("FFFFFFFFFFFFFFFF"),        // just beyond the signed 64-bit range
    };
    for (const QString &in : inputs) {
        QString s = in;
        TCalculationError err;
        err.ErrorStart = 4;
        err.ErrorEnd = 5;
        EXPECT_NO_THROW(ConvertExpressionBase(16, 2, QChar(0), s, err));
        EXPECT_EQ(err.ErrorCode, 26);
        EXPECT_EQ(err.ErrorStart, 0);
        EXPECT_EQ(err.ErrorEnd, 0);
        QString r = in;
        EXPECT_NO_THROW(ConvertResultBase(16, 2, QChar(0), r, err, 6));
        EXPECT_EQ(err.ErrorCode, 26);
    }
}

TEST_F(Bases, ConvertResultBaseGroupsForTheNewBase)
{
    struct Case
    {
        quint8 from, to;
        QChar extra;
        quint8 decimals;
        const char16_t *in;
        const char16_t *out;
    };
    const Case cases[] = {
        {10, 2, QChar(0), 4, u"10.5", u"1010.1"},
        {10, 16, QChar(0), 6, u"1 234 567", u"12 D6 87"},
        {16, 10, QChar(0), 6, u"12 D6 87", u"1 234 567"},
        {10, 2, QChar(0), 6, u"-5", u"-101"},
        {10, 2, u'j', 6, u"(3+j5)", u"(11+j101)"}, // the unit stays before the digits
        {10, 2, u'i', 6, u"3+5i", u"11+101i"},
        {10, 2, QChar(0), 20, u"0.1", u"0.0001 1001 1001 1001 1001"},
        {2, 10, QChar(0), 6, u"1111 1111", u"255"},
        {2, 10, QChar(0), 6, u"1010.1", u"10.5"},
        {8, 10, QChar(0), 6, u"-7 777.4", u"-4 095.5"},
    };
    for (const Case &c : cases) {
        QString s = QString::fromUtf16(c.in);
        TCalculationError err;
        ConvertResultBase(c.from, c.to, c.extra, s, err, c.decimals);
        EXPECT_EQ(err.ErrorCode, 0) << QString::fromUtf16(c.in).toStdString();
        EXPECT_EQ(s, QString::fromUtf16(c.out)) << QString::fromUtf16(c.in).toStdString();
    }
}

TEST_F(Bases, FormatNumber)
{
    struct Case
    {
        quint8 decimals, radix;
        bool scientific;
        Extended x;
        const char16_t *out;
    };
    const Case cases[] = {
        {6, 10, false, 1234567.5L, u"1 234 567.5"},
        {6, 10, false, -123, u"-123"},
        {6, 10, false, -123456, u"-123 456"}, // no blank after the sign
        {6, 10, false, 0.0000001L, u"1E-7"},  // would show as zero
        {6, 10, false, 0.12345678L, u"0.123 457"},
        {0, 10, false, 2.5L, u"3"}, // half away from zero
        {1, 10, false, 0.25L, u"0.3"},
        {1, 10, false, -0.25L, u"-0.3"},
        {2, 10, false, 1.005L, u"1.01"},     // rounded from its 18-digit decimal form
        {3, 10, false, 999.9996L, u"1 000"}, // the carry reaches a new group
        {6, 10, true, 1234.5L, u"1.2345E3"},
        {4, 2, false, 10.5L, u"1010.1"},
        {6, 2, false, 5.78125L, u"101.1100 1"},
        {0, 2, false, 255, u"1111 1111"},
        {6, 2, false, -5.75L, u"-101.11"},
        {0, 8, false, 4095, u"7 777"},
        {6, 8, false, 0.0000001L, u"0.000 000"}, // the exponent form is expanded in base 8
        {6, 16, false, 255, u"FF"},
        {6, 16, false, 4096.5L, u"10 00.8"},
        {6, 16, false, 0.0000001L, u"0"}, // never scientific in base 16
        {6, 16, true, 255, u"FF"},
        {6, 10, false, -0.0000001L, u"-1E-7"},
        {2, 10, false, 0.001L, u"1E-3"},
        {6, 10, true, 0.000123L, u"1.23E-4"},
        {6, 10, false, 1e15L, u"1 000 000 000 000 000"},
        {6, 10, false, 1e20L, u"1E20"}, // an exponent form is never grouped
        {6, 10, false, 0.5L, u"0.5"},
        {6, 10, false, 1234.0000004L, u"1 234"}, // rounded away fraction leaves no separator
        {6, 2, true, 5, u"101"},                 // the exponent form is expanded
        {6, 2, false, 0.0000001L, u"0.0000 00"},
        {6, 8, true, 8.5L, u"10.4"},
        {6, 8, false, 8.125L, u"10.1"},
        {6, 8, false, -4095.5L, u"-7 777.4"},
        {6, 16, false, -4096, u"-10 00"},
        {8, 16, false, 0.00390625L, u"0.01"},
        {2, 16, false, 0.99L, u"0.FD"}, // as many places as decimals
        {0, 10, false, 0.4L, u"4E-1"},  // no places: even 0.4 reads as zero
        {0, 10, false, -0.4L, u"-4E-1"},
        {0, 16, false, 0.4L, u"0"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FormatNumber(c.decimals, c.radix, c.scientific, c.x), QString::fromUtf16(c.out))
            << double(c.x) << " radix " << int(c.radix);
    // From 1E18 the fixed pattern gives way to the exponent form; the whole
    // part still goes through a 64-bit integer, and beyond it cannot.
    EXPECT_EQ(FormatNumber(0, 16, false, 1e18L), QStringLiteral("D E0 B6 B3 A7 64 00 00"));
    EXPECT_THROW(FormatNumber(0, 2, false, 1e19L), EConvertError);
    for (quint8 radix : {2, 8, 10, 16}) {
        EXPECT_EQ(FormatNumber(6, radix, false, 0), QStringLiteral("0"));
        EXPECT_EQ(FormatNumber(6, radix, true, 0), QStringLiteral("0"));
        EXPECT_EQ(FormatNumber(6, radix, false, -0.0L), QStringLiteral("0"));
    }
}

TEST_F(Bases, FormatNumberUsesTheRunTimeSeparator)
{
    DecimalSeparator = u',';
    EXPECT_EQ(FormatNumber(6, 10, false, 1234.25L), QStringLiteral("1 234,25"));
    EXPECT_EQ(FormatNumber(4, 2, false, 10.5L), QStringLiteral("1010,1"));
    QString s = QStringLiteral("ff,8");
    TCalculationError err;
    ConvertExpressionBase(16, 10, QChar(0), s, err);
    EXPECT_EQ(s, QStringLiteral("255,5"));
}

TEST_F(Bases, DigitCountForBase)
{
    EXPECT_EQ(DigitCountForBase(10, 2, 6), 20);
    EXPECT_EQ(DigitCountForBase(2, 10, 20), 6);
    EXPECT_EQ(DigitCountForBase(10, 16, 6), 5);
    EXPECT_EQ(DigitCountForBase(10, 10, 7), 7);
    EXPECT_EQ(DigitCountForBase(8, 16, 2), 2); // 1.5 and 4.5 go to the even neighbour
    EXPECT_EQ(DigitCountForBase(8, 16, 6), 4);
    EXPECT_EQ(DigitCountForBase(8, 2, 5), 15);
    EXPECT_THROW(DigitCountForBase(16, 2, 200), ERangeError); // 800 places do not fit
}

TEST_F(Bases, OperatorWordsAreProtectedByBrackets)
{
    QString s = QStringLiteral("1 xor 2 or 3 div 4");
    BracketOperatorWords(s);
    EXPECT_EQ(s, QStringLiteral("1[xor]2[or]3[div]4"));
    UnbracketOperatorWords(s);
    EXPECT_EQ(s, QStringLiteral("1 xor 2 or 3 div 4"));
}
