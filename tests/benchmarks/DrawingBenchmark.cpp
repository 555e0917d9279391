// Painting an editor-sized bitmap: a full repaint (gradient, panels, 24 knobs, 200 text runs,
// anti-aliased shapes) and the repaint of one knob's dirty rectangle, beside a plain memset of
// the same 800 x 500 bitmap measured in the same run.
#include "gui/drawing/YDrawerToYBitmap.h"
#include "gui/drawing/YFont.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace {

constexpr int32_t kW = 800, kH = 500;

struct Scene {
    std::unique_ptr<YFont> label = YFont::Default(11);
    std::unique_ptr<YFont> title = YFont::Default(18);

    static YRect Knob(int i) { return YRect::FromSize(30 + (i % 8) * 95, 80 + (i / 8) * 130, 56, 56); }

    void Paint(YDrawer& d) {
        d.FillRectangleGradient({0, 0, kW - 1, kH - 1}, YColor::RGB(46, 50, 58), YColor::RGB(22, 24, 28), false, YColorOp::Copy);
        d.SetFont(title.get());
        d.AlignedTextOut({0, 8, kW - 1, 40}, "Vornik", kAlignCenter, YColor::RGB(235, 235, 240), YColorOp::Alphablend);
        for (int p = 0; p < 3; ++p) {
            const YRect panel{16, 60 + p * 130, kW - 17, 60 + p * 130 + 120};
            d.FillRoundRectangle(panel, 8, YColor::RGB(255, 255, 255, 18), YColorOp::Alphablend);
            d.RoundRectangle(panel, 8, YColor::RGB(255, 255, 255, 50), YColorOp::Alphablend);
        }
        d.SetFont(label.get());
        int runs = 2;
        for (int i = 0; i < 24; ++i) {
            PaintKnob(d, i);
            runs += 2;
        }
        // The rest of the 200 text runs: a status list down the right.
        for (; runs < 200; ++runs)
            d.AlignedTextOut(YRect::FromSize(8 + (runs % 4) * 200, 450 + (runs % 3) * 14, 190, 14), "Feedback -12.5 %",
                             kAlignLeft, YColor::RGB(160, 170, 180), YColorOp::Alphablend);
        const YPointF wave[] = {{20, 30}, {60, 10}, {100, 40}, {140, 12}, {180, 34}};
        d.SetLineWidth(1.5f);
        d.PolyLine(wave, 5, YColor::RGB(120, 230, 140), YColorOp::Alphablend);
    }

    void PaintKnob(YDrawer& d, int i) {
        const YRect k = Knob(i);
        const float cx = static_cast<float>(k.left) + 28, cy = static_cast<float>(k.top) + 28;
        d.FillCircle(cx, cy, 24, YColor::RGB(70, 76, 88), YColorOp::Copy);
        d.SetLineWidth(2);
        d.Circle(cx, cy, 24, YColor::RGB(200, 210, 230, 160), YColorOp::Alphablend);
        const float angle = -2.4f + 0.2f * static_cast<float>(i);
        d.MoveTo(cx, cy);
        d.LineToF(cx + 20 * std::cos(angle), cy + 20 * std::sin(angle), YColor::RGB(255, 190, 60), YColorOp::Alphablend);
        d.AlignedTextOut({k.left - 10, k.bottom + 2, k.right + 10, k.bottom + 16}, "Depth", kAlignHCenter,
                         YColor::RGB(220, 220, 220), YColorOp::Alphablend);
        d.AlignedTextOut({k.left - 10, k.bottom + 16, k.right + 10, k.bottom + 30}, "37.5 %", kAlignHCenter,
                         YColor::RGB(150, 200, 255), YColorOp::Alphablend);
    }
};

void BM_MemsetEditorBitmap(benchmark::State& state) {
    YBitmap bitmap(kW, kH);
    for (auto _ : state) {
        std::memset(static_cast<void*>(bitmap.Pixels()), 0x20, sizeof(YColor) * kW * kH);
        benchmark::DoNotOptimize(bitmap.Pixels());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemsetEditorBitmap);

void BM_FullEditorRepaint(benchmark::State& state) {
    YBitmap bitmap(kW, kH);
    YDrawerToYBitmap drawer(&bitmap);
    Scene scene;
    scene.Paint(drawer); // glyph caches warm, as in a window painted before
    for (auto _ : state) {
        scene.Paint(drawer);
        benchmark::DoNotOptimize(bitmap.Pixels());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FullEditorRepaint)->Unit(benchmark::kMicrosecond);

// One knob changed: its dirty rectangle is the clip, and what lies under it paints again
// (background, panel, the knob and its two labels).
void BM_KnobDirtyRepaint(benchmark::State& state) {
    YBitmap bitmap(kW, kH);
    YDrawerToYBitmap drawer(&bitmap);
    Scene scene;
    scene.Paint(drawer);
    const YRect k = Scene::Knob(9);
    const YRect dirty{k.left - 10, k.top, k.right + 10, k.bottom + 30};
    for (auto _ : state) {
        drawer.SetClipRect(dirty);
        drawer.FillRectangleGradient({0, 0, kW - 1, kH - 1}, YColor::RGB(46, 50, 58), YColor::RGB(22, 24, 28), false, YColorOp::Copy);
        drawer.FillRoundRectangle({16, 190, kW - 17, 310}, 8, YColor::RGB(255, 255, 255, 18), YColorOp::Alphablend);
        drawer.SetFont(scene.label.get());
        scene.PaintKnob(drawer, 9);
        benchmark::DoNotOptimize(bitmap.Pixels());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_KnobDirtyRepaint)->Unit(benchmark::kMicrosecond);

} // namespace
