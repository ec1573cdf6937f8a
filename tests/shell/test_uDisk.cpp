#include "shell/uDisk.h"

#include "core/uProgramState.h"
#include "core/uVariableManager.h"
#include "shell/fMain.h"
#include "shell/uMainProgram.h"
#include "shell/uMainProgramStartup.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ModalHelper.h"
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

// The exit saves of the program on a disk that has no room left: one
// message, and every file as it was before the program started.
TEST(Disk, AnExitOnAFullDiskReportsTheFailureAndKeepsEveryFile)
{
    RUN_ON_SMALL_FILESYSTEM(256);
    TempProgramDir dir;
    SetProgramDir(dir.path());
    const QStringList names = {"settings.ini", "history.dat", "variables.txt", "programState.ini"};
    dir.write("settings.ini", "[Settings]\r\nSaveHistory=1\r\nSaveVariables=1\r\nRememberLastState=1\r\n"
                              "CheckUpdatesAtStart=0\r\nUID=none\r\n");
    dir.write("history.dat", "1+1 = 2\r\n");
    dir.write("variables.txt", "x=5\r\n");
    dir.write("programState.ini", "[ProgramState]\r\nNumberSet=1\r\n");
    QList<QByteArray> before;
    for (const QString &name : names)
        before << dir.read(name);

    ASSERT_TRUE(ProgramStartUp());
    KMainProgram::Instance()->AddToHistory(QStringLiteral("2+2 = 4"));
    TVariableManager::Instance()->SetValue("y", "7");
    KProgramState::GetInstance(0)->NumberSet = 2;
    {
        QFile filler(dir.file("filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray page(4096, 'f');
        while (filler.write(page) == page.size()) {}
    }
    const QStringList entries = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);

    QString message, title;
    AnswerNextMessageBox(QMessageBox::Ok, &message, &title);
    if (MainFrm)
        MainFrm->close();
    ProgramShutDown();
    SetProgramDir(QString());

    EXPECT_EQ(message, "Unable to save program settings.");
    EXPECT_EQ(title, "Error");
    for (int i = 0; i < names.size(); ++i)
        EXPECT_EQ(dir.read(names.at(i)).toStdString(), before.at(i).toStdString()) << names.at(i).toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), entries);
}
