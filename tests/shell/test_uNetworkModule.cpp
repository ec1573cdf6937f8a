// The network module: loaded only when a transfer or the single-instance
// guard first needs it, and missed without harm.
#include "shell/uNetworkModule.h"

#include "tests/support/LocalHttpServer.h"
#include "tests/support/QtPrint.h"
#include "tests/support/TempProgramDir.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace {

// The answer of one GET, served by this thread's event loop meanwhile.
std::optional<TWebGet::TAnswer> Fetch(TWebGet &Web, const QUrl &Url, qint64 MaxBytes = 1000)
{
    std::optional<TWebGet::TAnswer> answer;
    bool insideStart = true;
    bool calledInside = false;
    Web.Start(Url, QStringLiteral("Tandorel/26"), MaxBytes, [&](const TWebGet::TAnswer &Answer) {
        calledInside = insideStart;
        answer = Answer;
    });
    insideStart = false;
    QElapsedTimer clock;
    clock.start();
    while (!answer && clock.elapsed() < 10000)
        QTest::qWait(5);
    EXPECT_FALSE(calledInside);
    return answer;
}

// The libraries a running copy of the program has mapped, once it has
// shown its window (it has then also loaded the platform plugin).
QString MappedLibraries(QProcess &Program)
{
    const QString maps = QStringLiteral("/proc/%1/maps").arg(Program.processId());
    QElapsedTimer clock;
    clock.start();
    QByteArray mapped;
    while (clock.elapsed() < 10000 && !mapped.contains("qoffscreen")) {
        QTest::qWait(50);
        QFile file(maps);
        if (file.open(QIODevice::ReadOnly))
            mapped = file.readAll();
    }
    QTest::qWait(500);
    QFile file(maps);
    if (file.open(QIODevice::ReadOnly))
        mapped = file.readAll();
    return QString::fromUtf8(mapped);
}

} // namespace

TEST(NetworkModule, WithoutTheModuleTransfersFailLaterAndTheChannelIsClosed)
{
    TempProgramDir empty;
    SetNetworkModuleFolder(empty.path());
    TLocalHttpServer server;
    server.Route("/page", TLocalHttpServer::TReply::Ok("text"));
    const std::unique_ptr<TWebGet> web = TWebGet::Create();
    const std::optional<TWebGet::TAnswer> answer = Fetch(*web, QUrl(server.Url(QStringLiteral("/page"))));
    ASSERT_TRUE(answer);
    EXPECT_FALSE(answer->Complete);
    EXPECT_TRUE(server.Targets.isEmpty());
    EXPECT_FALSE(TLocalChannel::Create()->Listen(QStringLiteral("tandorel-test-channel"), "x", [] {}));

    // Found in its place, the module serves the next ones.
    SetNetworkModuleFolder(qEnvironmentVariable("TANDOREL_BINARY_DIR"));
    const std::unique_ptr<TWebGet> found = TWebGet::Create();
    const std::optional<TWebGet::TAnswer> fetched = Fetch(*found, QUrl(server.Url(QStringLiteral("/page"))));
    ASSERT_TRUE(fetched);
    EXPECT_TRUE(fetched->Complete);
    EXPECT_EQ(fetched->Status, 200);
    EXPECT_EQ(fetched->Body, QByteArray("text"));
}

TEST(NetworkModule, AGetReportsStatusBodyAndLimits)
{
    SetNetworkModuleFolder(qEnvironmentVariable("TANDOREL_BINARY_DIR"));
    TLocalHttpServer server;
    server.Route("/missing", TLocalHttpServer::TReply::With(404, "gone"));
    server.Route("/long", TLocalHttpServer::TReply::Ok(QByteArray(5000, 'x')).WithoutLength());
    server.Route("/announced", TLocalHttpServer::TReply::Ok(QByteArray(5000, 'x')));
    const std::unique_ptr<TWebGet> web = TWebGet::Create();
    const auto missing = Fetch(*web, QUrl(server.Url(QStringLiteral("/missing"))));
    ASSERT_TRUE(missing);
    EXPECT_TRUE(missing->Complete);
    EXPECT_EQ(missing->Status, 404);
    for (const char *path : {"/long", "/announced"}) {
        const auto tooLong = Fetch(*web, QUrl(server.Url(QLatin1String(path))), 4999);
        ASSERT_TRUE(tooLong) << path;
        EXPECT_FALSE(tooLong->Complete) << path;
        EXPECT_TRUE(tooLong->Body.isEmpty()) << path;
    }
    // An aborted transfer reports nothing, and the object serves again.
    bool reported = false;
    server.Route("/slow", TLocalHttpServer::TReply::Ok("late").After(300));
    web->Start(QUrl(server.Url(QStringLiteral("/slow"))), QStringLiteral("Tandorel/26"), 100,
               [&](const TWebGet::TAnswer &) { reported = true; });
    web->Abort();
    QTest::qWait(500);
    EXPECT_FALSE(reported);
    EXPECT_EQ(Fetch(*web, QUrl(server.Url(QStringLiteral("/slow"))))->Body, QByteArray("late"));
}

TEST(NetworkModule, TheProgramLoadsTheNetworkOnlyWhenAPartOfItNeedsIt)
{
    // A usual start loads no network library; the single-instance guard
    // (which talks to other copies through a local socket) brings it in.
    for (const bool guard : {false, true}) {
        TempProgramDir dir;
        for (const char *name : {"tandorel", "tandorel-network.so"})
            QFile::copy(qEnvironmentVariable("TANDOREL_BINARY_DIR") + u'/' + QLatin1String(name),
                        dir.file(QLatin1String(name)));
        dir.write("settings.ini", QByteArray("[Settings]\r\nCheckUpdatesAtStart=0\r\nAllowOnlyOneInstance=")
                                      + (guard ? "1" : "0") + "\r\n");
        QProcess program;
        program.setProgram(dir.file(QStringLiteral("tandorel")));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(environment);
        program.start();
        ASSERT_TRUE(program.waitForStarted(10000));
        const QString mapped = MappedLibraries(program);
        EXPECT_TRUE(mapped.contains(QStringLiteral("qoffscreen"))) << guard;
        EXPECT_EQ(mapped.contains(QStringLiteral("libQt6Network")), guard) << guard;
        EXPECT_EQ(mapped.contains(QStringLiteral("tandorel-network.so")), guard) << guard;
        program.terminate();
        EXPECT_TRUE(program.waitForFinished(10000));
    }
}
