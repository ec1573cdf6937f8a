// Speed of the real engine: check and evaluate typed texts of growing size,
// and the graph's inner loop (one evaluation of a prepared text with the
// variable put in). Every run checks its result, so a faster engine that
// computes something else fails here.
#include "core/Analyzator.h"
#include "core/uCommon.h"
#include "core/uProgramState.h"

#include <benchmark/benchmark.h>

namespace {

QString Calculate(const QString &text)
{
    TCalculationError err;
    CheckRealSyntax(text, err, FunctionNames());
    QString value;
    RealPreprocessed = false;
    EvaluateReal(text, err, FunctionNames(), value);
    return err.ErrorCode == 0 ? value : QStringLiteral("error %1").arg(err.ErrorCode);
}

void CheckAndEvaluate(benchmark::State &state, const QString &text, const QString &expected)
{
    DecimalSeparator = u'.';
    KProgramState::GetInstance(0)->SetDefaults();
    if (Calculate(text) != expected) {
        state.SkipWithError(qPrintable(QStringLiteral("%1 gives %2").arg(text, Calculate(text))));
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(Calculate(text));
}

void BM_Short(benchmark::State &state)
{
    CheckAndEvaluate(state, QStringLiteral("2+3*4"), QStringLiteral("[14]"));
}
BENCHMARK(BM_Short);

// 60 characters: three functions, powers and brackets.
void BM_SixtyCharacters(benchmark::State &state)
{
    CheckAndEvaluate(state, QStringLiteral("sin(30)^2+cos(60)*(2.5^3-ln(10))/(1.5+sqrt(2^4+3^2))-12.7555"),
                     QStringLiteral("[-11.4806988533072]"));
}
BENCHMARK(BM_SixtyCharacters);

// The graph's inner loop: the prepared text, the point's value put in, one
// evaluation.
void BM_PreparedPoint(benchmark::State &state)
{
    DecimalSeparator = u'.';
    KProgramState::GetInstance(0)->SetDefaults();
    KProgramState::GetInstance(0)->AngleMode = 1;
    QString prepared = QStringLiteral("x^2*sin(x)+1/x");
    PrepareExpression(prepared, QStringLiteral("x"));
    RealPreprocessed = true;
    const QString point = QStringLiteral("1.25");
    const auto evaluate = [&] {
        QString text = prepared;
        ReplaceWholeWord(text, QStringLiteral("x"), point);
        ExpressionValid = true;
        TCalculationError err;
        QString value;
        EvaluateReal(text, err, FunctionNames(), value);
        return value;
    };
    if (evaluate() != QStringLiteral("[2.2827884677431]")) {
        state.SkipWithError(qPrintable(QStringLiteral("the point gives ") + evaluate()));
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(evaluate());
    KProgramState::GetInstance(0)->SetDefaults();
}
BENCHMARK(BM_PreparedPoint);

// Growth with the length of the text: a sum of N terms.
void BM_Sum(benchmark::State &state)
{
    const int n = int(state.range(0));
    QString text = QStringLiteral("1");
    for (int i = 1; i < n; ++i)
        text += QStringLiteral("+1");
    CheckAndEvaluate(state, text, u'[' + QString::number(n) + u']');
    state.SetComplexityN(n);
}
BENCHMARK(BM_Sum)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();

} // namespace

BENCHMARK_MAIN();
