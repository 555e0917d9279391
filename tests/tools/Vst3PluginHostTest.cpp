// The VST 3 host against the built bundle, measured against the VST 2.4 host on the same
// binary: the two interfaces must give the same parameters, the same state and the same audio.
#include "AudioFile.h"
#include "DemoSignal.h"
#include "HostOptions.h"
#include "Renderer.h"
#include "support/ScratchFolder.h"
#include "Vst3PluginHost.h"
#include "VstPluginHost.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <utility>
#include <vector>

namespace {

double MaxDifference(const AudioBuffer& a, const AudioBuffer& b) {
    EXPECT_EQ(a.ChannelCount(), b.ChannelCount());
    EXPECT_EQ(a.Frames(), b.Frames());
    double worst = 0.0;
    for (int c = 0; c < std::min(a.ChannelCount(), b.ChannelCount()); ++c)
        for (int64_t i = 0; i < std::min(a.Frames(), b.Frames()); ++i)
            worst = std::max(worst, std::fabs(double(a.channels[c][i]) - b.channels[c][i]));
    return worst;
}

double MaxDifferenceFromInput(const AudioBuffer& output, const AudioBuffer& input) {
    double worst = 0.0;
    for (int c = 0; c < input.ChannelCount(); ++c)
        for (int64_t i = 0; i < input.Frames(); ++i)
            worst = std::max(worst, std::fabs(double(output.channels[c][i]) - input.channels[c][i]));
    return worst;
}

TEST(Vst3PluginHostTest, FindsTheBinaryInsideABundle) {
    // Paths that are no bundle, or a bundle without the binary, are kept as given.
    EXPECT_EQ(Vst3PluginHost::BinaryPath("Some.so"), "Some.so");
    EXPECT_EQ(Vst3PluginHost::BinaryPath("missing/Nothing.vst3"), "missing/Nothing.vst3");
}

TEST(Vst3PluginHostTest, RefusesAPluginWithoutAFactory) {
    Vst3PluginHost host;
    try {
        host.Load(VORNIK_FIXTURE_PLUGIN, PluginHost::Settings{});
        FAIL() << "a VST 2.4-only binary loaded as VST 3";
    } catch (const HostError& error) {
        EXPECT_NE(std::string(error.what()).find("GetPluginFactory"), std::string::npos) << error.what();
    }
    EXPECT_THROW(host.ParameterCount() > 0 ? host.GetParameter(0) : host.Latency(), HostError);
}

} // namespace

#if defined(VORNIK_PLUGIN_BINARY) && defined(VORNIK_PLUGIN_BUNDLE)
namespace {

class Vst3AgainstVst2Test : public ::testing::Test {
protected:
    void Load(const PluginHost::Settings& settings = {}) {
        vst2.Load(VORNIK_PLUGIN_BINARY, settings);
        vst3.Load(VORNIK_PLUGIN_BUNDLE, settings);
    }
    // Values exactly representable in both interfaces (float and double).
    void SetBoth(const std::vector<std::pair<int32_t, float>>& values) {
        for (const auto& [index, value] : values) {
            vst2.SetParameter(index, value);
            vst3.SetParameter(index, value);
        }
    }
    VstPluginHost vst2;
    Vst3PluginHost vst3;
};

TEST_F(Vst3AgainstVst2Test, PresentsTheSameEffectAndParameters) {
    Load();
    EXPECT_EQ(vst3.EffectName(), "Vornik");
    EXPECT_EQ(vst3.VendorString(), vst2.VendorString());
    EXPECT_EQ(vst3.InputCount(), 2);
    EXPECT_EQ(vst3.OutputCount(), vst2.OutputCount());
    EXPECT_EQ(vst3.Latency(), vst2.Latency());
    ASSERT_EQ(vst3.ParameterCount(), vst2.ParameterCount());
    ASSERT_GT(vst3.ParameterCount(), 10);
    for (int32_t i = 0; i < vst3.ParameterCount(); ++i) {
        // VST 2.4 names are cut to fit the 24 characters hosts make room for.
        EXPECT_EQ(vst3.ParameterName(i).substr(0, 24), vst2.ParameterName(i)) << i;
        EXPECT_EQ(vst3.ParameterLabel(i), vst2.ParameterLabel(i)) << i;
        EXPECT_NEAR(vst3.GetParameter(i), vst2.GetParameter(i), 1e-6f) << i;
        EXPECT_EQ(vst3.ParameterDisplay(i), vst2.ParameterDisplay(i)) << i;
    }
    // A change shows in the display at once, before any audio runs.
    SetBoth({{4, 0.875f}});
    EXPECT_EQ(vst3.ParameterDisplay(4), vst2.ParameterDisplay(4));
    EXPECT_FLOAT_EQ(vst3.GetParameter(4), 0.875f);
    EXPECT_NE(vst3.ParameterDisplay(4), "0.00%");
}

TEST_F(Vst3AgainstVst2Test, RendersTheSameAudio) {
    struct Case {
        const char* what;
        int32_t block;
        std::vector<std::pair<int32_t, float>> values; // Mode, Depth, Range, Rate, Feedback, ...
    };
    const std::vector<Case> cases = {
        {"defaults", 512, {}},
        {"feedback and rate", 512, {{4, 0.875f}, {3, 0.625f}, {1, 0.875f}}},
        {"tape mode, odd blocks", 333, {{0, 0.5f}, {2, 0.75f}, {4, 0.25f}, {9, 0.75f}}},
        {"saturation and phase", 64, {{11, 0.5f}, {5, 0.75f}, {4, 0.75f}}},
    };
    const AudioBuffer demo = DemoSignal::Generate(48000.0, 1.5, 2);
    for (const Case& c : cases) {
        VstPluginHost a;
        Vst3PluginHost b;
        PluginHost::Settings settings;
        settings.blockSize = c.block;
        a.Load(VORNIK_PLUGIN_BINARY, settings);
        b.Load(VORNIK_PLUGIN_BUNDLE, settings);
        for (const auto& [index, value] : c.values) {
            a.SetParameter(index, value);
            b.SetParameter(index, value);
        }
        const RenderResult first = Renderer::Render(a, demo, 0.25);
        const RenderResult second = Renderer::Render(b, demo, 0.25);
        EXPECT_LE(MaxDifference(first.output, second.output), 1e-6) << c.what;
        EXPECT_GT(MaxDifferenceFromInput(second.output, demo), 1e-2) << c.what << ": the input came back";
    }
}

TEST_F(Vst3AgainstVst2Test, ChangesBetweenBlocksReachTheProcessorAlike) {
    Load();
    const AudioBuffer demo = DemoSignal::Generate(48000.0, 1.0, 2);
    std::vector<float> in0(512), in1(512), a0(512), a1(512), b0(512), b1(512);
    float* in[2] = {in0.data(), in1.data()};
    float* outA[2] = {a0.data(), a1.data()};
    float* outB[2] = {b0.data(), b1.data()};
    double worst = 0.0, moved = 0.0;
    for (int block = 0; block * 512 + 512 <= demo.Frames(); ++block) {
        std::copy_n(demo.channels[0].begin() + block * 512, 512, in0.begin());
        std::copy_n(demo.channels[1].begin() + block * 512, 512, in1.begin());
        // Several changes to one parameter within a block: only the last one counts.
        if (block == 20) SetBoth({{4, 0.125f}, {4, 1.0f}, {4, 0.9375f}, {3, 0.75f}});
        if (block == 50) SetBoth({{1, 0.5f}});
        vst2.Process(in, outA, 512);
        vst3.Process(in, outB, 512);
        for (int i = 0; i < 512; ++i) {
            worst = std::max({worst, double(std::fabs(a0[i] - b0[i])), double(std::fabs(a1[i] - b1[i]))});
            moved = std::max(moved, double(std::fabs(b0[i] - in0[i])));
        }
    }
    EXPECT_LE(worst, 1e-6);
    EXPECT_GT(moved, 1e-2);
    EXPECT_FLOAT_EQ(vst3.GetParameter(4), 0.9375f);
}

TEST_F(Vst3AgainstVst2Test, MidiGoesWhereEachInterfaceCanCarryIt) {
    Load();
    const struct {
        std::vector<uint8_t> bytes;
        bool vst2, vst3; // VST 3: notes by the event list, the rest by the plug-in's MIDI mapping
    } cases[] = {
        {{0x92, 60, 100}, true, true},  // note-on
        {{0x92, 60, 0}, true, true},    // note-on at velocity 0: a note-off
        {{0x82, 60, 64}, true, true},   // note-off
        {{0xA2, 60, 30}, true, true},   // polyphonic pressure
        {{0xB2, 7, 100}, true, true},   // controller
        {{0xD2, 40}, true, true},       // channel pressure
        {{0xE2, 0x00, 0x40}, true, true}, // pitch-bend
        {{0x92, 60}, false, false},     // cut short
        {{0xD2, 40, 1}, false, false},  // too long
        {{0xF8}, false, false},         // system real-time
        {{0x40, 0x40}, false, false},   // no status byte
    };
    for (const auto& c : cases) {
        const auto size = static_cast<int32_t>(c.bytes.size());
        EXPECT_EQ(vst2.QueueMidi(3, c.bytes.data(), size), c.vst2) << int(c.bytes[0]);
        EXPECT_EQ(vst3.QueueMidi(3, c.bytes.data(), size), c.vst3) << int(c.bytes[0]);
    }
    // The plug-ins take the block with everything queued.
    const AudioBuffer demo = DemoSignal::Generate(48000.0, 0.05, 2);
    for (PluginHost* host : {static_cast<PluginHost*>(&vst2), static_cast<PluginHost*>(&vst3)}) {
        const RenderResult result = Renderer::Render(*host, demo, 0.0);
        EXPECT_EQ(result.output.Frames(), demo.Frames());
    }
}

TEST_F(Vst3AgainstVst2Test, StatesAreInterchangeable) {
    Load();
    SetBoth({{0, 0.5f}, {4, 0.25f}, {3, 0.75f}});
    const std::vector<uint8_t> fromVst2 = vst2.SaveState();
    const std::vector<uint8_t> fromVst3 = vst3.SaveState();
    ASSERT_FALSE(fromVst3.empty());

    // Each loads the other's state and ends where the other was.
    VstPluginHost a;
    Vst3PluginHost b;
    a.Load(VORNIK_PLUGIN_BINARY, PluginHost::Settings{});
    b.Load(VORNIK_PLUGIN_BUNDLE, PluginHost::Settings{});
    b.LoadState(fromVst2);
    a.LoadState(fromVst3);
    for (int32_t i = 0; i < vst2.ParameterCount(); ++i) {
        EXPECT_EQ(b.ParameterDisplay(i), vst2.ParameterDisplay(i)) << i;
        EXPECT_EQ(a.ParameterDisplay(i), vst3.ParameterDisplay(i)) << i;
    }
    const AudioBuffer demo = DemoSignal::Generate(48000.0, 1.0, 2);
    const RenderResult original = Renderer::Render(vst2, demo, 0.0);
    EXPECT_LE(MaxDifference(original.output, Renderer::Render(b, demo, 0.0).output), 1e-6);
    EXPECT_LE(MaxDifference(original.output, Renderer::Render(a, demo, 0.0).output), 1e-6);
    EXPECT_THROW(b.LoadState({}), HostError);
}

struct Outcome {
    int exitCode = -1;
    std::string output;
};

Outcome RunHost(const std::string& arguments) {
    const std::string command = std::string("'") + VORNIK_HOST_PROGRAM + "' " + arguments + " 2>&1";
    Outcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return outcome;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0;) outcome.output.append(buffer, got);
    const int status = pclose(pipe);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

TEST(Vst3HostProgramTest, BothInterfacesRenderTheSameAndShareStates) {
    ScratchFolder scratch;
    const std::string settings = " --set-norm Feedback=0.875 --set-norm Rate=0.625 --set Mode=Tape --tail 0.5";
    const Outcome vst2 = RunHost(std::string("--api vst2 '") + VORNIK_PLUGIN_BINARY + "'" + settings + " --out '" +
                                 scratch.Path("vst2.wav") + "' --save-state '" + scratch.Path("vst2.state") + "'");
    const Outcome vst3 = RunHost(std::string("--api vst3 '") + VORNIK_PLUGIN_BUNDLE + "'" + settings + " --out '" +
                                 scratch.Path("vst3.wav") + "' --save-state '" + scratch.Path("vst3.state") + "'");
    ASSERT_EQ(vst2.exitCode, 0) << vst2.output;
    ASSERT_EQ(vst3.exitCode, 0) << vst3.output;
    for (const char* part : {"Plug-in: Vornik by Quenlor", "(VST 3)", "Set Mode = Tape", "Set Feedback = 75.0%",
                             "Duration: 4.500 s, 2 channels", "Latency: 241 samples", "Real-time factor:"})
        EXPECT_NE(vst3.output.find(part), std::string::npos) << part << "\n" << vst3.output;
    const AudioBuffer two = AudioFile::Read(scratch.Path("vst2.wav"));
    EXPECT_LE(MaxDifference(two, AudioFile::Read(scratch.Path("vst3.wav"))), 1e-6);

    // Each interface loads the state the other saved, and both end at the same sound. (A loaded
    // state holds values as text, so it is compared with another loaded state, not with the
    // values set directly.)
    const Outcome intoVst3 = RunHost(std::string("--api vst3 '") + VORNIK_PLUGIN_BUNDLE + "' --load-state '" +
                                     scratch.Path("vst2.state") + "' --tail 0.5 --list --out '" +
                                     scratch.Path("into3.wav") + "'");
    const Outcome intoVst2 = RunHost(std::string("--api vst2 '") + VORNIK_PLUGIN_BINARY + "' --load-state '" +
                                     scratch.Path("vst3.state") + "' --tail 0.5 --out '" + scratch.Path("into2.wav") +
                                     "'");
    ASSERT_EQ(intoVst3.exitCode, 0) << intoVst3.output;
    ASSERT_EQ(intoVst2.exitCode, 0) << intoVst2.output;
    EXPECT_NE(intoVst3.output.find("Tape"), std::string::npos) << intoVst3.output;
    const AudioBuffer into3 = AudioFile::Read(scratch.Path("into3.wav"));
    EXPECT_LE(MaxDifference(into3, AudioFile::Read(scratch.Path("into2.wav"))), 1e-6);
    EXPECT_LE(MaxDifference(two, into3), 1e-4) << "the loaded state is not the one saved";

    const Outcome wrong = RunHost(std::string("--api vst4 '") + VORNIK_PLUGIN_BUNDLE + "'");
    EXPECT_EQ(wrong.exitCode, 2) << wrong.output;
    EXPECT_NE(wrong.output.find("--api expects vst2 or vst3"), std::string::npos) << wrong.output;
}

} // namespace
#endif
