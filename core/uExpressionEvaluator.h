#pragma once
// Completion of an expression whose closing brackets the user left out.
#include <QString>

class TExpressionEvaluator
{
public:
    // Appends one ")" for every "(" that the text does not close. Every "("
    // counts +1 and every ")" -1 over the whole text, in any order, so ")("
    // and "(1))" stay as they are.
    void CloseBrackets(QString &S) const;
};
