#include "tools/model/uCyklickeVypocty.h"

#include "core/Analyzator.h"
#include "platform/FloatMath.h"

void TCyklickeVypocty::SetExpression(const QString &Text)
{
    Expression = Text.isEmpty() ? QStringLiteral("0") : Text;
    PrepareExpression(Expression, VariableName);
}

void TCyklickeVypocty::SetVariableName(const QString &Name)
{
    VariableName = Name;
}

void TCyklickeVypocty::Calculate(qint64 From, qint64 To, QString &ResultText, bool IsProduct, TCalculationError &Err)
{
    Err = TCalculationError();
    const bool preprocessed = RealPreprocessed;
    Extended acc = IsProduct ? 1 : 0;
    for (qint64 i = From; i <= To && Err.ErrorCode == 0; ++i) {
        Extended value;
        if (EvaluatePreparedAt(Expression, VariableName, Extended(i), value, Err) != 0)
            break;
        try {
            acc = IsProduct ? FMul(acc, value) : FAdd(acc, value);
        } catch (...) {
            ClassifyCurrentException(Err);
        }
    }
    RealPreprocessed = preprocessed;
    Result = acc;
    ResultText = FormatFloat(QStringLiteral("0.##############################E-0"), acc);
}
