// The X11 native window: a window on a connection of its own, a child of the host's window
// once embedded. The connection is used on the GUI thread only; other threads leave their
// requests and dirty rectangles under a lock and write one byte into a wake-up pipe, which the
// host watches (VST 3 run loop) or which the next idle call empties (VST 2.4).
#include "gui/windows/YPlatformWindow.h"
#include "gui/windows/x11/YX11Keys.h"

#include "foundation/YException.h"
#include "platform/YPlatformTime.h"
#include "platform/YSynchronizer.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

// Windows' defaults: two clicks within 500 ms and a 4 × 4 pixel square make a double-click.
constexpr uint32_t kDoubleClickMs = 500;
constexpr int32_t kDoubleClickDistance = 2;
constexpr int32_t kWheelDelta = 120;
// How long a clipboard read waits for the owner's answer.
constexpr uint32_t kClipboardWaitMs = 500;

// Errors of our own connection (a host that destroyed its window before closing the editor)
// must not end the host: while our calls run, an error handler that only counts is installed.
int g_trappedErrors = 0;
int CountError(Display*, XErrorEvent*) {
    ++g_trappedErrors;
    return 0;
}

class ErrorTrap {
public:
    ErrorTrap() noexcept : m_previous(XSetErrorHandler(&CountError)) {}
    ~ErrorTrap() { XSetErrorHandler(m_previous); }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

private:
    int (*m_previous)(Display*, XErrorEvent*);
};

unsigned ShapeOf(YCursor kind) noexcept {
    switch (kind) {
    case YCursor::kHand: return XC_hand2;
    case YCursor::kIBeam: return XC_xterm;
    case YCursor::kSizeWE: return XC_sb_h_double_arrow;
    case YCursor::kSizeNS: return XC_sb_v_double_arrow;
    case YCursor::kSizeAll: return XC_fleur;
    case YCursor::kWait: return XC_watch;
    case YCursor::kCross: return XC_crosshair;
    case YCursor::kArrow:
    case YCursor::kNone: break;
    }
    return XC_left_ptr;
}

uint32_t ModifierFlags(unsigned state) noexcept {
    uint32_t flags = 0;
    if (state & Button1Mask) flags |= YEventFlag::kLeftButton;
    if (state & Button2Mask) flags |= YEventFlag::kMiddleButton;
    if (state & Button3Mask) flags |= YEventFlag::kRightButton;
    if (state & ControlMask) flags |= YEventFlag::kCtrl;
    if (state & Mod1Mask) flags |= YEventFlag::kAlt;
    if (state & ShiftMask) flags |= YEventFlag::kShift;
    return flags;
}

uint32_t ButtonFlag(unsigned button) noexcept {
    switch (button) {
    case Button1: return YEventFlag::kLeftButton;
    case Button2: return YEventFlag::kMiddleButton;
    case Button3: return YEventFlag::kRightButton;
    default: return 0;
    }
}

class YX11PlatformWindow final : public YPlatformWindow {
public:
    YX11PlatformWindow(YPlatformWindowListener& listener, int32_t width, int32_t height);
    ~YX11PlatformWindow() override;

    void* Handle() const noexcept override { return reinterpret_cast<void*>(static_cast<uintptr_t>(m_window)); }
    void Reparent(void* parent) override;
    bool IsChild() const noexcept override { return m_parent != 0; }
    void SetTitle(const YString& title) override;
    YSize ClientSize() const noexcept override { return {m_width, m_height}; }
    void SetClientSize(int32_t width, int32_t height) override;
    YRect WindowRect() const override;
    void Move(YPoint position) override;
    YPoint ClientToScreen(YPoint client) const override;
    YRect WorkArea() const override;
    void Show(bool visible) override;
    bool IsVisible() const override { return m_mapped; }
    bool IsMinimized() const override { return false; }
    void BringToTop() override;
    void SetTopmost(bool topmost) override;
    void SetEnabled(bool enabled) override { m_enabled = enabled; }
    void Focus() override;
    bool HasFocus() const override { return m_focused; }
    void Invalidate(const YRect& rect) override;
    void InvalidateFromAnyThread(const YRect& rect) override;
    void Update() override;
    void Present(const YRect& area, const uint32_t* pixels, int32_t width, int32_t height) override;
    void SetCapture(bool on) override;
    bool HasCapture() const noexcept override { return m_captured; }
    void TrackMouseLeave() override { m_trackLeave = true; }
    YPoint CursorPosition() const override;
    void SetCursorPosition(YPoint client) override;
    uint32_t ModifierState() const override;
    void SetCursor(YCursor kind) override;
    void SetTimer(uintptr_t id, int32_t interval) override;
    void SetClipboardText(const YString& text) override;
    YString ClipboardText() override;
    void PostPrivateMessage(uint32_t message) override;
    bool ProcessEvents() override;
    int ConnectionDescriptor() const noexcept override { return m_display != nullptr ? ConnectionNumber(m_display) : -1; }
    int WakeDescriptor() const noexcept override { return m_wakeRead; }

private:
    struct Timer {
        uint32_t interval = 0;
        uint32_t due = 0;
    };

    void Dispatch(XEvent& event);
    void DispatchButton(const XButtonEvent& event, bool press);
    void DispatchKey(XKeyEvent& event, bool press);
    void AnswerSelectionRequest(const XSelectionRequestEvent& request);
    void Paint(const YRect& rect);
    void RunDueTimers();
    void Wake() noexcept;
    void DrainWakePipe() noexcept;

    YPlatformWindowListener& m_listener;
    Display* m_display = nullptr;
    Window m_window = 0;
    Window m_parent = 0;
    GC m_gc = nullptr;
    Visual* m_visual = nullptr;
    int m_depth = 0;
    int32_t m_width = 0;
    int32_t m_height = 0;
    bool m_mapped = false;
    bool m_gone = false; // the server destroyed the window (its parent went away)
    bool m_captured = false;
    bool m_trackLeave = false;
    bool m_enabled = true;
    bool m_focused = false;
    YRect m_dirty;
    std::map<uintptr_t, Timer> m_timers;
    std::map<YCursor, Cursor> m_cursors;

    Atom m_wmProtocols = 0;
    Atom m_wmDelete = 0;
    Atom m_clipboard = 0;
    Atom m_utf8 = 0;
    Atom m_targets = 0;
    Atom m_clipboardProperty = 0;
    Atom m_xembedInfo = 0;
    std::string m_clipboardText; // what we offer while we own the clipboard
    bool m_ownsClipboard = false;

    // Double-click detection.
    unsigned m_lastButton = 0;
    Time m_lastPressTime = 0;
    YPoint m_lastPressPoint;

    // Shared with other threads.
    int m_wakeRead = -1;
    int m_wakeWrite = -1;
    YLock m_requestLock;
    YRect m_foreignDirty;
    std::vector<uint32_t> m_messages;
};

YX11PlatformWindow::YX11PlatformWindow(YPlatformWindowListener& listener, int32_t width, int32_t height) : m_listener(listener) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) YRaise("Could not create the window's wake-up pipe.");
    m_wakeRead = fds[0];
    m_wakeWrite = fds[1];
    m_display = XOpenDisplay(nullptr);
    if (m_display == nullptr) {
        close(m_wakeRead);
        close(m_wakeWrite);
        YRaise("Could not open the X display.");
    }
    ErrorTrap trap;
    const int screen = DefaultScreen(m_display);
    m_visual = DefaultVisual(m_display, screen);
    m_depth = DefaultDepth(m_display, screen);
    if ((m_depth != 24 && m_depth != 32) || m_visual->red_mask != 0xFF0000UL || m_visual->blue_mask != 0xFFUL) {
        XCloseDisplay(m_display);
        close(m_wakeRead);
        close(m_wakeWrite);
        YRaise("The X display has no 32-bit true-colour visual.");
    }
    m_width = std::max(width, 1);
    m_height = std::max(height, 1);
    m_dirty = YRect::FromSize(0, 0, m_width, m_height);
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None; // the bitmap covers the whole area: no flicker
    attributes.border_pixel = 0;
    attributes.colormap = DefaultColormap(m_display, screen);
    attributes.event_mask = ExposureMask | StructureNotifyMask | ButtonPressMask | ButtonReleaseMask |
                            PointerMotionMask | KeyPressMask | KeyReleaseMask | FocusChangeMask |
                            LeaveWindowMask | EnterWindowMask;
    m_window = XCreateWindow(m_display, DefaultRootWindow(m_display), 0, 0, static_cast<unsigned>(m_width),
                             static_cast<unsigned>(m_height), 0, m_depth, InputOutput, m_visual,
                             CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask, &attributes);
    m_gc = XCreateGC(m_display, m_window, 0, nullptr);
    m_wmProtocols = XInternAtom(m_display, "WM_PROTOCOLS", False);
    m_wmDelete = XInternAtom(m_display, "WM_DELETE_WINDOW", False);
    m_clipboard = XInternAtom(m_display, "CLIPBOARD", False);
    m_utf8 = XInternAtom(m_display, "UTF8_STRING", False);
    m_targets = XInternAtom(m_display, "TARGETS", False);
    m_clipboardProperty = XInternAtom(m_display, "YCLIPBOARD", False);
    m_xembedInfo = XInternAtom(m_display, "_XEMBED_INFO", False);
    XSetWMProtocols(m_display, m_window, &m_wmDelete, 1);
    // Embedders that follow the XEmbed convention map the window themselves when asked to.
    const unsigned long embedInfo[2] = {0, 1};
    XChangeProperty(m_display, m_window, m_xembedInfo, m_xembedInfo, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(embedInfo), 2);
    XFlush(m_display);
}

YX11PlatformWindow::~YX11PlatformWindow() {
    {
        ErrorTrap trap;
        for (auto& [kind, cursor] : m_cursors) XFreeCursor(m_display, cursor);
        if (m_captured) XUngrabPointer(m_display, CurrentTime);
        XFreeGC(m_display, m_gc);
        if (!m_gone) XDestroyWindow(m_display, m_window);
        // Errors of the calls above arrive here, inside the trap.
        XSync(m_display, True);
        XCloseDisplay(m_display);
    }
    close(m_wakeRead);
    close(m_wakeWrite);
}

void YX11PlatformWindow::Reparent(void* parent) {
    ErrorTrap trap;
    m_parent = static_cast<Window>(reinterpret_cast<uintptr_t>(parent));
    XReparentWindow(m_display, m_window, m_parent != 0 ? m_parent : DefaultRootWindow(m_display), 0, 0);
    XSync(m_display, False);
}

void YX11PlatformWindow::SetTitle(const YString& title) {
    ErrorTrap trap;
    const std::string text = title.ToUTF8();
    XChangeProperty(m_display, m_window, XInternAtom(m_display, "_NET_WM_NAME", False), m_utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
    XFlush(m_display);
}

void YX11PlatformWindow::SetClientSize(int32_t width, int32_t height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (width == m_width && height == m_height) return;
    ErrorTrap trap;
    XResizeWindow(m_display, m_window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XFlush(m_display);
    // The ConfigureNotify that follows finds the size already taken.
    m_width = width;
    m_height = height;
    m_dirty = YRect::FromSize(0, 0, width, height);
    m_listener.OnNativeSize(width, height);
}

YRect YX11PlatformWindow::WindowRect() const {
    ErrorTrap trap;
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(m_display, m_window, &attributes) == 0) return YRect::FromSize(0, 0, m_width, m_height);
    return YRect::FromSize(attributes.x, attributes.y, attributes.width + 2 * attributes.border_width,
                           attributes.height + 2 * attributes.border_width);
}

void YX11PlatformWindow::Move(YPoint position) {
    ErrorTrap trap;
    XMoveWindow(m_display, m_window, position.x, position.y);
    XFlush(m_display);
}

YPoint YX11PlatformWindow::ClientToScreen(YPoint client) const {
    ErrorTrap trap;
    int x = client.x, y = client.y;
    Window child = 0;
    XTranslateCoordinates(m_display, m_window, DefaultRootWindow(m_display), client.x, client.y, &x, &y, &child);
    return {x, y};
}

YRect YX11PlatformWindow::WorkArea() const {
    ErrorTrap trap;
    // The window manager's work area when it publishes one, else the whole screen.
    const Atom workArea = XInternAtom(m_display, "_NET_WORKAREA", True);
    if (workArea != None) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(m_display, DefaultRootWindow(m_display), workArea, 0, 4, False, XA_CARDINAL, &type,
                               &format, &count, &after, &data) == Success &&
            data != nullptr) {
            YRect area = YRect::Empty();
            if (format == 32 && count >= 4) {
                const auto* values = reinterpret_cast<const long*>(data);
                area = YRect::FromSize(static_cast<int32_t>(values[0]), static_cast<int32_t>(values[1]),
                                       static_cast<int32_t>(values[2]), static_cast<int32_t>(values[3]));
            }
            XFree(data);
            if (!area.IsEmpty()) return area;
        }
    }
    const int screen = DefaultScreen(m_display);
    return YRect::FromSize(0, 0, DisplayWidth(m_display, screen), DisplayHeight(m_display, screen));
}

void YX11PlatformWindow::BringToTop() {
    ErrorTrap trap;
    XRaiseWindow(m_display, m_window);
    XFlush(m_display);
}

void YX11PlatformWindow::SetTopmost(bool topmost) {
    ErrorTrap trap;
    const Atom state = XInternAtom(m_display, "_NET_WM_STATE", False);
    const Atom above = XInternAtom(m_display, "_NET_WM_STATE_ABOVE", False);
    if (topmost) {
        XChangeProperty(m_display, m_window, state, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&above), 1);
    } else {
        XDeleteProperty(m_display, m_window, state);
    }
    XFlush(m_display);
}

void YX11PlatformWindow::Show(bool visible) {
    if (visible == m_mapped) return;
    ErrorTrap trap;
    if (visible) XMapWindow(m_display, m_window);
    else XUnmapWindow(m_display, m_window);
    m_mapped = visible;
    XFlush(m_display);
}

void YX11PlatformWindow::Focus() {
    ErrorTrap trap;
    // Focusing a window that is not viewable is an error of the server.
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(m_display, m_window, &attributes) != 0 && attributes.map_state == IsViewable)
        XSetInputFocus(m_display, m_window, RevertToParent, CurrentTime);
    if (m_captured) SetCapture(false);
    XFlush(m_display);
}

void YX11PlatformWindow::Invalidate(const YRect& rect) {
    const YRect clipped = rect.Intersect(YRect::FromSize(0, 0, m_width, m_height));
    if (!clipped.IsEmpty()) m_dirty = m_dirty.Union(clipped);
}

void YX11PlatformWindow::InvalidateFromAnyThread(const YRect& rect) {
    if (rect.IsEmpty()) return;
    {
        YScopedLock lock(m_requestLock);
        m_foreignDirty = m_foreignDirty.Union(rect);
    }
    Wake();
}

void YX11PlatformWindow::Update() {
    if (m_dirty.IsEmpty()) return;
    const YRect dirty = m_dirty;
    m_dirty = YRect::Empty();
    Paint(dirty);
}

void YX11PlatformWindow::SetCapture(bool on) {
    if (on == m_captured) return;
    ErrorTrap trap;
    if (on) {
        const int status = XGrabPointer(m_display, m_window, False,
                                        ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                                        GrabModeAsync, None, None, CurrentTime);
        m_captured = status == GrabSuccess;
    } else {
        XUngrabPointer(m_display, CurrentTime);
        m_captured = false;
        m_listener.OnNativeCaptureLost();
    }
    XFlush(m_display);
}

YPoint YX11PlatformWindow::CursorPosition() const {
    ErrorTrap trap;
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned mask = 0;
    if (!XQueryPointer(m_display, m_window, &root, &child, &rootX, &rootY, &x, &y, &mask)) return {-1, -1};
    return {x, y};
}

void YX11PlatformWindow::SetCursorPosition(YPoint client) {
    ErrorTrap trap;
    XWarpPointer(m_display, None, m_window, 0, 0, 0, 0, client.x, client.y);
    XFlush(m_display);
}

uint32_t YX11PlatformWindow::ModifierState() const {
    ErrorTrap trap;
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned mask = 0;
    XQueryPointer(m_display, m_window, &root, &child, &rootX, &rootY, &x, &y, &mask);
    return ModifierFlags(mask);
}

void YX11PlatformWindow::SetCursor(YCursor cursor) {
    ErrorTrap trap;
    auto found = m_cursors.find(cursor);
    if (found == m_cursors.end()) {
        Cursor made = 0;
        if (cursor == YCursor::kNone) {
            // No shape: a cursor made of one transparent pixel.
            const char empty = 0;
            const Pixmap blank = XCreateBitmapFromData(m_display, m_window, &empty, 1, 1);
            XColor black{};
            made = XCreatePixmapCursor(m_display, blank, blank, &black, &black, 0, 0);
            XFreePixmap(m_display, blank);
        } else {
            made = XCreateFontCursor(m_display, ShapeOf(cursor));
        }
        found = m_cursors.emplace(cursor, made).first;
    }
    XDefineCursor(m_display, m_window, found->second);
    XFlush(m_display);
}

void YX11PlatformWindow::SetTimer(uintptr_t id, int32_t interval) {
    if (interval < 1) {
        m_timers.erase(id);
        return;
    }
    const uint32_t ms = static_cast<uint32_t>(interval);
    m_timers[id] = Timer{ms, YPlatformTickCount() + ms};
}

void YX11PlatformWindow::SetClipboardText(const YString& text) {
    ErrorTrap trap;
    m_clipboardText = text.ToUTF8();
    XSetSelectionOwner(m_display, m_clipboard, m_window, CurrentTime);
    m_ownsClipboard = XGetSelectionOwner(m_display, m_clipboard) == m_window;
    XFlush(m_display);
}

YString YX11PlatformWindow::ClipboardText() {
    ErrorTrap trap;
    const Window owner = XGetSelectionOwner(m_display, m_clipboard);
    if (owner == None) return {};
    if (owner == m_window) {
        return YString::FromUTF8(m_clipboardText);
    }
    XDeleteProperty(m_display, m_window, m_clipboardProperty);
    XConvertSelection(m_display, m_clipboard, m_utf8, m_clipboardProperty, m_window, CurrentTime);
    XFlush(m_display);
    // The owner answers with a SelectionNotify; other events wait in the queue meanwhile.
    const uint32_t start = YPlatformTickCount();
    XEvent event{};
    bool answered = false;
    while (YPlatformTickCount() - start < kClipboardWaitMs) {
        if (XCheckTypedWindowEvent(m_display, m_window, SelectionNotify, &event)) {
            answered = true;
            break;
        }
        YPlatformSleep(1);
    }
    if (!answered || event.xselection.property == None) return {};
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    YString text;
    if (XGetWindowProperty(m_display, m_window, m_clipboardProperty, 0, 1 << 20, True, AnyPropertyType, &type,
                           &format, &count, &after, &data) == Success &&
        data != nullptr) {
        if (format == 8) text = YString::FromUTF8(std::string_view(reinterpret_cast<const char*>(data), count));
        XFree(data);
    }
    return text;
}

void YX11PlatformWindow::AnswerSelectionRequest(const XSelectionRequestEvent& request) {
    XSelectionEvent answer{};
    answer.type = SelectionNotify;
    answer.display = request.display;
    answer.requestor = request.requestor;
    answer.selection = request.selection;
    answer.target = request.target;
    answer.time = request.time;
    answer.property = None;
    const Atom property = request.property != None ? request.property : request.target;
    if (m_ownsClipboard && request.selection == m_clipboard) {
        if (request.target == m_targets) {
            const Atom offered[3] = {m_targets, m_utf8, XA_STRING};
            XChangeProperty(m_display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(offered), 3);
            answer.property = property;
        } else if (request.target == m_utf8 || request.target == XA_STRING) {
            XChangeProperty(m_display, request.requestor, property, request.target, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(m_clipboardText.data()),
                            static_cast<int>(m_clipboardText.size()));
            answer.property = property;
        }
    }
    XEvent event{};
    event.xselection = answer;
    XSendEvent(m_display, request.requestor, False, 0, &event);
}

void YX11PlatformWindow::PostPrivateMessage(uint32_t message) {
    {
        YScopedLock lock(m_requestLock);
        m_messages.push_back(message);
    }
    Wake();
}

void YX11PlatformWindow::Wake() noexcept {
    const char byte = 1;
    // A full pipe already wakes the GUI thread.
    [[maybe_unused]] const ssize_t written = write(m_wakeWrite, &byte, 1);
}

void YX11PlatformWindow::DrainWakePipe() noexcept {
    char buffer[64];
    while (read(m_wakeRead, buffer, sizeof buffer) > 0) {
    }
}

bool YX11PlatformWindow::ProcessEvents() {
    if (m_gone) return false;
    ErrorTrap trap;
    DrainWakePipe();
    std::vector<uint32_t> messages;
    {
        YScopedLock lock(m_requestLock);
        messages.swap(m_messages);
        Invalidate(m_foreignDirty);
        m_foreignDirty = YRect::Empty();
    }
    for (uint32_t message : messages) {
        if (message == YWindowSystem::kMessageClose) m_listener.OnNativeClose();
        else m_listener.OnNativeMessage(message);
    }
    while (!m_gone && XPending(m_display) > 0) {
        XEvent event{};
        XNextEvent(m_display, &event);
        Dispatch(event);
    }
    if (m_gone) return false;
    RunDueTimers();
    Update();
    XFlush(m_display);
    return !m_gone;
}

void YX11PlatformWindow::RunDueTimers() {
    const uint32_t now = YPlatformTickCount();
    std::vector<uintptr_t> due;
    for (auto& [id, timer] : m_timers) {
        if (static_cast<int32_t>(now - timer.due) < 0) continue;
        due.push_back(id);
        // Late timers do not catch up: one call, then the next interval from now.
        timer.due = now + timer.interval;
    }
    for (uintptr_t id : due)
        if (m_timers.count(id) != 0) m_listener.OnNativeTimer(id);
}

void YX11PlatformWindow::Dispatch(XEvent& event) {
    if (event.xany.window != m_window) return;
    switch (event.type) {
    case Expose:
        Invalidate(YRect::FromSize(event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height));
        break;
    case ConfigureNotify:
        if (event.xconfigure.width != m_width || event.xconfigure.height != m_height) {
            m_width = event.xconfigure.width;
            m_height = event.xconfigure.height;
            m_dirty = YRect::FromSize(0, 0, m_width, m_height);
            m_listener.OnNativeSize(m_width, m_height);
        }
        break;
    case MapNotify: m_mapped = true; break;
    case UnmapNotify: m_mapped = false; break;
    case DestroyNotify: m_gone = true; break;
    case ButtonPress:
        if (m_enabled) DispatchButton(event.xbutton, true);
        break;
    case ButtonRelease:
        if (m_enabled) DispatchButton(event.xbutton, false);
        break;
    case MotionNotify: {
        if (!m_enabled) break;
        m_listener.OnNativeEvent(YSystemEvent::Mouse(YEventCode::kMouseMove, {event.xmotion.x, event.xmotion.y},
                                                     ModifierFlags(event.xmotion.state)));
        break;
    }
    case LeaveNotify:
        // A grab's start and end move the pointer "out" without it leaving.
        if (event.xcrossing.mode == NotifyNormal && m_trackLeave) {
            m_trackLeave = false;
            m_listener.OnNativeEvent(YSystemEvent::Mouse(YEventCode::kMouseLeave, {event.xcrossing.x, event.xcrossing.y},
                                                         ModifierFlags(event.xcrossing.state)));
        }
        break;
    case KeyPress:
        if (m_enabled) DispatchKey(event.xkey, true);
        break;
    case KeyRelease:
        if (m_enabled) DispatchKey(event.xkey, false);
        break;
    case FocusIn:
        m_focused = true;
        m_listener.OnNativeFocus(true);
        break;
    case FocusOut:
        m_focused = false;
        m_listener.OnNativeFocus(false);
        break;
    case ClientMessage:
        if (event.xclient.message_type == m_wmProtocols && static_cast<Atom>(event.xclient.data.l[0]) == m_wmDelete)
            m_listener.OnNativeClose();
        break;
    case SelectionRequest: AnswerSelectionRequest(event.xselectionrequest); break;
    case SelectionClear: m_ownsClipboard = false; break;
    default: break;
    }
}

void YX11PlatformWindow::DispatchButton(const XButtonEvent& event, bool press) {
    const YPoint point{event.x, event.y};
    // X reports the state before the event; Win32 reports it after.
    uint32_t flags = ModifierFlags(event.state);
    if (press) flags |= ButtonFlag(event.button);
    else flags &= ~ButtonFlag(event.button);
    if (event.button == Button4 || event.button == Button5) {
        if (press)
            m_listener.OnNativeEvent(
                YSystemEvent::Mouse(YEventCode::kWheel, point, flags, event.button == Button4 ? kWheelDelta : -kWheelDelta));
        return;
    }
    int32_t down, up, twice;
    switch (event.button) {
    case Button1: down = YEventCode::kLeftDown; up = YEventCode::kLeftUp; twice = YEventCode::kLeftDoubleClick; break;
    case Button2: down = YEventCode::kMiddleDown; up = YEventCode::kMiddleUp; twice = YEventCode::kMiddleDoubleClick; break;
    case Button3: down = YEventCode::kRightDown; up = YEventCode::kRightUp; twice = YEventCode::kRightDoubleClick; break;
    default: return;
    }
    if (!press) {
        m_listener.OnNativeEvent(YSystemEvent::Mouse(up, point, flags));
        return;
    }
    const bool isDouble = event.button == m_lastButton && event.time - m_lastPressTime <= kDoubleClickMs &&
                          std::abs(point.x - m_lastPressPoint.x) <= kDoubleClickDistance &&
                          std::abs(point.y - m_lastPressPoint.y) <= kDoubleClickDistance;
    if (isDouble) {
        // A third click starts a new pair.
        m_lastButton = 0;
        if (!m_listener.OnNativeEvent(YSystemEvent::Mouse(twice, point, flags)))
            m_listener.OnNativeEvent(YSystemEvent::Mouse(down, point, flags | YEventFlag::kDouble));
        return;
    }
    m_lastButton = event.button;
    m_lastPressTime = event.time;
    m_lastPressPoint = point;
    m_listener.OnNativeEvent(YSystemEvent::Mouse(down, point, flags));
}

void YX11PlatformWindow::DispatchKey(XKeyEvent& event, bool press) {
    // Auto-repeat sends a release and a press at the same time: the release is dropped.
    if (!press && XEventsQueued(m_display, QueuedAfterReading) > 0) {
        XEvent next{};
        XPeekEvent(m_display, &next);
        if (next.type == KeyPress && next.xkey.time == event.time && next.xkey.keycode == event.keycode) return;
    }
    const uint32_t flags = ModifierFlags(event.state) & YEventFlag::kModifiers;
    const KeySym plain = XLookupKeysym(&event, 0);
    const uint32_t virtualKey = YX11KeySymToVirtualKey(plain);
    if (virtualKey != 0)
        m_listener.OnNativeEvent(YSystemEvent::Key(press ? YEventCode::kKeyDown : YEventCode::kKeyUp, virtualKey, flags));
    if (!press) return;
    // The typed character follows its key, as Win32 sends WM_CHAR after WM_KEYDOWN.
    char bytes[8];
    KeySym typed = NoSymbol;
    XLookupString(&event, bytes, sizeof bytes, &typed, nullptr);
    const char32_t character = YX11KeySymToCharacter(typed);
    if (character != 0 && (flags & (YEventFlag::kCtrl | YEventFlag::kAlt)) == 0)
        m_listener.OnNativeEvent(YSystemEvent::Character(static_cast<uint32_t>(character), flags));
}

void YX11PlatformWindow::Paint(const YRect& rect) {
    const YRect dirty = rect.Intersect(YRect::FromSize(0, 0, m_width, m_height));
    if (!dirty.IsEmpty()) m_listener.OnNativePaint(dirty);
}

void YX11PlatformWindow::Present(const YRect& area, const uint32_t* pixels, int32_t width, int32_t height) {
    const YRect shown = area.Intersect(YRect::FromSize(0, 0, std::min(width, m_width), std::min(height, m_height)));
    if (m_gone || shown.IsEmpty() || pixels == nullptr) return;
    ErrorTrap trap;
    // An image header over the caller's pixels: nothing is copied before the request itself.
    XImage* image = XCreateImage(m_display, m_visual, static_cast<unsigned>(m_depth), ZPixmap, 0,
                                 reinterpret_cast<char*>(const_cast<uint32_t*>(pixels)), static_cast<unsigned>(width),
                                 static_cast<unsigned>(height), 32, width * 4);
    if (image == nullptr) YRaise("Could not create system bitmap with direct access.");
    XPutImage(m_display, m_window, m_gc, image, shown.left, shown.top, shown.left, shown.top,
              static_cast<unsigned>(shown.Width()), static_cast<unsigned>(shown.Height()));
    image->data = nullptr; // the pixels stay the caller's
    XDestroyImage(image);
}

} // namespace

std::unique_ptr<YPlatformWindow> YPlatformWindow::Create(YPlatformWindowListener& listener, int32_t width, int32_t height) {
    return std::make_unique<YX11PlatformWindow>(listener, width, height);
}
