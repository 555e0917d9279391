// YWindowSystem: the one face of the platform's windows that the control tree sees. Each
// platform implements it (Win32, X11, and a headless one for tests); controls, layouts,
// styles and drawing never call the platform otherwise.
//
// The virtual operations keep a fixed order of 48 slots; the roles of slots 2, 4, 6, 7, 9, 10,
// 13-17, 19-22, 24-27, 29-34, 36, 37, 40 and 42-47 are fixed by the design of the window
// systems, the others are ours (marked "free slot" below).
//
// Threads: every operation runs on the GUI thread, except SendForceExecuteEvents (34) and
// InvalidateRect (36), which any framework thread may call; an implementation whose platform
// forbids that (X11) hands the request to the GUI thread.
//
// Per-window data: a window system keeps its descriptor of a native window in the root
// control's extension table under kDescriptorTag.
#pragma once

#include "foundation/YString.h"
#include "gui/drawing/YGeometry.h"

#include <cstdint>

class YControl;
class YWindows;

// A native window handle of the platform: HWND on Windows, the X11 window id on Linux.
using YNativeWindow = uintptr_t;

// Mouse cursor shapes a control may ask for.
enum class YCursor : int32_t { kArrow, kHand, kIBeam, kCross, kSizeWE, kSizeNS, kSizeAll, kWait, kNone };

class YWindowSystem {
public:
    // The root control's extension-table tag of the window descriptor ("W3WD" read backwards).
    static constexpr uint32_t kDescriptorTag = 0x44573357u;

    // Flags of CreateNativeWindow.
    static constexpr uint32_t kNormalWindow = 1; // a normal window instead of a tool window

    YWindowSystem() = default;
    YWindowSystem(const YWindowSystem&) = delete;
    YWindowSystem& operator=(const YWindowSystem&) = delete;

    // 0: destroys what the window system holds (its windows must be gone already).
    virtual ~YWindowSystem() = default;
    // 1 (free slot): prepares the platform once before the first window (registers the window
    // class, opens the display); false when the platform cannot show windows.
    virtual bool Initialize() = 0;
    // 2: the window system's name, e.g. "Win32 native window-system".
    virtual YString Description() const = 0;
    // 3 (free slot): the native handle of a root control's window, 0 when it has none.
    virtual YNativeWindow NativeWindow(const YControl& root) const = 0;
    // 4: the screen work area (without task bars) of the monitor holding a screen point.
    virtual YRect WorkArea(YPoint screenPoint) const = 0;
    // 5 (free slot): whether the root control has a native window.
    virtual bool HasWindow(const YControl& root) const = 0;
    // 6: creates the native window of a top-level control (a pop-up window; flags as above)
    // and stores the control in the window's data and the descriptor in its extension table.
    virtual void CreateNativeWindow(YControl& root, uint32_t flags) = 0;
    // 7: destroys the native window and the descriptor.
    virtual void DestroyNativeWindow(YControl& root) = 0;
    // 8 (free slot): the client size of the native window.
    virtual YSize ClientSize(const YControl& root) const = 0;
    // 9: re-parents root's window under another root's window.
    virtual void SetParentControl(YControl& root, YControl* parent) = 0;
    // 10: embeds root's window as a child of a foreign native window (the host's); 0 turns
    // it back into a pop-up window.
    virtual void SetParentWindow(YControl& root, YNativeWindow parent) = 0;
    // 11 (free slot): enables or disables input to the window.
    virtual void EnableWindow(YControl& root, bool enable) = 0;
    // 12 (free slot): whether the window has the keyboard focus.
    virtual bool HasFocus(const YControl& root) const = 0;
    // 13: whether the window is visible.
    virtual bool IsVisible(const YControl& root) const = 0;
    // 14: sets the window title.
    virtual void SetTitle(YControl& root, const YString& title) = 0;
    // 15: brings the window to the top of the z-order.
    virtual void BringToTop(YControl& root) = 0;
    // 16: keeps the window above all others, or not.
    virtual void SetTopmost(YControl& root, bool topmost) = 0;
    // 17: moves the window's top-left corner (screen, or parent client for a child window).
    virtual void SetPosition(YControl& root, YPoint position) = 0;
    // 18 (free slot): resizes the window's client area.
    virtual void SetClientSize(YControl& root, YSize size) = 0;
    // 19: the window rectangle (screen, or parent client for a child window).
    virtual YRect GetWindowRect(const YControl& root) const = 0;
    // 20: moves and resizes the window to a rectangle.
    virtual void MoveWindow(YControl& root, const YRect& rect) = 0;
    // 21, 22: shows / hides the window.
    virtual void Show(YControl& root) = 0;
    virtual void Hide(YControl& root) = 0;
    // 23 (free slot): whether the window is maximised.
    virtual bool IsMaximized(const YControl& root) const = 0;
    // 24: whether the window is minimised.
    virtual bool IsMinimized(const YControl& root) const = 0;
    // 25: shows or hides the window later, from the message loop (a private message).
    virtual void DeferredShow(YControl& root, bool show) = 0;
    // 26: shows the window and ignores the mouse for ignoreMouseMs milliseconds, so a click
    // that opened it does not also act in it.
    virtual void ShowTimed(YControl& root, uint32_t ignoreMouseMs) = 0;
    // 27: activates the window and gives it the keyboard focus (releasing any capture).
    virtual void Activate(YControl& root) = 0;
    // 28 (free slot): asks for the window to be closed from the message loop (the deferred
    // close: the root's close request runs there, never inside the caller).
    virtual void DeferredClose(YControl& root) = 0;
    // 29: processes pending messages without blocking.
    virtual void ProcessPendingMessages() = 0;
    // 30: runs a modal loop until root's window closes or QuitLoop; returns the quit code.
    virtual int32_t RunModalLoop(YControl& root) = 0;
    // 31: posts a private message (kMessage...) with a parameter to root's window.
    virtual void PostPrivateMessage(YControl& root, uint32_t message, YControl* parameter) = 0;
    // 32: runs the application's message loop until QuitLoop; returns the quit code.
    virtual int32_t RunMessageLoop() = 0;
    // 33: ends the innermost loop with a code.
    virtual void QuitLoop(int32_t code) = 0;
    // 34: wakes the GUI thread so that queued events run (YWindows::ExecutePendingEvents).
    // Callable from any thread.
    virtual void SendForceExecuteEvents() = 0;
    // 35 (free slot): the pointer shape over root's window.
    virtual void SetCursor(YControl& root, YCursor cursor) = 0;
    // 36: marks a rectangle (window coordinates) for repainting; callable from any thread.
    virtual void InvalidateRect(YControl& root, const YRect& rect) = 0;
    // 37: paints what is invalid now, without waiting for the message loop.
    virtual void UpdateNow(YControl& root) = 0;
    // 38 (free slot): puts a text on the clipboard.
    virtual void SetClipboardText(YControl& root, const YString& text) = 0;
    // 39 (free slot): the clipboard's text, empty when it holds none.
    virtual YString GetClipboardText(YControl& root) = 0;
    // 40: captures the mouse for root's window (true) or releases it (false).
    virtual void SetCapture(YControl& root, bool capture) = 0;
    // 41 (free slot): whether root's window holds the mouse capture.
    virtual bool HasCapture(const YControl& root) const = 0;
    // 42: the pointer position in screen coordinates.
    virtual YPoint GetCursorPos() const = 0;
    // 43: the pointer position in root's client coordinates.
    virtual YPoint GetCursorPosInClient(const YControl& root) const = 0;
    // 44: moves the pointer to a point of root's client area.
    virtual void SetCursorPos(YControl& root, YPoint clientPoint) = 0;
    // 45: asks for one mouse-leave event (code 9) when the pointer leaves root's window.
    virtual void TrackMouseLeave(YControl& root) = 0;
    // 46: the modifier and button state now (YEventFlag bits).
    virtual uint32_t ModifierState() const = 0;
    // 47: timer of a control: an interval of 1 ms or more (re)starts it on the control's
    // window, the control's address as its identity; below 1 stops it. Each expiry calls
    // the control's timer operation.
    virtual void SetTimer(YControl& control, uint32_t intervalMs) = 0;

    // The threads and the GUI-thread queue of this window system (nullptr until the
    // implementation sets it).
    YWindows* Windows() const noexcept { return m_windows; }

    // Private messages (slot 31) every window system understands.
    static constexpr uint32_t kMessageWakeUp = 1;   // queued events run
    static constexpr uint32_t kMessageRelayout = 2; // relayout and repaint the control passed
    static constexpr uint32_t kMessageShow = 3;     // deferred show
    static constexpr uint32_t kMessageHide = 4;     // deferred hide
    static constexpr uint32_t kMessageClose = 5;    // deferred close of the root

protected:
    // The implementation owns its YWindows and hands it here in its constructor.
    void SetWindows(YWindows* windows) noexcept { m_windows = windows; }

private:
    YWindows* m_windows = nullptr;
};
