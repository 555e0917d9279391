// Preset loads against the audio thread's budget. A load holds the plug-in's processing lock
// while the settings are applied, and the audio thread skips every block that finds the lock
// taken, so the hold must stay below one 256-sample block at 48 kHz (5.333 ms). The manager
// decodes and parses a preset before it takes the lock; what it holds the lock for is
// ApplySettings, timed here on its own for a typical factory preset and for the largest one.
// Each case prints "x_block", its mean time over the length of that block (the baseline,
// fixed), and "worst_x_block" for the slowest iteration. Besides: the whole LoadPreset, loading a
// library of 1,000 presets and stepping to the next preset in it.
#include "core/YQuenlorAudioEffectPlugin.h"
#include "entry/VornikAudioEffectPluginInterface.h"
#include "foundation/YXMLDocument.h"
#include "presets/YFactoryPresets.h"
#include "presets/YPresetContent.h"
#include "presets/YPresetLibrary.h"
#include "presets/YPresetManagerT.h"
#include "presets/YPresetTree.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr double kBlockSeconds = 256.0 / 48000.0;

std::unique_ptr<YQuenlorAudioEffectPlugin> MakePlugin() {
    auto plugin = YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", &VornikAudioEffectPluginInterface, 500, 100);
    plugin->SetSampleRate(48000.0);
    plugin->SetMaximumBlockSize(256);
    plugin->InitProcessing();
    return plugin;
}

struct Factory {
    YPresetTree tree;
    std::vector<YXMLItem*> presets;
    Factory() {
        tree.Assign(YFactoryPresets::Library());
        presets = tree.Presets();
    }
    const YXMLItem& Named(const char* name) const {
        for (YXMLItem* preset : presets)
            if (YPresetTree::ItemName(*preset) == YString::FromUTF8(name)) return *preset;
        throw std::runtime_error(std::string("no factory preset ") + name);
    }
    // The preset with the most settings text.
    const YXMLItem& Largest() const {
        const YXMLItem* largest = presets.front();
        size_t most = 0;
        for (YXMLItem* preset : presets) {
            const size_t size = preset->GetAttribute(YString::Literal(YPresetContent::kCompressedAttribute), YString()).ToUTF8().size();
            if (size > most) most = size, largest = preset;
        }
        return *largest;
    }
};

const Factory& FactoryPresets() {
    static const Factory factory;
    return factory;
}

// Times body per iteration; reports the mean and the worst as multiples of one block.
template <typename Body> void TimeAgainstBlock(benchmark::State& state, Body&& body) {
    double total = 0.0, worst = 0.0;
    int64_t count = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        body();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        total += seconds;
        worst = std::max(worst, seconds);
        ++count;
    }
    if (count > 0) {
        state.counters["x_block"] = total / static_cast<double>(count) / kBlockSeconds;
        state.counters["worst_x_block"] = worst / kBlockSeconds;
        state.counters["ms"] = total / static_cast<double>(count) * 1000.0;
    }
}

// Two presets in turn, so that every load changes the settings as a user's step does.
void ApplyInTurn(benchmark::State& state, const YXMLItem& preset) {
    auto plugin = MakePlugin();
    const YXMLItem& other = FactoryPresets().Named("Wide Chorus");
    std::unique_ptr<YXMLDocument> settings[2] = {YPresetContent::Settings(preset), YPresetContent::Settings(other)};
    int turn = 0;
    TimeAgainstBlock(state, [&] {
        plugin->ApplySettings(*settings[turn]);
        turn ^= 1;
    });
}

void BM_PresetLockHoldTypical(benchmark::State& state) { ApplyInTurn(state, FactoryPresets().Named("Classic Jet")); }
BENCHMARK(BM_PresetLockHoldTypical)->Unit(benchmark::kMillisecond);

void BM_PresetLockHoldLargest(benchmark::State& state) { ApplyInTurn(state, FactoryPresets().Largest()); }
BENCHMARK(BM_PresetLockHoldLargest)->Unit(benchmark::kMillisecond);

// A scratch data folder with a library of 1,000 presets: 50 folders of 20, the factory
// presets over and over.
struct ThousandPresets {
    std::filesystem::path folder;
    ThousandPresets() {
        folder = std::filesystem::temp_directory_path() / "vornik-preset-benchmark";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        YPresetLibrary library(YString::FromUTF8(folder.string()), "Vornik");
        const std::vector<YXMLItem*>& source = FactoryPresets().presets;
        library.Change([&](YPresetTree& tree) {
            size_t next = 0;
            for (int f = 0; f < 50; ++f) {
                YXMLItem& folderItem = YPresetTree::AddFolder(tree.TopFolder(), YString("Folder ") + YString::FromInteger(f));
                for (int p = 0; p < 20; ++p) {
                    const YXMLItem& from = *source[next++ % source.size()];
                    YXMLItem& preset = folderItem.AddChild(YString::Literal(YPresetTree::kPresetItem));
                    YPresetContent::CopyTree(from, preset);
                    preset.SetAttribute(YString::Literal(YPresetContent::kNameAttribute), YString("Preset ") + YString::FromInteger(p));
                }
            }
        });
    }
    ~ThousandPresets() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    YString Folder() const { return YString::FromUTF8(folder.string()); }
};

void BM_PresetLibraryLoad1000(benchmark::State& state) {
    ThousandPresets library;
    TimeAgainstBlock(state, [&] {
        YPresetLibrary loaded(library.Folder(), "Vornik");
        loaded.Load();
        benchmark::DoNotOptimize(loaded.Tree().Presets().size());
    });
}
BENCHMARK(BM_PresetLibraryLoad1000)->Unit(benchmark::kMillisecond);

// The manager's whole step: finds the next preset of the 1,000, decodes, parses and applies it.
void BM_PresetNextOf1000(benchmark::State& state) {
    ThousandPresets library;
    auto plugin = MakePlugin();
    YPresetManagerT<YQuenlorAudioEffectPlugin> manager(*plugin, library.Folder());
    manager.PresetCount(); // the library is read once, outside the timing
    TimeAgainstBlock(state, [&] { benchmark::DoNotOptimize(manager.NextPreset()); });
}
BENCHMARK(BM_PresetNextOf1000)->Unit(benchmark::kMillisecond);

} // namespace
