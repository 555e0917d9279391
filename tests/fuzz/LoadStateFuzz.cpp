// Feeds arbitrary bytes to one plug-in instance as host state. Whatever the bytes, loading
// either succeeds or raises YException; afterwards every multiparameter, controller slot, note
// controller and the preset switch hold only values their tables allow, MIDI on every channel
// and every multiparameter movement drive the effect's parameters only within 0..1, the
// instance still processes audio into finite samples, and what it saves loads again into the
// same state.
//
// States are compressed or plain XML; the seeds in corpus/LoadStateFuzz and the words in
// LoadStateFuzz.dict lead the fuzzer into the controller and multiparameter items.
#include "core/YQuenlorAudioEffectPlugin.h"
#include "effect/VornikAudioEffectPlugin.h"
#include "foundation/YException.h"
#include "modulation/YEnvelopePositionCurve.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

constexpr int32_t kFrames = 64;
constexpr int32_t kChannels = 6;
constexpr int32_t kMaxSource = 131;

YAudioEffectPlugin* CreateFlanger() { return new VornikAudioEffectPlugin(); }

int64_t FlangerInterface(void* instance, int32_t command, YEffectArguments* arguments) {
    return YAudioEffectPluginCall(instance, command, arguments, &CreateFlanger, "FlangerInterface");
}

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

bool Fraction(double value) { return value >= 0.0 && value <= 1.0; }

YQuenlorAudioEffectPlugin& Instance() {
    static YEnvelopePositionCurveFactory curves;
    static std::unique_ptr<YQuenlorAudioEffectPlugin> plugin = [] {
        auto created = YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", &FlangerInterface, 500, 100, &curves);
        Check(created != nullptr);
        // Surround is only kept with more than two channels: let the fuzzer reach it.
        created->SetChannelCounts(kChannels, kChannels);
        created->SetChannelsPerBus(kChannels);
        created->InitProcessing();
        return created;
    }();
    return *plugin;
}

// The host indices the control models may drive: the effect's own parameters.
int32_t EffectParameterCount(YQuenlorAudioEffectPlugin& plugin) {
    int32_t count = 0;
    while (count < plugin.GetParameterCount() && plugin.GetParameterName(count) != YString("Multiparameter 1")) ++count;
    return count;
}

void CheckControls(YQuenlorAudioEffectPlugin& plugin) {
    const int32_t parameters = EffectParameterCount(plugin);
    for (int32_t n = 0; n < YAudioEffectPluginToAudioPluginAdapter::kMultiParameterCount; ++n) {
        const YMultiParameter& multi = plugin.MultiParameter(n);
        Check(Fraction(multi.Value()) && Fraction(multi.DefaultValue));
        Check(multi.Mode >= 0 && multi.Mode < YMultiParameter::kModeCount);
        Check(multi.ValueMode >= 0 && multi.ValueMode < YMultiParameter::kValueModeCount);
        Check(multi.BankCount() >= 1 && multi.BankCount() <= YMultiParameter::kMaxBankCount);
        Check(multi.SwitchTime >= 0.0);
        for (const YMultiParameterTarget& target : multi.Targets) {
            Check(Fraction(target.Range.Value) && Fraction(target.Range.MaxValue) && Fraction(target.Range.Range));
            Check(target.Range.Mode >= 0 && target.Range.Mode < YRange::kModeCount);
            Check(target.ParameterIndex >= -1 && target.ParameterIndex < parameters);
            Check(target.Banks.size() == static_cast<size_t>(multi.BankCount()));
            for (const float bank : target.Banks) Check(bank >= 0.0f && bank <= 1.0f);
        }
    }
    const YMIDIControllerMap& map = plugin.MIDIControllers();
    for (int32_t n = 0; n < YMIDIControllerMap::kControllerSlots; ++n) {
        const YMIDIControllerAssignment& slot = map.Controllers[n];
        Check(Fraction(slot.Value) && Fraction(slot.MaxValue) && Fraction(slot.Range));
        Check(slot.Channel >= 0 && slot.Channel <= 16);
        Check(slot.Controller >= 0 && slot.Controller <= kMaxSource);
        Check(slot.RangeMode >= 0 && slot.RangeMode < YRange::kModeCount);
        Check(map.ControllerTarget(n) >= -1 && map.ControllerTarget(n) < parameters);
    }
    for (int32_t n = 0; n < YMIDIControllerMap::kNoteControllerSlots; ++n) {
        const YMIDINoteController& slot = map.NoteControllers[n];
        Check(Fraction(slot.MinValue) && Fraction(slot.MaxValue));
        Check(slot.Mode >= 0 && slot.Mode < YMIDIControllerMap::kNoteModeCount);
        Check(slot.Channel >= 0 && slot.Channel <= 16);
        Check(slot.Note >= 0 && slot.Note <= 127);
        Check(map.NoteControllerTarget(n) >= -1 && map.NoteControllerTarget(n) < parameters);
    }
    Check(map.PresetSwitch.Controller >= 0 && map.PresetSwitch.Controller <= kMaxSource);
    Check(map.PresetSwitch.Channel >= 0 && map.PresetSwitch.Channel <= 16);
}

void ProcessShortBlock(YQuenlorAudioEffectPlugin& plugin) {
    static float buffers[2 * kChannels][kFrames];
    float* inputs[YAudioPlugin::kMaxSlots] = {};
    float* outputs[YAudioPlugin::kMaxSlots] = {};
    for (int32_t c = 0; c < kChannels; ++c) {
        for (int32_t i = 0; i < kFrames; ++i) buffers[c][i] = ((i * 7 + c * 13) % 32) / 32.0f - 0.5f;
        inputs[c] = buffers[c];
        outputs[c] = buffers[kChannels + c];
    }
    plugin.ProcessAudio(inputs, outputs, kFrames, true);
    for (int32_t c = 0; c < kChannels; ++c)
        for (int32_t i = 0; i < kFrames; ++i) Check(std::isfinite(outputs[c][i]));
}

// Once per phase rather than per block: a value outside 0..1 stays there until a later phase.
void CheckParameters(YQuenlorAudioEffectPlugin& plugin) {
    for (int32_t i = 0; i < plugin.GetParameterCount(); ++i) Check(Fraction(plugin.GetParameter(i)));
}

void Send(YQuenlorAudioEffectPlugin& plugin, uint8_t status, uint8_t data1, uint8_t data2) {
    const uint8_t bytes[4] = {status, data1, data2, 0};
    plugin.ProcessMIDIEvent(0, bytes);
}

// Every controller number, aftertouch, pitch-bend and a few keys on each channel, a block after
// every few channels so that the frame's control queue never overflows; values differ per input.
// 3 channels of 142 messages each stay below the 512 entries of the frame's control queue.
constexpr int32_t kChannelsPerBlock = 3;

void PlayMIDI(YQuenlorAudioEffectPlugin& plugin, uint32_t seed) {
    for (int32_t channel = 0; channel < 16; ++channel) {
        for (int32_t controller = 0; controller < 128; ++controller) {
            const auto value = static_cast<uint8_t>((seed + static_cast<uint32_t>(controller * 53 + channel * 7)) & 127);
            Send(plugin, static_cast<uint8_t>(0xB0 | channel), static_cast<uint8_t>(controller), value);
        }
        Send(plugin, static_cast<uint8_t>(0xD0 | channel), static_cast<uint8_t>(seed & 127), 0);
        Send(plugin, static_cast<uint8_t>(0xE0 | channel), static_cast<uint8_t>(seed & 127),
             static_cast<uint8_t>((seed >> 7) & 127));
        for (const uint8_t note : {uint8_t(0), uint8_t(48), uint8_t(60), uint8_t(127)}) {
            Send(plugin, static_cast<uint8_t>(0x90 | channel), note, 100);
            Send(plugin, static_cast<uint8_t>(0x80 | channel), note, 0);
            Send(plugin, static_cast<uint8_t>(0x90 | channel), note, static_cast<uint8_t>(1 + (seed & 63)));
        }
        if (channel % kChannelsPerBlock == kChannelsPerBlock - 1 || channel == 15) ProcessShortBlock(plugin);
    }
    CheckParameters(plugin);
    int32_t step = 0;
    while (plugin.TakePresetStep(step)) Check(step == -1 || step == 1);
}

// Presses and releases every multiparameter (Switch and Trigger move, the others jump) and
// runs blocks in between.
void MoveMultiParameters(YQuenlorAudioEffectPlugin& plugin) {
    const int32_t first = EffectParameterCount(plugin);
    for (const double value : {1.0, 0.0, 0.3}) {
        for (int32_t n = 0; n < YAudioEffectPluginToAudioPluginAdapter::kMultiParameterCount; ++n)
            plugin.SetParameter(first + n, value);
        for (int32_t b = 0; b < 3; ++b) ProcessShortBlock(plugin);
    }
    CheckParameters(plugin);
}

uint32_t Seed(const uint8_t* data, size_t size) {
    uint32_t seed = 2166136261u;
    for (size_t i = 0; i < size; i += 1 + size / 64) seed = (seed ^ data[i]) * 16777619u;
    return seed;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    YQuenlorAudioEffectPlugin& plugin = Instance();
    try {
        plugin.LoadState(data, size);
    } catch (const YException&) {
    }
    CheckControls(plugin);
    // Channel modes and up-sampling the state chose are already in effect: loading
    // re-initialises processing when they change.
    ProcessShortBlock(plugin);
    CheckParameters(plugin);
    PlayMIDI(plugin, Seed(data, size));
    MoveMultiParameters(plugin);

    std::vector<uint8_t> saved;
    Check(plugin.SaveState(saved));
    try {
        plugin.LoadState(saved.data(), saved.size());
    } catch (const YException&) {
        __builtin_trap(); // what the instance wrote must always read back
    }
    CheckControls(plugin);
    std::vector<uint8_t> again;
    Check(plugin.SaveState(again));
    Check(again == saved);
    ProcessShortBlock(plugin);
    CheckParameters(plugin);
    return 0;
}
