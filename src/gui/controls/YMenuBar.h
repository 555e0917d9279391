// A menu bar: titles in a row, each opening its pop-up below. A press on a title opens or
// closes its menu; while one is open the pointer over another title opens that one. Keys
// while the bar has the focus: Left/Right move between titles, Down, Enter or Space open;
// inside an open menu, Left and Right at the top level go to the neighbouring menu.
#pragma once

#include "gui/controls/YMenu.h"

class YMenuBar : public YControl {
public:
    YMenuBar(YControl* parent, const YString& id = YString());

    void Load(const YXMLItem& element) override;
    bool HandleEvent(YSystemEvent& event) override;
    void Paint(YDrawer& drawer) override;
    YSize ComputeMinimalSize() override;
    void HoverChanged(bool hovered) override;

    // The titles are the root's children; each title's children are its menu.
    YMenuItem& Items() noexcept { return m_items; }
    void ItemsChanged();
    int32_t TitleCount() const noexcept { return static_cast<int32_t>(m_items.children.size()); }
    YRect TitleRect(int32_t index);
    int32_t TitleAt(YPoint windowPoint);
    // The title highlighted (by keys or the open menu), -1 for none.
    int32_t Highlighted() const noexcept { return m_highlighted; }
    // Opens the menu of a title (closing another); -1 closes.
    void OpenTitle(int32_t index, bool highlightFirst);
    int32_t OpenedTitle() const noexcept { return m_opened; }

    // Called by the menu layer: the pointer over the bar while a menu is open, a press on it,
    // the menus closed, and Left/Right at the top of an open menu.
    void PointerWhileOpen(YPoint windowPoint);
    void PressWhileOpen(YPoint windowPoint);
    void MenusClosed();
    void StepTitle(int32_t delta);

    // A menu command was chosen (command: the item's id).
    YEvent<YOnMenuParams> OnMenu;

private:
    YMenuItem m_items;
    int32_t m_highlighted = -1;
    int32_t m_opened = -1;
    int32_t m_hover = -1;
};
