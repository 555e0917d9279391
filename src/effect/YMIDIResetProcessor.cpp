#include "effect/YMIDIResetProcessor.h"

YMIDIResetProcessor::~YMIDIResetProcessor() = default;

bool YMIDIResetProcessor::Matches(int32_t channel, int32_t note, double velocity, bool on,
                                  int32_t heldNotes) const noexcept {
    if (!Enabled) return false;
    if (on) {
        if (!NoteOn) return false;
        if (NoteOnOnlyFirst && heldNotes > 1) return false;
    } else {
        if (!NoteOff) return false;
        if (NoteOffOnlyLast && heldNotes > 0) return false;
    }
    if (note < MinNote || note > MaxNote) return false;
    if (Channel != 0 && Channel != channel + 1) return false;
    // The tolerance lets a stored 0 or 1 match velocities that went through float rounding.
    return velocity >= MinVelocity - 1e-20 && velocity <= MaxVelocity + 1e-20;
}

void YMIDIResetProcessor::OnNote(int32_t channel, int32_t note, double velocity, bool on, int32_t heldNotes) {
    for (int32_t i = 0; i < m_childCount; ++i)
        if (m_children[i]->Accepts(channel)) m_children[i]->OnNote(channel, note, velocity, on, heldNotes);
    if (Matches(channel, note, velocity, on, heldNotes)) Reset();
}

#define Y_FORWARD_TO_CHILDREN(call)                                                                          \
    for (int32_t i = 0; i < m_childCount; ++i)                                                               \
        if (m_children[i]->Accepts(channel)) m_children[i]->call;

void YMIDIResetProcessor::OnController(int32_t channel, int32_t controller, double value) {
    Y_FORWARD_TO_CHILDREN(OnController(channel, controller, value))
}
void YMIDIResetProcessor::OnPitchBend(int32_t channel, double value) {
    Y_FORWARD_TO_CHILDREN(OnPitchBend(channel, value))
}
void YMIDIResetProcessor::OnChannelAftertouch(int32_t channel, double value) {
    Y_FORWARD_TO_CHILDREN(OnChannelAftertouch(channel, value))
}
void YMIDIResetProcessor::OnPolyAftertouch(int32_t channel, int32_t note, double value) {
    Y_FORWARD_TO_CHILDREN(OnPolyAftertouch(channel, note, value))
}
void YMIDIResetProcessor::OnProgramChange(int32_t channel, int32_t program) {
    Y_FORWARD_TO_CHILDREN(OnProgramChange(channel, program))
}
void YMIDIResetProcessor::OnAllNotesOff(int32_t channel) { Y_FORWARD_TO_CHILDREN(OnAllNotesOff(channel)) }
void YMIDIResetProcessor::OnAllSoundOff(int32_t channel) { Y_FORWARD_TO_CHILDREN(OnAllSoundOff(channel)) }
void YMIDIResetProcessor::OnRawEvent(int32_t channel, int32_t status, int32_t data1, int32_t data2) {
    Y_FORWARD_TO_CHILDREN(OnRawEvent(channel, status, data1, data2))
}

#undef Y_FORWARD_TO_CHILDREN

void YMIDIResetProcessor::Reset() {}

bool YMIDIResetProcessor::AddChild(YMIDIProcessorBase* child) noexcept {
    if (!child || child == this || m_childCount >= kMaxChildren) return false;
    m_children[m_childCount++] = child;
    return true;
}

bool YMIDIResetProcessor::RemoveChild(YMIDIProcessorBase* child) noexcept {
    for (int32_t i = 0; i < m_childCount; ++i) {
        if (m_children[i] != child) continue;
        for (int32_t j = i + 1; j < m_childCount; ++j) m_children[j - 1] = m_children[j];
        m_children[--m_childCount] = nullptr;
        return true;
    }
    return false;
}

void YMIDIResetProcessor::Store(YStorer& storer) {
    if (!storer.Item) return;
    storer.Bool("Enabled", Enabled, false);
    storer.Bool("NoteOn", NoteOn, true);
    storer.Bool("NoteOnOnlyFirst", NoteOnOnlyFirst, false);
    storer.Bool("NoteOff", NoteOff, false);
    storer.Bool("NoteOffOnlyLast", NoteOffOnlyLast, false);
    storer.Double("MinVelocity", MinVelocity, 0.0);
    storer.Double("MaxVelocity", MaxVelocity, 1.0);
    storer.Integer("MinNote", MinNote, 0);
    storer.Integer("MaxNote", MaxNote, 127);
    storer.Integer("Channel", Channel, 0);
    storer.Double("Phase", Phase, 0.0);
}

void YMIDIResetProcessor::ResetSettings() noexcept {
    Enabled = false;
    NoteOn = true;
    NoteOnOnlyFirst = false;
    NoteOff = false;
    NoteOffOnlyLast = false;
    MinVelocity = 0.0;
    MaxVelocity = 1.0;
    MinNote = 0;
    MaxNote = 127;
    Channel = 0;
    Phase = 0.0;
}
