#include "shell/uFileDownloadThread.h"

#include "shell/uShellCommon.h"

#include <QMetaObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
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

    if (!Manager) {
        Manager = new QNetworkAccessManager(this);
        Manager->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    }
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Tandorel/%1").arg(ProgramBuild));
    Reply = Manager->get(request);
    Reply->setReadBufferSize(MaxBytes + 1);

    QNetworkReply *reply = Reply;
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
        if (announced.isValid() && announced.toLongLong() > MaxBytes)
            Finish(false);
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        Data += reply->readAll();
        if (Data.size() > MaxBytes)
            Finish(false);
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        Data += reply->readAll();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        Finish(reply->error() == QNetworkReply::NoError && status >= 200 && status < 300 && Data.size() <= MaxBytes);
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
    if (Reply) {
        QNetworkReply *reply = Reply;
        Reply = nullptr;
        // Cut loose first: abort() announces "finished" at once.
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
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
