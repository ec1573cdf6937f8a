#include "tools/uToolWindows.h"

#include "shell/uDisk.h"
#include "shell/uGUIManager.h"
#include "shell/uProgramTranslator.h"
#include "shell/uValueListEditor.h"
#include "tests/support/ClippedTexts.h"
#include "tests/support/EngineState.h"
#include "tests/support/FakeMainForm.h"
#include "tests/support/QtPrint.h"
#include "tests/support/TempProgramDir.h"
#include "tools/fPrefixValues.h"
#include "tools/fQuadraticEquation.h"
#include "tools/fRuleOfThree.h"
#include "tools/fStatistika.h"
#include "tools/fUnitConverter.h"
#include "tools/kombinatorika.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class ToolWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetEngineState();
        TProgramTranslator::FreeInstance();
        for (const char *units : {"units/en/units.xml", "units/sk/units.xml"}) {
            QFile file(qEnvironmentVariable("TANDOREL_SOURCE_DIR") + QStringLiteral("/data/") + QLatin1String(units));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            Dir.write(QLatin1String(units), file.readAll());
        }
        SetProgramDir(Dir.path());
        Gui = TGUIManager::Instance();
        Gui->SetMainForm(&Main);
        RegisterToolWindowClasses(Gui);
    }
    void TearDown() override
    {
        TGUIManager::FreeInstance();
        TProgramTranslator::FreeInstance();
        SetProgramDir(QString());
        ResetEngineState();
    }

    TempProgramDir Dir;
    FakeMainForm Main;
    TGUIManager *Gui = nullptr;
};

TEST_F(ToolWindows, EachIdOpensItsWindowThePrefixesMagneticAndCentred)
{
    EXPECT_TRUE(Gui->FormAs<TprefixValuesFrm>(FormId::PrefixValues));
    EXPECT_TRUE(Gui->FormAs<TkombinatorikaFrm>(FormId::Combinatorics));
    EXPECT_TRUE(Gui->FormAs<TstatistikaFrm>(FormId::Statistics));
    EXPECT_TRUE(Gui->FormAs<TRuleOfThreeFrm>(FormId::RuleOfThree));
    EXPECT_TRUE(Gui->FormAs<TQuadraticEquationFrm>(FormId::QuadraticEquation));
    EXPECT_TRUE(Gui->FormAs<TUnitConverterFrm>(FormId::UnitConverter));
    EXPECT_TRUE(Gui->Entry(FormId::PrefixValues).IsMagnetic);
    EXPECT_EQ(Gui->Entry(FormId::PrefixValues).DockSide, DockCentred);
    for (int id : {FormId::Combinatorics, FormId::Statistics, FormId::RuleOfThree, FormId::QuadraticEquation,
                   FormId::UnitConverter})
        EXPECT_FALSE(Gui->Entry(id).IsMagnetic) << id;
}

TEST_F(ToolWindows, TextsComeFromTheLanguageFile)
{
    TProgramTranslator::Instance()->LoadFile(qEnvironmentVariable("TANDOREL_SOURCE_DIR")
                                             + QStringLiteral("/data/lang/Slovensky.txt"));
    ASSERT_TRUE(TProgramTranslator::Instance()->IsLoaded());
    const struct
    {
        int id;
        const char *caption;
    } windows[] = {
        {FormId::PrefixValues, "Predpony jednotiek"},
        {FormId::Combinatorics, "Kombinatorika"},
        {FormId::Statistics, "Štatistika"},
        {FormId::RuleOfThree, "Trojčlenka"},
        {FormId::QuadraticEquation, "Kvadratická rovnica"},
        {FormId::UnitConverter, "Prevod jednotiek"},
    };
    for (const auto &w : windows)
        EXPECT_EQ(Gui->GetForm(w.id)->windowTitle(), QString::fromUtf8(w.caption)) << w.id;

    auto *combinatorics = Gui->GetForm(FormId::Combinatorics);
    EXPECT_EQ(combinatorics->findChild<QRadioButton *>(QStringLiteral("RadioButton1"))->text(),
              QStringLiteral("Kombinačné &číslo"));
    auto *statistics = Gui->FormAs<TstatistikaFrm>(FormId::Statistics);
    EXPECT_EQ(statistics->findChild<QGroupBox *>(QStringLiteral("statistikaGpb"))->title(),
              QStringLiteral("Štatistika"));
    EXPECT_EQ(statistics->NoValues, QStringLiteral("Zadajte aspoň jednu hodnotu."));
    EXPECT_EQ(Gui->FormAs<TprefixValuesFrm>(FormId::PrefixValues)->prefixValuesVle()->horizontalHeaderItem(0)->text(),
              QStringLiteral("Predpona"));
    auto *rule = Gui->FormAs<TRuleOfThreeFrm>(FormId::RuleOfThree);
    EXPECT_EQ(rule->InvalidInput, QStringLiteral("Neplatné hodnoty"));
    auto *quadratic = Gui->FormAs<TQuadraticEquationFrm>(FormId::QuadraticEquation);
    EXPECT_EQ(quadratic->NotAQuadraticEquationCaptionMsg, QStringLiteral("Nejde o kvadratickú rovnicu"));
    auto *units = Gui->FormAs<TUnitConverterFrm>(FormId::UnitConverter);
    EXPECT_EQ(units->findChild<QLabel *>(QStringLiteral("baseUnitLbl"))->text(), QStringLiteral("&Zadaná jednotka:"));
    EXPECT_EQ(units->categoryLsb()->count(), 13);
    EXPECT_EQ(units->categoryLsb()->item(0)->text(), QString::fromUtf8("Dĺžka"));

    // Without a language file the fields return to English; control texts stay.
    TProgramTranslator::FreeInstance();
    Gui->TranslateAll();
    EXPECT_EQ(rule->InvalidInput, QStringLiteral("Invalid input values"));
    EXPECT_EQ(units->categoryLsb()->count(), 13); // the units are read again all the same
    EXPECT_EQ(units->categoryLsb()->item(0)->text(), QStringLiteral("Length"));
}

// At the layouts' font and at an 11-point desktop font. The graph and
// polynomials windows are checked by their own tests.
TEST_F(ToolWindows, EveryCaptionFitsInBothLanguagesAtAnyFontSize)
{
    const int ids[] = {FormId::ExpressionPreview, FormId::PrefixValues, FormId::ExpressionBrowser, FormId::SeriesSum,
                       FormId::Combinatorics,     FormId::Statistics,   FormId::RuleOfThree,       FormId::Derivatives,
                       FormId::QuadraticEquation, FormId::UnitConverter};
    // The expression browser says so when the folder holds no library.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
    });
    closer.start(20);
    const QFont layoutFont = QApplication::font();
    for (const int points : {0, 11}) {
        TGUIManager::FreeInstance();
        QFont font = layoutFont;
        if (points)
            font.setPointSize(points);
        QApplication::setFont(font);
        Gui = TGUIManager::Instance();
        Gui->SetMainForm(&Main);
        RegisterToolWindowClasses(Gui);
        for (const char *language : {"English.txt", "Slovensky.txt"}) {
            TProgramTranslator::Instance()->LoadFile(qEnvironmentVariable("TANDOREL_SOURCE_DIR")
                                                     + QStringLiteral("/data/lang/") + QLatin1String(language));
            ASSERT_TRUE(TProgramTranslator::Instance()->IsLoaded());
            Gui->TranslateAll();
            for (int id : ids) {
                QWidget *window = Gui->GetForm(id);
                window->show();
                EXPECT_EQ(ClippedTexts(window), QStringList()) << language << " " << id << " " << points << " pt";
                window->hide();
            }
        }
    }
    QApplication::setFont(layoutFont);
}

} // namespace
