#include "platform/IOUtils.h"

#include "platform/Classes.h"
#include "platform/IniFiles.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempProgramDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList Entries(const QString &Folder)
{
    return QDir(Folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

mode_t Mode(const QString &Path)
{
    struct stat st;
    return ::stat(QFile::encodeName(Path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

QByteArray Read(const QString &Path)
{
    QFile f(Path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// As text, so that a failure shows a readable difference.
std::string Text(const QString &Path)
{
    return Read(Path).toStdString();
}

bool Write(const QString &Path, const QByteArray &Bytes)
{
    QFile f(Path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(Bytes) == Bytes.size() && f.flush();
}

// Text of a given size made of numbered lines, as a settings file is.
QByteArray Lines(qsizetype Size, char Tag)
{
    QByteArray text;
    for (int i = 0; text.size() < Size; ++i)
        text += "Key" + QByteArray::number(i) + '=' + QByteArray(20, Tag) + "\r\n";
    text.truncate(Size);
    return text;
}

} // namespace

TEST(WriteFileAtomically, ReplacesTheFileWholeAndKeepsItsPermissions)
{
    TempProgramDir dir;
    QString error;
    ASSERT_TRUE(TryWriteFileAtomically(dir.file("new.txt"), "first", error)) << error.toStdString();
    EXPECT_EQ(dir.read("new.txt"), "first");
    EXPECT_EQ(
        Mode(dir.file("new.txt")), 0666 & ~[] {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            return mask;
        }());

    ::chmod(QFile::encodeName(dir.file("new.txt")).constData(), 0640);
    ASSERT_TRUE(TryWriteFileAtomically(dir.file("new.txt"), QByteArray(100000, 'x'), error));
    EXPECT_EQ(dir.read("new.txt"), QByteArray(100000, 'x'));
    EXPECT_EQ(Mode(dir.file("new.txt")), mode_t(0640));
    ASSERT_TRUE(TryWriteFileAtomically(dir.file("new.txt"), QByteArray(), error));
    EXPECT_EQ(QFileInfo(dir.file("new.txt")).size(), 0);

    // Through a link the target is replaced, and the link stays a link;
    // a link to nothing yet creates its target.
    dir.write("target.txt", "old");
    ASSERT_TRUE(QFile::link(dir.file("target.txt"), dir.file("link.txt")));
    ASSERT_TRUE(QFile::link(QStringLiteral("later.txt"), dir.file("dangling.txt")));
    ASSERT_TRUE(TryWriteFileAtomically(dir.file("link.txt"), "through the link", error));
    ASSERT_TRUE(TryWriteFileAtomically(dir.file("dangling.txt"), "made", error));
    EXPECT_TRUE(QFileInfo(dir.file("link.txt")).isSymLink());
    EXPECT_EQ(dir.read("target.txt"), "through the link");
    EXPECT_EQ(dir.read("later.txt"), "made");
    EXPECT_EQ(Entries(dir.path()), QStringList({"dangling.txt", "later.txt", "link.txt", "new.txt", "target.txt"}));

    // A name as long as a folder entry may be still gets a temporary file.
    const QString longest = dir.file(QString(255, u'n'));
    ASSERT_TRUE(TryWriteFileAtomically(longest, "long", error)) << error.toStdString();
    EXPECT_EQ(Read(longest), "long");
}

TEST(WriteFileAtomically, AFailureLeavesEverythingAsItWas)
{
    TempProgramDir dir;
    QDir().mkpath(dir.file("folder"));
    dir.write("folder/inside.txt", "kept");
    const struct
    {
        const char *Name;
    } cases[] = {{"folder"}, {"missing/file.txt"}, {""}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        QString error;
        const QString name = *c.Name ? dir.file(c.Name) : QString();
        EXPECT_FALSE(TryWriteFileAtomically(name, "new", error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(Entries(dir.path()), QStringList{"folder"});
        EXPECT_EQ(Entries(dir.file("folder")), QStringList{"inside.txt"});
    }
    EXPECT_EQ(dir.read("folder/inside.txt"), "kept");

    // The callers' own failures carry the reason.
    try {
        TStringList lines;
        lines.Add("x=1");
        lines.SaveToFile(dir.file("folder"));
        ADD_FAILURE() << "a list was written over a folder";
    } catch (const EFCreateError &e) {
        EXPECT_TRUE(e.Message().startsWith("Cannot create file \"" + dir.file("folder") + "\". "));
        EXPECT_TRUE(e.Message().endsWith(QString::fromLocal8Bit(strerror(EISDIR)))) << e.what();
    }
}

// Every save of the program on a full disk: a 64-page file system filled to
// nothing or one page free. A save that does not fit fails and leaves the
// old file byte for byte; one that fits is written.
TEST(WriteFileAtomically, AFullDiskLeavesTheOldFiles)
{
    RUN_ON_SMALL_FILESYSTEM(256);
    const QString folder = QDir::tempPath() + u'/';
    const QByteArray oldSettings = Lines(7463, 'o');
    const QByteArray oldHistory = "1+1 = 2\r\n2*3 = 6\r\n";
    const QByteArray oldState = "[ProgramState]\r\nNumberSet=1\r\n";
    ASSERT_TRUE(Write(folder + "settings.ini", "[Settings]\r\n" + oldSettings));
    ASSERT_TRUE(Write(folder + "history.dat", oldHistory));
    ASSERT_TRUE(Write(folder + "programState.ini", oldState));
    const QByteArray settingsBefore = Read(folder + "settings.ini");

    // Fill the rest.
    {
        QFile filler(folder + "filler");
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray page(4096, 'f');
        while (filler.write(page) == page.size()) {}
    }
    const qint64 full = QFileInfo(folder + "filler").size();
    const QStringList files = Entries(folder);

    const struct
    {
        qint64 FreePages;
        qsizetype Size; // of the new contents
        bool Fits;
    } cases[] = {
        {0, 89, false},
        {1, 7463, false},
        {1, 89, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.FreePages << " pages free, " << c.Size << " bytes");
        ASSERT_TRUE(QFile::resize(folder + "filler", full - c.FreePages * 4096));
        const QByteArray now = Lines(c.Size, 'n');

        QString error;
        EXPECT_EQ(TryWriteFileAtomically(folder + "settings.ini", now, error), c.Fits);
        EXPECT_EQ(Text(folder + "settings.ini"), (c.Fits ? now : settingsBefore).toStdString());
        EXPECT_EQ(error.isEmpty(), c.Fits) << error.toStdString();
        if (c.Fits) {
            ASSERT_TRUE(Write(folder + "settings.ini", settingsBefore));
            continue;
        }
        EXPECT_EQ(error, QString::fromLocal8Bit(strerror(ENOSPC)));

        TStringList lines;
        lines.SetText(QString::fromLatin1(now));
        EXPECT_THROW(lines.SaveToFile(folder + "history.dat"), EFCreateError);
        EXPECT_THROW(TIniFile(folder + "programState.ini").WriteString("ProgramState", "Big", QString::fromLatin1(now)),
                     EIniFileException);
        EXPECT_THROW(WriteIniAtomically(folder + "settings.ini",
                                        [&](TIniFile &ini) {
                                            ini.WriteString("Settings", "A", "1");
                                            ini.WriteString("Memory", "Data", QString::fromLatin1(now));
                                        }),
                     EIniFileException);

        EXPECT_EQ(Text(folder + "settings.ini"), settingsBefore.toStdString());
        EXPECT_EQ(Text(folder + "history.dat"), oldHistory.toStdString());
        EXPECT_EQ(Text(folder + "programState.ini"), oldState.toStdString());
        EXPECT_EQ(Entries(folder), files);
    }
}

// A kill after the new contents are written and synced, before they take
// the file's place: the file keeps its old contents. (The temporary file
// stays behind, whole; nothing can remove it.)
TEST(WriteFileAtomically, AKillBeforeTheRenameLeavesTheOldFile)
{
    static const QByteArray Now = Lines(50000, 'n');
    if (ChildRole() == QLatin1String("killed-while-saving")) {
        WriteFileAtomicallyHook = [](const QString &Temporary) {
            std::printf("temporary=%s\n", qPrintable(Temporary));
            std::fflush(stdout);
            ::raise(SIGKILL);
        };
        QString error;
        TryWriteFileAtomically(qEnvironmentVariable("TANDOREL_TEST_TARGET"), Now, error);
        ADD_FAILURE() << "the save went past its hook";
        return;
    }
    TempProgramDir dir;
    const QByteArray old = Lines(3000, 'o');
    dir.write("settings.ini", old);
    QProcessEnvironment env;
    env.insert(QLatin1String(ChildRoleVariable), QStringLiteral("killed-while-saving"));
    env.insert(QStringLiteral("TANDOREL_TEST_TARGET"), dir.file("settings.ini"));
    const TChildRun run = RunCurrentTestInChild({}, env);
    ASSERT_TRUE(run.Started);
    EXPECT_TRUE(run.Crashed) << run.Output.toStdString();
    EXPECT_EQ(dir.read("settings.ini").toStdString(), old.toStdString());

    const qsizetype at = run.Output.indexOf("temporary=");
    ASSERT_GE(at, 0) << run.Output.toStdString();
    const QString temporary = QString::fromLocal8Bit(run.Output.mid(at + 10, run.Output.indexOf('\n', at) - at - 10));
    EXPECT_EQ(QFileInfo(temporary).absolutePath() + u'/', dir.path());
    EXPECT_EQ(Read(temporary), Now);
    EXPECT_EQ(Entries(dir.path()), QStringList({"settings.ini", QFileInfo(temporary).fileName()}));
}
