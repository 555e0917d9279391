// YSettingsMorph: mixes four settings, the corners of a square, by a position (x, y) in 0 ... 1.
// Corner 0 sits at (0, 0), 1 at (1, 0), 2 at (0, 1) and 3 at (1, 1). A continuous value mixes
// bilinearly in its normalised space; a switch or an enumeration takes the nearest corner,
// where a coordinate of exactly 0.5 counts as the far side (halfway rounds up, as banks do).
// The table is built on the GUI side; Mix runs on any thread and never allocates.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

class YSettingsMorph {
public:
    static constexpr int32_t kCorners = 4;

    enum class Rule : uint8_t { Bilinear, Nearest };

    struct Entry {
        int32_t HostIndex = 0;
        Rule Mixing = Rule::Bilinear;
        std::array<double, kCorners> Corner{}; // normalised values
    };

    // The corner whose quadrant holds (x, y).
    static int32_t NearestCorner(double x, double y) noexcept;
    // The four bilinear weights; at a corner exactly one of them is 1 and the others 0.
    static std::array<double, kCorners> Weights(double x, double y) noexcept;
    // The mixed normalised value of one entry; a corner gives its own value bit for bit.
    static double Mix(const Entry& entry, double x, double y) noexcept;

    std::vector<Entry>& Entries() noexcept { return m_entries; }
    const std::vector<Entry>& Entries() const noexcept { return m_entries; }
    void Swap(YSettingsMorph& other) noexcept { m_entries.swap(other.m_entries); }

private:
    std::vector<Entry> m_entries;
};
