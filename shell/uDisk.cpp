#include "shell/uDisk.h"

#include "platform/IOUtils.h"
#include "platform/IniFiles.h"
#include "platform/SysUtils.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <optional>

#ifndef TANDOREL_INSTALLED_DATA_DIR
#define TANDOREL_INSTALLED_DATA_DIR "../share/tandorel"
#endif

namespace {

// The shipped files a new user gets a copy of are small (libraries,
// constants); anything far larger is not one of them.
constexpr qint64 MaxSeedFileSize = 64 * 1024 * 1024;

QString &ExecutableOverride()
{
    static QString folder;
    return folder;
}

std::optional<TFileFolders> &Decided()
{
    static std::optional<TFileFolders> folders;
    return folders;
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

QString ExecutableFolder()
{
    // Start-up may ask before the application object exists; the
    // executable's own link tells the folder then.
    return QCoreApplication::instance()
               ? QCoreApplication::applicationDirPath()
               : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(QLatin1Char('/'), 0, -2);
}

bool HoldsLanguageFiles(const QString &folder)
{
    return QFileInfo(folder + QStringLiteral("lang")).isDir();
}

// Trying is the only sure answer: a read-only mount, a full disk or an
// access rule all refuse what the permission bits allow (and root passes
// every permission bit).
bool CanWriteInto(const QString &folder)
{
    QTemporaryFile probe(folder + QStringLiteral(".tandorel-probe-XXXXXX"));
    return probe.open();
}

// "tandorel" in one of the user's locations; the program folder when the
// location is unknown (no home folder).
QString UserFolder(QStandardPaths::StandardLocation location, const QString &fallback)
{
    const QString base = QStandardPaths::writableLocation(location);
    if (base.isEmpty())
        return fallback;
    return WithSlash(QDir::cleanPath(base + QStringLiteral("/tandorel")));
}

// Copies one file through the program's one write path: a copy cut short by
// a full disk would otherwise stay, and, being there, never be seeded again.
void CopyFileIfMissing(const QString &source, const QString &target)
{
    if (QFileInfo::exists(target))
        return;
    QFile in(source);
    QByteArray bytes;
    QString error;
    if (in.open(QIODevice::ReadOnly) && ReadFileAtMost(in, MaxSeedFileSize, bytes) && bytes.size() <= MaxSeedFileSize)
        TryWriteFileAtomically(target, bytes, error);
}

// Copies Source (a file, or a folder with everything below it) to Target,
// leaving whatever Target already holds.
void CopyMissing(const QString &source, const QString &target)
{
    const QFileInfo sourceInfo(source);
    if (sourceInfo.isFile()) {
        CopyFileIfMissing(source, target);
        return;
    }
    if (!sourceInfo.isDir())
        return;
    QDir().mkpath(target);
    QDirIterator files(source, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString file = files.next();
        const QString copy = target + file.mid(source.size());
        QDir().mkpath(QFileInfo(copy).absolutePath());
        CopyFileIfMissing(file, copy);
    }
}

// The shipped defaults a new user starts with; the names are the language
// files' defaults.
void Seed(const QString &data, const QString &userData)
{
    CopyMissing(data + QStringLiteral("lib"), userData + QStringLiteral("lib"));
    CopyMissing(data + QStringLiteral("const.dat"), userData + QStringLiteral("const.dat"));
}

QString FileBelow(const QString &folder, const QString &name, const QString &defaultValue)
{
    const QString path = PathBelowFolder(folder, name);
    return path.isEmpty() ? PathBelowFolder(folder, defaultValue) : path;
}
} // namespace

TFileFolders DecideFileFolders(const QString &executableFolder)
{
    TFileFolders folders;
    folders.Program = WithSlash(executableFolder);
    folders.Data = folders.Program;
    const QString installed = WithSlash(QDir::cleanPath(folders.Program + QStringLiteral(TANDOREL_INSTALLED_DATA_DIR)));
    if (!HoldsLanguageFiles(folders.Program) && HoldsLanguageFiles(installed))
        folders.Data = installed;

    if (folders.Data == folders.Program && CanWriteInto(folders.Program)) {
        folders.Config = folders.Program;
        folders.UserData = folders.Program;
        return folders;
    }
    folders.Config = UserFolder(QStandardPaths::GenericConfigLocation, folders.Program);
    folders.UserData = UserFolder(QStandardPaths::GenericDataLocation, folders.Program);
    // Installed into the user's own prefix (~/.local) the data folder is the
    // user's data folder itself, and installing again would overwrite the
    // user's copies of the shipped files.
    const QString data = QFileInfo(folders.Data).canonicalFilePath();
    if (!data.isEmpty() && QFileInfo(folders.UserData).canonicalFilePath() == data)
        folders.UserData += QStringLiteral("user/");
    QDir().mkpath(folders.Config);
    if (!QFileInfo::exists(folders.UserData) && QDir().mkpath(folders.UserData))
        Seed(folders.Data, folders.UserData);
    return folders;
}

const TFileFolders &FileFolders()
{
    std::optional<TFileFolders> &folders = Decided();
    if (!folders) {
        const QString &chosen = ExecutableOverride();
        folders = DecideFileFolders(chosen.isEmpty() ? ExecutableFolder() : chosen);
    }
    return *folders;
}

const QString &ProgramDir()
{
    return FileFolders().Program;
}

const QString &DataDir()
{
    return FileFolders().Data;
}

const QString &ConfigDir()
{
    return FileFolders().Config;
}

const QString &UserDataDir()
{
    return FileFolders().UserData;
}

void SetProgramDir(const QString &newFolder)
{
    FreeSettingsIniFile();
    ExecutableOverride() = newFolder.isEmpty() ? QString() : WithSlash(newFolder);
    Decided().reset();
}

TIniFile *SettingsIniFile()
{
    TIniFile *&ini = Settings();
    if (!ini)
        ini = new TIniFile(ConfigDir() + QStringLiteral("settings.ini"));
    return ini;
}

void FreeSettingsIniFile()
{
    TIniFile *&ini = Settings();
    delete ini;
    ini = nullptr;
}

QString MakeRelativePath(const QString &path)
{
    const QString &dir = DataDir();
    if (path.startsWith(dir, Qt::CaseSensitive))
        return path.mid(dir.size());
    return path;
}

QString DataDirFile(const QString &name, const QString &defaultValue)
{
    return FileBelow(DataDir(), name, defaultValue);
}

QString UserDataDirFile(const QString &name, const QString &defaultValue)
{
    return FileBelow(UserDataDir(), name, defaultValue);
}
