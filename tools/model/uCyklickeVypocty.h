#pragma once
// The sum or the product of an expression over a whole-number variable
// running from a lower to an upper bound, e.g. the sum of 1/n^2 for n from 1
// to 100. The expression is prepared once (constants and user variables
// substituted, numbers made tokens) and each term is one evaluation of the
// prepared text with the variable's value put in, by the real evaluator.
#include "core/uCommon.h"
#include "platform/SysUtils.h"

#include <QString>

class TCyklickeVypocty
{
public:
    // The prepared expression and the running variable.
    QString Expression = QStringLiteral("0");
    QString VariableName = QStringLiteral("n");

    // Prepares Text ("0" when empty) with the user variables' values of this
    // moment; set the variable's name first.
    void SetExpression(const QString &text);
    void SetVariableName(const QString &name);

    // Sums (or multiplies) the terms for the variable from From to To; with
    // From above To no term runs (a sum gives 0, a product 1). The first
    // failing term stops the loop with its code in Err (an overflow of the
    // running sum or product is code 20). ResultText is the value reached, in
    // the exponent form "0.##############################E-0", also after an
    // error; Result the same as a number.
    void Calculate(qint64 from, qint64 to, QString &resultText, bool isProduct, TCalculationError &err);
    Extended Result = 0;
};
