// The main window's Preferences and Help menus, its address and hint texts.
#include "shell/fMain.h"

#include "shell/fAbout.h"
#include "shell/fJazyk.h"
#include "shell/fKontrola.h"
#include "shell/fSettings.h"
#include "shell/fUpdateInfo.h"
#include "shell/uProgramTranslator.h"
#include "tests/support/ClippedTexts.h"
#include "tests/support/MainWindowDriver.h"
#include "tests/support/Mnemonics.h"
#include "tests/support/ModalHelper.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/QtPrint.h"
#include "tests/support/TestWebHost.h"
#include "tests/support/UrlCatcher.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <string_view>

namespace {

QAction *Action(const char *Name)
{
    auto *action = MainFrm->findChild<QAction *>(QLatin1String(Name));
    EXPECT_TRUE(action) << Name;
    return action;
}

// Runs Open, which opens a window modally, and reports which window that
// was; the window is closed again.
QString ModalWindowOf(const std::function<void()> &Open)
{
    QString opened;
    OnNextModal([&opened](QWidget *modal) {
        opened = modal->objectName();
        modal->close();
    });
    Open();
    return opened;
}

QString LanguageFile(const char *Name)
{
    return qEnvironmentVariable("TANDOREL_SOURCE_DIR") + QStringLiteral("/data/lang/") + QLatin1String(Name);
}

} // namespace

TEST(MainMenus, PreferencesAndHelpOpenTheirWindows)
{
    TProgramRun run;
    run.Server.Route("/updateinfo.php", TLocalHttpServer::TReply::Ok("27\n1.11.0.27\n"));
    run.Start();
    TGUIManager *gui = TGUIManager::Instance();

    Action("showPreferencesAct")->trigger();
    EXPECT_TRUE(run.Window<TsettingsFrm>(FormId::Settings)->isVisible());
    Action("jazykAct")->trigger();
    EXPECT_TRUE(run.Window<TjazykFrm>(FormId::Language)->isVisible());
    EXPECT_EQ(ModalWindowOf([] { Action("OProgrameAct")->trigger(); }), "ToProgrameFrm");
    EXPECT_EQ(ModalWindowOf([] { Action("ZistitNovsiuVerziuAct")->trigger(); }), "TUpdateInfoFrm");
    EXPECT_TRUE(run.Server.WaitForRequests(1));

    // The sign of a newer build leads to the same window.
    MainFrm->ShowUpdateAvailable();
    auto *sign = MainFrm->findChild<QLabel *>(QStringLiteral("updateInfoImg"));
    ASSERT_TRUE(sign->isVisible());
    EXPECT_EQ(ModalWindowOf([sign] { QTest::mouseClick(sign, Qt::LeftButton); }), "TUpdateInfoFrm");

    // The developers' hidden key opens the self-test window.
    auto *test = MainFrm->findChild<QAbstractButton *>(QStringLiteral("testBtn"));
    EXPECT_FALSE(test->isVisible());
    test->click();
    EXPECT_TRUE(gui->IsFormCreated(FormId::SelfTest));
    EXPECT_TRUE(run.Window<TkontrolaFrm>(FormId::SelfTest)->isVisible());

    TUrlCatcher catcher;
    Action("DomovskaStrankaProgramuAct")->trigger();
    Action("reportBugAct")->trigger();
    Action("onlineDokumentaciaAct")->trigger();
    const QString host = QStringLiteral("http://") + run.Server.HostAndPort();
    EXPECT_EQ(catcher.Opened, (QList<QUrl>{QUrl(host + "/index.php?page=home&build=26&language=e2"),
                                           QUrl(host + "/index.php?page=contact"), QUrl(host + "/wiki/")}));
}

TEST(ShellWindows, EveryCaptionFitsInBothLanguages)
{
    TProgramRun run;
    run.CopyLanguageFiles();
    run.Start();
    TGUIManager *gui = TGUIManager::Instance();
    auto *longestKey = MainFrm->findChild<QPushButton *>(QStringLiteral("BtnArccotg"));
    for (const char *language : {"English.txt", "Slovensky.txt", "English.txt"}) {
        TProgramTranslator::Instance()->LoadFile(LanguageFile(language));
        ASSERT_TRUE(TProgramTranslator::Instance()->IsLoaded());
        KMainProgram::Instance()->LoadTexts();
        EXPECT_EQ(ClippedTexts(MainFrm), QStringList()) << language;
        // Keys keep the window's font: a longer name widens the keypad, and
        // back in English the window has its designed width again.
        EXPECT_EQ(longestKey->font().pointSizeF(), MainFrm->font().pointSizeF()) << language;
        EXPECT_EQ(MainFrm->centralWidget()->width() == 640, longestKey->text() == QStringLiteral("arccot")) << language;
        for (int id : {FormId::Settings, FormId::Language, FormId::About, FormId::UpdateInfo, FormId::SelfTest}) {
            QWidget *window = gui->GetForm(id);
            window->show();
            EXPECT_EQ(ClippedTexts(window), QStringList()) << language << " " << id;
            window->hide();
        }
    }
    run.Exit();
    TProgramTranslator::FreeInstance();
    LanguageCode = QStringLiteral("e2");
}

TEST(ShellWindows, TheMainWindowsTextsFitAtLargerFonts)
{
    // At the usual font the window has its designed size; at larger ones it
    // grows until every caption, the expression and the result fit, in
    // either language.
    const QFont usual = QApplication::font();
    for (const qreal points : {usual.pointSizeF(), 11.0, 14.0}) {
        QFont font = usual;
        font.setPointSizeF(points);
        QApplication::setFont(font);
        TProgramRun run;
        run.CopyLanguageFiles();
        run.Start();
        for (const char *language : {"English.txt", "Slovensky.txt"}) {
            TProgramTranslator::Instance()->LoadFile(LanguageFile(language));
            KMainProgram::Instance()->LoadTexts();
            MainFrm->ShowResult(QStringLiteral("-1.234567E-89"));
            EXPECT_EQ(ClippedTexts(MainFrm), QStringList()) << language << " " << points;
            for (const char *name : {"vstupRdt", "vysledokEdt"}) {
                auto *field = MainFrm->findChild<QWidget *>(QLatin1String(name));
                EXPECT_GE(field->contentsRect().height(), field->fontMetrics().height()) << name << " " << points;
            }
            auto *result = MainFrm->findChild<QLineEdit *>(QStringLiteral("vysledokEdt"));
            EXPECT_GE(result->width(), result->fontMetrics().horizontalAdvance(result->text())) << points;
            if (points == usual.pointSizeF() && language == std::string_view("English.txt"))
                EXPECT_EQ(MainFrm->centralWidget()->size(), QSize(640, 333));
            else
                EXPECT_GE(MainFrm->centralWidget()->width(), 640) << language << " " << points;
        }
        run.Exit();
    }
    QApplication::setFont(usual);
    TProgramTranslator::FreeInstance();
    LanguageCode = QStringLiteral("e2");
}

// Alt and a letter reaches one item of an open menu, and one menu of the
// menu bar: no letter may stand for two.
TEST(MainMenus, NoTwoItemsOfAMenuShareAnAcceleratorInEitherLanguage)
{
    TProgramRun run;
    run.CopyLanguageFiles();
    run.Start();
    const auto clashes = [](const QList<QAction *> &actions) {
        QStringList found;
        QMap<QChar, QString> taken;
        for (const QAction *action : actions) {
            if (action->isSeparator() || !action->isVisible())
                continue;
            const QChar letter = MnemonicOf(action->text());
            if (letter.isNull())
                found << QStringLiteral("none: ") + action->text();
            else if (taken.contains(letter))
                found << QString(letter) + QStringLiteral(": ") + taken[letter] + QStringLiteral(" / ")
                             + action->text();
            else
                taken.insert(letter, action->text());
        }
        return found;
    };
    for (const char *language : {"English.txt", "Slovensky.txt"}) {
        TProgramTranslator::Instance()->LoadFile(LanguageFile(language));
        ASSERT_TRUE(TProgramTranslator::Instance()->IsLoaded());
        KMainProgram::Instance()->LoadTexts();
        EXPECT_EQ(clashes(MainFrm->menuBar()->actions()), QStringList()) << language;
        for (const QAction *top : MainFrm->menuBar()->actions()) {
            ASSERT_TRUE(top->menu()) << top->text().toStdString();
            EXPECT_EQ(clashes(top->menu()->actions()), QStringList()) << language << " " << top->text().toStdString();
        }
    }
    run.Exit();
    TProgramTranslator::FreeInstance();
    LanguageCode = QStringLiteral("e2");
}

TEST(MainTexts, TheDocumentationAddressStaysOnTheMakersHost)
{
    TRealWebHost real;
    TMainWindowDriver main;
    TempProgramDir dir;
    const struct
    {
        const char *Page;
        bool Taken;
    } pages[] = {
        {"http://www.tandorel.org/wiki/doku.php?id=sk:dokumentacia", true},
        {"https://wiki.tandorel.org/sk", true},
        {"http://evil.example/?from=tandorel.org", false},
        {"http://tandorel.org.evil.example/", false},
        {"javascript:alert('tandorel.org')", false},
    };
    for (const auto &p : pages) {
        dir.write("lang.txt",
                  QByteArray("[Info]\r\nLanguageIsoCode=xx\r\n[Addresses]\r\nDocumentationPage=") + p.Page + "\r\n");
        TProgramTranslator::Instance()->LoadFile(dir.file("lang.txt"));
        main.Form->TranslateTexts();
        EXPECT_EQ(main.Form->DocumentationPage,
                  p.Taken ? QString::fromLatin1(p.Page) : QStringLiteral("http://www.tandorel.org/wiki/"))
            << p.Page;
        EXPECT_EQ(LanguageCode, "xx");
    }
    TProgramTranslator::FreeInstance();
    LanguageCode = QStringLiteral("e2");
}

TEST(MainTexts, AQuickSwitchBackEndsWithTheLastLanguagesHints)
{
    TMainWindowDriver main;
    auto *real = main.Form->findChild<QWidget *>(QStringLiteral("sbRealne"));
    const QString english = QStringLiteral("Set of real numbers"), slovak = QString::fromUtf8("Množina reálnych čísel");
    TProgramTranslator *t = TProgramTranslator::Instance();
    for (int round = 0; round < 20; ++round) {
        const bool endInSlovak = round % 2 == 0;
        for (const char *file :
             {endInSlovak ? "Slovensky.txt" : "English.txt", endInSlovak ? "English.txt" : "Slovensky.txt",
              endInSlovak ? "Slovensky.txt" : "English.txt"}) {
            t->LoadFile(LanguageFile(file));
            ASSERT_EQ(QFileInfo(t->GetFileName()).fileName(), QLatin1String(file));
            main.Form->TranslateTexts();
        }
        QPointer<QThread> last = main.Form->HintThread.data();
        while (last && !last->isFinished())
            QTest::qWait(1);
        QCoreApplication::processEvents();
        EXPECT_EQ(real->toolTip(), endInSlovak ? slovak : english) << round;
    }
    TProgramTranslator::FreeInstance();
    LanguageCode = QStringLiteral("e2");
}
