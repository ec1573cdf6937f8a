#include "shell/uAccessibility.h"
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
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
