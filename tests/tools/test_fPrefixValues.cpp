#include "tools/fPrefixValues.h"

#include "core/uProgramState.h"
#include "shell/uGUIManager.h"
#include "shell/uValueListEditor.h"
#include "tests/support/MainWindowDriver.h"
#include "tests/support/QtPrint.h"
#include "tests/support/ToolWindowFixture.h"

#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class PrefixValuesWindow : public ToolWindowTest<TprefixValuesFrm>
{
protected:
    TValueListEditor *Grid() { return Window.prefixValuesVle(); }
    void DoubleClick(int Row)
    {
        const QPoint at = Grid()->visualItemRect(Grid()->item(Row, 0)).center();
        QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(Grid()->viewport(), Qt::LeftButton, {}, at);
    }
};

TEST_F(PrefixValuesWindow, ListsTheSixteenPrefixesSpelledRight)
{
    // clang-format off
    const QStringList expected = {
        "Yotta (Y)=e24", "Zetta (Z)=e21", "Exa (E)=e18",   "Peta (P)=e15",  "Tera (T)=e12",  "Giga (G)=e9",
        "Mega (M)=e6",   "Kilo (k)=e3",   "Milli (m)=e-3", "Micro (µ)=e-6", "Nano (n)=e-9",  "Pico (p)=e-12",
        "Femto (f)=e-15", "Atto (a)=e-18", "Zepto (z)=e-21", "Yocto (y)=e-24"};
    EXPECT_EQ(Grid()->Strings(), expected);
    EXPECT_EQ(Grid()->horizontalHeaderItem(0)->text(), QStringLiteral("Prefix"));
    EXPECT_EQ(Grid()->horizontalHeaderItem(1)->text(), QStringLiteral("Value"));
}
// clang-format on

TEST_F(PrefixValuesWindow, UseInsertsThePowerWithALeadingOneWhereNoNumberStands)
{
    const int kilo = Grid()->FindRow(QStringLiteral("Kilo (k)"));
    // clang-format off
    const struct { const char *input; int caret; const char *inserted; } cases[] = {
        {"", -1, "1e3"},   {"25", -1, "e3"},   {"2.", -1, "e3"}, {"x", -1, "1e3"},
        {"(", -1, "1e3"},  {"3*", -1, "1e3"},  {".", -1, "1e3"}, {"12+4", 2, "e3"},
        {"12+4", 3, "1e3"},
        // A number with its power of ten already takes the prefix as a factor.
        {"1e6", -1, "*1e3"}, {"2.5E-4", -1, "*1e3"}, {"3e+2", -1, "*1e3"},
        {"x-2", -1, "e3"},
    };
    // clang-format on
    for (const auto &c : cases) {
        Main.Inserted.clear();
        Main.Input = QString::fromLatin1(c.input);
        Main.Caret = c.caret;
        DoubleClick(kilo);
        EXPECT_EQ(Main.Inserted, QStringList({QString::fromLatin1(c.inserted)})) << c.input << " " << c.caret;
    }
    // The button and Enter do the same.
    Main.Inserted.clear();
    Main.Input = QStringLiteral("7");
    Main.Caret = -1;
    Grid()->selectRow(Grid()->FindRow(QStringLiteral("Nano (n)")));
    QTest::mouseClick(Window.useBtn(), Qt::LeftButton);
    Grid()->setFocus();
    QTest::keyClick(Grid(), Qt::Key_Return);
    EXPECT_EQ(Main.Inserted, QStringList({"e-9", "e-9"}));
}

TEST_F(PrefixValuesWindow, NothingWithoutASelectedRowOrOutsideTheDecimalSystem)
{
    Grid()->clearSelection();
    QTest::mouseClick(Window.useBtn(), Qt::LeftButton);
    EXPECT_TRUE(Main.Inserted.isEmpty());

    KProgramState::GetInstance(0)->NumeralSystem = 3; // hexadecimal
    Window.hide();
    Window.show(); // the state is read again when the window shows
    EXPECT_FALSE(Window.useBtn()->isEnabled());
    DoubleClick(Grid()->FindRow(QStringLiteral("Kilo (k)")));
    EXPECT_TRUE(Main.Inserted.isEmpty());
    // Switched back while the window stays open: using it reads the state.
    KProgramState::GetInstance(0)->NumeralSystem = 2;
    DoubleClick(Grid()->FindRow(QStringLiteral("Kilo (k)")));
    EXPECT_EQ(Main.Inserted, QStringList({"1e3"}));
    EXPECT_TRUE(Window.useBtn()->isEnabled());
}

} // namespace

namespace {

TEST(PrefixValuesInTheMainWindow, PowersGoToTheCaretAndCalculate)
{
    TMainWindowDriver main;
    TprefixValuesFrm window;
    window.TranslateTexts();
    window.show();
    TValueListEditor *grid = window.prefixValuesVle();
    const int kilo = grid->FindRow(QStringLiteral("Kilo (k)"));
    grid->selectRow(kilo);
    main.Type(QStringLiteral("25"));
    QTest::mouseClick(window.useBtn(), Qt::LeftButton);
    main.Type(QStringLiteral("+"));
    QTest::mouseClick(window.useBtn(), Qt::LeftButton);
    EXPECT_EQ(main.Text(), QStringLiteral("25e3+1e3"));
    main.Enter();
    EXPECT_EQ(main.Display().trimmed(), QStringLiteral("26 000")); // in digit groups
    // The caret inside the text: the power goes there.
    main.Input->clear();
    main.Type(QStringLiteral("2*3"));
    QTextCursor c = main.Input->textCursor();
    c.setPosition(1);
    main.Input->setTextCursor(c);
    QTest::mouseClick(window.useBtn(), Qt::LeftButton);
    EXPECT_EQ(main.Text(), QStringLiteral("2e3*3"));

    // Micro after a number written with its power of ten still calculates.
    main.Input->clear();
    main.Type(QStringLiteral("1e6"));
    grid->selectRow(grid->FindRow(QStringLiteral("Micro (µ)")));
    QTest::mouseClick(window.useBtn(), Qt::LeftButton);
    EXPECT_EQ(main.Text(), QStringLiteral("1e6*1e-6"));
    main.Enter();
    EXPECT_EQ(main.Display().trimmed(), QStringLiteral("1"));
}

} // namespace

TEST_F(PrefixValuesWindow, TheNamesAlwaysStartAtTheLeft)
{
    QScrollBar *sideways = Grid()->horizontalScrollBar();
    for (const int width : {400, 230, Window.minimumWidth()}) {
        Window.resize(width, 400);
        QCoreApplication::processEvents();
        // A click on a value, and the keys that move through the rows.
        const int row = width % 16;
        QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {},
                          Grid()->visualItemRect(Grid()->item(row, 1)).center());
        QTest::keyClick(Grid(), Qt::Key_Right);
        QTest::keyClick(Grid(), Qt::Key_End);
        QTest::keyClick(Grid(), Qt::Key_Down);
        EXPECT_EQ(sideways->value(), 0) << width;
        EXPECT_EQ(Grid()->visualItemRect(Grid()->item(0, 0)).left(), 0) << width;
        // Both columns lie inside the grid.
        EXPECT_LE(Grid()->columnViewportPosition(1) + Grid()->columnWidth(1), Grid()->viewport()->width()) << width;
    }
}
