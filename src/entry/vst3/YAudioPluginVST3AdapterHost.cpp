// YAudioPluginVST3Adapter: the plug-in's calls to the host through the component handler and
// the view's frame (edits, restarts, MIDI out, resizing).
#include "entry/vst3/YAudioPluginVST3Adapter.h"

#include "foundation/YException.h"
#include "platform/YPlatformTime.h"

#include <cstring>

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::setComponentHandler(Vst3::IComponentHandler* handler) {
    return YGuard("YAudioPluginVST3Adapter::setComponentHandler", Vst3::kResultFalse, [&] {
        if (handler == m_componentHandler) return Vst3::kResultOk;
        if (handler != nullptr) handler->addRef();
        if (m_componentHandler != nullptr) m_componentHandler->release();
        m_componentHandler = handler;
        return Vst3::kResultOk;
    });
}

void YAudioPluginVST3Adapter::SendEdit(Vst3::ParamID id, double value) {
    Vst3::IComponentHandler* handler = m_componentHandler;
    if (handler == nullptr) return;
    m_sending = true;
    struct Clear {
        std::atomic<bool>& flag;
        ~Clear() { flag = false; }
    } clear{m_sending};
    // Hosts record automation only between beginEdit and endEdit.
    handler->beginEdit(id);
    handler->performEdit(id, value);
    handler->endEdit(id);
}

void YAudioPluginVST3Adapter::ReportValue(Vst3::ParamID id, double value) {
    const size_t slot = SlotOf(id);
    m_controllerValues.Release(slot);
    if (m_audioThread.load() == std::this_thread::get_id())
        m_outputChanges.Post(slot, value);
    else
        SendEdit(id, value);
}

void YAudioPluginVST3Adapter::ServiceGUIThread(bool checkTail) {
    // The host may call back into the controller from the handler's calls.
    if (m_servicing.exchange(true)) return;
    struct Clear {
        std::atomic<bool>& flag;
        ~Clear() { flag = false; }
    } clear{m_servicing};
    m_outputChanges.Drain([&](Vst3::ParamID id, double value) { SendEdit(id, value); });
    if (m_componentHandler == nullptr || m_activating) return;
    // A parameter that moved the effect's latency: processing is set up again and the host
    // told, which also makes it read the tail.
    if (m_plugin->FollowLatency()) return;
    const uint32_t now = YPlatformTickCount();
    if (!checkTail && now - m_lastTailCheck.load() < kTailCheckInterval) return;
    m_lastTailCheck = now;
    // Hosts read the tail again when they re-read the latency; none has a flag of its own.
    if (m_tail.ShouldTell(m_plugin->GetTailLength())) m_componentHandler->restartComponent(Vst3::kLatencyChanged);
}

void YAudioPluginVST3Adapter::AutomateParameter(int32_t hostIndex, double value) {
    YGuard("YAudioPluginVST3Adapter::AutomateParameter", [&] {
        if (hostIndex < 0 || hostIndex >= m_plugin->GetParameterCount()) return;
        ReportValue(static_cast<Vst3::ParamID>(hostIndex), value);
    });
}

void YAudioPluginVST3Adapter::SendBypassAutomation(bool on) {
    YGuard("YAudioPluginVST3Adapter::SendBypassAutomation", [&] {
        ReportValue(kBypassID, on ? 1.0 : 0.0);
    });
}

void YAudioPluginVST3Adapter::GenerateMIDIEvent(int32_t deltaFrames, const uint8_t bytes[4]) {
    YGuard("YAudioPluginVST3Adapter::GenerateMIDIEvent", [&] {
        if (bytes == nullptr) return;
        const uint8_t kind = bytes[0] & 0xF0;
        if (kind != 0x80 && kind != 0x90) return;
        Vst3::Event e;
        std::memset(&e, 0, sizeof(e));
        e.busIndex = 0;
        e.sampleOffset = deltaFrames;
        e.ppqPosition = 0.0;
        e.flags = 0;
        const int16_t channel = bytes[0] & 0x0F;
        const int16_t pitch = bytes[1] & 0x7F;
        const float velocity = static_cast<float>((bytes[2] & 0x7F) * (1.0 / 127.0));
        // A note-on with velocity 0 is a release in MIDI; send it as one.
        if (kind == 0x90 && velocity > 0.0f) {
            e.type = Vst3::Event::kNoteOnEvent;
            e.noteOn.channel = channel;
            e.noteOn.pitch = pitch;
            e.noteOn.tuning = 0.0f;
            e.noteOn.velocity = velocity;
            e.noteOn.length = 0;
            e.noteOn.noteId = -1;
        } else {
            e.type = Vst3::Event::kNoteOffEvent;
            e.noteOff.channel = channel;
            e.noteOff.pitch = pitch;
            e.noteOff.velocity = velocity;
            e.noteOff.noteId = -1;
            e.noteOff.tuning = 0.0f;
        }
        YScopedLock queue(m_outputEventLock);
        if (m_outputEventCount < kOutputEventCapacity) m_outputEvents[m_outputEventCount++] = e;
    });
}

void YAudioPluginVST3Adapter::ReportLatency() {
    YGuard("YAudioPluginVST3Adapter::ReportLatency", [&] {
        if (m_activating || m_componentHandler == nullptr) return;
        m_componentHandler->restartComponent(Vst3::kLatencyChanged);
    });
}

bool YAudioPluginVST3Adapter::ChangeEditorSize(int32_t width, int32_t height) {
    return YGuard("YAudioPluginVST3Adapter::ChangeEditorSize", false, [&] {
        if (m_resizing) return true;
        if (m_editor == nullptr || !m_plugin->IsEditorOpen() || m_plugFrame == nullptr) return false;
        m_resizing = true;
        struct Clear {
            std::atomic<bool>& flag;
            ~Clear() { flag = false; }
        } clear{m_resizing};
        Vst3::ViewRect rect{0, 0, width, height};
        m_plugFrame->resizeView(m_editor, &rect);
        return true;
    });
}
