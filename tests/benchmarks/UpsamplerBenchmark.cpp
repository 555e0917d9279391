// Cost of an up-then-down round trip of one channel per host sample, beside a plain copy of
// the same block as the baseline (the ratio is what to compare between machines).
#include "BlockTiming.h"
#include "primitives/YUpsampler.h"

#include <benchmark/benchmark.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kBlock = 512;

std::vector<float> Signal() {
    std::vector<float> s(kBlock);
    for (int i = 0; i < kBlock; ++i) s[static_cast<size_t>(i)] = static_cast<float>(std::sin(0.01 * i));
    return s;
}

void CopyBlock(const std::vector<float>& input, std::vector<float>& output) {
    std::memcpy(output.data(), input.data(), sizeof(float) * kBlock);
    benchmark::DoNotOptimize(output.data());
    benchmark::ClobberMemory();
}

// Nanoseconds per block of the copy, measured once per run of the program.
double CopyNanosecondsPerBlock() {
    static const double value = [] {
        const std::vector<float> input = Signal();
        std::vector<float> output(kBlock);
        return BlockTiming::BestNanosecondsPerBlock(200000, [&] { CopyBlock(input, output); });
    }();
    return value;
}

template <typename Body> void TimeBlocks(benchmark::State& state, Body&& body) {
    BlockTiming::TimeBlocks(state, CopyNanosecondsPerBlock(), "x_copy", kBlock, body);
}

void BM_UpsamplerCopyBaseline(benchmark::State& state) {
    const std::vector<float> input = Signal();
    std::vector<float> output(kBlock);
    TimeBlocks(state, [&] { CopyBlock(input, output); });
}
BENCHMARK(BM_UpsamplerCopyBaseline);

void BM_UpsamplerRoundTrip(benchmark::State& state) {
    const int32_t factor = static_cast<int32_t>(state.range(0));
    const bool highQuality = state.range(1) != 0;
    YUpsampler upsampler;
    upsampler.Configure(factor, highQuality);
    const std::vector<float> input = Signal();
    std::vector<float> up(static_cast<size_t>(kBlock) * factor);
    std::vector<float> output(kBlock);
    TimeBlocks(state, [&] {
        upsampler.Upsample(input.data(), up.data(), kBlock);
        upsampler.Downsample(up.data(), output.data(), kBlock, false);
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    });
    state.SetLabel(std::to_string(upsampler.Prototype().size()) + " taps");
}
BENCHMARK(BM_UpsamplerRoundTrip)->Args({2, 0})->Args({16, 0})->Args({2, 1})->Args({16, 1});

} // namespace
