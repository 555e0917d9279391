// YMIDIResetProcessor: resets an LFO when MIDI notes match its conditions, and passes every
// event on to its child processors first.
#pragma once

#include "core/YMIDIProcessorBase.h"
#include "core/YStorer.h"

#include <cstdint>

class YMIDIResetProcessor : public YMIDIProcessorBase {
public:
    static constexpr int32_t kMaxChildren = 8;

    YMIDIResetProcessor() = default;
    ~YMIDIResetProcessor() override;

    // Note: children first, then Reset() when the note meets every condition.
    void OnNote(int32_t channel, int32_t note, double velocity, bool on, int32_t heldNotes) override;
    void OnController(int32_t channel, int32_t controller, double value) override;
    void OnPitchBend(int32_t channel, double value) override;
    void OnChannelAftertouch(int32_t channel, double value) override;
    void OnPolyAftertouch(int32_t channel, int32_t note, double value) override;
    void OnProgramChange(int32_t channel, int32_t program) override;
    void OnAllNotesOff(int32_t channel) override;
    void OnAllSoundOff(int32_t channel) override;
    void OnRawEvent(int32_t channel, int32_t status, int32_t data1, int32_t data2) override;
    // What a matching note triggers; the owner decides.
    void Reset() override;

    // Whether a note event meets the conditions (does not look at the children).
    bool Matches(int32_t channel, int32_t note, double velocity, bool on, int32_t heldNotes) const noexcept;

    // Children are not owned; false when the table is full or child is null or this.
    bool AddChild(YMIDIProcessorBase* child) noexcept;
    bool RemoveChild(YMIDIProcessorBase* child) noexcept;
    int32_t ChildCount() const noexcept { return m_childCount; }

    // Writes or reads the settings as attributes of the storer's item (nothing without one).
    void Store(YStorer& storer);
    // Back to the defaults below.
    void ResetSettings() noexcept;

    bool Enabled = false;
    bool NoteOn = true;
    bool NoteOnOnlyFirst = false;
    bool NoteOff = false;
    bool NoteOffOnlyLast = false;
    double MinVelocity = 0.0;
    double MaxVelocity = 1.0;
    int32_t MinNote = 0;
    int32_t MaxNote = 127;
    int32_t Channel = 0; // 0: any; otherwise 1 ... 16
    double Phase = 0.0;  // cycles

private:
    YMIDIProcessorBase* m_children[kMaxChildren] = {};
    int32_t m_childCount = 0;
};
