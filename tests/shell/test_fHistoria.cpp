#include "shell/fHistoria.h"

#include "shell/uHistoryModel.h"

#include "core/uProgramState.h"
#include "shell/uGUIManager.h"
#include "tests/support/FakeMainForm.h"
#include "tests/support/QtPrint.h"
#include "tests/support/TempProgramDir.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
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
        const QAbstractItemModel *shown = Window.historyLb()->model();
        for (int i = 0; i < shown->rowCount(); ++i)
            lines << shown->index(i, 0).data().toString();
        return lines;
    }
    QPoint LineCentre(int row) const
    {
        QListView *list = Window.historyLb();
        list->doItemsLayout();
        return list->visualRect(list->model()->index(row, 0)).center();
    }
    void ClickLine(int row) { QTest::mouseClick(Window.historyLb()->viewport(), Qt::LeftButton, {}, LineCentre(row)); }

    FakeMainForm Main;
    THistoryModel Model;
    ThistoriaFrm Window{&Model};
};

} // namespace

TEST_F(HistoryWindow, ShowsTheModelAndItsSelection)
{
    for (const char *line : {"1+1 = 2", "2*3 = 6"})
        Model.AddIntoHistory(QString::fromLatin1(line));
    EXPECT_EQ(Shown(), QStringList({"1+1 = 2", "2*3 = 6"}));
    EXPECT_EQ(Window.historyLb()->currentIndex().row(), 1);
    EXPECT_TRUE(Button("BtnPouzit")->isEnabled());

    TempProgramDir dir;
    dir.write("history.dat", "a = 1\r\nb = 2\r\nc = 3\r\n");
    Model.LoadFromFile(dir.file("history.dat"));
    EXPECT_EQ(Shown(), QStringList({"a = 1", "b = 2", "c = 3"}));
    EXPECT_FALSE(Window.historyLb()->selectionModel()->hasSelection());
    EXPECT_FALSE(Button("BtnZmazat")->isEnabled());
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
        Model.AddIntoHistory(QString::fromLatin1(c.Line));
        QTest::mouseClick(Button("BtnPouzit"), Qt::LeftButton);
        EXPECT_EQ(Main.Input, c.Input) << c.Line;
        EXPECT_EQ(Main.Result, c.Result) << c.Line;
        EXPECT_EQ(KProgramState::GetInstance(0)->LastExpression, c.Input) << c.Line;
    }
}

TEST_F(HistoryWindow, KeyboardAndMouseOnTheList)
{
    Model.AddIntoHistory(QStringLiteral("1+1 = 2"));
    Model.AddIntoHistory(QStringLiteral("2+2 = 4"));
    Model.AddIntoHistory(QStringLiteral("3+3 = 6"));
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
    QTest::mouseDClick(Window.historyLb()->viewport(), Qt::LeftButton, {}, LineCentre(0));
    EXPECT_EQ(Main.Input, "1+1");
}

TEST_F(HistoryWindow, DeletingTheLastLineSelectsTheOneBeforeAndTheOnlyLineDisablesTheButtons)
{
    Model.AddIntoHistory(QStringLiteral("1 = 1"));
    Model.AddIntoHistory(QStringLiteral("2 = 2"));
    QTest::mouseClick(Button("BtnZmazat"), Qt::LeftButton);
    EXPECT_EQ(Shown(), QStringList({"1 = 1"}));
    EXPECT_EQ(Model.ItemIndex(), 0);
    EXPECT_EQ(Edit1()->text(), "1 = 1");

    QTest::mouseClick(Button("BtnZmazat"), Qt::LeftButton);
    EXPECT_EQ(Model.Count(), 0);
    EXPECT_TRUE(Edit1()->text().isEmpty());
    for (const char *name : {"BtnPouzit", "BtnKopirovat", "BtnZmazat", "BtnUlozit"})
        EXPECT_FALSE(Button(name)->isEnabled()) << name;
}

TEST_F(HistoryWindow, CopyPutsTheShownLineOnTheClipboard)
{
    Model.AddIntoHistory(QStringLiteral("7*6 = 42"));
    ClickLine(0);
    QApplication::clipboard()->clear();
    QTest::mouseClick(Button("BtnKopirovat"), Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text(), "7*6 = 42");
    EXPECT_EQ(Edit1()->selectedText(), "7*6 = 42");
}

TEST_F(HistoryWindow, ClickingTheShownLineSelectsItAgain)
{
    Model.AddIntoHistory(QStringLiteral("1 = 1"));
    Model.AddIntoHistory(QStringLiteral("2 = 2"));
    ClickLine(0);
    Model.SetItemIndex(1);
    QTest::mouseClick(Edit1(), Qt::LeftButton);
    EXPECT_EQ(Model.ItemIndex(), 0);
}

TEST_F(HistoryWindow, SaveButtonWritesTheChosenFile)
{
    TempProgramDir dir;
    const QString target = dir.file("saved.txt");
    Model.AddIntoHistory(QStringLiteral("5^2 = 25"));
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

TEST(HistoryWindowOpening, AfterLoadingTheFileNoLineIsChosenUntilTheUserChoosesOne)
{
    FakeMainForm main;
    TGUIManager::Instance()->SetMainForm(&main);
    TempProgramDir dir;
    dir.write("history.dat", "1+1 = 2\r\n2*3 = 6\r\n");
    THistoryModel model;
    model.LoadFromFile(dir.file("history.dat"));
    ThistoriaFrm window(&model);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    QListView *list = window.historyLb();
    EXPECT_EQ(QApplication::focusWidget(), list);
    EXPECT_FALSE(list->selectionModel()->hasSelection());
    EXPECT_FALSE(list->currentIndex().isValid());
    EXPECT_EQ(model.ItemIndex(), -1);
    EXPECT_TRUE(window.findChild<QLineEdit *>("Edit1")->text().isEmpty());
    for (const char *name : {"BtnPouzit", "BtnKopirovat", "BtnZmazat", "BtnUlozit"})
        EXPECT_FALSE(window.findChild<QPushButton *>(name)->isEnabled()) << name;

    // The keyboard chooses the first line, as a click would.
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(model.ItemIndex(), 0);
    EXPECT_EQ(window.findChild<QLineEdit *>("Edit1")->text(), "1+1 = 2");
    EXPECT_TRUE(window.findChild<QPushButton *>("BtnPouzit")->isEnabled());
    TGUIManager::Instance()->SetMainForm(nullptr);
}
