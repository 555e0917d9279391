// A check box with a caption: off and on, and with "threestate" a third, grayed state.
// A click or Space steps off -> on -> (grayed ->) off; Backspace returns to the default state.
#pragma once

#include "gui/controls/YButton.h"
#include "gui/toolkit/YStyle.h"

// A check state from a definition: its name ("off", "on", "grayed", any case) or its number;
// raises the enumeration's parse message for anything else.
YCheckBoxState YCheckBoxStateParse(const YString& text);

class YCheckBox : public YPressable {
public:
    YCheckBox(YControl* parent, const YString& id = YString());

    void Load(const YXMLItem& element) override;
    bool HandleEvent(YSystemEvent& event) override;
    void Paint(YDrawer& drawer) override;
    YSize ComputeMinimalSize() override;

    YCheckBoxState State() const noexcept { return m_state; }
    // Fires OnChange when the state differs; grayed on a two-state box becomes on.
    void SetState(YCheckBoxState state);
    bool IsChecked() const noexcept { return m_state == YCheckBoxState::kOn; }
    bool IsThreeState() const noexcept { return m_threeState; }
    void SetThreeState(bool threeState);
    YCheckBoxState DefaultState() const noexcept { return m_default; }
    void SetDefaultState(YCheckBoxState state) noexcept { m_default = state; }

    // The new state (as its integer) after every change.
    YEvent<YOnItemParams<int32_t>> OnChange;

protected:
    void Activate(uint32_t flags) override;

private:
    YCheckBoxState m_state = YCheckBoxState::kOff;
    YCheckBoxState m_default = YCheckBoxState::kOff;
    bool m_threeState = false;
};
