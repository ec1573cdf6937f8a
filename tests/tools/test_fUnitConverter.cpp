#include "tools/fUnitConverter.h"

#include "shell/uDisk.h"
#include "shell/uGUIManager.h"
#include "shell/uProgramTranslator.h"
#include "shell/uValueListEditor.h"
#include "tests/support/EngineState.h"
#include "tests/support/FakeMainForm.h"
#include "tests/support/ModalHelper.h"
#include "tests/support/QtPrint.h"
#include "tests/support/TempProgramDir.h"
#include "tools/model/uUnitConverter.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStyle>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

QByteArray ShippedUnits()
{
    QFile f(qEnvironmentVariable("TANDOREL_SOURCE_DIR") + QStringLiteral("/data/units/en/units.xml"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class UnitConverterWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetEngineState();
        TProgramTranslator::FreeInstance();
        Dir.write(QStringLiteral("units/en/units.xml"), ShippedUnits());
        SetProgramDir(Dir.path());
        TGUIManager::Instance()->SetMainForm(&Main);
    }
    void TearDown() override
    {
        Window.reset();
        TGUIManager::Instance()->SetMainForm(nullptr);
        TProgramTranslator::FreeInstance();
        SetProgramDir(QString());
        ResetEngineState();
    }

    // Creates the window as the registry does: constructed, then its texts.
    void Open()
    {
        Window = std::make_unique<TUnitConverterFrm>();
        Window->TranslateTexts();
        Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
    }
    void LoadLanguage(const QByteArray &Text)
    {
        Dir.write(QStringLiteral("lang/test.txt"), Text);
        TProgramTranslator::Instance()->LoadFile(Dir.file(QStringLiteral("lang/test.txt")));
        ASSERT_TRUE(TProgramTranslator::Instance()->IsLoaded());
    }
    int Row(TValueListEditor *Grid, const QString &Acr)
    {
        for (int row = 0; row < Grid->rowCount(); ++row)
            if (Grid->Value(row) == Acr)
                return row;
        return -1;
    }
    void Pick(const QString &Category, const QString &Base, const QString &Target)
    {
        const QList<QListWidgetItem *> items = Window->categoryLsb()->findItems(Category, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << Category.toStdString();
        Window->categoryLsb()->setCurrentItem(items.first());
        Window->baseUnitVle()->setCurrentCell(Row(Window->baseUnitVle(), Base), 0);
        Window->targetUnitVle()->setCurrentCell(Row(Window->targetUnitVle(), Target), 0);
    }
    QString Target() const { return Window->targetValueEdt()->text(); }
    void SetBase(const QString &Text)
    {
        Window->baseValueEdt()->selectAll();
        QTest::keyClicks(Window->baseValueEdt(), Text);
    }

    TempProgramDir Dir;
    FakeMainForm Main;
    std::unique_ptr<TUnitConverterFrm> Window;
};

TEST_F(UnitConverterWindow, OpensOnTheFirstCategoryWithTheDefaultUnitsAndAResult)
{
    // No language file: the units are read all the same.
    Open();
    EXPECT_EQ(Window->categoryLsb()->count(), 13);
    EXPECT_EQ(Window->categoryLsb()->currentRow(), 0);
    EXPECT_EQ(Window->categoryLsb()->item(0)->text(), QStringLiteral("Length"));
    const int metre = Row(Window->baseUnitVle(), QStringLiteral("m"));
    EXPECT_EQ(Window->baseUnitVle()->currentRow(), metre);
    EXPECT_EQ(Window->targetUnitVle()->currentRow(), metre);
    EXPECT_EQ(Window->baseUnitVle()->Key(metre), QStringLiteral("metre"));
    EXPECT_EQ(Window->baseValueEdt()->text(), QStringLiteral("1"));
    EXPECT_EQ(Target(), QStringLiteral("1"));
    EXPECT_FALSE(Window->droppedUnitsLbl()->isVisible());
}

TEST_F(UnitConverterWindow, EveryAbbreviationFitsInBothGrids)
{
    Open();
    QApplication::processEvents();
    for (int category = 0; category < Window->categoryLsb()->count(); ++category) {
        Window->categoryLsb()->setCurrentRow(category);
        for (TValueListEditor *grid : {Window->baseUnitVle(), Window->targetUnitVle()}) {
            const int margin = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1);
            const int room = grid->viewport()->width() - grid->columnWidth(0);
            for (int row = 0; row < grid->rowCount(); ++row)
                EXPECT_LE(grid->fontMetrics().horizontalAdvance(grid->Value(row)) + margin, room)
                    << grid->objectName().toStdString() << " " << grid->Value(row).toStdString();
        }
    }
}

TEST_F(UnitConverterWindow, NamesHaveTheirRoomAsSoonAsTheWindowOpens)
{
    Open();
    QApplication::processEvents();
    TValueListEditor *base = Window->baseUnitVle(), *target = Window->targetUnitVle();
    const int narrower = qMin(base->width(), target->width());
    ASSERT_GT(narrower, 150);
    for (TValueListEditor *grid : {base, target}) {
        EXPECT_GE(grid->columnWidth(0), narrower / 2) << grid->objectName().toStdString();
        const int metre = Row(grid, QStringLiteral("m"));
        EXPECT_LT(grid->fontMetrics().horizontalAdvance(grid->Key(metre)), grid->columnWidth(0));
    }
}

TEST_F(UnitConverterWindow, WorkedConversions)
{
    Open();
    const struct
    {
        const char *category, *base, *target, *value, *result;
    } cases[] = {
        {"Temperature", "°C", "°F", "100", "212"},    {"Temperature", "°F", "K", "212", "373.15"},
        {"Temperature", "K", "°C", "0", "-273.15"},   {"Length", "in", "cm", "1", "2.54"},
        {"Length", "mi", "km", "1", "1.609344"},      {"Mass", "lb", "kg", "1", "0.453592"},
        {"Volume", "gal (US)", "l", "1", "3.785412"}, {"Pressure", "atm", "Torr", "1", "760"},
        {"Energy", "kcal", "kJ", "1", "4.184"},       {"Power", "hp", "W", "1", "745.699872"},
        {"Angle", "°", "rad", "180", "3.141593"},     {"Data", "KiB", "B", "1", "1024"},
        {"Data", "GB", "MiB", "1", "953.674316"},     {"Speed", "km/h", "m/s", "36", "10"},
    };
    for (const auto &c : cases) {
        Pick(QString::fromUtf8(c.category), QString::fromUtf8(c.base), QString::fromUtf8(c.target));
        SetBase(QString::fromLatin1(c.value));
        EXPECT_EQ(Target(), QString::fromLatin1(c.result)) << c.category << " " << c.base << " " << c.target;
    }
    KProgramSettings::Instance()->ScientificNotation = true;
    Pick(QStringLiteral("Energy"), QStringLiteral("eV"), QStringLiteral("J"));
    SetBase(QStringLiteral("1"));
    EXPECT_EQ(Target(), QStringLiteral("1.602176634E-19"));
}

TEST_F(UnitConverterWindow, EverySelectionChangeRecomputesKeyboardIncluded)
{
    Open();
    Pick(QStringLiteral("Length"), QStringLiteral("km"), QStringLiteral("m"));
    SetBase(QStringLiteral("2"));
    EXPECT_EQ(Target(), QStringLiteral("2000"));
    // The target grid's row below metre is the decimetre.
    Window->targetUnitVle()->setFocus();
    QTest::keyClick(Window->targetUnitVle(), Qt::Key_Down);
    EXPECT_EQ(Window->targetUnitVle()->Value(Window->targetUnitVle()->currentRow()), QStringLiteral("dm"));
    EXPECT_EQ(Target(), QStringLiteral("20000"));
    Window->baseUnitVle()->setFocus();
    QTest::keyClick(Window->baseUnitVle(), Qt::Key_Down); // metre
    EXPECT_EQ(Target(), QStringLiteral("20"));
    // A new category by keyboard: both grids on its default units, recomputed.
    Window->categoryLsb()->setFocus();
    QTest::keyClick(Window->categoryLsb(), Qt::Key_Down);
    EXPECT_EQ(Window->categoryLsb()->currentItem()->text(), QStringLiteral("Area"));
    EXPECT_EQ(Window->baseUnitVle()->Value(Window->baseUnitVle()->currentRow()), QStringLiteral("m²"));
    EXPECT_EQ(Target(), QStringLiteral("2"));
    // Clicking a unit row.
    const int ha = Row(Window->baseUnitVle(), QStringLiteral("ha"));
    QTest::mouseClick(Window->baseUnitVle()->viewport(), Qt::LeftButton, {},
                      Window->baseUnitVle()->visualItemRect(Window->baseUnitVle()->item(ha, 0)).center());
    EXPECT_EQ(Window->baseUnitVle()->currentRow(), ha);
    EXPECT_EQ(Target(), QStringLiteral("20000"));
}

TEST_F(UnitConverterWindow, AValueThatIsNoNumberEmptiesTheTarget)
{
    Open();
    Window->baseValueEdt()->clear();
    EXPECT_EQ(Target(), QString());
    Window->baseValueEdt()->setText(QStringLiteral("1E"));
    EXPECT_EQ(Target(), QString());
    // Letters cannot be typed; the exponent can.
    Window->baseValueEdt()->clear();
    QTest::keyClicks(Window->baseValueEdt(), QStringLiteral("2x5e3"));
    EXPECT_EQ(Window->baseValueEdt()->text(), QStringLiteral("25E3"));
    EXPECT_EQ(Target(), QStringLiteral("25000"));
    // A result beyond the range in the other unit is no number either.
    Pick(QStringLiteral("Data"), QStringLiteral("YiB"), QStringLiteral("bit"));
    Window->baseValueEdt()->setText(QStringLiteral("1E4930"));
    EXPECT_EQ(Target(), QString());
}

TEST_F(UnitConverterWindow, ADamagedFileGivesAMessageAndTheWindowStaysUsable)
{
    Dir.write(QStringLiteral("units/en/units.xml"), "<tandorel_unit_file><category name=\"A\">");
    QString text, title;
    AnswerNextMessageBox(QMessageBox::Ok, &text, &title);
    Open();
    EXPECT_EQ(title, QStringLiteral("Could not load units"));
    EXPECT_EQ(text, QStringLiteral("The unit file does not exist or has XML syntax errors:\n\n") + Dir.path()
                        + QStringLiteral("units/en/units.xml"));
    EXPECT_EQ(Window->categoryLsb()->count(), 0);
    EXPECT_EQ(Window->baseUnitVle()->rowCount(), 0);
    QTest::keyClicks(Window->baseValueEdt(), QStringLiteral("5"));
    EXPECT_EQ(Target(), QString());

    // A language file that names a good file: the next reading of the texts
    // brings the units.
    Dir.write(QStringLiteral("units/sk/units.xml"), ShippedUnits());
    LoadLanguage("[UnitConverter]\nCaption=Prevod jednotiek\nBaseUnit=Zadaná jednotka:\n"
                 "[Addresses]\nUnitFile=units\\sk\\units.xml\n");
    Window->TranslateTexts();
    EXPECT_EQ(Window->windowTitle(), QStringLiteral("Prevod jednotiek"));
    EXPECT_EQ(Window->UnitFile, QStringLiteral("units/sk/units.xml"));
    EXPECT_EQ(Window->categoryLsb()->count(), 13);
    EXPECT_EQ(Window->baseValueEdt()->text(), QStringLiteral("15")); // the value stays
    EXPECT_EQ(Target(), QStringLiteral("15"));
}

TEST_F(UnitConverterWindow, AMissingFileNamedByTheLanguageGivesItsPath)
{
    LoadLanguage("[Addresses]\nUnitFile=units/xx/none.xml\n");
    QString text, title;
    AnswerNextMessageBox(QMessageBox::Ok, &text, &title);
    Open();
    EXPECT_EQ(title, QStringLiteral("Could not load units")); // not translated by this file
    EXPECT_TRUE(text.endsWith(QStringLiteral(":\n\n") + Dir.path() + QStringLiteral("units/xx/none.xml")))
        << text.toStdString();
}

TEST_F(UnitConverterWindow, UnitsWithUnusableFactorsAreLeftOutWithANote)
{
    Dir.write(QStringLiteral("units/en/units.xml"),
              "<tandorel_unit_file><category name=\"Odd\"><unit name=\"one\" acr=\"1\" coef=\"1\"/>"
              "<unit name=\"nothing\" acr=\"0\" coef=\"0\" default=\"1\"/><unit name=\"two\" acr=\"2\" coef=\"2\"/>"
              "</category></tandorel_unit_file>");
    Open();
    EXPECT_TRUE(Window->droppedUnitsLbl()->isVisible());
    EXPECT_EQ(Window->droppedUnitsLbl()->text(),
              QStringLiteral("Left out, their factor is not a finite non-zero number: nothing (Odd)"));
    EXPECT_EQ(Window->baseUnitVle()->rowCount(), 2);
    Window->targetUnitVle()->setCurrentCell(1, 0);
    SetBase(QStringLiteral("3"));
    EXPECT_EQ(Target(), QStringLiteral("1.5"));
}

} // namespace

TEST_F(UnitConverterWindow, TabGoesFromGridToFieldRoundTheWindowAndShiftTabBack)
{
    Open();
    Window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
    Window->categoryLsb()->setFocus();
    const QWidget *order[] = {Window->baseUnitVle(), Window->baseValueEdt(), Window->targetUnitVle(),
                              Window->targetValueEdt(), Window->categoryLsb()};
    for (const QWidget *next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
    for (int i = int(std::size(order)) - 2; i >= 0; --i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget(), order[i]) << order[i]->objectName().toStdString();
    }
    // Within a grid the arrows choose the unit.
    const int row = Window->targetUnitVle()->currentRow();
    Window->targetUnitVle()->setFocus();
    QTest::keyClick(Window->targetUnitVle(), Qt::Key_Down);
    EXPECT_EQ(Window->targetUnitVle()->currentRow(), row + 1);
    EXPECT_EQ(QApplication::focusWidget(), Window->targetUnitVle());
}
