#include "tools/model/uFunctionInGraph.h"

#include "core/Analyzator.h"
#include "core/uCommon.h"
#include "core/uProgramState.h"

#include <QPainter>
#include <QPen>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr qint32 SampleSpacing = 5;

// Rows of the band around the picture within which a sample still counts
// as a point of the curve (above: Height + 30000, below: Height - 32700).
constexpr qint32 BandAbove = 30000;
constexpr qint32 BandBelow = 32700;

// The axis is laid out in multiples of pi, so the graph always evaluates in
// radians; the calculator's own unit is restored afterwards.
class TRadiansWhileSampling
{
public:
    TRadiansWhileSampling() : State(KProgramState::GetInstance(0)), Saved(State->AngleMode) { State->AngleMode = 1; }
    ~TRadiansWhileSampling() { State->AngleMode = Saved; }
    TRadiansWhileSampling(const TRadiansWhileSampling &) = delete;
    TRadiansWhileSampling &operator=(const TRadiansWhileSampling &) = delete;

private:
    KProgramState *State;
    quint8 Saved;
};

bool IsTrigonometricName(const QString &Name)
{
    static const char16_t *const Parts[] = {u"sin", u"cos", u"tan", u"tg", u"cot", u"sec", u"csc"};
    if (FunctionNames().IndexOf(Name) < 0)
        return false;
    return std::any_of(std::begin(Parts), std::end(Parts),
                       [&](const char16_t *P) { return Name.contains(QStringView(P)); });
}

bool IsAsciiLetterChar(QChar C)
{
    return (C >= u'a' && C <= u'z') || (C >= u'A' && C <= u'Z');
}

bool IsAsciiDigitChar(QChar C)
{
    return C >= u'0' && C <= u'9';
}

struct TVisibleBounds
{
    Extended XMin, XMax, YLow, YHigh;

    explicit TVisibleBounds(const TGraphState &View)
        : XMin(View.XAtPixel(-SampleSpacing)), XMax(View.XAtPixel(View.Width + SampleSpacing)),
          YLow(View.YAtPixel(Extended(View.Height) - BandBelow)),
          YHigh(View.YAtPixel(Extended(View.Height) + BandAbove))
    {}

    bool Contains(const TFunctionValue &V) const
    {
        return V.Defined && XMin < V.X && V.X < XMax && YLow < V.Y && V.Y < YHigh;
    }
};

} // namespace

bool IsTrigonometricExpression(const QString &Text)
{
    const qsizetype n = Text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = Text.at(i);
        if (!IsAsciiLetterChar(c) && c != u'$') {
            ++i;
            continue;
        }
        // A name: "$" or a letter, then letters and digits.
        const qsizetype start = i;
        ++i;
        while (i < n && (IsAsciiLetterChar(Text.at(i)) || IsAsciiDigitChar(Text.at(i))))
            ++i;
        if (c == u'$')
            continue; // a user constant
        QString name = Text.mid(start, i - start).toLower();
        // "sin30" is the sine of 30, as the evaluator reads it.
        qsizetype end = name.size();
        while (end > 0 && IsAsciiDigitChar(name.at(end - 1)))
            --end;
        name.truncate(end);
        if (IsTrigonometricName(name))
            return true;
    }
    return false;
}

TFunctionInGraph::TFunctionInGraph() : Evaluator(&EvaluatePreparedAt) {}

void TFunctionInGraph::SetExpression(const QString &Text)
{
    Expression = Text;
    Goniometric = IsTrigonometricExpression(Text);
}

void TFunctionInGraph::NormalizeExpression(QChar Var)
{
    Variable = QString(Var);
    PrepareExpression(Expression, Variable);
}

bool TFunctionInGraph::ValueAt(Extended X, Extended &Y) const
{
    TRadiansWhileSampling radians;
    Extended value = 0;
    if (Evaluator(Expression, Variable, X, value) != 0)
        return false;
    Y = value;
    return true;
}

TFunctionValue TFunctionInGraph::Sample(Extended X) const
{
    Extended y = 0;
    const bool defined = Evaluator(Expression, Variable, X, y) == 0;
    return TFunctionValue{X, defined ? y : 0, defined};
}

bool TFunctionInGraph::NeedsExactMultiples() const
{
    return Goniometric || Expression.contains(u'/');
}

void TFunctionInGraph::ComputeValues(const TGraphState &View, qint32 PxFrom, qint32 PxTo, bool ClearCache)
{
    TRadiansWhileSampling radians;
    if (ClearCache)
        Values.Clear();
    else
        Values.KeepRange(View.XAtPixel(-Extended(View.Width)), View.XAtPixel(2 * Extended(View.Width)));

    // The range the kept samples cover (every 5 pixels and every exact
    // multiple within it are known); with none kept, an empty range. A
    // column whose x lies within a small fraction of a pixel of the range
    // counts as covered: the same column seen after a pan differs from the
    // stored x by rounding only.
    Extended a, b;
    if (Values.IsEmpty()) {
        a = View.XAtPixel(Extended(PxTo) + 10);
        b = View.XAtPixel(Extended(PxFrom) - 10);
    } else {
        const Extended slack = View.ScaleX / 1024;
        a = Values.FirstX() - slack;
        b = Values.LastX() + slack;
    }

    // First pass: every 5 pixels, skipping what the kept range covers.
    qint32 px = PxFrom;
    Extended x = View.XAtPixel(px);
    if (x >= a) {
        while (x <= b && px <= PxTo) {
            px += SampleSpacing;
            x = View.XAtPixel(px);
        }
    }
    // New samples are gathered and merged into the stored ones at the end.
    std::vector<TFunctionValue> added;
    while (px <= PxTo && (x < a || x > b)) {
        added.push_back(Sample(x));
        px += SampleSpacing;
        x = View.XAtPixel(px);
    }
    const size_t firstPass = added.size();

    // Second pass: every exact multiple of the step inside the columns.
    if (NeedsExactMultiples())
        AddExactMultiples(View, PxFrom, PxTo, added, firstPass);
    Values.Merge(std::move(added));
}

void TFunctionInGraph::AddExactMultiples(const TGraphState &View, qint32 PxFrom, qint32 PxTo,
                                         std::vector<TFunctionValue> &Added, size_t FirstPass) const
{
    const Extended step = View.Goniometric ? std::numbers::pi_v<Extended> / 2 : Extended(1);
    const Extended kFrom = std::ceil(View.XAtPixel(PxFrom) / step);
    const Extended kTo = std::floor(View.XAtPixel(PxTo) / step);
    if (!std::isfinite(kFrom) || !std::isfinite(kTo) || kTo < kFrom)
        return;
    // At most two multiples fall on a pixel (the largest scale is 2 units
    // per pixel, the smallest step 1); the cap only guards against a view
    // whose numbers have lost all precision.
    const Extended cap = 4 * (Extended(PxTo) - PxFrom + 1) + 4;
    const qint64 count = qint64(std::min(kTo - kFrom + 1, cap));
    // The first pass's samples are in ascending X (and stay in place: the
    // room for the multiples is reserved).
    Added.reserve(FirstPass + size_t(count));
    const auto firstBegin = Added.begin(), firstEnd = Added.begin() + qsizetype(FirstPass);
    for (qint64 i = 0; i < count; ++i) {
        const Extended multiple = (kFrom + Extended(i)) * step;
        const auto at = std::lower_bound(firstBegin, firstEnd, multiple,
                                         [](const TFunctionValue &V, Extended X) { return V.X < X; });
        if (Values.Contains(multiple) || (at != firstEnd && at->X == multiple))
            continue;
        Added.push_back(Sample(multiple));
    }
}

bool TFunctionInGraph::IsVisible(const TGraphState &View, const TFunctionValue &V) const
{
    return TVisibleBounds(View).Contains(V);
}

qint32 TFunctionInGraph::PixelX(const TGraphState &View, Extended X) const
{
    return ClampPixel(View.ColumnOf(X));
}

qint32 TFunctionInGraph::PixelY(const TGraphState &View, Extended Y) const
{
    return View.FlipY(ClampPixel(View.LevelOf(Y)));
}

void TFunctionInGraph::Draw(const TGraphState &View, QPainter &Canvas) const
{
    const TVisibleBounds bounds(View);
    // One pixel wide. At a device pixel ratio above 1 the line runs through
    // the pixels' centres, so that it covers the device pixels of the very
    // pixels it covers at ratio 1.
    Canvas.setPen(QPen(Color, 1));
    const qreal centre = Canvas.device()->devicePixelRatio() > 1 ? 0.5 : 0;
    Canvas.translate(centre, centre);
    QPolygon run;
    const auto flush = [&] {
        if (run.size() >= 2)
            Canvas.drawPolyline(run);
        run.clear();
    };
    for (int i = Values.LowerBound(bounds.XMin); i < Values.Count(); ++i) {
        const TFunctionValue &v = Values.At(i);
        if (v.X >= bounds.XMax)
            break;
        if (bounds.Contains(v))
            run.append(QPoint(PixelX(View, v.X), PixelY(View, v.Y)));
        else
            flush();
    }
    flush();
    Canvas.translate(-centre, -centre);
}
