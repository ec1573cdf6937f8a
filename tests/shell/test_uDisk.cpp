#include "shell/uDisk.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {
// Start-up code may ask for the program folder before the application
// object exists (settings are read first).
const QString AskedBeforeTheApplication = ProgramDir();
} // namespace

TEST(Disk, ProgramFolderIsTheExecutablesEvenWhenAskedBeforeTheApplication)
{
    const QString expected = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    EXPECT_EQ(AskedBeforeTheApplication, expected);
    EXPECT_EQ(ProgramDir(), expected);
}
