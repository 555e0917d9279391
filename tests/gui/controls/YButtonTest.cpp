// Buttons, repeater buttons and check boxes driven by the mouse and the keyboard, and the tab
// order between controls.
#include "ControlsFixture.h"

#include "foundation/YXMLItem.h"
#include "gui/controls/YButton.h"
#include "gui/controls/YCheckBox.h"
#include "gui/controls/YEdit.h"

namespace {

struct ClickCounter : YEventTarget {
    int clicks = 0;
    void Clicked(YOnClickParams&) { ++clicks; }
};

class ButtonTest : public ControlsFixture {};

TEST_F(ButtonTest, ClickNeedsPressAndReleaseInsideAndKeysActivateWhenFocused) {
    auto* button = Place(new YButton(&root, "b"), YRect::FromSize(10, 10, 80, 24));
    ClickCounter counter;
    button->OnClick.Add<&ClickCounter::Clicked>(&counter);

    Click({20, 20});
    EXPECT_EQ(counter.clicks, 1);
    EXPECT_TRUE(button->HasFocus());
    // Pressed inside, released outside: no click; the pressed look follows the pointer.
    Mouse(YEventCode::kLeftDown, {20, 20}, YEventFlag::kLeftButton);
    EXPECT_TRUE(button->IsPressed());
    Mouse(YEventCode::kMouseMove, {200, 200}, YEventFlag::kLeftButton);
    EXPECT_FALSE(button->IsPressed());
    Mouse(YEventCode::kMouseMove, {30, 20}, YEventFlag::kLeftButton);
    EXPECT_TRUE(button->IsPressed());
    Mouse(YEventCode::kMouseMove, {200, 200}, YEventFlag::kLeftButton);
    Mouse(YEventCode::kLeftUp, {200, 200});
    EXPECT_EQ(counter.clicks, 1);
    // Pressed outside, released inside: no click either.
    Mouse(YEventCode::kLeftDown, {200, 200}, YEventFlag::kLeftButton);
    Mouse(YEventCode::kLeftUp, {20, 20});
    EXPECT_EQ(counter.clicks, 1);

    Key(YKey::kSpace);
    Key(YKey::kReturn);
    EXPECT_EQ(counter.clicks, 3);
    button->SetEnabled(false);
    Click({20, 20});
    EXPECT_EQ(counter.clicks, 3);
}

TEST_F(ButtonTest, SwitchableAndUnswitchableButtons) {
    struct Row {
        bool unswitchable;
        std::vector<bool> afterEachClick;
    };
    const Row rows[] = {{false, {true, false, true}}, {true, {true, true, true}}};
    for (const Row& row : rows) {
        YXMLItem element("button");
        element.SetAttribute("switchable", "1");
        element.SetAttribute("unswitchable", row.unswitchable ? "1" : "0");
        element.SetAttribute("switchedvalue", "7");
        element.SetAttribute("unswitchedvalue", "-3");
        auto* button = Place(new YButton(&root, "b"), YRect::FromSize(10, 10, 80, 24));
        button->Load(element);
        EXPECT_EQ(button->Value(), -3);
        for (bool expected : row.afterEachClick) {
            Click({20, 20});
            EXPECT_EQ(button->IsSwitched(), expected) << "unswitchable " << row.unswitchable;
        }
        EXPECT_EQ(button->Value(), 7);
        delete button;
    }
}

TEST_F(ButtonTest, ModalValueEndsTheLoopAndBadNamesRaise) {
    YXMLItem element("button");
    element.SetAttribute("modalvalue", "Cancel");
    auto* button = Place(new YButton(&root, "b"), YRect::FromSize(10, 10, 80, 24));
    button->Load(element);
    EXPECT_EQ(button->ModalValue(), static_cast<int32_t>(YModalValue::kCancel));
    Click({20, 20});
    EXPECT_EQ(system.QuitCode(), static_cast<int32_t>(YModalValue::kCancel));

    YXMLItem bad("button");
    bad.SetAttribute("modalvalue", "maybe");
    try {
        button->Load(bad);
        FAIL() << "no exception";
    } catch (const YException& e) {
        EXPECT_EQ(e.Message().ToUTF8(), "Invalid YModalValue identifier to parse (maybe).");
    }
}

TEST_F(ButtonTest, RepeaterFiresOnPressThenRepeatsWhileHeld) {
    auto* button = Place(new YRepeaterButton(&root, "r"), YRect::FromSize(10, 10, 30, 30));
    ClickCounter counter;
    button->OnClick.Add<&ClickCounter::Clicked>(&counter);
    Mouse(YEventCode::kLeftDown, {20, 20}, YEventFlag::kLeftButton);
    EXPECT_EQ(counter.clicks, 1);
    system.AdvanceTime(YRepeaterButton::kFirstDelayMs - 1);
    EXPECT_EQ(counter.clicks, 1);
    system.AdvanceTime(1);
    EXPECT_EQ(counter.clicks, 2);
    system.AdvanceTime(YRepeaterButton::kRepeatMs * 3);
    EXPECT_EQ(counter.clicks, 5);
    // Off the button it holds still; back on it goes on.
    Mouse(YEventCode::kMouseMove, {200, 200}, YEventFlag::kLeftButton);
    system.AdvanceTime(YRepeaterButton::kRepeatMs * 2);
    EXPECT_EQ(counter.clicks, 5);
    Mouse(YEventCode::kMouseMove, {20, 20}, YEventFlag::kLeftButton);
    system.AdvanceTime(YRepeaterButton::kRepeatMs);
    EXPECT_EQ(counter.clicks, 6);
    Mouse(YEventCode::kLeftUp, {20, 20});
    system.AdvanceTime(1000);
    EXPECT_EQ(counter.clicks, 6); // the release adds nothing, the timer stopped
}

TEST_F(ButtonTest, CheckBoxStepsThroughItsStates) {
    struct Row {
        bool threeState;
        std::vector<YCheckBoxState> states;
    };
    using S = YCheckBoxState;
    const Row rows[] = {{false, {S::kOn, S::kOff, S::kOn}}, {true, {S::kOn, S::kGrayed, S::kOff, S::kOn}}};
    for (const Row& row : rows) {
        auto* box = Place(new YCheckBox(&root, "c"), YRect::FromSize(10, 10, 120, 20));
        box->SetThreeState(row.threeState);
        std::vector<S> seen;
        for (size_t i = 0; i < row.states.size(); ++i) {
            if (i % 2 == 0) Click({15, 15});
            else Key(YKey::kSpace);
            seen.push_back(box->State());
        }
        EXPECT_EQ(seen, row.states);
        delete box;
    }
    // Backspace goes back to the default; a grayed default on a two-state box reads as on.
    YXMLItem element("checkbox");
    element.SetAttribute("threestate", "1");
    element.SetAttribute("default", "grayed");
    element.SetAttribute("check", "1");
    auto* box = Place(new YCheckBox(&root, "c"), YRect::FromSize(10, 10, 120, 20));
    box->Load(element);
    EXPECT_EQ(box->State(), S::kOn);
    box->SetFocus();
    Key(YKey::kBack);
    EXPECT_EQ(box->State(), S::kGrayed);
    box->SetThreeState(false);
    EXPECT_EQ(box->State(), S::kOn);
    YXMLItem bad("checkbox");
    bad.SetAttribute("check", "half");
    EXPECT_THROW(box->Load(bad), YException);
}

TEST_F(ButtonTest, TabMovesTheFocusInTreeOrderSkippingWhatCannotTakeIt) {
    auto* first = Place(new YButton(&root, "first"), YRect::FromSize(0, 0, 50, 20));
    auto* group = Place(new YContainer(&root, "group"), YRect::FromSize(0, 30, 200, 100));
    auto* edit = Place(new YEdit(group, "edit"), YRect::FromSize(0, 0, 100, 20));
    auto* disabled = Place(new YButton(group, "disabled"), YRect::FromSize(0, 30, 50, 20));
    disabled->SetEnabled(false);
    auto* box = Place(new YCheckBox(group, "box"), YRect::FromSize(0, 60, 50, 20));
    auto* hidden = Place(new YContainer(&root, "hidden"), YRect::FromSize(0, 140, 100, 40));
    Place(new YButton(hidden, "inside hidden"), YRect::FromSize(0, 0, 50, 20));
    hidden->SetVisible(false);
    auto* last = Place(new YButton(&root, "last"), YRect::FromSize(0, 200, 50, 20));

    auto focused = [&]() -> const YControl* {
        const YControl* c = &root;
        while (c->FocusedChild() != nullptr) c = c->FocusedChild();
        return c;
    };
    const YControl* forward[] = {first, edit, box, last, first};
    for (const YControl* expected : forward) {
        Key(YKey::kTab);
        EXPECT_EQ(focused(), expected);
    }
    Key(YKey::kTab, YEventFlag::kShift);
    EXPECT_TRUE(last->HasFocus());
    Key(YKey::kTab, YEventFlag::kShift);
    EXPECT_TRUE(box->HasFocus());
    // A control that takes Tab itself (none of these) would keep it; Ctrl+Tab is not moving.
    Key(YKey::kTab, YEventFlag::kCtrl);
    EXPECT_TRUE(box->HasFocus());
}

} // namespace
