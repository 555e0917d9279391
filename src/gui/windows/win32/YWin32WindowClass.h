// The window class of this module's windows: registered once, on the first window, and
// unregistered when the library unloads (UnregisterClassW refuses while a window of it exists).
#pragma once

#include <windows.h>

namespace YWin32WindowClass {

// Registers the class unless it is; raises "Could not register the window class." on failure.
void Register();
void Unregister() noexcept;
bool Registered() noexcept;
LPCWSTR Name() noexcept;
// This module's instance handle, the class's owner.
HINSTANCE Instance() noexcept;
// The window procedure (defined beside the window).
WNDPROC Procedure() noexcept;

} // namespace YWin32WindowClass
