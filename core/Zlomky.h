#pragma once
// Exact fractions of the fraction mode and the list of small primes used, in
// an instance of its own, to step the modulus of modulo arithmetic from prime
// to prime.
//
// Fraction token: "[" + sign + numerator + "|" + denominator + "]", the sign
// "+" for a numerator of 0 or more, "|" and the denominator left out when it
// is 1: "[+3|4]", "[-1|2]", "[+5]". The parts are written as exact integers.
#include "platform/FloatMath.h"
#include "platform/SysUtils.h"

#include <QString>

struct TPrvocislaNode
{
    qint32 Value = 0;
    TPrvocislaNode *Next = nullptr;
};

// Candidate divisors, largest first: 2, 3, 5, 7, 11 and every number up to
// the limit that none of them divides (exactly the primes below 169).
class TPrvocisla
{
public:
    TPrvocisla() = default;
    TPrvocisla(const TPrvocisla &) = delete;
    TPrvocisla &operator=(const TPrvocisla &) = delete;
    virtual ~TPrvocisla();

    // Meant for a fresh list; a second call replaces the chain.
    void Generate(quint16 Limit);

    TPrvocislaNode *Head = nullptr;
    bool Dirty = true; // until Generate has run
};

// The parts of a fraction are exact integers. Intermediate results of an
// evaluation may use the whole 128-bit range; a result that is shown must
// fit the signed 64-bit range once reduced.
using TFractionInt = __int128;

struct TFraction
{
    TFractionInt Numerator = 0;
    TFractionInt Denominator = 1; // may be negative; output moves the sign up
};

// The decimal digits of a part, with "-" for a negative one.
QString FractionIntToStr(TFractionInt V);

// X as its general float text (15 significant digits) reads, over 1: the
// value a real number token of X carries. Raises EInvalidOp for an infinity
// or not-a-number.
void FractionFromFloat(TFraction &F, Extended X);
// "[n|d]", "[+n]", "n" (blanks and brackets ignored), each part a decimal
// number with optional exponent, read exactly ('0.1' is 1 / 10). An empty S
// leaves F as it is. Raises EConvertError for a part that is not a number
// and EInvalidOp for one whose exact value leaves the 128-bit range.
void StrToFraction(const QString &S, TFraction &F);
// True when StrToFraction would read S (the range aside).
bool IsFractionText(const QString &S);
// The token.
void FractionToInputString(const TFraction &F, QString &S);
// "3 / 4", "-1 / 2", "3": the exact digits in the radix with its digit
// groups. Raises EInvalidOp for a part beyond the signed 64-bit range.
void FractionToDisplayString(const TFraction &F, quint8 Radix, QString &S);
// Divides both parts by their greatest common divisor and puts the sign on
// the numerator. Raises EDivByZero for a zero denominator.
void CancelFraction(TFraction &F);
// To lowest terms (CancelFraction); raises EInvalidOp when a part of the
// result does not fit the signed 64-bit range.
void ReduceFraction(TFraction &F);
// A fraction whose lowest terms leave the 64-bit range, made whole the way
// fractions were when their parts were 80-bit numbers: while either part
// has a fractional part and both are at most 922337203685477580 in
// magnitude, both are multiplied by 10; then each is rounded half to even
// and the result is put in lowest terms. Numerator and Denominator are the
// texts of the two parts, each a decimal number with optional exponent
// (any size; read exactly). Raises EInvalidOp when the result still leaves
// the 64-bit range, EDivByZero when the denominator rounds to 0.
void ReduceFractionParts(const QString &Numerator, const QString &Denominator, TFraction &F);
// The value of a token ("[n|d]", "[n]", "n") in lowest terms of 64 bits: the
// exact value when it fits, otherwise ReduceFractionParts of its two parts
// (so '[1.65415563428571E-9]' is 827077817 / 500000000000000000). Raises
// EConvertError for a text that is no fraction, EInvalidOp and EDivByZero
// as ReduceFractionParts.
void ReduceFractionToken(const QString &Token, TFraction &F);
// The whole part of F as a 64-bit integer: EInvalidOp beyond that range.
qint64 FractionToInt64(const TFraction &F);
// The value as an 80-bit number (nearest).
Extended FractionToFloat(const TFraction &F);

// The parts arithmetic of both kinds of fraction: checked 128-bit integers
// (EInvalidOp beyond their range), checked 80-bit numbers (EOverflow,
// EInvalidOp).
namespace FractionParts {
inline TFractionInt Add(TFractionInt a, TFractionInt b)
{
    return CheckedAdd<EInvalidOp>(a, b);
}
inline TFractionInt Sub(TFractionInt a, TFractionInt b)
{
    return CheckedSub<EInvalidOp>(a, b);
}
inline TFractionInt Mul(TFractionInt a, TFractionInt b)
{
    return CheckedMul<EInvalidOp>(a, b);
}
inline Extended Add(Extended a, Extended b)
{
    return FAdd(a, b);
}
inline Extended Sub(Extended a, Extended b)
{
    return FSub(a, b);
}
inline Extended Mul(Extended a, Extended b)
{
    return FMul(a, b);
}
} // namespace FractionParts

// No reduction inside the operations, on either kind of fraction (TFraction
// or TFloatFraction below).
template <class F>
void AddFractions(const F &A, const F &B, F &R)
{
    using namespace FractionParts;
    R = F{Add(Mul(A.Numerator, B.Denominator), Mul(B.Numerator, A.Denominator)), Mul(A.Denominator, B.Denominator)};
}
template <class F>
void SubtractFractions(const F &A, const F &B, F &R)
{
    using namespace FractionParts;
    R = F{Sub(Mul(A.Numerator, B.Denominator), Mul(B.Numerator, A.Denominator)), Mul(A.Denominator, B.Denominator)};
}
template <class F>
void MultiplyFractions(const F &A, const F &B, F &R)
{
    using namespace FractionParts;
    R = F{Mul(A.Numerator, B.Numerator), Mul(A.Denominator, B.Denominator)};
}
template <class F>
void DivideFractions(const F &A, const F &B, F &R)
{
    using namespace FractionParts;
    R = F{Mul(A.Numerator, B.Denominator), Mul(A.Denominator, B.Numerator)};
}
// F to the power E. A whole E is exact (a negative one swaps the parts
// first; a result beyond the 128-bit range raises EInvalidOp); any other E
// raises each part to E as a plain number with the platform's power routine,
// each result read as FractionFromFloat does.
void PowerFraction(const TFraction &F, TFraction &R, const TFraction &E);

// The display text of a result token: read and reduce (ReduceFractionToken),
// write.
void FormatFractionString(const QString &Token, quint8 Radix, QString &S);

// A fraction with 80-bit parts: the arithmetic the fraction evaluator falls
// back to when an exact result leaves the 64-bit range. Its token writes
// each part in the general float format ("[+6997341.67417474]",
// "[-1|3]"), so every intermediate value keeps 15 significant digits, and
// the operations raise EOverflow and EInvalidOp instead of leaving infinities.
struct TFloatFraction
{
    Extended Numerator = 0;
    Extended Denominator = 1;
};

// "[n|d]", "[+n]", "n" (blanks and brackets ignored), each part read as an
// 80-bit number; an empty S leaves F as it is. Raises EConvertError.
void StrToFraction(const QString &S, TFloatFraction &F);
// The token, signs moved to the numerator.
void FractionToInputString(const TFloatFraction &F, QString &S);
// A negative E swaps the parts first; each part is raised to |E| with the
// platform's power routine.
void PowerFraction(const TFloatFraction &F, TFloatFraction &R, Extended E);
