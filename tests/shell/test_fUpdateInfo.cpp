#include "shell/fUpdateInfo.h"

#include "shell/uMainProgram.h"
#include "shell/uUpdateInformer.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/QtPrint.h"
#include "tests/support/UrlCatcher.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using TReply = TLocalHttpServer::TReply;

QLabel *Label(QWidget *Window, const char *Name)
{
    return Window->findChild<QLabel *>(QLatin1String(Name));
}

bool SignShown()
{
    return Label(MainFrm, "updateInfoImg")->isVisible();
}

// Waits for the informer's next report.
bool WaitForReport(int TimeoutMs = 5000)
{
    QSignalSpy reports(TUpdateInformer::Instance(), &TUpdateInformer::Info);
    return reports.wait(TimeoutMs);
}

} // namespace

TEST(UpdateInfoWindow, ShowsWhatTheUpdatePageReports)
{
    const struct
    {
        TReply Reply;
        const char *Status;
        const char *Stable;
        const char *Dev;
    } cases[] = {
        {TReply::Ok("27\n1.11.0.27\n28\n1.12.0.28\n"), "There's a new stable version available on the net.",
         "1.11.0.27", "1.12.0.28"},
        {TReply::Ok("26\n1.10.0.26\n27\n1.11 beta\n"), "There's a new development version available on the net.",
         "1.10.0.26", "1.11 beta"},
        {TReply::Ok("26\r\n1.10.0.26\r\n"), "You are using the latest version of Tandorel.", "1.10.0.26", "???"},
        {TReply::Ok("Service unavailable"), "Couldn't get information about new versions.", "???", "???"},
        {TReply::With(404, ""), "Couldn't get information about new versions.", "???", "???"},
    };
    for (const auto &c : cases) {
        TProgramRun run;
        run.Server.Route("/updateinfo.php", TReply(c.Reply).After(50));
        run.Start();
        TGUIManager::Instance()->ShowForm(FormId::UpdateInfo);
        auto *window = run.Window<TUpdateInfoFrm>(FormId::UpdateInfo);
        EXPECT_EQ(Label(window, "statusLbl")->text(), "Getting information about new versions. Please wait.");
        EXPECT_EQ(Label(window, "yourVersionLbl")->text(), "1.10.0.26");
        ASSERT_TRUE(WaitForReport()) << c.Status;
        EXPECT_EQ(Label(window, "statusLbl")->text(), QString::fromLatin1(c.Status));
        EXPECT_EQ(Label(window, "latestStableVersionLbl")->text(), QString::fromLatin1(c.Stable));
        EXPECT_EQ(Label(window, "latestDeveloperVersionLbl")->text(), QString::fromLatin1(c.Dev));
        ASSERT_EQ(run.Server.Targets.size(), 1);
        EXPECT_TRUE(run.Server.Targets[0].startsWith("/updateinfo.php?auto=0&build=26&language=e2&uid="));

        // Shown again: a known answer at once, a failure asks anew.
        window->close();
        const bool loaded = TUpdateInformer::Instance()->IsLoaded();
        TGUIManager::Instance()->ShowForm(FormId::UpdateInfo);
        if (loaded) {
            EXPECT_EQ(Label(window, "statusLbl")->text(), QString::fromLatin1(c.Status));
        }
        EXPECT_EQ(run.Server.WaitForRequests(2, loaded ? 100 : 5000), !loaded);
    }
}

TEST(UpdateInfoWindow, ButtonsOpenTheDownloadAndHistoryPages)
{
    TProgramRun run;
    run.Server.Route("/updateinfo.php", TReply::Ok("26\n1.10.0.26\n"));
    run.Start();
    TGUIManager::Instance()->ShowForm(FormId::UpdateInfo);
    auto *window = run.Window<TUpdateInfoFrm>(FormId::UpdateInfo);
    TUrlCatcher catcher;
    for (const char *button : {"downloadBtn", "whatsNewBtn"})
        QTest::mouseClick(window->findChild<QPushButton *>(QLatin1String(button)), Qt::LeftButton);
    ASSERT_EQ(catcher.Opened.size(), 2);
    const QString home = QStringLiteral("http://") + run.Server.HostAndPort();
    EXPECT_EQ(catcher.Opened[0].toString(), home + "/index.php?page=download&build=26&language=e2");
    EXPECT_EQ(catcher.Opened[1].toString(), home + "/index.php?page=history&build=26&language=e2");
    QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("closeBtn")), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
}

TEST(UpdateCheckAtStart, ShowsTheSignOnlyForANewerStableBuild)
{
    const struct
    {
        TReply Reply;
        bool Sign;
    } cases[] = {
        {TReply::Ok("27\n1.11.0.27\n"), true},
        {TReply::Ok("26\n1.10.0.26\n27\n1.11 beta\n"), false},
        {TReply::Ok("25\n1.9\n"), false},
        {TReply::Ok("garbage"), false},
        {TReply::With(404, "27\n1.11.0.27\n"), false},
    };
    for (const auto &c : cases) {
        TProgramRun run;
        run.WriteSettings("CheckUpdatesAtStart=1\r\n");
        run.Server.Route("/updateinfo.php", TReply(c.Reply).After(50));
        run.Start();
        EXPECT_FALSE(SignShown());
        ASSERT_TRUE(WaitForReport());
        ASSERT_EQ(run.Server.Targets.size(), 1);
        EXPECT_TRUE(run.Server.Targets[0].startsWith("/updateinfo.php?auto=1&build=26&language=e2&uid="));
        EXPECT_EQ(SignShown(), c.Sign) << c.Reply.Body.constData();
    }
}

TEST(UpdateCheckAtStart, IsNotMadeWhenSwitchedOff)
{
    TProgramRun run;
    run.Start();
    EXPECT_FALSE(run.Server.WaitForRequests(1, 300));
    EXPECT_FALSE(TUpdateInformer::Instance()->IsBusy());
}

TEST(UpdateCheckAtStart, TheWindowOpenedMeanwhileAndTheSignBothGetTheAnswer)
{
    TProgramRun run;
    run.WriteSettings("CheckUpdatesAtStart=1\r\n");
    run.Server.Route("/updateinfo.php", TReply::Ok("27\n1.11.0.27\n").After(300));
    run.Start();
    ASSERT_TRUE(run.Server.WaitForRequests(1));
    TGUIManager::Instance()->ShowForm(FormId::UpdateInfo);
    auto *window = run.Window<TUpdateInfoFrm>(FormId::UpdateInfo);
    EXPECT_EQ(Label(window, "statusLbl")->text(), "Getting information about new versions. Please wait.");
    ASSERT_TRUE(WaitForReport());
    EXPECT_EQ(Label(window, "statusLbl")->text(), "There's a new stable version available on the net.");
    EXPECT_TRUE(SignShown());
    EXPECT_EQ(run.Server.Targets.size(), 1); // the window asked for no second check
}

TEST(UpdateCheckAtStart, NeitherHoldsUpTheStartNorTheExit)
{
    TProgramRun run;
    run.WriteSettings("CheckUpdatesAtStart=1\r\n");
    run.Server.Route("/updateinfo.php", TReply::Silence());
    run.Start();
    EXPECT_TRUE(MainFrm->isVisible());
    EXPECT_TRUE(TUpdateInformer::Instance()->IsBusy());
    ASSERT_TRUE(run.Server.WaitForRequests(1));
    QElapsedTimer clock;
    clock.start();
    run.Exit();
    EXPECT_LT(clock.elapsed(), 1000);
    QTest::qWait(100); // nothing left behind calls into the freed windows
}
