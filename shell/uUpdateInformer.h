#pragma once
// Asks the maker's update page which builds are the newest and tells every
// listener (the controller's status-bar sign, the update information window)
// through the Info signal.
//
// The answer is text of up to four lines: stable build (a decimal integer),
// stable version text, development build, development version text; line
// ends CR LF, CR or LF. It is parsed in memory.
//
// States: idle, busy (a download runs), loaded (final: no further check is
// made while the program runs). A failed check goes back to idle.
#include <QObject>
#include <QString>

class TFileDownloadThread;

struct TVersion
{
    int Build = 0;
    QString Version = QStringLiteral("???");
};

class TUpdateInformer : public QObject
{
    Q_OBJECT

public:
    // The single object, created on first use.
    static TUpdateInformer *Instance();
    // Destroys the single object; a running download is aborted without
    // telling anyone.
    static void FreeInstance();

    QString BaseURL;
    QString ExtraQuery; // appended after "&" when not empty
    int CurrentBuild = 0;
    // Time allowed for one check, in milliseconds.
    int TimeoutMs = 10000;

    // Nothing when loaded or busy. Otherwise downloads
    // BaseURL + "?auto=1" (Automatic) or "?auto=0", + "&" + ExtraQuery;
    // Info follows once the download has ended.
    void Check(bool automatic);

    bool IsBusy() const { return Busy; }
    bool IsLoaded() const { return Loaded; }
    bool StableIsNewer() const { return Stable.Build > CurrentBuild; }
    bool DevelopmentIsNewer() const { return Development.Build > CurrentBuild; }
    TVersion GetStableInfo() const { return Stable; }
    TVersion GetDevelopmentInfo() const { return Development; }
    // The download of the last check (nullptr before the first).
    TFileDownloadThread *GetThread() const { return Thread; }

    // Reads an answer. True when its first line holds the stable build;
    // a second line gives the stable version, a third the development build
    // (which must then be a number), a fourth the development version.
    // Stable and Development are changed only on success.
    static bool ParseAnswer(const QByteArray &answer, TVersion &stable, TVersion &development);

signals:
    // A check has ended, loaded or not.
    void Info(TUpdateInformer *sender);

private:
    TUpdateInformer() = default;
    ~TUpdateInformer() override;
    void DownloadDone(bool success);

    TFileDownloadThread *Thread = nullptr;
    bool Busy = false;
    bool Loaded = false;
    TVersion Stable;
    TVersion Development;
};
