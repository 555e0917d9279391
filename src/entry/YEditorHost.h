// YEditorHost: the editor as both host adapters show it. It owns the window system and the
// editor's root window while the host shows them, embeds the window in the host's window,
// reports and follows sizes, and turns the plug-in's editor-update requests (posted by its
// automation-update thread) into work on the GUI thread.
//
// Every call comes from the host's GUI thread except PostEditorUpdateRequest. A Close that
// arrives while one of the editor's own calls is running (a host that closes the editor from
// inside a callback) hides the window at once and destroys it when that call returns.
#pragma once

#include "core/YAudioPlugin.h"
#include "gui/drawing/YGeometry.h"
#include "platform/YSynchronizer.h"

#include <memory>
#include <vector>

class YPlatformWindowSystem;
class YPluginEditor;

class YEditorHost final : public YGUIRequestQueue {
public:
    explicit YEditorHost(YAudioPlugin& plugin);
    ~YEditorHost() override;
    YEditorHost(const YEditorHost&) = delete;
    YEditorHost& operator=(const YEditorHost&) = delete;

    // Whether this build has a window system to show an editor with.
    static bool Available() noexcept;

    // Builds the editor (without a window) when there is none; false when it cannot.
    bool Create();
    bool Exists() const noexcept { return m_editor != nullptr; }
    bool IsOpen() const noexcept { return m_open; }
    // The editor's size (0 x 0 without one); creates it first.
    YSize Size();
    YSize MinimalSize();
    // Embeds the editor in the host's window (an HWND or an X11 window id) and shows it.
    bool Open(void* parent);
    // Hides and destroys the editor window; without an open editor nothing happens.
    void Close();
    // Runs what waits for the GUI thread (host idle, run-loop calls).
    void Idle();
    // The host resized the editor's window: the editor follows. False without an editor.
    bool Resize(int32_t width, int32_t height);
    // Descriptors the GUI thread watches (X11: the connection and the wake-up pipe).
    std::vector<int> Descriptors() const;
    // The editor's root window, for checks (nullptr without one).
    YPluginEditor* Editor() const noexcept { return m_editor.get(); }

    // Any thread: the plug-in asks for its editor to be brought up to date.
    void PostEditorUpdateRequest(YAudioPlugin& plugin) override;

private:
    class BusyScope;
    void Destroy();
    // The destruction a Close inside a call left for its end.
    void DestroyIfClosed();

    YAudioPlugin& m_plugin;
    std::unique_ptr<YPlatformWindowSystem> m_system;
    std::unique_ptr<YPluginEditor> m_editor;
    bool m_open = false;
    int32_t m_busy = 0;
    bool m_destroyLater = false;
    YLock m_postLock; // the editor pointer as PostEditorUpdateRequest sees it
};
