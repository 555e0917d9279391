// MIDI into the effect and the effect's requests back to the plug-in.
#include "core/YAudioEffectPluginToAudioPluginAdapter.h"

// ---------------------------------------------------------------------------------------------
// MIDI and effect requests

namespace {

// MIDI may arrive outside the block (VST 2.4 delivers events before processing): the effect
// hears it only while no other thread is reconfiguring it, and the audio thread never waits.
class MIDIEntry {
public:
    explicit MIDIEntry(YSynchronizer& lock) noexcept : m_lock(lock), m_entered(lock.Lock(0) == 0) {}
    ~MIDIEntry() {
        if (m_entered) m_lock.Unlock();
    }
    MIDIEntry(const MIDIEntry&) = delete;
    MIDIEntry& operator=(const MIDIEntry&) = delete;
    bool Entered() const noexcept { return m_entered; }

private:
    YSynchronizer& m_lock;
    bool m_entered;
};

} // namespace

void YAudioEffectPluginToAudioPluginAdapter::MIDIForwarder::OnNote(int32_t channel, int32_t note,
                                                                   double velocity, bool on,
                                                                   int32_t heldNotes) {
    YEffectArguments arguments;
    arguments.SetInteger(0, channel);
    arguments.SetInteger(1, note);
    arguments.SetDouble(2, velocity);
    arguments.SetInteger(3, static_cast<int64_t>(heldNotes) * 2 + (on ? 1 : 0));
    const MIDIEntry entry(m_owner.ProcessingLock());
    if (entry.Entered()) m_owner.m_host.Call(kEffectMIDINote, &arguments);
}

void YAudioEffectPluginToAudioPluginAdapter::MIDIForwarder::Send(int32_t kind, int32_t channel,
                                                                 int32_t number, double value) {
    YEffectArguments arguments;
    arguments.SetInteger(0, kind);
    arguments.SetInteger(1, channel);
    arguments.SetInteger(2, number);
    arguments.SetDouble(3, value);
    const MIDIEntry entry(m_owner.ProcessingLock());
    if (entry.Entered()) m_owner.m_host.Call(kEffectMIDIEvent, &arguments);
}

void YAudioEffectPluginToAudioPluginAdapter::MIDIForwarder::OnController(int32_t channel, int32_t controller,
                                                                         double value) {
    Send(kMIDIController, channel, controller, value);
}

void YAudioEffectPluginToAudioPluginAdapter::MIDIForwarder::OnPitchBend(int32_t channel, double value) {
    Send(kMIDIPitchBend, channel, 0, value);
}

void YAudioEffectPluginToAudioPluginAdapter::MIDIForwarder::OnChannelAftertouch(int32_t channel,
                                                                                double value) {
    Send(kMIDIChannelAftertouch, channel, 0, value);
}

void YAudioEffectPluginToAudioPluginAdapter::MIDIForwarder::OnPolyAftertouch(int32_t channel, int32_t note,
                                                                             double value) {
    Send(kMIDIPolyAftertouch, channel, note, value);
}

void YAudioEffectPluginToAudioPluginAdapter::MIDIForwarder::OnProgramChange(int32_t channel,
                                                                            int32_t program) {
    Send(kMIDIProgramChange, channel, program, 0.0);
}

void YAudioEffectPluginToAudioPluginAdapter::MIDIForwarder::OnAllNotesOff(int32_t channel) {
    Send(kMIDIAllNotesOff, channel, 0, 0.0);
}

void YAudioEffectPluginToAudioPluginAdapter::MIDIForwarder::OnAllSoundOff(int32_t channel) {
    Send(kMIDIAllSoundOff, channel, 0, 0.0);
}

void YAudioEffectPluginToAudioPluginAdapter::MIDIForwarder::OnRawEvent(int32_t channel, int32_t status,
                                                                       int32_t data1, int32_t data2) {
    Send(kMIDIRawEvent, channel, (status & 0xFF) | (data1 & 0xFF) << 8 | (data2 & 0xFF) << 16, 0.0);
}

int64_t YAudioEffectPluginToAudioPluginAdapter::RequestListener::OnEffectRequest(int32_t request, int64_t) {
    switch (request) {
    case kHostRequestUpdateDisplay:
    case kHostRequestParameterAvailability:
        // Lock-free marks: the request may come from the audio thread.
        for (int32_t number = 0; number < m_owner.AutomationAdapterCount(); ++number)
            m_owner.NeedUpdateEditor(m_owner.GetAutomationAdapter(number));
        return 1;
    default:
        return 0;
    }
}
