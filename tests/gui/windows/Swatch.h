// A control that fills itself with one colour and notes each paint and its clip.
#pragma once

#include "gui/drawing/YDrawer.h"
#include "gui/toolkit/YControl.h"

#include <vector>

class Swatch : public YControl {
public:
    Swatch(YControl* parent, YRect rect, YColor colour) : YControl(parent), m_colour(colour) {
        SetPosition(rect.left, rect.top);
        SetSize(rect.Width(), rect.Height());
    }
    void Paint(YDrawer& drawer) override {
        clips.push_back(drawer.GetClipRect());
        drawer.FillRectangle(WindowRect(), m_colour, YColorOp::Copy);
    }
    void SetColour(YColor colour) {
        m_colour = colour;
        Repaint();
    }
    std::vector<YRect> clips;

private:
    YColor m_colour;
};
