// YWindowSystemX11: the window system of Linux. Each root control's window is a window on an
// X11 connection of its own, used only on the GUI thread; the host embeds it (as a child of
// its window) and wakes the GUI thread when the descriptors of Descriptors() are readable
// (VST 3: the host's run loop) or calls ProcessPendingMessages regularly (VST 2.4: the editor's
// idle calls).
#pragma once

#include "gui/windows/YPlatformWindowSystem.h"

class YWindowSystemX11 final : public YPlatformWindowSystem {
public:
    explicit YWindowSystemX11(bool startThreads = true) : YPlatformWindowSystem(startThreads) {}
    ~YWindowSystemX11() override;

    YString Description() const override { return "X11 native window-system"; }

protected:
    void WaitForEvents(uint32_t ms) override;
};
