// The road of one calculation: typed text in, display text out.
#include "core/uCalculation.h"

#include "core/uProgramSettings.h"
#include "core/uProgramState.h"
#include "core/uVariableManager.h"

#include <QFile>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void Prepare()
{
    KProgramSettings::Instance()->SetDefaults();
    KProgramSettings::Instance()->SetDecimalSeparator(1);
    KProgramState::GetInstance(0)->SetDefaults();
    TVariableManager::Instance()->Clear();
}

void Road(benchmark::State &state, const QString &input, const QString &expected)
{
    Prepare();
    const TCalculationOutcome first = CalculateExpression(input);
    if (!first.Ok() || first.DisplayText != expected) {
        state.SkipWithError("unexpected result");
        return;
    }
    for (auto _ : state) {
        TCalculationOutcome out = CalculateExpression(input);
        benchmark::DoNotOptimize(out.DisplayText);
    }
}

void BM_RoadShort(benchmark::State &state)
{
    Road(state, QStringLiteral("2+3*4"), QStringLiteral("14"));
}

void BM_RoadSixtyCharacters(benchmark::State &state)
{
    // 60 characters: brackets, functions, powers, decimals and a negative.
    static const QString input = QStringLiteral("(12.5+3*4)/2-sin(30)+ln(10)*2^3-sqrt(16)+abs(-7)*3.25-1/8+90");
    Prepare();
    const QString expected = CalculateExpression(input).DisplayText;
    Road(state, input, expected);
}

// A working day's worth of typing in one go: 20,000 mixed expressions
// (scripts/arithmetic-lines.py mixed 20000 7 calc), angles in radians,
// reported as expressions per second.
void BM_Throughput20000Mixed(benchmark::State &state)
{
    QFile file(QStringLiteral(TANDOREL_BENCH_DATA "/mixed-20000.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        state.SkipWithError("bench/data/mixed-20000.txt cannot be read");
        return;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    Prepare();
    KProgramState::GetInstance(0)->AngleMode = 1;
    for (const QString &line : lines)
        if (!CalculateExpression(line).Ok()) {
            state.SkipWithError(("no result for " + line.toStdString()).c_str());
            return;
        }
    for (auto _ : state)
        for (const QString &line : lines) {
            TCalculationOutcome out = CalculateExpression(line);
            benchmark::DoNotOptimize(out.DisplayText);
        }
    state.SetItemsProcessed(state.iterations() * lines.size());
}

BENCHMARK(BM_RoadShort);
BENCHMARK(BM_RoadSixtyCharacters);
BENCHMARK(BM_Throughput20000Mixed)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
