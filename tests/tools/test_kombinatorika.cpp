#include "tools/kombinatorika.h"

#include "core/uProgramState.h"
#include "shell/uProgramTranslator.h"
#include "tests/support/QtPrint.h"
#include "tests/support/ToolWindowFixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class CombinatoricsWindow : public ToolWindowTest<TkombinatorikaFrm>
{
protected:
    QLineEdit *Edit(const char *Name) { return Window.findChild<QLineEdit *>(QLatin1String(Name)); }
    QRadioButton *Choice(int Index)
    {
        return Window.findChild<QRadioButton *>(QStringLiteral("RadioButton%1").arg(Index));
    }
    QString Compute(int Index, const QString &N, const QString &K)
    {
        Choice(Index)->setChecked(true);
        Edit("EdtN")->setText(N);
        Edit("EdtK")->setText(K);
        QTest::mouseClick(Window.findChild<QPushButton *>(QStringLiteral("vypocetBtn")), Qt::LeftButton);
        return Edit("EdtVysledok")->text();
    }
    bool Red() { return Edit("EdtVysledok")->palette().color(QPalette::Text) == QColor(Qt::red); }
};

TEST_F(CombinatoricsWindow, WorkedExamples)
{
    EXPECT_EQ(Edit("EdtVysledok")->text(), QStringLiteral("0"));
    EXPECT_TRUE(Choice(1)->isChecked());
    const struct
    {
        int choice;
        const char *n, *k, *result;
    } cases[] = {
        {1, "5", "2", "10"},
        {2, "5", "2", "20"},
        {3, "5", "2", "25"},
        {4, "5", "2", "10"},
        {5, "5", "2", "15"},
        {6, "5", "2", "120"},
        {1, "3", "5", "Invalid input"},
        {3, "3", "5", "243"},
        {5, "0", "0", "Invalid input"},
        {1, "0", "0", "1"},
        {1, "2000", "1", "2000"},
        {1, "9999", "2", "49985001"},
        {6, "20", "0", "2.43290200817664E18"}, // from 1E18 in the general format
        {6, "1755", "0", "Invalid input"},
        {3, "9999", "9999", "Invalid input"}, // a power beyond the range: no INF
        {3, "2", "100", "1.26765060022823E30"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Compute(c.choice, c.n, c.k), QString::fromLatin1(c.result)) << c.choice << " " << c.n << " " << c.k;
        EXPECT_EQ(Red(), QByteArray(c.result) == "Invalid input");
    }
    EXPECT_NE(Compute(6, "1754", "0"), QStringLiteral("Invalid input"));
}

TEST_F(CombinatoricsWindow, ExactAtAnyNumberOfDecimals)
{
    KProgramState *state = KProgramState::GetInstance(0);
    for (int decimals = 0; decimals <= 20; ++decimals) {
        state->Decimals = quint8(decimals);
        EXPECT_EQ(Compute(1, "30", "15"), QStringLiteral("155117520")) << decimals;
        EXPECT_EQ(Compute(4, "60", "30"), QStringLiteral("118264581564861424")) << decimals;
        EXPECT_EQ(Compute(2, "9999", "3"), QStringLiteral("999400109994")) << decimals;
    }
}

TEST_F(CombinatoricsWindow, MissingValuesComeFirstNThenK)
{
    EXPECT_EQ(Compute(1, "", ""), QStringLiteral("Enter n"));
    EXPECT_TRUE(Red());
    EXPECT_TRUE(Edit("EdtN")->hasFocus());
    EXPECT_EQ(Compute(1, "4", ""), QStringLiteral("Enter k"));
    EXPECT_TRUE(Edit("EdtK")->hasFocus());
    // A pasted text that is no number is invalid input.
    EXPECT_EQ(Compute(1, "-3", "1"), QStringLiteral("Invalid input"));
}

TEST_F(CombinatoricsWindow, AShownMessageFollowsTheLanguage)
{
    struct TranslatorGuard
    {
        ~TranslatorGuard() { TProgramTranslator::FreeInstance(); }
    } guard;
    const QString slovak = qEnvironmentVariable("TANDOREL_SOURCE_DIR") + QStringLiteral("/data/lang/Slovensky.txt");
    ASSERT_TRUE(TProgramTranslator::Instance()->LoadFile(slovak));
    Window.TranslateTexts();
    const QString enterN = Window.NNotEntered, enterK = Window.KNotEntered, invalid = Window.InvalidInput;
    ASSERT_NE(invalid, QStringLiteral("Invalid input"));
    const struct
    {
        const char *n, *k;
        QString message;
    } cases[] = {
        {"", "", enterN},
        {"4", "", enterK},
        {"3", "5", invalid},
        {"5", "2", QStringLiteral("10")},
    };
    for (const auto &c : cases) {
        TProgramTranslator::FreeInstance();
        Window.TranslateTexts();
        Compute(1, QString::fromLatin1(c.n), QString::fromLatin1(c.k));
        TProgramTranslator::Instance()->LoadFile(slovak);
        Window.TranslateTexts();
        EXPECT_EQ(Edit("EdtVysledok")->text(), c.message) << c.n << " " << c.k;
        EXPECT_EQ(Red(), c.message != QStringLiteral("10"));
    }
}

TEST_F(CombinatoricsWindow, OnlyFourDigitsAndEnterCalculates)
{
    QLineEdit *n = Edit("EdtN");
    n->clear();
    QTest::keyClicks(n, QStringLiteral("1a+-.23456"));
    EXPECT_EQ(n->text(), QStringLiteral("1123")); // "+" reads as 1, four digits at most
    Edit("EdtK")->clear();
    QTest::keyClicks(Edit("EdtK"), QStringLiteral("2"));
    QTest::keyClick(Edit("EdtK"), Qt::Key_Return);
    EXPECT_EQ(Edit("EdtVysledok")->text(), QStringLiteral("630003"));
    Choice(6)->setChecked(true);
    Choice(6)->setFocus();
    n->setText(QStringLiteral("4"));
    QTest::keyClick(Choice(6), Qt::Key_Return);
    EXPECT_EQ(Edit("EdtVysledok")->text(), QStringLiteral("24"));
}

} // namespace
