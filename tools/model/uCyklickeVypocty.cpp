#include "tools/model/uCyklickeVypocty.h"

#include "core/Analyzator.h"
#include "platform/FloatMath.h"

void TCyklickeVypocty::SetExpression(const QString &text)
{
    Expression = text.isEmpty() ? QStringLiteral("0") : text;
    PrepareExpression(Expression, VariableName);
}

void TCyklickeVypocty::SetVariableName(const QString &name)
{
    VariableName = name;
}

void TCyklickeVypocty::Calculate(qint64 from, qint64 to, QString &resultText, bool isProduct, TCalculationError &err)
{
    err = TCalculationError();
    const bool preprocessed = RealPreprocessed;
    Extended acc = isProduct ? 1 : 0;
    for (qint64 i = from; i <= to && err.ErrorCode == 0; ++i) {
        Extended value;
        if (EvaluatePreparedAt(Expression, VariableName, Extended(i), value, err) != 0)
            break;
        try {
            acc = isProduct ? FMul(acc, value) : FAdd(acc, value);
        } catch (...) {
            ClassifyCurrentException(err);
        }
    }
    RealPreprocessed = preprocessed;
    Result = acc;
    resultText = FormatFloat(QStringLiteral("0.##############################E-0"), acc);
}
