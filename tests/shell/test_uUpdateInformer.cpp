#include "shell/uUpdateInformer.h"

#include "tests/support/TestWebHost.h"

#include "core/uProgramSettings.h"
#include "shell/uFileDownloadThread.h"
#include "shell/uMainProgram.h"
#include "shell/uShellCommon.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/QtPrint.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using TReply = TLocalHttpServer::TReply;

class UpdateCheck : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TUpdateInformer::FreeInstance();
        SetMakerWebHost(Server.HostAndPort());
        SavedCode = LanguageCode;
        SavedUid = KProgramSettings::Instance()->UID;
        LanguageCode = QStringLiteral("sk");
        KProgramSettings::Instance()->UID = QStringLiteral("261210101500");
    }
    void TearDown() override
    {
        TUpdateInformer::FreeInstance();
        SetMakerWebHost(TestWebHost());
        LanguageCode = SavedCode;
        KProgramSettings::Instance()->UID = SavedUid;
    }
    static TUpdateInformer *Informer() { return TUpdateInformer::Instance(); }
    // One check as the controller asks for it; true once its report came.
    static bool CheckAndWait(bool Automatic, int TimeoutMs = 5000)
    {
        QSignalSpy reports(Informer(), &TUpdateInformer::Info);
        KMainProgram::Instance()->CheckForUpdate(Automatic);
        return reports.count() > 0 || reports.wait(TimeoutMs);
    }

    TLocalHttpServer Server;
    QString SavedCode, SavedUid;
};

} // namespace

TEST(UpdateAnswer, IsReadLineByLine)
{
    const struct
    {
        QByteArray Answer;
        bool Ok;
        int Stable;
        const char *StableText;
        int Dev;
        const char *DevText;
    } cases[] = {
        {"27\n1.11.0.27\n28\n1.12.0.28 beta\n", true, 27, "1.11.0.27", 28, "1.12.0.28 beta"},
        {"27\r\n1.11.0.27\r\n28\r\n1.12\r\n", true, 27, "1.11.0.27", 28, "1.12"},
        {"27\r1.11.0.27\r28\r1.12\r\r\r\n", true, 27, "1.11.0.27", 28, "1.12"},
        {"27\n1.11.0.27", true, 27, "1.11.0.27", 0, "???"},
        {"27", true, 27, "???", 0, "???"},
        {"27 stable\n1.11\n\n\n", true, 27, "1.11", 0, "???"},
        {"\xEF\xBB\xBF 27\n1.11\n", true, 27, "1.11", 0, "???"},
        {"", false, 0, "", 0, ""},
        {"\n\n", false, 0, "", 0, ""},
        {"<html><body>Not here</body></html>\n", false, 0, "", 0, ""},
        {"1.11.0.27\n27\n", false, 0, "", 0, ""},
        {"27\n1.11\nbeta\n1.12\n", false, 0, "", 0, ""},
        {"99999999999999\n1.11\n", false, 0, "", 0, ""},
    };
    for (const auto &c : cases) {
        TVersion stable, dev;
        stable.Build = -1; // untouched on failure
        EXPECT_EQ(TUpdateInformer::ParseAnswer(c.Answer, stable, dev), c.Ok) << c.Answer.constData();
        if (!c.Ok) {
            EXPECT_EQ(stable.Build, -1) << c.Answer.constData();
            continue;
        }
        EXPECT_EQ(stable.Build, c.Stable) << c.Answer.constData();
        EXPECT_EQ(stable.Version, QString::fromLatin1(c.StableText)) << c.Answer.constData();
        EXPECT_EQ(dev.Build, c.Dev) << c.Answer.constData();
        EXPECT_EQ(dev.Version, QString::fromLatin1(c.DevText)) << c.Answer.constData();
    }
}

TEST_F(UpdateCheck, AsksTheUpdatePageOnceAndKeepsTheAnswer)
{
    KProgramSettings::Instance()->UID = QStringLiteral("a b&c");
    Server.Route("/updateinfo.php", TReply::Ok("27\n1.11.0.27\n28\n1.12.0.28\n"));
    ASSERT_TRUE(CheckAndWait(true));
    ASSERT_EQ(Server.Targets.size(), 1);
    EXPECT_EQ(Server.Targets[0], "/updateinfo.php?auto=1&build=26&language=sk&uid=a+b%26c");
    EXPECT_TRUE(Informer()->IsLoaded());
    EXPECT_FALSE(Informer()->IsBusy());
    EXPECT_EQ(Informer()->CurrentBuild, 26);
    EXPECT_TRUE(Informer()->StableIsNewer());
    EXPECT_TRUE(Informer()->DevelopmentIsNewer());
    EXPECT_EQ(Informer()->GetStableInfo().Version, "1.11.0.27");

    // Loaded is final: no further request while the program runs.
    QSignalSpy reports(Informer(), &TUpdateInformer::Info);
    KMainProgram::Instance()->CheckForUpdate(false);
    EXPECT_FALSE(reports.wait(200));
    EXPECT_EQ(Server.Targets.size(), 1);
}

TEST_F(UpdateCheck, ASecondCheckWhileBusyAddsNoRequest)
{
    Server.Route("/updateinfo.php", TReply::Ok("26\n1.10.0.26\n").After(300));
    QSignalSpy reports(Informer(), &TUpdateInformer::Info);
    KMainProgram::Instance()->CheckForUpdate(true);
    EXPECT_TRUE(Informer()->IsBusy());
    KMainProgram::Instance()->CheckForUpdate(false);
    ASSERT_TRUE(reports.wait(5000));
    EXPECT_EQ(reports.count(), 1);
    EXPECT_EQ(Server.Targets.size(), 1);
    EXPECT_TRUE(Informer()->IsLoaded());
    EXPECT_FALSE(Informer()->StableIsNewer());
}

TEST_F(UpdateCheck, AFailedCheckReportsAndGoesBackToIdle)
{
    const struct
    {
        const char *Name;
        TReply Reply;
    } failures[] = {
        {"404", TReply::With(404, "27\n1.11\n")},
        {"500", TReply::With(500, "")},
        {"300", TReply::With(300, "27\n1.11\n")},
        {"garbage", TReply::Ok("<html>maintenance</html>")},
        {"empty", TReply::Ok("")},
        {"too large", TReply::Ok(QByteArray("27\n") + QByteArray(100 * 1024, 'x'))},
    };
    for (const auto &f : failures) {
        TUpdateInformer::FreeInstance();
        Server.Route("/updateinfo.php", f.Reply);
        ASSERT_TRUE(CheckAndWait(false)) << f.Name;
        EXPECT_FALSE(Informer()->IsLoaded()) << f.Name;
        EXPECT_FALSE(Informer()->IsBusy()) << f.Name;
        EXPECT_EQ(Informer()->GetStableInfo().Version, "???") << f.Name;
    }
    // Idle again: the next check asks anew and may succeed.
    Server.Route("/updateinfo.php", TReply::Ok("27\n1.11\n"));
    ASSERT_TRUE(CheckAndWait(false));
    EXPECT_TRUE(Informer()->IsLoaded());
    EXPECT_TRUE(Server.Targets.last().startsWith("/updateinfo.php?auto=0&"));
}

TEST_F(UpdateCheck, ASilentServerTimesOut)
{
    Server.Route("/updateinfo.php", TReply::Silence());
    EXPECT_EQ(Informer()->TimeoutMs, 10000);
    Informer()->TimeoutMs = 300;
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(CheckAndWait(true, 5000));
    EXPECT_GE(clock.elapsed(), 250);
    EXPECT_FALSE(Informer()->IsLoaded());
    EXPECT_FALSE(Informer()->IsBusy());
}

TEST_F(UpdateCheck, TheWorkingDirectoryIsNeitherReadNorWritten)
{
    QTemporaryDir work;
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(work.path()));
    {
        QFile stale(QStringLiteral("updateinfo.dat"));
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("99\n9.9\n");
    }
    Server.Route("/updateinfo.php", TReply::Ok("27\n1.11\n"));
    const bool reported = CheckAndWait(true);
    QDir::setCurrent(before);
    ASSERT_TRUE(reported);
    EXPECT_EQ(Informer()->GetStableInfo().Build, 27);
    EXPECT_EQ(QDir(work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("updateinfo.dat")});
    QFile stale(work.filePath(QStringLiteral("updateinfo.dat")));
    ASSERT_TRUE(stale.open(QIODevice::ReadOnly));
    EXPECT_EQ(stale.readAll(), "99\n9.9\n");
}

TEST_F(UpdateCheck, FreeingDuringADownloadCallsNobodyBack)
{
    Server.Route("/updateinfo.php", TReply::Ok("27\n1.11\n").After(200));
    int reports = 0;
    QObject::connect(Informer(), &TUpdateInformer::Info, [&reports] { ++reports; });
    KMainProgram::Instance()->CheckForUpdate(true);
    ASSERT_TRUE(Server.WaitForRequests(1));
    QElapsedTimer clock;
    clock.start();
    TUpdateInformer::FreeInstance();
    EXPECT_LT(clock.elapsed(), 500);
    QTest::qWait(400); // the answer comes to a download that is gone
    EXPECT_EQ(reports, 0);
}

TEST(FileDownload, RefusedAddressesFailWithoutBlocking)
{
    for (const char *url : {"file:///etc/hostname", "not a url", "ftp://127.0.0.1/x", ""}) {
        TFileDownloadThread download(QString::fromLatin1(url));
        int done = 0;
        bool success = true;
        download.OnDone = [&](TFileDownloadThread *, bool ok) { ++done, success = ok; };
        download.Start();
        EXPECT_EQ(done, 0) << url; // never from inside Start
        EXPECT_TRUE(download.IsRunning()) << url;
        QTest::qWait(20);
        EXPECT_EQ(done, 1) << url;
        EXPECT_FALSE(success) << url;
        EXPECT_FALSE(download.Success) << url;
        EXPECT_FALSE(download.IsRunning()) << url;
    }
}
