// The manual that ships with the program, in each language: the file the
// language names, well-formed markup, and every window, menu item and
// calculation error of the program described by the texts the program shows.
#include "shell/fMain.h"
#include "shell/uDisk.h"
#include "shell/uGUIManager.h"
#include "shell/uMainProgram.h"
#include "shell/uMainProgramStartup.h"
#include "shell/uProgramTranslator.h"
#include "shell/uShellCommon.h"
#include "tests/support/TempProgramDir.h"
#include "tests/support/TestWebHost.h"
#include "tests/support/UrlCatcher.h"
#include "tools/uToolWindows.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

struct TManual
{
    QString Error; // of the markup; empty when well-formed
    QString Language;
    QString Title;
    QString Text; // every text of the body, blanks collapsed
    QSet<QString> Ids;
    QStringList InternalLinks;
    QStringList FileLinks; // relative to the manual (its stylesheet)
};

TManual ReadManual(const QString &FileName)
{
    TManual manual;
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly)) {
        manual.Error = QStringLiteral("cannot be read");
        return manual;
    }
    QXmlStreamReader xml(&file);
    QString text, title;
    bool inTitle = false, inBody = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QXmlStreamAttributes attributes = xml.attributes();
            if (xml.name() == u"html")
                manual.Language = attributes.value(QStringLiteral("lang")).toString();
            inTitle = xml.name() == u"title";
            inBody = inBody || xml.name() == u"body";
            if (attributes.hasAttribute(QStringLiteral("id")))
                manual.Ids.insert(attributes.value(QStringLiteral("id")).toString());
            const QString href = attributes.value(QStringLiteral("href")).toString();
            if (href.startsWith(u'#'))
                manual.InternalLinks << href.mid(1);
            else if (!href.isEmpty() && !href.contains(u':'))
                manual.FileLinks << href;
            // Cells and list items are words of their own.
            text += u' ';
        } else if (xml.isEndElement()) {
            inTitle = false;
        } else if (xml.isCharacters()) {
            if (inTitle)
                title += xml.text();
            else if (inBody)
                text += xml.text();
        }
    }
    if (xml.hasError())
        manual.Error = QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
    manual.Title = title.simplified();
    manual.Text = text.simplified();
    return manual;
}

// Whether Text holds Message, with "#1" and "#2" standing for the names the
// program puts there.
bool Describes(const QString &Text, const QString &Message)
{
    QStringList parts;
    for (const QString &part : Message.split(QRegularExpression(QStringLiteral("#[12]"))))
        parts << QRegularExpression::escape(part.simplified());
    return QRegularExpression(parts.join(QStringLiteral("[^\"\\s]+"))).match(Text).hasMatch();
}

QString Caption(QString Text)
{
    return Text.remove(u'&').simplified();
}

void CopyFolder(const QString &From, const QString &To)
{
    QDirIterator files(From, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString file = files.next();
        const QString copy = To + file.mid(From.size());
        QDir().mkpath(QFileInfo(copy).absolutePath());
        QFile::copy(file, copy);
    }
}

class Manual : public ::testing::TestWithParam<const char *>
{
protected:
    void SetUp() override
    {
        CopyFolder(qEnvironmentVariable("TANDOREL_SOURCE_DIR") + QStringLiteral("/data"), QDir::cleanPath(Dir.path()));
        Dir.write(QStringLiteral("settings.ini"),
                  "[Settings]\r\nCheckUpdatesAtStart=0\r\nLanguageFile=lang/" + QByteArray(GetParam()) + "\r\n");
        SetProgramDir(Dir.path());
        ASSERT_TRUE(ProgramStartUp(&RegisterToolWindowClasses));
        ASSERT_TRUE(TProgramTranslator::Instance()->IsLoaded());
    }
    void TearDown() override
    {
        if (MainFrm)
            MainFrm->close();
        ProgramShutDown();
        SetMakerWebHost(TestWebHost());
        SetProgramDir(QString());
    }

    // The file the program opens for "Show manual..." (when the maker's
    // online manual cannot be reached).
    static QString ManualFile()
    {
        SetMakerWebHost(QStringLiteral("tandorel.invalid"));
        TUrlCatcher catcher;
        KMainProgram::Instance()->ShowManual();
        EXPECT_EQ(catcher.Opened.size(), 1);
        return catcher.Opened.value(0).toLocalFile();
    }

    TempProgramDir Dir;
};

} // namespace

TEST_P(Manual, IsTheLanguagesOwnAndValidMarkup)
{
    const QString file = ManualFile();
    ASSERT_TRUE(QFileInfo(file).isFile()) << file.toStdString();
    // Each language has a manual of its own.
    const QString language = TProgramTranslator::Instance()->Translate("Info", "LanguageIsoCode", QString());
    EXPECT_EQ(QFileInfo(file).dir().dirName(), language);

    const TManual manual = ReadManual(file);
    ASSERT_EQ(manual.Error, QString());
    EXPECT_EQ(manual.Language, language);
    EXPECT_TRUE(manual.Title.contains(QStringLiteral("Tandorel"))) << manual.Title.toStdString();
    for (const QString &target : manual.InternalLinks)
        EXPECT_TRUE(manual.Ids.contains(target)) << "a link to the missing #" << target.toStdString();
    EXPECT_FALSE(manual.FileLinks.isEmpty());
    for (const QString &target : manual.FileLinks)
        EXPECT_TRUE(QFileInfo(QFileInfo(file).dir().filePath(target)).isFile()) << target.toStdString();
}

TEST_P(Manual, DescribesEveryWindowAndMenuItem)
{
    const TManual manual = ReadManual(ManualFile());
    ASSERT_EQ(manual.Error, QString());
    TGUIManager *gui = TGUIManager::Instance();
    for (int id = 0; id < TGUIManager::FormCount; ++id) {
        // The self-test window has no way in for the user.
        if (id == FormId::SelfTest)
            continue;
        const QString title = gui->Form(id)->windowTitle().simplified();
        ASSERT_FALSE(title.isEmpty()) << id;
        EXPECT_TRUE(manual.Text.contains(title)) << "window " << id << ": " << title.toStdString();
    }
    EXPECT_TRUE(manual.Text.contains(MainWindowCaption));

    int items = 0;
    for (QAction *menu : MainFrm->menuBar()->actions()) {
        ASSERT_TRUE(menu->menu());
        EXPECT_TRUE(manual.Text.contains(Caption(menu->text()))) << Caption(menu->text()).toStdString();
        for (QAction *item : menu->menu()->actions()) {
            if (item->isSeparator() || !item->isVisible())
                continue;
            ++items;
            EXPECT_TRUE(manual.Text.contains(Caption(item->text()))) << Caption(item->text()).toStdString();
        }
    }
    EXPECT_EQ(items, 24);
}

TEST_P(Manual, DescribesEveryCalculationError)
{
    const TManual manual = ReadManual(ManualFile());
    ASSERT_EQ(manual.Error, QString());
    for (int code = 1; code <= 34; ++code) {
        const QString message = TProgramTranslator::Instance()->Translate(
            "ErrorMessages", QStringLiteral("err%1").arg(code), KMainProgram::DefaultErrorMessage(code));
        ASSERT_FALSE(message.isEmpty()) << code;
        EXPECT_TRUE(Describes(manual.Text, message)) << code << ": " << message.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(EachLanguage, Manual, ::testing::Values("English.txt", "Slovensky.txt"));
