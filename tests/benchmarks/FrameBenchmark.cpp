// What the processing frame costs on top of the effect: the flanger driven through the whole
// plug-in (processing entry, locks, denormal guard, block splitter, channel mode 0) against the
// same flanger called directly, both at 48 kHz, 2 channels, 512-sample blocks, default settings
// with Feedback at +50 %. Each case prints "x_effect", its time per block over the direct
// call's, measured once in the same run.
#include "BlockTiming.h"
#include "core/YQuenlorAudioEffectPlugin.h"
#include "effect/VornikAudioEffectPlugin.h"
#include "entry/VornikAudioEffectPluginInterface.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <vector>

namespace {

using V = VornikAudioEffectPlugin;

constexpr int kChannels = 2;
constexpr int kFrames = 512;
constexpr double kSampleRate = 48000.0;

struct Signal {
    std::vector<float> input[kChannels], output[kChannels];
    float* ins[YAudioPlugin::kMaxSlots] = {};
    float* outs[YAudioPlugin::kMaxSlots] = {};
    Signal() {
        for (int c = 0; c < kChannels; ++c) {
            input[c].resize(kFrames);
            output[c].resize(kFrames);
            for (int i = 0; i < kFrames; ++i) input[c][i] = static_cast<float>(0.5 * std::sin(0.05 * i + c));
            ins[c] = input[c].data();
            outs[c] = output[c].data();
        }
    }
};

struct Direct {
    YEffectFrameSettings frame;
    V effect;
    Signal signal;
    YProcessingContext context;
    Direct() {
        effect.SetFrameSettings(&frame);
        effect.Parameter(V::kFeedback).Float.Value = 0.5;
        double fs = kSampleRate;
        YEffectArguments args;
        args.SetInteger(0, kChannels);
        args.SetPointer(1, &fs);
        effect.HandleCommand(kEffectPrepare, &args);
    }
    void Block() {
        effect.Process(context, signal.ins, signal.outs, kFrames);
        benchmark::DoNotOptimize(signal.outs[0]);
        benchmark::ClobberMemory();
    }
};

struct Framed {
    std::unique_ptr<YQuenlorAudioEffectPlugin> plugin =
        YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", &VornikAudioEffectPluginInterface, 500, 100);
    Signal signal;
    Framed() {
        plugin->SetSampleRate(kSampleRate);
        plugin->SetMaximumBlockSize(kFrames);
        for (int32_t i = 0; i < plugin->GetParameterCount(); ++i)
            if (plugin->GetParameterName(i) == YString::FromUTF8("Feedback")) plugin->SetParameter(i, 0.75);
        plugin->InitProcessing();
    }
    void Block() {
        plugin->ProcessAudio(signal.ins, signal.outs, kFrames, true);
        benchmark::DoNotOptimize(signal.outs[0]);
        benchmark::ClobberMemory();
    }
};

template <typename Rig> void Run(benchmark::State& state) {
    BlockTiming::RunAgainst<Direct, Rig>(state, "x_effect", kFrames * kChannels);
}

void BM_FrameEffectDirect(benchmark::State& state) { Run<Direct>(state); }
BENCHMARK(BM_FrameEffectDirect);

void BM_FrameWholePlugin(benchmark::State& state) { Run<Framed>(state); }
BENCHMARK(BM_FrameWholePlugin);

} // namespace
