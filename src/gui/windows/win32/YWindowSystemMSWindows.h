// YWindowSystemMSWindows: the window system of Windows. Each root control's window is a Win32
// window of this module's class, a child of the host's window once embedded. The host's own
// message loop delivers its messages to the window procedure on the GUI thread; framework
// threads wake that thread with a posted message. ProcessPendingMessages (the VST 2.4 idle
// call, modal loops) pumps the windows' messages as well.
#pragma once

#include "gui/windows/YPlatformWindowSystem.h"

class YWindowSystemMSWindows final : public YPlatformWindowSystem {
public:
    explicit YWindowSystemMSWindows(bool startThreads = true) : YPlatformWindowSystem(startThreads) {}
    ~YWindowSystemMSWindows() override;

    YString Description() const override { return "Win32 native window-system"; }

    bool InsideNativeCall() const noexcept override;
    void AfterNativeCall(const void* owner, void (*work)(void*), void* context) override;
    void CancelNativeCalls(const void* owner) noexcept override;

    // The module's window class goes (library unload); a later window registers it again.
    static void UnregisterWindowClass() noexcept;

protected:
    void WaitForEvents(uint32_t ms) override;
};
