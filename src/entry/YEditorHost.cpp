#include "entry/YEditorHost.h"

#include "foundation/YException.h"
#include "gui/editor/YPluginEditor.h"
#include "gui/toolkit/YWindows.h"
#include "gui/windows/YPlatformWindowSystem.h"
#if defined(_WIN32)
#include "gui/windows/win32/YWindowSystemMSWindows.h"
#else
#include "gui/windows/x11/YWindowSystemX11.h"
#endif

#include <algorithm>

namespace {
std::unique_ptr<YPlatformWindowSystem> CreateWindowSystem() {
#if defined(_WIN32)
    return std::make_unique<YWindowSystemMSWindows>();
#else
    return std::make_unique<YWindowSystemX11>();
#endif
}
} // namespace

// Counts the editor's own calls, so that a Close inside one waits for its end.
class YEditorHost::BusyScope {
public:
    explicit BusyScope(YEditorHost& host) noexcept : m_host(host) { ++m_host.m_busy; }
    ~BusyScope() {
        if (--m_host.m_busy == 0) m_host.DestroyIfClosed();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    YEditorHost& m_host;
};

YEditorHost::YEditorHost(YAudioPlugin& plugin) : m_plugin(plugin) {}

YEditorHost::~YEditorHost() {
    YGuard("YEditorHost::~YEditorHost", [&] {
        m_busy = 0;
        Destroy();
    });
}

bool YEditorHost::Available() noexcept { return true; }

bool YEditorHost::Create() {
    if (m_editor != nullptr) return true;
    if (m_destroyLater) return false; // closing from inside a call: nothing new meanwhile
    std::unique_ptr<YPlatformWindowSystem> system = CreateWindowSystem();
    if (system == nullptr) return false;
    auto editor = std::make_unique<YPluginEditor>(system.get(), m_plugin);
    {
        YScopedLock hold(m_postLock);
        m_system = std::move(system);
        m_editor = std::move(editor);
    }
    m_plugin.SetGUIRequestQueue(this);
    m_plugin.SetEditorExists(true);
    return true;
}

YSize YEditorHost::Size() {
    if (!Create()) return {};
    return m_editor->Size();
}

YSize YEditorHost::MinimalSize() {
    if (!Create()) return {};
    return m_editor->MinimalClientSize();
}

bool YEditorHost::Open(void* parent) {
    if (parent == nullptr) return false;
    // Opened again without a close: the old embedding ends first.
    if (m_open) Close();
    BusyScope busy(*this);
    if (!Create()) return false;
    YWindowSystem& system = *m_system;
    // A window that cannot be made (no display) leaves no editor behind.
    try {
        system.CreateNativeWindow(*m_editor, 0);
        system.SetParentWindow(*m_editor, reinterpret_cast<YNativeWindow>(parent));
        system.Show(*m_editor);
    } catch (...) {
        Destroy();
        throw;
    }
    m_editor->StartMeters();
    m_open = true;
    m_plugin.SetEditorOpen(true);
    // Values the host set while the editor was closed.
    m_editor->Refresh();
    return true;
}

void YEditorHost::Close() {
    if (!m_open) return;
    m_open = false;
    m_plugin.SetEditorOpen(false);
    // The host's message loop may be inside one of the editor window's messages (Win32).
    const bool insideNative = m_system != nullptr && m_system->InsideNativeCall();
    if (m_busy > 0 || insideNative) {
        // Inside one of the editor's calls: out of the host's sight now, gone afterwards.
        YGuard("YEditorHost::Close", [&] {
            m_system->Hide(*m_editor);
            m_system->SetParentWindow(*m_editor, 0);
        });
        m_destroyLater = true;
        DestroyIfClosed();
        return;
    }
    Destroy();
}

void YEditorHost::DestroyIfClosed() {
    if (!m_destroyLater || m_busy > 0) return;
    if (m_system != nullptr && m_system->InsideNativeCall()) {
        // Once the window's message that is running now has returned.
        m_system->CancelNativeCalls(this);
        m_system->AfterNativeCall(this, [](void* self) { static_cast<YEditorHost*>(self)->DestroyIfClosed(); }, this);
        return;
    }
    m_destroyLater = false;
    Destroy();
}

void YEditorHost::Destroy() {
    if (m_system != nullptr) m_system->CancelNativeCalls(this);
    m_open = false;
    m_plugin.SetEditorExists(false);
    std::unique_ptr<YPluginEditor> editor;
    std::unique_ptr<YPlatformWindowSystem> system;
    m_plugin.SetGUIRequestQueue(nullptr);
    {
        YScopedLock hold(m_postLock);
        editor = std::move(m_editor);
        system = std::move(m_system);
    }
    // The tree goes before the system its windows live in.
    editor.reset();
    system.reset();
    // A request posted meanwhile found no editor: let the next one through.
    m_plugin.HandleEditorUpdateRequest();
}

void YEditorHost::Idle() {
    if (m_system == nullptr) return;
    BusyScope busy(*this);
    m_system->ProcessPendingMessages();
}

bool YEditorHost::Resize(int32_t width, int32_t height) {
    if (m_editor == nullptr) return false;
    BusyScope busy(*this);
    const YSize minimal = m_editor->MinimalClientSize();
    width = std::max(width, minimal.x);
    height = std::max(height, minimal.y);
    if (m_system->HasWindow(*m_editor)) m_system->SetClientSize(*m_editor, {width, height});
    else m_editor->SetSize(width, height);
    return true;
}

std::vector<int> YEditorHost::Descriptors() const {
    return m_system == nullptr ? std::vector<int>{} : m_system->Descriptors();
}

void YEditorHost::PostEditorUpdateRequest(YAudioPlugin&) {
    YGuard("YEditorHost::PostEditorUpdateRequest", [&] {
        YScopedLock hold(m_postLock);
        if (m_editor == nullptr || m_system == nullptr || m_system->Windows() == nullptr) return;
        YPluginEditor* editor = m_editor.get();
        // Runs on the GUI thread; dropped with the editor if it goes first.
        m_system->Windows()->Post(static_cast<YWindow*>(editor), [editor] { editor->HandleUpdateRequest(); });
    });
}
