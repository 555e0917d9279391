// Plain controls the trees are built of: a container groups children without a face of its
// own, a panel is a container with a background, a spacer takes room in a layout and
// nothing else.
#pragma once

#include "gui/toolkit/YControl.h"

class YContainer : public YControl {
public:
    YContainer(YControl* parent, const YString& id = YString());
};

class YPanel : public YContainer {
public:
    YPanel(YControl* parent, const YString& id = YString());
};

class YSpacer : public YControl {
public:
    YSpacer(YControl* parent, const YString& id = YString());
    // A spacer never takes events: they go to the control behind it.
    bool IsEligible() override { return false; }
};
