// The expression dialog: the variables its expression needs, the checks of
// OK, the names it remembers.
#include "tools/fUpravyVyrazu.h"

#include "shell/uValueListEditor.h"
#include "tests/support/EngineState.h"
#include "tests/support/ModalHelper.h"
#include "tests/support/QtPrint.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class ExpressionDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetEngineState();
        Dialog.Clear();
        Dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dialog));
    }
    QLineEdit *Expression() { return Dialog.findChild<QLineEdit *>(QStringLiteral("vyrazEdt")); }
    QComboBox *Name() { return Dialog.findChild<QComboBox *>(QStringLiteral("nazovCmb")); }
    TValueListEditor *Grid() { return Dialog.findChild<TValueListEditor *>(QStringLiteral("premenneVle")); }
    QPushButton *Ok() { return Dialog.findChild<QPushButton *>(QStringLiteral("okBtn")); }
    // Clicks OK, which must answer with a message; returns its text.
    QString OkMessage()
    {
        QString text;
        AnswerNextMessageBox(QMessageBox::Ok, &text);
        Ok()->click();
        return text;
    }

    TUpravyVyrazuFrm Dialog;
};

} // namespace

TEST_F(ExpressionDialog, EnglishCaptions)
{
    EXPECT_EQ(Dialog.windowTitle(), "Add / modify expression");
    EXPECT_EQ(Dialog.findChild<QLabel *>(QStringLiteral("nazovLbl"))->text(), "&Name:");
    EXPECT_EQ(Dialog.findChild<QLabel *>(QStringLiteral("vyrazLbl"))->text(), "&Expression:");
    EXPECT_EQ(Dialog.findChild<QLabel *>(QStringLiteral("popisLbl"))->text(), "&Description:");
    EXPECT_EQ(Dialog.findChild<QLabel *>(QStringLiteral("premenneLbl"))->text(), "&Variables:");
    EXPECT_EQ(Grid()->horizontalHeaderItem(0)->text(), "Name");
    EXPECT_EQ(Grid()->horizontalHeaderItem(1)->text(), "Description");
    EXPECT_EQ(Dialog.findChild<QPushButton *>(QStringLiteral("zrusitBtn"))->text(), "&Cancel");
}

TEST_F(ExpressionDialog, LeavingTheExpressionAddsItsMissingVariables)
{
    EXPECT_FALSE(Ok()->isEnabled());
    Dialog.SetExpression(QStringLiteral("Force"), QString(), {},
                         {QStringLiteral("m=mass"), QStringLiteral("old=kept")});
    Expression()->setFocus();
    QTest::keyClicks(Expression(), QStringLiteral("F = M*a + m"));
    Name()->setFocus(); // the expression field loses the focus
    EXPECT_EQ(Dialog.VariableLines(), QStringList({"m=mass", "old=kept", "a="}));
    EXPECT_TRUE(Ok()->isEnabled());
}

TEST_F(ExpressionDialog, OkNeedsANameAndAnExpression)
{
    Expression()->setText(QStringLiteral("x"));
    ASSERT_TRUE(Ok()->isEnabled());
    EXPECT_EQ(OkMessage(), "You must enter the expression name.");
    Name()->setEditText(QStringLiteral("Velocity"));
    Expression()->clear();
    EXPECT_EQ(OkMessage(), "You must enter the expression.");
    EXPECT_TRUE(Dialog.isVisible());

    // Enter in the expression field confirms with its variables added.
    Expression()->setFocus();
    QTest::keyClicks(Expression(), QStringLiteral("v = s/t"));
    QTest::keyClick(Expression(), Qt::Key_Return);
    EXPECT_EQ(Dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Dialog.VariableLines(), QStringList({"s=", "t="}));
    EXPECT_EQ(Dialog.KnownNames(), QStringList({"Velocity"}));
    EXPECT_EQ(Dialog.Notation(), "v = s/t");

    // The names confirmed with OK stay offered, each once.
    Dialog.Clear();
    Dialog.show();
    Name()->setEditText(QStringLiteral("Velocity"));
    Expression()->setText(QStringLiteral("1"));
    Ok()->click();
    EXPECT_EQ(Dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Dialog.KnownNames(), QStringList({"Velocity"}));
    EXPECT_TRUE(Dialog.DescriptionLines().isEmpty());
}
