#include "gui/windows/win32/YWin32WindowClass.h"

#include "foundation/YException.h"
#include "platform/YPlatformModule.h"
#include "platform/YSynchronizer.h"

namespace {
YLock& ClassLock() {
    static YLock lock;
    return lock;
}
bool g_registered = false;
} // namespace

namespace YWin32WindowClass {

LPCWSTR Name() noexcept { return L"VornikEditorWindow"; }

HINSTANCE Instance() noexcept {
    return static_cast<HINSTANCE>(YPlatformModuleHandleOf(reinterpret_cast<const void*>(&Instance)));
}

void Register() {
    YScopedLock hold(ClassLock());
    if (g_registered) return;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    // Double-clicks as messages of their own; a resize repaints all, as the layout may move.
    windowClass.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = Procedure();
    windowClass.hInstance = Instance();
    windowClass.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512)) /* IDI_APPLICATION */;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)) /* IDC_ARROW */;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = Name();
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        YRaise("Could not register the window class.");
    g_registered = true;
}

void Unregister() noexcept {
    YScopedLock hold(ClassLock());
    if (!g_registered) return;
    if (UnregisterClassW(Name(), Instance())) g_registered = false;
}

bool Registered() noexcept {
    YScopedLock hold(ClassLock());
    return g_registered;
}

} // namespace YWin32WindowClass
