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
void ForEachGridLine(Extended origin, Extended scale, Extended step, qint32 first, qint32 last, F visit)
{
    if (!(step > 0) || !(scale > 0) || step / scale < 2 || last < first)
        return;
    const Extended k0 = std::ceil(((Extended(first) - 0.5L) * scale - origin) / step);
    if (!std::isfinite(k0))
        return;
    const qint64 most = qint64((Extended(last) - first + 1) * scale / step) + 2;
    for (qint64 i = 0; i <= most; ++i) {
        const Extended k = k0 + Extended(i);
        const qint32 pixel = ClampPixel((k * step + origin) / scale);
        if (pixel < first)
            continue;
        if (pixel > last)
            break;
        visit(pixel, k);
    }
}

// The first device pixel of pixel P on a canvas of Ratio device pixels per
// pixel; pixel P covers FirstDevicePixel(P) .. FirstDevicePixel(P + 1) - 1.
// Edges are rounded as the painter rounds those of a filled rectangle, so
// that the axes and the grid's dots meet.
qint32 FirstDevicePixel(qint32 p, qreal ratio)
{
    return qint32(std::floor(p * ratio + 0.5));
}

void DrawTextAt(QPainter &canvas, qint32 left, qint32 top, const QString &text)
{
    canvas.drawText(left, top + canvas.fontMetrics().ascent(), text);
}

bool CanPaint(const QImage *canvas)
{
    return canvas && !canvas->isNull();
}

} // namespace

namespace {

qreal CanvasRatio(qreal ratio)
{
    return ratio > 0 ? ratio : 1;
}

QSize DeviceSize(const QSize &size, qreal ratio)
{
    return QSize(qCeil(qMax(1, size.width()) * ratio), qCeil(qMax(1, size.height()) * ratio));
}

} // namespace

QImage NewGraphCanvas(const QSize &size, qreal ratio)
{
    const qreal canvasRatio = CanvasRatio(ratio);
    QImage canvas(DeviceSize(size, canvasRatio), QImage::Format_RGB32);
    canvas.setDevicePixelRatio(canvasRatio);
    return canvas;
}

bool IsGraphCanvas(const QImage &canvas, const QSize &size, qreal ratio)
{
    const qreal canvasRatio = CanvasRatio(ratio);
    return canvas.size() == DeviceSize(size, canvasRatio) && canvas.devicePixelRatio() == canvasRatio
           && canvas.format() == QImage::Format_RGB32;
}

TFunctionGraph::TFunctionGraph(QImage *graphCanvas, qint32 width, qint32 height, QImage *verticalScaleCanvas,
                               QImage *horizontalScaleCanvas)
    : GraphCanvas(graphCanvas), VerticalScaleCanvas(verticalScaleCanvas), HorizontalScaleCanvas(horizontalScaleCanvas),
      Evaluator(&EvaluatePreparedAt)
{
    Functions.OwnsData = true;
    View.Width = qMax(1, width);
    View.Height = qMax(1, height);
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

void TFunctionGraph::SetLabelling(bool goniometric)
{
    View.Goniometric = goniometric;
    View.XLabelUnit = goniometric ? Pi : Extended(1);
    View.GridStepX = goniometric ? Extended(0.5) : Extended(1);
}

void TFunctionGraph::AddFunction(const QString &text)
{
    auto *function = new TFunctionInGraph();
    function->Evaluator = Evaluator;
    function->SetExpression(text);
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

bool TFunctionGraph::ContainsExpression(const TFunctionInGraph *function)
{
    TListIterator<TFunctionInGraph> it(&Functions);
    while (it.HasNext()) {
        if (it.Next()->Expression == function->Expression)
            return true;
    }
    return false;
}

bool TFunctionGraph::TryValueAt(Extended x, Extended &y)
{
    const TFunctionInGraph *first = Functions.GetItem(0);
    return first && first->ValueAt(x, y);
}

Extended TFunctionGraph::ValueAt(Extended x)
{
    Extended y = 0;
    return TryValueAt(x, y) ? y : Extended(0);
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

void TFunctionGraph::SetOriginX(Extended x)
{
    View.OriginX = View.Width * View.ScaleX / 2 - x;
}

void TFunctionGraph::SetOriginY(Extended y)
{
    View.OriginY = View.Height * View.ScaleY / 2 - y;
}

void TFunctionGraph::MoveHome()
{
    SetOriginX(0);
    const Extended y = ValueAt(0);
    SetOriginY(std::isfinite(y) ? y : Extended(0));
    Redraw();
}

void TFunctionGraph::ZoomIn(bool horizontal, bool vertical)
{
    const auto zoomAxis = [this](Extended &scale, Extended &origin, Extended &gridStep, qint32 size) {
        if (scale <= SmallestScale) {
            DoBeep();
            return;
        }
        scale /= 2;
        origin -= size * scale / 2;
        if (gridStep / scale > 160)
            gridStep /= 2;
    };
    if (horizontal)
        zoomAxis(View.ScaleX, View.OriginX, View.GridStepX, View.Width);
    if (vertical)
        zoomAxis(View.ScaleY, View.OriginY, View.GridStepY, View.Height);
    Redraw();
}

void TFunctionGraph::ZoomOut(bool horizontal, bool vertical)
{
    bool changed = false;
    const auto zoomAxis = [&changed](Extended &scale, Extended &origin, Extended &gridStep, qint32 size) {
        if (scale > LargestZoomOutScale)
            return;
        origin += size * scale / 2;
        scale *= 2;
        if (gridStep / scale < 20)
            gridStep *= 2;
        changed = true;
    };
    if (horizontal)
        zoomAxis(View.ScaleX, View.OriginX, View.GridStepX, View.Width);
    if (vertical)
        zoomAxis(View.ScaleY, View.OriginY, View.GridStepY, View.Height);
    if (changed)
        Redraw();
    else
        DoBeep();
}

void TFunctionGraph::GridZoomIn(bool horizontal, bool vertical)
{
    bool changed = false;
    const auto refine = [&changed](Extended &gridStep, Extended scale) {
        if (gridStep / 2 / scale >= 20) {
            gridStep /= 2;
            changed = true;
        }
    };
    if (horizontal)
        refine(View.GridStepX, View.ScaleX);
    if (vertical)
        refine(View.GridStepY, View.ScaleY);
    if (changed)
        Redraw();
    else
        DoBeep();
}

void TFunctionGraph::GridZoomOut(bool horizontal, bool vertical)
{
    bool changed = false;
    const auto coarsen = [&changed](Extended &gridStep, Extended scale, qint32 size) {
        if (size >= gridStep / scale) {
            gridStep *= 2;
            changed = true;
        }
    };
    if (horizontal)
        coarsen(View.GridStepX, View.ScaleX, View.Width);
    if (vertical)
        coarsen(View.GridStepY, View.ScaleY, View.Height);
    if (changed)
        Redraw();
    else
        DoBeep();
}

void TFunctionGraph::SetGoniometric(bool on)
{
    if (on == View.Goniometric)
        return;
    View.Goniometric = on;
    if (on) {
        View.XLabelUnit = Pi;
        View.GridStepX /= 2;
    } else {
        View.XLabelUnit = 1;
        View.GridStepX *= 2;
    }
    Redraw();
}

void TFunctionGraph::Resize(qint32 newWidth, qint32 newHeight)
{
    newWidth = qMax(1, newWidth);
    newHeight = qMax(1, newHeight);
    View.OriginX += (newWidth - View.Width) * View.ScaleX / 2;
    View.OriginY += (newHeight - View.Height) * View.ScaleY / 2;
    View.Width = newWidth;
    View.Height = newHeight;
    Redraw();
}

bool TFunctionGraph::Move(qint32 dx, qint32 dy)
{
    const Extended wx = dx * View.ScaleX;
    const Extended wy = dy * View.ScaleY;
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
        if (qAbs(qint64(dx)) >= View.Width)
            ComputeAll(0, View.Width, true); // nothing kept is in view any more
        else if (dx > 0)
            ComputeAll(0, dx, false);
        else
            ComputeAll(View.Width + dx, View.Width, false);
    }
    DrawFunctions();
    return true;
}

// ------------------------------------------------------ sampling and curves

void TFunctionGraph::ComputeAll(qint32 pxFrom, qint32 pxTo, bool clearCache)
{
    TListIterator<TFunctionInGraph> it(&Functions);
    while (it.HasNext())
        it.Next()->ComputeValues(View, pxFrom, pxTo, clearCache);
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

qint32 TFunctionGraph::ColumnOfX(Extended x) const
{
    return ClampPixel(View.ColumnOf(x));
}

qint32 TFunctionGraph::RowOfY(Extended y) const
{
    return View.FlipY(ClampPixel(View.LevelOf(y)));
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
    const auto span = [ratio, whole, integral = whole == ratio](qint32 p, qint32 limit) {
        if (integral)
            return TSpan{qMin(p * whole, limit), qMin(p * whole + whole, limit)};
        return TSpan{qMin(FirstDevicePixel(p, ratio), limit), qMin(FirstDevicePixel(p + 1, ratio), limit)};
    };
    QRgb *const bits = reinterpret_cast<QRgb *>(image.bits());
    const qsizetype stride = image.bytesPerLine() / qsizetype(sizeof(QRgb));
    const auto paintDot = [&](TSpan columns, TSpan rows) {
        for (qint32 y = rows.First; y < rows.Last; ++y)
            for (qint32 x = columns.First; x < columns.Last; ++x)
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

void TFunctionGraph::DrawAxes(const QRect &r)
{
    DrawGrid();
    if (!CanPaint(GraphCanvas))
        return;
    // Whole pixels, which cover the same device pixels as the grid's dots.
    QPainter canvas(GraphCanvas);
    const qint32 row = RowOfY(0);
    if (row >= r.top() && row <= r.bottom())
        canvas.fillRect(QRect(r.left(), row, r.width(), 1), AxisColor);
    const qint32 column = ColumnOfX(0);
    if (column >= r.left() && column <= r.right())
        canvas.fillRect(QRect(column, r.top(), 1, r.height()), AxisColor);
}

void TFunctionGraph::DrawScales(const QRect &r)
{
    DrawVerticalScale(r);
    DrawHorizontalScale(r);
}

QList<TScaleLabel> TFunctionGraph::HorizontalScaleLabels(const QRect &r) const
{
    QList<TScaleLabel> labels;
    const Extended step = View.GridStepX * View.XLabelUnit;
    ForEachGridLine(View.OriginX, View.ScaleX, step, r.left(), r.right(), [&](qint32 column, Extended k) {
        // From the line's index, so that the line at 0 reads exactly "0".
        if (View.Goniometric)
            labels.append({column, FormatFloat(QStringLiteral("0.######"), k * View.GridStepX), true, k});
        else
            labels.append({column, FloatToStr(k * step), false, k});
    });
    return labels;
}

QList<TScaleLabel> TFunctionGraph::VerticalScaleLabels(const QRect &r) const
{
    QList<TScaleLabel> labels;
    // Rows R.Top..R.Bottom are the levels Height-1-R.Bottom .. Height-1-R.Top.
    ForEachGridLine(View.OriginY, View.ScaleY, View.GridStepY, View.FlipY(r.bottom()), View.FlipY(r.top()),
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
void TFunctionGraph::ShortenVerticalScaleLabels(QList<TScaleLabel> &labels) const
{
    const QFontMetrics metrics(ScaleFont);
    const auto widest = [&metrics](const QStringList &texts) {
        qint32 w = 0;
        for (const QString &text : texts)
            w = qMax(w, qint32(metrics.horizontalAdvance(text)));
        return w;
    };
    QStringList best;
    for (const TScaleLabel &label : labels)
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
        for (const TScaleLabel &label : labels) {
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
    for (qsizetype i = 0; i < labels.size(); ++i)
        labels[i].Text = best[i];
}

void TFunctionGraph::DrawHorizontalScale(const QRect &r)
{
    if (!CanPaint(HorizontalScaleCanvas))
        return;
    HorizontalScaleCanvas->fill(ScaleBackColor);
    QPainter canvas(HorizontalScaleCanvas);
    canvas.setFont(ScaleFont);
    canvas.setPen(ScaleTextColor);
    const QList<TScaleLabel> labels = HorizontalScaleLabels(r);
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

void TFunctionGraph::DrawVerticalScale(const QRect &r)
{
    if (!CanPaint(VerticalScaleCanvas))
        return;
    VerticalScaleCanvas->fill(ScaleBackColor);
    QPainter canvas(VerticalScaleCanvas);
    canvas.setFont(ScaleFont);
    canvas.setPen(ScaleTextColor);
    QList<TScaleLabel> labels = VerticalScaleLabels(r);
    ShortenVerticalScaleLabels(labels);
    for (const TScaleLabel &label : labels)
        DrawVerticalScaleLabel(canvas, label.Pixel - 6, label.Text);
}

Extended TFunctionGraph::HorizontalLabelStride(const QList<TScaleLabel> &labels) const
{
    // Grid lines 20 pixels apart leave too little room for numbers such as
    // "-72" or "-2.5" and a pi sign: then only every n-th line is numbered,
    // the line at 0 always among them.
    qint32 widest = 0;
    for (const TScaleLabel &label : labels)
        widest = qMax(widest, ScaleLabelWidth(label));
    const Extended spacing = View.GridStepX * View.XLabelUnit / View.ScaleX;
    return std::max(Extended(1), std::ceil((widest + 4) / spacing));
}

bool TFunctionGraph::HorizontalLabelFits(const TScaleLabel &label, qreal stripWidth) const
{
    const qint32 width = ScaleLabelWidth(label);
    const qint32 left = label.Pi ? label.Pixel - width / 2 : label.Pixel;
    // A smoothed glyph may reach a pixel beyond its advance.
    return left >= 0 && left + width + 1 <= stripWidth;
}

qint32 TFunctionGraph::ScaleLabelWidth(const TScaleLabel &label) const
{
    const qint32 w = QFontMetrics(ScaleFont).horizontalAdvance(label.Text);
    if (!label.Pi)
        return w;
    QFont piFont = ScaleFont;
    piFont.setPointSize(12);
    return w + 3 + QFontMetrics(piFont).horizontalAdvance(QString(QChar(0x03C0)));
}

void TFunctionGraph::DrawScaleLabel(QPainter &canvas, qint32 column, qint32 row, const QString &text)
{
    static const QString piSign(QChar(0x03C0));
    QFont piFont = ScaleFont;
    piFont.setPointSize(12);
    const QFontMetrics numberMetrics(ScaleFont);
    const QFontMetrics piMetrics(piFont);
    const qint32 w = numberMetrics.horizontalAdvance(text);
    const qint32 p = piMetrics.horizontalAdvance(piSign);
    const qint32 left = column - (w + p + 3) / 2;
    // The larger pi sign stands on the number's baseline.
    const qint32 baseline = row + numberMetrics.ascent();
    canvas.setFont(ScaleFont);
    canvas.drawText(left, baseline, text);
    canvas.setFont(piFont);
    canvas.drawText(left + w + 3, baseline, piSign);
    canvas.setFont(ScaleFont);
}

qint32 TFunctionGraph::VerticalLabelRight() const
{
    const qint32 strip = VerticalScaleCanvas ? qint32(VerticalScaleCanvas->deviceIndependentSize().width()) : 40;
    return qMax(1, strip - VerticalLabelMargin);
}

void TFunctionGraph::DrawVerticalScaleLabel(QPainter &canvas, qint32 row, const QString &text)
{
    const QFont font = canvas.font();
    const qint32 width = canvas.fontMetrics().horizontalAdvance(text);
    const qint32 right = VerticalLabelRight();
    if (width > right && width > 0) {
        // Still too wide: a smaller font, so that the leading digits show.
        QFont smaller = font;
        smaller.setPointSizeF(QFontInfo(font).pointSizeF()
                              * std::max(SmallestVerticalLabelScale, qreal(right) / width));
        canvas.setFont(smaller);
    }
    DrawTextAt(canvas, right - canvas.fontMetrics().horizontalAdvance(text), row, text);
    canvas.setFont(font);
}

// --------------------------------------------------------------------- export

void TFunctionGraph::RenderExport(QImage &bitmap) const
{
    const auto logicalSize = [](const QImage *canvas) {
        return canvas ? canvas->deviceIndependentSize().toSize() : QSize(0, 0);
    };
    const QSize vertical = logicalSize(VerticalScaleCanvas);
    const QSize horizontal = logicalSize(HorizontalScaleCanvas);
    bitmap = QImage(vertical.width() + View.Width + 9, horizontal.height() + View.Height + 6, QImage::Format_RGB32);
    bitmap.fill(ScaleBackColor);
    QPainter canvas(&bitmap);
    // Canvases drawn at a higher ratio come down to one pixel each, averaged.
    canvas.setRenderHint(QPainter::SmoothPixmapTransform);
    canvas.setPen(QPen(ScaleTextColor, 0));
    canvas.drawRect(0, 0, bitmap.width() - 1, bitmap.height() - 1);
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

bool TFunctionGraph::SaveToFile(const QString &fileName, QString &error) const
{
    QImage bitmap;
    RenderExport(bitmap);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !bitmap.save(&buffer, "BMP")) {
        error = QStringLiteral("The picture could not be written.");
        return false;
    }
    return TryWriteFileAtomically(fileName, bytes, error);
}
