#pragma once
// Checking and evaluating expressions over the complex numbers, and the
// display text of a complex result. The evaluator rewrites the text: every
// complex value stands as a token "[...]" in the layout of KomplexneCisla,
// the innermost bracket pair is evaluated by a recursive call, then "abs",
// "^" (right to left, whole non-negative exponents), "*" and "/", "+" and
// "-" are reduced in passes until one token is left.
#include "core/KomplexneCisla.h"
#include "core/uCommon.h"

#include <QString>

// Set by the caller before each top-level EvaluateComplex; the outermost
// evaluation prepares the text once and clears it.
extern bool ComplexFirstCall;

// Sets Err only on a fault (code and span in Expr as typed). Names is
// FunctionNames(); only "abs" is allowed. Texts of any length are checked:
// positions are not limited to a byte.
void CheckComplexSyntax(const QString &Expr, TCalculationError &Err, const TStringList &Names);
// Value receives the result token (e.g. "[3+j4]"); use it only when
// Err.ErrorCode is 0. Codes 1, 9, 11, 20 and 25 carry no span. Exceptions
// it does not turn into codes (ERangeError for an exponent above 65535,
// EOverflow) reach the caller.
void EvaluateComplex(const QString &Expr, TCalculationError &Err, QString &Value);
// Every number (real part, imaginary magnitude, modulus, angle) written by
// FormatNumber(Decimals, Radix, Scientific, x).
void ComplexToDisplayString(const TComplex &Z, quint8 Decimals, quint8 Radix, QString &S, bool Scientific);

// Wraps every complex literal in "[" and "]": "3+j4" -> "[3]+[j4]",
// "2.5e^-j30" -> "[2.5e^-j30]".
void BracketComplexLiterals(QString &S);
// The operands left and right of the operator at Pos: a whole token, or the
// run of complex literal characters touching Pos.
void ExtractComplexOperands(const QString &S, qsizetype Pos, QString &Left, QString &Right);
// False when Pos lies inside a token.
bool ComplexNotInsideToken(qsizetype Pos, const QString &S);
void ComplexReplaceFirst(QString &S, const QString &Old, const QString &New);
