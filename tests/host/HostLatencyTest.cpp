// The latency through the built binary: a Mode change from the host's GUI side is reported
// (VST 2.4 initial delay and IO change, VST 3 restart and latency samples), the range leaves
// it alone, and an impulse comes out exactly that many samples late.
#include "Vst3TestInstance.h"
#include "VstTestHost.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace VstTestHost;
using namespace Vst2;

// At 44.1 kHz the largest range is 441 samples; Tape 2 waits all of it, plus one for cubic
// interpolation.
constexpr int32_t kTape2Latency = 1 + 441;

class VstHostLatencyTest : public StartedInstanceTest {};

// Set from this thread before any block: the plug-in takes it for the host's GUI thread.
TEST_F(VstHostLatencyTest, AModeChangeIsReportedAndTheImpulseComesOutThere) {
    const int32_t mode = Plugin().FindParameter("Mode");
    const int32_t depth = Plugin().FindParameter("Depth");
    const int32_t range = Plugin().FindParameter("Range");
    ASSERT_GE(mode, 0);
    ASSERT_GE(depth, 0);
    ASSERT_GE(range, 0);
    EXPECT_EQ(Plugin().Effect()->initialDelay, 0);
    Plugin().Set(depth, 0.5f); // Depth 0: the dry path alone
    const int32_t before = Host().IOChanged;
    Plugin().Set(mode, 1.0f);
    ASSERT_EQ(Plugin().Text(effGetParamDisplay, mode), "Tape 2");
    EXPECT_EQ(Plugin().Effect()->initialDelay, kTape2Latency);
    EXPECT_GT(Host().IOChanged, before);
    Plugin().Set(range, 0.95f);
    EXPECT_EQ(Plugin().Effect()->initialDelay, kTape2Latency) << "the range never moves the latency";

    // Hosts re-activate the plug-in after an IO change, which starts it from silence.
    Plugin().Dispatch(effMainsChanged, 0, 0);
    Plugin().Dispatch(effMainsChanged, 0, 1);
    std::vector<std::vector<float>> in(2, std::vector<float>(1024, 0.0f)), out = in;
    in[0][5] = 1.0f;
    in[1][5] = 0.25f;
    Plugin().Process(in, out, 1024);
    for (int32_t i = 0; i < 1024; ++i) {
        const bool at = i == 5 + kTape2Latency;
        EXPECT_NEAR(out[0][static_cast<size_t>(i)], at ? 1.0f : 0.0f, 1e-6f) << i;
        EXPECT_NEAR(out[1][static_cast<size_t>(i)], at ? 0.25f : 0.0f, 1e-6f) << i;
    }
}

class Vst3HostLatencyTest : public Vst3Test::FactoryTest {};

TEST_F(Vst3HostLatencyTest, AModeChangeRestartsTheComponentOnceAndTheLatencyFollows) {
    Vst3Test::Vst3Instance plugin(*factory);
    ASSERT_TRUE(plugin.Ok());
    Vst3Test::ComponentHandler handler;
    ASSERT_EQ(plugin.controller->setComponentHandler(&handler), Vst3::kResultOk);
    const Vst3::ParamID mode = plugin.Find("Mode");
    const Vst3::ParamID range = plugin.Find("Range");
    ASSERT_NE(mode, Vst3Test::kNoParameter);
    ASSERT_NE(range, Vst3Test::kNoParameter);
    EXPECT_EQ(plugin.processor->getLatencySamples(), 0u);

    // As hosts do: the controller hears the value, the processor gets it with the next block,
    // and the controller's next call from the GUI thread notices the new latency.
    const auto set = [&](Vst3::ParamID id, double value) {
        Vst3Test::ParameterChanges changes;
        changes.queues.reserve(1);
        changes.Add(id).points = {{0, value}};
        ASSERT_EQ(plugin.controller->setParamNormalized(id, value), Vst3::kResultOk);
        std::vector<float> silence(64, 0.0f), left(64), right(64);
        plugin.Process(silence, silence, left, right, &changes);
        plugin.controller->getParamNormalized(id);
    };
    set(mode, 1.0);
    EXPECT_EQ(handler.restarts, std::vector<Vst3::int32>{Vst3::kLatencyChanged});
    EXPECT_EQ(plugin.processor->getLatencySamples(), static_cast<Vst3::uint32>(kTape2Latency));
    handler.restarts.clear();
    set(range, 0.95);
    EXPECT_TRUE(handler.restarts.empty()) << "the range never moves the latency";
    EXPECT_EQ(plugin.processor->getLatencySamples(), static_cast<Vst3::uint32>(kTape2Latency));
    set(mode, 0.0);
    EXPECT_EQ(handler.restarts, std::vector<Vst3::int32>{Vst3::kLatencyChanged});
    EXPECT_EQ(plugin.processor->getLatencySamples(), 0u);
    ASSERT_EQ(plugin.controller->setComponentHandler(nullptr), Vst3::kResultOk);
}

} // namespace
