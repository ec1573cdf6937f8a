#include "shell/uDisk.h"

#include "core/uProgramSettings.h"
#include "core/uProgramState.h"
#include "core/uVariableManager.h"
#include "platform/IniFiles.h"
#include "shell/fMain.h"
#include "shell/uHistoryModel.h"
#include "shell/uMainProgram.h"
#include "shell/uMainProgramStartup.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ModalHelper.h"
#include "tests/support/QtPrint.h"
#include "tests/support/TempProgramDir.h"
#include "tests/support/UserHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// A folder that cannot be written to even by root needs a read-only mount;
// this test process gets a mount namespace of its own for that. It must be
// entered while the process has one thread, so before main.
QString EnterPrivateMountNamespace()
{
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (::unshare(CLONE_NEWNS) != 0) {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return QStringLiteral("no private mount namespace: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        const auto put = [](const char *file, const QByteArray &text) {
            const int fd = ::open(file, O_WRONLY);
            const bool done = fd >= 0 && ::write(fd, text.constData(), text.size()) == text.size();
            if (fd >= 0)
                ::close(fd);
            return done;
        };
        if (!put("/proc/self/setgroups", "deny") || !put("/proc/self/uid_map", "0 " + QByteArray::number(uid) + " 1")
            || !put("/proc/self/gid_map", "0 " + QByteArray::number(gid) + " 1"))
            return QStringLiteral("no user namespace mapping");
    }
    if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return QStringLiteral("mounts cannot be made private: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    return QString();
}
const QString NoReadOnlyMounts = EnterPrivateMountNamespace();

// Folder mounted read-only over itself while the object lives.
class ReadOnlyMount
{
public:
    explicit ReadOnlyMount(const QString &Folder) : m_folder(QFile::encodeName(QDir::cleanPath(Folder)))
    {
        struct statvfs fs = {};
        if (::statvfs(m_folder.constData(), &fs) != 0 || ::mount(m_folder, m_folder, nullptr, MS_BIND, nullptr) != 0)
            return;
        m_mounted = true;
        // A mount inherited into a user namespace keeps its locked flags.
        unsigned long flags = MS_BIND | MS_REMOUNT | MS_RDONLY;
        if (fs.f_flag & ST_NOSUID)
            flags |= MS_NOSUID;
        if (fs.f_flag & ST_NODEV)
            flags |= MS_NODEV;
        if (fs.f_flag & ST_NOEXEC)
            flags |= MS_NOEXEC;
        m_readOnly = ::mount(nullptr, m_folder, nullptr, flags, nullptr) == 0;
    }
    ~ReadOnlyMount()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    ReadOnlyMount(const ReadOnlyMount &) = delete;
    ReadOnlyMount &operator=(const ReadOnlyMount &) = delete;
    bool ReadOnly() const { return m_readOnly; }

private:
    QByteArray m_folder;
    bool m_mounted = false;
    bool m_readOnly = false;
};

// The relative names of every file and folder below Folder.
QStringList Contents(const QString &Folder)
{
    QStringList names;
    QDirIterator it(Folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        names << it.next().mid(Folder.size());
    names.sort();
    return names;
}

// An installed tree: the program folder bin/ and the data in share/tandorel/.
struct InstalledTree
{
    InstalledTree()
    {
        Prefix.write("bin/.keep", "");
        Prefix.write("share/tandorel/lang/English.txt", "[Info]\r\nLanguageIsoCode=en\r\nLanguageName=English\r\n");
        Prefix.write("share/tandorel/lib/geometry.xml", "<library/>");
        Prefix.write("share/tandorel/lib/more/physics.xml", "<library/>");
        Prefix.write("share/tandorel/const.dat", "$g#gravity#9.81#m/s2\r\n");
    }
    QString Bin() const { return Prefix.file("bin/"); }
    QString Data() const { return Prefix.file("share/tandorel/"); }
    TempProgramDir Prefix;
};

} // namespace

// Start-up code may ask for the program folder before the application
// object exists (settings are read first).
const QString AskedBeforeTheApplication = ProgramDir();

TEST(Disk, ProgramFolderIsTheExecutablesEvenWhenAskedBeforeTheApplication)
{
    const QString expected = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    EXPECT_EQ(AskedBeforeTheApplication, expected);
    EXPECT_EQ(ProgramDir(), expected);
}

TEST(Disk, AWritableFolderOfItsOwnKeepsEveryFile)
{
    UserHome user;
    for (const bool withData : {false, true}) {
        TempProgramDir dir;
        if (withData)
            dir.write("lang/English.txt", "[Info]\r\n");
        SetProgramDir(dir.path());
        const TFileFolders &folders = FileFolders();
        EXPECT_EQ(folders.Program, dir.path());
        EXPECT_EQ(folders.Data, dir.path());
        EXPECT_EQ(folders.Config, dir.path());
        EXPECT_EQ(folders.UserData, dir.path());
        EXPECT_EQ(SettingsIniFile()->FileName(), dir.file("settings.ini"));
        // The probe is gone and no folder of the user's was made.
        EXPECT_EQ(Contents(dir.path()), withData ? QStringList({"lang", "lang/English.txt"}) : QStringList());
        EXPECT_EQ(Contents(user.Home.path()), QStringList());
    }
    SetProgramDir(QString());
}

TEST(Disk, AnInstalledProgramReadsItsDataAndKeepsTheUsersFilesInTheUsersFolders)
{
    UserHome user;
    InstalledTree tree;
    // Even where it could write (as root may), bin/ is nobody's own folder.
    const TFileFolders folders = DecideFileFolders(tree.Bin());
    EXPECT_EQ(folders.Program, tree.Bin());
    EXPECT_EQ(folders.Data, tree.Data());
    EXPECT_EQ(folders.Config, user.Config());
    EXPECT_EQ(folders.UserData, user.Data());
    EXPECT_TRUE(QFileInfo(user.Config()).isDir());
    EXPECT_EQ(Contents(tree.Bin()), QStringList({".keep"}));
    // Seeded on first start with what ships.
    EXPECT_EQ(Contents(user.Data()),
              QStringList({"const.dat", "lib", "lib/geometry.xml", "lib/more", "lib/more/physics.xml"}));
    EXPECT_EQ(user.Home.read("data/tandorel/const.dat"), QByteArray("$g#gravity#9.81#m/s2\r\n"));

    // Once: the user's own changes and removals stay at the next starts.
    user.Home.write("data/tandorel/const.dat", "$c#light#299792458#m/s\r\n");
    ASSERT_TRUE(QFile::remove(user.Data() + "lib/geometry.xml"));
    DecideFileFolders(tree.Bin());
    EXPECT_EQ(user.Home.read("data/tandorel/const.dat"), QByteArray("$c#light#299792458#m/s\r\n"));
    EXPECT_FALSE(QFileInfo::exists(user.Data() + "lib/geometry.xml"));

    // The tree may be moved: the data is found from the program's own place.
    const QString moved = QDir::cleanPath(tree.Prefix.path()) + "-moved";
    ASSERT_TRUE(QDir().rename(tree.Prefix.path(), moved));
    EXPECT_EQ(DecideFileFolders(moved + "/bin").Data, moved + "/share/tandorel/");
    QDir().rename(moved, tree.Prefix.path());
}

TEST(Disk, WithoutXdgVariablesTheUsersFoldersLieInTheHomeFolder)
{
    UserHome user(UserHome::HomeOnly);
    InstalledTree tree;
    const TFileFolders folders = DecideFileFolders(tree.Bin());
    EXPECT_EQ(folders.Config, user.Home.file("home/.config/tandorel/"));
    EXPECT_EQ(folders.UserData, user.Home.file("home/.local/share/tandorel/"));
    EXPECT_TRUE(QFileInfo::exists(folders.UserData + "lib/geometry.xml"));
}

TEST(Disk, InstalledIntoTheUsersOwnPrefixTheUsersFilesStayApartFromTheShippedOnes)
{
    UserHome user(UserHome::HomeOnly);
    // As "cmake --install build --prefix ~/.local" lays it out.
    user.Home.write("home/.local/share/tandorel/lang/English.txt", "[Info]\r\n");
    user.Home.write("home/.local/share/tandorel/lib/geometry.xml", "<library/>");
    user.Home.write("home/.local/bin/.keep", "");
    const TFileFolders folders = DecideFileFolders(user.Home.file("home/.local/bin"));
    EXPECT_EQ(folders.Data, user.Home.file("home/.local/share/tandorel/"));
    EXPECT_EQ(folders.UserData, user.Home.file("home/.local/share/tandorel/user/"));
    EXPECT_EQ(user.Home.read("home/.local/share/tandorel/user/lib/geometry.xml"), QByteArray("<library/>"));
}

TEST(Disk, NamesFromFilesStayInsideTheirFolder)
{
    UserHome user;
    InstalledTree tree;
    TempProgramDir outside;
    SetProgramDir(tree.Bin());
    ASSERT_EQ(DataDir(), tree.Data());
    const QString data = QDir::cleanPath(tree.Data());
    const QString own = QDir::cleanPath(user.Data());
    ASSERT_TRUE(QFile::link(outside.path(), tree.Data() + "away"));
    ASSERT_TRUE(QFile::link(outside.path(), user.Data() + "away"));
    struct Case
    {
        const char *name;
        QString dataPath, userPath;
    };
    // clang-format off
    const Case cases[] = {
        {"const.dat",                 data + "/const.dat",             own + "/const.dat"},
        {"  sub/my.dat ",             data + "/sub/my.dat",            own + "/sub/my.dat"},
        {"\\manual\\en\\manual.html", data + "/manual/en/manual.html", own + "/manual/en/manual.html"},
        {"lib/",                      data + "/lib/",                  own + "/lib/"},
        {"lib\\..\\lib\\geometry.xml",data + "/lib/geometry.xml",      own + "/lib/geometry.xml"},
        {"/etc/passwd",               data + "/etc/passwd",            own + "/etc/passwd"}, // taken below the folder
        {"../outside.dat",            data + "/def.dat",               own + "/def.dat"},
        {"lib/../../outside.dat",     data + "/def.dat",               own + "/def.dat"},
        {"..",                        data + "/def.dat",               own + "/def.dat"},
        {".",                         data + "/def.dat",               own + "/def.dat"},
        {"",                          data + "/def.dat",               own + "/def.dat"},
        {"away/x.dat",                data + "/def.dat",               own + "/def.dat"}, // a link that leads out
    };
    // clang-format on
    for (const Case &c : cases) {
        EXPECT_EQ(DataDirFile(QString::fromUtf8(c.name), QStringLiteral("def.dat")), c.dataPath) << c.name;
        EXPECT_EQ(UserDataDirFile(QString::fromUtf8(c.name), QStringLiteral("def.dat")), c.userPath) << c.name;
    }
    // Language files are named relative to the data folder.
    EXPECT_EQ(MakeRelativePath(tree.Data() + "lang/English.txt"), "lang/English.txt");
    EXPECT_EQ(MakeRelativePath(user.Data() + "lang/English.txt"), user.Data() + "lang/English.txt");
    SetProgramDir(QString());
}

TEST(Disk, AFolderOfItsOwnThatCannotBeWrittenToReadsItsDataThereAndKeepsTheUsersFilesElsewhere)
{
    if (!NoReadOnlyMounts.isEmpty())
        GTEST_SKIP() << NoReadOnlyMounts.toStdString();
    UserHome user;
    TempProgramDir dir;
    dir.write("lang/English.txt", "[Info]\r\n");
    dir.write("lib/geometry.xml", "<library/>");
    ReadOnlyMount readOnly(dir.path());
    ASSERT_TRUE(readOnly.ReadOnly());
    SetProgramDir(dir.path());
    EXPECT_EQ(DataDir(), dir.path());
    EXPECT_EQ(ConfigDir(), user.Config());
    EXPECT_EQ(UserDataDir(), user.Data());
    EXPECT_EQ(SettingsIniFile()->FileName(), user.Config() + "settings.ini");
    EXPECT_EQ(user.Home.read("data/tandorel/lib/geometry.xml"), QByteArray("<library/>"));
    SetProgramDir(QString());
}

TEST(Disk, AnInstalledProgramInAReadOnlyTreeKeepsItsHistoryFromOneSessionToTheNext)
{
    if (!NoReadOnlyMounts.isEmpty())
        GTEST_SKIP() << NoReadOnlyMounts.toStdString();
    UserHome user;
    InstalledTree tree;
    tree.Prefix.write("share/tandorel/lang/English.txt",
                      "[Info]\r\nLanguageIsoCode=en\r\nLanguageName=English\r\n[HistoryForm]\r\nCaption=History\r\n");
    ReadOnlyMount readOnly(tree.Prefix.path());
    ASSERT_TRUE(readOnly.ReadOnly());
    SetProgramDir(tree.Bin());
    user.Home.write("config/tandorel/settings.ini", "[Settings]\r\nCheckUpdatesAtStart=0\r\n");

    const auto session = [](const std::function<void(THistoryModel *)> &Use) {
        ASSERT_TRUE(ProgramStartUp());
        Use(KMainProgram::Instance()->History());
        QString message;
        AnswerNextMessageBox(QMessageBox::Ok, &message);
        MainFrm->close();
        ProgramShutDown();
        EXPECT_EQ(message, QString()); // no "Unable to save program settings."
    };
    session([](THistoryModel *history) {
        EXPECT_EQ(KProgramSettings::Instance()->LanguageFile, "lang/English.txt");
        KMainProgram::Instance()->Calculate(QStringLiteral("2+3"));
        EXPECT_EQ(history->Count(), 1);
    });
    EXPECT_EQ(user.Home.read("data/tandorel/history.dat"), QByteArray("2+3 = 5\r\n"));
    EXPECT_EQ(TIniFile(user.Config() + "settings.ini").ReadString("Settings", "LanguageFile", QString()),
              "lang/English.txt");
    session([](THistoryModel *history) {
        ASSERT_EQ(history->Count(), 1);
        EXPECT_EQ(history->Lines(0), "2+3 = 5");
    });
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
