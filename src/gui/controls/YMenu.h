// Menus: the item tree (YMenuItem), pop-up menus (YPopupMenu) and the layer that holds the
// open pop-ups above everything else in their window (YMenuLayer).
//
// An open menu lives on a layer that covers its window: a press outside every pop-up closes
// them all, so menus never need a native window of their own. Keys go to the deepest open
// pop-up: Up/Down move over the enabled items, Right opens a submenu, Left and Escape close
// one level, Enter and Space choose. The pointer highlights, rests on a submenu to open it,
// and a release on an item chooses it. A choice fires OnMenu with the item's id and closes
// every menu.
#pragma once

#include "gui/toolkit/YControl.h"

#include <cstdint>
#include <memory>
#include <vector>

class YMenuBar;

struct YMenuItem {
    YString text;
    YString shortcut;     // shown right-aligned ("Ctrl+C")
    int32_t id = 0;       // reported by OnMenu
    int32_t icon = -1;    // a standard icon, -1 for none
    bool enabled = true;
    bool checked = false;
    bool separator = false;
    bool highlight = false; // drawn as the emphasised item (a default choice)
    std::vector<YMenuItem> children;

    YMenuItem& Add(const YString& itemText, int32_t itemId = 0) {
        YMenuItem item;
        item.text = itemText;
        item.id = itemId;
        children.push_back(item);
        return children.back();
    }
    YMenuItem& AddSeparator() {
        YMenuItem item;
        item.separator = true;
        children.push_back(item);
        return children.back();
    }
    bool Selectable() const noexcept { return enabled && !separator; }
};

// Reads <item text= id= icon= shortcut= enabled= checked= highlight=> children, nested, and
// a "|"-separated "items" attribute ("-" is a separator).
void YMenuItemsLoad(YMenuItem& into, const class YXMLItem& element);

class YMenuLayer;

class YPopupMenu : public YControl {
public:
    YPopupMenu(YMenuLayer& layer, const YMenuItem& menu, YPopupMenu* parentMenu);

    bool HandleEvent(YSystemEvent& event) override;
    void Paint(YDrawer& drawer) override;
    void Timer() override;
    void HoverChanged(bool hovered) override;

    const YMenuItem& Menu() const noexcept { return m_menu; }
    int32_t Highlighted() const noexcept { return m_highlighted; }
    void SetHighlighted(int32_t index);
    YPopupMenu* ParentMenu() const noexcept { return m_parentMenu; }
    YPopupMenu* SubMenu() const noexcept { return m_subMenu; }
    // Opens the submenu of an item (closing another one); false for an item without one.
    bool OpenSubMenu(int32_t index, bool highlightFirst);
    void CloseSubMenu();

    // Rows as painted and hit-tested (window coordinates).
    YRect ItemRect(int32_t index);
    int32_t ItemAt(YPoint windowPoint);
    // The size the pop-up takes for its items.
    YSize ContentSize();

    // The time the pointer rests on a submenu item before it opens.
    static constexpr uint32_t kSubMenuDelayMs = 250;

private:
    int32_t RowHeight(int32_t index);
    void Step(int32_t delta);

    YMenuLayer& m_layer;
    YMenuItem m_menu; // a copy: the owner may change its items while the menu is open
    YPopupMenu* m_parentMenu;
    YPopupMenu* m_subMenu = nullptr;
    int32_t m_highlighted = -1;
    int32_t m_pendingSubMenu = -1;
};

class YMenuLayer : public YControl {
public:
    // The window's menu layer (made on first use, the window's last child).
    static YMenuLayer& Of(YControl& anyControlInWindow);

    explicit YMenuLayer(YControl* root);

    bool HandleEvent(YSystemEvent& event) override;
    // Clicks outside the pop-ups land here even where nothing else is.
    bool IsEligible() override { return IsVisible(); }

    // Opens a menu at a window point (kept inside the window) for owner, closing what was
    // open; a choice fires target. avoid is the rectangle the menu must not cover (the title or
    // field that opened it: the menu goes below it, or above when there is no room). The
    // menubar that opened it, if any, hears the pointer over its other titles.
    YPopupMenu* Open(YControl& owner, const YMenuItem& menu, YEvent<YOnMenuParams>& target, YPoint at,
                     const YRect& avoid = YRect::Empty(), YMenuBar* bar = nullptr, bool highlightFirst = false);
    // Opens a submenu beside its row of parent.
    YPopupMenu* OpenSub(YPopupMenu& parent, const YMenuItem& menu, const YRect& row, bool highlightFirst);
    // Closes every pop-up; the focus goes back where it was.
    void CloseAll();
    // Closes menu and its submenus.
    void Close(YPopupMenu& menu);
    bool IsOpen() const noexcept { return !m_open.empty(); }
    YPopupMenu* TopMenu() const noexcept { return m_open.empty() ? nullptr : m_open.front(); }
    YPopupMenu* DeepestMenu() const noexcept { return m_open.empty() ? nullptr : m_open.back(); }
    YMenuBar* Bar() const noexcept { return m_bar; }
    YControl* Owner() const noexcept { return m_owner; }

    // A choice: closes every menu, then fires the target with the item's id.
    void Choose(const YMenuItem& item);
    // A button release at a window point: chooses the item there; false when none.
    bool ReleaseAt(YPoint windowPoint);
    // A pointer move that another control captured (a title held down): the pop-up under
    // the point follows it.
    void PointerAt(YSystemEvent& event);

private:
    YPopupMenu* Place(YPopupMenu* menu, YPoint at, const YRect& avoid);
    void DeleteClosed();
    void DeleteClosedLater();

    std::vector<YPopupMenu*> m_open;   // top menu first
    std::vector<YPopupMenu*> m_closed; // hidden, deleted at the next opening
    YControl* m_owner = nullptr;
    YMenuBar* m_bar = nullptr;
    YEvent<YOnMenuParams>* m_target = nullptr;
    YControl* m_focusBefore = nullptr;
    bool m_deletePosted = false;
};
