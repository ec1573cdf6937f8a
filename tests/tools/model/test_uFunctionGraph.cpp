// The graph model without canvases: which samples are evaluated (counted
// through the evaluator hook), the pole samples, the view operations and
// their limits, the labelling.
#include "tools/model/uFunctionGraph.h"

#include "core/Analyzator.h"
#include "core/uProgramState.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <ostream>
#include <random>

void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

constexpr Extended Pi = std::numbers::pi_v<Extended>;

int Calls = 0;

quint8 CountingEvaluator(const QString &Prepared, const QString &Name, Extended X, Extended &Y)
{
    ++Calls;
    return EvaluatePreparedAt(Prepared, Name, X, Y);
}

class GraphModel : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DecimalSeparator = u'.';
        KProgramState::GetInstance(0)->SetDefaults();
        Graph = std::make_unique<TFunctionGraph>(nullptr, 715, 313, nullptr, nullptr);
        Graph->Evaluator = &CountingEvaluator;
        Graph->Beep = [this] { ++Beeps; };
        Calls = 0;
    }
    void TearDown() override { DecimalSeparator = u'.'; }

    // Evaluations made by F.
    template <class F>
    int CallsOf(F f)
    {
        const int before = Calls;
        f();
        return Calls - before;
    }

    const TFunctionValueList &Samples(int Index = 0) const { return Graph->Function(Index)->Values; }

    // Every exact multiple of Step in the picture's columns has a sample.
    void ExpectMultiplesSampled(int Index, Extended Step) const
    {
        const Extended from = std::ceil(Graph->XAtPixel(0) / Step);
        const Extended to = std::floor(Graph->XAtPixel(Graph->View.Width) / Step);
        for (Extended k = from; k <= to; ++k)
            ASSERT_TRUE(Samples(Index).Contains(k * Step)) << "multiple " << double(k) << " of " << double(Step);
    }

    // The picture's columns are covered by samples no more than 5 pixels
    // apart.
    void ExpectNoGap(int Index) const
    {
        const TFunctionValueList &v = Samples(Index);
        const Extended s = Graph->View.ScaleX;
        const Extended left = Graph->XAtPixel(0), right = Graph->XAtPixel(Graph->View.Width - 5);
        const Extended slack = s / 1000;
        int i = v.LowerBound(left + slack);
        ASSERT_GT(i, 0) << "no sample at or left of column 0";
        for (; i < v.Count() && v.At(i - 1).X < right; ++i)
            ASSERT_LE(v.At(i).X - v.At(i - 1).X, 5 * s + slack) << "gap at x = " << double(v.At(i - 1).X);
        ASSERT_GE(v.LastX(), right - slack) << "no sample near the right edge";
    }

    std::unique_ptr<TFunctionGraph> Graph;
    int Beeps = 0;
};

TEST(GraphTrigonometry, RecognisedByFunctionNamesInAnyCase)
{
    struct Case
    {
        const char *Text;
        bool Trigonometric;
    } cases[] = {
        {"sin(x)", true},         {"SIN(x)", true},  {"tan(x)", true},        {"TAN(x)", true},    {"cotan(x)", true},
        {"tg(x)", true},          {"cotg(x)", true}, {"arcsin(x)", true},     {"2*cosh(x)", true}, {"sec(x)+1", true},
        {"csc(x)", true},         {"x*sin30", true}, {"x^2", false},          {"1/x", false},      {"cost*x", false},
        {"exp(x)+abs(x)", false}, {"$sin+x", false}, {"sqrt(abs(x))", false}, {"", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(IsTrigonometricExpression(QString::fromUtf8(c.Text)), c.Trigonometric) << c.Text;
}

TEST_F(GraphModel, RepaintPanAndZoomEvaluateOnlyWhatIsNew)
{
    // Columns 0, 5, ..., 715 and the value at 0 for the home position.
    EXPECT_EQ(CallsOf([&] { Graph->AddFunction("x^2"); }), 144 + 1);
    EXPECT_EQ(Samples().Count(), 144);
    // The drawing moves right: the stripe of columns 0..40 is new.
    EXPECT_EQ(CallsOf([&] { Graph->Move(40, 0); }), 8);
    EXPECT_EQ(CallsOf([&] { Graph->Move(0, 40); }), 0);
    EXPECT_EQ(CallsOf([&] { Graph->Move(0, -25); }), 0);
    // Back and 40 further: only the columns right of the stored ones.
    EXPECT_EQ(CallsOf([&] { Graph->Move(-80, 0); }), 8);
    EXPECT_EQ(CallsOf([&] { Graph->Move(40, 0); }), 0);
    // Zooms and resizes resample everything, once.
    EXPECT_EQ(CallsOf([&] { Graph->ZoomIn(true, true); }), 144);
    EXPECT_EQ(CallsOf([&] { Graph->ZoomOut(false, true); }), 144);
    EXPECT_EQ(CallsOf([&] { Graph->Resize(400, 200); }), 81);
    // A drag farther than the picture is wide resamples the picture only.
    EXPECT_EQ(CallsOf([&] { Graph->Move(5000, 0); }), 81);
    EXPECT_EQ(Beeps, 0);
    EXPECT_FALSE(Graph->Move(0, 0));
    EXPECT_EQ(Beeps, 1);
}

TEST_F(GraphModel, QuotientsAreSampledAtEveryWholeNumber)
{
    // x = -8 .. 8 besides the 144 columns; the value at 0 for home fails.
    EXPECT_EQ(CallsOf([&] { Graph->AddFunction("1/x"); }), 144 + 17 + 1);
    ExpectMultiplesSampled(0, 1);
    const TFunctionValueList &v = Samples();
    const TFunctionValue &zero = v.At(v.LowerBound(0));
    EXPECT_EQ(zero.X, 0);
    EXPECT_FALSE(zero.Defined);
    EXPECT_FALSE(Graph->View.Goniometric);
    EXPECT_EQ(Graph->View.OriginY, 313 * 0.025L / 2) << "home centres y = 0 when the value at 0 fails";
}

TEST_F(GraphModel, TangentsBreakAtEveryPole)
{
    for (const char *text : {"tan(x)", "TAN(x)", "cotan(x)"}) {
        SCOPED_TRACE(text);
        Graph->ClearFunctions();
        // Multiples of pi/2 from -5 to 5 besides the 144 columns.
        EXPECT_EQ(CallsOf([&] { Graph->AddFunction(text); }), 144 + 11 + 1);
        EXPECT_TRUE(Graph->Function(0)->Goniometric);
        EXPECT_TRUE(Graph->View.Goniometric);
        EXPECT_EQ(Graph->View.XLabelUnit, Pi);
        EXPECT_EQ(Graph->View.GridStepX, 0.5L);
        ExpectMultiplesSampled(0, Pi / 2);
        // The sample on each pole is undefined or far beyond the picture,
        // so the curve is broken there.
        const bool cotangent = QString(text) == "cotan(x)";
        for (int k = -5; k <= 5; ++k) {
            if ((k % 2 != 0) == cotangent)
                continue;
            const TFunctionValueList &v = Samples();
            const TFunctionValue &pole = v.At(v.LowerBound(k * Pi / 2));
            ASSERT_EQ(pole.X, k * Pi / 2);
            EXPECT_FALSE(Graph->Function(0)->IsVisible(Graph->View, pole)) << "pole " << k;
        }
    }
}

TEST_F(GraphModel, RadiansWhateverTheCalculatorsAngleUnit)
{
    KProgramState::GetInstance(0)->AngleMode = 0; // degrees
    Graph->AddFunction("sin(x)");
    EXPECT_NEAR(double(Graph->ValueAt(Pi / 2)), 1.0, 1e-12);
    EXPECT_EQ(KProgramState::GetInstance(0)->AngleMode, 0);
}

// Random pans in both directions, with a curve with poles: every multiple
// in view stays sampled, no gap opens, stored samples stay bounded and each
// pan evaluates no more than its stripe.
TEST_F(GraphModel, FiveHundredRandomPans)
{
    for (const char *text : {"tan(x)", "1/x"}) {
        SCOPED_TRACE(text);
        Graph->ClearFunctions();
        Graph->AddFunction(text);
        const Extended step = Graph->View.Goniometric ? Pi / 2 : Extended(1);
        std::mt19937 random(12);
        std::uniform_int_distribution<int> dx(-200, 200), dy(-60, 60);
        for (int pan = 0; pan < 500; ++pan) {
            const int x = dx(random), y = dy(random);
            const int calls = CallsOf([&] { Graph->Move(x, y); });
            const Extended stripe = std::abs(x) * Graph->View.ScaleX;
            ASSERT_LE(calls, std::abs(x) / 5 + 2 + int(stripe / step) + 2) << "pan " << pan;
            ExpectMultiplesSampled(0, step);
            ExpectNoGap(0);
            const int width = Graph->View.Width;
            ASSERT_LE(Samples().Count(), 3 * width / 5 + int(3 * width * Graph->View.ScaleX / step) + 10);
        }
    }
}

TEST_F(GraphModel, FarFromTheOriginAndDeepZoomsKeepWorking)
{
    // y = 1000 in the middle: the x axis lies about 40 000 pixels below.
    Graph->AddFunction("x+1000");
    EXPECT_LT(Graph->View.LevelOf(0), -39000);
    const TFunctionInGraph *f = Graph->Function(0);
    int visible = 0;
    for (int i = 0; i < f->Values.Count(); ++i)
        visible += f->IsVisible(Graph->View, f->Values.At(i));
    EXPECT_GE(visible, 143);
    // Panning 60 000 pixels away is not refused.
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(Graph->Move(200, 0));
    EXPECT_EQ(Beeps, 0);
    EXPECT_NEAR(double(Graph->XAtPixel(357.5L)), -1500.0, 1e-6);
    ExpectNoGap(0);

    Graph->ClearFunctions();
    Graph->ResetView();
    Graph->AddFunction("tan(x)");
    for (int i = 0; i < 10; ++i)
        Graph->ZoomIn(true, true);
    EXPECT_EQ(Beeps, 0);
    EXPECT_EQ(Graph->View.ScaleX, 0.025L / 1024);
    ExpectMultiplesSampled(0, Pi / 2);
    ExpectNoGap(0);
    visible = 0;
    for (int i = 0; i < Samples().Count(); ++i)
        visible += Graph->Function(0)->IsVisible(Graph->View, Samples().At(i));
    EXPECT_GE(visible, 143);
}

TEST_F(GraphModel, ZoomLimits)
{
    Graph->AddFunction("x^2");
    // Below the smallest scale: that axis beeps, the other one zooms, and
    // the picture is redrawn.
    Graph->View.ScaleX = std::ldexp(1.0L, -27);
    EXPECT_EQ(CallsOf([&] { Graph->ZoomIn(true, true); }), 144);
    EXPECT_EQ(Beeps, 1);
    EXPECT_EQ(Graph->View.ScaleX, std::ldexp(1.0L, -27));
    EXPECT_EQ(Graph->View.ScaleY, 0.0125L);
    // Above 1 unit per pixel nothing zooms out: a beep, no redraw.
    Graph->View.ScaleX = Graph->View.ScaleY = 1.6L;
    const Extended originX = Graph->View.OriginX;
    EXPECT_EQ(CallsOf([&] { Graph->ZoomOut(true, true); }), 0);
    EXPECT_EQ(Beeps, 2);
    EXPECT_EQ(Graph->View.ScaleX, 1.6L);
    EXPECT_EQ(Graph->View.OriginX, originX);
    // 1.0 still zooms out to 2, the largest scale.
    Graph->View.ScaleX = 1.0L;
    Graph->ZoomOut(true, false);
    EXPECT_EQ(Graph->View.ScaleX, 2.0L);
}

TEST_F(GraphModel, ZoomKeepsTheMiddleAndAdaptsTheGrid)
{
    Graph->AddFunction("x^2");
    Graph->SetOriginX(3);
    Graph->SetOriginY(-2);
    const auto middle = [&] { return std::pair(double(Graph->XAtPixel(357.5L)), double(Graph->YAtPixel(156.5L))); };
    const auto before = middle();
    Graph->ZoomOut(true, true); // 0.05: 20 pixels a line, the grid stays
    EXPECT_EQ(Graph->View.GridStepX, 1);
    Graph->ZoomOut(true, true); // 0.1: 10 pixels, the grid coarsens
    EXPECT_EQ(Graph->View.GridStepX, 2);
    EXPECT_EQ(Graph->View.GridStepY, 2);
    for (int i = 0; i < 6; ++i)
        Graph->ZoomIn(true, true);
    EXPECT_EQ(Graph->View.ScaleX, 0.1L / 64);
    EXPECT_LE(Graph->View.GridStepX / Graph->View.ScaleX, 160);
    EXPECT_NEAR(middle().first, before.first, 1e-12);
    EXPECT_NEAR(middle().second, before.second, 1e-12);
    Graph->Resize(300, 500);
    EXPECT_NEAR(double(Graph->XAtPixel(150)), before.first, 1e-12);
    EXPECT_NEAR(double(Graph->YAtPixel(250)), before.second, 1e-12);
}

TEST_F(GraphModel, GridStepsAndTheGoniometricSwitch)
{
    Graph->AddFunction("x^2");
    EXPECT_EQ(CallsOf([&] { Graph->GridZoomIn(true, true); }), 144); // 40 -> 20 pixels
    EXPECT_EQ(Graph->View.GridStepX, 0.5L);
    EXPECT_EQ(Graph->View.GridStepY, 0.5L);
    EXPECT_EQ(CallsOf([&] { Graph->GridZoomIn(true, false); }), 0); // 10 pixels: refused
    EXPECT_EQ(Beeps, 1);
    Graph->GridZoomOut(false, true);
    EXPECT_EQ(Graph->View.GridStepY, 1);
    // Coarsened while one line spacing still fits the picture.
    for (int i = 0; i < 20; ++i)
        Graph->GridZoomOut(false, true);
    EXPECT_EQ(Graph->View.GridStepY, 8); // 320 pixels: more than the picture's 313
    EXPECT_GT(Beeps, 1);

    Graph->SetGoniometric(true);
    EXPECT_EQ(Graph->View.XLabelUnit, Pi);
    EXPECT_EQ(Graph->View.GridStepX, 0.25L);
    EXPECT_EQ(CallsOf([&] { Graph->SetGoniometric(true); }), 0);
    Graph->SetGoniometric(false);
    EXPECT_EQ(Graph->View.XLabelUnit, 1);
    EXPECT_EQ(Graph->View.GridStepX, 0.5L);
}

TEST_F(GraphModel, SameExpressionOnceAndThePaletteWraps)
{
    Graph->AddFunction("x^2");
    EXPECT_EQ(CallsOf([&] { Graph->AddFunction(" X ^ 2 "); }), 0);
    EXPECT_EQ(Graph->FunctionCount(), 1);
    for (const char *text : {"x", "x^3", "2*x", "x-1", "x+1"})
        Graph->AddFunction(text);
    ASSERT_EQ(Graph->FunctionCount(), 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Graph->Function(i)->Color, GraphPalette[i % 5]);
    EXPECT_EQ(Graph->Function(5)->Color, QColor(255, 0, 0));
    EXPECT_EQ(Graph->ValueAt(3), 9) << "the value under the mouse is the first function's";
    Graph->ClearFunctions();
    EXPECT_EQ(Graph->FunctionCount(), 0);
    EXPECT_EQ(Graph->ValueAt(3), 0);
    Extended y = 0;
    EXPECT_FALSE(Graph->TryValueAt(3, y));
}

// The window's hand-over: reset, add, redraw.
TEST_F(GraphModel, RepeatedHandOverKeepsMultiplesOfPi)
{
    const auto handOver = [&](const char *text) {
        Graph->ResetView();
        Graph->AddFunction(text);
        Graph->Redraw();
    };
    const QRect picture(0, 0, 715, 313);
    handOver("sin(x)");
    handOver("sin(x)");
    EXPECT_TRUE(Graph->View.Goniometric);
    EXPECT_EQ(Graph->View.XLabelUnit, Pi);
    QStringList texts;
    for (const TScaleLabel &label : Graph->HorizontalScaleLabels(picture)) {
        EXPECT_TRUE(label.Pi);
        texts << label.Text;
    }
    EXPECT_EQ(texts.join(' '), "-2.5 -2 -1.5 -1 -0.5 0 0.5 1 1.5 2 2.5");

    // The last curve added decides; a repeat of an older one follows it.
    handOver("x^2");
    handOver("sin(x)");
    EXPECT_FALSE(Graph->View.Goniometric);
    texts.clear();
    for (const TScaleLabel &label : Graph->HorizontalScaleLabels(picture)) {
        EXPECT_FALSE(label.Pi);
        texts << label.Text;
    }
    EXPECT_EQ(texts.join(' '), "-8 -7 -6 -5 -4 -3 -2 -1 0 1 2 3 4 5 6 7 8");
    texts.clear();
    // The repeat centres y = 0 (home follows only a new curve).
    for (const TScaleLabel &label : Graph->VerticalScaleLabels(picture))
        texts << label.Text;
    EXPECT_EQ(texts.join(' '), "-3 -2 -1 0 1 2 3");
}

TEST_F(GraphModel, ScaleLabelsSitOnTheGridLines)
{
    Graph->AddFunction("x");
    Graph->SetOriginX(0.3L);
    Graph->SetOriginY(-100.2L);
    const QRect picture(0, 0, 715, 313);
    const QList<TScaleLabel> x = Graph->HorizontalScaleLabels(picture);
    ASSERT_FALSE(x.isEmpty());
    EXPECT_EQ(x.first().Text, "-8");
    for (const TScaleLabel &label : x) {
        EXPECT_GE(label.Pixel, 0);
        EXPECT_LE(label.Pixel, 714);
        EXPECT_NEAR(double(Graph->XAtPixel(label.Pixel)), label.Text.toDouble(), 0.0125 + 1e-9);
    }
    const QList<TScaleLabel> y = Graph->VerticalScaleLabels(picture);
    ASSERT_FALSE(y.isEmpty());
    EXPECT_EQ(y.first().Text, "-104");
    for (const TScaleLabel &label : y)
        EXPECT_NEAR(double(Graph->YAtPixel(Graph->FlipY(label.Pixel))), label.Text.toDouble(), 0.0125 + 1e-9);
    EXPECT_LE(Graph->FirstGridLineX(), 0);
    EXPECT_GT(Graph->FirstGridLineX(), -40);
    EXPECT_LE(Graph->FirstGridLineY(), 0);
    EXPECT_GT(Graph->FirstGridLineY(), -40);
}

TEST_F(GraphModel, CommaAsDecimalSeparator)
{
    DecimalSeparator = u',';
    Graph->AddFunction("x*0,5+x^2");
    const TFunctionValueList &v = Samples();
    ASSERT_EQ(v.Count(), 144);
    for (int i = 0; i < v.Count(); ++i)
        ASSERT_TRUE(v.At(i).Defined) << "x = " << double(v.At(i).X);
    EXPECT_NEAR(double(Graph->ValueAt(1.5L)), 3.0, 1e-12);
}

TEST_F(GraphModel, AnEscapedExceptionMakesOneSampleUndefined)
{
    // 0 to a negative whole power raises inside the evaluator.
    EXPECT_EQ(CallsOf([&] { Graph->AddFunction("0^x/2"); }), 144 + 17 + 1);
    const TFunctionValueList &v = Samples();
    for (int k = -8; k <= 8; ++k) {
        const TFunctionValue &s = v.At(v.LowerBound(k));
        ASSERT_EQ(s.X, k);
        EXPECT_EQ(s.Defined, k >= 0) << k;
    }
    EXPECT_TRUE(v.At(v.Count() - 1).Defined);
}

} // namespace
