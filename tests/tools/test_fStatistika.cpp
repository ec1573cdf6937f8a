#include "tools/fStatistika.h"

#include "shell/uGUIManager.h"
#include "shell/uProgramTranslator.h"
#include "shell/uValueListEditor.h"
#include "tests/support/ModalHelper.h"
#include "tests/support/QtPrint.h"
#include "tests/support/ToolWindowFixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class StatisticsWindow : public ToolWindowTest<TstatistikaFrm>
{
protected:
    TValueListEditor *Grid() { return Window.hodnotyVle(); }
    void Click(const char *Name)
    {
        QTest::mouseClick(Window.findChild<QPushButton *>(QLatin1String(Name)), Qt::LeftButton);
    }
    // Calculates; a message box that opens is answered and its text kept.
    void Calculate()
    {
        Message.clear();
        AnswerNextMessageBox(QMessageBox::Ok, &Message, &MessageTitle);
        Click("vypocetBtn");
        QCoreApplication::processEvents();
    }
    QString Out(const char *Name) { return Window.ResultEdit(Name)->text(); }
    QStringList Results()
    {
        QStringList r;
        for (const char *name : {"pocetEdt", "sucetEdt", "sucinEdt", "APriemerEdt", "strednaHodnotaEdt", "rozptylEdt",
                                 "odchylkaEdt", "medianEdt"})
            r << Out(name);
        return r;
    }

    QString Message, MessageTitle;
};

TEST_F(StatisticsWindow, WorkedExamples)
{
    const struct
    {
        QStringList rows;
        QStringList results;
    } cases[] = {
        {{"1=", "2=", "3=", "4="}, {"4", "10", "24", "2.5", "2.5", "1.25", "1.118034", "2.5"}},
        {{"2=3", "4=1"}, {"2", "6", "8", "3", "2.5", "0.75", "0.866025", "3"}},
        {{"3=1", "1=1", "2=1"}, {"3", "6", "6", "2", "2", "0.666667", "0.816497", "2"}},
        // Six copies of one large value: no spread, never NaN.
        {{"1E10=", "1E10=", "1E10=", "1E10=", "1E10=", "1E10="},
         {"6", "60000000000", "1E60", "10000000000", "10000000000", "0", "0", "10000000000"}},
        // The median takes no weights.
        {{"1=1", "2=1", "10=100"}, {"3", "13", "20", "4.333333", "9.833333", "1.393791", "1.180589", "2"}},
    };
    for (const auto &c : cases) {
        Grid()->SetStrings(c.rows);
        Calculate();
        EXPECT_EQ(Message, QString()) << c.rows.join(u' ').toStdString();
        EXPECT_EQ(Results(), c.results) << c.rows.join(u' ').toStdString();
    }
    // Empty weights became 1, and the table shows it.
    EXPECT_EQ(Grid()->Value(0), QStringLiteral("1"));
    EXPECT_TRUE(Window.findChild<QLabel *>(QStringLiteral("medianNoteLbl"))->isVisible());
}

TEST_F(StatisticsWindow, CellsThatAreNoNumbersAreSelectedWithTheInputError)
{
    // The table starts with one empty row.
    EXPECT_EQ(Grid()->rowCount(), 1);
    Calculate();
    EXPECT_EQ(MessageTitle, QStringLiteral("Input error"));
    EXPECT_EQ(Message, QStringLiteral("Value entered incorrectly."));
    EXPECT_EQ(Grid()->currentRow(), 0);
    EXPECT_EQ(Grid()->currentColumn(), 0);
    EXPECT_EQ(Out("pocetEdt"), QString());

    Grid()->SetStrings({"1=2", "2=x"});
    Calculate();
    EXPECT_EQ(Message, QStringLiteral("Value entered incorrectly."));
    EXPECT_EQ(Grid()->currentRow(), 1);
    EXPECT_EQ(Grid()->currentColumn(), 1);

    // "Add" appends a row whose key is a blank.
    Grid()->SetStrings({"5=1"});
    Click("novyBtn");
    EXPECT_EQ(Grid()->rowCount(), 2);
    EXPECT_EQ(Grid()->Key(1), QStringLiteral(" "));
    EXPECT_EQ(Grid()->Value(1), QStringLiteral("1"));
    Calculate();
    EXPECT_EQ(Message, QStringLiteral("Value entered incorrectly."));
    EXPECT_EQ(Grid()->currentRow(), 1);
    Grid()->SetKey(1, QStringLiteral("7"));
    Calculate();
    EXPECT_EQ(Message, QString());
    EXPECT_EQ(Out("sucetEdt"), QStringLiteral("12"));

    // Beyond a double is no number either.
    Grid()->SetStrings({"1E400=1"});
    Calculate();
    EXPECT_EQ(Message, QStringLiteral("Value entered incorrectly."));
}

TEST_F(StatisticsWindow, WeightsEmptyTablesAndLargeProductsGiveMessages)
{
    Grid()->SetStrings({"1=1", "2=-1", "3=1"});
    Calculate();
    EXPECT_EQ(Message, QStringLiteral("A weight must not be negative."));
    EXPECT_EQ(Grid()->currentRow(), 1);
    EXPECT_EQ(Grid()->currentColumn(), 1);

    Grid()->SetStrings({"1=0", "2=0"});
    Calculate();
    EXPECT_EQ(Message, QStringLiteral("The weights must not add up to 0."));
    EXPECT_EQ(Out("strednaHodnotaEdt"), QString()); // nothing shown

    // As in a fresh window, one empty row is left, and typed keys go into it.
    Window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
    Click("zmazatVsetkoBtn");
    EXPECT_EQ(Grid()->Strings(), QStringList({"="}));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("8"));
    Calculate();
    EXPECT_EQ(Message, QString());
    EXPECT_EQ(Out("sucetEdt"), QStringLiteral("8"));
    Click("zmazatVsetkoBtn");
    Calculate();
    EXPECT_EQ(Message, QStringLiteral("Value entered incorrectly."));
    EXPECT_EQ(Grid()->currentRow(), 0);
    // So does removing the last row.
    Grid()->setCurrentCell(0, 0);
    Click("zmazatBtn");
    EXPECT_EQ(Grid()->Strings(), QStringList({"="}));

    QStringList big;
    for (int i = 0; i < 20; ++i)
        big << QStringLiteral("1E300=1");
    Grid()->SetStrings(big);
    Calculate();
    EXPECT_EQ(Message, QString());
    EXPECT_EQ(Out("sucinEdt"), QStringLiteral("out of range"));
    EXPECT_EQ(Out("APriemerEdt"), QStringLiteral("1E300"));
    EXPECT_EQ(Out("rozptylEdt"), QStringLiteral("0"));

    // The note in the product field follows the language; a product in
    // range is a number in any language.
    {
        struct TranslatorGuard
        {
            ~TranslatorGuard() { TProgramTranslator::FreeInstance(); }
        } guard;
        ASSERT_TRUE(TProgramTranslator::Instance()->LoadFile(qEnvironmentVariable("TANDOREL_SOURCE_DIR")
                                                             + QStringLiteral("/data/lang/Slovensky.txt")));
        Window.TranslateTexts();
        EXPECT_EQ(Out("sucinEdt"), QStringLiteral("mimo rozsahu"));
        Grid()->SetStrings({"2=1", "3=1"});
        Calculate();
        TProgramTranslator::FreeInstance();
        Window.TranslateTexts();
        EXPECT_EQ(Out("sucinEdt"), QStringLiteral("6"));
    }
}

TEST_F(StatisticsWindow, ManyRowsRemovingRowsAndEnter)
{
    QStringList rows;
    for (int i = 1; i <= 300; ++i)
        rows << QString::number(i) + u'=';
    Grid()->SetStrings(rows);
    Calculate();
    EXPECT_EQ(Out("pocetEdt"), QStringLiteral("300"));
    EXPECT_EQ(Out("medianEdt"), QStringLiteral("150.5"));

    Grid()->SetStrings({"1=1", "2=1", "9=1"});
    Grid()->setCurrentCell(2, 0);
    Click("zmazatBtn");
    EXPECT_EQ(Grid()->Strings(), QStringList({"1=1", "2=1"}));
    Grid()->setFocus();
    Message.clear();
    AnswerNextMessageBox(QMessageBox::Ok, &Message);
    QTest::keyClick(Grid(), Qt::Key_Return);
    EXPECT_EQ(Out("sucetEdt"), QStringLiteral("3"));
    EXPECT_EQ(Message, QString());
}

} // namespace
