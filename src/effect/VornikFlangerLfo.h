// The LFO as the fast path reads it: the generator's table lookup, whole chunks of limited
// LFO values, and the Jet gains of a chunk whose Jet settings hold still.
#pragma once

#include "effect/VornikFlangerBasics.h"
#include "effect/VornikFlangerLanes.h"
#include "modulation/YSignalGenerator.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

// Internal to the translation unit that includes it, as the kernels were when they shared
// one file: the compiler sees every caller, so it inlines and specialises them freely.
namespace VornikFlanger {
namespace {

// The generator's table lookup (linear between entries), as the generator does it.
inline double LfoLookup(const float* table, double s) noexcept {
    constexpr int32_t N = YSignalGenerator::kTableLength;
    if (!(s >= 0.0 && s < 1e15)) {
        if (!std::isfinite(s)) return table[0];
        s = std::fmod(s, static_cast<double>(N));
        if (s < 0.0) s += N;
    }
    const auto i = static_cast<int64_t>(s);
    const auto f = static_cast<float>(s - static_cast<double>(i));
    const auto k = static_cast<size_t>(i & (N - 1));
    return (1.0f - f) * table[k] + f * table[k + 1];
}

// values[i] = the lookup at (origin + (first + i)·increment)·scale, limited with kLimit. The
// positions are monotonic in i, so when both ends lie in 0 … 2^31 all do, and the loop needs no
// range checks; inside that range it computes what LfoLookup does.
template <bool kLimit>
void FillModulation(double* values, const float* table, double origin, double increment, double scale,
                    int32_t first, int32_t n) noexcept {
    constexpr int32_t N = YSignalGenerator::kTableLength;
    const double s0 = (origin + static_cast<double>(first) * increment) * scale;
    const double s1 = (origin + static_cast<double>(first + n - 1) * increment) * scale;
    if (s0 >= 0.0 && s1 >= 0.0 && s0 < 2147483647.0 && s1 < 2147483647.0) {
        // Two positions at a time, each through the scalar steps.
        typedef double Doubles2 __attribute__((vector_size(16)));
        typedef float Singles2 __attribute__((vector_size(8)));
        typedef int32_t Ints2 __attribute__((vector_size(8)));
        const Doubles2 o = {origin, origin}, d = {increment, increment}, sc = {scale, scale};
        int32_t i = 0;
        for (; i + 1 < n; i += 2) {
            const Doubles2 index = {static_cast<double>(first + i), static_cast<double>(first + i + 1)};
            const Doubles2 s = (o + index * d) * sc;
            const Ints2 k = __builtin_convertvector(s, Ints2);
            const Singles2 f = __builtin_convertvector(s - __builtin_convertvector(k, Doubles2), Singles2);
            const Ints2 j = k & (N - 1);
            const Singles2 a = {table[j[0]], table[j[1]]}, b = {table[j[0] + 1], table[j[1] + 1]};
            Doubles2 v = __builtin_convertvector((1.0f - f) * a + f * b, Doubles2);
            if constexpr (kLimit) {
                // LimitModulation: below −1 or NaN gives −1, above 1 gives 1.
                const Doubles2 low = {-1.0, -1.0}, high = {1.0, 1.0};
                v = v >= low ? v : low;
                v = v > high ? high : v;
            }
            values[i] = v[0];
            values[i + 1] = v[1];
        }
        for (; i < n; ++i) {
            const double s = (origin + static_cast<double>(first + i) * increment) * scale;
            const auto k = static_cast<int32_t>(s);
            const auto f = static_cast<float>(s - static_cast<double>(k));
            const int32_t j = k & (N - 1);
            const double v = (1.0f - f) * table[j] + f * table[j + 1];
            values[i] = kLimit ? LimitModulation(v) : v;
        }
    } else {
        for (int32_t i = 0; i < n; ++i) {
            const double v = LfoLookup(table, (origin + static_cast<double>(first + i) * increment) * scale);
            values[i] = kLimit ? LimitModulation(v) : v;
        }
    }
}

// Jet gains for a chunk with Jet and Jet phase steady: the lookups at positions that move by
// the same step each sample, so both ends bound them all.
void PlanJet(double origin, int32_t first, int32_t count, double jet, double jetPhase, const Shared& sh,
             double* gains) noexcept {
    constexpr int32_t N = YSignalGenerator::kTableLength;
    const double s0 = (origin + (first + 1) * sh.Increment + jetPhase) * sh.LfoScale;
    const double s1 = (origin + (first + count) * sh.Increment + jetPhase) * sh.LfoScale;
    const bool inside = s0 >= 0.0 && s1 >= 0.0 && s0 < 2147483647.0 && s1 < 2147483647.0;
    const double lift = jet >= 0.0 ? 1.0 : 0.0;
    for (int32_t i = 0; i < count; ++i) {
        const double s = (origin + (first + i + 1) * sh.Increment + jetPhase) * sh.LfoScale;
        double u;
        if (inside) {
            const auto k = static_cast<int32_t>(s);
            const auto f = static_cast<float>(s - static_cast<double>(k));
            const int32_t j = k & (N - 1);
            u = (1.0f - f) * sh.LfoTable[j] + f * sh.LfoTable[j + 1];
        } else {
            u = LfoLookup(sh.LfoTable, s);
        }
        double q = (u + 1.0) * 0.5;
        if (lift != 0.0) q -= 1.0;
        gains[i] = 1.0 + q * jet;
    }
}

} // namespace
} // namespace VornikFlanger
