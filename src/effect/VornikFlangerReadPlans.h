// Where the swept line is read: one position at a time while the range glides, or planned
// for a whole chunk (from an LFO block, or straight from the LFO table with SSE2) while it
// holds still.
#pragma once

#include "effect/VornikFlangerBasics.h"
#include "effect/VornikFlangerLanes.h"
#include "effect/VornikFlangerLfo.h"
#include "modulation/YSignalGenerator.h"

#include <cstdint>
#include <cstring>
#include <emmintrin.h>

// Internal to the translation unit that includes it, as the kernels were when they shared
// one file: the compiler sees every caller, so it inlines and specialises them freely.
namespace VornikFlanger {
namespace {

inline int32_t LineIndex(const Ring& line, const Shared& sh, double offset, double& t) noexcept {
    double p = offset + sh.HalfMargin + sh.TwiceReserve;
    if (!(p >= 0.0)) p = 0.0;
    const double limit = static_cast<double>(line.Length);
    if (p > limit) p = limit;
    const int32_t k = static_cast<int32_t>(p);
    t = p - k;
    int32_t i = k + line.Position;
    if (i >= line.Length) i -= line.Length;
    if (i >= line.Length) i -= line.Length;
    return i;
}

// The longest chunk the passes are given.
constexpr int32_t kPassChunk = 256;

// Where reads land: whole parts and fractions, for a line of Limit samples.
struct ReadPlan {
    double Range, HalfMargin, TwiceReserve, Limit;
    int32_t* Whole;
    double* Fraction;
};

// One read position of PlanReads.
inline void PlanOne(const ReadPlan& plan, double m, int32_t i) noexcept {
    double p = (m - 1.0) * plan.Range + plan.HalfMargin + plan.TwiceReserve;
    p = p >= 0.0 ? p : 0.0;
    p = p > plan.Limit ? plan.Limit : p;
    const auto k = static_cast<int32_t>(p);
    plan.Whole[i] = k;
    plan.Fraction[i] = p - k;
}

// While the range holds still, the read positions relative to the write position depend on
// the LFO alone: worked out for the whole chunk in one loop that vectorises, the same
// arithmetic as LineIndex.
inline void PlanReads(const double* modulation, int32_t count, double range, const Shared& sh, int32_t length,
                      int32_t* whole, double* fraction) noexcept {
    typedef int32_t IndexPair __attribute__((vector_size(8)));
    const double limit = static_cast<double>(length);
    int32_t i = 0;
    for (; i + 1 < count; i += 2) {
        const Pair m = {modulation[i], modulation[i + 1]};
        Pair p = (m - Both(1.0)) * Both(range) + Both(sh.HalfMargin) + Both(sh.TwiceReserve);
        p = p >= Both(0.0) ? p : Both(0.0);
        p = p > Both(limit) ? Both(limit) : p;
        const IndexPair k = __builtin_convertvector(p, IndexPair);
        const Pair t = p - __builtin_convertvector(k, Pair);
        whole[i] = k[0];
        whole[i + 1] = k[1];
        fraction[i] = t[0];
        fraction[i + 1] = t[1];
    }
    for (; i < count; ++i) {
        double p = (modulation[i] - 1.0) * range + sh.HalfMargin + sh.TwiceReserve;
        p = p >= 0.0 ? p : 0.0;
        p = p > limit ? limit : p;
        const auto k = static_cast<int32_t>(p);
        whole[i] = k;
        fraction[i] = p - k;
    }
}

// PlanReads of the limited LFO block that FillModulation would make, without the block: the
// same steps, two positions at a time. Limiting and keeping inside the line are written as
// maximum and minimum, which give the same values here: the LFO's −1 … 1 are compared as the
// scalar code does (a NaN becomes −1), and the read position is a finite sum ending in the
// positive 2R, so never −0 or NaN.
void PlanFromLfo(const float* table, double origin, double increment, double scale, int32_t first, int32_t n,
                 double range, const Shared& sh, int32_t length, int32_t* whole, double* fraction) noexcept {
    constexpr int32_t N = YSignalGenerator::kTableLength;
    const double limit = static_cast<double>(length);
    const double s0 = (origin + static_cast<double>(first) * increment) * scale;
    const double s1 = (origin + static_cast<double>(first + n - 1) * increment) * scale;
    int32_t i = 0;
    if (s0 >= 0.0 && s1 >= 0.0 && s0 < 2147483647.0 && s1 < 2147483647.0) {
        const __m128d o = _mm_set1_pd(origin), d = _mm_set1_pd(increment), sc = _mm_set1_pd(scale);
        const __m128d low = _mm_set1_pd(-1.0), one = _mm_set1_pd(1.0), zero = _mm_setzero_pd();
        const __m128d r = _mm_set1_pd(range), halfMargin = _mm_set1_pd(sh.HalfMargin);
        const __m128d twiceReserve = _mm_set1_pd(sh.TwiceReserve), end = _mm_set1_pd(limit);
        const __m128i mask = _mm_set1_epi32(N - 1);
        const __m128 ones = _mm_set1_ps(1.0f);
        __m128d index = _mm_set_pd(static_cast<double>(first + 1), static_cast<double>(first));
        const __m128d two = _mm_set1_pd(2.0);
        for (; i + 1 < n; i += 2) {
            const __m128d s = _mm_mul_pd(_mm_add_pd(o, _mm_mul_pd(index, d)), sc);
            index = _mm_add_pd(index, two);
            const __m128i k = _mm_cvttpd_epi32(s);
            const __m128 f = _mm_cvtpd_ps(_mm_sub_pd(s, _mm_cvtepi32_pd(k)));
            const __m128i j = _mm_and_si128(k, mask);
            const int32_t j0 = _mm_cvtsi128_si32(j), j1 = _mm_cvtsi128_si32(_mm_shuffle_epi32(j, 1));
            // table[j] and table[j + 1] of both positions: a in the low half, b in the high half.
            // Each pair is copied as one double (one load), which need not be aligned as one.
            double bits0, bits1;
            std::memcpy(&bits0, table + j0, sizeof bits0);
            std::memcpy(&bits1, table + j1, sizeof bits1);
            const __m128 pair0 = _mm_castpd_ps(_mm_set_sd(bits0));
            const __m128 pair1 = _mm_castpd_ps(_mm_set_sd(bits1));
            const __m128 a = _mm_unpacklo_ps(pair0, pair1);
            const __m128 b = _mm_movehl_ps(a, a);
            const __m128 v = _mm_add_ps(_mm_mul_ps(_mm_sub_ps(ones, f), a), _mm_mul_ps(f, b));
            const __m128d m = _mm_min_pd(_mm_max_pd(_mm_cvtps_pd(v), low), one);
            __m128d p = _mm_add_pd(_mm_add_pd(_mm_mul_pd(_mm_sub_pd(m, one), r), halfMargin), twiceReserve);
            p = _mm_min_pd(_mm_max_pd(p, zero), end);
            const __m128i w = _mm_cvttpd_epi32(p);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(whole + i), w);
            _mm_storeu_pd(fraction + i, _mm_sub_pd(p, _mm_cvtepi32_pd(w)));
        }
    }
    const ReadPlan plan{range, sh.HalfMargin, sh.TwiceReserve, limit, whole, fraction};
    for (; i < n; ++i) {
        const double s = (origin + static_cast<double>(first + i) * increment) * scale;
        PlanOne(plan, LimitModulation(LfoLookup(table, s)), i);
    }
}

} // namespace
} // namespace VornikFlanger
