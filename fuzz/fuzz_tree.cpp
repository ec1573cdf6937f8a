// Arbitrary text through the expression tree: parsing (with and without
// kept groups), printing, dependence, the derivative and the folding. A
// refusal (EVyrazError) is the tree's answer; a crash, a sanitizer report,
// any other exception or a hang is a finding, and so is a broken promise:
// what the tree prints must read back and print the same, and a derivative
// must read back as an expression unless it is too long or too deep.
//
// The first byte chooses the surroundings: bit 0 kept groups, bit 1 the
// decimal separator ",", bits 2-3 the variable (x, y, X or none).
#include "fuzz/FuzzInput.h"
#include "tools/model/uVyraz.h"

#include "platform/SysUtils.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void Fail(const char *What, const QString &Text)
{
    std::fprintf(stderr, "%s: %s\n", What, Text.left(200).toUtf8().constData());
    std::abort();
}

bool TooBig(const EVyrazError &e)
{
    return e.Fault() == TVyrazFault::TooLong || e.Fault() == TVyrazFault::TooDeep;
}

void Exercise(const QString &Text, bool KeepGroups, const QString &Variable)
{
    TVyraz tree;
    try {
        tree.Parse(Text, VyrazKind::Root, KeepGroups);
    } catch (const EVyrazError &) {
        if (tree.Kind() != VyrazKind::Empty)
            Fail("a refused text left a tree", Text);
        return;
    }

    // Brackets a sum or a difference does not need are left out, so
    // x+(y-1) prints as x+y-1, which reads back grouped the other way and
    // prints as (x+y)-1: the same value. From the second printing on the
    // text stays as it is.
    const QString printed = tree.ToText();
    try {
        TVyraz again;
        again.Parse(printed, VyrazKind::Root, KeepGroups);
        const QString second = again.ToText();
        TVyraz third;
        third.Parse(second, VyrazKind::Root, KeepGroups);
        if (third.ToText() != second)
            Fail("printing is not stable", Text);
    } catch (const EVyrazError &e) {
        if (!TooBig(e))
            Fail("the printed text does not read back", Text);
    }

    tree.IsConstant(Variable);
    try {
        const QString derivative = tree.Derivative(Variable);
        try {
            TVyraz::CreateFromText(derivative);
        } catch (const EVyrazError &e) {
            if (!TooBig(e))
                Fail("the derivative does not read back", Text);
        }
    } catch (const EVyrazError &e) {
        if (e.Fault() != TVyrazFault::CannotDifferentiate && e.Fault() != TVyrazFault::ResultTooLong)
            Fail("the derivative failed oddly", Text);
    }
    tree.EvaluateToText();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::optional<TFuzzInput> input = ReadFuzzInput(data, size);
    if (!input)
        return 0;
    const auto &[mode, text] = *input;
    static const QString variables[] = {QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("X"), QString()};
    DecimalSeparator = (mode & 2) ? u',' : u'.';
    Exercise(text, mode & 1, variables[mode >> 2 & 3]);
    DecimalSeparator = u'.';
    return 0;
}
