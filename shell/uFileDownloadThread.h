#pragma once
// Fetches one small web resource into memory without blocking the interface
// thread: the transfer runs in the web module (TWebGet) and OnDone is called
// on the thread that owns the object once it has ended. Nothing is written
// to disk.
#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QTimer;
class TWebGet;

class TFileDownloadThread : public QObject
{
public:
    // Created idle; Start begins the transfer.
    explicit TFileDownloadThread(const QString &url, QObject *parent = nullptr);
    // A transfer still running is aborted; OnDone is not called any more.
    ~TFileDownloadThread() override;

    QString URL;
    // Whole transfer, from Start to the last byte; a server that stays silent
    // longer fails the download.
    int TimeoutMs = 10000;
    // A larger answer fails the download.
    qint64 MaxBytes = 64 * 1024;

    // Set when the transfer has ended: the answer came whole, with a 2xx
    // status, in time and within MaxBytes. Data holds its body.
    bool Success = false;
    QByteArray Data;

    // Called once per Start, on the owning thread, never from inside Start.
    std::function<void(TFileDownloadThread *sender, bool success)> OnDone;

    // Begins the transfer (an http or https URL; any other address fails).
    // A second Start while one runs does nothing.
    void Start();
    // Ends a running transfer now, without calling OnDone.
    void Abort();
    bool IsRunning() const { return m_running; }

private:
    void Finish(bool ok);

    // Made with the first transfer: only then is the web module loaded.
    std::unique_ptr<TWebGet> m_web;
    QTimer *m_timer = nullptr;
    bool m_running = false;
};
