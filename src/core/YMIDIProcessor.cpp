#include "core/YMIDIProcessor.h"

namespace {
constexpr int32_t kAllSoundOffController = 120;
constexpr int32_t kAllNotesOffController = 123;
} // namespace

YMIDIProcessor::~YMIDIProcessor() = default;

bool YMIDIProcessor::AddMIDIListener(YMIDIProcessorBase* listener) noexcept {
    if (listener == nullptr || listener == this || m_listenerCount >= kMaxListeners) return false;
    for (int32_t i = 0; i < m_listenerCount; ++i)
        if (m_listeners[i] == listener) return false;
    m_listeners[m_listenerCount++] = listener;
    return true;
}

bool YMIDIProcessor::RemoveMIDIListener(YMIDIProcessorBase* listener) noexcept {
    for (int32_t i = 0; i < m_listenerCount; ++i) {
        if (m_listeners[i] != listener) continue;
        for (int32_t j = i + 1; j < m_listenerCount; ++j) m_listeners[j - 1] = m_listeners[j];
        m_listeners[--m_listenerCount] = nullptr;
        return true;
    }
    return false;
}

bool YMIDIProcessor::NoteEvent(int32_t channel, int32_t note, double velocity, bool on, int32_t offset) {
    const bool counted = on ? CountNoteOn(channel, note) : CountNoteOff(channel, note);
    if (!counted) return false;
    if (!(velocity >= 0.0)) velocity = 0.0; // also NaN
    if (velocity > 1.0) velocity = 1.0;
    m_eventOffset = offset;
    OnNote(channel, note, velocity, on, HeldNotes(channel));
    return true;
}

void YMIDIProcessor::RawMIDIEvent(int32_t offset, uint8_t status, uint8_t data1, uint8_t data2) {
    if (status < 0x80 || status >= 0xF0) return;
    const int32_t channel = status & 0x0F;
    const int32_t d1 = data1 & 0x7F;
    m_eventOffset = offset;
    switch (status & 0xF0) {
    case 0x80:
        NoteEvent(channel, d1, NormalizeVelocity(data2), false, offset);
        break;
    case 0x90:
        NoteEvent(channel, d1, NormalizeVelocity(data2), (data2 & 0x7F) != 0, offset);
        break;
    case 0xA0:
        OnPolyAftertouch(channel, d1, NormalizeValue(data2));
        break;
    case 0xB0:
        OnController(channel, d1, NormalizeValue(data2));
        // Hosts send these on stop; the counts must not keep notes that will never be released.
        if (d1 == kAllNotesOffController) {
            ClearNotes(channel);
            OnAllNotesOff(channel);
        } else if (d1 == kAllSoundOffController) {
            ClearNotes(channel);
            OnAllSoundOff(channel);
        }
        break;
    case 0xC0:
        OnProgramChange(channel, d1);
        break;
    case 0xD0:
        OnChannelAftertouch(channel, NormalizeValue(data1));
        break;
    case 0xE0:
        OnPitchBend(channel, NormalizePitchBend(data1, data2));
        break;
    default:
        break;
    }
}

void YMIDIProcessor::SetNoteHold(bool on) {
    SetHolding(on);
    if (on) return;
    for (int32_t channel = 0; channel < kChannels; ++channel) {
        for (int32_t note = 0; note < kNotes; ++note) {
            for (int32_t n = TakePendingNoteOffs(channel, note); n > 0; --n) {
                // Deliver each release with the count it left behind.
                OnNote(channel, note, 0.0, false, HeldNotes(channel) + n - 1);
            }
        }
    }
}

#define Y_FORWARD_TO_LISTENERS(call)                                                                         \
    for (int32_t i = 0; i < m_listenerCount; ++i)                                                            \
        if (m_listeners[i]->Accepts(channel)) m_listeners[i]->call;

void YMIDIProcessor::OnNote(int32_t channel, int32_t note, double velocity, bool on, int32_t heldNotes) {
    Y_FORWARD_TO_LISTENERS(OnNote(channel, note, velocity, on, heldNotes))
}

void YMIDIProcessor::OnController(int32_t channel, int32_t controller, double value) {
    RecordController(channel, controller, value);
    Y_FORWARD_TO_LISTENERS(OnController(channel, controller, value))
}

void YMIDIProcessor::OnPitchBend(int32_t channel, double value) {
    RecordPitchBend(channel, value);
    Y_FORWARD_TO_LISTENERS(OnPitchBend(channel, value))
}

void YMIDIProcessor::OnChannelAftertouch(int32_t channel, double value) {
    RecordChannelAftertouch(channel, value);
    Y_FORWARD_TO_LISTENERS(OnChannelAftertouch(channel, value))
}

void YMIDIProcessor::OnPolyAftertouch(int32_t channel, int32_t note, double value) {
    Y_FORWARD_TO_LISTENERS(OnPolyAftertouch(channel, note, value))
}

void YMIDIProcessor::OnProgramChange(int32_t channel, int32_t program) {
    RecordProgram(channel, program);
    Y_FORWARD_TO_LISTENERS(OnProgramChange(channel, program))
}

void YMIDIProcessor::OnAllNotesOff(int32_t channel) { Y_FORWARD_TO_LISTENERS(OnAllNotesOff(channel)) }

void YMIDIProcessor::OnAllSoundOff(int32_t channel) { Y_FORWARD_TO_LISTENERS(OnAllSoundOff(channel)) }

void YMIDIProcessor::OnRawEvent(int32_t channel, int32_t status, int32_t data1, int32_t data2) {
    Y_FORWARD_TO_LISTENERS(OnRawEvent(channel, status, data1, data2))
}

#undef Y_FORWARD_TO_LISTENERS
