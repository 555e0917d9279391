#include "gui/controls/YTreeControl.h"

#include "gui/controls/YControlAttributes.h"
#include "gui/controls/YControlPaint.h"
#include "gui/controls/YControlText.h"
#include "gui/controls/YScrollBar.h"

#include <algorithm>
#include <utility>

namespace {
constexpr int32_t kBorder = 2;
constexpr int32_t kScrollBarWidth = 14;
} // namespace

// ---- YTreeItem ----

YTreeItem::~YTreeItem() { RemoveChildren(); }

YTreeItem* YTreeItem::Child(int32_t index) const {
    if (index < 0 || index >= ChildCount()) YRaiseIndexOutOfRange();
    return m_children[static_cast<size_t>(index)].get();
}

YTreeItem* YTreeItem::AddChild(const YString& childText) {
    m_children.push_back(std::make_unique<YTreeItem>(childText, this));
    return m_children.back().get();
}

void YTreeItem::RemoveChildren() {
    // Grandchildren move into a flat list before their parents go, so no destructor recurses.
    std::vector<std::unique_ptr<YTreeItem>> pending = std::move(m_children);
    m_children.clear();
    while (!pending.empty()) {
        std::unique_ptr<YTreeItem> item = std::move(pending.back());
        pending.pop_back();
        for (auto& child : item->m_children) pending.push_back(std::move(child));
        item->m_children.clear();
    }
}

int32_t YTreeItem::Depth() const noexcept {
    int32_t depth = 0;
    for (const YTreeItem* p = m_parent; p != nullptr; p = p->m_parent) ++depth;
    return depth;
}

// ---- YTreeControl ----

YTreeControl::YTreeControl(YControl* parent, const YString& id) : YControl(parent, id) {
    SetType(YControlType::kTreeControl);
    SetFlag(YControlFlag::kTabStop, true);
    m_root.m_expanded = true;
    m_root.m_filled = true;
    m_scrollBar = new YScrollBar(this, "scrollbar", true);
    m_scrollBar->SetVisible(false);
    m_scrollBar->OnChange.Add<&YTreeControl::ScrolledByBar>(this);
}

YTreeControl::~YTreeControl() = default;

void YTreeControl::LoadItems(YTreeItem& into, const YXMLItem& element) {
    // Iterative: a definition may nest items arbitrarily deep.
    std::vector<std::pair<YTreeItem*, const YXMLItem*>> pending{{&into, &element}};
    while (!pending.empty()) {
        auto [target, source] = pending.back();
        pending.pop_back();
        for (YXMLItem::Iterator it(*source, "item"); it.IsValid(); it.Next()) {
            const YXMLItem& child = it.Get();
            YString text = child.GetText();
            YControlAttributes::ReadText(child, "text", text);
            YTreeItem* item = target->AddChild(text);
            YControlAttributes::ReadInt(child, "icon", item->icon);
            if (const YString* v = child.FindAttribute("check")) {
                item->check = YCheckBoxStateParse(*v);
            }
            bool expanded = false;
            if (YControlAttributes::ReadFlag(child, "expanded", expanded)) item->m_expanded = expanded;
            item->m_filled = true;
            pending.push_back({item, &child});
        }
    }
}

void YTreeControl::Load(const YXMLItem& element) {
    YControl::Load(element);
    using namespace YControlAttributes;
    bool flag = false;
    if (ReadFlag(element, "showroot", flag)) SetShowRoot(flag);
    if (ReadFlag(element, "itemchecks", flag)) SetItemChecks(flag);
    int32_t n = 0;
    if (ReadInt(element, "itemheight", n)) SetItemHeight(n);
    if (ReadInt(element, "minvisiblerows", n)) SetMinVisibleRows(n);
    YString rootText;
    if (ReadText(element, "text", rootText)) m_root.text = rootText;
    LoadItems(m_root, element);
    ItemsChanged();
}

void YTreeControl::SetShowRoot(bool show) {
    m_showRoot = show;
    ItemsChanged();
}

void YTreeControl::SetItemChecks(bool on) {
    m_itemChecks = on;
    Repaint();
}

int32_t YTreeControl::ItemHeight() {
    if (m_itemHeight > 0) return m_itemHeight;
    return YControlText::LineHeight(*this) + 4;
}

void YTreeControl::SetItemHeight(int32_t height) {
    m_itemHeight = std::clamp(height, 0, 4096);
    ItemsChanged();
}

// ---- rows ----

void YTreeControl::AddRows(YTreeItem& top) {
    // Depth first without recursion.
    std::vector<YTreeItem*> stack{&top};
    while (!stack.empty()) {
        YTreeItem* item = stack.back();
        stack.pop_back();
        m_rows.push_back(item);
        if (!item->m_expanded) continue;
        for (auto it = item->m_children.rbegin(); it != item->m_children.rend(); ++it) stack.push_back(it->get());
    }
}

void YTreeControl::RebuildRows() {
    m_rows.clear();
    if (m_showRoot) {
        AddRows(m_root);
    } else {
        for (auto& child : m_root.m_children) AddRows(*child);
    }
    m_rowsValid = true;
}

const std::vector<YTreeItem*>& YTreeControl::Rows() {
    if (!m_rowsValid) RebuildRows();
    return m_rows;
}

int32_t YTreeControl::RowOf(const YTreeItem* item) {
    const std::vector<YTreeItem*>& rows = Rows();
    auto it = std::find(rows.begin(), rows.end(), item);
    return it == rows.end() ? -1 : static_cast<int32_t>(it - rows.begin());
}

void YTreeControl::ItemsChanged() {
    m_rowsValid = false;
    // A selection that is no longer in the tree is dropped.
    if (m_selected != nullptr) {
        const YTreeItem* p = m_selected;
        while (p != nullptr && p != &m_root) p = p->Parent();
        if (p == nullptr) m_selected = nullptr;
    }
    UpdateScroll();
    Repaint();
}

void YTreeControl::RemoveChildren(YTreeItem& item) {
    for (const YTreeItem* p = m_selected; p != nullptr; p = p->Parent()) {
        if (p->Parent() == &item) {
            m_selected = &item == &m_root ? nullptr : &item;
            break;
        }
    }
    item.RemoveChildren();
    ItemsChanged();
}

// ---- state ----

void YTreeControl::Select(YTreeItem* item) {
    if (item == m_selected) return;
    // Selecting a hidden item opens its ancestors.
    for (YTreeItem* p = item != nullptr ? item->Parent() : nullptr; p != nullptr; p = p->Parent()) {
        if (!p->m_expanded) Expand(*p, true);
    }
    m_selected = item;
    EnsureVisible(item);
    Repaint();
    YOnItemParams<YTreeItem*> params{this, item};
    OnSelectionChange.Fire(params);
}

void YTreeControl::Fill(YTreeItem& item) {
    YOnItemParams<YTreeItem*> params{this, &item};
    OnItemFill.Fire(params);
}

void YTreeControl::Expand(YTreeItem& item, bool expand) {
    if (item.m_expanded == expand) return;
    if (!expand && &item == &m_root && !m_showRoot) return; // the hidden root stays open
    if (expand && !item.m_filled) {
        item.m_filled = true;
        Fill(item);
    }
    item.m_expanded = expand;
    // Closing an item above the selection moves the selection to it.
    if (!expand) {
        for (const YTreeItem* p = m_selected != nullptr ? m_selected->Parent() : nullptr; p != nullptr; p = p->Parent()) {
            if (p == &item) {
                m_rowsValid = false;
                Select(&item);
                break;
            }
        }
    }
    ItemsChanged();
}

void YTreeControl::ExpandAll(YTreeItem& top) {
    std::vector<YTreeItem*> stack{&top};
    while (!stack.empty()) {
        YTreeItem* item = stack.back();
        stack.pop_back();
        if (item->HasChildren()) Expand(*item, true);
        for (auto& child : item->m_children) stack.push_back(child.get());
    }
}

void YTreeControl::SetCheck(YTreeItem& item, YCheckBoxState check) {
    if (item.check == check) return;
    item.check = check;
    Repaint();
    YOnItemParams<YTreeItem*> params{this, &item};
    OnItemCheck.Fire(params);
}

// ---- geometry ----

YRect YTreeControl::ItemsRect() {
    const YRect r = WindowRect();
    YRect items{r.left + kBorder, r.top + kBorder, r.right - kBorder, r.bottom - kBorder};
    if (m_scrollBar->IsVisible()) items.right -= kScrollBarWidth;
    return items;
}

int32_t YTreeControl::VisibleRows() { return std::max(1, ItemsRect().Height() / std::max(ItemHeight(), 1)); }

int32_t YTreeControl::Indent(const YTreeItem* item) {
    // Top-level rows start at the left; each level adds one row height.
    const int32_t level = item->Depth() - (m_showRoot ? 0 : 1);
    return std::max(level, 0) * ItemHeight();
}

YRect YTreeControl::RowRect(int32_t row) {
    const YRect items = ItemsRect();
    const int32_t h = ItemHeight();
    return {items.left, items.top + (row - m_firstRow) * h, items.right, items.top + (row - m_firstRow + 1) * h - 1};
}

YRect YTreeControl::ExpanderRect(int32_t row) {
    const std::vector<YTreeItem*>& rows = Rows();
    if (row < 0 || row >= static_cast<int32_t>(rows.size()) || !rows[static_cast<size_t>(row)]->HasChildren()) {
        return YRect::Empty();
    }
    const YRect r = RowRect(row);
    return YRect::FromSize(r.left + Indent(rows[static_cast<size_t>(row)]), r.top, r.Height(), r.Height());
}

YRect YTreeControl::CheckRect(int32_t row) {
    const std::vector<YTreeItem*>& rows = Rows();
    if (!m_itemChecks || row < 0 || row >= static_cast<int32_t>(rows.size())) return YRect::Empty();
    const YRect r = RowRect(row);
    const int32_t size = std::min(r.Height() - 4, 14);
    const int32_t x = r.left + Indent(rows[static_cast<size_t>(row)]) + r.Height();
    return YRect::FromSize(x, r.top + (r.Height() - size) / 2, size, size);
}

int32_t YTreeControl::RowAt(YPoint p) {
    const YRect items = ItemsRect();
    if (!items.Contains(p)) return -1;
    const int32_t row = m_firstRow + (p.y - items.top) / std::max(ItemHeight(), 1);
    return row < static_cast<int32_t>(Rows().size()) ? row : -1;
}

void YTreeControl::ScrollToRow(int32_t row) {
    const int32_t last = std::max(0, static_cast<int32_t>(Rows().size()) - VisibleRows());
    row = std::clamp(row, 0, last);
    if (row == m_firstRow) return;
    m_firstRow = row;
    m_scrollBar->SetValue(row);
    Repaint();
}

void YTreeControl::EnsureVisible(const YTreeItem* item) {
    const int32_t row = RowOf(item);
    if (row < 0) return;
    if (row < m_firstRow) ScrollToRow(row);
    else if (row >= m_firstRow + VisibleRows()) ScrollToRow(row - VisibleRows() + 1);
}

void YTreeControl::UpdateScroll() {
    const YRect r = WindowRect();
    const int32_t rows = static_cast<int32_t>(Rows().size());
    m_scrollBar->SetVisible(false);
    m_scrollBar->SetVisible(rows > VisibleRows());
    m_scrollBar->SetPosition(r.Width() - kBorder - kScrollBarWidth, kBorder);
    m_scrollBar->SetSize(kScrollBarWidth, std::max(0, r.Height() - 2 * kBorder));
    m_scrollBar->SetRange(0, rows, VisibleRows());
    const int32_t first = m_firstRow;
    m_firstRow = -1; // ScrollToRow clamps and always applies
    ScrollToRow(first);
}

void YTreeControl::ScrolledByBar(YOnItemParams<int32_t>& params) {
    if (params.item == m_firstRow) return;
    m_firstRow = params.item;
    Repaint();
}

void YTreeControl::Resized() { UpdateScroll(); }

YSize YTreeControl::ComputeMinimalSize() {
    YSize size = YControl::ComputeMinimalSize();
    size.y = std::max(size.y, m_minVisibleRows * ItemHeight() + 2 * kBorder);
    size.x = std::max(size.x, 6 * ItemHeight() + 2 * kBorder + kScrollBarWidth);
    return size;
}

// ---- input ----

bool YTreeControl::HandleEvent(YSystemEvent& event) {
    const std::vector<YTreeItem*>& rows = Rows();
    const int32_t count = static_cast<int32_t>(rows.size());
    const int32_t current = RowOf(m_selected);
    auto selectRow = [&](int32_t row) {
        if (count == 0) return;
        Select(Rows()[static_cast<size_t>(std::clamp(row, 0, count - 1))]);
    };
    switch (event.code) {
    case YEventCode::kKeyDown:
        switch (event.keyCode) {
        case YKey::kUp: selectRow(current < 0 ? 0 : current - 1); return true;
        case YKey::kDown: selectRow(current < 0 ? 0 : current + 1); return true;
        case YKey::kHome: selectRow(0); return true;
        case YKey::kEnd: selectRow(count - 1); return true;
        case YKey::kPrior: selectRow(std::max(current, 0) - std::max(1, VisibleRows() - 1)); return true;
        case YKey::kNext: selectRow(std::max(current, 0) + std::max(1, VisibleRows() - 1)); return true;
        case YKey::kRight:
            if (m_selected == nullptr) return false;
            if (m_selected->HasChildren() && !m_selected->IsExpanded()) Expand(*m_selected, true);
            else if (m_selected->ChildCount() > 0) Select(m_selected->Child(0));
            return true;
        case YKey::kLeft:
            if (m_selected == nullptr) return false;
            if (m_selected->IsExpanded() && m_selected->HasChildren() && (m_selected != &m_root || m_showRoot)) {
                Expand(*m_selected, false);
            } else if (m_selected->Parent() != nullptr && (m_selected->Parent() != &m_root || m_showRoot)) {
                Select(m_selected->Parent());
            }
            return true;
        case YKey::kSpace:
            if (!m_itemChecks || m_selected == nullptr) return false;
            SetCheck(*m_selected, m_selected->check == YCheckBoxState::kOn ? YCheckBoxState::kOff : YCheckBoxState::kOn);
            return true;
        case YKey::kReturn: {
            if (m_selected == nullptr) return false;
            YOnItemParams<YTreeItem*> params{this, m_selected};
            OnItemActivate.Fire(params);
            return true;
        }
        default:
            return false;
        }
    case YEventCode::kCharacter:
        if (m_selected == nullptr) return false;
        if (event.character == '+') Expand(*m_selected, true);
        else if (event.character == '-') Expand(*m_selected, false);
        else if (event.character == '*') ExpandAll(*m_selected);
        else return false;
        return true;
    case YEventCode::kLeftDown: {
        const int32_t row = RowAt(event.point);
        if (row < 0) return true;
        YTreeItem* item = rows[static_cast<size_t>(row)];
        if (ExpanderRect(row).Contains(event.point)) {
            Expand(*item, !item->IsExpanded());
        } else if (CheckRect(row).Contains(event.point)) {
            SetCheck(*item, item->check == YCheckBoxState::kOn ? YCheckBoxState::kOff : YCheckBoxState::kOn);
        } else {
            Select(item);
        }
        return true;
    }
    case YEventCode::kLeftDoubleClick: {
        const int32_t row = RowAt(event.point);
        if (row < 0 || ExpanderRect(row).Contains(event.point) || CheckRect(row).Contains(event.point)) return false;
        YTreeItem* item = rows[static_cast<size_t>(row)];
        Select(item);
        if (item->HasChildren()) Expand(*item, !item->IsExpanded());
        YOnItemParams<YTreeItem*> params{this, item};
        OnItemActivate.Fire(params);
        return true;
    }
    case YEventCode::kWheel:
        ScrollToRow(m_firstRow - event.extra * YScrollBar::kWheelSteps / 120);
        return true;
    default:
        return false;
    }
}

// ---- painting ----

void YTreeControl::Paint(YDrawer& drawer) {
    YStyle* style = YStyleOf(*this);
    if (style == nullptr) return;
    const uint32_t base = YControlStateOf(*this) & ~(YControlState::kClicked | YControlState::kHighlighted);
    style->DrawControl(drawer, YControlType::kTreeControl, base, WindowRect());
    YControlPaint::ClipTo clip(drawer, ItemsRect());
    if (clip.IsEmpty()) return;
    const std::vector<YTreeItem*>& rows = Rows();
    const int32_t last = std::min(static_cast<int32_t>(rows.size()), m_firstRow + VisibleRows() + 1);
    const YStdFont font = YControlPaint::FontOf(*this);
    for (int32_t row = m_firstRow; row < last; ++row) {
        const YTreeItem* item = rows[static_cast<size_t>(row)];
        const YRect r = RowRect(row);
        uint32_t state = base & YControlState::kDisabled;
        if (item == m_selected) {
            state |= YControlState::kSelected;
            if (HasFocus()) state |= YControlState::kFocused;
        }
        int32_t x = r.left + Indent(item);
        style->DrawItem(drawer, {x + r.Height(), r.top, r.right, r.bottom}, state);
        if (item->HasChildren()) style->DrawExpander(drawer, ExpanderRect(row), item->IsExpanded(), state & YControlState::kDisabled);
        x += r.Height();
        if (m_itemChecks) {
            const YRect box = CheckRect(row);
            style->DrawCheckBox(drawer, box, item->check, state & YControlState::kDisabled);
            x = box.right + 1;
        }
        x += style->ScaleX(3);
        if (item->icon >= 0 && item->icon < kStdIconCount) {
            const YSize icon = style->IconSize();
            style->DrawIcon(drawer, static_cast<YStdIcon>(item->icon),
                            YRect::FromSize(x, r.top + (r.Height() - icon.y) / 2, icon.x, icon.y),
                            style->TextColor(YControlType::kTreeControl, state));
            x += icon.x + style->ScaleX(4);
        }
        style->DrawText(drawer, {x, r.top, r.right - 2, r.bottom}, item->text, font, YStdColor::kText,
                        kAlignLeft | kAlignVCenter, state);
    }
}
