// Every window as a screen reader and a keyboard user meet it: each control
// has a name in the language shown, and walking the accessible tree while
// the windows' buttons are pressed is safe.
#include "tools/uToolWindows.h"

#include "shell/fUpravyKonstant.h"
#include "shell/uMainProgram.h"
#include "shell/uProgramTranslator.h"
#include "shell/uValueListEditor.h"
#include "tests/support/AccessibleTree.h"
#include "tests/support/ClippedTexts.h"
#include "tests/support/EveryPage.h"
#include "tests/support/Mnemonics.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/QtPrint.h"
#include "tests/support/ReadableTexts.h"
#include "tests/support/UrlCatcher.h"
#include "tools/fDerivacie.h"
#include "tools/fUpravyKniznice.h"
#include "tools/fUpravyVyrazu.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QStyle>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

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
        // The shipped libraries, read by the expression browser once a
        // language file is loaded.
        QDir().mkpath(Run.Dir.file(QStringLiteral("lib")));
        for (const char *library : {"geometry.xml", "physics.xml"})
            QFile::copy(qEnvironmentVariable("TANDOREL_SOURCE_DIR") + QStringLiteral("/data/lib/")
                            + QLatin1String(library),
                        Run.Dir.file(QStringLiteral("lib/") + QLatin1String(library)));
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

    // Shows the expression browser's details of its first library, the
    // panel that is hidden until a library is chosen; false without one.
    static bool ShowLibraryDetails(QWidget *Window)
    {
        auto *tree = Window->findChild<QTreeWidget *>(QStringLiteral("stromVyrazovTrv"));
        if (!tree || !tree->topLevelItemCount())
            return false;
        tree->setCurrentItem(tree->topLevelItem(0));
        return Window->findChild<QWidget *>(QStringLiteral("kniznicaPnl"))->isVisibleTo(Window);
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
            if (language && name == QLatin1String("ExpressionBrowser")) {
                ASSERT_TRUE(ShowLibraryDetails(window));
                EXPECT_EQ(UnnamedControls(window), QStringList()) << language << " library details";
            }
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
            if (language && name == QLatin1String("ExpressionBrowser")) {
                ASSERT_TRUE(ShowLibraryDetails(window));
                const TMnemonicReport details = CheckMnemonics(window);
                EXPECT_EQ(details.Missing, QStringList()) << language << " library details";
                EXPECT_EQ(details.Clashes, QStringList()) << language << " library details";
            }
            window->hide();
        }
    }
}

// The program started in a dark theme: Fusion with a dark palette, as a
// dark desktop scheme gives it.
class DarkTheme : public Accessibility
{
protected:
    void SetUp() override
    {
        LightPalette = QApplication::palette();
        LightStyle = QApplication::style()->name();
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QPalette dark;
        // clang-format off
        const struct { QPalette::ColorRole Role; const char *Colour; } roles[] = {
            {QPalette::Window, "#353535"},   {QPalette::WindowText, "#ffffff"}, {QPalette::Base, "#232323"},
            {QPalette::AlternateBase, "#353535"}, {QPalette::Text, "#ffffff"}, {QPalette::Button, "#353535"},
            {QPalette::ButtonText, "#ffffff"}, {QPalette::Highlight, "#2a82da"}, {QPalette::HighlightedText, "#000000"},
            {QPalette::Link, "#2a82da"},     {QPalette::ToolTipBase, "#191919"}, {QPalette::ToolTipText, "#ffffff"},
        };
        // clang-format on
        for (const auto &r : roles)
            dark.setColor(r.Role, QColor(QLatin1String(r.Colour)));
        dark.setColor(QPalette::Disabled, QPalette::Text, QColor(0x7f, 0x7f, 0x7f));
        dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x7f, 0x7f, 0x7f));
        dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x7f, 0x7f, 0x7f));
        QApplication::setPalette(dark);
        Accessibility::SetUp();
    }
    void TearDown() override
    {
        Accessibility::TearDown();
        QApplication::setStyle(QStyleFactory::create(LightStyle));
        QApplication::setPalette(LightPalette);
    }

    // Every message a window shows in a colour of its own, brought out.
    void ShowTheMessages()
    {
        TGUIManager *gui = TGUIManager::Instance();
        const auto press = [gui](int Id, const char *Button) {
            gui->GetForm(Id)->findChild<QPushButton *>(QLatin1String(Button))->click();
        };
        const auto type = [gui](int Id, const char *Edit, const char *Text) {
            gui->GetForm(Id)->findChild<QLineEdit *>(QLatin1String(Edit))->setText(QLatin1String(Text));
        };
        type(FormId::Combinatorics, "EdtN", "");
        press(FormId::Combinatorics, "vypocetBtn");
        press(FormId::RuleOfThree, "Button1");
        gui->FormAs<TderivacieFrm>(FormId::Derivatives)->ShowError(QStringLiteral("Server unavailable."));
        type(FormId::SeriesSum, "OdEdt", "");
        press(FormId::SeriesSum, "vypocetBtn");
    }

    QPalette LightPalette;
    QString LightStyle;
};

TEST_F(DarkTheme, EveryTextStandsOutFromWhatItIsDrawnOn)
{
    for (const char *language : {"English.txt", "Slovensky.txt"}) {
        UseLanguage(language);
        ShowTheMessages();
        for (const auto &[name, window] : EveryWindow()) {
            if (window == TGUIManager::Instance()->GetForm(FormId::FunctionGraph))
                continue; // the graph draws its own colours
            window->show();
            QApplication::processEvents();
            EXPECT_EQ(LowContrastTexts(window), QStringList()) << language << " " << name.toStdString();
            window->hide();
        }
    }
}

// A list or grid that only shows choices keeps no keyboard user inside:
// Tab goes on to the next control.
TEST_F(Accessibility, TabLeavesEveryGridThatCannotBeTypedInto)
{
    int checked = 0;
    for (const auto &[name, window] : EveryWindow()) {
        window->show();
        QList<QAbstractItemView *> views;
        for (QAbstractItemView *view : window->findChildren<QAbstractItemView *>()) {
            const auto *grid = qobject_cast<TValueListEditor *>(view);
            if (view->isVisibleTo(window) && view->isEnabled() && (view->focusPolicy() & Qt::TabFocus)
                && !(grid && (grid->KeysEditable || grid->ValuesEditable)))
                views << view;
        }
        if (!views.isEmpty()) {
            // A window owned by the main window is exposed a moment after it
            // is shown; until then it cannot become the active one. Offscreen
            // a window is not always made active at the first request either.
            ASSERT_TRUE(QTest::qWaitForWindowExposed(window)) << name.toStdString();
            for (int attempt = 0; attempt < 3 && !window->isActiveWindow(); ++attempt) {
                window->activateWindow();
                if (QTest::qWaitForWindowActive(window, 500))
                    break;
            }
            ASSERT_TRUE(window->isActiveWindow()) << name.toStdString();
        }
        for (QAbstractItemView *view : views) {
            view->setFocus();
            QTest::keyClick(view, Qt::Key_Tab);
            EXPECT_NE(QApplication::focusWidget(), view)
                << name.toStdString() << " " << view->objectName().toStdString();
            ++checked;
        }
        window->hide();
    }
    EXPECT_GE(checked, 10); // history, constants, prefixes, languages, units, libraries, ...
}

// The program started on a desktop with an 11-point font.
class ElevenPoints : public Accessibility
{
protected:
    void SetUp() override
    {
        LayoutFont = QApplication::font();
        QFont font = LayoutFont;
        font.setPointSize(11);
        QApplication::setFont(font);
        // The language window lists the files and shows the chosen one's
        // addresses, the longest texts it has.
        Run.CopyLanguageFiles();
        Accessibility::SetUp();
    }
    void TearDown() override
    {
        Accessibility::TearDown();
        QApplication::setFont(LayoutFont);
    }

    QFont LayoutFont;
};

// The tool windows' own test checks them; here the shell's windows and the
// dialogs, on every page.
TEST_F(ElevenPoints, EveryCaptionOfTheShellWindowsAndDialogsFitsInBothLanguages)
{
    const QSet<int> shell = {FormId::History,  FormId::Constants, FormId::Variables,  FormId::Settings,
                             FormId::Language, FormId::About,     FormId::UpdateInfo, FormId::SelfTest};
    for (const char *language : {"English.txt", "Slovensky.txt"}) {
        UseLanguage(language);
        int index = 0;
        for (const auto &[name, window] : EveryWindow()) {
            const bool dialog = index >= int(std::size(Windows));
            if (!dialog && !shell.contains(Windows[index].Id)) {
                ++index;
                continue;
            }
            ++index;
            window->show();
            OnEveryPage(window, [&, name = name, window = window] {
                EXPECT_EQ(ClippedTexts(window), QStringList()) << language << " " << name.toStdString();
            });
            window->hide();
        }
    }
}

// The default light palette keeps the colours the windows were made with.
TEST_F(Accessibility, OnTheDefaultPaletteTheWindowsKeepTheirOwnColours)
{
    TGUIManager *gui = TGUIManager::Instance();
    const auto colour = [gui](int Id, const char *Name) {
        auto *w = gui->GetForm(Id)->findChild<QWidget *>(QLatin1String(Name));
        return w->palette().color(qobject_cast<QLineEdit *>(w) ? QPalette::Text : QPalette::WindowText);
    };
    gui->GetForm(FormId::Combinatorics)->findChild<QLineEdit *>(QStringLiteral("EdtN"))->clear();
    gui->GetForm(FormId::Combinatorics)->findChild<QPushButton *>(QStringLiteral("vypocetBtn"))->click();
    // clang-format off
    const struct { int Id; const char *Name; QColor Colour; } fixed[] = {
        {FormId::About, "nadpisLbl", QColor(0, 128, 0)},
        {FormId::About, "kontaktLbl", QColor(0, 0, 128)},
        {FormId::Language, "translateLbl", QColor(0, 0, 128)},
        {FormId::Settings, "ordinaryNotationLbl", QColor(0x60, 0x60, 0x60)},
        {FormId::SeriesSum, "incorrectValueLbl", QColor(255, 0, 0)},
        {FormId::UnitConverter, "droppedUnitsLbl", QColor(0xA0, 0, 0)},
        {FormId::Combinatorics, "EdtVysledok", QColor(255, 0, 0)},
    };
    // clang-format on
    for (const auto &f : fixed)
        EXPECT_EQ(colour(f.Id, f.Name), f.Colour) << f.Name;
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
