#include "gui/controls/YCheckBox.h"

#include "gui/controls/YControlAttributes.h"

namespace {

constexpr const char* kStateNames[] = {"off", "on", "grayed"};

// "check" and "default" take a state name or its number.
YCheckBoxState ParseState(const YString& text) {
    YCheckBoxState state;
    if (YCheckBoxStateFromName(text, state)) return state;
    int32_t consumed = 0;
    const int64_t n = text.ToInteger(10, &consumed);
    if (consumed > 0 && n >= 0 && n <= 2) return static_cast<YCheckBoxState>(n);
    YRaiseFormat(YException::kGeneral, "Invalid YCheckBoxState identifier to parse ({0}).", text);
}

} // namespace

bool YCheckBoxStateFromName(const YString& name, YCheckBoxState& state) noexcept {
    for (int32_t i = 0; i < 3; ++i) {
        if (name == YString::Literal(kStateNames[i])) {
            state = static_cast<YCheckBoxState>(i);
            return true;
        }
    }
    return false;
}

YCheckBox::YCheckBox(YControl* parent, const YString& id) : YPressable(parent, id) {
    SetType(YControlType::kCheckBox);
}

void YCheckBox::Load(const YXMLItem& element) {
    YControl::Load(element);
    bool threeState = m_threeState;
    if (YControlAttributes::ReadFlag(element, "threestate", threeState)) m_threeState = threeState;
    if (const YString* v = element.FindAttribute("default")) m_default = ParseState(*v);
    if (const YString* v = element.FindAttribute("check")) {
        m_state = ParseState(*v);
        if (m_state == YCheckBoxState::kGrayed && !m_threeState) m_state = YCheckBoxState::kOn;
    }
}

bool YCheckBox::HandleEvent(YSystemEvent& event) {
    if (event.code == YEventCode::kKeyDown && event.keyCode == YKey::kBack) {
        SetState(m_default);
        return true;
    }
    // Enter belongs to the window (its default button); only Space toggles.
    if (event.code == YEventCode::kKeyDown && event.keyCode == YKey::kReturn) return false;
    return YPressable::HandleEvent(event);
}

void YCheckBox::SetState(YCheckBoxState state) {
    if (state == YCheckBoxState::kGrayed && !m_threeState) state = YCheckBoxState::kOn;
    if (state == m_state) return;
    m_state = state;
    Repaint();
    YOnItemParams<int32_t> params{this, static_cast<int32_t>(m_state)};
    OnChange.Fire(params);
}

void YCheckBox::SetThreeState(bool threeState) {
    m_threeState = threeState;
    if (!threeState && m_state == YCheckBoxState::kGrayed) SetState(YCheckBoxState::kOn);
}

void YCheckBox::Activate(uint32_t) {
    switch (m_state) {
    case YCheckBoxState::kOff: SetState(YCheckBoxState::kOn); break;
    case YCheckBoxState::kOn: SetState(m_threeState ? YCheckBoxState::kGrayed : YCheckBoxState::kOff); break;
    case YCheckBoxState::kGrayed: SetState(YCheckBoxState::kOff); break;
    }
}
