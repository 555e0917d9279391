// Small control trees for the layout tests: an owner of a given size and children described
// by their sizes and layout data.
#pragma once

#include "gui/toolkit/YContainer.h"
#include "gui/toolkit/YControl.h"
#include "gui/toolkit/YStyle.h"

#include <gtest/gtest.h>

#include <cstdint>

struct ChildShape {
    int32_t width = 10;
    int32_t height = 10;
    int32_t ratioX = 0;
    int32_t ratioY = 0;
    int32_t borderX = 0;
    int32_t borderY = 0;
    uint32_t placement = 0;
    bool visible = true;
    bool plastic = false;
    bool collapsed = false;
    YSize collapsedSize{};
    YSize minimal{};
};

// A child of owner with the shape's size and layout data (not yet in any layout).
inline YControl* MakeChild(YControl& owner, const ChildShape& s) {
    auto* c = new YContainer(&owner);
    c->SetSize(s.width, s.height);
    c->layoutRatioX = s.ratioX;
    c->layoutRatioY = s.ratioY;
    c->layoutBorderX = s.borderX;
    c->layoutBorderY = s.borderY;
    c->layoutPlacement = s.placement;
    c->SetMinimalClientSize(s.minimal);
    c->SetCollapsedSize(s.collapsedSize);
    c->SetFlag(YControlFlag::kPlastic, s.plastic);
    c->SetFlag(YControlFlag::kCollapsed, s.collapsed);
    c->SetFlag(YControlFlag::kVisible, s.visible);
    return c;
}

// The rectangle of a control relative to its parent, with its stored size.
inline YRect Placed(const YControl& c) {
    return YRect::FromSize(c.Position().x, c.Position().y, c.Size().x, c.Size().y);
}

// Layout tests without a style: the gap is the layout's own spacing and a plastic control's
// extent its minimal client size, whatever style another test left installed.
class WithoutStyle : public ::testing::Test {
protected:
    void SetUp() override { m_saved = YStyle::Install(nullptr); }
    void TearDown() override { YStyle::Install(m_saved); }

private:
    YStyle* m_saved = nullptr;
};
