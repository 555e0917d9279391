// Fixed borders around the rectangle that no control takes: room the owner paints itself
// (a frame, a caption) before the next layout gets the rest.
#pragma once

#include "gui/toolkit/YLayout.h"

class YLayoutOccupyBorder : public YLayout {
public:
    YLayoutOccupyBorder(YControl& owner, int32_t left = 0, int32_t top = 0, int32_t right = 0, int32_t bottom = 0);
    // The borders from "left", "top", "right", "bottom" (negative numbers read as 0).
    void Load(const YXMLItem& element) override;
    // Raises "Service \"add control to occupy-space layout\" is not implemented.": the
    // borders hold no controls from a definition.
    void AddControlFromDefinition(YControl& control) override;
    YRect Arrange(const YRect& rect) override;
    void ComputeSize(const SizeComputer& computer, YSize& size, YRect& margins) override;

    int32_t left, top, right, bottom;
};
