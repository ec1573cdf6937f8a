#include "core/uExpressionEvaluator.h"

void TExpressionEvaluator::CloseBrackets(QString &S) const
{
    // The balance is taken over the whole text: a ")" standing before its
    // "(" still cancels it, so nothing is appended for ")(".
    qsizetype depth = 0;
    for (const QChar c : S) {
        if (c == u'(')
            ++depth;
        else if (c == u')')
            --depth;
    }
    if (depth > 0)
        S.append(QString(depth, u')'));
}
