// The network module: the GET of TWebGet done with Qt's network access, and
// the local channel of TLocalChannel with Qt's local sockets. Built as the
// loadable module tandorel-network.so and installed beside the program,
// which loads it when it first needs one of them.
#include "shell/uNetworkModule.h"

#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QThread>

#include <memory>
#include <utility>

namespace {

class TNetworkGet final : public TWebGet
{
public:
    ~TNetworkGet() override { Abort(); }

    void Start(const QUrl &url, const QString &userAgent, qint64 maxBytes, TDone done) override
    {
        Abort();
        m_done = std::move(done);
        m_maxBytes = maxBytes;
        m_body.clear();
        QNetworkRequest request(url);
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
        request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
        request.setHeader(QNetworkRequest::UserAgentHeader, userAgent);
        QNetworkReply *reply = m_manager.get(request);
        m_reply = reply;
        // Qt's own buffer stays small too; what waits in it is taken on each
        // signal.
        reply->setReadBufferSize(qMin<qint64>(maxBytes + 1, 64 * 1024));
        QObject::connect(reply, &QNetworkReply::metaDataChanged, &m_manager, [this, reply] {
            const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
            if (announced.isValid() && announced.toLongLong() > m_maxBytes)
                Finish(false);
        });
        QObject::connect(reply, &QNetworkReply::readyRead, &m_manager, [this] { Take(); });
        // Each handler ends with Finish, after which this object may be gone.
        QObject::connect(reply, &QNetworkReply::finished, &m_manager, [this, reply] {
            if (!m_reply)
                return;
            m_body += reply->readAll();
            // An error status is an answer like any other; Qt reports the
            // client's (4xx) and the server's (5xx) among its errors.
            const int error = reply->error();
            Finish(error == QNetworkReply::NoError
                   || (error >= QNetworkReply::ContentAccessDenied && error <= QNetworkReply::UnknownContentError)
                   || (error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError));
        });
    }

    void Abort() override
    {
        QNetworkReply *reply = m_reply;
        if (!reply)
            return;
        m_reply = nullptr;
        // Cut loose first: abort() announces "finished" at once. The reply
        // outlives its manager if this object goes before the event loop
        // frees it.
        reply->disconnect(&m_manager);
        reply->abort();
        reply->setParent(nullptr);
        reply->deleteLater();
    }

private:
    void Take()
    {
        if (!m_reply)
            return;
        m_body += m_reply->readAll();
        if (m_body.size() > m_maxBytes)
            Finish(false);
    }

    void Finish(bool ok)
    {
        TAnswer answer;
        answer.Status = m_reply ? m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() : 0;
        answer.Complete = ok && m_body.size() <= m_maxBytes;
        if (answer.Complete)
            answer.Body = std::move(m_body);
        m_body.clear();
        Abort();
        // Last: the handler may start the next transfer.
        if (const TDone done = std::exchange(m_done, nullptr))
            done(answer);
    }

    QNetworkAccessManager m_manager;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_body;
    qint64 m_maxBytes = 0;
    TDone m_done;
};

class TSocketChannel final : public TLocalChannel
{
public:
    ~TSocketChannel() override
    {
        if (m_server)
            m_server->close();
    }

    bool Listen(const QString &name, const QByteArray &request, std::function<void()> onRequest) override
    {
        // A socket left by a copy that died, or by an earlier listener when
        // more copies are allowed: the newest takes the name over.
        QLocalServer::removeServer(name);
        m_server = std::make_unique<QLocalServer>();
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        QLocalServer *server = m_server.get();
        QObject::connect(server, &QLocalServer::newConnection, server, [server, request, onRequest] {
            while (QLocalSocket *client = server->nextPendingConnection()) {
                QObject::connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
                QObject::connect(client, &QLocalSocket::readyRead, client, [client, request, onRequest] {
                    if (client->readAll().contains(request) && onRequest)
                        onRequest();
                });
            }
        });
        return server->listen(name);
    }

    bool Send(const QString &name, const QByteArray &request, int timeoutMs) override
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            QLocalSocket socket;
            socket.connectToServer(name);
            if (socket.waitForConnected(500)) {
                socket.write(request);
                const bool sent = socket.waitForBytesWritten(1000);
                socket.disconnectFromServer();
                if (socket.state() != QLocalSocket::UnconnectedState)
                    socket.waitForDisconnected(500);
                return sent;
            }
            QThread::msleep(50);
        }
        return false;
    }

private:
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace

extern "C" Q_DECL_EXPORT TWebGet *TandorelCreateWebGet()
{
    return new TNetworkGet;
}

extern "C" Q_DECL_EXPORT TLocalChannel *TandorelCreateLocalChannel()
{
    return new TSocketChannel;
}
