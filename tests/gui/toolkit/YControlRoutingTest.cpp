// Event routing through a control tree: which control sees a mouse or key event, in which
// order, and what happens when nobody takes it.
#include "RecordingControl.h"

#include "gui/toolkit/YWindow.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace YEventCode;

// root 200 x 200
//   outer (10,10) 100 x 100       window 10..109
//     inner (10,10) 50 x 50       window 20..69
//   side (120,10) 50 x 50         window 120..169, 10..59
struct Tree {
    EventLog log;
    std::unique_ptr<YWindow> root;
    RecordingControl* outer;
    RecordingControl* inner;
    RecordingControl* side;

    Tree() : root(std::make_unique<YWindow>(nullptr, "root")) {
        root->SetSize(200, 200);
        outer = new RecordingControl(root.get(), "outer", log, YRect::FromSize(10, 10, 100, 100));
        inner = new RecordingControl(outer, "inner", log, YRect::FromSize(10, 10, 50, 50));
        side = new RecordingControl(root.get(), "side", log, YRect::FromSize(120, 10, 50, 50));
    }
    bool Mouse(int32_t code, int32_t x, int32_t y, uint32_t flags = 0) {
        return root->Dispatch(YSystemEvent::Mouse(code, {x, y}, flags));
    }
    void LogHover() { outer->logHover = inner->logHover = side->logHover = true; }
    bool Key(int32_t code, uint32_t key, uint32_t modifiers = 0) {
        return root->Dispatch(YSystemEvent::Key(code, key, modifiers));
    }
};

TEST(ControlRouting, MouseGoesToTheDeepestEligibleChildAndBubblesWhenUnhandled) {
    struct Row {
        const char* name;
        bool innerHandles, innerEnabled, innerVisible;
        const char* expected;
    };
    const Row rows[] = {
        {"handled by inner", true, true, true, "inner:0"},
        {"inner declines", false, true, true, "inner:0 outer:0"},
        {"inner disabled", true, false, true, "outer:0"},
        {"inner hidden", true, true, false, "outer:0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Tree t;
        if (!row.innerHandles) t.inner->handles = 0;
        t.inner->SetEnabled(row.innerEnabled);
        t.inner->SetVisible(row.innerVisible);
        EXPECT_TRUE(t.Mouse(kLeftDown, 30, 30));
        EXPECT_EQ(t.log.Joined(), row.expected);
    }
}

TEST(ControlRouting, EventPointIsRecordedRelativeToTheControlThatTookIt) {
    Tree t;
    t.Mouse(kLeftDown, 33, 47);
    EXPECT_EQ(t.inner->LastPoint(), (YPoint{13, 27}));
}

TEST(ControlRouting, OverlappingSiblingsGiveTheEventToTheLastOne) {
    Tree t;
    auto* over = new RecordingControl(t.outer, "over", t.log, YRect::FromSize(30, 30, 50, 50));
    (void)over;
    t.Mouse(kLeftDown, 45, 45); // inside inner (20..69) and over (40..89)
    EXPECT_EQ(t.log.Joined(), "over:0");
}

TEST(ControlRouting, CapturedControlGetsEveryMouseEventUntilTheButtonsAreReleased) {
    Tree t;
    t.LogHover();
    t.Mouse(kLeftDown, 30, 30, YEventFlag::kLeftButton);
    EXPECT_TRUE(t.inner->HasCapture());
    t.log.Clear();
    t.Mouse(kMouseMove, 150, 30, YEventFlag::kLeftButton); // over side
    t.Mouse(kLeftUp, 150, 30);                               // inner did not ask for left-up events
    EXPECT_EQ(t.log.Joined(), "inner:leave outer:leave side:enter inner:11");
    EXPECT_FALSE(t.inner->HasCapture());
    t.log.Clear();
    t.Mouse(kMouseMove, 151, 30);
    EXPECT_EQ(t.log.Joined(), "side:11");
}

TEST(ControlRouting, ACaptureEndsWhenTheCapturingControlIsDestroyed) {
    Tree t;
    t.Mouse(kLeftDown, 30, 30, YEventFlag::kLeftButton);
    ASSERT_TRUE(t.inner->HasCapture());
    delete t.inner;
    t.log.Clear();
    t.Mouse(kMouseMove, 30, 30, YEventFlag::kLeftButton);
    EXPECT_EQ(t.log.Joined(), "outer:11");
}

TEST(ControlRouting, HoverFollowsThePointerAndEndsWhenItLeavesTheWindow) {
    Tree t;
    t.LogHover();
    t.Mouse(kMouseMove, 30, 30);
    EXPECT_EQ(t.log.Joined(), "outer:enter inner:enter inner:11");
    t.log.Clear();
    t.Mouse(kMouseMove, 80, 80); // still in outer, out of inner
    EXPECT_EQ(t.log.Joined(), "inner:leave outer:11");
    t.log.Clear();
    t.Mouse(kMouseMove, 150, 30);
    EXPECT_EQ(t.log.Joined(), "outer:leave side:enter side:11");
    t.log.Clear();
    t.Mouse(kMouseLeave, 0, 0);
    EXPECT_EQ(t.log.Joined(), "side:leave");
    EXPECT_EQ(t.root->HoveredChild(), nullptr);
}

TEST(ControlRouting, UpEventsReachOnlyControlsThatAskedForThem) {
    struct Row {
        int32_t code;
        uint32_t innerAsks;
        const char* expected;
    };
    const Row rows[] = {
        {kLeftUp, YControlUpEvents::kLeftUp, "inner:3"},
        {kLeftUp, YControlUpEvents::kRightUp | YControlUpEvents::kMiddleUp, "outer:3"},
        {kRightUp, YControlUpEvents::kRightUp, "inner:4"},
        {kRightUp, YControlUpEvents::kLeftUp, "outer:4"},
        {kMiddleUp, YControlUpEvents::kMiddleUp, "inner:5"},
        {kMiddleUp, 0, "outer:5"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        Tree t;
        t.inner->SetUpEvents(row.innerAsks);
        t.outer->SetUpEvents(YControlUpEvents::kLeftUp | YControlUpEvents::kRightUp | YControlUpEvents::kMiddleUp);
        EXPECT_TRUE(t.Mouse(row.code, 30, 30));
        EXPECT_EQ(t.log.Joined(), row.expected);
    }
    // Nobody asked: the release is not handled at all.
    Tree t;
    EXPECT_FALSE(t.Mouse(kLeftUp, 30, 30));
    EXPECT_EQ(t.log.Joined(), "");
}

TEST(ControlRouting, AnIgnoredDoubleClickComesAgainAsAPressWithTheDoubleFlag) {
    struct Row {
        int32_t code;
        bool innerTakesDouble;
        const char* expected;
    };
    const Row rows[] = {
        {kLeftDoubleClick, true, "inner:6"},
        {kLeftDoubleClick, false, "inner:6 outer:6 inner:0+d"},
        {kRightDoubleClick, false, "inner:7 outer:7 inner:1+d"},
        {kMiddleDoubleClick, false, "inner:8 outer:8 inner:2+d"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        Tree t;
        t.outer->handles = 0;
        if (!row.innerTakesDouble) t.inner->handles &= ~Bit(row.code);
        EXPECT_TRUE(t.Mouse(row.code, 30, 30));
        EXPECT_EQ(t.log.Joined(), row.expected);
    }
}

TEST(ControlRouting, PreviewAndStyleHookStopTheRoutingBeforeTheChild) {
    Tree t;
    t.outer->previews = Bit(kLeftDown) | Bit(kKeyDown);
    EXPECT_TRUE(t.Mouse(kLeftDown, 30, 30));
    EXPECT_EQ(t.log.Joined(), "outer:preview0");
    t.inner->SetFlag(YControlFlag::kTabStop, true);
    t.inner->SetFocus();
    t.log.Clear();
    EXPECT_TRUE(t.Key(kKeyDown, 'A'));
    EXPECT_EQ(t.log.Joined(), "outer:preview13");

    struct Hook : YStyleEventHook {
        int calls = 0;
        bool OnStyleEvent(YControl&, YSystemEvent& e) override {
            ++calls;
            return e.code == kRightDown;
        }
    } hook;
    Tree u;
    u.outer->SetStyleHook(&hook);
    EXPECT_TRUE(u.Mouse(kRightDown, 30, 30));
    EXPECT_EQ(u.log.Joined(), "");
    EXPECT_TRUE(u.Mouse(kLeftDown, 30, 30));
    EXPECT_EQ(u.log.Joined(), "inner:0");
    EXPECT_EQ(hook.calls, 2);
}

TEST(ControlRouting, FocusMovesWithPressesOnTabStopsAndKeysGoToTheFocusedControl) {
    Tree t;
    t.inner->SetFlag(YControlFlag::kTabStop, true);
    t.side->SetFlag(YControlFlag::kTabStop, true);
    t.Mouse(kLeftDown, 30, 30);
    t.Mouse(kLeftUp, 30, 30);
    EXPECT_TRUE(t.inner->HasFocus());
    t.Mouse(kLeftDown, 150, 30);
    EXPECT_EQ(t.log.Joined(), "inner:focus inner:0 inner:blur side:focus side:0");
    t.log.Clear();
    EXPECT_TRUE(t.Key(kKeyDown, 'Q'));
    EXPECT_TRUE(t.root->Dispatch(YSystemEvent::Character('q')));
    EXPECT_EQ(t.log.Joined(), "side:13 side:15");
    // Focus on outer itself: keys stop there even though inner was focused inside it before.
    t.inner->SetFocus();
    t.outer->SetFlag(YControlFlag::kTabStop, true);
    t.outer->SetFocus();
    t.log.Clear();
    t.Key(kKeyDown, 'Q');
    EXPECT_EQ(t.log.Joined(), "outer:13");
}

struct Listener : YEventTarget {
    Listener(EventLog& l, bool a, const char* n) : log(&l), answer(a), name(n) {}
    EventLog* log;
    bool answer;
    const char* name;
    bool OnKey(YOnKeyParams& p) {
        log->Add(std::string(name) + ":key:" + p.sender->Id().ToUTF8());
        return answer;
    }
    bool OnShortcut(YOnKeyboardShortcutParams& p) {
        log->Add(std::string(name) + ":shortcut:" + std::to_string(p.keyCode));
        return false;
    }
    bool OnGlobal(YOnGlobalEventParams& p) {
        log->Add(std::string(name) + ":global:" + std::to_string(p.event->code));
        return answer;
    }
};

TEST(ControlRouting, AnUnhandledKeyFiresTheKeyEventsFromTheFocusedControlUp) {
    Tree t;
    t.inner->handles = 0;
    t.outer->handles = 0;
    t.inner->SetFlag(YControlFlag::kTabStop, true);
    t.inner->SetFocus();
    Listener atInner(t.log, false, "a");
    Listener atOuter(t.log, true, "b");
    t.inner->OnKey.Add<&Listener::OnKey>(&atInner);
    t.outer->OnKey.Add<&Listener::OnKey>(&atOuter);
    t.log.Clear();
    EXPECT_TRUE(t.Key(kKeyDown, 'Z'));
    EXPECT_EQ(t.log.Joined(), "inner:13 a:key:inner outer:13 b:key:outer");
}

TEST(ControlRouting, ShortcutsMatchExactlyOrAsASubsetOfTheModifiers) {
    using namespace YEventFlag;
    struct Row {
        const char* name;
        uint32_t shortcutModifiers;
        bool subset;
        bool disabled;
        uint32_t key;
        uint32_t pressed;
        bool matches;
    };
    const Row rows[] = {
        {"exact, same modifiers", kCtrl, false, false, 'S', kCtrl, true},
        {"exact, one more modifier", kCtrl, false, false, 'S', kCtrl | kShift, false},
        {"subset, one more modifier", kCtrl, true, false, 'S', kCtrl | kShift, true},
        {"subset, modifier missing", kCtrl | kAlt, true, false, 'S', kCtrl, false},
        {"exact, no modifiers", 0, false, false, 'S', 0, true},
        {"exact, no modifiers but Alt pressed", 0, false, false, 'S', kAlt, false},
        {"subset, none wanted", 0, true, false, 'S', kAlt | kShift, true},
        {"another key", kCtrl, true, false, 'T', kCtrl, false},
        {"disabled", kCtrl, false, true, 'S', kCtrl, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Tree t;
        t.inner->handles = 0;
        t.outer->handles = 0;
        t.inner->SetFlag(YControlFlag::kTabStop, true);
        t.inner->SetFocus();
        Listener listener(t.log, false, "s");
        auto& record = t.outer->OnKeyboardShortcut.AddShortcut<&Listener::OnShortcut>(&listener, 'S',
                                                                                      row.shortcutModifiers, row.subset);
        record.disabled = row.disabled;
        t.log.Clear();
        EXPECT_EQ(t.Key(kKeyUp, row.key, row.pressed), row.matches);
        EXPECT_EQ(t.log.Joined().find("s:shortcut:83") != std::string::npos, row.matches) << t.log.Joined();
    }
}

TEST(ControlRouting, GlobalHandlersGetWhatTheTreeLeftInOrderUntilOneTakesIt) {
    Tree t;
    t.outer->handles = 0;
    t.inner->handles = 0;
    Listener first(t.log, false, "g1");
    Listener second(t.log, true, "g2");
    Listener third(t.log, true, "g3");
    t.root->GlobalHandlers.Add<&Listener::OnGlobal>(&first);
    t.root->GlobalHandlers.Add<&Listener::OnGlobal>(&second);
    t.root->GlobalHandlers.Add<&Listener::OnGlobal>(&third);
    EXPECT_TRUE(t.Mouse(kRightDown, 30, 30));
    EXPECT_EQ(t.log.Joined(), "inner:1 outer:1 g1:global:1 g2:global:1");
    // A handled event never reaches them.
    t.log.Clear();
    t.side->handles = ~uint64_t{0};
    EXPECT_TRUE(t.Mouse(kRightDown, 150, 30));
    EXPECT_EQ(t.log.Joined(), "side:1");
}

TEST(ControlRouting, ClickFiresOnAReleaseOverThePressedControl) {
    struct Counter : YEventTarget {
        int clicks = 0;
        YPoint at;
        void OnClick(YOnClickParams& p) {
            ++clicks;
            at = p.point;
        }
    } counter;
    Tree t;
    t.inner->SetUpEvents(YControlUpEvents::kLeftUp);
    t.inner->OnClick.Add<&Counter::OnClick>(&counter);
    t.Mouse(kLeftDown, 30, 30, YEventFlag::kLeftButton);
    t.Mouse(kLeftUp, 31, 32);
    EXPECT_EQ(counter.clicks, 1);
    EXPECT_EQ(counter.at, (YPoint{11, 12}));
    // Released elsewhere: the capture brings the release to inner, but it is no click.
    t.Mouse(kLeftDown, 30, 30, YEventFlag::kLeftButton);
    t.Mouse(kLeftUp, 150, 30);
    EXPECT_EQ(counter.clicks, 1);
}

} // namespace
