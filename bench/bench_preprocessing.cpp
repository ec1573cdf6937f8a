// The text rewriting that runs before every evaluation, on a typical input
// and on a long one with many variables, constants and literals.
#include "core/uCommon.h"
#include "core/uVariableManager.h"

#include <benchmark/benchmark.h>

namespace {

QString Expression(int terms)
{
    QString s;
    for (int i = 0; i < terms; ++i)
        s += QStringLiteral("2.5e-3x(y+$pi)sin30+ab*%1!-").arg(i);
    return s + QStringLiteral("1");
}

void Preprocess(benchmark::State &state)
{
    TVariableManager::Instance()->Clear();
    TVariableManager::Instance()->SetValue("x", "5");
    TVariableManager::Instance()->SetValue("y", "-2.25");
    TVariableManager::Instance()->SetValue("ab", "1/3");
    TConstantItemList constants;
    constants.Add("$pi", "3.14159265358979");
    constants.Add("$e", "2.71828182845905");
    ConstantItems = &constants;
    const TCharSet words(u"+,-.0123456789");
    const TCharSet run = TCharSet::Digits() + TCharSet::Letters();
    const QString input = Expression(int(state.range(0)));
    for (auto _ : state) {
        QString s = input;
        s.remove(QChar(u' '));
        s += QStringLiteral("+0");
        SubstituteVariables(s);
        SubstituteConstants(s);
        BracketNumbers(s);
        InsertImplicitMultiplication(s, words, run);
        benchmark::DoNotOptimize(s);
    }
    state.SetComplexityN(input.size());
    ConstantItems = nullptr;
    TVariableManager::Instance()->Clear();
}

} // namespace

BENCHMARK(Preprocess)->Arg(1)->Arg(10)->Arg(100);

BENCHMARK_MAIN();
