#pragma once
// Complex numbers of the complex number set: the value, its reading from the
// algebraic ("3+j4", "3+4i") and exponential ("5e^j30", angle in degrees)
// forms, its writing as an expression token and as text, and its arithmetic.
// Arithmetic faults raise the platform's exceptions (EOverflow, EInvalidOp);
// unreadable number parts raise EConvertError. Nothing here catches.
#include "platform/SysUtils.h"

#include <QChar>
#include <QString>

#include <functional>

struct TComplex
{
    Extended Re = 0;
    Extended Im = 0;
    // Only decides how the value is written: modulus and angle instead of
    // real and imaginary part.
    bool ExpForm = false;
};

// The character of the imaginary unit ("j" or "i"), used in reading and in
// writing, and whether it is written before the imaginary magnitude (3+j4)
// or after it (3+4i). The controller keeps ImaginaryUnitChar equal to it.
extern QChar ImaginaryUnit;
extern bool ImaginaryUnitFirst;

QString ImaginaryUnitPrefix();
QString ImaginaryUnitSuffix();

// Blanks and one pair of "[" "]" are ignored. Raises EConvertError when a
// number part cannot be read.
void StrToComplex(const QString &S, TComplex &Z);
// The expression token: "[" + text + "]", at most 16 decimals per number.
void ComplexToStr(const TComplex &Z, QString &S);
// Display text without brackets with at most Decimals decimals per number.
void ComplexToStrDecimals(const TComplex &Z, quint8 Decimals, QString &S);

// The shared layout of every complex text, each number written by Format:
// algebraic "re+jim" / "re+imi" (the magnitude 1 left out, a zero imaginary
// part left out) or exponential: the modulus, "e^" and the angle in degrees
// in (-180, 180] ("5e^-j30", "5e^-30i"); a zero angle writes the modulus only.
QString ComplexLayout(const TComplex &Z, const std::function<QString(Extended)> &Format);

void ComplexAdd(const TComplex &A, const TComplex &B, TComplex &C);
void ComplexSub(const TComplex &A, const TComplex &B, TComplex &C);
void ComplexMul(const TComplex &A, const TComplex &B, TComplex &C);
// A divisor of 0 + 0j raises EInvalidOp (0/0).
void ComplexDiv(const TComplex &A, const TComplex &B, TComplex &C);
void ComplexIntPower(const TComplex &Z, quint16 N, TComplex &C);
// The modulus as a real value (ExpForm cleared).
void ComplexAbs(const TComplex &Z, TComplex &C);
