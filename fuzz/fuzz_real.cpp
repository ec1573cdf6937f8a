// Arbitrary text through the real syntax checker and, when it passes, the
// real evaluator, the way the calculator runs a calculation; also through
// the base conversion before it, the prepared evaluation of the graph and
// the display formatting after it. Codes and the calculator's own exception
// classes are the engine's answers; a crash, a sanitizer report, any other
// exception or a hang is a finding.
//
// The first byte chooses the surroundings: bit 0 the decimal separator,
// bits 1-2 the angle unit, bit 3 a few user variables, bits 4-5 the numeral
// system the text is typed in, bit 6 the prepared evaluation.
#include "core/Analyzator.h"
#include "core/PrevodySustav.h"
#include "core/uCommon.h"
#include "core/uProgramState.h"
#include "core/uVariableManager.h"
#include "fuzz/FuzzInput.h"

#include <cstddef>
#include <cstdint>

namespace {

void Evaluate(const QString &typed, quint8 radix)
{
    TCalculationError err;
    QString text = typed;
    CheckRealSyntax(text, err, FunctionNames());
    if (err.ErrorCode != 0)
        return;
    if (radix != 10) {
        ConvertExpressionBase(radix, 10, QChar(0), text, err);
        if (err.ErrorCode != 0)
            return;
    }
    RealPreprocessed = false;
    QString value;
    EvaluateReal(text, err, FunctionNames(), value);
    if (err.ErrorCode != 0)
        return;
    value.remove(u'[');
    value.remove(u']');
    Extended x;
    if (TryStrToFloat(value, x))
        FormatNumber(6, radix, false, x);
}

void EvaluatePrepared(const QString &typed)
{
    QString prepared = typed;
    PrepareExpression(prepared, QStringLiteral("x"));
    for (const Extended point : {Extended(2), Extended(-0.5L), Extended(0), Extended(1e-30L)}) {
        Extended y;
        EvaluatePreparedAt(prepared, QStringLiteral("x"), point, y);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::optional<TFuzzInput> input = ReadFuzzInput(data, size);
    if (!input)
        return 0;
    const auto &[mode, text] = *input;
    static const quint8 radixes[] = {10, 2, 8, 16};

    DecimalSeparator = (mode & 1) ? u',' : u'.';
    KProgramState *state = KProgramState::GetInstance(0);
    state->SetDefaults();
    state->AngleMode = (mode >> 1 & 3) % 3;
    TVariableManager *variables = TVariableManager::Instance();
    variables->Clear();
    if (mode & 8) {
        variables->SetValue(QStringLiteral("x"), QStringLiteral("2"));
        variables->SetValue(QStringLiteral("y"), QStringLiteral("-0.5"));
        variables->SetValue(QStringLiteral("ab"), QString());
    }

    try {
        if (mode & 64) {
            EvaluatePrepared(text);
        } else {
            ExpressionValid = true;
            Evaluate(text, radixes[mode >> 4 & 3]);
        }
    } catch (const Exception &) {
        // A fault the engine passes on to the calculation controller.
    }
    ExpressionValid = true;
    return 0;
}
