// Start-up of the program to its shown main window beside a bare Qt window,
// the cost of the lookups a window makes when it reads its texts, and of the
// encoding of query values.
#include "bench/BenchMain.h"
#include "bench/BenchProgramDir.h"
#include "shell/fMain.h"
#include "shell/uMainProgramStartup.h"
#include "shell/uProgramTranslator.h"
#include "shell/uShellCommon.h"
#include "tools/uToolWindows.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWindow>

#include <benchmark/benchmark.h>

namespace {
QString EnglishFile()
{
    return SourceLanguageFile("English.txt");
}

// Events are served until Window is on the screen (the platform has shown
// it), as a user first sees it.
void WaitUntilShown(QWidget *Window)
{
    while (!Window->windowHandle() || !Window->windowHandle()->isExposed())
        QCoreApplication::processEvents();
}

qint64 BareWindowToShownNs()
{
    QElapsedTimer timer;
    timer.start();
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(new QLineEdit(&window));
    window.show();
    WaitUntilShown(&window);
    return timer.nsecsElapsed();
}
} // namespace

// The whole start-up, settings to the shown main window with the English
// texts, timed; in every round a bare window (one line edit) is timed beside
// it, and the ratio of the two is reported. The exit is not timed. Both run
// warm, in one process: the figure is that of the program's own work, not of
// loading libraries and fonts (scripts/startup-speed.sh measures cold starts).
static void BM_StartUpToShown(benchmark::State &state)
{
    // As the program itself runs: its application (window icon, screen
    // reader interfaces) and its style.
    InstallMainWindowStyle();
    double programNs = 0;
    double bareNs = 0;
    for (auto _ : state) {
        TBenchProgramDir dir("CheckUpdatesAtStart=0\r\n");
        bareNs += double(BareWindowToShownNs());
        QElapsedTimer timer;
        timer.start();
        const bool started = ProgramStartUp(&RegisterToolWindowClasses);
        if (started && MainFrm)
            WaitUntilShown(MainFrm);
        const qint64 elapsed = timer.nsecsElapsed();
        programNs += double(elapsed);
        state.SetIterationTime(double(elapsed) / 1e9);
        if (!started)
            state.SkipWithError("no start");
        if (MainFrm)
            MainFrm->close();
        ProgramShutDown();
    }
    state.counters["bare_window_ms"] = benchmark::Counter(bareNs / 1e6, benchmark::Counter::kAvgIterations);
    if (bareNs > 0)
        state.counters["ratio_to_bare"] = programNs / bareNs;
}
BENCHMARK(BM_StartUpToShown)->UseManualTime()->Unit(benchmark::kMillisecond);

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
    return RunBenchmarks<TTandorelApplication>(argc, argv);
}
