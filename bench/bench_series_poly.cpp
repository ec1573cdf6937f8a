// Speed of the series and polynomial models: the longest series the window
// runs (2,999 terms) must take well under a blink, and the five-letter sum
// raised to 30 (46,376 terms) must compute and print well under a second.
// Every run checks its result, so a faster model that computes something
// else fails here.
#include "core/uProgramState.h"
#include "core/uVariableManager.h"
#include "shell/uUpDown.h"
#include "tools/fMnohocleny.h"
#include "tools/model/uCyklickeVypocty.h"
#include "tools/model/uPolynomy.h"

#include "bench/BenchMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

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

// One click of "P^n" in the polynomials window with P = a+b+c+d+e and n = 30,
// from the press to the result on screen: the power, the picture, the result
// text in its edit and the window painted. "stall_ms" is the longest time in
// the click that the window's event loop could not run (a timer of interval
// 0 measures the gaps), that is how long the window was frozen.
void BM_PolynomPower30Drawn(benchmark::State &state)
{
    DecimalSeparator = u'.';
    TmnohoclenyFrm window;
    window.resize(700, 450);
    window.show();
    auto *p = window.findChild<QLineEdit *>(QStringLiteral("pEdt"));
    auto *result = window.findChild<QLineEdit *>(QStringLiteral("vysEdt"));
    auto *power = window.findChild<QPushButton *>(QStringLiteral("umocniPBtn"));
    window.findChild<TUpDown *>(QStringLiteral("UpDown1"))->SetPosition(30);
    p->setText(QStringLiteral("a+b+c+d+e"));
    // The focus arrives with the first events and previews P: before the
    // clicks, not in between.
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer tick;
    tick.setInterval(0);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    double stalls = 0;
    const auto click = [&] {
        tick.start();
        clock.start();
        last = longest = 0;
        power->click();
        // The click is over when the result stands in its edit.
        while (window.Busy())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
        benchmark::DoNotOptimize(window.grab());
        QCoreApplication::processEvents();
        tick.stop();
        stalls += double(longest) / 1e6;
    };
    click();
    if (window.PolynomP().Count() != 46376 || !result->text().startsWith(QStringLiteral("a^30+30a^29b+"))
        || window.Picture().Width() < 1000000) {
        state.SkipWithError(qPrintable(QStringLiteral("%1 terms, %2 px: %3")
                                           .arg(window.PolynomP().Count())
                                           .arg(window.Picture().Width())
                                           .arg(result->text().left(40))));
        return;
    }
    stalls = 0;
    for (auto _ : state)
        click();
    state.counters["stall_ms"] = benchmark::Counter(stalls, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_PolynomPower30Drawn)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return RunBenchmarks<QApplication>(argc, argv);
}
