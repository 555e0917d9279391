// How long the flanger keeps sounding after its input falls silent: the samples after which
// the answer to a unit impulse stays below -120 dB at the current settings, or "never" when the
// feedback loop does not decay (|Feedback| = 100 %). Hosts that stop processing silent
// plug-ins use it so as not to cut the ringing of the feedback loop.
#pragma once

#include "effect/YBiquadFilter.h"
#include "platform/YSynchronizer.h"

#include <cstdint>

struct VornikTailSettings {
    double SampleRate = 0.0; // the effect's own rate
    double Depth = 1.0;
    double Feedback = 0.0;
    double Jet = 0.0;
    double Saturation = 0.0;
    // The widest range the sweep reaches (the larger of where it is and where it glides to).
    double Range = 1.0;
    // The modulated read's fixed delay at offset 0 (3 samples cubic, 20 sinc).
    int32_t ReadDelay = 3;
    int32_t PreDelay = 1;
    // The dry signal's delay; 0 when it is not delayed.
    int32_t DryDelay = 0;
    YBiquadFilterDesign LowPass;
    YBiquadFilterDesign HighPass;
};

// Computes tails and keeps the filter pair's ring, which takes a run of the filters to find,
// until the designs or the level it is needed to change. Safe to call from several threads.
class VornikTailLength {
public:
    // What the tail is measured down to, relative to a unit impulse.
    static constexpr double kFloor = 1e-6; // -120 dB
    static constexpr int64_t kInfinite = -1;

    // Samples at the effect's rate, or kInfinite.
    int64_t Compute(const VornikTailSettings& settings);
    // Samples until the filter pair's answer to a unit impulse and its state stay below level;
    // at most limit.
    static int64_t FilterDecay(const YBiquadFilterDesign& first, const YBiquadFilterDesign& second,
                               double level, int64_t limit);

private:
    struct FilterRing {
        double Coefficients[10] = {};
        int32_t Decade = -1; // the level is 10^-Decade
        int64_t Limit = 0;
        int64_t Samples = 0;
    };
    int64_t CachedFilterDecay(const YBiquadFilterDesign& first, const YBiquadFilterDesign& second,
                              int32_t decade, int64_t limit);

    YLock m_lock;
    FilterRing m_ring;
};
