// Reading the shipped units file, and the unit converter window reading it
// and filling its lists (what opening the window costs); the window's part
// should stay under 20 ms.
#include "bench/BenchMain.h"
#include "shell/uDisk.h"
#include "tools/fUnitConverter.h"
#include "tools/model/uUnitConverter.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>

#include <benchmark/benchmark.h>

namespace {
// The build lays data/ beside the binary; benchmarks live one folder below.
QString BuildDir()
{
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral(".."));
}
} // namespace

static void BM_LoadUnitsFile(benchmark::State &state)
{
    const QString file = BuildDir() + QStringLiteral("/units/en/units.xml");
    if (!QFileInfo::exists(file))
        state.SkipWithError("units.xml not found beside the build");
    KUnitConverter converter;
    for (auto _ : state)
        benchmark::DoNotOptimize(converter.LoadFile(file));
}
BENCHMARK(BM_LoadUnitsFile)->Unit(benchmark::kMillisecond);

static void BM_UnitConverterWindowLoadsAndFills(benchmark::State &state)
{
    SetProgramDir(BuildDir());
    TUnitConverterFrm window;
    window.show();
    for (auto _ : state) {
        window.TranslateTexts(); // reads the file, fills the lists, selects, converts
        QCoreApplication::processEvents();
    }
    SetProgramDir(QString());
}
BENCHMARK(BM_UnitConverterWindowLoadsAndFills)->Unit(benchmark::kMillisecond);

static void BM_UnitConverterCategoryChange(benchmark::State &state)
{
    SetProgramDir(BuildDir());
    TUnitConverterFrm window;
    window.TranslateTexts();
    window.show();
    int row = 0;
    const int count = window.categoryLsb()->count();
    for (auto _ : state) {
        row = (row + 1) % count;
        window.categoryLsb()->setCurrentRow(row);
        QCoreApplication::processEvents();
    }
    SetProgramDir(QString());
}
BENCHMARK(BM_UnitConverterCategoryChange)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    return RunBenchmarks<QApplication>(argc, argv);
}
