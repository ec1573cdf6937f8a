// Arbitrary text through the two-dimensional layout with fixed text sizes.
// A refusal (EVyrazError) is the layout's answer; a crash, a sanitizer
// report, any other exception or a hang is a finding, and so is a drawn
// node outside its parent's box, a negative size, or a layout that changes
// when it is measured again or moved.
//
// The first byte is the root's font size.
#include "fuzz/FuzzInput.h"
#include "tools/model/uGrafickyVyraz.h"

#include "tests/support/FixedTextMetrics.h"

#include <QList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

void Fail(const char *What, const QString &Text)
{
    std::fprintf(stderr, "%s: %s\n", What, Text.left(200).toUtf8().constData());
    std::abort();
}

// The children a node draws: a root form draws its base, the exponent's
// numerator unless it is 1 and the index unless it is 2 or 1.
QList<const TGrafickyVyraz *> Drawn(const TGrafickyVyraz *Node)
{
    QList<const TGrafickyVyraz *> children;
    if (Node->IsRootForm()) {
        children << Node->Left();
        auto leaf = [](const TGrafickyVyraz *N, const char *S) {
            const TGrafickyVyraz *c = N->IsBareGroup() ? N->Left() : N;
            return c->Kind() == VyrazKind::Leaf && c->Text() == QLatin1String(S);
        };
        if (!leaf(Node->RootNumerator(), "1"))
            children << Node->RootNumerator();
        if (!leaf(Node->RootIndex(), "1") && !leaf(Node->RootIndex(), "2"))
            children << Node->RootIndex();
        return children;
    }
    for (const TGrafickyVyraz *child : {Node->Left(), Node->Right()})
        if (child)
            children << child;
    return children;
}

QList<QRect> Boxes(const TGrafickyVyraz *Root)
{
    QList<QRect> boxes;
    QList<const TGrafickyVyraz *> pending{Root};
    while (!pending.isEmpty()) {
        const TGrafickyVyraz *node = pending.takeLast();
        boxes << node->Box();
        for (const TGrafickyVyraz *child : {node->Left(), node->Right()})
            if (child)
                pending << child;
    }
    return boxes;
}

void Check(const TGrafickyVyraz *Root, const QString &Text)
{
    QList<const TGrafickyVyraz *> pending{Root};
    while (!pending.isEmpty()) {
        const TGrafickyVyraz *node = pending.takeLast();
        if (node->Width() < 0 || node->Height() < 0)
            Fail("a negative size", Text);
        if (node->FontSize() < TGrafickyVyraz::MinFontSize)
            Fail("a font below the smallest size", Text);
        for (const TGrafickyVyraz *child : Drawn(node)) {
            if (!child->Box().isEmpty() && !node->Box().contains(child->Box()))
                Fail("a child outside its parent", Text);
            pending << child;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::optional<TFuzzInput> input = ReadFuzzInput(data, size);
    if (!input)
        return 0;
    const auto &[mode, text] = *input;
    const int fontSize = mode % 40;
    const FixedTextMetrics metrics;
    std::unique_ptr<TGrafickyVyraz> formula;
    try {
        formula = TGrafickyVyraz::Create(text, 5, 5, fontSize);
        formula->Measure(metrics);
    } catch (const EVyrazError &) {
        return 0;
    }
    Check(formula.get(), text);
    const QList<QRect> first = Boxes(formula.get());
    formula->Measure(metrics);
    if (Boxes(formula.get()) != first)
        Fail("measuring again changes the layout", text);
    formula->MoveBy(7, -3);
    const QList<QRect> moved = Boxes(formula.get());
    for (qsizetype i = 0; i < first.size(); ++i)
        if (moved[i] != first[i].translated(7, -3))
            Fail("moving changes the shape", text);
    return 0;
}
