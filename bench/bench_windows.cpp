// The shell's windows: a language switch with every window open, and the
// start-up of the program with and without the update check at start
// (against a local host that never answers).
#include "bench/BenchMain.h"
#include "bench/BenchProgramDir.h"
#include "core/uProgramSettings.h"
#include "shell/fMain.h"
#include "shell/uDisk.h"
#include "shell/uGUIManager.h"
#include "shell/uMainProgram.h"
#include "shell/uMainProgramStartup.h"
#include "shell/uProgramTranslator.h"
#include "shell/uShellCommon.h"
#include "tools/uToolWindows.h"

#include <QApplication>
#include <QHostAddress>
#include <QTcpServer>

#include <benchmark/benchmark.h>

namespace {

// Accepts connections and never answers.
struct TSilentHost
{
    TSilentHost()
    {
        Server.listen(QHostAddress::LocalHost, 0);
        SetMakerWebHost(QStringLiteral("127.0.0.1:%1").arg(Server.serverPort()));
    }
    ~TSilentHost() { SetMakerWebHost(QString()); }
    QTcpServer Server;
};

void BM_LanguageSwitchWithEveryWindowOpen(benchmark::State &state)
{
    TBenchProgramDir dir("CheckUpdatesAtStart=0\r\n");
    if (!ProgramStartUp(&RegisterToolWindowClasses)) {
        state.SkipWithError("no start");
        return;
    }
    TGUIManager *gui = TGUIManager::Instance();
    int open = 0;
    for (int id = 0; id < TGUIManager::FormCount; ++id) {
        if (!gui->Entry(id).FormClass)
            continue;
        gui->GetForm(id)->show();
        ++open;
    }
    const QString files[] = {dir.Dir.filePath(QStringLiteral("lang/Slovensky.txt")),
                             dir.Dir.filePath(QStringLiteral("lang/English.txt"))};
    int next = 0;
    for (auto _ : state) {
        // What the language window's Apply does.
        TProgramTranslator::Instance()->LoadFile(files[next]);
        KProgramSettings::Instance()->LanguageFile = MakeRelativePath(files[next]);
        KMainProgram::Instance()->LoadTexts();
        next = 1 - next;
    }
    state.counters["windows"] = open;
    MainFrm->close();
    ProgramShutDown();
}
BENCHMARK(BM_LanguageSwitchWithEveryWindowOpen)->Unit(benchmark::kMillisecond);

// Start-up until the main window shows; the exit is not timed.
void StartUp(benchmark::State &state, const QByteArray &Settings)
{
    TSilentHost host;
    for (auto _ : state) {
        state.PauseTiming();
        {
            TBenchProgramDir dir(Settings);
            state.ResumeTiming();
            const bool started = ProgramStartUp(&RegisterToolWindowClasses);
            QCoreApplication::processEvents();
            state.PauseTiming();
            if (!started)
                state.SkipWithError("no start");
            if (MainFrm)
                MainFrm->close();
            ProgramShutDown();
        }
        state.ResumeTiming();
    }
}

void BM_StartUpWithoutUpdateCheck(benchmark::State &state)
{
    StartUp(state, "CheckUpdatesAtStart=0\r\n");
}
BENCHMARK(BM_StartUpWithoutUpdateCheck)->Unit(benchmark::kMillisecond);

void BM_StartUpWithUpdateCheckAgainstASilentHost(benchmark::State &state)
{
    StartUp(state, "CheckUpdatesAtStart=1\r\n");
}
BENCHMARK(BM_StartUpWithUpdateCheckAgainstASilentHost)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return RunBenchmarks<QApplication>(argc, argv);
}
