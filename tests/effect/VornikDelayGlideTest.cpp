// Changes of Delay and Mode while a tone plays: the delays a listener hears glide, so the
// output never jumps by more than the tone itself moves between two samples.
#include "effect/VornikAudioEffectPlugin.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using V = VornikAudioEffectPlugin;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRate = 48000.0;
constexpr double kToneAmplitude = 0.5;
// The most a 1 kHz tone of that amplitude moves between two samples.
const double kToneSlope = kToneAmplitude * 2.0 * kPi * 1000.0 / kRate;

std::unique_ptr<V> MakeEffect(int32_t channels, bool sinc, YEffectFrameSettings& frame,
                              const std::function<void(V&)>& setUp) {
    auto effect = std::make_unique<V>();
    frame.Sinc = sinc ? 1 : 0;
    effect->SetFrameSettings(&frame);
    setUp(*effect);
    double fs = kRate;
    YEffectArguments args;
    args.SetInteger(0, channels);
    args.SetPointer(1, &fs);
    EXPECT_EQ(effect->HandleCommand(kEffectPrepare, &args), 0);
    effect->Generator().Refresh();
    return effect;
}

// Plays `frames` samples of the tone in blocks of `block`, calling change (then Update)
// before the block that starts at `changeAt`; returns the left channel's output.
std::vector<float> Play(V& effect, int32_t frames, int32_t block, int32_t changeAt,
                        const std::function<void(V&)>& change) {
    std::vector<float> left(static_cast<size_t>(frames)), right(left.size());
    for (int32_t i = 0; i < frames; ++i)
        left[i] = right[i] = static_cast<float>(kToneAmplitude * std::sin(2.0 * kPi * 1000.0 * i / kRate));
    std::vector<float> outLeft(left.size()), outRight(left.size());
    YProcessingContext context;
    for (int32_t first = 0; first < frames; first += block) {
        if (first == changeAt) {
            change(effect);
            effect.Update();
        }
        const int32_t n = std::min(block, frames - first);
        float* in[2] = {left.data() + first, right.data() + first};
        float* out[2] = {outLeft.data() + first, outRight.data() + first};
        effect.Process(context, in, out, n);
    }
    return outLeft;
}

double LargestStep(const std::vector<float>& y, size_t from) {
    double largest = 0.0;
    for (size_t i = std::max<size_t>(from, 1); i < y.size(); ++i)
        largest = std::max(largest, std::fabs(static_cast<double>(y[i]) - y[i - 1]));
    return largest;
}

} // namespace

TEST(VornikDelayGlide, ModeAndDelayChangesDoNotJumpAtAnyBlockSize) {
    struct Case {
        const char* what;
        bool sinc;
        std::function<void(V&)> before, change;
        double paths; // 1: only the wet or only the dry path sounds; 2: both
    };
    const auto mode = [](int32_t m) { return [m](V& e) { e.Parameter(V::kMode).Enum.Value = m; }; };
    const auto delay = [](double s) { return [s](V& e) { e.Parameter(V::kDelay).Float.Value = s; }; };
    const auto both = [](std::function<void(V&)> a, std::function<void(V&)> b) {
        return [a, b](V& e) {
            a(e);
            b(e);
        };
    };
    // Depth 2 leaves the wet path alone, 0 the dry path alone.
    const auto depth = [](double d) { return [d](V& e) { e.Parameter(V::kDepth).Float.Value = d; }; };
    const auto fullRange = [](V& e) { e.Parameter(V::kRange).Float.Value = 0.01; };
    const Case cases[] = {
        {"default to tape", false, depth(0.0), mode(V::kModeTape), 1.0},
        {"tape to default", false, both(depth(0.0), mode(V::kModeTape)), mode(V::kModeDefault), 1.0},
        {"default to tape 2 at full range", false, both(depth(0.0), fullRange), mode(V::kModeTape2), 1.0},
        {"tape 2 to default, sinc", true, both(depth(0.0), mode(V::kModeTape2)), mode(V::kModeDefault), 1.0},
        {"delay 0 to 20 ms", false, depth(2.0), delay(0.02), 1.0},
        {"delay 20 ms to 1 ms", false, both(depth(2.0), delay(0.02)), delay(0.001), 1.0},
        {"delay and mode together, full mix", false, depth(1.0), both(delay(0.01), mode(V::kModeTape)), 2.0},
    };
    for (const Case& c : cases) {
        for (int32_t block : {16, 512, 4096}) {
            SCOPED_TRACE(testing::Message() << c.what << ", blocks of " << block);
            YEffectFrameSettings frame;
            auto effect = MakeEffect(2, c.sinc, frame, c.before);
            // Long enough for the longest glide (960 samples, at 0.0089 per sample on average)
            // to end.
            const int32_t frames = 8192 + 110000;
            const std::vector<float> y = Play(*effect, frames, block, 8192, c.change);
            // The wet and dry paths at full mix each move at most as fast as the tone.
            EXPECT_LT(LargestStep(y, 4096), c.paths * kToneSlope * 1.05);
            // The glide has ended on the new lengths.
            EXPECT_EQ(effect->PreDelayNow(), effect->PreDelayTarget());
            EXPECT_EQ(effect->DryDelayNow(), effect->DryDelayTarget());
            EXPECT_EQ(effect->PreDelayLine(0).Length(), static_cast<int32_t>(effect->PreDelayTarget()));
            if (effect->DryDelayed())
                EXPECT_EQ(effect->DryLine(0).Length(), static_cast<int32_t>(effect->DryDelayTarget()));
            else
                EXPECT_EQ(effect->DryDelayTarget(), 0.0);
        }
    }
}

TEST(VornikDelayGlide, DryPathEndsExactlyAtTheNewModesDelay) {
    struct Case {
        int32_t from, to;
        bool sinc;
        int32_t expectedDelay; // the new mode's latency: tape modes count the largest range
    };
    const Case cases[] = {
        {V::kModeDefault, V::kModeTape2, false, 481},
        {V::kModeTape2, V::kModeDefault, false, 0},
        {V::kModeDefault, V::kModeTape, true, 18 + 240},
        {V::kModeTape, V::kModeTape2, false, 481},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " to " << c.to << (c.sinc ? ", sinc" : ""));
        YEffectFrameSettings frame;
        auto effect = MakeEffect(2, c.sinc, frame, [&](V& e) {
            e.Parameter(V::kDepth).Float.Value = 0.0; // the dry path alone
            e.Parameter(V::kMode).Enum.Value = c.from;
        });
        Play(*effect, 112 * 512, 512, 0, [&](V& e) { e.Parameter(V::kMode).Enum.Value = c.to; });
        EXPECT_EQ(effect->DryDelayNow(), c.expectedDelay);
        // After silence, an impulse comes out exactly that many samples later.
        std::vector<float> in(1024, 0.0f), out(1024, 1.0f);
        float* ins[2] = {in.data(), in.data()};
        float* outs[2] = {out.data(), out.data()};
        YProcessingContext context;
        effect->Process(context, ins, outs, 1024);
        in[10] = 1.0f;
        effect->Process(context, ins, outs, 1024);
        for (int32_t i = 0; i < 1024; ++i) EXPECT_EQ(out[i], i == 10 + c.expectedDelay ? 1.0f : 0.0f) << i;
    }
}

TEST(VornikDelayGlide, DelayGlidesSmoothlyAndNoFasterThanTheGlideStep) {
    struct Case {
        double delay;    // seconds, from Delay 0 (one sample)
        double length;   // the pre-delay's new length
        int32_t samples; // until the glide ends
        bool limited;    // at the glide step half way
    };
    // A small change spans three of the curve's longest intervals; a large one as many as its
    // steepest point at the glide step needs (3/4 of the change per interval).
    constexpr int32_t kLongest = VornikAutomationSmoother::kLongestSpan;
    const Case cases[] = {
        {0.001, 48.0, 3 * kLongest, false},
        {0.02, 960.0, 3 * static_cast<int32_t>(959.0 * 0.75 / V::kDelayGlideStep), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.delay);
        YEffectFrameSettings frame;
        auto effect = MakeEffect(1, false, frame, [](V&) {});
        EXPECT_EQ(effect->PreDelayNow(), 1.0);
        float x = 0.25f, y = 0.0f;
        float* in[1] = {&x};
        float* out[1] = {&y};
        YProcessingContext context;
        effect->Parameter(V::kDelay).Float.Value = c.delay;
        effect->Update();
        EXPECT_EQ(effect->PreDelayTarget(), c.length);
        EXPECT_EQ(effect->PreDelayNow(), 1.0); // Update alone moves nothing
        std::vector<double> delay{effect->PreDelayNow()};
        for (int32_t i = 0; i < c.samples + 100; ++i) {
            effect->Process(context, in, out, 1);
            delay.push_back(effect->PreDelayNow());
        }
        double fastest = 0.0, sharpest = 0.0;
        for (size_t i = 1; i < delay.size(); ++i) {
            ASSERT_GE(delay[i], delay[i - 1]) << i;
            fastest = std::max(fastest, delay[i] - delay[i - 1]);
            if (i >= 2) sharpest = std::max(sharpest, std::fabs(delay[i] - 2.0 * delay[i - 1] + delay[i - 2]));
        }
        EXPECT_LE(fastest, V::kDelayGlideStep * (1.0 + 1e-9));
        if (c.limited) {
            EXPECT_GT(fastest, V::kDelayGlideStep * 0.999);
        }
        // The speed changes gradually: a start at full speed would bend by the step at once.
        EXPECT_LT(sharpest, V::kDelayGlideStep / 1000.0);
        // It ends on the line's new length.
        const auto end = std::find(delay.begin(), delay.end(), c.length);
        ASSERT_NE(end, delay.end());
        EXPECT_NEAR(end - delay.begin(), c.samples, 4.0 + c.samples * 1e-3);
        EXPECT_EQ(effect->PreDelayLine(0).Length(), static_cast<int32_t>(c.length));
    }
}

TEST(VornikAutomationSmoothing, DepthFollowsBlockValuesWithoutSlopeSteps) {
    // Depth between 1 and 2 scales only the dry path, by 2 − Depth; on a constant input the
    // wet path's high-pass leaves nothing, so the output draws the Depth curve itself.
    const double input = 0.5;
    const auto depthAt = [](int32_t sample) { return 1.5 + 0.4 * std::sin(2.0 * kPi * 2.0 * sample / kRate); };
    for (int32_t smooth : {0, 1}) {
        for (int32_t block : {512, 2048}) {
            SCOPED_TRACE(testing::Message() << "smoothing " << smooth << ", blocks of " << block);
            YEffectFrameSettings frame;
            auto effect = MakeEffect(1, false, frame, [](V& e) { e.Parameter(V::kDepth).Float.Value = 1.5; });
            frame.SmoothAutomation = static_cast<uint8_t>(smooth);
            const int32_t frames = 24 * 2048; // whole blocks of either size
            std::vector<float> x(frames, static_cast<float>(input)), y(frames);
            YProcessingContext context;
            for (int32_t first = 0; first < frames; first += block) {
                // A 2 Hz sweep, one value per block; it stops half way.
                effect->Parameter(V::kDepth).Float.Value = depthAt(std::min(first, frames / 2));
                // The host's blocks arrive cut into the frame's sub-blocks of 256.
                for (int32_t sub = first; sub < first + block; sub += 256) {
                    float* in[1] = {x.data() + sub};
                    float* out[1] = {y.data() + sub};
                    effect->Process(context, in, out, 256);
                }
            }
            double bend = 0.0;
            for (int32_t i = 4800; i < frames; ++i)
                bend = std::max(bend, std::fabs(double(y[i]) - 2.0 * y[i - 1] + y[i - 2]));
            // Straight ramps per call bend by 1e-4 at block starts; the smoothed curve, drawn
            // in straight pieces of 32 samples, bends ten times less even where it stops.
            if (smooth != 0) {
                EXPECT_LT(bend, 1e-5);
                // It settles on the last value.
                EXPECT_NEAR(y.back(), input * (2.0 - depthAt(frames / 2)), 1e-6);
            } else {
                EXPECT_GT(bend, 5e-5);
            }
        }
    }
}
