// A list of items in rows (and, with "columncount", in several columns read row by row):
// single or multiple selection, check boxes, items the user may move, type-ahead, and a
// scroll bar that shows when the rows do not fit.
//
// Keys: Up/Down (a row), Left/Right (a column, in several columns), Home/End, PageUp/
// PageDown; Shift extends the selection from the anchor, Ctrl moves only the focus and
// Ctrl+Space toggles the focused item; Ctrl+A selects all; Space toggles the checks;
// Alt+Up/Alt+Down move the selected items; Enter activates; a letter jumps to the next item
// starting with it. Mouse: click selects, Ctrl+click toggles, Shift+click selects a range,
// a click on an item's box toggles its check, dragging a selected item moves it (movable
// items), a double-click activates, the wheel scrolls.
#pragma once

#include "gui/controls/YCheckBox.h"
#include "gui/toolkit/YControl.h"

#include <cstdint>
#include <vector>

class YScrollBar;

struct YListBoxItem {
    YString text;
    bool selected = false;
    YCheckBoxState check = YCheckBoxState::kOff;
    int32_t icon = -1;   // a standard icon before the text, -1 for none
    intptr_t data = 0;   // the owner's
};

class YListBox : public YControl {
public:
    YListBox(YControl* parent, const YString& id = YString());

    void Load(const YXMLItem& element) override;
    bool HandleEvent(YSystemEvent& event) override;
    void Paint(YDrawer& drawer) override;
    void Resized() override;
    YSize ComputeMinimalSize() override;
    void HoverChanged(bool hovered) override;

    // Items.
    int32_t Count() const noexcept { return static_cast<int32_t>(m_items.size()); }
    const YListBoxItem& Item(int32_t index) const;
    int32_t AddItem(const YString& text, intptr_t data = 0);
    void InsertItem(int32_t index, const YString& text, intptr_t data = 0);
    void RemoveItem(int32_t index);
    void Clear();
    void SetItemText(int32_t index, const YString& text);
    void SetItemIcon(int32_t index, int32_t icon);
    // Moves an item to another index (the others shift); fires OnItemMove.
    void MoveItem(int32_t from, int32_t to);

    // Selection. The focus is the item the keys move from (-1 when the list is empty).
    int32_t Selected() const noexcept; // the first selected item, -1 for none
    std::vector<int32_t> SelectedItems() const;
    bool IsSelected(int32_t index) const;
    // Selects only this item (-1: nothing) and focuses it.
    void Select(int32_t index);
    // Adds or removes one item from the selection (multi-select only; single: Select).
    void SetSelected(int32_t index, bool selected);
    void SelectRange(int32_t from, int32_t to); // replaces the selection
    void SelectAll();
    int32_t FocusIndex() const noexcept { return m_focus; }

    // Checks.
    YCheckBoxState Check(int32_t index) const;
    void SetCheck(int32_t index, YCheckBoxState check);

    // Options.
    bool IsMultiSelect() const noexcept { return m_multiSelect; }
    void SetMultiSelect(bool multi);
    bool SelectsOnMove() const noexcept { return m_selectOnMove; }
    void SetSelectOnMove(bool on) noexcept { m_selectOnMove = on; }
    bool HasItemChecks() const noexcept { return m_itemChecks; }
    void SetItemChecks(bool on);
    bool AreItemsMovable() const noexcept { return m_itemMovable; }
    void SetItemsMovable(bool on) noexcept { m_itemMovable = on; }
    int32_t ItemHeight();
    void SetItemHeight(int32_t height);
    int32_t ColumnCount();
    void SetColumnCount(int32_t count);
    void SetColumnWidth(int32_t width);
    void SetComputeColumnCount(bool on);
    void SetMinVisibleRows(int32_t rows) noexcept { m_minVisibleRows = rows < 1 ? 1 : rows; }

    // Geometry (window coordinates), as painted and hit-tested.
    int32_t RowCount();
    int32_t FirstVisibleRow() const noexcept { return m_firstRow; }
    int32_t VisibleRows();
    YRect ItemsRect();
    YRect ItemRect(int32_t index);
    YRect CheckRect(int32_t index);
    int32_t ItemAt(YPoint windowPoint);
    // Scrolls so that the item is visible.
    void EnsureVisible(int32_t index);
    void ScrollToRow(int32_t row);
    YScrollBar* ScrollBar() const noexcept { return m_scrollBar; }
    int32_t HoveredItem() const noexcept { return m_hoverItem; }

    // The selection or the focus changed (item: the focus).
    YEvent<YOnItemParams<int32_t>> OnSelectionChange;
    // Enter or a double-click on an item.
    YEvent<YOnItemParams<int32_t>> OnItemActivate;
    // An item's check changed (item: its index).
    YEvent<YOnItemParams<int32_t>> OnItemCheck;
    // An item moved (item: x from, y to).
    YEvent<YOnItemParams<YPoint>> OnItemMove;

private:
    void MoveFocus(int32_t to, uint32_t flags);
    void ToggleChecks();
    void MoveSelected(int32_t delta);
    void SelectionChanged();
    void UpdateScroll();
    void ScrolledByBar(YOnItemParams<int32_t>& params);
    void LoadItems(const YXMLItem& element);

    std::vector<YListBoxItem> m_items;
    int32_t m_focus = -1;
    int32_t m_anchor = -1;
    int32_t m_firstRow = 0;
    int32_t m_hoverItem = -1;
    int32_t m_dragItem = -1; // a movable item being dragged
    bool m_dragMoved = false;
    bool m_dragPlain = false;

    bool m_multiSelect = false;
    bool m_selectOnMove = false;
    bool m_itemChecks = false;
    bool m_itemMovable = false;
    int32_t m_itemHeight = 0; // 0: from the font
    int32_t m_columnCount = 1;
    int32_t m_columnWidth = 0; // 0: the width shared by the columns
    bool m_computeColumnCount = false;
    int32_t m_minVisibleRows = 3;

    YScrollBar* m_scrollBar = nullptr;
};
