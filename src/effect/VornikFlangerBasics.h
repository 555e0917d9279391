// The flanger's arithmetic shared by its reference loop and its fast path: the guards that
// keep the filter recursions out of denormals, the limits of the LFO and the mix gains, and
// the two-lane vector types the paired kernels compute in.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

// Internal to the translation unit that includes it, as the kernels were when they shared
// one file: the compiler sees every caller, so it inlines and specialises them freely.
namespace VornikFlanger {
namespace {

// Added to the wet input before the filters (and again between them when saturating) so that
// the double-precision recursions never sink into denormals.
constexpr float kInputGuard = 1e-15f;
constexpr double kFilterGuard = static_cast<double>(1e-15f);

// LFO value limited to −1 … 1; NaN reads as −1 so that the read position stays inside.
inline double LimitModulation(double l) noexcept {
    if (!(l >= -1.0)) return -1.0;
    return l > 1.0 ? 1.0 : l;
}

// Read position p = (offset + trunc(M/2)) + 2R, kept inside the line; returns the whole part

inline double WetGain(double depth) noexcept { return std::clamp(depth, -1.0, 1.0); }
inline double DryGain(double depth) noexcept { return std::min(2.0 - std::fabs(depth), 1.0); }

// Two single- or double-precision lanes in one register. Each lane goes through the same
// operations as the scalar code, so the paired kernels give the scalar numbers.
typedef float Floats2 __attribute__((vector_size(8)));
typedef double Pair __attribute__((vector_size(16)));

inline Pair Both(double x) noexcept { return Pair{x, x}; }

} // namespace
} // namespace VornikFlanger
