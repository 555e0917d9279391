// The swept-line pass of a chunk: reads the taps, writes the line with feedback and mixes
// wet and dry, for one channel or a pair, specialised for the block's choices.
#pragma once

#include "effect/VornikFlangerBasics.h"
#include "effect/VornikFlangerInterpolation.h"
#include "effect/VornikFlangerLanes.h"
#include "effect/VornikFlangerLfo.h"
#include "effect/VornikFlangerReadPlans.h"
#include "effect/VornikFlangerWetPass.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

// Internal to the translation unit that includes it, as the kernels were when they shared
// one file: the compiler sees every caller, so it inlines and specialises them freely.
namespace VornikFlanger {
namespace {

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

// The passes for one chunk of N channels, chosen by the block's five choices.
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

} // namespace
} // namespace VornikFlanger
