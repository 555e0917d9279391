// The flanger's latency through the frame: what the host is told is where an impulse comes out,
// in every mode with either interpolation, and a latency that a parameter or a state changes
// is reported once.
#include "FrameTestSupport.h"
#include "StateTestSupport.h"
#include "effect/VornikAudioEffectPlugin.h"
#include "entry/VornikAudioEffectPluginInterface.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace frametest;

namespace {

using Plugin = std::unique_ptr<YQuenlorAudioEffectPlugin>;

class FrameLatencyTest : public OwnConfigurationTest {
protected:
    FrameLatencyTest() : OwnConfigurationTest("vornik-latency-") {}

    static Plugin NewVornik(const char* mode, bool sinc) {
        Plugin plugin =
            YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", VornikAudioEffectPluginInterface, 500, 100);
        if (!plugin) return plugin;
        plugin->SetSampleRate(48000.0);
        const int32_t modeIndex = FindParameter(*plugin, "Mode");
        plugin->SetParameter(modeIndex, plugin->ParseParameterValueName(modeIndex, YString::FromUTF8(mode)));
        plugin->SetParameter(FindParameter(*plugin, "Depth"), 0.5); // Depth 0: the dry path alone
        plugin->SetSincInterpolation(sinc);
        plugin->InitProcessing();
        return plugin;
    }
};

TEST_F(FrameLatencyTest, AnImpulseLeavesExactlyAtTheReportedLatencyInEveryMode) {
    struct Case {
        const char* mode;
        bool sinc;
        int32_t latency; // 48 kHz: the largest range is 480 samples
    };
    const Case cases[] = {
        {"Default", false, 0}, {"Default", true, 18}, {"Tape", false, 1 + 240},
        {"Tape", true, 18 + 240}, {"Tape 2", false, 1 + 480}, {"Tape 2", true, 18 + 480},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << (c.sinc ? ", sinc" : ", cubic"));
        Plugin plugin = NewVornik(c.mode, c.sinc);
        ASSERT_TRUE(plugin);
        EXPECT_EQ(plugin->GetLatency(), c.latency);
        Buffers block(2, 1024);
        block.in[0][7] = 1.0f;
        block.in[1][7] = -0.5f;
        block.Process(*plugin);
        for (int32_t i = 0; i < 1024; ++i) {
            const bool at = i == 7 + c.latency;
            EXPECT_NEAR(block.out[0][static_cast<size_t>(i)], at ? 1.0f : 0.0f, 1e-6) << i;
            EXPECT_NEAR(block.out[1][static_cast<size_t>(i)], at ? -0.5f : 0.0f, 1e-6) << i;
        }
    }
}

TEST_F(FrameLatencyTest, ModeSincAndStatesThatMoveTheLatencyAreToldOnceAndRangeIsNot) {
    Plugin plugin = NewVornik("Default", false);
    ASSERT_TRUE(plugin);
    CountingHost host;
    plugin->SetHostAdapter(&host);
    const int32_t mode = FindParameter(*plugin, "Mode");
    const int32_t range = FindParameter(*plugin, "Range");

    plugin->SetParameter(range, 0.9);
    EXPECT_FALSE(plugin->FollowLatency()); // the range never moves the latency
    plugin->SetParameter(mode, plugin->ParseParameterValueName(mode, YString("Tape 2")));
    EXPECT_TRUE(plugin->FollowLatency());
    EXPECT_EQ(host.latencyReports.load(), 1);
    EXPECT_EQ(plugin->GetLatency(), 481);
    EXPECT_EQ(plugin->BypassDelay(), 481);
    EXPECT_FALSE(plugin->FollowLatency());

    plugin->SetSincInterpolation(true); // follows at once
    EXPECT_EQ(host.latencyReports.load(), 2);
    EXPECT_EQ(plugin->GetLatency(), 498);

    // A state of the default mode with cubic interpolation: the host hears of it once.
    Plugin other = NewVornik("Default", false);
    ASSERT_TRUE(other);
    const std::vector<uint8_t> state = Save(*other);
    ASSERT_TRUE(plugin->LoadState(state.data(), state.size()));
    EXPECT_EQ(plugin->GetLatency(), 0);
    EXPECT_EQ(host.latencyReports.load(), 3);
    EXPECT_FALSE(plugin->FollowLatency());
    ASSERT_TRUE(plugin->LoadState(state.data(), state.size())); // nothing new to tell
    EXPECT_EQ(host.latencyReports.load(), 3);
    plugin->SetHostAdapter(nullptr);
}

} // namespace
