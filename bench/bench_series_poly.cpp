// Speed of the series and polynomial models: the longest series the window
// runs (2,999 terms) must take well under a blink, and the five-letter sum
// raised to 30 (46,376 terms) must compute and print well under a second.
// Every run checks its result, so a faster model that computes something
// else fails here.
#include "core/uProgramState.h"
#include "core/uVariableManager.h"
#include "tools/model/uCyklickeVypocty.h"
#include "tools/model/uPolynomy.h"

#include "bench/BenchMain.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cmath>

#include <benchmark/benchmark.h>

namespace {

void BM_SeriesSum2999Terms(benchmark::State &state)
{
    DecimalSeparator = u'.';
    KProgramState::GetInstance(0)->SetDefaults();
    TVariableManager::Instance()->Clear();
    const auto compute = [] {
        TCyklickeVypocty calc;
        calc.SetVariableName(QStringLiteral("n"));
        calc.SetExpression(QStringLiteral("1/n^2"));
        QString text;
        TCalculationError err;
        calc.Calculate(1, 2999, text, false, err);
        return err.ErrorCode == 0 ? calc.Result : Extended(-1);
    };
    // The sum of 1/n^2 to 2,999, within the rounding of its terms.
    const Extended sum = compute();
    if (std::fabs(sum - 1.64460067795317L) > 1e-12L) {
        state.SkipWithError(qPrintable(QStringLiteral("the sum is %1").arg(double(sum), 0, 'g', 17)));
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(compute());
}
BENCHMARK(BM_SeriesSum2999Terms)->Unit(benchmark::kMillisecond);

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

// What the window does after the power: the 46,376 terms laid out as text
// pieces and the visible part of the picture painted.
void BM_PolynomPower30Drawn(benchmark::State &state)
{
    DecimalSeparator = u'.';
    TPolynom p;
    p.Parse(QStringLiteral("a+b+c+d+e"), TPolynom::FreshVariables(), false, true);
    p.Power(30);
    QImage view(700, 60, QImage::Format_RGB32);
    for (auto _ : state) {
        TPolynomImage image;
        int x = 5;
        p.Draw(image, x, true, QStringLiteral("P = "));
        view.fill(Qt::white);
        QPainter painter(&view);
        image.Paint(painter, view.rect(), Qt::black);
        benchmark::DoNotOptimize(image.Width());
    }
}
BENCHMARK(BM_PolynomPower30Drawn)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return RunBenchmarks<QGuiApplication>(argc, argv);
}
