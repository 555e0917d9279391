// YPlatformWindow: one window of the operating system's window system, the part of a window
// system that talks to X11 or Win32. When part of the window needs painting it asks its
// listener, which paints a 32-bit bitmap (blue, green, red, alpha in memory, rows top-down)
// and hands the painted area back through Present.
//
// Threads: every call except PostPrivateMessage and InvalidateFromAnyThread belongs to the thread that
// created the window (the GUI thread); no window-system call is made from any other thread.
// The listener is called on the GUI thread only, from ProcessEvents (X11) or from the window
// procedure (Win32).
#pragma once

#include "foundation/YString.h"
#include "gui/drawing/YBitmap.h"
#include "gui/drawing/YGeometry.h"
#include "gui/toolkit/YSystemEvent.h"
#include "gui/toolkit/YWindowSystem.h"

#include <cstdint>
#include <memory>

class YPlatformWindowListener {
public:
    virtual ~YPlatformWindowListener() = default;
    // Paint dirty (client coordinates) and Present it.
    virtual void OnNativePaint(const YRect& dirty) = 0;
    // The client area changed size.
    virtual void OnNativeSize(int32_t width, int32_t height) = 0;
    // The user drags the window's frame to a client size of width × height: the listener
    // narrows it to the sizes it allows.
    virtual void OnNativeSizing(int32_t& width, int32_t& height) {}
    // A mouse or keyboard event in client coordinates, key codes as Win32 virtual keys. True
    // when the event was used: a double-click nobody uses comes again as a "down" with
    // YEventFlag::kDouble.
    virtual bool OnNativeEvent(const YSystemEvent& event) = 0;
    virtual void OnNativeFocus(bool gained) = 0;
    virtual void OnNativeTimer(uintptr_t id) = 0;
    virtual void OnNativeCaptureLost() = 0;
    // The window system asks to close the window (a pop-up's close button or a deferred close).
    virtual void OnNativeClose() = 0;
    // A private message (YWindowSystem::kMessage...) posted from any thread, now on the GUI
    // thread; kMessageClose comes as OnNativeClose.
    virtual void OnNativeMessage(uint32_t message) = 0;
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
    virtual void SetTitle(const YString& title) = 0;

    virtual YSize ClientSize() const noexcept = 0;
    virtual void SetClientSize(int32_t width, int32_t height) = 0;
    // The outer rectangle, in the parent's client coordinates (the screen's for a pop-up).
    virtual YRect WindowRect() const = 0;
    virtual void Move(YPoint position) = 0;
    virtual YPoint ClientToScreen(YPoint client) const = 0;
    // The screen's area for windows (without panels where the system tells them).
    virtual YRect WorkArea() const = 0;
    virtual void Show(bool visible) = 0;
    virtual bool IsVisible() const = 0;
    virtual bool IsMinimized() const = 0;
    virtual void BringToTop() = 0;
    virtual void SetTopmost(bool topmost) = 0;
    virtual void SetEnabled(bool enabled) = 0;
    // Activates the window and gives it the keyboard focus, releasing any capture.
    virtual void Focus() = 0;
    virtual bool HasFocus() const = 0;

    // Marks a part of the client area for painting (GUI thread). Empty rectangles are ignored.
    virtual void Invalidate(const YRect& rect) = 0;
    // The same from any thread: the rectangle waits under a lock and the GUI thread is woken.
    virtual void InvalidateFromAnyThread(const YRect& rect) = 0;
    // Paints what is invalid now instead of waiting.
    virtual void Update() = 0;
    // The bitmap the tree paints this window into: one whose memory the screen shares (a DIB
    // section on Win32), or nullptr for plain memory. It outlives the window.
    virtual std::unique_ptr<YBaseBitmap> CreateBitmap() { return nullptr; }
    // Copies area of a bitmap (width × height pixels, rows top-down, at the client origin) to
    // the screen. Parts outside the bitmap or the client area are left alone.
    virtual void Present(const YRect& area, const uint32_t* pixels, int32_t width, int32_t height) = 0;

    virtual void SetCapture(bool on) = 0;
    virtual bool HasCapture() const noexcept = 0;
    // One "left" event when the pointer leaves the window next.
    virtual void TrackMouseLeave() = 0;
    virtual YPoint CursorPosition() const = 0; // client coordinates
    virtual void SetCursorPosition(YPoint client) = 0;
    // Buttons and modifiers held now (YEventFlag bits).
    virtual uint32_t ModifierState() const = 0;
    virtual void SetCursor(YCursor cursor) = 0;
    // A timer of interval milliseconds under id; below 1 stops it.
    virtual void SetTimer(uintptr_t id, int32_t interval) = 0;

    virtual void SetClipboardText(const YString& text) = 0;
    // Empty when the clipboard holds no text (or its owner does not answer).
    virtual YString ClipboardText() = 0;

    // Any thread: hands a private message (YWindowSystem::kMessage...) to the GUI thread.
    virtual void PostPrivateMessage(uint32_t message) = 0;

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
