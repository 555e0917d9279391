// Range, Saturation and the filters' corners under a frame that asks for smoothed automation:
// they follow the host's block values along a curve, settle on exactly what a held setting
// gives, and the specialised loops keep the general loop's numbers while they move.
#include "VornikEffectTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

using namespace VornikEffectTest;

namespace {

struct Moving {
    const char* name;
    int32_t index;
    double from, to;
};

// Which setting a case moves, from and to (internal units).
const Moving kMoving[] = {
    {"Range", V::kRange, 0.002, 0.004},
    {"Saturation", V::kSaturation, 0.1, 0.9},
    {"Min frequency", V::kMinFrequency, std::log10(40.0), std::log10(800.0)},
    {"Max frequency", V::kMaxFrequency, std::log10(16000.0), std::log10(1500.0)},
};

// Runs blocks of 512 split into the frame's sub-blocks of 256; the setting follows a 4 Hz sweep
// from `from` to `to` and back for the first half, then holds `to`.
Channels Play(V& effect, const Moving& m, const Channels& input, const std::function<void(int32_t)>& afterBlock = {}) {
    Channels in = input, out(in.size(), std::vector<float>(in[0].size()));
    const int32_t frames = static_cast<int32_t>(in[0].size());
    for (int32_t first = 0; first < frames; first += 512) {
        const double t = std::min(first, frames / 2) / 48000.0;
        const double w = 0.5 - 0.5 * std::cos(2.0 * kPi * 4.0 * t);
        effect.Parameter(m.index).Float.Value = first < frames / 2 ? m.from + (m.to - m.from) * w : m.to;
        effect.Update();
        for (int32_t sub = first; sub < first + 512; sub += 256) ProcessBlock(effect, in, out, sub, 256);
        if (afterBlock) afterBlock(first + 512);
    }
    return out;
}

Settings Base(bool saturate) {
    Settings s;
    s.rate = std::log10(3.0);
    s.feedback = 0.6;
    s.range = 0.002;
    if (saturate) s.saturation = 0.5;
    return s;
}

} // namespace

TEST(VornikSmoothedSettings, SpecialisedLoopsGiveTheGeneralLoopsNumbersWhileSettingsMove) {
    for (const Moving& m : kMoving) {
        for (int32_t sinc : {0, 1}) {
            SCOPED_TRACE(testing::Message() << m.name << (sinc ? ", sinc" : ""));
            const Channels input = TestSignal(2, 512 * 40, 0.9);
            Channels results[2];
            for (int32_t general = 0; general < 2; ++general) {
                YEffectFrameSettings frame;
                frame.Sinc = static_cast<uint8_t>(sinc);
                frame.SmoothAutomation = 1;
                Settings s = Base(m.index != V::kSaturation);
                auto effect = MakeEffect(s, 2, 48000.0, &frame);
                effect->Parameter(m.index).Float.Value = m.from;
                effect->Update();
                effect->SetGeneralPathOnly(general != 0);
                results[general] = Play(*effect, m, input);
            }
            for (int32_t c = 0; c < 2; ++c)
                ASSERT_EQ(0, std::memcmp(results[0][c].data(), results[1][c].data(),
                                         sizeof(float) * results[0][c].size()))
                    << "channel " << c;
        }
    }
}

TEST(VornikSmoothedSettings, SettingsMoveGraduallyAndSettleWhereAHeldSettingIs) {
    for (const Moving& m : kMoving) {
        SCOPED_TRACE(m.name);
        const Channels input = TestSignal(2, 512 * 40, 0.5);
        YEffectFrameSettings frame;
        frame.SmoothAutomation = 1;
        auto moved = MakeEffect(Base(true), 2, 48000.0, &frame);
        moved->Parameter(m.index).Float.Value = m.from;
        moved->Update();
        double largestRangeStep = 0.0, previousRange = moved->CurrentRange();
        double previousHighPass = moved->HighPass().Frequency(), previousLowPass = moved->LowPass().Frequency();
        double largestCornerRatio = 1.0;
        Play(*moved, m, input, [&](int32_t) {
            largestRangeStep = std::max(largestRangeStep, std::fabs(moved->CurrentRange() - previousRange));
            previousRange = moved->CurrentRange();
            const double hp = moved->HighPass().Frequency(), lp = moved->LowPass().Frequency();
            largestCornerRatio = std::max({largestCornerRatio, hp / previousHighPass, previousHighPass / hp,
                                           lp / previousLowPass, previousLowPass / lp});
            previousHighPass = hp;
            previousLowPass = lp;
        });
        // The range glides at most its fastest step per sample; a corner the sweep moves 20 (or
        // 10) times over in an eighth of a second moves by a small part of that per block.
        EXPECT_LE(largestRangeStep, 512 * V::kRangeGlideStep + 1e-9);
        EXPECT_LT(largestCornerRatio, 4.0);

        // An effect given the last value from the start holds the same derived state and, once
        // the movement's history has left the loop, plays the same samples.
        auto still = MakeEffect(Base(true), 2, 48000.0, &frame);
        still->Parameter(m.index).Float.Value = m.to;
        still->Update();
        const Channels stillOut = Play(*still, {m.name, m.index, m.to, m.to}, input);
        EXPECT_EQ(moved->CurrentRange(), still->CurrentRange());
        EXPECT_EQ(moved->RangeStep(), 0.0);
        EXPECT_EQ(moved->HighPass().Frequency(), still->HighPass().Frequency());
        EXPECT_EQ(moved->LowPass().Frequency(), still->LowPass().Frequency());
        const Channels movedOut = Play(*moved, {m.name, m.index, m.to, m.to}, input);
        const Channels stillAgain = Play(*still, {m.name, m.index, m.to, m.to}, input);
        double worst = 0.0;
        for (int32_t c = 0; c < 2; ++c)
            for (size_t i = 0; i < movedOut[c].size(); ++i)
                worst = std::max(worst, std::fabs(double(movedOut[c][i]) - stillAgain[c][i]));
        EXPECT_LT(worst, 1e-5);
    }
}
