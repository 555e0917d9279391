// The headless window system as the tree's platform: help, timers, private messages and
// work posted for the GUI thread, with and without its threads.
#include "Swatch.h"

#include "gui/toolkit/YWindow.h"
#include "gui/toolkit/YWindows.h"
#include "gui/windows/YWindowSystemHeadless.h"

#include "platform/YPlatformTime.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

struct HelpRecorder : YHelpDisplay {
    std::vector<YControl*> shown;
    void ShowHelp(YControl& control) override { shown.push_back(&control); }
};

class Ticking : public YControl {
public:
    using YControl::YControl;
    void Timer() override { ++ticks; }
    int ticks = 0;
};

class Closing : public YWindow {
public:
    using YWindow::YWindow;
    bool CloseRequest() override {
        ++asked;
        return allow;
    }
    bool allow = false;
    int asked = 0;
};

TEST(HeadlessWindowSystem, F1ShowsHelpOfTheDeepestControlUnderThePointerWhereverTheFocusIs) {
    struct Row {
        const char* name;
        bool showHelp;
        bool focusedTakesF1;
        YPoint pointer;
        const char* expected; // id of the control shown, "" for none
    };
    const Row rows[] = {
        {"nested control under the pointer", true, false, {25, 25}, "nested"},
        {"its parent around it", true, false, {12, 12}, "panel"},
        {"outside every child: the window", true, false, {90, 70}, "root"},
        {"help switched off", false, false, {25, 25}, ""},
        {"the focused control keeps F1", true, true, {25, 25}, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        YWindowSystemHeadless system;
        YWindow root(&system, "root");
        root.SetSize(100, 80);
        auto* panel = new YContainer(&root, "panel");
        panel->SetPosition(10, 10);
        panel->SetSize(50, 50);
        auto* nested = new Swatch(panel, YRect::FromSize(10, 10, 20, 20), YColor());
        nested->SetId("nested");
        struct Edit : YControl {
            using YControl::YControl;
            bool takesF1 = false;
            bool HandleEvent(YSystemEvent& e) override { return takesF1 && e.keyCode == YKey::kF1; }
        };
        auto* edit = new Edit(&root, "edit");
        edit->SetPosition(70, 0);
        edit->SetSize(30, 10);
        edit->SetFlag(YControlFlag::kTabStop, true);
        edit->takesF1 = row.focusedTakesF1;
        edit->SetFocus();
        root.SetFlag(YControlFlag::kShowHelp, row.showHelp);
        HelpRecorder help;
        root.SetHelpDisplay(&help);
        system.CreateNativeWindow(root, 0);

        system.SendMouse(root, YEventCode::kMouseMove, row.pointer);
        system.SendKey(root, YEventCode::kKeyDown, YKey::kF1);
        if (std::string(row.expected).empty()) {
            EXPECT_TRUE(help.shown.empty());
        } else {
            ASSERT_EQ(help.shown.size(), 1u);
            EXPECT_EQ(help.shown[0]->Id().ToUTF8(), row.expected);
        }
        EXPECT_TRUE(edit->HasFocus());
    }
}

TEST(HeadlessWindowSystem, TimersTickPerElapsedIntervalUntilStoppedOrDestroyed) {
    YWindowSystemHeadless system;
    YWindow root(&system);
    auto* fast = new Ticking(&root);
    auto* slow = new Ticking(&root);
    system.SetTimer(*fast, 10);
    system.SetTimer(*slow, 50);
    system.AdvanceTime(25);
    EXPECT_EQ(fast->ticks, 2);
    EXPECT_EQ(slow->ticks, 0);
    system.AdvanceTime(25);
    EXPECT_EQ(fast->ticks, 5);
    EXPECT_EQ(slow->ticks, 1);
    system.SetTimer(*fast, 0); // below 1 ms stops it
    system.AdvanceTime(100);
    EXPECT_EQ(fast->ticks, 5);
    EXPECT_EQ(slow->ticks, 3);
    delete slow; // its timer goes with it
    system.AdvanceTime(100);
}

TEST(HeadlessWindowSystem, DeferredCloseAsksTheWindowFromTheLoop) {
    YWindowSystemHeadless system;
    Closing root(&system);
    system.CreateNativeWindow(root, 0);
    system.DeferredClose(root);
    EXPECT_EQ(root.asked, 0); // not inside the caller
    system.ProcessPendingMessages();
    EXPECT_EQ(root.asked, 1);
    EXPECT_TRUE(system.HasWindow(root));
    root.allow = true;
    system.DeferredClose(root);
    system.ProcessPendingMessages();
    EXPECT_FALSE(system.HasWindow(root));
    EXPECT_EQ(root.Descriptor(), nullptr);
}

TEST(HeadlessWindowSystem, DeferredShowAndRelayoutRunFromTheLoop) {
    YWindowSystemHeadless system;
    YWindow root(&system);
    root.SetSize(20, 20);
    system.CreateNativeWindow(root, 0);
    system.DeferredShow(root, true);
    EXPECT_FALSE(system.IsVisible(root));
    system.Pump();
    EXPECT_TRUE(system.IsVisible(root));
    EXPECT_EQ(system.PaintCount(root), 1);
    system.DeferredShow(root, false);
    system.Pump();
    EXPECT_FALSE(system.IsVisible(root));
}

TEST(HeadlessWindowSystem, WindowDescriptorLivesInTheRootsExtensionTable) {
    YWindowSystemHeadless system;
    YWindow root(&system);
    EXPECT_EQ(root.Extension(YWindowSystem::kDescriptorTag), nullptr);
    system.CreateNativeWindow(root, 0);
    EXPECT_NE(root.Descriptor(), nullptr);
    EXPECT_EQ(root.ExtensionSlot(YWindowSystem::kDescriptorTag), 7);
    EXPECT_NE(system.NativeWindow(root), 0u);
    system.DestroyNativeWindow(root);
    EXPECT_EQ(root.Descriptor(), nullptr);
    // Painting without a window does nothing.
    EXPECT_TRUE(root.PaintWindow(YRect::FromSize(0, 0, 10, 10)).IsEmpty());
}

TEST(HeadlessWindowSystem, PostedWorkRunsOnThePumpingThreadInOrderAndCanBeCancelled) {
    YWindowSystemHeadless system;
    YWindows& windows = system.Windows();
    std::vector<int> ran;
    int owner1 = 0, owner2 = 0;
    windows.Post(&owner1, [&] { ran.push_back(1); });
    windows.Post(&owner2, [&] { ran.push_back(2); });
    windows.Post(&owner1, [&] { ran.push_back(3); });
    windows.CancelPosted(&owner2);
    EXPECT_TRUE(ran.empty());
    system.ProcessPendingMessages(); // not woken yet: the force-execute round has not run
    EXPECT_TRUE(ran.empty());
    system.Pump();
    EXPECT_EQ(ran, (std::vector<int>{1, 3}));
    EXPECT_EQ(system.ForceExecuteRequests(), 1);

    // Work that posts itself again waits for the next round instead of spinning here.
    std::function<void()> again;
    int rounds = 0;
    again = [&] {
        ++rounds;
        windows.Post(&owner1, again);
    };
    windows.Post(&owner1, again);
    system.Pump();
    EXPECT_EQ(rounds, 1);
    system.Pump();
    EXPECT_EQ(rounds, 2);
    windows.CancelPosted(&owner1);
}

TEST(HeadlessWindowSystem, ADestroyedControlsQueuedWorkIsDropped) {
    YWindowSystemHeadless system;
    YWindow root(&system);
    auto* child = new YContainer(&root);
    bool ran = false;
    system.Windows().Post(child, [&] { ran = true; });
    delete child;
    system.Pump();
    EXPECT_FALSE(ran);
}

TEST(HeadlessWindowSystem, AWindowShownWithAPauseIgnoresTheMouseUntilThePauseEnds) {
    struct Counting : YWindow {
        using YWindow::YWindow;
        std::vector<int32_t> seen;
        bool HandleEvent(YSystemEvent& e) override {
            seen.push_back(e.code);
            return true;
        }
    };
    YWindowSystemHeadless system;
    Counting root(&system);
    root.SetSize(50, 50);
    system.CreateNativeWindow(root, 0);
    system.ShowTimed(root, 60000);
    EXPECT_FALSE(system.SendMouse(root, YEventCode::kLeftDown, {5, 5}));
    EXPECT_FALSE(system.SendMouse(root, YEventCode::kWheel, {5, 5}, 0, 120));
    EXPECT_TRUE(system.SendMouse(root, YEventCode::kMouseLeave, {0, 0})); // a leave always passes
    // The first event at the end of the pause lifts it (tick counts wrap: compared by difference).
    const uint32_t now = YPlatformTickCount();
    EXPECT_TRUE(YWindows::DropMouseEvent(YEventCode::kLeftDown, now + 1000));
    EXPECT_FALSE(YWindows::DropMouseEvent(YEventCode::kLeftDown, now + 70000));
    EXPECT_TRUE(system.SendMouse(root, YEventCode::kLeftDown, {5, 5}));
    EXPECT_EQ(root.seen, (std::vector<int32_t>{YEventCode::kMouseLeave, YEventCode::kLeftDown}));
}

// ---- with threads ----

TEST(HeadlessWindowSystemThreading, TheInvalidatorThreadTurnsChangesIntoPaintsOnTheGuiThread) {
    YWindowSystemHeadless system(true);
    YWindow root(&system);
    root.SetSize(40, 40);
    auto* swatch = new Swatch(&root, YRect::FromSize(0, 0, 40, 40), YColor::RGB(1, 2, 3));
    system.CreateNativeWindow(root, 0);
    system.Show(root);
    system.ProcessPendingMessages();
    ASSERT_EQ(system.PaintCount(root), 1);
    {
        YScopedERWLock hold(root.Lock(), YSynchronizationObject::kExclusive);
        swatch->SetColour(YColor::RGB(9, 8, 7));
    }
    ASSERT_TRUE(WaitUntil([&] { return !system.PendingPaint(root).IsEmpty(); }));
    system.ProcessPendingMessages();
    EXPECT_EQ(system.PaintCount(root), 2);
    EXPECT_EQ(system.Bitmap(root)->At(5, 5), YColor::RGB(9, 8, 7));
    EXPECT_GT(system.Windows().InvalidatorThread().Passes(), 0u);
}

TEST(HeadlessWindowSystemThreading, IdleFrameworkThreadsSleepUntilWorkArrives) {
    YWindowSystemHeadless system(true);
    YWindow root(&system);
    root.SetSize(40, 40);
    auto* swatch = new Swatch(&root, YRect::FromSize(0, 0, 40, 40), YColor::RGB(1, 2, 3));
    system.CreateNativeWindow(root, 0);
    system.Show(root);
    system.ProcessPendingMessages();
    YWindows& windows = system.Windows();
    // Nothing to do: neither thread runs a round (a polling thread would have run several).
    YPlatformSleep(60);
    const uint32_t passes = windows.InvalidatorThread().Passes();
    const int32_t requests = system.ForceExecuteRequests();
    YPlatformSleep(300);
    EXPECT_EQ(windows.InvalidatorThread().Passes(), passes);
    EXPECT_EQ(system.ForceExecuteRequests(), requests);

    // Work wakes each of them.
    {
        YScopedERWLock hold(root.Lock(), YSynchronizationObject::kExclusive);
        swatch->SetColour(YColor::RGB(9, 8, 7));
    }
    ASSERT_TRUE(WaitUntil([&] { return !system.PendingPaint(root).IsEmpty(); }));
    int owner = 0;
    bool ran = false;
    windows.Post(&owner, [&ran] { ran = true; });
    ASSERT_TRUE(WaitUntil([&] { return system.ForceExecuteRequests() > requests; }));
    system.ProcessPendingMessages();
    EXPECT_TRUE(ran);
    EXPECT_EQ(system.Bitmap(root)->At(5, 5), YColor::RGB(9, 8, 7));
}

TEST(HeadlessWindowSystemThreading, OtherThreadsPostAndTheForceExecuteThreadWakesTheGuiThread) {
    YWindowSystemHeadless system(true);
    std::atomic<int> posted{0};
    std::vector<int> ran; // touched on this thread only
    int owner = 0;
    std::vector<std::thread> posters;
    for (int t = 0; t < 4; ++t) {
        posters.emplace_back([&, t] {
            for (int i = 0; i < 25; ++i) {
                system.Windows().Post(&owner, [&ran, t, i] { ran.push_back(t * 100 + i); });
                ++posted;
            }
        });
    }
    for (std::thread& p : posters) p.join();
    ASSERT_TRUE(WaitUntil([&] { return system.ForceExecuteRequests() > 0; }));
    system.ProcessPendingMessages();
    ASSERT_EQ(ran.size(), 100u);
    // Each poster's work keeps its order.
    for (int t = 0; t < 4; ++t) {
        int last = -1;
        for (int v : ran) {
            if (v / 100 != t) continue;
            EXPECT_GT(v, last);
            last = v;
        }
    }
}

TEST(HeadlessWindowSystemThreading, ShutdownStopsBothThreadsAndLaterRequestsWakeNobody) {
    YWindowSystemHeadless system(true);
    YWindows& windows = system.Windows();
    ASSERT_TRUE(windows.ThreadsStarted());
    windows.Shutdown();
    EXPECT_FALSE(windows.InvalidatorThread().IsCreated());
    EXPECT_FALSE(windows.ForceExecuteThread().IsCreated());
    const int32_t before = system.ForceExecuteRequests();
    int owner = 0;
    windows.Post(&owner, [] {});
    YPlatformSleep(30);
    EXPECT_EQ(system.ForceExecuteRequests(), before);
    EXPECT_EQ(windows.PendingCount(), 1);
}

TEST(HeadlessWindowSystemThreading, AThreadNotifyFiresOnTheGuiThread) {
    YWindowSystemHeadless system(true);
    struct Receiver : YEventTarget {
        std::thread::id firedOn;
        int code = 0;
        void OnNotify(YOnThreadNotifyParams& p) {
            firedOn = std::this_thread::get_id();
            code = p.code;
        }
    } receiver;
    YEvent<YOnThreadNotifyParams> event;
    event.Add<&Receiver::OnNotify>(&receiver);
    std::thread worker([&] { system.Windows().PostThreadNotify(&receiver, event, YOnThreadNotifyParams{nullptr, 42, nullptr}); });
    worker.join();
    ASSERT_TRUE(WaitUntil([&] { return system.ForceExecuteRequests() > 0; }));
    EXPECT_EQ(receiver.code, 0);
    system.ProcessPendingMessages();
    EXPECT_EQ(receiver.code, 42);
    EXPECT_EQ(receiver.firedOn, std::this_thread::get_id());
}

TEST(ControlInvalidatorThreading, RectanglesFromManyThreadsMergeIntoTheirUnion) {
    YWindow root(nullptr);
    YControlInvalidator& invalidator = root.Invalidator();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) invalidator.Invalidate(YRect::FromSize(t * 10 + i % 7, i % 5, 3, 3));
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(invalidator.Dirty(), (YRect{0, 0, 30 + 6 + 2, 4 + 2}));
}

} // namespace
