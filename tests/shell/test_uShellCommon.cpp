#include "core/uProgramSettings.h"

#include "platform/IniFiles.h"
#include "shell/uDisk.h"
#include "shell/uShellCommon.h"
#include "tests/support/TempProgramDir.h"
#include "tests/support/TestWebHost.h"
#include "tests/support/UrlCatcher.h"
#include "tests/support/UserHome.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QUrl>

#include <gtest/gtest.h>

namespace {
QChar Filtered(const QString &text, int caret, QChar key)
{
    NumericEditFilter(text, caret, key);
    return key;
}
} // namespace

TEST(ShellCommon, URLEncodeKeepsOnlyItsSafeCharacters)
{
    const struct
    {
        QString In, Out;
    } cases[] = {
        {QStringLiteral("x^2 + 1"), QStringLiteral("x%5E2+%2B+1")},
        {QStringLiteral("a.b-c_d"), QStringLiteral("a.b-c_d")},
        {QStringLiteral("!$'()*@AZaz09"), QStringLiteral("!$'()*@AZaz09")},
        {QStringLiteral("a&b=c/d?%~#"), QStringLiteral("a%26b%3Dc%2Fd%3F%25%7E%23")},
        {QStringLiteral(""), QStringLiteral("")},
        {QString::fromUtf8("š"), QStringLiteral("%C5%A1")},
        {QStringLiteral("ab") + QChar(0) + QStringLiteral("cd"), QStringLiteral("ab")},
        {QStringLiteral("\n"), QStringLiteral("%0A")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(URLEncode(c.In), c.Out) << c.In.toStdString();
}

TEST(ShellCommon, BuildQueryStringCarriesBuildLanguageAndUid)
{
    const QString savedCode = LanguageCode, savedUid = KProgramSettings::Instance()->UID;
    LanguageCode = QStringLiteral("e2");
    EXPECT_EQ(BuildQueryString(false), QStringLiteral("build=26&language=e2"));
    LanguageCode = QStringLiteral("sk");
    KProgramSettings::Instance()->UID = QStringLiteral("261210101500");
    EXPECT_EQ(BuildQueryString(true), QStringLiteral("build=26&language=sk&uid=261210101500"));
    KProgramSettings::Instance()->UID = QStringLiteral("a b&c=d"); // a hand-edited id stays one value
    EXPECT_EQ(BuildQueryString(true), QStringLiteral("build=26&language=sk&uid=a+b%26c%3Dd"));
    for (const char *code : {"s&", "1x", "s", "šk", ""}) {
        LanguageCode = QString::fromUtf8(code);
        EXPECT_EQ(BuildQueryString(false), QStringLiteral("build=26")) << code;
    }
    LanguageCode = savedCode;
    KProgramSettings::Instance()->UID = savedUid;
}

TEST(ShellCommon, NumericEditFilter)
{
    const QChar saved = DecimalSeparator;
    DecimalSeparator = QLatin1Char('.');
    const QChar none(0);
    const struct
    {
        const char *Text;
        int Caret;
        char Key;
        QChar Expected;
    } cases[] = {
        {"1.5E", 4, '-', u'-'}, // the exponent's sign
        {"1.5E", 4, 'E', none}, // a second exponent
        {"1.5e", 4, 'e', none}, // letter case does not matter
        {"15", 2, 'e', u'E'},   // typed in lower case, kept in upper case
        {"1.5", 3, '.', none},  // a second separator
        {"15", 1, ',', u'.'},   // the other separator key types the current one
        {"15", 2, '+', u'1'},   // the plus key is the digit 1
        {"15", 2, 'a', none},   {"15", 2, ' ', none},  {"15", 2, '\b', u'\b'},
        {"15", 2, '\t', u'\t'}, {"", 0, '-', u'-'},    // a leading minus
        {"15", 0, '-', u'-'},   {"-15", 0, '7', none}, // nothing goes before a leading minus
        {"-15", 0, '\b', none}, {"15", 1, '-', none},  // a minus inside the number
        {"1E5", 2, '-', u'-'},                         // right after the exponent
        {"1E-5", 2, '-', none},                        // ... but not a second one
        {"1E5", 3, '-', none},                         // not after the exponent's digits
        {"15", 2, '7', u'7'},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Filtered(QString::fromLatin1(c.Text), c.Caret, QLatin1Char(c.Key)), c.Expected)
            << c.Text << " caret " << c.Caret << " key " << c.Key;
    DecimalSeparator = QLatin1Char(',');
    EXPECT_EQ(Filtered(QStringLiteral("1"), 1, QLatin1Char('.')), QChar(u','));
    EXPECT_EQ(Filtered(QStringLiteral("1,5"), 3, QLatin1Char(',')), none);
    DecimalSeparator = saved;

    QLineEdit edit(QStringLiteral("2E"));
    edit.setCursorPosition(2);
    QChar key(u'-');
    NumericEditKeyPress(&edit, key);
    EXPECT_EQ(key, QChar(u'-'));

    // A key typed over a selection is judged against what the selection leaves.
    const struct
    {
        const char *Text;
        int Start, Length;
        char Key;
        QChar Expected;
    } selected[] = {
        {"-3", 0, 2, '0', u'0'},                           // the whole "-3" typed over
        {"-3", 0, 1, '4', u'4'},                           // the minus alone
        {"-3", 1, 1, '4', u'4'},  {"-3", 1, 1, '-', none}, // still a minus in front
        {"1.5", 1, 1, '.', u'.'},                          // the separator typed over by another
        {"1.5", 2, 1, '.', none}, {"2E5", 1, 2, 'E', u'E'}, {"2E5", 2, 1, 'E', none},
    };
    DecimalSeparator = QLatin1Char('.');
    for (const auto &c : selected) {
        edit.setText(QString::fromLatin1(c.Text));
        edit.setSelection(c.Start, c.Length);
        QChar typed = QLatin1Char(c.Key);
        NumericEditKeyPress(&edit, typed);
        EXPECT_EQ(typed, c.Expected) << c.Text << " selected from " << c.Start << " key " << c.Key;
    }
    DecimalSeparator = saved;
}

TEST(ShellCommon, EditShortcutsWorkOnlyWithCtrl)
{
    QLineEdit edit(QStringLiteral("abc"));
    int key = Qt::Key_A;
    EditShortcutKeyDown(&edit, key, Qt::NoModifier);
    EXPECT_EQ(key, int(Qt::Key_A));
    EXPECT_FALSE(edit.hasSelectedText());
    EditShortcutKeyDown(&edit, key, Qt::ControlModifier);
    EXPECT_EQ(key, 0); // consumed
    EXPECT_EQ(edit.selectedText(), QStringLiteral("abc"));
    key = Qt::Key_X;
    EditShortcutKeyDown(&edit, key, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), QString());
    key = Qt::Key_V;
    EditShortcutKeyDown(&edit, key, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("abc"));
    key = Qt::Key_B;
    EditShortcutKeyDown(&edit, key, Qt::ControlModifier);
    EXPECT_EQ(key, int(Qt::Key_B));
}

TEST(ShellCommon, EditShortcutsNeverChangeAReadOnlyEdit)
{
    // Result fields are read-only: cutting copies without deleting, pasting does nothing.
    QLineEdit line(QStringLiteral("42"));
    QTextEdit text(QStringLiteral("42"));
    QPlainTextEdit plain(QStringLiteral("42"));
    line.setReadOnly(true);
    text.setReadOnly(true);
    plain.setReadOnly(true);
    const auto textOf = [&](QWidget *w) {
        if (w == &line)
            return line.text();
        if (w == &text)
            return text.toPlainText();
        return plain.toPlainText();
    };
    for (QWidget *edit :
         {static_cast<QWidget *>(&line), static_cast<QWidget *>(&text), static_cast<QWidget *>(&plain)}) {
        QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
        for (int key : {int(Qt::Key_A), int(Qt::Key_X)})
            EditShortcutKeyDown(edit, key, Qt::ControlModifier);
        EXPECT_EQ(textOf(edit), QStringLiteral("42")) << edit->metaObject()->className();
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("42")) << edit->metaObject()->className();
        QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
        int key = Qt::Key_V;
        EditShortcutKeyDown(edit, key, Qt::ControlModifier);
        EXPECT_EQ(textOf(edit), QStringLiteral("42")) << edit->metaObject()->className();
    }
}

TEST(ShellCommon, PastingIntoAOneLineEditStopsAtTheFirstLineBreak)
{
    const struct
    {
        QString Clip, Expected;
    } cases[] = {
        {QStringLiteral("12\r\n34"), QStringLiteral("a12b")}, {QStringLiteral("12\n34"), QStringLiteral("a12b")},
        {QStringLiteral("12\r34"), QStringLiteral("a12b")},   {QStringLiteral("\n34"), QStringLiteral("ab")},
        {QStringLiteral("1 2"), QStringLiteral("a1 2b")},
    };
    for (const auto &c : cases) {
        QLineEdit edit(QStringLiteral("ab"));
        edit.setCursorPosition(1);
        QGuiApplication::clipboard()->setText(c.Clip);
        int key = Qt::Key_V;
        EditShortcutKeyDown(&edit, key, Qt::ControlModifier);
        EXPECT_EQ(edit.text(), c.Expected) << c.Clip.toStdString();
    }
}

TEST(ShellCommon, MakeRelativePathStripsOnlyTheExactProgramFolder)
{
    TempProgramDir dir;
    SetProgramDir(dir.path());
    EXPECT_EQ(ProgramDir(), dir.path());
    EXPECT_EQ(MakeRelativePath(dir.path() + QStringLiteral("lang/sk.txt")), QStringLiteral("lang/sk.txt"));
    EXPECT_EQ(MakeRelativePath(QStringLiteral("/elsewhere/lang/sk.txt")), QStringLiteral("/elsewhere/lang/sk.txt"));
    const QString otherCase = dir.path().toUpper() + QStringLiteral("lang/sk.txt");
    EXPECT_EQ(MakeRelativePath(otherCase), otherCase);
    EXPECT_EQ(MakeRelativePath(QString()), QString());
    EXPECT_EQ(SettingsIniFile()->FileName(), dir.path() + QStringLiteral("settings.ini"));
    SetProgramDir(QString());
    EXPECT_EQ(ProgramDir(), QCoreApplication::applicationDirPath() + QLatin1Char('/'));
}

TEST(ShellCommon, OpensOnlyWebMailAndOwnFiles)
{
    TempProgramDir dir;
    dir.write(QStringLiteral("manual/en/manual.html"), "<html></html>");
    SetProgramDir(dir.path());
    const QString manual = dir.file(QStringLiteral("manual/en/manual.html"));
    QFile::link(QStringLiteral("/etc/hostname"), dir.file(QStringLiteral("link.txt"))); // leads outside
    // Files of the folder that the desktop would run rather than show.
    dir.write(QStringLiteral("run.desktop"), "[Desktop Entry]\nExec=xterm\n");
    dir.write(QStringLiteral("Run.DESKTOP"), "[Desktop Entry]\nExec=xterm\n");
    dir.write(QStringLiteral("tool.sh"), "#!/bin/sh\n");
    QFile::setPermissions(dir.file(QStringLiteral("tool.sh")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const struct
    {
        QString Address;
        bool Opens;
    } cases[] = {
        {QStringLiteral("http://www.tandorel.org/index.php?page=home&build=26"), true},
        {QStringLiteral("https://example.org/"), true},
        {QStringLiteral("HTTP://example.org/"), true},
        {QStringLiteral("mailto:someone@example.org"), true},
        {manual, true},
        {QUrl::fromLocalFile(manual).toString(), true},
        {dir.path() + QStringLiteral("manual\\en\\manual.html"), true},
        {dir.path() + QStringLiteral("manual/en/missing.html"), false},
        {dir.path() + QStringLiteral("manual"), true}, // a folder of the program's own
        {QStringLiteral("/tmp"), false},
        {dir.file(QStringLiteral("link.txt")), false},
        {dir.path() + QStringLiteral("manual/../../outside.html"), false},
        {QStringLiteral("/etc/passwd"), false},
        {QStringLiteral("file:///etc/passwd"), false},
        {QStringLiteral("javascript:alert(1)"), false},
        {QStringLiteral("ftp://example.org/x"), false},
        {QStringLiteral("smb://server/share"), false},
        {QStringLiteral("calc.exe"), false},
        {dir.file(QStringLiteral("run.desktop")), false},
        {QUrl::fromLocalFile(dir.file(QStringLiteral("Run.DESKTOP"))).toString(), false},
        {dir.file(QStringLiteral("tool.sh")), false},
        {QStringLiteral("http://"), false},
        {QStringLiteral("mailto:"), false},
        {QString(), false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsOpenableAddress(c.Address), c.Opens) << c.Address.toStdString();

    TUrlCatcher catcher;
    EXPECT_FALSE(OpenURL(QStringLiteral("file:///etc/passwd")));
    EXPECT_TRUE(OpenURL(manual));
    SetMakerWebHost(QStringLiteral("127.0.0.1:8080"));
    EXPECT_TRUE(OpenWikiPage(QStringLiteral("tandorel:translation")));
    QLabel mail(QStringLiteral("author@example.org"));
    OpenMailtoLabel(&mail);
    QLabel web(QStringLiteral("javascript:alert(1)"));
    OpenUrlLabel(&web); // refused
    ASSERT_EQ(catcher.Opened.size(), 3);
    EXPECT_EQ(catcher.Opened[0], QUrl::fromLocalFile(manual));
    EXPECT_EQ(catcher.Opened[1].toString(),
              QStringLiteral("http://127.0.0.1:8080/wiki/doku.php?id=tandorel:translation"));
    EXPECT_EQ(catcher.Opened[2].toString(), QStringLiteral("mailto:author@example.org"));
    SetMakerWebHost(TestWebHost());
    SetProgramDir(QString());
}

TEST(ShellCommon, AnInstalledProgramOpensItsManualAndTheUsersLibrariesButNothingElseOfItsTree)
{
    UserHome user;
    TempProgramDir tree;
    tree.write(QStringLiteral("share/tandorel/lang/English.txt"), "[Info]\r\n");
    tree.write(QStringLiteral("share/tandorel/manual/en/manual.html"), "<html></html>");
    tree.write(QStringLiteral("share/tandorel/lib/geometry.xml"), "<library/>");
    tree.write(QStringLiteral("share/other/readme.txt"), "x");
    tree.write(QStringLiteral("bin/readme.txt"), "x");
    SetProgramDir(tree.file(QStringLiteral("bin")));
    const struct
    {
        QString Address;
        bool Opens;
    } cases[] = {
        {tree.file(QStringLiteral("share/tandorel/manual/en/manual.html")), true},
        {user.Data() + QStringLiteral("lib"), true},
        {user.Data() + QStringLiteral("lib/geometry.xml"), true},
        {tree.file(QStringLiteral("share/other/readme.txt")), false},
        {tree.file(QStringLiteral("bin/readme.txt")), false},
        {user.Home.file(QStringLiteral("config/tandorel")), false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsOpenableAddress(c.Address), c.Opens) << c.Address.toStdString();
    SetProgramDir(QString());
}

TEST(ShellCommon, MakerAddressesAndBareMailAddresses)
{
    TRealWebHost real;
    const struct
    {
        const char *Address;
        bool Maker;
    } addresses[] = {
        {"http://www.tandorel.org/wiki/doku.php?id=en:documentation", true},
        {"https://TANDOREL.org/", true},
        {"http://wiki.tandorel.org/x", true},
        {"http://tandorel.org.evil.example/x", false},
        {"http://eviltandorel.org/", false},
        {"http://evil.example/?tandorel.org", false},
        {"http://user@evil.example/tandorel.org", false},
        {"ftp://www.tandorel.org/", false},
        {"www.tandorel.org", false},
    };
    for (const auto &a : addresses)
        EXPECT_EQ(IsMakerAddress(QString::fromLatin1(a.Address)), a.Maker) << a.Address;

    // clang-format off
    const struct { const char *Text; bool Bare; } mails[] = {
        {"author@example.org", true},        {"first.last+tag@mail.example.co.uk", true},
        {"author@example.org?subject=x", false}, {"a@b@example.org", false},
        {"author@localhost", false},         {"author", false},
        {"<author@example.org>", false},     {"author@example.org\nbcc", false},
        {"author@-example.org", false},      {"", false},
    };
    // clang-format on
    for (const auto &m : mails)
        EXPECT_EQ(IsBareEmailAddress(QString::fromLatin1(m.Text)), m.Bare) << m.Text;

    TUrlCatcher catcher;
    QLabel mail(QStringLiteral("author@example.org?body=hello"));
    OpenMailtoLabel(&mail);
    EXPECT_TRUE(catcher.Opened.isEmpty());
}

TEST(ShellCommon, MakerHostIsOneSetting)
{
    TRealWebHost real;
    EXPECT_EQ(MakerDomainName(), QStringLiteral("tandorel.org"));
    SetMakerWebHost(QStringLiteral("127.0.0.1:4567"));
    EXPECT_EQ(MakerWebAddress(QStringLiteral("manual/?")), QStringLiteral("http://127.0.0.1:4567/manual/?"));
    EXPECT_EQ(MakerServerName(), QStringLiteral("127.0.0.1"));
    SetMakerWebHost(QString());
    EXPECT_EQ(MakerWebHost(), QStringLiteral("www.tandorel.org"));
}

TEST(ShellCommon, LinkLabelColours)
{
    QLabel label(QStringLiteral("x"));
    LinkLabelEnter(&label);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0, 0, 255));
    LinkLabelLeave(&label);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0, 0, 128));
}

TEST(ShellCommon, RectSizesAndKeyCodes)
{
    EXPECT_EQ(RectWidth(QRect(QPoint(10, 20), QPoint(19, 49))), 10);
    EXPECT_EQ(RectHeight(QRect(QPoint(10, 20), QPoint(19, 49))), 30);
    EXPECT_THROW(RectWidth(QRect(QPoint(INT_MIN, 0), QPoint(INT_MAX, 0))), EIntOverflow);
    EXPECT_THROW(IsKeyDown(256), ERangeError);
    EXPECT_THROW(IsKeyDown(-1), ERangeError);
    EXPECT_FALSE(IsKeyDown('A')); // only modifiers can be asked
    EXPECT_LE(qAbs(UtcNow().secsTo(QDateTime::currentDateTimeUtc())), 5);
    EXPECT_EQ(UtcNow().timeSpec(), Qt::UTC);
}

TEST(ShellCommon, EscapedExceptionsAreShownNotFatal)
{
    QStringList shown;
    auto saved = TTandorelApplication::ShowExceptionMessage;
    TTandorelApplication::ShowExceptionMessage = [&](const QString &text) { shown << text; };
    EXPECT_FALSE(TTandorelApplication::GuardedDelivery(
        []() -> bool { throw Exception(QStringLiteral("Unspecified form class: 12")); }));
    EXPECT_FALSE(TTandorelApplication::GuardedDelivery([]() -> bool { throw std::runtime_error("plain failure"); }));
    EXPECT_FALSE(TTandorelApplication::GuardedDelivery([]() -> bool { throw 42; }));
    EXPECT_TRUE(TTandorelApplication::GuardedDelivery([] { return true; }));
    TTandorelApplication::ShowExceptionMessage = saved;
    EXPECT_EQ(shown, (QStringList{QStringLiteral("Unspecified form class: 12"), QStringLiteral("plain failure"),
                                  QStringLiteral("Unknown exception")}));
}
