// YMIDIState: what the plug-in knows about incoming MIDI: which notes are held on which
// channel and the last value of every controller.
#pragma once

#include <cstdint>

class YMIDIState {
public:
    static constexpr int32_t kChannels = 16;
    static constexpr int32_t kNotes = 128;
    static constexpr int32_t kControllers = 128;

    YMIDIState() noexcept;

    // --- Note bookkeeping ---

    // Counts a key going down; false for a channel or note outside the tables.
    bool CountNoteOn(int32_t channel, int32_t note) noexcept;
    // Counts a key going up. False (the event is to be dropped) when the note is not held or
    // not in the tables. While holding, the counts stay and the release is kept pending.
    bool CountNoteOff(int32_t channel, int32_t note) noexcept;

    // How often the note is held down on the channel; 0 outside the tables.
    int32_t NoteCount(int32_t channel, int32_t note) const noexcept;
    // Notes held on the channel in total; 0 outside the tables.
    int32_t HeldNotes(int32_t channel) const noexcept;
    // Releases of the note that wait for the hold to end.
    int32_t PendingNoteOffs(int32_t channel, int32_t note) const noexcept;

    bool IsHolding() const noexcept { return m_holding; }
    // Turning the hold on keeps released notes counted; turning it off does not release them:
    // TakePendingNoteOffs does, one note at a time.
    void SetHolding(bool on) noexcept { m_holding = on; }
    // Applies the note's pending releases to the counts and returns how many there were.
    int32_t TakePendingNoteOffs(int32_t channel, int32_t note) noexcept;

    // Forgets every held note of the channel (all notes off), or of every channel.
    void ClearNotes(int32_t channel) noexcept;
    void ClearAllNotes() noexcept;

    // --- Last received values (normalised) ---

    void RecordController(int32_t channel, int32_t controller, double value) noexcept;
    double ControllerValue(int32_t channel, int32_t controller) const noexcept;
    void RecordPitchBend(int32_t channel, double value) noexcept;
    double PitchBend(int32_t channel) const noexcept;
    void RecordChannelAftertouch(int32_t channel, double value) noexcept;
    double ChannelAftertouch(int32_t channel) const noexcept;
    void RecordProgram(int32_t channel, int32_t program) noexcept;
    // -1 until a program change arrived.
    int32_t Program(int32_t channel) const noexcept;
    // The last key that went down on the channel, -1 before any.
    int32_t LastNote(int32_t channel) const noexcept;

private:
    static bool ValidChannel(int32_t channel) noexcept { return channel >= 0 && channel < kChannels; }
    static bool ValidNote(int32_t note) noexcept { return note >= 0 && note < kNotes; }

    int32_t m_noteCounts[kChannels][kNotes];
    int32_t m_pendingOffs[kChannels][kNotes];
    int32_t m_heldNotes[kChannels];
    int32_t m_lastNote[kChannels];
    float m_controllers[kChannels][kControllers];
    double m_pitchBend[kChannels];
    double m_channelAftertouch[kChannels];
    int32_t m_program[kChannels];
    bool m_holding = false;
};
