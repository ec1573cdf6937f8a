#include "tools/model/uPolynomy.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <algorithm>

namespace {

TPolynom Parsed(const QString &Text)
{
    TPolynom p;
    p.Parse(Text, TPolynom::FreshVariables(), false, true);
    return p;
}

// Pixels darker than mid-grey inside Area of a picture painted on white.
int DarkPixels(const TPolynomImage &Image, const QRect &Area)
{
    QImage canvas(Area.size(), QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.translate(-Area.topLeft());
    Image.Paint(painter, Area, Qt::black);
    painter.end();
    int dark = 0;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            dark += qGray(canvas.pixel(x, y)) < 128;
    return dark;
}

} // namespace

TEST(PolynomDrawing, TermsAreDrawnWithRaisedSmallExponents)
{
    TPolynom p = Parsed(QStringLiteral("5x^3-3x^2+6x"));
    TPolynomImage image;
    int x = 0;
    p.Draw(image, x, true, QStringLiteral("P = "));
    EXPECT_EQ(image.PlainText(), QStringLiteral("P = 5x^3-3x^2+6x"));
    EXPECT_GE(image.Width(), x - 2);
    EXPECT_EQ(image.Height(), 35);

    const auto &texts = image.Texts();
    ASSERT_EQ(texts.size(), 9); // "P = " 5 x 3 -3 x 2 +6 x
    EXPECT_EQ(texts[0].X, 5);   // a cleared picture starts at 5
    for (const auto &piece : texts)
        EXPECT_EQ(piece.Y, 5) << qPrintable(piece.Text);
    // "3" of x^3 is small; the pieces run left to right with 2 pixels between.
    EXPECT_EQ(texts[3].Text, QStringLiteral("3"));
    EXPECT_LT(texts[3].PixelHeight, texts[2].PixelHeight);
    EXPECT_EQ(texts[3].X, texts[2].X + image.TextWidth(QStringLiteral("x"), texts[2].PixelHeight) + 2);
    EXPECT_GT(DarkPixels(image, QRect(0, 0, image.Width(), image.Height())), 50);
}

TEST(PolynomDrawing, LeadingZeroTermsAreDroppedAndNothingDrawsZero)
{
    TPolynom p = Parsed(QStringLiteral("xx-x^2+y"));
    TPolynomImage image;
    int x = 0;
    p.Draw(image, x, true, QString());
    EXPECT_EQ(image.PlainText(), QStringLiteral("y"));
    EXPECT_EQ(p.Count(), 1);
    EXPECT_EQ(p.ToText(), QStringLiteral("y"));

    TPolynom zero = Parsed(QStringLiteral("x-x"));
    image.Clear();
    x = 0;
    zero.Draw(image, x, false, QStringLiteral(") = "));
    EXPECT_EQ(image.PlainText(), QStringLiteral(") = 0"));
    EXPECT_EQ(image.Texts().first().X, 0);
}

TEST(PolynomDrawing, HornerSchemeLayout)
{
    const TPolynom q = Parsed(QStringLiteral("x^2+3"));
    TPolynomImage image;
    q.DrawHornerScheme(image, 1);
    const int n = 3;
    // Three passes of 36 pixels below the coefficient row.
    EXPECT_EQ(image.Height(), 5 + 56 + 36 * (n - 1) + 5);
    const int w = image.TextWidth(QStringLiteral("1"), 16) + 8;
    EXPECT_EQ(image.Width(), n * 60 + w + 14);
    // Row 0 and each pass's last value are bold: 3 + 3.
    const auto &texts = image.Texts();
    EXPECT_EQ(std::count_if(texts.begin(), texts.end(), [](const auto &t) { return t.Bold; }), 6);
    // Numbers are right-aligned at their column's edge: the value 4 = p(1)
    // stands in the last column of pass 0.
    const auto four = std::find_if(texts.begin(), texts.end(), [](const auto &t) { return t.Text == u"4"; });
    ASSERT_NE(four, texts.end());
    EXPECT_TRUE(four->Bold);
    EXPECT_EQ(four->X + image.TextWidth(QStringLiteral("4"), 16, true), w + 5 + 60 * n);
    // One vertical and one horizontal line per pass.
    EXPECT_EQ(image.Lines().size(), 2 * n);

    TPolynomImage empty;
    Parsed(QStringLiteral("x-x")).DrawHornerScheme(empty, 2);
    EXPECT_TRUE(empty.IsEmpty());
}

TEST(PolynomDrawing, WideNumbersWidenTheHornerColumns)
{
    const TPolynom q = Parsed(QStringLiteral("123456789012x^2+1"));
    TPolynomImage image;
    q.DrawHornerScheme(image, 1000);
    const auto &texts = image.Texts();
    // No two numbers of a row overlap.
    for (int i = 0; i < texts.size(); ++i)
        for (int j = i + 1; j < texts.size(); ++j) {
            if (texts[i].Y != texts[j].Y)
                continue;
            const int ri = texts[i].X + image.TextWidth(texts[i].Text, 16, texts[i].Bold);
            const int rj = texts[j].X + image.TextWidth(texts[j].Text, 16, texts[j].Bold);
            EXPECT_TRUE(ri <= texts[j].X || rj <= texts[i].X) << qPrintable(texts[i].Text + u' ' + texts[j].Text);
        }
}

TEST(PolynomDrawing, AHugePolynomialPaintsOnlyWhatIsVisible)
{
    TPolynom p = Parsed(QStringLiteral("a+b+c+d+e"));
    p.Power(30);
    TPolynomImage image;
    int x = 0;
    p.Draw(image, x, true, QString());
    EXPECT_GT(image.Width(), 1000000);
    EXPECT_EQ(image.Height(), 35);
    // At its start, somewhere in the middle and at its very end the picture
    // still has its text.
    for (const int left : {0, image.Width() / 2, image.Width() - 60})
        EXPECT_GT(DarkPixels(image, QRect(left, 0, 60, image.Height())), 20) << left;
}
