#include "core/YMIDIState.h"

#include <algorithm>
#include <iterator>
#include <limits>

YMIDIState::YMIDIState() noexcept {
    ClearAllNotes();
    std::fill(&m_controllers[0][0], &m_controllers[0][0] + kChannels * kControllers, 0.0f);
    std::fill(std::begin(m_pitchBend), std::end(m_pitchBend), 0.0);
    std::fill(std::begin(m_channelAftertouch), std::end(m_channelAftertouch), 0.0);
    std::fill(std::begin(m_program), std::end(m_program), -1);
}

bool YMIDIState::CountNoteOn(int32_t channel, int32_t note) noexcept {
    if (!ValidChannel(channel) || !ValidNote(note)) return false;
    // A host that never releases its notes must not wrap the counters around.
    if (m_heldNotes[channel] == std::numeric_limits<int32_t>::max()) return false;
    ++m_noteCounts[channel][note];
    ++m_heldNotes[channel];
    m_lastNote[channel] = note;
    return true;
}

bool YMIDIState::CountNoteOff(int32_t channel, int32_t note) noexcept {
    if (!ValidChannel(channel) || !ValidNote(note)) return false;
    int32_t& count = m_noteCounts[channel][note];
    if (count <= 0) return false;
    if (m_holding) {
        // A release beyond what is held would be dropped without the hold too.
        if (m_pendingOffs[channel][note] >= count) return false;
        ++m_pendingOffs[channel][note];
        return true;
    }
    --count;
    --m_heldNotes[channel];
    return true;
}

int32_t YMIDIState::NoteCount(int32_t channel, int32_t note) const noexcept {
    return ValidChannel(channel) && ValidNote(note) ? m_noteCounts[channel][note] : 0;
}

int32_t YMIDIState::HeldNotes(int32_t channel) const noexcept {
    return ValidChannel(channel) ? m_heldNotes[channel] : 0;
}

int32_t YMIDIState::PendingNoteOffs(int32_t channel, int32_t note) const noexcept {
    return ValidChannel(channel) && ValidNote(note) ? m_pendingOffs[channel][note] : 0;
}

int32_t YMIDIState::TakePendingNoteOffs(int32_t channel, int32_t note) noexcept {
    if (!ValidChannel(channel) || !ValidNote(note)) return 0;
    const int32_t pending = std::min(m_pendingOffs[channel][note], m_noteCounts[channel][note]);
    m_pendingOffs[channel][note] = 0;
    m_noteCounts[channel][note] -= pending;
    m_heldNotes[channel] -= pending;
    return pending;
}

void YMIDIState::ClearNotes(int32_t channel) noexcept {
    if (!ValidChannel(channel)) return;
    std::fill(std::begin(m_noteCounts[channel]), std::end(m_noteCounts[channel]), 0);
    std::fill(std::begin(m_pendingOffs[channel]), std::end(m_pendingOffs[channel]), 0);
    m_heldNotes[channel] = 0;
    m_lastNote[channel] = -1;
}

void YMIDIState::ClearAllNotes() noexcept {
    for (int32_t channel = 0; channel < kChannels; ++channel) ClearNotes(channel);
}

void YMIDIState::RecordController(int32_t channel, int32_t controller, double value) noexcept {
    if (ValidChannel(channel) && controller >= 0 && controller < kControllers)
        m_controllers[channel][controller] = static_cast<float>(value);
}

double YMIDIState::ControllerValue(int32_t channel, int32_t controller) const noexcept {
    if (!ValidChannel(channel) || controller < 0 || controller >= kControllers) return 0.0;
    return m_controllers[channel][controller];
}

void YMIDIState::RecordPitchBend(int32_t channel, double value) noexcept {
    if (ValidChannel(channel)) m_pitchBend[channel] = value;
}

double YMIDIState::PitchBend(int32_t channel) const noexcept {
    return ValidChannel(channel) ? m_pitchBend[channel] : 0.0;
}

void YMIDIState::RecordChannelAftertouch(int32_t channel, double value) noexcept {
    if (ValidChannel(channel)) m_channelAftertouch[channel] = value;
}

double YMIDIState::ChannelAftertouch(int32_t channel) const noexcept {
    return ValidChannel(channel) ? m_channelAftertouch[channel] : 0.0;
}

void YMIDIState::RecordProgram(int32_t channel, int32_t program) noexcept {
    if (ValidChannel(channel)) m_program[channel] = program;
}

int32_t YMIDIState::Program(int32_t channel) const noexcept {
    return ValidChannel(channel) ? m_program[channel] : -1;
}

int32_t YMIDIState::LastNote(int32_t channel) const noexcept {
    return ValidChannel(channel) ? m_lastNote[channel] : -1;
}
