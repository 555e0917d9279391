// Builds Standard MIDI Files byte by byte for the tests, so that no fixture file is needed.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace MidiBytes {

inline void Append(std::vector<uint8_t>& out, std::initializer_list<int> bytes) {
    for (int b : bytes) out.push_back(static_cast<uint8_t>(b));
}

// A variable-length quantity: seven bits a byte, high bit on all but the last.
inline std::vector<uint8_t> Number(uint32_t value) {
    std::vector<uint8_t> out{static_cast<uint8_t>(value & 0x7F)};
    while (value >>= 7) out.insert(out.begin(), static_cast<uint8_t>(0x80 | (value & 0x7F)));
    return out;
}

inline void Big32(std::vector<uint8_t>& out, uint32_t v) {
    Append(out, {int(v >> 24), int(v >> 16 & 0xFF), int(v >> 8 & 0xFF), int(v & 0xFF)});
}

// A track's events: each starts with its delta time.
class Track {
public:
    Track& Event(uint32_t delta, std::initializer_list<int> bytes) {
        const std::vector<uint8_t> d = Number(delta);
        m_body.insert(m_body.end(), d.begin(), d.end());
        Append(m_body, bytes);
        return *this;
    }
    Track& Tempo(uint32_t delta, uint32_t microsecondsPerQuarter) {
        return Event(delta, {0xFF, 0x51, 0x03, int(microsecondsPerQuarter >> 16),
                             int(microsecondsPerQuarter >> 8 & 0xFF), int(microsecondsPerQuarter & 0xFF)});
    }
    Track& End(uint32_t delta = 0) { return Event(delta, {0xFF, 0x2F, 0x00}); }
    const std::vector<uint8_t>& Body() const { return m_body; }

private:
    std::vector<uint8_t> m_body;
};

inline std::vector<uint8_t> File(int format, int division, const std::vector<Track>& tracks) {
    std::vector<uint8_t> out{'M', 'T', 'h', 'd', 0, 0, 0, 6};
    Append(out, {0, format, int(tracks.size() >> 8), int(tracks.size() & 0xFF), division >> 8 & 0xFF,
                 division & 0xFF});
    for (const Track& track : tracks) {
        Append(out, {'M', 'T', 'r', 'k'});
        Big32(out, static_cast<uint32_t>(track.Body().size()));
        out.insert(out.end(), track.Body().begin(), track.Body().end());
    }
    return out;
}

} // namespace MidiBytes
