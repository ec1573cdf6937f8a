#include "shell/uDisk.h"

#include "platform/IniFiles.h"
#include "platform/SysUtils.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
QString &Folder()
{
    static QString folder;
    return folder;
}

TIniFile *&Settings()
{
    static TIniFile *ini = nullptr;
    return ini;
}

QString WithSlash(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}
} // namespace

const QString &ProgramDir()
{
    QString &folder = Folder();
    if (folder.isEmpty()) {
        // Start-up may ask before the application object exists; the
        // executable's own link tells the folder then.
        const QString dir =
            QCoreApplication::instance()
                ? QCoreApplication::applicationDirPath()
                : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(QLatin1Char('/'), 0, -2);
        folder = WithSlash(dir);
    }
    return folder;
}

void SetProgramDir(const QString &NewFolder)
{
    FreeSettingsIniFile();
    Folder() = NewFolder.isEmpty() ? QString() : WithSlash(NewFolder);
}

TIniFile *SettingsIniFile()
{
    TIniFile *&ini = Settings();
    if (!ini)
        ini = new TIniFile(ProgramDir() + QStringLiteral("settings.ini"));
    return ini;
}

void FreeSettingsIniFile()
{
    TIniFile *&ini = Settings();
    delete ini;
    ini = nullptr;
}

QString MakeRelativePath(const QString &Path)
{
    const QString &dir = ProgramDir();
    if (Path.startsWith(dir, Qt::CaseSensitive))
        return Path.mid(dir.size());
    return Path;
}

QString ProgramDirFile(const QString &Name, const QString &Default)
{
    const QString path = PathBelowFolder(ProgramDir(), Name);
    return path.isEmpty() ? PathBelowFolder(ProgramDir(), Default) : path;
}
