// What a user waits for on the preset side, against one 256-sample block at 48 kHz (5.333 ms):
// the smart randomiser breeding and applying settings from the factory "Randomizer" folder,
// and a host's preset trigger: from the block that sees the trigger rise to the next preset
// applied by the plug-in's step thread (no editor open). Each case prints "x_block" (its mean
// over the block's length, the baseline) and "worst_x_block"; the trigger case also "ms".
#include "core/YQuenlorAudioEffectPlugin.h"
#include "entry/VornikAudioEffectPluginInterface.h"
#include "presets/YFactoryPresets.h"
#include "presets/YPresetManagerT.h"
#include "presets/YPresetNavigator.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr double kBlockSeconds = 256.0 / 48000.0;
constexpr int32_t kFrames = 256;

using Manager = YPresetManagerT<YQuenlorAudioEffectPlugin>;

std::unique_ptr<YQuenlorAudioEffectPlugin> MakePlugin() {
    auto plugin = YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", &VornikAudioEffectPluginInterface, 500, 100);
    if (!plugin) throw std::runtime_error("the plug-in could not be created");
    plugin->SetSampleRate(48000.0);
    plugin->SetMaximumBlockSize(kFrames);
    plugin->InitProcessing();
    return plugin;
}

// A scratch data folder holding the factory library, as a first start leaves it.
struct FactoryFolder {
    std::filesystem::path folder;
    FactoryFolder() {
        folder = std::filesystem::temp_directory_path() / "vornik-preset-step-benchmark";
        std::filesystem::remove_all(folder);
        YFactoryPresets::InstallIfMissing(Folder(), "Vornik");
    }
    ~FactoryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    YString Folder() const { return YString::FromUTF8(folder.string()); }
};

int32_t FindParameter(YAudioPlugin& plugin, const char* name) {
    for (int32_t i = 0; i < plugin.GetParameterCount(); ++i)
        if (plugin.GetParameterName(i) == YString::FromUTF8(name)) return i;
    throw std::runtime_error(std::string("no parameter ") + name);
}

void Report(benchmark::State& state, double total, double worst, int64_t count) {
    if (count == 0) return;
    state.counters["x_block"] = total / static_cast<double>(count) / kBlockSeconds;
    state.counters["worst_x_block"] = worst / kBlockSeconds;
    state.counters["ms"] = total / static_cast<double>(count) * 1000.0;
}

// GenerateRandomSettingsSmart over the factory library: draws a base and donors from the
// "Randomizer" folder, merges them and applies the result under the plug-in's locks.
void BM_SmartRandomizerFactory(benchmark::State& state) {
    FactoryFolder data;
    auto plugin = MakePlugin();
    Manager manager(*plugin, data.Folder());
    manager.PresetCount(); // the library is read once, outside the timing
    double total = 0.0, worst = 0.0;
    int64_t count = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(manager.GenerateRandomSettingsSmart());
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        total += seconds;
        worst = std::max(worst, seconds);
        ++count;
    }
    Report(state, total, worst, count);
}
BENCHMARK(BM_SmartRandomizerFactory)->Unit(benchmark::kMillisecond);

// A host raises "Preset trigger - next" and runs the block; the step thread wakes, reads the
// next factory preset and applies it. Timed from the start of that block to the moment the
// current preset index moved; the host lowers the trigger again between iterations.
void BM_TriggerToLoadedPreset(benchmark::State& state) {
    FactoryFolder data;
    auto plugin = MakePlugin();
    auto navigator = std::make_unique<YPresetNavigator>(*plugin, std::make_unique<Manager>(*plugin, data.Folder()));
    navigator->Manager().PresetCount();
    plugin->SetPresetNavigation(std::move(navigator));
    const int32_t next = FindParameter(*plugin, "Preset trigger - next");
    std::vector<float> buffers[4];
    for (std::vector<float>& buffer : buffers) buffer.assign(kFrames, 0.0f);
    float* inputs[YAudioPlugin::kMaxSlots] = {buffers[0].data(), buffers[1].data()};
    float* outputs[YAudioPlugin::kMaxSlots] = {buffers[2].data(), buffers[3].data()};
    auto index = [&] {
        YScopedLock lock(plugin->ParameterLock());
        return plugin->CurrentPresetIndex();
    };
    double total = 0.0, worst = 0.0;
    int64_t count = 0;
    for (auto _ : state) {
        const int32_t before = index();
        plugin->SetParameter(next, 1.0);
        const auto start = std::chrono::steady_clock::now();
        plugin->ProcessAudio(inputs, outputs, kFrames, true);
        while (index() == before) std::this_thread::yield();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        total += seconds;
        worst = std::max(worst, seconds);
        ++count;
        state.PauseTiming();
        plugin->SetParameter(next, 0.0);
        plugin->ProcessAudio(inputs, outputs, kFrames, true);
        state.ResumeTiming();
    }
    Report(state, total, worst, count);
    plugin->SetPresetNavigation(nullptr);
}
BENCHMARK(BM_TriggerToLoadedPreset)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
