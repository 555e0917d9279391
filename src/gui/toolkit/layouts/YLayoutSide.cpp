#include "gui/toolkit/layouts/YLayoutSide.h"

#include "foundation/YException.h"
#include "gui/toolkit/YControl.h"
#include "gui/toolkit/layouts/YLayoutLinear.h"

#include <algorithm>
#include <climits>

namespace {

int32_t Saturate(int64_t value) noexcept { return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)); }

} // namespace

YLayoutSide::YLayoutSide(YControl& owner, int32_t side) : YLayout(owner) { direction = side; }

YLayoutSide::YLayoutSide(YControl& owner, int32_t side, Internal internal) noexcept : YLayout(owner, internal) {
    direction = side;
}

void YLayoutSide::CheckDirection() const {
    if (direction < 0 || direction > 3) YRaise("Invalid side-layout direction.");
}

int32_t YLayoutSide::Thickness() const {
    const CurrentSizeComputer current;
    int32_t thickness = 0;
    for (int32_t i = 0; i < Count(); ++i) {
        const YControl& c = At(i);
        if (!c.IsVisible()) continue;
        thickness = std::max(thickness, IsAlongX() ? current.ExtentY(c) : current.ExtentX(c));
    }
    return thickness;
}

void YLayoutSide::ArrangeStrip(const YRect& strip) const { YLayoutDistribute(*this, strip, !IsAlongX(), Gap()); }

YRect YLayoutSide::Arrange(const YRect& rect) {
    CheckDirection();
    int64_t thickness = Thickness();
    // A lone plastic control is as thick as the style makes it for the band's length.
    if (Count() == 1 && At(0).IsVisible() && At(0).HasFlag(YControlFlag::kPlastic)) {
        const YControl& c = At(0);
        if (IsAlongX()) {
            const int32_t room = std::max(0, Saturate(int64_t{rect.Width()} - 2 * int64_t{c.layoutBorderX}));
            thickness = int64_t{PlasticHeight(c, room)} + 2 * int64_t{c.layoutBorderY};
        } else {
            const int32_t room = std::max(0, Saturate(int64_t{rect.Height()} - 2 * int64_t{c.layoutBorderY}));
            thickness = int64_t{PlasticWidth(c, room)} + 2 * int64_t{c.layoutBorderX};
        }
    }
    if (thickness <= 0) return rect;
    const int64_t taken = thickness + Gap();
    YRect band = rect;
    YRect rest = rect;
    switch (direction) {
    case 0:
        band.right = Saturate(rect.left + thickness - 1);
        rest.left = Saturate(rect.left + taken);
        break;
    case 1:
        band.bottom = Saturate(rect.top + thickness - 1);
        rest.top = Saturate(rect.top + taken);
        break;
    case 2:
        band.left = Saturate(rect.right - thickness + 1);
        rest.right = Saturate(rect.right - taken);
        break;
    default:
        band.top = Saturate(rect.bottom - thickness + 1);
        rest.bottom = Saturate(rect.bottom - taken);
        break;
    }
    ArrangeStrip(band);
    return rest;
}

void YLayoutSide::ComputeSize(const SizeComputer& computer, YSize& size, YRect& margins) {
    CheckDirection();
    const YSize own = YLayoutDistributionSize(*this, computer, !IsAlongX(), Gap());
    // The band needs its length beside what the layouts before took; the rest starts past it.
    NeedInside(own, size, margins);
    const int32_t thickness = IsAlongX() ? own.y : own.x;
    if (thickness <= 0) return;
    const int32_t taken = Saturate(int64_t{thickness} + Gap());
    int32_t& edge = direction == 0 ? margins.left : direction == 1 ? margins.top : direction == 2 ? margins.right : margins.bottom;
    edge = Saturate(int64_t{edge} + taken);
}

uint8_t YLayoutSide::StretchQuery() { return ControlsStretch(); }
