#include "shell/uFileDownloadThread.h"

#include "shell/uNetworkModule.h"
#include "shell/uShellCommon.h"

#include <QMetaObject>
#include <QTimer>
#include <QUrl>

TFileDownloadThread::TFileDownloadThread(const QString &URL, QObject *parent) : QObject(parent), URL(URL) {}

TFileDownloadThread::~TFileDownloadThread()
{
    Abort();
}

void TFileDownloadThread::Start()
{
    if (Running)
        return;
    Running = true;
    Success = false;
    Data.clear();

    const QUrl url(URL, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        // Reported from the event loop like any other outcome, so that the
        // caller of Start never sees OnDone before Start has returned.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (Running)
                    Finish(false);
            },
            Qt::QueuedConnection);
        return;
    }

    if (!Web)
        Web = TWebGet::Create();
    Web->Start(url, WebUserAgent(), MaxBytes, [this](const TWebGet::TAnswer &Answer) {
        Data = Answer.Body;
        Finish(Answer.Complete && Answer.Status >= 200 && Answer.Status < 300);
    });

    if (!Timer) {
        Timer = new QTimer(this);
        Timer->setSingleShot(true);
        connect(Timer, &QTimer::timeout, this, [this] { Finish(false); });
    }
    Timer->start(qMax(0, TimeoutMs));
}

void TFileDownloadThread::Abort()
{
    if (Timer)
        Timer->stop();
    if (Web)
        Web->Abort();
    Running = false;
}

void TFileDownloadThread::Finish(bool Ok)
{
    if (!Running)
        return;
    Abort();
    Success = Ok;
    if (!Ok)
        Data.clear();
    // A copy: the handler may free this object or replace OnDone.
    if (const auto done = OnDone)
        done(this, Ok);
}
