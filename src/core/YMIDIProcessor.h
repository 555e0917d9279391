// YMIDIProcessor: turns incoming MIDI into events for its listeners. Raw bytes are decoded and
// normalised, notes are counted in the MIDI state, and every event goes to each listener that
// hears its channel. A derived class that overrides an event operation calls this one to keep
// the recording and the forwarding.
#pragma once

#include "core/YMIDIProcessorBase.h"
#include "core/YMIDIState.h"

#include <cstdint>

class YMIDIProcessor : public YMIDIProcessorBase, public YMIDIState {
public:
    static constexpr int32_t kMaxListeners = 16;

    YMIDIProcessor() = default;
    ~YMIDIProcessor() override;

    // Listeners are not owned. False when the table is full, for null, this, or a repeat.
    bool AddMIDIListener(YMIDIProcessorBase* listener) noexcept;
    bool RemoveMIDIListener(YMIDIProcessorBase* listener) noexcept;
    int32_t MIDIListenerCount() const noexcept { return m_listenerCount; }

    // A note from the host: counted, then delivered to OnNote with the notes still held on the
    // channel, unless it is a release of a note that is not held. Velocity 0 ... 1. Returns
    // whether the event was delivered.
    bool NoteEvent(int32_t channel, int32_t note, double velocity, bool on, int32_t offset = 0);

    // One channel message as it came from the host: status and two data bytes. System
    // messages and stray data bytes are ignored.
    void RawMIDIEvent(int32_t offset, uint8_t status, uint8_t data1, uint8_t data2);

    // While on, releases are kept pending; turning it off releases them as note-offs.
    void SetNoteHold(bool on);

    // Sample offset, within the current block, of the event being delivered.
    int32_t EventOffset() const noexcept { return m_eventOffset; }

    // Bytes of a channel message with this status, the status included; 0 for system
    // messages and data bytes. A host that hands over a length checks it against this.
    static constexpr uint32_t ChannelMessageLength(uint8_t status) noexcept {
        if (status < 0x80 || status >= 0xF0) return 0;
        const int kind = status & 0xF0;
        return kind == 0xC0 || kind == 0xD0 ? 2u : 3u;
    }

    // Data-byte normalisation shared by every path that decodes MIDI.
    static double NormalizeValue(uint8_t value) noexcept { return (value & 0x7F) / 127.0; }
    // Velocity 1 ... 127 becomes 0 ... 126/127; 0 stays 0.
    static double NormalizeVelocity(uint8_t velocity) noexcept {
        const int v = velocity & 0x7F;
        return v >= 1 ? (v - 1) / 127.0 : 0.0;
    }
    // Two 7-bit bytes, least significant first, to -1 ... 1.
    static double NormalizePitchBend(uint8_t lsb, uint8_t msb) noexcept {
        const int w = (msb & 0x7F) * 128 + (lsb & 0x7F);
        return w * 2.0 / 16383.0 - 1.0;
    }

    // YMIDIProcessorBase: recorded where the state keeps the value, then forwarded.
    void OnNote(int32_t channel, int32_t note, double velocity, bool on, int32_t heldNotes) override;
    void OnController(int32_t channel, int32_t controller, double value) override;
    void OnPitchBend(int32_t channel, double value) override;
    void OnChannelAftertouch(int32_t channel, double value) override;
    void OnPolyAftertouch(int32_t channel, int32_t note, double value) override;
    void OnProgramChange(int32_t channel, int32_t program) override;
    void OnAllNotesOff(int32_t channel) override;
    void OnAllSoundOff(int32_t channel) override;
    void OnRawEvent(int32_t channel, int32_t status, int32_t data1, int32_t data2) override;

private:
    YMIDIProcessorBase* m_listeners[kMaxListeners] = {};
    int32_t m_listenerCount = 0;
    int32_t m_eventOffset = 0;
};
