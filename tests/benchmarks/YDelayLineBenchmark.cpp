// Per-sample cost of the delay lines' reads, beside the plain ring buffer as the baseline;
// and rendering a curve table in runs beside evaluating it point by point.
#include "effect/YVibrato.h"
#include "modulation/YEnvelopeComputer.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <vector>

namespace {

constexpr int kBlock = 512;

std::vector<float> Signal() {
    std::vector<float> s(kBlock);
    for (int i = 0; i < kBlock; ++i) s[static_cast<size_t>(i)] = static_cast<float>(std::sin(0.01 * i));
    return s;
}

void BM_DelayPushPopBaseline(benchmark::State& state) {
    YAudioFilters::Delay<float> line;
    line.Resize(481);
    const std::vector<float> input = Signal();
    for (auto _ : state) {
        float sum = 0.0f;
        for (float x : input) sum += line.PushPop(x);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}
BENCHMARK(BM_DelayPushPopBaseline);

void RunVibrato(benchmark::State& state, bool sinc) {
    YAudioFilters::Vibrato<float> line;
    line.Configure(481.0, sinc ? 39 : 5, sinc);
    const std::vector<float> input = Signal();
    double phase = 0.0;
    for (auto _ : state) {
        float sum = 0.0f;
        for (float x : input) {
            phase += 1e-4;
            sum += line.ModulatedRead(-480.0 * (1.0 + std::sin(phase)));
            line.Push(x);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}
void BM_VibratoCubicRead(benchmark::State& state) { RunVibrato(state, false); }
void BM_VibratoSincRead(benchmark::State& state) { RunVibrato(state, true); }
BENCHMARK(BM_VibratoCubicRead);
BENCHMARK(BM_VibratoSincRead);

YEnvelopeComputer MixedCurve() {
    YEnvelopeComputer::PointList list;
    for (int k = 0; k < YEnvelopeComputer::kSegmentTypeCount; ++k) {
        YEnvelopeComputer::ControlPoint p;
        p.x = k / 12.0;
        p.y = (k % 2) * 1.0;
        p.type = k;
        p.curvatureY = 0.3;
        p.curvatureX = 0.2;
        list.points.push_back(p);
    }
    YEnvelopeComputer::ControlPoint last;
    last.x = 1.0;
    list.points.push_back(last);
    return YEnvelopeComputer(list);
}

void BM_EnvelopeEvaluateEachPointBaseline(benchmark::State& state) {
    const YEnvelopeComputer curve = MixedCurve();
    std::vector<float> table(8192);
    for (auto _ : state) {
        for (int i = 0; i < 8192; ++i)
            table[static_cast<size_t>(i)] = static_cast<float>(curve.Evaluate(i / 8192.0));
        benchmark::DoNotOptimize(table.data());
    }
    state.SetItemsProcessed(state.iterations() * 8192);
}
BENCHMARK(BM_EnvelopeEvaluateEachPointBaseline);

void BM_EnvelopeRenderTable(benchmark::State& state) {
    const YEnvelopeComputer curve = MixedCurve();
    std::vector<float> table(8192);
    for (auto _ : state) {
        curve.Render(table.data(), 0.0, 1.0 / 8192, 8192);
        benchmark::DoNotOptimize(table.data());
    }
    state.SetItemsProcessed(state.iterations() * 8192);
}
BENCHMARK(BM_EnvelopeRenderTable);

} // namespace
