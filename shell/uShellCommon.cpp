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

void SetMakerWebHost(const QString &Host)
{
    WebHostOverride() = Host;
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

QString MakerWebAddress(const QString &Path)
{
    return QStringLiteral("http://") + MakerWebHost() + QLatin1Char('/') + Path;
}

QString MakerWikiAddress()
{
    return MakerWebAddress(QStringLiteral("wiki"));
}

// --------------------------------------------------------------- keyboard

bool IsKeyDown(int VirtualKey)
{
    if (VirtualKey < 0 || VirtualKey > 255)
        throw ERangeError();
    const Qt::KeyboardModifiers held = QGuiApplication::queryKeyboardModifiers();
    switch (VirtualKey) {
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

void NumericEditFilter(const QString &Text, int CaretPos, QChar &Key)
{
    const QChar backspace(8), tab(9), minus(u'-'), exponent(u'E');
    MapKeyboardChar(Key, true);
    Key = Key.toUpper();

    const bool digit = Key >= QLatin1Char('0') && Key <= QLatin1Char('9');
    if (!(Key == backspace || Key == tab || Key == minus || digit || Key == exponent || Key == DecimalSeparator))
        Key = QChar(0);
    if (Key == DecimalSeparator && Text.contains(DecimalSeparator))
        Key = QChar(0);
    if (Key == exponent && Text.contains(exponent, Qt::CaseInsensitive))
        Key = QChar(0);
    if (Key == minus && CaretPos >= 1) {
        // A minus inside the number is only the exponent's sign.
        const int firstE = Text.indexOf(exponent, 0, Qt::CaseInsensitive);
        const bool afterExponent = firstE >= 0 && firstE == CaretPos - 1;
        const bool minusFollows = CaretPos < Text.size() && Text.at(CaretPos) == minus;
        if (!afterExponent || minusFollows)
            Key = QChar(0);
    }
    if (CaretPos == 0 && Text.startsWith(minus))
        Key = QChar(0);
}

void NumericEditKeyPress(QLineEdit *Edit, QChar &Key)
{
    if (!Edit) {
        Key = QChar(0);
        return;
    }
    // A typed key replaces the selection, so it is judged against the text
    // without it: a selected "-3" can be typed over with a digit, a selected
    // separator or exponent with another one.
    QString text = Edit->text();
    int caret = Edit->cursorPosition();
    if (Edit->hasSelectedText()) {
        caret = Edit->selectionStart();
        text.remove(caret, Edit->selectedText().size());
    }
    NumericEditFilter(text, caret, Key);
}

void EditShortcutKeyDown(QWidget *Edit, int &Key, Qt::KeyboardModifiers Shift)
{
    if (!Edit || !Shift.testFlag(Qt::ControlModifier))
        return;
    if (Key != Qt::Key_A && Key != Qt::Key_C && Key != Qt::Key_V && Key != Qt::Key_X)
        return;
    const int key = Key;
    // A read-only edit (a result field) keeps its text: cutting only copies
    // and pasting does nothing, as the system's own edits behave.
    const auto apply = [key](auto *edit, bool readOnly) {
        if (key == Qt::Key_A)
            edit->selectAll();
        else if (key == Qt::Key_C || (key == Qt::Key_X && readOnly))
            edit->copy();
        else if (readOnly)
            return;
        else if (key == Qt::Key_V)
            edit->paste();
        else
            edit->cut();
    };
    if (auto *line = qobject_cast<QLineEdit *>(Edit)) {
        if (key == Qt::Key_V && !line->isReadOnly()) {
            // A one-line edit takes the clipboard's text up to its first line break.
            const QString clip = QGuiApplication::clipboard()->text();
            if (!clip.isEmpty()) {
                const qsizetype lineBreak = clip.indexOf(QRegularExpression(QStringLiteral("[\\r\\n]")));
                line->insert(lineBreak < 0 ? clip : clip.left(lineBreak));
            }
        } else {
            apply(line, line->isReadOnly());
        }
    } else if (auto *text = qobject_cast<QTextEdit *>(Edit)) {
        apply(text, text->isReadOnly());
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(Edit)) {
        apply(plain, plain->isReadOnly());
    } else {
        return;
    }
    Key = 0;
}

// ------------------------------------------------------------- link labels

bool IsBareEmailAddress(const QString &Text)
{
    static const QRegularExpression address(QStringLiteral(
        "^[A-Za-z0-9._+-]+@[A-Za-z0-9](?:[A-Za-z0-9-]*[A-Za-z0-9])?(?:\\.[A-Za-z0-9](?:[A-Za-z0-9-]*[A-Za-z0-9])?)+$"));
    return address.match(Text).hasMatch();
}

void OpenMailtoLabel(QLabel *Label)
{
    // Only an address: a "?" would add headers or a body to the new mail.
    if (Label && IsBareEmailAddress(Label->text()))
        OpenURL(QStringLiteral("mailto:") + Label->text());
}

void OpenUrlLabel(QLabel *Label)
{
    if (Label)
        OpenURL(Label->text());
}

void LinkLabelEnter(QLabel *Label)
{
    SetFixedTextColour(Label, QColor(0, 0, 255));
}

void LinkLabelLeave(QLabel *Label)
{
    SetFixedTextColour(Label, QColor(0, 0, 128));
}

namespace {
class TLinkLabelFilter : public QObject
{
public:
    TLinkLabelFilter(QLabel *Label, std::function<void()> OnClick) : QObject(Label), OnClick(std::move(OnClick)) {}

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

void ConnectLinkLabel(QLabel *Label, std::function<void()> OnClick)
{
    if (!Label)
        return;
    QFont font = Label->font();
    font.setUnderline(true);
    Label->setFont(font);
    Label->setCursor(Qt::PointingHandCursor);
    LinkLabelLeave(Label);
    Label->installEventFilter(new TLinkLabelFilter(Label, std::move(OnClick)));
}

// ---------------------------------------------------------------- web

QDateTime UtcNow()
{
    return QDateTime::currentDateTimeUtc();
}

bool IsQueryLanguageCode(const QString &Code)
{
    static const QRegularExpression letters(QStringLiteral("^[A-Za-z]{2}$"));
    return Code == QLatin1String("e2") || letters.match(Code).hasMatch();
}

QString BuildQueryString(bool WithUid)
{
    QString query = QStringLiteral("build=") + QString::number(ProgramBuild);
    if (IsQueryLanguageCode(LanguageCode))
        query += QStringLiteral("&language=") + LanguageCode;
    if (WithUid)
        query += QStringLiteral("&uid=") + URLEncode(KProgramSettings::Instance()->UID);
    return query;
}

bool IsMakerAddress(const QString &Address)
{
    const QUrl url(Address.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return false;
    const QString host = url.host().toLower();
    const QString domain = MakerDomainName().toLower();
    return !domain.isEmpty() && (host == domain || host.endsWith(QLatin1Char('.') + domain));
}

namespace {
bool IsInside(const QString &Canonical, const QString &Folder)
{
    const QString folder = QFileInfo(Folder).canonicalFilePath();
    return !folder.isEmpty() && (Canonical == folder || Canonical.startsWith(folder + QLatin1Char('/')));
}

// The canonical path of an existing file or folder inside the data folder
// (the manual) or the user's folder (the libraries), the folders themselves
// included; empty otherwise. Links are followed first, so a link cannot lead
// outside.
QString ProgramFilePath(const QString &Path)
{
    if (Path.isEmpty())
        return QString();
    const QFileInfo file(QDir::cleanPath(Path));
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
QUrl OpenableUrl(const QString &Address)
{
    const QString text = Address.trimmed();
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

void SetWindowStaysOnTop(QWidget *Window, bool OnTop)
{
    if (!Window || Window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == OnTop)
        return;
    Qt::WindowFlags flags = Window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, OnTop);
    if (QWindow *native = Window->windowHandle(); native && Window->isVisible()) {
        Window->overrideWindowFlags(flags);
        native->setFlags(flags);
    } else {
        Window->setWindowFlags(flags);
    }
}

bool IsOpenableAddress(const QString &Address)
{
    return OpenableUrl(Address).isValid();
}

bool OpenURL(const QString &Address)
{
    const QUrl url = OpenableUrl(Address);
    if (!url.isValid())
        return false;
    return QDesktopServices::openUrl(url);
}

bool OpenWikiPage(const QString &PageId)
{
    return OpenURL(MakerWikiAddress() + QStringLiteral("/doku.php?id=") + PageId);
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

int RectWidth(const QRect &R)
{
    return CheckedSpan(R.left(), R.right());
}

int RectHeight(const QRect &R)
{
    return CheckedSpan(R.top(), R.bottom());
}

QByteArray DownloadToString(const QString &URL, int TimeoutMs, qint64 MaxBytes)
{
    const auto failure = [&URL] { return Exception(QStringLiteral("Cannot open URL %1").arg(URL)); };
    const QUrl url(URL, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        throw failure();

    const QCoreApplication *app = QCoreApplication::instance();
    const bool interfaceThread = app && QThread::currentThread() == app->thread();
    if (interfaceThread)
        TimeoutMs = qMin(TimeoutMs, 2000);

    // Everything below is owned by this frame, so every way out frees it.
    const std::unique_ptr<TWebGet> web = TWebGet::Create();
    std::optional<TWebGet::TAnswer> answer;
    QEventLoop loop;
    web->Start(url, WebUserAgent(), MaxBytes, [&](const TWebGet::TAnswer &Answer) {
        answer = Answer;
        loop.quit();
    });
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(qMax(0, TimeoutMs));
    loop.exec(interfaceThread ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents);
    timer.stop();
    web->Abort();
    if (!answer || !answer->Complete || answer->Status >= 400)
        throw failure();
    return answer->Body;
}

QString URLEncode(const QString &S)
{
    static const char hex[] = "0123456789ABCDEF";
    const int zero = S.indexOf(QChar(0));
    const QByteArray bytes = (zero < 0 ? S : S.left(zero)).toUtf8();
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

std::function<void(const QString &)> TTandorelApplication::ShowExceptionMessage = [](const QString &Text) {
    QMessageBox::critical(nullptr, QCoreApplication::applicationName(), Text);
};

QIcon ProgramIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icon/%1.png").arg(size), QSize(size, size));
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

bool TTandorelApplication::GuardedDelivery(const std::function<bool()> &Deliver)
{
    return Guarded([&] { return Deliver(); });
}
