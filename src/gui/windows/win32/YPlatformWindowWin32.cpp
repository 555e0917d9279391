// The Win32 platform window is not written yet: the editor reports that it has no window
// system on Windows (YEditorHost::Available), so this is never reached from a host.
#include "gui/windows/YPlatformWindow.h"

#include "foundation/YException.h"

std::unique_ptr<YPlatformWindow> YPlatformWindow::Create(YPlatformWindowListener&, int32_t, int32_t) {
    YRaise("This build has no Win32 window system.");
}
