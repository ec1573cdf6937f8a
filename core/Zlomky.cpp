#include "core/Zlomky.h"

#include "core/PrevodySustav.h"
#include "platform/FloatMath.h"

#include <cmath>
#include <string>

namespace {

using UInt = unsigned __int128;

constexpr TFractionInt Int64Max = std::numeric_limits<qint64>::max();
constexpr TFractionInt Int64Min = std::numeric_limits<qint64>::min();

using FractionParts::Add;
using FractionParts::Mul;
using FractionParts::Sub;

TFractionInt Neg(TFractionInt a)
{
    return Sub(0, a);
}

Extended Neg(Extended a)
{
    return -a;
}

UInt Magnitude(TFractionInt a)
{
    return a < 0 ? UInt(0) - UInt(a) : UInt(a);
}

UInt Gcd(UInt a, UInt b)
{
    while (b != 0) {
        const UInt t = a % b;
        a = b;
        b = t;
    }
    return a;
}

void PutInFront(TPrvocisla &list, qint32 value)
{
    list.Head = new TPrvocislaNode{value, list.Head};
}

// A copy with the sign on the numerator only.
template <class F>
F NormalisedSigns(const F &f)
{
    F r = f;
    if (r.Denominator < 0) {
        r.Denominator = Neg(r.Denominator);
        r.Numerator = Neg(r.Numerator);
    }
    return r;
}

bool FitsInt64(TFractionInt v)
{
    return v >= Int64Min && v <= Int64Max;
}

// Ten to the power N, N at most 38.
TFractionInt PowerOfTen(int n)
{
    TFractionInt r = 1;
    for (int i = 0; i < n; ++i)
        r = Mul(r, 10);
    return r;
}

TFractionInt IntPower(TFractionInt base, int n)
{
    TFractionInt r = 1;
    for (int i = 0; i < n; ++i)
        r = Mul(r, base);
    return r;
}

// A decimal number of any size as Digits x 10^Exponent: the significant
// digits that 128 bits hold are kept, and Sticky records whether a non-zero
// digit was dropped beyond them (it decides a rounding that looks like a tie).
struct TDecimal
{
    bool Negative = false;
    UInt Digits = 0; // no trailing zeros; 0 for the value 0
    long Exponent = 0;
    bool Sticky = false;
};

constexpr UInt Pow10(int n)
{
    UInt r = 1;
    for (int i = 0; i < n; ++i)
        r *= 10;
    return r;
}

// The syntax of TryStrToFloat, already checked.
TDecimal ReadDecimal(const QString &s)
{
    TDecimal d;
    qsizetype i = 0;
    const qsizetype len = s.size();
    while (i < len && s.at(i) == u' ')
        ++i;
    if (i < len && (s.at(i) == u'+' || s.at(i) == u'-')) {
        d.Negative = s.at(i) == u'-';
        ++i;
    }
    int kept = 0;
    long scale = 0; // added to the exponent for the digits read
    bool separator = false;
    for (; i < len; ++i) {
        const QChar c = s.at(i);
        if (c == DecimalSeparator && !separator) {
            separator = true;
            continue;
        }
        if (c < u'0' || c > u'9')
            break;
        const int digit = c.unicode() - u'0';
        if (kept == 0 && digit == 0) {
            if (separator)
                --scale;
            continue;
        }
        UInt next;
        if (!d.Sticky && !__builtin_mul_overflow(d.Digits, UInt(10), &next)
            && !__builtin_add_overflow(next, UInt(digit), &next)) {
            d.Digits = next;
            ++kept;
            if (separator)
                --scale;
        } else {
            d.Sticky = d.Sticky || digit != 0;
            if (!separator)
                ++scale;
        }
    }
    long exponent = 0;
    if (i < len && (s.at(i) == u'e' || s.at(i) == u'E')) {
        ++i;
        bool negative = false;
        if (i < len && (s.at(i) == u'+' || s.at(i) == u'-')) {
            negative = s.at(i) == u'-';
            ++i;
        }
        for (; i < len && s.at(i) >= u'0' && s.at(i) <= u'9'; ++i)
            if (exponent < 100000)
                exponent = exponent * 10 + (s.at(i).unicode() - u'0');
        if (negative)
            exponent = -exponent;
    }
    d.Exponent = exponent + scale;
    if (d.Digits == 0) {
        d = TDecimal();
        return d;
    }
    while (d.Digits % 10 == 0) {
        d.Digits /= 10;
        ++d.Exponent;
    }
    return d;
}

// One decimal number (the syntax of TryStrToFloat, already checked) as the
// reduced fraction Num / Den of its exact value.
void ReadExactDecimal(const QString &s, TFractionInt &num, TFractionInt &den)
{
    const TDecimal d = ReadDecimal(s);
    den = 1;
    if (d.Digits == 0) {
        num = 0;
        return;
    }
    if (d.Sticky || d.Digits > UInt(std::numeric_limits<TFractionInt>::max()))
        throw EInvalidOp();
    TFractionInt m = TFractionInt(d.Digits);
    if (d.Exponent >= 0) {
        if (d.Exponent > 38)
            throw EInvalidOp();
        m = Mul(m, PowerOfTen(int(d.Exponent)));
    } else {
        // Ten to the power -Exponent, as the twos and fives that M leaves.
        long twos = -d.Exponent;
        long fives = -d.Exponent;
        while (twos > 0 && m % 2 == 0) {
            m /= 2;
            --twos;
        }
        while (fives > 0 && m % 5 == 0) {
            m /= 5;
            --fives;
        }
        if (twos > 126 || fives > 54)
            throw EInvalidOp();
        den = Mul(IntPower(2, int(twos)), IntPower(5, int(fives)));
    }
    num = d.Negative ? -m : m;
}

// The texts of the two parts of a fraction, without blanks and brackets.
struct TFractionText
{
    QString Numerator;
    QString Denominator; // "" without "|"
    bool HasBar = false;
};

TFractionText SplitFractionText(const QString &S)
{
    QString t = S;
    t.remove(u'[');
    t.remove(u']');
    t.remove(u' ');
    TFractionText parts;
    const qsizetype bar = t.indexOf(u'|');
    parts.HasBar = bar >= 0;
    parts.Numerator = parts.HasBar ? t.left(bar) : t;
    if (parts.HasBar)
        parts.Denominator = t.mid(bar + 1);
    return parts;
}

void CheckNumberText(const QString &s)
{
    Extended unused = 0;
    if (!TryStrToFloat(s, unused))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(s));
}

bool IsWhole(const TDecimal &d)
{
    return d.Digits == 0 || (d.Exponent >= 0 && !d.Sticky);
}

// |D| <= 922337203685477580, the whole part of a tenth of the largest
// signed 64-bit integer.
bool MagnitudeAtMostLimit(const TDecimal &d)
{
    constexpr UInt limit = 922337203685477580;
    if (d.Digits == 0)
        return true;
    if (d.Exponent >= 0) {
        if (d.Exponent > 18)
            return false;
        UInt v;
        return !__builtin_mul_overflow(d.Digits, Pow10(int(d.Exponent)), &v) && v <= limit && !d.Sticky;
    }
    if (-d.Exponent > 38)
        return true;
    const UInt scale = Pow10(int(-d.Exponent));
    const UInt whole = d.Digits / scale;
    return whole < limit || (whole == limit && d.Digits % scale == 0 && !d.Sticky);
}

// Half to even, as a signed 64-bit integer (EInvalidOp beyond its range).
TFractionInt RoundHalfEven(const TDecimal &d)
{
    UInt whole;
    if (d.Exponent >= 0) {
        if (d.Exponent > 38 || __builtin_mul_overflow(d.Digits, Pow10(int(d.Exponent)), &whole))
            throw EInvalidOp();
    } else if (-d.Exponent > 38) {
        whole = 0; // below 10^38 / 10^39: under a half
    } else {
        const UInt scale = Pow10(int(-d.Exponent));
        whole = d.Digits / scale;
        const UInt rest = d.Digits % scale;
        const UInt half = scale / 2;
        if (rest > half || (rest == half && (d.Sticky || whole % 2 != 0)))
            ++whole;
    }
    const TFractionInt r = d.Negative ? -TFractionInt(whole) : TFractionInt(whole);
    if (whole > UInt(Int64Max) + 1 || !FitsInt64(r))
        throw EInvalidOp();
    return r;
}

} // namespace

TPrvocisla::~TPrvocisla()
{
    while (Head) {
        TPrvocislaNode *next = Head->Next;
        delete Head;
        Head = next;
    }
}

void TPrvocisla::Generate(quint16 Limit)
{
    while (Head) {
        TPrvocislaNode *next = Head->Next;
        delete Head;
        Head = next;
    }
    PutInFront(*this, 2);
    for (qint32 p : {3, 5, 7, 11})
        PutInFront(*this, p);
    for (qint32 n = 13; n <= Limit; ++n)
        if (n % 2 != 0 && n % 3 != 0 && n % 5 != 0 && n % 7 != 0 && n % 11 != 0)
            PutInFront(*this, n);
    Dirty = false;
}

QString FractionIntToStr(TFractionInt V)
{
    UInt m = Magnitude(V);
    std::string digits;
    do {
        digits.insert(digits.begin(), char('0' + int(m % 10)));
        m /= 10;
    } while (m != 0);
    if (V < 0)
        digits.insert(digits.begin(), '-');
    return QString::fromLatin1(digits.data(), qsizetype(digits.size()));
}

void FractionFromFloat(TFraction &F, Extended X)
{
    if (!std::isfinite(X))
        throw EInvalidOp();
    TFraction r;
    ReadExactDecimal(FloatToStr(X), r.Numerator, r.Denominator);
    F = r;
}

bool IsFractionText(const QString &S)
{
    const TFractionText parts = SplitFractionText(S);
    Extended unused = 0;
    return TryStrToFloat(parts.Numerator, unused) && (!parts.HasBar || TryStrToFloat(parts.Denominator, unused));
}

void StrToFraction(const QString &S, TFraction &F)
{
    if (S.isEmpty())
        return;
    const TFractionText parts = SplitFractionText(S);
    CheckNumberText(parts.Numerator);
    if (parts.HasBar)
        CheckNumberText(parts.Denominator);
    TFraction r;
    ReadExactDecimal(parts.Numerator, r.Numerator, r.Denominator);
    if (parts.HasBar) {
        TFraction d;
        ReadExactDecimal(parts.Denominator, d.Numerator, d.Denominator);
        // (a / b) / (c / d) = (a * d) / (b * c)
        r.Numerator = Mul(r.Numerator, d.Denominator);
        r.Denominator = Mul(r.Denominator, d.Numerator);
    }
    F = r;
}

namespace {

QString PartText(TFractionInt v)
{
    return FractionIntToStr(v);
}

QString PartText(Extended v)
{
    return FloatToStr(v);
}

// The token of either kind of fraction.
template <class F>
QString InputString(const F &fraction)
{
    const F f = NormalisedSigns(fraction);
    QString t = PartText(f.Numerator);
    if (f.Numerator >= 0)
        t.prepend(u'+');
    if (f.Denominator != 1)
        t += u'|' + PartText(f.Denominator);
    return u'[' + t + u']';
}

} // namespace

void FractionToInputString(const TFraction &F, QString &S)
{
    S = InputString(F);
}

void FractionToDisplayString(const TFraction &F, quint8 Radix, QString &S)
{
    const TFraction f = NormalisedSigns(F);
    if (!FitsInt64(f.Numerator) || !FitsInt64(f.Denominator))
        throw EInvalidOp();
    QString t = FormatWholeNumber(Radix, qint64(f.Numerator));
    if (f.Denominator != 1)
        t += QStringLiteral(" / ") + FormatWholeNumber(Radix, qint64(f.Denominator));
    S = t;
}

void CancelFraction(TFraction &F)
{
    // Every number divides 0, so 0 / 0 has no lowest terms; any zero
    // denominator is a division by zero.
    if (F.Denominator == 0)
        throw EDivByZero();
    TFraction f = NormalisedSigns(F);
    const UInt g = Gcd(Magnitude(f.Numerator), Magnitude(f.Denominator));
    if (g > 1) {
        // g divides both magnitudes and is at least 2, so the quotients fit.
        const UInt n = Magnitude(f.Numerator) / g;
        const UInt d = Magnitude(f.Denominator) / g;
        f.Numerator = f.Numerator < 0 ? -TFractionInt(n) : TFractionInt(n);
        f.Denominator = TFractionInt(d);
    }
    if (f.Numerator == 0)
        f.Denominator = 1;
    F = f;
}

void ReduceFraction(TFraction &F)
{
    TFraction f = F;
    CancelFraction(f);
    if (!FitsInt64(f.Numerator) || !FitsInt64(f.Denominator))
        throw EInvalidOp();
    F = f;
}

qint64 FractionToInt64(const TFraction &F)
{
    if (F.Denominator == 0)
        throw EDivByZero();
    const TFractionInt whole = F.Numerator / F.Denominator;
    if (!FitsInt64(whole))
        throw EInvalidOp();
    return qint64(whole);
}

Extended FractionToFloat(const TFraction &F)
{
    return FDiv(Extended(F.Numerator), Extended(F.Denominator));
}

namespace {

// Base to a whole power N of any size, exact.
TFractionInt WholePower(TFractionInt base, UInt n)
{
    if (n == 0)
        return 1;
    if (base == 0 || base == 1)
        return base;
    if (base == -1)
        return n % 2 == 0 ? 1 : -1;
    // |base| >= 2: beyond 2^127 long before the exponent reaches 127.
    if (n >= 127)
        throw EInvalidOp();
    TFractionInt r = 1;
    TFractionInt b = base;
    for (;;) {
        if (n & 1)
            r = Mul(r, b);
        n >>= 1;
        if (n == 0)
            return r;
        b = Mul(b, b);
    }
}

} // namespace

void PowerFraction(const TFraction &F, TFraction &R, const TFraction &E)
{
    TFraction f = F;
    TFraction e = E;
    if (e.Denominator == 0)
        throw EZeroDivide();
    CancelFraction(e);
    if (e.Numerator < 0) {
        std::swap(f.Numerator, f.Denominator);
        e.Numerator = Neg(e.Numerator);
    }
    TFraction r;
    if (e.Denominator == 1) {
        const UInt n = UInt(e.Numerator);
        r.Numerator = WholePower(f.Numerator, n);
        r.Denominator = WholePower(f.Denominator, n);
    } else {
        const Extended x = FractionToFloat(e);
        TFraction a, b;
        FractionFromFloat(a, FPower(Extended(f.Numerator), x));
        FractionFromFloat(b, FPower(Extended(f.Denominator), x));
        DivideFractions(a, b, r);
    }
    R = r;
}

void ReduceFractionParts(const QString &Numerator, const QString &Denominator, TFraction &F)
{
    CheckNumberText(Numerator);
    CheckNumberText(Denominator);
    TDecimal n = ReadDecimal(Numerator);
    TDecimal d = ReadDecimal(Denominator);
    // The limit is on the magnitude: a negative part would otherwise grow
    // past every range while its positive twin stops in time.
    while ((!IsWhole(n) || !IsWhole(d)) && MagnitudeAtMostLimit(n) && MagnitudeAtMostLimit(d)) {
        if (n.Digits != 0)
            ++n.Exponent;
        if (d.Digits != 0)
            ++d.Exponent;
    }
    TFraction r;
    r.Numerator = RoundHalfEven(n);
    r.Denominator = RoundHalfEven(d);
    ReduceFraction(r);
    F = r;
}

void ReduceFractionToken(const QString &Token, TFraction &F)
{
    const TFractionText parts = SplitFractionText(Token);
    try {
        TFraction f;
        StrToFraction(Token, f);
        ReduceFraction(f);
        F = f;
    } catch (const EInvalidOp &) {
        ReduceFractionParts(parts.Numerator, parts.HasBar ? parts.Denominator : QStringLiteral("1"), F);
    }
}

void FormatFractionString(const QString &Token, quint8 Radix, QString &S)
{
    TFraction f;
    ReduceFractionToken(Token, f);
    FractionToDisplayString(f, Radix, S);
}

// ------------------------------------------------------ 80-bit fractions

void StrToFraction(const QString &S, TFloatFraction &F)
{
    if (S.isEmpty())
        return;
    const TFractionText parts = SplitFractionText(S);
    TFloatFraction r;
    r.Numerator = StrToFloat(parts.Numerator);
    r.Denominator = parts.HasBar ? StrToFloat(parts.Denominator) : Extended(1);
    F = r;
}

void FractionToInputString(const TFloatFraction &F, QString &S)
{
    S = InputString(F);
}

void PowerFraction(const TFloatFraction &F, TFloatFraction &R, Extended E)
{
    TFloatFraction f = F;
    if (E < 0) {
        std::swap(f.Numerator, f.Denominator);
        E = -E;
    }
    TFloatFraction r;
    r.Numerator = FPower(f.Numerator, E);
    r.Denominator = FPower(f.Denominator, E);
    R = r;
}
