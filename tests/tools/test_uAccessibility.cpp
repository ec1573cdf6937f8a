// Every window as a screen reader and a keyboard user meet it: each control
// has a name in the language shown, and walking the accessible tree while
// the windows' buttons are pressed is safe.
#include "tools/uToolWindows.h"

#include "shell/fUpravyKonstant.h"
#include "shell/uMainProgram.h"
#include "shell/uProgramTranslator.h"
#include "tests/support/AccessibleTree.h"
#include "tests/support/Mnemonics.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/QtPrint.h"
#include "tests/support/UrlCatcher.h"
#include "tools/fUpravyKniznice.h"
#include "tools/fUpravyVyrazu.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// clang-format off
const struct
{
    int Id;
    const char *Name;
} Windows[] = {
    {FormId::History, "History"},                 {FormId::Constants, "Constants"},
    {FormId::PrefixValues, "PrefixValues"},       {FormId::Variables, "Variables"},
    {FormId::ExpressionPreview, "ExpressionPreview"}, {FormId::ExpressionBrowser, "ExpressionBrowser"},
    {FormId::Settings, "Settings"},               {FormId::Language, "Language"},
    {FormId::About, "About"},                     {FormId::UpdateInfo, "UpdateInfo"},
    {FormId::SelfTest, "SelfTest"},               {FormId::SeriesSum, "SeriesSum"},
    {FormId::FunctionGraph, "FunctionGraph"},     {FormId::Polynomials, "Polynomials"},
    {FormId::Combinatorics, "Combinatorics"},     {FormId::Statistics, "Statistics"},
    {FormId::RuleOfThree, "RuleOfThree"},         {FormId::Derivatives, "Derivatives"},
    {FormId::QuadraticEquation, "QuadraticEquation"}, {FormId::UnitConverter, "UnitConverter"},
};
// clang-format on

// Qt's item views warn about every child index a client asks for past
// their end; the walk asks on purpose.
QtMessageHandler PreviousHandler = nullptr;
void QuietProbes(QtMsgType Type, const QMessageLogContext &Context, const QString &Text)
{
    QString text = Text;
    if (text.startsWith(QLatin1String("WARNING ")))
        text.remove(0, 8);
    if (Type == QtWarningMsg
        && (text.startsWith(QLatin1String("QAccessibleTable::"))
            || text.startsWith(QLatin1String("QAccessibleTree::"))))
        return;
    PreviousHandler(Type, Context, Text);
}

QString LanguageFile(const char *Name)
{
    return qEnvironmentVariable("TANDOREL_SOURCE_DIR") + QStringLiteral("/data/lang/") + QLatin1String(Name);
}

// The whole program with every window registered; modal windows that the
// pressed buttons open (questions, file dialogs) are closed as they come.
class Accessibility : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PreviousHandler = qInstallMessageHandler(&QuietProbes);
        // No language file in the program folder: the windows start with
        // their layouts' English texts.
        Run.Start(&RegisterToolWindowClasses);
        QObject::connect(&ModalCloser, &QTimer::timeout, [] {
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
        });
        ModalCloser.start(20);
    }
    void TearDown() override
    {
        ModalCloser.stop();
        Run.Exit();
        TProgramTranslator::FreeInstance();
        LanguageCode = QStringLiteral("e2");
        qInstallMessageHandler(PreviousHandler);
    }

    // The registered windows and the three dialogs the windows open.
    QList<QPair<QString, QWidget *>> EveryWindow()
    {
        QList<QPair<QString, QWidget *>> windows;
        for (const auto &w : Windows)
            windows.append({QLatin1String(w.Name), TGUIManager::Instance()->GetForm(w.Id)});
        windows.append({QStringLiteral("ConstantDialog"), TuprKonstFrm::Instance()});
        windows.append({QStringLiteral("LibraryDialog"), GetUpravyKnizniceFrm(MainFrm)});
        windows.append({QStringLiteral("ExpressionDialog"), GetUpravyVyrazuFrm(MainFrm)});
        return windows;
    }

    // The texts of File (nullptr: the layouts' own, as at the start).
    void UseLanguage(const char *File)
    {
        if (!File) {
            ASSERT_FALSE(TProgramTranslator::Instance()->IsLoaded());
            return;
        }
        TProgramTranslator::Instance()->LoadFile(LanguageFile(File));
        ASSERT_TRUE(TProgramTranslator::Instance()->IsLoaded());
        KMainProgram::Instance()->LoadTexts();
    }

    TProgramRun Run;
    TUrlCatcher Urls;
    QTimer ModalCloser;
};

const char *const Languages[] = {nullptr, "English.txt", "Slovensky.txt"};

const char *Shown(const char *Language)
{
    return Language ? Language : "layout texts";
}

TEST_F(Accessibility, EveryControlOfEveryWindowHasANameInBothLanguages)
{
    for (const char *language : Languages) {
        UseLanguage(language);
        for (const auto &[name, window] : EveryWindow()) {
            window->show();
            QApplication::processEvents();
            EXPECT_EQ(UnnamedControls(window), QStringList()) << Shown(language) << " " << name.toStdString();
            window->hide();
        }
    }
}

// The graph and polynomials windows keep their own keys.
TEST_F(Accessibility, EveryCaptionAndButtonHasAnAcceleratorOfItsOwnInBothLanguages)
{
    for (const char *language : Languages) {
        UseLanguage(language);
        for (const auto &[name, window] : EveryWindow()) {
            if (window == TGUIManager::Instance()->GetForm(FormId::FunctionGraph)
                || window == TGUIManager::Instance()->GetForm(FormId::Polynomials))
                continue;
            window->show();
            QApplication::processEvents();
            const TMnemonicReport report = CheckMnemonics(window);
            EXPECT_EQ(report.Missing, QStringList()) << Shown(language) << " " << name.toStdString();
            EXPECT_EQ(report.Clashes, QStringList()) << Shown(language) << " " << name.toStdString();
            window->hide();
        }
    }
}

// As a screen reader does: the tree is read after every press, while
// accessibility events arrive and are read as they come.
TEST_F(Accessibility, WalkingEveryWindowBetweenPressesOfItsButtonsIsSafe)
{
    TAccessibilityClient client;
    ASSERT_TRUE(QAccessible::isActive());
    for (const auto &[name, window] : EveryWindow()) {
        QPointer<QWidget> shown(window);
        window->show();
        QApplication::processEvents();
        ASSERT_GT(WalkAccessibleTree(window), 1) << name.toStdString();
        for (int round = 0; round < 3; ++round) {
            for (QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
                if (!shown)
                    break;
                if (!shown->isVisible())
                    shown->show();
                if (!button->isVisibleTo(window) || !button->isEnabled())
                    continue;
                button->click();
                QApplication::processEvents();
                if (shown)
                    WalkAccessibleTree(shown);
            }
        }
        ASSERT_TRUE(shown) << name.toStdString();
        window->hide();
        QApplication::processEvents();
    }
    EXPECT_GT(TAccessibilityClient::Events, 0);
}

} // namespace
