#include "core/YMIDIProcessorBase.h"

YMIDIProcessorBase::~YMIDIProcessorBase() = default;

void YMIDIProcessorBase::OnNote(int32_t, int32_t, double, bool, int32_t) {}
void YMIDIProcessorBase::OnController(int32_t, int32_t, double) {}
void YMIDIProcessorBase::OnPitchBend(int32_t, double) {}
void YMIDIProcessorBase::OnChannelAftertouch(int32_t, double) {}
void YMIDIProcessorBase::OnPolyAftertouch(int32_t, int32_t, double) {}
void YMIDIProcessorBase::OnProgramChange(int32_t, int32_t) {}
void YMIDIProcessorBase::OnAllNotesOff(int32_t) {}
void YMIDIProcessorBase::OnAllSoundOff(int32_t) {}
void YMIDIProcessorBase::OnRawEvent(int32_t, int32_t, int32_t, int32_t) {}
void YMIDIProcessorBase::Reset() {}

void YMIDIProcessorBase::Dispatch(int32_t kind, int32_t channel, int32_t number, double value) {
    switch (kind) {
    case kMIDIController:
        OnController(channel, number, value);
        break;
    case kMIDIPitchBend:
        OnPitchBend(channel, value);
        break;
    case kMIDIChannelAftertouch:
        OnChannelAftertouch(channel, value);
        break;
    case kMIDIPolyAftertouch:
        OnPolyAftertouch(channel, number, value);
        break;
    case kMIDIProgramChange:
        OnProgramChange(channel, number);
        break;
    case kMIDIAllNotesOff:
        OnAllNotesOff(channel);
        break;
    case kMIDIAllSoundOff:
        OnAllSoundOff(channel);
        break;
    case kMIDIRawEvent:
        OnRawEvent(channel, number & 0xFF, (number >> 8) & 0xFF, (number >> 16) & 0xFF);
        break;
    default:
        break;
    }
}
