// YWindowSystemHeadless: a window system without a screen. Windows are bitmaps in memory;
// events come from the caller (SendMouse, SendKey, AdvanceTime) and go through the same
// routing as a native window's; repaint requests wait until the caller pumps
// (ProcessPendingMessages), which paints them into the window's bitmap as a native window
// system would on its paint message. Tests and snapshots use it; nothing runs by itself
// unless it is made with its threads.
#pragma once

#include "gui/toolkit/YWindowDescriptor.h"
#include "gui/toolkit/YWindowSystem.h"
#include "gui/toolkit/YWindows.h"
#include "platform/YSynchronizer.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <vector>

class YWindow;

class YWindowSystemHeadless : public YWindowSystem {
public:
    // startThreads: run the invalidator and force-execute threads as a native window system
    // does; without them Pump() drives the same steps in order.
    explicit YWindowSystemHeadless(bool startThreads = false);
    ~YWindowSystemHeadless() override;

    bool Initialize() override { return true; }
    YString Description() const override { return "Headless window-system"; }
    YNativeWindow NativeWindow(const YControl& root) const override;
    YRect WorkArea(YPoint screenPoint) const override;
    bool HasWindow(const YControl& root) const override;
    void CreateNativeWindow(YControl& root, uint32_t flags) override;
    void DestroyNativeWindow(YControl& root) override;
    YSize ClientSize(const YControl& root) const override;
    void SetParentControl(YControl& root, YControl* parent) override;
    void SetParentWindow(YControl& root, YNativeWindow parent) override;
    void EnableWindow(YControl& root, bool enable) override;
    bool HasFocus(const YControl& root) const override;
    bool IsVisible(const YControl& root) const override;
    void SetTitle(YControl& root, const YString& title) override;
    void BringToTop(YControl& root) override;
    void SetTopmost(YControl& root, bool topmost) override;
    void SetPosition(YControl& root, YPoint position) override;
    void SetClientSize(YControl& root, YSize size) override;
    YRect GetWindowRect(const YControl& root) const override;
    void MoveWindow(YControl& root, const YRect& rect) override;
    void Show(YControl& root) override;
    void Hide(YControl& root) override;
    bool IsMaximized(const YControl& root) const override;
    bool IsMinimized(const YControl& root) const override;
    void DeferredShow(YControl& root, bool show) override;
    void ShowTimed(YControl& root, uint32_t ignoreMouseMs) override;
    void Activate(YControl& root) override;
    void DeferredClose(YControl& root) override;
    void ProcessPendingMessages() override;
    int32_t RunModalLoop(YControl& root) override;
    void PostPrivateMessage(YControl& root, uint32_t message, YControl* parameter) override;
    int32_t RunMessageLoop() override;
    void QuitLoop(int32_t code) override;
    void SendForceExecuteEvents() override;
    void SetCursor(YControl& root, YCursor cursor) override;
    void InvalidateRect(YControl& root, const YRect& rect) override;
    void UpdateNow(YControl& root) override;
    void SetClipboardText(YControl& root, const YString& text) override;
    YString GetClipboardText(YControl& root) override;
    void SetCapture(YControl& root, bool capture) override;
    bool HasCapture(const YControl& root) const override;
    YPoint GetCursorPos() const override;
    YPoint GetCursorPosInClient(const YControl& root) const override;
    void SetCursorPos(YControl& root, YPoint clientPoint) override;
    void TrackMouseLeave(YControl& root) override;
    uint32_t ModifierState() const override { return m_modifiers; }
    void SetTimer(YControl& control, uint32_t intervalMs) override;

    // ---- the caller's side ----

    YWindows& Windows() noexcept { return m_windows; }

    // A mouse event at a client point of root's window (the pointer moves there first; a
    // mouse-leave keeps it where it was). Returns whether the tree handled it.
    bool SendMouse(YWindow& root, int32_t code, YPoint point, uint32_t flags = 0, int32_t extra = 0);
    // A key event (kKeyDown, kKeyUp) or a character; the modifiers are held meanwhile.
    bool SendKey(YWindow& root, int32_t code, uint32_t keyCode, uint32_t modifiers = 0);
    bool SendCharacter(YWindow& root, uint32_t codePoint, uint32_t modifiers = 0);
    // Lets time pass: every timer whose interval elapsed calls its control's timer operation
    // (once per elapsed interval).
    void AdvanceTime(uint32_t ms);
    // The user (or host) resized the window: the client size changes, the root follows.
    void Resize(YWindow& root, YSize size);

    // One deterministic repaint cycle: an invalidator pass, a force-execute round, then the
    // pending messages (queued work, private messages, paints).
    void Pump();

    // The window's bitmap (nullptr before the first paint).
    const YBaseBitmap* Bitmap(const YControl& root) const;
    // Paint passes that painted something, per window.
    int32_t PaintCount(const YControl& root) const;
    // The last rectangle painted.
    YRect LastPainted(const YControl& root) const;
    // Rectangles waiting for a paint (the union).
    YRect PendingPaint(const YControl& root) const;
    int32_t QuitCode() const noexcept { return m_quitCode; }
    YCursor Cursor() const noexcept { return m_cursorShape; }
    int32_t ForceExecuteRequests() const noexcept { return m_forceRequests.load(); }

private:
    struct Window : YWindowDescriptor {
        YNativeWindow id = 0;
        YRect rect;           // position and size on the "screen"
        YNativeWindow parent = 0;
        bool visible = false;
        bool enabled = true;
        bool topmost = false;
        YString title;
        YRect invalid;        // waiting for a paint; guarded by the system's lock
        int32_t paints = 0;
        YRect lastPainted;
    };
    struct TimerState {
        uint32_t interval = 0;
        uint32_t elapsed = 0;
    };
    struct Message {
        YControl* root;
        uint32_t message;
        YControl* parameter;
    };

    Window* Find(const YControl& root) const noexcept;
    Window& Get(const YControl& root) const;
    void PaintPending();
    void RunMessages();

    YWindows m_windows;
    mutable YLock m_lock; // the window list's invalid rectangles, the messages, the wake flag
    std::map<const YControl*, Window*> m_byRoot;
    std::vector<Message> m_messages;
    std::map<YControl*, TimerState> m_timers;
    std::atomic<bool> m_wakeRequested{false};
    std::atomic<int32_t> m_forceRequests{0};
    YNativeWindow m_nextId = 1;
    YPoint m_pointer;     // client point of the window last pointed at
    const YControl* m_pointerWindow = nullptr;
    const YControl* m_focusWindow = nullptr;
    const YControl* m_captureWindow = nullptr;
    uint32_t m_modifiers = 0;
    YCursor m_cursorShape = YCursor::kArrow;
    YString m_clipboard;
    int32_t m_quitCode = 0;
    bool m_quit = false;
};
