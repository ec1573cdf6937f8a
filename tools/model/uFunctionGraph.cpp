#include "tools/model/uFunctionGraph.h"

#include "core/Analyzator.h"
#include "platform/IOUtils.h"
#include "platform/SysUtils.h"

#include <QBuffer>
#include <QClipboard>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QtMath>

#include <cmath>
#include <numbers>

const QColor GraphPalette[5] = {QColor(0xFF, 0x00, 0x00), QColor(0x00, 0x80, 0x00), QColor(0x00, 0x00, 0xFF),
                                QColor(0xFF, 0x00, 0xFF), QColor(0x80, 0x00, 0x00)};

namespace {

constexpr Extended DefaultScale = 0.025L;
// The smallest scale a zoom-in reaches (2^-23 units per pixel).
constexpr Extended SmallestScale = 1.1920928955E-8L;
// The largest scale a zoom-out starts from.
constexpr Extended LargestZoomOutScale = 1.0L;
constexpr Extended Pi = std::numbers::pi_v<Extended>;
// The numbers of the vertical strip end this many pixels left of its right
// edge (at column 34 of the 40 pixels wide strip).
constexpr qint32 VerticalLabelMargin = 6;
// A number too wide for the strip is drawn in a font shrunk down to this
// share of the strip's font at the least.
constexpr qreal SmallestVerticalLabelScale = 0.7;

// Calls Visit(pixel, k) for each grid line k * Step (world) whose pixel,
// Round((k * Step + Origin) / Scale), lies in First..Last, in ascending
// order. Lines closer than 2 pixels are not drawn at all: the grid would be
// a grey area.
template <class F>
void ForEachGridLine(Extended Origin, Extended Scale, Extended Step, qint32 First, qint32 Last, F Visit)
{
    if (!(Step > 0) || !(Scale > 0) || Step / Scale < 2 || Last < First)
        return;
    const Extended k0 = std::ceil(((Extended(First) - 0.5L) * Scale - Origin) / Step);
    if (!std::isfinite(k0))
        return;
    const qint64 most = qint64((Extended(Last) - First + 1) * Scale / Step) + 2;
    for (qint64 i = 0; i <= most; ++i) {
        const Extended k = k0 + Extended(i);
        const qint32 pixel = ClampPixel((k * Step + Origin) / Scale);
        if (pixel < First)
            continue;
        if (pixel > Last)
            break;
        Visit(pixel, k);
    }
}

// The first device pixel of pixel P on a canvas of Ratio device pixels per
// pixel; pixel P covers FirstDevicePixel(P) .. FirstDevicePixel(P + 1) - 1.
// Edges are rounded as the painter rounds those of a filled rectangle, so
// that the axes and the grid's dots meet.
qint32 FirstDevicePixel(qint32 P, qreal Ratio)
{
    return qint32(std::floor(P * Ratio + 0.5));
}

void DrawTextAt(QPainter &Canvas, qint32 Left, qint32 Top, const QString &Text)
{
    Canvas.drawText(Left, Top + Canvas.fontMetrics().ascent(), Text);
}

bool CanPaint(const QImage *Canvas)
{
    return Canvas && !Canvas->isNull();
}

} // namespace

namespace {

qreal CanvasRatio(qreal Ratio)
{
    return Ratio > 0 ? Ratio : 1;
}

QSize DeviceSize(const QSize &Size, qreal Ratio)
{
    return QSize(qCeil(qMax(1, Size.width()) * Ratio), qCeil(qMax(1, Size.height()) * Ratio));
}

} // namespace

QImage NewGraphCanvas(const QSize &Size, qreal Ratio)
{
    const qreal ratio = CanvasRatio(Ratio);
    QImage canvas(DeviceSize(Size, ratio), QImage::Format_RGB32);
    canvas.setDevicePixelRatio(ratio);
    return canvas;
}

bool IsGraphCanvas(const QImage &Canvas, const QSize &Size, qreal Ratio)
{
    const qreal ratio = CanvasRatio(Ratio);
    return Canvas.size() == DeviceSize(Size, ratio) && Canvas.devicePixelRatio() == ratio
           && Canvas.format() == QImage::Format_RGB32;
}

TFunctionGraph::TFunctionGraph(QImage *GraphCanvas, qint32 Width, qint32 Height, QImage *VerticalScaleCanvas,
                               QImage *HorizontalScaleCanvas)
    : GraphCanvas(GraphCanvas), VerticalScaleCanvas(VerticalScaleCanvas), HorizontalScaleCanvas(HorizontalScaleCanvas),
      Evaluator(&EvaluatePreparedAt)
{
    Functions.OwnsData = true;
    View.Width = qMax(1, Width);
    View.Height = qMax(1, Height);
    View.ScaleX = View.ScaleY = DefaultScale;
    View.GridStepX = View.GridStepY = View.XLabelUnit = 1;
    View.OriginX = View.Width * View.ScaleX / 2;
    View.OriginY = View.Height * View.ScaleY / 2;
}

void TFunctionGraph::DoBeep()
{
    if (Beep)
        Beep();
}

// ----------------------------------------------------------------- functions

void TFunctionGraph::SetLabelling(bool Goniometric)
{
    View.Goniometric = Goniometric;
    View.XLabelUnit = Goniometric ? Pi : Extended(1);
    View.GridStepX = Goniometric ? Extended(0.5) : Extended(1);
}

void TFunctionGraph::AddFunction(const QString &Text)
{
    auto *function = new TFunctionInGraph();
    function->Evaluator = Evaluator;
    function->SetExpression(Text);
    function->NormalizeExpression(u'x');
    function->Color = GraphPalette[Functions.Count() % 5];
    if (ContainsExpression(function)) {
        delete function;
        return;
    }
    Functions.Add(function);
    SetLabelling(function->Goniometric);
    MoveHome();
}

void TFunctionGraph::ClearFunctions()
{
    Functions.Clear();
}

bool TFunctionGraph::ContainsExpression(const TFunctionInGraph *Function)
{
    TListIterator<TFunctionInGraph> it(&Functions);
    while (it.HasNext()) {
        if (it.Next()->Expression == Function->Expression)
            return true;
    }
    return false;
}

bool TFunctionGraph::TryValueAt(Extended X, Extended &Y)
{
    const TFunctionInGraph *first = Functions.GetItem(0);
    return first && first->ValueAt(X, Y);
}

Extended TFunctionGraph::ValueAt(Extended X)
{
    Extended y = 0;
    return TryValueAt(X, y) ? y : Extended(0);
}

// ---------------------------------------------------------------------- view

void TFunctionGraph::ResetView()
{
    View.ScaleX = View.ScaleY = DefaultScale;
    View.GridStepY = 1;
    // The labelling follows the functions on show, so that a hand-over of a
    // curve already plotted keeps its multiples of pi.
    const TFunctionInGraph *last = Functions.GetItem(Functions.Count() - 1);
    SetLabelling(last ? last->Goniometric : View.Goniometric);
    View.OriginX = View.Width * View.ScaleX / 2;
    View.OriginY = View.Height * View.ScaleY / 2;
}

void TFunctionGraph::SetOriginX(Extended X)
{
    View.OriginX = View.Width * View.ScaleX / 2 - X;
}

void TFunctionGraph::SetOriginY(Extended Y)
{
    View.OriginY = View.Height * View.ScaleY / 2 - Y;
}

void TFunctionGraph::MoveHome()
{
    SetOriginX(0);
    const Extended y = ValueAt(0);
    SetOriginY(std::isfinite(y) ? y : Extended(0));
    Redraw();
}

void TFunctionGraph::ZoomIn(bool Horizontal, bool Vertical)
{
    const auto zoomAxis = [this](Extended &Scale, Extended &Origin, Extended &GridStep, qint32 Size) {
        if (Scale <= SmallestScale) {
            DoBeep();
            return;
        }
        Scale /= 2;
        Origin -= Size * Scale / 2;
        if (GridStep / Scale > 160)
            GridStep /= 2;
    };
    if (Horizontal)
        zoomAxis(View.ScaleX, View.OriginX, View.GridStepX, View.Width);
    if (Vertical)
        zoomAxis(View.ScaleY, View.OriginY, View.GridStepY, View.Height);
    Redraw();
}

void TFunctionGraph::ZoomOut(bool Horizontal, bool Vertical)
{
    bool changed = false;
    const auto zoomAxis = [&changed](Extended &Scale, Extended &Origin, Extended &GridStep, qint32 Size) {
        if (Scale > LargestZoomOutScale)
            return;
        Origin += Size * Scale / 2;
        Scale *= 2;
        if (GridStep / Scale < 20)
            GridStep *= 2;
        changed = true;
    };
    if (Horizontal)
        zoomAxis(View.ScaleX, View.OriginX, View.GridStepX, View.Width);
    if (Vertical)
        zoomAxis(View.ScaleY, View.OriginY, View.GridStepY, View.Height);
    if (changed)
        Redraw();
    else
        DoBeep();
}

void TFunctionGraph::GridZoomIn(bool Horizontal, bool Vertical)
{
    bool changed = false;
    const auto refine = [&changed](Extended &GridStep, Extended Scale) {
        if (GridStep / 2 / Scale >= 20) {
            GridStep /= 2;
            changed = true;
        }
    };
    if (Horizontal)
        refine(View.GridStepX, View.ScaleX);
    if (Vertical)
        refine(View.GridStepY, View.ScaleY);
    if (changed)
        Redraw();
    else
        DoBeep();
}

void TFunctionGraph::GridZoomOut(bool Horizontal, bool Vertical)
{
    bool changed = false;
    const auto coarsen = [&changed](Extended &GridStep, Extended Scale, qint32 Size) {
        if (Size >= GridStep / Scale) {
            GridStep *= 2;
            changed = true;
        }
    };
    if (Horizontal)
        coarsen(View.GridStepX, View.ScaleX, View.Width);
    if (Vertical)
        coarsen(View.GridStepY, View.ScaleY, View.Height);
    if (changed)
        Redraw();
    else
        DoBeep();
}

void TFunctionGraph::SetGoniometric(bool On)
{
    if (On == View.Goniometric)
        return;
    View.Goniometric = On;
    if (On) {
        View.XLabelUnit = Pi;
        View.GridStepX /= 2;
    } else {
        View.XLabelUnit = 1;
        View.GridStepX *= 2;
    }
    Redraw();
}

void TFunctionGraph::Resize(qint32 NewWidth, qint32 NewHeight)
{
    NewWidth = qMax(1, NewWidth);
    NewHeight = qMax(1, NewHeight);
    View.OriginX += (NewWidth - View.Width) * View.ScaleX / 2;
    View.OriginY += (NewHeight - View.Height) * View.ScaleY / 2;
    View.Width = NewWidth;
    View.Height = NewHeight;
    Redraw();
}

bool TFunctionGraph::Move(qint32 Dx, qint32 Dy)
{
    const Extended wx = Dx * View.ScaleX;
    const Extended wy = Dy * View.ScaleY;
    const bool xMoved = wx != 0 && std::isfinite(View.OriginX + wx);
    const bool yMoved = wy != 0 && std::isfinite(View.OriginY - wy);
    if (!xMoved && !yMoved) {
        DoBeep();
        return false;
    }
    if (xMoved)
        View.OriginX += wx;
    if (yMoved)
        View.OriginY -= wy;

    const QRect picture(0, 0, View.Width, View.Height);
    DrawAxes(picture);
    if (xMoved)
        DrawHorizontalScale(picture);
    if (yMoved)
        DrawVerticalScale(picture);
    if (xMoved) {
        if (qAbs(qint64(Dx)) >= View.Width)
            ComputeAll(0, View.Width, true); // nothing kept is in view any more
        else if (Dx > 0)
            ComputeAll(0, Dx, false);
        else
            ComputeAll(View.Width + Dx, View.Width, false);
    }
    DrawFunctions();
    return true;
}

// ------------------------------------------------------ sampling and curves

void TFunctionGraph::ComputeAll(qint32 PxFrom, qint32 PxTo, bool ClearCache)
{
    TListIterator<TFunctionInGraph> it(&Functions);
    while (it.HasNext())
        it.Next()->ComputeValues(View, PxFrom, PxTo, ClearCache);
}

void TFunctionGraph::DrawFunctions()
{
    if (!CanPaint(GraphCanvas))
        return;
    QPainter canvas(GraphCanvas);
    TListIterator<TFunctionInGraph> it(&Functions);
    while (it.HasNext())
        it.Next()->Draw(View, canvas);
}

// -------------------------------------------------------------------- repaint

void TFunctionGraph::Redraw()
{
    if (GraphCanvas && !IsGraphCanvas(*GraphCanvas, QSize(View.Width, View.Height), DevicePixelRatio))
        *GraphCanvas = NewGraphCanvas(QSize(View.Width, View.Height), DevicePixelRatio);
    const QRect picture(0, 0, View.Width, View.Height);
    DrawAxes(picture);
    DrawScales(picture);
    ComputeAll(0, View.Width, true);
    DrawFunctions();
}

qint32 TFunctionGraph::ColumnOfX(Extended X) const
{
    return ClampPixel(View.ColumnOf(X));
}

qint32 TFunctionGraph::RowOfY(Extended Y) const
{
    return View.FlipY(ClampPixel(View.LevelOf(Y)));
}

qint32 TFunctionGraph::FirstGridLineX() const
{
    const Extended step = View.GridStepX * View.XLabelUnit;
    const Extended k = std::floor(View.XAtPixel(0) / step);
    return std::isfinite(k) ? qMin(0, ColumnOfX(k * step)) : 0;
}

qint32 TFunctionGraph::FirstGridLineY() const
{
    const Extended step = View.GridStepY;
    const Extended k = std::ceil(View.YAtPixel(View.Height - 1) / step);
    return std::isfinite(k) ? qMin(0, RowOfY(k * step)) : 0;
}

void TFunctionGraph::DrawGrid()
{
    if (!CanPaint(GraphCanvas))
        return;
    QImage &image = *GraphCanvas;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32
        && image.format() != QImage::Format_ARGB32_Premultiplied)
        image.convertTo(QImage::Format_RGB32);
    image.fill(BackgroundColor);
    const qreal ratio = image.devicePixelRatio();
    const qint32 w = qMin(View.Width, qint32(image.width() / ratio));
    const qint32 h = qMin(View.Height, qint32(image.height() / ratio));
    const QRgb dot = GridColor.rgb();
    // A dot is one pixel, as many device pixels as the ratio gives it: the
    // device columns (or rows) First .. Last - 1 of a pixel.
    struct TSpan
    {
        qint32 First, Last;
    };
    // A whole ratio (1 or 2, as most screens have) needs no rounding.
    const qint32 whole = qint32(ratio);
    const auto span = [ratio, whole, integral = whole == ratio](qint32 P, qint32 Limit) {
        if (integral)
            return TSpan{qMin(P * whole, Limit), qMin(P * whole + whole, Limit)};
        return TSpan{qMin(FirstDevicePixel(P, ratio), Limit), qMin(FirstDevicePixel(P + 1, ratio), Limit)};
    };
    QRgb *const bits = reinterpret_cast<QRgb *>(image.bits());
    const qsizetype stride = image.bytesPerLine() / qsizetype(sizeof(QRgb));
    const auto paintDot = [&](TSpan Columns, TSpan Rows) {
        for (qint32 y = Rows.First; y < Rows.Last; ++y)
            for (qint32 x = Columns.First; x < Columns.Last; ++x)
                bits[y * stride + x] = dot;
    };
    const qint32 deviceWidth = image.width(), deviceHeight = image.height();
    // Dotted lines, one pixel on and one off; the dots keep their place on
    // the grid lines while the picture pans.
    const qint32 columnPhase = FirstGridLineX();
    const qint32 rowPhase = FirstGridLineY();
    ForEachGridLine(View.OriginX, View.ScaleX, View.GridStepX * View.XLabelUnit, 0, w - 1,
                    [&](qint32 column, Extended) {
                        const TSpan columns = span(column, deviceWidth);
                        for (qint32 row = (rowPhase & 1) ? 1 : 0; row < h; row += 2)
                            paintDot(columns, span(row, deviceHeight));
                    });
    ForEachGridLine(View.OriginY, View.ScaleY, View.GridStepY, 0, View.Height - 1, [&](qint32 level, Extended) {
        const qint32 row = View.FlipY(level);
        if (row < 0 || row >= h)
            return;
        const TSpan rows = span(row, deviceHeight);
        for (qint32 column = (columnPhase & 1) ? 1 : 0; column < w; column += 2)
            paintDot(span(column, deviceWidth), rows);
    });
}

void TFunctionGraph::DrawAxes(const QRect &R)
{
    DrawGrid();
    if (!CanPaint(GraphCanvas))
        return;
    // Whole pixels, which cover the same device pixels as the grid's dots.
    QPainter canvas(GraphCanvas);
    const qint32 row = RowOfY(0);
    if (row >= R.top() && row <= R.bottom())
        canvas.fillRect(QRect(R.left(), row, R.width(), 1), AxisColor);
    const qint32 column = ColumnOfX(0);
    if (column >= R.left() && column <= R.right())
        canvas.fillRect(QRect(column, R.top(), 1, R.height()), AxisColor);
}

void TFunctionGraph::DrawScales(const QRect &R)
{
    DrawVerticalScale(R);
    DrawHorizontalScale(R);
}

QList<TScaleLabel> TFunctionGraph::HorizontalScaleLabels(const QRect &R) const
{
    QList<TScaleLabel> labels;
    const Extended step = View.GridStepX * View.XLabelUnit;
    ForEachGridLine(View.OriginX, View.ScaleX, step, R.left(), R.right(), [&](qint32 column, Extended k) {
        // From the line's index, so that the line at 0 reads exactly "0".
        if (View.Goniometric)
            labels.append({column, FormatFloat(QStringLiteral("0.######"), k * View.GridStepX), true, k});
        else
            labels.append({column, FloatToStr(k * step), false, k});
    });
    return labels;
}

QList<TScaleLabel> TFunctionGraph::VerticalScaleLabels(const QRect &R) const
{
    QList<TScaleLabel> labels;
    // Rows R.Top..R.Bottom are the levels Height-1-R.Bottom .. Height-1-R.Top.
    ForEachGridLine(View.OriginY, View.ScaleY, View.GridStepY, View.FlipY(R.bottom()), View.FlipY(R.top()),
                    [&](qint32 level, Extended k) {
                        labels.append({View.FlipY(level), FloatToStr(k * View.GridStepY), false, k});
                    });
    return labels;
}

// Zoomed in, the grid values have many digits (0.0146484375 for a step of
// 2^-9); right-aligned in the narrow strip such a number would lose its
// leading digits and read as another number ("46484375"). When a number
// does not fit, the strip's numbers are all written with the fewest
// significant digits that keep each within half a grid step of its line, so
// that neighbours never read alike, plainly or with an exponent, whichever
// is narrower.
void TFunctionGraph::ShortenVerticalScaleLabels(QList<TScaleLabel> &Labels) const
{
    const QFontMetrics metrics(ScaleFont);
    const auto widest = [&metrics](const QStringList &Texts) {
        qint32 w = 0;
        for (const QString &text : Texts)
            w = qMax(w, qint32(metrics.horizontalAdvance(text)));
        return w;
    };
    QStringList best;
    for (const TScaleLabel &label : Labels)
        best << label.Text;
    qint32 bestWidth = widest(best);
    const qint32 right = VerticalLabelRight();
    if (bestWidth <= right)
        return;
    const Extended half = View.GridStepY / 2;
    for (int digits = 1; digits <= 15 && bestWidth > right; ++digits) {
        const QString exponentPattern = QStringLiteral("0.") + QString(digits - 1, u'#') + QStringLiteral("E-0");
        QStringList plain, exponent;
        bool close = true;
        for (const TScaleLabel &label : Labels) {
            const Extended value = label.Line * View.GridStepY;
            const QString text = label.Line == 0 ? QStringLiteral("0") : FloatToStrGeneral(value, digits);
            Extended back = 0;
            if (!TryStrToFloat(text, back) || !(std::fabs(back - value) < half)) {
                close = false;
                break;
            }
            plain << text;
            exponent << (label.Line == 0 ? text : FormatFloat(exponentPattern, value));
        }
        if (!close)
            continue;
        for (const QStringList *candidate : {&plain, &exponent}) {
            const qint32 w = widest(*candidate);
            if (w < bestWidth) {
                best = *candidate;
                bestWidth = w;
            }
        }
    }
    for (qsizetype i = 0; i < Labels.size(); ++i)
        Labels[i].Text = best[i];
}

void TFunctionGraph::DrawHorizontalScale(const QRect &R)
{
    if (!CanPaint(HorizontalScaleCanvas))
        return;
    HorizontalScaleCanvas->fill(ScaleBackColor);
    QPainter canvas(HorizontalScaleCanvas);
    canvas.setFont(ScaleFont);
    canvas.setPen(ScaleTextColor);
    const QList<TScaleLabel> labels = HorizontalScaleLabels(R);
    const Extended every = HorizontalLabelStride(labels);
    const qreal stripWidth = HorizontalScaleCanvas->deviceIndependentSize().width();
    for (const TScaleLabel &label : labels) {
        if (std::fmod(label.Line, every) != 0 || !HorizontalLabelFits(label, stripWidth))
            continue;
        if (label.Pi)
            DrawScaleLabel(canvas, label.Pixel, 2, label.Text);
        else
            DrawTextAt(canvas, label.Pixel, 2, label.Text);
    }
}

void TFunctionGraph::DrawVerticalScale(const QRect &R)
{
    if (!CanPaint(VerticalScaleCanvas))
        return;
    VerticalScaleCanvas->fill(ScaleBackColor);
    QPainter canvas(VerticalScaleCanvas);
    canvas.setFont(ScaleFont);
    canvas.setPen(ScaleTextColor);
    QList<TScaleLabel> labels = VerticalScaleLabels(R);
    ShortenVerticalScaleLabels(labels);
    for (const TScaleLabel &label : labels)
        DrawVerticalScaleLabel(canvas, label.Pixel - 6, label.Text);
}

Extended TFunctionGraph::HorizontalLabelStride(const QList<TScaleLabel> &Labels) const
{
    // Grid lines 20 pixels apart leave too little room for numbers such as
    // "-72" or "-2.5" and a pi sign: then only every n-th line is numbered,
    // the line at 0 always among them.
    qint32 widest = 0;
    for (const TScaleLabel &label : Labels)
        widest = qMax(widest, ScaleLabelWidth(label));
    const Extended spacing = View.GridStepX * View.XLabelUnit / View.ScaleX;
    return std::max(Extended(1), std::ceil((widest + 4) / spacing));
}

bool TFunctionGraph::HorizontalLabelFits(const TScaleLabel &Label, qreal StripWidth) const
{
    const qint32 width = ScaleLabelWidth(Label);
    const qint32 left = Label.Pi ? Label.Pixel - width / 2 : Label.Pixel;
    // A smoothed glyph may reach a pixel beyond its advance.
    return left >= 0 && left + width + 1 <= StripWidth;
}

qint32 TFunctionGraph::ScaleLabelWidth(const TScaleLabel &Label) const
{
    const qint32 w = QFontMetrics(ScaleFont).horizontalAdvance(Label.Text);
    if (!Label.Pi)
        return w;
    QFont piFont = ScaleFont;
    piFont.setPointSize(12);
    return w + 3 + QFontMetrics(piFont).horizontalAdvance(QString(QChar(0x03C0)));
}

void TFunctionGraph::DrawScaleLabel(QPainter &Canvas, qint32 Column, qint32 Row, const QString &Text)
{
    static const QString PiSign(QChar(0x03C0));
    QFont piFont = ScaleFont;
    piFont.setPointSize(12);
    const QFontMetrics numberMetrics(ScaleFont);
    const QFontMetrics piMetrics(piFont);
    const qint32 w = numberMetrics.horizontalAdvance(Text);
    const qint32 p = piMetrics.horizontalAdvance(PiSign);
    const qint32 left = Column - (w + p + 3) / 2;
    // The larger pi sign stands on the number's baseline.
    const qint32 baseline = Row + numberMetrics.ascent();
    Canvas.setFont(ScaleFont);
    Canvas.drawText(left, baseline, Text);
    Canvas.setFont(piFont);
    Canvas.drawText(left + w + 3, baseline, PiSign);
    Canvas.setFont(ScaleFont);
}

qint32 TFunctionGraph::VerticalLabelRight() const
{
    const qint32 strip = VerticalScaleCanvas ? qint32(VerticalScaleCanvas->deviceIndependentSize().width()) : 40;
    return qMax(1, strip - VerticalLabelMargin);
}

void TFunctionGraph::DrawVerticalScaleLabel(QPainter &Canvas, qint32 Row, const QString &Text)
{
    const QFont font = Canvas.font();
    const qint32 width = Canvas.fontMetrics().horizontalAdvance(Text);
    const qint32 right = VerticalLabelRight();
    if (width > right && width > 0) {
        // Still too wide: a smaller font, so that the leading digits show.
        QFont smaller = font;
        smaller.setPointSizeF(QFontInfo(font).pointSizeF()
                              * std::max(SmallestVerticalLabelScale, qreal(right) / width));
        Canvas.setFont(smaller);
    }
    DrawTextAt(Canvas, right - Canvas.fontMetrics().horizontalAdvance(Text), Row, Text);
    Canvas.setFont(font);
}

// --------------------------------------------------------------------- export

void TFunctionGraph::RenderExport(QImage &Bitmap) const
{
    const auto logicalSize = [](const QImage *Canvas) {
        return Canvas ? Canvas->deviceIndependentSize().toSize() : QSize(0, 0);
    };
    const QSize vertical = logicalSize(VerticalScaleCanvas);
    const QSize horizontal = logicalSize(HorizontalScaleCanvas);
    Bitmap = QImage(vertical.width() + View.Width + 9, horizontal.height() + View.Height + 6, QImage::Format_RGB32);
    Bitmap.fill(ScaleBackColor);
    QPainter canvas(&Bitmap);
    // Canvases drawn at a higher ratio come down to one pixel each, averaged.
    canvas.setRenderHint(QPainter::SmoothPixmapTransform);
    canvas.setPen(QPen(ScaleTextColor, 0));
    canvas.drawRect(0, 0, Bitmap.width() - 1, Bitmap.height() - 1);
    if (CanPaint(HorizontalScaleCanvas))
        canvas.drawImage(vertical.width() + 4, 5, *HorizontalScaleCanvas);
    if (CanPaint(VerticalScaleCanvas))
        canvas.drawImage(8, horizontal.height() + 5, *VerticalScaleCanvas);
    if (CanPaint(GraphCanvas))
        canvas.drawImage(vertical.width() + 8, horizontal.height() + 5, *GraphCanvas);
    canvas.setPen(ScaleTextColor);
    canvas.setFont(QFont());
    DrawTextAt(canvas, 6, 7, QStringLiteral("y \\ x"));
}

void TFunctionGraph::CopyToClipboard() const
{
    QImage bitmap;
    RenderExport(bitmap);
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        clipboard->setImage(bitmap);
}

bool TFunctionGraph::SaveToFile(const QString &FileName, QString &Error) const
{
    QImage bitmap;
    RenderExport(bitmap);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !bitmap.save(&buffer, "BMP")) {
        Error = QStringLiteral("The picture could not be written.");
        return false;
    }
    return TryWriteFileAtomically(FileName, bytes, Error);
}
