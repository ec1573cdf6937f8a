// Loading the library folder: 20 files holding 5,000 expressions parsed,
// and the same folder loaded and shown as the browser's tree, when the
// browser opens and when it reloads.
#include "bench/BenchMain.h"
#include "shell/uDisk.h"
#include "tools/fPrehliadacVyrazov.h"
#include "tools/model/uPrehliadacVyrazov.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int FileCount = 20;
constexpr int CategoriesPerFile = 10;
constexpr int ExpressionsPerCategory = 25; // 20 x 10 x 25 = 5,000

// A program folder whose "lib/" holds the libraries, written once.
const QTemporaryDir &ProgramFolder()
{
    static QTemporaryDir dir;
    static bool written = false;
    if (!written) {
        written = true;
        QDir(dir.path()).mkdir(QStringLiteral("lib"));
        for (int f = 0; f < FileCount; ++f) {
            QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<library name=\"Library "
                             + QByteArray::number(f)
                             + "\" version=\"1.0\" author=\"Bench\">\n  <desc>first|second</desc>\n";
            for (int c = 0; c < CategoriesPerFile; ++c) {
                xml += "  <category name=\"Category " + QByteArray::number(c) + "\">\n";
                for (int e = 0; e < ExpressionsPerCategory; ++e)
                    xml += "    <expr name=\"Expression " + QByteArray::number(e)
                           + "\" notation=\"V = a*b*c/3\">\n      <desc>A description|of two lines</desc>\n"
                             "      <var name=\"a\" description=\"length\"/>\n      <var name=\"b\" "
                             "description=\"width\"/>\n"
                             "      <var name=\"c\" description=\"height\"/>\n    </expr>\n";
                xml += "  </category>\n";
            }
            xml += "</library>\n";
            QFile file(dir.path() + QStringLiteral("/lib/library%1.xml").arg(f, 2, 10, QLatin1Char('0')));
            file.open(QIODevice::WriteOnly);
            file.write(xml);
        }
    }
    return dir;
}

} // namespace

static void BM_LoadLibraries(benchmark::State &state)
{
    const QString folder = ProgramFolder().path() + QStringLiteral("/lib/");
    KExpressionViewer viewer;
    QString failed;
    for (auto _ : state) {
        viewer.LoadLibraries(folder, failed);
        benchmark::DoNotOptimize(viewer.Count());
    }
    if (viewer.Count() != FileCount || !failed.isEmpty())
        state.SkipWithError("the libraries did not load");
}
BENCHMARK(BM_LoadLibraries)->Unit(benchmark::kMillisecond);

// Opening the browser: the window's first texts load the folder and fill
// the tree.
static void BM_OpenBrowser(benchmark::State &state)
{
    SetProgramDir(ProgramFolder().path());
    int shown = 0;
    for (auto _ : state) {
        auto *window = new TPrehliadacVyrazovFrm();
        window->TranslateTexts();
        shown = window->Tree()->topLevelItemCount();
        state.PauseTiming();
        delete window;
        state.ResumeTiming();
    }
    if (shown != FileCount)
        state.SkipWithError("the tree was not filled");
    SetProgramDir(QString());
}
BENCHMARK(BM_OpenBrowser)->Unit(benchmark::kMillisecond);

// A reload: the loaded libraries and the tree are dropped first.
static void BM_LoadAndFillTree(benchmark::State &state)
{
    SetProgramDir(ProgramFolder().path());
    TPrehliadacVyrazovFrm window;
    window.show();
    for (auto _ : state) {
        window.Reload();
        benchmark::DoNotOptimize(window.Tree()->topLevelItemCount());
    }
    if (window.Tree()->topLevelItemCount() != FileCount)
        state.SkipWithError("the tree was not filled");
    SetProgramDir(QString());
}
BENCHMARK(BM_LoadAndFillTree)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    return RunBenchmarks<QApplication>(argc, argv);
}
