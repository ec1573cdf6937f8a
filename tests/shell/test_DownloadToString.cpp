#include "shell/uShellCommon.h"

#include "tests/support/LocalHttpServer.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {
// The paths of the tests:
//   /big     a body of 5000 bytes with zero bytes inside, sent in pieces
//   /stream  the same body without a length, ended by closing
//   /empty   200 with an empty body
//   /missing 404 with a body
//   /silent  accepts and never answers
class LocalServer : public TLocalHttpServer
{
public:
    LocalServer()
    {
        for (int i = 0; i < 5000; ++i)
            Big.append(char(i % 251)); // zero bytes at 0, 251, 502, ...
        Route("/big", TReply::Ok(Big).InPieces(1000));
        Route("/stream", TReply::Ok(Big).WithoutLength());
        Route("/empty", TReply::Ok({}));
        Route("/missing", TReply::With(404, "not found"));
        Route("/silent", TReply::Silence());
    }
    QString Url(const char *path) const { return TLocalHttpServer::Url(QLatin1String(path)); }
    QByteArray Big;
};

struct Outcome
{
    QByteArray Body;
    QString Error;
};

// Runs the download on a worker thread while this thread serves.
Outcome DownloadOnWorker(const QString &url, int timeoutMs = DownloadTimeoutMs, qint64 maxBytes = DownloadMaxBytes)
{
    Outcome outcome;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            outcome.Body = DownloadToString(url, timeoutMs, maxBytes);
        } catch (const Exception &e) {
            outcome.Error = e.Message();
        }
    }));
    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    loop.exec();
    worker->wait();
    return outcome;
}
} // namespace

TEST(DownloadToString, BodyLongerThanOneReadArrivesWholeWithItsZeroBytes)
{
    LocalServer server;
    for (const char *path : {"/big", "/stream"}) {
        const Outcome outcome = DownloadOnWorker(server.Url(path));
        EXPECT_EQ(outcome.Error, QString()) << path;
        EXPECT_EQ(outcome.Body.size(), 5000) << path;
        EXPECT_EQ(outcome.Body, server.Big) << path;
    }
}

TEST(DownloadToString, WorksOnTheInterfaceThreadToo)
{
    LocalServer server;
    EXPECT_EQ(DownloadToString(server.Url("/big")), server.Big);
}

TEST(DownloadToString, EmptyBodyGivesEmptyText)
{
    LocalServer server;
    const Outcome outcome = DownloadOnWorker(server.Url("/empty"));
    EXPECT_EQ(outcome.Error, QString());
    EXPECT_TRUE(outcome.Body.isEmpty());
}

TEST(DownloadToString, FailuresRaiseCannotOpen)
{
    LocalServer server;
    const struct
    {
        QString Url;
        int Timeout;
        qint64 Max;
    } cases[] = {
        {server.Url("/missing"), DownloadTimeoutMs, DownloadMaxBytes}, // an error page is no content
        {server.Url("/silent"), 300, DownloadMaxBytes},                // never answers
        {server.Url("/big"), DownloadTimeoutMs, 4999},                 // larger than allowed
        {server.Url("/stream"), DownloadTimeoutMs, 4999},              // ... found out while reading
        {QStringLiteral("file:///etc/hostname"), DownloadTimeoutMs, DownloadMaxBytes},
        {QStringLiteral("not a url"), DownloadTimeoutMs, DownloadMaxBytes},
    };
    for (const auto &c : cases) {
        const Outcome outcome = DownloadOnWorker(c.Url, c.Timeout, c.Max);
        EXPECT_EQ(outcome.Error, QStringLiteral("Cannot open URL ") + c.Url) << c.Url.toStdString();
        EXPECT_TRUE(outcome.Body.isEmpty());
    }
}

TEST(DownloadToString, ClosedPortFailsAtOnce)
{
    quint16 port;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
    } // closed again: nothing listens there now
    const QString url = QStringLiteral("http://127.0.0.1:%1/").arg(port);
    EXPECT_EQ(DownloadOnWorker(url).Error, QStringLiteral("Cannot open URL ") + url);
}
