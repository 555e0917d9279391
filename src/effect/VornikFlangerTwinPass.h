// Two channels in lockstep through one pass: the stereo case without phase difference, where
// one set of positions and one read plan serve both lines.
#pragma once

#include "effect/VornikFlangerBasics.h"
#include "effect/VornikFlangerInterpolation.h"
#include "effect/VornikFlangerLanes.h"
#include "effect/VornikFlangerLfo.h"
#include "effect/VornikFlangerReadPlans.h"
#include "effect/VornikFlangerWetPass.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

// Internal to the translation unit that includes it, as the kernels were when they shared
// one file: the compiler sees every caller, so it inlines and specialises them freely.
namespace VornikFlanger {
namespace {

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

} // namespace
} // namespace VornikFlanger
