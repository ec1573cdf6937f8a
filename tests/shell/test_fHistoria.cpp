#include "shell/fHistoria.h"

#include "core/uProgramState.h"
#include "shell/uGUIManager.h"
#include "tests/support/FakeMainForm.h"
#include "tests/support/QtPrint.h"
#include "tests/support/TempProgramDir.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class HistoryWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TGUIManager::Instance()->SetMainForm(&Main);
        KProgramState::GetInstance(0)->SetDefaults();
        Window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window));
    }
    void TearDown() override { TGUIManager::Instance()->SetMainForm(nullptr); }

    QPushButton *Button(const char *name) { return Window.findChild<QPushButton *>(name); }
    QLineEdit *Edit1() { return Window.findChild<QLineEdit *>("Edit1"); }
    QStringList Shown() const
    {
        QStringList lines;
        for (int i = 0; i < Window.historyLb()->count(); ++i)
            lines << Window.historyLb()->item(i)->text();
        return lines;
    }
    void ClickLine(int row)
    {
        QListWidget *list = Window.historyLb();
        list->doItemsLayout();
        const QRect r = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    }

    FakeMainForm Main;
    ThistoriaFrm Window;
};

} // namespace

TEST_F(HistoryWindow, AddingMovesAnEqualLineToTheEndIgnoringCase)
{
    for (const char *line : {"1+1 = 2", "2*3 = 6", "a = 1", "4-1 = 3", "9/3 = 3"})
        Window.AddIntoHistory(QString::fromLatin1(line));
    Window.AddIntoHistory(QStringLiteral("2*3 = 6"));
    Window.AddIntoHistory(QStringLiteral("A = 1"));
    EXPECT_EQ(Shown(), QStringList({"1+1 = 2", "4-1 = 3", "9/3 = 3", "2*3 = 6", "A = 1"}));
    EXPECT_EQ(Window.ItemIndex(), 4);
    EXPECT_TRUE(Button("BtnPouzit")->isEnabled());
    EXPECT_TRUE(Main.BackEnabled);
}

TEST_F(HistoryWindow, KeepsTwoHundredLinesWhileAddingButLoadsALongerFileWhole)
{
    for (int i = 1; i <= 201; ++i)
        Window.AddIntoHistory(QStringLiteral("%1 = %1").arg(i));
    ASSERT_EQ(Window.Count(), 200);
    EXPECT_EQ(Window.Lines(0), "2 = 2");
    EXPECT_EQ(Window.Lines(199), "201 = 201");

    TempProgramDir dir;
    QByteArray text;
    for (int i = 1; i <= 250; ++i)
        text += QByteArray::number(i) + " = x\r\n";
    dir.write("history.dat", text);
    ThistoriaFrm loaded; // as at start-up
    loaded.LoadFromFile(dir.file("history.dat"));
    ASSERT_EQ(loaded.Count(), 250);
    EXPECT_EQ(loaded.ItemIndex(), -1);
    EXPECT_FALSE(loaded.findChild<QPushButton *>("BtnZmazat")->isEnabled());
    loaded.AddIntoHistory(QStringLiteral("new = 1"));
    EXPECT_EQ(loaded.Count(), 251);
    EXPECT_EQ(loaded.Lines(0), "1 = x");
}

TEST_F(HistoryWindow, SavesAndLoadsLinesAndIgnoresAMissingFile)
{
    TempProgramDir dir;
    Window.AddIntoHistory(QStringLiteral("2+3 = 5"));
    Window.AddIntoHistory(QString::fromUtf8("a*b = 6 [a=2;b=3;]"));
    Window.SaveToFile(dir.file("history.dat"));
    EXPECT_EQ(dir.read("history.dat"), QByteArray("2+3 = 5\r\na*b = 6 [a=2;b=3;]\r\n"));

    ThistoriaFrm other;
    other.AddIntoHistory(QStringLiteral("kept = 1"));
    other.LoadFromFile(dir.file("missing.dat"));
    EXPECT_EQ(other.Count(), 1);
    other.LoadFromFile(dir.file("history.dat"));
    ASSERT_EQ(other.Count(), 2);
    EXPECT_EQ(other.Lines(1), "a*b = 6 [a=2;b=3;]");
}

TEST_F(HistoryWindow, UsePutsExpressionIntoTheInputAndResultOnTheDisplay)
{
    struct Case
    {
        const char *Line, *Input, *Result;
    };
    const Case cases[] = {
        {"2*x = 10 [x=5;]", "2*x", "10"},
        {"2+3 = 5", "2+3", "5"},
        {"(1+2j) = (1+j2)", "(1+2j)", "(1+j2)"},
        {"no separator", "no separator", "no separator"},
    };
    for (const Case &c : cases) {
        Window.AddIntoHistory(QString::fromLatin1(c.Line));
        QTest::mouseClick(Button("BtnPouzit"), Qt::LeftButton);
        EXPECT_EQ(Main.Input, c.Input) << c.Line;
        EXPECT_EQ(Main.Result, c.Result) << c.Line;
        EXPECT_EQ(KProgramState::GetInstance(0)->LastExpression, c.Input) << c.Line;
    }
}

TEST_F(HistoryWindow, KeyboardAndMouseOnTheList)
{
    Window.AddIntoHistory(QStringLiteral("1+1 = 2"));
    Window.AddIntoHistory(QStringLiteral("2+2 = 4"));
    Window.AddIntoHistory(QStringLiteral("3+3 = 6"));
    EXPECT_TRUE(Edit1()->text().isEmpty()); // a line added by a calculation is not shown

    ClickLine(0);
    EXPECT_EQ(Edit1()->text(), "1+1 = 2");
    QTest::keyClick(Window.historyLb(), Qt::Key_Return);
    EXPECT_EQ(Main.Input, "1+1");
    EXPECT_EQ(Main.Result, "2");

    QTest::keyClick(Window.historyLb(), Qt::Key_Down);
    EXPECT_EQ(Edit1()->text(), "2+2 = 4");
    QTest::keyClick(Window.historyLb(), Qt::Key_Delete);
    EXPECT_EQ(Shown(), QStringList({"1+1 = 2", "3+3 = 6"}));
    EXPECT_EQ(Edit1()->text(), "3+3 = 6"); // the next line moved into the same place

    ClickLine(0);
    Main.Input.clear();
    QTest::mouseDClick(Window.historyLb()->viewport(), Qt::LeftButton, {},
                       Window.historyLb()->visualItemRect(Window.historyLb()->item(0)).center());
    EXPECT_EQ(Main.Input, "1+1");
}

TEST_F(HistoryWindow, DeletingTheLastLineSelectsTheOneBeforeAndTheOnlyLineDisablesTheButtons)
{
    Window.AddIntoHistory(QStringLiteral("1 = 1"));
    Window.AddIntoHistory(QStringLiteral("2 = 2"));
    QTest::mouseClick(Button("BtnZmazat"), Qt::LeftButton);
    EXPECT_EQ(Shown(), QStringList({"1 = 1"}));
    EXPECT_EQ(Window.ItemIndex(), 0);
    EXPECT_EQ(Edit1()->text(), "1 = 1");
    EXPECT_TRUE(Main.BackEnabled);

    QTest::mouseClick(Button("BtnZmazat"), Qt::LeftButton);
    EXPECT_EQ(Window.Count(), 0);
    EXPECT_TRUE(Edit1()->text().isEmpty());
    for (const char *name : {"BtnPouzit", "BtnKopirovat", "BtnZmazat", "BtnUlozit"})
        EXPECT_FALSE(Button(name)->isEnabled()) << name;
    EXPECT_FALSE(Main.BackEnabled);
}

TEST_F(HistoryWindow, CopyPutsTheShownLineOnTheClipboard)
{
    Window.AddIntoHistory(QStringLiteral("7*6 = 42"));
    ClickLine(0);
    QApplication::clipboard()->clear();
    QTest::mouseClick(Button("BtnKopirovat"), Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text(), "7*6 = 42");
    EXPECT_EQ(Edit1()->selectedText(), "7*6 = 42");
}

TEST_F(HistoryWindow, ClickingTheShownLineSelectsItAgain)
{
    Window.AddIntoHistory(QStringLiteral("1 = 1"));
    Window.AddIntoHistory(QStringLiteral("2 = 2"));
    ClickLine(0);
    Window.SetItemIndex(1);
    QTest::mouseClick(Edit1(), Qt::LeftButton);
    EXPECT_EQ(Window.ItemIndex(), 0);
}

TEST_F(HistoryWindow, SaveButtonWritesTheChosenFile)
{
    TempProgramDir dir;
    const QString target = dir.file("saved.txt");
    Window.AddIntoHistory(QStringLiteral("5^2 = 25"));
    QString proposed;
    QTimer::singleShot(0, &Window, [&] {
        auto *dialog = Window.findChild<QFileDialog *>("SaveDialog1");
        ASSERT_NE(dialog, nullptr);
        proposed = dialog->selectedFiles().value(0);
        dialog->selectFile(target);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    QTest::mouseClick(Button("BtnUlozit"), Qt::LeftButton);
    EXPECT_TRUE(proposed.endsWith("history.txt")) << proposed.toStdString();
    EXPECT_EQ(dir.read("saved.txt"), QByteArray("5^2 = 25\r\n"));
}
