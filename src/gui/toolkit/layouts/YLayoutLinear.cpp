#include "gui/toolkit/layouts/YLayoutLinear.h"

#include "foundation/YXMLItem.h"
#include "gui/toolkit/YControl.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace {

int32_t Saturate(int64_t value) noexcept { return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)); }

// The numbers of one axis of a control; "along" is the axis of the distribution.
struct Axis {
    bool vertical;
    int32_t Ratio(const YControl& c) const noexcept { return std::max(0, vertical ? c.layoutRatioY : c.layoutRatioX); }
    int64_t Border(const YControl& c) const noexcept { return vertical ? c.layoutBorderY : c.layoutBorderX; }
    int64_t CrossBorder(const YControl& c) const noexcept { return vertical ? c.layoutBorderX : c.layoutBorderY; }
    int64_t Extent(const YControl& c) const noexcept {
        const YSize s = c.EffectiveSize();
        return vertical ? s.y : s.x;
    }
    bool Stretches(const YControl& c) const noexcept {
        return Ratio(c) > 0 && !c.HasFlag(YControlFlag::kCollapsed);
    }
};

} // namespace

void YLayoutDistribute(const YLayout& layout, const YRect& rect, bool vertical, int32_t gap) {
    const Axis axis{vertical};
    const int64_t across = vertical ? int64_t{rect.right} - rect.left + 1 : int64_t{rect.bottom} - rect.top + 1;
    // The style's extents of the plastic controls, for the room across; asked once per pass.
    std::vector<int64_t> plastic(static_cast<size_t>(layout.Count()), 0);
    int64_t fixed = 0;
    int64_t ratioSum = 0;
    int32_t visible = 0;
    for (int32_t i = 0; i < layout.Count(); ++i) {
        YControl& c = layout.At(i);
        if (!c.IsVisible()) continue;
        ++visible;
        const int32_t ratio = axis.Ratio(c);
        if (c.HasFlag(YControlFlag::kPlastic)) {
            const int32_t room = Saturate(std::max<int64_t>(0, across - 2 * axis.CrossBorder(c)));
            const int64_t extent = vertical ? YLayout::PlasticHeight(c, room) : YLayout::PlasticWidth(c, room);
            plastic[static_cast<size_t>(i)] = std::max<int64_t>(0, extent);
            if (ratio == 0) fixed += plastic[static_cast<size_t>(i)] + 2 * axis.Border(c);
            ratioSum += ratio;
        } else if (axis.Stretches(c)) {
            ratioSum += ratio;
        } else {
            fixed += axis.Extent(c) + 2 * axis.Border(c);
        }
        fixed += c.layoutExtraSpace;
    }
    if (visible == 0) return;
    fixed += int64_t{gap} * (visible - 1);
    const int64_t length = vertical ? int64_t{rect.bottom} - rect.top + 1 : int64_t{rect.right} - rect.left + 1;
    int64_t available = length - fixed;
    int64_t cursor = vertical ? rect.top : rect.left;
    for (int32_t i = 0; i < layout.Count(); ++i) {
        YControl& c = layout.At(i);
        if (!c.IsVisible()) continue;
        int64_t slot;
        if (axis.Stretches(c)) {
            const int32_t ratio = axis.Ratio(c);
            slot = ratioSum > 0 ? std::max<int64_t>(0, ratio * available / ratioSum) : 0;
            available -= slot;
            ratioSum -= ratio;
        } else if (c.HasFlag(YControlFlag::kPlastic)) {
            slot = plastic[static_cast<size_t>(i)] + 2 * axis.Border(c);
        } else {
            slot = axis.Extent(c) + 2 * axis.Border(c);
        }
        const int32_t first = Saturate(cursor);
        const int32_t last = Saturate(cursor + slot - 1);
        YLayout::Place(c, vertical ? YRect{rect.left, first, rect.right, last} : YRect{first, rect.top, last, rect.bottom});
        cursor += slot + c.layoutExtraSpace + gap;
    }
}

YSize YLayoutDistributionSize(const YLayout& layout, const YLayout::SizeComputer& computer, bool vertical,
                              int32_t gap) {
    int64_t along = 0;
    int64_t across = 0;
    int32_t visible = 0;
    for (int32_t i = 0; i < layout.Count(); ++i) {
        const YControl& c = layout.At(i);
        if (!c.IsVisible()) continue;
        const int64_t x = computer.ExtentX(c);
        const int64_t y = computer.ExtentY(c);
        along += (vertical ? y : x) + c.layoutExtraSpace;
        across = std::max(across, vertical ? x : y);
        ++visible;
    }
    if (visible > 1) along += int64_t{gap} * (visible - 1);
    along = std::clamp<int64_t>(along, 0, INT32_MAX);
    return vertical ? YSize{Saturate(across), Saturate(along)} : YSize{Saturate(along), Saturate(across)};
}

YLayoutLinear::YLayoutLinear(YControl& owner, bool vertical) : YLayout(owner) { direction = vertical ? 1 : 0; }

void YLayoutLinear::LoadChild(YControl& control, const YXMLItem& element) {
    if (const YString* v = element.FindAttribute("space")) control.layoutExtraSpace = ReadNumber(*v);
}

YRect YLayoutLinear::Arrange(const YRect& rect) {
    YLayoutDistribute(*this, rect, IsVertical(), Gap());
    return YRect::Empty();
}

void YLayoutLinear::ComputeSize(const SizeComputer& computer, YSize& size, YRect& margins) {
    NeedInside(YLayoutDistributionSize(*this, computer, IsVertical(), Gap()), size, margins);
}

uint8_t YLayoutLinear::StretchQuery() { return ControlsStretch(); }
