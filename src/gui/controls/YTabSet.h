// A row of tabs, one of them current. A click or the wheel picks a tab; Left/Right, Home/End
// (and Ctrl+PageUp/PageDown) do when the tab set has the focus. Tabs that do not fit scroll
// behind two arrow buttons at the right end, unless "fitallbuttons" shares the width among
// all tabs. With pages (a control whose children are the pages, "pages" names it by id) the
// current tab's page is shown and the others hidden.
#pragma once

#include "gui/toolkit/YControl.h"

#include <vector>

class YTabSet : public YControl {
public:
    YTabSet(YControl* parent, const YString& id = YString());

    void Load(const YXMLItem& element) override;
    bool HandleEvent(YSystemEvent& event) override;
    void Paint(YDrawer& drawer) override;
    YSize ComputeMinimalSize() override;
    void HoverChanged(bool hovered) override;
    void Resized() override;

    int32_t Count() const noexcept { return static_cast<int32_t>(m_tabs.size()); }
    const YString& Tab(int32_t index) const;
    int32_t AddTab(const YString& text);
    void RemoveTab(int32_t index);
    int32_t Current() const noexcept { return m_current; }
    // Makes a tab current (clamped; -1 only for an empty set), shows its page, fires OnChange.
    void SetCurrent(int32_t index);

    bool FitsAllButtons() const noexcept { return m_fitAll; }
    void SetFitAllButtons(bool fit);
    // A fixed width for every tab (0: each as wide as its text).
    void SetTabWidth(int32_t width);
    void SetPages(YControl* pages);

    // Geometry (window coordinates).
    YRect TabRect(int32_t index);
    int32_t TabAt(YPoint windowPoint);
    bool Scrolls();
    YRect ArrowRect(bool forward);
    int32_t FirstShownTab() const noexcept { return m_first; }
    void ScrollTo(int32_t first);

    // The current tab changed (item: its index).
    YEvent<YOnItemParams<int32_t>> OnChange;

private:
    int32_t NaturalWidth(int32_t index);
    void ShowPage();
    YControl* Pages();
    void EnsureShown(int32_t index);

    std::vector<YString> m_tabs;
    int32_t m_current = -1;
    int32_t m_first = 0;
    int32_t m_hover = -1;
    bool m_fitAll = false;
    bool m_arrowsUpDown = false;
    int32_t m_tabWidth = 0;
    YControl* m_pages = nullptr;
    YString m_pagesId;
};
