#include "shell/uHistoryModel.h"

#include "shell/uGUIManager.h"
#include "shell/uMainProgram.h"
#include "tests/support/FakeMainForm.h"
#include "tests/support/QtPrint.h"
#include "tests/support/TempProgramDir.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

QStringList LinesOf(const THistoryModel &m)
{
    QStringList lines;
    for (int i = 0; i < m.Count(); ++i)
        lines << m.Lines(i);
    return lines;
}

TEST(HistoryModel, AddingMovesAnEqualLineToTheEndIgnoringCaseAndSelectsIt)
{
    THistoryModel m;
    for (const char *line : {"1+1 = 2", "2*3 = 6", "a = 1", "4-1 = 3", "9/3 = 3"})
        m.AddIntoHistory(QString::fromLatin1(line));
    m.AddIntoHistory(QStringLiteral("2*3 = 6"));
    m.AddIntoHistory(QStringLiteral("A = 1"));
    EXPECT_EQ(LinesOf(m), QStringList({"1+1 = 2", "4-1 = 3", "9/3 = 3", "2*3 = 6", "A = 1"}));
    EXPECT_EQ(m.ItemIndex(), 4);
    EXPECT_EQ(m.rowCount(), 5);
}

TEST(HistoryModel, KeepsTwoHundredLinesWhileAddingButLoadsALongerFileWhole)
{
    THistoryModel m;
    for (int i = 1; i <= 201; ++i)
        m.AddIntoHistory(QStringLiteral("%1 = %1").arg(i));
    ASSERT_EQ(m.Count(), 200);
    EXPECT_EQ(m.Lines(0), "2 = 2");
    EXPECT_EQ(m.Lines(199), "201 = 201");

    TempProgramDir dir;
    QByteArray text;
    for (int i = 1; i <= 250; ++i)
        text += QByteArray::number(i) + " = x\r\n";
    dir.write("history.dat", text);
    THistoryModel loaded; // as at start-up
    loaded.LoadFromFile(dir.file("history.dat"));
    ASSERT_EQ(loaded.Count(), 250);
    EXPECT_EQ(loaded.ItemIndex(), -1);
    loaded.AddIntoHistory(QStringLiteral("new = 1"));
    EXPECT_EQ(loaded.Count(), 251);
    EXPECT_EQ(loaded.Lines(0), "1 = x");
}

TEST(HistoryModel, SavesAndLoadsLinesAndIgnoresAMissingFile)
{
    TempProgramDir dir;
    THistoryModel m;
    m.AddIntoHistory(QStringLiteral("2+3 = 5"));
    m.AddIntoHistory(QString::fromUtf8("a*b = 6 [a=2;b=3;]"));
    m.SaveToFile(dir.file("history.dat"));
    EXPECT_EQ(dir.read("history.dat"), QByteArray("2+3 = 5\r\na*b = 6 [a=2;b=3;]\r\n"));

    THistoryModel other;
    other.AddIntoHistory(QStringLiteral("kept = 1"));
    other.LoadFromFile(dir.file("missing.dat"));
    EXPECT_EQ(other.Count(), 1);
    other.LoadFromFile(dir.file("history.dat"));
    EXPECT_EQ(LinesOf(other), QStringList({"2+3 = 5", "a*b = 6 [a=2;b=3;]"}));
}

TEST(HistoryModel, DeletingSelectsTheLineThatTookItsPlace)
{
    THistoryModel m;
    for (const char *line : {"1 = 1", "2 = 2", "3 = 3"})
        m.AddIntoHistory(QString::fromLatin1(line));
    QSignalSpy spy(&m, &THistoryModel::ItemIndexChanged);
    m.Delete(1);
    EXPECT_EQ(m.ItemIndex(), 1);
    EXPECT_EQ(m.Lines(1), "3 = 3");
    m.Delete(1);
    EXPECT_EQ(m.ItemIndex(), 0);
    m.Delete(0);
    EXPECT_EQ(m.ItemIndex(), -1);
    m.Delete(0); // nothing left: nothing happens
    EXPECT_EQ(spy.count(), 3);
}

TEST(HistoryModel, LinesSplitIntoExpressionAndResult)
{
    const struct
    {
        const char *Line, *Expression, *Result;
    } cases[] = {
        {"2*x = 10 [x=5;]", "2*x", "10"},
        {"2+3 = 5", "2+3", "5"},
        {"(1+2j) = (1+j2)", "(1+2j)", "(1+j2)"},
        {"no separator", "no separator", "no separator"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(THistoryModel::ExpressionOf(QString::fromLatin1(c.Line)), c.Expression) << c.Line;
        EXPECT_EQ(THistoryModel::ResultOf(QString::fromLatin1(c.Line)), c.Result) << c.Line;
    }
}

TEST(HistoryModel, TheControllersHistoryEnablesTheBackKeyWhileALineIsSelected)
{
    FakeMainForm main;
    TGUIManager::Instance()->SetMainForm(&main);
    THistoryModel *h = KMainProgram::Instance()->History();
    h->AddIntoHistory(QStringLiteral("1 = 1"));
    EXPECT_TRUE(main.BackEnabled);
    h->Delete(0);
    EXPECT_FALSE(main.BackEnabled);
    TGUIManager::Instance()->SetMainForm(nullptr);
}

TEST(HistoryModel, KeepsTheItemModelContractThroughEveryChange)
{
    // The tester checks every signal and index the model gives a view while
    // it is being changed; a broken contract fails the test.
    THistoryModel m;
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    for (int i = 1; i <= 205; ++i) // past the limit: the oldest lines go
        m.AddIntoHistory(QStringLiteral("%1 = %1").arg(i % 150));
    m.AddIntoHistory(QStringLiteral("7 = 7")); // an equal line moves to the end
    m.Delete(0);
    m.Delete(m.Count() - 1);
    m.SetItemIndex(3);
    TempProgramDir dir;
    dir.write("history.dat", "a = 1\r\nb = 2\r\n");
    m.LoadFromFile(dir.file("history.dat"));
    EXPECT_EQ(m.rowCount(), 2);
    EXPECT_EQ(m.data(m.index(1)).toString(), "b = 2");
    while (m.Count() > 0)
        m.Delete(0);
    EXPECT_EQ(m.rowCount(), 0);
}

} // namespace
