#include "shell/uDisk.h"

#include "platform/IniFiles.h"

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
        const QString dir = QCoreApplication::instance()
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

namespace {

// ProgramDir() + Name when it lies below the program folder, else "".
QString BelowProgramDir(QString name)
{
    name = name.trimmed();
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (name.startsWith(QLatin1Char('/')))
        name.remove(0, 1);
    if (name.isEmpty())
        return QString();
    const bool folder = name.endsWith(QLatin1Char('/'));
    const QString root = QDir::cleanPath(ProgramDir());
    const QString path = QDir::cleanPath(ProgramDir() + name);
    if (!path.startsWith(root + QLatin1Char('/')) || path.size() <= root.size() + 1)
        return QString();
    // A link on the way may still lead out: the nearest part of the path
    // that exists must lie in the program folder as well.
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    QString existing = path;
    while (!QFileInfo::exists(existing) && existing.size() > root.size())
        existing = existing.section(QLatin1Char('/'), 0, -2);
    const QString canonical = QFileInfo(existing).canonicalFilePath();
    if (canonicalRoot.isEmpty() || canonical.isEmpty()
        || (canonical != canonicalRoot && !canonical.startsWith(canonicalRoot + QLatin1Char('/'))))
        return QString();
    return folder ? path + QLatin1Char('/') : path;
}

} // namespace

QString ProgramDirFile(const QString &Name, const QString &Default)
{
    const QString path = BelowProgramDir(Name);
    return path.isEmpty() ? BelowProgramDir(Default) : path;
}
