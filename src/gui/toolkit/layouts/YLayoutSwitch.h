// One rectangle for all its controls, of which only the first visible one is placed: pages
// of which one shows at a time ("overlay").
#pragma once

#include "gui/toolkit/YLayout.h"

class YLayoutSwitch : public YLayout {
public:
    explicit YLayoutSwitch(YControl& owner) : YLayout(owner) {}
    // The page takes the whole rectangle and leaves nothing; with no visible page the
    // rectangle goes on unchanged.
    YRect Arrange(const YRect& rect) override;
    // As large as the largest visible page, so that switching pages needs no new size.
    void ComputeSize(const SizeComputer& computer, YSize& size, YRect& margins) override;
    uint8_t StretchQuery() override;
    // The page placed now, nullptr when none is visible.
    YControl* Current() const noexcept;
};
