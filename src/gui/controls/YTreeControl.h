// A tree of items: expand and collapse, one selected item, check boxes, an optional visible
// root, a scroll bar when the rows do not fit, and children filled only when an item first
// opens (the directory tree lists a folder then).
//
// Keys: Up/Down, Home/End, PageUp/PageDown move the selection over the visible rows; Right
// opens an item or goes to its first child; Left closes it or goes to its parent; "+", "-"
// and "*" open, close and open everything below; Space toggles the check; Enter activates.
// Mouse: a click on the expander toggles, on the box checks, elsewhere selects; a
// double-click toggles and activates; the wheel scrolls.
#pragma once

#include "gui/controls/YCheckBox.h"
#include "gui/toolkit/YControl.h"

#include <cstdint>
#include <memory>
#include <vector>

class YScrollBar;

class YTreeItem {
public:
    explicit YTreeItem(const YString& text = YString(), YTreeItem* parent = nullptr) : text(text), m_parent(parent) {}
    // Frees the subtree without recursion, however deep it is.
    ~YTreeItem();
    YTreeItem(const YTreeItem&) = delete;
    YTreeItem& operator=(const YTreeItem&) = delete;

    YString text;
    int32_t icon = -1;
    intptr_t data = 0;
    YCheckBoxState check = YCheckBoxState::kOff;
    // Shows an expander before the children exist (filled when the item first opens).
    bool mayHaveChildren = false;

    YTreeItem* Parent() const noexcept { return m_parent; }
    int32_t ChildCount() const noexcept { return static_cast<int32_t>(m_children.size()); }
    YTreeItem* Child(int32_t index) const;
    YTreeItem* AddChild(const YString& text);
    void RemoveChildren();
    bool IsExpanded() const noexcept { return m_expanded; }
    bool HasChildren() const noexcept { return !m_children.empty() || mayHaveChildren; }
    int32_t Depth() const noexcept;
    // Whether the children were asked for (the first opening).
    bool WasFilled() const noexcept { return m_filled; }

private:
    friend class YTreeControl;
    YTreeItem* m_parent;
    std::vector<std::unique_ptr<YTreeItem>> m_children;
    bool m_expanded = false;
    bool m_filled = false;
};

class YTreeControl : public YControl {
public:
    YTreeControl(YControl* parent, const YString& id = YString());
    ~YTreeControl() override;

    void Load(const YXMLItem& element) override;
    bool HandleEvent(YSystemEvent& event) override;
    void Paint(YDrawer& drawer) override;
    void Resized() override;
    YSize ComputeMinimalSize() override;

    // The root item (hidden unless "showroot").
    YTreeItem& Root() noexcept { return m_root; }
    bool ShowsRoot() const noexcept { return m_showRoot; }
    void SetShowRoot(bool show);
    bool HasItemChecks() const noexcept { return m_itemChecks; }
    void SetItemChecks(bool on);
    int32_t ItemHeight();
    void SetItemHeight(int32_t height);
    void SetMinVisibleRows(int32_t rows) noexcept { m_minVisibleRows = rows < 1 ? 1 : rows; }

    YTreeItem* Selected() const noexcept { return m_selected; }
    void Select(YTreeItem* item);
    void Expand(YTreeItem& item, bool expand);
    void ExpandAll(YTreeItem& item);
    void SetCheck(YTreeItem& item, YCheckBoxState check);
    // The items changed from outside (added, removed): recount the rows.
    void ItemsChanged();
    // Removes the children of item (the selection moves to item when it was below).
    void RemoveChildren(YTreeItem& item);

    // The visible rows in order (expanded items' children below them).
    const std::vector<YTreeItem*>& Rows();
    int32_t RowOf(const YTreeItem* item);
    int32_t FirstVisibleRow() const noexcept { return m_firstRow; }
    int32_t VisibleRows();
    YRect ItemsRect();
    YRect RowRect(int32_t row);
    YRect ExpanderRect(int32_t row);
    YRect CheckRect(int32_t row);
    int32_t RowAt(YPoint windowPoint);
    void EnsureVisible(const YTreeItem* item);
    void ScrollToRow(int32_t row);
    YScrollBar* ScrollBar() const noexcept { return m_scrollBar; }

    YEvent<YOnItemParams<YTreeItem*>> OnSelectionChange;
    YEvent<YOnItemParams<YTreeItem*>> OnItemActivate;
    YEvent<YOnItemParams<YTreeItem*>> OnItemCheck;
    // An item opens for the first time; handlers may add its children now.
    YEvent<YOnItemParams<YTreeItem*>> OnItemFill;

protected:
    // An item opens for the first time (fires OnItemFill); subclasses fill it here.
    virtual void Fill(YTreeItem& item);

private:
    void RebuildRows();
    void AddRows(YTreeItem& item);
    void UpdateScroll();
    void ScrolledByBar(YOnItemParams<int32_t>& params);
    void LoadItems(YTreeItem& into, const YXMLItem& element);
    int32_t Indent(const YTreeItem* item);

    YTreeItem m_root;
    YTreeItem* m_selected = nullptr;
    std::vector<YTreeItem*> m_rows;
    bool m_rowsValid = false;
    int32_t m_firstRow = 0;
    bool m_showRoot = false;
    bool m_itemChecks = false;
    int32_t m_itemHeight = 0;
    int32_t m_minVisibleRows = 3;
    YScrollBar* m_scrollBar = nullptr;
};
