// Two arbitrary texts P and Q (split at the first line feed) through the
// polynomial model the way the polynomials window uses it: the letter count
// and the notation check first, then the parse and one operation, then the
// printing. The model's refusals of too big a value or result are its
// answers; a crash, a sanitizer report, any other exception (a text that
// passed the check and still cannot be read, for one) or a hang is a finding.
//
// The first byte chooses the surroundings: bit 0 the decimal separator,
// bits 1-3 the operation (sum, difference, product, quotient, power,
// Horner scheme), bits 4-7 the power's exponent (2 to 5) or the Horner
// scheme's point. So that a run stays short under the sanitizers, the power
// is small and the model refuses results at a twentieth of its own size
// limits (a quotient of 100,000 terms takes seconds there); the limits
// themselves are tested with the model.
#include "fuzz/FuzzInput.h"
#include "tools/model/uPolynomy.h"

#include <cstddef>
#include <cstdint>

namespace {

void Run(quint8 Operation, int Parameter, const QString &P, const QString &Q)
{
    if (TPolynom::LetterCount(P + Q) > PolynomVariableCount || !TPolynom::CheckSyntax(P) || !TPolynom::CheckSyntax(Q))
        return;
    TPolynom p, q, result;
    p.Parse(P, TPolynom::FreshVariables(), false, true);
    q.Parse(Q, p.Vars, false, true);
    switch (Operation) {
    case 0:
    case 1:
        result.Parse(P, TPolynom::FreshVariables(), false, true);
        result.Parse(Q, result.Vars, Operation == 1, false);
        break;
    case 2:
        TPolynom::Multiply(p, q, result);
        break;
    case 3: {
        if (q.IsZero())
            return;
        TPolynom d, n, r;
        d.Parse(Q, TPolynom::FreshVariables(), false, true);
        n.Parse(P, d.Vars, false, true);
        TPolynom::Divide(n, d, r, result);
        r.ToText();
        break;
    }
    case 4:
        result.Assign(p);
        result.Power(2 + (Parameter & 3));
        break;
    default:
        if (TPolynom::LetterCount(Q) > 1 || !q.HasNoNegativeExponent() || q.MaxExponent() > 10)
            return;
        q.HornerScheme(Extended(Parameter) / 4 - 2);
        return;
    }
    result.ToText();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::optional<TFuzzInput> input = ReadFuzzInput(data, size);
    if (!input)
        return 0;
    const auto &[mode, text] = *input;
    const qsizetype split = text.indexOf(u'\n');
    const QString p = split < 0 ? text : text.left(split);
    const QString q = split < 0 ? QString() : text.mid(split + 1);
    DecimalSeparator = (mode & 1) ? u',' : u'.';
    const TPolynomLimitScope limits(MaxPolynomTerms / 20, MaxTermProducts / 20);
    try {
        Run((mode >> 1 & 7) % 6, mode >> 4, p, q);
    } catch (const EOverflow &) {
    } catch (const EInvalidOp &) {
    } catch (const EIntOverflow &) {
    } catch (const EPolynomTooLarge &) {
        // Too high a value or too big a result: the window's "value too
        // high".
    }
    return 0;
}
