// Rows and columns: the layouts that fill their rectangle with their controls one after the
// other, stretching those with a ratio on the axis of the row or column. The side bands and
// the corner frame distribute their strips with the same routine.
#pragma once

#include "gui/toolkit/YLayout.h"

// Distributes the visible controls of layout along one axis of rect (vertical: top to bottom),
// each in a slot as wide as rect across: fixed and collapsed controls get their own extent,
// plastic ones the extent the style computes from the room across, and the controls with a
// ratio share what remains by their weights, the last taking the remainder. Between controls
// goes gap; after each its extra space.
void YLayoutDistribute(const YLayout& layout, const YRect& rect, bool vertical, int32_t gap);

// What a distribution of layout along one axis needs: the sum along it, the largest extent
// across.
YSize YLayoutDistributionSize(const YLayout& layout, const YLayout::SizeComputer& computer, bool vertical,
                              int32_t gap);

// A row or a column filling the rectangle it gets (it leaves nothing to the next layout).
// direction: 0 horizontal, 1 vertical. Per child, "space" is extra space after it.
class YLayoutLinear : public YLayout {
public:
    YLayoutLinear(YControl& owner, bool vertical);
    void LoadChild(YControl& control, const YXMLItem& element) override;
    YRect Arrange(const YRect& rect) override;
    void ComputeSize(const SizeComputer& computer, YSize& size, YRect& margins) override;
    uint8_t StretchQuery() override;
    bool IsVertical() const noexcept { return direction != 0; }
};

class YLayoutHorizontal : public YLayoutLinear {
public:
    explicit YLayoutHorizontal(YControl& owner) : YLayoutLinear(owner, false) {}
};

class YLayoutVertical : public YLayoutLinear {
public:
    explicit YLayoutVertical(YControl& owner) : YLayoutLinear(owner, true) {}
};

// The layout a control made in code fills its client area with; vertical unless told.
class YLayoutClient : public YLayoutLinear {
public:
    explicit YLayoutClient(YControl& owner, bool vertical = true) : YLayoutLinear(owner, vertical) {}
};
