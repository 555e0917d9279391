// The flanger's Process at 48 kHz on 2 channels of 256 samples, in the settings that change
// its inner loop, each reported as a ratio ("x_bare") to a bare swept delay line doing the
// least any flanger must: write the line, one 4-point cubic read at a fractional position,
// one multiply-add for mix and feedback.
#include "effect/VornikAudioEffectPlugin.h"

#include "BlockTiming.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

using V = VornikAudioEffectPlugin;

constexpr int kChannels = 2;
constexpr int kFrames = 256;
constexpr double kSampleRate = 48000.0;

// ---------------------------------------------------------------------------------------------
// The bare loop

struct BareLine {
    static constexpr int kSize = 2048; // a power of two: the index wraps with a mask
    std::vector<float> data = std::vector<float>(kSize, 0.0f);
    int write = 0;
};

struct BareState {
    BareLine lines[kChannels];
    std::vector<float> input[kChannels], output[kChannels];
    std::vector<double> delay; // per-sample delay in samples, as an LFO block would give
    BareState() {
        for (int c = 0; c < kChannels; ++c) {
            input[c].resize(kFrames);
            output[c].resize(kFrames);
            for (int i = 0; i < kFrames; ++i) input[c][i] = static_cast<float>(std::sin(0.05 * i + c));
        }
        delay.resize(kFrames);
        for (int i = 0; i < kFrames; ++i) delay[i] = 40.0 + 30.0 * std::sin(0.002 * i);
    }
};

void BareBlock(BareState& s, float gain) {
    constexpr int mask = BareLine::kSize - 1;
    for (int c = 0; c < kChannels; ++c) {
        BareLine& line = s.lines[c];
        float* d = line.data.data();
        const float* in = s.input[c].data();
        float* out = s.output[c].data();
        int w = line.write;
        for (int i = 0; i < kFrames; ++i) {
            // Offset by the ring size so that truncation is the floor.
            const double position = static_cast<double>(w + BareLine::kSize) - s.delay[i];
            const int k = static_cast<int>(position);
            const float t = static_cast<float>(position - k);
            const float xm1 = d[(k - 1) & mask], x0 = d[k & mask], x1 = d[(k + 1) & mask],
                        x2 = d[(k + 2) & mask];
            const float tap =
                ((((x0 - x1) * 3.0f - xm1 + x2) * 0.5f * t + (2.0f * x1 + xm1 - (5.0f * x0 + x2) * 0.5f)) *
                     t +
                 (x1 - xm1) * 0.5f) *
                    t +
                x0;
            const float y = in[i] + gain * tap;
            d[w] = y;
            out[i] = y;
            w = (w + 1) & mask;
        }
        line.write = w;
    }
}

// Nanoseconds per block of the bare loop, measured once per run of the program.
double BareNanosecondsPerBlock() {
    static const double value = [] {
        BareState s;
        return BlockTiming::BestNanosecondsPerBlock(4000, [&] {
            BareBlock(s, 0.5f);
            benchmark::DoNotOptimize(s.output[0].data());
            benchmark::ClobberMemory();
        });
    }();
    return value;
}

template <typename Body> void TimeBlocks(benchmark::State& state, Body&& body) {
    BlockTiming::TimeBlocks(state, BareNanosecondsPerBlock(), "x_bare", kFrames * kChannels, body);
}

void BM_BareSweptLine(benchmark::State& state) {
    BareState s;
    TimeBlocks(state, [&] {
        BareBlock(s, 0.5f);
        benchmark::DoNotOptimize(s.output[0].data());
        benchmark::ClobberMemory();
    });
}
BENCHMARK(BM_BareSweptLine);

// ---------------------------------------------------------------------------------------------
// The flanger

struct Rig {
    YEffectFrameSettings frame;
    V effect;
    std::vector<float> input[kChannels], output[kChannels];
    float* ins[kChannels];
    float* outs[kChannels];
    YProcessingContext context;

    explicit Rig(bool sinc) {
        frame.Sinc = sinc ? 1 : 0;
        effect.SetFrameSettings(&frame);
        for (int c = 0; c < kChannels; ++c) {
            input[c].resize(kFrames);
            output[c].resize(kFrames);
            for (int i = 0; i < kFrames; ++i) input[c][i] = static_cast<float>(0.5 * std::sin(0.05 * i + c));
            ins[c] = input[c].data();
            outs[c] = output[c].data();
        }
    }
    void Prepare() {
        double fs = kSampleRate;
        YEffectArguments args;
        args.SetInteger(0, kChannels);
        args.SetPointer(1, &fs);
        effect.HandleCommand(kEffectPrepare, &args);
        // Fill the lines so that the timed blocks see real audio.
        for (int b = 0; b < 16; ++b) Block();
    }
    void Block() {
        effect.Process(context, ins, outs, kFrames);
        benchmark::DoNotOptimize(outs[0]);
        benchmark::ClobberMemory();
    }
};

void RunFlanger(benchmark::State& state, bool sinc, void (*configure)(V&), void (*perBlock)(V&, int64_t)) {
    Rig rig(sinc);
    // Feedback on, so the feedback write is not trivially zero.
    rig.effect.Parameter(V::kFeedback).Float.Value = 0.5;
    if (configure) configure(rig.effect);
    rig.Prepare();
    int64_t block = 0;
    TimeBlocks(state, [&] {
        if (perBlock) perBlock(rig.effect, block++);
        rig.Block();
    });
}

void BM_FlangerDefault(benchmark::State& state) { RunFlanger(state, false, nullptr, nullptr); }
BENCHMARK(BM_FlangerDefault);

void BM_FlangerSinc(benchmark::State& state) { RunFlanger(state, true, nullptr, nullptr); }
BENCHMARK(BM_FlangerSinc);

// The two channels at different LFO phases: they cannot share their reads, so the pair takes
// the general paired loop rather than the lockstep one that default settings get.
void BM_FlangerPhaseDifference(benchmark::State& state) {
    RunFlanger(
        state, false, [](V& e) { e.Parameter(V::kPhaseDifference).Float.Value = 0.25; }, nullptr);
}
BENCHMARK(BM_FlangerPhaseDifference);

void BM_FlangerSaturation(benchmark::State& state) {
    RunFlanger(
        state, false, [](V& e) { e.Parameter(V::kSaturation).Float.Value = 0.5; }, nullptr);
}
BENCHMARK(BM_FlangerSaturation);

void BM_FlangerJet(benchmark::State& state) {
    RunFlanger(
        state, false,
        [](V& e) {
            e.Parameter(V::kJet).Float.Value = 0.6;
            e.Parameter(V::kJetPhase).Float.Value = 0.25;
        },
        nullptr);
}
BENCHMARK(BM_FlangerJet);

void BM_FlangerDepthFeedbackRamping(benchmark::State& state) {
    RunFlanger(state, false, nullptr, [](V& e, int64_t block) {
        // A new value every block: both ramp all the time.
        e.Parameter(V::kDepth).Float.Value = (block & 1) ? 0.8 : -0.6;
        e.Parameter(V::kFeedback).Float.Value = (block & 1) ? 0.7 : 0.3;
    });
}
BENCHMARK(BM_FlangerDepthFeedbackRamping);

void BM_FlangerRangeGliding(benchmark::State& state) {
    RunFlanger(state, false, nullptr, [](V& e, int64_t) {
        // Between the two extremes the glide takes about 190 blocks; turn round at each end.
        if (e.RangeStep() == 0.0) {
            PluginParameter& range = e.Parameter(V::kRange);
            range.Float.Value = range.Float.Value > 0.005 ? 0.0 : 0.01;
            e.Update();
        }
    });
}
BENCHMARK(BM_FlangerRangeGliding);

// Automation as a host plays it: Depth, Feedback and Range take a new value every block (a
// 2 Hz sweep) and the frame's smoothing is on, so all three move through every block. Compare
// with BM_FlangerDefault, a static block.
void BM_FlangerDepthFeedbackRangeAutomated(benchmark::State& state) {
    Rig rig(false);
    rig.frame.SmoothAutomation = 1;
    rig.effect.Parameter(V::kFeedback).Float.Value = 0.5;
    rig.Prepare();
    int64_t block = 0;
    TimeBlocks(state, [&] {
        const double sweep = std::sin(2.0 * 3.141592653589793 * 2.0 * static_cast<double>(block++) * kFrames /
                                      kSampleRate);
        rig.effect.Parameter(V::kDepth).Float.Value = 0.6 + 0.3 * sweep;
        rig.effect.Parameter(V::kFeedback).Float.Value = 0.5 + 0.2 * sweep;
        rig.effect.Parameter(V::kRange).Float.Value = 0.002 + 0.0005 * sweep;
        rig.effect.Update();
        rig.Block();
    });
}
BENCHMARK(BM_FlangerDepthFeedbackRangeAutomated);

} // namespace

namespace {

// A block in which the LFO shape changed: the generator's table is rebuilt at block start, on
// the audio thread, with the costliest setting (full Smoothness). Shape automation hits this
// on every block.
void BM_FlangerShapeChangeFullSmoothness(benchmark::State& state) {
    RunFlanger(
        state, false, [](V& e) { e.Generator().SetSmoothness(1.0); },
        [](V& e, int64_t block) { e.Generator().SetValue((block & 1) ? 5.0 : 6.5); });
}
BENCHMARK(BM_FlangerShapeChangeFullSmoothness);

} // namespace
