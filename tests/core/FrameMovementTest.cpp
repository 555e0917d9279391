// Switch and Trigger movements of the multiparameters run in audio time: the same ramp at any
// sample rate and host block size, in fine sub-blocks only while something moves.
#include "FrameTestSupport.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

using namespace frametest;

namespace {

constexpr double kSwitchTime = 0.02; // seconds for the whole travel
constexpr double kGainMax = 4.0;     // the probe's Gain runs 0 .. 4

struct SubBlock {
    int64_t end = 0; // frames since the press, at the end of the sub-block
    int32_t frames = 0;
    double gain = 0.0;
};

// The first multiparameter drives the probe's Gain over its whole range; it starts at rest at 0.
void PrepareGainDriver(YQuenlorAudioEffectPlugin& plugin, YMultiParameterMode mode) {
    YMultiParameter& multi = plugin.MultiParameter(0);
    multi.SwitchTime = kSwitchTime;
    YMultiParameterTarget gain;
    gain.ParameterName = "Gain";
    multi.Targets.push_back(gain);
    plugin.ResolveControls();
    plugin.SetParameter(FindParameter(plugin, "Multiparameter 1"), 0.0); // Normal mode: follows directly
    multi.Mode = mode;
    EXPECT_NEAR(plugin.GetParameter(FindParameter(plugin, "Gain")), 0.0, 1e-12);
    EXPECT_FALSE(multi.NeedsFineSteps());
}

// Presses the first multiparameter (driving the probe's Gain over its whole range) in the
// given mode, plays `seconds` at rate in host blocks of blockSize, and returns every sub-block.
std::vector<SubBlock> PlayMovement(double rate, int32_t blockSize, YMultiParameterMode mode, double seconds) {
    auto plugin = CreateProbePlugin(1, 0);
    EXPECT_TRUE(plugin);
    if (!plugin) return {};
    plugin->SetSampleRate(rate);
    plugin->InitProcessing();
    PrepareGainDriver(*plugin, mode);
    Buffers block(1, blockSize);
    TheProbe().calls = 0;
    plugin->SetParameter(FindParameter(*plugin, "Multiparameter 1"), 1.0);

    std::vector<SubBlock> subBlocks;
    int64_t played = 0;
    const auto total = static_cast<int64_t>(std::ceil(seconds * rate));
    while (played < total) {
        TheProbe().calls = 0;
        block.Process(*plugin);
        const Probe& probe = TheProbe();
        EXPECT_LT(probe.calls, Probe::kMaxCalls);
        for (int32_t i = 0; i < probe.calls; ++i) {
            played += probe.frames[i];
            subBlocks.push_back({played, probe.frames[i], probe.gains[i] / kGainMax});
        }
    }
    return subBlocks;
}

// The position the movement has at frame n since the press.
double Ideal(YMultiParameterMode mode, double n, double rate) {
    const double k = n / (kSwitchTime * rate);
    if (mode == kMultiParameterSwitch) return std::min(1.0, k);
    return k <= 1.0 ? k : std::max(0.0, 2.0 - k);
}

struct Case {
    YMultiParameterMode mode;
    double rate;
    int32_t blockSize;
};

TEST(FrameMovementTest, SwitchAndTriggerFollowTheSameRampAtAnyRateAndBlockSize) {
    const Case cases[] = {
        {kMultiParameterSwitch, 44100.0, 512},  {kMultiParameterSwitch, 44100.0, 37},
        {kMultiParameterSwitch, 96000.0, 512},  {kMultiParameterSwitch, 96000.0, 2048},
        {kMultiParameterTrigger, 44100.0, 512}, {kMultiParameterTrigger, 96000.0, 37},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << ", " << c.rate << " Hz, blocks of " << c.blockSize);
        const double seconds = (c.mode == kMultiParameterSwitch ? 1.5 : 2.5) * kSwitchTime;
        const std::vector<SubBlock> played = PlayMovement(c.rate, c.blockSize, c.mode, seconds);
        ASSERT_FALSE(played.empty());
        const double travel = kSwitchTime * c.rate;
        bool reachedTop = false;
        for (const SubBlock& sub : played) {
            const double start = static_cast<double>(sub.end - sub.frames);
            const bool moving = start < travel * (c.mode == kMultiParameterSwitch ? 1.0 : 2.0);
            // While it moves, sub-blocks are no longer than the interpolation step, so no
            // block size leaves the value standing for long.
            if (moving) {
                EXPECT_LE(sub.frames, YQuenlorAudioEffectPlugin::kDefaultInterpolationStep);
            }
            // Each sub-block runs with the position its end reaches; a press plays its top in
            // the sub-block that passes it.
            const bool passesTop = c.mode == kMultiParameterTrigger && start < travel &&
                                   static_cast<double>(sub.end) > travel;
            const double expected = passesTop ? 1.0 : Ideal(c.mode, static_cast<double>(sub.end), c.rate);
            EXPECT_NEAR(sub.gain, expected, 1e-6) << "at " << sub.end;
            reachedTop = reachedTop || sub.gain >= 1.0 - 1e-9;
        }
        EXPECT_TRUE(reachedTop);
        const SubBlock& last = played.back();
        EXPECT_NEAR(last.gain, c.mode == kMultiParameterSwitch ? 1.0 : 0.0, 1e-9);
        // Once the movement is over the sub-blocks are the ordinary ones again.
        EXPECT_EQ(last.frames, std::min(c.blockSize, YAudioPlugin::kDefaultSubBlockLength));
    }
}

TEST(FrameMovementTest, ReleasingASwitchTurnsTheMovementWhereItIs) {
    auto plugin = CreateProbePlugin(1, 0);
    ASSERT_TRUE(plugin);
    plugin->SetSampleRate(48000.0);
    plugin->InitProcessing();
    PrepareGainDriver(*plugin, kMultiParameterSwitch); // 960 frames for the whole travel
    const int32_t gainIndex = FindParameter(*plugin, "Gain");
    const int32_t switchIndex = FindParameter(*plugin, "Multiparameter 1");
    Buffers block(1, 240);
    plugin->SetParameter(switchIndex, 1.0);
    block.Process(*plugin);
    block.Process(*plugin); // 480 frames: half way
    EXPECT_NEAR(plugin->GetParameter(gainIndex), 0.5, 1e-9);
    plugin->SetParameter(switchIndex, 0.0);
    block.Process(*plugin);
    EXPECT_NEAR(plugin->GetParameter(gainIndex), 0.25, 1e-9);
    block.Process(*plugin);
    block.Process(*plugin);
    EXPECT_NEAR(plugin->GetParameter(gainIndex), 0.0, 1e-9);
}

} // namespace
