#include "shell/fSettings.h"

#include "core/KomplexneCisla.h"
#include "core/uProgramSettings.h"
#include "core/uProgramState.h"
#include "platform/SysUtils.h"
#include "shell/uMainProgram.h"
#include "shell/uProgramTranslator.h"
#include "shell/uUpDown.h"
#include "tests/support/ModalHelper.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/QtPrint.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

KProgramSettings *Settings()
{
    return KProgramSettings::Instance();
}

QString Ini(const QByteArray &Text, const char *Key)
{
    const QRegularExpression re(QStringLiteral("(?m)^%1=([^\\r\\n]*)").arg(QString::fromLatin1(Key)));
    return re.match(QString::fromUtf8(Text)).captured(1);
}

class Preferences : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Run.Start();
        TGUIManager::Instance()->ShowForm(FormId::Settings);
        Window = Run.Window<TsettingsFrm>(FormId::Settings);
    }
    template <class T = QAbstractButton>
    T *Control(const char *Name) const
    {
        T *control = Window->findChild<T *>(QLatin1String(Name));
        EXPECT_TRUE(control) << Name;
        return control;
    }
    void Click(const char *Name) const { QTest::mouseClick(Control(Name), Qt::LeftButton, {}, QPoint(6, 6)); }
    QString DecimalKey() const { return MainFrm->findChild<QAbstractButton *>(QStringLiteral("BtnCiarka"))->text(); }

    TProgramRun Run;
    TsettingsFrm *Window = nullptr;
};

} // namespace

TEST_F(Preferences, EveryCheckBoxWritesItsSettingAtOnce)
{
    const struct
    {
        const char *Box;
        bool KProgramSettings::*Field;
        bool Inverted;
    } boxes[] = {
        {"checkUpdatesAtStartChb", &KProgramSettings::CheckUpdatesAtStart, false},
        {"copyResultToClipboardChb", &KProgramSettings::CopyResultToClipboard, false},
        {"allowOnlyOneInstanceChb", &KProgramSettings::AllowOnlyOneInstance, false},
        {"closeParenthesesChb", &KProgramSettings::CloseParentheses, false},
        {"saveHistoryChb", &KProgramSettings::SaveHistory, false},
        {"saveVariablesChb", &KProgramSettings::SaveVariables, false},
        {"saveMemoryValueChb", &KProgramSettings::SaveMemoryData, false},
        {"saveMainWindowPosChk", &KProgramSettings::Center, true},
        {"rememberLastStateChk", &KProgramSettings::RememberLastState, false},
    };
    for (const auto &b : boxes) {
        const bool before = Settings()->*b.Field;
        EXPECT_EQ(Control(b.Box)->isChecked(), before != b.Inverted) << b.Box;
        Click(b.Box);
        EXPECT_EQ(Settings()->*b.Field, !before) << b.Box;
        Click(b.Box);
        EXPECT_EQ(Settings()->*b.Field, before) << b.Box;
    }
}

TEST_F(Preferences, ChoicesTakeEffectAtOnce)
{
    Click("onlyOperatorRbt");
    EXPECT_EQ(Settings()->InsertAfterCalculation, 0);
    Click("expressionAndOperatorRbt");
    EXPECT_EQ(Settings()->InsertAfterCalculation, 2);
    Click("exponentialNotationRbt");
    EXPECT_TRUE(Settings()->ScientificNotation);
    Click("ordinaryNotationRbt");
    EXPECT_FALSE(Settings()->ScientificNotation);

    Click("mathematicalRbt");
    EXPECT_EQ(Settings()->ComplexNumberFormat, 0);
    EXPECT_EQ(ImaginaryUnit, u'i');
    EXPECT_FALSE(ImaginaryUnitFirst);
    Click("elektrotechnicalRbt");
    EXPECT_EQ(ImaginaryUnit, u'j');

    Click("commaRbt");
    EXPECT_EQ(Settings()->DecimalSeparator, 2);
    EXPECT_EQ(DecimalSeparator, u',');
    EXPECT_EQ(DecimalKey(), ",");
    Click("dotRbt");
    EXPECT_EQ(DecimalSeparator, u'.');
    EXPECT_EQ(DecimalKey(), ".");
}

TEST_F(Preferences, RememberLastStateGreysTheStartUpPageButItself)
{
    const char *page[] = {"numberSetRg",  "angleModeRg", "numberSystemRg", "otherGb", "hypChk",
                          "fractionsChk", "decLbl",      "decEdt",         "decUd"};
    Click("rememberLastStateChk");
    for (const char *name : page)
        EXPECT_FALSE(Control<QWidget>(name)->isEnabled()) << name;
    EXPECT_TRUE(Control("rememberLastStateChk")->isEnabled());
    Click("rememberLastStateChk");
    for (const char *name : page)
        EXPECT_TRUE(Control<QWidget>(name)->isEnabled()) << name;
}

TEST_F(Preferences, RestoreDefaultsBringsBackTheSeparatorAndTheImaginaryUnit)
{
    const QChar system = Settings()->SystemDecimalSeparator;
    const QChar other = system == u',' ? u'.' : u',';
    Click(other == u',' ? "commaRbt" : "dotRbt");
    Click("mathematicalRbt");
    Click("copyResultToClipboardChb");
    ASSERT_EQ(DecimalSeparator, other);

    AnswerNextMessageBox(QMessageBox::No);
    Click("restoreDefaultsBtn");
    EXPECT_EQ(DecimalSeparator, other);
    EXPECT_TRUE(Settings()->CopyResultToClipboard);

    QString question;
    AnswerNextMessageBox(QMessageBox::Yes, &question);
    Click("restoreDefaultsBtn");
    EXPECT_EQ(question, "All your settings will be lost. Restore anyway ?");
    EXPECT_EQ(Settings()->DecimalSeparator, 0);
    EXPECT_EQ(DecimalSeparator, system);
    EXPECT_EQ(DecimalKey(), QString(system));
    EXPECT_EQ(ImaginaryUnit, u'j');
    EXPECT_TRUE(Control("systemDefaultRbt")->isChecked());
    EXPECT_TRUE(Control("elektrotechnicalRbt")->isChecked());
    EXPECT_FALSE(Control("copyResultToClipboardChb")->isChecked());
    EXPECT_TRUE(Window->isVisible());
}

TEST_F(Preferences, OpeningAgainShowsTheSettingsAsTheyAreNow)
{
    Window->close();
    Settings()->CopyResultToClipboard = true;
    Settings()->InsertAfterCalculation = 0;
    TGUIManager::Instance()->ShowForm(FormId::Settings);
    EXPECT_TRUE(Control("copyResultToClipboardChb")->isChecked());
    EXPECT_TRUE(Control("onlyOperatorRbt")->isChecked());
}

TEST(PreferencesRoundTrip, SettingsAndStartUpStateSurviveARestart)
{
    TProgramRun run;
    run.Start();
    TGUIManager::Instance()->ShowForm(FormId::Settings);
    auto *window = run.Window<TsettingsFrm>(FormId::Settings);
    const auto click = [&](const char *name) {
        QTest::mouseClick(window->findChild<QAbstractButton *>(QLatin1String(name)), Qt::LeftButton, {}, QPoint(6, 6));
    };
    for (const char *name :
         {"copyResultToClipboardChb", "commaRbt", "exponentialNotationRbt", "mathematicalRbt", "saveMainWindowPosChk",
          "complexNumbersRbt", "radRbt", "hexadecimalRbt", "hypChk", "fractionsChk"})
        click(name);
    auto *decimals = window->findChild<TUpDown *>(QStringLiteral("decUd"));
    decimals->Step(+1);
    decimals->Step(+1);
    EXPECT_EQ(window->findChild<QLineEdit *>(QStringLiteral("decEdt"))->text(), "8");
    // The start-up page as edited stays when the window opens again.
    window->close();
    TGUIManager::Instance()->ShowForm(FormId::Settings);
    EXPECT_TRUE(window->findChild<QRadioButton *>(QStringLiteral("hexadecimalRbt"))->isChecked());
    EXPECT_EQ(KProgramState::GetInstance(0)->NumeralSystem, 2); // the running calculator keeps its mode
    run.Exit();

    const QByteArray settings = run.Dir.read("settings.ini"), state = run.Dir.read("programState.ini");
    EXPECT_EQ(Ini(settings, "CopyResultToClipboard"), "1");
    EXPECT_EQ(Ini(settings, "DecimalSeparator"), "2");
    EXPECT_EQ(Ini(settings, "ScientificNotation"), "1");
    EXPECT_EQ(Ini(settings, "ComplexNumberFormat"), "0");
    EXPECT_EQ(Ini(settings, "Center"), "0");
    const struct
    {
        const char *Key, *Value;
    } expected[] = {{"NumberSet", "1"}, {"AngleMode", "1"}, {"NumeralSystem", "3"},
                    {"Hyp", "1"},       {"Fractions", "1"}, {"Decimals", "8"}};
    for (const auto &e : expected)
        EXPECT_EQ(Ini(state, e.Key), e.Value) << e.Key;

    run.Start();
    EXPECT_EQ(DecimalSeparator, u',');
    EXPECT_EQ(KProgramState::GetInstance(0)->NumberSet, 1);
    EXPECT_EQ(KProgramState::GetInstance(0)->NumeralSystem, 3);
    TGUIManager::Instance()->ShowForm(FormId::Settings);
    window = run.Window<TsettingsFrm>(FormId::Settings);
    for (const char *name :
         {"copyResultToClipboardChb", "commaRbt", "exponentialNotationRbt", "mathematicalRbt", "saveMainWindowPosChk",
          "complexNumbersRbt", "radRbt", "hexadecimalRbt", "hypChk", "fractionsChk"})
        EXPECT_TRUE(window->findChild<QAbstractButton *>(QLatin1String(name))->isChecked()) << name;
    EXPECT_EQ(window->findChild<QLineEdit *>(QStringLiteral("decEdt"))->text(), "8");
    run.Exit();
    KProgramSettings::Instance()->SetDecimalSeparator(1);
}

TEST(PreferencesRoundTrip, TheStartUpStateIsLeftAloneWhenTheWindowWasNeverOpened)
{
    TProgramRun run;
    run.Dir.write("programState.ini", "[ProgramState]\r\nNumberSet=2\r\n");
    run.Start();
    run.Exit();
    EXPECT_EQ(run.Dir.read("programState.ini"), "[ProgramState]\r\nNumberSet=2\r\n");
}

TEST(PreferencesTexts, FollowTheLanguage)
{
    TProgramRun run;
    run.CopyLanguageFiles();
    run.WriteSettings("CheckUpdatesAtStart=0\r\nLanguageFile=lang/Slovensky.txt\r\n");
    run.Start();
    auto *window = run.Window<TsettingsFrm>(FormId::Settings);
    EXPECT_EQ(window->windowTitle(), "Nastavenia");
    EXPECT_EQ(window->findChild<QTabWidget *>(QStringLiteral("settingsPgc"))->tabText(0),
              QString::fromUtf8("&Správanie"));
    EXPECT_EQ(window->findChild<QRadioButton *>(QStringLiteral("commaRbt"))->text(), QString::fromUtf8("Čiar&ka"));
    EXPECT_EQ(window->findChild<QPushButton *>(QStringLiteral("closeBtn"))->text(), QString::fromUtf8("Zav&rieť"));
}

// The window has a fixed size: after a language switch it fits the longest
// page of the new language at once, so that turning the pages never resizes
// it and it stays centred on the main window.
TEST(PreferencesTexts, EveryPageFitsTheWindowAfterALanguageSwitch)
{
    TProgramRun run;
    run.CopyLanguageFiles();
    run.WriteSettings("CheckUpdatesAtStart=0\r\nLanguageFile=lang/English.txt\r\n");
    run.Start();
    TGUIManager::Instance()->ShowForm(FormId::Settings);
    auto *window = run.Window<TsettingsFrm>(FormId::Settings);
    auto *pages = window->findChild<QTabWidget *>(QStringLiteral("settingsPgc"));
    for (const char *file : {"Slovensky.txt", "English.txt", "Slovensky.txt"}) {
        window->close();
        const QString path = run.Dir.file(QStringLiteral("lang/") + QLatin1String(file));
        ASSERT_TRUE(TProgramTranslator::Instance()->LoadFile(path));
        KMainProgram::Instance()->LoadTexts();
        pages->setCurrentIndex(0);
        TGUIManager::Instance()->ShowForm(FormId::Settings);
        QCoreApplication::processEvents();
        const QRect placed = window->geometry();
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            QCoreApplication::processEvents();
            EXPECT_EQ(window->geometry(), placed) << file << " page " << page;
            const QWidget *content = pages->widget(page);
            EXPECT_TRUE(content->rect().contains(content->childrenRect())) << file << " page " << page;
        }
    }
}
