// Standard MIDI Files read into channel messages at their times in seconds: formats 0 and 1,
// every track merged in time order, the tempo map (or SMPTE timing) applied. System exclusive
// and meta events carry no channel message; the tempo changes among them shape the timing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TimedMidiMessage {
    double seconds = 0.0;
    uint8_t bytes[3] = {};
    uint8_t size = 0; // 2 or 3
};

struct MidiSequence {
    int32_t format = 0;
    int32_t trackCount = 0;
    std::vector<TimedMidiMessage> messages; // by time; equal times keep track, then file order
    double endSeconds = 0.0;                // of the last event of any kind, end of track included
};

namespace MidiFile {
// name is how errors call the file. Throws HostError: "NAME": byte OFFSET: reason.
MidiSequence Parse(const std::vector<uint8_t>& bytes, const std::string& name);
// Reads and parses the file at path.
MidiSequence Read(const std::string& path);
} // namespace MidiFile
