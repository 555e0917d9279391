// The editor-update list: which parameters changed since the editor last looked, and the one
// request at a time that wakes the GUI thread to refresh them.
#include "core/YAudioPlugin.h"

#include "foundation/YException.h"

void YAudioPlugin::NeedUpdateEditor(AutomationAdapter* adapter) {
    if (adapter == nullptr || adapter->Plugin() != this) return;
    if (adapter->MarkEditorUpdatePending()) m_pendingEditorUpdates.fetch_add(1);
}

int32_t YAudioPlugin::TakeEditorUpdates(AutomationAdapter** out, int32_t capacity) {
    return YGuard("YAudioPlugin::TakeEditorUpdates", 0, [&] {
        if (out == nullptr || capacity <= 0) return 0;
        YScopedLock lock(m_parameterLock);
        int32_t taken = 0;
        for (const std::unique_ptr<AutomationAdapter>& adapter : m_indexSpace) {
            if (taken == capacity) break;
            if (!adapter->TakeEditorUpdatePending()) continue;
            m_pendingEditorUpdates.fetch_sub(1);
            out[taken++] = adapter.get();
        }
        return taken;
    });
}

void YAudioPlugin::HandleEditorUpdateRequest() {
    YGuard("YAudioPlugin::HandleEditorUpdateRequest", [&] {
        // Cleared first: marks that arrive while the editor refreshes ask for a new request.
        m_editorRequestPosted.store(false);
        YScopedLock lock(m_parameterLock);
        for (const std::unique_ptr<AutomationAdapter>& adapter : m_indexSpace) {
            if (!adapter->TakeEditorUpdatePending()) continue;
            m_pendingEditorUpdates.fetch_sub(1);
            UpdateEditorControls(*adapter);
        }
    });
}

void YAudioPlugin::SetGUIRequestQueue(YGUIRequestQueue* queue) {
    YScopedLock hold(m_guiQueueLock);
    m_guiQueue.store(queue);
}

void YAudioPlugin::PostEditorUpdateRequest() {
    if (m_pendingEditorUpdates.load() <= 0) return;
    YScopedLock hold(m_guiQueueLock);
    YGUIRequestQueue* queue = m_guiQueue.load();
    if (queue == nullptr) return;
    // One request at a time: a slow GUI thread must not find a pile of them.
    if (m_editorRequestPosted.exchange(true)) return;
    queue->PostEditorUpdateRequest(*this);
}

void YAudioPlugin::UpdateEditorControls(AutomationAdapter&) {}
