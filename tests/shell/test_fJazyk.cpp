#include "shell/fJazyk.h"

#include "core/uProgramSettings.h"
#include "shell/fAbout.h"
#include "shell/fKontrola.h"
#include "shell/fSettings.h"
#include "shell/fUpdateInfo.h"
#include "shell/uMainProgram.h"
#include "shell/uProgramTranslator.h"
#include "tests/support/ModalHelper.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/QtPrint.h"
#include "tests/support/UrlCatcher.h"

#include <QFile>
#include <QLabel>
#include <QLibraryInfo>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QLabel *Label(QWidget *Window, const char *Name)
{
    return Window->findChild<QLabel *>(QLatin1String(Name));
}

QPushButton *Button(QWidget *Window, const char *Name)
{
    return Window->findChild<QPushButton *>(QLatin1String(Name));
}

// The list's entries as shown, each with its file name.
QStringList Entries(TjazykFrm *Window)
{
    QStringList entries;
    for (int row = 0; row < Window->languagesLsb()->count(); ++row) {
        const QListWidgetItem *item = Window->languagesLsb()->item(row);
        entries << item->text() + u' ' + QFileInfo(item->data(Qt::UserRole).toString()).fileName();
    }
    return entries;
}

void Choose(TjazykFrm *Window, int Row)
{
    QListWidget *list = Window->languagesLsb();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(Row)).center());
}

QString LoadedFile()
{
    return QFileInfo(TProgramTranslator::Instance()->GetFileName()).fileName();
}

// A second file of the name "Slovensky" with its own caption, and a file
// that is no language file.
void AddMoreFiles(TProgramRun &Run)
{
    Run.Dir.write(
        "lang/Slovensky2.txt",
        "[Info]\r\nLanguageIsoCode=sk\r\nLanguageName=Slovensky\r\nProgram=<b>Tandorel</b>\r\nFileDate=2026-01-02\r\n"
        "[Author]\r\nname=<i>Second</i> team\r\nemail=second@example.org?subject=hi\r\nurl=http://example.org/\r\n"
        "[LanguageForm]\r\nCaption=Jazyk B\r\n");
    Run.Dir.write("lang/notes.txt", "Just notes, no header.\r\n");
}

class LanguageWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Run.CopyLanguageFiles();
        AddMoreFiles(Run);
        Run.WriteSettings("CheckUpdatesAtStart=0\r\nLanguageFile=lang/English.txt\r\n");
        Run.Start();
        TGUIManager::Instance()->ShowForm(FormId::Language);
        Window = Run.Window<TjazykFrm>(FormId::Language);
    }

    TProgramRun Run;
    TjazykFrm *Window = nullptr;
};

} // namespace

TEST_F(LanguageWindow, ListsLanguagesByNameAndTwoOfOneNameCanEachBeChosen)
{
    EXPECT_EQ(Entries(Window),
              (QStringList{"English English.txt", "Slovensky Slovensky.txt", "Slovensky Slovensky2.txt"}));
    EXPECT_EQ(Window->languagesLsb()->currentRow(), 0); // the loaded one
    EXPECT_EQ(Label(Window, "authorLbl")->text(), "Tandorel team");
    EXPECT_FALSE(Button(Window, "applyBtn")->isEnabled());

    Choose(Window, 2);
    EXPECT_TRUE(Button(Window, "applyBtn")->isEnabled());
    EXPECT_EQ(Label(Window, "datumLbl")->text(), "2026-01-02");
    // Texts from files are shown as they stand, never as markup.
    EXPECT_EQ(Label(Window, "programLbl")->text(), "<b>Tandorel</b>");
    for (const char *name : {"programLbl", "datumLbl", "authorLbl", "emailLbl", "webLbl"})
        EXPECT_EQ(Label(Window, name)->textFormat(), Qt::PlainText) << name;
    QTest::mouseClick(Button(Window, "applyBtn"), Qt::LeftButton);
    EXPECT_EQ(LoadedFile(), "Slovensky2.txt");
    EXPECT_EQ(KProgramSettings::Instance()->LanguageFile, "lang/Slovensky2.txt");
    EXPECT_EQ(Window->windowTitle(), "Jazyk B");
    EXPECT_FALSE(Button(Window, "applyBtn")->isEnabled());

    Choose(Window, 1);
    QTest::mouseClick(Button(Window, "okBtn"), Qt::LeftButton);
    EXPECT_FALSE(Window->isVisible());
    EXPECT_EQ(LoadedFile(), "Slovensky.txt");
    EXPECT_EQ(Window->windowTitle(), "Jazyk");

    // Opened again, the file in use is the one selected, not its namesake.
    TGUIManager::Instance()->ShowForm(FormId::Language);
    EXPECT_EQ(Window->languagesLsb()->currentRow(), 1);
}

TEST_F(LanguageWindow, CancelDropsTheChoice)
{
    Choose(Window, 1);
    QTest::mouseClick(Button(Window, "cancelBtn"), Qt::LeftButton);
    EXPECT_FALSE(Window->isVisible());
    EXPECT_EQ(LoadedFile(), "English.txt");
    EXPECT_EQ(KProgramSettings::Instance()->LanguageFile, "lang/English.txt");
}

TEST_F(LanguageWindow, AFileGoneSinceTheListWasMadeKeepsTheLanguage)
{
    Choose(Window, 2);
    ASSERT_TRUE(QFile::remove(Run.Dir.file("lang/Slovensky2.txt")));
    QString text, title;
    AnswerNextMessageBox(QMessageBox::Ok, &text, &title);
    QTest::mouseClick(Button(Window, "okBtn"), Qt::LeftButton);
    EXPECT_EQ(title, "Error");
    EXPECT_EQ(text, "The language file \"lang/Slovensky2.txt\" cannot be found.");
    EXPECT_EQ(LoadedFile(), "English.txt");
    EXPECT_EQ(KProgramSettings::Instance()->LanguageFile, "lang/English.txt");
    EXPECT_TRUE(Window->isVisible());
    EXPECT_EQ(Entries(Window), (QStringList{"English English.txt", "Slovensky Slovensky.txt"}));
}

TEST_F(LanguageWindow, LinksOpenOnlyPlainAddresses)
{
    TUrlCatcher catcher;
    QTest::mouseClick(Label(Window, "emailLbl"), Qt::LeftButton);
    Choose(Window, 2);
    QTest::mouseClick(Label(Window, "emailLbl"), Qt::LeftButton); // carries "?subject="
    QTest::mouseClick(Label(Window, "webLbl"), Qt::LeftButton);
    QTest::mouseClick(Label(Window, "translateLbl"), Qt::LeftButton);
    const QString host = QStringLiteral("http://") + Run.Server.HostAndPort();
    EXPECT_EQ(catcher.Opened, (QList<QUrl>{QUrl("mailto:translations@tandorel.org"), QUrl("http://example.org/"),
                                           QUrl(host + "/wiki/doku.php?id=translations:translating_tandorel")}));
}

TEST_F(LanguageWindow, ASwitchRecaptionsEveryOpenWindowAndQtsOwnTexts)
{
    const int windows[] = {FormId::Settings, FormId::About, FormId::UpdateInfo, FormId::SelfTest};
    for (int id : windows)
        TGUIManager::Instance()->GetForm(id);
    Choose(Window, 1);
    QTest::mouseClick(Button(Window, "okBtn"), Qt::LeftButton);
    EXPECT_EQ(MainFrm->menuBar()->actions().first()->text(), QString::fromUtf8("&Nástroje"));
    EXPECT_EQ(Run.Window<TsettingsFrm>(FormId::Settings)->windowTitle(), "Nastavenia");
    EXPECT_EQ(Run.Window<ToProgrameFrm>(FormId::About)->windowTitle(), "O programe Tandorel");
    EXPECT_EQ(Label(Run.Window<ToProgrameFrm>(FormId::About), "verziaTitulokLbl")->text(), "verzia: ");
    EXPECT_EQ(Run.Window<TUpdateInfoFrm>(FormId::UpdateInfo)->msgCouldntGetInfo,
              QString::fromUtf8("Informácie o nových verziách sa nepodarilo získať."));
    EXPECT_EQ(Run.Window<TkontrolaFrm>(FormId::SelfTest)->windowTitle(), "Kontrola"); // fixed texts
    EXPECT_EQ(Window->TranslationWikiPage, "translations:translating_tandorel");

    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qt_sk.qm")))
        GTEST_SKIP() << "Qt's translations are not installed";
    QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QString::fromUtf8("Án&o"));
    // Back to English: Qt's texts too.
    TGUIManager::Instance()->ShowForm(FormId::Language);
    Choose(Window, 0);
    QTest::mouseClick(Button(Window, "okBtn"), Qt::LeftButton);
    QMessageBox english(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(english.button(QMessageBox::Yes)->text(), "&Yes");
}

TEST(LanguageWindowWithoutLanguage, ListsTheFilesAndSelectsNone)
{
    TProgramRun run;
    run.Dir.write("lang/Slovensky2.txt", "[Info]\r\nLanguageIsoCode=zz\r\nLanguageName=Zeta\r\nProgram=Tandorel\r\n");
    run.Start();
    ASSERT_FALSE(TProgramTranslator::Instance()->IsLoaded());
    TGUIManager::Instance()->ShowForm(FormId::Language);
    auto *window = run.Window<TjazykFrm>(FormId::Language);
    EXPECT_EQ(Entries(window), QStringList{"Zeta Slovensky2.txt"});
    EXPECT_EQ(window->languagesLsb()->selectedItems().size(), 0);
    EXPECT_EQ(Label(window, "programLbl")->text(), "");
    EXPECT_FALSE(Button(window, "applyBtn")->isEnabled());
    EXPECT_EQ(window->windowTitle(), "Language");
}
