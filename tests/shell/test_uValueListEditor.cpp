#include "shell/uValueListEditor.h"

#include "platform/SysUtils.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(ValueListEditor, LinesGoInAndComeOutAsNameValuePairs)
{
    TValueListEditor grid;
    EXPECT_EQ(grid.rowCount(), 1); // one empty row for typing
    grid.SetStrings({QStringLiteral("x=2"), QStringLiteral("y="), QStringLiteral("z"), QStringLiteral("a=b=c")});
    EXPECT_EQ(grid.Strings(), (QStringList{QStringLiteral("x=2"), QStringLiteral("y="), QStringLiteral("z="),
                                           QStringLiteral("a=b=c")}));
    EXPECT_EQ(grid.FindRow(QStringLiteral("a")), 3);
    EXPECT_EQ(grid.Value(3), QStringLiteral("b=c"));
    grid.Clear();
    EXPECT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.AppendRow(QStringLiteral("n"), QStringLiteral("1")), 0); // takes the empty row
    EXPECT_EQ(grid.AppendRow(QStringLiteral("m"), QStringLiteral("2")), 1);
    grid.KeepOneRow = false;
    grid.SetStrings({});
    EXPECT_EQ(grid.rowCount(), 0);
}

TEST(ValueListEditor, KeyboardAddsAndDeletesRowsWhereAllowed)
{
    TValueListEditor grid;
    grid.SetStrings({QStringLiteral("x=1")});
    grid.show();
    grid.setCurrentCell(0, 1);
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(grid.rowCount(), 2);
    QTest::keyClick(&grid, Qt::Key_Down); // the new last row is empty
    EXPECT_EQ(grid.rowCount(), 2);
    QTest::keyClick(&grid, Qt::Key_Insert);
    EXPECT_EQ(grid.rowCount(), 3);
    grid.setCurrentCell(0, 0);
    QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.FindRow(QStringLiteral("x")), -1);

    grid.CanAddRows = false;
    grid.CanDeleteRows = false;
    grid.SetStrings({QStringLiteral("x=1")});
    grid.setCurrentCell(0, 0);
    QTest::keyClick(&grid, Qt::Key_Down);
    QTest::keyClick(&grid, Qt::Key_Insert);
    QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(grid.rowCount(), 1);
}

TEST(ValueListEditor, EnterInACellTakesTheTypedTextFirstAndKeysMayBeMapped)
{
    DecimalSeparator = u'.';
    TValueListEditor grid;
    grid.MapCalculatorKeys = true;
    grid.SetStrings({QStringLiteral("x=")});
    QStringList seen;
    grid.OnEnter = [&] { seen << grid.Value(0); };
    grid.show();
    grid.setCurrentCell(0, 1); // opens the cell editor
    auto *editor = grid.findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    // "ľ" is the 2 of a Slovak keyboard, the comma the decimal separator.
    QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, QStringLiteral("ľ"), Qt::NoModifier);
    QTest::keyClicks(editor, QStringLiteral(",5"));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(seen, QStringList{QStringLiteral("2.5")});

    grid.KeysEditable = false;
    grid.SetStrings({QStringLiteral("k=v")});
    EXPECT_FALSE(grid.item(0, 0)->flags() & Qt::ItemIsEditable);
    EXPECT_TRUE(grid.item(0, 1)->flags() & Qt::ItemIsEditable);
}

} // namespace
