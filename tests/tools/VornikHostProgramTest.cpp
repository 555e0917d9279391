// The vornik-host program as a user runs it: command line in, text and WAV files out.
#include "AudioFile.h"
#include "DemoSignal.h"
#include "HostProgram.h"
#include "support/ScratchFolder.h"
#include "support/InflatingState.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
using HostProgram::Contains;
using HostProgram::Outcome;
const auto RunHost = HostProgram::Run;

const std::string kFixture = std::string("'") + VORNIK_FIXTURE_PLUGIN + "'";

} // namespace

TEST(VornikHostProgramTest, RendersTheDemoThroughThePluginAndReports) {
    ScratchFolder scratch;
    const std::string out = scratch.Path("sub/demo.wav");
    const Outcome run = RunHost(kFixture + " --set Gain=6 --set Mode=Swap --demo-seconds 1.5 --block 256 --out '" + out + "'");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    for (const char* part : {"Plug-in: Fixture by Tests, 2 inputs, 2 outputs, 5 parameters", "Set Gain = 6.0 dB",
                             "Set Mode = Swap", "Rendered: ", "Duration: 1.500 s, 2 channels, 48000 Hz, float",
                             "Latency: 64 samples (1.33 ms)", "Real-time factor: "})
        EXPECT_TRUE(Contains(run.output, part)) << part << "\n" << run.output;

    const AudioBuffer rendered = AudioFile::Read(out);
    const AudioBuffer demo = DemoSignal::Generate(48000.0, 1.5, 2);
    ASSERT_EQ(rendered.ChannelCount(), 2);
    ASSERT_EQ(rendered.Frames(), demo.Frames());
    const float gain = std::pow(10.0f, 6.0f / 20.0f);
    for (int64_t i = 0; i < demo.Frames(); i += 7) {
        ASSERT_NEAR(rendered.channels[0][i], gain * demo.channels[1][i], 1e-5f) << i;
        ASSERT_NEAR(rendered.channels[1][i], gain * demo.channels[0][i], 1e-5f) << i;
    }
}

TEST(VornikHostProgramTest, ListsParametersAfterChanges) {
    const Outcome run = RunHost(kFixture + " --set-norm Mode=0.9 --set Cutoff=1000 --list -q");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_FALSE(Contains(run.output, "Plug-in:")); // quiet keeps the report out, not the list
    for (const char* part : {"index  name      label  value     display", "    0  Gain      dB     0.666667  0.0",
                             "    1  Mode             0.900000  Swap", "1.00 kHz", "    4  Tempo     BPM"})
        EXPECT_TRUE(Contains(run.output, part)) << part << "\n" << run.output;
}

TEST(VornikHostProgramTest, StateSavedByOneRunLoadsInTheNext) {
    ScratchFolder scratch;
    const std::string state = scratch.Path("state.bin");
    const Outcome save = RunHost(kFixture + " --set Gain=-6 --set Mode=Invert --save-state '" + state + "'");
    ASSERT_EQ(save.exitCode, 0) << save.output;
    EXPECT_TRUE(Contains(save.output, "Saved state: " + state + " (24 bytes)")) << save.output;
    const Outcome load = RunHost(kFixture + " --load-state '" + state + "' --list");
    ASSERT_EQ(load.exitCode, 0) << load.output;
    EXPECT_TRUE(Contains(load.output, "Loaded state: ")) << load.output;
    EXPECT_TRUE(Contains(load.output, "-6.0\n")) << load.output;
    EXPECT_TRUE(Contains(load.output, "Invert\n")) << load.output;
}

TEST(VornikHostProgramTest, RendersFilesInTheirOwnFormat) {
    ScratchFolder scratch;
    AudioBuffer mono = DemoSignal::Generate(44100.0, 0.5, 1);
    mono.format = SampleFormat::Pcm16;
    const std::string in = scratch.Path("in.wav"), out = scratch.Path("out.wav"), out24 = scratch.Path("out24.wav");
    AudioFile::Write(in, mono);
    const Outcome run = RunHost(kFixture + " --in '" + in + "' --out '" + out + "' --tail 0.5");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(Contains(run.output, "Duration: 1.000 s, 1 channel, 44100 Hz, pcm16")) << run.output;
    const AudioBuffer rendered = AudioFile::Read(out);
    EXPECT_EQ(rendered.format, SampleFormat::Pcm16);
    EXPECT_EQ(rendered.Frames(), 44100);
    const AudioBuffer input = AudioFile::Read(in);
    for (int64_t i = 0; i < input.Frames(); i += 11) ASSERT_NEAR(rendered.channels[0][i], input.channels[0][i], 1e-4f);

    const Outcome converted = RunHost(kFixture + " -i '" + in + "' -o '" + out24 + "' --format pcm24 -q");
    ASSERT_EQ(converted.exitCode, 0) << converted.output;
    EXPECT_TRUE(converted.output.empty()) << converted.output;
    EXPECT_EQ(AudioFile::Read(out24).format, SampleFormat::Pcm24);

    const Outcome wrongRate = RunHost(kFixture + " -i '" + in + "' -o '" + out + "' --rate 48000");
    EXPECT_EQ(wrongRate.exitCode, 1);
    EXPECT_TRUE(Contains(wrongRate.output, "does not resample")) << wrongRate.output;
}

TEST(VornikHostProgramTest, FailuresExitWithTheirCodeAndReason) {
    struct Case {
        std::string arguments;
        int exitCode;
        const char* reason;
    };
    const Case cases[] = {
        {"--help", 0, "Usage: vornik-host [OPTIONS] PLUGIN"},
        {"", 2, "No plug-in given"},
        {kFixture + " --bogus", 2, "Unknown option --bogus"},
        {"/nonexistent/Vornik.so --list", 1, "Could not load \"/nonexistent/Vornik.so\""},
        {kFixture + " --set Volume=3", 1, "No parameter \"Volume\""},
        {kFixture + " --set Gain=99", 1, "outside what the parameter shows"},
        {kFixture + " --load-state /nonexistent/state.bin", 1, "Could not open \"/nonexistent/state.bin\""},
    };
    for (const Case& c : cases) {
        const Outcome run = RunHost(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.output;
        EXPECT_TRUE(Contains(run.output, c.reason)) << c.arguments << "\n" << run.output;
    }
}

#ifdef VORNIK_PLUGIN_BINARY
TEST(VornikHostProgramTest, ARefusedStateStopsTheHostWithTheReason) {
    ScratchFolder scratch;
    const std::string bomb = scratch.Path("bomb.state"), broken = scratch.Path("broken.state");
    {
        const std::vector<uint8_t> bytes = InflatingState::Make(200 * 1000 * 1000);
        std::ofstream(bomb, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        std::ofstream(broken, std::ios::binary) << "<settings><unclosed></settings>";
    }
    const std::string plugins[] = {std::string("'") + VORNIK_PLUGIN_BINARY + "'",
                                   std::string("--api vst3 '") + VORNIK_PLUGIN_BUNDLE + "'"};
    for (const std::string& plugin : plugins) {
        const Outcome large = RunHost(plugin + " --load-state '" + bomb + "' --list");
        EXPECT_EQ(large.exitCode, 1) << large.output;
        EXPECT_TRUE(Contains(large.output, "vornik-host: The state was refused: The document is larger than 16 MiB.\n"))
            << large.output;
        const Outcome malformed = RunHost(plugin + " --load-state '" + broken + "' --list");
        EXPECT_EQ(malformed.exitCode, 1) << malformed.output;
        EXPECT_TRUE(Contains(malformed.output, "vornik-host: The state was refused: ")) << malformed.output;
    }
}

TEST(VornikHostProgramTest, RendersTheDemoThroughTheBuiltPlugin) {
    ScratchFolder scratch;
    const std::string out = scratch.Path("vornik.wav");
    const Outcome run =
        RunHost(std::string("'") + VORNIK_PLUGIN_BINARY + "' --set Feedback=50 --set Mode=Tape --out '" + out + "'");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    for (const char* part : {"Plug-in: Vornik by Quenlor", "Set Feedback = 50.0%", "Set Mode = Tape",
                             "Duration: 4.000 s, 2 channels, 48000 Hz, float",
                             "Latency: 241 samples" /* Tape: the dry path waits half the largest range */})
        EXPECT_TRUE(Contains(run.output, part)) << part << "\n" << run.output;

    const AudioBuffer rendered = AudioFile::Read(out);
    const AudioBuffer demo = DemoSignal::Generate(48000.0, 4.0, 2);
    ASSERT_EQ(rendered.ChannelCount(), 2);
    ASSERT_EQ(rendered.Frames(), demo.Frames());
    for (int c = 0; c < 2; ++c) {
        double energy = 0.0, difference = 0.0;
        for (int64_t i = 0; i < demo.Frames(); ++i) {
            ASSERT_TRUE(std::isfinite(rendered.channels[c][i])) << i;
            energy += double(rendered.channels[c][i]) * rendered.channels[c][i];
            difference += std::fabs(double(rendered.channels[c][i]) - demo.channels[c][i]);
        }
        EXPECT_GT(std::sqrt(energy / demo.Frames()), 0.01) << "silent channel " << c;
        EXPECT_GT(difference / demo.Frames(), 0.001) << "channel " << c << " is the input";
    }
}
#endif
