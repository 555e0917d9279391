// The control itself: its extension table, ownership of children and layouts, geometry and
// stored state.
#include "gui/toolkit/YContainer.h"
#include "gui/toolkit/YLayout.h"
#include "gui/toolkit/YWindow.h"
#include "gui/toolkit/YWindowSystem.h"

#include "foundation/YXMLItem.h"
#include "support/RaisedMessage.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

int g_marks[32];
void* Mark(int i) { return &g_marks[i]; }

TEST(ControlExtensions, TagsProbeLinearlyFromTagModSixteenWithWrapAround) {
    struct Row {
        const char* name;
        std::vector<uint32_t> tags;  // stored in this order
        std::vector<int32_t> slots;  // where each one lands
    };
    const Row rows[] = {
        {"distinct homes", {1, 2, 0x44573357u}, {1, 2, 7}},
        {"collisions take the next free slots", {3, 19, 35}, {3, 4, 5}},
        {"a collision at slot 15 wraps to 0", {15, 31, 47}, {15, 0, 1}},
        {"a taken home pushes a later tag on", {4, 3, 19}, {4, 3, 5}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        YControl control(nullptr);
        for (size_t i = 0; i < row.tags.size(); ++i) control.SetExtension(row.tags[i], Mark(static_cast<int>(i)));
        for (size_t i = 0; i < row.tags.size(); ++i) {
            EXPECT_EQ(control.ExtensionSlot(row.tags[i]), row.slots[i]) << "tag " << row.tags[i];
            EXPECT_EQ(control.Extension(row.tags[i]), Mark(static_cast<int>(i)));
        }
        EXPECT_EQ(control.Extension(999), nullptr);
    }
}

TEST(ControlExtensions, LookupSurvivesAHoleInAProbeChain) {
    YControl control(nullptr);
    control.SetExtension(3, Mark(0));
    control.SetExtension(19, Mark(1));
    control.SetExtension(35, Mark(2));
    control.SetExtension(19, nullptr); // frees slot 4
    EXPECT_EQ(control.Extension(19), nullptr);
    EXPECT_EQ(control.Extension(35), Mark(2)); // still found past the hole
    control.SetExtension(51, Mark(3));           // takes the hole
    EXPECT_EQ(control.ExtensionSlot(51), 4);
    control.SetExtension(35, Mark(4)); // replaced where it is, not stored twice
    EXPECT_EQ(control.ExtensionSlot(35), 5);
    EXPECT_EQ(control.Extension(35), Mark(4));
}

TEST(ControlExtensions, AFullTableRefusesANewTagButAnswersAndReplacesTheOld) {
    YControl control(nullptr);
    for (uint32_t i = 0; i < 16; ++i) control.SetExtension(i * 16 + 5, Mark(static_cast<int>(i)));
    for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(control.Extension(i * 16 + 5), Mark(static_cast<int>(i)));
    EXPECT_EQ(control.ExtensionSlot(15 * 16 + 5), 4); // the last one wrapped all the way round
    EXPECT_EQ(control.Extension(7), nullptr);           // absent after one full round
    EXPECT_EQ(RaisedMessage([&] { control.SetExtension(7, Mark(20)); }), "The extension table is full.");
    control.SetExtension(5, Mark(21));
    EXPECT_EQ(control.Extension(5), Mark(21));
}

// Counts destructions, to see the order in which a control lets go of what it owns.
std::vector<std::string> g_destroyed;

struct NamedControl : YContainer {
    NamedControl(YControl* parent, const char* n) : YContainer(parent, YString::FromUTF8(n)), name(n) {}
    ~NamedControl() override { g_destroyed.push_back(name); }
    std::string name;
};

struct NamedLayout : YLayout {
    NamedLayout(YControl& owner, const char* n) : YLayout(owner), name(n) {}
    ~NamedLayout() override { g_destroyed.push_back(name + " holding " + std::to_string(Count())); }
    std::string name;
};

TEST(ControlTree, DestroyingAControlDestroysChildrenThenLayouts) {
    g_destroyed.clear();
    {
        auto* root = new NamedControl(nullptr, "root");
        auto* a = new NamedControl(root, "a");
        new NamedControl(a, "a1");
        auto* b = new NamedControl(root, "b");
        auto* layout = new NamedLayout(*root, "layout");
        layout->AddControl(*a);
        layout->AddControl(*b);
        EXPECT_TRUE(a->HasFlag(YControlFlag::kHeldByLayout));
        EXPECT_EQ(a->OwningLayout(), layout);
        delete root;
    }
    // Children last to first (each leaves its layout as it goes), then the layout, now empty.
    EXPECT_EQ(g_destroyed, (std::vector<std::string>{"root", "b", "a", "a1", "layout holding 0"}));
}

TEST(ControlTree, ADeletedChildLeavesItsParentsListsAndLayout) {
    YWindow root(nullptr);
    auto* a = new YContainer(&root, "a");
    auto* b = new YContainer(&root, "b");
    auto* layout = new YLayout(root);
    layout->AddControl(*a);
    a->SetFlag(YControlFlag::kTabStop, true);
    a->SetFocus();
    root.SetClientControl(a);
    root.DeleteChild(a);
    EXPECT_EQ(root.ChildCount(), 1);
    EXPECT_EQ(root.Child(0), b);
    EXPECT_EQ(layout->Count(), 0);
    EXPECT_EQ(root.FocusedChild(), nullptr);
    EXPECT_EQ(root.ClientControl(), nullptr);
    EXPECT_EQ(RaisedMessage([&] { root.Child(1); }), "Index out of range.");
    EXPECT_EQ(RaisedMessage([&] { root.DeleteChild(&root); }), "Index out of range.");
}

TEST(ControlTree, LayoutListGrowsLikeTheHandlerLists) {
    YWindow root(nullptr);
    auto* layout = new YLayout(root);
    const int32_t expected[] = {2, 2, 4, 4, 8};
    for (int32_t i = 0; i < 5; ++i) {
        layout->AddControl(*new YContainer(&root));
        EXPECT_EQ(layout->Capacity(), expected[i]);
    }
    EXPECT_EQ(RaisedMessage([&] { layout->At(5); }), "Index out of range.");
}

TEST(ControlTree, WindowCoordinatesAddUpThePositionsBelowTheRoot) {
    YWindow root(nullptr);
    root.SetPosition(500, 500); // where the window is on the screen: not part of window coordinates
    auto* a = new YContainer(&root);
    a->SetPosition(10, 20);
    a->SetSize(50, 50);
    auto* b = new YContainer(a);
    b->SetPosition(3, 4);
    b->SetSize(5, 6);
    EXPECT_EQ(b->WindowRect(), (YRect{13, 24, 17, 29}));
    EXPECT_EQ(b->ToLocal({14, 24}), (YPoint{1, 0}));
    EXPECT_EQ(root.DeepestAt({14, 25}), b);
    EXPECT_EQ(root.DeepestAt({12, 25}), a);
    // A collapsed control with a collapsed size takes that size.
    b->SetCollapsedSize({5, 1});
    b->SetCollapsed(true);
    EXPECT_EQ(b->WindowRect(), (YRect{13, 24, 17, 24}));
}

TEST(ControlTree, StretchQueryCombinesTheClientControlAndTheLayouts) {
    struct Stretching : YLayout {
        Stretching(YControl& owner, uint8_t a) : YLayout(owner), answer(a) {}
        uint8_t StretchQuery() override {
            ++asked;
            return answer;
        }
        uint8_t answer;
        int asked = 0;
    };
    YWindow root(nullptr);
    auto* first = new Stretching(root, YControl::kStretchX);
    auto* second = new Stretching(root, YControl::kStretchY);
    auto* third = new Stretching(root, YControl::kStretchX);
    EXPECT_EQ(root.StretchQuery(), YControl::kStretchX | YControl::kStretchY);
    EXPECT_EQ(first->asked + second->asked, 2);
    EXPECT_EQ(third->asked, 0); // both bits were set before it
}

TEST(ControlTree, RelayoutPassesTheRestFromLayoutToLayoutAndGivesTheClientControlTheLast) {
    // Takes a band of fixed height off the top and places its controls in it side by side.
    struct TopBand : YLayout {
        TopBand(YControl& owner, int32_t h) : YLayout(owner), height(h) {}
        int32_t height;
        std::vector<YRect> given;
        YRect Arrange(const YRect& rect) override {
            given.push_back(rect);
            int32_t x = rect.left;
            for (int32_t i = 0; i < Count(); ++i) {
                At(i).SetPosition(x, rect.top);
                At(i).SetSize(20, height);
                x += 20;
            }
            return {rect.left, rect.top + height, rect.right, rect.bottom};
        }
    };
    YWindow root(nullptr);
    auto* first = new TopBand(root, 10);
    auto* second = new TopBand(root, 5);
    auto* a = new YContainer(&root, "a");
    auto* b = new YContainer(&root, "b");
    auto* client = new YContainer(&root, "client");
    first->AddControl(*a);
    second->AddControl(*b);
    root.SetClientControl(client);
    root.SetSize(100, 60); // relays out
    ASSERT_EQ(first->given.size(), 1u);
    EXPECT_EQ(first->given[0], (YRect{0, 0, 99, 59}));
    EXPECT_EQ(second->given[0], (YRect{0, 10, 99, 59}));
    EXPECT_EQ(a->WindowRect(), (YRect{0, 0, 19, 9}));
    EXPECT_EQ(b->WindowRect(), (YRect{0, 10, 19, 14}));
    EXPECT_EQ(client->WindowRect(), (YRect{0, 15, 99, 59}));
    // A hidden client control is left where it is.
    client->SetVisible(false);
    root.SetSize(100, 80);
    EXPECT_EQ(client->WindowRect(), (YRect{0, 15, 99, 59}));
}

TEST(ControlTree, UnknownServicesAreNotImplemented) {
    YControl control(nullptr);
    try {
        control.Service("compute plastic control size", nullptr);
        FAIL() << "nothing raised";
    } catch (const YException& e) {
        EXPECT_EQ(e.Message().ToUTF8(), "Service \"compute plastic control size\" is not implemented.");
        EXPECT_EQ(e.ErrorCode(), YException::kNotImplemented);
    }
}

TEST(ControlLoad, ReadsTheCommonAttributesAndRefusesUnknownPlacements) {
    YWindow root(nullptr);
    auto* control = new YContainer(&root);
    YXMLItem element("control");
    element.SetAttribute("id", "knob1");
    element.SetAttribute("posx", "-12abc");
    element.SetAttribute("sizex", "40");
    element.SetAttribute("sizey", "30");
    element.SetAttribute("visible", "0");
    element.SetAttribute("tabstop", "1");
    element.SetAttribute("showhelp", "1");
    element.SetAttribute("controltype", "knob");
    element.SetAttribute("layoutratiox", "2");
    element.SetAttribute("layoutplacement", "right,top");
    element.SetAttribute("clientlayout", "1");
    control->Load(element);
    EXPECT_EQ(control->Id().ToUTF8(), "knob1");
    EXPECT_EQ(control->Position().x, -12);
    EXPECT_EQ(control->Size(), (YSize{40, 30}));
    EXPECT_FALSE(control->IsVisible());
    EXPECT_TRUE(control->HasFlag(YControlFlag::kTabStop));
    EXPECT_TRUE(control->HasFlag(YControlFlag::kShowHelp));
    EXPECT_EQ(control->Type(), YControlType::kKnob);
    EXPECT_EQ(control->layoutRatioX, 2);
    EXPECT_EQ(control->layoutPlacement, YAlignment::kRight | YAlignment::kTop);
    EXPECT_EQ(root.ClientControl(), control);

    YXMLItem bad("control");
    bad.SetAttribute("layoutplacement", "middle");
    EXPECT_EQ(RaisedMessage([&] { control->Load(bad); }), "Invalid YAlignment identifier to parse (middle).");
}

TEST(ControlState, SavesAndLoadsTheWindowKeys) {
    YWindow saved(nullptr);
    saved.SetFlag(YControlFlag::kSaveWindowPos, true);
    saved.SetFlag(YControlFlag::kSaveWindowSize, true);
    saved.SetPosition(30, 40);
    saved.SetSize(300, 200);
    saved.SetCollapsedSize({300, 20});
    saved.SetCollapsed(true);
    YXMLItem state("state");
    saved.SaveState(state);
    EXPECT_EQ(state.GetAttribute("windowposx").ToUTF8(), "30");
    EXPECT_EQ(state.GetAttribute("windowsizey").ToUTF8(), "200");
    EXPECT_EQ(state.GetAttribute("collapsed").ToUTF8(), "1");

    YWindow loaded(nullptr);
    loaded.SetFlag(YControlFlag::kSaveWindowPos, true);
    loaded.SetFlag(YControlFlag::kSaveWindowSize, true);
    loaded.LoadState(state);
    EXPECT_EQ(loaded.Position(), (YPoint{30, 40}));
    EXPECT_EQ(loaded.Size(), (YSize{300, 200}));
    EXPECT_TRUE(loaded.HasFlag(YControlFlag::kCollapsed));

    // Without the switches the window keeps its place and size.
    YWindow plain(nullptr);
    plain.LoadState(state);
    EXPECT_EQ(plain.Position(), (YPoint{0, 0}));
    EXPECT_EQ(plain.Size(), (YSize{0, 0}));
}

TEST(ControlTypes, NamesRoundTripInTheirOrder) {
    EXPECT_STREQ(YControlTypeName(YControlType::kEmpty), "empty");
    EXPECT_STREQ(YControlTypeName(YControlType::kNone), "none");
    EXPECT_EQ(static_cast<int>(YControlType::kNone), 22);
    for (int32_t i = 0; i < kControlTypeCount; ++i) {
        const auto type = static_cast<YControlType>(i);
        const std::u16string name = YString::FromUTF8(YControlTypeName(type)).ToUTF16();
        YControlType back = YControlType::kNone;
        ASSERT_TRUE(YControlTypeFromName(name.c_str(), static_cast<int32_t>(name.size()), back));
        EXPECT_EQ(back, type);
    }
    YControlType unused;
    const std::u16string prefix = u"knobs";
    EXPECT_FALSE(YControlTypeFromName(prefix.c_str(), 4 + 1, unused));
    EXPECT_TRUE(YControlTypeFromName(prefix.c_str(), 4, unused));
}

} // namespace
