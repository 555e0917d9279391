// The gain the feedback loop applies for a Feedback setting.
#pragma once

#include <cmath>
#include <cstdint>

namespace VornikLoopGain {

// Settings up to this magnitude are the loop gain itself.
inline constexpr double kExact = 0.99;
// The gain of full feedback. The sinc read's response peaks 3.5e-5 above 1 (near two
// thirds of Nyquist) and the cubic read's is 1 wherever the read falls on a sample, so a
// loop gain of 1 lets the loop grow, or pile noise up without end. Above kExact the rest of
// the travel is squeezed into kExact … kFull, which keeps the loop decaying.
inline constexpr double kFull = 0.998;

inline double FromSetting(double feedback) noexcept {
    const double magnitude = std::fabs(feedback);
    if (!(magnitude > kExact)) return feedback;
    const double gain = kExact + (std::fmin(magnitude, 1.0) - kExact) * ((kFull - kExact) / (1.0 - kExact));
    return feedback < 0.0 ? -gain : gain;
}

// Maps a block's ramp (value at the first sample, step per sample over `frames`) so that
// both ends become loop gains; a ramp that stays within ±kExact is left as it is.
inline void MapRamp(double& start, double& step, int32_t frames) noexcept {
    const double end = start + step * frames;
    if (!(std::fabs(start) > kExact) && !(std::fabs(end) > kExact)) return;
    const double first = FromSetting(start);
    step = frames > 0 ? (FromSetting(end) - first) / frames : 0.0;
    start = first;
}

} // namespace VornikLoopGain
