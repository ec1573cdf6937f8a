// Formulas drawn with the system's sans font into images: the ink lies where
// the layout puts the fraction bar, the root sign, the brackets and the text.
#include "tools/model/uGrafickyVyraz.h"

#include <QDir>
#include <QFontInfo>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QRgb White = qRgb(255, 255, 255);

bool Dark(const QImage &Image, int X, int Y)
{
    return qGray(Image.pixel(X, Y)) < 128;
}

int InkIn(const QImage &Image, const QRect &Area)
{
    int n = 0;
    const QRect r = Area.intersected(Image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += Image.pixel(x, y) != White;
    return n;
}

struct TPicture
{
    std::unique_ptr<TGrafickyVyraz> Formula;
    QImage Image;
};

// As the preview draws: root at (5, 5), 16 points, a 5-pixel margin.
TPicture Paint(const QString &Text, const TTextMetrics &Metrics, qreal Ratio = 1)
{
    TPicture p;
    p.Formula = TGrafickyVyraz::Create(Text, 5, 5, 16);
    p.Formula->Measure(Metrics);
    const QSize size(p.Formula->Width() + 10, p.Formula->Height() + 10);
    p.Image = QImage(size * Ratio, QImage::Format_RGB32);
    p.Image.setDevicePixelRatio(Ratio);
    p.Image.fill(White);
    QPainter painter(&p.Image);
    p.Formula->Draw(painter, Metrics);
    return p;
}

} // namespace

TEST(GraphicDrawing, TheSansFontMeasuresInPixelsOfTheLayout)
{
    TFontTextMetrics metrics;
    EXPECT_FALSE(QFontInfo(metrics.Font(16)).family().isEmpty());
    EXPECT_EQ(metrics.Font(16).pixelSize(), 21);
    EXPECT_EQ(metrics.Font(8).pixelSize(), 11);
    EXPECT_GT(metrics.TextHeight(QStringLiteral("x"), 16), metrics.TextHeight(QStringLiteral("x"), 10));
    EXPECT_GT(metrics.TextWidth(QStringLiteral("sin"), 16), metrics.TextWidth(QStringLiteral("x"), 16));
    EXPECT_EQ(metrics.TextWidth(QString(), 16), 0);
}

TEST(GraphicDrawing, FormulaInkMatchesItsLayout)
{
    TFontTextMetrics metrics;
    const TPicture p = Paint(QStringLiteral("(a+b)/(c-d)^(1/2)+x^(2/3)+sin(x)/2"), metrics);
    const QString dir = QString::fromLocal8Bit(qgetenv("TANDOREL_BINARY_DIR"));
    const QString file = QDir(dir.isEmpty() ? QDir::tempPath() : dir).filePath(QStringLiteral("formula-preview.png"));
    ASSERT_TRUE(p.Image.save(file)) << file.toStdString();
    const QImage &img = p.Image;

    // Sum(Sum(fraction, x^(2/3)), sin(x)/2)
    const TGrafickyVyraz *fraction = p.Formula->Left()->Left();
    const TGrafickyVyraz *root = fraction->Right();
    const TGrafickyVyraz *cubic = p.Formula->Left()->Right();
    ASSERT_EQ(fraction->Kind(), VyrazKind::Quotient);
    ASSERT_TRUE(root->IsRootForm());
    ASSERT_TRUE(cubic->IsRootForm());

    // The fraction bar: a full dark row 2 pixels under the numerator.
    const int bar = fraction->Left()->Y() + fraction->Left()->Height() + 2;
    for (int x = fraction->X(); x < fraction->X() + fraction->Width(); ++x)
        ASSERT_TRUE(Dark(img, x, bar)) << x;
    EXPECT_FALSE(Dark(img, fraction->X() + fraction->Width() + 1, bar));
    EXPECT_EQ(InkIn(img, QRect(fraction->X(), bar + 1, fraction->Width(), 1)), 0) << "no ink right under the bar";

    // The root sign: its bar at the top of the sign over the brackets,
    // its up stroke from the foot to the bar, nothing above.
    const int signTop = root->Right()->Y();
    const TGrafickyVyraz *radicand = root->Left();
    for (int x = radicand->X(); x < root->X() + root->Width(); ++x)
        ASSERT_TRUE(Dark(img, x, signTop)) << x;
    EXPECT_EQ(InkIn(img, QRect(root->X(), signTop - 1, root->Width(), 1)), 0);
    const int h = root->Y() + root->Height() - signTop - 2;
    const int lead = h / 5;
    EXPECT_GT(InkIn(img, QRect(root->X() + lead + h / 5 - 1, signTop + h - 2, 3, 3)), 0) << "foot of the sign";
    EXPECT_GT(InkIn(img, QRect(root->X() + lead + h * 3 / 10 - 1, signTop + h / 2 - 1, 3, 3)), 0) << "up stroke";
    EXPECT_GT(InkIn(img, QRect(root->X(), signTop + h / 2, lead, 1)), 0) << "tick";

    // The brackets around c-d stand in the gaps beside it.
    const TGrafickyVyraz *inner = radicand->Left();
    EXPECT_GT(InkIn(img, QRect(radicand->X(), inner->Y(), inner->X() - radicand->X() - 1, inner->Height())), 0);
    EXPECT_GT(InkIn(img, QRect(inner->X() + inner->Width(), inner->Y(), 6, inner->Height())), 0);

    // The cube root shows its index at its upper left and its exponent 2.
    const TGrafickyVyraz *index = cubic->RootIndex();
    EXPECT_GT(InkIn(img, index->Box()), 0) << "index 3";
    EXPECT_GT(InkIn(img, cubic->RootNumerator()->Box()), 0) << "exponent 2";
    EXPECT_EQ(cubic->RootNumerator()->FontSize(), 10);

    // Every leaf has ink inside its box; the margin stays white.
    EXPECT_GT(InkIn(img, fraction->Left()->Box()), 0);
    EXPECT_GT(InkIn(img, p.Formula->Right()->Left()->Box()), 0) << "sin(x)";
    EXPECT_EQ(InkIn(img, QRect(0, 0, img.width(), 3)), 0);
    EXPECT_EQ(InkIn(img, QRect(0, img.height() - 3, img.width(), 3)), 0);
    EXPECT_EQ(InkIn(img, QRect(img.width() - 3, 0, 3, img.height())), 0);
}

TEST(GraphicDrawing, SignsStandBetweenTheirOperands)
{
    TFontTextMetrics metrics;
    const TPicture p = Paint(QStringLiteral("2*3-x"), metrics);
    const TGrafickyVyraz *product = p.Formula->Left();
    // The dot is centred in the gap and raised off the base line.
    const int gapLeft = product->Left()->X() + product->Left()->Width();
    const QRect gap(gapLeft, product->Y(), product->Right()->X() - gapLeft, product->Height());
    EXPECT_GT(InkIn(p.Image, gap), 0);
    const int base = product->Y() + QFontMetrics(metrics.Font(16)).ascent();
    EXPECT_EQ(InkIn(p.Image, QRect(gap.left(), base - 1, gap.width(), 3)), 0) << "dot sits above the base line";
    EXPECT_EQ(InkIn(p.Image, QRect(gap.left(), gap.top(), 4, gap.height())), 0) << "centred";
    EXPECT_EQ(InkIn(p.Image, QRect(gap.right() - 3, gap.top(), 4, gap.height())), 0) << "centred";
}

TEST(GraphicDrawing, HighDensityImagesKeepTheGeometry)
{
    TFontTextMetrics metrics;
    const TPicture one = Paint(QStringLiteral("1/2"), metrics);
    const TPicture two = Paint(QStringLiteral("1/2"), metrics, 2);
    EXPECT_EQ(two.Formula->Box(), one.Formula->Box());
    const int bar = (one.Formula->Left()->Y() + one.Formula->Left()->Height() + 2) * 2;
    EXPECT_TRUE(Dark(two.Image, one.Formula->X() * 2 + 4, bar));
    EXPECT_TRUE(Dark(two.Image, one.Formula->X() * 2 + 4, bar + 1));
    EXPECT_FALSE(Dark(two.Image, one.Formula->X() * 2 + 4, bar + 2));
}

TEST(GraphicDrawing, ClippedDrawingPaintsOnlyTheExposedPart)
{
    TFontTextMetrics metrics;
    QString chain = QStringLiteral("1");
    for (int i = 0; i < 400; ++i)
        chain += QStringLiteral("+x^2");
    auto formula = TGrafickyVyraz::Create(chain, 5, 5, 16);
    formula->Measure(metrics);
    ASSERT_GT(formula->Width(), 4000);
    // A window of the scroll area far to the right.
    const QRect exposed(3000, 0, 200, formula->Height() + 10);
    QImage image(formula->Width() + 10, formula->Height() + 10, QImage::Format_RGB32);
    image.fill(White);
    QPainter painter(&image);
    formula->Draw(painter, metrics, exposed);
    painter.end();
    EXPECT_GT(InkIn(image, exposed), 0);
    EXPECT_EQ(InkIn(image, QRect(0, 0, 2000, image.height())), 0);
}
