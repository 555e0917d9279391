// The tail the flanger reports against the tail it has: an impulse rendered through the real
// effect falls below -120 dB no later than reported, and not much earlier.
#include "effect/VornikTailLength.h"

#include "effect/VornikAudioEffectPlugin.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using V = VornikAudioEffectPlugin;

namespace {

struct Case {
    const char* what;
    double feedback = 0.0;
    double depth = 1.0;
    double range = 0.0008;
    double delay = 0.0;
    double minFrequency = std::log10(40.0);
    int32_t mode = V::kModeDefault;
    double saturation = 0.0;
    double jet = 0.0;
    bool sinc = false;
    double sampleRate = 48000.0;
    // A sweep this slow stands nearly still while the tail rings: the reported tail, which
    // assumes the longest delay all the way, should then be close.
    double rate = std::log10(0.01);
    // Channel 1 then sits a quarter cycle before channel 0's start: where a sine sweep reads
    // furthest back.
    double phaseDifference = 0.75;
};

std::unique_ptr<V> Make(const Case& c, YEffectFrameSettings& frame) {
    auto effect = std::make_unique<V>();
    frame.Sinc = c.sinc ? 1 : 0;
    effect->SetFrameSettings(&frame);
    effect->Parameter(V::kMode).Enum.Value = c.mode;
    effect->Parameter(V::kDepth).Float.Value = c.depth;
    effect->Parameter(V::kRange).Float.Value = c.range;
    effect->Parameter(V::kFeedback).Float.Value = c.feedback;
    effect->Parameter(V::kDelay).Float.Value = c.delay;
    effect->Parameter(V::kMinFrequency).Float.Value = c.minFrequency;
    effect->Parameter(V::kSaturation).Float.Value = c.saturation;
    effect->Parameter(V::kJet).Float.Value = c.jet;
    effect->Parameter(V::kRate).Float.Value = c.rate;
    effect->Parameter(V::kPhaseDifference).Float.Value = c.phaseDifference;
    double fs = c.sampleRate;
    YEffectArguments args;
    args.SetInteger(0, 2);
    args.SetPointer(1, &fs);
    EXPECT_EQ(effect->HandleCommand(kEffectPrepare, &args), 0);
    effect->Generator().Refresh();
    return effect;
}

// Samples after a unit impulse until its answer stays below -120 dB, rendered for at most
// frames.
int64_t MeasuredTail(V& effect, int64_t frames) {
    constexpr int32_t kBlock = 512;
    std::vector<float> in[2], out[2];
    for (auto& ch : in) ch.assign(kBlock, 0.0f);
    for (auto& ch : out) ch.assign(kBlock, 0.0f);
    in[0][0] = in[1][0] = 1.0f;
    float* ins[2] = {in[0].data(), in[1].data()};
    float* outs[2] = {out[0].data(), out[1].data()};
    YProcessingContext context;
    int64_t last = -1;
    for (int64_t start = 0; start < frames; start += kBlock) {
        effect.Process(context, ins, outs, kBlock);
        in[0][0] = in[1][0] = 0.0f;
        for (const auto& ch : out)
            for (int32_t i = 0; i < kBlock; ++i)
                if (std::fabs(ch[i]) >= VornikTailLength::kFloor) last = start + i;
    }
    return std::max<int64_t>(last, 0);
}

} // namespace

TEST(VornikTailLength, CoversTheMeasuredDecayOfTheRealEffect) {
    auto sweeping = [](Case c) {
        c.rate = std::log10(0.2);
        return c;
    };
    const Case cases[] = {
        {"no feedback"},
        {"half feedback", 0.5},
        {"negative feedback", -0.9},
        {"strong feedback, widest range", 0.99, 1.0, 0.01},
        {"strong feedback, 20 Hz high-pass", 0.95, 1.0, 0.0008, 0.0, std::log10(20.0)},
        {"pre-delay and tape 2", 0.7, 1.0, 0.005, 0.02, std::log10(40.0), V::kModeTape2},
        {"saturation and jet", 0.8, -1.0, 0.002, 0.0, std::log10(40.0), V::kModeDefault, 1.0, -1.0},
        {"sinc interpolation", 0.9, 1.0, 0.0008, 0.0, std::log10(40.0), V::kModeTape, 0.0, 0.0, true},
        {"high rate", 0.9, 1.0, 0.0008, 0.0, std::log10(40.0), V::kModeDefault, 0.0, 0.0, false, 384000.0},
        {"dry only", 0.9, 0.0, 0.0008, 0.0, std::log10(40.0), V::kModeTape2},
        sweeping({"sweeping, half feedback", 0.5}),
        sweeping({"sweeping, strong feedback, widest range", 0.99, 1.0, 0.01}),
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        YEffectFrameSettings frame;
        std::unique_ptr<V> effect = Make(c, frame);
        const int32_t reported = effect->GetTailLength();
        ASSERT_GT(reported, 0);
        const int64_t measured = MeasuredTail(*effect, static_cast<int64_t>(reported) * 2 + 4096);
        EXPECT_GE(reported, measured);
        // Hosts should not process far past the ringing: close for a sweep that stands still,
        // within the sweep's effect (it shortens the trips round the loop) otherwise.
        const bool still = c.rate < std::log10(0.02);
        EXPECT_LE(reported, (still ? 2 : 40) * measured + 4096) << "measured " << measured;
        std::printf("%-45s reported %9d measured %9lld\n", c.what, reported,
                    static_cast<long long>(measured));
    }
}

TEST(VornikTailLength, FullFeedbackNeverDecays) {
    for (double feedback : {1.0, -1.0}) {
        Case c{"full", feedback};
        YEffectFrameSettings frame;
        std::unique_ptr<V> effect = Make(c, frame);
        EXPECT_EQ(effect->GetTailLength(), -1);
        // Still ringing a second later, where 99 % feedback would have died away.
        EXPECT_GT(MeasuredTail(*effect, 48000), 47000);
    }
    VornikTailSettings s;
    s.SampleRate = 48000.0;
    s.Feedback = 1.0;
    s.Depth = 0.0;
    s.DryDelay = 7;
    EXPECT_EQ(VornikTailLength().Compute(s), 7) << "a wet path nobody hears does not count";
}

TEST(VornikTailLength, AnUnpreparedEffectHasNoTail) {
    V effect;
    EXPECT_EQ(effect.GetTailLength(), 0);
    EXPECT_EQ(VornikTailLength().Compute(VornikTailSettings{}), 0);
}
