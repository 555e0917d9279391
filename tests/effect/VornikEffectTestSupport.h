// What the flanger's tests share: a deterministic signal, the settings they set, and a prepared
// effect to run blocks through.
#pragma once

#include "effect/VornikAudioEffectPlugin.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace VornikEffectTest {

using V = VornikAudioEffectPlugin;
using Channels = std::vector<std::vector<float>>;

inline constexpr double kPi = 3.14159265358979323846;

// Deterministic test signal: noise plus a tone, amplitude about `gain`.
inline Channels TestSignal(int channels, int frames, double gain, uint32_t seed = 7) {
    Channels out(channels, std::vector<float>(frames));
    for (int c = 0; c < channels; ++c) {
        for (int i = 0; i < frames; ++i) {
            seed = seed * 1664525u + 1013904223u;
            const double noise = static_cast<double>(seed >> 8) / (1u << 23) - 1.0;
            out[c][i] = static_cast<float>(gain * (0.6 * noise + 0.4 * std::sin(0.031 * i * (c + 1))));
        }
    }
    return out;
}

// Every parameter the tests set, in the records' internal units.
struct Settings {
    int32_t mode = V::kModeDefault;
    double depth = 1.0;
    double range = 0.0008;
    double rate = std::log10(0.2);
    double feedback = 0.0;
    double phaseDifference = 0.0;
    double delay = 0.0;
    double minFrequency = std::log10(40.0);
    double maxFrequency = std::log10(20000.0);
    double jet = 0.0;
    double jetPhase = 0.0;
    double saturation = 0.0;
};

inline void Apply(V& effect, const Settings& s) {
    effect.Parameter(V::kMode).Enum.Value = s.mode;
    effect.Parameter(V::kDepth).Float.Value = s.depth;
    effect.Parameter(V::kRange).Float.Value = s.range;
    effect.Parameter(V::kRate).Float.Value = s.rate;
    effect.Parameter(V::kFeedback).Float.Value = s.feedback;
    effect.Parameter(V::kPhaseDifference).Float.Value = s.phaseDifference;
    effect.Parameter(V::kDelay).Float.Value = s.delay;
    effect.Parameter(V::kMinFrequency).Float.Value = s.minFrequency;
    effect.Parameter(V::kMaxFrequency).Float.Value = s.maxFrequency;
    effect.Parameter(V::kJet).Float.Value = s.jet;
    effect.Parameter(V::kJetPhase).Float.Value = s.jetPhase;
    effect.Parameter(V::kSaturation).Float.Value = s.saturation;
}

// A prepared effect (command 100) with the settings applied and the LFO table built.
inline std::unique_ptr<V> MakeEffect(const Settings& s, int channels, double fs, const YEffectFrameSettings* frame,
                              double shape = 5.0) {
    auto effect = std::make_unique<V>();
    effect->SetFrameSettings(frame);
    Apply(*effect, s);
    effect->Generator().SetValue(shape);
    YEffectArguments args;
    args.SetInteger(0, channels);
    args.SetPointer(1, &fs);
    EXPECT_EQ(effect->HandleCommand(kEffectPrepare, &args), 0);
    effect->Generator().Refresh();
    return effect;
}

inline void ProcessBlock(V& effect, Channels& in, Channels& out, int offset, int frames) {
    std::vector<float*> ins, outs;
    for (auto& ch : in) ins.push_back(ch.data() + offset);
    for (auto& ch : out) outs.push_back(ch.data() + offset);
    YProcessingContext context;
    effect.Process(context, ins.data(), outs.data(), frames);
}

} // namespace VornikEffectTest
