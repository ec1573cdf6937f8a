#pragma once
// The real-number engine: the syntax checker, the evaluator and its function
// library. The evaluator works on text: after a one-time preprocessing every
// number is a token "[x]", and each step computes one operation and writes
// its result back as a new token, until one token is left. Every
// intermediate result is therefore rounded to the precision of its token
// text, which is part of the results the calculator shows.
#include "core/uCommon.h"
#include "platform/SysUtils.h"

#include <QChar>
#include <QString>
#include <QtGlobal>

// Gate of the evaluator: EvaluateReal does nothing while it is false.
// Cleared by the syntax checker at its start and by every arithmetic error
// of an operator; set by a clean check and by every successful evaluation.
extern bool ExpressionValid;
// The evaluated text has already been preprocessed (blanks removed,
// variables and constants substituted, numbers bracketed, implicit
// multiplication inserted). Top-level callers clear it; nested evaluations
// of bracket contents find it set.
extern bool RealPreprocessed;

// ------------------------------------------------------------ syntax check

// Reports the first fault of a typed expression with its span in the typed
// text (blanks included). ErrorCode 0 means the text may be evaluated.
// Names is the function-name list.
void CheckRealSyntax(const QString &expr, TCalculationError &err, const TStringList &names);

// --------------------------------------------------------------- evaluator

// Evaluates Expr; on success Value receives the result token and ErrorCode
// is 0. Some faults are passed on as exceptions (EConvertError, EDivByZero,
// EInvalidOp, EZeroDivide, EOverflow): see the evaluator's documentation in
// Analyzator.cpp.
void EvaluateReal(const QString &expr, TCalculationError &err, const TStringList &names, QString &value);

// One-time preparation of an expression whose variable Name receives a value
// later, evaluation by evaluation: afterwards the variable stands as the
// token "[name]", for ReplaceWholeWord(s, name, value text).
void PrepareExpression(QString &s, const QString &name);
// One point of a prepared expression (the graph's samples, the series'
// terms): the gate is opened, the token of Name receives X (in the current
// decimal separator) and the text is evaluated. Returns 0 with the value in
// Y, or the error code; an exception that escapes the evaluator becomes its
// code (ClassifyCurrentException), so one bad point never ends the caller's
// loop.
quint8 EvaluatePreparedAt(const QString &prepared, const QString &name, Extended x, Extended &y);
// The same, with the error record of a failed point in Err (its texts for
// the message; no faulty part, since positions in the prepared text mean
// nothing to the user).
quint8 EvaluatePreparedAt(const QString &prepared, const QString &name, Extended x, Extended &y,
                          TCalculationError &err);
// Puts Value in place of every whole-word occurrence of Word (letter case
// ignored; the text is lower-cased).
void ReplaceWholeWord(QString &s, const QString &word, const QString &value);
// Replaces the first (or last) occurrence of Old by New, then tidies the
// signs (CollapseSigns) and removes a leading "+". Nothing happens when Old
// does not occur.
void ReplaceOccurrence(QString &s, const QString &oldText, const QString &newText, bool fromEnd);

// "[" + X in the general float format (15 significant digits) + "]".
QString NumberToToken(Extended x);
// "[" + X with at most 17 decimals and no exponent + "]"; the general
// format for magnitudes of 1E18 and above, infinities and NaN.
QString FunctionResultToToken(Extended x);
// Start of the last occurrence of Sub in S, -1 when none.
qsizetype LastPos(const QString &sub, const QString &s);
// The operand texts around the first (or last) occurrence of Op: Left from
// the nearest "[" before it, Right through the next "]" after it.
void ExtractOperands(const QString &s, const QString &op, QString &left, bool fromEnd, QString &right);
// R := A op B for "+", "-", "*", "/" and "!" (A!); arithmetic faults become
// codes 20, 24 and 25 and clear ExpressionValid.
void ApplyOperator(Extended &r, QChar op, TCalculationError &err, Extended a, Extended b);
// Deletes the "+" of "/+", "*+", "++", "-+", "nad+", "div+", "mod+".
void CollapseSigns(QString &s);
// False when position Pos lies inside a number token.
bool NotInsideToken(qsizetype pos, const QString &s);

// -------------------------------------------------------- function library

// R := the function Name of X; invalid operations and divisions by zero are
// code 22 (ErrorText the argument, ErrorName the function), overflows code
// 23 (ErrorText the function).
void ApplyFunction(const QString &name, Extended &r, TCalculationError &err, Extended x);
// Between the angle unit of the live calculator state and radians.
Extended AngleToRadians(Extended x);
Extended RadiansToAngle(Extended x);
// Sexagesimal degrees written D.MMSS <-> decimal degrees.
Extended DmsToDegrees(Extended x);
Extended DegreesToDms(Extended x);
// Stirling-type approximation of the Gamma function.
Extended Gamma(Extended x);
// Base^Exponent: whole exponents by repeated squaring, others through
// exp(Exponent * ln Base). Raises EInvalidOp, EZeroDivide or EOverflow.
Extended Power(Extended base, Extended exponent);
