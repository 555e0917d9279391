#include "effect/VornikAudioEffectPlugin.h"

#include "foundation/YException.h"
#include "foundation/YXMLItem.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <emmintrin.h>
#include <utility>

namespace {

// Added to the wet input before the filters (and again between them when saturating) so that
// the double-precision recursions never sink into denormals.
constexpr float kInputGuard = 1e-15f;
constexpr double kFilterGuard = static_cast<double>(1e-15f);
// Smaller differences count as no change.
constexpr double kChangeEpsilon = 1e-50;
// A modulated line whose samples all stay below this is silent.
constexpr float kSilence = 1e-20f;

constexpr double kLog10Of20Hz = 1.3010299956639813;
constexpr double kLog10Of20kHz = 4.301029995663981;
constexpr double kLog10Of40Hz = 1.6020599913279625;

constexpr double kFilterQ = 0.7;
constexpr int32_t kSincDryDelay = 18;
constexpr int32_t kCubicDryDelay = 1;

} // namespace

// ---------------------------------------------------------------------------------------------
// The per-sample loop

struct VornikAudioEffectPlugin::ChannelBlock {
    const float* Input = nullptr;
    float* Output = nullptr;
    const double* Modulation = nullptr; // the declicked LFO values of this channel
    int32_t Frames = 0;

    // The swept line's storage and length, and the read origin's two terms.
    float* Line = nullptr;
    int32_t LineLength = 1;
    double HalfMargin = 0.0;   // trunc(margin / 2)
    double TwiceReserve = 0.0; // 2R

    const YBiquadFilterDesign* LowPass = nullptr;
    const YBiquadFilterDesign* HighPass = nullptr;
    YBiquadFilterState LowPassState;
    YBiquadFilterState HighPassState;

    // Ramps: value at the first sample and step per sample.
    double Depth = 1.0, DepthStep = 0.0;
    double Feedback = 0.0, FeedbackStep = 0.0;
    double Jet = 0.0, JetStep = 0.0;
    double JetPhase = 0.0, JetPhaseStep = 0.0;
    // Range glide: current value, step and target (the values reached are written back).
    double Range = 1.0, RangeStep = 0.0, RangeTarget = 1.0;

    // Jet reads the generator at JetOrigin + (i + 1)·Increment + Jet phase.
    const YSignalGenerator* Generator = nullptr;
    double JetOrigin = 0.0;
    double Increment = 0.0;

    const YSaturationCurve* Curve = nullptr;
    double SaturationAmount = 0.0, SaturationComplement = 1.0, EvenHarmonics = 1.0;

    bool Sinc = false;
    bool Saturate = false;
    bool JetActive = false;
    bool DryDelay = false;
};

namespace {

using ChannelBlock = VornikAudioEffectPlugin::ChannelBlock;

// LFO value limited to −1 … 1; NaN reads as −1 so that the read position stays inside.
inline double LimitModulation(double l) noexcept {
    if (!(l >= -1.0)) return -1.0;
    return l > 1.0 ? 1.0 : l;
}

// Read position p = (offset + trunc(M/2)) + 2R, kept inside the line; returns the whole part
// as a ring index (added to the write position) and the fraction in t.
inline int32_t ReadIndex(const ChannelBlock& b, int32_t position, double offset, double& t) noexcept {
    double p = offset + b.HalfMargin + b.TwiceReserve;
    if (!(p >= 0.0)) p = 0.0;
    const double limit = static_cast<double>(b.LineLength);
    if (p > limit) p = limit;
    const int32_t k = static_cast<int32_t>(p);
    t = p - k;
    int32_t i = k + position;
    if (i >= b.LineLength) i -= b.LineLength;
    if (i >= b.LineLength) i -= b.LineLength;
    return i;
}

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

typedef float Floats2 __attribute__((vector_size(8)));

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

inline float ReadCubic(const ChannelBlock& b, int32_t position, double offset) noexcept {
    double t;
    const int32_t i = ReadIndex(b, position, offset, t);
    return CubicAt(b.Line, b.LineLength, i, static_cast<float>(t));
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

inline float ReadSinc(const ChannelBlock& b, int32_t position, double offset, const double* table) noexcept {
    double t;
    const int32_t i = ReadIndex(b, position, offset, t);
    return SincAt(b.Line, b.LineLength, i, t, table);
}

inline double JetGain(const ChannelBlock& b, int32_t i, double jet, double jetPhase) noexcept {
    const double u = b.Generator->Evaluate(b.JetOrigin + (i + 1) * b.Increment + jetPhase);
    double q = (u + 1.0) * 0.5;
    if (jet >= 0.0) q -= 1.0;
    return 1.0 + q * jet;
}

inline double WetGain(double depth) noexcept { return std::clamp(depth, -1.0, 1.0); }
inline double DryGain(double depth) noexcept { return std::min(2.0 - std::fabs(depth), 1.0); }

// The loop as the algorithm reads, every choice made per sample and every line used through
// its own operations. The fast path below must give exactly its numbers.
void RunGeneral(ChannelBlock& b, YAudioFilters::Delay<float>& preDelay, YAudioFilters::Delay<float>& dryLine,
                YAudioFilters::Vibrato<float>& line) noexcept {
    const double* table = YAudioFilters::SincTable();
    double range = b.Range, rangeStep = b.RangeStep;
    double depth = b.Depth, feedback = b.Feedback, jet = b.Jet, jetPhase = b.JetPhase;
    YBiquadFilterState lp = b.LowPassState, hp = b.HighPassState;
    for (int32_t i = 0; i < b.Frames; ++i) {
        const double offset = (LimitModulation(b.Modulation[i]) - 1.0) * range;
        const float tap =
            b.Sinc ? ReadSinc(b, line.Position(), offset, table) : ReadCubic(b, line.Position(), offset);

        range += rangeStep;
        if (rangeStep > 0.0 ? range >= b.RangeTarget : range < b.RangeTarget) {
            range = b.RangeTarget;
            rangeStep = 0.0;
        }

        double gain = 1.0;
        if (b.JetActive) gain = JetGain(b, i, jet, jetPhase);

        const float x = b.Input[i];
        const float p = preDelay.PushPop(x);
        double v = static_cast<double>(p + kInputGuard);
        v = b.LowPass->Process(v, lp);
        if (b.Saturate) v += kFilterGuard;
        v = b.HighPass->Process(v, hp);
        if (b.Saturate) {
            const double y = b.Curve->Evaluate(v);
            const double e = y - v;
            v = b.SaturationAmount * (y + b.EvenHarmonics * (e * e)) + b.SaturationComplement * v;
        }
        line.Push(static_cast<float>(tap * feedback) + static_cast<float>(v));

        const float dry = b.DryDelay ? dryLine.PushPop(x) : x;
        b.Output[i] = static_cast<float>(gain * WetGain(depth) * tap + dry * DryGain(depth));

        depth += b.DepthStep;
        feedback += b.FeedbackStep;
        jet += b.JetStep;
        jetPhase += b.JetPhaseStep;
    }
    b.Range = range;
    b.RangeStep = rangeStep;
    b.LowPassState = lp;
    b.HighPassState = hp;
}

// ---------------------------------------------------------------------------------------------
// The fast path: the same arithmetic, reorganised. The wet input (pre-delay, filters,
// saturation) does not depend on the feedback loop, so it runs as a pass of its own; then the
// swept-line pass reads taps, writes the line and mixes. Channels run in pairs through both
// passes, which hides the latency of the filter recursions, and the block's choices are fixed
// at compile time.

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
    double SaturationAmount, SaturationComplement, EvenHarmonics;
    double DepthStep, FeedbackStep, JetStep, JetPhaseStep, RangeTarget;
    double HalfMargin, TwiceReserve;
    const float* LfoTable;
    double LfoScale, Increment;
    const double* SincTable;
};

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

template <int N, bool kSaturate> void WetPass(Lane* lanes, int32_t count, const Shared& sh) noexcept {
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
                v = sh.SaturationAmount * (y + sh.EvenHarmonics * (e * e)) + sh.SaturationComplement * v;
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

// Two channels through the wet input in the two halves of one register: the same operations
// on each channel as the scalar loop, so the same numbers.
typedef double Pair __attribute__((vector_size(16)));

inline Pair Both(double x) noexcept { return Pair{x, x}; }

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
void WetPassPairT(Lane* lanes, int32_t count, const Shared& sh) noexcept {
    const YBiquadFilterDesign& lowPass = *sh.LowPass;
    const YBiquadFilterDesign& highPass = *sh.HighPass;
    const CurvePair curve(*sh.Curve);
    const Pair amount = Both(sh.SaturationAmount), complement = Both(sh.SaturationComplement);
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
            const Pair w = amount * (y + evenHarmonics * (e * e)) + complement * v;
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

template <bool kSaturate> void WetPassPair(Lane* lanes, int32_t count, const Shared& sh) noexcept {
    if (sh.Curve->Threshold() == 0.0)
        WetPassPairT<kSaturate, true>(lanes, count, sh);
    else
        WetPassPairT<kSaturate, false>(lanes, count, sh);
}

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

// With kFilter (two lanes, no saturation) the pass also runs the wet input, the same operations
// as WetPassPairT: the filter recursions are a chain of latencies that the line's independent
// work fills, where a pass of their own leaves the core waiting.
template <int N, bool kSinc, bool kJet, bool kDryDelay, bool kRamping, bool kGliding, bool kFilter>
void LinePass(Lane* lanes, int32_t first, int32_t count, const Shared& sh, Progress& progress) noexcept {
    static_assert(!kFilter || N == 2);
    Ring line[N], dry[N];
    for (int l = 0; l < N; ++l) {
        line[l] = lanes[l].Line;
        dry[l] = lanes[l].Dry;
    }
    double depth = progress.Depth, feedback = progress.Feedback;
    double jet = progress.Jet, jetPhase = progress.JetPhase;
    double range = progress.Range, rangeStep = progress.RangeStep;
    const double wetFixed = WetGain(depth), dryFixed = DryGain(depth);

    // Without a glide the reads are planned ahead; lanes with equal LFOs share one plan.
    int32_t whole[N][kGliding ? 1 : kPassChunk];
    double fraction[N][kGliding ? 1 : kPassChunk];
    int source[N];
    for (int l = 0; l < N; ++l) source[l] = l;
    if constexpr (!kGliding) {
        for (int l = 0; l < N; ++l) {
            if (l > 0 && line[l].Length == line[0].Length &&
                (lanes[l].Modulation == lanes[0].Modulation ||
                 std::memcmp(lanes[l].Modulation, lanes[0].Modulation, sizeof(double) * count) == 0)) {
                source[l] = 0;
                continue;
            }
            PlanReads(lanes[l].Modulation, count, range, sh, line[l].Length, whole[l], fraction[l]);
        }
    }
    // Two lanes reading the same place of equally long, equally advanced lines interpolate
    // side by side.
    // A steady Jet's gains are worked out for the chunk ahead, without per-sample range checks.
    [[maybe_unused]] bool jetPlanned = false;
    [[maybe_unused]] double jetGains[N][kJet ? kPassChunk : 1];
    if constexpr (kJet) {
        if (sh.JetStep == 0.0 && sh.JetPhaseStep == 0.0) {
            jetPlanned = true;
            for (int l = 0; l < N; ++l)
                if (l == 0 || lanes[l].JetOrigin != lanes[0].JetOrigin)
                    PlanJet(lanes[l].JetOrigin, first, count, jet, jetPhase, sh, jetGains[l]);
        }
    }
    bool twins = false;
    if constexpr (N == 2 && !kSinc && !kGliding)
        twins = source[1] == 0 && line[0].Length == line[1].Length && line[0].Position == line[1].Position;
    [[maybe_unused]] Ring pre0, pre1;
    [[maybe_unused]] Pair lz1, lz2, hz1, hz2;
    if constexpr (kFilter) {
        pre0 = lanes[0].PreDelay;
        pre1 = lanes[N - 1].PreDelay;
        lz1 = Pair{lanes[0].LowPass.Z1, lanes[N - 1].LowPass.Z1};
        lz2 = Pair{lanes[0].LowPass.Z2, lanes[N - 1].LowPass.Z2};
        hz1 = Pair{lanes[0].HighPass.Z1, lanes[N - 1].HighPass.Z1};
        hz2 = Pair{lanes[0].HighPass.Z2, lanes[N - 1].HighPass.Z2};
    }
    const auto locate = [&](int l, int32_t i, double& t) -> int32_t {
        if constexpr (kGliding) {
            return LineIndex(line[l], sh, (lanes[l].Modulation[i] - 1.0) * range, t);
        } else {
            t = fraction[source[l]][i];
            int32_t index = whole[source[l]][i] + line[l].Position;
            if (index >= line[l].Length) index -= line[l].Length;
            if (index >= line[l].Length) index -= line[l].Length;
            return index;
        }
    };

    for (int32_t i = 0; i < count; ++i) {
        [[maybe_unused]] float wetInput[N];
        if constexpr (kFilter) {
            // Both inputs are read before either output of this sample is written, as the
            // separate pass would.
            const float p0 = pre0.PushPop(lanes[0].Input[i]);
            const float p1 = pre1.PushPop(lanes[N - 1].Input[i]);
            Pair v = {static_cast<double>(p0 + kInputGuard), static_cast<double>(p1 + kInputGuard)};
            v = FilterPair(*sh.LowPass, v, lz1, lz2);
            v = FilterPair(*sh.HighPass, v, hz1, hz2);
            wetInput[0] = static_cast<float>(v[0]);
            wetInput[N - 1] = static_cast<float>(v[1]);
        }
        float tap[N];
        if constexpr (kSinc) {
            // Lanes whose LFOs agree (no phase difference) share the weights.
            double w[kSincTaps];
            double weighed = -1.0;
            for (int l = 0; l < N; ++l) {
                double t;
                const int32_t index = locate(l, i, t);
                if (t != weighed) {
                    SincWeights(t, sh.SincTable, w);
                    weighed = t;
                }
                float gathered[kSincTaps];
                tap[l] = SincDot(SincTaps(line[l].Data, line[l].Length, index, gathered), w);
            }
        } else if (twins) {
            double t;
            const int32_t index = locate(0, i, t);
            CubicTwins(line[0].Data, line[N - 1].Data, line[0].Length, index, static_cast<float>(t), tap[0],
                       tap[N - 1]);
        } else {
            for (int l = 0; l < N; ++l) {
                double t;
                const int32_t index = locate(l, i, t);
                tap[l] = CubicAt(line[l].Data, line[l].Length, index, static_cast<float>(t));
            }
        }
        if constexpr (kGliding) {
            range += rangeStep;
            if (rangeStep > 0.0 ? range >= sh.RangeTarget : range < sh.RangeTarget) {
                range = sh.RangeTarget;
                rangeStep = 0.0;
            }
        }
        const double wet = kRamping ? WetGain(depth) : wetFixed;
        const double dryGain = kRamping ? DryGain(depth) : dryFixed;
        [[maybe_unused]] double gains[N];
        if constexpr (kJet) {
            for (int l = 0; l < N; ++l) {
                // Channels at the same LFO phase get the same tremolo.
                if (l > 0 && lanes[l].JetOrigin == lanes[0].JetOrigin) {
                    gains[l] = gains[0];
                } else if (jetPlanned) {
                    gains[l] = jetGains[l][i];
                } else {
                    const double u = LfoLookup(
                        sh.LfoTable,
                        (lanes[l].JetOrigin + (first + i + 1) * sh.Increment + jetPhase) * sh.LfoScale);
                    double q = (u + 1.0) * 0.5;
                    if (jet >= 0.0) q -= 1.0;
                    gains[l] = 1.0 + q * jet;
                }
            }
        }
        if constexpr (N == 2) {
            // Both lanes in the two halves of one register, each through the same operations as
            // the loop below; the caller keeps lanes whose input is the other's output apart.
            const float x0 = lanes[0].Input[i], x1 = lanes[1].Input[i];
            const Pair taps = {static_cast<double>(tap[0]), static_cast<double>(tap[1])};
            const Floats2 wetIn =
                kFilter ? Floats2{wetInput[0], wetInput[1]} : Floats2{lanes[0].Wet[i], lanes[1].Wet[i]};
            const Floats2 written = __builtin_convertvector(taps * Both(feedback), Floats2) + wetIn;
            line[0].Data[line[0].Position] = written[0];
            line[1].Data[line[1].Position] = written[1];
            if (++line[0].Position >= line[0].Length) line[0].Position = 0;
            if (++line[1].Position >= line[1].Length) line[1].Position = 0;
            Pair d = {static_cast<double>(x0), static_cast<double>(x1)};
            if constexpr (kDryDelay)
                d = Pair{static_cast<double>(dry[0].PushPop(x0)), static_cast<double>(dry[1].PushPop(x1))};
            // Without Jet the gain is 1, and 1·wet is wet exactly.
            Pair wetTerm = Both(wet);
            if constexpr (kJet) wetTerm = Pair{gains[0], gains[1]} * wetTerm;
            const Floats2 out = __builtin_convertvector(wetTerm * taps + d * Both(dryGain), Floats2);
            lanes[0].Output[i] = out[0];
            lanes[1].Output[i] = out[1];
        } else {
            for (int l = 0; l < N; ++l) {
                double gain = 1.0;
                if constexpr (kJet) gain = gains[l];
                const float x = lanes[l].Input[i];
                float* slot = line[l].Data + line[l].Position;
                *slot = static_cast<float>(tap[l] * feedback) + (kFilter ? wetInput[l] : lanes[l].Wet[i]);
                if (++line[l].Position >= line[l].Length) line[l].Position = 0;
                float d = x;
                if constexpr (kDryDelay) d = dry[l].PushPop(x);
                lanes[l].Output[i] = static_cast<float>(gain * wet * tap[l] + d * dryGain);
            }
        }
        if constexpr (kRamping) {
            depth += sh.DepthStep;
            feedback += sh.FeedbackStep;
        }
        if constexpr (kJet) {
            jet += sh.JetStep;
            jetPhase += sh.JetPhaseStep;
        }
    }
    for (int l = 0; l < N; ++l) {
        lanes[l].Line = line[l];
        lanes[l].Dry = dry[l];
    }
    if constexpr (kFilter) {
        lanes[0].PreDelay = pre0;
        lanes[N - 1].PreDelay = pre1;
        lanes[0].LowPass = {lz1[0], lz2[0]};
        lanes[N - 1].LowPass = {lz1[1], lz2[1]};
        lanes[0].HighPass = {hz1[0], hz2[0]};
        lanes[N - 1].HighPass = {hz1[1], hz2[1]};
    }
    progress = {depth, feedback, jet, jetPhase, range, rangeStep};
}

// Two lanes in lockstep: lines, pre-delays and dry lines of equal lengths at equal positions,
// and one LFO (no phase difference, the usual stereo case). One position per kind of line and
// one read plan serve both, and every step runs on the pair in one register: the same numbers
// as LinePass with the wet input fused, for cubic reads without saturation or range glide.
// kUnitDelay: pre-delay lines of one sample (Delay 0), where the sample pushed is the one that
// comes out next, kept in a register.
template <bool kJet, bool kDryDelay, bool kRamping, bool kUnitDelay>
void TwinPass(Lane* lanes, int32_t first, int32_t count, const Shared& sh, Progress& progress,
              const int32_t* plannedWhole, const double* plannedFraction) noexcept {
    const float* in0 = lanes[0].Input;
    const float* in1 = lanes[1].Input;
    float* out0 = lanes[0].Output;
    float* out1 = lanes[1].Output;
    float* pre0 = lanes[0].PreDelay.Data;
    float* pre1 = lanes[1].PreDelay.Data;
    const int32_t preLength = lanes[0].PreDelay.Length;
    int32_t prePosition = lanes[0].PreDelay.Position;
    float* line0 = lanes[0].Line.Data;
    float* line1 = lanes[1].Line.Data;
    const int32_t lineLength = lanes[0].Line.Length;
    int32_t linePosition = lanes[0].Line.Position;
    [[maybe_unused]] float* dry0 = lanes[0].Dry.Data;
    [[maybe_unused]] float* dry1 = lanes[1].Dry.Data;
    [[maybe_unused]] const int32_t dryLength = lanes[0].Dry.Length;
    [[maybe_unused]] int32_t dryPosition = lanes[0].Dry.Position;
    const YBiquadFilterDesign& lowPass = *sh.LowPass;
    const YBiquadFilterDesign& highPass = *sh.HighPass;
    Pair lz1 = {lanes[0].LowPass.Z1, lanes[1].LowPass.Z1}, lz2 = {lanes[0].LowPass.Z2, lanes[1].LowPass.Z2};
    Pair hz1 = {lanes[0].HighPass.Z1, lanes[1].HighPass.Z1},
         hz2 = {lanes[0].HighPass.Z2, lanes[1].HighPass.Z2};

    double depth = progress.Depth, feedback = progress.Feedback;
    double jet = progress.Jet, jetPhase = progress.JetPhase;
    const double wetFixed = WetGain(depth), dryFixed = DryGain(depth);

    // Without a plan from the caller the reads are planned from the lanes' LFO block.
    int32_t ownWhole[kPassChunk];
    double ownFraction[kPassChunk];
    const int32_t* whole = plannedWhole;
    const double* fraction = plannedFraction;
    if (whole == nullptr) {
        PlanReads(lanes[0].Modulation, count, progress.Range, sh, lineLength, ownWhole, ownFraction);
        whole = ownWhole;
        fraction = ownFraction;
    }
    [[maybe_unused]] double jetGains[kJet ? kPassChunk : 1];
    [[maybe_unused]] const bool jetPlanned = kJet && sh.JetStep == 0.0 && sh.JetPhaseStep == 0.0;
    if constexpr (kJet)
        if (jetPlanned) PlanJet(lanes[0].JetOrigin, first, count, jet, jetPhase, sh, jetGains);

    [[maybe_unused]] float held0 = pre0[prePosition], held1 = pre1[prePosition];
    for (int32_t i = 0; i < count; ++i) {
        const float x0 = in0[i], x1 = in1[i];
        float p0, p1;
        if constexpr (kUnitDelay) {
            p0 = held0;
            p1 = held1;
            held0 = x0;
            held1 = x1;
        } else {
            p0 = pre0[prePosition];
            p1 = pre1[prePosition];
            pre0[prePosition] = x0;
            pre1[prePosition] = x1;
            if (++prePosition >= preLength) prePosition = 0;
        }
        Pair v = {static_cast<double>(p0 + kInputGuard), static_cast<double>(p1 + kInputGuard)};
        v = FilterPair(lowPass, v, lz1, lz2);
        v = FilterPair(highPass, v, hz1, hz2);
        const Floats2 wetInput = __builtin_convertvector(v, Floats2);

        // A planned whole part is at most the length and the position below it: one wrap does.
        int32_t index = whole[i] + linePosition;
        if (index >= lineLength) index -= lineLength;
        const Pair taps = __builtin_convertvector(
            CubicPair(line0, line1, lineLength, index, static_cast<float>(fraction[i])), Pair);

        double gain = 1.0;
        if constexpr (kJet) {
            if (jetPlanned) {
                gain = jetGains[i];
            } else {
                const double u =
                    LfoLookup(sh.LfoTable,
                              (lanes[0].JetOrigin + (first + i + 1) * sh.Increment + jetPhase) * sh.LfoScale);
                double q = (u + 1.0) * 0.5;
                if (jet >= 0.0) q -= 1.0;
                gain = 1.0 + q * jet;
            }
        }
        const Floats2 written = __builtin_convertvector(taps * Both(feedback), Floats2) + wetInput;
        line0[linePosition] = written[0];
        line1[linePosition] = written[1];
        if (++linePosition >= lineLength) linePosition = 0;

        Pair d = {static_cast<double>(x0), static_cast<double>(x1)};
        if constexpr (kDryDelay) {
            d = Pair{static_cast<double>(dry0[dryPosition]), static_cast<double>(dry1[dryPosition])};
            dry0[dryPosition] = x0;
            dry1[dryPosition] = x1;
            if (++dryPosition >= dryLength) dryPosition = 0;
        }
        const double wet = kRamping ? WetGain(depth) : wetFixed;
        const double dryGain = kRamping ? DryGain(depth) : dryFixed;
        // Without Jet the gain is 1, and 1·wet is wet exactly.
        const Pair wetTerm = Both(kJet ? gain * wet : wet);
        const Floats2 out = __builtin_convertvector(wetTerm * taps + d * Both(dryGain), Floats2);
        out0[i] = out[0];
        out1[i] = out[1];

        if constexpr (kRamping) {
            depth += sh.DepthStep;
            feedback += sh.FeedbackStep;
        }
        if constexpr (kJet) {
            jet += sh.JetStep;
            jetPhase += sh.JetPhaseStep;
        }
    }
    if constexpr (kUnitDelay) {
        pre0[0] = held0;
        pre1[0] = held1;
    }
    for (Lane* lane = lanes; lane != lanes + 2; ++lane) {
        lane->PreDelay.Position = prePosition;
        lane->Line.Position = linePosition;
        lane->Dry.Position = dryPosition;
    }
    lanes[0].LowPass = {lz1[0], lz2[0]};
    lanes[1].LowPass = {lz1[1], lz2[1]};
    lanes[0].HighPass = {hz1[0], hz2[0]};
    lanes[1].HighPass = {hz1[1], hz2[1]};
    progress = {depth, feedback, jet, jetPhase, progress.Range, progress.RangeStep};
}

using TwinRunner = void (*)(Lane*, int32_t, int32_t, const Shared&, Progress&, const int32_t*,
                            const double*) noexcept;
template <int kIndex> constexpr TwinRunner TwinRunnerAt() {
    return &TwinPass<(kIndex & 1) != 0, (kIndex & 2) != 0, (kIndex & 4) != 0, (kIndex & 8) != 0>;
}

template <int... kIndex> constexpr auto MakeTwinRunners(std::integer_sequence<int, kIndex...>) {
    return std::array<TwinRunner, sizeof...(kIndex)>{TwinRunnerAt<kIndex>()...};
}

constexpr auto kTwinRunners = MakeTwinRunners(std::make_integer_sequence<int, 16>{});

// Whether two lanes' lines stand in step (and their Jet origins agree, when Jet is on).
bool LinesInStep(const Lane& a, const Lane& b, bool dryDelay, bool jet) noexcept {
    const auto same = [](const Ring& x, const Ring& y) {
        return x.Length == y.Length && x.Position == y.Position;
    };
    if (!same(a.Line, b.Line) || !same(a.PreDelay, b.PreDelay)) return false;
    if (dryDelay && !same(a.Dry, b.Dry)) return false;
    return !jet || a.JetOrigin == b.JetOrigin;
}

// Whether two lanes can run through TwinPass.
bool InLockstep(const Lane& a, const Lane& b, int32_t count, bool dryDelay, bool jet) noexcept {
    if (!LinesInStep(a, b, dryDelay, jet)) return false;
    return a.Modulation == b.Modulation ||
           std::memcmp(a.Modulation, b.Modulation, sizeof(double) * static_cast<size_t>(count)) == 0;
}

// The passes for one chunk of N channels, chosen by the block's five choices.
using WetRunner = void (*)(Lane*, int32_t, const Shared&) noexcept;
using LineRunner = void (*)(Lane*, int32_t, int32_t, const Shared&, Progress&) noexcept;

template <int N, int kIndex> constexpr LineRunner LineRunnerAt() {
    return &LinePass<N, (kIndex & 1) != 0, (kIndex & 2) != 0, (kIndex & 4) != 0, (kIndex & 8) != 0,
                     (kIndex & 16) != 0, (kIndex & 32) != 0>;
}

template <int N, int... kIndex> constexpr auto MakeLineRunners(std::integer_sequence<int, kIndex...>) {
    return std::array<LineRunner, sizeof...(kIndex)>{LineRunnerAt<N, kIndex>()...};
}

constexpr auto kLineRunners1 = MakeLineRunners<1>(std::make_integer_sequence<int, 32>{});
constexpr auto kLineRunners2 = MakeLineRunners<2>(std::make_integer_sequence<int, 64>{});

// True when any of the samples is infinite or NaN: x·0 is ±0 for every finite x and NaN
// otherwise, and a NaN stays in a sum. Eight sums side by side keep the loop short.
bool AnyNonFinite(const float* samples, int32_t count) noexcept {
    float sums[8] = {};
    int32_t i = 0;
    for (; i + 8 <= count; i += 8)
        for (int32_t k = 0; k < 8; ++k) sums[k] += samples[i + k] * 0.0f;
    float total = 0.0f;
    for (; i < count; ++i) total += samples[i] * 0.0f;
    for (float sum : sums) total += sum;
    return total != 0.0f;
}

bool IsFinite(const YBiquadFilterState& s) noexcept { return std::isfinite(s.Z1) && std::isfinite(s.Z2); }

// A block ramp: the value at the first sample and the step per sample; the processing copy
// takes the new value.
void TakeRamp(PluginParameter& record, int32_t frames, double& start, double& step) noexcept {
    const double value = record.Float.Value;
    const double previous = record.Float.Processing;
    if (std::fabs(value - previous) >= kChangeEpsilon) {
        start = previous;
        step = (value - previous) / frames;
        record.Float.Processing = value;
    } else {
        start = value;
        step = 0.0;
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Construction and parameters

const char* const VornikAudioEffectPlugin::kModeNames[kModeCount] = {"Default", "Tape", "Tape 2"};

VornikAudioEffectPlugin::VornikAudioEffectPlugin() {
    SetParameterTable(m_parameters, kParameterCount);
    DefineParameters();
    InitModulation(kRate, 0.01, 20.0, 0.2, kFirstSync);
    // The generator publishes its own "Shape" adapter, chosen by the record's name.
    m_shape.DefineSpecial("shape", "Shape", &Generator());
    SetSpecialParameters(&m_shape, 1);
    SetEffectFlag(kEffectFlagHasTail, true);
    m_saturation.Configure(YSaturationCurve::kRationalCubic, 0.0);
}

VornikAudioEffectPlugin::~VornikAudioEffectPlugin() = default;

void VornikAudioEffectPlugin::DefineParameters() {
    using P = PluginParameter;

    PluginParameter& mode = m_parameters[kMode];
    mode.DefineEnum("Mode", "Mode", kModeNames, kModeCount, kModeDefault);
    mode.Description =
        "<name>Mode</name> determines the way flange effect is performed. Default mode works by mixing "
        "slightly variably delayed signal with the original. Tape modes, also known as through-null, "
        "delay the input signal appropriately as well. They simulate the original way flanging was "
        "performed using 2 tapes, tampering one with fingers.";
    mode.UserInts[0] = mode.UserInts[1] = 2;

    PluginParameter& depth = m_parameters[kDepth];
    depth.DefineFloat("Depth", "Depth", -2.0, 2.0, 1.0);
    depth.TextFunction = ParameterTextDryWet;
    depth.SetFlagA(P::kMarkOwner, false);
    depth.Description = "<name>Depth</name> defines how powerful the effect is. Note that it also affects "
                        "the amount of dry signal.";

    PluginParameter& range = m_parameters[kRange];
    range.DefineFloat("Range2", "Range", 0.0, kMaximumRangeSeconds, 0.0008, kShapeSquare);
    range.TextFunction = ParameterTextTime;
    range.Description = "<name>Range</name> defines flanging frequency delay line size.";

    PluginParameter& feedback = m_parameters[kFeedback];
    feedback.DefineFloat("Feedback", "Feedback", -1.0, 1.0, 0.0);
    feedback.TextFunction = ParameterTextPercent;
    feedback.SetFlagA(P::kMarkOwner, false);
    feedback.Description = "<name>Feedback</name> determines how much of the signal is returned to the "
                           "input after the delay time.";

    PluginParameter& phase = m_parameters[kPhaseDifference];
    phase.DefineFloat("phasediff", "Phase difference", -1.0, 1.0, 0.0);
    phase.TextFunction = ParameterTextDegrees;
    phase.SetFlagA(P::kInterpolable, true);
    phase.SetFlagA(P::kMarkOwner, false);
    phase.Description = "<name>Phase difference</name> defines phase difference between particular "
                        "channels. This is very simple and often practical way to accomplish some kind "
                        "of stereo expansion.";

    PluginParameter& delay = m_parameters[kDelay];
    delay.DefineFloat("Delay", "Delay", 0.0, 0.02, 0.0);
    delay.TextFunction = ParameterTextTime;
    delay.SetFlagA(P::kInterpolable, true);
    delay.Description = "<name>Delay</name> defines delay applied on the flanging signal.";
    delay.UserInts[0] = delay.UserInts[1] = 3;

    PluginParameter& minFrequency = m_parameters[kMinFrequency];
    minFrequency.DefineFloat("MinFreq", "Min frequency", kLog10Of20Hz, kLog10Of20kHz, kLog10Of40Hz);
    minFrequency.TextFunction = ParameterTextFrequency;
    minFrequency.SetFlagA(P::kInterpolable, true);
    minFrequency.SetFlagA(P::kRandomizable, false);
    minFrequency.Description = "<name>Min frequency</name> defines minimal flanging signal frequency.";

    PluginParameter& maxFrequency = m_parameters[kMaxFrequency];
    maxFrequency.DefineFloat("MaxFreq", "Max frequency", kLog10Of20Hz, kLog10Of20kHz, kLog10Of20kHz);
    maxFrequency.TextFunction = ParameterTextFrequency;
    maxFrequency.SetFlagA(P::kInterpolable, true);
    maxFrequency.SetFlagA(P::kRandomizable, false);
    maxFrequency.Description = "<name>Max frequency</name> defines maximal flanging signal frequency.";

    PluginParameter& jet = m_parameters[kJet];
    jet.DefineFloat("TremoloDepth", "Jet", -1.0, 1.0, 0.0);
    jet.TextFunction = ParameterTextPercent;
    jet.SetFlagA(P::kMarkOwner, false);
    jet.Description = "<name>Jet</name> defines how powerful additional tremolo effect is. It affects "
                      "which part of the flaging signal is passed.";

    PluginParameter& jetPhase = m_parameters[kJetPhase];
    jetPhase.DefineFloat("TremoloPhase", "Jet phase", 0.0, 1.0, 0.0);
    jetPhase.TextFunction = ParameterTextDegrees;
    jetPhase.SetFlagA(P::kMarkOwner, false);
    jetPhase.Description = "<name>Jet phase</name> defines phase offset of the tremolo generator to the "
                           "flange shape generator.";

    PluginParameter& saturation = m_parameters[kSaturation];
    saturation.DefineFloat("Saturation", "Saturation", 0.0, 1.0, 0.0);
    saturation.TextFunction = ParameterTextPercent;
    saturation.Description =
        "<name>Saturation</name> defines amount of saturation applied on the flanging signal.";
}

void VornikAudioEffectPlugin::DefineSynchronizationParameters() {
    GetHostSync().DefineParameters(m_parameters[kFirstSync], m_parameters[kFirstSync + 1],
                                   m_parameters[kFirstSync + 2], m_parameters[kFirstSync + 3], YString());
}

// ---------------------------------------------------------------------------------------------
// Preparation and update

void VornikAudioEffectPlugin::ReserveLines(int32_t channel) {
    // Storage only grows, so sizing each line once to its largest length here means that
    // Update, which may run between blocks, never allocates.
    const double fs = m_sampleRate;
    const int32_t reserve = static_cast<int32_t>(m_maximumRange) + 1;
    const auto grow = [](YAudioFilters::Delay<float>& line, int32_t largest) {
        if (line.Capacity() >= largest) return;
        const int32_t keep = line.Length();
        line.Resize(largest);
        line.Resize(keep);
    };
    grow(m_preDelay[channel], static_cast<int32_t>(fs * 0.02));
    grow(m_dryLine[channel], kSincDryDelay + static_cast<int32_t>(m_maximumRange));
    grow(m_modulated[channel], 2 * reserve + YAudioFilters::Vibrato<float>::kSincMargin);
}

int32_t VornikAudioEffectPlugin::Prepare(int32_t channels, double sampleRate) {
    YModulationPluginBase::Prepare(channels, sampleRate);
    m_maximumRange = m_sampleRate * kMaximumRangeSeconds;
    const int32_t n = std::clamp(m_channelCount, 0, static_cast<int32_t>(kMaxChannels));
    for (int32_t c = 0; c < n; ++c) {
        ReserveLines(c);
        m_modulated[c].Clear();
        m_preDelay[c].Clear();
        m_dryLine[c].Clear();
        m_lowPassState[c].Clear();
        m_highPassState[c].Clear();
    }
    m_currentRange = 0.0;
    m_targetRange = 0.0;
    m_rangeStep = 0.0;
    m_evenHarmonics = 1.0;
    m_saturation.Configure(YSaturationCurve::kRationalCubic, 0.0);
    return 0;
}

void VornikAudioEffectPlugin::Update() {
    if (!(m_sampleRate > 0.0)) return;
    ScopedLock lock(*this);
    YModulationPluginBase::Update();
    const double fs = m_sampleRate;

    m_highPass.Design(YBiquadFilterDesign::kHighPass,
                      std::pow(10.0, m_parameters[kMinFrequency].EffectiveFloat()), fs, kFilterQ, 0.0);
    m_lowPass.Design(YBiquadFilterDesign::kLowPass,
                     std::pow(10.0, m_parameters[kMaxFrequency].EffectiveFloat()), fs, kFilterQ, 0.0);

    double target = fs * m_parameters[kRange].EffectiveFloat();
    if (!(target >= 1.0)) target = 1.0;
    target = std::max(1.0, std::min(target, m_maximumRange));
    m_targetRange = target;
    if (m_currentRange == 0.0) {
        m_currentRange = target;
        m_rangeStep = 0.0;
    } else {
        m_rangeStep = std::clamp(target - m_currentRange, -kRangeGlideStep, kRangeGlideStep);
    }

    switch (m_parameters[kMode].Enum.Value) {
    case kModeTape:
        m_tapeDelay = static_cast<int32_t>(m_currentRange * 0.5);
        break;
    case kModeTape2:
        m_tapeDelay = static_cast<int32_t>(m_currentRange);
        break;
    default:
        m_tapeDelay = 0;
        break;
    }

    const YEffectFrameSettings* settings = FrameSettings();
    m_sinc = settings != nullptr && settings->Sinc != 0;
    m_dryDelay = m_tapeDelay >= 1 || m_sinc;

    double delaySamples = fs * m_parameters[kDelay].EffectiveFloat();
    if (!(delaySamples >= 1.0)) delaySamples = 1.0;
    const int32_t preLength = static_cast<int32_t>(std::min(delaySamples, fs * 0.02 + 1.0));
    const double reserve = std::trunc(m_maximumRange) + 1.0;
    const int32_t margin =
        m_sinc ? YAudioFilters::Vibrato<float>::kSincMargin : YAudioFilters::Vibrato<float>::kCubicMargin;
    const int32_t dryLength = (m_sinc ? kSincDryDelay : kCubicDryDelay) + m_tapeDelay;
    const int32_t n = std::clamp(m_channelCount, 0, static_cast<int32_t>(kMaxChannels));
    for (int32_t c = 0; c < n; ++c) {
        m_preDelay[c].Resize(std::max(1, preLength));
        m_modulated[c].Configure(reserve, margin, m_sinc);
        m_dryLine[c].Resize(std::max(1, dryLength));
    }
    m_configured = true;
}

void VornikAudioEffectPlugin::Load(YXMLItem& item) {
    ScopedLock lock(*this);
    YModulationPluginBase::Load(item);
    // Older states stored the range as a fraction of 25 ms.
    if (item.HasAttribute("parameterRange")) {
        PluginParameter& range = m_parameters[kRange];
        range.Float.Value = item.GetAttribute("parameterRange").ToDouble() * 0.04;
        range.ClampValue();
        Update();
    }
}

// ---------------------------------------------------------------------------------------------
// Processing

void VornikAudioEffectPlugin::ClearChannel(int32_t channel) noexcept {
    m_modulated[channel].Clear();
    m_preDelay[channel].Clear();
    m_dryLine[channel].Clear();
    m_lowPassState[channel].Clear();
    m_highPassState[channel].Clear();
}

void VornikAudioEffectPlugin::Process(const YProcessingContext& context, float* const* inputs,
                                      float* const* outputs, int32_t frames) {
    if (frames <= 0 || inputs == nullptr || outputs == nullptr) return;
    HostPhase(context);
    RefreshGenerator();
    ScopedLock lock(*this);

    const int32_t channels = std::clamp(m_channelCount, 0, static_cast<int32_t>(kMaxChannels));
    if (!m_configured) {
        // Nothing is sized before the first update: pass the signal through untouched.
        for (int32_t c = 0; c < channels; ++c)
            if (inputs[c] != nullptr && outputs[c] != nullptr && inputs[c] != outputs[c])
                std::memmove(outputs[c], inputs[c], sizeof(float) * static_cast<size_t>(frames));
        return;
    }

    BlockSettings block;
    TakeRamp(m_parameters[kDepth], frames, block.Depth, block.DepthStep);
    TakeRamp(m_parameters[kFeedback], frames, block.Feedback, block.FeedbackStep);
    TakeRamp(m_parameters[kJet], frames, block.Jet, block.JetStep);
    TakeRamp(m_parameters[kJetPhase], frames, block.JetPhase, block.JetPhaseStep);
    const double phaseDifference = m_parameters[kPhaseDifference].EffectiveFloat();
    m_saturationAmount = m_parameters[kSaturation].EffectiveFloat();
    m_saturationComplement = 1.0 - m_saturationAmount;
    block.Saturate = m_saturationAmount >= kChangeEpsilon;
    block.JetActive = std::fabs(block.Jet) >= kChangeEpsilon || std::fabs(block.JetStep) >= kChangeEpsilon;
    block.Ramping = block.DepthStep != 0.0 || block.FeedbackStep != 0.0;
    block.Gliding = m_rangeStep != 0.0;

    // Channel c runs at o0 + c·pd, o0 lifting every phase to zero or above.
    const double firstOffset = phaseDifference < 0.0 ? -8.0 * phaseDifference : 0.0;
    for (int32_t c = 0; c < channels; ++c)
        block.ChannelPhase[c] = m_phase + (firstOffset + c * phaseDifference);

    if (m_generalOnly)
        ProcessGeneral(block, inputs, outputs, frames);
    else
        ProcessFast(block, inputs, outputs, frames);

    // A NaN or infinity that got in would otherwise circulate in the feedback loop and the
    // filters for ever: drop the channel's history and its (unusable) block.
    for (int32_t c = 0; c < channels; ++c) {
        if (inputs[c] == nullptr || outputs[c] == nullptr) continue;
        if (AnyNonFinite(outputs[c], frames) || !IsFinite(m_lowPassState[c]) ||
            !IsFinite(m_highPassState[c])) {
            ClearChannel(c);
            std::fill(outputs[c], outputs[c] + frames, 0.0f);
        }
    }
    AdvancePhase(frames);
}

void VornikAudioEffectPlugin::ProcessGeneral(const BlockSettings& settings, float* const* inputs,
                                             float* const* outputs, int32_t frames) {
    ChannelBlock block;
    block.Frames = frames;
    block.Depth = settings.Depth;
    block.DepthStep = settings.DepthStep;
    block.Feedback = settings.Feedback;
    block.FeedbackStep = settings.FeedbackStep;
    block.Jet = settings.Jet;
    block.JetStep = settings.JetStep;
    block.JetPhase = settings.JetPhase;
    block.JetPhaseStep = settings.JetPhaseStep;
    block.LowPass = &m_lowPass;
    block.HighPass = &m_highPass;
    block.Generator = &Generator();
    block.Increment = m_increment;
    block.Curve = &m_saturation;
    block.SaturationAmount = m_saturationAmount;
    block.SaturationComplement = m_saturationComplement;
    block.EvenHarmonics = m_evenHarmonics;
    block.Sinc = m_sinc;
    block.Saturate = settings.Saturate;
    block.JetActive = settings.JetActive;
    block.DryDelay = m_dryDelay;

    const int32_t channels = std::clamp(m_channelCount, 0, static_cast<int32_t>(kMaxChannels));
    double range = m_currentRange, rangeStep = m_rangeStep;
    bool any = false;
    for (int32_t c = 0; c < channels; ++c) {
        if (inputs[c] == nullptr || outputs[c] == nullptr) continue;
        block.Input = inputs[c];
        block.Output = outputs[c];
        block.Modulation = ModulationBlock(c, settings.ChannelPhase[c], m_increment, frames);
        block.JetOrigin = settings.ChannelPhase[c];
        ModulatedLineT& line = m_modulated[c];
        block.Line = line.Samples();
        block.LineLength = line.Length();
        block.HalfMargin = static_cast<double>(line.Margin() / 2);
        block.TwiceReserve = 2.0 * line.Reserve();
        block.LowPassState = m_lowPassState[c];
        block.HighPassState = m_highPassState[c];
        block.Range = m_currentRange;
        block.RangeStep = m_rangeStep;
        block.RangeTarget = m_targetRange;
        RunGeneral(block, m_preDelay[c], m_dryLine[c], line);
        m_lowPassState[c] = block.LowPassState;
        m_highPassState[c] = block.HighPassState;
        range = block.Range;
        rangeStep = block.RangeStep;
        any = true;
    }
    if (any) {
        m_currentRange = range;
        m_rangeStep = rangeStep;
    }
}

void VornikAudioEffectPlugin::ProcessFast(const BlockSettings& settings, float* const* inputs,
                                          float* const* outputs, int32_t frames) {
    const YSignalGenerator& generator = Generator();
    Shared shared;
    shared.LowPass = &m_lowPass;
    shared.HighPass = &m_highPass;
    shared.Curve = &m_saturation;
    shared.SaturationAmount = m_saturationAmount;
    shared.SaturationComplement = m_saturationComplement;
    shared.EvenHarmonics = m_evenHarmonics;
    shared.DepthStep = settings.DepthStep;
    shared.FeedbackStep = settings.FeedbackStep;
    shared.JetStep = settings.JetStep;
    shared.JetPhaseStep = settings.JetPhaseStep;
    shared.RangeTarget = m_targetRange;
    shared.LfoTable = generator.Table();
    shared.LfoScale = generator.LookupScale();
    shared.Increment = m_increment;
    shared.SincTable = YAudioFilters::SincTable();

    // The channels with buffers, side by side.
    const int32_t channels = std::clamp(m_channelCount, 0, static_cast<int32_t>(kMaxChannels));
    Lane lanes[kMaxChannels];
    int32_t channelOf[kMaxChannels];
    bool plain[kMaxChannels] = {};
    int32_t count = 0;
    for (int32_t c = 0; c < channels; ++c) {
        if (inputs[c] == nullptr || outputs[c] == nullptr) continue;
        Lane& lane = lanes[count];
        channelOf[count++] = c;
        lane.PreDelay = {m_preDelay[c].Samples(), m_preDelay[c].Length(), m_preDelay[c].Position()};
        lane.Line = {m_modulated[c].Samples(), m_modulated[c].Length(), m_modulated[c].Position()};
        lane.Dry = {m_dryLine[c].Samples(), m_dryLine[c].Length(), m_dryLine[c].Position()};
        lane.LowPass = m_lowPassState[c];
        lane.HighPass = m_highPassState[c];
        lane.JetOrigin = settings.ChannelPhase[c];
        lane.Wet = m_wet[c];
    }
    if (count == 0) return;
    // A pair reads both inputs of a sample before it writes either output; a channel whose
    // input is another's output must see that output, as one channel after the other does.
    bool paired = true;
    for (int32_t k = 0; k < count; ++k)
        for (int32_t j = 0; j < count; ++j)
            if (j != k && inputs[channelOf[k]] == outputs[channelOf[j]]) paired = false;
    // Every line has the same configuration.
    shared.HalfMargin = static_cast<double>(m_modulated[channelOf[0]].Margin() / 2);
    shared.TwiceReserve = 2.0 * m_modulated[channelOf[0]].Reserve();

    const int lineIndex = (m_sinc ? 1 : 0) | (settings.JetActive ? 2 : 0) | (m_dryDelay ? 4 : 0) |
                          (settings.Ramping ? 8 : 0) | (settings.Gliding ? 16 : 0);
    const LineRunner line1 = kLineRunners1[static_cast<size_t>(lineIndex)];
    // Without saturation a pair's wet input runs inside its line pass.
    const bool fused = !settings.Saturate;
    const LineRunner line2 = kLineRunners2[static_cast<size_t>(lineIndex | (fused ? 32 : 0))];
    const bool twinnable = fused && !m_sinc && !settings.Gliding;
    const int twinIndex = (settings.JetActive ? 1 : 0) | (m_dryDelay ? 2 : 0) | (settings.Ramping ? 4 : 0);
    const WetRunner wet1 = settings.Saturate ? &WetPass<1, true> : &WetPass<1, false>;
    const WetRunner wet2 = settings.Saturate ? &WetPassPair<true> : &WetPassPair<false>;

    const YEffectFrameSettings* frame = FrameSettings();
    const bool declick = frame == nullptr || frame->ModulationDeclick != 0;
    Progress progress{settings.Depth,    settings.Feedback, settings.Jet,
                      settings.JetPhase, m_currentRange,    m_rangeStep};
    static_assert(kChunk == kPassChunk && kChunk <= kWetPassChunk);
    for (int32_t first = 0; first < frames; first += kChunk) {
        const int32_t n = std::min(kChunk, frames - first);
        // The limited LFO values of each lane. A declicker that is idle leaves them as the
        // lookup gives them: they are limited as they are made, the declicker only remembers
        // the last two, and lanes at the same phase share one block.
        for (int32_t k = 0; k < count; ++k) {
            Declicker& declicker = m_declickers[channelOf[k]];
            if (declick && first == 0 && m_generatorChanged) declicker.Arm();
            plain[k] = !declick || declicker.Idle();
            lanes[k].Modulation = nullptr;
        }
        // Pairs at one phase whose lines stand in step run in lockstep on reads planned straight
        // from the LFO, without its block.
        bool plannedPairs[kMaxChannels / 2] = {};
        for (int32_t k = 0; paired && twinnable && k + 1 < count; k += 2) {
            const double origin = settings.ChannelPhase[channelOf[k]];
            if (!plain[k] || !plain[k + 1] || settings.ChannelPhase[channelOf[k + 1]] != origin ||
                !LinesInStep(lanes[k], lanes[k + 1], m_dryDelay, settings.JetActive))
                continue;
            plannedPairs[k / 2] = true;
            PlanFromLfo(shared.LfoTable, origin, m_increment, shared.LfoScale, first, n, m_currentRange,
                        shared, lanes[k].Line.Length, m_planWhole[k / 2], m_planFraction[k / 2]);
        }
        for (int32_t k = 0; k < count; ++k) {
            const int32_t c = channelOf[k];
            const double origin = settings.ChannelPhase[c];
            Declicker& declicker = m_declickers[c];
            double* values = m_lfo[c];
            const auto remember = [&] {
                if (!declick) return;
                const auto raw = [&](int32_t i) {
                    return LfoLookup(shared.LfoTable,
                                     (origin + static_cast<double>(first + i) * m_increment) *
                                         shared.LfoScale);
                };
                declicker.Remember(n >= 2 ? raw(n - 2) : 0.0, raw(n - 1), n);
            };
            if (paired && plannedPairs[k / 2]) {
                remember();
                continue;
            }
            if (!plain[k]) {
                FillModulation<false>(values, shared.LfoTable, origin, m_increment, shared.LfoScale, first,
                                      n);
                declicker.Run(values, n);
                for (int32_t i = 0; i < n; ++i) values[i] = LimitModulation(values[i]);
                lanes[k].Modulation = values;
                continue;
            }
            int32_t twin = -1;
            for (int32_t j = 0; j < k && twin < 0; ++j)
                if (plain[j] && lanes[j].Modulation != nullptr &&
                    settings.ChannelPhase[channelOf[j]] == origin)
                    twin = j;
            if (twin >= 0) {
                lanes[k].Modulation = lanes[twin].Modulation;
            } else {
                FillModulation<true>(values, shared.LfoTable, origin, m_increment, shared.LfoScale, first, n);
                lanes[k].Modulation = values;
            }
            remember();
        }
        for (int32_t k = 0; k < count; ++k) {
            const int32_t c = channelOf[k];
            lanes[k].Input = inputs[c] + first;
            lanes[k].Output = outputs[c] + first;
        }
        Progress reached = progress;
        int32_t k = 0;
        for (; paired && k + 1 < count; k += 2) {
            reached = progress;
            const bool planned = plannedPairs[k / 2];
            if (planned ||
                (twinnable && InLockstep(lanes[k], lanes[k + 1], n, m_dryDelay, settings.JetActive))) {
                const bool unitDelay = lanes[k].PreDelay.Length == 1;
                kTwinRunners[twinIndex | (unitDelay ? 8 : 0)](lanes + k, first, n, shared, reached,
                                                              planned ? m_planWhole[k / 2] : nullptr,
                                                              planned ? m_planFraction[k / 2] : nullptr);
                continue;
            }
            if (!fused) wet2(lanes + k, n, shared);
            line2(lanes + k, first, n, shared, reached);
        }
        for (; k < count; ++k) {
            wet1(lanes + k, n, shared);
            reached = progress;
            line1(lanes + k, first, n, shared, reached);
        }
        progress = reached;
    }
    for (int32_t k = 0; k < count; ++k) {
        const int32_t c = channelOf[k];
        m_preDelay[c].SetPosition(lanes[k].PreDelay.Position);
        m_modulated[c].SetPosition(lanes[k].Line.Position);
        m_dryLine[c].SetPosition(lanes[k].Dry.Position);
        m_lowPassState[c] = lanes[k].LowPass;
        m_highPassState[c] = lanes[k].HighPass;
    }
    m_currentRange = progress.Range;
    m_rangeStep = progress.RangeStep;
}

bool VornikAudioEffectPlugin::TailSilent() {
    ScopedLock lock(*this);
    const int32_t channels = std::clamp(m_channelCount, 0, static_cast<int32_t>(kMaxChannels));
    for (int32_t c = 0; c < channels; ++c) {
        const float* d = m_modulated[c].Data();
        const int32_t n = m_modulated[c].Length();
        for (int32_t i = 0; i < n; ++i)
            if (!(std::fabs(d[i]) < kSilence)) return false;
    }
    return true;
}
