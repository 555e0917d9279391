// Shared pieces of the effect-frame tests: an effect whose output is easy to predict, a block of
// host buffers and a host that counts what the plug-in tells it.
#pragma once

#include "core/YAudioEffectPlugin.h"
#include "core/YAudioPlugin.h"
#include "core/YAudioPluginAdapter.h"
#include "core/YQuenlorAudioEffectPlugin.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace frametest {

// What the probe effect saw; reset by each test through Reset().
struct Probe {
    int32_t latency = 0;
    int32_t preparedChannels = -1;
    double preparedRate = 0.0;
    static constexpr int kMaxCalls = 256;
    int32_t calls = 0;
    int32_t frames[kMaxCalls] = {};
    double songPositions[kMaxCalls] = {};
    double gains[kMaxCalls] = {}; // the Gain parameter each sub-block ran with
    int32_t prepares = 0;
    int32_t updates = 0;
    int32_t notes = 0;
    uint8_t extraFlags = 0;

    void Reset(int32_t withLatency = 0) { *this = Probe{}; latency = withLatency; }
};

inline Probe& TheProbe() {
    static Probe probe;
    return probe;
}

// Output = Gain × input delayed by the probe's latency, per channel; reports that latency.
class DelayingEffect : public YAudioEffectPlugin {
public:
    DelayingEffect() {
        m_gain.DefineFloat("Gain", "Gain", 0.0, 4.0, 2.0);
        SetParameterTable(&m_gain, 1);
        SetEffectFlag(kEffectFlagUsesHostTime, true);
        SetEffectFlag(TheProbe().extraFlags, true);
    }

    int32_t Prepare(int32_t channels, double sampleRate) override {
        Probe& probe = TheProbe();
        probe.preparedChannels = channels;
        probe.preparedRate = sampleRate;
        ++probe.prepares;
        m_channels = channels;
        for (std::vector<float>& line : m_lines) line.assign(static_cast<size_t>(probe.latency) + 1, 0.0f);
        m_write = 0;
        return 0;
    }
    void Update() override { ++TheProbe().updates; }
    void OnMIDINote(int32_t, int32_t, double, bool on, int32_t) override { TheProbe().notes += on ? 1 : 0; }
    int32_t GetLatency() override { return TheProbe().latency; }

    void Process(const YProcessingContext& context, float* const* inputs, float* const* outputs,
                 int32_t frames) override {
        Probe& probe = TheProbe();
        if (probe.calls < Probe::kMaxCalls) {
            probe.frames[probe.calls] = frames;
            probe.songPositions[probe.calls] = context.SongPosition;
            probe.gains[probe.calls] = m_gain.Float.Value;
            ++probe.calls;
        }
        const float gain = static_cast<float>(m_gain.Float.Value);
        const size_t size = m_lines[0].size();
        size_t write = m_write;
        for (int32_t c = 0; c < m_channels; ++c) {
            std::vector<float>& line = m_lines[static_cast<size_t>(c)];
            write = m_write;
            for (int32_t i = 0; i < frames; ++i) {
                line[write] = inputs[c][i];
                write = (write + 1) % size;
                outputs[c][i] = gain * line[write]; // the oldest sample: latency samples ago
            }
        }
        m_write = write;
    }

    PluginParameter& Gain() { return m_gain; }

private:
    PluginParameter m_gain;
    int32_t m_channels = 0;
    std::vector<float> m_lines[kMaxChannels];
    size_t m_write = 0;
};

inline YAudioEffectPlugin* CreateDelayingEffect() { return new DelayingEffect(); }

inline int64_t DelayingEffectInterface(void* instance, int32_t command, YEffectArguments* arguments) {
    return YAudioEffectPluginCall(instance, command, arguments, &CreateDelayingEffect, "DelayingEffectInterface");
}

// Host buffers: channels × frames, inputs filled by the caller, pointers in 16 slots.
struct Buffers {
    Buffers(int32_t channels, int32_t frames)
        : in(static_cast<size_t>(channels), std::vector<float>(static_cast<size_t>(frames), 0.0f)),
          out(static_cast<size_t>(channels), std::vector<float>(static_cast<size_t>(frames), 0.0f)),
          frames(frames) {
        for (int32_t c = 0; c < channels; ++c) {
            inputs[c] = in[static_cast<size_t>(c)].data();
            outputs[c] = out[static_cast<size_t>(c)].data();
        }
    }
    void Process(YAudioPlugin& plugin) { plugin.ProcessAudio(inputs, outputs, frames, true); }

    std::vector<std::vector<float>> in;
    std::vector<std::vector<float>> out;
    float* inputs[YAudioPlugin::kMaxSlots] = {};
    float* outputs[YAudioPlugin::kMaxSlots] = {};
    int32_t frames;
};

// A deterministic test signal, different per channel.
inline float Signal(int32_t channel, int64_t index) {
    uint32_t x = static_cast<uint32_t>(index * 2654435761u + static_cast<uint32_t>(channel) * 40503u + 12345u);
    x ^= x >> 13;
    x *= 0x5bd1e995u;
    x ^= x >> 15;
    return static_cast<float>(x % 20001u) / 20000.0f - 0.5f;
}

class CountingHost : public YAudioPluginAdapter {
public:
    void AutomateParameter(int32_t, double) override {}
    void SendBypassAutomation(bool) override {}
    void GenerateMIDIEvent(int32_t, const uint8_t*) override {}
    void ReportLatency() override { ++latencyReports; }
    bool ChangeEditorSize(int32_t, int32_t) override { return false; }
    std::atomic<int> latencyReports{0};
};

// A plug-in around the probe effect, with the given channels per bus (one bus each way).
inline std::unique_ptr<YQuenlorAudioEffectPlugin> CreateProbePlugin(int32_t channels, int32_t latency,
                                                                    uint8_t extraFlags = 0) {
    TheProbe().Reset(latency);
    TheProbe().extraFlags = extraFlags;
    auto plugin = YQuenlorAudioEffectPlugin::Create("Probe", "Quenlor", &DelayingEffectInterface, 500, 100);
    if (!plugin) return plugin;
    plugin->SetChannelCounts(channels, channels);
    plugin->SetChannelsPerBus(channels);
    plugin->InitProcessing();
    return plugin;
}

// The host index of the parameter named name, or -1.
inline int32_t FindParameter(YAudioPlugin& plugin, const char* name) {
    for (int32_t i = 0; i < plugin.GetParameterCount(); ++i)
        if (plugin.GetParameterName(i) == YString::FromUTF8(name)) return i;
    return -1;
}

} // namespace frametest
