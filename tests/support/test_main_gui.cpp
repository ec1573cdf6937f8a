#include "shell/uAccessibility.h"
#include "shell/uNetworkModule.h"
#include "shell/uShellCommon.h"
#include "tests/support/TestWebHost.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    InstallAccessibleInterfaces();
    SetMakerWebHost(TestWebHost());
    // The tests live one folder below the program and its modules.
    SetNetworkModuleFolder(qEnvironmentVariableIsEmpty("TANDOREL_BINARY_DIR")
                               ? QCoreApplication::applicationDirPath() + QStringLiteral("/..")
                               : qEnvironmentVariable("TANDOREL_BINARY_DIR"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
