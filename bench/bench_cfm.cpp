// One evaluation of a 40-character expression in each of the complex,
// fraction and modulo number sets, preparation included, as the controller
// runs it after a clean syntax check. Run with the default repetitions to
// read the median.
#include "core/KomplexnyAnalyzator.h"
#include "core/ModuloAnalyzator.h"
#include "core/ZlomkovyAnalyzator.h"
#include "core/uProgramState.h"

#include <benchmark/benchmark.h>

namespace {

const QString ComplexExpression = QStringLiteral("(1+j2)*(3-j4)/(2+j)+abs(3+4j)^2-2e^j30*j");
const QString FractionExpression = QStringLiteral("1/3+2/5*(3/4-1/6)^2+5 nad 2-7 div 2+8%-1");
const QString ModuloExpression = QStringLiteral("(3+5)*(2-6)/3+4*(5-1)/(2+3)-6*7+100/9-10");

void Fail(benchmark::State &state, const TCalculationError &err)
{
    if (err.ErrorCode != 0)
        state.SkipWithError("the expression did not evaluate");
}

void Complex(benchmark::State &state)
{
    KProgramState::GetInstance(0)->NumberSet = 1;
    TCalculationError err;
    QString value;
    for (auto _ : state) {
        ComplexFirstCall = true;
        EvaluateComplex(ComplexExpression, err, value);
        benchmark::DoNotOptimize(value);
    }
    Fail(state, err);
    KProgramState::GetInstance(0)->SetDefaults();
}

void Fraction(benchmark::State &state)
{
    TCalculationError err;
    QString value;
    for (auto _ : state) {
        FractionFirstCall = true;
        EvaluateFraction(FractionExpression, err, value);
        benchmark::DoNotOptimize(value);
    }
    Fail(state, err);
}

void Modulo(benchmark::State &state)
{
    KProgramState::GetInstance(0)->NumberSet = 2;
    TCalculationError err;
    QString value;
    for (auto _ : state) {
        ModuloFirstCall = true;
        Modulus = 97;
        EvaluateModulo(ModuloExpression, err, value);
        benchmark::DoNotOptimize(value);
    }
    Fail(state, err);
    KProgramState::GetInstance(0)->SetDefaults();
}

} // namespace

BENCHMARK(Complex)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(Fraction)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(Modulo)->Repetitions(9)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
