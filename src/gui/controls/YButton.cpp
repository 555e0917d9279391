#include "gui/controls/YButton.h"

#include "gui/controls/YControlAttributes.h"
#include "gui/toolkit/YWindowSystem.h"

namespace {
constexpr const char* kModalNames[] = {"ok", "cancel", "yes", "no"};
}

int32_t YModalValueFromName(const YString& name) noexcept {
    for (int32_t i = 0; i < 4; ++i) {
        if (name == YString::Literal(kModalNames[i])) return i;
    }
    return -1;
}

// ---- YPressable ----

YPressable::YPressable(YControl* parent, const YString& id) : YControl(parent, id) {
    SetFlag(YControlFlag::kTabStop, true);
    SetUpEvents(YControlUpEvents::kLeftUp);
}

bool YPressable::HandleEvent(YSystemEvent& event) {
    const bool inside = WindowRect().Contains(event.point);
    switch (event.code) {
    case YEventCode::kLeftDown:
        m_held = true;
        m_pressedLook = true;
        Repaint();
        PressStarted();
        return true;
    case YEventCode::kMouseMove:
        if (m_held && inside != m_pressedLook) {
            m_pressedLook = inside;
            Repaint();
        }
        return m_held;
    case YEventCode::kLeftUp: {
        const bool wasHeld = m_held;
        m_held = false;
        m_pressedLook = false;
        Repaint();
        PressEnded();
        if (wasHeld && inside) Activate(event.flags);
        return true;
    }
    case YEventCode::kKeyDown:
        if (event.keyCode == YKey::kSpace || event.keyCode == YKey::kReturn) {
            Click(event.flags);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void YPressable::HoverChanged(bool hovered) {
    m_hovered = hovered;
    Repaint();
}

void YPressable::CaptureLost() {
    YControl::CaptureLost();
    if (m_held) PressEnded();
    m_held = false;
    m_pressedLook = false;
    Repaint();
}

void YPressable::Click(uint32_t flags) {
    Activate(flags);
    YOnClickParams params{this, YPoint{}, flags};
    OnClick.Fire(params);
}

void YPressable::Activate(uint32_t) {}

// ---- YButton ----

YButton::YButton(YControl* parent, const YString& id) : YPressable(parent, id) { SetType(YControlType::kButton); }

void YButton::Load(const YXMLItem& element) {
    YControl::Load(element);
    using namespace YControlAttributes;
    ReadFlag(element, "switchable", m_switchable);
    ReadFlag(element, "unswitchable", m_unswitchable);
    // An unswitchable button is a switchable one that only its owner turns off.
    if (m_unswitchable) m_switchable = true;
    ReadFlag(element, "switched", m_switched);
    ReadInt(element, "switchedvalue", m_switchedValue);
    ReadInt(element, "unswitchedvalue", m_unswitchedValue);
    if (const YString* v = element.FindAttribute("modalvalue")) {
        m_modalValue = YModalValueFromName(*v);
        if (m_modalValue < 0) YRaiseFormat(YException::kGeneral, "Invalid YModalValue identifier to parse ({0}).", *v);
    }
    ReadFlag(element, "showbackground", m_showBackground);
    ReadInt(element, "icon", m_icon);
}

void YButton::SetSwitched(bool switched) {
    if (m_switched == switched) return;
    m_switched = switched;
    Repaint();
    YOnItemParams<int32_t> params{this, Value()};
    OnSwitch.Fire(params);
}

void YButton::SetIcon(int32_t icon) {
    m_icon = icon;
    Repaint();
}

void YButton::Activate(uint32_t) {
    if (m_switchable && !(m_switched && m_unswitchable)) SetSwitched(!m_switched);
    if (m_modalValue >= 0) {
        if (YWindowSystem* system = WindowSystem()) system->QuitLoop(m_modalValue);
    }
}

// ---- YRepeaterButton ----

YRepeaterButton::YRepeaterButton(YControl* parent, const YString& id) : YButton(parent, id) {}

void YRepeaterButton::PressStarted() {
    Click();
    m_repeating = true;
    if (YWindowSystem* system = WindowSystem()) system->SetTimer(*this, kFirstDelayMs);
}

void YRepeaterButton::PressEnded() {
    if (!m_repeating) return;
    m_repeating = false;
    if (YWindowSystem* system = WindowSystem()) system->SetTimer(*this, 0);
}

void YRepeaterButton::Timer() {
    if (!m_repeating) return;
    // Only while the pointer is still over the button, as the first press was.
    if (IsPressed()) Click();
    if (YWindowSystem* system = WindowSystem()) system->SetTimer(*this, kRepeatMs);
}

void YRepeaterButton::PostProcessEvent(YSystemEvent& event, bool handled) {
    // The press already fired; the release must not fire again.
    if (event.code == YEventCode::kLeftUp) return;
    YButton::PostProcessEvent(event, handled);
}
