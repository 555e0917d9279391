// VstPluginHost: one VST 2.4 plug-in instance, hosted the way a DAW hosts it. It loads the
// binary, creates the effect through its exported entry with a host callback of its own,
// prepares it (open, sample rate, block size, mains on) and runs blocks through
// processReplacing while a transport at a settable tempo plays.
#pragma once

#include "PluginHost.h"
#include "entry/vst2/Vst2Abi.h"
#include "platform/YPlatformLibrary.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

class VstPluginHost : public PluginHost {
public:

    // What the plug-in told the host through its callback.
    struct CallbackLog {
        int32_t versionRequests = 0;
        int32_t timeRequests = 0;
        int32_t ioChanges = 0;
        int32_t automations = 0; // audioMasterAutomate calls
        int32_t lastAutomatedIndex = -1;
        float lastAutomatedValue = 0.0f;
    };

    VstPluginHost() = default;
    ~VstPluginHost() override;
    VstPluginHost(const VstPluginHost&) = delete;
    VstPluginHost& operator=(const VstPluginHost&) = delete;

    // Loads the binary at path, finds VSTPluginMain (or main) and creates the effect.
    void Load(const std::string& path, const Settings& settings) override;
    // Creates the effect through an entry function already at hand.
    void Create(Vst2::PluginEntryProc entry, const Settings& settings);
    // Switches processing on (mains on, start process) and off again.
    void Start() override;
    void Stop() override;
    // Closes the effect and unloads the binary; the destructor does the same.
    void Close() noexcept override;

    const Settings& GetSettings() const override { return m_settings; }
    // Texts from the plug-in are 8-bit: UTF-8 when they are valid UTF-8, else Latin-1.
    // Every text this class hands out is UTF-8.
    static std::string TextFromPlugin(const std::string& text);

    // The effect's record as it stands; these throw before Load() or Create().
    int32_t InputCount() const override { return Effect().numInputs; }
    int32_t OutputCount() const override { return Effect().numOutputs; }
    int32_t Latency() const override { return Effect().initialDelay; } // samples, as last reported
    int32_t UniqueID() const { return Effect().uniqueID; }
    bool HasChunks() const { return (Effect().flags & Vst2::effFlagsProgramChunks) != 0; }
    std::string EffectName() override;
    std::string VendorString() override;
    const CallbackLog& Log() const { return m_log; }

    int32_t ParameterCount() const override { return Effect().numParams; }
    std::string ParameterName(int32_t index) override;
    std::string ParameterLabel(int32_t index) override;
    std::string ParameterDisplay(int32_t index) override;
    float GetParameter(int32_t index) override;
    void SetParameter(int32_t index, float value) override;
    // Lets the plug-in parse text into the parameter (effString2Parameter); false when it
    // does not take text.
    bool ParseParameterText(int32_t index, const std::string& text) override;

    // The plug-in's state as bytes (effGetChunk), and back (effSetChunk).
    std::vector<uint8_t> SaveState() override;
    void LoadState(const std::vector<uint8_t>& bytes) override;

    // Parameter points split the next block: setParameter runs before the part of the block
    // that starts at their frame, as hosts send automation to VST 2.4 plug-ins.
    void QueueParameterPoint(int32_t index, int32_t frame, double value) override;
    // MIDI goes to the plug-in through effProcessEvents before each part of the block, with
    // deltaFrames counted from that part's start.
    bool QueueMidi(int32_t frame, const uint8_t* bytes, int32_t size) override;

    // Runs one block through processReplacing, frames at most the block size; the arrays
    // hold InputCount() and OutputCount() channels. Advances the transport.
    void Process(float** inputs, float** outputs, int32_t frames) override;

private:
    static intptr_t Callback(Vst2::AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                             float opt);
    intptr_t Answer(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f);
    std::string DispatchText(int32_t opcode, int32_t index);
    const Vst2::AEffect& Effect() const;
    void CheckIndex(int32_t index) const;
    Vst2::VstTimeInfo* TimeInfo();
    void ProcessPart(float** inputs, float** outputs, int32_t from, int32_t to, bool lastPart, std::size_t& nextMidi);
    void SendEvents(const Vst2::VstMidiEvent* events, std::size_t count);

    struct QueuedPoint {
        int32_t frame;
        int32_t index;
        float value;
    };

    YPlatformLibrary m_library;
    Vst2::AEffect* m_effect = nullptr;
    Settings m_settings;
    CallbackLog m_log;
    bool m_started = false;
    double m_samplePosition = 0.0;
    bool m_transportChanged = true;
    Vst2::VstTimeInfo m_timeInfo{};
    std::vector<QueuedPoint> m_points;
    std::vector<Vst2::VstMidiEvent> m_midi; // deltaFrames counts from the block's start here
    std::vector<std::byte> m_events;        // a VstEvents record with its pointer table
    std::vector<float*> m_partInputs, m_partOutputs;
};
