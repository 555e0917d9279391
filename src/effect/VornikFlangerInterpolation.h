// Reading the swept line between samples: Catmull-Rom cubic (one ring, or two rings in one
// register) and the 37-tap windowed sinc.
#pragma once

#include "effect/VornikFlangerBasics.h"
#include "effect/YVibrato.h"

#include <cstdint>

// Internal to the translation unit that includes it, as the kernels were when they shared
// one file: the compiler sees every caller, so it inlines and specialises them freely.
namespace VornikFlanger {
namespace {

// Catmull-Rom between d[i] and d[i + 1] of a ring of S samples, single precision.
inline float CubicAt(const float* d, int32_t S, int32_t i, float t) noexcept {
    float xm1, x0, x1, x2;
    if (i >= 1 && i + 2 < S) {
        xm1 = d[i - 1];
        x0 = d[i];
        x1 = d[i + 1];
        x2 = d[i + 2];
    } else {
        xm1 = d[i == 0 ? S - 1 : i - 1];
        x0 = d[i];
        x1 = d[(i + 1) % S];
        x2 = d[(i + 2) % S];
    }
    return ((((x0 - x1) * 3.0f - xm1 + x2) * 0.5f * t + (2.0f * x1 + xm1 - (5.0f * x0 + x2) * 0.5f)) * t +
            (x1 - xm1) * 0.5f) *
               t +
           x0;
}

// CubicAt on two rings at once, the same operations on each.
inline Floats2 CubicPair(const float* d0, const float* d1, int32_t S, int32_t i, float t) noexcept {
    if (!(i >= 1 && i + 2 < S)) return Floats2{CubicAt(d0, S, i, t), CubicAt(d1, S, i, t)};
    const Floats2 xm1 = {d0[i - 1], d1[i - 1]}, x0 = {d0[i], d1[i]};
    const Floats2 x1 = {d0[i + 1], d1[i + 1]}, x2 = {d0[i + 2], d1[i + 2]};
    const Floats2 tt = {t, t};
    return ((((x0 - x1) * 3.0f - xm1 + x2) * 0.5f * tt + (2.0f * x1 + xm1 - (5.0f * x0 + x2) * 0.5f)) * tt +
            (x1 - xm1) * 0.5f) *
               tt +
           x0;
}

inline void CubicTwins(const float* d0, const float* d1, int32_t S, int32_t i, float t, float& y0,
                       float& y1) noexcept {
    const Floats2 y = CubicPair(d0, d1, S, i, t);
    y0 = y[0];
    y1 = y[1];
}

// 37-tap windowed sinc. The kernel h(d) is the table read linearly at 128·d; since every
// k ± t is exact in double here, 128(k + t) splits into 128k + trunc(128t) with the same
// fraction for every tap, which is what makes the weights cheap. w[m] weighs the sample
// m − 18 places from the centre.
constexpr int32_t kSincTaps = 2 * YAudioFilters::kSincHalfTaps + 1;

inline void SincWeights(double t, const double* table, double* w) noexcept {
    constexpr int32_t H = YAudioFilters::kSincHalfTaps;
    const double s = t * YAudioFilters::kSincResolution;
    const int32_t J = static_cast<int32_t>(s);
    const double f = s - J;
    const double g = 1.0 - f;
    // Past side, distances k + t: g·T[128k + J] + f·T[128k + J + 1].
    const double* past = table + J;
    for (int32_t k = 0; k <= H; ++k) w[H - k] = g * past[128 * k] + f * past[128 * k + 1];
    // Future side, distances k − t: f·T[128k − J − 1] + g·T[128k − J].
    const double* future = table - J - 1;
    for (int32_t k = 1; k <= H; ++k) w[H + k] = f * future[128 * k] + g * future[128 * k + 1];
}

// The 37 samples around ring index i, in place when they do not wrap.
inline const float* SincTaps(const float* d, int32_t S, int32_t i, float* gathered) noexcept {
    constexpr int32_t H = YAudioFilters::kSincHalfTaps;
    if (S >= kSincTaps && i >= H && i + H < S) return d + (i - H);
    int32_t j = i - H;
    while (j < 0) j += S;
    for (int32_t m = 0; m < kSincTaps; ++m) {
        gathered[m] = d[j];
        if (++j >= S) j = 0;
    }
    return gathered;
}

// Σ x[m]·w[m] in double, in four interleaved partial sums (two pairs).
inline float SincDot(const float* x, const double* w) noexcept {
    typedef double Pair __attribute__((vector_size(16)));
    Pair a = {0.0, 0.0}, b = {0.0, 0.0};
    for (int32_t m = 0; m + 3 < kSincTaps; m += 4) {
        const Pair x0 = {static_cast<double>(x[m]), static_cast<double>(x[m + 1])};
        const Pair x1 = {static_cast<double>(x[m + 2]), static_cast<double>(x[m + 3])};
        const Pair w0 = {w[m], w[m + 1]};
        const Pair w1 = {w[m + 2], w[m + 3]};
        a += x0 * w0;
        b += x1 * w1;
    }
    const double last = static_cast<double>(x[kSincTaps - 1]) * w[kSincTaps - 1];
    return static_cast<float>(((a[0] + a[1]) + (b[0] + b[1])) + last);
}

inline float SincAt(const float* d, int32_t S, int32_t i, double t, const double* table) noexcept {
    float gathered[kSincTaps];
    double w[kSincTaps];
    SincWeights(t, table, w);
    return SincDot(SincTaps(d, S, i, gathered), w);
}

} // namespace
} // namespace VornikFlanger
