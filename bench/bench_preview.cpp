// Speed of the expression preview: parse, layout and paint of a formula as
// the preview window does it (root at (5, 5), 16 points, the sans font).
//  - a 500-character expression of fractions, roots, powers and functions,
//    painted whole;
//  - the longest expressions the calculator takes (65,535 characters): a
//    chain of "+1" that is too deep to draw and is refused, and one of
//    bracketed sums that is laid out and painted where a window shows it.
// Each run checks what it made, so a faster layout that drops nodes fails.
#include "bench/BenchMain.h"
#include "tools/model/uGrafickyVyraz.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

QString Mixed500()
{
    const QString piece = QStringLiteral("(a+b)/(c-d)^(1/2)+x^(2/3)+sin(x)/2+ln(1+1/(1+y))*z^2");
    QString text = piece;
    while (text.size() + 1 + piece.size() <= 500)
        text += u'+' + piece;
    while (text.size() + 2 <= 500)
        text += QStringLiteral("+1");
    if (text.size() < 500)
        text += u'1';
    return text;
}

// 65,535 characters: bracketed sums of "1+1+..." joined by "+", then "+1"
// to the full length; no deeper than the tree allows.
QString LongestDrawable()
{
    QString group = QStringLiteral("(1");
    for (int i = 0; i < 600; ++i)
        group += QStringLiteral("+1");
    group += u')';
    QString text = group;
    while (text.size() + 1 + group.size() <= 65535 - 600)
        text += u'+' + group;
    while (text.size() + 2 <= 65535)
        text += QStringLiteral("+1");
    if (text.size() < 65535)
        text += u'1';
    return text;
}

int PaintedInk(const QImage &Image)
{
    int ink = 0;
    for (int y = 0; y < Image.height(); y += 2)
        for (int x = 0; x < Image.width(); x += 2)
            ink += qGray(Image.pixel(x, y)) < 128;
    return ink;
}

void BM_LayoutAndPaint500(benchmark::State &State)
{
    const QString text = Mixed500();
    TFontTextMetrics metrics;
    int ink = 0;
    for (auto _ : State) {
        auto formula = TGrafickyVyraz::Create(text, 5, 5, 16);
        formula->Measure(metrics);
        QImage image(formula->Width() + 10, formula->Height() + 10, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        formula->Draw(painter, metrics);
        painter.end();
        State.PauseTiming();
        ink = PaintedInk(image);
        State.ResumeTiming();
    }
    if (text.size() != 500 || ink < 500)
        State.SkipWithError("the formula was not drawn");
    State.SetLabel(QStringLiteral("%1 characters").arg(text.size()).toStdString());
}
BENCHMARK(BM_LayoutAndPaint500)->Unit(benchmark::kMillisecond);

void BM_LongestChainRefused(benchmark::State &State)
{
    QString text = QStringLiteral("1");
    while (text.size() + 2 <= 65535)
        text += QStringLiteral("+1");
    bool refused = true;
    for (auto _ : State) {
        try {
            auto formula = TGrafickyVyraz::Create(text, 5, 5, 16);
            refused = false;
        } catch (const EVyrazError &) {}
    }
    if (!refused)
        State.SkipWithError("the chain was not refused");
}
BENCHMARK(BM_LongestChainRefused)->Unit(benchmark::kMillisecond);

// Laid out whole, painted in a window of 800 x 300 in the middle of it.
void BM_LongestDrawable(benchmark::State &State)
{
    const QString text = LongestDrawable();
    TFontTextMetrics metrics;
    int ink = 0;
    int width = 0;
    for (auto _ : State) {
        auto formula = TGrafickyVyraz::Create(text, 5, 5, 16);
        formula->Measure(metrics);
        width = formula->Width();
        QImage image(800, 300, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.translate(-width / 2, 0);
        formula->Draw(painter, metrics, QRect(width / 2, 0, 800, 300));
        painter.end();
        State.PauseTiming();
        ink = PaintedInk(image);
        State.ResumeTiming();
    }
    if (text.size() != 65535 || ink < 100 || width < 65535 * 5)
        State.SkipWithError("the formula was not drawn");
}
BENCHMARK(BM_LongestDrawable)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return RunBenchmarks<QGuiApplication>(argc, argv);
}
