// YParameterInterpolation: ramps interpolable host parameters across a block. Before a block
// it compares each interpolable parameter with the value the last block ended on; those that
// moved by more than the threshold are held by their adapter and stepped in equal parts per
// sub-block until they reach the new value at the block's end. Runs on the audio thread: the
// table is built (and its storage reserved) when the index space changes, never while ramping.
#pragma once

#include "core/YParameterIndexSpace.h"

#include <cstdint>
#include <vector>

class YParameterInterpolation {
public:
    // A change smaller than this is applied without a ramp.
    static constexpr double kThreshold = 1e-5;

    explicit YParameterInterpolation(const YParameterIndexSpace& space) noexcept : m_space(space) {}

    // Lists every interpolable parameter of the space (allocates: never on the audio thread);
    // the next block starts from the values it finds.
    void Rebuild();
    // Starts ramps for parameters that moved since the last block; true when any ramp runs
    // (the adapters then hold the ramps' first values).
    bool Prepare(int32_t frames);
    // Advances the ramps after a sub-block of frames samples.
    void Advance(int32_t frames);
    // Ends the ramps at their targets.
    void Finish();
    // Takes the current values as the starting point without ramping.
    void Sync();
    // The next block starts from the values it finds instead of ramping.
    void Reset() noexcept { m_reset = true; }

private:
    struct Record {
        int32_t Adapter = 0;
        int32_t Local = 0;
        double Previous = 0.0;
        double Target = 0.0;
        double Current = 0.0;
        double Step = 0.0;
        bool Active = false;
    };

    YParameterIndexSpace::Adapter& AdapterOf(const Record& r) const noexcept {
        return m_space[static_cast<size_t>(r.Adapter)];
    }

    const YParameterIndexSpace& m_space;
    std::vector<Record> m_records;
    std::vector<int32_t> m_inUse; // records ramping in this block
    bool m_reset = true;
};
