#include "gui/controls/YListBox.h"

#include "gui/controls/YControlAttributes.h"
#include "gui/controls/YControlPaint.h"
#include "gui/controls/YControlText.h"
#include "gui/controls/YScrollBar.h"

#include <algorithm>

namespace {

constexpr int32_t kBorder = 2;
constexpr int32_t kScrollBarWidth = 14;

char16_t Folded(char16_t c) noexcept { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

} // namespace

YListBox::YListBox(YControl* parent, const YString& id) : YControl(parent, id) {
    SetType(YControlType::kListBox);
    SetFlag(YControlFlag::kTabStop, true);
    SetUpEvents(YControlUpEvents::kLeftUp);
    m_scrollBar = new YScrollBar(this, "scrollbar", true);
    m_scrollBar->SetVisible(false);
    m_scrollBar->OnChange.Add<&YListBox::ScrolledByBar>(this);
}

// ---- definition ----

void YListBox::LoadItems(const YXMLItem& element) {
    using namespace YControlAttributes;
    // <item text="..." check="on" selected="1"/> children, or items="a|b|c".
    for (YXMLItem::Iterator it(element, "item"); it.IsValid(); it.Next()) {
        const YXMLItem& child = it.Get();
        YString text = child.GetText();
        ReadText(child, "text", text);
        const int32_t index = AddItem(text);
        int32_t icon = -1;
        if (ReadInt(child, "icon", icon)) m_items[static_cast<size_t>(index)].icon = icon;
        if (const YString* v = child.FindAttribute("check")) {
            m_items[static_cast<size_t>(index)].check = YCheckBoxStateParse(*v);
        }
        bool selected = false;
        if (ReadFlag(child, "selected", selected) && selected) SetSelected(index, true);
    }
    YString list;
    if (ReadText(element, "items", list)) {
        for (const YString& text : SplitList(list)) AddItem(text);
    }
    if (ReadText(element, "item", list)) AddItem(list);
}

void YListBox::Load(const YXMLItem& element) {
    YControl::Load(element);
    using namespace YControlAttributes;
    bool flag = false;
    if (ReadFlag(element, "multiselect", flag)) SetMultiSelect(flag);
    ReadFlag(element, "selectonmove", m_selectOnMove);
    if (ReadFlag(element, "itemchecks", flag)) SetItemChecks(flag);
    ReadFlag(element, "itemmovable", m_itemMovable);
    int32_t n = 0;
    if (ReadInt(element, "itemheight", n)) SetItemHeight(n);
    if (ReadInt(element, "columncount", n)) SetColumnCount(n);
    if (ReadInt(element, "columnwidth", n)) SetColumnWidth(n);
    if (ReadFlag(element, "computecolumncount", flag)) SetComputeColumnCount(flag);
    if (ReadInt(element, "minvisiblerows", n)) SetMinVisibleRows(n);
    LoadItems(element);
    if (ReadInt(element, "selected", n)) Select(n >= 0 && n < Count() ? n : -1);
    UpdateScroll();
}

// ---- items ----

const YListBoxItem& YListBox::Item(int32_t index) const {
    if (index < 0 || index >= Count()) YRaiseIndexOutOfRange();
    return m_items[static_cast<size_t>(index)];
}

int32_t YListBox::AddItem(const YString& text, intptr_t data) {
    InsertItem(Count(), text, data);
    return Count() - 1;
}

void YListBox::InsertItem(int32_t index, const YString& text, intptr_t data) {
    if (index < 0 || index > Count()) YRaiseIndexOutOfRange();
    YListBoxItem item;
    item.text = text;
    item.data = data;
    m_items.insert(m_items.begin() + index, item);
    if (m_focus >= index) ++m_focus;
    if (m_anchor >= index) ++m_anchor;
    UpdateScroll();
    Repaint();
}

void YListBox::RemoveItem(int32_t index) {
    if (index < 0 || index >= Count()) YRaiseIndexOutOfRange();
    const bool wasSelected = m_items[static_cast<size_t>(index)].selected;
    m_items.erase(m_items.begin() + index);
    if (m_focus > index || m_focus >= Count()) --m_focus;
    if (m_anchor > index || m_anchor >= Count()) --m_anchor;
    if (m_hoverItem >= Count()) m_hoverItem = -1;
    UpdateScroll();
    Repaint();
    if (wasSelected) SelectionChanged();
}

void YListBox::Clear() {
    const bool hadSelection = Selected() >= 0;
    m_items.clear();
    m_focus = m_anchor = m_hoverItem = m_dragItem = -1;
    m_firstRow = 0;
    UpdateScroll();
    Repaint();
    if (hadSelection) SelectionChanged();
}

void YListBox::SetItemText(int32_t index, const YString& text) {
    if (index < 0 || index >= Count()) YRaiseIndexOutOfRange();
    m_items[static_cast<size_t>(index)].text = text;
    Repaint();
}

void YListBox::SetItemIcon(int32_t index, int32_t icon) {
    if (index < 0 || index >= Count()) YRaiseIndexOutOfRange();
    m_items[static_cast<size_t>(index)].icon = icon;
    Repaint();
}

void YListBox::MoveItem(int32_t from, int32_t to) {
    if (from < 0 || from >= Count() || to < 0 || to >= Count()) YRaiseIndexOutOfRange();
    if (from == to) return;
    const YListBoxItem item = m_items[static_cast<size_t>(from)];
    m_items.erase(m_items.begin() + from);
    m_items.insert(m_items.begin() + to, item);
    // The focus and the anchor travel with their items.
    auto follow = [&](int32_t& i) {
        if (i == from) i = to;
        else if (from < i && i <= to) --i;
        else if (to <= i && i < from) ++i;
    };
    follow(m_focus);
    follow(m_anchor);
    Repaint();
    YOnItemParams<YPoint> params{this, YPoint{from, to}};
    OnItemMove.Fire(params);
}

// ---- selection ----

int32_t YListBox::Selected() const noexcept {
    for (int32_t i = 0; i < Count(); ++i) {
        if (m_items[static_cast<size_t>(i)].selected) return i;
    }
    return -1;
}

std::vector<int32_t> YListBox::SelectedItems() const {
    std::vector<int32_t> selected;
    for (int32_t i = 0; i < Count(); ++i) {
        if (m_items[static_cast<size_t>(i)].selected) selected.push_back(i);
    }
    return selected;
}

bool YListBox::IsSelected(int32_t index) const { return Item(index).selected; }

void YListBox::SelectionChanged() {
    Repaint();
    YOnItemParams<int32_t> params{this, m_focus};
    OnSelectionChange.Fire(params);
}

void YListBox::Select(int32_t index) {
    if (index < -1 || index >= Count()) YRaiseIndexOutOfRange();
    bool changed = false;
    for (int32_t i = 0; i < Count(); ++i) {
        const bool want = i == index;
        if (m_items[static_cast<size_t>(i)].selected != want) {
            m_items[static_cast<size_t>(i)].selected = want;
            changed = true;
        }
    }
    const bool moved = m_focus != index && index >= 0;
    if (index >= 0) {
        m_focus = index;
        m_anchor = index;
        EnsureVisible(index);
    }
    if (changed || moved) SelectionChanged();
}

void YListBox::SetSelected(int32_t index, bool selected) {
    if (index < 0 || index >= Count()) YRaiseIndexOutOfRange();
    if (!m_multiSelect) {
        if (selected) Select(index);
        else if (m_items[static_cast<size_t>(index)].selected) Select(-1);
        return;
    }
    if (m_items[static_cast<size_t>(index)].selected == selected) return;
    m_items[static_cast<size_t>(index)].selected = selected;
    SelectionChanged();
}

void YListBox::SelectRange(int32_t from, int32_t to) {
    if (!m_multiSelect) {
        Select(to);
        return;
    }
    if (from < 0 || from >= Count() || to < 0 || to >= Count()) YRaiseIndexOutOfRange();
    const int32_t lo = std::min(from, to);
    const int32_t hi = std::max(from, to);
    for (int32_t i = 0; i < Count(); ++i) m_items[static_cast<size_t>(i)].selected = i >= lo && i <= hi;
    m_focus = to;
    EnsureVisible(to);
    SelectionChanged();
}

void YListBox::SelectAll() {
    if (!m_multiSelect || Count() == 0) return;
    for (YListBoxItem& item : m_items) item.selected = true;
    SelectionChanged();
}

// ---- checks ----

YCheckBoxState YListBox::Check(int32_t index) const { return Item(index).check; }

void YListBox::SetCheck(int32_t index, YCheckBoxState check) {
    if (index < 0 || index >= Count()) YRaiseIndexOutOfRange();
    YListBoxItem& item = m_items[static_cast<size_t>(index)];
    if (item.check == check) return;
    item.check = check;
    Repaint();
    YOnItemParams<int32_t> params{this, index};
    OnItemCheck.Fire(params);
}

void YListBox::ToggleChecks() {
    if (!m_itemChecks) return;
    std::vector<int32_t> targets = SelectedItems();
    if (targets.empty() && m_focus >= 0) targets.push_back(m_focus);
    if (targets.empty()) return;
    // All take the state opposite to the first one's, so a mixed selection becomes uniform.
    const YCheckBoxState next =
        Check(targets.front()) == YCheckBoxState::kOn ? YCheckBoxState::kOff : YCheckBoxState::kOn;
    for (int32_t i : targets) SetCheck(i, next);
}

// ---- options ----

void YListBox::SetMultiSelect(bool multi) {
    m_multiSelect = multi;
    if (!multi) {
        const int32_t first = Selected();
        if (first >= 0 && SelectedItems().size() > 1) Select(first);
    }
}

void YListBox::SetItemChecks(bool on) {
    m_itemChecks = on;
    Repaint();
}

int32_t YListBox::ItemHeight() {
    if (m_itemHeight > 0) return m_itemHeight;
    return YControlText::LineHeight(*this) + 4;
}

void YListBox::SetItemHeight(int32_t height) {
    m_itemHeight = std::clamp(height, 0, 4096);
    UpdateScroll();
    Repaint();
}

void YListBox::SetColumnCount(int32_t count) {
    m_columnCount = std::clamp(count, 1, 1024);
    UpdateScroll();
    Repaint();
}

void YListBox::SetColumnWidth(int32_t width) {
    m_columnWidth = std::clamp(width, 0, 1 << 20);
    UpdateScroll();
    Repaint();
}

void YListBox::SetComputeColumnCount(bool on) {
    m_computeColumnCount = on;
    UpdateScroll();
    Repaint();
}

int32_t YListBox::ColumnCount() {
    if (m_computeColumnCount && m_columnWidth > 0) return std::max(1, ItemsRect().Width() / m_columnWidth);
    return m_columnCount;
}

// ---- geometry ----

int32_t YListBox::RowCount() {
    const int32_t columns = ColumnCount();
    return (Count() + columns - 1) / columns;
}

YRect YListBox::ItemsRect() {
    const YRect r = WindowRect();
    YRect items{r.left + kBorder, r.top + kBorder, r.right - kBorder, r.bottom - kBorder};
    if (m_scrollBar->IsVisible()) items.right -= kScrollBarWidth;
    return items;
}

int32_t YListBox::VisibleRows() { return std::max(1, ItemsRect().Height() / std::max(ItemHeight(), 1)); }

YRect YListBox::ItemRect(int32_t index) {
    const YRect items = ItemsRect();
    const int32_t columns = ColumnCount();
    const int32_t width = m_columnWidth > 0 ? m_columnWidth : items.Width() / columns;
    const int32_t row = index / columns - m_firstRow;
    const int32_t column = index % columns;
    return YRect::FromSize(items.left + column * width, items.top + row * ItemHeight(), width, ItemHeight());
}

YRect YListBox::CheckRect(int32_t index) {
    if (!m_itemChecks) return YRect::Empty();
    const YRect item = ItemRect(index);
    const int32_t size = std::min(item.Height() - 4, 14);
    return YRect::FromSize(item.left + 3, item.top + (item.Height() - size) / 2, size, size);
}

int32_t YListBox::ItemAt(YPoint p) {
    const YRect items = ItemsRect();
    if (!items.Contains(p)) return -1;
    const int32_t columns = ColumnCount();
    const int32_t width = std::max(1, m_columnWidth > 0 ? m_columnWidth : items.Width() / columns);
    const int32_t column = (p.x - items.left) / width;
    if (column >= columns) return -1;
    const int32_t row = m_firstRow + (p.y - items.top) / std::max(ItemHeight(), 1);
    const int32_t index = row * columns + column;
    return index < Count() ? index : -1;
}

void YListBox::ScrollToRow(int32_t row) {
    const int32_t last = std::max(0, RowCount() - VisibleRows());
    row = std::clamp(row, 0, last);
    if (row == m_firstRow) return;
    m_firstRow = row;
    m_scrollBar->SetValue(row);
    Repaint();
}

void YListBox::EnsureVisible(int32_t index) {
    if (index < 0 || index >= Count()) return;
    const int32_t row = index / ColumnCount();
    if (row < m_firstRow) ScrollToRow(row);
    else if (row >= m_firstRow + VisibleRows()) ScrollToRow(row - VisibleRows() + 1);
}

void YListBox::UpdateScroll() {
    const YRect r = WindowRect();
    // First without the bar; it shows only when the rows do not fit.
    m_scrollBar->SetVisible(false);
    const bool needed = RowCount() > VisibleRows();
    m_scrollBar->SetVisible(needed);
    const YPoint origin = Position();
    (void)origin;
    m_scrollBar->SetPosition(r.Width() - kBorder - kScrollBarWidth, kBorder);
    m_scrollBar->SetSize(kScrollBarWidth, std::max(0, r.Height() - 2 * kBorder));
    m_scrollBar->SetRange(0, RowCount(), VisibleRows());
    ScrollToRow(m_firstRow);
}

void YListBox::ScrolledByBar(YOnItemParams<int32_t>& params) {
    if (params.item == m_firstRow) return;
    m_firstRow = params.item;
    Repaint();
}

void YListBox::Resized() { UpdateScroll(); }

YSize YListBox::ComputeMinimalSize() {
    YSize size = YControl::ComputeMinimalSize();
    size.y = std::max(size.y, m_minVisibleRows * ItemHeight() + 2 * kBorder);
    size.x = std::max(size.x, 4 * ItemHeight() + 2 * kBorder + kScrollBarWidth);
    return size;
}

void YListBox::HoverChanged(bool hovered) {
    if (!hovered && m_hoverItem >= 0) {
        m_hoverItem = -1;
        Repaint();
    }
}

// ---- input ----

void YListBox::MoveFocus(int32_t to, uint32_t flags) {
    if (Count() == 0) return;
    to = std::clamp(to, 0, Count() - 1);
    const bool shift = (flags & YEventFlag::kShift) != 0;
    const bool ctrl = (flags & YEventFlag::kCtrl) != 0;
    if (m_multiSelect && shift) {
        SelectRange(m_anchor >= 0 ? m_anchor : to, to);
    } else if (m_multiSelect && ctrl) {
        m_focus = to;
        EnsureVisible(to);
        SelectionChanged();
    } else {
        Select(to);
    }
}

void YListBox::MoveSelected(int32_t delta) {
    if (!m_itemMovable) return;
    std::vector<int32_t> selected = SelectedItems();
    if (selected.empty()) return;
    // The block stops at the ends; items keep their order among themselves.
    if (delta < 0 && selected.front() == 0) return;
    if (delta > 0 && selected.back() == Count() - 1) return;
    if (delta > 0) std::reverse(selected.begin(), selected.end());
    for (int32_t i : selected) MoveItem(i, i + delta);
    EnsureVisible(m_focus);
}

bool YListBox::HandleEvent(YSystemEvent& event) {
    const int32_t columns = ColumnCount();
    switch (event.code) {
    case YEventCode::kKeyDown: {
        const uint32_t f = event.flags;
        const bool alt = (f & YEventFlag::kAlt) != 0;
        // Without a focus the first item is where the keys start.
        const int32_t focus = m_focus < 0 ? 0 : m_focus;
        const bool none = m_focus < 0;
        const int32_t page = std::max(1, VisibleRows() - 1) * columns;
        switch (event.keyCode) {
        case YKey::kUp:
            if (alt) MoveSelected(-1);
            else MoveFocus(none ? 0 : focus - columns, f);
            return true;
        case YKey::kDown:
            if (alt) MoveSelected(1);
            else MoveFocus(none ? 0 : focus + columns, f);
            return true;
        case YKey::kLeft:
            if (columns == 1) return false;
            MoveFocus(focus - 1, f);
            return true;
        case YKey::kRight:
            if (columns == 1) return false;
            MoveFocus(focus + 1, f);
            return true;
        case YKey::kHome: MoveFocus(0, f); return true;
        case YKey::kEnd: MoveFocus(Count() - 1, f); return true;
        case YKey::kPrior: MoveFocus(focus - page, f); return true;
        case YKey::kNext: MoveFocus(focus + page, f); return true;
        case YKey::kSpace:
            if (m_multiSelect && (f & YEventFlag::kCtrl) != 0 && m_focus >= 0) {
                SetSelected(m_focus, !IsSelected(m_focus));
                m_anchor = m_focus;
            } else {
                ToggleChecks();
            }
            return true;
        case YKey::kReturn:
            if (m_focus < 0) return false;
            {
                YOnItemParams<int32_t> params{this, m_focus};
                OnItemActivate.Fire(params);
            }
            return true;
        case 'A':
            if ((f & YEventFlag::kCtrl) == 0 || !m_multiSelect) return false;
            SelectAll();
            return true;
        default:
            return false;
        }
    }
    case YEventCode::kCharacter: {
        if (event.character <= 32 || Count() == 0) return false;
        const char16_t c = Folded(static_cast<char16_t>(event.character));
        for (int32_t step = 1; step <= Count(); ++step) {
            const int32_t i = (std::max(m_focus, -1) + step) % Count();
            const YString& text = m_items[static_cast<size_t>(i)].text;
            if (!text.IsEmpty() && Folded(text[0]) == c) {
                Select(i);
                return true;
            }
        }
        return true;
    }
    case YEventCode::kLeftDown: {
        const int32_t index = ItemAt(event.point);
        if (index < 0) return true;
        if (CheckRect(index).Contains(event.point)) {
            SetCheck(index, Check(index) == YCheckBoxState::kOn ? YCheckBoxState::kOff : YCheckBoxState::kOn);
            return true;
        }
        const bool ctrl = (event.flags & YEventFlag::kCtrl) != 0;
        const bool shift = (event.flags & YEventFlag::kShift) != 0;
        if (m_multiSelect && ctrl) {
            m_focus = index;
            m_anchor = index;
            SetSelected(index, !IsSelected(index));
        } else if (m_multiSelect && shift) {
            SelectRange(m_anchor >= 0 ? m_anchor : index, index);
        } else if (!(m_itemMovable && IsSelected(index) && m_multiSelect)) {
            // A press on a selected movable item keeps the selection, to drag it.
            Select(index);
        } else {
            m_focus = index;
        }
        m_dragItem = m_itemMovable ? index : -1;
        m_dragMoved = false;
        m_dragPlain = !ctrl && !shift;
        return true;
    }
    case YEventCode::kLeftDoubleClick: {
        const int32_t index = ItemAt(event.point);
        if (index < 0 || CheckRect(index).Contains(event.point)) return false;
        Select(index);
        YOnItemParams<int32_t> params{this, index};
        OnItemActivate.Fire(params);
        return true;
    }
    case YEventCode::kMouseMove: {
        const int32_t index = ItemAt(event.point);
        if (m_dragItem >= 0 && HasCapture()) {
            if (index >= 0 && index != m_dragItem) {
                MoveItem(m_dragItem, index);
                m_dragItem = index;
                m_dragMoved = true;
                EnsureVisible(index);
            }
            return true;
        }
        if (index != m_hoverItem) {
            m_hoverItem = index;
            Repaint();
            if (m_selectOnMove && index >= 0 && !HasCapture()) Select(index);
        }
        return false;
    }
    case YEventCode::kLeftUp:
        // A plain click on one of several selected items that did not drag selects it alone.
        if (m_dragItem >= 0 && !m_dragMoved && m_dragPlain && SelectedItems().size() > 1) Select(m_dragItem);
        m_dragItem = -1;
        return true;
    case YEventCode::kWheel:
        ScrollToRow(m_firstRow - event.extra * YScrollBar::kWheelSteps / 120);
        return true;
    default:
        return false;
    }
}

// ---- painting ----

void YListBox::Paint(YDrawer& drawer) {
    YStyle* style = YStyleOf(*this);
    if (style == nullptr) return;
    const uint32_t base = YControlStateOf(*this) & ~(YControlState::kClicked | YControlState::kHighlighted);
    style->DrawControl(drawer, YControlType::kListBox, base, WindowRect());
    const YRect items = ItemsRect();
    YControlPaint::ClipTo clip(drawer, items);
    if (clip.IsEmpty()) return;
    const int32_t columns = ColumnCount();
    const int32_t first = m_firstRow * columns;
    const int32_t last = std::min(Count(), (m_firstRow + VisibleRows() + 1) * columns);
    const YStdFont font = YControlPaint::FontOf(*this);
    for (int32_t i = first; i < last; ++i) {
        const YListBoxItem& item = m_items[static_cast<size_t>(i)];
        const YRect r = ItemRect(i);
        uint32_t state = base & YControlState::kDisabled;
        if (item.selected) state |= YControlState::kSelected;
        if (i == m_hoverItem) state |= YControlState::kHighlighted;
        if (i == m_focus && HasFocus()) state |= YControlState::kFocused;
        style->DrawItem(drawer, r, state);
        int32_t x = r.left + style->ScaleX(4);
        if (m_itemChecks) {
            const YRect box = CheckRect(i);
            style->DrawCheckBox(drawer, box, item.check, state & YControlState::kDisabled);
            x = box.right + 1 + style->ScaleX(4);
        }
        if (item.icon >= 0 && item.icon < kStdIconCount) {
            const YSize icon = style->IconSize();
            style->DrawIcon(drawer, static_cast<YStdIcon>(item.icon),
                            YRect::FromSize(x, r.top + (r.Height() - icon.y) / 2, icon.x, icon.y),
                            style->TextColor(YControlType::kListBox, state));
            x += icon.x + style->ScaleX(4);
        }
        style->DrawText(drawer, {x, r.top, r.right - 2, r.bottom}, item.text, font, YStdColor::kText,
                        kAlignLeft | kAlignVCenter, state);
    }
}
