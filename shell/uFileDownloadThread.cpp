#include "shell/uFileDownloadThread.h"

#include "shell/uNetworkModule.h"
#include "shell/uShellCommon.h"

#include <QMetaObject>
#include <QTimer>
#include <QUrl>

TFileDownloadThread::TFileDownloadThread(const QString &url, QObject *parent) : QObject(parent), URL(url) {}

TFileDownloadThread::~TFileDownloadThread()
{
    Abort();
}

void TFileDownloadThread::Start()
{
    if (m_running)
        return;
    m_running = true;
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
                if (m_running)
                    Finish(false);
            },
            Qt::QueuedConnection);
        return;
    }

    if (!m_web)
        m_web = TWebGet::Create();
    m_web->Start(url, WebUserAgent(), MaxBytes, [this](const TWebGet::TAnswer &answer) {
        Data = answer.Body;
        Finish(answer.Complete && answer.Status >= 200 && answer.Status < 300);
    });

    if (!m_timer) {
        m_timer = new QTimer(this);
        m_timer->setSingleShot(true);
        connect(m_timer, &QTimer::timeout, this, [this] { Finish(false); });
    }
    m_timer->start(qMax(0, TimeoutMs));
}

void TFileDownloadThread::Abort()
{
    if (m_timer)
        m_timer->stop();
    if (m_web)
        m_web->Abort();
    m_running = false;
}

void TFileDownloadThread::Finish(bool ok)
{
    if (!m_running)
        return;
    Abort();
    Success = ok;
    if (!ok)
        Data.clear();
    // A copy: the handler may free this object or replace OnDone.
    if (const auto done = OnDone)
        done(this, ok);
}
