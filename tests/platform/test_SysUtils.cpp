#include "platform/SysUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace {

// Sets the run-time separator for one test and restores it.
struct SeparatorScope
{
    QChar saved;
    explicit SeparatorScope(QChar c) : saved(DecimalSeparator) { DecimalSeparator = c; }
    ~SeparatorScope() { DecimalSeparator = saved; }
};

constexpr Extended Inf = std::numeric_limits<Extended>::infinity();
constexpr Extended NaN = std::numeric_limits<Extended>::quiet_NaN();
constexpr Extended Pi = 3.14159265358979323846264338327950288L;

struct FloatText
{
    Extended value;
    const char *text;
};

} // namespace

TEST(FloatToStr, GeneralFormatWith15Digits)
{
    SeparatorScope sep(u'.');
    const FloatText cases[] = {
        {0.0L, "0"},
        {-0.0L, "0"},
        {1.0L, "1"},
        {-3.0L, "-3"},
        {2.5L, "2.5"},
        {0.1L, "0.1"},
        {1.0L / 3, "0.333333333333333"},
        {2.0L / 3, "0.666666666666667"},
        // The exponent switch: fixed while the point position is -3..15.
        {1e14L, "100000000000000"},
        {999999999999999.0L, "999999999999999"},
        {1e15L, "1E15"},
        {999999999999999.5L, "1E15"}, // rounding carries into the switch
        {123456789012345678.0L, "1.23456789012346E17"},
        {0.0001L, "0.0001"},
        {0.00012345L, "0.00012345"},
        {0.00001L, "1E-5"},
        {-1.5e-20L, "-1.5E-20"},
        {1e300L, "1E300"},
        {1e-4000L, "1E-4000"},
        {std::numeric_limits<Extended>::max(), "1.18973149535723E4932"},
        {std::numeric_limits<Extended>::denorm_min(), "3.64519953188247E-4951"},
        {Inf, "INF"},
        {-Inf, "-INF"},
        {NaN, "NAN"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FloatToStr(c.value), QString::fromUtf8(c.text)) << double(c.value);
}

TEST(FloatToStr, RoundsHalfAwayFromZeroAndUsesTheRunTimeSeparator)
{
    SeparatorScope sep(u',');
    EXPECT_EQ(FloatToStr(2.5L), "2,5");
    EXPECT_EQ(FloatToStr(-1.5e-20L), "-1,5E-20");
    EXPECT_EQ(FloatToStrGeneral(2.5L, 1), "3");
    EXPECT_EQ(FloatToStrGeneral(-2.5L, 1), "-3");
    EXPECT_EQ(FloatToStrGeneral(0.125L, 2), "0,13");
    // The point position 5 lies beyond the precision: scientific.
    EXPECT_EQ(FloatToStrGeneral(12345.0L, 3), "1,23E4");
    EXPECT_EQ(FloatToStrGeneral(12345.0L, 4), "1,235E4");
    EXPECT_EQ(FloatToStrGeneral(12345.0L, 5), "12345");
}

TEST(FormatFloat, Patterns)
{
    SeparatorScope sep(u'.');
    struct Case
    {
        const char *pattern;
        Extended value;
        const char *text;
    };
    const Case cases[] = {
        {"0", 2.5L, "3"},
        {"0", -2.5L, "-3"},
        {"0", 0.4L, "0"},
        {"0", -0.4L, "0"}, // never "-0"
        {"0.", 2.5L, "3"},
        {"0.", 2.4L, "2"},
        {"0.######", 1.0L / 3, "0.333333"},
        {"0.######", 2.5L, "2.5"},
        {"0.######", 2.0L, "2"},
        {"0.######", 0.0000001L, "0"},
        {"0.######", -0.0000001L, "0"},
        {"0.######", 0.0000005L, "0.000001"},
        {"0.##", 0.125L, "0.13"}, // half away from zero, not to even
        {"0.##", -0.125L, "-0.13"},
        {"0.##", 0.375L, "0.38"},
        {"0.00", 1.0L, "1.00"},
        {"#.##", 0.5L, ".5"},
        {"00.0", 1.25L, "01.3"},
        {"#,##0", 1234567.0L, "1,234,567"},
        {"#,##0.00", -1234.5L, "-1,234.50"},
        {"0.0 'kg'", 2.0L, "2.0 kg"},
        {"0'x'0", 12.0L, "12x"},
        {"\"<\"0.0", -2.0L, "-<2.0"},
        {"0.################E-0", 1500.0L, "1.5E3"},
        {"0.################E-0", 0.0000001L, "1E-7"},
        {"0.################E-0", -2.5e-300L, "-2.5E-300"},
        {"0.################E-0", 1.0L / 3, "3.3333333333333333E-1"},
        {"0.################E-0", 0.0L, "0E0"},
        {"0.00E+00", 12345.0L, "1.23E+04"},
        {"0.00E+00", 0.00012345L, "1.23E-04"},
        {"0.##############################E-0", 1.0L / 3, "3.33333333333333333E-1"}, // 18 digits at most
        // The function-result pattern: 17 decimals, general format from 1E18.
        {"0.#################", 123.456L, "123.456"},
        {"0.#################", 6e-18L, "0.00000000000000001"},
        {"0.#################", 4e-18L, "0"},
        {"0.#################", 999999999999999999.0L, "999999999999999999"},
        {"0.#################", 1e18L, "1E18"},
        {"0.#################", -1e20L, "-1E20"},
        {"0", 1e17L, "100000000000000000"},
        {"0.00", Inf, "INF"},
        {"0.00", NaN, "NAN"},
        // Sections: positive;negative;zero.
        {"0;(0);zero", 5.0L, "5"},
        {"0;(0);zero", -5.0L, "(5)"},
        {"0;(0);zero", 0.0L, "zero"},
        {"0;(0);zero", 0.2L, "zero"},
        {"0;;zero", -5.0L, "-5"},
        {"#,##0.00;(#,##0.00)", -1234.0L, "(1,234.00)"},
        {"#,##0.00;;Zero", 0.0L, "Zero"},
        {"#.##", 0.0L, ""},
        {"0.000E+00", 1234.0L, "1.234E+03"},
        {"0.000E+00", -1234.0L, "-1.234E+03"},
        {"0.000E+00", 0.5L, "5.000E-01"},
        {"0.000E+00", 0.0L, "0.000E+00"},
        {"0.000E+00", 9.9996L, "1.000E+01"}, // the carry moves the exponent
        // Degree texts: at least one decimal, or exactly sixteen.
        {"0.0###############", 30.0L, "30.0"},
        {"0.0###############", 30.3045L, "30.3045"},
        {"0.0000000000000000", 30.5125L, "30.5125000000000000"},
        {"0.###################", Pi, "3.14159265358979324"},
        {"0.######", -1e-7L, "0"},
        {"", 2.5L, "2.5"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatFloat(QString::fromUtf8(c.pattern), c.value), QString::fromUtf8(c.text))
            << c.pattern << " " << double(c.value);
}

TEST(FormatFloat, RoundsFrom18DigitsOfTheExtendedValue)
{
    SeparatorScope sep(u',');
    // 0.1 + 0.2 is 0.30000000000000000001 in 80 bits: far from a half.
    EXPECT_EQ(FormatFloat("0.################", 0.1L + 0.2L), "0,3");
    // 2.675 is below the half in binary, but its 18 digits read ...750000.
    EXPECT_EQ(FormatFloat("0.00", 2.675L), "2,68");
    EXPECT_EQ(FormatFloat("0.##", 2.5L), "2,5");
}

TEST(StrToFloat, Accepts)
{
    SeparatorScope sep(u'.');
    const FloatText cases[] = {
        {0.0L, "0"},
        {1.0L, "1"},
        {-1.5L, "-1.5"},
        {2.0L, "+2"},
        {2000.0L, "2e3"},
        {0.002L, "2E-3"},
        {2000.0L, "2e+3"},
        {7.0L, " 7 "},
        {5.0L, "5."},
        {0.5L, ".5"},
        {0.1L, "0.1"}, // the long double nearest 0.1, not the double's
        {123456789012345678.0L, "123456789012345678"},
        {1e4000L, "1e4000"},
        {0.0L, "1e-5000"},
    };
    for (const auto &c : cases) {
        Extended v = -99;
        EXPECT_TRUE(TryStrToFloat(QString::fromUtf8(c.text), v)) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
    }
    EXPECT_NE(StrToFloat("0.1"), Extended(0.1));
    EXPECT_EQ(StrToFloat("1" + QString(399, u'0')), 1e399L);
    EXPECT_EQ(StrToFloat("0." + QString(500, u'0') + "1"), 1e-501L);
    EXPECT_EQ(StrToFloat("1e-99999999999999999999"), 0.0L);
    Extended v;
    EXPECT_FALSE(TryStrToFloat("1e99999999999999999999", v));
    EXPECT_GT(StrToFloat("1e-4940"), 0.0L); // denormals are kept
}

TEST(StrToFloat, Rejects)
{
    SeparatorScope sep(u'.');
    const char *cases[] = {"",    " ",   "-",    "+",   ".",   "2e",    "2e+",    "e5",  "1.2.3", "1,5",     "INF",
                           "NAN", "inf", "0x10", "1 2", "--1", "1e5.0", "1e5000", "\t1", "1d",    "\xd9\xa1"};
    for (const char *c : cases) {
        Extended v = 42;
        EXPECT_FALSE(TryStrToFloat(QString::fromUtf8(c), v)) << c;
        EXPECT_EQ(v, 42.0L) << c;
    }
    try {
        StrToFloat("1.2.3");
        FAIL();
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.Message(), "'1.2.3' is not a valid floating point value");
    }
}

TEST(StrToFloat, FollowsTheRunTimeSeparator)
{
    SeparatorScope sep(u',');
    EXPECT_EQ(StrToFloat("1,5"), 1.5L);
    EXPECT_EQ(StrToFloat("-2,5E-3"), -0.0025L);
    Extended v;
    EXPECT_FALSE(TryStrToFloat("1.5", v));
    EXPECT_THROW(StrToFloat("1.5"), EConvertError);
}

TEST(StrToFloat, DoublesStayInsideTheirRange)
{
    SeparatorScope sep(u'.');
    double d = 42;
    EXPECT_TRUE(TryStrToDouble("0.1", d));
    EXPECT_EQ(d, 0.1);
    EXPECT_TRUE(TryStrToDouble("-1.7976931348623157e308", d));
    EXPECT_EQ(d, -std::numeric_limits<double>::max());
    EXPECT_TRUE(TryStrToDouble("1e-400", d)); // below the smallest denormal
    EXPECT_EQ(d, 0.0);
    d = 42;
    for (const char *c : {"1e309", "-1e400", "abc", ""})
        EXPECT_FALSE(TryStrToDouble(c, d)) << c;
    EXPECT_EQ(d, 42.0);
}

TEST(StrToFloat, RoundTripsTheGeneralFormat)
{
    for (const QChar c : {QChar(u'.'), QChar(u',')}) {
        SeparatorScope sep(c);
        for (const Extended x : {1.0L / 3, -2.0L / 7, 1e-300L, 6.02214076e23L, 1e15L, 0.0001L, 0.00001L})
            EXPECT_EQ(FloatToStr(StrToFloat(FloatToStr(x))), FloatToStr(x));
    }
}

TEST(StrToInt64, Table)
{
    struct Case
    {
        const char *text;
        bool ok;
        qint64 value;
    };
    const Case cases[] = {
        {"0", true, 0},
        {"-0", true, 0},
        {"+5", true, 5},
        {" 12", true, 12},
        {"9223372036854775807", true, std::numeric_limits<qint64>::max()},
        {"-9223372036854775808", true, std::numeric_limits<qint64>::min()},
        {"9223372036854775808", false, 0},
        {"-9223372036854775809", false, 0},
        {"99999999999999999999999", false, 0},
        {"", false, 0},
        {"+", false, 0},
        {"12 ", false, 0},
        {"1.0", false, 0},
        {"0x10", false, 0},
        {"$10", false, 0},
        {"1e3", false, 0},
    };
    for (const auto &c : cases) {
        qint64 v = 77;
        EXPECT_EQ(TryStrToInt64(QString::fromUtf8(c.text), v), c.ok) << c.text;
        EXPECT_EQ(v, c.ok ? c.value : 77) << c.text;
        if (!c.ok) {
            EXPECT_THROW(StrToInt64(QString::fromUtf8(c.text)), EConvertError) << c.text;
        }
    }
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), std::numeric_limits<int>::min());
    EXPECT_THROW(StrToInt("2147483648"), EConvertError);
    try {
        StrToInt("abc");
        FAIL();
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.Message(), "'abc' is not a valid integer value");
    }
    EXPECT_EQ(IntToStr(-9223372036854775807LL - 1), "-9223372036854775808");
}

TEST(Strings, CaseMappingIsAsciiOnlyAndTrimDropsControlCharacters)
{
    EXPECT_EQ(LowerCase(QString::fromUtf8("ABC Čx")), QString::fromUtf8("abc Čx"));
    EXPECT_EQ(UpperCase(QString::fromUtf8("abc čX")), QString::fromUtf8("ABC čX"));
    EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
    EXPECT_EQ(TrimLeft("  a "), "a ");
    EXPECT_EQ(TrimRight("  a "), "  a");
    EXPECT_EQ(Trim("   "), "");
}

// A unit may keep its own LowerCase(QString) in an anonymous namespace: its
// calls must still resolve to it rather than become ambiguous.
namespace {
QString LowerCase(QString s)
{
    return s + QStringLiteral("!");
}
} // namespace

TEST(Strings, OwnLetterCaseHelpersStayUnambiguous)
{
    QString s = QStringLiteral("AbC");
    EXPECT_EQ(LowerCase(s), "AbC!");
    EXPECT_EQ(LowerCase(QStringView(s)), "abc");
    EXPECT_EQ(UpperCase(s), "ABC");
}

namespace {

// The C library's 18 digits of a positive value and the exponent of the
// form 0.ddd x 10^e, trailing zeros dropped: the reference for the digits.
TFloatRec CLibraryDigits(Extended v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17Le", v);
    TFloatRec r;
    const char *p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            r.Digits.push_back(*p);
    r.Exponent = std::atoi(p + 1) + 1;
    while (!r.Digits.empty() && r.Digits.back() == '0')
        r.Digits.pop_back();
    return r;
}

} // namespace

// The digits of everyday values are worked out without printf; they must be
// the C library's, ties and neighbours of powers of ten included.
TEST(FloatToDecimal, DigitsAgreeWithTheCLibrary)
{
    std::vector<Extended> values = {0.01L,
                                    1e18L,
                                    1.0L,
                                    0.1L,
                                    0.3L,
                                    2.675L,
                                    1.0L / 3,
                                    99999999999999999.5L,
                                    100000000000000000.5L,
                                    999999999999999999.0L,
                                    123456789012345678.5L,
                                    0.0125L,
                                    357.5L,
                                    8.9375L,
                                    1.5707963267948966192L};
    for (int k = -3; k <= 19; ++k) {
        const Extended p = std::pow(10.0L, Extended(k));
        values.push_back(p);
        values.push_back(std::nextafter(p, 0.0L));
        values.push_back(std::nextafter(p, Inf));
    }
    std::mt19937_64 random(7);
    for (int i = 0; i < 200000; ++i) {
        const quint64 mantissa = random() | (1ULL << 63);
        const int exponent = int(random() % 160) - 80 - 63;
        values.push_back(std::ldexp(Extended(mantissa), exponent));
    }
    // Exact ties at the 18th digit: an odd number of halves.
    for (int i = 0; i < 2000; ++i)
        values.push_back(Extended(100000000000000000ULL + random() % 800000000000000000ULL) + 0.5L);
    for (const Extended v : values) {
        const TFloatRec expected = CLibraryDigits(v);
        const TFloatRec got = FloatToDecimal(v, 18);
        ASSERT_EQ(got.Digits, expected.Digits) << double(v);
        ASSERT_EQ(got.Exponent, expected.Exponent) << double(v);
        ASSERT_FALSE(got.Negative);
    }
}

// Fewer digits, or places after the point, are rounded half up from the 18
// digits, the carry of a run of nines moving into the exponent; the
// reference works on the C library's digit text.
TEST(FloatToDecimal, RoundsTheEighteenDigitsHalfUp)
{
    std::vector<Extended> values = {0.5L,
                                    0.05L,
                                    9.5L,
                                    99.95L,
                                    0.00049L,
                                    0.0005L,
                                    0.96L,
                                    999999.5L,
                                    1e-5L,
                                    2.5e-320L,
                                    1e300L,
                                    1.0L / 3,
                                    123.4565L,
                                    0.999999999999999999L,
                                    9999999999999999.0L};
    std::mt19937_64 random(5);
    for (int i = 0; i < 30000; ++i) {
        const quint64 mantissa = random() | (1ULL << 63);
        const int exponent = int(random() % 200) - 100 - 63;
        values.push_back(std::ldexp(Extended(mantissa), exponent));
        // Runs of nines and fives, which carry and tie.
        const int digits = 1 + int(random() % 18);
        std::string t(size_t(digits), random() % 2 ? '9' : '5');
        t[0] = char('1' + random() % 9);
        values.push_back(std::strtold(t.c_str(), nullptr) * std::pow(10.0L, Extended(int(random() % 40) - 25)));
    }
    const int decimalChoices[] = {9999, 0, 1, 2, 6, 12, -1, -3};
    for (const Extended v : values) {
        // The 18 digits padded with zeros, and the exponent.
        TFloatRec all = CLibraryDigits(v);
        all.Digits.resize(18, '0');
        for (int precision = 1; precision <= 18; ++precision)
            for (const int decimals : decimalChoices) {
                int n = precision;
                if (decimals < 9999 && all.Exponent + decimals < n)
                    n = all.Exponent + decimals;
                std::string digits = n > 0 ? all.Digits.substr(0, size_t(n)) : std::string();
                int exponent = all.Exponent;
                if (n >= 0 && n < 18 && all.Digits[size_t(n)] >= '5') {
                    int k = n - 1;
                    while (k >= 0 && digits[size_t(k)] == '9')
                        digits[size_t(k--)] = '0';
                    if (k >= 0) {
                        ++digits[size_t(k)];
                    } else {
                        digits = "1";
                        ++exponent;
                    }
                }
                while (!digits.empty() && digits.back() == '0')
                    digits.pop_back();
                if (n < 0)
                    digits.clear();
                const TFloatRec got = FloatToDecimal(-v, precision, decimals);
                ASSERT_EQ(got.Digits, digits) << double(v) << " " << precision << " " << decimals;
                if (!digits.empty()) {
                    ASSERT_EQ(got.Exponent, exponent) << double(v) << " " << precision << " " << decimals;
                    ASSERT_TRUE(got.Negative);
                } else {
                    ASSERT_FALSE(got.Negative);
                }
            }
    }
}

// Short number texts are read without strtold; the value must be the one
// strtold gives, to the last bit.
TEST(StrToFloat, AgreesWithTheCLibrary)
{
    SeparatorScope sep(u'.');
    std::vector<std::string> texts = {"0.1",
                                      "0.3",
                                      "9007199254740993",
                                      "9999999999999999999",
                                      "18446744073709551615",
                                      "1e27",
                                      "1e-27",
                                      "1e28",
                                      "1e-28",
                                      "123456789012345678.9e5",
                                      "0.000000000000000000000000001",
                                      "-0",
                                      "-0.0e5",
                                      "00000123.4500000",
                                      "4.9406564584124654e-324"};
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    std::mt19937_64 random(11);
    for (int i = 0; i < 100000; ++i) {
        std::string t;
        if (random() % 2)
            t += '-';
        const int digits = 1 + int(random() % 22);
        const int point = int(random() % (digits + 1));
        for (int d = 0; d < digits; ++d) {
            if (d == point && d > 0)
                t += '.';
            t += char('0' + random() % 10);
        }
        if (random() % 2)
            t += "e" + std::to_string(int(random() % 71) - 35);
        texts.push_back(t);
    }
    for (const std::string &t : texts) {
        Extended got = 42;
        ASSERT_TRUE(TryStrToFloat(QString::fromStdString(t), got)) << t;
        const Extended expected = strtold_l(t.c_str(), nullptr, cLocale);
        ASSERT_EQ(got, expected) << t;
        ASSERT_EQ(std::signbit(got), std::signbit(expected)) << t;
    }
}
