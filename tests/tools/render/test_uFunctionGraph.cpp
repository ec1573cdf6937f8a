// The graph painted into images: curves at known pixels, poles broken, the
// dotted grid, axes, the scale numbers and the exported bitmap.
#include "tools/model/uFunctionGraph.h"

#include "core/uProgramState.h"
#include "tests/support/TempProgramDir.h"

#include <QFontMetrics>
#include <QImageReader>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

namespace {

constexpr Extended Pi = std::numbers::pi_v<Extended>;
const QRgb Red = qRgb(255, 0, 0);
const QRgb Black = qRgb(0, 0, 0);
const QRgb Grey = qRgb(0x80, 0x80, 0x80);

class GraphPicture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DecimalSeparator = u'.';
        KProgramState::GetInstance(0)->SetDefaults();
        Picture = QImage(715, 313, QImage::Format_RGB32);
        Vertical = QImage(40, 313, QImage::Format_RGB32);
        Horizontal = QImage(719, 21, QImage::Format_RGB32);
        Graph = std::make_unique<TFunctionGraph>(&Picture, 715, 313, &Vertical, &Horizontal);
    }

    // The pixel of world (0, 0), wherever it lies.
    int OriginColumn() const { return ClampPixel(Graph->View.ColumnOf(0)); }
    int OriginRow() const { return Graph->FlipY(ClampPixel(Graph->View.LevelOf(0))); }

    // A curve drawn as chords between samples 5 pixels apart passes
    // within a row of the exact point.
    bool RedNear(int Column, int Row) const
    {
        for (int r = Row - 1; r <= Row + 1; ++r)
            if (r >= 0 && r < Picture.height() && Picture.pixel(Column, r) == Red)
                return true;
        return false;
    }

    int CountInColumns(const QImage &Image, int From, int To, QRgb Colour) const
    {
        int n = 0;
        for (int x = qMax(0, From); x <= qMin(Image.width() - 1, To); ++x)
            for (int y = 0; y < Image.height(); ++y)
                n += Image.pixel(x, y) == Colour;
        return n;
    }

    QImage Picture, Vertical, Horizontal;
    std::unique_ptr<TFunctionGraph> Graph;
};

TEST_F(GraphPicture, StraightLineThroughTheOriginPixel)
{
    Graph->AddFunction("x");
    const int c0 = OriginColumn(), r0 = OriginRow();
    ASSERT_GE(c0, 350);
    ASSERT_LE(c0, 365);
    EXPECT_EQ(Picture.pixel(c0, r0), Red);
    // Equal scales: the line climbs one row per column.
    for (int dc : {-150, -100, -37, -5, 3, 40, 101, 150})
        EXPECT_EQ(Picture.pixel(c0 + dc, r0 - dc), Red) << dc;
    // The axes away from the curve.
    EXPECT_EQ(Picture.pixel(c0 + 200, r0), Black);
    EXPECT_EQ(Picture.pixel(c0 - 200, r0), Black);
    EXPECT_EQ(Picture.pixel(c0, r0 + 100), Black);
    EXPECT_EQ(Picture.pixel(c0, r0 - 100), Black);
}

TEST_F(GraphPicture, ParabolaAtKnownPixels)
{
    Graph->AddFunction("x^2");
    const int c0 = OriginColumn(), r0 = OriginRow();
    EXPECT_TRUE(RedNear(c0, r0));
    EXPECT_TRUE(RedNear(c0 + 40, r0 - 40)); // (1, 1)
    EXPECT_TRUE(RedNear(c0 - 40, r0 - 40)); // (-1, 1)
    EXPECT_TRUE(RedNear(c0 + 60, r0 - 90)); // (1.5, 2.25)
    EXPECT_FALSE(RedNear(c0 + 40, r0 + 40));
    EXPECT_FALSE(RedNear(c0 + 100, r0 - 100)); // (2.5, 2.5) lies below the curve
    // A second curve in the second colour, through the other half-pixel.
    Graph->AddFunction("-x");
    const int c1 = OriginColumn(), r1 = OriginRow();
    EXPECT_EQ(Picture.pixel(c1 + 100, r1 + 101), qRgb(0, 0x80, 0));
    EXPECT_EQ(Picture.pixel(c1 - 100, r1 - 99), qRgb(0, 0x80, 0));
}

TEST_F(GraphPicture, PolesOfTheTangentAreNotBridged)
{
    Graph->AddFunction("tan(x)");
    const auto expectPolesBroken = [&] {
        for (int k = -41; k <= 41; k += 2) {
            const int column = ClampPixel(Graph->View.ColumnOf(k * Pi / 2));
            if (column < 3 || column > 711)
                continue;
            EXPECT_LT(CountInColumns(Picture, column - 2, column + 2, Red), 20) << "pole at " << k << " pi/2";
        }
    };
    expectPolesBroken();
    EXPECT_GT(CountInColumns(Picture, 0, 714, Red), 500) << "the branches are drawn";
    // Panning the left half of the axis into view, stripe by stripe.
    for (int i = 0; i < 10; ++i)
        Graph->Move(40, 0);
    expectPolesBroken();
    for (int i = 0; i < 25; ++i)
        Graph->Move(-37, 0);
    expectPolesBroken();
}

TEST_F(GraphPicture, DottedGridFollowsThePan)
{
    Graph->AddFunction("x^2");
    const auto expectDottedColumn = [&](int column) {
        int dots = 0;
        for (int y = 0; y < 313; ++y) {
            const bool dot = Picture.pixel(column, y) == Grey;
            dots += dot;
            if (dot && y > 0) {
                ASSERT_NE(Picture.pixel(column, y - 1), Grey) << "dots, not a line, at row " << y;
            }
        }
        EXPECT_GE(dots, 140) << "column " << column;
    };
    const int c0 = OriginColumn();
    expectDottedColumn(c0 + 40);
    expectDottedColumn(c0 - 120);
    // Between two vertical lines only the dots of the 8 horizontal ones.
    EXPECT_LE(CountInColumns(Picture, c0 + 20, c0 + 20, Grey), 8);
    Graph->Move(13, 0);
    expectDottedColumn(c0 + 53);
    EXPECT_LE(CountInColumns(Picture, c0 + 40, c0 + 40, Grey), 8);
}

TEST_F(GraphPicture, AxesFarAwayAndCurveInTheMiddle)
{
    Graph->AddFunction("x+1000");
    // y = 1000 in the middle row; the x axis is 40 000 rows away.
    EXPECT_TRUE(RedNear(OriginColumn(), 156));
    for (int y = 0; y < 313; ++y)
        ASSERT_NE(Picture.pixel(20, y), Black) << "no x axis inside the picture";
    // The scale numbers still start at the first grid line inside.
    const QList<TScaleLabel> y = Graph->VerticalScaleLabels(QRect(0, 0, 715, 313));
    ASSERT_FALSE(y.isEmpty());
    EXPECT_EQ(y.first().Text, "997");
    EXPECT_EQ(y.last().Text, "1003");
}

// Zoomed in, grid values such as 0.0146484375 are far wider than the strip;
// right-aligned they would lose their leading digits and read as other
// numbers. They are written shorter instead, each still within half a grid
// step of its line, and never cut at the strip's left edge.
TEST_F(GraphPicture, VerticalNumbersFitTheStripWhenZoomedIn)
{
    const struct
    {
        int ZoomIns;
        Extended Middle;   // y in the middle row
        bool Fits;         // short enough for the strip's font
        const char *Shown; // the numbers from the bottom up, when known
    } cases[] = {
        {0, 0, true, "-3 -2 -1 0 1 2 3"},
        {0, 1000, true, "997 998 999 1000 1001 1002 1003"},
        {6, 0, true, nullptr},
        {10, 0, true, nullptr},
        {20, 0, true, nullptr},
        {6, 10, true, nullptr},
        {10, 1000, false, nullptr},
    };
    const QRect picture(0, 0, 715, 313);
    const QFontMetrics metrics(Graph->ScaleFont);
    Graph->AddFunction("x");
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.ZoomIns << " zoom-ins around y = " << double(c.Middle));
        Graph->ResetView();
        Graph->SetOriginY(c.Middle);
        Graph->Redraw();
        for (int i = 0; i < c.ZoomIns; ++i)
            Graph->ZoomIn(true, true);
        // Lines 40 pixels apart, as the grid's "+" makes them.
        while (Graph->View.GridStepY / Graph->View.ScaleY > 40)
            Graph->GridZoomIn(false, true);
        const QList<TScaleLabel> exact = Graph->VerticalScaleLabels(picture);
        QList<TScaleLabel> shown = exact;
        Graph->ShortenVerticalScaleLabels(shown);
        ASSERT_EQ(shown.size(), exact.size());
        ASSERT_GE(shown.size(), 7);
        QStringList texts;
        for (qsizetype i = 0; i < shown.size(); ++i) {
            texts << shown[i].Text;
            const Extended value = exact[i].Line * Graph->View.GridStepY;
            EXPECT_LT(std::fabs(StrToFloat(shown[i].Text) - value), Graph->View.GridStepY / 2)
                << shown[i].Text.toStdString();
            if (i > 0) {
                EXPECT_NE(shown[i].Text, shown[i - 1].Text);
            }
            if (c.Fits) {
                EXPECT_LE(metrics.horizontalAdvance(shown[i].Text), 34) << shown[i].Text.toStdString();
            }
        }
        if (c.Shown) {
            EXPECT_EQ(texts.join(' ').toStdString(), c.Shown);
        }
        if (c.Fits) {
            for (int y = 0; y < Vertical.height(); ++y)
                ASSERT_GE(qGray(Vertical.pixel(0, y)), 128) << "a number cut at the left edge, row " << y;
        }
        int ink = 0;
        for (int x = 0; x < 40; ++x)
            for (int y = 0; y < 313; ++y)
                ink += qGray(Vertical.pixel(x, y)) < 128;
        EXPECT_GT(ink, 10 * shown.size());
    }
}

TEST_F(GraphPicture, PiSignFollowsTheGoniometricNumbers)
{
    // Dark pixels of the strip around the label of x = 0.
    const auto labelWidth = [&] {
        const int c = OriginColumn();
        int left = 10000, right = -1;
        for (int x = c - 20; x < c + 25; ++x)
            for (int y = 0; y < 21; ++y)
                if (qGray(Horizontal.pixel(x, y)) < 128) {
                    left = qMin(left, x);
                    right = qMax(right, x);
                }
        return right - left;
    };
    Graph->AddFunction("x");
    const int plain = labelWidth();
    Graph->SetGoniometric(true);
    const int goniometric = labelWidth();
    EXPECT_GT(plain, 0);
    EXPECT_GT(goniometric, plain + 4) << "\"0\" followed by the pi sign";
    int darkVertical = 0;
    for (int x = 0; x < 40; ++x)
        for (int y = 0; y < 313; ++y)
            darkVertical += qGray(Vertical.pixel(x, y)) < 128;
    EXPECT_GT(darkVertical, 20);
}

// Zoomed out, grid lines 20 pixels apart would crowd numbers such as
// "-72" into one another; every n-th line is numbered instead, 0 included.
TEST_F(GraphPicture, ScaleNumbersNeverRunTogether)
{
    Graph->AddFunction("x");
    const QRect picture(0, 0, 715, 313);
    for (bool goniometric : {false, true}) {
        SCOPED_TRACE(goniometric ? "multiples of pi" : "plain numbers");
        EXPECT_EQ(Graph->HorizontalLabelStride(Graph->HorizontalScaleLabels(picture)), 1);
        for (int i = 0; i < 3; ++i)
            Graph->ZoomOut(true, false);
        // 0.2 units a pixel: lines at every 4, or at every 2 pi.
        Graph->SetGoniometric(goniometric);
        const QList<TScaleLabel> labels = Graph->HorizontalScaleLabels(picture);
        const Extended stride = Graph->HorizontalLabelStride(labels);
        EXPECT_GT(stride, 1);
        int previousRight = -1000, written = 0;
        bool zero = false;
        for (const TScaleLabel &label : labels) {
            if (std::fmod(label.Line, stride) != 0)
                continue;
            const int width = Graph->ScaleLabelWidth(label);
            const int left = label.Pi ? label.Pixel - width / 2 : label.Pixel;
            EXPECT_GE(left, previousRight + 2) << label.Text.toStdString();
            previousRight = left + width;
            zero = zero || label.Line == 0;
            ++written;
        }
        EXPECT_TRUE(zero);
        EXPECT_GE(written, 5);
        Graph->SetGoniometric(false);
        Graph->ResetView();
        Graph->Redraw();
    }
}

TEST_F(GraphPicture, ExportComposesTheThreeCanvases)
{
    Graph->ScaleBackColor = QColor(0xF0, 0xF0, 0xF0);
    Graph->AddFunction("x");
    QImage bitmap;
    Graph->RenderExport(bitmap);
    ASSERT_EQ(bitmap.size(), QSize(764, 340));
    EXPECT_EQ(bitmap.pixel(0, 0), Black);
    EXPECT_EQ(bitmap.pixel(763, 339), Black);
    EXPECT_EQ(bitmap.pixel(2, 2), qRgb(0xF0, 0xF0, 0xF0));
    // The picture at (48, 26), the strips above and left of it.
    const int c0 = OriginColumn(), r0 = OriginRow();
    EXPECT_EQ(bitmap.pixel(48 + c0, 26 + r0), Red);
    EXPECT_EQ(bitmap.pixel(48 + c0 + 50, 26 + r0 - 50), Red);
    EXPECT_EQ(bitmap.copy(48, 26, 715, 313), Picture);
    EXPECT_EQ(bitmap.copy(44, 5, 719, 21), Horizontal);
    EXPECT_EQ(bitmap.copy(8, 26, 40, 313), Vertical);
    int cornerText = 0;
    for (int x = 6; x < 40; ++x)
        for (int y = 7; y < 22; ++y)
            cornerText += qGray(bitmap.pixel(x, y)) < 128;
    EXPECT_GT(cornerText, 10) << "the corner reads y \\ x";

    TempProgramDir dir;
    QString error;
    ASSERT_TRUE(Graph->SaveToFile(dir.file("graph.bmp"), error)) << error.toStdString();
    QImageReader reader(dir.file("graph.bmp"));
    EXPECT_EQ(reader.format(), "bmp");
    const QImage saved = reader.read();
    ASSERT_EQ(saved.size(), QSize(764, 340));
    EXPECT_EQ(saved.pixel(48 + c0, 26 + r0), Red);

    EXPECT_FALSE(Graph->SaveToFile(dir.file("no such folder/graph.bmp"), error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
