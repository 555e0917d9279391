// What MIDI control and multiparameter movements add to a block, measured on the models in
// front of the whole plug-in: a default 512-sample stereo block at 48 kHz is the baseline;
// one case first applies 128 controller messages with all 32 controller slots enabled, the
// other first runs eight 64-frame steps of a Switch ramp that drives 10 targets. Both write
// through the plug-in's own parameter entries; a third case sends the messages into a setter
// that only keeps the values, to show the map's own share. Each case prints "x_plain", its time per block
// over the plain block's, measured once in the same run.
#include "BlockTiming.h"
#include "core/YMIDIControllerMap.h"
#include "core/YMIDIProcessor.h"
#include "core/YMultiParameter.h"
#include "core/YParameterAccess.h"
#include "core/YQuenlorAudioEffectPlugin.h"
#include "entry/VornikAudioEffectPluginInterface.h"

#include <benchmark/benchmark.h>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int kChannels = 2;
constexpr int kFrames = 512;
constexpr double kSampleRate = 48000.0;

// The plug-in's host-parameter space as the models see it.
class PluginParameters : public YParameterLookup, public YParameterSetter {
public:
    explicit PluginParameters(YAudioPlugin& plugin) : m_plugin(plugin) {}
    int32_t FindParameter(const YString& name) const override {
        for (int32_t i = 0; i < m_plugin.GetParameterCount(); ++i)
            if (m_plugin.GetParameterName(i) == name) return i;
        return -1;
    }
    YString ParameterName(int32_t index) const override { return m_plugin.GetParameterName(index); }
    YString ParameterValueText(int32_t index) const override { return m_plugin.GetParameterValueName(index); }
    double ParameterValue(int32_t index) const override { return m_plugin.GetParameter(index); }
    void SetParameter(int32_t index, double value) noexcept override { m_plugin.SetParameter(index, value); }
    void SetParameterAutomated(int32_t index, double value) noexcept override {
        m_plugin.SetParameterAutomated(index, value);
    }

private:
    YAudioPlugin& m_plugin;
};

struct Plain {
    std::unique_ptr<YQuenlorAudioEffectPlugin> plugin =
        YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", &VornikAudioEffectPluginInterface, 500, 100);
    std::vector<float> input[kChannels], output[kChannels];
    float* ins[YAudioPlugin::kMaxSlots] = {};
    float* outs[YAudioPlugin::kMaxSlots] = {};
    PluginParameters parameters{*plugin};

    Plain() {
        for (int c = 0; c < kChannels; ++c) {
            input[c].resize(kFrames);
            output[c].resize(kFrames);
            for (int i = 0; i < kFrames; ++i) input[c][i] = static_cast<float>(0.5 * std::sin(0.05 * i + c));
            ins[c] = input[c].data();
            outs[c] = output[c].data();
        }
        plugin->SetSampleRate(kSampleRate);
        plugin->SetMaximumBlockSize(kFrames);
        plugin->InitProcessing();
    }
    // Parameters the models may drive: the effect's first ones, never more than it has.
    YString Target(int32_t n) const { return plugin->GetParameterName(n % std::min(plugin->GetParameterCount(), 12)); }
    void Block() {
        plugin->ProcessAudio(ins, outs, kFrames, true);
        benchmark::DoNotOptimize(outs[0]);
        benchmark::ClobberMemory();
    }
};

struct ControllerMessages : Plain {
    YMIDIProcessor processor;
    YMIDIControllerMap map;
    int32_t turn = 0;
    ControllerMessages() {
        map.ControllersEnabled = true;
        for (int32_t n = 0; n < YMIDIControllerMap::kControllerSlots; ++n) {
            map.Controllers[n].Enabled = true;
            map.Controllers[n].ParameterName = Target(n);
            map.Controllers[n].Controller = n;
        }
        map.Resolve(parameters);
        map.SetParameterSetter(&parameters);
        processor.AddMIDIListener(&map);
    }
    void Block() {
        for (int32_t m = 0; m < 128; ++m)
            processor.RawMIDIEvent(m * 4, static_cast<uint8_t>(0xB0 | (m & 15)), static_cast<uint8_t>(m & 31),
                                   static_cast<uint8_t>((m + turn) & 127));
        ++turn;
        Plain::Block();
    }
};

// The same messages into a setter that only keeps the values: the map's own share.
struct ControllerMessagesModelOnly : ControllerMessages {
    struct Sink : YParameterSetter {
        double values[64] = {};
        void SetParameter(int32_t index, double value) noexcept override { values[index & 63] = value; }
        void SetParameterAutomated(int32_t index, double value) noexcept override { values[index & 63] = value; }
    } sink;
    ControllerMessagesModelOnly() { map.SetParameterSetter(&sink); }
    void Block() {
        ControllerMessages::Block();
        benchmark::DoNotOptimize(sink.values[0]);
    }
};

struct SwitchRamp : Plain {
    YMultiParameter multi;
    SwitchRamp() {
        multi.Mode = kMultiParameterSwitch;
        multi.SwitchTime = 1000.0; // the ramp runs for the whole measurement
        multi.SetSampleRate(kSampleRate);
        for (int32_t n = 0; n < 10; ++n) {
            YMultiParameterTarget target;
            target.ParameterName = Target(n);
            target.Range.Mode = n % YRange::kModeCount;
            target.Range.Value = 0.3;
            target.Range.Range = 0.5;
            multi.Targets.push_back(target);
        }
        multi.Resolve(parameters);
        multi.SetHostValue(0.0, parameters);
        multi.Advance(static_cast<int32_t>(kSampleRate * 1000.0), parameters);
        multi.SetHostValue(1.0, parameters);
    }
    void Block() {
        for (int32_t step = 0; step < kFrames / 64; ++step) multi.Advance(64, parameters);
        Plain::Block();
    }
};

template <typename Rig> void Run(benchmark::State& state) {
    static const double baseline = [] {
        Plain rig;
        return BlockTiming::BestNanosecondsPerBlock(2000, [&] { rig.Block(); });
    }();
    Rig rig;
    for (int b = 0; b < 16; ++b) rig.Block();
    BlockTiming::TimeBlocks(state, baseline, "x_plain", kFrames * kChannels, [&] { rig.Block(); });
}

void BM_MIDIModelPlainBlock(benchmark::State& state) { Run<Plain>(state); }
BENCHMARK(BM_MIDIModelPlainBlock);

void BM_MIDIModel128ControllerMessages(benchmark::State& state) { Run<ControllerMessages>(state); }
BENCHMARK(BM_MIDIModel128ControllerMessages);

void BM_MIDIModel128ControllerMessagesModelOnly(benchmark::State& state) { Run<ControllerMessagesModelOnly>(state); }
BENCHMARK(BM_MIDIModel128ControllerMessagesModelOnly);

void BM_MIDIModelSwitchRamp10Targets(benchmark::State& state) { Run<SwitchRamp>(state); }
BENCHMARK(BM_MIDIModelSwitchRamp10Targets);

} // namespace
