#include "gui/windows/YPlatformWindowSystem.h"

#include "foundation/YException.h"
#include "gui/toolkit/YWindow.h"
#include "platform/YERWLock.h"
#include "platform/YPlatformTime.h"

#include <algorithm>

// One native window: the descriptor the tree paints into, and the listener of its platform
// window, which turns the platform's events into the tree's.
struct YPlatformWindowSystem::Window final : YWindowDescriptor, YPlatformWindowListener {
    Window(YPlatformWindowSystem& system, YControl& root) : system(system), root(root) {}

    std::unique_ptr<YBaseBitmap> CreateBitmap() override {
        std::unique_ptr<YBaseBitmap> shared = platform != nullptr ? platform->CreateBitmap() : nullptr;
        return shared != nullptr ? std::move(shared) : YWindowDescriptor::CreateBitmap();
    }

    void UpdateBitmap(const YRect& area) override {
        YWindowDescriptor::UpdateBitmap(area);
        const YBaseBitmap* bitmap = Target();
        if (bitmap == nullptr || platform == nullptr) return;
        platform->Present(area, reinterpret_cast<const uint32_t*>(bitmap->Pixels()), bitmap->Width(),
                          bitmap->Height());
    }

    void OnNativePaint(const YRect& dirty) override {
        if (auto* window = dynamic_cast<YWindow*>(&root)) {
            if (!window->PaintWindow(dirty).IsEmpty()) ++paints;
        }
    }
    void OnNativeSize(int32_t width, int32_t height) override { root.SetClientSizeFromWindow(width, height); }
    void OnNativeSizing(int32_t& width, int32_t& height) override {
        const YSize minimal = root.MinimalClientSize();
        width = std::max(width, minimal.x);
        height = std::max(height, minimal.y);
        if (auto* window = dynamic_cast<YWindow*>(&root)) {
            const YSize maximal = window->MaximalSize();
            if (maximal.x > 0) width = std::min(width, std::max(maximal.x, minimal.x));
            if (maximal.y > 0) height = std::min(height, std::max(maximal.y, minimal.y));
        }
    }
    bool OnNativeEvent(const YSystemEvent& event) override {
        if (YEventCode::IsMouse(event.code) && MouseIgnored(event.code)) return true;
        auto* window = dynamic_cast<YWindow*>(&root);
        return window != nullptr && window->Dispatch(event);
    }
    void OnNativeFocus(bool gained) override {
        YWindow* window = root.Window();
        if (window == nullptr) return;
        YScopedERWLock hold(window->Lock(), YSynchronizationObject::kExclusive);
        YControl* focused = &root;
        while (focused->FocusedChild() != nullptr) focused = focused->FocusedChild();
        if (gained) focused->FocusGained();
        else focused->FocusLost();
    }
    void OnNativeTimer(uintptr_t id) override { system.FireTimer(id); }
    void OnNativeCaptureLost() override {
        YWindow* window = root.Window();
        if (window == nullptr) return;
        YScopedERWLock hold(window->Lock(), YSynchronizationObject::kExclusive);
        root.CaptureLost();
    }
    void OnNativeClose() override {
        auto* window = dynamic_cast<YWindow*>(&root);
        if (window != nullptr && window->DeferredClosing()) {
            system.PostPrivateMessage(root, kMessageClose, nullptr);
        } else {
            // Never inside the window's own event processing: after it.
            system.m_closeRequests.push_back(&root);
        }
    }
    void OnNativeMessage(uint32_t message) override {
        // A wake-up the host's own loop delivered: nobody else runs the queued work.
        if (message == kMessageWakeUp && !system.m_processing) system.RunQueuedWork();
    }

    YPlatformWindowSystem& system;
    YControl& root;
    std::unique_ptr<YPlatformWindow> platform;
    int32_t paints = 0;
};

namespace {
std::atomic<bool> g_ignoreMouse{false};
std::atomic<uint32_t> g_ignoreMouseUntil{0};
} // namespace

void YPlatformWindowSystem::IgnoreMouseFor(uint32_t ms) noexcept {
    g_ignoreMouseUntil.store(YPlatformTickCount() + ms);
    g_ignoreMouse.store(ms > 0);
}

bool YPlatformWindowSystem::MouseIgnored(int32_t code) noexcept {
    if (!g_ignoreMouse.load() || code == YEventCode::kMouseLeave) return false;
    if (static_cast<int32_t>(YPlatformTickCount() - g_ignoreMouseUntil.load()) < 0) return true;
    g_ignoreMouse.store(false);
    return false;
}

YPlatformWindowSystem::YPlatformWindowSystem(bool startThreads) : m_windows(*this, startThreads) {
    SetWindows(&m_windows);
}

YPlatformWindowSystem::~YPlatformWindowSystem() { ShutdownSystem(); }

void YPlatformWindowSystem::ShutdownSystem() noexcept {
    // The threads call into this object: they stop while it is whole.
    m_windows.Shutdown();
    YGuard("YPlatformWindowSystem::ShutdownSystem", [&] {
        while (true) {
            YControl* root = nullptr;
            {
                YScopedLock hold(m_lock);
                if (m_byRoot.empty()) break;
                root = const_cast<YControl*>(m_byRoot.begin()->first);
            }
            DestroyNativeWindow(*root);
        }
        m_doomed.clear();
    });
}

YPlatformWindowSystem::Window* YPlatformWindowSystem::Find(const YControl& root) const noexcept {
    YScopedLock hold(m_lock);
    auto it = m_byRoot.find(&root);
    return it == m_byRoot.end() ? nullptr : it->second;
}

YPlatformWindowSystem::Window& YPlatformWindowSystem::Get(const YControl& root) const {
    Window* window = Find(root);
    if (window == nullptr) YRaise("The control has no window.");
    return *window;
}

YPlatformWindowSystem::Window* YPlatformWindowSystem::AnyWindow() const noexcept {
    YScopedLock hold(m_lock);
    return m_byRoot.empty() ? nullptr : m_byRoot.begin()->second;
}

YPlatformWindow* YPlatformWindowSystem::PlatformWindow(const YControl& root) const {
    Window* window = Find(root);
    return window == nullptr ? nullptr : window->platform.get();
}

std::vector<int> YPlatformWindowSystem::Descriptors() const {
    std::vector<int> descriptors;
    YScopedLock hold(m_lock);
    for (const auto& [root, window] : m_byRoot) {
        for (int fd : {window->platform->ConnectionDescriptor(), window->platform->WakeDescriptor()})
            if (fd >= 0) descriptors.push_back(fd);
    }
    return descriptors;
}

int32_t YPlatformWindowSystem::PaintCount(const YControl& root) const {
    const Window* window = Find(root);
    return window == nullptr ? 0 : window->paints;
}

YNativeWindow YPlatformWindowSystem::NativeWindow(const YControl& root) const {
    const Window* window = Find(root);
    return window == nullptr ? 0 : reinterpret_cast<YNativeWindow>(window->platform->Handle());
}

YRect YPlatformWindowSystem::WorkArea(YPoint) const {
    const Window* window = AnyWindow();
    return window == nullptr ? YRect::Empty() : window->platform->WorkArea();
}

bool YPlatformWindowSystem::HasWindow(const YControl& root) const { return Find(root) != nullptr; }

void YPlatformWindowSystem::CreateNativeWindow(YControl& root, uint32_t) {
    if (Find(root) != nullptr) return;
    auto window = std::make_unique<Window>(*this, root);
    const YSize size = root.EffectiveSize();
    window->platform = YPlatformWindow::Create(*window, std::max(size.x, 1), std::max(size.y, 1));
    root.SetExtension(kDescriptorTag, static_cast<YWindowDescriptor*>(window.get()));
    YScopedLock hold(m_lock);
    m_byRoot[&root] = window.release();
}

void YPlatformWindowSystem::DestroyNativeWindow(YControl& root) {
    std::unique_ptr<Window> window;
    {
        YScopedLock hold(m_lock);
        auto it = m_byRoot.find(&root);
        if (it == m_byRoot.end()) return;
        window.reset(it->second);
        m_byRoot.erase(it);
        std::erase_if(m_messages, [&](const Message& m) { return m.root == &root; });
    }
    root.SetExtension(kDescriptorTag, nullptr);
    std::erase_if(m_timers, [&](const auto& entry) { return entry.second == &root; });
    std::erase(m_closeRequests, &root);
    // A window whose own events are running goes when they are done.
    if (window.get() == m_dispatching || InsideNativeCall()) {
        window->platform->Show(false);
        m_doomed.push_back(std::move(window));
        if (m_dispatching == nullptr)
            AfterNativeCall(this, [](void* self) { static_cast<YPlatformWindowSystem*>(self)->m_doomed.clear(); }, this);
    }
}

YSize YPlatformWindowSystem::ClientSize(const YControl& root) const { return Get(root).platform->ClientSize(); }

void YPlatformWindowSystem::SetParentControl(YControl& root, YControl* parent) {
    Window& window = Get(root);
    window.platform->Reparent(parent == nullptr ? nullptr : Get(*parent).platform->Handle());
}

void YPlatformWindowSystem::SetParentWindow(YControl& root, YNativeWindow parent) {
    Get(root).platform->Reparent(reinterpret_cast<void*>(parent));
}

void YPlatformWindowSystem::EnableWindow(YControl& root, bool enable) { Get(root).platform->SetEnabled(enable); }

bool YPlatformWindowSystem::HasFocus(const YControl& root) const {
    const Window* window = Find(root);
    return window != nullptr && window->platform->HasFocus();
}

bool YPlatformWindowSystem::IsVisible(const YControl& root) const {
    const Window* window = Find(root);
    return window != nullptr && window->platform->IsVisible();
}

void YPlatformWindowSystem::SetTitle(YControl& root, const YString& title) { Get(root).platform->SetTitle(title); }
void YPlatformWindowSystem::BringToTop(YControl& root) { Get(root).platform->BringToTop(); }
void YPlatformWindowSystem::SetTopmost(YControl& root, bool topmost) { Get(root).platform->SetTopmost(topmost); }
void YPlatformWindowSystem::SetPosition(YControl& root, YPoint position) { Get(root).platform->Move(position); }

void YPlatformWindowSystem::SetClientSize(YControl& root, YSize size) {
    // The platform window reports the new size back, and the root follows it.
    Get(root).platform->SetClientSize(size.x, size.y);
}

YRect YPlatformWindowSystem::GetWindowRect(const YControl& root) const { return Get(root).platform->WindowRect(); }

void YPlatformWindowSystem::MoveWindow(YControl& root, const YRect& rect) {
    Window& window = Get(root);
    window.platform->Move({rect.left, rect.top});
    window.platform->SetClientSize(rect.Width(), rect.Height());
}

void YPlatformWindowSystem::Show(YControl& root) { Get(root).platform->Show(true); }
void YPlatformWindowSystem::Hide(YControl& root) { Get(root).platform->Show(false); }
bool YPlatformWindowSystem::IsMaximized(const YControl& root) const { return root.HasFlag(YControlFlag::kMaximized); }

bool YPlatformWindowSystem::IsMinimized(const YControl& root) const {
    const Window* window = Find(root);
    return window != nullptr && window->platform->IsMinimized();
}

void YPlatformWindowSystem::DeferredShow(YControl& root, bool show) {
    PostPrivateMessage(root, show ? kMessageShow : kMessageHide, nullptr);
}

void YPlatformWindowSystem::ShowTimed(YControl& root, uint32_t ignoreMouseMs) {
    IgnoreMouseFor(ignoreMouseMs);
    Show(root);
}

void YPlatformWindowSystem::Activate(YControl& root) { Get(root).platform->Focus(); }

void YPlatformWindowSystem::DeferredClose(YControl& root) { PostPrivateMessage(root, kMessageClose, nullptr); }

void YPlatformWindowSystem::PostPrivateMessage(YControl& root, uint32_t message, YControl* parameter) {
    YScopedLock hold(m_lock);
    auto it = m_byRoot.find(&root);
    if (it == m_byRoot.end()) return;
    m_messages.push_back(Message{&root, message, parameter});
    it->second->platform->PostPrivateMessage(kMessageWakeUp);
}

void YPlatformWindowSystem::SendForceExecuteEvents() {
    m_wakeRequested.store(true);
    YScopedLock hold(m_lock);
    if (!m_byRoot.empty()) m_byRoot.begin()->second->platform->PostPrivateMessage(kMessageWakeUp);
}

void YPlatformWindowSystem::RunMessages() {
    std::vector<Message> messages;
    {
        YScopedLock hold(m_lock);
        messages.swap(m_messages);
    }
    for (const Message& m : messages) {
        if (Find(*m.root) == nullptr) continue; // closed by an earlier message
        YGuard("YPlatformWindowSystem::RunMessages", [&] {
            switch (m.message) {
            case kMessageRelayout:
                if (m.parameter != nullptr) {
                    m.parameter->Relayout();
                    m.parameter->Repaint();
                }
                break;
            case kMessageShow: Show(*m.root); break;
            case kMessageHide: Hide(*m.root); break;
            case kMessageClose: CloseWindow(*m.root); break;
            default: break;
            }
        });
    }
}

void YPlatformWindowSystem::CloseWindow(YControl& root) {
    if (root.CloseRequest()) DestroyNativeWindow(root);
}

void YPlatformWindowSystem::ProcessPendingMessages() {
    if (m_wakeRequested.exchange(false)) m_windows.ExecutePendingEvents();
    m_processing = true;
    std::vector<Window*> windows;
    {
        YScopedLock hold(m_lock);
        for (const auto& [root, window] : m_byRoot) windows.push_back(window);
    }
    for (Window* window : windows) {
        // An earlier window's events may have closed this one.
        bool alive = false;
        {
            YScopedLock hold(m_lock);
            for (const auto& [root, w] : m_byRoot) alive = alive || w == window;
        }
        if (!alive) continue;
        m_dispatching = window;
        YGuard("YPlatformWindowSystem::ProcessPendingMessages", [&] { window->platform->ProcessEvents(); });
        m_dispatching = nullptr;
        if (!InsideNativeCall()) m_doomed.clear();
    }
    m_processing = false;
    RunQueuedWork();
}

void YPlatformWindowSystem::RunQueuedWork() {
    if (m_wakeRequested.exchange(false)) m_windows.ExecutePendingEvents();
    RunMessages();
    std::vector<YControl*> closing;
    closing.swap(m_closeRequests);
    for (YControl* root : closing)
        if (Find(*root) != nullptr) YGuard("YPlatformWindowSystem::CloseWindow", [&] { CloseWindow(*root); });
}

void YPlatformWindowSystem::WaitForEvents(uint32_t ms) { YPlatformSleep(ms); }

int32_t YPlatformWindowSystem::RunModalLoop(YControl& root) {
    m_quit = false;
    while (!m_quit && HasWindow(root)) {
        ProcessPendingMessages();
        if (!m_quit && HasWindow(root)) WaitForEvents(10);
    }
    return m_quitCode;
}

int32_t YPlatformWindowSystem::RunMessageLoop() {
    m_quit = false;
    while (!m_quit) {
        ProcessPendingMessages();
        if (!m_quit) WaitForEvents(10);
    }
    return m_quitCode;
}

void YPlatformWindowSystem::QuitLoop(int32_t code) {
    m_quitCode = code;
    m_quit = true;
}

void YPlatformWindowSystem::SetCursor(YControl& root, YCursor cursor) { Get(root).platform->SetCursor(cursor); }

void YPlatformWindowSystem::InvalidateRect(YControl& root, const YRect& rect) {
    if (rect.IsEmpty()) return;
    // Under the list's lock, so that the window cannot go while the request is handed over.
    YScopedLock hold(m_lock);
    auto it = m_byRoot.find(&root);
    if (it != m_byRoot.end()) it->second->platform->InvalidateFromAnyThread(rect);
}

void YPlatformWindowSystem::UpdateNow(YControl& root) { Get(root).platform->Update(); }

void YPlatformWindowSystem::SetClipboardText(YControl& root, const YString& text) {
    Get(root).platform->SetClipboardText(text);
}

YString YPlatformWindowSystem::GetClipboardText(YControl& root) { return Get(root).platform->ClipboardText(); }

void YPlatformWindowSystem::SetCapture(YControl& root, bool capture) { Get(root).platform->SetCapture(capture); }

bool YPlatformWindowSystem::HasCapture(const YControl& root) const {
    const Window* window = Find(root);
    return window != nullptr && window->platform->HasCapture();
}

YPoint YPlatformWindowSystem::GetCursorPos() const {
    const Window* window = AnyWindow();
    if (window == nullptr) return {};
    return window->platform->ClientToScreen(window->platform->CursorPosition());
}

YPoint YPlatformWindowSystem::GetCursorPosInClient(const YControl& root) const {
    return Get(root).platform->CursorPosition();
}

void YPlatformWindowSystem::SetCursorPos(YControl& root, YPoint clientPoint) {
    Get(root).platform->SetCursorPosition(clientPoint);
}

void YPlatformWindowSystem::TrackMouseLeave(YControl& root) { Get(root).platform->TrackMouseLeave(); }

uint32_t YPlatformWindowSystem::ModifierState() const {
    const Window* window = AnyWindow();
    return window == nullptr ? 0 : window->platform->ModifierState();
}

void YPlatformWindowSystem::SetTimer(YControl& control, uint32_t intervalMs) {
    const uintptr_t id = reinterpret_cast<uintptr_t>(&control);
    auto known = m_timers.find(&control);
    const YControl* root = control.Window();
    if (intervalMs < 1) {
        if (known == m_timers.end()) return;
        if (Window* window = Find(*known->second)) window->platform->SetTimer(id, 0);
        m_timers.erase(known);
        return;
    }
    if (root == nullptr) return;
    Window& window = Get(*root);
    if (known != m_timers.end() && known->second != root) SetTimer(control, 0);
    m_timers[&control] = root;
    window.platform->SetTimer(id, static_cast<int32_t>(std::min<uint32_t>(intervalMs, 0x7FFFFFFF)));
}

void YPlatformWindowSystem::FireTimer(uintptr_t id) {
    auto* control = reinterpret_cast<YControl*>(id);
    // Only a control that still has its timer: a stopped one may be gone.
    if (m_timers.find(control) == m_timers.end()) return;
    YGuard("YPlatformWindowSystem::FireTimer", [&] {
        if (YWindow* window = control->Window()) {
            YScopedERWLock hold(window->Lock(), YSynchronizationObject::kExclusive);
            control->Timer();
        }
    });
}
