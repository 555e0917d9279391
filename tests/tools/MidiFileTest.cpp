#include "MidiFile.h"

#include "MidiBytes.h"
#include "PluginHost.h"

#include <gtest/gtest.h>

using MidiBytes::Track;

namespace {
struct Expected {
    double seconds;
    std::vector<uint8_t> bytes;
};

void ExpectMessages(const MidiSequence& sequence, const std::vector<Expected>& expected) {
    ASSERT_EQ(sequence.messages.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const TimedMidiMessage& m = sequence.messages[i];
        EXPECT_NEAR(m.seconds, expected[i].seconds, 1e-9) << "message " << i;
        EXPECT_EQ(std::vector<uint8_t>(m.bytes, m.bytes + m.size), expected[i].bytes) << "message " << i;
    }
}

std::string ErrorOf(const std::vector<uint8_t>& bytes) {
    try {
        MidiFile::Parse(bytes, "song.mid");
    } catch (const HostError& error) {
        return error.what();
    }
    return "(no error)";
}
} // namespace

TEST(MidiFileTest, FormatZeroWithRunningStatusAndSkippedEvents) {
    // 96 ticks per quarter at the default 120 BPM: one tick is 1/192 s.
    Track track;
    track
        .Event(0, {0xFF, 0x03, 0x04, 'l', 'e', 'a', 'd'}) // track name
        .Event(0, {0x91, 60, 100})                        // note on, channel 2
        .Event(48, {64, 90})                              // running status: another note on
        .Event(0, {0xF0, 0x03, 0x7E, 0x01, 0xF7})         // system exclusive, skipped
        .Event(48, {0xD1, 33})                            // channel aftertouch: one data byte
        .Event(0, {20})                                   // running status with one data byte
        .Event(96, {0x81, 60, 0})                         // note off
        .Event(0, {0xE1, 0x00, 0x40})                     // pitch-bend centre
        .End(192);
    const MidiSequence sequence = MidiFile::Parse(MidiBytes::File(0, 96, {track}), "song.mid");
    EXPECT_EQ(sequence.format, 0);
    EXPECT_EQ(sequence.trackCount, 1);
    ExpectMessages(sequence, {{0.0, {0x91, 60, 100}},
                              {0.25, {0x91, 64, 90}},
                              {0.5, {0xD1, 33}},
                              {0.5, {0xD1, 20}},
                              {1.0, {0x81, 60, 0}},
                              {1.0, {0xE1, 0x00, 0x40}}});
    EXPECT_NEAR(sequence.endSeconds, 2.0, 1e-9);
}

TEST(MidiFileTest, FormatOneMergesTracksThroughTheTempoMap) {
    // Tempo track: 60 BPM, then 240 BPM from tick 192 (two seconds in).
    Track tempo;
    tempo.Tempo(0, 1000000).Tempo(192, 250000).End();
    Track notes;
    notes.Event(96, {0x90, 60, 1}).Event(96, {0x80, 60, 0}).Event(96, {0x90, 62, 2}).End();
    Track controllers;
    controllers.Event(0, {0xB2, 7, 100}).Event(192, {0xB2, 7, 50}).Event(48, {0xB2, 7, 25}).End();
    std::vector<uint8_t> file = MidiBytes::File(1, 96, {tempo, notes, controllers});
    // A chunk of an unknown kind between tracks is skipped.
    const std::vector<uint8_t> alien{'X', 'y', 'z', 'w', 0, 0, 0, 2, 0xAB, 0xCD};
    file.insert(file.begin() + 14, alien.begin(), alien.end());

    const MidiSequence sequence = MidiFile::Parse(file, "song.mid");
    EXPECT_EQ(sequence.format, 1);
    EXPECT_EQ(sequence.trackCount, 3);
    // Equal times keep the tracks' order: notes before controllers at tick 192.
    ExpectMessages(sequence, {{0.0, {0xB2, 7, 100}},
                              {1.0, {0x90, 60, 1}},
                              {2.0, {0x80, 60, 0}},
                              {2.0, {0xB2, 7, 50}},
                              {2.125, {0xB2, 7, 25}},
                              {2.25, {0x90, 62, 2}}});
    EXPECT_NEAR(sequence.endSeconds, 2.25, 1e-9);
}

TEST(MidiFileTest, SmpteTimingCountsTicksOfFrames) {
    // 25 frames a second, 40 ticks a frame: a tick is a millisecond; tempo events do not count.
    Track track;
    track.Tempo(0, 1000000).Event(1500, {0x90, 60, 64}).Event(250, {0x80, 60, 64}).End();
    const MidiSequence sequence =
        MidiFile::Parse(MidiBytes::File(0, (0x100 - 25) << 8 | 40, {track}), "song.mid");
    ExpectMessages(sequence, {{1.5, {0x90, 60, 64}}, {1.75, {0x80, 60, 64}}});
}

TEST(MidiFileTest, MalformedFilesNameTheFileAndByte) {
    Track note;
    note.Event(0, {0x90, 60, 100}).End();
    const std::vector<uint8_t> good = MidiBytes::File(0, 96, {note});
    const auto cut = [&](std::size_t size) {
        return std::vector<uint8_t>(good.begin(), good.begin() + size);
    };
    const auto with = [](int format, int division, std::initializer_list<std::initializer_list<int>> events) {
        Track track;
        for (auto event : events) track.Event(0, event);
        return MidiBytes::File(format, division, {track});
    };
    std::vector<uint8_t> lying = good; // the track chunk claims more bytes than the file has
    lying[21] = 40;
    std::vector<uint8_t> moreTracks = good;
    moreTracks[11] = 2;
    moreTracks[9] = 1;

    struct Case {
        std::vector<uint8_t> bytes;
        const char* error;
    };
    const Case cases[] = {
        {{'R', 'I', 'F', 'F', 0, 0, 0, 0}, "\"song.mid\": byte 0: not a Standard MIDI File"},
        {{}, "byte 0: not a Standard MIDI File"},
        {cut(12), "byte 12: the file ends inside its header"},
        {cut(16), "byte 14: the file ends after 0 of 1 tracks"},
        {cut(25), "byte 18: the chunk of 8 bytes runs past the end of the file (3 left)"},
        {lying, "byte 18: the chunk of 40 bytes runs past the end of the file (8 left)"},
        {moreTracks, "byte 30: the file ends after 1 of 2 tracks"},
        {with(0, 96, {{0x90, 60}}), "byte 24: track 1 ends inside an event"},
        {with(0, 96, {{0x90, 60, 0x90}}), "byte 25: data byte 0x90 has its top bit set"},
        {with(0, 96, {{60, 100}}), "byte 23: data byte 0x3C with no status byte before it"},
        {with(0, 96, {{0xF8}}), "byte 23: system message 0xF8 inside a track"},
        {with(0, 96, {{0xFF, 0x51, 0x02, 1, 2}}), "byte 23: a tempo event of 2 bytes, not 3"},
        {with(0, 96, {{0xFF, 0x01, 0x85}}), "byte 26: track 1 ends inside an event"},
        {with(0, 96, {{0xFF, 0x01, 0x80, 0x80, 0x80, 0x80, 0x01}}),
         "byte 25: a variable-length number longer than four bytes"},
        {with(2, 96, {}), "byte 8: format 2 (independent sequences) is not supported"},
        {with(1, 0, {}), "byte 12: a division of 0 ticks per quarter note"},
    };
    for (const Case& c : cases)
        EXPECT_NE(ErrorOf(c.bytes).find(c.error), std::string::npos) << c.error << "\n" << ErrorOf(c.bytes);
}
