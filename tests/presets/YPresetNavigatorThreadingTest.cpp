// The framework thread that carries out queued preset steps, against a real audio thread.
// Run under ThreadSanitizer as part of the threading label.
#include "presets/YPresetNavigator.h"

#include "PresetManagerTestSupport.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"
#include "support/WaitUntil.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>

using namespace presets_test;

namespace {

class YPresetNavigatorThreading : public PresetManagerTest {
protected:
    void SetUp() override {
        PresetManagerTest::SetUp();
        AddFivePresets();
        previous = frametest::FindParameter(*plugin, "Preset trigger - previous");
        next = frametest::FindParameter(*plugin, "Preset trigger - next");
        ASSERT_GE(previous, 0);
        ASSERT_GE(next, 0);
        auto own = std::make_unique<Manager>(*plugin, scratch.Folder());
        auto made = std::make_unique<YPresetNavigator>(*plugin, std::move(own));
        navigator = made.get();
        plugin->SetPresetNavigation(std::move(made));
    }

    // What another thread wrote, read under the lock it wrote it with.
    int32_t Index() {
        YScopedLock lock(plugin->ParameterLock());
        return plugin->CurrentPresetIndex();
    }
    double Depth() {
        YScopedLock lock(plugin->ParameterLock());
        return plugin->GetParameter(depth);
    }
    // A host moves a trigger up and back, one block each.
    void Pulse(int32_t trigger) {
        plugin->SetParameter(trigger, 1.0);
        block.Process(*plugin);
        plugin->SetParameter(trigger, 0.0);
        block.Process(*plugin);
    }
    bool IndexBecomes(int32_t index) {
        return WaitUntil([&] { return Index() == index; });
    }

    frametest::Buffers block{2, 64};
    YPresetNavigator* navigator = nullptr;
    int32_t previous = -1;
    int32_t next = -1;
};

} // namespace

TEST_F(YPresetNavigatorThreading, TriggerStepsRunOnTheFrameworkThreadWithoutAnEditor) {
    EXPECT_EQ(Index(), 0);
    Pulse(next);
    ASSERT_TRUE(IndexBecomes(1));
    EXPECT_NEAR(Depth(), DepthOfIndex(1), 1e-9);
    Pulse(next);
    ASSERT_TRUE(IndexBecomes(2));
    Pulse(previous);
    ASSERT_TRUE(IndexBecomes(1));
    Pulse(previous);
    Pulse(previous); // wraps from the first to the last
    ASSERT_TRUE(IndexBecomes(4));
    EXPECT_NEAR(Depth(), DepthOfIndex(4), 1e-9);
    // Counted once the step is done, just after its load.
    EXPECT_TRUE(WaitUntil([&] { return navigator->StepsRunOnThread() == 5u; }));
}

TEST_F(YPresetNavigatorThreading, AnOpenEditorTakesTheStepsOverAndHandsThemBack) {
    navigator->SetStepsOnEditorThread(true);
    Pulse(next);
    Pulse(next);
    // The framework thread leaves them: it polls and is woken, and still takes none.
    std::this_thread::sleep_for(std::chrono::milliseconds(3 * YPresetNavigator::kPollMs));
    EXPECT_EQ(Index(), 0);
    EXPECT_EQ(navigator->StepsRunOnThread(), 0u);
    // The editor's timer runs them, in arrival order.
    EXPECT_EQ(navigator->RunQueuedSteps(), 2);
    EXPECT_EQ(Index(), 2);
    EXPECT_EQ(navigator->RunQueuedSteps(), 0);

    // A step queued while the editor closes is not lost.
    Pulse(previous);
    navigator->SetStepsOnEditorThread(false);
    ASSERT_TRUE(IndexBecomes(1));
    EXPECT_TRUE(WaitUntil([&] { return navigator->StepsRunOnThread() == 1u; }));
}

TEST_F(YPresetNavigatorThreading, ThePresetSwitchFromHalfToAFifthLoadsThePreviousPresetOnce) {
    YMIDIPresetSwitchController& presetSwitch = plugin->PreviousNextPresetController();
    presetSwitch.Enabled = true;
    presetSwitch.Controller = 20;
    auto controller = [&](uint8_t value) {
        const uint8_t message[4] = {0xB0, 20, value, 0};
        plugin->ProcessMIDIEvent(0, message);
        block.Process(*plugin);
    };
    controller(64); // 0.504
    controller(25); // 0.197: below a third
    ASSERT_TRUE(IndexBecomes(4));
    controller(13); // 0.102: no new crossing
    controller(10);
    std::this_thread::sleep_for(std::chrono::milliseconds(2 * YPresetNavigator::kPollMs));
    EXPECT_EQ(Index(), 4);
    EXPECT_EQ(navigator->StepsRunOnThread(), 1u);
    EXPECT_NEAR(Depth(), DepthOfIndex(4), 1e-9);
}

TEST_F(YPresetNavigatorThreading, LoadsWhileAudioRunsAreWholeAndThePluginGoesCleanly) {
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        frametest::Buffers own(2, 64);
        int64_t n = 0;
        while (!stop.load()) {
            // The host automates the trigger: a rise every fourth block.
            plugin->SetParameter(next, (n % 4) < 2 ? 1.0 : 0.0);
            own.Process(*plugin);
            ++n;
        }
    });
    // Every Depth the GUI side sees is one preset's, never a mix.
    bool whole = true;
    const bool reached = WaitUntil(
        [&] {
        const double seen = Depth();
        bool known = std::abs(seen - plugin->GetParameterDefaultValue(depth)) < 1e-9;
        for (int32_t i = 0; i < 5; ++i) known = known || std::abs(seen - DepthOfIndex(i)) < 1e-9;
        whole = whole && known;
        return navigator->StepsRunOnThread() >= 12u;
        },
        20000);
    // Joined before any assertion can leave the test.
    stop.store(true);
    audio.join();
    ASSERT_TRUE(reached);
    EXPECT_TRUE(whole);
    // The plug-in goes with steps still queued: its destructor stops the thread first.
    Pulse(next);
    plugin.reset();
}

// A host automates the morph into corner B's quadrant with no editor open: the mixed
// parameters follow on the audio thread, and B's LFO extras (the envelope depth of the shape,
// no host parameter) follow on the framework thread, without any GUI-side call.
TEST_F(YPresetNavigatorThreading, AnAutomatedMorphIntoAnotherQuadrantTakesThatCornersExtrasWithoutAnEditor) {
    for (int32_t slot = 0; slot < 5; ++slot) plugin->SelectSlot(slot); // A to D hold settings, E is live
    // Each corner's shape gets an envelope depth of its own, and the live settings another.
    const std::unique_ptr<YXMLDocument> state = frametest::Decode(frametest::Save(*plugin));
    for (int32_t corner = 0; corner < 4; ++corner) {
        YXMLItem* slot = state->FindChild(YString("Preset") + YString::FromInteger(corner));
        ASSERT_NE(slot, nullptr) << corner;
        slot->GetOrCreateChild("shape").SetAttribute("EnvelopeDepth", YString::FromDouble(0.1 * (corner + 1), 1));
    }
    state->GetOrCreateChild("shape").SetAttribute("EnvelopeDepth", "0.9");
    YMemoryStream text;
    state->Save(text, "utf-8", false);
    ASSERT_TRUE(plugin->LoadState(text.GetData(), static_cast<size_t>(text.GetSize())));
    auto envelopeDepth = [&] {
        const std::unique_ptr<YXMLDocument> live = frametest::Decode(frametest::Save(*plugin));
        const YXMLItem* shape = live->FindChild("shape");
        const YString* value = shape != nullptr ? shape->FindAttribute("EnvelopeDepth") : nullptr;
        return value != nullptr ? value->ToUTF8() : std::string("(absent)");
    };
    ASSERT_EQ(envelopeDepth(), "0.9");
    const int32_t morphX = plugin->MorphParameterIndex();
    ASSERT_GE(morphX, 0);

    // Within A's quadrant the live extras stay what they are.
    plugin->SetParameter(morphX, 0.2);
    block.Process(*plugin);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(envelopeDepth(), "0.9");
    // On into B's, ramped over blocks as automation is: B's extras follow.
    for (double x : {0.4, 0.6, 0.9}) {
        plugin->SetParameter(morphX, x);
        block.Process(*plugin);
    }
    EXPECT_TRUE(WaitUntil([&] { return envelopeDepth() == "0.2"; })) << envelopeDepth();
    // Done once: nothing is left for the GUI side.
    EXPECT_FALSE(plugin->ApplyPendingMorphCorner());
}
