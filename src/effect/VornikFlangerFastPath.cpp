// The flanger's fast path: the reference loop's arithmetic, reorganised. The wet input
// (pre-delay, filters, saturation) does not depend on the feedback loop, so it runs as a pass
// of its own; then the swept-line pass reads taps, writes the line and mixes. Channels run in
// pairs through both passes, which hides the latency of the filter recursions, and the block's
// choices are fixed at compile time.
#include "effect/VornikAudioEffectPlugin.h"
#include "effect/VornikFlangerBasics.h"
#include "effect/VornikFlangerLanes.h"
#include "effect/VornikFlangerLfo.h"
#include "effect/VornikFlangerLinePass.h"
#include "effect/VornikFlangerReadPlans.h"
#include "effect/VornikFlangerTwinPass.h"
#include "effect/VornikFlangerWetPass.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

using namespace VornikFlanger;

void VornikAudioEffectPlugin::ProcessFast(const BlockSettings& settings, float* const* inputs,
                                          float* const* outputs, int32_t frames) {
    const YSignalGenerator& generator = Generator();
    Shared shared;
    shared.LowPass = &m_lowPass;
    shared.HighPass = &m_highPass;
    shared.Curve = &m_saturation;
    shared.SaturationAmount = m_saturationAmount;
    shared.SaturationStep = settings.SaturationStep;
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
            if (!fused) wet2(lanes + k, first, n, shared);
            line2(lanes + k, first, n, shared, reached);
        }
        for (; k < count; ++k) {
            wet1(lanes + k, first, n, shared);
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
