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
    TRadiansWhileSampling() : m_state(KProgramState::GetInstance(0)), m_saved(m_state->AngleMode)
    {
        m_state->AngleMode = 1;
    }
    ~TRadiansWhileSampling() { m_state->AngleMode = m_saved; }
    TRadiansWhileSampling(const TRadiansWhileSampling &) = delete;
    TRadiansWhileSampling &operator=(const TRadiansWhileSampling &) = delete;

private:
    KProgramState *m_state;
    quint8 m_saved;
};

bool IsTrigonometricName(const QString &name)
{
    static const char16_t *const parts[] = {u"sin", u"cos", u"tan", u"tg", u"cot", u"sec", u"csc"};
    if (FunctionNames().IndexOf(name) < 0)
        return false;
    return std::any_of(std::begin(parts), std::end(parts),
                       [&](const char16_t *p) { return name.contains(QStringView(p)); });
}

bool IsAsciiLetterChar(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool IsAsciiDigitChar(QChar c)
{
    return c >= u'0' && c <= u'9';
}

struct TVisibleBounds
{
    Extended XMin, XMax, YLow, YHigh;

    explicit TVisibleBounds(const TGraphState &view)
        : XMin(view.XAtPixel(-SampleSpacing)), XMax(view.XAtPixel(view.Width + SampleSpacing)),
          YLow(view.YAtPixel(Extended(view.Height) - BandBelow)),
          YHigh(view.YAtPixel(Extended(view.Height) + BandAbove))
    {}

    bool Contains(const TFunctionValue &v) const
    {
        return v.Defined && XMin < v.X && v.X < XMax && YLow < v.Y && v.Y < YHigh;
    }
};

} // namespace

bool IsTrigonometricExpression(const QString &text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text.at(i);
        if (!IsAsciiLetterChar(c) && c != u'$') {
            ++i;
            continue;
        }
        // A name: "$" or a letter, then letters and digits.
        const qsizetype start = i;
        ++i;
        while (i < n && (IsAsciiLetterChar(text.at(i)) || IsAsciiDigitChar(text.at(i))))
            ++i;
        if (c == u'$')
            continue; // a user constant
        QString name = text.mid(start, i - start).toLower();
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

void TFunctionInGraph::SetExpression(const QString &text)
{
    Expression = text;
    Goniometric = IsTrigonometricExpression(text);
}

void TFunctionInGraph::NormalizeExpression(QChar var)
{
    Variable = QString(var);
    PrepareExpression(Expression, Variable);
}

bool TFunctionInGraph::ValueAt(Extended x, Extended &y) const
{
    TRadiansWhileSampling radians;
    Extended value = 0;
    if (Evaluator(Expression, Variable, x, value) != 0)
        return false;
    y = value;
    return true;
}

TFunctionValue TFunctionInGraph::Sample(Extended x) const
{
    Extended y = 0;
    const bool defined = Evaluator(Expression, Variable, x, y) == 0;
    return TFunctionValue{x, defined ? y : 0, defined};
}

bool TFunctionInGraph::NeedsExactMultiples() const
{
    return Goniometric || Expression.contains(u'/');
}

void TFunctionInGraph::ComputeValues(const TGraphState &view, qint32 pxFrom, qint32 pxTo, bool clearCache)
{
    TRadiansWhileSampling radians;
    if (clearCache)
        Values.Clear();
    else
        Values.KeepRange(view.XAtPixel(-Extended(view.Width)), view.XAtPixel(2 * Extended(view.Width)));

    // The range the kept samples cover (every 5 pixels and every exact
    // multiple within it are known); with none kept, an empty range. A
    // column whose x lies within a small fraction of a pixel of the range
    // counts as covered: the same column seen after a pan differs from the
    // stored x by rounding only.
    Extended a, b;
    if (Values.IsEmpty()) {
        a = view.XAtPixel(Extended(pxTo) + 10);
        b = view.XAtPixel(Extended(pxFrom) - 10);
    } else {
        const Extended slack = view.ScaleX / 1024;
        a = Values.FirstX() - slack;
        b = Values.LastX() + slack;
    }

    // First pass: every 5 pixels, skipping what the kept range covers.
    qint32 px = pxFrom;
    Extended x = view.XAtPixel(px);
    if (x >= a) {
        while (x <= b && px <= pxTo) {
            px += SampleSpacing;
            x = view.XAtPixel(px);
        }
    }
    // New samples are gathered and merged into the stored ones at the end.
    std::vector<TFunctionValue> added;
    while (px <= pxTo && (x < a || x > b)) {
        added.push_back(Sample(x));
        px += SampleSpacing;
        x = view.XAtPixel(px);
    }
    const size_t firstPass = added.size();

    // Second pass: every exact multiple of the step inside the columns.
    if (NeedsExactMultiples())
        AddExactMultiples(view, pxFrom, pxTo, added, firstPass);
    Values.Merge(std::move(added));
}

void TFunctionInGraph::AddExactMultiples(const TGraphState &view, qint32 pxFrom, qint32 pxTo,
                                         std::vector<TFunctionValue> &added, size_t firstPass) const
{
    const Extended step = view.Goniometric ? std::numbers::pi_v<Extended> / 2 : Extended(1);
    const Extended kFrom = std::ceil(view.XAtPixel(pxFrom) / step);
    const Extended kTo = std::floor(view.XAtPixel(pxTo) / step);
    if (!std::isfinite(kFrom) || !std::isfinite(kTo) || kTo < kFrom)
        return;
    // At most two multiples fall on a pixel (the largest scale is 2 units
    // per pixel, the smallest step 1); the cap only guards against a view
    // whose numbers have lost all precision.
    const Extended cap = 4 * (Extended(pxTo) - pxFrom + 1) + 4;
    const qint64 count = qint64(std::min(kTo - kFrom + 1, cap));
    // The first pass's samples are in ascending X (and stay in place: the
    // room for the multiples is reserved).
    added.reserve(firstPass + size_t(count));
    const auto firstBegin = added.begin(), firstEnd = added.begin() + qsizetype(firstPass);
    for (qint64 i = 0; i < count; ++i) {
        const Extended multiple = (kFrom + Extended(i)) * step;
        const auto at = std::lower_bound(firstBegin, firstEnd, multiple,
                                         [](const TFunctionValue &v, Extended x) { return v.X < x; });
        if (Values.Contains(multiple) || (at != firstEnd && at->X == multiple))
            continue;
        added.push_back(Sample(multiple));
    }
}

bool TFunctionInGraph::IsVisible(const TGraphState &view, const TFunctionValue &v) const
{
    return TVisibleBounds(view).Contains(v);
}

qint32 TFunctionInGraph::PixelX(const TGraphState &view, Extended x) const
{
    return ClampPixel(view.ColumnOf(x));
}

qint32 TFunctionInGraph::PixelY(const TGraphState &view, Extended y) const
{
    return view.FlipY(ClampPixel(view.LevelOf(y)));
}

void TFunctionInGraph::Draw(const TGraphState &view, QPainter &canvas) const
{
    const TVisibleBounds bounds(view);
    // One pixel wide. At a device pixel ratio above 1 the line runs through
    // the pixels' centres, so that it covers the device pixels of the very
    // pixels it covers at ratio 1.
    canvas.setPen(QPen(Color, 1));
    const qreal centre = canvas.device()->devicePixelRatio() > 1 ? 0.5 : 0;
    canvas.translate(centre, centre);
    QPolygon run;
    const auto flush = [&] {
        if (run.size() >= 2)
            canvas.drawPolyline(run);
        run.clear();
    };
    for (int i = Values.LowerBound(bounds.XMin); i < Values.Count(); ++i) {
        const TFunctionValue &v = Values.At(i);
        if (v.X >= bounds.XMax)
            break;
        if (bounds.Contains(v))
            run.append(QPoint(PixelX(view, v.X), PixelY(view, v.Y)));
        else
            flush();
    }
    flush();
    canvas.translate(-centre, -centre);
}
