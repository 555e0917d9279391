// Text that the user reads but does not change: one line (YStatic) or wrapped to the width
// (YStaticMultiLine, lines broken at blanks; a line break in the caption starts a new line).
#pragma once

#include "gui/toolkit/YControl.h"

#include <vector>

class YStatic : public YControl {
public:
    YStatic(YControl* parent, const YString& id = YString());

    void Paint(YDrawer& drawer) override;
    YSize ComputeMinimalSize() override;
    bool IsEligible() override { return false; } // clicks go to what is behind
};

class YStaticMultiLine : public YControl {
public:
    YStaticMultiLine(YControl* parent, const YString& id = YString());

    void Paint(YDrawer& drawer) override;
    YSize ComputeMinimalSize() override;
    bool IsEligible() override { return false; }

    // The caption broken into lines that fit width pixels.
    std::vector<YString> Lines(int32_t width);
    // The height the caption needs at a width.
    int32_t HeightForWidth(int32_t width);
};
