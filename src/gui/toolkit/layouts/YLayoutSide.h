// Bands along one edge of the rectangle: the band is as thick as its thickest visible control
// across it, its controls are distributed along it, and the next layout gets the rest less the
// band and one gap. A band with nothing visible takes nothing.
#pragma once

#include "gui/toolkit/YLayout.h"

class YLayoutSide : public YLayout {
public:
    // direction: 0 left, 1 top, 2 right, 3 bottom.
    YLayoutSide(YControl& owner, int32_t side);
    // Raises "Invalid side-layout direction." for a direction outside 0-3.
    YRect Arrange(const YRect& rect) override;
    void ComputeSize(const SizeComputer& computer, YSize& size, YRect& margins) override;
    uint8_t StretchQuery() override;

    // The band's thickness across it (current sizes of the visible controls), and the strip
    // arrangement inside a band rectangle, for the corner frame that holds four bands.
    int32_t Thickness() const;
    void ArrangeStrip(const YRect& strip) const;
    bool IsAlongX() const noexcept { return direction == 1 || direction == 3; }

protected:
    YLayoutSide(YControl& owner, int32_t side, Internal) noexcept;

private:
    void CheckDirection() const;
};

class YLayoutLeft : public YLayoutSide {
public:
    explicit YLayoutLeft(YControl& owner) : YLayoutSide(owner, 0) {}
};

class YLayoutTop : public YLayoutSide {
public:
    explicit YLayoutTop(YControl& owner) : YLayoutSide(owner, 1) {}
};

class YLayoutRight : public YLayoutSide {
public:
    explicit YLayoutRight(YControl& owner) : YLayoutSide(owner, 2) {}
};

class YLayoutBottom : public YLayoutSide {
public:
    explicit YLayoutBottom(YControl& owner) : YLayoutSide(owner, 3) {}
};
