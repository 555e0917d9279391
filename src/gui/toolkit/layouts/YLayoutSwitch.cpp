#include "gui/toolkit/layouts/YLayoutSwitch.h"

#include "gui/toolkit/YControl.h"

YControl* YLayoutSwitch::Current() const noexcept {
    for (int32_t i = 0; i < Count(); ++i) {
        if (At(i).IsVisible()) return &At(i);
    }
    return nullptr;
}

YRect YLayoutSwitch::Arrange(const YRect& rect) {
    YControl* page = Current();
    if (page == nullptr) return rect;
    Place(*page, rect);
    return YRect::Empty();
}

void YLayoutSwitch::ComputeSize(const SizeComputer& computer, YSize& size, YRect& margins) {
    YLayout::ComputeSize(computer, size, margins);
}

uint8_t YLayoutSwitch::StretchQuery() {
    // Only the page shown stretches the owner.
    YControl* page = Current();
    if (page == nullptr) return 0;
    const bool leaf = page->LayoutCount() == 0 && page->ClientControl() == nullptr;
    const uint8_t own = leaf ? (YControl::kStretchX | YControl::kStretchY) : page->StretchQuery();
    uint8_t flags = 0;
    if (page->layoutRatioX > 0) flags |= own & YControl::kStretchX;
    if (page->layoutRatioY > 0) flags |= own & YControl::kStretchY;
    return flags;
}
