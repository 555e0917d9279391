// vornik-host playing a MIDI file's controllers into the built plug-in, through both interfaces:
// a slot that a loaded state maps to a parameter changes the sound from the controller's sample.
#include "AudioFile.h"
#include "FileBytes.h"
#include "HostProgram.h"
#include "MidiBytes.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>
#include <string>

#if defined(VORNIK_PLUGIN_BINARY) && defined(VORNIK_PLUGIN_BUNDLE)
namespace {

using HostProgram::Contains;
using HostProgram::Outcome;
using MidiBytes::Track;

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

int64_t FirstDifference(const AudioBuffer& a, const AudioBuffer& b, int64_t from = 0) {
    for (int64_t i = from; i < std::min(a.Frames(), b.Frames()); ++i)
        for (int32_t c = 0; c < a.ChannelCount(); ++c)
            if (a.channels[c][i] != b.channels[c][i]) return i;
    return std::min(a.Frames(), b.Frames());
}

TEST(VornikHostControllerTest, AMappedControllerChangesTheSoundFromItsSample) {
    ScratchFolder scratch;
    // Controller 74 on any channel drives Depth over its whole travel (a plain-text state).
    const std::string state = scratch.Path("controller.state");
    const std::string xml = "<settings ControllersEnabled=\"1\"><Controllers>"
                            "<Controller0 Enabled=\"1\" ParameterName=\"Depth\" Channel=\"0\" Controller=\"74\"/>"
                            "</Controllers></settings>";
    FileBytes::Write(state, std::vector<uint8_t>(xml.begin(), xml.end()));

    // 96 ticks a quarter at 1.024 s a quarter: one tick is 512 samples at 48 kHz, one block of
    // the host. Controller 75 (mapped to nothing) moves at tick 40, controller 74 at tick 94,
    // on channels 2 and 9.
    constexpr int64_t kBlock = 512, kEvent = 94 * kBlock;
    Track track;
    track.Tempo(0, 1024000).Event(40, {0xB1, 75, 0}).Event(54, {0xB8, 74, 0}).End(10);
    const std::string midi = scratch.Path("controller.mid");
    FileBytes::Write(midi, MidiBytes::File(0, 96, {track}));

    for (const auto& [api, plugin] : {std::pair<std::string, std::string>{"vst2", VORNIK_PLUGIN_BINARY},
                                      std::pair<std::string, std::string>{"vst3", VORNIK_PLUGIN_BUNDLE}}) {
        const std::string plain = scratch.Path(api + "-plain.wav"), played = scratch.Path(api + "-played.wav");
        const std::string common = "--api " + api + " " + Quoted(plugin) + " --load-state " + Quoted(state) +
                                   " --demo-seconds 2 --block 512 -o ";
        const Outcome reference = HostProgram::Run(common + Quoted(plain) + " -q");
        ASSERT_EQ(reference.exitCode, 0) << api << "\n" << reference.output;
        const Outcome run = HostProgram::Run(common + Quoted(played) + " --midi " + Quoted(midi));
        ASSERT_EQ(run.exitCode, 0) << api << "\n" << run.output;
        EXPECT_TRUE(Contains(run.output, "MIDI delivered: 2 messages\n")) << run.output;

        const AudioBuffer a = AudioFile::Read(plain), b = AudioFile::Read(played);
        ASSERT_EQ(a.Frames(), 96000) << api;
        ASSERT_EQ(b.Frames(), a.Frames()) << api;
        const int64_t first = FirstDifference(a, b);
        EXPECT_GE(first, kEvent) << api << ": nothing changes before the controller, and controller 75 drives nothing";
        EXPECT_LT(first, kEvent + kBlock) << api << ": the block that holds the controller changes";
        EXPECT_LT(FirstDifference(a, b, a.Frames() - 1000), a.Frames()) << api << ": the change does not hold";
    }
}

} // namespace
#endif
