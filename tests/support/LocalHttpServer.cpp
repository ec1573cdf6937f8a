#include "tests/support/LocalHttpServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

TLocalHttpServer::TLocalHttpServer()
{
    Server.listen(QHostAddress::LocalHost, 0);
    connect(&Server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = Server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Serve(socket); });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                Pending.remove(socket);
                socket->deleteLater();
            });
        }
    });
}

TLocalHttpServer::~TLocalHttpServer()
{
    Server.close();
}

QString TLocalHttpServer::HostAndPort() const
{
    return QStringLiteral("127.0.0.1:%1").arg(Port());
}

QString TLocalHttpServer::Url(const QString &PathAndQuery) const
{
    return QStringLiteral("http://") + HostAndPort() + PathAndQuery;
}

void TLocalHttpServer::Route(const QByteArray &Path, const TReply &Reply)
{
    Routes.insert(Path, Reply);
}

bool TLocalHttpServer::WaitForRequests(int Count, int TimeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (Targets.size() < Count && timer.elapsed() < TimeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return Targets.size() >= Count;
}

void TLocalHttpServer::Serve(QTcpSocket *Socket)
{
    QByteArray &request = Pending[Socket];
    request += Socket->readAll();
    if (!request.contains("\r\n\r\n"))
        return;
    const QByteArray target = request.split(' ').value(1);
    request.clear();
    Targets.append(target);
    const QByteArray path = target.left(target.indexOf('?') < 0 ? target.size() : target.indexOf('?'));
    const TReply reply = Routes.value(path, Default);
    if (reply.Silent)
        return;
    if (reply.DelayMs > 0) {
        QPointer<QTcpSocket> socket(Socket);
        QTimer::singleShot(reply.DelayMs, this, [this, socket, reply] {
            if (socket)
                Answer(socket, reply);
        });
        return;
    }
    Answer(Socket, reply);
}

void TLocalHttpServer::Answer(QTcpSocket *Socket, const TReply &Reply)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(Reply.Status) + (Reply.Status < 400 ? " OK" : " Error") + "\r\n";
    if (!Reply.NoLength)
        head += "Content-Length: " + QByteArray::number(Reply.Body.size()) + "\r\n";
    head += Reply.Headers + "Connection: close\r\n\r\n";
    Socket->write(head);
    if (Reply.ChunkSize > 0) {
        for (qsizetype at = 0; at < Reply.Body.size(); at += Reply.ChunkSize) {
            Socket->write(Reply.Body.mid(at, Reply.ChunkSize));
            Socket->flush();
        }
    } else {
        Socket->write(Reply.Body);
    }
    Socket->disconnectFromHost();
}
