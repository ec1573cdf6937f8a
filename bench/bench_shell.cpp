// Cost of the lookups a window makes when it reads its texts, and of the
// encoding of query values.
#include "bench/BenchMain.h"
#include "shell/uProgramTranslator.h"
#include "shell/uShellCommon.h"

#include <QCoreApplication>
#include <QDir>

#include <benchmark/benchmark.h>

namespace {
QString EnglishFile()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../lang/English.txt"));
}
} // namespace

static void BM_TranslateHit(benchmark::State &state)
{
    TProgramTranslator::Instance()->LoadFile(EnglishFile());
    if (!TProgramTranslator::Instance()->IsLoaded())
        state.SkipWithError("English.txt not found beside the build");
    for (auto _ : state)
        benchmark::DoNotOptimize(TProgramTranslator::Instance()->Translate(
            QStringLiteral("Hints"), QStringLiteral("hntUpdateInfoIcon"), QStringLiteral("x")));
}
BENCHMARK(BM_TranslateHit);

static void BM_TranslateMiss(benchmark::State &state)
{
    TProgramTranslator::Instance()->LoadFile(EnglishFile());
    for (auto _ : state)
        benchmark::DoNotOptimize(TProgramTranslator::Instance()->Translate(
            QStringLiteral("Hints"), QStringLiteral("hntNoSuchKey"), QStringLiteral("x")));
}
BENCHMARK(BM_TranslateMiss);

static void BM_URLEncode(benchmark::State &state)
{
    const QString expression = QStringLiteral("sin(x)^2 + cos(x)^2 * 3.5E-2 / (x - 1)");
    for (auto _ : state)
        benchmark::DoNotOptimize(URLEncode(expression));
}
BENCHMARK(BM_URLEncode);

int main(int argc, char **argv)
{
    return RunBenchmarks<QCoreApplication>(argc, argv);
}
