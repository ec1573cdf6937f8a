#include "tools/fRuleOfThree.h"

#include "shell/uProgramTranslator.h"
#include "tests/support/QtPrint.h"
#include "tests/support/ToolWindowFixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class RuleOfThreeWindow : public ToolWindowTest<TRuleOfThreeFrm>
{
protected:
    QLineEdit *Edit(const char *Name) { return Window.findChild<QLineEdit *>(QLatin1String(Name)); }
    QRadioButton *Choice(const char *Name) { return Window.findChild<QRadioButton *>(QLatin1String(Name)); }
    void Fill(const QString &A, const QString &B, const QString &C)
    {
        Edit("Edit1")->setText(A);
        Edit("Edit2")->setText(B);
        Edit("Edit3")->setText(C);
    }
    void Calculate() { QTest::mouseClick(Window.findChild<QPushButton *>(QStringLiteral("Button1")), Qt::LeftButton); }
    QString Result() { return Edit("resultEdt")->text(); }
    bool Red() { return Edit("resultEdt")->palette().color(QPalette::Text) == QColor(Qt::red); }
};

TEST_F(RuleOfThreeWindow, WorkedExamples)
{
    const struct
    {
        const char *a, *b, *c;
        bool direct;
        const char *x;
    } cases[] = {
        {"2", "10", "3", true, "15"},
        {"2", "10", "3", false, "6.666667"},
        {"-4", "2.5", "8", true, "-5"},
        {"0", "10", "3", false, "0"},                // a is no divisor in the inverse rule
        {"1E-300", "1E300", "1E300", true, "1E900"}, // beyond a double, not beyond the result
        {"5", "0", "3", true, "0"},
    };
    for (const auto &c : cases) {
        (c.direct ? Choice("RadioButton1") : Choice("RadioButton2"))->setChecked(true);
        Fill(c.a, c.b, c.c);
        Calculate();
        EXPECT_EQ(Result(), QString::fromLatin1(c.x)) << c.a << " " << c.b << " " << c.c;
        EXPECT_FALSE(Red());
    }
}

TEST_F(RuleOfThreeWindow, MissingValuesAndZeroDivisorsAreReportedInRed)
{
    Fill("2", "", "");
    Edit("Edit1")->setFocus();
    Calculate();
    EXPECT_EQ(Result(), QStringLiteral("All values are not entered"));
    EXPECT_TRUE(Red());
    EXPECT_TRUE(Edit("Edit2")->hasFocus()); // the first empty one

    // A zero divisor: never INF or NaN, the divisor's edit gets the focus.
    Fill("0", "10", "3");
    Edit("Edit2")->setFocus();
    Calculate();
    EXPECT_EQ(Result(), QStringLiteral("Invalid input values"));
    EXPECT_TRUE(Red());
    EXPECT_TRUE(Edit("Edit1")->hasFocus());
    Choice("RadioButton2")->setChecked(true);
    Fill("2", "10", "0");
    Calculate();
    EXPECT_EQ(Result(), QStringLiteral("Invalid input values"));
    EXPECT_TRUE(Edit("Edit3")->hasFocus());
    // 0 / 0: the same text, the focus stays.
    Choice("RadioButton1")->setChecked(true);
    Fill("0", "0", "3");
    Edit("Edit2")->setFocus();
    QTest::keyClick(Edit("Edit2"), Qt::Key_Return);
    EXPECT_EQ(Result(), QStringLiteral("Invalid input values"));
    EXPECT_TRUE(Edit("Edit2")->hasFocus());
    // A text that is no number, or beyond a double.
    for (const char *bad : {"1E", "1E400", "-", "1,5"}) {
        Fill("2", bad, "3");
        Calculate();
        EXPECT_EQ(Result(), QStringLiteral("Invalid input values")) << bad;
    }
}

TEST_F(RuleOfThreeWindow, AShownMessageFollowsTheLanguage)
{
    struct TranslatorGuard
    {
        ~TranslatorGuard() { TProgramTranslator::FreeInstance(); }
    } guard;
    const QString slovak = qEnvironmentVariable("TANDOREL_SOURCE_DIR") + QStringLiteral("/data/lang/Slovensky.txt");
    const struct
    {
        const char *a, *b, *c, *message;
    } cases[] = {
        {"2", "", "3", "Nie sú zadané všetky hodnoty"},
        {"0", "10", "3", "Neplatné hodnoty"},
        {"2", "10", "3", "15"}, // a result is no text of the language
    };
    for (const auto &c : cases) {
        TProgramTranslator::FreeInstance();
        Window.TranslateTexts();
        Fill(c.a, c.b, c.c);
        Calculate();
        TProgramTranslator::Instance()->LoadFile(slovak);
        Window.TranslateTexts();
        EXPECT_EQ(Result(), QString::fromUtf8(c.message)) << c.a << " " << c.b << " " << c.c;
    }
    // A message emptied by an edit stays empty.
    Fill("0", "10", "3");
    Calculate();
    Edit("Edit2")->setText(QStringLiteral("11"));
    Window.TranslateTexts();
    EXPECT_EQ(Result(), QString());
}

TEST_F(RuleOfThreeWindow, KeysEditsAndArrows)
{
    // Only number keys pass; Enter calculates; a change empties the result.
    Fill("", "", "");
    QTest::keyClicks(Edit("Edit1"), QStringLiteral("2a"));
    QTest::keyClicks(Edit("Edit2"), QStringLiteral("1x0"));
    QTest::keyClicks(Edit("Edit3"), QStringLiteral("3"));
    EXPECT_EQ(Edit("Edit1")->text(), QStringLiteral("2"));
    EXPECT_EQ(Edit("Edit2")->text(), QStringLiteral("10"));
    QTest::keyClick(Edit("Edit3"), Qt::Key_Return);
    EXPECT_EQ(Result(), QStringLiteral("15"));
    QTest::keyClicks(Edit("Edit3"), QStringLiteral("0"));
    EXPECT_EQ(Result(), QString());
    Choice("RadioButton2")->setFocus();
    QTest::keyClick(Choice("RadioButton2"), Qt::Key_Return);
    EXPECT_EQ(Result(), QStringLiteral("150"));

    // The left arrow follows the proportion; all three are drawn.
    auto *image1 = Window.findChild<QLabel *>(QStringLiteral("Image1"));
    auto *image2 = Window.findChild<QLabel *>(QStringLiteral("Image2"));
    auto *image3 = Window.findChild<QLabel *>(QStringLiteral("Image3"));
    Choice("RadioButton1")->setChecked(true);
    EXPECT_TRUE(image1->isVisible());
    EXPECT_TRUE(image2->isVisible());
    EXPECT_FALSE(image3->isVisible());
    Choice("RadioButton2")->setChecked(true);
    EXPECT_FALSE(image2->isVisible());
    EXPECT_TRUE(image3->isVisible());
    // Up arrows have their head at the top, the down arrow at the bottom.
    const auto inkAt = [](QLabel *Image, qreal Fraction) {
        const QImage img = Image->pixmap().toImage();
        const int y = int(img.height() * Fraction);
        int ink = 0;
        for (int x = 0; x < img.width(); ++x)
            ink += qAlpha(img.pixel(x, y)) > 128;
        return ink;
    };
    EXPECT_GT(inkAt(image1, 0.08), inkAt(image1, 0.92));
    EXPECT_GT(inkAt(image2, 0.08), inkAt(image2, 0.92));
    EXPECT_LT(inkAt(image3, 0.08), inkAt(image3, 0.92));
}

} // namespace
