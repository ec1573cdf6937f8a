#include "core/KomplexneCisla.h"

#include "platform/FloatMath.h"

#include <cmath>

QChar ImaginaryUnit = QChar(u'j');
bool ImaginaryUnitFirst = true;

namespace {

constexpr Extended Pi80 = 3.141592653589793238462643383279502884L;
constexpr Extended DegreesPerRadian = 180.0L / Pi80;

// The number pattern of expression tokens: at most 16 decimals, no grouping.
const QString TokenPattern = QStringLiteral("0.################");

void DeleteFirst(QString &s, QChar c)
{
    const qsizetype p = s.indexOf(c);
    if (p >= 0)
        s.remove(p, 1);
}

// Angle of Z in degrees, in (-180, 180]; R is its modulus.
Extended AngleInDegrees(const TComplex &z, Extended r)
{
    // Rounding of the modulus may put the ratio a hair outside [-1, 1].
    auto ratio = [r](Extended part) {
        Extended q = FDiv(part, r);
        return q > 1 ? Extended(1) : (q < -1 ? Extended(-1) : q);
    };
    if (z.Re > 0 && z.Im > 0)
        return FMul(std::asin(ratio(z.Im)), DegreesPerRadian);
    if (z.Re < 0 && z.Im >= 0)
        return FMul(std::acos(ratio(z.Re)), DegreesPerRadian);
    if (z.Im < 0 && z.Re != 0)
        return -FMul(std::acos(ratio(z.Re)), DegreesPerRadian);
    if (z.Re == 0 && z.Im > 0)
        return 90;
    if (z.Re == 0 && z.Im < 0)
        return -90;
    return 0;
}

} // namespace

QString ImaginaryUnitPrefix()
{
    return ImaginaryUnitFirst ? QString(ImaginaryUnit) : QString();
}

QString ImaginaryUnitSuffix()
{
    return ImaginaryUnitFirst ? QString() : QString(ImaginaryUnit);
}

void StrToComplex(const QString &S, TComplex &Z)
{
    QString t = S;
    t.remove(u' ');
    DeleteFirst(t, u'[');
    DeleteFirst(t, u']');

    TComplex z;
    const qsizetype e = t.indexOf(u"e^");
    if (e >= 0) {
        QString angle = t.mid(e + 2);
        const QString modulus = t.left(e);
        DeleteFirst(angle, ImaginaryUnit);
        if (angle.isEmpty() || angle == u"+")
            angle = QStringLiteral("1");
        else if (angle == u"-")
            angle = QStringLiteral("-1");
        const Extended r = modulus.isEmpty() ? Extended(1) : StrToFloat(modulus);
        const Extended phi = FDiv(FMul(StrToFloat(angle), Pi80), 180);
        z.Re = FMul(FCos(phi), r);
        z.Im = FMul(FSin(phi), r);
        z.ExpForm = true;
    } else {
        if (t.contains(ImaginaryUnit)) {
            if (!t.startsWith(u'+') && !t.startsWith(u'-'))
                t.prepend(u'+');
            // The imaginary part: from the last sign on.
            qsizetype sign = t.size() - 1;
            while (sign > 0 && t.at(sign) != u'+' && t.at(sign) != u'-')
                --sign;
            QString imag = t.mid(sign);
            t.truncate(sign);
            DeleteFirst(imag, ImaginaryUnit);
            if (imag == u"+")
                imag = QStringLiteral("1");
            else if (imag == u"-")
                imag = QStringLiteral("-1");
            z.Im = StrToFloat(imag);
        }
        z.Re = t.isEmpty() ? Extended(0) : StrToFloat(t);
        z.ExpForm = false;
    }
    Z = z;
}

QString ComplexLayout(const TComplex &Z, const std::function<QString(Extended)> &Format)
{
    QString s;
    if (!Z.ExpForm) {
        s = Format(Z.Re);
        if (Z.Im != 0) {
            s += Z.Im < 0 ? u'-' : u'+';
            s += ImaginaryUnitPrefix();
            const Extended magnitude = std::fabs(Z.Im);
            if (magnitude != 1)
                s += Format(magnitude);
            s += ImaginaryUnitSuffix();
        }
        return s;
    }
    const Extended r = FSqrt(FAdd(FMul(Z.Re, Z.Re), FMul(Z.Im, Z.Im)));
    const Extended phi = AngleInDegrees(Z, r);
    s = Format(r);
    if (phi != 0) {
        s += phi < 0 ? QStringLiteral("e^-") : QStringLiteral("e^");
        s += ImaginaryUnitPrefix();
        s += Format(std::fabs(phi));
        s += ImaginaryUnitSuffix();
    }
    return s;
}

void ComplexToStr(const TComplex &Z, QString &S)
{
    S = u'[' + ComplexLayout(Z, [](Extended x) { return FormatFloat(TokenPattern, x); }) + u']';
}

void ComplexToStrDecimals(const TComplex &Z, quint8 Decimals, QString &S)
{
    const QString pattern = Decimals == 0 ? QStringLiteral("0") : QStringLiteral("0.") + QString(Decimals, u'#');
    S = ComplexLayout(Z, [&pattern](Extended x) { return FormatFloat(pattern, x); });
}

namespace {

// Both parts through Op; the exponential form only when both had it.
TComplex PartWise(const TComplex &a, const TComplex &b, Extended (*op)(Extended, Extended))
{
    TComplex r;
    r.Re = op(a.Re, b.Re);
    r.Im = op(a.Im, b.Im);
    r.ExpForm = a.ExpForm && b.ExpForm;
    return r;
}

} // namespace

void ComplexAdd(const TComplex &A, const TComplex &B, TComplex &C)
{
    C = PartWise(A, B, FAdd);
}

void ComplexSub(const TComplex &A, const TComplex &B, TComplex &C)
{
    C = PartWise(A, B, FSub);
}

void ComplexMul(const TComplex &A, const TComplex &B, TComplex &C)
{
    TComplex r;
    r.Re = FSub(FMul(A.Re, B.Re), FMul(A.Im, B.Im));
    r.Im = FAdd(FMul(A.Re, B.Im), FMul(A.Im, B.Re));
    r.ExpForm = A.ExpForm && B.ExpForm;
    C = r;
}

void ComplexDiv(const TComplex &A, const TComplex &B, TComplex &C)
{
    // No test of the divisor: 0 + 0j makes both quotients 0/0, an invalid
    // operation that the analyzer reports as a division by zero.
    TComplex r;
    const Extended d = FAdd(FMul(B.Im, B.Im), FMul(B.Re, B.Re));
    r.Re = FDiv(FAdd(FMul(A.Re, B.Re), FMul(A.Im, B.Im)), d);
    r.Im = FDiv(FSub(FMul(A.Im, B.Re), FMul(A.Re, B.Im)), d);
    r.ExpForm = A.ExpForm && B.ExpForm;
    C = r;
}

void ComplexIntPower(const TComplex &Z, quint16 N, TComplex &C)
{
    TComplex r;
    if (N == 0) {
        r.Re = 1;
        r.Im = 0;
    } else {
        r = Z;
        for (quint32 i = 1; i < N; ++i)
            ComplexMul(r, Z, r);
    }
    r.ExpForm = Z.ExpForm;
    C = r;
}

void ComplexAbs(const TComplex &Z, TComplex &C)
{
    TComplex r;
    r.Re = FSqrt(FAdd(FMul(Z.Im, Z.Im), FMul(Z.Re, Z.Re)));
    r.Im = 0;
    r.ExpForm = false;
    C = r;
}
