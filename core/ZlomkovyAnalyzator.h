#pragma once
// Exact evaluation of a real-mode expression as a fraction (fraction mode).
// The same text rewriting as the real evaluator with fraction tokens
// "[n|d]"; no functions and no logical operators.
#include "core/Zlomky.h"
#include "core/uCommon.h"

#include <QString>

// Set by the caller before each top-level EvaluateFraction; the outermost
// evaluation prepares the text once and clears it.
extern bool FractionFirstCall;

// True when no name of Names occurs in Expr (plain substring search, letter
// case as typed).
bool ExpressionHasNoFunction(const QString &Expr, const TStringList &Names);
// Value receives the reduced result token (e.g. "[+1|2]"); use it only when
// Err.ErrorCode is 0. Codes set: 1, 9, 11, 20, 24, 25, 27, 28, all without
// span; 20 for a result whose lowest terms leave the signed 64-bit range
// (or an intermediate one beyond 128 bits).
void EvaluateFraction(const QString &Expr, TCalculationError &Err, QString &Value);
// False when Pos lies inside a token (the "+" of "[+3|4]").
bool FractionNotInsideToken(qsizetype Pos, const QString &S);
