#pragma once
// The function graph: any number of functions of x plotted on three
// canvases that the graph window owns (the picture with grid, axes and
// curves, a vertical strip with the y numbers and a horizontal strip with
// the x numbers), the view with its zoom, grid and pan operations, and the
// export of the three canvases as one bitmap.
//
// A graph made without canvases keeps the view and samples the functions
// but paints nothing; that is how its sampling is measured and tested
// without a display.
#include "core/uList.h"
#include "tools/model/uFunctionInGraph.h"
#include "tools/model/uGraphState.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

#include <functional>

class QPainter;

// A number of a scale strip: the grid line's column (horizontal strip) or
// row (vertical strip) and the text; Pi: the text counts multiples of pi
// and is followed by the pi sign.
struct TScaleLabel
{
    qint32 Pixel = 0;
    QString Text;
    bool Pi = false;
    Extended Line = 0; // the grid line's index: its value over the grid step
};

// The curve colours, chosen by the number of functions already plotted,
// modulo 5: red, green, blue, fuchsia, maroon.
extern const QColor GraphPalette[5];

// A canvas of Size pixels drawn at Ratio device pixels per pixel (a screen's
// device pixel ratio), and whether Canvas is one.
QImage NewGraphCanvas(const QSize &size, qreal ratio);
bool IsGraphCanvas(const QImage &canvas, const QSize &size, qreal ratio);

class TFunctionGraph
{
public:
    // The canvases are the window's and are not owned; each may be null.
    TFunctionGraph(QImage *graphCanvas, qint32 width, qint32 height, QImage *verticalScaleCanvas,
                   QImage *horizontalScaleCanvas);
    virtual ~TFunctionGraph() = default;
    TFunctionGraph(const TFunctionGraph &) = delete;
    TFunctionGraph &operator=(const TFunctionGraph &) = delete;

    QImage *GraphCanvas;
    QImage *VerticalScaleCanvas;
    QImage *HorizontalScaleCanvas;

    TGraphState View;
    QColor BackgroundColor = QColor(255, 255, 255);
    QColor AxisColor = QColor(0, 0, 0);
    QColor GridColor = QColor(0x80, 0x80, 0x80);
    // The scale strips' background and their numbers (and the export's frame
    // and corner text) on it: the window sets both from its palette.
    QColor ScaleBackColor = QColor(0xF0, 0xF0, 0xF0);
    QColor ScaleTextColor = QColor(0, 0, 0);
    // Device pixels per pixel of the canvases (the screen's ratio): the
    // picture is redrawn at that many; every position stays in pixels.
    qreal DevicePixelRatio = 1;
    // The font of the scale numbers (the window's font).
    QFont ScaleFont;
    // Sounded for a refused zoom, grid or move step.
    std::function<void()> Beep;
    // How every function evaluates its samples (EvaluatePreparedAt unless
    // replaced before functions are added).
    TPointEvaluator Evaluator;

    // ---- functions
    // Adds a curve for Text unless the same prepared expression is already
    // plotted; a new curve decides the labelling (multiples of pi for
    // trigonometry) and the view goes home.
    void AddFunction(const QString &text);
    void ClearFunctions();
    qint32 FunctionCount() const { return Functions.Count(); }
    bool ContainsExpression(const TFunctionInGraph *function);
    TFunctionInGraph *Function(int index) const { return Functions.GetItem(index); }
    // The first function's value at X; 0 without functions or where it has
    // no value.
    Extended ValueAt(Extended x);
    // The same, false where there is no value (or no function).
    bool TryValueAt(Extended x, Extended &y);

    // ---- view
    // Default scales and grid; the origin in the centre; the labelling of
    // the most recently added function (or, with none, the present mode).
    void ResetView();
    void SetOriginX(Extended x); // X in the middle column
    void SetOriginY(Extended y); // Y in the middle row
    // x = 0 and the first function's value there in the middle, redrawn.
    void MoveHome();
    void ZoomIn(bool horizontal, bool vertical);
    void ZoomOut(bool horizontal, bool vertical);
    void GridZoomIn(bool horizontal, bool vertical);
    void GridZoomOut(bool horizontal, bool vertical);
    void SetGoniometric(bool on);
    void Resize(qint32 newWidth, qint32 newHeight);
    // Positive Dx moves the drawing right, positive Dy down; only the newly
    // exposed columns are sampled. False (and a beep) when nothing moved.
    bool Move(qint32 dx, qint32 dy);

    // ---- sampling and curves
    void ComputeAll(qint32 pxFrom, qint32 pxTo, bool clearCache);
    void DrawFunctions();

    // ---- repaint
    // Background, grid, axes and scale numbers repainted, every function
    // sampled afresh and drawn.
    void Redraw();
    // The picture's background and its dotted grid.
    void DrawGrid();
    // The grid (over R's old contents) and the two axes where they cross R.
    void DrawAxes(const QRect &r);
    // The numbers of both scale strips for the grid lines of R.
    void DrawScales(const QRect &r);
    // The numbers of the grid lines of R, in ascending columns and in rows
    // from the bottom up.
    QList<TScaleLabel> HorizontalScaleLabels(const QRect &r) const;
    QList<TScaleLabel> VerticalScaleLabels(const QRect &r) const;
    // The vertical numbers as the strip writes them: when one is too wide
    // for the strip (in ScaleFont), all with fewer digits, each within half
    // a grid step of its line.
    void ShortenVerticalScaleLabels(QList<TScaleLabel> &labels) const;
    // Column of the first vertical grid line at or left of column 0, and
    // row of the first horizontal grid line at or above row 0 (both 0 or
    // negative).
    qint32 FirstGridLineX() const;
    qint32 FirstGridLineY() const;
    // Of the horizontal numbers, those whose Line is a multiple of the
    // stride are written: 1 unless the grid lines stand too close for them.
    Extended HorizontalLabelStride(const QList<TScaleLabel> &labels) const;
    // Whether the number lies wholly on a strip StripWidth pixels wide; one
    // cut at the strip's edge is left out.
    bool HorizontalLabelFits(const TScaleLabel &label, qreal stripWidth) const;
    // The width the horizontal strip's number takes.
    qint32 ScaleLabelWidth(const TScaleLabel &label) const;
    // A multiple of pi on the horizontal strip (Text the multiple), centred
    // on Column, followed by a larger pi sign on the same baseline.
    void DrawScaleLabel(QPainter &canvas, qint32 column, qint32 row, const QString &text);
    // The column the vertical strip's numbers end at: 34 on a strip 40
    // pixels wide (and 6 left of the edge of a wider one).
    qint32 VerticalLabelRight() const;
    // A number of the vertical strip, right-aligned at VerticalLabelRight
    // (in a smaller font when it is wider than that).
    void DrawVerticalScaleLabel(QPainter &canvas, qint32 row, const QString &text);

    // ---- export
    // The three canvases framed as the window shows them, with the corner
    // text "y \ x", one bitmap pixel per pixel whatever the canvases' ratio.
    void RenderExport(QImage &bitmap) const;
    void CopyToClipboard() const;
    // Writes the export as a bitmap (BMP) file, through a temporary file.
    // False, with the reason in Error, when it cannot be written.
    bool SaveToFile(const QString &fileName, QString &error) const;

    // ---- conversions
    Extended XAtPixel(Extended px) const { return View.XAtPixel(px); }
    Extended YAtPixel(Extended py) const { return View.YAtPixel(py); }
    qint32 FlipY(qint32 py) const { return View.FlipY(py); }

private:
    void SetLabelling(bool goniometric);
    void DoBeep();
    // The column of world x and the row of world y, clamped far outside any
    // picture.
    qint32 ColumnOfX(Extended x) const;
    qint32 RowOfY(Extended y) const;
    void DrawHorizontalScale(const QRect &r);
    void DrawVerticalScale(const QRect &r);

    TList<TFunctionInGraph> Functions;
};
