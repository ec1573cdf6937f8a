// How the whole calculation grows with the length of the typed text, from
// 1k to 16k characters (and the 65,535-character limit): sums of numbers,
// one variable used again and again, many distinct variables, and nested
// functions, in real mode and, for the sums, in every number set.
#include "core/uCalculation.h"

#include "core/uCommon.h"
#include "core/uProgramSettings.h"
#include "core/uProgramState.h"
#include "core/uVariableManager.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

enum Kind {
    Ones,
    SameVariable,
    DistinctVariables,
    NestedSine
};

QString Input(Kind kind, int length)
{
    TVariableManager *vars = TVariableManager::Instance();
    vars->Clear();
    QString s;
    switch (kind) {
    case Ones:
        s = QStringLiteral("1");
        while (s.size() + 2 <= length)
            s += QStringLiteral("+1");
        break;
    case SameVariable:
        vars->SetValue(QStringLiteral("x"), QStringLiteral("2"));
        s = QStringLiteral("x");
        while (s.size() + 2 <= length)
            s += QStringLiteral("+x");
        break;
    case DistinctVariables: {
        vars->SetValue(QStringLiteral("v0"), QStringLiteral("0"));
        s = QStringLiteral("v0");
        for (int i = 1;; ++i) {
            const QString name = u'v' + QString::number(i);
            if (s.size() + 1 + name.size() > length)
                break;
            vars->SetValue(name, QString::number(i % 10));
            s += u'+' + name;
        }
        break;
    }
    case NestedSine: {
        // "sin(" and ")" per level around one number.
        const int levels = (length - 1) / 5;
        s = QStringLiteral("sin(").repeated(levels) + u'1' + QString(levels, u')');
        break;
    }
    }
    return s;
}

void Calculate(benchmark::State &state, Kind kind, int numberSet, bool fractions)
{
    KProgramSettings::Instance()->SetDefaults();
    KProgramSettings::Instance()->SetDecimalSeparator(1);
    KProgramState *st = KProgramState::GetInstance(0);
    st->SetDefaults();
    st->NumberSet = quint8(numberSet);
    st->Fractions = fractions;
    st->ModuloBase = 97;
    const QString input = Input(kind, int(state.range(0)));
    // Up to 16k characters every input has a result. At the limit the real
    // evaluator's grown text (every number bracketed) passes the 16-bit
    // positions and the answer is an error: how soon it comes is measured
    // all the same, with its code as the label.
    const TCalculationError first = CalculateExpression(input).Error;
    if (first.ErrorCode != 0 && input.size() <= (1 << 14)) {
        state.SkipWithError("the input gives an error");
        return;
    }
    if (first.ErrorCode != 0)
        state.SetLabel("code " + std::to_string(first.ErrorCode));
    for (auto _ : state) {
        TCalculationOutcome out = CalculateExpression(input);
        benchmark::DoNotOptimize(out.DisplayText);
    }
    state.SetComplexityN(input.size());
    TVariableManager::Instance()->Clear();
}

void BM_Ones(benchmark::State &state)
{
    Calculate(state, Ones, 0, false);
}
void BM_SameVariable(benchmark::State &state)
{
    Calculate(state, SameVariable, 0, false);
}
void BM_DistinctVariables(benchmark::State &state)
{
    Calculate(state, DistinctVariables, 0, false);
}
void BM_NestedSine(benchmark::State &state)
{
    Calculate(state, NestedSine, 0, false);
}
void BM_OnesFractions(benchmark::State &state)
{
    Calculate(state, Ones, 0, true);
}
void BM_SameVariableFractions(benchmark::State &state)
{
    Calculate(state, SameVariable, 0, true);
}
void BM_SameVariableComplex(benchmark::State &state)
{
    Calculate(state, SameVariable, 1, false);
}
void BM_SameVariableModulo(benchmark::State &state)
{
    Calculate(state, SameVariable, 2, false);
}

// 1k to 16k characters and the longest input at all.
#define LIMIT RangeMultiplier(2)->Range(1 << 10, 1 << 14)->Arg(65535)->Complexity()->Unit(benchmark::kMillisecond)
BENCHMARK(BM_Ones)->LIMIT;
BENCHMARK(BM_SameVariable)->LIMIT;
BENCHMARK(BM_DistinctVariables)->LIMIT;
BENCHMARK(BM_NestedSine)->LIMIT;
BENCHMARK(BM_OnesFractions)->LIMIT;
BENCHMARK(BM_SameVariableFractions)->LIMIT;
BENCHMARK(BM_SameVariableComplex)->LIMIT;
BENCHMARK(BM_SameVariableModulo)->LIMIT;

} // namespace

BENCHMARK_MAIN();
