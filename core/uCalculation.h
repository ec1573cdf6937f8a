#pragma once
// The road of one calculation, free of any window: the typed text goes in,
// the display text (or the filled error record) comes out. The controller
// (KMainProgram::Calculate) runs it and applies the outcome to the windows;
// tests, benchmarks and the self-test window drive calculations through it.
//
// What it reads: the live calculator state (KProgramState instance 0:
// number set, numeral system, fractions, decimals, modulus), the settings
// (scientific notation), the user variables (TVariableManager) and the
// user constants (ConstantItems of core/uCommon.h; while it is not set,
// every "$" name is unknown).
//
// What it changes: the variables of the expression are registered (new ones
// empty); on success the state's LastExpression := Input, Ans := the answer
// text and JustCalculated := true. A failed calculation changes nothing else.
#include "core/uCommon.h"

#include <QString>

struct TCalculationOutcome
{
    // ErrorCode 0: success. Otherwise the code with the faulty part of Input
    // (ErrorStart characters before it, ErrorEnd its last position; 0 and 0
    // when unknown).
    TCalculationError Error;
    // The result as the display shows it ("14", "1 234.5", "3 / 4", "1+j2").
    QString DisplayText;
    // The previous answer as stored in Ans: DisplayText, in complex mode
    // enclosed in "(" and ")".
    QString AnswerText;
    // The history line: Input, " = ", AnswerText and, when variables occur,
    // " [" + "name=value;" per variable + "]".
    QString HistoryLine;
    // A variable lacks a value (or has an unreadable one): the variables
    // window should open so that the user can enter it.
    bool VariableValueMissing = false;

    bool Ok() const { return Error.ErrorCode == 0; }
};

// The whole calculation of Input as typed (closing brackets already added by
// the caller when the setting asks for them). Never raises: exceptions that
// escape the engine become code 20 (invalid floating-point operation or
// overflow),
// 25 (integer division by zero) or 29 (anything else), without faulty part.
TCalculationOutcome CalculateExpression(const QString &Input);

// Every "$" name of Expr must be the identifier of a user constant
// (ConstantItems, compared exactly). An unknown one gives code 19 with the
// name as ErrorText and its span in Expr as typed (blanks included).
void CheckConstants(const QString &Expr, TCalculationError &Err);

// Every variable of Expr except Exempt becomes known to TVariableManager,
// with an empty value when it is new.
void RegisterVariables(const QString &Expr, const QString &Exempt);

// Every variable of Expr except Exempt must have a value that can be read
// (code 15 when empty, 31 when unreadable) and that suits the live number set
// (code 17); ErrorText is the variable's name (not for 15), no faulty part.
// On an error ExpressionValid is cleared.
void CheckVariableValues(const QString &Expr, TCalculationError &Err, const QString &Exempt);

// ConvertExpressionBase (core/PrevodySustav.h) that leaves every "$" name
// as it stands: in base 16 the "e" of "$e" would otherwise become 14.
void ConvertExpressionBaseKeepingConstants(quint8 FromRadix, quint8 ToRadix, QChar Extra, QString &S,
                                           TCalculationError &Err);

// The raw result token made plain: blanks, the first "[" and the first "]"
// removed; an empty text becomes "0".
void CleanResultText(QString &S);

// "name=value;" for each variable of Expr, in the order they occur.
QString GetVariableValuesText(const QString &Expr);

// The checks that come before handing an expression to the graph,
// derivatives or series-sum window: an empty (blank) Text gives EmptyCode;
// then the real syntax check, the constant check and, outside decimal, the
// conversion of its numbers to decimal (Text is changed in place); with
// CheckVariables every variable but "x" is registered and must have a value
// (VariableValueMissing is then set on its error).
struct THandOverCheck
{
    TCalculationError Error;
    bool VariableValueMissing = false;
    bool Ok() const { return Error.ErrorCode == 0; }
};
THandOverCheck CheckHandOverExpression(QString &Text, int EmptyCode, bool CheckVariables);

// The text the expression preview is given for the typed Input: "0" for an
// empty input, "???" for one the real syntax check refuses, otherwise the
// input without blanks and with its omitted multiplication signs written.
QString PreviewText(const QString &Input);
