#pragma once
// Floating-point and integer arithmetic that traps like the original
// platform: an invalid operation, a division by zero or an overflow raises
// our exception classes instead of yielding NaN or infinity, integer
// arithmetic traps overflow, and conversions to narrower integers trap
// values out of range.
#include "platform/SysUtils.h"

#include <QtGlobal>

// Clears the floating-point status flags before a computation.
void ClearFloatExceptions();
// Raises EInvalidOp, EZeroDivide or EOverflow (in that order of precedence)
// when the matching status flag was set since the last clear; underflow and
// precision loss are masked, as on the original platform.
void RaiseFloatExceptions();

// Runs F with clear flags and raises what it raised.
template <typename F>
auto FloatChecked(F &&f) -> decltype(f())
{
    ClearFloatExceptions();
    auto r = f();
    RaiseFloatExceptions();
    return r;
}

// Checks a computed value: NaN raises EInvalidOp, an infinity EOverflow.
Extended CheckFloat(Extended value);

// Checked x87 operations.
Extended FAdd(Extended a, Extended b);
Extended FSub(Extended a, Extended b);
Extended FMul(Extended a, Extended b);
Extended FDiv(Extended a, Extended b); // b == 0: EZeroDivide (0/0: EInvalidOp)

// Rounding to a whole number as the platform's Round (half to even) and
// Trunc; a result outside the 64-bit range raises EInvalidOp, like the x87
// store of an out-of-range integer.
qint64 Round(Extended x);
qint64 Trunc(Extended x);
// Whole and fractional part, as floating-point values.
Extended Int(Extended x);
Extended Frac(Extended x);

// Narrowing conversions that trap: ERangeError when the value does not fit.
qint8 RangeToInt8(qint64 v);
quint8 RangeToUInt8(qint64 v);
qint16 RangeToInt16(qint64 v);
quint16 RangeToUInt16(qint64 v);
qint32 RangeToInt32(qint64 v);

// Integer arithmetic that traps: EIntOverflow on overflow, EDivByZero for a
// zero divisor.
qint64 IAdd(qint64 a, qint64 b);
qint64 ISub(qint64 a, qint64 b);
qint64 IMul(qint64 a, qint64 b);
qint64 IDiv(qint64 a, qint64 b);
qint64 IMod(qint64 a, qint64 b);
