#include "shell/uMainProgramStartup.h"

#include "core/uProgramSettings.h"
#include "core/uProgramState.h"
#include "core/uVariableManager.h"
#include "shell/CheckPrevious.h"
#include "shell/fHistoria.h"
#include "shell/fMain.h"
#include "shell/uDisk.h"
#include "shell/uGUIManager.h"
#include "shell/uHistoryModel.h"
#include "shell/uMainProgram.h"
#include "shell/uProgramTranslator.h"
#include "tests/support/ModalHelper.h"
#include "tests/support/QtPrint.h"
#include "tests/support/TempProgramDir.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include <csignal>
#include <unistd.h>

namespace {

class StartAndExit : public ::testing::Test
{
protected:
    void SetUp() override { SetProgramDir(Dir.path()); }
    void TearDown() override
    {
        if (MainFrm)
            Exit();
        SetProgramDir(QString());
    }

    void Start() { ASSERT_TRUE(ProgramStartUp()); }
    // Closes the main window as the user does and runs the exit.
    void Exit()
    {
        if (MainFrm)
            MainFrm->close();
        ProgramShutDown();
    }
    static ThistoriaFrm *HistoryWindow() { return TGUIManager::Instance()->FormAs<ThistoriaFrm>(FormId::History); }
    static THistoryModel *History() { return KMainProgram::Instance()->History(); }
    static QString Ini(const QByteArray &text, const char *key)
    {
        const QRegularExpression re(QStringLiteral("(?m)^%1=([^\\r\\n]*)").arg(QString::fromLatin1(key)));
        return re.match(QString::fromUtf8(text)).captured(1);
    }

    TempProgramDir Dir;
};

} // namespace

TEST_F(StartAndExit, RestoresAndSavesStateHistoryAndVariablesWhenAsked)
{
    Dir.write("settings.ini", "[Settings]\r\nSaveHistory=1\r\nSaveVariables=1\r\nRememberLastState=1\r\n"
                              "CheckUpdatesAtStart=0\r\n");
    Dir.write("history.dat", "1+1 = 2\r\n");
    Dir.write("variables.txt", "x=5\r\n");
    Dir.write("programState.ini", "[ProgramState]\r\nNumberSet=1\r\nDecimals=3\r\n");
    Start();
    EXPECT_TRUE(MainFrm->isVisible());
    EXPECT_EQ(MainFrm->windowTitle(), "Tandorel 1.10");
    ASSERT_EQ(History()->Count(), 1);
    EXPECT_FALSE(TGUIManager::Instance()->IsFormCreated(FormId::History)); // loading needs no window
    EXPECT_EQ(TVariableManager::Instance()->GetValue("x"), "5");
    for (quint8 i : {0, 1}) {
        EXPECT_EQ(KProgramState::GetInstance(i)->NumberSet, 1);
        EXPECT_EQ(KProgramState::GetInstance(i)->Decimals, 3);
    }

    KMainProgram::Instance()->AddToHistory(QStringLiteral("2+2 = 4"));
    TVariableManager::Instance()->SetValue("y", "7");
    KProgramState::GetInstance(0)->NumberSet = 2;
    Exit();

    EXPECT_EQ(Dir.read("history.dat"), QByteArray("1+1 = 2\r\n2+2 = 4\r\n"));
    EXPECT_EQ(Dir.read("variables.txt"), QByteArray("x=5\r\ny=7\r\n"));
    const QByteArray state = Dir.read("programState.ini");
    EXPECT_EQ(Ini(state, "NumberSet"), "2");
    EXPECT_EQ(Ini(state, "Decimals"), "3");
    const QByteArray settings = Dir.read("settings.ini");
    EXPECT_TRUE(QRegularExpression("^\\d{12}$").match(Ini(settings, "UID")).hasMatch()) << settings.toStdString();
}

TEST_F(StartAndExit, LeavesHistoryVariablesAndStateAloneWhenNotAsked)
{
    const QByteArray history = "1+1 = 2\r\n", variables = "x=5\r\n";
    Dir.write("settings.ini", "[Settings]\r\nSaveHistory=0\r\nSaveVariables=0\r\nRememberLastState=0\r\n"
                              "CheckUpdatesAtStart=0\r\nUID=abc\r\n");
    Dir.write("history.dat", history);
    Dir.write("variables.txt", variables);
    Start();
    EXPECT_FALSE(TGUIManager::Instance()->IsFormCreated(FormId::History));
    EXPECT_EQ(TVariableManager::Instance()->Count(), 0);
    KMainProgram::Instance()->AddToHistory(QStringLiteral("2+2 = 4"));
    TVariableManager::Instance()->SetValue("y", "7");
    Exit();
    EXPECT_EQ(Dir.read("history.dat"), history);
    EXPECT_EQ(Dir.read("variables.txt"), variables);
    EXPECT_EQ(Ini(Dir.read("settings.ini"), "UID"), "abc");
}

TEST_F(StartAndExit, StateFileIsWrittenOnlyWhenTheLastStateIsRemembered)
{
    struct Case
    {
        bool Remember, Existed;
    };
    const QByteArray old = "[ProgramState]\r\nNumberSet=1\r\n";
    for (const Case c : {Case{true, true}, Case{true, false}, Case{false, true}, Case{false, false}}) {
        TempProgramDir dir;
        SetProgramDir(dir.path());
        dir.write("settings.ini", QByteArray("[Settings]\r\nCheckUpdatesAtStart=0\r\nRememberLastState=")
                                      + (c.Remember ? "1" : "0") + "\r\n");
        if (c.Existed)
            dir.write("programState.ini", old);
        Start();
        KProgramState::GetInstance(0)->AngleMode = 2;
        Exit();
        const QByteArray now = dir.read("programState.ini");
        if (c.Remember) {
            EXPECT_EQ(Ini(now, "AngleMode"), "2") << c.Existed;
            EXPECT_EQ(Ini(now, "NumberSet"), c.Existed ? "1" : "0");
        } else {
            EXPECT_EQ(now, c.Existed ? old : QByteArray()) << c.Existed;
            EXPECT_EQ(dir.exists("programState.ini"), c.Existed);
        }
    }
}

TEST_F(StartAndExit, AFailedSaveIsReportedAndTheOtherSavesStillHappen)
{
    Dir.write("settings.ini", "[Settings]\r\nSaveHistory=1\r\nSaveVariables=1\r\nRememberLastState=1\r\n"
                              "CheckUpdatesAtStart=0\r\n");
    // A folder where the variables file should go cannot be replaced by a file.
    QDir().mkpath(Dir.file("variables.txt"));
    Start();
    KMainProgram::Instance()->AddToHistory(QStringLiteral("3*3 = 9"));
    TVariableManager::Instance()->SetValue("z", "1");
    QString message, title;
    AnswerNextMessageBox(QMessageBox::Ok, &message, &title);
    Exit();
    EXPECT_EQ(message, "Unable to save program settings.");
    EXPECT_EQ(title, "Error");
    EXPECT_EQ(Dir.read("history.dat"), QByteArray("3*3 = 9\r\n"));
    EXPECT_TRUE(Dir.exists("programState.ini"));
    EXPECT_FALSE(Ini(Dir.read("settings.ini"), "UID").isEmpty());
}

TEST_F(StartAndExit, FilesFarTooLargeAreRefusedWithAMessageAndLeftAlone)
{
    // Files far larger than any real one (sparse here).
    const auto huge = [this](const char *name, const QByteArray &head, qint64 size) {
        QFile f(Dir.file(name));
        QDir().mkpath(QFileInfo(f).absolutePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(head);
        ASSERT_TRUE(f.resize(size));
    };
    // Starts, answering each message box that opens and keeping its text.
    const auto startAnswering = [this] {
        QStringList messages;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&messages] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (box && box->isVisible() && !box->property("answered").toBool()) {
                box->setProperty("answered", true);
                messages << box->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
        answer.start(10);
        Start();
        QTest::qWait(100);
        return messages;
    };
    Dir.write("lang/en.txt", "[Info]\r\nLanguageIsoCode=en\r\nLanguageName=English\r\n");

    huge("settings.ini", "[Settings]\r\nSaveHistory=1\r\n", MaxTextFileSize + 1);
    huge("history.dat", "1+1 = 2\r\n", MaxTextFileSize + 1);
    const QDateTime settingsTime = QFileInfo(Dir.file("settings.ini")).lastModified();
    QStringList messages = startAnswering();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[0].contains("settings.ini")) << messages[0].toStdString();
    EXPECT_TRUE(messages[1].contains("history.dat")) << messages[1].toStdString();
    EXPECT_TRUE(messages[1].contains("far larger")) << messages[1].toStdString();
    KMainProgram::Instance()->AddToHistory(QStringLiteral("2+2 = 4"));
    Exit();
    for (const char *name : {"settings.ini", "history.dat"})
        EXPECT_EQ(QFileInfo(Dir.file(name)).size(), MaxTextFileSize + 1) << name;
    EXPECT_EQ(QFileInfo(Dir.file("settings.ini")).lastModified(), settingsTime);
    EXPECT_TRUE(Dir.read("history.dat").startsWith(QByteArray("1+1 = 2\r\n\0", 10)));

    // A language file: the English one takes its place, the setting keeps it.
    Dir.write("settings.ini", "[Settings]\r\nLanguageFile=lang/big.txt\r\nCheckUpdatesAtStart=0\r\nSaveHistory=0\r\n");
    huge("lang/big.txt", "[Info]\r\nLanguageIsoCode=xx\r\n", MaxLanguageFileSize + 1);
    messages = startAnswering();
    ASSERT_EQ(messages.size(), 1) << messages.join(u'|').toStdString();
    EXPECT_TRUE(messages[0].contains("big.txt")) << messages[0].toStdString();
    EXPECT_TRUE(TProgramTranslator::Instance()->GetFileName().endsWith("lang/en.txt"));
    Exit();
    EXPECT_EQ(Ini(Dir.read("settings.ini"), "LanguageFile"), "lang/big.txt");
}

TEST_F(StartAndExit, AHistoryWithAStrayByteKeepsEveryOtherLineAsItWas)
{
    Dir.write("settings.ini", "[Settings]\r\nSaveHistory=1\r\nCheckUpdatesAtStart=0\r\n");
    const QByteArray history = "\xcf\x80*2 = 6.28\r\ncaf\xe9 = 1\r\n\xce\xb1+1 = 2 [\xce\xb1=1;]\r\n";
    Dir.write("history.dat", history);
    Start();
    ASSERT_EQ(History()->Count(), 3);
    EXPECT_EQ(THistoryModel::ExpressionOf(History()->Lines(0)), QString::fromUtf8("\xcf\x80*2"));
    KMainProgram::Instance()->AddToHistory(QStringLiteral("2+2 = 4"));
    Exit();
    EXPECT_EQ(Dir.read("history.dat"), history + "2+2 = 4\r\n");
}

TEST_F(StartAndExit, ASavedPositionOffEveryScreenOpensCentred)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    Dir.write("settings.ini", "[MainForm]\r\nCenter=0\r\nLeft=-30000\r\nTop=-30000\r\n"
                              "[Settings]\r\nCheckUpdatesAtStart=0\r\n");
    Start();
    EXPECT_TRUE(screen.intersects(MainFrm->frameGeometry())) << MainFrm->x() << "," << MainFrm->y();
    Exit();
    const QByteArray settings = Dir.read("settings.ini");
    EXPECT_EQ(Ini(settings, "Center"), "0"); // the user's choice stays

    // The extremes of the saved numbers, where adding a size overflows.
    for (const char *corner : {"Left=2147483647\r\nTop=2147483647", "Left=-2147483648\r\nTop=-2147483648",
                               "Left=2147483647\r\nTop=-2147483648"}) {
        Dir.write("settings.ini",
                  QByteArray("[MainForm]\r\nCenter=0\r\n") + corner + "\r\n[Settings]\r\nCheckUpdatesAtStart=0\r\n");
        Start();
        EXPECT_TRUE(screen.intersects(MainFrm->frameGeometry())) << corner;
        // The magnetic windows are placed against it.
        TGUIManager::Instance()->ShowForm(FormId::Variables);
        TGUIManager::Instance()->ShowForm(FormId::History);
        Exit();
    }

    Dir.write("settings.ini", "[MainForm]\r\nCenter=0\r\nLeft=30\r\nTop=40\r\n[Settings]\r\nCheckUpdatesAtStart=0\r\n");
    Start();
    EXPECT_EQ(MainFrm->frameGeometry().topLeft(), QPoint(30, 40));
    Exit();
}

TEST_F(StartAndExit, AMissingLanguageFileFallsBackAndTheFoundOneIsStored)
{
    Dir.write("lang/en.txt", "[Info]\r\nLanguageIsoCode=en\r\nLanguageName=English\r\n"
                             "[HistoryForm]\r\nCaption=Calculations\r\n");
    Dir.write("settings.ini", "[Settings]\r\nLanguageFile=lang/gone.txt\r\nCheckUpdatesAtStart=0\r\n");
    Start();
    EXPECT_EQ(KProgramSettings::Instance()->LanguageFile, "lang/en.txt");
    EXPECT_EQ(HistoryWindow()->windowTitle(), "Calculations");
    Exit();
    EXPECT_EQ(Ini(Dir.read("settings.ini"), "LanguageFile"), "lang/en.txt");
}

TEST_F(StartAndExit, ConstantsOfTheFileAreKnownToCalculationsOnceALanguageIsLoaded)
{
    Dir.write("lang/en.txt", "[Info]\r\nLanguageIsoCode=en\r\nLanguageName=English\r\n");
    Dir.write("settings.ini", "[Settings]\r\nLanguageFile=lang/en.txt\r\nCheckUpdatesAtStart=0\r\nSaveHistory=1\r\n");
    Dir.write("const.dat", "$g#gravity#9.81#m/s2\r\n");
    Start();
    KMainProgram::Instance()->Calculate(QStringLiteral("2*$g"));
    KMainProgram::Instance()->Calculate(QStringLiteral("$pi"));
    ASSERT_EQ(History()->Count(), 2);
    EXPECT_EQ(History()->Lines(0), "2*$g = 19.62");
    EXPECT_TRUE(History()->Lines(1).startsWith("$pi = 3.141")) << History()->Lines(1).toStdString();
    KMainProgram::Instance()->Calculate(QStringLiteral("$h+1"));
    EXPECT_EQ(KMainProgram::Instance()->LastError.ErrorCode, 19);
    EXPECT_EQ(History()->Count(), 2);
    Exit();
    EXPECT_EQ(Dir.read("const.dat"), QByteArray("$g#gravity#9.81#m/s2\r\n")); // exit does not write it
}

// ------------------------------------------------------- a second copy

namespace {

// The program's binary placed in a throw-away program folder, so that its
// program folder (the executable's folder) is that folder.
// The program with its network module beside it, as installed.
QString PlaceProgram(const TempProgramDir &dir)
{
    for (const char *name : {"tandorel", "tandorel-network.so"}) {
        const QString built = qEnvironmentVariable("TANDOREL_BINARY_DIR") + u'/' + QLatin1String(name);
        const QString placed = dir.file(QLatin1String(name));
        if (::link(QFile::encodeName(built).constData(), QFile::encodeName(placed).constData()) != 0)
            QFile::copy(built, placed);
    }
    return dir.file("tandorel");
}

// Every file of the folder with its content and modification time.
QMap<QString, QPair<QByteArray, QDateTime>> Snapshot(const TempProgramDir &dir)
{
    QMap<QString, QPair<QByteArray, QDateTime>> files;
    QDirIterator it(dir.path(), QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        QByteArray content;
        if (f.open(QIODevice::ReadOnly))
            content = f.readAll();
        files.insert(path, {content, QFileInfo(path).lastModified()});
    }
    return files;
}

// Serves events until Done holds or Ms milliseconds have passed; whether it holds.
bool WaitFor(const std::function<bool()> &Done, int Ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!Done() && clock.elapsed() < Ms)
        QTest::qWait(10);
    return Done();
}

// A copy ended by force leaves its socket and lock file behind.
void RemoveLeftovers(const QString &program)
{
    const QString stem = QDir::tempPath() + u'/' + InstanceServerName(program);
    QFile::remove(stem);
    QFile::remove(stem + QStringLiteral(".slot0.lock"));
}

const QByteArray OneCopySettings = "[Settings]\r\nAllowOnlyOneInstance=1\r\nCheckUpdatesAtStart=0\r\n";

} // namespace

TEST(SecondCopy, EndsWithoutWritingAndAsksTheRunningCopyToComeForward)
{
    TempProgramDir dir;
    const QString program = PlaceProgram(dir);
    ASSERT_TRUE(QFileInfo(program).isExecutable());
    dir.write("settings.ini", OneCopySettings);
    dir.write("history.dat", "1+1 = 2\r\n");

    // This test process plays the copy that runs.
    int asked = 0;
    SetInstancePathForTests(program);
    ASSERT_FALSE(CheckPreviousInstance([&] { ++asked; }, 1));
    const auto before = Snapshot(dir);

    QProcess second;
    second.start(program, {});
    ASSERT_TRUE(second.waitForStarted(10000));
    QElapsedTimer clock;
    clock.start();
    while (second.state() != QProcess::NotRunning && clock.elapsed() < 20000)
        QTest::qWait(20);
    ASSERT_EQ(second.state(), QProcess::NotRunning);
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(WaitFor([&] { return asked == 1; }, 5000));
    EXPECT_EQ(Snapshot(dir), before);

    // Once the running copy is gone a new start runs normally.
    ReleasePreviousInstance();
    SetInstancePathForTests(QString());
    QProcess next;
    next.start(program, {});
    ASSERT_TRUE(next.waitForStarted(10000));
    EXPECT_FALSE(next.waitForFinished(1500));
    next.kill();
    next.waitForFinished(5000);
    RemoveLeftovers(program);
}

TEST(SecondCopy, TheRunningCalculatorComesBackFromTheTaskbarWhenAsked)
{
    TempProgramDir dir;
    const QString program = PlaceProgram(dir);
    dir.write("settings.ini", OneCopySettings);
    SetProgramDir(dir.path());
    SetInstancePathForTests(program);
    ASSERT_TRUE(ProgramStartUp());
    ASSERT_TRUE(InstanceRegistered);
    MainFrm->showMinimized();
    ASSERT_TRUE(MainFrm->isMinimized());

    QProcess second;
    second.start(program, {});
    ASSERT_TRUE(second.waitForStarted(10000));
    ASSERT_TRUE(WaitFor([&] { return second.state() == QProcess::NotRunning; }, 20000));
    EXPECT_TRUE(WaitFor([] { return !MainFrm->isMinimized(); }, 5000));
    EXPECT_TRUE(MainFrm->isVisible());

    MainFrm->close();
    ProgramShutDown();
    EXPECT_FALSE(InstanceRegistered);
    SetInstancePathForTests(QString());
    SetProgramDir(QString());
}

TEST(SecondCopy, TwoCopiesStartedAtOnceCannotBothStay)
{
    TempProgramDir dir;
    const QString program = PlaceProgram(dir);
    dir.write("settings.ini", OneCopySettings);
    QProcess a, b;
    a.start(program, {});
    b.start(program, {});
    ASSERT_TRUE(a.waitForStarted(10000));
    ASSERT_TRUE(b.waitForStarted(10000));
    QElapsedTimer clock;
    clock.start();
    while (a.state() != QProcess::NotRunning && b.state() != QProcess::NotRunning && clock.elapsed() < 20000)
        QTest::qWait(20);
    const bool aEnded = a.state() == QProcess::NotRunning;
    const bool bEnded = b.state() == QProcess::NotRunning;
    EXPECT_TRUE(aEnded || bEnded);
    // The other one keeps running.
    QProcess &stays = aEnded ? b : a;
    EXPECT_FALSE(stays.waitForFinished(1000));
    a.kill();
    b.kill();
    a.waitForFinished(5000);
    b.waitForFinished(5000);
    RemoveLeftovers(program);
}

// ------------------------------------------------- ended from outside

namespace {

// The running program has its handler for Signal (its caught-signals mask).
bool Catches(qint64 Pid, int Signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(Pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (Signal - 1)) & 1;
    return false;
}

} // namespace

TEST(EndedBySignal, TerminationAndHangUpSaveLikeClosingTheWindow)
{
    for (const int signal : {SIGTERM, SIGHUP}) {
        TempProgramDir dir;
        const QString program = PlaceProgram(dir);
        dir.write("settings.ini", "[Settings]\r\nSaveHistory=1\r\nCheckUpdatesAtStart=0\r\nUID=none\r\n");
        // Line feeds only: the saved history has carriage returns as well.
        dir.write("history.dat", "1+1 = 2\n");
        QProcess running;
        running.start(program, {});
        ASSERT_TRUE(running.waitForStarted(10000));
        ASSERT_TRUE(WaitFor([&] { return Catches(running.processId(), signal); }, 10000));
        ::kill(pid_t(running.processId()), signal);
        ASSERT_TRUE(running.waitForFinished(20000)) << signal;
        EXPECT_EQ(running.exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_EQ(dir.read("history.dat"), QByteArray("1+1 = 2\r\n")) << signal;
        EXPECT_TRUE(QRegularExpression("UID=\\d{12}").match(QString::fromUtf8(dir.read("settings.ini"))).hasMatch())
            << signal;
    }
}
