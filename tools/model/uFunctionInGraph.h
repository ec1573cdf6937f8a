#pragma once
// One plotted expression: its prepared text, its colour and its samples.
// Sampling takes one value every 5 pixels and, for expressions that may
// have poles (a "/" or a trigonometric function), also every exact multiple
// of 1 (or of pi/2 in a goniometric view), so that a pole falls on a sample
// and breaks the curve instead of being bridged by a steep segment.
#include "tools/model/uFunctionValueList.h"
#include "tools/model/uGraphState.h"

#include <QColor>
#include <QString>

#include <vector>

class QPainter;

// One evaluation of a prepared expression at a point, as EvaluatePreparedAt:
// 0 with the value in Y, or the error code.
using TPointEvaluator = quint8 (*)(const QString &prepared, const QString &name, Extended x, Extended &y);

// True when Text uses a trigonometric function (sine, cosine, tangent,
// cotangent, secant, cosecant, their inverses and hyperbolic forms) as a
// function name, written in any letter case ("SIN(x)", "cotan(x)",
// "sin30"); a variable that merely begins like one ("cost") does not count.
bool IsTrigonometricExpression(const QString &text);

class TFunctionInGraph
{
public:
    TFunctionInGraph();
    virtual ~TFunctionInGraph() = default;

    // The expression as given uses a trigonometric function.
    bool Goniometric = false;
    // The prepared text (see NormalizeExpression).
    QString Expression = QStringLiteral("[0]");
    QColor Color = QColor(255, 0, 0);
    TFunctionValueList Values;
    // How one sample is evaluated; EvaluatePreparedAt unless replaced.
    TPointEvaluator Evaluator;

    // Stores Text as the expression and recognises its trigonometry.
    void SetExpression(const QString &text);
    // Prepares the expression once for evaluation at many points: blanks
    // out, constants and user variables substituted (a later change of a
    // variable does not change a plotted curve), numbers as tokens, implicit
    // products inserted, lower case, the variable standing as a token.
    void NormalizeExpression(QChar variable);

    // One sample at X, evaluated in radians whatever the calculator's angle
    // unit, since the axis is laid out in multiples of pi. False when the
    // function has no value there.
    bool ValueAt(Extended x, Extended &y) const;

    // Samples the columns PxFrom..PxTo of View. Samples kept from earlier
    // calls are not evaluated again; samples more than a picture width
    // outside the view are dropped first. ClearCache starts afresh.
    void ComputeValues(const TGraphState &view, qint32 pxFrom, qint32 pxTo, bool clearCache);
    // Straight segments between consecutive visible samples; an invisible
    // sample breaks the curve, and a lone visible sample draws nothing.
    void Draw(const TGraphState &view, QPainter &canvas) const;

    // Defined, within 5 pixels of the picture's columns and within the band
    // of rows -30000 .. 32700 around it: beyond that band a sample is taken
    // for a pole and breaks the curve.
    bool IsVisible(const TGraphState &view, const TFunctionValue &v) const;
    qint32 PixelX(const TGraphState &view, Extended x) const;
    qint32 PixelY(const TGraphState &view, Extended y) const;

private:
    bool NeedsExactMultiples() const;
    TFunctionValue Sample(Extended x) const;
    // Samples every multiple of the step (pi/2 in a goniometric view, else
    // 1) in columns PxFrom..PxTo that neither the stored samples nor the
    // first FirstPass ones of Added hold.
    void AddExactMultiples(const TGraphState &view, qint32 pxFrom, qint32 pxTo, std::vector<TFunctionValue> &added,
                           size_t firstPass) const;

    QString Variable = QStringLiteral("x");
};
