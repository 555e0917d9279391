#include "gui/controls/YButton.h"

#include "gui/controls/YControlAttributes.h"
#include "gui/controls/YControlPaint.h"
#include "gui/toolkit/YStyle.h"
#include "gui/toolkit/YWindowSystem.h"

#include <algorithm>

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
        m_modalValue = static_cast<int32_t>(YEnumParse<YModalValue>(*v));
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

// ---- painting ----

void YButton::Paint(YDrawer& drawer) {
    YStyle* style = YStyleOf(*this);
    if (style == nullptr) return;
    const YRect rect = WindowRect();
    uint32_t state = YControlStateOf(*this) & ~YControlState::kClicked;
    if (IsPressed() || m_switched) state |= YControlState::kClicked;
    if (IsHovered()) state |= YControlState::kHighlighted;
    if (m_showBackground) style->DrawControl(drawer, Type(), state, rect);
    const YRect content = style->ContentRect(Type(), rect);
    YRect text = content;
    if (m_icon >= 0 && m_icon < kStdIconCount) {
        const YSize iconSize = style->IconSize();
        const int32_t textWidth = Caption().IsEmpty() ? 0 : style->TextExtent(YControlPaint::FontOf(*this), Caption()).x;
        const int32_t gap = Caption().IsEmpty() ? 0 : style->ScaleX(4);
        const int32_t total = iconSize.x + gap + textWidth;
        const int32_t x = content.left + std::max(0, (content.Width() - total) / 2);
        const YRect icon = YRect::FromSize(x, content.top + (content.Height() - iconSize.y) / 2, iconSize.x, iconSize.y);
        style->DrawIcon(drawer, static_cast<YStdIcon>(m_icon), icon, style->TextColor(Type(), state));
        text.left = icon.right + 1 + gap;
        text.right = text.left + textWidth;
    }
    if (!Caption().IsEmpty()) {
        style->DrawText(drawer, text, Caption(), YControlPaint::FontOf(*this), YStdColor::kText, kAlignCenter, state);
    }
    if (HasFocus()) style->DrawFocus(drawer, YControlPaint::Inset(rect, 2, 2));
}

YSize YButton::ComputeMinimalSize() {
    YSize size = YControl::ComputeMinimalSize();
    YStyle* style = YStyleOf(*this);
    if (style == nullptr) return size;
    YSize content = Caption().IsEmpty() ? YSize{} : style->TextExtent(YControlPaint::FontOf(*this), Caption());
    if (m_icon >= 0) {
        const YSize icon = style->IconSize();
        content.x += icon.x + (Caption().IsEmpty() ? 0 : style->ScaleX(4));
        content.y = std::max(content.y, icon.y);
    }
    const YSize wanted = style->SizeForContent(Type(), content);
    return {std::max(size.x, wanted.x), std::max(size.y, wanted.y)};
}
