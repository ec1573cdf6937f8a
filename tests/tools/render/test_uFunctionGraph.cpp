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

// Deep in a horizontal zoom the numbers grow long; one that would run past
// the strip's right edge (or, centred with its pi sign, past the left one)
// is left out instead of being cut.
TEST_F(GraphPicture, HorizontalNumbersAreNeverCutAtTheStripsEdges)
{
    Graph->ScaleBackColor = QColor(0xF0, 0xF0, 0xF0);
    Graph->AddFunction("x");
    const auto ink = [this](int Column) {
        int n = 0;
        for (int y = 0; y < Horizontal.height(); ++y)
            n += Horizontal.pixel(Column, y) != qRgb(0xF0, 0xF0, 0xF0);
        return n;
    };
    int written = 0;
    for (bool goniometric : {false, true}) {
        Graph->SetGoniometric(goniometric);
        Graph->ResetView();
        Graph->Redraw();
        for (int zoom = 0; zoom < 22; ++zoom) {
            SCOPED_TRACE(testing::Message() << zoom << " zoom-ins" << (goniometric ? ", multiples of pi" : ""));
            Graph->ZoomIn(true, false);
            // Pan so that every column of the strip sees a number's end at
            // some point.
            for (int pan = 0; pan < 8; ++pan) {
                Graph->Move(13, 0);
                EXPECT_EQ(ink(Horizontal.width() - 1), 0);
                EXPECT_EQ(ink(0), 0);
            }
            for (int x = 0; x < Horizontal.width(); ++x)
                written += ink(x) > 0;
        }
    }
    EXPECT_GT(written, 1000) << "numbers are still written";
}

// Behind the numbers the strip's colour and in front of them the text
// colour, as the window takes both from its palette: a dark palette reads
// as well as the light one.
TEST_F(GraphPicture, ScaleNumbersStandOutInEveryPalette)
{
    // WCAG contrast of two colours.
    const auto contrast = [](QRgb A, QRgb B) {
        const auto luminance = [](QRgb C) {
            const auto channel = [](int V) {
                const double c = V / 255.0;
                return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
            };
            return 0.2126 * channel(qRed(C)) + 0.7152 * channel(qGreen(C)) + 0.0722 * channel(qBlue(C));
        };
        const double a = luminance(A), b = luminance(B);
        return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
    };
    const struct
    {
        QColor Back, Text;
    } palettes[] = {
        {QColor(0xF0, 0xF0, 0xF0), QColor(0, 0, 0)},          // light, the default
        {QColor(0x2A, 0x2A, 0x2A), QColor(0xE8, 0xE8, 0xE8)}, // dark
    };
    for (const auto &p : palettes) {
        SCOPED_TRACE(p.Back.name().toStdString());
        Graph->ScaleBackColor = p.Back;
        Graph->ScaleTextColor = p.Text;
        Graph->AddFunction("x");
        Graph->Redraw();
        for (const QImage *strip : {&Horizontal, &Vertical}) {
            EXPECT_EQ(strip->pixel(strip->width() - 1, strip->height() - 1), p.Back.rgb());
            double best = 1;
            for (int y = 0; y < strip->height(); ++y)
                for (int x = 0; x < strip->width(); ++x)
                    best = std::max(best, contrast(strip->pixel(x, y), p.Back.rgb()));
            EXPECT_GE(best, 7.0) << "the numbers' strongest pixels";
            EXPECT_GE(contrast(p.Text.rgb(), p.Back.rgb()), 7.0);
        }
        QImage bitmap;
        Graph->RenderExport(bitmap);
        EXPECT_EQ(bitmap.pixel(0, 0), p.Text.rgb()) << "the export's frame";
        EXPECT_EQ(bitmap.pixel(2, 2), p.Back.rgb());
    }
}

// On a screen of device pixel ratio 2 every pixel of the picture and the
// strips is drawn as 2 x 2 device pixels; the export keeps one pixel each.
TEST_F(GraphPicture, DrawnAtTheDevicePixelRatio)
{
    QImage sharpPicture = NewGraphCanvas(QSize(715, 313), 2);
    QImage sharpVertical = NewGraphCanvas(QSize(40, 313), 2);
    QImage sharpHorizontal = NewGraphCanvas(QSize(719, 21), 2);
    TFunctionGraph sharp(&sharpPicture, 715, 313, &sharpVertical, &sharpHorizontal);
    sharp.DevicePixelRatio = 2;
    sharp.ScaleBackColor = Graph->ScaleBackColor = QColor(0xF0, 0xF0, 0xF0);
    sharp.AddFunction("x");
    Graph->AddFunction("x");
    ASSERT_EQ(sharpPicture.devicePixelRatio(), 2);
    ASSERT_EQ(sharpPicture.size(), QSize(1430, 626));
    EXPECT_EQ(sharpPicture.deviceIndependentSize(), QSizeF(715, 313));

    // Axes, grid dots and the curve at the same pixels, each two device
    // pixels across.
    const int c0 = OriginColumn(), r0 = OriginRow();
    for (const QPoint &at : {QPoint(c0 + 200, r0), QPoint(c0, r0 + 100), QPoint(c0 + 40, r0 - 40)}) {
        const QRgb colour = Picture.pixel(at);
        for (int dx = 0; dx < 2; ++dx)
            for (int dy = 0; dy < 2; ++dy)
                EXPECT_EQ(sharpPicture.pixel(2 * at.x() + dx, 2 * at.y() + dy), colour) << at.x() << "," << at.y();
    }
    const QPoint dot(c0 - 120, r0 - 41 - (r0 - 41 + Graph->FirstGridLineY()) % 2);
    EXPECT_EQ(Picture.pixel(dot), Grey);
    EXPECT_EQ(sharpPicture.pixel(2 * dot.x() + 1, 2 * dot.y() + 1), Grey);
    // The numbers in finer detail: more device pixels carry ink.
    const auto inked = [](const QImage &Image) {
        int n = 0;
        for (int y = 0; y < Image.height(); ++y)
            for (int x = 0; x < Image.width(); ++x)
                n += qGray(Image.pixel(x, y)) < 128;
        return n;
    };
    EXPECT_GT(inked(sharpVertical), 3 * inked(Vertical));

    // A ratio of 1.5: pixels one and two device pixels across in turn.
    QImage oddPicture = NewGraphCanvas(QSize(715, 313), 1.5);
    TFunctionGraph odd(&oddPicture, 715, 313, nullptr, nullptr);
    odd.DevicePixelRatio = 1.5;
    odd.AddFunction("x");
    ASSERT_EQ(oddPicture.size(), QSize(1073, 470));
    const QPoint axis(c0 + 200, r0);
    const int top = int(std::floor(axis.y() * 1.5 + 0.5)), bottom = int(std::floor((axis.y() + 1) * 1.5 + 0.5));
    for (int y = top; y < bottom; ++y)
        EXPECT_EQ(oddPicture.pixel(int(axis.x() * 1.5), y), Black) << y;
    EXPECT_NE(oddPicture.pixel(int(axis.x() * 1.5), bottom), Black);
    EXPECT_NE(oddPicture.pixel(int(axis.x() * 1.5), top - 1), Black);
    const int dotColumn = int(std::floor(dot.x() * 1.5 + 0.5)), dotRow = int(std::floor(dot.y() * 1.5 + 0.5));
    EXPECT_EQ(oddPicture.pixel(dotColumn, dotRow), Grey);

    QImage bitmap;
    sharp.RenderExport(bitmap);
    EXPECT_EQ(bitmap.size(), QSize(764, 340));
    EXPECT_EQ(bitmap.devicePixelRatio(), 1);
    EXPECT_EQ(bitmap.pixel(48 + c0 + 50, 26 + r0 - 50), Red);
    EXPECT_EQ(bitmap.pixel(48 + c0 + 200, 26 + r0), Black);
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
