#include "platform/FloatMath.h"

#include <cfenv>
#include <cmath>
#include <limits>

// The status flags are tested around each computation. GCC does not model
// them (no FENV_ACCESS), so every checked routine loads its operands from
// volatile locals after the clear and stores its result to a volatile before
// the test; the flag calls are out-of-line, so neither the loads nor the
// store can move across them.

void ClearFloatExceptions()
{
    std::feclearexcept(FE_ALL_EXCEPT);
}

void RaiseFloatExceptions()
{
    const int raised = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    if (raised == 0)
        return;
    std::feclearexcept(FE_ALL_EXCEPT);
    if (raised & FE_INVALID)
        throw EInvalidOp();
    if (raised & FE_DIVBYZERO)
        throw EZeroDivide();
    throw EOverflow();
}

Extended CheckFloat(Extended value)
{
    if (std::isnan(value))
        throw EInvalidOp();
    if (std::isinf(value))
        throw EOverflow();
    return value;
}

namespace {

// Explicit x87 rules for one operation's result.
Extended Checked(Extended r, Extended a, Extended b)
{
    if (std::isnan(r) && !std::isnan(a) && !std::isnan(b))
        throw EInvalidOp();
    if (std::isinf(r) && std::isfinite(a) && std::isfinite(b))
        throw EOverflow();
    return r;
}

template <typename F>
Extended Flagged(F f)
{
    ClearFloatExceptions();
    volatile Extended r = f();
    RaiseFloatExceptions();
    return r;
}

} // namespace

Extended FAdd(Extended a, Extended b)
{
    return Checked(a + b, a, b);
}
Extended FSub(Extended a, Extended b)
{
    return Checked(a - b, a, b);
}
Extended FMul(Extended a, Extended b)
{
    return Checked(a * b, a, b);
}

Extended FDiv(Extended a, Extended b)
{
    if (b == 0 && std::isfinite(a)) {
        if (a == 0)
            throw EInvalidOp();
        throw EZeroDivide();
    }
    return Checked(a / b, a, b);
}

Extended FIntPower(Extended base, int n)
{
    qint64 y = n < 0 ? -qint64(n) : qint64(n);
    Extended result = 1;
    Extended b = base;
    while (y > 0) {
        while ((y & 1) == 0) {
            y >>= 1;
            b = FMul(b, b);
        }
        --y;
        result = FMul(result, b);
    }
    if (n < 0)
        result = FDiv(1, result);
    return result;
}

Extended FPower(Extended base, Extended exponent)
{
    if (exponent == 0)
        return 1;
    if (std::isfinite(exponent) && exponent == std::trunc(exponent) && std::fabs(exponent) <= 2147483647.0L)
        return FIntPower(base, int(exponent));
    if (base == 0)
        return 0;
    return FExp(FMul(exponent, FLn(base)));
}

Extended FExp(Extended x)
{
    volatile Extended v = x;
    return Flagged([&] { return std::exp(Extended(v)); });
}

Extended FLn(Extended x)
{
    volatile Extended v = x;
    return Flagged([&] { return std::log(Extended(v)); });
}

Extended FLog10(Extended x)
{
    volatile Extended v = x;
    return Flagged([&] { return std::log10(Extended(v)); });
}

Extended FSqrt(Extended x)
{
    volatile Extended v = x;
    return Flagged([&] { return std::sqrt(Extended(v)); });
}

Extended FSin(Extended x)
{
    volatile Extended v = x;
    return Flagged([&] { return std::sin(Extended(v)); });
}

Extended FCos(Extended x)
{
    volatile Extended v = x;
    return Flagged([&] { return std::cos(Extended(v)); });
}

Extended FTan(Extended x)
{
    volatile Extended v = x;
    return Flagged([&] { return std::tan(Extended(v)); });
}

Extended FArcTan(Extended x)
{
    volatile Extended v = x;
    return Flagged([&] { return std::atan(Extended(v)); });
}

Extended FArcTan2(Extended y, Extended x)
{
    volatile Extended vy = y;
    volatile Extended vx = x;
    return Flagged([&] { return std::atan2(Extended(vy), Extended(vx)); });
}

// ------------------------------------------------------------- whole numbers

namespace {

// The x87 stores a value outside the 64-bit range as "integer indefinite"
// and signals an invalid operation.
qint64 ToInt64(Extended r)
{
    // 2^63 is exact in long double.
    constexpr Extended limit = 9223372036854775808.0L;
    if (!(r >= -limit && r < limit))
        throw EInvalidOp();
    return qint64(r);
}

} // namespace

qint64 Round(Extended x)
{
    // nearbyint follows the current rounding mode, which is never changed:
    // to nearest, halves to even.
    return ToInt64(std::nearbyint(x));
}

qint64 Trunc(Extended x)
{
    return ToInt64(std::trunc(x));
}

Extended Int(Extended x)
{
    return std::trunc(x);
}

Extended Frac(Extended x)
{
    if (std::isinf(x))
        throw EInvalidOp();
    return x - std::trunc(x);
}

// ---------------------------------------------------------- range checking

qint64 RangeCheck(qint64 v, qint64 lo, qint64 hi)
{
    if (v < lo || v > hi)
        throw ERangeError();
    return v;
}

qint8 RangeToInt8(qint64 v)
{
    return qint8(RangeCheck(v, -128, 127));
}
quint8 RangeToUInt8(qint64 v)
{
    return quint8(RangeCheck(v, 0, 255));
}
qint16 RangeToInt16(qint64 v)
{
    return qint16(RangeCheck(v, -32768, 32767));
}
quint16 RangeToUInt16(qint64 v)
{
    return quint16(RangeCheck(v, 0, 65535));
}
qint32 RangeToInt32(qint64 v)
{
    return qint32(RangeCheck(v, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}
quint32 RangeToUInt32(qint64 v)
{
    return quint32(RangeCheck(v, 0, qint64(std::numeric_limits<quint32>::max())));
}

// ------------------------------------------------------ integer arithmetic

qint64 IAdd(qint64 a, qint64 b)
{
    return CheckedAdd<EIntOverflow>(a, b);
}

qint64 ISub(qint64 a, qint64 b)
{
    return CheckedSub<EIntOverflow>(a, b);
}

qint64 IMul(qint64 a, qint64 b)
{
    return CheckedMul<EIntOverflow>(a, b);
}

qint64 IDiv(qint64 a, qint64 b)
{
    if (b == 0)
        throw EDivByZero();
    if (a == std::numeric_limits<qint64>::min() && b == -1)
        throw EIntOverflow();
    return a / b;
}

qint64 IMod(qint64 a, qint64 b)
{
    if (b == 0)
        throw EDivByZero();
    if (b == -1)
        return 0;
    return a % b;
}

qint64 INeg(qint64 a)
{
    return ISub(0, a);
}

qint32 IAdd32(qint32 a, qint32 b)
{
    return CheckedAdd<EIntOverflow>(a, b);
}

qint32 ISub32(qint32 a, qint32 b)
{
    return CheckedSub<EIntOverflow>(a, b);
}

qint32 IMul32(qint32 a, qint32 b)
{
    return CheckedMul<EIntOverflow>(a, b);
}
