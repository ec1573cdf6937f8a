#pragma once
// The main block of a benchmark that needs a Qt application object: TApp is
// QCoreApplication, QGuiApplication or QApplication.
#include "shell/uNetworkModule.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QtGlobal>

template <class TApp>
int RunBenchmarks(int argc, char **argv)
{
    // Fonts and widgets work without a display; a platform the caller chose
    // (to watch a window, say) is kept.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApp app(argc, argv);
    // The benchmarks live one folder below the program and its modules.
    SetNetworkModuleFolder(QCoreApplication::applicationDirPath() + QStringLiteral("/.."));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
