// A frame around the rectangle: four corner cells of one control each and four edge strips of
// any number of controls. Each control's "target" names its place: "topleft", "topright",
// "bottomleft", "bottomright" for the corners, "top", "left", "right", "bottom" for the strips.
//
// The left column is as wide as the widest of the two left corners and the left strip's
// controls (current sizes, borders included), the right column, the top and the bottom row
// likewise. Corners are placed in their cells, strips between the corners, and the next
// layout gets the inner rectangle: each side in by its thickness plus the gap where the
// thickness is not 0.
#pragma once

#include "gui/toolkit/layouts/YLayoutSide.h"

class YLayoutCorner : public YLayout {
public:
    enum Target : int32_t { kTopLeft, kTopRight, kBottomLeft, kBottomRight, kTop, kLeft, kRight, kBottom };

    explicit YLayoutCorner(YControl& owner);
    ~YLayoutCorner() override;

    // "target": moves the control (added to the corner's own list first) to its place; an
    // absent or unknown target raises "Invalid target for corner layout.".
    void LoadChild(YControl& control, const YXMLItem& element) override;
    void RemoveControl(YControl& control) override;
    YRect Arrange(const YRect& rect) override;
    void ComputeSize(const SizeComputer& computer, YSize& size, YRect& margins) override;
    uint8_t StretchQuery() override;

    // Puts control at a place (a corner's previous control leaves the layout).
    void AddAt(YControl& control, Target target);
    // The target of a name (ASCII case ignored); false for any other text.
    static bool TargetFromName(const YString& name, Target& target) noexcept;
    YControl* Corner(Target corner) const noexcept;
    YLayoutSide& Strip(Target edge) const;

private:
    class Strip_;
    struct Frame {
        int32_t left = 0, top = 0, right = 0, bottom = 0;
    };
    Frame Thickness(const SizeComputer& computer) const;

    YControl* m_corners[4] = {};
    YLayoutSide* m_strips[4] = {}; // top, left, right, bottom
};
