#include "gui/controls/YCheckBox.h"

#include "gui/controls/YControlAttributes.h"
#include "gui/controls/YControlPaint.h"

#include <algorithm>

YCheckBoxState YCheckBoxStateParse(const YString& text) {
    int32_t consumed = 0;
    const int64_t n = text.ToInteger(10, &consumed);
    if (consumed > 0 && consumed == text.Length() && n >= 0 && n <= 2) return static_cast<YCheckBoxState>(n);
    return YEnumParse<YCheckBoxState>(text);
}

YCheckBox::YCheckBox(YControl* parent, const YString& id) : YPressable(parent, id) {
    SetType(YControlType::kCheckBox);
}

void YCheckBox::Load(const YXMLItem& element) {
    YControl::Load(element);
    bool threeState = m_threeState;
    if (YControlAttributes::ReadFlag(element, "threestate", threeState)) m_threeState = threeState;
    if (const YString* v = element.FindAttribute("default")) m_default = YCheckBoxStateParse(*v);
    if (const YString* v = element.FindAttribute("check")) {
        m_state = YCheckBoxStateParse(*v);
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

// ---- painting ----

namespace {
int32_t BoxSize(YStyle& style) { return std::max(style.Metric(YStyleMetric::kCheckBoxIconSize), 8); }
} // namespace

void YCheckBox::Paint(YDrawer& drawer) {
    YStyle* style = YStyleOf(*this);
    if (style == nullptr) return;
    const YRect rect = WindowRect();
    uint32_t state = YControlStateOf(*this) & ~YControlState::kClicked;
    if (IsPressed()) state |= YControlState::kClicked;
    if (IsHovered()) state |= YControlState::kHighlighted;
    const int32_t box = BoxSize(*style);
    const YRect boxRect = YRect::FromSize(rect.left + 1, rect.top + (rect.Height() - box) / 2, box, box);
    style->DrawCheckBox(drawer, boxRect, m_state, state);
    const int32_t gap = style->ScaleX(6);
    YRect text{boxRect.right + 1 + gap, rect.top, rect.right, rect.bottom};
    if (!Caption().IsEmpty()) {
        style->DrawText(drawer, text, Caption(), YControlPaint::FontOf(*this), YStdColor::kText,
                        kAlignLeft | kAlignVCenter, state);
        if (HasFocus()) {
            const YSize extent = style->TextExtent(YControlPaint::FontOf(*this), Caption());
            const int32_t top = rect.top + (rect.Height() - extent.y) / 2;
            style->DrawFocus(drawer, {text.left - 2, top - 1, std::min(text.left + extent.x + 1, rect.right), top + extent.y});
        }
    } else if (HasFocus()) {
        style->DrawFocus(drawer, YControlPaint::Inset(boxRect, -2, -2));
    }
}

YSize YCheckBox::ComputeMinimalSize() {
    YSize size = YControl::ComputeMinimalSize();
    YStyle* style = YStyleOf(*this);
    if (style == nullptr) return size;
    const int32_t box = BoxSize(*style);
    const YSize text = Caption().IsEmpty() ? YSize{} : style->TextExtent(YControlPaint::FontOf(*this), Caption());
    return {std::max(size.x, box + 2 + (text.x > 0 ? style->ScaleX(6) + text.x + 2 : 0)),
            std::max(size.y, std::max(box, text.y) + 4)};
}
