#include "core/YAudioEffectPluginToAudioPluginAdapter.h"
#include "core/YConfigurationLock.h"

#include "FrameTestSupport.h"
#include "effect/VornikAudioEffectPlugin.h"
#include "entry/VornikAudioEffectPluginInterface.h"
#include "support/AllocationCounting.h"

#include <cmath>
#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace frametest;

namespace {

constexpr int32_t kLatency = 37;
constexpr float kGain = 2.0f;

// Input channel c delayed by the latency (0 before the signal starts).
float Delayed(int32_t channel, int64_t index, int32_t latency = kLatency) {
    return index >= latency ? Signal(channel, index - latency) : 0.0f;
}

struct ModeCase {
    int32_t mode;
    const char* name;
    // Expected left and right output at sample index i.
    std::function<float(int64_t)> left;
    std::function<float(int64_t)> right;
};

float Mid(int64_t i) { return (Delayed(0, i) + Delayed(1, i)) * 0.5f; }
float Side(int64_t i) { return (Delayed(0, i) - Delayed(1, i)) * 0.5f; }

} // namespace

TEST(YAudioEffectPluginToAudioPluginAdapterModes, EachStereoModeProcessesAndRestoresItsChannels) {
    const ModeCase cases[] = {
        {0, "Left + Right", [](int64_t i) { return kGain * Delayed(0, i); }, [](int64_t i) { return kGain * Delayed(1, i); }},
        {1, "Left", [](int64_t i) { return kGain * Delayed(0, i); }, [](int64_t i) { return Delayed(1, i); }},
        {2, "Right", [](int64_t i) { return Delayed(0, i); }, [](int64_t i) { return kGain * Delayed(1, i); }},
        {3, "Mono", [](int64_t i) { return kGain * Mid(i) + Side(i); }, [](int64_t i) { return kGain * Mid(i) - Side(i); }},
        {4, "Stereo", [](int64_t i) { return Mid(i) + kGain * Side(i); }, [](int64_t i) { return Mid(i) - kGain * Side(i); }},
        {5, "Mono + Stereo", [](int64_t i) { return kGain * Delayed(0, i); }, [](int64_t i) { return kGain * Delayed(1, i); }},
        {6, "Left + Right (neg)", [](int64_t i) { return kGain * Delayed(0, i); }, [](int64_t i) { return -kGain * Delayed(1, i); }},
    };
    for (const ModeCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto plugin = CreateProbePlugin(2, kLatency);
        ASSERT_TRUE(plugin);
        ASSERT_TRUE(plugin->SetConfiguredChannelMode(c.mode));
        plugin->InitProcessing();
        EXPECT_EQ(TheProbe().preparedChannels, c.mode >= 1 && c.mode <= 4 ? 1 : 2);
        EXPECT_EQ(plugin->IsMidSideMode(), c.mode >= 3 && c.mode <= 5);
        EXPECT_STREQ(YAudioEffectPluginToAudioPluginAdapter::kChannelModeNames[c.mode], c.name);

        Buffers block(2, 100);
        int64_t position = 0;
        for (int round = 0; round < 3; ++round) {
            for (int32_t i = 0; i < block.frames; ++i) {
                block.in[0][static_cast<size_t>(i)] = Signal(0, position + i);
                block.in[1][static_cast<size_t>(i)] = Signal(1, position + i);
            }
            block.Process(*plugin);
            for (int32_t i = 0; i < block.frames; ++i) {
                ASSERT_NEAR(block.out[0][static_cast<size_t>(i)], c.left(position + i), 1e-5) << "sample " << position + i;
                ASSERT_NEAR(block.out[1][static_cast<size_t>(i)], c.right(position + i), 1e-5) << "sample " << position + i;
            }
            position += block.frames;
        }
    }
}

TEST(YAudioEffectPluginToAudioPluginAdapterModes, ModeDescriptionsAreTheUsersTexts) {
    EXPECT_STREQ(YAudioEffectPluginToAudioPluginAdapter::kChannelModeDescriptions[0],
                 "Default setting for stereo (or mono) processing.");
    EXPECT_STREQ(YAudioEffectPluginToAudioPluginAdapter::kChannelModeDescriptions[5],
                 "Processes mono & stereo contents separately.");
    EXPECT_STREQ(YAudioEffectPluginToAudioPluginAdapter::kChannelModeDescriptions[7],
                 "Surround processing of up to 8 channels.");
    EXPECT_EQ(YAudioEffectPluginToAudioPluginAdapter::ChannelModeFromName("Left + Right (neg)"), 6);
    EXPECT_EQ(YAudioEffectPluginToAudioPluginAdapter::ChannelModeFromName("left"), -1);
}

TEST(YAudioEffectPluginToAudioPluginAdapterModes, InPlaceHostBuffersGiveTheSameResult) {
    auto plugin = CreateProbePlugin(2, kLatency);
    ASSERT_TRUE(plugin);
    plugin->SetConfiguredChannelMode(YAudioEffectPluginToAudioPluginAdapter::kModeMono);
    plugin->InitProcessing();
    Buffers block(2, 300);
    for (int32_t i = 0; i < block.frames; ++i) {
        block.in[0][static_cast<size_t>(i)] = Signal(0, i);
        block.in[1][static_cast<size_t>(i)] = Signal(1, i);
    }
    plugin->ProcessAudio(block.inputs, block.inputs, block.frames, true);
    for (int64_t i = 0; i < block.frames; ++i) {
        ASSERT_NEAR(block.in[0][static_cast<size_t>(i)], kGain * Mid(i) + Side(i), 1e-5);
        ASSERT_NEAR(block.in[1][static_cast<size_t>(i)], kGain * Mid(i) - Side(i), 1e-5);
    }
}

TEST(YAudioEffectPluginToAudioPluginAdapterModes, SurroundPacksEnabledChannelsAndDelaysTheOthers) {
    auto plugin = CreateProbePlugin(6, kLatency);
    ASSERT_TRUE(plugin);
    plugin->SetConfiguredChannelMode(YAudioEffectPluginToAudioPluginAdapter::kModeSurround);
    plugin->SetSurroundChannelMask(0b11001111); // 4 and 5 off; 6 and 7 do not exist
    plugin->InitProcessing();
    EXPECT_EQ(TheProbe().preparedChannels, 4);
    EXPECT_EQ(plugin->EffectChannelCount(), 4);

    Buffers block(6, 128);
    int64_t position = 0;
    for (int round = 0; round < 2; ++round) {
        for (int32_t c = 0; c < 6; ++c)
            for (int32_t i = 0; i < block.frames; ++i) block.in[static_cast<size_t>(c)][static_cast<size_t>(i)] = Signal(c, position + i);
        block.Process(*plugin);
        for (int32_t c = 0; c < 6; ++c) {
            const float gain = c < 4 ? kGain : 1.0f;
            for (int32_t i = 0; i < block.frames; ++i)
                ASSERT_NEAR(block.out[static_cast<size_t>(c)][static_cast<size_t>(i)], gain * Delayed(c, position + i), 1e-6)
                    << "channel " << c << " sample " << position + i;
        }
        position += block.frames;
    }

    // Channels in the middle left out: the effect's channels are packed in order.
    plugin->SetSurroundChannelMask(0b00100110); // 1, 2, 5
    plugin->InitProcessing();
    EXPECT_EQ(TheProbe().preparedChannels, 3);
    Buffers second(6, 64);
    for (int32_t c = 0; c < 6; ++c)
        for (int32_t i = 0; i < second.frames; ++i) second.in[static_cast<size_t>(c)][static_cast<size_t>(i)] = Signal(c, i);
    second.Process(*plugin);
    for (int32_t c = 0; c < 6; ++c) {
        const float gain = (c == 1 || c == 2 || c == 5) ? kGain : 1.0f;
        for (int32_t i = 0; i < second.frames; ++i)
            ASSERT_NEAR(second.out[static_cast<size_t>(c)][static_cast<size_t>(i)], gain * Delayed(c, i), 1e-6);
    }
}

TEST(YAudioEffectPluginToAudioPluginAdapterModes, SixChannelsInStereoModeDelayTheRestAndNoInputMeansSilence) {
    auto plugin = CreateProbePlugin(6, kLatency);
    ASSERT_TRUE(plugin);
    EXPECT_EQ(TheProbe().preparedChannels, 2);
    Buffers block(6, 90);
    for (int32_t c = 0; c < 6; ++c)
        for (int32_t i = 0; i < block.frames; ++i) block.in[static_cast<size_t>(c)][static_cast<size_t>(i)] = Signal(c, i);
    block.Process(*plugin);
    for (int32_t c = 0; c < 6; ++c)
        for (int32_t i = 0; i < block.frames; ++i)
            ASSERT_NEAR(block.out[static_cast<size_t>(c)][static_cast<size_t>(i)], (c < 2 ? kGain : 1.0f) * Delayed(c, i), 1e-6);

    // An instrument-like layout: outputs only. The effect runs on silence.
    auto generator = CreateProbePlugin(2, 0);
    ASSERT_TRUE(generator);
    generator->SetChannelCounts(0, 2);
    generator->InitProcessing();
    Buffers only(2, 64);
    for (auto& channel : only.out) std::fill(channel.begin(), channel.end(), 7.0f);
    generator->ProcessAudio(nullptr, only.outputs, only.frames, true);
    for (auto& channel : only.out)
        for (float sample : channel) ASSERT_EQ(sample, 0.0f);
}

TEST(YAudioEffectPluginToAudioPluginAdapterModes, MonoOnIdenticalChannelsEqualsTheProcessedMidAndMidSideRoundTrips) {
    auto reference = YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", VornikAudioEffectPluginInterface, 500, 100);
    auto mono = YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", VornikAudioEffectPluginInterface, 500, 100);
    ASSERT_TRUE(reference && mono);
    mono->SetConfiguredChannelMode(YAudioEffectPluginToAudioPluginAdapter::kModeMono);
    mono->InitProcessing();
    reference->InitProcessing();
    for (int round = 0; round < 4; ++round) {
        Buffers a(2, 256), b(2, 256);
        for (int32_t i = 0; i < 256; ++i) {
            const float x = Signal(0, round * 256 + i);
            a.in[0][static_cast<size_t>(i)] = a.in[1][static_cast<size_t>(i)] = x;
            b.in[0][static_cast<size_t>(i)] = b.in[1][static_cast<size_t>(i)] = x;
        }
        a.Process(*reference);
        b.Process(*mono);
        for (int32_t i = 0; i < 256; ++i) {
            // Side is 0: both outputs are the processed mid, which is what the reference's
            // left channel got (its channels run in phase).
            ASSERT_EQ(b.out[0][static_cast<size_t>(i)], a.out[0][static_cast<size_t>(i)]);
            ASSERT_EQ(b.out[1][static_cast<size_t>(i)], a.out[0][static_cast<size_t>(i)]);
        }
    }

    // Depth 0 leaves only the dry signal: mid/side there and back gives the input.
    auto both = YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", VornikAudioEffectPluginInterface, 500, 100);
    ASSERT_TRUE(both);
    both->SetParameter(FindParameter(*both, "Depth"), 0.5);
    both->SetConfiguredChannelMode(YAudioEffectPluginToAudioPluginAdapter::kModeMonoStereo);
    both->InitProcessing();
    Buffers block(2, 512);
    for (int32_t c = 0; c < 2; ++c)
        for (int32_t i = 0; i < 512; ++i) block.in[static_cast<size_t>(c)][static_cast<size_t>(i)] = Signal(c, i);
    block.Process(*both);
    for (int32_t c = 0; c < 2; ++c)
        for (int32_t i = 0; i < 512; ++i)
            ASSERT_NEAR(block.out[static_cast<size_t>(c)][static_cast<size_t>(i)], Signal(c, i), 1e-6);
}

TEST(YAudioEffectPluginToAudioPluginAdapterModes, ModeZeroRunsTheFlangerAsTheEffectAloneWould) {
    auto plugin = YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", VornikAudioEffectPluginInterface, 500, 100);
    ASSERT_TRUE(plugin);
    plugin->SetParameter(FindParameter(*plugin, "Feedback"), 0.8);
    plugin->SetSampleRate(48000.0);
    plugin->InitProcessing();

    VornikAudioEffectPlugin effect;
    effect.Parameter(VornikAudioEffectPlugin::kFeedback).Float.Value =
        dynamic_cast<VornikAudioEffectPlugin*>(plugin->Effect())->Parameter(VornikAudioEffectPlugin::kFeedback).Float.Value;
    effect.Prepare(2, 48000.0);
    effect.Update();
    effect.SyncProcessingValues();

    Buffers block(2, 256);
    std::vector<float> left(256), right(256);
    for (int round = 0; round < 8; ++round) {
        for (int32_t i = 0; i < 256; ++i) {
            block.in[0][static_cast<size_t>(i)] = left[static_cast<size_t>(i)] = Signal(0, round * 256 + i);
            block.in[1][static_cast<size_t>(i)] = right[static_cast<size_t>(i)] = Signal(1, round * 256 + i);
        }
        block.Process(*plugin);
        float* channels[2] = {left.data(), right.data()};
        effect.Process(YProcessingContext{}, channels, channels, 256);
        for (int32_t i = 0; i < 256; ++i) {
            ASSERT_NEAR(block.out[0][static_cast<size_t>(i)], left[static_cast<size_t>(i)], 1e-6);
            ASSERT_NEAR(block.out[1][static_cast<size_t>(i)], right[static_cast<size_t>(i)], 1e-6);
        }
    }
}

TEST(YAudioEffectPluginToAudioPluginAdapterSplitter, ABlockIsCutIntoSubBlocksAndTheSongPositionAdvances) {
    auto plugin = CreateProbePlugin(2, 0);
    ASSERT_TRUE(plugin);
    EXPECT_TRUE(plugin->UsesHostTime());
    plugin->SetMaxSubBlockLength(256);
    plugin->HostSync().Tempo = 120.0;
    plugin->HostSync().SongPosition = 8.0;
    plugin->SetSampleRate(48000.0);
    plugin->InitProcessing();
    TheProbe().calls = 0;
    Buffers block(2, 1000);
    block.Process(*plugin);
    ASSERT_EQ(TheProbe().calls, 4);
    const int32_t expected[] = {256, 256, 256, 232};
    const double beatsPerSample = 120.0 / (48000.0 * 60.0);
    for (int32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(TheProbe().frames[i], expected[i]);
        EXPECT_NEAR(TheProbe().songPositions[i], 8.0 + 256.0 * i * beatsPerSample, 1e-12);
    }

    // No limit configured: 256 applies; a limit above the block processes it whole.
    plugin->SetMaxSubBlockLength(0);
    TheProbe().calls = 0;
    block.Process(*plugin);
    EXPECT_EQ(TheProbe().calls, 4);
    plugin->SetMaxSubBlockLength(4096);
    TheProbe().calls = 0;
    block.Process(*plugin);
    EXPECT_EQ(TheProbe().calls, 1);
    EXPECT_EQ(TheProbe().frames[0], 1000);
}

TEST(YAudioEffectPluginToAudioPluginAdapterLatency, EffectLatencyIsScaledAndTheUpsamplerAdded) {
    auto plugin = CreateProbePlugin(2, 100);
    ASSERT_TRUE(plugin);
    CountingHost host;
    plugin->SetHostAdapter(&host);
    EXPECT_EQ(plugin->GetLatency(), 100);
    EXPECT_EQ(plugin->BypassDelay(), 100);

    ASSERT_TRUE(plugin->SetUpsamplingFactor(4, true));
    EXPECT_EQ(plugin->GetLatency(), 100 / 4 + 1536);
    EXPECT_EQ(plugin->BypassDelay(), 100 / 4 + 1536);
    EXPECT_DOUBLE_EQ(TheProbe().preparedRate, plugin->SampleRate() * 4);
    EXPECT_EQ(plugin->UpsamplingMode(), 2);
    EXPECT_EQ(host.latencyReports.load(), 1);

    ASSERT_TRUE(plugin->SetUpsamplingFactor(4, false));
    EXPECT_EQ(plugin->GetLatency(), 25 + 384);
    EXPECT_EQ(host.latencyReports.load(), 2);
    const int prepares = TheProbe().prepares;
    ASSERT_TRUE(plugin->SetUpsamplingFactor(4, false)); // nothing changes: no re-initialisation
    EXPECT_EQ(TheProbe().prepares, prepares);
    EXPECT_FALSE(plugin->SetUpsamplingFactor(3, false));
    EXPECT_EQ(plugin->UpsamplingFactor(), 4);

    plugin->SetUpsamplingMode(0);
    plugin->OnUpsamplingChange();
    EXPECT_EQ(plugin->GetLatency(), 100);

    const int reports = host.latencyReports.load();
    plugin->Panic();
    EXPECT_EQ(host.latencyReports.load(), reports + 1);
    EXPECT_EQ(TheProbe().prepares, prepares + 2);
    plugin->SetHostAdapter(nullptr);
}

TEST(YAudioEffectPluginToAudioPluginAdapterLatency, ALatencyTheEffectChangesIsFollowedOnceAndReported) {
    auto plugin = CreateProbePlugin(2, 10);
    ASSERT_TRUE(plugin);
    CountingHost host;
    plugin->SetHostAdapter(&host);
    EXPECT_FALSE(plugin->FollowLatency()); // nothing changed: no re-initialisation, no report
    EXPECT_EQ(host.latencyReports.load(), 0);

    TheProbe().latency = 37; // as a parameter of the effect would change it
    const int prepares = TheProbe().prepares;
    EXPECT_TRUE(plugin->FollowLatency());
    EXPECT_EQ(host.latencyReports.load(), 1);
    EXPECT_EQ(TheProbe().prepares, prepares); // the effect keeps its state
    EXPECT_EQ(plugin->GetLatency(), 37);
    EXPECT_EQ(plugin->BypassDelay(), 37);

    // The channel the effect skips in mode 1 is delayed as far as the effect delays the other.
    ASSERT_TRUE(plugin->SetConfiguredChannelMode(1));
    plugin->InitProcessing();
    Buffers block(2, 64);
    block.in[1][0] = 1.0f;
    block.Process(*plugin);
    EXPECT_EQ(block.out[1][37], 1.0f);
    EXPECT_EQ(block.out[1][36], 0.0f);

    EXPECT_FALSE(plugin->FollowLatency());
    EXPECT_EQ(host.latencyReports.load(), 1);
    plugin->SetHostAdapter(nullptr);
}

TEST(YAudioEffectPluginToAudioPluginAdapterTriggers, ATriggerFiresOnceWhenItCrossesTwoThirds) {
    auto plugin = CreateProbePlugin(2, 0);
    ASSERT_TRUE(plugin);
    Buffers block(2, 64);
    int32_t step = 0;
    PluginParameter& previous = plugin->PresetTrigger(0);
    PluginParameter& next = plugin->PresetTrigger(1);
    EXPECT_TRUE(previous.Name == YString("Preset trigger - previous"));
    EXPECT_TRUE(next.Name == YString("Preset trigger - next"));

    next.Float.Value = 0.5;
    block.Process(*plugin);
    EXPECT_FALSE(plugin->TakePresetStep(step));
    next.Float.Value = 0.7;
    block.Process(*plugin);
    block.Process(*plugin); // staying above does not fire again
    ASSERT_TRUE(plugin->TakePresetStep(step));
    EXPECT_EQ(step, 1);
    EXPECT_FALSE(plugin->TakePresetStep(step));

    previous.Float.Value = 2.0 / 3.0; // exactly the threshold counts
    next.Float.Value = 0.1;
    block.Process(*plugin);
    next.Float.Value = 0.9;
    block.Process(*plugin);
    ASSERT_TRUE(plugin->TakePresetStep(step));
    EXPECT_EQ(step, -1);
    ASSERT_TRUE(plugin->TakePresetStep(step));
    EXPECT_EQ(step, 1);

    // A GUI thread that never looks drops steps instead of blocking the audio thread.
    for (int i = 0; i < 40; ++i) {
        next.Float.Value = 0.0;
        block.Process(*plugin);
        next.Float.Value = 1.0;
        block.Process(*plugin);
    }
    int taken = 0;
    while (plugin->TakePresetStep(step)) ++taken;
    EXPECT_EQ(taken, YAudioEffectPluginToAudioPluginAdapter::kPresetStepQueueSize);
}

namespace {
// A preset load on another thread: it holds the plug-in's three locks from construction to
// destruction, so every block processed meanwhile is skipped.
class HeldConfiguration {
public:
    explicit HeldConfiguration(YAudioPlugin& plugin)
        : m_thread([this, &plugin] {
              const YConfigurationLock locks(plugin);
              m_held.store(true);
              while (!m_release.load()) std::this_thread::yield();
          }) {
        while (!m_held.load()) std::this_thread::yield();
    }
    ~HeldConfiguration() {
        m_release.store(true);
        m_thread.join();
    }

private:
    std::atomic<bool> m_held{false};
    std::atomic<bool> m_release{false};
    std::thread m_thread;
};

std::vector<int32_t> TakeSteps(YAudioEffectPluginToAudioPluginAdapter& plugin) {
    std::vector<int32_t> steps;
    for (int32_t step = 0; plugin.TakePresetStep(step);) steps.push_back(step);
    return steps;
}
} // namespace

// A host's trigger pulse that coincides with a preset load: VST 2.4 sets the value before the
// load takes the locks (the set waits for them while they are held); VST 3 tells every point
// of a block's changes before trying the locks. Either way the block the pulse belongs to is
// skipped, and the next block that runs must still step.
TEST(YAudioEffectPluginToAudioPluginAdapterTriggers, APulseDuringASkippedBlockStillSteps) {
    struct Case {
        const char* name;
        std::vector<double> beforeLoad; // set through SetParameter
        std::vector<double> duringLoad; // told through NoteIncomingValue
        std::vector<double> afterLoad;  // set through SetParameter
        std::vector<int32_t> steps;
    };
    const Case cases[] = {
        {"set high before the load, low after", {1.0}, {}, {0.0}, {1}},
        {"up and down inside the skipped block", {}, {1.0, 0.0}, {0.0}, {1}},
        {"three pulses while loading", {}, {0.9, 0.1, 0.7, 0.6, 1.0}, {}, {1, 1, 1}},
        {"high before, the same value echoed after", {1.0}, {1.0}, {1.0}, {1}},
        {"below the threshold throughout", {0.5}, {0.6, 0.0}, {0.66}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto plugin = CreateProbePlugin(2, 0);
        ASSERT_TRUE(plugin);
        const int32_t next = FindParameter(*plugin, "Preset trigger - next");
        ASSERT_GE(next, 0);
        Buffers block(2, 64);
        block.Process(*plugin);
        for (double value : c.beforeLoad) plugin->SetParameter(next, value);
        {
            const HeldConfiguration load(*plugin);
            const int32_t calls = TheProbe().calls;
            for (double value : c.duringLoad) plugin->NoteIncomingValue(next, value);
            block.Process(*plugin);
            EXPECT_EQ(TheProbe().calls, calls) << "the block was not skipped";
        }
        EXPECT_TRUE(TakeSteps(*plugin).empty()) << "a skipped block queues nothing";
        for (double value : c.afterLoad) plugin->SetParameter(next, value);
        block.Process(*plugin);
        block.Process(*plugin);
        EXPECT_EQ(TakeSteps(*plugin), c.steps);
    }
}

// Without any load: a value set twice between blocks, up and back down, still steps once, and
// other parameters' values told in advance change nothing.
TEST(YAudioEffectPluginToAudioPluginAdapterTriggers, ARiseBetweenTwoBlocksIsNotLostWhenTheValueFallsAgain) {
    auto plugin = CreateProbePlugin(2, 0);
    ASSERT_TRUE(plugin);
    const int32_t previous = FindParameter(*plugin, "Preset trigger - previous");
    ASSERT_GE(previous, 0);
    Buffers block(2, 64);
    plugin->SetParameter(previous, 1.0);
    plugin->SetParameter(previous, 0.0);
    plugin->NoteIncomingValue(0, 1.0);
    plugin->NoteIncomingValue(-5, 1.0);
    block.Process(*plugin);
    EXPECT_EQ(TakeSteps(*plugin), std::vector<int32_t>{-1});
    block.Process(*plugin);
    EXPECT_TRUE(TakeSteps(*plugin).empty());
}

namespace {
// Counts its wake-ups and says when it is destroyed.
class CountingNavigation : public YPresetNavigation {
public:
    CountingNavigation(int& wakes, bool& destroyed) : m_wakes(wakes), m_destroyed(destroyed) {}
    ~CountingNavigation() override { m_destroyed = true; }
    void PresetStepQueued() noexcept override { ++m_wakes; }

private:
    int& m_wakes;
    bool& m_destroyed;
};
} // namespace

TEST(YAudioEffectPluginToAudioPluginAdapterTriggers, ABlockThatQueuesStepsWakesTheNavigationOnce) {
    auto plugin = CreateProbePlugin(2, 0);
    ASSERT_TRUE(plugin);
    int wakes = 0;
    bool destroyed = false;
    plugin->SetPresetNavigation(std::make_unique<CountingNavigation>(wakes, destroyed));
    Buffers block(2, 64);
    block.Process(*plugin);
    EXPECT_EQ(wakes, 0);

    plugin->PresetTrigger(0).Float.Value = 0.9;
    plugin->PresetTrigger(1).Float.Value = 0.9;
    block.Process(*plugin); // two steps, one wake-up
    EXPECT_EQ(wakes, 1);
    block.Process(*plugin);
    EXPECT_EQ(wakes, 1);

    // The MIDI preset switch wakes it the same way.
    plugin->PreviousNextPresetController().Enabled = true;
    plugin->PreviousNextPresetController().Controller = 7;
    const uint8_t down[4] = {0xB0, 7, 10, 0};
    plugin->ProcessMIDIEvent(0, down);
    block.Process(*plugin);
    EXPECT_EQ(wakes, 2);
    plugin->ProcessMIDIEvent(0, down); // no new crossing
    block.Process(*plugin);
    EXPECT_EQ(wakes, 2);

    // Every step waits in the queue for whoever was woken.
    int32_t step = 0;
    int taken = 0;
    while (plugin->TakePresetStep(step)) ++taken;
    EXPECT_EQ(taken, 3);

    plugin.reset();
    EXPECT_TRUE(destroyed);
}

TEST(YAudioEffectPluginToAudioPluginAdapterMeters, PeaksOfTheEffectsChannelsWhileActive) {
    auto plugin = CreateProbePlugin(2, 0);
    ASSERT_TRUE(plugin);
    Buffers block(2, 64);
    block.in[0][10] = -0.5f;
    block.in[1][20] = 0.25f;
    block.Process(*plugin);
    EXPECT_EQ(plugin->TakeInputPeak(0), 0.0f); // meters off
    plugin->SetMetersActive(true);
    block.Process(*plugin);
    EXPECT_NEAR(plugin->TakeInputPeak(0), 0.5f, 1e-6);
    EXPECT_NEAR(plugin->TakeInputPeak(1), 0.25f, 1e-6);
    EXPECT_NEAR(plugin->TakeOutputPeak(0), 1.0f, 1e-6);
    EXPECT_NEAR(plugin->TakeOutputPeak(1), 0.5f, 1e-6);
    EXPECT_EQ(plugin->TakeInputPeak(0), 0.0f); // taking restarts the meter
    EXPECT_EQ(plugin->TakeInputPeak(99), 0.0f);
}

TEST(YAudioEffectPluginToAudioPluginAdapterProcessing, NoModeAllocatesWhileProcessing) {
    for (int32_t mode = 0; mode < YAudioEffectPluginToAudioPluginAdapter::kChannelModeCount; ++mode) {
        SCOPED_TRACE(mode);
        auto plugin = YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", VornikAudioEffectPluginInterface, 500, 100);
        ASSERT_TRUE(plugin);
        const int32_t channels = mode == 7 ? 6 : 2;
        plugin->SetChannelCounts(channels, channels);
        plugin->SetChannelsPerBus(channels);
        plugin->SetConfiguredChannelMode(mode);
        plugin->SetSurroundChannelMask(0b00001011);
        plugin->SetMetersActive(true);
        plugin->InitProcessing();
        Buffers block(channels, 1024);
        for (int32_t c = 0; c < channels; ++c)
            for (int32_t i = 0; i < block.frames; ++i) block.in[static_cast<size_t>(c)][static_cast<size_t>(i)] = Signal(c, i);
        block.Process(*plugin); // first block: the LFO buffer grows to the block length
        const int32_t depth = FindParameter(*plugin, "Depth");
        const int32_t range = FindParameter(*plugin, "Range");
        const int32_t delay = FindParameter(*plugin, "Delay");
        const uint64_t before = AllocationCounting::Count();
        for (int round = 0; round < 6; ++round) {
            plugin->SetParameter(depth, round % 2 ? 0.2 : 0.9);
            plugin->SetParameter(range, round % 2 ? 0.1 : 0.7); // marks the effect for an update
            plugin->SetParameter(delay, round % 2 ? 0.0 : 0.6);  // interpolated in sub-blocks
            plugin->PresetTrigger(1).Float.Value = round % 2;
            block.Process(*plugin);
            plugin->ProcessAudio(block.inputs, block.outputs, block.frames, false);
        }
        EXPECT_EQ(AllocationCounting::Count(), before);
        for (int32_t c = 0; c < channels; ++c)
            for (float sample : block.out[static_cast<size_t>(c)]) ASSERT_TRUE(std::isfinite(sample));
    }
}

TEST(YAudioEffectPluginToAudioPluginAdapterSplitter, RampedParametersReachTheEffectsDerivedState) {
    auto plugin = YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", VornikAudioEffectPluginInterface, 500, 100);
    ASSERT_TRUE(plugin);
    EXPECT_EQ(plugin->InterpolationStep(), YAudioEffectPluginToAudioPluginAdapter::kDefaultInterpolationStep);
    auto& flanger = *dynamic_cast<VornikAudioEffectPlugin*>(plugin->Effect());
    Buffers block(2, 512);
    block.Process(*plugin);
    const double start = flanger.HighPass().Frequency();
    const int32_t minimum = FindParameter(*plugin, "Min frequency");
    plugin->SetParameter(minimum, 0.5);
    const double target = std::pow(10.0, flanger.Parameter(VornikAudioEffectPlugin::kMinFrequency).Float.Value);
    ASSERT_GT(target, start * 2.0);
    TheProbe().calls = 0;
    block.Process(*plugin);
    // The effect smooths the step the host made: the filter has left the start toward the
    // target within the block, and settles on the target itself within three of the
    // smoother's longest spans.
    const double reached = flanger.HighPass().Frequency();
    EXPECT_GT(reached, start * 1.0001);
    EXPECT_LT(reached, target);
    for (int32_t done = 0; done < 3 * VornikAutomationSmoother::kLongestSpan; done += block.frames)
        block.Process(*plugin);
    EXPECT_NEAR(flanger.HighPass().Frequency(), target, target * 1e-9);
}

TEST(YAudioEffectPluginToAudioPluginAdapterProcessing, AnEffectAskingForTheDryCombinationGetsItsInputAdded) {
    auto plugin = CreateProbePlugin(2, 0, kEffectFlagDryCombination);
    ASSERT_TRUE(plugin);
    EXPECT_TRUE(plugin->NeedsSeparateInputs());
    Buffers block(2, 64);
    for (int32_t c = 0; c < 2; ++c)
        for (int32_t i = 0; i < block.frames; ++i) block.in[static_cast<size_t>(c)][static_cast<size_t>(i)] = Signal(c, i);
    // In place: the frame keeps a copy of the input to add.
    plugin->ProcessAudio(block.inputs, block.inputs, block.frames, true);
    for (int32_t c = 0; c < 2; ++c)
        for (int32_t i = 0; i < block.frames; ++i)
            ASSERT_NEAR(block.in[static_cast<size_t>(c)][static_cast<size_t>(i)], (kGain + 1.0f) * Signal(c, i), 1e-6);
}

TEST(YAudioEffectPluginToAudioPluginAdapterProcessing, NotesReachTheEffectUnlessItIsBeingReconfigured) {
    auto plugin = CreateProbePlugin(2, 0);
    ASSERT_TRUE(plugin);
    const uint8_t noteOn[4] = {0x90, 60, 100, 0};
    const uint8_t noteOff[4] = {0x80, 60, 0, 0};
    plugin->ProcessMIDIEvent(0, noteOn);
    EXPECT_EQ(TheProbe().notes, 1);
    plugin->ProcessMIDIEvent(0, noteOff);

    // Another thread holds the processing lock: the event is dropped, nobody waits.
    std::atomic<bool> held{false}, release{false};
    std::thread holder([&] {
        YScopedLock lock(plugin->ProcessingLock());
        held.store(true);
        while (!release.load()) std::this_thread::yield();
    });
    while (!held.load()) std::this_thread::yield();
    plugin->ProcessMIDIEvent(0, noteOn);
    release.store(true);
    holder.join();
    EXPECT_EQ(TheProbe().notes, 1);
    plugin->ProcessMIDIEvent(0, noteOff);
    plugin->ProcessMIDIEvent(0, noteOn);
    EXPECT_EQ(TheProbe().notes, 2);
}
