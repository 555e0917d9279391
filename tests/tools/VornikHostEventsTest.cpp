// vornik-host playing MIDI files and automation into a render, through the program itself.
#include "AudioFile.h"
#include "DemoSignal.h"
#include "FileBytes.h"
#include "HostProgram.h"
#include "MidiBytes.h"
#include "support/ScratchFolder.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <zlib.h>

using HostProgram::Contains;
using HostProgram::Outcome;
using MidiBytes::Track;

namespace {
const std::string kFixture = std::string("'") + VORNIK_FIXTURE_PLUGIN + "'";

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// The first frame where two renders differ in any channel; frames when they never do.
int64_t FirstDifference(const AudioBuffer& a, const AudioBuffer& b, int64_t from = 0) {
    for (int64_t i = from; i < std::min(a.Frames(), b.Frames()); ++i)
        for (int32_t c = 0; c < a.ChannelCount(); ++c)
            if (a.channels[c][i] != b.channels[c][i]) return i;
    return std::min(a.Frames(), b.Frames());
}
} // namespace

TEST(VornikHostEventsTest, MidiAndAutomationLandOnTheirSamples) {
    // The fixture scales its output by a held note's velocity / 127. Tempo map: 60 BPM, then
    // 240 BPM from tick 48 (half a second), so the note plays from 0.5 s to 0.625 s.
    ScratchFolder scratch;
    Track tempo, notes;
    tempo.Tempo(0, 1000000).Tempo(48, 250000).End();
    notes.Event(48, {0x90, 60, 64}).Event(48, {0x80, 60, 0}).End();
    const std::string midi = scratch.Path("notes.mid"), mode = scratch.Path("mode.txt"),
                      gain = scratch.Path("gain.txt");
    FileBytes::Write(midi, MidiBytes::File(1, 96, {tempo, notes}));
    // Inverted from sample 23900, inside the block that also holds the note-on (23808 to 24063).
    WriteText(mode, "# invert just before the note\n0.49791666667 0\n0.49791666667 \"Invert\"\n");
    // 0 dB until 0.75 s, then a ramp to +12 dB at 0.875 s.
    WriteText(gain, "0.75 0.6666667\n0.875 1\n");
    const std::string plain = scratch.Path("plain.wav"), played = scratch.Path("played.wav");

    const std::string common = kFixture + " --demo-seconds 1 --block 256 -o ";
    const Outcome reference = HostProgram::Run(common + Quoted(plain) + " -q");
    ASSERT_EQ(reference.exitCode, 0) << reference.output;
    const Outcome run =
        HostProgram::Run(common + Quoted(played) + " --midi " + Quoted(midi) +
                         " --automate Mode=" + Quoted(mode) + " --automate 0=" + Quoted(gain));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    for (const char* part :
         {"Automating Mode from ", "Automating Gain from ",
          "notes.mid, format 1, 2 tracks, 2 channel messages over 0.625 s", "MIDI delivered: 2 messages\n"})
        EXPECT_TRUE(Contains(run.output, part)) << part << "\n" << run.output;

    const AudioBuffer a = AudioFile::Read(plain), b = AudioFile::Read(played);
    ASSERT_EQ(b.Frames(), 48000);
    const auto gainAt = [](int64_t i) {
        // Ramps move on a grid of 32 samples and reach the end point at its own sample; the
        // fixture turns the value into decibels.
        const int64_t grid = i >= 42000 ? 42000 : i / 32 * 32;
        const auto value =
            static_cast<float>(0.6666667 + (1.0 - 0.6666667) * static_cast<double>(grid - 36000) / 6000.0);
        return i < 36000 ? 1.0f : static_cast<float>(std::pow(10.0, (-24.0 + 36.0 * value) / 20.0));
    };
    for (int64_t i = 0; i < a.Frames(); ++i) {
        const float note = i >= 24000 && i < 30000 ? 64.0f / 127.0f : 1.0f;
        for (int32_t c = 0; c < 2; ++c) {
            const float x = a.channels[c][i];
            const float expected = note * (gainAt(i) * (i >= 23900 ? -x : x));
            ASSERT_NEAR(b.channels[c][i], expected, 1e-6f) << "frame " << i << " channel " << c;
        }
    }
}

TEST(VornikHostEventsTest, BadFilesAndOptionsExitWithTheirReason) {
    ScratchFolder scratch;
    Track notes;
    notes.Event(0, {0x90, 60, 64}).Event(96, {0x80, 60, 0}).End();
    std::vector<uint8_t> cut = MidiBytes::File(0, 96, {notes});
    cut.resize(cut.size() - 3);
    const std::string truncated = scratch.Path("cut.mid"), lines = scratch.Path("lines.txt"),
                      unknown = scratch.Path("unknown.txt"), out = Quoted(scratch.Path("o.wav"));
    FileBytes::Write(truncated, cut);
    WriteText(lines, "0 0.5\n1 0.5 0.7\n");
    WriteText(unknown, "# mode\n0 \"Loud\"\n");
    const struct {
        std::string arguments;
        int exitCode;
        std::string reason;
    } cases[] = {
        {kFixture + " --midi " + Quoted(truncated) + " -o " + out, 1,
         "\"" + truncated + "\": byte 18: the chunk of 12 bytes runs past the end of the file (9 left)"},
        {kFixture + " --automate Gain=" + Quoted(lines) + " -o " + out, 1,
         "\"" + lines + "\": line 2: unexpected \"0.7\" after the value"},
        {kFixture + " --automate Mode=" + Quoted(unknown) + " -o " + out, 1, "\"" + unknown + "\": line 2: "},
        {kFixture + " --automate Volume=" + Quoted(lines) + " -o " + out, 1, "No parameter \"Volume\""},
        {kFixture + " --midi /nonexistent/song.mid -o " + out, 1, "Could not open \"/nonexistent/song.mid\""},
        {kFixture + " --midi " + Quoted(truncated), 2, "--midi needs --out"},
        {kFixture + " --automate Gain -o " + out, 2, "--automate expects NAME=FILE, not \"Gain\""},
        {"--help", 0, "--automate NAME=FILE"},
        {"--help", 0, "--midi FILE.mid"},
    };
    for (const auto& c : cases) {
        const Outcome run = HostProgram::Run(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.output;
        EXPECT_TRUE(Contains(run.output, c.reason)) << c.reason << "\n" << run.output;
    }
}

#if defined(VORNIK_PLUGIN_BINARY) && defined(VORNIK_PLUGIN_BUNDLE)
namespace {
struct Interface {
    const char* api;
    std::string plugin;
    // The plug-in takes a VST 3 block's parameter change, and any block's notes, from the
    // start of the block that holds them; VST 2.4 automation splits the block at its point.
    bool sampleAccurateAutomation;
};

std::vector<Interface> Interfaces() {
    return {{"vst2", VORNIK_PLUGIN_BINARY, true}, {"vst3", VORNIK_PLUGIN_BUNDLE, false}};
}

std::vector<uint8_t> Inflate(const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> out(1 << 22);
    uLongf size = out.size();
    if (uncompress(out.data(), &size, bytes.data(), bytes.size()) != Z_OK) return {};
    out.resize(size);
    return out;
}

std::vector<uint8_t> Deflate(const std::string& text) {
    std::vector<uint8_t> out(compressBound(text.size()));
    uLongf size = out.size();
    compress(out.data(), &size, reinterpret_cast<const Bytef*>(text.data()), text.size());
    out.resize(size);
    return out;
}

std::size_t ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    std::size_t count = 0;
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()), ++count)
        text.replace(at, from.size(), to);
    return count;
}
} // namespace

TEST(VornikHostEventsTest, AutomationChangesTheBuiltPluginFromItsPoint) {
    ScratchFolder scratch;
    const std::string depth = scratch.Path("depth.txt");
    WriteText(depth, "1.0 0.75\n1.0 0.5\n"); // wet and dry until one second, then dry only
    constexpr int64_t kPoint = 48000, kBlock = 512, kBlockStart = kPoint / kBlock * kBlock;
    for (const Interface& i : Interfaces()) {
        const std::string plain = scratch.Path(std::string(i.api) + "-plain.wav"),
                          automated = scratch.Path(std::string(i.api) + "-automated.wav");
        const std::string common =
            std::string("--api ") + i.api + " " + Quoted(i.plugin) + " --demo-seconds 2 -q -o ";
        ASSERT_EQ(HostProgram::Run(common + Quoted(plain)).exitCode, 0) << i.api;
        const Outcome run =
            HostProgram::Run(common + Quoted(automated) + " --automate Depth=" + Quoted(depth));
        ASSERT_EQ(run.exitCode, 0) << i.api << "\n" << run.output;
        const AudioBuffer a = AudioFile::Read(plain), b = AudioFile::Read(automated);
        const int64_t first = FirstDifference(a, b);
        EXPECT_GE(first, i.sampleAccurateAutomation ? kPoint : kBlockStart) << i.api;
        EXPECT_LT(first, kPoint + kBlock) << i.api;
        EXPECT_LT(FirstDifference(a, b, a.Frames() - 1000), a.Frames())
            << i.api << ": the change does not hold";
    }
}

TEST(VornikHostEventsTest, ANoteResetsTheBuiltPluginsModulationFromItsBlock) {
    // Turn on the plug-in's reset of its modulation on notes, in every preset of a saved state.
    ScratchFolder scratch;
    const std::string saved = scratch.Path("default.state"), reset = scratch.Path("reset.state");
    ASSERT_EQ(HostProgram::Run(Quoted(VORNIK_PLUGIN_BINARY) + " -q --save-state " + Quoted(saved)).exitCode,
              0);
    const std::vector<uint8_t> xml = Inflate(FileBytes::Read(saved));
    ASSERT_FALSE(xml.empty());
    std::string text(xml.begin(), xml.end());
    ASSERT_GT(
        ReplaceAll(text, "<MIDIReset Channel=\"0\" Enabled=\"0\"", "<MIDIReset Channel=\"0\" Enabled=\"1\""),
        0u);
    ASSERT_GT(
        ReplaceAll(text, "NoteOnOnlyFirst=\"0\" Phase=\"0\"/>", "NoteOnOnlyFirst=\"0\" Phase=\"0.5\"/>"), 0u);
    FileBytes::Write(reset, Deflate(text));

    Track notes; // a note at one second (96 ticks a quarter at 120 BPM)
    notes.Event(192, {0x90, 60, 100}).Event(96, {0x80, 60, 0}).End();
    const std::string midi = scratch.Path("note.mid");
    FileBytes::Write(midi, MidiBytes::File(0, 96, {notes}));
    constexpr int64_t kNote = 48000, kBlock = 512, kBlockStart = kNote / kBlock * kBlock;
    for (const Interface& i : Interfaces()) {
        const std::string plain = scratch.Path(std::string(i.api) + "-plain.wav"),
                          played = scratch.Path(std::string(i.api) + "-played.wav");
        const std::string common = std::string("--api ") + i.api + " " + Quoted(i.plugin) + " --load-state " +
                                   Quoted(reset) + " --demo-seconds 2 -o ";
        ASSERT_EQ(HostProgram::Run(common + Quoted(plain) + " -q").exitCode, 0) << i.api;
        const Outcome run = HostProgram::Run(common + Quoted(played) + " --midi " + Quoted(midi));
        ASSERT_EQ(run.exitCode, 0) << i.api << "\n" << run.output;
        EXPECT_TRUE(Contains(run.output, "MIDI delivered: 2 messages\n")) << run.output;
        const AudioBuffer a = AudioFile::Read(plain), b = AudioFile::Read(played);
        EXPECT_EQ(FirstDifference(a, b), kBlockStart) << i.api;
        EXPECT_LT(FirstDifference(a, b, a.Frames() - 1000), a.Frames())
            << i.api << ": the reset does not hold";
    }
}
#endif
