// Push buttons: YPressable (press and hover tracking, activation by mouse and keyboard),
// YButton (optionally switchable, with values and a modal result) and YRepeaterButton
// (fires while held).
#pragma once

#include "gui/toolkit/YControl.h"

#include <cstdint>

// A control the user presses: left press inside, release inside activates it; Space or
// Enter activates it while it has the focus. While the left button is held the control
// looks pressed only as long as the pointer stays inside.
class YPressable : public YControl {
public:
    YPressable(YControl* parent, const YString& id = YString());

    bool IsPressed() const noexcept { return m_pressedLook; }
    bool IsHovered() const noexcept { return m_hovered; }

    bool HandleEvent(YSystemEvent& event) override;
    void HoverChanged(bool hovered) override;
    void CaptureLost() override;

    // Activates the control as a click would (fires OnClick).
    void Click(uint32_t flags = 0);

protected:
    // What a completed click does before OnClick fires (nothing in the base).
    virtual void Activate(uint32_t flags);
    // A left press began (the repeater fires here).
    virtual void PressStarted() {}
    virtual void PressEnded() {}

private:
    bool m_held = false;       // the left button went down on this control and is still down
    bool m_pressedLook = false;
    bool m_hovered = false;
};

class YButton : public YPressable {
public:
    // Result a button in a modal window ends the loop with: none, or a YModalValue + 1.
    static constexpr int32_t kNoModalValue = -1;

    YButton(YControl* parent, const YString& id = YString());

    void Load(const YXMLItem& element) override;
    void Paint(YDrawer& drawer) override;
    YSize ComputeMinimalSize() override;

    // A switchable button keeps its state between clicks; an unswitchable one can be
    // switched on by a click but not off again (the owner switches it off, as in a group).
    bool IsSwitchable() const noexcept { return m_switchable; }
    void SetSwitchable(bool switchable) noexcept { m_switchable = switchable; }
    bool IsUnswitchable() const noexcept { return m_unswitchable; }
    void SetUnswitchable(bool unswitchable) noexcept { m_unswitchable = unswitchable; }
    bool IsSwitched() const noexcept { return m_switched; }
    void SetSwitched(bool switched);
    // The value the button stands for now: "switchedvalue" or "unswitchedvalue".
    int32_t Value() const noexcept { return m_switched ? m_switchedValue : m_unswitchedValue; }
    void SetValues(int32_t switchedValue, int32_t unswitchedValue) noexcept {
        m_switchedValue = switchedValue;
        m_unswitchedValue = unswitchedValue;
    }
    // YModalValue index ("ok", "cancel", "yes", "no"), or kNoModalValue.
    int32_t ModalValue() const noexcept { return m_modalValue; }
    void SetModalValue(int32_t value) noexcept { m_modalValue = value; }
    bool ShowsBackground() const noexcept { return m_showBackground; }
    // A standard icon (YStdIcon index) shown before the caption, -1 for none.
    int32_t Icon() const noexcept { return m_icon; }
    void SetIcon(int32_t icon);

    // The switched state changed (by the user or by SetSwitched).
    YEvent<YOnItemParams<int32_t>> OnSwitch;

protected:
    void Activate(uint32_t flags) override;

private:
    bool m_switchable = false;
    bool m_unswitchable = false;
    bool m_switched = false;
    int32_t m_switchedValue = 1;
    int32_t m_unswitchedValue = 0;
    int32_t m_modalValue = kNoModalValue;
    bool m_showBackground = true;
    int32_t m_icon = -1;
};

// Fires OnClick when pressed, again after a first delay and then at a steady rate while the
// left button is held (the release fires nothing).
class YRepeaterButton : public YButton {
public:
    static constexpr uint32_t kFirstDelayMs = 400;
    static constexpr uint32_t kRepeatMs = 60;

    YRepeaterButton(YControl* parent, const YString& id = YString());
    void Timer() override;
    void PostProcessEvent(YSystemEvent& event, bool handled) override;

protected:
    void PressStarted() override;
    void PressEnded() override;

private:
    bool m_repeating = false;
};
