// The wet input of a chunk: pre-delay, low-pass and high-pass filters and the saturator, one
// channel at a time or two channels in one register.
#pragma once

#include "effect/VornikFlangerBasics.h"
#include "effect/VornikFlangerLanes.h"
#include "effect/YBiquadFilter.h"
#include "effect/YSaturationCurve.h"

#include <cstdint>

// Internal to the translation unit that includes it, as the kernels were when they shared
// one file: the compiler sees every caller, so it inlines and specialises them freely.
namespace VornikFlanger {
namespace {

// The saturation amount at sample i of the piece; with no step it is the amount itself.
inline double SaturationAt(const Shared& sh, int32_t i) noexcept { return sh.SaturationAmount + i * sh.SaturationStep; }

template <int N, bool kSaturate>
void WetPass(Lane* lanes, int32_t first, int32_t count, const Shared& sh) noexcept {
    const YBiquadFilterDesign& lowPass = *sh.LowPass;
    const YBiquadFilterDesign& highPass = *sh.HighPass;
    Ring pre[N];
    YBiquadFilterState lp[N], hp[N];
    for (int l = 0; l < N; ++l) {
        pre[l] = lanes[l].PreDelay;
        lp[l] = lanes[l].LowPass;
        hp[l] = lanes[l].HighPass;
    }
    for (int32_t i = 0; i < count; ++i) {
        for (int l = 0; l < N; ++l) {
            const float p = pre[l].PushPop(lanes[l].Input[i]);
            double v = static_cast<double>(p + kInputGuard);
            v = lowPass.Process(v, lp[l]);
            if constexpr (kSaturate) v += kFilterGuard;
            v = highPass.Process(v, hp[l]);
            if constexpr (kSaturate) {
                const double y = sh.Curve->Evaluate(v);
                const double e = y - v;
                const double amount = SaturationAt(sh, first + i);
                v = amount * (y + sh.EvenHarmonics * (e * e)) + (1.0 - amount) * v;
            }
            lanes[l].Wet[i] = static_cast<float>(v);
        }
    }
    for (int l = 0; l < N; ++l) {
        lanes[l].PreDelay = pre[l];
        lanes[l].LowPass = lp[l];
        lanes[l].HighPass = hp[l];
    }
}

inline Pair FilterPair(const YBiquadFilterDesign& d, Pair x, Pair& z1, Pair& z2) noexcept {
    const Pair y = Both(d.B0()) * x + z1;
    z1 = Both(d.B1()) * x + z2 + Both(d.MinusA1()) * y;
    z2 = Both(d.B2()) * x + Both(d.MinusA2()) * y;
    return y;
}

// The curve's constants for SaturatePair, taken out of the loop.
struct CurvePair {
    Pair Threshold, Normalization, InputScale, OutputScale;
    bool ThresholdAtZero;

    explicit CurvePair(const YSaturationCurve& c) noexcept
        : Threshold(Both(c.Threshold())), Normalization(Both(c.Normalization())),
          InputScale(Both(c.InputScale())), OutputScale(Both(c.OutputScale())),
          ThresholdAtZero(c.Threshold() == 0.0) {}
};

// YSaturationCurve::Evaluate on two values. With the threshold at 0 (the flanger's curve) its
// terms drop out exactly: a − 0 = a, c + 0 = c, and no magnitude lies below 0.
template <bool kAtZero> inline Pair SaturatePair(const CurvePair& k, Pair v) noexcept {
    const Pair zero = Both(0.0), one = Both(1.0);
    const Pair a = v < zero ? -v : v;
    const Pair u = (kAtZero ? a : a - k.Threshold) * k.InputScale;
    const Pair u2 = u * u;
    const Pair c = u * (Both(27.0) + u2) / (Both(27.0) + Both(9.0) * u2) * k.OutputScale;
    Pair inside;
    if constexpr (kAtZero)
        inside = c * k.Normalization;
    else
        inside = a < k.Threshold ? a * k.Normalization : (c + k.Threshold) * k.Normalization;
    const Pair y = a >= one ? one : inside;
    return v < zero ? -y : y;
}

// Longest chunk a wet pass is given.
constexpr int32_t kWetPassChunk = 256;

template <bool kSaturate, bool kAtZero>
void WetPassPairT(Lane* lanes, int32_t first, int32_t count, const Shared& sh) noexcept {
    const YBiquadFilterDesign& lowPass = *sh.LowPass;
    const YBiquadFilterDesign& highPass = *sh.HighPass;
    const CurvePair curve(*sh.Curve);
    const Pair evenHarmonics = Both(sh.EvenHarmonics);
    Ring pre0 = lanes[0].PreDelay, pre1 = lanes[1].PreDelay;
    Pair lz1 = {lanes[0].LowPass.Z1, lanes[1].LowPass.Z1}, lz2 = {lanes[0].LowPass.Z2, lanes[1].LowPass.Z2};
    Pair hz1 = {lanes[0].HighPass.Z1, lanes[1].HighPass.Z1},
         hz2 = {lanes[0].HighPass.Z2, lanes[1].HighPass.Z2};
    const float* in0 = lanes[0].Input;
    const float* in1 = lanes[1].Input;
    float* wet0 = lanes[0].Wet;
    float* wet1 = lanes[1].Wet;
    if constexpr (kSaturate) {
        // The filters are a chain of recursions; the curve is not. Two loops let each run at
        // its own pace instead of the curve's division queueing behind the recursion.
        Pair filtered[kWetPassChunk];
        for (int32_t i = 0; i < count; ++i) {
            const float p0 = pre0.PushPop(in0[i]);
            const float p1 = pre1.PushPop(in1[i]);
            Pair v = {static_cast<double>(p0 + kInputGuard), static_cast<double>(p1 + kInputGuard)};
            v = FilterPair(lowPass, v, lz1, lz2);
            v += Both(kFilterGuard);
            filtered[i] = FilterPair(highPass, v, hz1, hz2);
        }
        for (int32_t i = 0; i < count; ++i) {
            const Pair v = filtered[i];
            const Pair y = SaturatePair<kAtZero>(curve, v);
            const Pair e = y - v;
            const double a = SaturationAt(sh, first + i);
            const Pair w = Both(a) * (y + evenHarmonics * (e * e)) + Both(1.0 - a) * v;
            wet0[i] = static_cast<float>(w[0]);
            wet1[i] = static_cast<float>(w[1]);
        }
    } else {
        for (int32_t i = 0; i < count; ++i) {
            const float p0 = pre0.PushPop(in0[i]);
            const float p1 = pre1.PushPop(in1[i]);
            Pair v = {static_cast<double>(p0 + kInputGuard), static_cast<double>(p1 + kInputGuard)};
            v = FilterPair(lowPass, v, lz1, lz2);
            v = FilterPair(highPass, v, hz1, hz2);
            wet0[i] = static_cast<float>(v[0]);
            wet1[i] = static_cast<float>(v[1]);
        }
    }
    lanes[0].PreDelay = pre0;
    lanes[1].PreDelay = pre1;
    lanes[0].LowPass = {lz1[0], lz2[0]};
    lanes[1].LowPass = {lz1[1], lz2[1]};
    lanes[0].HighPass = {hz1[0], hz2[0]};
    lanes[1].HighPass = {hz1[1], hz2[1]};
}

template <bool kSaturate> void WetPassPair(Lane* lanes, int32_t first, int32_t count, const Shared& sh) noexcept {
    if (sh.Curve->Threshold() == 0.0)
        WetPassPairT<kSaturate, true>(lanes, first, count, sh);
    else
        WetPassPairT<kSaturate, false>(lanes, first, count, sh);
}

// first: the chunk's first sample within the piece.
using WetRunner = void (*)(Lane*, int32_t first, int32_t count, const Shared&) noexcept;

} // namespace
} // namespace VornikFlanger
