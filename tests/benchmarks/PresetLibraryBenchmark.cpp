// What sharing the preset file costs: a change transaction on a library of 1,000 presets when
// the file is as this instance left it and when another instance wrote it last (read again
// first), beside the plain whole-file write (baseline), the lock alone and the stamp check.
#include "foundation/YString.h"
#include "platform/YPlatformFileLock.h"
#include "presets/YPresetLibrary.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <string>

namespace {

constexpr int kPresets = 1000;

class LibraryFolder {
public:
    LibraryFolder() {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        m_path = std::filesystem::temp_directory_path() / ("vornik-library-bench-" + std::to_string(stamp));
        std::filesystem::create_directories(m_path);
        const std::u8string text = m_path.generic_u8string();
        folder = YString::FromUTF8(std::string(text.begin(), text.end()));
        // Settings of about the size a plug-in state has, compressed like real presets.
        YXMLDocument settings("settings");
        for (int p = 0; p < 60; ++p)
            settings.SetAttribute(YString::FromUTF8("parameter" + std::to_string(p)),
                                  YString::FromDouble(p / 61.0, 12));
        YPresetLibrary library(folder, "Vornik");
        library.Change([&](YPresetTree& tree) {
            for (int i = 0; i < kPresets; ++i) {
                YXMLItem& folderItem = i % 50 == 0 ? YPresetTree::AddFolder(tree.TopFolder(), "Folder")
                                                   : *tree.TopFolder().GetLastChild();
                settings.SetAttribute("Seed", YString::FromInteger(i));
                YPresetTree::StorePreset(folderItem, YString::FromUTF8("Preset " + std::to_string(i)), settings);
            }
        });
    }
    ~LibraryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    YString folder;

private:
    std::filesystem::path m_path;
};

// Renames one preset back and forth, so the file keeps its size and content.
void Rename(YPresetLibrary& library, int iteration) {
    library.Change([&](YPresetTree& tree) {
        YXMLItem* preset = tree.Presets().front();
        preset->SetAttribute("name", iteration % 2 ? "Preset 0" : "Preset O");
    });
}

void BM_PresetChangeFileUnchanged(benchmark::State& state) {
    LibraryFolder scratch;
    YPresetLibrary library(scratch.folder, "Vornik");
    library.Load();
    int i = 0;
    for (auto _ : state) Rename(library, i++);
}
BENCHMARK(BM_PresetChangeFileUnchanged)->Unit(benchmark::kMillisecond);

// Two instances taking turns: every change reads what the other wrote.
void BM_PresetChangeAfterAnotherInstance(benchmark::State& state) {
    LibraryFolder scratch;
    YPresetLibrary first(scratch.folder, "Vornik"), second(scratch.folder, "Vornik");
    first.Load();
    second.Load();
    int i = 0;
    for (auto _ : state) {
        Rename(i % 2 ? first : second, i);
        ++i;
    }
}
BENCHMARK(BM_PresetChangeAfterAnotherInstance)->Unit(benchmark::kMillisecond);

// Baseline: the whole-file write (under the lock) without the re-read check or the snapshot.
void BM_PresetSaveWholeFile(benchmark::State& state) {
    LibraryFolder scratch;
    YPresetLibrary library(scratch.folder, "Vornik");
    library.Load();
    for (auto _ : state) library.Save();
}
BENCHMARK(BM_PresetSaveWholeFile)->Unit(benchmark::kMillisecond);

void BM_PresetFileLockUncontended(benchmark::State& state) {
    LibraryFolder scratch;
    YPresetLibrary library(scratch.folder, "Vornik");
    for (auto _ : state) {
        YPlatformFileLock lock;
        benchmark::DoNotOptimize(lock.Lock(library.LockFileName(), 0));
    }
}
BENCHMARK(BM_PresetFileLockUncontended)->Unit(benchmark::kMicrosecond);

void BM_PresetChangedOnDisk(benchmark::State& state) {
    LibraryFolder scratch;
    YPresetLibrary library(scratch.folder, "Vornik");
    library.Load();
    for (auto _ : state) benchmark::DoNotOptimize(library.ChangedOnDisk());
}
BENCHMARK(BM_PresetChangedOnDisk)->Unit(benchmark::kMicrosecond);

} // namespace
