// Speed of the function graph on the window's default 715 x 313 picture
// with five curves: a full redraw, the same zoomed out to 2 units per
// pixel, and a 40-pixel pan, fresh and after 500 pans. Each run first
// checks what it draws, so a faster graph that samples less fails here.
#include "bench/BenchMain.h"
#include "tools/model/uFunctionGraph.h"

#include "core/uProgramState.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <memory>
#include <numbers>

namespace {

struct TGraphFixture
{
    QImage Picture{715, 313, QImage::Format_RGB32};
    QImage Vertical{40, 313, QImage::Format_RGB32};
    QImage Horizontal{719, 21, QImage::Format_RGB32};
    std::unique_ptr<TFunctionGraph> Graph;

    TGraphFixture()
    {
        DecimalSeparator = u'.';
        KProgramState::GetInstance(0)->SetDefaults();
        Graph = std::make_unique<TFunctionGraph>(&Picture, 715, 313, &Vertical, &Horizontal);
        for (const char *text : {"x^2", "sin(x)", "tan(x)", "1/x", "sqrt(abs(x))*sin(3*x)"})
            Graph->AddFunction(text);
    }

    // Each curve has its samples every 5 pixels, and tan(x) and 1/x one on
    // every multiple of pi/2 in view.
    bool Sampled() const
    {
        if (Graph->FunctionCount() != 5)
            return false;
        const Extended step = std::numbers::pi_v<Extended> / 2;
        for (int f : {2, 3}) {
            const TFunctionValueList &v = Graph->Function(f)->Values;
            for (Extended k = std::ceil(Graph->XAtPixel(0) / step); k * step <= Graph->XAtPixel(715); ++k)
                if (!v.Contains(k * step))
                    return false;
        }
        return Graph->Function(0)->Values.Count() >= 143;
    }
};

void BM_RedrawFiveFunctions(benchmark::State &state)
{
    TGraphFixture fixture;
    if (state.range(0) != 0) {
        fixture.Graph->View.ScaleX = 2;
        fixture.Graph->SetOriginX(0);
    }
    fixture.Graph->Redraw();
    if (!fixture.Sampled()) {
        state.SkipWithError("the curves are not sampled as they should be");
        return;
    }
    for (auto _ : state)
        fixture.Graph->Redraw();
    state.counters["samples"] = fixture.Graph->Function(3)->Values.Count();
}
// Arg 0: the default 0.025 units per pixel; 1: 2 units per pixel.
BENCHMARK(BM_RedrawFiveFunctions)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Pan40Pixels(benchmark::State &state)
{
    TGraphFixture fixture;
    for (int i = 0; i < state.range(0); ++i)
        fixture.Graph->Move(i % 3 == 2 ? -40 : 40, i % 7 - 3);
    if (!fixture.Sampled()) {
        state.SkipWithError("the curves are not sampled as they should be");
        return;
    }
    // Always onwards, so that every pan exposes columns not seen before.
    for (auto _ : state)
        fixture.Graph->Move(40, 0);
    if (!fixture.Sampled())
        state.SkipWithError("panning lost samples");
    state.counters["stored"] = fixture.Graph->Function(3)->Values.Count();
}
// Arg: pans made before the timing starts.
BENCHMARK(BM_Pan40Pixels)->Arg(0)->Arg(500)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    return RunBenchmarks<QGuiApplication>(argc, argv);
}
