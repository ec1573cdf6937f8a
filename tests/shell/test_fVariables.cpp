#include "shell/fVariables.h"

#include "core/uProgramSettings.h"
#include "core/uVariableManager.h"
#include "platform/Classes.h"
#include "shell/uGUIManager.h"
#include "tests/support/FakeMainForm.h"
#include "tests/support/QtPrint.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class VariablesWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TVariableManager::Instance()->Clear();
        TGUIManager::Instance()->SetMainForm(&Main);
        // What the variable manager holds at the moment a calculation reads
        // the main input.
        Main.OnGetInput = [this] {
            if (!Seen) {
                TStringList lines;
                TVariableManager::Instance()->CopyTo(lines);
                SeenLines = lines.Lines();
                Seen = true;
            }
        };
        Window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window));
    }
    void TearDown() override
    {
        TGUIManager::Instance()->SetMainForm(nullptr);
        TVariableManager::Instance()->Clear();
    }

    QTableWidget *Grid() { return Window.variablesVle(); }
    // Opens the cell's editor and types Text into it, leaving it open.
    QLineEdit *Type(int row, int column, const QString &Text)
    {
        Grid()->setCurrentCell(row, column);
        Grid()->editItem(Grid()->item(row, column));
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        if (!editor)
            editor = Grid()->findChild<QLineEdit *>();
        if (editor) {
            editor->selectAll();
            QTest::keyClicks(editor, Text);
        }
        return editor;
    }
    QStringList GridLines()
    {
        QStringList lines;
        for (int r = 0; r < Grid()->rowCount(); ++r)
            lines << Grid()->item(r, 0)->text() + "=" + Grid()->item(r, 1)->text();
        return lines;
    }

    FakeMainForm Main;
    TVariablesFrm Window;
    bool Seen = false;
    QStringList SeenLines;
};

} // namespace

TEST_F(VariablesWindow, CalculateTakesTheValuesTypedInTheGrid)
{
    Main.Input = "x*2";
    ASSERT_NE(Type(0, 0, "x"), nullptr);
    Type(0, 1, "5"); // still in the editor when the button is pressed
    QTest::mouseClick(Window.findChild<QPushButton *>("Button3"), Qt::LeftButton);
    ASSERT_TRUE(Seen);
    EXPECT_EQ(SeenLines, QStringList({"x=5"}));
    EXPECT_EQ(TVariableManager::Instance()->GetValue("x"), "5");
}

TEST_F(VariablesWindow, EnterInTheGridStoresTheTypedValueBeforeCalculating)
{
    TVariableManager::Instance()->SetValue("r", "");
    Window.FillFromManager();
    Main.Input = "r+1";
    QLineEdit *editor = Type(0, 1, "2.5");
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(Seen);
    EXPECT_EQ(SeenLines, QStringList({"r=2.5"}));
}

TEST_F(VariablesWindow, RemoveAllEmptiesGridAndManager)
{
    TVariableManager::Instance()->SetValue("a", "1");
    TVariableManager::Instance()->SetValue("b", "2");
    Window.FillFromManager();
    EXPECT_EQ(GridLines(), QStringList({"a=1", "b=2"}));
    QTest::mouseClick(Window.findChild<QToolButton *>("clearAllBtn"), Qt::LeftButton);
    EXPECT_EQ(TVariableManager::Instance()->Count(), 0);
    EXPECT_EQ(GridLines(), QStringList({"="})); // one empty row to type into
}

TEST_F(VariablesWindow, RefreshAddsTheInputsVariablesAndKeepsKnownValues)
{
    TVariableManager::Instance()->SetValue("b", "7");
    Window.FillFromManager();
    Main.Input = "a*b+c";
    QTest::mouseClick(Window.findChild<QToolButton *>("refreshBtn"), Qt::LeftButton);
    EXPECT_EQ(GridLines(), QStringList({"b=7", "a=", "c="}));
    EXPECT_EQ(TVariableManager::Instance()->GetValue("b"), "7");
    EXPECT_TRUE(TVariableManager::Instance()->Exists("c"));
}

TEST_F(VariablesWindow, StoringReplacesTheManagersLinesByTheGridsRows)
{
    TVariableManager::Instance()->SetValue("old", "1");
    Window.FillFromManager();
    Type(0, 0, "y");
    Type(0, 1, "3");
    QTest::keyClick(Grid(), Qt::Key_Insert); // a new row above, left empty
    Window.StoreToManager();
    TStringList lines;
    TVariableManager::Instance()->CopyTo(lines);
    EXPECT_EQ(lines.Lines(), QStringList({"y=3"}));
}

TEST_F(VariablesWindow, BlanksAroundATypedNameDoNotHideTheVariable)
{
    Main.Input = "x*2";
    Type(0, 0, " x ");
    Type(0, 1, "5");
    Window.StoreToManager();
    TStringList lines;
    TVariableManager::Instance()->CopyTo(lines);
    EXPECT_EQ(lines.Lines(), QStringList({"x=5"}));
    EXPECT_EQ(TVariableManager::Instance()->GetValue("x"), "5");
}
