#include "shell/uDisk.h"

#include "tests/support/TempProgramDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

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

TEST(Disk, NamesFromFilesStayInsideTheProgramFolder)
{
    TempProgramDir dir;
    TempProgramDir outside;
    SetProgramDir(dir.path());
    const QString root = QDir::cleanPath(dir.path());
    dir.write("lib/a.xml", "x");
    ASSERT_TRUE(QFile::link(outside.path(), dir.file("away")));
    struct Case
    {
        const char *name;
        QString path;
    };
    // clang-format off
    const Case cases[] = {
        {"const.dat", root + "/const.dat"},           {"  sub/my.dat ", root + "/sub/my.dat"},
        {"\\manual\\en\\manual.html", root + "/manual/en/manual.html"},
        {"lib/", root + "/lib/"},                      {"lib\\..\\lib\\a.xml", root + "/lib/a.xml"},
        {"/etc/passwd", root + "/etc/passwd"},         // taken below the folder, as every name is
        {"../outside.dat", root + "/def.dat"},          {"lib/../../outside.dat", root + "/def.dat"},
        {"..", root + "/def.dat"},                     {".", root + "/def.dat"},
        {"", root + "/def.dat"},                       {"away/x.dat", root + "/def.dat"}, // a link that leads out
    };
    // clang-format on
    for (const Case &c : cases)
        EXPECT_EQ(ProgramDirFile(QString::fromUtf8(c.name), QStringLiteral("def.dat")), c.path) << c.name;
    SetProgramDir(QString());
}
