#include "platform/SysUtils.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale.h>

QChar DecimalSeparator = QChar(u'.');
QChar ThousandSeparator = QChar(u',');

QChar SystemDecimalSeparator()
{
    static const QChar sep = [] {
        const QString p = QLocale::system().decimalPoint();
        return p.size() == 1 ? p.at(0) : QChar(u'.');
    }();
    return sep;
}

// ----------------------------------------------------------- C locale access

namespace {

// The C locale, so that digits are read and written with '.' whatever
// locale the process (or Qt) has set.
locale_t CLocale()
{
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return loc;
}

constexpr quint64 Pow10U64[20] = {1ULL,
                                  10ULL,
                                  100ULL,
                                  1000ULL,
                                  10000ULL,
                                  100000ULL,
                                  1000000ULL,
                                  10000000ULL,
                                  100000000ULL,
                                  1000000000ULL,
                                  10000000000ULL,
                                  100000000000ULL,
                                  1000000000000ULL,
                                  10000000000000ULL,
                                  100000000000000ULL,
                                  1000000000000000ULL,
                                  10000000000000000ULL,
                                  100000000000000000ULL,
                                  1000000000000000000ULL,
                                  10000000000000000000ULL};

// The powers of ten that a long double holds exactly (5^27 < 2^64).
constexpr Extended Pow10Exact[28] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
                                     1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L,
                                     1e20L, 1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};

// The exact digits of the values from 0.01 to 1E18 (the numbers of
// everyday calculations) without going through the C library's printf:
// V = M / 2^Shift with the 64-bit mantissa M, so V * 10^K for K up to 19 is
// one exact 128-bit product, which is then rounded half to even by its
// remainder, as printf rounds an exact tie. Digits receives the 18
// significant digits as one number from 10^17 up to 10^18. False for any
// other value.
bool Digits18Exact(Extended v, quint64 &digits, int &exponent)
{
    if (!(v >= 0.01L && v < 1e18L))
        return false;
    // The mantissa and exponent straight from the 80-bit format, which holds
    // the leading 1 of a normal value (all of this range is normal) as the
    // top bit: V = M * 2^(biased exponent - 16383 - 63).
    static_assert(std::numeric_limits<Extended>::digits == 64 && std::numeric_limits<Extended>::max_exponent == 16384);
    quint64 m = 0;
    quint16 signAndExponent = 0;
    std::memcpy(&m, &v, sizeof m);
    std::memcpy(&signAndExponent, reinterpret_cast<const unsigned char *>(&v) + sizeof m, sizeof signAndExponent);
    const int binaryExponent = int(signAndExponent & 0x7fff) - 16382; // 2^(b-1) <= v < 2^b
    const int shift = 64 - binaryExponent;                            // 4 .. 71 in this range
    using u128 = unsigned __int128;
    // 10^(e-1) <= v < 10^e, give or take one (78913 / 2^18 is log10(2) to
    // five places); the loop settles the one either way.
    int e = (((binaryExponent - 1) * 78913) >> 18) + 1;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int k = 18 - e;
        if (k < 0 || k > 19)
            return false;
        const u128 product = u128(m) * Pow10U64[k];
        u128 d = product >> shift;
        if (d >= Pow10U64[18]) {
            ++e;
            continue;
        }
        if (d < Pow10U64[17]) {
            --e;
            continue;
        }
        const u128 rest = product - (d << shift);
        const u128 half = u128(1) << (shift - 1);
        if (rest > half || (rest == half && (d & 1) != 0))
            ++d;
        if (d == Pow10U64[18]) {
            d = Pow10U64[17];
            ++e;
        }
        digits = quint64(d);
        exponent = e;
        return true;
    }
    return false;
}

// Exact decimal digits of a positive finite value: 18 significant digits
// rounded to nearest (glibc converts long double exactly) as one number from
// 10^17 up to 10^18, and the exponent of the form 0.ddd x 10^e.
void Digits18(Extended v, quint64 &digits, int &exponent)
{
    if (Digits18Exact(v, digits, exponent))
        return;
    char buf[64];
    const locale_t old = uselocale(CLocale());
    std::snprintf(buf, sizeof buf, "%.17Le", v);
    uselocale(old);
    // buf is "d.ddddddddddddddddde[+-]x"
    int n = 0;
    quint64 d = 0;
    const char *p = buf;
    for (; *p && *p != 'e' && n < 18; ++p)
        if (*p >= '0' && *p <= '9') {
            d = d * 10 + quint64(*p - '0');
            ++n;
        }
    digits = d * Pow10U64[18 - n];
    while (*p && *p != 'e')
        ++p;
    exponent = (*p == 'e' ? std::atoi(p + 1) : 0) + 1;
}

QString Ascii(const std::string &s)
{
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

} // namespace

TFloatRec FloatToDecimal(Extended value, int precision, int decimals)
{
    TFloatRec r;
    if (std::isnan(value)) {
        r.Special = TFloatRec::NaN;
        return r;
    }
    r.Negative = std::signbit(value);
    if (std::isinf(value)) {
        r.Special = TFloatRec::Infinite;
        return r;
    }
    if (value == 0) {
        r.Negative = false;
        return r;
    }
    quint64 d = 0;
    int e = 0;
    Digits18(std::fabs(value), d, e);
    if (precision < 1)
        precision = 1;
    int n = precision < 18 ? precision : 18;
    if (decimals < 9999 && e + decimals < n)
        n = e + decimals;
    if (n < 0) {
        r.Negative = false;
        return r;
    }
    // The first N of the 18 digits, rounded half up by the next one: up
    // when the digits dropped are at least 5 followed by zeros.
    const quint64 unit = Pow10U64[18 - n];
    quint64 kept = d / unit;
    if (n < 18 && d - kept * unit >= 5 * Pow10U64[17 - n]) {
        ++kept;
        if (kept == Pow10U64[n]) {
            // All nines (or no digit kept): the carry makes 1 of the next place.
            kept = 1;
            n = 1;
            ++e;
        }
    }
    if (kept == 0) {
        r.Negative = false;
        return r;
    }
    while (kept % 10 == 0) {
        kept /= 10;
        --n;
    }
    std::string digits(size_t(n), '0');
    // Two digits at a time from the end.
    static constexpr char Pairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                                    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                                    "8081828384858687888990919293949596979899";
    int i = n;
    while (i >= 2) {
        const unsigned pair = unsigned(kept % 100);
        kept /= 100;
        digits[size_t(i - 1)] = Pairs[2 * pair + 1];
        digits[size_t(i - 2)] = Pairs[2 * pair];
        i -= 2;
    }
    if (i == 1)
        digits[0] = char('0' + kept);
    r.Digits = std::move(digits);
    r.Exponent = e;
    return r;
}

// ------------------------------------------------------------ text to float

namespace {} // namespace

bool TryStrToFloat(QStringView s, Extended &value)
{
    const qsizetype len = s.size();
    qsizetype i = 0;
    while (i < len && s.at(i) == u' ')
        ++i;
    qsizetype end = len;
    while (end > i && s.at(end - 1) == u' ')
        --end;
    const qsizetype start = i;
    bool negative = false;
    if (i < end && (s.at(i) == u'+' || s.at(i) == u'-')) {
        negative = s.at(i) == u'-';
        ++i;
    }
    // The number read as it stands (ExactDecimal's digits, fraction and
    // power), while it is within what one exact operation gives.
    quint64 w = 0;
    int digits = 0;
    int fraction = 0;
    int mantissaDigits = 0;
    bool separator = false;
    bool exact = true;
    for (; i < end; ++i) {
        const QChar c = s.at(i);
        if (c >= u'0' && c <= u'9') {
            ++mantissaDigits;
            if (separator)
                ++fraction;
            if (w == 0 && c == u'0')
                continue;
            if (digits == 19) {
                exact = false;
                continue;
            }
            w = w * 10 + quint64(c.unicode() - u'0');
            ++digits;
        } else if (c == DecimalSeparator && !separator) {
            separator = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0)
        return false;
    int e = 0;
    bool negativeExponent = false;
    if (i < end && (s.at(i) == u'e' || s.at(i) == u'E')) {
        ++i;
        if (i < end && (s.at(i) == u'+' || s.at(i) == u'-')) {
            negativeExponent = s.at(i) == u'-';
            ++i;
        }
        int expDigits = 0;
        for (; i < end && s.at(i) >= u'0' && s.at(i) <= u'9'; ++i) {
            ++expDigits;
            if (exact) {
                e = e * 10 + (s.at(i).unicode() - u'0');
                exact = e <= 100000;
            }
        }
        if (expDigits == 0)
            return false;
    }
    if (i != end)
        return false;
    if (exact) {
        if (w == 0) {
            value = negative ? -0.0L : 0.0L;
            return true;
        }
        const int p = (negativeExponent ? -e : e) - fraction;
        if (p >= -27 && p <= 27) {
            const Extended r = p >= 0 ? Extended(w) * Pow10Exact[p] : Extended(w) / Pow10Exact[-p];
            value = negative ? -r : r;
            return true;
        }
    }
    // Beyond one exact operation: the C library's correctly rounded reading
    // of the same number in its own syntax.
    std::string a;
    a.reserve(size_t(end - start) + 4);
    for (qsizetype k = start; k < end; ++k) {
        const QChar c = s.at(k);
        if (c == DecimalSeparator)
            a += '.';
        else if (c != u'+' || k != start)
            a += char(c.unicode());
    }
    char *stop = nullptr;
    errno = 0;
    const Extended v = strtold_l(a.c_str(), &stop, CLocale());
    if (stop != a.c_str() + a.size() || std::isinf(v) || std::isnan(v))
        return false;
    value = v;
    return true;
}

bool TryStrToDouble(const QString &s, double &value)
{
    Extended v = 0;
    if (!TryStrToFloat(s, v) || std::fabs(v) > Extended(std::numeric_limits<double>::max()))
        return false;
    value = double(v);
    return true;
}

Extended StrToFloat(const QString &s)
{
    Extended v = 0;
    if (!TryStrToFloat(s, v))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(s));
    return v;
}

// ------------------------------------------------------------ float to text

namespace {

QString SpecialText(const TFloatRec &r)
{
    if (r.Special == TFloatRec::NaN)
        return QStringLiteral("NAN");
    return r.Negative ? QStringLiteral("-INF") : QStringLiteral("INF");
}

} // namespace

QString FloatToStrGeneral(Extended value, int precision)
{
    if (precision < 1)
        precision = 1;
    if (precision > 18)
        precision = 18;
    const TFloatRec r = FloatToDecimal(value, precision);
    if (r.Special != TFloatRec::Finite)
        return SpecialText(r);
    if (r.Digits.empty())
        return QStringLiteral("0");
    QString out;
    out.reserve(qsizetype(r.Digits.size()) + 8);
    if (r.Negative)
        out += u'-';
    const QLatin1StringView digits(r.Digits.data(), qsizetype(r.Digits.size()));
    const int e = r.Exponent;
    if (e > precision || e < -3) {
        out += digits.at(0);
        if (digits.size() > 1) {
            out += DecimalSeparator;
            out += digits.mid(1);
        }
        out += u'E';
        out += QString::number(e - 1);
    } else if (e <= 0) {
        out += u'0';
        out += DecimalSeparator;
        for (int i = 0; i < -e; ++i)
            out += u'0';
        out += digits;
    } else {
        if (digits.size() <= e) {
            out += digits;
            for (qsizetype i = digits.size(); i < e; ++i)
                out += u'0';
        } else {
            out += digits.left(e);
            out += DecimalSeparator;
            out += digits.mid(e);
        }
    }
    return out;
}

QString FloatToStr(Extended value)
{
    return FloatToStrGeneral(value, 15);
}

// --------------------------------------------------------------- FormatFloat

namespace {

struct FmtItem
{
    enum Kind {
        Literal,
        Digit0,
        DigitHash,
        Point,
        Exponent
    } kind;
    QString text; // Literal text; for Exponent the "E"/"e" letter
    bool expPlus = false;
    int expDigits = 0;
};

struct FmtSection
{
    QList<FmtItem> items;
    bool thousands = false;
    bool scientific = false;
    int intPlaces = 0; // placeholders before the point
    int minInt = 0;    // from the first "0" before the point
    int decPlaces = 0; // placeholders after the point
    int minDec = 0;    // up to the last "0" after the point
    bool hasPoint = false;
};

QStringList SplitSections(const QString &format)
{
    QStringList sections;
    QString cur;
    QChar quote;
    for (const QChar c : format) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u';') {
            sections << cur;
            cur.clear();
            continue;
        }
        cur += c;
    }
    sections << cur;
    return sections;
}

FmtSection ParseSection(const QString &f)
{
    FmtSection s;
    bool afterPoint = false;
    bool afterExp = false;
    int firstZeroInt = -1;
    auto literal = [&s](const QString &t) {
        if (!s.items.isEmpty() && s.items.back().kind == FmtItem::Literal)
            s.items.back().text += t;
        else
            s.items.append({FmtItem::Literal, t});
    };
    for (qsizetype i = 0; i < f.size(); ++i) {
        const QChar c = f.at(i);
        if (c == u'"' || c == u'\'') {
            const qsizetype close = f.indexOf(c, i + 1);
            const qsizetype stop = close < 0 ? f.size() : close;
            literal(f.mid(i + 1, stop - i - 1));
            i = stop;
        } else if (afterExp) {
            literal(QString(c));
        } else if (c == u'0' || c == u'#') {
            s.items.append({c == u'0' ? FmtItem::Digit0 : FmtItem::DigitHash, QString()});
            if (afterPoint) {
                ++s.decPlaces;
                if (c == u'0')
                    s.minDec = s.decPlaces;
            } else {
                if (c == u'0' && firstZeroInt < 0)
                    firstZeroInt = s.intPlaces;
                ++s.intPlaces;
            }
        } else if (c == u'.') {
            if (!afterPoint) {
                afterPoint = true;
                s.hasPoint = true;
                s.items.append({FmtItem::Point, QString()});
            }
        } else if (c == u',') {
            s.thousands = true;
        } else if ((c == u'E' || c == u'e') && i + 1 < f.size() && (f.at(i + 1) == u'+' || f.at(i + 1) == u'-')) {
            FmtItem e{FmtItem::Exponent, QString(c)};
            e.expPlus = f.at(i + 1) == u'+';
            i += 2;
            while (i < f.size() && f.at(i) == u'0') {
                ++e.expDigits;
                ++i;
            }
            --i;
            s.items.append(e);
            s.scientific = true;
            afterExp = true;
        } else {
            literal(QString(c));
        }
    }
    s.minInt = firstZeroInt < 0 ? 0 : s.intPlaces - firstZeroInt;
    return s;
}

QString Group(const QString &digits)
{
    if (digits.size() <= 3)
        return digits;
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        out += digits.at(i);
        const qsizetype rest = n - 1 - i;
        if (rest > 0 && rest % 3 == 0)
            out += ThousandSeparator;
    }
    return out;
}

// Writes the section with the integer digits, the fraction digits and the
// exponent text already worked out.
QString Assemble(const FmtSection &s, bool minus, const QString &intPart, const QString &fracPart,
                 const QString &expText)
{
    QString out;
    if (minus)
        out += u'-';
    bool intWritten = false;
    bool seenPoint = false;
    auto writeInt = [&] {
        if (!intWritten) {
            out += intPart;
            intWritten = true;
        }
    };
    for (const FmtItem &it : s.items) {
        switch (it.kind) {
        case FmtItem::Literal:
            out += it.text;
            break;
        case FmtItem::Digit0:
        case FmtItem::DigitHash:
            if (!seenPoint)
                writeInt();
            break;
        case FmtItem::Point:
            writeInt();
            seenPoint = true;
            if (!fracPart.isEmpty()) {
                out += DecimalSeparator;
                out += fracPart;
            }
            break;
        case FmtItem::Exponent:
            writeInt();
            out += expText;
            break;
        }
    }
    writeInt();
    return out;
}

// Returns false when the value needs the general format instead.
bool FormatSection(const FmtSection &s, Extended value, bool writeMinus, QString &out, bool &isZero)
{
    const Extended mag = std::fabs(value);
    if (s.scientific) {
        int places = s.intPlaces + s.decPlaces;
        if (places < 1)
            places = 1;
        const TFloatRec r = FloatToDecimal(mag, places > 18 ? 18 : places);
        isZero = r.Digits.empty();
        const QString digits = Ascii(r.Digits);
        const int k = s.intPlaces;
        QString intPart;
        QString frac;
        int exp = 0;
        if (isZero) {
            intPart = k > 0 ? QStringLiteral("0") : QString();
        } else {
            intPart = digits.left(k);
            if (intPart.size() < k)
                intPart += QString(k - intPart.size(), u'0');
            frac = digits.mid(k).left(s.decPlaces);
            exp = r.Exponent - k;
        }
        if (s.thousands)
            intPart = Group(intPart);
        if (frac.size() < s.minDec)
            frac += QString(s.minDec - frac.size(), u'0');
        QString expText;
        for (const FmtItem &it : s.items) {
            if (it.kind == FmtItem::Exponent) {
                expText = it.text;
                if (exp < 0)
                    expText += u'-';
                else if (it.expPlus)
                    expText += u'+';
                QString n = QString::number(exp < 0 ? -exp : exp);
                const int want = it.expDigits > 4 ? 4 : it.expDigits;
                if (n.size() < want)
                    n = QString(want - n.size(), u'0') + n;
                expText += n;
            }
        }
        out = Assemble(s, writeMinus && !isZero, intPart, frac, expText);
        return true;
    }

    const TFloatRec r = FloatToDecimal(mag, 18, s.decPlaces);
    if (r.Exponent > 18)
        return false;
    isZero = r.Digits.empty();
    const QString digits = Ascii(r.Digits);
    const int e = r.Exponent;
    QString intPart;
    QString frac;
    if (!isZero) {
        if (e > 0) {
            intPart = digits.left(e);
            if (intPart.size() < e)
                intPart += QString(e - intPart.size(), u'0');
            frac = digits.mid(e);
        } else {
            frac = QString(-e, u'0') + digits;
        }
    }
    if (intPart.size() < s.minInt)
        intPart = QString(s.minInt - intPart.size(), u'0') + intPart;
    if (s.thousands)
        intPart = Group(intPart);
    if (frac.size() < s.minDec)
        frac += QString(s.minDec - frac.size(), u'0');
    out = Assemble(s, writeMinus && !isZero, intPart, frac, QString());
    return true;
}

} // namespace

namespace {

// A pattern split into its sections and parsed; an empty section stays
// empty (it means "use the first one").
struct ParsedFormat
{
    QString format;
    QList<FmtSection> sections;
    QList<bool> empty;
};

// The evaluators format every intermediate result with the same few
// patterns, so the last ones used are kept parsed (per thread: worker
// threads format numbers too).
const ParsedFormat &Parsed(const QString &format)
{
    constexpr int Kept = 4;
    thread_local ParsedFormat cache[Kept];
    thread_local int next = 0;
    for (const ParsedFormat &p : cache)
        if (!p.sections.isEmpty() && p.format == format)
            return p;
    ParsedFormat &p = cache[next];
    next = (next + 1) % Kept;
    p.format = format;
    p.sections.clear();
    p.empty.clear();
    for (const QString &section : SplitSections(format)) {
        p.sections.append(ParseSection(section));
        p.empty.append(section.isEmpty());
    }
    return p;
}

} // namespace

QString FormatFloat(const QString &format, Extended value)
{
    if (format.isEmpty() || !std::isfinite(value))
        return FloatToStr(value);
    const ParsedFormat &parsed = Parsed(format);
    const qsizetype count = parsed.sections.size();
    int index = 0;
    if (value < 0 && count > 1 && !parsed.empty.at(1))
        index = 1;
    else if (value == 0 && count > 2 && !parsed.empty.at(2))
        index = 2;
    QString out;
    bool isZero = false;
    if (!FormatSection(parsed.sections.at(index), value, index == 0 && value < 0, out, isZero))
        return FloatToStr(value);
    if (isZero && index != 2 && count > 2 && !parsed.empty.at(2)) {
        bool dummy = false;
        FormatSection(parsed.sections.at(2), 0, false, out, dummy);
    }
    return out;
}

// ---------------------------------------------------------------- integers

bool TryStrToInt64(const QString &s, qint64 &value)
{
    qsizetype i = 0;
    const qsizetype len = s.size();
    while (i < len && s.at(i) == u' ')
        ++i;
    bool negative = false;
    if (i < len && (s.at(i) == u'+' || s.at(i) == u'-')) {
        negative = s.at(i) == u'-';
        ++i;
    }
    if (i == len)
        return false;
    // Accumulate as a negative number so that the lowest value fits.
    qint64 acc = 0;
    const qint64 lowest = std::numeric_limits<qint64>::min();
    for (; i < len; ++i) {
        const QChar c = s.at(i);
        if (c < u'0' || c > u'9')
            return false;
        const int d = c.unicode() - u'0';
        if (acc < (lowest + d) / 10)
            return false;
        acc = acc * 10 - d;
    }
    if (!negative) {
        if (acc == lowest)
            return false;
        acc = -acc;
    }
    value = acc;
    return true;
}

qint64 StrToInt64(const QString &s)
{
    qint64 v = 0;
    if (!TryStrToInt64(s, v))
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(s));
    return v;
}

bool TryStrToInt(const QString &s, int &value)
{
    qint64 v = 0;
    if (!TryStrToInt64(s, v) || v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return false;
    value = int(v);
    return true;
}

int StrToInt(const QString &s)
{
    int v = 0;
    if (!TryStrToInt(s, v))
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(s));
    return v;
}

QString IntToStr(qint64 value)
{
    return QString::number(value);
}

// ------------------------------------------------------------------ strings

QString LowerCase(QStringView s)
{
    QString r = s.toString();
    for (QChar &c : r)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    return r;
}

QString UpperCase(QStringView s)
{
    QString r = s.toString();
    for (QChar &c : r)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    return r;
}

QString Trim(const QString &s)
{
    qsizetype a = 0;
    qsizetype b = s.size();
    while (a < b && s.at(a).unicode() <= 32)
        ++a;
    while (b > a && s.at(b - 1).unicode() <= 32)
        --b;
    return s.mid(a, b - a);
}

QString TrimLeft(const QString &s)
{
    qsizetype a = 0;
    while (a < s.size() && s.at(a).unicode() <= 32)
        ++a;
    return s.mid(a);
}

QString TrimRight(const QString &s)
{
    qsizetype b = s.size();
    while (b > 0 && s.at(b - 1).unicode() <= 32)
        --b;
    return s.left(b);
}

// -------------------------------------------------------------- text files

QString DecodeUtf8Lossless(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            out += QChar(c);
            ++i;
            continue;
        }
        int len = 0;
        char32_t cp = 0;
        char32_t lowest = 0;
        if ((c & 0xE0) == 0xC0) {
            len = 2;
            cp = c & 0x1F;
            lowest = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
            cp = c & 0x0F;
            lowest = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
            cp = c & 0x07;
            lowest = 0x10000;
        }
        bool valid = len > 0 && i + len <= n;
        for (int k = 1; valid && k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                valid = false;
            else
                cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        // Overlong forms, encoded surrogates and values beyond Unicode are
        // no UTF-8 either.
        valid = valid && cp >= lowest && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        if (!valid) {
            out += QChar(char16_t(0xDC00 + c));
            ++i;
            continue;
        }
        if (cp > 0xFFFF) {
            out += QChar(QChar::highSurrogate(cp));
            out += QChar(QChar::lowSurrogate(cp));
        } else {
            out += QChar(char16_t(cp));
        }
        i += len;
    }
    return out;
}

QByteArray EncodeUtf8Lossless(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    auto put = [&](char32_t cp) {
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | (cp >> 6));
            out += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += char(0xE0 | (cp >> 12));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xF0 | (cp >> 18));
            out += char(0x80 | ((cp >> 12) & 0x3F));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    };
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = text.at(i).unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            put(QChar::surrogateToUcs4(u, text.at(i + 1).unicode()));
            ++i;
        } else if (u >= 0xDC80 && u <= 0xDCFF) {
            out += char(u - 0xDC00);
        } else if (QChar::isSurrogate(u)) {
            put(0xFFFD);
        } else {
            put(u);
        }
    }
    return out;
}

QString PathBelowFolder(const QString &Folder, QString Name)
{
    Name = Name.trimmed();
    Name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (Name.startsWith(QLatin1Char('/')))
        Name.remove(0, 1);
    if (Name.isEmpty())
        return QString();
    const bool folder = Name.endsWith(QLatin1Char('/'));
    const QString root = QDir::cleanPath(Folder);
    const QString path = QDir::cleanPath(root + QLatin1Char('/') + Name);
    if (!path.startsWith(root + QLatin1Char('/')) || path.size() <= root.size() + 1)
        return QString();
    // A link on the way may still lead out: the nearest part of the path
    // that exists must lie in the folder as well.
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    QString existing = path;
    while (!QFileInfo::exists(existing) && existing.size() > root.size())
        existing = existing.section(QLatin1Char('/'), 0, -2);
    const QString canonical = QFileInfo(existing).canonicalFilePath();
    if (canonicalRoot.isEmpty() || canonical.isEmpty()
        || (canonical != canonicalRoot && !canonical.startsWith(canonicalRoot + QLatin1Char('/'))))
        return QString();
    return folder ? path + QLatin1Char('/') : path;
}
