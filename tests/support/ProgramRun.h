#pragma once
// The whole program started in a throw-away program folder, as the main
// block starts it (the tool windows only when asked), and ended as the user
// ends it.
// Its web host is a local server's, and the update check at start is off
// unless the settings written before Start ask for it.
#include "shell/fMain.h"

#include "shell/uDisk.h"
#include "shell/uGUIManager.h"
#include "shell/uMainProgramStartup.h"
#include "shell/uShellCommon.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/TempProgramDir.h"
#include "tests/support/TestWebHost.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

class TProgramRun
{
public:
    TProgramRun()
    {
        SetProgramDir(Dir.path());
        SetMakerWebHost(Server.HostAndPort());
    }
    ~TProgramRun()
    {
        Exit();
        SetMakerWebHost(TestWebHost());
        SetProgramDir(QString());
    }
    TProgramRun(const TProgramRun &) = delete;
    TProgramRun &operator=(const TProgramRun &) = delete;

    // "settings.ini" := Settings (lines of the section Settings, CRLF ended).
    void WriteSettings(const QByteArray &Settings) { Dir.write("settings.ini", "[Settings]\r\n" + Settings); }
    // The program's own language files in lang/ of the folder.
    void CopyLanguageFiles()
    {
        const QString source = qEnvironmentVariable("TANDOREL_SOURCE_DIR") + QStringLiteral("/data/lang/");
        QDir().mkpath(Dir.file(QStringLiteral("lang")));
        for (const char *name : {"English.txt", "Slovensky.txt"})
            QFile::copy(source + QLatin1String(name), Dir.file(QStringLiteral("lang/") + QLatin1String(name)));
    }
    // RegisterTools, when given, registers the tool windows as the main
    // block does.
    void Start(TToolWindowRegistration RegisterTools = nullptr)
    {
        if (!Dir.exists(QStringLiteral("settings.ini")))
            WriteSettings("CheckUpdatesAtStart=0\r\n");
        Started = ProgramStartUp(RegisterTools);
        ASSERT_TRUE(Started);
    }
    // Closes the main window as the user does and runs the exit.
    void Exit()
    {
        if (!Started)
            return;
        Started = false;
        if (MainFrm)
            MainFrm->close();
        ProgramShutDown();
    }
    template <class T>
    static T *Window(int Id)
    {
        return TGUIManager::Instance()->FormAs<T>(Id);
    }

    TempProgramDir Dir;
    TLocalHttpServer Server;
    bool Started = false;
};
