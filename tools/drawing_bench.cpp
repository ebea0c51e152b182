// How long one full repaint of the editor takes: the background, seven knob frames with
// transparency and two menu text boxes, drawn into an offscreen context of the editor's size.
#include "toolkit/CBitmap.h"
#include "toolkit/COffscreenContext.h"
#include "toolkit/DrawingFacilities.h"

#include <benchmark/benchmark.h>

using namespace toolkit;

namespace
{

void repaint(COffscreenContext& target, CBitmap& background, CBitmap& knob, int frame)
{
    static const int xs[7] = {27, 91, 154, 221, 286, 378, 442};
    background.draw(&target, CRect(0, 0, 521, 166));
    for (int i = 0; i < 7; ++i)
        knob.drawTransparent(&target, CRect(xs[i], 26, xs[i] + 49, 75),
                             CPoint(0, 49 * ((frame + 11 * i) % 80)));
    for (int x : {26, 122})
    {
        target.setFillColor(CColor{18, 31, 122, 255});
        target.setFontColor(CColor{120, 120, 120, 255});
        target.drawRect(CRect(x, 106, x + 50, 122), kDrawFilled);
        target.drawString(x == 26 ? "1/16T" : "4", CRect(x, 106, x + 50, 122), 0, kCenterText);
    }
}

void FullRepaint(benchmark::State& state, bool withTransparentBlt)
{
    loadDrawingFacilities();
    if (!withTransparentBlt)
        drawingFacilities().transparentBlt = nullptr;
    CBitmap background(128);
    CBitmap knob(129);
    knob.setTransparentColor(kBlackCColor);
    COffscreenContext target(nullptr, 521, 166, kBlackCColor);
    int frame = 0;
    for (auto _ : state)
    {
        repaint(target, background, knob, frame++);
        benchmark::ClobberMemory();
    }
    freeDrawingFacilities();
}

BENCHMARK_CAPTURE(FullRepaint, transparent_blit, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(FullRepaint, mask_fallback, false)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
