#include "shell/uUpdateInformer.h"

#include "platform/Classes.h"
#include "shell/uFileDownloadThread.h"

#include <QList>
#include <QRegularExpression>

namespace {
TUpdateInformer *TheInformer = nullptr;

// A build number: the line's first word, a decimal integer with an optional
// sign; what follows it on the line is ignored.
bool ReadBuild(const QString &line, int &build)
{
    static const QRegularExpression word(QStringLiteral("^\\s*([+-]?[0-9]+)(\\s|$)"));
    const QRegularExpressionMatch m = word.match(line);
    if (!m.hasMatch())
        return false;
    bool ok = false;
    const int value = m.captured(1).toInt(&ok);
    if (ok)
        build = value;
    return ok;
}
} // namespace

TUpdateInformer *TUpdateInformer::Instance()
{
    if (!TheInformer)
        TheInformer = new TUpdateInformer;
    return TheInformer;
}

void TUpdateInformer::FreeInstance()
{
    delete TheInformer;
    TheInformer = nullptr;
}

TUpdateInformer::~TUpdateInformer()
{
    delete Thread; // aborts a running download; nobody is called back
    Thread = nullptr;
}

bool TUpdateInformer::ParseAnswer(const QByteArray &answer, TVersion &stableOut, TVersion &developmentOut)
{
    QByteArray data = answer;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    // Lines end with CR LF, CR or LF, as in every text file the program reads.
    TStringList text;
    text.SetText(QString::fromUtf8(data));
    QList<QString> lines = text.Lines();
    // Blank lines at the end (a final line end, a trailing empty line) end
    // the answer; they are no development build.
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();

    TVersion stable;
    TVersion development;
    if (lines.isEmpty() || !ReadBuild(lines.at(0), stable.Build))
        return false;
    if (lines.size() > 1)
        stable.Version = lines.at(1);
    if (lines.size() > 2 && !ReadBuild(lines.at(2), development.Build))
        return false;
    if (lines.size() > 3)
        development.Version = lines.at(3);
    stableOut = stable;
    developmentOut = development;
    return true;
}

void TUpdateInformer::Check(bool automatic)
{
    if (Loaded || Busy)
        return;
    Busy = true;
    QString url = BaseURL + (automatic ? QStringLiteral("?auto=1") : QStringLiteral("?auto=0"));
    if (!ExtraQuery.isEmpty())
        url += QLatin1Char('&') + ExtraQuery;
    if (Thread) {
        // A listener may start the next check from inside the last one's
        // report, so the old download goes once the report is over.
        Thread->Abort();
        Thread->deleteLater();
    }
    Thread = new TFileDownloadThread(url, this);
    Thread->TimeoutMs = TimeoutMs;
    Thread->OnDone = [this](TFileDownloadThread *, bool success) { DownloadDone(success); };
    Thread->Start();
}

void TUpdateInformer::DownloadDone(bool success)
{
    if (success)
        Loaded = ParseAnswer(Thread->Data, Stable, Development);
    Busy = false;
    emit Info(this);
}
