// YPlatformWindowSystem: the window-system operations that both native systems share, built on
// one YPlatformWindow per root control. YWindowSystemMSWindows and YWindowSystemX11 add their
// names and what only their platform does.
//
// Threads: the operations run on the GUI thread, except InvalidateRect and
// SendForceExecuteEvents, which any framework thread may call: they leave their request with
// the platform window, which wakes the GUI thread (a posted message on Win32, the wake-up pipe
// on X11). ProcessPendingMessages is where the GUI thread answers: platform events, private
// messages, queued work, timers and painting.
#pragma once

#include "gui/toolkit/YWindowDescriptor.h"
#include "gui/toolkit/YWindowSystem.h"
#include "gui/toolkit/YWindows.h"
#include "gui/windows/YPlatformWindow.h"
#include "platform/YSynchronizer.h"

#include <atomic>
#include <map>
#include <memory>
#include <vector>

class YPlatformWindowSystem : public YWindowSystem {
public:
    ~YPlatformWindowSystem() override;

    bool Initialize() override { return true; }
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
    uint32_t ModifierState() const override;
    void SetTimer(YControl& control, uint32_t intervalMs) override;

    // The platform window of a root control (nullptr when it has none); for the host embedding
    // and for tests.
    YPlatformWindow* PlatformWindow(const YControl& root) const;
    // Descriptors the GUI thread watches for this system's windows (POSIX; empty on Win32).
    std::vector<int> Descriptors() const;
    // Windows that paint something, and how often they painted (for checks).
    int32_t PaintCount(const YControl& root) const;

    // Whether the GUI thread is inside a call the window system made (Win32: the window
    // procedure, entered from the host's message loop). Objects the call may still use must
    // not be destroyed then; AfterNativeCall runs work once the outermost such call returns
    // (at once when there is none), and CancelNativeCalls drops what owner left pending.
    virtual bool InsideNativeCall() const noexcept { return false; }
    virtual void AfterNativeCall(const void* owner, void (*work)(void*), void* context) { work(context); }
    virtual void CancelNativeCalls(const void*) noexcept {}

    // The process-wide "ignore the mouse until" time of ShowTimed.
    static void IgnoreMouseFor(uint32_t ms) noexcept;
    // Whether a mouse event of this code is dropped now (clears the time once it has passed).
    static bool MouseIgnored(int32_t code) noexcept;

protected:
    // startThreads: the invalidator and force-execute threads run by themselves.
    explicit YPlatformWindowSystem(bool startThreads = true);
    // Stops the threads and destroys the windows left; a derived destructor calls it first.
    void ShutdownSystem() noexcept;
    // Waits up to ms for something to do (modal loops).
    virtual void WaitForEvents(uint32_t ms);

private:
    struct Window;
    struct Message {
        YControl* root;
        uint32_t message;
        YControl* parameter;
    };

    Window* Find(const YControl& root) const noexcept;
    Window& Get(const YControl& root) const;
    Window* AnyWindow() const noexcept;
    void RunMessages();
    // Queued work, private messages and close requests: the part of ProcessPendingMessages
    // that a wake-up message runs by itself where the host's loop dispatches it (Win32).
    void RunQueuedWork();
    void FireTimer(uintptr_t id);
    void CloseWindow(YControl& root);

    YWindows m_windows;
    mutable YLock m_lock; // the window list and the messages; taken by other threads too
    std::map<const YControl*, Window*> m_byRoot;
    std::vector<Message> m_messages;
    std::map<YControl*, const YControl*> m_timers; // control -> its root
    std::vector<YControl*> m_closeRequests;        // roots whose close button was pressed
    std::vector<std::unique_ptr<Window>> m_doomed; // destroyed while their events ran
    Window* m_dispatching = nullptr;
    bool m_processing = false; // inside ProcessPendingMessages
    std::atomic<bool> m_wakeRequested{false};
    int32_t m_quitCode = 0;
    bool m_quit = false;
};
