// YAudioPlugin's processing entry: replacing and accumulating calls, odd buffers, bus completion,
// bypass, the floating-point mode and allocations.
#include "YAudioPluginTestSupport.h"

#include "platform/YPlatformFloatingPoint.h"
#include "support/AllocationCounting.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

using namespace YAudioPluginTestSupport;

// ---------------------------------------------------------------------------------------------
// Processing

TEST(YAudioPluginProcessing, ReplacingAndAccumulatingCalls) {
    FakePlugin plugin;
    StereoBlock replacing(64);
    plugin.ProcessAudio(replacing.inputs, replacing.outputs, 64, true);
    for (size_t i = 0; i < 64; ++i) {
        EXPECT_FLOAT_EQ(replacing.outL[i], 2.0f * (1.0f + i));
        EXPECT_FLOAT_EQ(replacing.outR[i], -2.0f * (1.0f + i));
    }
    StereoBlock accumulating(64, 7.0f);
    plugin.ProcessAudio(accumulating.inputs, accumulating.outputs, 64, false);
    for (size_t i = 0; i < 64; ++i) EXPECT_FLOAT_EQ(accumulating.outL[i], 7.0f + 2.0f * (1.0f + i));

    plugin.addsToOutput = true; // the effect adds by itself: replacing clears first
    StereoBlock adding(64, 7.0f);
    plugin.ProcessAudio(adding.inputs, adding.outputs, 64, true);
    for (size_t i = 0; i < 64; ++i) EXPECT_FLOAT_EQ(adding.outL[i], 2.0f * (1.0f + i));
    StereoBlock addingAccumulate(64, 7.0f);
    plugin.ProcessAudio(addingAccumulate.inputs, addingAccumulate.outputs, 64, false);
    for (size_t i = 0; i < 64; ++i) EXPECT_FLOAT_EQ(addingAccumulate.outL[i], 7.0f + 2.0f * (1.0f + i));
}

TEST(YAudioPluginProcessing, InPlaceBuffersAreCopiedWhenTheEffectNeedsSeparateInputsOrAdds) {
    for (bool adds : {false, true}) {
        FakePlugin plugin;
        plugin.separateInputs = !adds;
        plugin.addsToOutput = adds;
        StereoBlock block(32);
        block.outputs[0] = block.inputs[0];
        block.outputs[1] = block.inputs[1];
        plugin.ProcessAudio(block.inputs, block.outputs, 32, true);
        EXPECT_NE(plugin.inputsSeen, block.inL.data());
        for (size_t i = 0; i < 32; ++i) EXPECT_FLOAT_EQ(block.inL[i], 2.0f * (1.0f + i)) << adds;
    }
}

TEST(YAudioPluginProcessing, NullFirstOutputZeroFramesAndAbsurdLengthsTouchNothing) {
    FakePlugin plugin;
    StereoBlock block(16);
    block.outputs[0] = nullptr;
    plugin.ProcessAudio(block.inputs, block.outputs, 16, true);
    EXPECT_EQ(block.outR, std::vector<float>(16, 7.0f));
    EXPECT_EQ(block.inL[0], 1.0f); // not even the denormal guard

    StereoBlock other(16);
    for (int32_t frames : {0, -5, YAudioPlugin::kMaxFrames + 1}) {
        plugin.ProcessAudio(other.inputs, other.outputs, frames, true);
        EXPECT_EQ(other.outL, std::vector<float>(16, 7.0f)) << frames;
    }
    plugin.ProcessAudio(other.inputs, nullptr, 16, true);
    EXPECT_EQ(plugin.processCalls, 0);
}

TEST(YAudioPluginProcessing, MissingInputsReadAsSilence) {
    FakePlugin plugin;
    StereoBlock block(16);
    plugin.ProcessAudio(nullptr, block.outputs, 16, true);
    EXPECT_EQ(plugin.processCalls, 1);
    for (float sample : block.outL) EXPECT_NEAR(sample, 0.0f, 1e-12f);
}

TEST(YAudioPluginProcessing, BlocksLongerThanTheBuffersAreProcessedInPieces) {
    FakePlugin plugin;
    const int32_t frames = YAudioPlugin::kDefaultBlockCapacity * 2 + 100;
    StereoBlock block(frames, 7.0f);
    block.inputs[1] = nullptr; // the right channel comes from a scratch buffer
    plugin.ProcessAudio(block.inputs, block.outputs, frames, false);
    for (size_t i = 0; i < static_cast<size_t>(frames); ++i) {
        ASSERT_FLOAT_EQ(block.outL[i], 7.0f + 2.0f * (1.0f + i)) << i;
        ASSERT_FLOAT_EQ(block.outR[i], 7.0f + 2.0f * (1.0f + i)) << i; // right repeats left
    }
}

TEST(YAudioPluginProcessing, SampleRateBlockSizeAndLayoutRefuseAbsurdValues) {
    FakePlugin plugin;
    for (double rate : {0.0, -44100.0, std::nan(""), double(INFINITY)})
        EXPECT_FALSE(plugin.SetSampleRate(rate)) << rate;
    EXPECT_EQ(plugin.SampleRate(), 44100.0);
    EXPECT_TRUE(plugin.SetSampleRate(96000.0));
    EXPECT_EQ(plugin.SampleRate(), 96000.0);

    EXPECT_FALSE(plugin.SetMaximumBlockSize(0));
    EXPECT_FALSE(plugin.SetMaximumBlockSize(YAudioPlugin::kMaxFrames + 1));
    EXPECT_TRUE(plugin.SetMaximumBlockSize(YAudioPlugin::kMaxFrames));
    EXPECT_EQ(plugin.BlockCapacity(), YAudioPlugin::kMaxChunkFrames);

    EXPECT_FALSE(plugin.SetChannelCounts(-1, 2));
    EXPECT_FALSE(plugin.SetChannelCounts(2, YAudioPlugin::kMaxSlots + 1));
    EXPECT_FALSE(plugin.SetChannelsPerBus(0));
    EXPECT_FALSE(plugin.SetChannelsPerBus(9));
    EXPECT_FALSE(plugin.SetPreferredChannelsPerBus(-2));
    EXPECT_FALSE(plugin.SetMaxChannelsPerBus(0, 2));
    EXPECT_EQ(plugin.GetInputBusCount(), 1);
    EXPECT_EQ(plugin.GetOutputBusCount(), 1);

    EXPECT_TRUE(plugin.SetChannelCounts(4, 2)); // main and side chain in, one bus out
    EXPECT_EQ(plugin.GetInputBusCount(), 2);
    EXPECT_EQ(plugin.GetOutputBusCount(), 1);
    EXPECT_TRUE(plugin.SetChannelCounts(0, 2));
    EXPECT_EQ(plugin.GetInputChannelsPerBus(), 0);
    EXPECT_EQ(plugin.GetInputBusCount(), 0);
}

// ---------------------------------------------------------------------------------------------
// FixAudioBuffers

TEST(YAudioPluginFixAudioBuffers, CompletesEveryBusAccordingToWhatTheHostGives) {
    FakePlugin plugin;
    std::vector<float> a(8, 3.0f), b(8, 4.0f);
    {
        // Bus without a first pointer: scratch everywhere; inputs are silent.
        float* slots[YAudioPlugin::kMaxSlots] = {};
        ASSERT_TRUE(plugin.FixAudioBuffers(slots, 2, 1, true, 8));
        ASSERT_NE(slots[0], nullptr);
        ASSERT_NE(slots[1], nullptr);
        EXPECT_NE(slots[0], slots[1]);
        for (int i = 0; i < 8; ++i) EXPECT_EQ(slots[1][i], 0.0f);
        EXPECT_EQ(slots[2], nullptr); // beyond the plug-in's channels
    }
    {
        // Enough host channels, a gap after the first: the gap repeats the channel before.
        float* slots[YAudioPlugin::kMaxSlots] = {a.data(), nullptr};
        plugin.FixAudioBuffers(slots, 2, 1, false, 8);
        EXPECT_EQ(slots[1], a.data());
    }
    {
        // Mono host input on two channels: both buses get their own copy of their own channel.
        float* slots[YAudioPlugin::kMaxSlots] = {};
        slots[0] = a.data();
        slots[8] = b.data();
        plugin.FixAudioBuffers(slots, 1, 2, true, 8);
        ASSERT_NE(slots[1], nullptr);
        ASSERT_NE(slots[9], nullptr);
        EXPECT_NE(slots[1], slots[9]);
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(slots[1][i], 3.0f);
            EXPECT_EQ(slots[9][i], 4.0f);
        }
    }
    {
        // Host count 0: nothing happens; more frames than the buffers hold: refused.
        float* slots[YAudioPlugin::kMaxSlots] = {};
        plugin.FixAudioBuffers(slots, 0, 1, true, 8);
        EXPECT_EQ(slots[0], nullptr);
        EXPECT_FALSE(plugin.FixAudioBuffers(slots, 2, 1, true, plugin.BlockCapacity() + 1));
        EXPECT_EQ(slots[0], nullptr);
    }
}

TEST(YAudioPluginFixAudioBuffers, MonoHostInputFeedsBothProcessedChannels) {
    FakePlugin plugin;
    plugin.SetChannelCounts(1, 2);
    plugin.SetMaxChannelsPerBus(1, 2);
    StereoBlock block(16);
    block.inputs[1] = nullptr;
    plugin.ProcessAudio(block.inputs, block.outputs, 16, true);
    for (size_t i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(block.outR[i], 2.0f * (1.0f + i));
}

// ---------------------------------------------------------------------------------------------
// Bypass

TEST(YAudioPluginBypass, OutputIsTheInputDelayedByTheLatencyAcrossBlocks) {
    for (bool inPlace : {false, true}) {
        FakePlugin plugin;
        plugin.latency = 5;
        plugin.InitProcessing();
        plugin.SetBypass(true);
        std::vector<float> heard;
        float next = 1.0f;
        for (int32_t frames : {3, 16, 7}) {
            StereoBlock block(frames);
            for (float& s : block.inL) s = next++;
            if (inPlace) block.outputs[0] = block.inputs[0];
            plugin.ProcessAudio(block.inputs, block.outputs, frames, true);
            const std::vector<float>& out = inPlace ? block.inL : block.outL;
            heard.insert(heard.end(), out.begin(), out.end());
        }
        ASSERT_EQ(heard.size(), 26u);
        for (size_t i = 0; i < heard.size(); ++i) {
            const float expected = i < 5 ? 0.0f : static_cast<float>(i - 4);
            EXPECT_NEAR(heard[i], expected, 1e-6f) << i << " in place " << inPlace;
        }
        EXPECT_EQ(plugin.processCalls, 0);
    }
}

TEST(YAudioPluginBypass, WithoutLatencyCopiesOrAddsAndForgetsEarlierBypassAudio) {
    FakePlugin plugin;
    plugin.SetBypass(true);
    StereoBlock copy(8);
    plugin.ProcessAudio(copy.inputs, copy.outputs, 8, true);
    for (size_t i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(copy.outL[i], copy.inL[i]);
    StereoBlock add(8, 7.0f);
    plugin.ProcessAudio(add.inputs, add.outputs, 8, false);
    for (size_t i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(add.outR[i], 7.0f + add.inR[i]);

    plugin.latency = 4;
    plugin.InitProcessing();
    StereoBlock first(8);
    plugin.ProcessAudio(first.inputs, first.outputs, 8, true); // fills the line
    plugin.SetBypass(false);
    plugin.ProcessAudio(first.inputs, first.outputs, 8, true);
    plugin.SetBypass(true);
    StereoBlock again(8);
    plugin.ProcessAudio(again.inputs, again.outputs, 8, true);
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(again.outL[i], 0.0f) << i; // nothing from the old bypass
    EXPECT_FLOAT_EQ(again.outL[4], again.inL[0]);
}

TEST(YAudioPluginBypass, SwitchingFromThePlugInReachesTheHost) {
    FakePlugin plugin;
    FakeHost host;
    plugin.SetBypass(true, true); // no host yet: nothing to tell
    plugin.SetHostAdapter(&host);
    plugin.SetBypass(false);
    plugin.SetBypass(true, true);
    EXPECT_EQ(host.bypass, std::vector<bool>({true}));
    EXPECT_TRUE(plugin.IsBypassed());
}

// ---------------------------------------------------------------------------------------------
// Floating-point mode and allocation

TEST(YAudioPluginProcessing, FlushesDenormalsWhileProcessingAndRestoresTheCallersMode) {
    const bool supported = [] {
        const uint32_t mode = YPlatformEnableFlushDenormals();
        const bool enabled = YPlatformFlushDenormalsEnabled();
        YPlatformSetFloatingPointMode(mode);
        return enabled;
    }();
    FakePlugin plugin;
    const uint32_t original = YPlatformDisableFlushDenormals();
    const uint32_t callers = YPlatformGetFloatingPointMode();
    StereoBlock block(16);
    plugin.ProcessAudio(block.inputs, block.outputs, 16, true);
    const uint32_t after = YPlatformGetFloatingPointMode();
    YPlatformSetFloatingPointMode(original);
    EXPECT_EQ(plugin.flushDuringProcess, supported);
    EXPECT_EQ(after, callers);
}

TEST(YAudioPluginProcessing, TheProcessingPathAllocatesNothing) {
    FakePlugin plugin;
    FakeAdapter& ramp = Add(plugin, "I", 1, true);
    plugin.SetInterpolationStep(32);
    plugin.latency = 16;
    plugin.InitProcessing();
    FakeHost host;
    plugin.SetHostAdapter(&host);
    host.automation.reserve(64);
    const uint8_t noteOn[4] = {0x90, 60, 100, 0};
    const uint8_t noteOff[4] = {0x80, 60, 0, 0};
    const uint8_t controller[4] = {0xB0, 7, 64, 0};
    StereoBlock block(YAudioPlugin::kDefaultBlockCapacity + 300);
    const int32_t frames = static_cast<int32_t>(block.inL.size());
    plugin.ProcessAudio(block.inputs, block.outputs, frames, true); // warm up
    plugin.subBlocks.reserve(4096);
    plugin.watchedValues.reserve(4096);
    plugin.songPositions.reserve(4096);
    plugin.watched = &ramp;
    ramp.writes.reserve(4096);

    const uint64_t before = AllocationCounting::Count();
    for (int round = 0; round < 4; ++round) {
        plugin.ProcessMIDIEvent(0, noteOn);
        plugin.ProcessMIDIEvent(3, controller);
        plugin.ProcessMIDIEvent(9, noteOff);
        plugin.SetParameter(0, round % 2 == 0 ? 1.0 : 0.0);
        plugin.NeedUpdateEditor(&ramp);
        plugin.SetBypass(round == 2);
        plugin.ProcessAudio(block.inputs, block.outputs, frames, round % 2 == 0);
    }
    EXPECT_EQ(AllocationCounting::Count(), before);
    EXPECT_GT(plugin.subBlocks.size(), 4u); // the ramps really ran
}

