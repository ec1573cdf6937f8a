#pragma once
// The program's uses of Qt's network library, behind a loadable module: a
// web GET with its answer gathered in memory (the update check, the online
// differentiation) and the local channel of the single-instance guard. The
// work is done in the network module (tandorel-network.so, beside the
// program), which brings Qt's network library and with it the Kerberos,
// GSSAPI and proxy libraries; it is loaded when the first of these objects
// is made, so that a start without the update check and without the guard
// loads none of them.
#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class TWebGet
{
public:
    struct TAnswer
    {
        // The transfer ended without a network error (an HTTP error status
        // included) and the body came whole, within the limit.
        bool Complete = false;
        int Status = 0;
        QByteArray Body;
    };
    using TDone = std::function<void(const TAnswer &answer)>;

    virtual ~TWebGet() = default;

    // Begins a GET of Url, always answered by the server itself (no cache),
    // following only redirects that stay as safe, with UserAgent as the
    // user agent. A body longer than MaxBytes, announced or received, ends
    // the transfer incomplete. Done is called once, on the thread that made
    // this object, never from inside Start; it may start the next transfer.
    // A new Start abandons a transfer still running.
    virtual void Start(const QUrl &url, const QString &userAgent, qint64 maxBytes, TDone done) = 0;
    // Ends a running transfer without calling Done.
    virtual void Abort() = 0;

    // A transfer object for this thread. Without the module every Start of
    // it ends incomplete.
    static std::unique_ptr<TWebGet> Create();
};

class TLocalChannel
{
public:
    virtual ~TLocalChannel() = default;

    // Listens on Name, for this user only, taking the name over from a
    // listener that is gone; every connection that sends Request runs
    // OnRequest on this thread. False when it cannot listen.
    virtual bool Listen(const QString &name, const QByteArray &request, std::function<void()> onRequest) = 0;
    // Sends Request to the listener on Name, trying again while none
    // listens yet, for up to TimeoutMs; true when it was sent.
    virtual bool Send(const QString &name, const QByteArray &request, int timeoutMs) = 0;

    // Without the module it can neither listen nor send.
    static std::unique_ptr<TLocalChannel> Create();
};

// The folder the network module is loaded from: the program's own unless
// set (tests point it at the build folder). An empty Folder restores that.
void SetNetworkModuleFolder(const QString &folder);

// The module's exports:
//   extern "C" TWebGet *TandorelCreateWebGet();
//   extern "C" TLocalChannel *TandorelCreateLocalChannel();
inline constexpr char WebGetFactory[] = "TandorelCreateWebGet";
inline constexpr char LocalChannelFactory[] = "TandorelCreateLocalChannel";
