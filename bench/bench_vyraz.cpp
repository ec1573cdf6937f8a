// Speed of the expression tree: parse plus derivative of a 2,000-character
// expression (the figure to meet: under 5 ms), the printing and folding of
// the same tree, and the deepest tower x^x^...^x. Each run checks that the
// derivative is the one the tree gives for that text, so a faster tree that
// computes less fails here.
#include "tools/model/uVyraz.h"

#include <benchmark/benchmark.h>

namespace {

// A sum of mixed terms: products, quotients, powers, functions of inner
// expressions and signs, about 2,000 characters long.
QString LongExpression()
{
    const QString terms[] = {
        QStringLiteral("3*x^2*sin(2*x+1)/(x^2+1)"), QStringLiteral("-ln(x^2+4)*cos(x)^3"),
        QStringLiteral("2^x*arctg(x/3)"),           QStringLiteral("sqrt(1+x^4)/(x-5)"),
        QStringLiteral("x^x*exp(-x^2/2)"),          QStringLiteral("1e-3*x^-2*tanh(x)"),
    };
    QString text;
    for (int i = 0; text.size() < 2000; ++i)
        text += (i == 0 ? QString() : i % 3 == 2 ? QStringLiteral("-") : QStringLiteral("+")) + terms[i % 6];
    return text;
}

void BM_ParseAndDerivative(benchmark::State &state)
{
    const QString text = LongExpression();
    const QString expected = TVyraz::CreateFromText(text)->Derivative(QStringLiteral("x"));
    qsizetype size = 0;
    for (auto _ : state) {
        const QString derivative = TVyraz::CreateFromText(text)->Derivative(QStringLiteral("x"));
        size = derivative.size();
        if (derivative != expected) {
            state.SkipWithError("the derivative changed between runs");
            break;
        }
    }
    state.counters["input"] = double(text.size());
    state.counters["output"] = double(size);
}
BENCHMARK(BM_ParseAndDerivative)->Unit(benchmark::kMillisecond);

void BM_PrintAndFold(benchmark::State &state)
{
    const auto tree = TVyraz::CreateFromText(LongExpression());
    for (auto _ : state) {
        benchmark::DoNotOptimize(tree->ToText());
        benchmark::DoNotOptimize(tree->EvaluateToText());
    }
}
BENCHMARK(BM_PrintAndFold)->Unit(benchmark::kMillisecond);

// The deepest tower x^x^...^x: every level prints the levels above it, so a
// tree that built each level's text anew would copy the text once per
// level. Folded whole, the derivative refused as too long.
void BM_DeepTower(benchmark::State &state)
{
    QString text = QStringLiteral("x");
    for (int i = 1; i < TVyraz::MaxTreeDepth - 10; ++i)
        text += QStringLiteral("^x");
    for (auto _ : state) {
        const auto tree = TVyraz::CreateFromText(text);
        benchmark::DoNotOptimize(tree->EvaluateToText());
        try {
            tree->Derivative(QStringLiteral("x"));
            state.SkipWithError("the derivative of the tower was given");
            break;
        } catch (const EVyrazError &) {}
    }
    state.counters["input"] = double(text.size());
}
BENCHMARK(BM_DeepTower)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
