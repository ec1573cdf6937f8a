#pragma once
// Checking and evaluating expressions of modulo arithmetic: residues modulo
// Modulus, "*" and "/" then "+" and "-", division through the modular
// inverse. No functions, powers, factorials or percentages.
#include "core/uCommon.h"

#include <QString>

// The modulus of the running evaluation; the caller copies ModuloBase of the
// live state into it before each top-level EvaluateModulo.
extern quint16 Modulus;
// Set by the caller before each top-level EvaluateModulo; the outermost
// evaluation prepares the text once and clears it.
extern bool ModuloFirstCall;

// Sets Err only on a fault (code and span in Expr as typed). Names is
// FunctionNames(); every function is refused.
void CheckModuloSyntax(const QString &Expr, TCalculationError &Err, const TStringList &Names);
// Value receives the residue in decimal without brackets (e.g. "3"); use it
// only when Err.ErrorCode is 0. Codes 1, 9, 11 and 25 (a division by a number
// without inverse, a modulus of 0) carry no span. An operand above 65535
// reaches the caller as ERangeError, an unreadable lone operand as
// EConvertError.
void EvaluateModulo(const QString &Expr, TCalculationError &Err, QString &Value);

// "[n]" read as a whole number; ERangeError outside 0..65535, EConvertError
// for unreadable text.
quint16 ModuloTokenToWord(const QString &S);
// X truncated and reduced into 0..Modulus-1 (EDivByZero for a modulus of 0).
quint16 ReduceModulo(Extended X);
// A / B modulo Modulus; raises EDivByZero "Division by zero" when B has no
// inverse (B is 0 modulo Modulus, or shares a factor with it).
quint16 ModuloDivide(quint16 A, quint16 B);
void ModuloReplaceFirst(QString &S, const QString &Old, const QString &New);
