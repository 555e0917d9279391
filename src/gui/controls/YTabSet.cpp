#include "gui/controls/YTabSet.h"

#include "gui/controls/YControlAttributes.h"
#include "gui/controls/YControlPaint.h"
#include "gui/controls/YControlText.h"
#include "gui/toolkit/YWindow.h"

#include <algorithm>

namespace {
constexpr int32_t kTabPadding = 12;
} // namespace

YTabSet::YTabSet(YControl* parent, const YString& id) : YControl(parent, id) {
    SetType(YControlType::kTabSet);
    SetFlag(YControlFlag::kTabStop, true);
}

void YTabSet::Load(const YXMLItem& element) {
    YControl::Load(element);
    using namespace YControlAttributes;
    ReadFlag(element, "fitallbuttons", m_fitAll);
    ReadFlag(element, "arrowud", m_arrowsUpDown);
    int32_t width = 0;
    if (ReadInt(element, "size", width)) SetTabWidth(width);
    YString list;
    if (ReadText(element, "items", list)) {
        for (const YString& text : SplitList(list)) AddTab(text);
    }
    if (ReadText(element, "item", list)) AddTab(list);
    for (YXMLItem::Iterator it(element, "item"); it.IsValid(); it.Next()) {
        YString text = it.Get().GetText();
        ReadText(it.Get(), "text", text);
        AddTab(text);
    }
    ReadText(element, "pages", m_pagesId);
    int32_t original = 0;
    if (ReadInt(element, "original", original)) SetCurrent(original);
}

const YString& YTabSet::Tab(int32_t index) const {
    if (index < 0 || index >= Count()) YRaiseIndexOutOfRange();
    return m_tabs[static_cast<size_t>(index)];
}

int32_t YTabSet::AddTab(const YString& text) {
    m_tabs.push_back(text);
    if (m_current < 0) SetCurrent(0);
    Repaint();
    return Count() - 1;
}

void YTabSet::RemoveTab(int32_t index) {
    if (index < 0 || index >= Count()) YRaiseIndexOutOfRange();
    m_tabs.erase(m_tabs.begin() + index);
    if (index < m_current) {
        --m_current; // the same tab stays current
        ShowPage();
    } else if (index == m_current) {
        const int32_t next = std::min(m_current, Count() - 1);
        m_current = -2; // another tab (or none) is current now: that is a change
        SetCurrent(next);
    }
    ScrollTo(m_first);
    Repaint();
}

void YTabSet::SetCurrent(int32_t index) {
    index = Count() == 0 ? -1 : std::clamp(index, 0, Count() - 1);
    if (index == m_current) return;
    m_current = index;
    EnsureShown(index);
    ShowPage();
    Repaint();
    YOnItemParams<int32_t> params{this, m_current};
    OnChange.Fire(params);
}

void YTabSet::SetFitAllButtons(bool fit) {
    m_fitAll = fit;
    ScrollTo(0);
    Repaint();
}

void YTabSet::SetTabWidth(int32_t width) {
    m_tabWidth = std::clamp(width, 0, 1 << 16);
    Repaint();
}

void YTabSet::SetPages(YControl* pages) {
    m_pages = pages;
    ShowPage();
}

YControl* YTabSet::Pages() {
    if (m_pages == nullptr && !m_pagesId.IsEmpty() && Window() != nullptr) {
        m_pages = Window()->FindById(m_pagesId);
    }
    return m_pages;
}

void YTabSet::ShowPage() {
    YControl* pages = Pages();
    if (pages == nullptr) return;
    for (int32_t i = 0; i < pages->ChildCount(); ++i) pages->Child(i)->SetVisible(i == m_current);
}

// ---- geometry ----

int32_t YTabSet::NaturalWidth(int32_t index) {
    if (m_tabWidth > 0) return m_tabWidth;
    return YControlText::Width(*this, m_tabs[static_cast<size_t>(index)]) + 2 * kTabPadding;
}

bool YTabSet::Scrolls() {
    if (m_fitAll || Count() == 0) return false;
    int32_t total = 0;
    for (int32_t i = 0; i < Count(); ++i) total += NaturalWidth(i);
    return total > WindowRect().Width();
}

YRect YTabSet::ArrowRect(bool forward) {
    if (!Scrolls()) return YRect::Empty();
    const YRect r = WindowRect();
    const int32_t side = std::min(r.Height(), 20);
    const int32_t right = forward ? r.right : r.right - side;
    return {right - side + 1, r.bottom - side + 1, right, r.bottom};
}

YRect YTabSet::TabRect(int32_t index) {
    if (index < 0 || index >= Count()) return YRect::Empty();
    const YRect r = WindowRect();
    if (m_fitAll) {
        // Shares the width; the last tab takes what the division leaves.
        const int32_t w = r.Width() / Count();
        const int32_t left = r.left + index * w;
        return {left, r.top, index == Count() - 1 ? r.right : left + w - 1, r.bottom};
    }
    if (index < m_first) return YRect::Empty();
    const int32_t limit = Scrolls() ? ArrowRect(false).left - 1 : r.right;
    int32_t x = r.left;
    for (int32_t i = m_first; i < index; ++i) x += NaturalWidth(i);
    if (x > limit) return YRect::Empty();
    return {x, r.top, std::min(x + NaturalWidth(index) - 1, limit), r.bottom};
}

int32_t YTabSet::TabAt(YPoint p) {
    for (int32_t i = 0; i < Count(); ++i) {
        if (TabRect(i).Contains(p)) return i;
    }
    return -1;
}

void YTabSet::ScrollTo(int32_t first) {
    first = std::clamp(first, 0, std::max(0, Count() - 1));
    if (!Scrolls()) first = 0;
    if (first == m_first) return;
    m_first = first;
    Repaint();
}

void YTabSet::EnsureShown(int32_t index) {
    if (index < 0 || !Scrolls()) return;
    if (index < m_first) {
        ScrollTo(index);
        return;
    }
    // Forward until the whole tab fits before the arrows.
    const int32_t limit = ArrowRect(false).left - 1;
    while (m_first < index) {
        const YRect tab = TabRect(index);
        if (!tab.IsEmpty() && tab.right - tab.left + 1 == NaturalWidth(index) && tab.right <= limit) break;
        ScrollTo(m_first + 1);
    }
}

void YTabSet::Resized() { EnsureShown(m_current); }

YSize YTabSet::ComputeMinimalSize() {
    YSize size = YControl::ComputeMinimalSize();
    size.y = std::max(size.y, YControlText::LineHeight(*this) + 10);
    if (m_fitAll) {
        int32_t widest = 0;
        for (int32_t i = 0; i < Count(); ++i) widest = std::max(widest, NaturalWidth(i));
        size.x = std::max(size.x, widest * Count());
    }
    return size;
}

void YTabSet::HoverChanged(bool hovered) {
    if (!hovered && m_hover >= 0) {
        m_hover = -1;
        Repaint();
    }
}

// ---- input ----

bool YTabSet::HandleEvent(YSystemEvent& event) {
    switch (event.code) {
    case YEventCode::kLeftDown: {
        if (ArrowRect(false).Contains(event.point)) {
            ScrollTo(m_first - 1);
            return true;
        }
        if (ArrowRect(true).Contains(event.point)) {
            ScrollTo(m_first + 1);
            return true;
        }
        const int32_t index = TabAt(event.point);
        if (index >= 0) SetCurrent(index);
        return true;
    }
    case YEventCode::kMouseMove: {
        const int32_t index = TabAt(event.point);
        if (index != m_hover) {
            m_hover = index;
            Repaint();
        }
        return false;
    }
    case YEventCode::kWheel:
        if (Count() > 0) SetCurrent(m_current + (event.extra > 0 ? -1 : 1));
        return true;
    case YEventCode::kKeyDown: {
        const bool ctrl = (event.flags & YEventFlag::kCtrl) != 0;
        switch (event.keyCode) {
        case YKey::kLeft:
        case YKey::kUp: SetCurrent(m_current - 1); return true;
        case YKey::kRight:
        case YKey::kDown: SetCurrent(m_current + 1); return true;
        case YKey::kHome: SetCurrent(0); return true;
        case YKey::kEnd: SetCurrent(Count() - 1); return true;
        case YKey::kPrior:
            if (!ctrl) return false;
            SetCurrent(m_current - 1);
            return true;
        case YKey::kNext:
            if (!ctrl) return false;
            SetCurrent(m_current + 1);
            return true;
        default: return false;
        }
    }
    default:
        return false;
    }
}

void YTabSet::Paint(YDrawer& drawer) {
    YStyle* style = YStyleOf(*this);
    if (style == nullptr) return;
    const uint32_t base = YControlStateOf(*this) & YControlState::kDisabled;
    style->DrawControl(drawer, YControlType::kTabSet, base, WindowRect());
    // The current tab last, so it overlaps its neighbours.
    for (int32_t pass = 0; pass < 2; ++pass) {
        for (int32_t i = 0; i < Count(); ++i) {
            if ((i == m_current) != (pass == 1)) continue;
            const YRect r = TabRect(i);
            if (r.IsEmpty()) continue;
            uint32_t state = base;
            if (i == m_current) {
                state |= YControlState::kSelected;
                if (HasFocus()) state |= YControlState::kFocused;
            } else if (i == m_hover) {
                state |= YControlState::kHighlighted;
            }
            style->DrawTab(drawer, r, m_tabs[static_cast<size_t>(i)], state);
        }
    }
    if (Scrolls()) {
        const YRect back = ArrowRect(false);
        const YRect forward = ArrowRect(true);
        style->DrawControl(drawer, YControlType::kButton, m_first > 0 ? base : YControlState::kDisabled, back);
        style->DrawControl(drawer, YControlType::kButton, base, forward);
        const YColor colour = style->TextColor(YControlType::kButton, base);
        style->DrawIcon(drawer, m_arrowsUpDown ? YStdIcon::kUp : YStdIcon::kLeft, YControlPaint::Inset(back, 3, 3), colour);
        style->DrawIcon(drawer, m_arrowsUpDown ? YStdIcon::kDown : YStdIcon::kRight, YControlPaint::Inset(forward, 3, 3), colour);
    }
}
