// What VST 3 validators ask of a plug-in, asked of the built binary: the controller reads back
// what the host set, the bypass survives component and controller state, and processing holds
// at odd sample rates and block sizes, with and without silence flags.
#include "Vst3TestInstance.h"
#include "VstTestHost.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace Vst3Test;

class Vst3ConformanceTest : public FactoryTest {};

// Blocks without audio, as validators send to deliver parameter changes alone.
Vst3::tresult Flush(Vst3Instance& plugin, Vst3::IParameterChanges* changes) {
    Vst3::ProcessData data{};
    data.symbolicSampleSize = Vst3::kSample32;
    data.inputParameterChanges = changes;
    return plugin.processor->process(data);
}

// A value on the parameter's own grid that differs from the one it has.
double AnotherValue(const Vst3::ParameterInfo& info, double current, int which) {
    if (info.stepCount > 0) {
        const int steps = info.stepCount;
        const int now = static_cast<int>(std::lround(current * steps));
        return static_cast<double>((now + 1 + which % steps) % (steps + 1)) / steps;
    }
    const double v = 0.1 + 0.8 * std::fmod(0.377 * (which + 1), 1.0);
    return std::fabs(v - current) > 1e-3 ? v : 1.0 - v;
}

TEST_F(Vst3ConformanceTest, TheControllerReadsBackEveryValueTheHostSets) {
    Vst3Instance plugin(*factory);
    ASSERT_TRUE(plugin.Ok());
    const Vst3::int32 count = plugin.controller->getParameterCount();
    ASSERT_GT(count, 1);
    std::vector<Vst3::ParamID> ids;
    std::vector<double> set;
    bool sawBypass = false;
    for (Vst3::int32 i = 0; i < count; ++i) {
        Vst3::ParameterInfo info{};
        ASSERT_EQ(plugin.controller->getParameterInfo(i, info), Vst3::kResultOk);
        sawBypass = sawBypass || (info.flags & Vst3::ParameterInfo::kIsBypass) != 0;
        const double value = AnotherValue(info, plugin.controller->getParamNormalized(info.id), i);
        ASSERT_EQ(plugin.controller->setParamNormalized(info.id, value), Vst3::kResultOk)
            << Narrow(info.title);
        ASSERT_EQ(plugin.controller->getParamNormalized(info.id), value) << Narrow(info.title);
        ids.push_back(info.id);
        set.push_back(value);
    }
    ASSERT_TRUE(sawBypass);
    // Setting each one leaves the others as the host set them.
    for (size_t i = 0; i < ids.size(); ++i)
        EXPECT_EQ(plugin.controller->getParamNormalized(ids[i]), set[i]) << i;

    // The processor then receives the same values: the controller still answers them.
    ParameterChanges changes;
    changes.queues.reserve(ids.size());
    for (size_t i = 0; i < ids.size(); ++i) changes.Add(ids[i]).points = {{0, set[i]}};
    ASSERT_EQ(Flush(plugin, &changes), Vst3::kResultOk);
    for (size_t i = 0; i < ids.size(); ++i)
        EXPECT_EQ(plugin.controller->getParamNormalized(ids[i]), set[i]) << i;

    const Vst3::ParamID depth = plugin.Find("Depth");
    ASSERT_NE(depth, kNoParameter);
    ParameterChanges other;
    other.queues.reserve(1);
    other.Add(depth).points = {{0, 0.05}};
    ASSERT_EQ(Flush(plugin, &other), Vst3::kResultOk);
    EXPECT_NEAR(plugin.controller->getParamNormalized(depth), 0.05, 1e-6)
        << "another value reaches the controller";

    EXPECT_EQ(plugin.controller->setParamNormalized(depth, std::numeric_limits<double>::quiet_NaN()),
              Vst3::kInvalidArgument);
    EXPECT_EQ(plugin.controller->setParamNormalized(20000, 0.5), Vst3::kInvalidArgument);
}

// The frame's controls follow the effect's 17 parameters with the next IDs, ahead of the
// bypass and the MIDI controllers.
TEST_F(Vst3ConformanceTest, MultiparametersAndPresetTriggersTakeTheIDsAfterTheEffectsParameters) {
    Vst3Instance plugin(*factory);
    ASSERT_TRUE(plugin.Ok());
    EXPECT_EQ(plugin.Find("Depth"), 1u);
    // Each addition goes at the end, so saved projects keep finding what they automated.
    const char* const titles[] = {"Multiparameter 1", "Multiparameter 2",          "Multiparameter 3",
                                  "Multiparameter 4", "Preset trigger - previous", "Preset trigger - next",
                                  "Morph X",          "Morph Y"};
    for (Vst3::int32 i = 0; i < 8; ++i) {
        Vst3::ParameterInfo info{};
        ASSERT_EQ(plugin.controller->getParameterInfo(17 + i, info), Vst3::kResultOk);
        EXPECT_EQ(info.id, static_cast<Vst3::ParamID>(17 + i));
        EXPECT_EQ(Narrow(info.title), titles[i]);
        EXPECT_NE(info.flags & Vst3::ParameterInfo::kCanAutomate, 0);
    }
    Vst3::ParameterInfo next{};
    ASSERT_EQ(plugin.controller->getParameterInfo(25, next), Vst3::kResultOk);
    EXPECT_NE(next.flags & Vst3::ParameterInfo::kIsBypass, 0);
}

// The validator's bypass sequence: bypass on through the controller and the processor, save
// both states, bypass off, load the states back: the bypass is on again in both.
TEST_F(Vst3ConformanceTest, TheBypassSurvivesComponentAndControllerState) {
    Vst3Instance plugin(*factory);
    ASSERT_TRUE(plugin.Ok());
    const Vst3::ParamID bypass = plugin.Find("Bypass");
    ASSERT_NE(bypass, kNoParameter);
    ParameterChanges on;
    on.queues.reserve(1);
    on.Add(bypass).points = {{0, 1.0}};
    ASSERT_EQ(plugin.controller->setParamNormalized(bypass, 1.0), Vst3::kResultOk);
    EXPECT_GE(plugin.controller->getParamNormalized(bypass), 1.0);
    ASSERT_EQ(Flush(plugin, &on), Vst3::kResultOk);
    plugin.processor->setProcessing(0);

    MemoryStream component, controller;
    ASSERT_EQ(plugin.component->getState(&component), Vst3::kResultOk);
    ASSERT_EQ(plugin.controller->getState(&controller), Vst3::kResultOk);

    plugin.processor->setProcessing(1);
    ParameterChanges off;
    off.queues.reserve(1);
    off.Add(bypass).points = {{0, 0.0}};
    ASSERT_EQ(plugin.controller->setParamNormalized(bypass, 0.0), Vst3::kResultOk);
    EXPECT_LE(plugin.controller->getParamNormalized(bypass), 0.0);
    ASSERT_EQ(Flush(plugin, &off), Vst3::kResultOk);
    EXPECT_LE(plugin.controller->getParamNormalized(bypass), 0.0);
    plugin.processor->setProcessing(0);

    component.position = 0;
    controller.position = 0;
    ASSERT_EQ(plugin.component->setState(&component), Vst3::kResultOk);
    component.position = 0;
    ASSERT_EQ(plugin.controller->setComponentState(&component), Vst3::kResultOk);
    ASSERT_EQ(plugin.controller->setState(&controller), Vst3::kResultOk);
    EXPECT_GE(plugin.controller->getParamNormalized(bypass), 1.0);

    // And the processor is bypassed: the input comes out as it went in, after the latency.
    plugin.processor->setProcessing(1);
    std::vector<float> left = VstTestHost::Signal(512, 0), right = VstTestHost::Signal(512, 1);
    std::vector<float> outLeft(512), outRight(512);
    plugin.Process(left, right, outLeft, outRight);
    plugin.Process(left, right, outLeft, outRight);
    const Vst3::uint32 latency = plugin.processor->getLatencySamples();
    ASSERT_LT(latency, 512u);
    for (size_t i = latency; i < left.size(); ++i) ASSERT_NEAR(outLeft[i], left[i - latency], 1e-5f) << i;
}

// Blocks of every awkward size at rates far from the usual ones, with silent input flagged as
// such and with real input; every output sample is written and finite.
TEST_F(Vst3ConformanceTest, ProcessingHoldsAtOddRatesAndBlockSizes) {
    const double rates[] = {1234.5, 8000.0, 22050.0, 44100.0, 96000.0, 192000.0, 1200000.0};
    const Vst3::int32 sizes[] = {1, 2, 3, 17, 64, 100, 511, 1024, 4096};
    for (double rate : rates) {
        SCOPED_TRACE(rate);
        Vst3Instance plugin(*factory, rate, 4096);
        ASSERT_TRUE(plugin.Ok());
        int32_t position = 0;
        for (bool silent : {false, true}) {
            for (Vst3::int32 size : sizes) {
                SCOPED_TRACE(size);
                std::vector<float> left = VstTestHost::Signal(size + position, 0, rate);
                std::vector<float> right = VstTestHost::Signal(size + position, 1, rate);
                left.erase(left.begin(), left.begin() + position);
                right.erase(right.begin(), right.begin() + position);
                position += size;
                if (silent) {
                    std::fill(left.begin(), left.end(), 0.0f);
                    std::fill(right.begin(), right.end(), 0.0f);
                }
                const float unwritten = std::numeric_limits<float>::quiet_NaN();
                std::vector<float> outLeft(static_cast<size_t>(size), unwritten), outRight = outLeft;
                float* in[2] = {left.data(), right.data()};
                float* out[2] = {outLeft.data(), outRight.data()};
                Vst3::AudioBusBuffers inBus{};
                inBus.numChannels = 2;
                inBus.silenceFlags = silent ? 3u : 0u;
                inBus.channelBuffers32 = in;
                Vst3::AudioBusBuffers outBus{};
                outBus.numChannels = 2;
                outBus.channelBuffers32 = out;
                Vst3::ProcessData data{};
                data.symbolicSampleSize = Vst3::kSample32;
                data.numSamples = size;
                data.numInputs = 1;
                data.numOutputs = 1;
                data.inputs = &inBus;
                data.outputs = &outBus;
                ASSERT_EQ(plugin.processor->process(data), Vst3::kResultOk);
                ASSERT_TRUE(VstTestHost::AllFinite(outLeft));
                ASSERT_TRUE(VstTestHost::AllFinite(outRight));
                for (float s : outLeft) ASSERT_LT(std::fabs(s), 8.0f);
            }
        }
    }
}

// The tail covers the feedback loop's ringing and turns endless at full feedback; a host that
// read it hears of the change through a restart from the controller's side.
TEST_F(Vst3ConformanceTest, TheTailFollowsTheFeedback) {
    Vst3Instance plugin(*factory);
    ASSERT_TRUE(plugin.Ok());
    ComponentHandler handler;
    ASSERT_EQ(plugin.controller->setComponentHandler(&handler), Vst3::kResultOk);
    const Vst3::ParamID feedback = plugin.Find("Feedback");
    ASSERT_NE(feedback, kNoParameter);
    const Vst3::uint32 plain = plugin.processor->getTailSamples();
    EXPECT_GT(plain, 0u);
    EXPECT_LT(plain, 44100u) << "without feedback the ringing is short";

    const auto set = [&](double value) {
        ParameterChanges changes;
        changes.queues.reserve(1);
        changes.Add(feedback).points = {{0, value}};
        ASSERT_EQ(plugin.controller->setParamNormalized(feedback, value), Vst3::kResultOk);
        ASSERT_EQ(Flush(plugin, &changes), Vst3::kResultOk);
    };
    set(0.95); // +90 %
    const Vst3::uint32 strong = plugin.processor->getTailSamples();
    EXPECT_GT(strong, 2 * plain);
    EXPECT_NE(strong, Vst3::kInfiniteTail);
    set(1.0); // +100 %: never decays
    EXPECT_EQ(plugin.processor->getTailSamples(), Vst3::kInfiniteTail);
    set(0.0); // -100 %
    EXPECT_EQ(plugin.processor->getTailSamples(), Vst3::kInfiniteTail);

    set(0.5);
    handler.restarts.clear();
    MemoryStream state;
    ASSERT_EQ(plugin.component->getState(&state), Vst3::kResultOk);
    set(1.0);
    state.position = 0;
    ASSERT_EQ(plugin.component->setState(&state), Vst3::kResultOk);
    EXPECT_EQ(handler.restarts, std::vector<Vst3::int32>{Vst3::kLatencyChanged})
        << "the host last read an endless tail";
    EXPECT_EQ(plugin.processor->getTailSamples(), plain);
    ASSERT_EQ(plugin.controller->setComponentHandler(nullptr), Vst3::kResultOk);
}

} // namespace
