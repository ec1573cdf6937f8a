#include "core/Zlomky.h"

#include "core/PrevodySustav.h"
#include "platform/FloatMath.h"

#include <cmath>
#include <string>

namespace {

using UInt = unsigned __int128;

constexpr TFractionInt Int64Max = std::numeric_limits<qint64>::max();
constexpr TFractionInt Int64Min = std::numeric_limits<qint64>::min();

TFractionInt Mul(TFractionInt a, TFractionInt b)
{
    return CheckedMul<EInvalidOp>(a, b);
}

TFractionInt Add(TFractionInt a, TFractionInt b)
{
    return CheckedAdd<EInvalidOp>(a, b);
}

TFractionInt Sub(TFractionInt a, TFractionInt b)
{
    return CheckedSub<EInvalidOp>(a, b);
}

TFractionInt Neg(TFractionInt a)
{
    return Sub(0, a);
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
TFraction NormalisedSigns(const TFraction &f)
{
    TFraction r = f;
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

// One decimal number (the syntax of TryStrToFloat, already checked) as the
// reduced fraction Num / Den of its exact value.
void ReadExactDecimal(const QString &s, TFractionInt &num, TFractionInt &den)
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
    std::string digits;
    int fractionDigits = 0;
    bool separator = false;
    for (; i < len; ++i) {
        const QChar c = s.at(i);
        if (c >= u'0' && c <= u'9') {
            if (!(digits.empty() && c == u'0'))
                digits += char(c.unicode());
            if (separator)
                ++fractionDigits;
        } else if (c == DecimalSeparator && !separator) {
            separator = true;
        } else {
            break;
        }
    }
    // The exponent saturates: far beyond any 128-bit value either way.
    long exponent = 0;
    if (i < len && (s.at(i) == u'e' || s.at(i) == u'E')) {
        ++i;
        bool expNegative = false;
        if (i < len && (s.at(i) == u'+' || s.at(i) == u'-')) {
            expNegative = s.at(i) == u'-';
            ++i;
        }
        for (; i < len && s.at(i) >= u'0' && s.at(i) <= u'9'; ++i)
            if (exponent < 100000)
                exponent = exponent * 10 + (s.at(i).unicode() - u'0');
        if (expNegative)
            exponent = -exponent;
    }
    den = 1;
    if (digits.empty()) {
        num = 0;
        return;
    }
    long scale = exponent - fractionDigits;
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
        ++scale;
    }
    if (digits.size() > 39)
        throw EInvalidOp();
    TFractionInt m = 0;
    for (const char c : digits)
        m = Add(Mul(m, 10), c - '0');
    if (scale >= 0) {
        if (scale > 38)
            throw EInvalidOp();
        m = Mul(m, PowerOfTen(int(scale)));
    } else {
        // Ten to the power -Scale, as the twos and fives that M leaves.
        long twos = -scale;
        long fives = -scale;
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
    num = negative ? -m : m;
}

void SplitFractionText(const QString &S, QString &numerator, QString &denominator, bool &hasBar)
{
    QString t = S;
    t.remove(u'[');
    t.remove(u']');
    t.remove(u' ');
    const qsizetype bar = t.indexOf(u'|');
    hasBar = bar >= 0;
    if (hasBar) {
        numerator = t.left(bar);
        denominator = t.mid(bar + 1);
    } else {
        numerator = t;
        denominator.clear();
    }
}

void CheckNumberText(const QString &s)
{
    Extended unused = 0;
    if (!TryStrToFloat(s, unused))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(s));
}

// A decimal number of any size as Digits x 10^Exponent: at most 38
// significant digits are kept, and Sticky records whether a non-zero digit
// was dropped beyond them (it decides a rounding that looks like a tie).
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
        if (kept < 38) {
            d.Digits = d.Digits * 10 + UInt(digit);
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
    QString numerator, denominator;
    bool hasBar = false;
    SplitFractionText(S, numerator, denominator, hasBar);
    Extended unused = 0;
    return TryStrToFloat(numerator, unused) && (!hasBar || TryStrToFloat(denominator, unused));
}

void StrToFraction(const QString &S, TFraction &F)
{
    if (S.isEmpty())
        return;
    QString numerator, denominator;
    bool hasBar = false;
    SplitFractionText(S, numerator, denominator, hasBar);
    CheckNumberText(numerator);
    if (hasBar)
        CheckNumberText(denominator);
    TFraction r;
    ReadExactDecimal(numerator, r.Numerator, r.Denominator);
    if (hasBar) {
        TFraction d;
        ReadExactDecimal(denominator, d.Numerator, d.Denominator);
        // (a / b) / (c / d) = (a * d) / (b * c)
        r.Numerator = Mul(r.Numerator, d.Denominator);
        r.Denominator = Mul(r.Denominator, d.Numerator);
    }
    F = r;
}

void FractionToInputString(const TFraction &F, QString &S)
{
    const TFraction f = NormalisedSigns(F);
    QString t = FractionIntToStr(f.Numerator);
    if (f.Numerator >= 0)
        t.prepend(u'+');
    if (f.Denominator != 1)
        t += u'|' + FractionIntToStr(f.Denominator);
    S = u'[' + t + u']';
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

void AddFractions(const TFraction &A, const TFraction &B, TFraction &R)
{
    TFraction r;
    r.Numerator = Add(Mul(A.Numerator, B.Denominator), Mul(B.Numerator, A.Denominator));
    r.Denominator = Mul(A.Denominator, B.Denominator);
    R = r;
}

void SubtractFractions(const TFraction &A, const TFraction &B, TFraction &R)
{
    TFraction r;
    r.Numerator = Sub(Mul(A.Numerator, B.Denominator), Mul(B.Numerator, A.Denominator));
    r.Denominator = Mul(A.Denominator, B.Denominator);
    R = r;
}

void MultiplyFractions(const TFraction &A, const TFraction &B, TFraction &R)
{
    TFraction r;
    r.Numerator = Mul(A.Numerator, B.Numerator);
    r.Denominator = Mul(A.Denominator, B.Denominator);
    R = r;
}

void DivideFractions(const TFraction &A, const TFraction &B, TFraction &R)
{
    TFraction r;
    r.Numerator = Mul(A.Numerator, B.Denominator);
    r.Denominator = Mul(A.Denominator, B.Numerator);
    R = r;
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
    QString numerator, denominator;
    bool hasBar = false;
    SplitFractionText(Token, numerator, denominator, hasBar);
    if (!hasBar)
        denominator = QStringLiteral("1");
    try {
        TFraction f;
        StrToFraction(Token, f);
        ReduceFraction(f);
        F = f;
    } catch (const EInvalidOp &) {
        ReduceFractionParts(numerator, denominator, F);
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
    QString numerator, denominator;
    bool hasBar = false;
    SplitFractionText(S, numerator, denominator, hasBar);
    TFloatFraction r;
    r.Numerator = StrToFloat(numerator);
    r.Denominator = hasBar ? StrToFloat(denominator) : Extended(1);
    F = r;
}

void FractionToInputString(const TFloatFraction &F, QString &S)
{
    TFloatFraction f = F;
    if (f.Numerator < 0 && f.Denominator < 0) {
        f.Numerator = -f.Numerator;
        f.Denominator = -f.Denominator;
    }
    if (f.Denominator < 0) {
        f.Denominator = -f.Denominator;
        f.Numerator = -f.Numerator;
    }
    QString t = FloatToStr(f.Numerator);
    if (f.Numerator >= 0)
        t.prepend(u'+');
    if (f.Denominator != 1)
        t += u'|' + FloatToStr(f.Denominator);
    S = u'[' + t + u']';
}

void AddFractions(const TFloatFraction &A, const TFloatFraction &B, TFloatFraction &R)
{
    TFloatFraction r;
    r.Numerator = FAdd(FMul(A.Numerator, B.Denominator), FMul(B.Numerator, A.Denominator));
    r.Denominator = FMul(A.Denominator, B.Denominator);
    R = r;
}

void SubtractFractions(const TFloatFraction &A, const TFloatFraction &B, TFloatFraction &R)
{
    TFloatFraction r;
    r.Numerator = FSub(FMul(A.Numerator, B.Denominator), FMul(B.Numerator, A.Denominator));
    r.Denominator = FMul(A.Denominator, B.Denominator);
    R = r;
}

void MultiplyFractions(const TFloatFraction &A, const TFloatFraction &B, TFloatFraction &R)
{
    TFloatFraction r;
    r.Numerator = FMul(A.Numerator, B.Numerator);
    r.Denominator = FMul(A.Denominator, B.Denominator);
    R = r;
}

void DivideFractions(const TFloatFraction &A, const TFloatFraction &B, TFloatFraction &R)
{
    TFloatFraction r;
    r.Numerator = FMul(A.Numerator, B.Denominator);
    r.Denominator = FMul(A.Denominator, B.Numerator);
    R = r;
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
