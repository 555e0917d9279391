// The Win32 native window: a window of this module's class, created as a pop-up and turned into
// a child of the host's window when embedded. The host's message loop calls the window
// procedure on the GUI thread; other threads only post messages to the window (a dirty
// rectangle waits under a lock and a wake-up message carries it over), so no window call is made
// from any thread but the one that created the window.
#include "gui/windows/YPlatformWindow.h"
#include "gui/windows/win32/YSysBitmap.h"
#include "gui/windows/win32/YWin32NativeCalls.h"
#include "gui/windows/win32/YWin32WindowClass.h"

#include "foundation/YException.h"
#include "platform/YSynchronizer.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

namespace {

constexpr DWORD kPopupStyle = 0x840b0000;    // pop-up, clip siblings, system menu, minimise and maximise boxes
constexpr DWORD kChildStyle = 0x440b0000;    // the same as a child window
constexpr DWORD kPopupExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
constexpr UINT kMessageBase = WM_USER;       // WM_USER + a private message; the close is WM_USER itself
constexpr UINT kWakeMessage = WM_USER + YWindowSystem::kMessageWakeUp;
// How often an occupied clipboard is tried before giving up.
constexpr int kClipboardAttempts = 10;

UINT WindowMessageOf(uint32_t message) noexcept {
    return message == YWindowSystem::kMessageClose ? kMessageBase : kMessageBase + message;
}

bool KeyDown(int key) noexcept { return (GetKeyState(key) & 0x8000) != 0; }

// The Ctrl, Alt and Shift flags of the key state this message was sent with.
uint32_t KeyModifiers() noexcept {
    uint32_t flags = 0;
    if (KeyDown(VK_CONTROL)) flags |= YEventFlag::kCtrl;
    if (KeyDown(VK_MENU)) flags |= YEventFlag::kAlt;
    if (KeyDown(VK_SHIFT)) flags |= YEventFlag::kShift;
    return flags;
}

// Buttons, Ctrl and Shift from a mouse message's first parameter; Alt from the key state.
uint32_t MouseFlags(WPARAM wParam) noexcept {
    const auto keys = static_cast<uint32_t>(LOWORD(wParam));
    uint32_t flags = 0;
    if (keys & MK_LBUTTON) flags |= YEventFlag::kLeftButton;
    if (keys & MK_MBUTTON) flags |= YEventFlag::kMiddleButton;
    if (keys & MK_RBUTTON) flags |= YEventFlag::kRightButton;
    if (keys & MK_CONTROL) flags |= YEventFlag::kCtrl;
    if (keys & MK_SHIFT) flags |= YEventFlag::kShift;
    if ((GetAsyncKeyState(VK_MENU) & 0x8000) != 0) flags |= YEventFlag::kAlt;
    return flags;
}

YPoint PointOf(LPARAM lParam) noexcept {
    return {static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
}

LPCWSTR ShapeOf(YCursor kind) noexcept {
    switch (kind) {
    case YCursor::kHand: return MAKEINTRESOURCEW(32649); // IDC_HAND
    case YCursor::kIBeam: return MAKEINTRESOURCEW(32513); // IDC_IBEAM
    case YCursor::kSizeWE: return MAKEINTRESOURCEW(32644); // IDC_SIZEWE
    case YCursor::kSizeNS: return MAKEINTRESOURCEW(32645); // IDC_SIZENS
    case YCursor::kSizeAll: return MAKEINTRESOURCEW(32646); // IDC_SIZEALL
    case YCursor::kWait: return MAKEINTRESOURCEW(32514); // IDC_WAIT
    case YCursor::kCross: return MAKEINTRESOURCEW(32515); // IDC_CROSS
    case YCursor::kArrow:
    case YCursor::kNone: break;
    }
    return MAKEINTRESOURCEW(32512); // IDC_ARROW
}

class YWin32PlatformWindow final : public YPlatformWindow {
public:
    YWin32PlatformWindow(YPlatformWindowListener& listener, int32_t width, int32_t height);
    ~YWin32PlatformWindow() override;

    void* Handle() const noexcept override { return m_hwnd; }
    void Reparent(void* parent) override;
    bool IsChild() const noexcept override { return m_parent != nullptr; }
    void SetTitle(const YString& title) override;
    YSize ClientSize() const noexcept override { return {m_width, m_height}; }
    void SetClientSize(int32_t width, int32_t height) override;
    YRect WindowRect() const override;
    void Move(YPoint position) override;
    YPoint ClientToScreen(YPoint client) const override;
    YRect WorkArea() const override;
    void Show(bool visible) override;
    bool IsVisible() const override { return !m_gone && IsWindowVisible(m_hwnd) != FALSE; }
    bool IsMinimized() const override { return !m_gone && IsIconic(m_hwnd) != FALSE; }
    void BringToTop() override;
    void SetTopmost(bool topmost) override;
    void SetEnabled(bool enabled) override;
    void Focus() override;
    bool HasFocus() const override { return !m_gone && GetFocus() == m_hwnd; }
    void Invalidate(const YRect& rect) override;
    void InvalidateFromAnyThread(const YRect& rect) override;
    void Update() override;
    std::unique_ptr<YBaseBitmap> CreateBitmap() override;
    void Present(const YRect& area, const uint32_t* pixels, int32_t width, int32_t height) override;
    void SetCapture(bool on) override;
    bool HasCapture() const noexcept override { return m_captured; }
    void TrackMouseLeave() override;
    YPoint CursorPosition() const override;
    void SetCursorPosition(YPoint client) override;
    uint32_t ModifierState() const override;
    void SetCursor(YCursor kind) override;
    void SetTimer(uintptr_t id, int32_t interval) override;
    void SetClipboardText(const YString& text) override;
    YString ClipboardText() override;
    void PostPrivateMessage(uint32_t message) override;
    bool ProcessEvents() override;
    int ConnectionDescriptor() const noexcept override { return -1; }
    int WakeDescriptor() const noexcept override { return -1; }

    static LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void HandleMouse(UINT message, WPARAM wParam, LPARAM lParam);
    void HandlePaint();
    void ClampSizing(UINT edge, RECT& outer);
    void TakeForeignRequests();
    bool OpenClipboardRetrying() const noexcept;

    YPlatformWindowListener& m_listener;
    HWND m_hwnd = nullptr;
    HWND m_parent = nullptr;
    int32_t m_width = 0;
    int32_t m_height = 0;
    bool m_gone = false; // the system destroyed the window (its parent went away)
    bool m_captured = false;
    bool m_trackLeave = false;
    HCURSOR m_cursor = nullptr;
    bool m_cursorSet = false;
    HDC m_paintDC = nullptr;      // between BeginPaint and EndPaint
    YSysBitmap* m_bitmap = nullptr; // the descriptor's bitmap (it outlives this window)
    char16_t m_highSurrogate = 0;

    // Shared with other threads.
    YLock m_requestLock;
    YRect m_foreignDirty;
    std::atomic<bool> m_wakePosted{false};
};

YWin32PlatformWindow::YWin32PlatformWindow(YPlatformWindowListener& listener, int32_t width, int32_t height)
    : m_listener(listener) {
    m_width = std::max(width, 1);
    m_height = std::max(height, 1);
    RECT outer{0, 0, m_width, m_height};
    AdjustWindowRectEx(&outer, kPopupStyle, FALSE, kPopupExStyle);
    m_hwnd = CreateWindowExW(kPopupExStyle, YWin32WindowClass::Name(), L"", kPopupStyle, 0, 0, outer.right - outer.left,
                             outer.bottom - outer.top, nullptr, nullptr, YWin32WindowClass::Instance(), this);
    if (m_hwnd == nullptr) YRaise("Could not create the window.");
    RECT client{};
    GetClientRect(m_hwnd, &client);
    m_width = std::max<int32_t>(client.right, 1);
    m_height = std::max<int32_t>(client.bottom, 1);
}

YWin32PlatformWindow::~YWin32PlatformWindow() {
    if (m_gone) return;
    // From here the window's messages go to the default procedure only.
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
    if (GetCapture() == m_hwnd) ReleaseCapture();
    DestroyWindow(m_hwnd);
}

LRESULT CALLBACK YWin32PlatformWindow::WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* created = static_cast<YWin32PlatformWindow*>(create->lpCreateParams);
        // The messages of the creation come before CreateWindowExW returns the handle.
        created->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* self = reinterpret_cast<YWin32PlatformWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    YWin32NativeCalls::Scope scope;
    bool handled = false;
    LRESULT result = 0;
    YGuard("YWindowProc (messages)", [&] {
        result = self->Handle(message, wParam, lParam);
        handled = true;
    });
    // An exception counts as handled, so that it stops here.
    return handled ? result : 0;
}

LRESULT YWin32PlatformWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
    case WM_HELP: return message == WM_HELP ? TRUE : 0;
    case WM_DESTROY:
        // The host destroyed its window with ours in it: nothing of ours may use the handle.
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        m_gone = true;
        m_captured = false;
        return 0;
    case WM_SIZE:
        if (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED) {
            const int32_t width = LOWORD(lParam), height = HIWORD(lParam);
            if (width != m_width || height != m_height) {
                m_width = width;
                m_height = height;
                m_listener.OnNativeSize(width, height);
            }
        }
        return 0;
    case WM_SIZING: ClampSizing(static_cast<UINT>(wParam), *reinterpret_cast<RECT*>(lParam)); return TRUE;
    case WM_SETFOCUS: m_listener.OnNativeFocus(true); return 0;
    case WM_KILLFOCUS: m_listener.OnNativeFocus(false); return 0;
    case WM_PAINT: HandlePaint(); return 0;
    case WM_CLOSE:
        m_listener.OnNativeClose();
        // The close request runs after this message, from the wake-up.
        PostPrivateMessage(YWindowSystem::kMessageWakeUp);
        return 0;
    case WM_ERASEBKGND: return TRUE; // the bitmap covers the whole area: no flicker
    case WM_NCHITTEST: return HTCLIENT;
    case WM_GETDLGCODE: return DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_WANTTAB;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
        bool used = false;
        YGuard(down ? "Processing keyboard event YSystemEvent::KeyDown" : "Processing keyboard event YSystemEvent::KeyUp",
               [&] {
                   used = m_listener.OnNativeEvent(YSystemEvent::Key(down ? YEventCode::kKeyDown : YEventCode::kKeyUp,
                                                                     static_cast<uint32_t>(wParam), KeyModifiers()));
               });
        // System keys the editor leaves (Alt+F4, the menu key) keep their meaning.
        if (!used && (message == WM_SYSKEYDOWN || message == WM_SYSKEYUP))
            return DefWindowProcW(m_hwnd, message, wParam, lParam);
        return 0;
    }
    case WM_CHAR: {
        const auto unit = static_cast<char16_t>(wParam);
        if (unit >= 0xD800 && unit < 0xDC00) {
            m_highSurrogate = unit;
            return 0;
        }
        uint32_t character = unit;
        if (unit >= 0xDC00 && unit < 0xE000) {
            if (m_highSurrogate == 0) return 0;
            character = 0x10000u + ((static_cast<uint32_t>(m_highSurrogate) - 0xD800u) << 10) + (unit - 0xDC00u);
        }
        m_highSurrogate = 0;
        const uint32_t modifiers = KeyModifiers();
        // What Ctrl makes of letters (Ctrl+A is 1) is a shortcut, not typing; Return, Escape,
        // Tab and Backspace stay characters, as on X11.
        if (character == 0x7F || (character < 0x20 && (modifiers & YEventFlag::kCtrl) != 0)) return 0;
        YGuard("Processing keyboard event YSystemEvent::Character", [&] {
            m_listener.OnNativeEvent(YSystemEvent::Character(character, modifiers));
        });
        return 0;
    }
    case WM_TIMER: m_listener.OnNativeTimer(static_cast<uintptr_t>(wParam)); return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_MOUSEWHEEL:
    case WM_MOUSELEAVE: HandleMouse(message, wParam, lParam); return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != m_hwnd) {
            m_captured = false;
            m_listener.OnNativeCaptureLost();
        }
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && m_cursorSet) {
            ::SetCursor(m_cursor);
            return TRUE;
        }
        return DefWindowProcW(m_hwnd, message, wParam, lParam);
    default: break;
    }
    if (message >= kMessageBase && message <= kMessageBase + YWindowSystem::kMessageClose) {
        if (message == kWakeMessage) {
            TakeForeignRequests();
            m_listener.OnNativeMessage(YWindowSystem::kMessageWakeUp);
        } else if (message == kMessageBase) {
            m_listener.OnNativeClose();
        } else {
            m_listener.OnNativeMessage(message - kMessageBase);
        }
        return 0;
    }
    return DefWindowProcW(m_hwnd, message, wParam, lParam);
}

void YWin32PlatformWindow::HandleMouse(UINT message, WPARAM wParam, LPARAM lParam) {
    YGuard("WndProcMouse", [&] {
        if (!IsWindowEnabled(m_hwnd)) return;
        const uint32_t flags = MouseFlags(wParam);
        switch (message) {
        case WM_MOUSEMOVE:
            m_listener.OnNativeEvent(YSystemEvent::Mouse(YEventCode::kMouseMove, PointOf(lParam), flags));
            return;
        case WM_MOUSELEAVE:
            m_trackLeave = false;
            m_listener.OnNativeEvent(YSystemEvent::Mouse(YEventCode::kMouseLeave, CursorPosition(), flags));
            return;
        case WM_MOUSEWHEEL: {
            // The wheel's point is on the screen.
            POINT point{static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
            ScreenToClient(m_hwnd, &point);
            m_listener.OnNativeEvent(YSystemEvent::Mouse(YEventCode::kWheel, {point.x, point.y}, flags,
                                                         static_cast<int16_t>(HIWORD(wParam))));
            return;
        }
        default: break;
        }
        int32_t code = 0, fallback = -1;
        switch (message) {
        case WM_LBUTTONDOWN: code = YEventCode::kLeftDown; break;
        case WM_RBUTTONDOWN: code = YEventCode::kRightDown; break;
        case WM_MBUTTONDOWN: code = YEventCode::kMiddleDown; break;
        case WM_LBUTTONUP: code = YEventCode::kLeftUp; break;
        case WM_RBUTTONUP: code = YEventCode::kRightUp; break;
        case WM_MBUTTONUP: code = YEventCode::kMiddleUp; break;
        case WM_LBUTTONDBLCLK: code = YEventCode::kLeftDoubleClick; fallback = YEventCode::kLeftDown; break;
        case WM_RBUTTONDBLCLK: code = YEventCode::kRightDoubleClick; fallback = YEventCode::kRightDown; break;
        case WM_MBUTTONDBLCLK: code = YEventCode::kMiddleDoubleClick; fallback = YEventCode::kMiddleDown; break;
        default: return;
        }
        const YPoint point = PointOf(lParam);
        // A double-click nobody takes comes again as a second press.
        if (!m_listener.OnNativeEvent(YSystemEvent::Mouse(code, point, flags)) && fallback >= 0)
            m_listener.OnNativeEvent(YSystemEvent::Mouse(fallback, point, flags | YEventFlag::kDouble));
    });
}

void YWin32PlatformWindow::HandlePaint() {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(m_hwnd, &paint);
    if (dc == nullptr) return;
    m_paintDC = dc;
    const YRect dirty = YRect::FromSize(paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right - paint.rcPaint.left,
                                        paint.rcPaint.bottom - paint.rcPaint.top)
                            .Intersect(YRect::FromSize(0, 0, m_width, m_height));
    YGuard("YWin32PlatformWindow::Paint", [&] {
        if (!dirty.IsEmpty()) m_listener.OnNativePaint(dirty);
    });
    m_paintDC = nullptr;
    EndPaint(m_hwnd, &paint);
}

void YWin32PlatformWindow::ClampSizing(UINT edge, RECT& outer) {
    // The frame around the client area, from the window's styles.
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(m_hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(m_hwnd, GWL_EXSTYLE)));
    const int32_t frameWidth = frame.right - frame.left, frameHeight = frame.bottom - frame.top;
    int32_t width = outer.right - outer.left - frameWidth;
    int32_t height = outer.bottom - outer.top - frameHeight;
    m_listener.OnNativeSizing(width, height);
    width = std::max(width, 1);
    height = std::max(height, 1);
    // The edge being dragged moves; the opposite one stays.
    if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT) outer.left = outer.right - width - frameWidth;
    else outer.right = outer.left + width + frameWidth;
    if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT) outer.top = outer.bottom - height - frameHeight;
    else outer.bottom = outer.top + height + frameHeight;
}

void YWin32PlatformWindow::TakeForeignRequests() {
    m_wakePosted.store(false);
    YRect dirty;
    {
        YScopedLock lock(m_requestLock);
        dirty = m_foreignDirty;
        m_foreignDirty = YRect::Empty();
    }
    Invalidate(dirty);
}

void YWin32PlatformWindow::Reparent(void* parent) {
    if (m_gone) return;
    m_parent = static_cast<HWND>(parent);
    // The style changes before the parent does: a pop-up never has a parent window.
    if (m_parent != nullptr) {
        SetWindowLongW(m_hwnd, GWL_STYLE, static_cast<LONG>(kChildStyle | (GetWindowLongW(m_hwnd, GWL_STYLE) & WS_VISIBLE)));
        SetParent(m_hwnd, m_parent);
    } else {
        SetParent(m_hwnd, nullptr);
        SetWindowLongW(m_hwnd, GWL_STYLE, static_cast<LONG>(kPopupStyle | (GetWindowLongW(m_hwnd, GWL_STYLE) & WS_VISIBLE)));
    }
    SetWindowPos(m_hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void YWin32PlatformWindow::SetTitle(const YString& title) {
    if (m_gone) return;
    const std::u16string text = title.ToUTF16();
    SetWindowTextW(m_hwnd, reinterpret_cast<const wchar_t*>(text.c_str()));
}

void YWin32PlatformWindow::SetClientSize(int32_t width, int32_t height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (m_gone || (width == m_width && height == m_height)) return;
    RECT outer{0, 0, width, height};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongW(m_hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(m_hwnd, GWL_EXSTYLE)));
    // WM_SIZE follows at once and tells the listener.
    SetWindowPos(m_hwnd, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

YRect YWin32PlatformWindow::WindowRect() const {
    RECT rect{};
    if (m_gone || !GetWindowRect(m_hwnd, &rect)) return YRect::FromSize(0, 0, m_width, m_height);
    if (m_parent != nullptr) MapWindowPoints(nullptr, m_parent, reinterpret_cast<POINT*>(&rect), 2);
    return YRect::FromSize(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

void YWin32PlatformWindow::Move(YPoint position) {
    if (m_gone) return;
    SetWindowPos(m_hwnd, nullptr, position.x, position.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

YPoint YWin32PlatformWindow::ClientToScreen(YPoint client) const {
    POINT point{client.x, client.y};
    if (!m_gone) ::ClientToScreen(m_hwnd, &point);
    return {point.x, point.y};
}

YRect YWin32PlatformWindow::WorkArea() const {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTONEAREST);
    RECT area{};
    if (monitor != nullptr && GetMonitorInfoW(monitor, &info)) area = info.rcWork;
    else SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return YRect::FromSize(area.left, area.top, area.right - area.left, area.bottom - area.top);
}

void YWin32PlatformWindow::Show(bool visible) {
    if (m_gone) return;
    ShowWindow(m_hwnd, visible ? (m_parent != nullptr ? SW_SHOW : SW_SHOWNOACTIVATE) : SW_HIDE);
}

void YWin32PlatformWindow::BringToTop() {
    if (!m_gone) SetWindowPos(m_hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void YWin32PlatformWindow::SetTopmost(bool topmost) {
    if (!m_gone)
        SetWindowPos(m_hwnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void YWin32PlatformWindow::SetEnabled(bool enabled) {
    if (!m_gone) EnableWindow(m_hwnd, enabled ? TRUE : FALSE);
}

void YWin32PlatformWindow::Focus() {
    if (m_gone) return;
    SetForegroundWindow(GetAncestor(m_hwnd, GA_ROOT));
    ::SetFocus(m_hwnd);
    if (m_captured) SetCapture(false);
}

void YWin32PlatformWindow::Invalidate(const YRect& rect) {
    const YRect clipped = rect.Intersect(YRect::FromSize(0, 0, m_width, m_height));
    if (m_gone || clipped.IsEmpty()) return;
    // Our rectangles include their right and bottom edges; Win32's end before them.
    const RECT area{clipped.left, clipped.top, clipped.right + 1, clipped.bottom + 1};
    ::InvalidateRect(m_hwnd, &area, FALSE);
}

void YWin32PlatformWindow::InvalidateFromAnyThread(const YRect& rect) {
    if (rect.IsEmpty()) return;
    {
        YScopedLock lock(m_requestLock);
        m_foreignDirty = m_foreignDirty.Union(rect);
    }
    PostPrivateMessage(YWindowSystem::kMessageWakeUp);
}

void YWin32PlatformWindow::Update() {
    if (!m_gone) UpdateWindow(m_hwnd);
}

std::unique_ptr<YBaseBitmap> YWin32PlatformWindow::CreateBitmap() {
    auto bitmap = std::make_unique<YSysBitmap>();
    m_bitmap = bitmap.get();
    return bitmap;
}

void YWin32PlatformWindow::Present(const YRect& area, const uint32_t* pixels, int32_t width, int32_t height) {
    const YRect shown = area.Intersect(YRect::FromSize(0, 0, std::min(width, m_width), std::min(height, m_height)));
    if (m_gone || shown.IsEmpty() || pixels == nullptr) return;
    HDC dc = m_paintDC != nullptr ? m_paintDC : GetDC(m_hwnd);
    if (dc == nullptr) return;
    const bool shared = m_bitmap != nullptr && m_bitmap->DC() != nullptr &&
                        reinterpret_cast<const uint32_t*>(m_bitmap->Pixels()) == pixels && m_bitmap->Width() == width;
    if (shared) {
        BitBlt(dc, shown.left, shown.top, shown.Width(), shown.Height(), m_bitmap->DC(), shown.left, shown.top, SRCCOPY);
    } else {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        StretchDIBits(dc, shown.left, shown.top, shown.Width(), shown.Height(), shown.left, shown.top, shown.Width(),
                      shown.Height(), pixels, &info, DIB_RGB_COLORS, SRCCOPY);
    }
    if (dc != m_paintDC) ReleaseDC(m_hwnd, dc);
}

void YWin32PlatformWindow::SetCapture(bool on) {
    if (on == m_captured || m_gone) return;
    if (on) {
        ::SetCapture(m_hwnd);
        m_captured = GetCapture() == m_hwnd;
        return;
    }
    m_captured = false;
    // Releasing sends WM_CAPTURECHANGED, which tells the listener.
    if (GetCapture() == m_hwnd) ReleaseCapture();
    else m_listener.OnNativeCaptureLost();
}

void YWin32PlatformWindow::TrackMouseLeave() {
    if (m_gone || m_trackLeave) return;
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = m_hwnd;
    m_trackLeave = TrackMouseEvent(&track) != FALSE;
}

YPoint YWin32PlatformWindow::CursorPosition() const {
    POINT point{};
    if (m_gone || !GetCursorPos(&point) || !ScreenToClient(m_hwnd, &point)) return {-1, -1};
    return {point.x, point.y};
}

void YWin32PlatformWindow::SetCursorPosition(YPoint client) {
    POINT point{client.x, client.y};
    if (!m_gone && ::ClientToScreen(m_hwnd, &point)) SetCursorPos(point.x, point.y);
}

uint32_t YWin32PlatformWindow::ModifierState() const {
    const auto held = [](int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; };
    uint32_t flags = 0;
    if (held(VK_LBUTTON)) flags |= YEventFlag::kLeftButton;
    if (held(VK_MBUTTON)) flags |= YEventFlag::kMiddleButton;
    if (held(VK_RBUTTON)) flags |= YEventFlag::kRightButton;
    if (held(VK_CONTROL)) flags |= YEventFlag::kCtrl;
    if (held(VK_MENU)) flags |= YEventFlag::kAlt;
    if (held(VK_SHIFT)) flags |= YEventFlag::kShift;
    return flags;
}

void YWin32PlatformWindow::SetCursor(YCursor kind) {
    // The system's shared cursors: nothing to free.
    m_cursor = kind == YCursor::kNone ? nullptr : LoadCursorW(nullptr, ShapeOf(kind));
    m_cursorSet = true;
    POINT point{};
    if (!m_gone && GetCursorPos(&point) && WindowFromPoint(point) == m_hwnd) ::SetCursor(m_cursor);
}

void YWin32PlatformWindow::SetTimer(uintptr_t id, int32_t interval) {
    if (m_gone) return;
    if (interval < 1) KillTimer(m_hwnd, id);
    else ::SetTimer(m_hwnd, id, static_cast<UINT>(interval), nullptr);
}

bool YWin32PlatformWindow::OpenClipboardRetrying() const noexcept {
    // Another program may hold the clipboard for a moment.
    for (int attempt = 0; attempt < kClipboardAttempts; ++attempt) {
        if (OpenClipboard(m_hwnd)) return true;
        Sleep(2);
    }
    return false;
}

void YWin32PlatformWindow::SetClipboardText(const YString& text) {
    if (m_gone || !OpenClipboardRetrying()) return;
    const std::u16string units = text.ToUTF16();
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (units.size() + 1) * sizeof(char16_t));
    if (memory != nullptr) {
        if (void* target = GlobalLock(memory)) {
            std::copy(units.c_str(), units.c_str() + units.size() + 1, static_cast<char16_t*>(target));
            GlobalUnlock(memory);
            // The clipboard owns the memory once it took it.
            if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

YString YWin32PlatformWindow::ClipboardText() {
    if (m_gone || !IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboardRetrying()) return {};
    YString text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* units = static_cast<const char16_t*>(GlobalLock(data))) {
            // Up to the terminator, never beyond the memory's size.
            const size_t capacity = GlobalSize(data) / sizeof(char16_t);
            size_t length = 0;
            while (length < capacity && units[length] != 0) ++length;
            text = YString::FromUTF16(std::u16string_view(units, length));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void YWin32PlatformWindow::PostPrivateMessage(uint32_t message) {
    if (message > YWindowSystem::kMessageClose) return;
    // One wake-up in the queue is enough: it takes every request waiting.
    if (message == YWindowSystem::kMessageWakeUp && m_wakePosted.exchange(true)) return;
    if (!PostMessageW(m_hwnd, WindowMessageOf(message), 0, 0) && message == YWindowSystem::kMessageWakeUp)
        m_wakePosted.store(false);
}

bool YWin32PlatformWindow::ProcessEvents() {
    if (m_gone) return false;
    // This window's messages only: the host's own stay for its loop.
    MSG message{};
    while (!m_gone && PeekMessageW(&message, m_hwnd, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return !m_gone;
}

} // namespace

namespace YWin32WindowClass {
WNDPROC Procedure() noexcept { return &YWin32PlatformWindow::WindowProcedure; }
} // namespace YWin32WindowClass

std::unique_ptr<YPlatformWindow> YPlatformWindow::Create(YPlatformWindowListener& listener, int32_t width, int32_t height) {
    YWin32WindowClass::Register();
    return std::make_unique<YWin32PlatformWindow>(listener, width, height);
}
