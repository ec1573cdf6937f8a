#include "shell/uShellCommon.h"

#include "core/uCommon.h"
#include "core/uProgramSettings.h"
#include "shell/uAccessibility.h"
#include "shell/uDisk.h"
#include "shell/uNetworkModule.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPalette>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTextEdit>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <memory>
#include <optional>

// ------------------------------------------------------------ the maker's host

namespace {
const QString OwnWebHost = QStringLiteral("www.tandorel.org");

QString &WebHostOverride()
{
    static QString host;
    return host;
}
} // namespace

QString MakerWebHost()
{
    return WebHostOverride().isEmpty() ? OwnWebHost : WebHostOverride();
}

void SetMakerWebHost(const QString &host)
{
    WebHostOverride() = host;
}

QString MakerServerName()
{
    const QString host = MakerWebHost();
    const int colon = host.lastIndexOf(QLatin1Char(':'));
    return colon < 0 ? host : host.left(colon);
}

QString MakerDomainName()
{
    QString name = MakerServerName();
    if (name.startsWith(QLatin1String("www.")))
        name.remove(0, 4);
    return name;
}

QString MakerWebAddress(const QString &path)
{
    return QStringLiteral("http://") + MakerWebHost() + QLatin1Char('/') + path;
}

QString MakerWikiAddress()
{
    return MakerWebAddress(QStringLiteral("wiki"));
}

// --------------------------------------------------------------- keyboard

bool IsKeyDown(int virtualKey)
{
    if (virtualKey < 0 || virtualKey > 255)
        throw ERangeError();
    const Qt::KeyboardModifiers held = QGuiApplication::queryKeyboardModifiers();
    switch (virtualKey) {
    case VK_SHIFT:
        return held.testFlag(Qt::ShiftModifier);
    case VK_CONTROL:
        return held.testFlag(Qt::ControlModifier);
    case VK_MENU:
        return held.testFlag(Qt::AltModifier);
    default:
        return false;
    }
}

bool IsShiftDown()
{
    return IsKeyDown(VK_SHIFT);
}

void NumericEditFilter(const QString &text, int caretPos, QChar &key)
{
    const QChar backspace(8), tab(9), minus(u'-'), exponent(u'E');
    MapKeyboardChar(key, true);
    key = key.toUpper();

    const bool digit = key >= QLatin1Char('0') && key <= QLatin1Char('9');
    if (!(key == backspace || key == tab || key == minus || digit || key == exponent || key == DecimalSeparator))
        key = QChar(0);
    if (key == DecimalSeparator && text.contains(DecimalSeparator))
        key = QChar(0);
    if (key == exponent && text.contains(exponent, Qt::CaseInsensitive))
        key = QChar(0);
    if (key == minus && caretPos >= 1) {
        // A minus inside the number is only the exponent's sign.
        const int firstE = text.indexOf(exponent, 0, Qt::CaseInsensitive);
        const bool afterExponent = firstE >= 0 && firstE == caretPos - 1;
        const bool minusFollows = caretPos < text.size() && text.at(caretPos) == minus;
        if (!afterExponent || minusFollows)
            key = QChar(0);
    }
    if (caretPos == 0 && text.startsWith(minus))
        key = QChar(0);
}

void NumericEditKeyPress(QLineEdit *edit, QChar &key)
{
    if (!edit) {
        key = QChar(0);
        return;
    }
    // A typed key replaces the selection, so it is judged against the text
    // without it: a selected "-3" can be typed over with a digit, a selected
    // separator or exponent with another one.
    QString text = edit->text();
    int caret = edit->cursorPosition();
    if (edit->hasSelectedText()) {
        caret = edit->selectionStart();
        text.remove(caret, edit->selectedText().size());
    }
    NumericEditFilter(text, caret, key);
}

void EditShortcutKeyDown(QWidget *edit, int &key, Qt::KeyboardModifiers shift)
{
    if (!edit || !shift.testFlag(Qt::ControlModifier))
        return;
    if (key != Qt::Key_A && key != Qt::Key_C && key != Qt::Key_V && key != Qt::Key_X)
        return;
    const int pressed = key;
    // A read-only edit (a result field) keeps its text: cutting only copies
    // and pasting does nothing, as the system's own edits behave.
    const auto apply = [pressed](auto *target, bool readOnly) {
        if (pressed == Qt::Key_A)
            target->selectAll();
        else if (pressed == Qt::Key_C || (pressed == Qt::Key_X && readOnly))
            target->copy();
        else if (readOnly)
            return;
        else if (pressed == Qt::Key_V)
            target->paste();
        else
            target->cut();
    };
    if (auto *line = qobject_cast<QLineEdit *>(edit)) {
        if (pressed == Qt::Key_V && !line->isReadOnly()) {
            // A one-line edit takes the clipboard's text up to its first line break.
            const QString clip = QGuiApplication::clipboard()->text();
            if (!clip.isEmpty()) {
                const qsizetype lineBreak = clip.indexOf(QRegularExpression(QStringLiteral("[\\r\\n]")));
                line->insert(lineBreak < 0 ? clip : clip.left(lineBreak));
            }
        } else {
            apply(line, line->isReadOnly());
        }
    } else if (auto *text = qobject_cast<QTextEdit *>(edit)) {
        apply(text, text->isReadOnly());
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(edit)) {
        apply(plain, plain->isReadOnly());
    } else {
        return;
    }
    key = 0;
}

// ------------------------------------------------------------- link labels

bool IsBareEmailAddress(const QString &text)
{
    static const QRegularExpression address(QStringLiteral(
        "^[A-Za-z0-9._+-]+@[A-Za-z0-9](?:[A-Za-z0-9-]*[A-Za-z0-9])?(?:\\.[A-Za-z0-9](?:[A-Za-z0-9-]*[A-Za-z0-9])?)+$"));
    return address.match(text).hasMatch();
}

void OpenMailtoLabel(QLabel *label)
{
    // Only an address: a "?" would add headers or a body to the new mail.
    if (label && IsBareEmailAddress(label->text()))
        OpenURL(QStringLiteral("mailto:") + label->text());
}

void OpenUrlLabel(QLabel *label)
{
    if (label)
        OpenURL(label->text());
}

void LinkLabelEnter(QLabel *label)
{
    SetFixedTextColour(label, QColor(0, 0, 255));
}

void LinkLabelLeave(QLabel *label)
{
    SetFixedTextColour(label, QColor(0, 0, 128));
}

namespace {
class TLinkLabelFilter : public QObject
{
public:
    TLinkLabelFilter(QLabel *label, std::function<void()> onClick) : QObject(label), OnClick(std::move(onClick)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *label = static_cast<QLabel *>(watched);
        switch (event->type()) {
        case QEvent::Enter:
            LinkLabelEnter(label);
            break;
        case QEvent::Leave:
            LinkLabelLeave(label);
            break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton
                && label->rect().contains(static_cast<QMouseEvent *>(event)->position().toPoint())) {
                if (OnClick)
                    OnClick();
                return true;
            }
            break;
        default:
            break;
        }
        return false;
    }

private:
    std::function<void()> OnClick;
};
} // namespace

void ConnectLinkLabel(QLabel *label, std::function<void()> onClick)
{
    if (!label)
        return;
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    label->setCursor(Qt::PointingHandCursor);
    LinkLabelLeave(label);
    label->installEventFilter(new TLinkLabelFilter(label, std::move(onClick)));
}

// ---------------------------------------------------------------- web

QDateTime UtcNow()
{
    return QDateTime::currentDateTimeUtc();
}

bool IsQueryLanguageCode(const QString &code)
{
    static const QRegularExpression letters(QStringLiteral("^[A-Za-z]{2}$"));
    return code == QLatin1String("e2") || letters.match(code).hasMatch();
}

QString BuildQueryString(bool withUid)
{
    QString query = QStringLiteral("build=") + QString::number(ProgramBuild);
    if (IsQueryLanguageCode(LanguageCode))
        query += QStringLiteral("&language=") + LanguageCode;
    if (withUid)
        query += QStringLiteral("&uid=") + URLEncode(KProgramSettings::Instance()->UID);
    return query;
}

bool IsMakerAddress(const QString &address)
{
    const QUrl url(address.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return false;
    const QString host = url.host().toLower();
    const QString domain = MakerDomainName().toLower();
    return !domain.isEmpty() && (host == domain || host.endsWith(QLatin1Char('.') + domain));
}

namespace {
bool IsInside(const QString &canonical, const QString &folder)
{
    const QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
    return !canonicalFolder.isEmpty()
           && (canonical == canonicalFolder || canonical.startsWith(canonicalFolder + QLatin1Char('/')));
}

// The canonical path of an existing file or folder inside the data folder
// (the manual) or the user's folder (the libraries), the folders themselves
// included; empty otherwise. Links are followed first, so a link cannot lead
// outside.
QString ProgramFilePath(const QString &path)
{
    if (path.isEmpty())
        return QString();
    const QFileInfo file(QDir::cleanPath(path));
    if (!file.isAbsolute() || !file.exists())
        return QString();
    const QString canonical = file.canonicalFilePath();
    if (canonical.isEmpty() || !(IsInside(canonical, DataDir()) || IsInside(canonical, UserDataDir())))
        return QString();
    // Documents and folders only: the desktop would run a program or a
    // launcher instead of showing it.
    const QFileInfo target(canonical);
    if (target.isFile()
        && (target.isExecutable() || target.suffix().compare(QLatin1String("desktop"), Qt::CaseInsensitive) == 0))
        return QString();
    return canonical;
}

// The address to hand to the desktop, invalid when refused.
QUrl OpenableUrl(const QString &address)
{
    const QString text = address.trimmed();
    if (text.isEmpty())
        return QUrl();
    if (text.startsWith(QLatin1Char('/')) || text.startsWith(QLatin1Char('\\'))) {
        QString path = text;
        path.replace(QLatin1Char('\\'), QLatin1Char('/'));
        const QString file = ProgramFilePath(path);
        return file.isEmpty() ? QUrl() : QUrl::fromLocalFile(file);
    }
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        return QUrl();
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return url.host().isEmpty() ? QUrl() : url;
    if (scheme == QLatin1String("mailto"))
        return url.path().isEmpty() ? QUrl() : url;
    if (scheme == QLatin1String("file")) {
        const QString file = ProgramFilePath(url.toLocalFile());
        return file.isEmpty() ? QUrl() : QUrl::fromLocalFile(file);
    }
    return QUrl();
}
} // namespace

void SetWindowStaysOnTop(QWidget *window, bool onTop)
{
    if (!window || window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop)
        return;
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, onTop);
    if (QWindow *native = window->windowHandle(); native && window->isVisible()) {
        window->overrideWindowFlags(flags);
        native->setFlags(flags);
    } else {
        window->setWindowFlags(flags);
    }
}

bool IsOpenableAddress(const QString &address)
{
    return OpenableUrl(address).isValid();
}

bool OpenURL(const QString &address)
{
    const QUrl url = OpenableUrl(address);
    if (!url.isValid())
        return false;
    return QDesktopServices::openUrl(url);
}

bool OpenWikiPage(const QString &pageId)
{
    return OpenURL(MakerWikiAddress() + QStringLiteral("/doku.php?id=") + pageId);
}

namespace {
int CheckedSpan(int from, int to)
{
    const qint64 span = qint64(to) + 1 - qint64(from);
    if (span < INT_MIN || span > INT_MAX)
        throw EIntOverflow();
    return int(span);
}
} // namespace

int RectWidth(const QRect &r)
{
    return CheckedSpan(r.left(), r.right());
}

int RectHeight(const QRect &r)
{
    return CheckedSpan(r.top(), r.bottom());
}

QByteArray DownloadToString(const QString &url, int timeoutMs, qint64 maxBytes)
{
    const auto failure = [&url] { return Exception(QStringLiteral("Cannot open URL %1").arg(url)); };
    const QUrl parsed(url, QUrl::StrictMode);
    const QString scheme = parsed.scheme().toLower();
    if (!parsed.isValid() || parsed.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        throw failure();

    const QCoreApplication *app = QCoreApplication::instance();
    const bool interfaceThread = app && QThread::currentThread() == app->thread();
    if (interfaceThread)
        timeoutMs = qMin(timeoutMs, 2000);

    // Everything below is owned by this frame, so every way out frees it.
    const std::unique_ptr<TWebGet> web = TWebGet::Create();
    std::optional<TWebGet::TAnswer> received;
    QEventLoop loop;
    web->Start(parsed, WebUserAgent(), maxBytes, [&](const TWebGet::TAnswer &answer) {
        received = answer;
        loop.quit();
    });
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(qMax(0, timeoutMs));
    loop.exec(interfaceThread ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents);
    timer.stop();
    web->Abort();
    if (!received || !received->Complete || received->Status >= 400)
        throw failure();
    return received->Body;
}

QString URLEncode(const QString &s)
{
    static const char hex[] = "0123456789ABCDEF";
    const int zero = s.indexOf(QChar(0));
    const QByteArray bytes = (zero < 0 ? s : s.left(zero)).toUtf8();
    QString result;
    result.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9')
            || QByteArrayView("!$'()*-.@_").contains(char(b))) {
            result += QLatin1Char(char(b));
        } else if (b == ' ') {
            result += QLatin1Char('+');
        } else {
            result += QLatin1Char('%');
            result += QLatin1Char(hex[b >> 4]);
            result += QLatin1Char(hex[b & 15]);
        }
    }
    return result;
}

// ------------------------------------------------------- the application

std::function<void(const QString &)> TTandorelApplication::ShowExceptionMessage = [](const QString &text) {
    QMessageBox::critical(nullptr, QCoreApplication::applicationName(), text);
};

QIcon ProgramIcon()
{
    // The sizes of title bars, task bars and window switchers; the desktop
    // takes larger ones from the installed entry. Each is read as the PNG it
    // is: a reader left to guess the format first loads every image format
    // plugin there is, at every start.
    QIcon icon;
    for (const int size : {16, 32, 48, 64}) {
        QImageReader reader(QStringLiteral(":/icon/%1.png").arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

TTandorelApplication::TTandorelApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    // The desktop matches the windows to the installed entry (its name and
    // icon in task bars and window switchers).
    setDesktopFileName(QStringLiteral("org.tandorel.Tandorel"));
    setWindowIcon(ProgramIcon());
    InstallAccessibleInterfaces();
}

namespace {
void ShowEscaped(const QString &text)
{
    const QCoreApplication *app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread()) {
        // No message box away from the interface thread.
        qWarning("%s", qPrintable(text));
        return;
    }
    // A failure while an earlier one is being shown is only logged.
    static bool showing = false;
    if (showing || !TTandorelApplication::ShowExceptionMessage) {
        qWarning("%s", qPrintable(text));
        return;
    }
    showing = true;
    try {
        TTandorelApplication::ShowExceptionMessage(text);
    } catch (...) {}
    showing = false;
}

template <class Deliver>
bool Guarded(Deliver &&deliver)
{
    try {
        return deliver();
    } catch (const Exception &e) {
        ShowEscaped(e.Message());
    } catch (const std::exception &e) {
        ShowEscaped(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowEscaped(QStringLiteral("Unknown exception"));
    }
    return false;
}
} // namespace

bool TTandorelApplication::notify(QObject *receiver, QEvent *event)
{
    return Guarded([&] { return QApplication::notify(receiver, event); });
}

bool TTandorelApplication::GuardedDelivery(const std::function<bool()> &deliver)
{
    return Guarded([&] { return deliver(); });
}
