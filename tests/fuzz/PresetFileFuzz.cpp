// Feeds arbitrary bytes to the preset library's reader (the preset file's XML, the tree, the
// conversion of inline presets) and applies the first presets it finds to one plug-in
// instance. Reading either succeeds or raises YException; applying a preset either succeeds
// or raises YException and leaves a plug-in that processes audio into finite samples, keeps
// every parameter within 0..1, and reads back what it saves.
//
// Seeds in corpus/PresetFileFuzz: a folder of factory presets in the inline form and the same
// presets in the compressed form.
#include "core/YQuenlorAudioEffectPlugin.h"
#include "effect/VornikAudioEffectPlugin.h"
#include "foundation/YException.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"
#include "modulation/YEnvelopePositionCurve.h"
#include "presets/YPresetTransfer.h"
#include "presets/YPresetTree.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr int32_t kFrames = 64;
constexpr int32_t kChannels = 2;
constexpr size_t kMaxPresetsApplied = 4;

YAudioEffectPlugin* CreateFlanger() { return new VornikAudioEffectPlugin(); }

int64_t FlangerInterface(void* instance, int32_t command, YEffectArguments* arguments) {
    return YAudioEffectPluginCall(instance, command, arguments, &CreateFlanger, "FlangerInterface");
}

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

// One instance for the whole run: a fuzzer that reloads it reaches thousands of inputs a second.
YQuenlorAudioEffectPlugin& Instance() {
    static YEnvelopePositionCurveFactory curves;
    static std::unique_ptr<YQuenlorAudioEffectPlugin> plugin = [] {
        auto created = YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", &FlangerInterface, 500, 100, &curves);
        Check(created != nullptr);
        created->SetSampleRate(48000.0);
        created->InitProcessing();
        return created;
    }();
    return *plugin;
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
    for (int32_t i = 0; i < plugin.GetParameterCount(); ++i) {
        const double value = plugin.GetParameter(i);
        Check(value >= 0.0 && value <= 1.0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    YPresetTree tree;
    try {
        YMemoryStream stream;
        stream.Attach(data, static_cast<int32_t>(size));
        auto document = std::make_unique<YXMLDocument>();
        document->Load(stream);
        tree.Assign(std::move(document));
        tree.ConvertInlinePresets();
    } catch (const YException&) {
        return 0;
    }
    YQuenlorAudioEffectPlugin& plugin = Instance();
    const std::vector<YXMLItem*> presets = tree.Presets();
    for (size_t n = 0; n < presets.size() && n < kMaxPresetsApplied; ++n) {
        try {
            YPresetTransfer::ApplyPreset(*presets[n], plugin);
        } catch (const YException&) {
        }
        ProcessShortBlock(plugin);
    }
    std::vector<uint8_t> saved;
    Check(plugin.SaveState(saved));
    try {
        plugin.LoadState(saved.data(), saved.size());
    } catch (const YException&) {
        __builtin_trap(); // what the instance wrote must always read back
    }
    ProcessShortBlock(plugin);
    return 0;
}
