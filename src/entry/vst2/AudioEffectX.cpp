#include "entry/vst2/AudioEffectX.h"

namespace Vst2 {

int32_t AudioEffectX::getPlugCategory() {
    return hasFlag(effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
}

void AudioEffectX::wantEvents(int32_t filter) { callHost(audioMasterWantMidi, 0, filter); }

VstTimeInfo* AudioEffectX::getTimeInfo(int32_t filter) {
    return reinterpret_cast<VstTimeInfo*>(callHost(audioMasterGetTime, 0, filter));
}

bool AudioEffectX::sendVstEventsToHost(VstEvents* events) {
    return callHost(audioMasterProcessEvents, 0, 0, events) == 1;
}

bool AudioEffectX::ioChanged() { return callHost(audioMasterIOChanged) != 0; }

bool AudioEffectX::sizeWindow(int32_t width, int32_t height) {
    return callHost(audioMasterSizeWindow, width, height) != 0;
}

intptr_t AudioEffectX::dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    switch (opcode) {
    case effProcessEvents:
        return ptr != nullptr ? processEvents(static_cast<VstEvents*>(ptr)) : 0;
    case effCanBeAutomated:
        return canParameterBeAutomated(index) ? 1 : 0;
    case effString2Parameter:
        return string2parameter(index, static_cast<char*>(ptr)) ? 1 : 0;
    case effGetProgramNameIndexed:
        return ptr != nullptr && getProgramNameIndexed(static_cast<int32_t>(value), index, static_cast<char*>(ptr))
                   ? 1
                   : 0;
    case effGetInputProperties:
        return ptr != nullptr && getInputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetOutputProperties:
        return ptr != nullptr && getOutputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetPlugCategory:
        return getPlugCategory();
    case effSetSpeakerArrangement:
        return setSpeakerArrangement(reinterpret_cast<VstSpeakerArrangement*>(value),
                                     static_cast<VstSpeakerArrangement*>(ptr))
                   ? 1
                   : 0;
    case effSetBypass:
        return setBypass(value != 0) ? 1 : 0;
    case effGetEffectName:
        return ptr != nullptr && getEffectName(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetVendorString:
        return ptr != nullptr && getVendorString(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetProductString:
        return ptr != nullptr && getProductString(static_cast<char*>(ptr)) ? 1 : 0;
    case effGetVendorVersion:
        return getVendorVersion();
    case effVendorSpecific:
        return vendorSpecific(index, value, ptr, opt);
    case effCanDo:
        return ptr != nullptr ? canDo(static_cast<char*>(ptr)) : 0;
    case effGetTailSize:
        return getGetTailSize();
    case effGetParameterProperties:
        return ptr != nullptr && getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)) ? 1 : 0;
    case effGetVstVersion:
        return getVstVersion();
    case effEditKeyDown:
    case effEditKeyUp: {
        if (getEditor() == nullptr) return 0;
        VstKeyCode key{index, static_cast<unsigned char>(value), static_cast<unsigned char>(opt)};
        const bool used = opcode == effEditKeyDown ? getEditor()->onKeyDown(key) : getEditor()->onKeyUp(key);
        return used ? 1 : 0;
    }
    case effSetEditKnobMode:
        return getEditor() != nullptr && getEditor()->setKnobMode(static_cast<int32_t>(value)) ? 1 : 0;
    case effGetSpeakerArrangement: {
        VstSpeakerArrangement* input = nullptr;
        VstSpeakerArrangement* output = nullptr;
        const bool known = getSpeakerArrangement(&input, &output);
        if (value != 0) *reinterpret_cast<VstSpeakerArrangement**>(value) = known ? input : nullptr;
        if (ptr != nullptr) *static_cast<VstSpeakerArrangement**>(ptr) = known ? output : nullptr;
        return known ? 1 : 0;
    }
    case effStartProcess:
        return startProcess();
    case effStopProcess:
        return stopProcess();
    case effSetPanLaw:
        return setPanLaw(static_cast<int32_t>(value), opt) ? 1 : 0;
    case effSetProcessPrecision:
        return setProcessPrecision(static_cast<int32_t>(value)) ? 1 : 0;
    case effGetNumMidiInputChannels:
        return getNumMidiInputChannels();
    case effGetNumMidiOutputChannels:
        return getNumMidiOutputChannels();
    default:
        return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

} // namespace Vst2
