// What MIDI control and multiparameter movements add to a block, with the built plug-in binary
// driven through its VST 2.4 entry as the offline host drives it: MIDI goes in through
// effProcessEvents before the block, state through effSetChunk, parameters through
// setParameter. A default 512-sample stereo block at 48 kHz is the baseline; one case sends
// 128 controller messages per block with all 32 controller slots enabled, the other runs a
// Switch ramp of a multiparameter that drives 10 targets. For reference, a third case makes the
// same 128 parameter moves as host automation (setParameter before the block), so the share
// that is the effect's own answer to moving parameters shows. Each case prints "x_plain", its
// time per block over the plain block's, measured once in the same run.
#ifdef VORNIK_PLUGIN_BINARY

#include "BlockTiming.h"
#include "PluginHost.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int32_t kChannels = 2;
constexpr int32_t kFrames = 512;
constexpr int32_t kMultiParameter1 = 17; // host index of "Multiparameter 1"
constexpr int32_t kSlots = 32;
constexpr int32_t kMessages = 128;
constexpr int32_t kRampTargets = 10;

std::string PluginPath() {
    if (const char* path = std::getenv("VORNIK_PLUGIN")) return path;
    return VORNIK_PLUGIN_BINARY;
}

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

struct Plain {
    std::unique_ptr<PluginHost> host = MakePluginHost(PluginFormat::Vst2);
    std::vector<float> input[kChannels], output[kChannels];
    float* ins[kChannels] = {};
    float* outs[kChannels] = {};

    Plain() {
        PluginHost::Settings settings;
        settings.blockSize = kFrames;
        host->Load(PluginPath(), settings);
        if (host->InputCount() < kChannels || host->OutputCount() < kChannels)
            throw HostError("the plug-in has fewer than two channels each way");
        for (int32_t c = 0; c < kChannels; ++c) {
            input[c].resize(kFrames);
            output[c].resize(kFrames);
            for (int32_t i = 0; i < kFrames; ++i) input[c][i] = static_cast<float>(0.5 * std::sin(0.05 * i + c));
            ins[c] = input[c].data();
            outs[c] = output[c].data();
        }
        host->Start();
    }
    // Continuous effect parameters (Depth ... Jet phase): moving them changes no processing path.
    std::string Target(int32_t n) { return host->ParameterName(1 + n % kRampTargets); }
    void Block() {
        host->Process(ins, outs, kFrames);
        benchmark::DoNotOptimize(outs[0][0]);
        benchmark::ClobberMemory();
    }
};

// Every slot listens to its own controller number on all channels; the 128 messages of a block
// cycle through the 32 numbers and the 16 channels, so each message moves one parameter.
struct ControllerMessages : Plain {
    int32_t turn = 0;
    ControllerMessages() {
        std::string state = "<settings ControllersEnabled=\"1\"><Controllers>";
        for (int32_t n = 0; n < kSlots; ++n)
            state += "<Controller" + std::to_string(n) + " Enabled=\"1\" ParameterName=\"" + Target(n) +
                     "\" Controller=\"" + std::to_string(n) + "\" Range=\"0.5\"/>";
        state += "</Controllers></settings>";
        host->LoadState(Bytes(state));
        const float before = host->GetParameter(1);
        Block();
        if (host->GetParameter(1) == before) throw HostError("the controller messages moved no parameter");
    }
    void Block() {
        for (int32_t m = 0; m < kMessages; ++m) {
            const uint8_t bytes[3] = {static_cast<uint8_t>(0xB0 | (m & 15)), static_cast<uint8_t>(m % kSlots),
                                      static_cast<uint8_t>((m * 5 + turn) & 127)};
            host->QueueMidi(m * (kFrames / kMessages), bytes, 3);
        }
        turn += 37;
        Plain::Block();
    }
};

// The controller case's parameter moves, written by the host instead: the same parameters
// and values, in the same order, all before the block.
struct HostAutomation : Plain {
    int32_t turn = 0;
    void Block() {
        for (int32_t m = 0; m < kMessages; ++m) {
            const int32_t value = (m * 5 + turn) & 127;
            // What the slots make of it: Up only from 0 over a range of 0.5.
            host->QueueParameterPoint(1 + (m % kSlots) % kRampTargets, 0, 0.5 * value / 127.0);
        }
        turn += 37;
        Plain::Block();
    }
};

// Multiparameter 1 in Switch mode with 10 targets of different range modes, pressed once: its
// travel is far longer than any measurement, so the ramp runs in every block.
struct SwitchRamp : Plain {
    SwitchRamp() {
        static const char* const kRangeModes[] = {"0", "1", "2", "3", "4"};
        std::string state = "<settings><MultiParameters><MultiParameter0 Enabled=\"1\" Mode=\"Switch\" "
                            "SwitchTime=\"100000\" Value=\"0\">";
        for (int32_t n = 0; n < kRampTargets; ++n)
            state += std::string("<Parameter ParameterName=\"") + Target(n) + "\" Value=\"0.3\" Range=\"0.5\" "
                     "MaxValue=\"0.9\" FullRange=\"" + kRangeModes[n % 5] + "\"/>";
        state += "</MultiParameter0></MultiParameters></settings>";
        host->LoadState(Bytes(state));
        host->SetParameter(kMultiParameter1, 1.0f);
        Block();
        const float before = host->GetParameter(kMultiParameter1);
        for (int32_t b = 0; b < 8; ++b) Block();
        if (!(host->GetParameter(kMultiParameter1) > before)) throw HostError("the Switch ramp does not move");
    }
};

void BM_MIDIPlainBlock(benchmark::State& state) {
    BlockTiming::RunAgainst<Plain, Plain>(state, "x_plain", kFrames * kChannels);
}
BENCHMARK(BM_MIDIPlainBlock);

void BM_MIDI128ControllerMessages32Slots(benchmark::State& state) {
    BlockTiming::RunAgainst<Plain, ControllerMessages>(state, "x_plain", kFrames * kChannels);
}
BENCHMARK(BM_MIDI128ControllerMessages32Slots);

void BM_MIDIReference128HostAutomationPoints(benchmark::State& state) {
    BlockTiming::RunAgainst<Plain, HostAutomation>(state, "x_plain", kFrames * kChannels);
}
BENCHMARK(BM_MIDIReference128HostAutomationPoints);

void BM_MIDISwitchRamp10Targets(benchmark::State& state) {
    BlockTiming::RunAgainst<Plain, SwitchRamp>(state, "x_plain", kFrames * kChannels);
}
BENCHMARK(BM_MIDISwitchRamp10Targets);

} // namespace

#endif // VORNIK_PLUGIN_BINARY
