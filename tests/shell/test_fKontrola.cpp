#include "shell/fKontrola.h"

#include "core/uProgramSettings.h"
#include "core/uProgramState.h"
#include "core/uVariableManager.h"
#include "shell/uHistoryModel.h"
#include "shell/uMainProgram.h"
#include "shell/uValueListEditor.h"
#include "tests/support/MainWindowDriver.h"
#include "tests/support/QtPrint.h"
#include "tests/support/TempProgramDir.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using TPairs = QList<QPair<QString, QString>>;

QString LabelText(TkontrolaFrm &Window, const char *Name)
{
    return Window.findChild<QLabel *>(QLatin1String(Name))->text();
}

} // namespace

TEST(SelfTestVariables, OnlyWellFormedAssignmentsAreTaken)
{
    const struct
    {
        const char *Text;
        bool Ok;
        TPairs Pairs;
    } cases[] = {
        {"x=5;]", true, {{"x", "5"}}},
        {" a = 1 ; b=2.5;  ] ", true, {{"a", "1"}, {"b", "2.5"}}},
        {"]", true, {}},
        {"x=5]", false, {}},        // the pair is not ended by ";"
        {"a=1;b;c=2;]", false, {}}, // "b;c" is no name
        {"x=5;", false, {}},        // no closing bracket
        {"x=5;]junk", false, {}},
        {"=5;]", false, {}},
        {"x=;]", false, {}},    // no value
        {"sin=1;]", false, {}}, // a function name
        {"2x=1;]", false, {}},
        {"$pi=3;]", false, {}},
    };
    for (const auto &c : cases) {
        TPairs pairs;
        EXPECT_EQ(ParseVariableList(QString::fromLatin1(c.Text), pairs), c.Ok) << c.Text;
        if (c.Ok) {
            EXPECT_EQ(pairs, c.Pairs) << c.Text;
        }
    }
}

// A list keeps every byte: a test written in another code page comes back
// as it was; only the byte-order mark, the line ends and the empty lines at
// the end are not kept.
TEST(SelfTestList, ReadingAndWritingKeepsEveryByte)
{
    const QByteArray file = "\xEF\xBB\xBF"
                            "1+1=2\r\n"
                            "\n"
                            "caf\xE9=1\r"
                            "2*x=10[x=5;]\n"
                            "\xC5\xA5=2\r\n\r\n\n";
    const QStringList lines = ReadTestList(file);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines.at(1), "");
    EXPECT_EQ(lines.at(4), QString::fromUtf8("\xC5\xA5=2"));
    EXPECT_EQ(TestListBytes(lines), QByteArray("1+1=2\r\n\r\ncaf\xE9=1\r\n2*x=10[x=5;]\r\n\xC5\xA5=2\r\n"));
    // A first line that begins with a mark of its own keeps it.
    const QByteArray marked = "\xEF\xBB\xBF\xEF\xBB\xBF"
                              "1=1\r\n";
    EXPECT_EQ(TestListBytes(ReadTestList(marked)), marked);

    const struct
    {
        const char *Line, *Expression, *Expected, *Assignments;
        bool Valid;
    } cases[] = {
        {"2*x=10[x=5;]", "2*x", "10", "[x=5;]", true},
        {"2*x=10[x=5]", "2*x", "10", "[x=5]", false},
        {"1+2", "1+2", "", "", true},
        {"a=b=c", "a", "b=c", "", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Line);
        const TSelfTest test = ParseTest(QString::fromLatin1(c.Line));
        EXPECT_EQ(test.Expression, c.Expression);
        EXPECT_EQ(test.Expected, c.Expected);
        EXPECT_EQ(test.Assignments, c.Assignments);
        EXPECT_EQ(test.AssignmentsValid, c.Valid);
        EXPECT_EQ(test.Variables.size(), c.Valid && *c.Assignments ? 1 : 0);
    }
}

TEST(SelfTestRun, ListsEachFailedTestWithWhatWentWrong)
{
    ResetEngineState();
    TVariableManager::Instance()->SetValue("y", "3"); // the user's own
    const QStringList tests = {
        "1+1=2",       "1+1=3", "2 * 3 = 6", "2*x=10[x=5;]", "2*x=10[x=5]", "a+b=3[a=1;b;c=2;]",
        "y*2=6",       // the user's variables are there
        "x+y=4[x=1;]", // with the row's own on top
        "x=5",         // no earlier row's assignment leaks in
        "1/0=0",       "2+=1",
        "=ignored", // no expression: no test
        "1+2",      // no expected value
    };
    const QStringList failures = TkontrolaFrm::RunTests(tests);
    EXPECT_EQ(failures, (QStringList{
                            "1+1=3=Nespravny vysledok : 2",
                            "2*x=10[x=5]=Nespravne premenne : [x=5]",
                            "a+b=3[a=1;b;c=2;]=Nespravne premenne : [a=1;b;c=2;]",
                            "x=5=Chyba : 15",
                            "1/0=0=Chyba : 25",
                            "2+=1=Chyba : 3",
                            "1+2=Nespravny vysledok : 3",
                        }));
    EXPECT_EQ(TVariableManager::Instance()->Variables.Text(), "y=3\r\n");
    ResetEngineState();
}

TEST(SelfTestRun, LeavesTheCalculatorAsItWas)
{
    TMainWindowDriver main;
    KProgramSettings::Instance()->CopyResultToClipboard = true;
    main.Type("6*7");
    main.Enter();
    ASSERT_EQ(main.Display().trimmed(), "42");
    TVariableManager::Instance()->SetValue("x", "2");
    TVariableManager::Instance()->SetValue("z", "");
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    const KProgramState *state = KProgramState::GetInstance(0);
    THistoryModel *history = KMainProgram::Instance()->History();
    const int historyLines = history->Count();
    ASSERT_GE(historyLines, 1);

    TkontrolaFrm window;
    window.vyrazyVle()->SetStrings({"1+1=2", "3*w=9[w=3;x=7;]", "x*5=11", "1/0=1"});
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("kontrolaBtn")), Qt::LeftButton);
    EXPECT_EQ(LabelText(window, "Label2"), "Nespravne (2):");

    EXPECT_EQ(state->Ans, "42");
    EXPECT_EQ(state->LastExpression, "6*7");
    EXPECT_TRUE(state->JustCalculated);
    EXPECT_EQ(main.Display().trimmed(), "42");
    EXPECT_EQ(main.Text(), "6*7");
    EXPECT_EQ(history->Count(), historyLines);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "kept");
    EXPECT_EQ(TVariableManager::Instance()->Variables.Text(), "x=2\r\nz=\r\n");
}

TEST(SelfTestWindow, CountsLoadsAndSavesTheList)
{
    ResetEngineState();
    TempProgramDir dir;
    dir.write("tests.txt", "1+1=2\r\n2*3=7\n\n4/2=2\r\n");
    TkontrolaFrm window;
    EXPECT_EQ(window.windowTitle(), "Kontrola");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    // An empty list does nothing.
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("kontrolaBtn")), Qt::LeftButton);
    EXPECT_EQ(LabelText(window, "Label1"), QString::fromUtf8("Všetky:"));
    EXPECT_EQ(LabelText(window, "Label2"), "Nespravne:");

    ASSERT_TRUE(window.LoadTests(dir.file("tests.txt")));
    EXPECT_EQ(LabelText(window, "Label1"), "Vsetky (3):");
    EXPECT_EQ(window.vyrazyVle()->rowCount(), 4); // the empty line stays a row
    window.vyrazyVle()->SetValue(3, "3");
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("kontrolaBtn")), Qt::LeftButton);
    EXPECT_EQ(LabelText(window, "Label2"), "Nespravne (2):");
    EXPECT_EQ(window.nespravneVle()->Strings(),
              (QStringList{"2*3=7=Nespravny vysledok : 6", "4/2=3=Nespravny vysledok : 2"}));
    EXPECT_FALSE(window.nespravneVle()->item(0, 1)->flags() & Qt::ItemIsEditable);

    ASSERT_TRUE(window.SaveTests(dir.file("saved.txt")));
    EXPECT_EQ(dir.read("saved.txt"), "1+1=2\r\n2*3=7\r\n4/2=3\r\n");
    EXPECT_FALSE(window.LoadTests(dir.file("missing.txt")));
    EXPECT_EQ(LabelText(window, "Label1"), "Vsetky (3):");
    ResetEngineState();
}
