// YPlatformWindow: one window of the operating system's window system, the part of a window
// system that talks to X11 or Win32. When part of the window needs painting it asks its
// listener, which paints a 32-bit bitmap (blue, green, red, alpha in memory, rows top-down)
// and hands the painted area back through Present.
//
// Threads: every call except PostRequest and InvalidateFromAnyThread belongs to the thread that
// created the window (the GUI thread); no window-system call is made from any other thread.
// The listener is called on the GUI thread only, from ProcessEvents (X11) or from the window
// procedure (Win32).
#pragma once

#include "gui/drawing/YGeometry.h"

#include <cstdint>
#include <memory>
#include <string>

// Mouse event codes, as the control tree receives them.
enum class YMouseCode : int32_t {
    LeftDown = 0,
    RightDown = 1,
    MiddleDown = 2,
    LeftUp = 3,
    RightUp = 4,
    MiddleUp = 5,
    LeftDouble = 6,
    RightDouble = 7,
    MiddleDouble = 8,
    Leave = 9,
    Wheel = 10,
    Move = 11,
};

// Button and modifier flags of a mouse or key event.
namespace YMouseFlags {
constexpr uint32_t kLeft = 1;
constexpr uint32_t kMiddle = 2;
constexpr uint32_t kRight = 4;
constexpr uint32_t kCtrl = 16;
constexpr uint32_t kAlt = 32;
constexpr uint32_t kShift = 64;
// A double-click that nobody took, delivered again as its "down" code.
constexpr uint32_t kDouble = 128;
} // namespace YMouseFlags

struct YNativeMouseEvent {
    YMouseCode code = YMouseCode::Move;
    YPoint point;        // client coordinates
    uint32_t flags = 0;  // YMouseFlags
    int32_t extra = 0;   // wheel delta (120 per notch, positive away from the user)
};

enum class YKeyKind : int32_t { Down = 0, Up = 1, Character = 2 };

struct YNativeKeyEvent {
    YKeyKind kind = YKeyKind::Down;
    uint32_t keyCode = 0;   // Win32 virtual-key code on every system (Down, Up)
    char32_t character = 0; // Character only
    uint32_t flags = 0;     // YMouseFlags modifiers
};

// Private requests another thread may post to the GUI thread (the Win32 WM_USER+n messages).
enum class YWindowRequest : int32_t {
    Close = 0,          // deferred close
    Wake = 1,           // queued events run
    Relayout = 2,       // relayout and repaint
    Show = 3,
    Hide = 4,
};

enum class YCursorKind : int32_t { Arrow = 0, Hand, IBeam, SizeWE, SizeNS, Move, Wait, Cross };

class YPlatformWindowListener {
public:
    virtual ~YPlatformWindowListener() = default;
    // Paint dirty (client coordinates) and Present it.
    virtual void OnNativePaint(const YRect& dirty) = 0;
    // The client area changed size.
    virtual void OnNativeSize(int32_t width, int32_t height) = 0;
    // True when the event was used (a double-click nobody uses comes again as a "down").
    virtual bool OnNativeMouse(const YNativeMouseEvent& event) = 0;
    virtual bool OnNativeKey(const YNativeKeyEvent& event) = 0;
    virtual void OnNativeFocus(bool gained) = 0;
    virtual void OnNativeTimer(uintptr_t id) = 0;
    virtual void OnNativeCaptureLost() = 0;
    // The window system asks to close the window (a pop-up's close button or a deferred close).
    virtual void OnNativeClose() = 0;
    // A request posted from another thread, now on the GUI thread.
    virtual void OnNativeRequest(YWindowRequest request) = 0;
};

class YPlatformWindow {
public:
    // A pop-up window of width × height (not shown); Reparent embeds it in a host's window.
    // Raises a YException when the window system cannot be reached.
    static std::unique_ptr<YPlatformWindow> Create(YPlatformWindowListener& listener, int32_t width, int32_t height);

    virtual ~YPlatformWindow() = default;
    YPlatformWindow(const YPlatformWindow&) = delete;
    YPlatformWindow& operator=(const YPlatformWindow&) = delete;

    // The system's handle: an HWND, or an X11 window id.
    virtual void* Handle() const noexcept = 0;
    // Into a host's window as a child (parent: an HWND or an X11 window id); null turns the
    // window back into a pop-up.
    virtual void Reparent(void* parent) = 0;
    virtual bool IsChild() const noexcept = 0;
    virtual void SetTitle(const std::u32string& title) = 0;

    virtual YSize ClientSize() const noexcept = 0;
    virtual void SetClientSize(int32_t width, int32_t height) = 0;
    virtual void Show(bool visible) = 0;
    virtual bool IsVisible() const = 0;
    virtual void Focus() = 0;

    // Marks a part of the client area for painting (GUI thread). Empty rectangles are ignored.
    virtual void Invalidate(const YRect& rect) = 0;
    // The same from any thread: the rectangle waits under a lock and the GUI thread is woken.
    virtual void InvalidateFromAnyThread(const YRect& rect) = 0;
    // Paints what is invalid now instead of waiting.
    virtual void Update() = 0;
    // Copies area of a bitmap (width × height pixels, rows top-down, at the client origin) to
    // the screen. Parts outside the bitmap or the client area are left alone.
    virtual void Present(const YRect& area, const uint32_t* pixels, int32_t width, int32_t height) = 0;

    virtual void SetCapture(bool on) = 0;
    virtual bool HasCapture() const noexcept = 0;
    // One "left" event when the pointer leaves the window next.
    virtual void TrackMouseLeave() = 0;
    virtual YPoint CursorPosition() const = 0; // client coordinates
    virtual void SetCursor(YCursorKind kind) = 0;
    // A timer of interval milliseconds under id; below 1 stops it.
    virtual void SetTimer(uintptr_t id, int32_t interval) = 0;

    virtual void SetClipboardText(const std::u32string& text) = 0;
    virtual std::u32string ClipboardText() = 0;

    // Any thread: run request on the GUI thread soon.
    virtual void PostRequest(YWindowRequest request) = 0;

    // Runs what is pending without blocking: window-system events, posted requests, due timers
    // and painting. On Win32 the host's message loop does this; the call pumps this thread's
    // messages. Returns false once the window is gone.
    virtual bool ProcessEvents() = 0;
    // Descriptors the GUI thread should watch and answer with ProcessEvents (POSIX; -1 where none).
    virtual int ConnectionDescriptor() const noexcept = 0;
    virtual int WakeDescriptor() const noexcept = 0;

protected:
    YPlatformWindow() = default;
};
