// Speed of the polynomial model: the fifth power of a five-letter sum raised
// to 30 has 46,376 terms; computing and printing it must stay well under a
// second. Every run checks its result, so a faster model that computes
// something else fails here.
#include "tools/model/uPolynomy.h"

#include <benchmark/benchmark.h>

namespace {

void BM_PolynomPower30(benchmark::State &state)
{
    DecimalSeparator = u'.';
    const auto compute = [] {
        TPolynom p;
        p.Parse(QStringLiteral("a+b+c+d+e"), TPolynom::FreshVariables(), false, true);
        p.Power(30);
        return std::make_pair(p.Count(), p.ToText());
    };
    const auto first = compute();
    if (first.first != 46376 || !first.second.startsWith(QStringLiteral("a^30+30a^29b+"))) {
        state.SkipWithError(qPrintable(QStringLiteral("%1 terms: %2").arg(first.first).arg(first.second.left(40))));
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(compute());
}
BENCHMARK(BM_PolynomPower30)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
