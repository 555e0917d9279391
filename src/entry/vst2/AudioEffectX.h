// AudioEffectX: the VST 2.x extensions on top of AudioEffect (events, pins, speakers, names,
// capabilities, time information). Defaults are the neutral answers of the interface.
#pragma once

#include "entry/vst2/AudioEffect.h"

namespace Vst2 {

class AudioEffectX : public AudioEffect {
public:
    AudioEffectX(HostCallback audioMaster, int32_t numPrograms, int32_t numParams)
        : AudioEffect(audioMaster, numPrograms, numParams) {}

    intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) override;

    // 1: the events were taken.
    virtual int32_t processEvents(VstEvents* /*events*/) { return 0; }
    virtual bool canParameterBeAutomated(int32_t /*index*/) { return true; }
    virtual bool string2parameter(int32_t /*index*/, char* /*text*/) { return false; }
    virtual bool getProgramNameIndexed(int32_t /*category*/, int32_t /*index*/, char* /*text*/) { return false; }
    virtual bool getInputProperties(int32_t /*index*/, VstPinProperties* /*properties*/) { return false; }
    virtual bool getOutputProperties(int32_t /*index*/, VstPinProperties* /*properties*/) { return false; }
    virtual int32_t getPlugCategory();
    // Either may be null.
    virtual bool setSpeakerArrangement(VstSpeakerArrangement* /*input*/, VstSpeakerArrangement* /*output*/) {
        return false;
    }
    virtual bool getSpeakerArrangement(VstSpeakerArrangement** /*input*/, VstSpeakerArrangement** /*output*/) {
        return false;
    }
    virtual bool setBypass(bool /*on*/) { return false; }
    virtual bool getEffectName(char* /*name*/) { return false; }
    virtual bool getVendorString(char* /*text*/) { return false; }
    virtual bool getProductString(char* /*text*/) { return false; }
    virtual int32_t getVendorVersion() { return 0; }
    virtual intptr_t vendorSpecific(int32_t /*index*/, intptr_t /*value*/, void* /*ptr*/, float /*opt*/) {
        return 0;
    }
    // 1: yes, -1: no, 0: don't know.
    virtual int32_t canDo(char* /*text*/) { return 0; }
    virtual int32_t getGetTailSize() { return 0; }
    virtual bool getParameterProperties(int32_t /*index*/, VstParameterProperties* /*properties*/) {
        return false;
    }
    virtual int32_t getVstVersion() { return kVstVersion; }
    virtual int32_t startProcess() { return 0; }
    virtual int32_t stopProcess() { return 0; }
    virtual bool setPanLaw(int32_t /*type*/, float /*value*/) { return false; }
    virtual bool setProcessPrecision(int32_t /*precision*/) { return false; }
    virtual int32_t getNumMidiInputChannels() { return 0; }
    virtual int32_t getNumMidiOutputChannels() { return 0; }
    // The automation state the plug-in supports (VstAutomationStates).
    virtual int32_t getAutomationState() { return kVstAutomationUnsupported; }

    // --- Host callbacks ---
    // Asks the host for MIDI input (filter 1: MIDI).
    void wantEvents(int32_t filter = 1);
    // Null when the host has none.
    VstTimeInfo* getTimeInfo(int32_t filter);
    bool sendVstEventsToHost(VstEvents* events);
    bool ioChanged();
    bool sizeWindow(int32_t width, int32_t height);
};

} // namespace Vst2
