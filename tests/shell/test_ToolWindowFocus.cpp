// After a tool window puts text into the main input or calculates it, the
// main window is the active one with the focus in its input: the next keys
// typed land in the expression.
#include "shell/fKonstanty.h"
#include "shell/fMain.h"
#include "shell/fVariables.h"

#include "core/uVariableManager.h"
#include "shell/uDisk.h"
#include "shell/uProgramTranslator.h"
#include "tests/support/MainWindowDriver.h"
#include "tests/support/QtPrint.h"
#include "tests/support/TempProgramDir.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

class ToolWindowFocus : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Driver = std::make_unique<TMainWindowDriver>();
        Driver->Form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Driver->Form));
    }
    void TearDown() override { Driver.reset(); }

    // Shows Tool and makes it the active window, as a click on it does.
    static void Activate(QWidget &Tool)
    {
        Tool.show();
        Tool.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Tool));
    }
    // The keys go wherever the focus is now.
    static void TypeWhereTheFocusIs(const QString &Text)
    {
        QWidget *focus = QApplication::focusWidget();
        ASSERT_TRUE(focus);
        QTest::keyClicks(focus, Text);
    }
    void ExpectTheMainInputActive() const
    {
        EXPECT_TRUE(QTest::qWaitForWindowActive(Driver->Form));
        EXPECT_EQ(QApplication::activeWindow(), Driver->Form);
        EXPECT_EQ(QApplication::focusWidget(), Driver->Input);
    }

    std::unique_ptr<TMainWindowDriver> Driver;
};

} // namespace

TEST_F(ToolWindowFocus, UseInTheConstantsWindow)
{
    TempProgramDir dir;
    SetProgramDir(dir.path());
    dir.write("lang/en.txt", "[Info]\r\nLanguageIsoCode=en\r\n");
    TProgramTranslator::Instance()->LoadFile(dir.file("lang/en.txt"));
    {
        TkonstantyFrm constants;
        constants.TranslateTexts(); // $pi and $e
        Activate(constants);
        Driver->Type(QStringLiteral("2*"));
        constants.ListView1()->setCurrentItem(constants.ListView1()->topLevelItem(0));
        QTest::mouseClick(constants.findChild<QPushButton *>(QStringLiteral("BtnPouzit")), Qt::LeftButton);
        ExpectTheMainInputActive();
        TypeWhereTheFocusIs(QStringLiteral("+1"));
        EXPECT_EQ(Driver->Text(), QStringLiteral("2*$pi+1"));
    }
    TProgramTranslator::FreeInstance();
    SetProgramDir(QString());
}

TEST_F(ToolWindowFocus, CalculateInTheVariablesWindow)
{
    TVariablesFrm variables;
    Driver->Type(QStringLiteral("2*x"));
    TVariableManager::Instance()->SetValue(QStringLiteral("x"), QStringLiteral("5"));
    Activate(variables);
    QTest::mouseClick(variables.findChild<QPushButton *>(QStringLiteral("Button3")), Qt::LeftButton);
    EXPECT_EQ(Driver->Display(), QStringLiteral("  10"));
    ExpectTheMainInputActive();
    TypeWhereTheFocusIs(QStringLiteral("+1"));
    EXPECT_EQ(Driver->Text(), QStringLiteral("10+1")); // goes on from the answer

    // A variable still without a value keeps the variables window in front.
    Driver->Input->clear();
    Driver->Type(QStringLiteral("y+1"));
    Activate(variables);
    QTest::mouseClick(variables.findChild<QPushButton *>(QStringLiteral("Button3")), Qt::LeftButton);
    EXPECT_EQ(Driver->Display(), QString());
    EXPECT_EQ(QApplication::activeWindow(), &variables);
}
