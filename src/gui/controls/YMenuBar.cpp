#include "gui/controls/YMenuBar.h"

#include "gui/controls/YControlPaint.h"
#include "gui/controls/YControlText.h"

#include <algorithm>

namespace {
constexpr int32_t kTitlePadding = 10;
} // namespace

YMenuBar::YMenuBar(YControl* parent, const YString& id) : YControl(parent, id) {
    SetType(YControlType::kMenuBar);
    SetUpEvents(YControlUpEvents::kLeftUp);
}

void YMenuBar::Load(const YXMLItem& element) {
    YControl::Load(element);
    YMenuItemsLoad(m_items, element);
    ItemsChanged();
}

void YMenuBar::ItemsChanged() {
    m_highlighted = std::min(m_highlighted, TitleCount() - 1);
    Repaint();
}

YRect YMenuBar::TitleRect(int32_t index) {
    const YRect r = WindowRect();
    int32_t x = r.left + 2;
    for (int32_t i = 0; i < TitleCount(); ++i) {
        const int32_t w = YControlText::Width(*this, m_items.children[static_cast<size_t>(i)].text) + 2 * kTitlePadding;
        if (i == index) return {x, r.top, x + w - 1, r.bottom};
        x += w;
    }
    return YRect::Empty();
}

int32_t YMenuBar::TitleAt(YPoint p) {
    for (int32_t i = 0; i < TitleCount(); ++i) {
        if (TitleRect(i).Contains(p)) return i;
    }
    return -1;
}

YSize YMenuBar::ComputeMinimalSize() {
    YSize size = YControl::ComputeMinimalSize();
    size.y = std::max(size.y, YControlText::LineHeight(*this) + 10);
    return size;
}

void YMenuBar::OpenTitle(int32_t index, bool highlightFirst) {
    YMenuLayer& layer = YMenuLayer::Of(*this);
    if (index < 0 || index >= TitleCount() || !m_items.children[static_cast<size_t>(index)].enabled) {
        layer.CloseAll();
        return;
    }
    const YRect title = TitleRect(index);
    m_opened = index;
    m_highlighted = index;
    Repaint();
    const YPoint at{title.left, title.bottom + 1};
    layer.Open(*this, m_items.children[static_cast<size_t>(index)], OnMenu, at, title, this, highlightFirst);
    // Open closed the previous menu, which cleared the title; this one is open now.
    m_opened = index;
    m_highlighted = index;
}

void YMenuBar::MenusClosed() {
    m_opened = -1;
    Repaint();
}

void YMenuBar::StepTitle(int32_t delta) {
    const int32_t n = TitleCount();
    if (n == 0) return;
    const int32_t from = m_opened >= 0 ? m_opened : std::max(m_highlighted, 0);
    const int32_t to = (from + delta + n) % n;
    if (m_opened >= 0) OpenTitle(to, true);
    else {
        m_highlighted = to;
        Repaint();
    }
}

void YMenuBar::PointerWhileOpen(YPoint p) {
    const int32_t index = TitleAt(p);
    if (index >= 0 && index != m_opened) OpenTitle(index, false);
}

void YMenuBar::PressWhileOpen(YPoint p) {
    const int32_t index = TitleAt(p);
    if (index == m_opened || index < 0) YMenuLayer::Of(*this).CloseAll();
    else OpenTitle(index, false);
}

void YMenuBar::HoverChanged(bool hovered) {
    if (!hovered && m_hover >= 0) {
        m_hover = -1;
        Repaint();
    }
}

bool YMenuBar::HandleEvent(YSystemEvent& event) {
    switch (event.code) {
    case YEventCode::kLeftDown: {
        const int32_t index = TitleAt(event.point);
        if (index < 0) return false;
        OpenTitle(index, false);
        return true;
    }
    case YEventCode::kLeftUp: {
        // The title was held down and released over the open menu: that is a choice.
        YMenuLayer& layer = YMenuLayer::Of(*this);
        if (layer.IsOpen() && !WindowRect().Contains(event.point)) layer.ReleaseAt(event.point);
        return true;
    }
    case YEventCode::kMouseMove: {
        if (HasCapture()) {
            YMenuLayer& layer = YMenuLayer::Of(*this);
            if (layer.IsOpen()) {
                if (WindowRect().Contains(event.point)) PointerWhileOpen(event.point);
                else layer.PointerAt(event);
                return true;
            }
        }
        const int32_t index = TitleAt(event.point);
        if (index != m_hover) {
            m_hover = index;
            Repaint();
        }
        return false;
    }
    case YEventCode::kKeyDown:
        switch (event.keyCode) {
        case YKey::kLeft: StepTitle(-1); return true;
        case YKey::kRight: StepTitle(1); return true;
        case YKey::kDown:
        case YKey::kReturn:
        case YKey::kSpace:
            OpenTitle(std::max(m_highlighted, 0), true);
            return true;
        default:
            return false;
        }
    default:
        return false;
    }
}

void YMenuBar::Paint(YDrawer& drawer) {
    YStyle* style = YStyleOf(*this);
    if (style == nullptr) return;
    style->DrawControl(drawer, YControlType::kMenuBar, YControlStateOf(*this) & YControlState::kDisabled, WindowRect());
    for (int32_t i = 0; i < TitleCount(); ++i) {
        const YMenuItem& item = m_items.children[static_cast<size_t>(i)];
        uint32_t state = item.enabled ? 0 : YControlState::kDisabled;
        if (i == m_opened) state |= YControlState::kSelected | YControlState::kClicked;
        else if (i == m_hover || (i == m_highlighted && HasFocus())) state |= YControlState::kHighlighted;
        // The item's background only: a title has no icon column, its text sits centred.
        style->DrawMenuItem(drawer, TitleRect(i), YString(), YString(), 0, state);
        style->DrawText(drawer, TitleRect(i), item.text, YControlPaint::FontOf(*this), YStdColor::kText, kAlignCenter, state);
    }
}
