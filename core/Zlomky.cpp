#include "core/Zlomky.h"

#include "core/PrevodySustav.h"
#include "platform/FloatMath.h"
#include "platform/PascalString.h"

#include <cmath>

namespace {

// The whole part of a tenth of the largest signed 64-bit integer: scaling a
// decimal part by 10 stops before the value could leave the 64-bit range.
constexpr Extended ScaleLimit = 922337203685477580.0L;

void PutInFront(TPrvocisla &list, qint32 value)
{
    list.Head = new TPrvocislaNode{value, list.Head};
}

// A copy with the sign on the numerator only.
TFraction NormalisedSigns(const TFraction &f)
{
    TFraction r = f;
    if (r.Numerator < 0 && r.Denominator < 0) {
        r.Numerator = -r.Numerator;
        r.Denominator = -r.Denominator;
    } else if (r.Denominator < 0) {
        r.Denominator = -r.Denominator;
        r.Numerator = -r.Numerator;
    }
    // Keep "-0" out of every text.
    if (r.Numerator == 0)
        r.Numerator = 0;
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

TPrvocisla &FractionPrimes()
{
    static TPrvocisla primes;
    return primes;
}

void FractionFromFloat(TFraction &F, Extended X)
{
    F.Numerator = X;
    F.Denominator = 1;
}

void StrToFraction(const QString &S, TFraction &F)
{
    if (S.isEmpty())
        return;
    QString t = S;
    t.remove(u'[');
    t.remove(u']');
    t.remove(u' ');
    const int bar = pas::Pos(u'|', t);
    TFraction r;
    if (bar > 0) {
        r.Numerator = StrToFloat(pas::Copy(t, 1, bar - 1));
        r.Denominator = StrToFloat(pas::Copy(t, bar + 1, pas::Length(t)));
    } else {
        r.Numerator = StrToFloat(t);
        r.Denominator = 1;
    }
    F = r;
}

void FractionToInputString(const TFraction &F, QString &S)
{
    const TFraction f = NormalisedSigns(F);
    QString t = FloatToStr(f.Numerator);
    if (f.Numerator >= 0)
        t.prepend(u'+');
    if (f.Denominator != 1)
        t += u'|' + FloatToStr(f.Denominator);
    S = u'[' + t + u']';
}

void FractionToDisplayString(const TFraction &F, quint8 Radix, QString &S)
{
    const TFraction f = NormalisedSigns(F);
    QString t = FormatNumber(0, Radix, false, f.Numerator);
    if (f.Denominator != 1)
        t += QStringLiteral(" / ") + FormatNumber(0, Radix, false, f.Denominator);
    S = t;
}

void ReduceFraction(TFraction &F)
{
    Extended n = F.Numerator;
    Extended d = F.Denominator;
    while ((HasFractionalPart(n) || HasFractionalPart(d)) && std::fabs(n) <= ScaleLimit && std::fabs(d) <= ScaleLimit) {
        n = FMul(n, 10);
        d = FMul(d, 10);
    }
    const qint64 num = Round(n);
    const qint64 den = Round(d);
    // Every number divides 0, so 0 / 0 would never stop dividing; any zero
    // denominator is a division by zero.
    if (den == 0)
        throw EDivByZero();
    qint64 a = num;
    qint64 b = den;
    TPrvocisla &primes = FractionPrimes();
    if (primes.Dirty)
        primes.Generate(997);
    for (const TPrvocislaNode *p = primes.Head; p; p = p->Next)
        while (a % p->Value == 0 && b % p->Value == 0) {
            a /= p->Value;
            b /= p->Value;
        }
    F.Numerator = Extended(a);
    F.Denominator = Extended(b);
}

void AddFractions(const TFraction &A, const TFraction &B, TFraction &R)
{
    TFraction r;
    r.Numerator = FAdd(FMul(A.Numerator, B.Denominator), FMul(B.Numerator, A.Denominator));
    r.Denominator = FMul(A.Denominator, B.Denominator);
    R = r;
}

void SubtractFractions(const TFraction &A, const TFraction &B, TFraction &R)
{
    TFraction r;
    r.Numerator = FSub(FMul(A.Numerator, B.Denominator), FMul(B.Numerator, A.Denominator));
    r.Denominator = FMul(A.Denominator, B.Denominator);
    R = r;
}

void MultiplyFractions(const TFraction &A, const TFraction &B, TFraction &R)
{
    TFraction r;
    r.Numerator = FMul(A.Numerator, B.Numerator);
    r.Denominator = FMul(A.Denominator, B.Denominator);
    R = r;
}

void DivideFractions(const TFraction &A, const TFraction &B, TFraction &R)
{
    TFraction r;
    r.Numerator = FMul(A.Numerator, B.Denominator);
    r.Denominator = FMul(A.Denominator, B.Numerator);
    R = r;
}

void PowerFraction(const TFraction &F, TFraction &R, Extended E)
{
    TFraction f = F;
    if (E < 0) {
        std::swap(f.Numerator, f.Denominator);
        E = -E;
    }
    TFraction r;
    r.Numerator = FPower(f.Numerator, E);
    r.Denominator = FPower(f.Denominator, E);
    R = r;
}

void FormatFractionString(const QString &Token, quint8 Radix, QString &S)
{
    TFraction f;
    StrToFraction(Token, f);
    ReduceFraction(f);
    FractionToDisplayString(f, Radix, S);
}
