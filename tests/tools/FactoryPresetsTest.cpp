// The factory presets through the real plug-in binary: every one loads and sounds as a flanger
// of its kind should, the library reaches a new data folder on the first start and never
// replaces a user's file, and vornik-host's preset options work on it.
#if defined(VORNIK_PLUGIN_BINARY)

#include "HostProgram.h"
#include "Renderer.h"
#include "support/ScratchFolder.h"
#include "VstPluginHost.h"

#include "foundation/YMemoryStream.h"
#include "presets/YFactoryPresets.h"
#include "presets/YPresetContent.h"
#include "presets/YPresetTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

namespace {

struct FactoryPreset {
    std::string path; // Folder/Name
    std::vector<uint8_t> state;
};

std::vector<FactoryPreset> FactoryPresets() {
    std::vector<FactoryPreset> out;
    YPresetTree tree;
    tree.Assign(YFactoryPresets::Library());
    const auto walk = [&](const auto& self, const YXMLItem& folder, const std::string& prefix) -> void {
        for (const YXMLItem& child : folder.Children()) {
            const std::string name = YPresetTree::ItemName(child).ToUTF8();
            if (YPresetTree::IsFolder(child)) self(self, child, prefix + name + "/");
            if (!YPresetTree::IsPreset(child)) continue;
            YMemoryStream stream;
            YPresetContent::Settings(child)->SaveCompressed(stream);
            out.push_back({prefix + name, std::vector<uint8_t>(stream.GetData(), stream.GetData() + stream.GetSize())});
        }
    };
    walk(walk, tree.TopFolder(), "");
    return out;
}

// Stereo white noise at -12 dBFS RMS, the same every run: a flanger's comb shows on it at
// every delay.
AudioBuffer Noise(double seconds) {
    AudioBuffer buffer;
    buffer.channels.assign(2, std::vector<float>(static_cast<size_t>(seconds * buffer.sampleRate)));
    uint32_t x = 12345;
    for (auto& channel : buffer.channels)
        for (float& s : channel) {
            x = x * 1664525u + 1013904223u;
            s = static_cast<float>((static_cast<double>(x >> 8) / 16777216.0 * 2.0 - 1.0) * 0.25 * std::sqrt(3.0));
        }
    return buffer;
}

double Rms(const std::vector<float>& samples) {
    double sum = 0.0;
    for (float s : samples) sum += double(s) * s;
    return std::sqrt(sum / static_cast<double>(samples.size()));
}

// The lag (in samples, up to maxLag) at which each frame of the output resembles the input
// most, leaving out lags near `skip` (the dry path). Frames are 256 samples every 0.05 s,
// after the first second; a frame whose best match is weak (a normalised correlation below
// 0.25; noise alone gives about 0.2) says nothing and is left out.
std::vector<int> WetLags(const std::vector<float>& in, const std::vector<float>& out, int maxLag, int skip) {
    const int frame = 256, hop = 2400;
    std::vector<int> lags;
    for (size_t start = 48000; start + frame < out.size(); start += hop) {
        double outEnergy = 0.0;
        for (int i = 0; i < frame; ++i) outEnergy += double(out[start + i]) * out[start + i];
        double best = -1.0;
        int bestLag = 0;
        for (int lag = 0; lag <= maxLag; ++lag) {
            if (skip >= 0 && std::abs(lag - skip) <= 2) continue;
            double sum = 0.0, inEnergy = 0.0;
            for (int i = 0; i < frame; ++i) {
                const double x = in[start + i - static_cast<size_t>(lag)];
                sum += double(out[start + i]) * x;
                inEnergy += x * x;
            }
            const double score = std::abs(sum) / std::sqrt(outEnergy * inEnergy + 1e-30);
            if (score > best) best = score, bestLag = lag;
        }
        if (best >= 0.25) lags.push_back(bestLag);
    }
    return lags;
}

// The lag the whole output resembles the input most at: the dry path where there is one.
int DryLag(const std::vector<float>& in, const std::vector<float>& out, int maxLag) {
    double best = -1.0;
    int bestLag = 0;
    for (int lag = 0; lag <= maxLag; ++lag) {
        double sum = 0.0;
        for (size_t i = static_cast<size_t>(maxLag); i < out.size(); i += 3) sum += double(out[i]) * in[i - static_cast<size_t>(lag)];
        if (std::abs(sum) > best) best = std::abs(sum), bestLag = lag;
    }
    return bestLag;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// vornik-host with its data folders in dir (XDG_CONFIG_HOME is where the product's data folder
// lies on Linux), so a test never touches the user's own presets.
HostProgram::Outcome RunIn(const ScratchFolder& dir, const std::string& arguments) {
    return HostProgram::RunWithEnvironment("XDG_CONFIG_HOME='" + dir.Path("config") + "'",
                                           arguments + " '" VORNIK_PLUGIN_BINARY "'");
}

std::string DataFolder(const ScratchFolder& dir) { return dir.Path("config") + "/Quenlor/Vornik"; }

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

} // namespace

TEST(FactoryPresets, FoldersHoldEnoughPresetsAndTheRandomizerFolderItsDonors) {
    std::map<std::string, int> perFolder;
    for (const FactoryPreset& preset : FactoryPresets()) ++perFolder[preset.path.substr(0, preset.path.find('/'))];
    int outsideRandomizer = 0;
    for (const auto& [folder, count] : perFolder)
        if (folder != "Randomizer") outsideRandomizer += count;
    EXPECT_GE(outsideRandomizer, 24);
    EXPECT_GE(perFolder["Randomizer"], 9);
    EXPECT_GE(perFolder.size(), 8u);
}

// Every preset through the binary over noise: finite, at a sane level, and with a wet delay
// that moves by a good part of the range the preset sets (a flanger that does not sweep is
// a broken preset; the slowest sweeps, 0.05 Hz, cover a third of their travel in the five
// seconds measured). VORNIK_PRESET_REPORT=1 prints the figures of every preset. Each one loads after the one before, so a preset that leaves a setting
// out inherits it and shows up here when that setting matters.
TEST(FactoryPresets, EveryPresetRendersFiniteAudioWithAMovingWetDelay) {
    const std::vector<FactoryPreset> presets = FactoryPresets();
    ASSERT_FALSE(presets.empty());
    const AudioBuffer input = Noise(6.0);
    const double inputRms = Rms(input.channels[0]);
    VstPluginHost host;
    host.Load(VORNIK_PLUGIN_BINARY, VstPluginHost::Settings{});
    for (const FactoryPreset& preset : presets) {
        SCOPED_TRACE(preset.path);
        host.LoadState(preset.state);
        const int32_t range = static_cast<int32_t>(std::lround(host.GetParameter(2) * host.GetParameter(2) * 480.0));
        const RenderResult result = Renderer::Render(host, input, 0.0);
        ASSERT_EQ(result.output.ChannelCount(), 2);
        for (const auto& channel : result.output.channels)
            ASSERT_TRUE(std::all_of(channel.begin(), channel.end(), [](float s) { return std::isfinite(s); }));
        const std::vector<float>& out = result.output.channels[0];
        const double gain = Rms(out) / inputRms;
        EXPECT_GT(gain, 0.3);
        EXPECT_LT(gain, 4.0);

        // The wet tap lies within the dry path's delay + pre-delay + 2 × range (+ interpolation).
        const int delay = static_cast<int>(std::lround(host.GetParameter(6) * 960.0));
        const int dry = DryLag(input.channels[0], out, 1000);
        const int maxLag = dry + delay + 2 * range + 24;
        std::vector<int> lags = WetLags(input.channels[0], out, maxLag, dry);
        // Fast sweeps and narrow wet bands blur the match: a few clear frames are enough.
        ASSERT_GE(lags.size(), 8u) << "the wet path is found in too few frames";
        // The sweep's travel between the 5th and 95th percentile of the frames.
        std::sort(lags.begin(), lags.end());
        const int low = lags[lags.size() / 20], high = lags[lags.size() - 1 - lags.size() / 20];
        EXPECT_GE(high - low, std::max(3, range / 3)) << "range " << range << " samples, wet lags " << low << " to "
                                                      << high << ", dry " << dry;
        if (std::getenv("VORNIK_PRESET_REPORT"))
            std::printf("%-40s gain %.2f range %d delay %d swing %d (%d..%d) dry %d frames %zu\n", preset.path.c_str(), gain, range,
                        delay, high - low, low, high, dry, lags.size());
        host.Close();
        host.Load(VORNIK_PLUGIN_BINARY, VstPluginHost::Settings{});
    }
}

TEST(FactoryPresets, FirstStartWritesTheLibraryAndNeverReplacesAUsersFile) {
    ScratchFolder dir;
    const HostProgram::Outcome first = RunIn(dir, "-q --list-presets");
    ASSERT_EQ(first.exitCode, 0) << first.output;
    const std::string library = DataFolder(dir) + "/Vornikpresets.xml";
    const std::string active = DataFolder(dir) + "/Vornikpresets.active";
    ASSERT_TRUE(std::filesystem::exists(library));
    ASSERT_TRUE(std::filesystem::exists(active));
    EXPECT_EQ(Lines(first.output).size(), FactoryPresets().size());
    // Written in the compressed form, not as the inline source.
    EXPECT_NE(ReadFile(library).find("compressed=\""), std::string::npos);
    EXPECT_NE(ReadFile(active).find("NamePrefix="), std::string::npos);

    // A user's own library (and active file) stay exactly as they are.
    ScratchFolder user;
    std::filesystem::create_directories(DataFolder(user));
    const std::string own = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Presets><Directory Name=\"Presets\">"
                            "<Directory Name=\"Mine\"><preset name=\"Only\" parameterDepth=\"0.5\"/></Directory>"
                            "</Directory></Presets>\n";
    std::ofstream(DataFolder(user) + "/Vornikpresets.xml", std::ios::binary) << own;
    std::ofstream(DataFolder(user) + "/Vornikpresets.active", std::ios::binary) << "<ActivePresets/>";
    const HostProgram::Outcome second = RunIn(user, "-q --list-presets");
    ASSERT_EQ(second.exitCode, 0) << second.output;
    EXPECT_EQ(Lines(second.output), std::vector<std::string>{"Mine/Only"});
    EXPECT_EQ(ReadFile(DataFolder(user) + "/Vornikpresets.active"), "<ActivePresets/>");
}

TEST(FactoryPresets, HostLoadsAPresetByPathAndNamesWhatItCannotFind) {
    ScratchFolder dir;
    const HostProgram::Outcome loaded = RunIn(dir, "--preset 'Chorus and Vibrato/Vibrato' -l");
    ASSERT_EQ(loaded.exitCode, 0) << loaded.output;
    EXPECT_TRUE(HostProgram::Contains(loaded.output, "Loaded preset: Chorus and Vibrato/Vibrato"));
    // The vibrato is wet only: Depth shows 100 % wet, 0 % dry.
    EXPECT_TRUE(HostProgram::Contains(loaded.output, "100% wet, 0% dry")) << loaded.output;

    struct Case {
        const char* path;
        const char* message;
    };
    const Case cases[] = {
        {"Chorus and Vibrato/Nothing", "that folder holds: Wide Chorus, Ensemble, Vibrato, Slow Vibrato"},
        {"Nowhere/Vibrato", "no such folder"},
        {"/", "--preset needs a name"},
    };
    for (const Case& c : cases) {
        const HostProgram::Outcome outcome = RunIn(dir, std::string("--preset '") + c.path + "'");
        EXPECT_EQ(outcome.exitCode, 1) << c.path;
        EXPECT_TRUE(HostProgram::Contains(outcome.output, c.message)) << c.path << ": " << outcome.output;
    }
    const HostProgram::Outcome missing = RunIn(dir, "--presets-folder '" + dir.Path("empty") + "' --list-presets");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(HostProgram::Contains(missing.output, "No preset file")) << missing.output;
}

TEST(FactoryPresets, ExportThenImportIntoAnEmptyFolderReproducesIt) {
    ScratchFolder dir;
    const std::string file = dir.Path("jet.ypresets");
    const HostProgram::Outcome exported = RunIn(dir, "--export-presets 'Jet Sweeps' '" + file + "'");
    ASSERT_EQ(exported.exitCode, 0) << exported.output;
    EXPECT_TRUE(HostProgram::Contains(exported.output, "Exported 4 presets")) << exported.output;

    // Into a new library elsewhere, under a nested folder that does not exist yet.
    const std::string other = dir.Path("other");
    const HostProgram::Outcome imported = RunIn(
        dir, "--presets-folder '" + other + "' --import-presets 'Copies/Jet' '" + file + "' --list-presets");
    ASSERT_EQ(imported.exitCode, 0) << imported.output;
    std::vector<std::string> listed;
    for (const std::string& line : Lines(imported.output))
        if (line.rfind("Copies/Jet/", 0) == 0) listed.push_back(line.substr(11));
    EXPECT_EQ(listed, (std::vector<std::string>{"Classic Jet", "Negative Jet", "Afterburner", "Metal Ribbon"}));

    // The imported preset is the same state as the original.
    const HostProgram::Outcome a = RunIn(dir, "--preset 'Jet Sweeps/Afterburner' -l");
    const HostProgram::Outcome b = RunIn(dir, "--presets-folder '" + other + "' --preset 'Copies/Jet/Afterburner' -l");
    ASSERT_EQ(a.exitCode, 0);
    ASSERT_EQ(b.exitCode, 0) << b.output;
    EXPECT_EQ(a.output.substr(a.output.find("index")), b.output.substr(b.output.find("index")));

    const HostProgram::Outcome wrong = RunIn(dir, "--export-presets 'No Such Folder' '" + dir.Path("x.ypresets") + "'");
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_TRUE(HostProgram::Contains(wrong.output, "No preset folder \"No Such Folder\"")) << wrong.output;
    EXPECT_FALSE(std::filesystem::exists(dir.Path("x.ypresets")));
}

#endif
