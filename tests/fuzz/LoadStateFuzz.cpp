// Feeds arbitrary bytes to one plug-in instance as host state. Whatever the bytes, loading
// either succeeds or raises YException; afterwards the instance still processes audio into
// finite samples, and what it saves loads again.
#include "core/YQuenlorAudioEffectPlugin.h"
#include "effect/VornikAudioEffectPlugin.h"
#include "foundation/YException.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

YAudioEffectPlugin* CreateFlanger() { return new VornikAudioEffectPlugin(); }

int64_t FlangerInterface(void* instance, int32_t command, YEffectArguments* arguments) {
    return YAudioEffectPluginCall(instance, command, arguments, &CreateFlanger, "FlangerInterface");
}

YQuenlorAudioEffectPlugin& Instance() {
    static std::unique_ptr<YQuenlorAudioEffectPlugin> plugin = [] {
        auto created = YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", &FlangerInterface, 500, 100);
        if (!created) __builtin_trap();
        // Surround is only kept with more than two channels: let the fuzzer reach it.
        created->SetChannelCounts(6, 6);
        created->SetChannelsPerBus(6);
        created->InitProcessing();
        return created;
    }();
    return *plugin;
}

void ProcessShortBlock(YQuenlorAudioEffectPlugin& plugin) {
    constexpr int32_t kFrames = 64;
    static float buffers[12][kFrames];
    float* inputs[YAudioPlugin::kMaxSlots] = {};
    float* outputs[YAudioPlugin::kMaxSlots] = {};
    for (int32_t c = 0; c < 6; ++c) {
        for (int32_t i = 0; i < kFrames; ++i) buffers[c][i] = ((i * 7 + c * 13) % 32) / 32.0f - 0.5f;
        inputs[c] = buffers[c];
        outputs[c] = buffers[6 + c];
    }
    plugin.ProcessAudio(inputs, outputs, kFrames, true);
    for (int32_t c = 0; c < 6; ++c)
        for (int32_t i = 0; i < kFrames; ++i)
            if (!std::isfinite(outputs[c][i])) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    YQuenlorAudioEffectPlugin& plugin = Instance();
    try {
        plugin.LoadState(data, size);
    } catch (const YException&) {
    }
    // Channel modes and up-sampling the state chose are already in effect: loading
    // re-initialises processing when they change.
    ProcessShortBlock(plugin);

    std::vector<uint8_t> saved;
    if (!plugin.SaveState(saved)) __builtin_trap();
    try {
        plugin.LoadState(saved.data(), saved.size());
    } catch (const YException&) {
        __builtin_trap(); // what the instance wrote must always read back
    }
    ProcessShortBlock(plugin);
    return 0;
}
