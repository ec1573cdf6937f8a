// Feeds arbitrary text to the complex, fraction and modulo checkers and
// evaluators, and to the complex and fraction readers. Exceptions of the
// platform's kinds are the evaluators' documented way of passing faults to
// the controller's guard and are accepted; anything else (a crash, a hang,
// a sanitizer report, a foreign exception) is a finding.
//
// Input: byte 0 chooses the number set and the imaginary unit, byte 1 the
// decimal separator and the modulus (with byte 2); the rest is the
// expression in UTF-8, at most 400 bytes (the evaluators are quadratic).
#include "core/KomplexnyAnalyzator.h"
#include "core/ModuloAnalyzator.h"
#include "core/ZlomkovyAnalyzator.h"
#include "core/uProgramState.h"

#include <cstddef>
#include <cstdint>

namespace {

template <typename F>
void Guarded(F &&f)
{
    try {
        f();
    } catch (const Exception &) {}
}

void Complex(const QString &expr)
{
    TCalculationError err;
    CheckComplexSyntax(expr, err, FunctionNames());
    QString value;
    ComplexFirstCall = true;
    TCalculationError eval;
    Guarded([&] { EvaluateComplex(expr, eval, value); });
    if (eval.ErrorCode == 0 && err.ErrorCode == 0) {
        Guarded([&] {
            TComplex z;
            StrToComplex(value, z);
            QString shown;
            ComplexToDisplayString(z, 6, 16, shown, false);
            ComplexToDisplayString(z, 6, 10, shown, true);
        });
    }
    Guarded([&] {
        TComplex z;
        StrToComplex(expr, z);
        QString token;
        ComplexToStr(z, token);
        z.ExpForm = !z.ExpForm;
        ComplexToStr(z, token);
    });
}

void Fraction(const QString &expr)
{
    QString value;
    FractionFirstCall = true;
    TCalculationError eval;
    Guarded([&] { EvaluateFraction(expr, eval, value); });
    if (eval.ErrorCode == 0)
        Guarded([&] {
            QString shown;
            FormatFractionString(value, 2, shown);
        });
    Guarded([&] {
        QString shown;
        FormatFractionString(expr, 10, shown);
    });
    ExpressionHasNoFunction(expr, FunctionNames());
}

void Modulo(const QString &expr, quint16 modulus)
{
    TCalculationError err;
    CheckModuloSyntax(expr, err, FunctionNames());
    QString value;
    ModuloFirstCall = true;
    Modulus = modulus;
    TCalculationError eval;
    Guarded([&] { EvaluateModulo(expr, eval, value); });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3 || size > 403)
        return 0;
    const quint8 mode = data[0];
    const QString expr = QString::fromUtf8(reinterpret_cast<const char *>(data + 3), qsizetype(size - 3));

    ImaginaryUnit = (mode & 4) ? u'i' : u'j';
    ImaginaryUnitChar = ImaginaryUnit;
    ImaginaryUnitFirst = !(mode & 4);
    DecimalSeparator = (data[1] & 1) ? u',' : u'.';
    KProgramState *state = KProgramState::GetInstance(0);

    switch (mode % 4) {
    case 0:
        state->NumberSet = 1;
        Complex(expr);
        break;
    case 1:
        state->NumberSet = 0;
        Fraction(expr);
        break;
    default:
        state->NumberSet = 2;
        // Mostly small moduli, now and then 0, 1 or a large one.
        Modulo(expr, quint16(((data[1] >> 1) | (data[2] << 7)) % ((mode & 8) ? 65535 : 100)));
        break;
    }
    state->SetDefaults();
    return 0;
}
