// Vst3PluginHost: one VST 3 plug-in instance, hosted the way a DAW hosts it. It loads the
// bundle's binary, takes the first audio effect class from the module's factory, initialises it
// with a host application of its own, sets up 32-bit processing, activates every audio bus and
// runs blocks through IAudioProcessor::process while a transport at a settable tempo plays.
// Parameter changes reach the plug-in as queues in the process call, as in a DAW.
#pragma once

#include "PluginHost.h"
#include "entry/vst3/Vst3Abi.h"
#include "platform/YPlatformLibrary.h"

#include <memory>

class Vst3PluginHost : public PluginHost {
public:
    Vst3PluginHost();
    ~Vst3PluginHost() override;
    Vst3PluginHost(const Vst3PluginHost&) = delete;
    Vst3PluginHost& operator=(const Vst3PluginHost&) = delete;

    // path is a .vst3 bundle folder or the binary inside it.
    void Load(const std::string& path, const Settings& settings) override;
    void Start() override;
    void Stop() override;
    void Close() noexcept override;
    const Settings& GetSettings() const override { return m_settings; }

    int32_t InputCount() const override { return m_inputChannels; }
    int32_t OutputCount() const override { return m_outputChannels; }
    int32_t Latency() const override;
    std::string EffectName() override { return m_name; }
    std::string VendorString() override { return m_vendor; }

    // The plug-in's own parameters; the bypass switch and MIDI-controller parameters a
    // VST 3 plug-in adds for hosts are left out, so indices match the VST 2.4 entry's.
    int32_t ParameterCount() const override { return static_cast<int32_t>(m_parameters.size()); }
    std::string ParameterName(int32_t index) override;
    std::string ParameterLabel(int32_t index) override;
    std::string ParameterDisplay(int32_t index) override;
    float GetParameter(int32_t index) override;
    void SetParameter(int32_t index, float value) override;
    bool ParseParameterText(int32_t index, const std::string& text) override;

    // The bytes IComponent::getState writes, and back through setState.
    std::vector<uint8_t> SaveState() override;
    void LoadState(const std::vector<uint8_t>& bytes) override;

    // Automation points go into the block's parameter queues at their sample offsets.
    void QueueParameterPoint(int32_t index, int32_t frame, double value) override;
    // Notes and polyphonic pressure go into the block's event list (when the plug-in has an
    // event input); controllers, channel pressure, pitch-bend and program changes become
    // parameter points through the plug-in's IMidiMapping (when it has one).
    bool QueueMidi(int32_t frame, const uint8_t* bytes, int32_t size) override;

    void Process(float** inputs, float** outputs, int32_t frames) override;

    // The binary a bundle path stands for on this platform; other paths as given.
    static std::string BinaryPath(const std::string& path);

private:
    struct Objects; // the host-side interface implementations

    const Vst3::ParameterInfo& Info(int32_t index) const;
    // Hands queued parameter changes to the plug-in in a process call without audio.
    void FlushChanges();
    void PrepareBuses();
    void Require() const;

    YPlatformLibrary m_library;
    std::unique_ptr<Objects> m_objects;
    Vst3::IPluginFactory* m_factory = nullptr;
    Vst3::IComponent* m_component = nullptr;
    Vst3::IAudioProcessor* m_processor = nullptr;
    Vst3::IEditController* m_controller = nullptr;
    Vst3::IMidiMapping* m_midiMapping = nullptr;
    bool m_eventInput = false; // an event input bus is active
    bool m_moduleEntered = false;
    bool m_started = false;
    Settings m_settings;
    std::string m_name, m_vendor;
    std::vector<Vst3::ParameterInfo> m_parameters;
    int32_t m_inputChannels = 0, m_outputChannels = 0;
    std::vector<int32_t> m_inputBusChannels, m_outputBusChannels;
    std::vector<Vst3::AudioBusBuffers> m_inputBuses, m_outputBuses;
    int64_t m_samplePosition = 0;
};
