// YRangeMapping: how a control position moves one target parameter. Multiparameter targets and
// MIDI controller slots both go through here, so the two can never disagree.
#pragma once

#include <cstdint>

// How the interval of a target is placed (stored as its index under "FullRange").
enum YRangeMode : int32_t {
    kRangeUpAndDown = 0,
    kRangeFullRange = 1,
    kRangeUpOnly = 2,
    kRangeDownOnly = 3,
    kRangeInterval = 4,
};

// A target's range, all values normalised to 0..1.
struct YRange {
    static constexpr int32_t kModeCount = 5;

    double Value = 0.5;    // centre (or start)
    double MaxValue = 1.0; // end of the Interval mode
    double Range = 1.0;    // size of the interval
    int32_t Mode = kRangeUpAndDown;
    bool Invert = false;

    // Names as the editors show them, in mode order; nullptr outside the table.
    static const char* ModeName(int32_t mode) noexcept;
    // Out-of-table modes become the nearest one in the table.
    static int32_t ClampMode(int32_t mode) noexcept;

    // The normalised target value for t in -1..1 (t = 2p - 1 of a position p); Invert negates
    // t first. Never allocates; a mode outside the table maps as the nearest one.
    double Map(double t) const noexcept;
    // The same from a position p in 0..1.
    double MapPosition(double p) const noexcept { return Map(2.0 * p - 1.0); }
};
