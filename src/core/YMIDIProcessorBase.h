// YMIDIProcessorBase: the receiving end of MIDI events. Channels are 0..15, normalised values
// 0..1 (pitch bend -1..1). Every operation does nothing unless a derived class listens.
#pragma once

#include "foundation/YObject.h"

#include <cstdint>

// Event kinds other than notes, as the effect command for MIDI events numbers them.
enum YMIDIEventKind : int32_t {
    kMIDIController = 0,
    kMIDIPitchBend = 1,
    kMIDIChannelAftertouch = 2,
    kMIDIPolyAftertouch = 3,
    kMIDIProgramChange = 4,
    kMIDIAllNotesOff = 5,
    kMIDIAllSoundOff = 6,
    kMIDIRawEvent = 7,
};

class YMIDIProcessorBase : public YObject {
public:
    static constexpr uint16_t kAllChannels = 0xFFFF;

    YMIDIProcessorBase() = default;
    YMIDIProcessorBase(const YMIDIProcessorBase&) = delete;
    YMIDIProcessorBase& operator=(const YMIDIProcessorBase&) = delete;
    ~YMIDIProcessorBase() override;

    // heldNotes: notes still held on the channel after this event was counted.
    virtual void OnNote(int32_t channel, int32_t note, double velocity, bool on, int32_t heldNotes);
    virtual void OnController(int32_t channel, int32_t controller, double value);
    virtual void OnPitchBend(int32_t channel, double value);
    virtual void OnChannelAftertouch(int32_t channel, double value);
    virtual void OnPolyAftertouch(int32_t channel, int32_t note, double value);
    virtual void OnProgramChange(int32_t channel, int32_t program);
    virtual void OnAllNotesOff(int32_t channel);
    virtual void OnAllSoundOff(int32_t channel);
    // An event without its own operation: status and two data bytes as they came.
    virtual void OnRawEvent(int32_t channel, int32_t status, int32_t data1, int32_t data2);
    virtual void Reset();

    // Routes a non-note event to its operation; unknown kinds are ignored. For kMIDIRawEvent
    // the number packs status | data1 << 8 | data2 << 16.
    void Dispatch(int32_t kind, int32_t channel, int32_t number, double value);

    // As a child of another processor: the channels it hears and an optional switch byte.
    uint16_t ChannelMask() const noexcept { return m_channelMask; }
    void SetChannelMask(uint16_t mask) noexcept { m_channelMask = mask; }
    const uint8_t* EnableLink() const noexcept { return m_enableLink; }
    void SetEnableLink(const uint8_t* link) noexcept { m_enableLink = link; }
    // Enabled (no link or the link set) and the channel's bit in the mask.
    bool Accepts(int32_t channel) const noexcept {
        if (channel < 0 || channel > 15) return false;
        if (m_enableLink && *m_enableLink == 0) return false;
        return (m_channelMask >> channel) & 1u;
    }

private:
    uint16_t m_channelMask = kAllChannels;
    const uint8_t* m_enableLink = nullptr;
};
