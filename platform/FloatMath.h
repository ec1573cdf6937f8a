#pragma once
// Floating-point and integer arithmetic that traps like the original
// platform: an invalid operation, a division by zero or an overflow raises
// our exception classes instead of yielding NaN or infinity, integer
// arithmetic traps overflow, and conversions to narrower integers trap
// values out of range.
#include "platform/SysUtils.h"

#include <QtGlobal>

#include <type_traits>

// Clears the floating-point status flags before a computation.
void ClearFloatExceptions();
// Raises EInvalidOp, EZeroDivide or EOverflow (in that order of precedence)
// when the matching status flag was set since the last clear; underflow and
// precision loss are masked, as on the original platform.
void RaiseFloatExceptions();

// Runs F with clear flags and raises what it raised; flags raised before
// the call are discarded. The compiler does not model the status flags, so
// F must read its operands from memory it cannot see through (arguments
// passed in, volatile locals) and its result is stored to a volatile before
// the flags are tested; the checked routines below follow that pattern.
template <typename F>
auto FloatChecked(F &&f) -> decltype(f())
{
    using R = decltype(f());
    ClearFloatExceptions();
    if constexpr (std::is_void_v<R>) {
        f();
        RaiseFloatExceptions();
    } else if constexpr (std::is_arithmetic_v<R>) {
        volatile R r = f();
        RaiseFloatExceptions();
        return r;
    } else {
        R r = f();
        // Makes the record's computation happen before the test even when
        // the caller discards it.
        asm volatile("" : : "m"(r) : "memory");
        RaiseFloatExceptions();
        return r;
    }
}

// Checks a computed value: NaN raises EInvalidOp, an infinity EOverflow.
Extended CheckFloat(Extended value);

// Checked x87 operations, by explicit tests of operands and result: a NaN
// made from non-NaN operands is EInvalidOp (inf-inf, 0*inf, 0/0, inf/inf),
// an infinity made from finite operands EOverflow, a finite non-zero value
// divided by zero EZeroDivide. NaN and infinite operands pass through
// quietly, as they do on the x87; underflow and precision loss are masked.
Extended FAdd(Extended a, Extended b);
Extended FSub(Extended a, Extended b);
Extended FMul(Extended a, Extended b);
Extended FDiv(Extended a, Extended b); // b == 0: EZeroDivide (0/0: EInvalidOp)

// The platform's power routine. Exponent 0 gives 1 (also for 0^0); a whole
// Exponent of magnitude at most 2147483647 goes to FIntPower; otherwise a
// Base of 0 gives 0 and any other Base gives exp(Exponent * ln Base), so a
// negative Base raises EInvalidOp. Overflow raises EOverflow.
Extended FPower(Extended base, Extended exponent);
// Repeated squaring and multiplication, each step checked (an intermediate
// overflow raises EOverflow even when N is negative); a negative N takes
// 1 / product, so 0 to a negative power raises EZeroDivide.
Extended FIntPower(Extended base, int n);

// Checked library functions (status-flag tested): ln(0) raises EZeroDivide,
// ln of a negative value, sqrt of a negative value, a trigonometric function
// of an infinity EInvalidOp, exp overflow EOverflow.
Extended FExp(Extended x);
Extended FLn(Extended x);
Extended FLog10(Extended x);
Extended FSqrt(Extended x);
Extended FSin(Extended x);
Extended FCos(Extended x);
Extended FTan(Extended x);
Extended FArcTan(Extended x);
Extended FArcTan2(Extended y, Extended x);

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
quint32 RangeToUInt32(qint64 v);
// Generic form: ERangeError unless Lo <= V <= Hi.
qint64 RangeCheck(qint64 v, qint64 lo, qint64 hi);

// Integer arithmetic of any width that raises TOverflow when the exact result
// does not fit T.
template <class TOverflow, class T>
T CheckedAdd(T a, T b)
{
    T r;
    if (__builtin_add_overflow(a, b, &r))
        throw TOverflow();
    return r;
}
template <class TOverflow, class T>
T CheckedSub(T a, T b)
{
    T r;
    if (__builtin_sub_overflow(a, b, &r))
        throw TOverflow();
    return r;
}
template <class TOverflow, class T>
T CheckedMul(T a, T b)
{
    T r;
    if (__builtin_mul_overflow(a, b, &r))
        throw TOverflow();
    return r;
}

// Integer arithmetic that traps: EIntOverflow on overflow, EDivByZero for a
// zero divisor.
qint64 IAdd(qint64 a, qint64 b);
qint64 ISub(qint64 a, qint64 b);
qint64 IMul(qint64 a, qint64 b);
qint64 IDiv(qint64 a, qint64 b); // truncates towards zero; lowest / -1 is EIntOverflow
qint64 IMod(qint64 a, qint64 b); // sign of A; lowest mod -1 is 0
qint64 INeg(qint64 a);
// 32-bit forms for counters and 16-bit positions that trap on overflow.
qint32 IAdd32(qint32 a, qint32 b);
qint32 ISub32(qint32 a, qint32 b);
qint32 IMul32(qint32 a, qint32 b);
