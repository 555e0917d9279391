// Full feedback must not make the loop grow: noise played for a minute reaches a level and
// stays there, whatever the interpolation and mode.
#include "effect/VornikAudioEffectPlugin.h"
#include "effect/VornikLoopGain.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using V = VornikAudioEffectPlugin;

namespace {

constexpr double kRate = 48000.0;
constexpr int32_t kBlock = 512;
constexpr int32_t kSecond = 48000;

struct LoopCase {
    const char* name;
    double feedback;
    bool sinc;
    int32_t mode;
    double range; // seconds
};

// Mean square of each whole second of the left output.
std::vector<double> SecondPowers(const LoopCase& lc, int32_t seconds) {
    YEffectFrameSettings frame;
    frame.Sinc = lc.sinc ? 1 : 0;
    auto effect = std::make_unique<V>();
    effect->SetFrameSettings(&frame);
    effect->Parameter(V::kMode).Enum.Value = lc.mode;
    effect->Parameter(V::kFeedback).Float.Value = lc.feedback;
    effect->Parameter(V::kRange).Float.Value = lc.range;
    double fs = kRate;
    YEffectArguments args;
    args.SetInteger(0, 2);
    args.SetPointer(1, &fs);
    EXPECT_EQ(effect->HandleCommand(kEffectPrepare, &args), 0);
    effect->Generator().Refresh();

    std::vector<float> in[2], out[2];
    for (int c = 0; c < 2; ++c) in[c].resize(kBlock), out[c].resize(kBlock);
    float* ins[2] = {in[0].data(), in[1].data()};
    float* outs[2] = {out[0].data(), out[1].data()};
    uint32_t seed = 12345;
    YProcessingContext context;
    std::vector<double> powers;
    double sum = 0.0;
    int32_t counted = 0;
    const int64_t total = static_cast<int64_t>(seconds) * kSecond;
    for (int64_t done = 0; done < total; done += kBlock) {
        for (int c = 0; c < 2; ++c)
            for (int32_t i = 0; i < kBlock; ++i) {
                seed = seed * 1664525u + 1013904223u;
                in[c][i] = static_cast<float>(0.25 * (static_cast<double>(seed >> 8) / (1u << 23) - 1.0));
            }
        effect->Process(context, ins, outs, kBlock);
        for (int32_t i = 0; i < kBlock; ++i) {
            const double y = out[0][i];
            if (!std::isfinite(y)) {
                ADD_FAILURE() << lc.name << ": non-finite output at frame " << done + i;
                return powers;
            }
            sum += y * y;
            if (++counted == kSecond) {
                powers.push_back(sum / kSecond);
                sum = 0.0;
                counted = 0;
            }
        }
    }
    return powers;
}

double WindowDecibels(const std::vector<double>& powers, size_t first, size_t count) {
    double sum = 0.0;
    for (size_t s = first; s < first + count; ++s) sum += powers[s];
    return 10.0 * std::log10(sum / static_cast<double>(count));
}

} // namespace

TEST(VornikFeedbackBound, FullFeedbackSettlesForAMinuteOfNoise) {
    const LoopCase cases[] = {
        {"+100 %, sinc", 1.0, true, V::kModeDefault, 0.0008},
        {"-100 %, sinc", -1.0, true, V::kModeDefault, 0.0008},
        {"+99 %, sinc", 0.99, true, V::kModeDefault, 0.0008},
        {"+100 %, cubic", 1.0, false, V::kModeDefault, 0.0008},
        {"-100 %, cubic", -1.0, false, V::kModeDefault, 0.0008},
        {"+100 %, sinc, tape", 1.0, true, V::kModeTape, 0.004},
        {"-100 %, cubic, tape 2", -1.0, false, V::kModeTape2, 0.004},
        {"+100 %, sinc, tape 2, 10 ms", 1.0, true, V::kModeTape2, 0.01},
        {"+100 %, cubic, 10 ms", 1.0, false, V::kModeDefault, 0.01},
    };
    for (const LoopCase& lc : cases) {
        SCOPED_TRACE(lc.name);
        const std::vector<double> p = SecondPowers(lc, 60);
        ASSERT_EQ(p.size(), 60u);
        // Noise through a resonant loop wanders by about a decibel between windows; a loop
        // that grows gains several within the minute.
        const double settled = WindowDecibels(p, 10, 10);
        for (size_t first = 20; first < 60; first += 10)
            EXPECT_LT(WindowDecibels(p, first, 10) - settled, 1.5) << "seconds " << first << " to " << first + 10;
    }
}

TEST(VornikFeedbackBound, LoopGainKeepsSettingsUpTo99PercentAndStaysBelowOne) {
    using namespace VornikLoopGain;
    // Settings within ±99 % are the gain itself, bit for bit; above, the gain keeps rising
    // with the setting and ends below 1.
    for (double f : {0.0, 0.5, -0.75, 0.99, -0.99}) EXPECT_EQ(FromSetting(f), f) << f;
    double previous = FromSetting(0.99);
    for (int k = 1; k <= 100; ++k) {
        const double g = FromSetting(0.99 + 0.0001 * k);
        EXPECT_GT(g, previous) << k;
        EXPECT_LT(g, 1.0) << k;
        EXPECT_EQ(FromSetting(-(0.99 + 0.0001 * k)), -g) << k;
        previous = g;
    }
    EXPECT_EQ(FromSetting(1.0), kFull);
    EXPECT_LT(kFull * 1.000035, 1.0); // the sinc read's highest gain

    struct RampCase {
        double start, end;
        double mappedStart, mappedEnd;
    };
    const RampCase ramps[] = {
        {0.2, 0.99, 0.2, 0.99},        // untouched
        {-0.99, 0.5, -0.99, 0.5},      // untouched
        {0.5, 1.0, 0.5, kFull},        // only the end moves
        {1.0, -1.0, kFull, -kFull},    // through zero
        {0.995, 0.995, FromSetting(0.995), FromSetting(0.995)},
    };
    constexpr int32_t kFrames = 64;
    for (const RampCase& r : ramps) {
        SCOPED_TRACE(testing::Message() << r.start << " to " << r.end);
        double start = r.start, step = (r.end - r.start) / kFrames;
        const double originalStep = step;
        MapRamp(start, step, kFrames);
        EXPECT_DOUBLE_EQ(start, r.mappedStart);
        EXPECT_NEAR(start + step * kFrames, r.mappedEnd, 1e-12);
        if (r.mappedStart == r.start && r.mappedEnd == r.end) {
            EXPECT_EQ(start, r.start);
            EXPECT_EQ(step, originalStep);
        }
    }
}
