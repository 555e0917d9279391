// The flanger's reference loop: every choice made per sample and every line used through its
// own operations. The fast path must give exactly its numbers.
#include "effect/VornikAudioEffectPlugin.h"
#include "effect/VornikFlangerBasics.h"
#include "effect/VornikFlangerInterpolation.h"

#include <algorithm>
#include <cstdint>

using namespace VornikFlanger;

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
    double SaturationAmount = 0.0, SaturationStep = 0.0, EvenHarmonics = 1.0;

    bool Sinc = false;
    bool Saturate = false;
    bool JetActive = false;
    bool DryDelay = false;
    // Pre-delay and dry delay in samples, gliding along their curves through long rings
    // (the curves' states reached are written back).
    bool LinesGlide = false;
    VornikAutomationSmoother PreCurve, DryCurve;
};

namespace {

using ChannelBlock = VornikAudioEffectPlugin::ChannelBlock;

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

inline float ReadCubic(const ChannelBlock& b, int32_t position, double offset) noexcept {
    double t;
    const int32_t i = ReadIndex(b, position, offset, t);
    return CubicAt(b.Line, b.LineLength, i, static_cast<float>(t));
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

// The input `delay` samples back on a ring just pushed (0: that sample). Between samples
// Catmull-Rom, from the older neighbour toward the newer; within the last sample, where no
// newer neighbour exists, a straight line.
inline float GlideRead(const YAudioFilters::Delay<float>& line, double delay) noexcept {
    // A curve turned back while moving fast runs on past its aim for a while: the read stays
    // on the ring, with the neighbours it needs.
    delay = std::clamp(delay, 0.0, static_cast<double>(std::max(0, line.Length() - 3)));
    const int32_t k = static_cast<int32_t>(delay);
    const double f = delay - k;
    if (f == 0.0) return line.Back(k);
    if (k == 0) return static_cast<float>((1.0 - f) * line.Back(0) + f * line.Back(1));
    const float xm1 = line.Back(k + 2), x0 = line.Back(k + 1), x1 = line.Back(k), x2 = line.Back(k - 1);
    const float t = static_cast<float>(1.0 - f);
    return ((((x0 - x1) * 3.0f - xm1 + x2) * 0.5f * t + (2.0f * x1 + xm1 - (5.0f * x0 + x2) * 0.5f)) * t +
            (x1 - xm1) * 0.5f) *
               t +
           x0;
}

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
        float p;
        if (b.LinesGlide) {
            preDelay.Push(x);
            p = GlideRead(preDelay, b.PreCurve.Value());
        } else {
            p = preDelay.PushPop(x);
        }
        double v = static_cast<double>(p + kInputGuard);
        v = b.LowPass->Process(v, lp);
        if (b.Saturate) v += kFilterGuard;
        v = b.HighPass->Process(v, hp);
        if (b.Saturate) {
            const double y = b.Curve->Evaluate(v);
            const double e = y - v;
            const double amount = b.SaturationAmount + i * b.SaturationStep;
            v = amount * (y + b.EvenHarmonics * (e * e)) + (1.0 - amount) * v;
        }
        line.Push(static_cast<float>(tap * feedback) + static_cast<float>(v));

        float dry = x;
        if (b.LinesGlide) {
            dryLine.Push(x);
            dry = GlideRead(dryLine, b.DryCurve.Value());
            b.PreCurve.Advance(1);
            b.DryCurve.Advance(1);
        } else if (b.DryDelay) {
            dry = dryLine.PushPop(x);
        }
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

} // namespace

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
    block.SaturationStep = settings.SaturationStep;
    block.EvenHarmonics = m_evenHarmonics;
    block.Sinc = m_sinc;
    block.Saturate = settings.Saturate;
    block.JetActive = settings.JetActive;
    block.DryDelay = m_dryDelay;
    block.LinesGlide = settings.LinesGlide;

    const int32_t channels = std::clamp(m_channelCount, 0, static_cast<int32_t>(kMaxChannels));
    double range = m_currentRange, rangeStep = m_rangeStep;
    VornikAutomationSmoother preCurve = m_preGlide.Curve, dryCurve = m_dryGlide.Curve;
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
        block.PreCurve = m_preGlide.Curve;
        block.DryCurve = m_dryGlide.Curve;
        RunGeneral(block, m_preDelay[c], m_dryLine[c], line);
        m_lowPassState[c] = block.LowPassState;
        m_highPassState[c] = block.HighPassState;
        range = block.Range;
        rangeStep = block.RangeStep;
        preCurve = block.PreCurve;
        dryCurve = block.DryCurve;
        any = true;
    }
    if (any) {
        m_currentRange = range;
        m_rangeStep = rangeStep;
    } else if (settings.LinesGlide) {
        for (int32_t i = 0; i < frames; ++i) {
            preCurve.Advance(1);
            dryCurve.Advance(1);
        }
    }
    if (settings.LinesGlide) {
        m_preGlide.Curve = preCurve;
        m_dryGlide.Curve = dryCurve;
    }
}
