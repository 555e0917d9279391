// What the fast path's passes share: a ring as a pointer, length and position, one channel
// (lane) of a chunk, the ramps reached so far and the block's fixed values.
#pragma once

#include "effect/YBiquadFilter.h"
#include "effect/YSaturationCurve.h"

#include <cstdint>

// Internal to the translation unit that includes it, as the kernels were when they shared
// one file: the compiler sees every caller, so it inlines and specialises them freely.
namespace VornikFlanger {
namespace {

struct Ring {
    float* Data = nullptr;
    int32_t Length = 1;
    int32_t Position = 0;

    float PushPop(float x) noexcept {
        const float y = Data[Position];
        Data[Position] = x;
        if (++Position >= Length) Position = 0;
        return y;
    }
};

// One channel as the passes see it.
struct Lane {
    const float* Input = nullptr;       // at the chunk start
    float* Output = nullptr;            // at the chunk start
    const double* Modulation = nullptr; // limited LFO values of the chunk
    float* Wet = nullptr;               // float(v) of the chunk
    Ring PreDelay, Line, Dry;
    YBiquadFilterState LowPass, HighPass;
    double JetOrigin = 0.0;
};

// Ramps and glide where a chunk starts; every pair starts the chunk from the same values and
// reaches the same ones.
struct Progress {
    double Depth, Feedback, Jet, JetPhase, Range, RangeStep;
};

struct Shared {
    const YBiquadFilterDesign* LowPass;
    const YBiquadFilterDesign* HighPass;
    const YSaturationCurve* Curve;
    // The saturation amount at the piece's first sample and its step per sample.
    double SaturationAmount, SaturationStep, EvenHarmonics;
    double DepthStep, FeedbackStep, JetStep, JetPhaseStep, RangeTarget;
    double HalfMargin, TwiceReserve;
    const float* LfoTable;
    double LfoScale, Increment;
    const double* SincTable;
};

} // namespace
} // namespace VornikFlanger
