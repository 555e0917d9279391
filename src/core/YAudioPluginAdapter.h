// YAudioPluginAdapter: the way back from the plug-in to its host. Each host adapter (VST 2.4,
// VST 3) implements it and installs itself on the plug-in; the plug-in calls it for
// automation, bypass, MIDI output, latency and editor size.
#pragma once

#include <cstdint>

class YAudioPluginAdapter {
public:
    YAudioPluginAdapter() = default;
    YAudioPluginAdapter(const YAudioPluginAdapter&) = delete;
    YAudioPluginAdapter& operator=(const YAudioPluginAdapter&) = delete;
    virtual ~YAudioPluginAdapter() = default;

    // The host records value (0 ... 1) for the host parameter as automation.
    virtual void AutomateParameter(int32_t hostIndex, double value) = 0;
    // Bypass was switched by the plug-in itself.
    virtual void SendBypassAutomation(bool on) = 0;
    // Queues one MIDI message (four bytes) for output at deltaFrames into the current block.
    virtual void GenerateMIDIEvent(int32_t deltaFrames, const uint8_t bytes[4]) = 0;
    // The plug-in's latency changed.
    virtual void ReportLatency() = 0;
    // Asks the host to resize the editor; true when the host did.
    virtual bool ChangeEditorSize(int32_t width, int32_t height) = 0;
};
