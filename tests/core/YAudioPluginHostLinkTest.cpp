// YAudioPlugin's link to the host: automation out, MIDI in and out, editor updates, and the
// threads around processing.
#include "YAudioPluginTestSupport.h"

#include "effect/YMIDIResetProcessor.h"
#include "platform/YPlatformTime.h"

#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace YAudioPluginTestSupport;

// ---------------------------------------------------------------------------------------------
// Automation out and the host link

TEST(YAudioPluginAutomation, AutomationOutReachesTheHostAtTheHostIndex) {
    FakePlugin plugin;
    FakeHost host;
    Add(plugin, "A", 2);
    FakeAdapter& b = Add(plugin, "B", 3);
    b.values = {0.1, 0.2, 0.3};
    b.SendAutomation(0); // no host yet
    EXPECT_TRUE(host.automation.empty());
    plugin.SetHostAdapter(&host);

    b.SendAutomationValueWithChange(1, 0.0);
    b.SendAllAutomation();
    plugin.SetParameterAutomated(4, 0.75);
    ASSERT_EQ(host.automation.size(), 6u);
    EXPECT_EQ(host.automation[0].index, 3);
    EXPECT_EQ(host.automation[0].value, 1e-10);
    EXPECT_EQ(host.automation[1].value, 0.0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(host.automation[2 + i].index, 2 + i);
        EXPECT_DOUBLE_EQ(host.automation[2 + i].value, 0.1 * (i + 1));
    }
    EXPECT_EQ(host.automation[5].index, 4);
    EXPECT_EQ(host.automation[5].value, 0.75);
    EXPECT_EQ(b.values[2], 0.75);
}

TEST(YAudioPluginAutomation, MIDIOutputAndLatencyGoThroughTheHostCallback) {
    FakePlugin plugin;
    FakeHost host;
    const uint8_t bytes[4] = {0x91, 64, 90, 0};
    plugin.GenerateMIDIEvent(5, bytes); // no host: dropped
    plugin.ReportLatency();
    plugin.SetHostAdapter(&host);
    plugin.GenerateMIDIEvent(5, bytes);
    plugin.GenerateMIDIEvent(6, nullptr);
    plugin.ReportLatency();
    ASSERT_EQ(host.midi.size(), 1u);
    EXPECT_EQ(host.midi[0], std::vector<int32_t>({5, 0x91, 64, 90}));
    EXPECT_EQ(host.latencyReports, 1);
}

// ---------------------------------------------------------------------------------------------
// MIDI entry

namespace {

class CountingResetProcessor : public YMIDIResetProcessor {
public:
    void Reset() override { ++resets; }
    int resets = 0;
};

} // namespace

TEST(YAudioPluginMIDI, HostNotesReachTheEffectsResetProcessorWithTheirCounts) {
    FakePlugin plugin;
    CountingResetProcessor reset;
    reset.Enabled = true;
    reset.NoteOnOnlyFirst = true;
    ASSERT_TRUE(plugin.AddMIDIListener(&reset));
    const uint8_t c4[4] = {0x90, 60, 100, 0}, e4[4] = {0x90, 64, 100, 0};
    const uint8_t c4off[4] = {0x80, 60, 0, 0}, e4off[4] = {0x90, 64, 0, 0};
    plugin.ProcessMIDIEvent(0, c4);
    EXPECT_EQ(reset.resets, 1);
    plugin.ProcessMIDIEvent(0, e4); // second key of a chord: not the first note
    EXPECT_EQ(reset.resets, 1);
    EXPECT_EQ(plugin.HeldNotes(0), 2);
    plugin.ProcessMIDIEvent(0, c4off);
    plugin.ProcessMIDIEvent(0, e4off); // note-on with velocity 0 releases
    EXPECT_EQ(plugin.HeldNotes(0), 0);
    plugin.ProcessMIDIEvent(0, c4);
    EXPECT_EQ(reset.resets, 2);

    plugin.ProcessNote(0, 70, 0.5, true); // the decoded note entry
    EXPECT_EQ(plugin.NoteCount(0, 70), 1);
    plugin.ProcessMIDIEvent(0, nullptr);
    plugin.ProcessNote(99, 70, 0.5, true);
    EXPECT_EQ(plugin.HeldNotes(0), 2);
}

// ---------------------------------------------------------------------------------------------
// Editor updates

TEST(YAudioPluginEditorUpdates, AnAdapterIsListedOnceAndForeignOnesNotAtAll) {
    FakePlugin plugin;
    FakeAdapter& a = Add(plugin, "A", 1);
    FakeAdapter& b = Add(plugin, "B", 1);
    FakeAdapter stray("S", 1);
    plugin.NeedUpdateEditor(&b);
    plugin.NeedUpdateEditor(&b);
    b.RequestEditorUpdate();
    plugin.NeedUpdateEditor(&stray);
    plugin.NeedUpdateEditor(nullptr);
    EXPECT_EQ(plugin.PendingEditorUpdates(), 1);
    a.RequestEditorUpdate();
    YAudioPlugin::AutomationAdapter* taken[4] = {};
    EXPECT_EQ(plugin.TakeEditorUpdates(taken, 4), 2);
    EXPECT_EQ(taken[0], &a);
    EXPECT_EQ(taken[1], &b);
    EXPECT_EQ(plugin.PendingEditorUpdates(), 0);
    EXPECT_EQ(plugin.TakeEditorUpdates(taken, 4), 0);

    a.RequestEditorUpdate();
    plugin.HandleEditorUpdateRequest();
    EXPECT_EQ(plugin.refreshed, std::vector<YAudioPlugin::AutomationAdapter*>({&a}));
    EXPECT_EQ(plugin.PendingEditorUpdates(), 0);
}

// ---------------------------------------------------------------------------------------------
// Threads

namespace {

class CountingQueue : public YGUIRequestQueue {
public:
    void PostEditorUpdateRequest(YAudioPlugin&) override { posts.fetch_add(1); }
    std::atomic<int> posts{0};
};

bool WaitFor(const std::function<bool()>& condition, uint32_t timeoutMs = 3000) {
    const uint32_t start = YPlatformTickCount();
    while (!condition()) {
        if (YPlatformTickCount() - start > timeoutMs) return false;
        YPlatformSleep(5);
    }
    return true;
}

// Holds the plug-in's processing lock on another thread until released.
class LockHolder {
public:
    explicit LockHolder(YLock& lock)
        : m_thread([this, &lock] {
              lock.Lock(YSynchronizer::kWaitInfinite);
              m_held.store(true);
              while (!m_release.load()) YPlatformSleep(1);
              lock.Unlock();
          }) {
        while (!m_held.load()) YPlatformSleep(1);
    }
    ~LockHolder() {
        m_release.store(true);
        m_thread.join();
    }

private:
    std::atomic<bool> m_held{false};
    std::atomic<bool> m_release{false};
    std::thread m_thread;
};

} // namespace

TEST(YAudioPluginThreading, ARequestIsPostedWhileAdaptersWaitAndOnlyOneAtATime) {
    CountingQueue queue;
    {
        FakePlugin plugin;
        FakeAdapter& a = Add(plugin, "A", 1);
        plugin.SetGUIRequestQueue(&queue);
        YPlatformSleep(250);
        EXPECT_EQ(queue.posts.load(), 0); // nothing waits, nothing is posted

        a.RequestEditorUpdate();
        ASSERT_TRUE(WaitFor([&] { return queue.posts.load() == 1; }));
        YPlatformSleep(250); // several rounds of the thread
        EXPECT_EQ(queue.posts.load(), 1);

        plugin.HandleEditorUpdateRequest();
        EXPECT_EQ(plugin.refreshed.size(), 1u);
        a.RequestEditorUpdate();
        ASSERT_TRUE(WaitFor([&] { return queue.posts.load() == 2; }));
    } // the destructor stops the thread
    YPlatformSleep(150);
    EXPECT_EQ(queue.posts.load(), 2);
}

TEST(YAudioPluginThreading, ABlockArrivingWhileTheLockIsHeldPassesTheInputThrough) {
    FakePlugin plugin;
    StereoBlock warm(8);
    plugin.ProcessAudio(warm.inputs, warm.outputs, 8, true);
    plugin.processCalls = 0;
    const uint32_t original = YPlatformDisableFlushDenormals();
    const uint32_t callers = YPlatformGetFloatingPointMode();
    {
        LockHolder holder(plugin.ProcessingLock());
        StereoBlock replacing(32, 7.0f);
        plugin.ProcessAudio(replacing.inputs, replacing.outputs, 32, true);
        EXPECT_EQ(replacing.outL, replacing.inL);
        EXPECT_EQ(replacing.outR, replacing.inR);

        StereoBlock accumulating(32, 7.0f);
        plugin.ProcessAudio(accumulating.inputs, accumulating.outputs, 32, false);
        EXPECT_EQ(accumulating.outL, std::vector<float>(32, 7.0f));

        StereoBlock mono(32, 7.0f); // the host's second input is missing
        mono.inputs[1] = nullptr;
        plugin.ProcessAudio(mono.inputs, mono.outputs, 32, true);
        EXPECT_EQ(mono.outR, mono.inL);
    }
    EXPECT_EQ(YPlatformGetFloatingPointMode(), callers);
    YPlatformSetFloatingPointMode(original);
    EXPECT_EQ(plugin.processCalls, 0);

    StereoBlock after(32);
    plugin.ProcessAudio(after.inputs, after.outputs, 32, true);
    EXPECT_EQ(plugin.processCalls, 1);
}

TEST(YAudioPluginThreading, ParameterWritesFromAnotherThreadWhileProcessing) {
    FakePlugin plugin;
    Add(plugin, "I", 1, true);
    plugin.SetInterpolationStep(16);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; !stop.load(); ++i) {
            plugin.SetParameter(0, (i % 10) / 10.0);
            (void)plugin.GetParameterValueName(0);
        }
    });
    StereoBlock block(128);
    for (int i = 0; i < 200; ++i) plugin.ProcessAudio(block.inputs, block.outputs, 128, true);
    stop.store(true);
    writer.join();
    EXPECT_GE(plugin.processCalls, 200);
}
