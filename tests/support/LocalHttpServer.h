#pragma once
// A small HTTP/1.1 server on 127.0.0.1 (a free port), served by the event
// loop of the thread that made it. Tests give each path its reply and read
// back the requests; nothing ever leaves the machine. Point the program's
// web host at it with SetMakerWebHost(server.HostAndPort()).
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>

class QTcpSocket;

class TLocalHttpServer : public QObject
{
public:
    struct TReply
    {
        int Status = 200;
        QByteArray Body;
        // Extra header lines, each ending with "\r\n".
        QByteArray Headers;
        // Never answers (the connection stays open).
        bool Silent = false;
        // No Content-Length: the body ends when the connection closes.
        bool NoLength = false;
        // The body goes out in pieces of this size (0: at once).
        int ChunkSize = 0;
        // The answer waits this long after the request came.
        int DelayMs = 0;

        static TReply With(int Status, const QByteArray &Body)
        {
            TReply r;
            r.Status = Status;
            r.Body = Body;
            return r;
        }
        static TReply Ok(const QByteArray &Body) { return With(200, Body); }
        static TReply Silence()
        {
            TReply r;
            r.Silent = true;
            return r;
        }
        TReply &InPieces(int Size)
        {
            ChunkSize = Size;
            return *this;
        }
        TReply &WithoutLength()
        {
            NoLength = true;
            return *this;
        }
        TReply &After(int Ms)
        {
            DelayMs = Ms;
            return *this;
        }
        TReply &WithHeaders(const QByteArray &Lines)
        {
            Headers = Lines;
            return *this;
        }
    };

    TLocalHttpServer();
    ~TLocalHttpServer() override;

    quint16 Port() const { return Server.serverPort(); }
    // "127.0.0.1:port"
    QString HostAndPort() const;
    // "http://127.0.0.1:port" + PathAndQuery
    QString Url(const QString &PathAndQuery) const;

    // The reply for a path (the query is not part of it).
    void Route(const QByteArray &Path, const TReply &Reply);
    // The reply for every path without its own; at first 404 "not found".
    void SetDefault(const TReply &Reply) { Default = Reply; }

    // The request targets received, path and query as sent, in order.
    QList<QByteArray> Targets;

    // Serves events until Count requests have come or TimeoutMs passed.
    bool WaitForRequests(int Count, int TimeoutMs = 5000);

private:
    void Serve(QTcpSocket *Socket);
    void Answer(QTcpSocket *Socket, const TReply &Reply);

    QTcpServer Server;
    QHash<QByteArray, TReply> Routes;
    TReply Default = TReply::With(404, "not found");
    QHash<QTcpSocket *, QByteArray> Pending;
};
