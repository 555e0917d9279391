#include "MidiFile.h"

#include "FileBytes.h"
#include "PluginHost.h"

#include <algorithm>
#include <cstdio>

namespace {
constexpr double kDefaultMicrosecondsPerQuarter = 500000.0; // 120 BPM until a tempo event

struct TickedMessage {
    int64_t tick;
    uint8_t bytes[3];
    uint8_t size;
};

struct TempoChange {
    int64_t tick;
    double microsecondsPerQuarter;
};

std::string Hex(uint8_t byte) {
    char text[8];
    std::snprintf(text, sizeof(text), "0x%02X", static_cast<unsigned>(byte));
    return text;
}

class Parser {
public:
    Parser(const std::vector<uint8_t>& bytes, const std::string& name) : m_bytes(bytes), m_name(name) {}

    MidiSequence Run() {
        MidiSequence sequence;
        const std::size_t size = m_bytes.size();
        if (size < 8 || !IsTag(0, "MThd")) Fail(0, "not a Standard MIDI File (it does not start with MThd)");
        const uint32_t headerLength = Big32(4);
        if (headerLength < 6)
            Fail(4, "the header chunk is " + std::to_string(headerLength) + " bytes, not at least 6");
        if (8 + static_cast<uint64_t>(headerLength) > size) Fail(size, "the file ends inside its header");
        const uint16_t format = Big16(8), tracks = Big16(10), division = Big16(12);
        if (format == 2) Fail(8, "format 2 (independent sequences) is not supported, only formats 0 and 1");
        if (format > 2) Fail(8, "unknown format " + std::to_string(format));
        if (tracks == 0) Fail(10, "the file announces no tracks");
        if (format == 0 && tracks != 1)
            Fail(10, "a format 0 file holds one track, not " + std::to_string(tracks));
        ReadDivision(division);
        sequence.format = format;
        sequence.trackCount = tracks;

        std::size_t position = 8 + headerLength;
        for (int32_t track = 1; track <= tracks;) {
            if (position + 8 > size)
                Fail(position, "the file ends after " + std::to_string(track - 1) + " of " +
                                   std::to_string(tracks) + " tracks");
            const uint32_t length = Big32(position + 4);
            const std::size_t body = position + 8;
            if (body + static_cast<uint64_t>(length) > size)
                Fail(position + 4, "the chunk of " + std::to_string(length) +
                                       " bytes runs past the end of the file (" +
                                       std::to_string(size - body) + " left)");
            // Chunks of other kinds are skipped, as the format asks of readers.
            if (IsTag(position, "MTrk")) ReadTrack(track++, body, body + length);
            position = body + length;
        }

        std::stable_sort(m_messages.begin(), m_messages.end(),
                         [](const TickedMessage& a, const TickedMessage& b) { return a.tick < b.tick; });
        BuildTempoMap();
        sequence.messages.reserve(m_messages.size());
        for (const TickedMessage& m : m_messages) {
            TimedMidiMessage timed;
            timed.seconds = Seconds(m.tick);
            std::copy_n(m.bytes, 3, timed.bytes);
            timed.size = m.size;
            sequence.messages.push_back(timed);
        }
        sequence.endSeconds = Seconds(m_lastTick);
        return sequence;
    }

private:
    [[noreturn]] void Fail(std::size_t offset, const std::string& reason) const {
        throw HostError("\"" + m_name + "\": byte " + std::to_string(offset) + ": " + reason);
    }

    bool IsTag(std::size_t at, const char* tag) const {
        return at + 4 <= m_bytes.size() &&
               std::equal(tag, tag + 4, m_bytes.begin() + static_cast<std::ptrdiff_t>(at));
    }
    uint16_t Big16(std::size_t at) const { return static_cast<uint16_t>(m_bytes[at] << 8 | m_bytes[at + 1]); }
    uint32_t Big32(std::size_t at) const {
        return static_cast<uint32_t>(m_bytes[at]) << 24 | static_cast<uint32_t>(m_bytes[at + 1]) << 16 |
               static_cast<uint32_t>(m_bytes[at + 2]) << 8 | m_bytes[at + 3];
    }

    void ReadDivision(uint16_t division) {
        if (division & 0x8000) {
            // SMPTE timing: frames per second (negated in the high byte) and ticks per frame.
            const int framesPerSecond = -static_cast<int8_t>(division >> 8);
            const int ticksPerFrame = division & 0xFF;
            if (framesPerSecond != 24 && framesPerSecond != 25 && framesPerSecond != 29 &&
                framesPerSecond != 30)
                Fail(12, "SMPTE timing at " + std::to_string(framesPerSecond) + " frames per second");
            if (ticksPerFrame == 0) Fail(12, "SMPTE timing with 0 ticks per frame");
            const double rate = framesPerSecond == 29 ? 30000.0 / 1001.0 : framesPerSecond;
            m_secondsPerTick = 1.0 / (rate * ticksPerFrame);
        } else {
            if (division == 0) Fail(12, "a division of 0 ticks per quarter note");
            m_ticksPerQuarter = division;
        }
    }

    // A variable-length quantity: seven bits a byte, at most four bytes.
    uint32_t Number(std::size_t& at, std::size_t end, int32_t track) const {
        uint32_t value = 0;
        for (int count = 0; count < 4; ++count) {
            if (at >= end) Fail(at, "track " + std::to_string(track) + " ends inside an event");
            const uint8_t byte = m_bytes[at++];
            value = value << 7 | (byte & 0x7F);
            if (!(byte & 0x80)) return value;
        }
        Fail(at - 4, "a variable-length number longer than four bytes");
    }

    void Need(std::size_t at, uint64_t count, std::size_t end, int32_t track) const {
        if (at + count > end) Fail(at, "track " + std::to_string(track) + " ends inside an event");
    }

    void ReadTrack(int32_t track, std::size_t at, std::size_t end) {
        int64_t tick = 0;
        uint8_t running = 0;
        while (at < end) {
            tick += Number(at, end, track);
            m_lastTick = std::max(m_lastTick, tick);
            Need(at, 1, end, track);
            const std::size_t eventStart = at;
            const uint8_t first = m_bytes[at];
            if (first == 0xFF) {
                Need(at, 2, end, track);
                const uint8_t type = m_bytes[at + 1];
                at += 2;
                const uint32_t length = Number(at, end, track);
                Need(at, length, end, track);
                if (type == 0x2F) return; // end of track: what follows in the chunk is not read
                if (type == 0x51) {
                    if (length != 3)
                        Fail(eventStart, "a tempo event of " + std::to_string(length) + " bytes, not 3");
                    const uint32_t microseconds = static_cast<uint32_t>(m_bytes[at]) << 16 |
                                                  static_cast<uint32_t>(m_bytes[at + 1]) << 8 |
                                                  m_bytes[at + 2];
                    if (microseconds == 0) Fail(eventStart, "a tempo of 0 microseconds per quarter note");
                    m_tempi.push_back({tick, static_cast<double>(microseconds)});
                }
                at += length;
                continue;
            }
            if (first == 0xF0 || first == 0xF7) {
                // System exclusive (or its continuation / escape): skipped whole. Running status is
                // kept across it: the format says it ends there, but files that lean on it are common.
                ++at;
                const uint32_t length = Number(at, end, track);
                Need(at, length, end, track);
                at += length;
                continue;
            }
            if (first > 0xF0) Fail(at, "system message " + Hex(first) + " inside a track");
            uint8_t status = running;
            if (first & 0x80) {
                status = first;
                ++at;
            } else if (running == 0) {
                Fail(at, "data byte " + Hex(first) + " with no status byte before it");
            }
            running = status;
            const uint8_t kind = status & 0xF0;
            const uint8_t dataBytes = kind == 0xC0 || kind == 0xD0 ? 1 : 2;
            Need(at, dataBytes, end, track);
            TickedMessage message{tick, {status, 0, 0}, static_cast<uint8_t>(dataBytes + 1)};
            for (uint8_t k = 0; k < dataBytes; ++k) {
                const uint8_t data = m_bytes[at + k];
                if (data & 0x80)
                    Fail(at + k, "data byte " + Hex(data) + " has its top bit set (a message cut short)");
                message.bytes[k + 1] = data;
            }
            at += dataBytes;
            m_messages.push_back(message);
        }
    }

    void BuildTempoMap() {
        std::stable_sort(m_tempi.begin(), m_tempi.end(),
                         [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
        m_segments.push_back({0, 0.0, kDefaultMicrosecondsPerQuarter});
        for (const TempoChange& change : m_tempi) {
            Segment& last = m_segments.back();
            if (change.tick == last.tick) {
                last.microsecondsPerQuarter = change.microsecondsPerQuarter; // the later one at a tick wins
                continue;
            }
            m_segments.push_back({change.tick, SecondsIn(last, change.tick), change.microsecondsPerQuarter});
        }
    }

    struct Segment {
        int64_t tick;
        double seconds; // at tick
        double microsecondsPerQuarter;
    };

    double SecondsIn(const Segment& segment, int64_t tick) const {
        return segment.seconds + static_cast<double>(tick - segment.tick) * segment.microsecondsPerQuarter /
                                     1e6 / m_ticksPerQuarter;
    }

    double Seconds(int64_t tick) const {
        if (m_secondsPerTick > 0.0) return static_cast<double>(tick) * m_secondsPerTick;
        const auto after = std::upper_bound(m_segments.begin(), m_segments.end(), tick,
                                            [](int64_t t, const Segment& s) { return t < s.tick; });
        return SecondsIn(*(after - 1), tick);
    }

    const std::vector<uint8_t>& m_bytes;
    const std::string& m_name;
    double m_ticksPerQuarter = 0.0;
    double m_secondsPerTick = 0.0; // SMPTE timing; 0 with tempo-based timing
    std::vector<TickedMessage> m_messages;
    std::vector<TempoChange> m_tempi;
    std::vector<Segment> m_segments;
    int64_t m_lastTick = 0;
};
} // namespace

namespace MidiFile {

MidiSequence Parse(const std::vector<uint8_t>& bytes, const std::string& name) {
    return Parser(bytes, name).Run();
}

MidiSequence Read(const std::string& path) { return Parse(FileBytes::Read(path), path); }

} // namespace MidiFile
