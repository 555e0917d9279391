#include "gui/windows/YWindowSystemHeadless.h"

#include "foundation/YException.h"
#include "gui/toolkit/YWindow.h"

#include <utility>

YWindowSystemHeadless::YWindowSystemHeadless(bool startThreads) : m_windows(*this, startThreads) {
    SetWindows(&m_windows);
}

YWindowSystemHeadless::~YWindowSystemHeadless() {
    // The threads call into this object: they stop while it is whole.
    m_windows.Shutdown();
    for (auto& [root, window] : m_byRoot) {
        const_cast<YControl*>(root)->SetExtension(kDescriptorTag, nullptr);
        delete window;
    }
}

YWindowSystemHeadless::Window* YWindowSystemHeadless::Find(const YControl& root) const noexcept {
    YScopedLock hold(m_lock);
    auto it = m_byRoot.find(&root);
    return it == m_byRoot.end() ? nullptr : it->second;
}

YWindowSystemHeadless::Window& YWindowSystemHeadless::Get(const YControl& root) const {
    Window* window = Find(root);
    if (window == nullptr) YRaise("The control has no window.");
    return *window;
}

YNativeWindow YWindowSystemHeadless::NativeWindow(const YControl& root) const {
    const Window* window = Find(root);
    return window == nullptr ? 0 : window->id;
}

YRect YWindowSystemHeadless::WorkArea(YPoint) const { return YRect::FromSize(0, 0, 1920, 1080); }

bool YWindowSystemHeadless::HasWindow(const YControl& root) const { return Find(root) != nullptr; }

void YWindowSystemHeadless::CreateNativeWindow(YControl& root, uint32_t) {
    if (Find(root) != nullptr) return;
    auto* window = new Window;
    window->id = m_nextId++;
    const YSize size = root.EffectiveSize();
    window->rect = YRect::FromSize(root.Position().x, root.Position().y, size.x, size.y);
    try {
        root.SetExtension(kDescriptorTag, static_cast<YWindowDescriptor*>(window));
    } catch (...) {
        delete window;
        throw;
    }
    YScopedLock hold(m_lock);
    m_byRoot[&root] = window;
}

void YWindowSystemHeadless::DestroyNativeWindow(YControl& root) {
    Window* window = nullptr;
    {
        YScopedLock hold(m_lock);
        auto it = m_byRoot.find(&root);
        if (it == m_byRoot.end()) return;
        window = it->second;
        m_byRoot.erase(it);
        std::erase_if(m_messages, [&](const Message& m) { return m.root == &root; });
    }
    root.SetExtension(kDescriptorTag, nullptr);
    SetTimer(root, 0);
    if (m_pointerWindow == &root) m_pointerWindow = nullptr;
    if (m_focusWindow == &root) m_focusWindow = nullptr;
    if (m_captureWindow == &root) m_captureWindow = nullptr;
    delete window;
}

YSize YWindowSystemHeadless::ClientSize(const YControl& root) const {
    const Window& window = Get(root);
    return {window.rect.Width(), window.rect.Height()};
}

void YWindowSystemHeadless::SetParentControl(YControl& root, YControl* parent) {
    Get(root).parent = parent == nullptr ? 0 : NativeWindow(*parent);
}

void YWindowSystemHeadless::SetParentWindow(YControl& root, YNativeWindow parent) { Get(root).parent = parent; }
void YWindowSystemHeadless::EnableWindow(YControl& root, bool enable) { Get(root).enabled = enable; }
bool YWindowSystemHeadless::HasFocus(const YControl& root) const { return m_focusWindow == &root; }
bool YWindowSystemHeadless::IsVisible(const YControl& root) const {
    const Window* window = Find(root);
    return window != nullptr && window->visible;
}
void YWindowSystemHeadless::SetTitle(YControl& root, const YString& title) { Get(root).title = title; }
void YWindowSystemHeadless::BringToTop(YControl& root) { Get(root); }
void YWindowSystemHeadless::SetTopmost(YControl& root, bool topmost) { Get(root).topmost = topmost; }

void YWindowSystemHeadless::SetPosition(YControl& root, YPoint position) {
    Window& window = Get(root);
    window.rect = YRect::FromSize(position.x, position.y, window.rect.Width(), window.rect.Height());
}

void YWindowSystemHeadless::SetClientSize(YControl& root, YSize size) {
    Window& window = Get(root);
    window.rect = YRect::FromSize(window.rect.left, window.rect.top, size.x, size.y);
    // As a native window reports its new size back (WM_SIZE / ConfigureNotify).
    root.SetClientSizeFromWindow(size.x, size.y);
}

YRect YWindowSystemHeadless::GetWindowRect(const YControl& root) const { return Get(root).rect; }

void YWindowSystemHeadless::MoveWindow(YControl& root, const YRect& rect) {
    SetPosition(root, {rect.left, rect.top});
    if (rect.Width() != ClientSize(root).x || rect.Height() != ClientSize(root).y) {
        SetClientSize(root, {rect.Width(), rect.Height()});
    }
}

void YWindowSystemHeadless::Show(YControl& root) {
    Window& window = Get(root);
    if (window.visible) return;
    window.visible = true;
    InvalidateRect(root, YRect::FromSize(0, 0, window.rect.Width(), window.rect.Height()));
}

void YWindowSystemHeadless::Hide(YControl& root) { Get(root).visible = false; }
bool YWindowSystemHeadless::IsMaximized(const YControl& root) const {
    return root.HasFlag(YControlFlag::kMaximized);
}
bool YWindowSystemHeadless::IsMinimized(const YControl&) const { return false; }

void YWindowSystemHeadless::DeferredShow(YControl& root, bool show) {
    PostPrivateMessage(root, show ? kMessageShow : kMessageHide, nullptr);
}

void YWindowSystemHeadless::ShowTimed(YControl& root, uint32_t ignoreMouseMs) {
    Show(root);
    if (ignoreMouseMs > 0) YWindows::IgnoreMouseFor(ignoreMouseMs);
}

void YWindowSystemHeadless::Activate(YControl& root) {
    Get(root);
    m_focusWindow = &root;
    m_captureWindow = nullptr;
}

void YWindowSystemHeadless::DeferredClose(YControl& root) { PostPrivateMessage(root, kMessageClose, nullptr); }

void YWindowSystemHeadless::PostPrivateMessage(YControl& root, uint32_t message, YControl* parameter) {
    YScopedLock hold(m_lock);
    m_messages.push_back(Message{&root, message, parameter});
    m_wakeRequested.store(true);
}

void YWindowSystemHeadless::SendForceExecuteEvents() {
    m_forceRequests.fetch_add(1);
    m_wakeRequested.store(true);
}

void YWindowSystemHeadless::RunMessages() {
    std::vector<Message> messages;
    {
        YScopedLock hold(m_lock);
        messages.swap(m_messages);
    }
    for (const Message& m : messages) {
        if (Find(*m.root) == nullptr) continue; // closed by an earlier message
        YGuard("YWindowSystemHeadless::RunMessages", [&] {
            switch (m.message) {
            case kMessageWakeUp: break;
            case kMessageRelayout:
                if (m.parameter != nullptr) {
                    m.parameter->Relayout();
                    m.parameter->Repaint();
                }
                break;
            case kMessageShow: Show(*m.root); break;
            case kMessageHide: Hide(*m.root); break;
            case kMessageClose:
                if (m.root->CloseRequest()) DestroyNativeWindow(*m.root);
                break;
            default: break;
            }
        });
    }
}

void YWindowSystemHeadless::PaintPending() {
    std::vector<std::pair<YControl*, YRect>> paints;
    {
        YScopedLock hold(m_lock);
        for (auto& [root, window] : m_byRoot) {
            if (!window->invalid.IsEmpty()) {
                paints.emplace_back(const_cast<YControl*>(root), window->invalid);
                window->invalid = YRect::Empty();
            }
        }
    }
    for (auto& [root, rect] : paints) {
        auto* window = dynamic_cast<YWindow*>(root);
        if (window == nullptr) continue;
        const YRect painted = window->PaintWindow(rect);
        if (painted.IsEmpty()) continue;
        if (Window* w = Find(*root)) {
            ++w->paints;
            w->lastPainted = painted;
        }
    }
}

void YWindowSystemHeadless::ProcessPendingMessages() {
    if (m_wakeRequested.exchange(false)) m_windows.ExecutePendingEvents();
    RunMessages();
    PaintPending();
}

int32_t YWindowSystemHeadless::RunModalLoop(YControl& root) {
    // Without a user nothing new arrives: run what is pending until the window closes, the
    // loop is quit, or nothing is left.
    m_quit = false;
    for (int32_t round = 0; round < 1000 && !m_quit && HasWindow(root); ++round) {
        ProcessPendingMessages();
        YScopedLock hold(m_lock);
        if (m_messages.empty() && !m_wakeRequested.load()) break;
    }
    return m_quitCode;
}

int32_t YWindowSystemHeadless::RunMessageLoop() {
    m_quit = false;
    for (int32_t round = 0; round < 1000 && !m_quit; ++round) {
        ProcessPendingMessages();
        YScopedLock hold(m_lock);
        if (m_messages.empty() && !m_wakeRequested.load()) break;
    }
    return m_quitCode;
}

void YWindowSystemHeadless::QuitLoop(int32_t code) {
    m_quitCode = code;
    m_quit = true;
}

void YWindowSystemHeadless::SetCursor(YControl&, YCursor cursor) { m_cursorShape = cursor; }

void YWindowSystemHeadless::InvalidateRect(YControl& root, const YRect& rect) {
    if (rect.IsEmpty()) return;
    YScopedLock hold(m_lock);
    auto it = m_byRoot.find(&root);
    if (it == m_byRoot.end()) return;
    it->second->invalid = it->second->invalid.Union(rect);
}

void YWindowSystemHeadless::UpdateNow(YControl& root) {
    YRect rect;
    {
        YScopedLock hold(m_lock);
        auto it = m_byRoot.find(&root);
        if (it == m_byRoot.end()) return;
        rect = it->second->invalid;
        it->second->invalid = YRect::Empty();
    }
    if (auto* window = dynamic_cast<YWindow*>(&root)) {
        const YRect painted = window->PaintWindow(rect);
        if (!painted.IsEmpty()) {
            Window& w = Get(root);
            ++w.paints;
            w.lastPainted = painted;
        }
    }
}

void YWindowSystemHeadless::SetClipboardText(YControl&, const YString& text) { m_clipboard = text; }
YString YWindowSystemHeadless::GetClipboardText(YControl&) { return m_clipboard; }

void YWindowSystemHeadless::SetCapture(YControl& root, bool capture) {
    if (capture) {
        m_captureWindow = &root;
    } else if (m_captureWindow == &root) {
        m_captureWindow = nullptr;
    }
}

bool YWindowSystemHeadless::HasCapture(const YControl& root) const { return m_captureWindow == &root; }

YPoint YWindowSystemHeadless::GetCursorPos() const {
    if (m_pointerWindow == nullptr) return m_pointer;
    const Window* window = Find(*m_pointerWindow);
    if (window == nullptr) return m_pointer;
    return {m_pointer.x + window->rect.left, m_pointer.y + window->rect.top};
}

YPoint YWindowSystemHeadless::GetCursorPosInClient(const YControl& root) const {
    const YPoint screen = GetCursorPos();
    const Window* window = Find(root);
    if (window == nullptr) return screen;
    return {screen.x - window->rect.left, screen.y - window->rect.top};
}

void YWindowSystemHeadless::SetCursorPos(YControl& root, YPoint clientPoint) {
    m_pointerWindow = &root;
    m_pointer = clientPoint;
}

void YWindowSystemHeadless::TrackMouseLeave(YControl&) {}

void YWindowSystemHeadless::SetTimer(YControl& control, uint32_t intervalMs) {
    if (intervalMs < 1) {
        m_timers.erase(&control);
    } else {
        m_timers[&control] = TimerState{intervalMs, 0};
    }
}

// ---- the caller's side ----

bool YWindowSystemHeadless::SendMouse(YWindow& root, int32_t code, YPoint point, uint32_t flags, int32_t extra) {
    if (code != YEventCode::kMouseLeave) SetCursorPos(root, point);
    if (YWindows::DropMouseEvent(code)) return false;
    return root.Dispatch(YSystemEvent::Mouse(code, point, flags | m_modifiers, extra));
}

bool YWindowSystemHeadless::SendKey(YWindow& root, int32_t code, uint32_t keyCode, uint32_t modifiers) {
    m_modifiers = modifiers & YEventFlag::kModifiers;
    YSystemEvent event = YSystemEvent::Key(code, keyCode, m_modifiers);
    event.point = GetCursorPosInClient(root);
    const bool handled = root.Dispatch(event);
    m_modifiers = 0;
    return handled;
}

bool YWindowSystemHeadless::SendCharacter(YWindow& root, uint32_t codePoint, uint32_t modifiers) {
    YSystemEvent event = YSystemEvent::Character(codePoint, modifiers & YEventFlag::kModifiers);
    event.point = GetCursorPosInClient(root);
    return root.Dispatch(event);
}

void YWindowSystemHeadless::AdvanceTime(uint32_t ms) {
    // Expiries are collected first: a timer operation may start or stop timers.
    std::vector<YControl*> due;
    for (auto& [control, timer] : m_timers) {
        timer.elapsed += ms;
        while (timer.elapsed >= timer.interval) {
            timer.elapsed -= timer.interval;
            due.push_back(control);
        }
    }
    for (YControl* control : due) {
        if (m_timers.find(control) == m_timers.end()) continue; // stopped meanwhile
        YGuard("YWindowSystemHeadless::Timer", [&] {
            if (YWindow* window = control->Window()) {
                YScopedERWLock hold(window->Lock(), YSynchronizationObject::kExclusive);
                control->Timer();
            } else {
                control->Timer();
            }
        });
    }
}

void YWindowSystemHeadless::Resize(YWindow& root, YSize size) { SetClientSize(root, size); }

void YWindowSystemHeadless::Pump() {
    m_windows.InvalidatorThread().Pass();
    m_windows.ForceExecuteThread().Round();
    ProcessPendingMessages();
}

const YBaseBitmap* YWindowSystemHeadless::Bitmap(const YControl& root) const {
    const Window* window = Find(root);
    return window == nullptr ? nullptr : window->Target();
}

int32_t YWindowSystemHeadless::PaintCount(const YControl& root) const {
    const Window* window = Find(root);
    return window == nullptr ? 0 : window->paints;
}

YRect YWindowSystemHeadless::LastPainted(const YControl& root) const {
    const Window* window = Find(root);
    return window == nullptr ? YRect::Empty() : window->lastPainted;
}

YRect YWindowSystemHeadless::PendingPaint(const YControl& root) const {
    YScopedLock hold(m_lock);
    auto it = m_byRoot.find(&root);
    return it == m_byRoot.end() ? YRect::Empty() : it->second->invalid;
}
