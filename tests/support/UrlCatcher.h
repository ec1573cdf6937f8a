#pragma once
// Receives the addresses that would go to the desktop (browser, mail
// program, file viewer) while it lives, instead of opening them.
#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QUrl>

class TUrlCatcher : public QObject
{
    Q_OBJECT

public:
    TUrlCatcher()
    {
        for (const char *scheme : {"http", "https", "mailto", "file"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "Open");
    }
    ~TUrlCatcher() override
    {
        for (const char *scheme : {"http", "https", "mailto", "file"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
    QList<QUrl> Opened;

public slots:
    void Open(const QUrl &url) { Opened.append(url); }
};
