#include "gui/windows/win32/YWindowSystemMSWindows.h"

#include "gui/windows/win32/YWin32NativeCalls.h"
#include "gui/windows/win32/YWin32WindowClass.h"

#include <windows.h>

YWindowSystemMSWindows::~YWindowSystemMSWindows() {
    ShutdownSystem();
    YWin32NativeCalls::Cancel(this);
}

bool YWindowSystemMSWindows::InsideNativeCall() const noexcept { return YWin32NativeCalls::Inside(); }

void YWindowSystemMSWindows::AfterNativeCall(const void* owner, void (*work)(void*), void* context) {
    YWin32NativeCalls::Defer(owner, work, context);
}

void YWindowSystemMSWindows::CancelNativeCalls(const void* owner) noexcept { YWin32NativeCalls::Cancel(owner); }

void YWindowSystemMSWindows::UnregisterWindowClass() noexcept { YWin32WindowClass::Unregister(); }

void YWindowSystemMSWindows::WaitForEvents(uint32_t ms) {
    // Wakes for any message of this thread, posted ones included.
    MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}
