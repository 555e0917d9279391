#include "effect/VornikAudioEffectPlugin.h"

#include "effect/VornikLoopGain.h"
#include "effect/VornikParameterTable.h"
#include "foundation/YException.h"
#include "foundation/YXMLItem.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// Smaller differences count as no change.
constexpr double kChangeEpsilon = 1e-50;
// A modulated line whose samples all stay below this is silent.
constexpr float kSilence = 1e-20f;

constexpr double kFilterQ = 0.7;
constexpr int32_t kSincDryDelay = 18;
constexpr int32_t kCubicDryDelay = 1;

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
    for (const VornikParameterRecord& r : VornikParameters::kTable) {
        PluginParameter& record = m_parameters[r.Index];
        if (r.Kind == kParameterEnum)
            record.DefineEnum(r.ID, r.Name, kModeNames, kModeCount, static_cast<int32_t>(r.Default));
        else
            record.DefineFloat(r.ID, r.Name, r.Min, r.Max, r.Default, r.Shape);
        record.TextFunction = r.Text;
        record.SetFlagA(PluginParameter::kInterpolable, r.Interpolable);
        record.SetFlagA(PluginParameter::kMarkOwner, r.MarkOwner);
        record.SetFlagA(PluginParameter::kRandomizable, r.Randomizable);
        record.Description = r.Help;
        if (r.Group != 0) record.UserInts[0] = record.UserInts[1] = r.Group;
    }
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
    // The longest delays plus the neighbours a read between samples needs while gliding.
    constexpr int32_t kGlideNeighbours = 4;
    grow(m_preDelay[channel],
         static_cast<int32_t>(fs * 0.02) + 1 + static_cast<int32_t>(m_maximumRange) + kGlideNeighbours);
    grow(m_dryLine[channel], kSincDryDelay + static_cast<int32_t>(m_maximumRange) + kGlideNeighbours);
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
    m_snapLines = true;
    // Preparation drops the history: the smoothers start again from the settings.
    m_smoothersSet = false;
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

    const int32_t mode = m_parameters[kMode].Enum.Value;
    m_tapeDelay = TapeDelayFor(mode, m_currentRange);
    const YEffectFrameSettings* settings = FrameSettings();
    m_sinc = settings != nullptr && settings->Sinc != 0;

    // The dry path always waits the reported latency, the most these settings could ever need
    // whatever the range; the wet path waits the rest, so the two keep the distance the range
    // gives them and hosts need not re-align while the range moves.
    const int32_t latency = LatencyFor(mode, m_sinc);
    const int32_t ownDry = m_tapeDelay >= 1 || m_sinc ? DryCompensation(m_sinc) + m_tapeDelay : 0;
    const int32_t extra = std::max(0, latency - ownDry);
    const bool dryDelay = latency >= 1;

    // With smoothed automation the pre-delay follows the host's values, not the frame's ramps
    // between them: its own curve is smoother than those.
    const PluginParameter& delayRecord = m_parameters[kDelay];
    const bool smooth = settings != nullptr && settings->SmoothAutomation != 0;
    double delaySamples = fs * (smooth ? delayRecord.Float.Value : delayRecord.EffectiveFloat());
    if (!(delaySamples >= 1.0)) delaySamples = 1.0;
    delaySamples = std::min(delaySamples, fs * 0.02 + 1.0);
    const int32_t preLength = static_cast<int32_t>(delaySamples) + extra;
    const double reserve = std::trunc(m_maximumRange) + 1.0;
    const int32_t margin =
        m_sinc ? YAudioFilters::Vibrato<float>::kSincMargin : YAudioFilters::Vibrato<float>::kCubicMargin;
    const int32_t dryLength = latency;
    const int32_t n = std::clamp(m_channelCount, 0, static_cast<int32_t>(kMaxChannels));
    for (int32_t c = 0; c < n; ++c) m_modulated[c].Configure(reserve, margin, m_sinc);

    // The pre-delay and the dry path's delay glide to their new lengths while processing
    // (resizing the rings would jump); only the first update after preparation sets them.
    m_preLengthTarget = std::max(1, preLength);
    m_dryLengthTarget = std::max(1, dryLength);
    m_dryDelayTarget = dryDelay;
    m_preGlide.Rest = m_preLengthTarget;
    m_dryGlide.Rest = dryDelay ? m_dryLengthTarget : 0.0;
    if (!m_configured || m_snapLines) {
        for (int32_t c = 0; c < n; ++c) {
            m_preDelay[c].Resize(m_preLengthTarget);
            m_dryLine[c].Resize(m_dryLengthTarget);
        }
        m_dryDelay = dryDelay;
        m_preGlide.Snap();
        m_dryGlide.Snap();
        m_glideLayout = false;
        m_snapLines = false;
    } else {
        // A Delay the host moves is followed between samples; anything else (Mode, the
        // interpolation, a range that changes the tape delay) aims at whole samples.
        if (delaySamples != m_lastDelaySamples) m_preGlide.Between = true;
        const double preAim = m_preGlide.Between ? std::max(1.0, delaySamples + extra) : m_preGlide.Rest;
        if (preAim != m_preGlide.Aim) m_preGlide.Aims(preAim);
        if (m_dryGlide.Rest != m_dryGlide.Aim) m_dryGlide.Aims(m_dryGlide.Rest);
    }
    m_lastDelaySamples = delaySamples;
    m_configured = true;
}

int32_t VornikAudioEffectPlugin::TapeDelayFor(int32_t mode, double range) noexcept {
    switch (mode) {
    case kModeTape:
        return static_cast<int32_t>(range * 0.5);
    case kModeTape2:
        return static_cast<int32_t>(range);
    default:
        return 0;
    }
}

int32_t VornikAudioEffectPlugin::DryCompensation(bool sinc) noexcept { return sinc ? kSincDryDelay : kCubicDryDelay; }

int32_t VornikAudioEffectPlugin::LatencyFor(int32_t mode, bool sinc) const noexcept {
    const int32_t tape = TapeDelayFor(mode, m_maximumRange);
    return tape >= 1 || sinc ? DryCompensation(sinc) + tape : 0;
}

int32_t VornikAudioEffectPlugin::GetLatency() {
    if (!(m_sampleRate > 0.0)) return 0;
    const YEffectFrameSettings* settings = FrameSettings();
    return LatencyFor(m_parameters[kMode].Enum.Value, settings != nullptr && settings->Sinc != 0);
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

void VornikAudioEffectPlugin::EnterGlideLayout(int32_t channels) noexcept {
    for (int32_t c = 0; c < channels; ++c) {
        // An unused dry line holds old audio; the glide starts from the present sample.
        if (!m_dryDelay) m_dryLine[c].Clear();
        m_preDelay[c].Relayout(m_preDelay[c].Capacity());
        m_dryLine[c].Relayout(m_dryLine[c].Capacity());
    }
    m_glideLayout = true;
}

void VornikAudioEffectPlugin::LeaveGlideLayout(int32_t channels) noexcept {
    for (int32_t c = 0; c < channels; ++c) {
        m_preDelay[c].Relayout(m_preLengthTarget);
        m_dryLine[c].Relayout(m_dryLengthTarget);
    }
    m_dryDelay = m_dryDelayTarget;
    m_glideLayout = false;
}

void VornikAudioEffectPlugin::Process(const YProcessingContext& context, float* const* inputs,
                                      float* const* outputs, int32_t frames) {
    if (frames <= 0 || inputs == nullptr || outputs == nullptr) return;
    HostPhase(context);
    RefreshGenerator();
    ScopedLock lock(*this);

    const int32_t channels = std::clamp(m_channelCount, 0, static_cast<int32_t>(kMaxChannels));
    if (!m_configured) {
        m_smoothersSet = false;
        // Nothing is sized before the first update: pass the signal through untouched.
        for (int32_t c = 0; c < channels; ++c)
            if (inputs[c] != nullptr && outputs[c] != nullptr && inputs[c] != outputs[c])
                std::memmove(outputs[c], inputs[c], sizeof(float) * static_cast<size_t>(frames));
        return;
    }

    const YEffectFrameSettings* frame = FrameSettings();
    if (frame == nullptr || frame->SmoothAutomation == 0) {
        m_smoothersSet = false;
        BlockSettings block;
        TakeRamp(m_parameters[kDepth], frames, block.Depth, block.DepthStep);
        TakeRamp(m_parameters[kFeedback], frames, block.Feedback, block.FeedbackStep);
        TakeRamp(m_parameters[kJet], frames, block.Jet, block.JetStep);
        TakeRamp(m_parameters[kJetPhase], frames, block.JetPhase, block.JetPhaseStep);
        ProcessPiece(block, m_parameters[kSaturation].EffectiveFloat(), inputs, outputs, frames);
        return;
    }

    // The frame asks for smoothed automation: the ramped parameters follow their smoothers,
    // the block cut where a smoother's segment ends and into pieces short enough that a
    // straight ramp per piece stays on the curve.
    // The frame ramps the filters' corners across its own sub-blocks; the effect follows the
    // host's value itself (Value, not the frame's held ramp), as for the others.
    constexpr int32_t kSmoothIndex[kSmoothedCount] = {kDepth,  kFeedback,   kJet,          kJetPhase,
                                                      kRange, kSaturation, kMinFrequency, kMaxFrequency};
    constexpr int32_t kRangeSlot = 4, kSaturationSlot = 5, kMinSlot = 6, kMaxSlot = 7;
    if (!m_smoothersSet) {
        for (int32_t k = 0; k < kSmoothedCount; ++k) {
            const PluginParameter& record = m_parameters[kSmoothIndex[k]];
            m_smoothers[k].Reset(k < kRampedCount ? record.Float.Processing : record.Float.Value);
        }
        m_smoothersSet = true;
    }
    for (int32_t k = 0; k < kSmoothedCount; ++k) {
        PluginParameter& record = m_parameters[kSmoothIndex[k]];
        m_smoothers[k].Take(record.Float.Value);
        if (k < kRampedCount) record.Float.Processing = record.Float.Value;
    }
    float* in[kMaxChannels];
    float* out[kMaxChannels];
    for (int32_t c = 0; c < channels; ++c) {
        in[c] = inputs[c];
        out[c] = outputs[c];
    }
    for (int32_t done = 0; done < frames;) {
        int32_t n = frames - done;
        bool moving = false;
        for (const VornikAutomationSmoother& smoother : m_smoothers) {
            if (!smoother.Moving()) continue;
            moving = true;
            n = std::min(n, smoother.SegmentLeft());
        }
        if (moving) n = std::min(n, kSmoothPiece);
        if (m_smoothers[kMinSlot].Moving() || m_smoothers[kMaxSlot].Moving()) n = std::min(n, kFilterPiece);
        double start[kSmoothedCount], step[kSmoothedCount], end[kSmoothedCount];
        bool moved[kSmoothedCount];
        for (int32_t k = 0; k < kSmoothedCount; ++k) {
            moved[k] = m_smoothers[k].Moving();
            start[k] = m_smoothers[k].Value();
            m_smoothers[k].Advance(n);
            end[k] = m_smoothers[k].Value();
            step[k] = end[k] != start[k] ? (end[k] - start[k]) / n : 0.0;
        }
        // Only what moves overrides what Update set, so still settings run as they always did.
        if (moved[kRangeSlot]) AimRange(end[kRangeSlot], n);
        if (moved[kMinSlot])
            m_highPass.Design(YBiquadFilterDesign::kHighPass, std::pow(10.0, end[kMinSlot]), m_sampleRate,
                              kFilterQ, 0.0);
        if (moved[kMaxSlot])
            m_lowPass.Design(YBiquadFilterDesign::kLowPass, std::pow(10.0, end[kMaxSlot]), m_sampleRate,
                             kFilterQ, 0.0);
        const double saturation =
            moved[kSaturationSlot] ? start[kSaturationSlot] : m_parameters[kSaturation].EffectiveFloat();
        BlockSettings block;
        block.Depth = start[0];
        block.DepthStep = step[0];
        block.Feedback = start[1];
        block.FeedbackStep = step[1];
        block.Jet = start[2];
        block.JetStep = step[2];
        block.JetPhase = start[3];
        block.JetPhaseStep = step[3];
        if (moved[kSaturationSlot]) block.SaturationStep = step[kSaturationSlot];
        ProcessPiece(block, saturation, in, out, n);
        // The generator's change arms the declickers once, at the block's start.
        m_generatorChanged = 0;
        done += n;
        for (int32_t c = 0; c < channels; ++c) {
            if (in[c] != nullptr) in[c] += n;
            if (out[c] != nullptr) out[c] += n;
        }
    }
}

void VornikAudioEffectPlugin::AimRange(double seconds, int32_t frames) noexcept {
    double target = m_sampleRate * seconds;
    if (!(target >= 1.0)) target = 1.0;
    target = std::max(1.0, std::min(target, m_maximumRange));
    m_targetRange = target;
    // A straight line across the piece: stepping at the fastest rate and then holding would
    // bend twice per piece.
    m_rangeStep = std::clamp((target - m_currentRange) / frames, -kRangeGlideStep, kRangeGlideStep);
}

void VornikAudioEffectPlugin::ProcessPiece(BlockSettings& block, double saturation, float* const* inputs,
                                           float* const* outputs, int32_t frames) {
    const int32_t channels = std::clamp(m_channelCount, 0, static_cast<int32_t>(kMaxChannels));
    VornikLoopGain::MapRamp(block.Feedback, block.FeedbackStep, frames);
    const double phaseDifference = m_parameters[kPhaseDifference].EffectiveFloat();
    m_saturationAmount = saturation;
    block.Saturate = m_saturationAmount >= kChangeEpsilon || std::fabs(block.SaturationStep) >= kChangeEpsilon;
    block.JetActive = std::fabs(block.Jet) >= kChangeEpsilon || std::fabs(block.JetStep) >= kChangeEpsilon;
    block.Ramping = block.DepthStep != 0.0 || block.FeedbackStep != 0.0;
    block.Gliding = m_rangeStep != 0.0;
    m_preGlide.Settle();
    m_dryGlide.Settle();
    if ((m_preGlide.Moving() || m_dryGlide.Moving()) && !m_glideLayout) EnterGlideLayout(channels);
    block.LinesGlide = m_glideLayout;
    // Curves that do not glide still count the time since their last value.
    if (!block.LinesGlide) {
        m_preGlide.Curve.Advance(frames);
        m_dryGlide.Curve.Advance(frames);
    }

    // Channel c runs at o0 + c·pd, o0 lifting every phase to zero or above.
    const double firstOffset = phaseDifference < 0.0 ? -8.0 * phaseDifference : 0.0;
    for (int32_t c = 0; c < channels; ++c)
        block.ChannelPhase[c] = m_phase + (firstOffset + c * phaseDifference);

    // The fast path knows rings of fixed length only.
    if (m_generalOnly || block.LinesGlide)
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
    if (m_glideLayout && !m_preGlide.Moving() && !m_dryGlide.Moving()) LeaveGlideLayout(channels);
    AdvancePhase(frames);
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
