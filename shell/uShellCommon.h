#pragma once
// Small routines that the windows share: keyboard state, typing filters and
// clipboard shortcuts of edits, link labels, the current UTC time, the query
// string of web requests, opening addresses in the browser, reading a web
// resource and URL encoding; and the application object that keeps the
// program alive when an event handler fails.
#include "shell/uProgramTranslator.h" // LanguageCode

#include <QApplication>
#include <QByteArray>
#include <QChar>
#include <QDateTime>
#include <QIcon>
#include <QRect>
#include <QString>

#include <functional>

class QLabel;
class QLineEdit;
class QWidget;

// ------------------------------------------------------------- the maker's host

// The build number sent with web requests, the version text and its date.
inline constexpr int ProgramBuild = 26;
inline const QString ProgramVersionText = QStringLiteral("1.10.0.26");
inline const QString ProgramVersionDate = QStringLiteral("2018-07-11");
// The user agent of every web request.
inline QString WebUserAgent()
{
    return QStringLiteral("Tandorel/%1").arg(ProgramBuild);
}

// The maker's web host (name, or name:port). Tests point it at a server of
// their own on 127.0.0.1; an empty Host restores the program's own.
QString MakerWebHost();
void SetMakerWebHost(const QString &host);
// The host name alone (no port): the address that ShowManual pings.
QString MakerServerName();
// The domain name that trusted addresses of language files must contain.
QString MakerDomainName();
// "http://" + MakerWebHost() + "/": the home of the web pages; Path is appended.
QString MakerWebAddress(const QString &path = QString());
// The wiki's base address (no trailing "/").
QString MakerWikiAddress();

// --------------------------------------------------------------- keyboard

inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_MENU = 0x12;

// True while the key is held. Only the modifier keys (Shift, Ctrl, Alt) can
// be asked on this system; any other code gives false. A code outside 0..255
// raises ERangeError.
bool IsKeyDown(int virtualKey);
bool IsShiftDown();

// Typing filter of number edits: Key (the typed character) becomes QChar(0)
// when refused. Text is the edit's text before the key, CaretPos the number
// of characters before the caret.
void NumericEditFilter(const QString &text, int caretPos, QChar &key);
// The same on an edit: a key press handler calls it and drops a refused key.
void NumericEditKeyPress(QLineEdit *edit, QChar &key);

// With Ctrl held, A selects all, C copies, V pastes and X cuts in Edit (a
// QLineEdit, QTextEdit or QPlainTextEdit); the key is then consumed (Key := 0).
// Other keys, and keys without Ctrl, pass unchanged. Key is a Qt::Key code.
// A read-only edit keeps its text: X only copies, V does nothing. A one-line
// edit takes the clipboard's text up to its first line break.
void EditShortcutKeyDown(QWidget *edit, int &key, Qt::KeyboardModifiers shift);

// ------------------------------------------------------------- link labels

// A plain e-mail address (local part of letters, digits and . _ + -, "@",
// a dotted host name): nothing that a mail address could carry besides it.
bool IsBareEmailAddress(const QString &text);
// Opens "mailto:" + the label's caption (only when it is a bare address) /
// the caption as an address; both go through OpenURL and its checks.
void OpenMailtoLabel(QLabel *label);
void OpenUrlLabel(QLabel *label);
// Caption colour blue while the mouse is over the label, navy otherwise
// (made lighter on a dark background, so that it stays readable).
void LinkLabelEnter(QLabel *label);
void LinkLabelLeave(QLabel *label);
// Makes Label a link: navy and underlined, blue under the mouse, a pointing
// hand, and OnClick on a left click.
void ConnectLinkLabel(QLabel *label, std::function<void()> onClick);

// ---------------------------------------------------------------- web

QDateTime UtcNow();

// Whether a language code may be sent: two ASCII letters, or "e2" (no
// language loaded).
bool IsQueryLanguageCode(const QString &code);
// "build=26&language=" + LanguageCode, and with WithUid "&uid=" + the
// settings' UID, URL-encoded. A language code that IsQueryLanguageCode
// refuses is left out with its key.
QString BuildQueryString(bool withUid);
// Whether Address is an http or https address on the maker's domain: its
// host equals MakerDomainName() or ends in "." + it (letter case ignored).
bool IsMakerAddress(const QString &address);

// Makes a window stay on top of the others, or not. A window already shown
// is told so in place: changing a widget's flags would create its window
// anew, and a window manager puts a re-created window where its frame was
// taken for the window itself, one title bar higher each time.
void SetWindowStaysOnTop(QWidget *window, bool onTop);

// Whether OpenURL would open Address: http, https and mailto addresses, and
// existing files and folders inside the program's data folder or the
// user's folder of its files (an absolute path, "\\" or "/" separated, or a
// file: address); nothing else.
bool IsOpenableAddress(const QString &address);
// Opens Address in the user's browser, mail program or file viewer; an
// address that IsOpenableAddress refuses is not opened. True when handed on.
bool OpenURL(const QString &address);
// OpenURL of MakerWikiAddress() + "/doku.php?id=" + PageId.
bool OpenWikiPage(const QString &pageId);

// Right - Left / Bottom - Top of a rectangle whose right and bottom edges lie
// outside it (QRect's width() and height()); EIntOverflow when too large.
int RectWidth(const QRect &r);
int RectHeight(const QRect &r);

// The whole resource at an http or https URL, exactly the bytes received,
// always fetched from the server. Raises Exception "Cannot open URL %s" when
// the address is refused, the server cannot be reached or answers with an
// error status (400 and above), the transfer takes longer than TimeoutMs, or
// the body exceeds MaxBytes. Usable on any thread that may run a local event
// loop; on the interface thread the time-out is cut to two seconds.
inline constexpr int DownloadTimeoutMs = 10000;
inline constexpr qint64 DownloadMaxBytes = 4 * 1024 * 1024;
QByteArray DownloadToString(const QString &url, int timeoutMs = DownloadTimeoutMs, qint64 maxBytes = DownloadMaxBytes);

// Query-value encoding of S's UTF-8 bytes: letters, digits and
// ! $ ' ( ) * - . @ _ stay, a blank becomes "+", every other byte "%XX"
// (upper-case hex). S ends at its first zero character.
QString URLEncode(const QString &s);

// ------------------------------------------------------- the application

// The program's icon in every size it ships in.
QIcon ProgramIcon();

// The program's application object: every window carries the program's
// icon, and an exception that escapes an event handler is shown in a message
// box (its text) instead of ending the program.
class TTandorelApplication : public QApplication
{
public:
    TTandorelApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    // Runs Deliver; an exception that leaves it is shown through
    // ShowExceptionMessage and false returned.
    static bool GuardedDelivery(const std::function<bool()> &deliver);
    // Shows the text of an escaped exception; by default a critical message
    // box with the application's name as caption. Tests replace it.
    static std::function<void(const QString &)> ShowExceptionMessage;
};
