// VornikAudioEffectPlugin: the flanger. Each channel's wet path runs through a short
// pre-delay, a low-pass/high-pass pair, an optional saturator and a swept delay line with
// feedback; the output mixes that wet signal with the (optionally delayed) dry signal.
#pragma once

#include "effect/YBiquadFilter.h"
#include "effect/YDelay.h"
#include "effect/VornikAutomationSmoother.h"
#include "effect/VornikTailLength.h"
#include "effect/YModulationPluginBase.h"
#include "effect/YSaturationCurve.h"
#include "effect/YVibrato.h"

#include <cstdint>

class VornikAudioEffectPlugin : public YModulationPluginBase {
public:
    enum ParameterIndex : int32_t {
        kMode = 0,
        kDepth = 1,
        kRange = 2,
        kRate = 3,
        kFeedback = 4,
        kPhaseDifference = 5,
        kDelay = 6,
        kMinFrequency = 7,
        kMaxFrequency = 8,
        kJet = 9,
        kJetPhase = 10,
        kSaturation = 11,
        kFirstSync = 12, // switch, length, type, phase
        kParameterCount = 16,
    };
    enum Mode : int32_t { kModeDefault = 0, kModeTape = 1, kModeTape2 = 2 };
    static constexpr int32_t kModeCount = 3;
    static const char* const kModeNames[kModeCount];

    // The widest sweep: 10 ms of delay either side of the centre.
    static constexpr double kMaximumRangeSeconds = 0.01;
    // Fastest change of the range: samples of range per sample.
    static constexpr double kRangeGlideStep = 0.01;
    // Fastest change of the pre-delay and of the dry path's delay: samples per sample (a 2 %
    // pitch shift). A jump glides along a curve that reaches this speed half way and starts
    // and ends at rest, 0.0089 samples per sample on average, near the range's glide.
    static constexpr double kDelayGlideStep = 0.02;

    VornikAudioEffectPlugin();
    ~VornikAudioEffectPlugin() override;

    void Update() override;
    void Load(YXMLItem& item) override;
    int32_t Prepare(int32_t channels, double sampleRate) override;
    void Process(const YProcessingContext& context, float* const* inputs, float* const* outputs,
                 int32_t frames) override;
    bool TailSilent() override;
    // Samples the dry path is delayed by: fixed per Mode, interpolation and sample rate (the
    // tape modes count the largest range), so that the range can move without hosts re-aligning.
    int32_t GetLatency() override;
    // Samples until the current settings' ringing falls below -120 dB, -1 for never
    // (VornikTailLength.cpp).
    int32_t GetTailLength() override;
    void DefineSynchronizationParameters() override;

    // --- State, for the editor and for tests ---

    double MaximumRange() const noexcept { return m_maximumRange; }
    double CurrentRange() const noexcept { return m_currentRange; }
    double TargetRange() const noexcept { return m_targetRange; }
    double RangeStep() const noexcept { return m_rangeStep; }
    // Dry-signal delay of the tape modes, in samples (0 in the default mode).
    int32_t TapeDelay() const noexcept { return m_tapeDelay; }
    bool DryDelayed() const noexcept { return m_dryDelay; }
    bool SincInterpolation() const noexcept { return m_sinc; }
    // The delays a listener hears now and the ones they glide to, in samples (the dry path's
    // is 0 while it is not delayed).
    double PreDelayNow() const noexcept { return m_preGlide.Curve.Value(); }
    double PreDelayTarget() const noexcept { return m_preGlide.Rest; }
    double DryDelayNow() const noexcept { return m_dryGlide.Curve.Value(); }
    double DryDelayTarget() const noexcept { return m_dryGlide.Rest; }
    const YBiquadFilterDesign& LowPass() const noexcept { return m_lowPass; }
    const YBiquadFilterDesign& HighPass() const noexcept { return m_highPass; }
    const YSaturationCurve& Saturation() const noexcept { return m_saturation; }
    const YAudioFilters::Vibrato<float>& ModulatedLine(int32_t channel) const { return m_modulated[channel]; }
    const YAudioFilters::Delay<float>& PreDelayLine(int32_t channel) const { return m_preDelay[channel]; }
    const YAudioFilters::Delay<float>& DryLine(int32_t channel) const { return m_dryLine[channel]; }
    PluginParameter& ShapeParameter() noexcept { return m_shape; }

    // Runs every block through the unspecialised loop: the reference the specialised loops
    // are checked against.
    void SetGeneralPathOnly(bool on) noexcept { m_generalOnly = on; }

    // Everything one channel's block needs in the unspecialised loop.
    struct ChannelBlock;
    // What a block reads once: ramps, choices and channel phases.
    struct BlockSettings {
        double Depth = 1.0, DepthStep = 0.0;
        double Feedback = 0.0, FeedbackStep = 0.0;
        double Jet = 0.0, JetStep = 0.0;
        double JetPhase = 0.0, JetPhaseStep = 0.0;
        double SaturationStep = 0.0; // from the amount ProcessPiece is given
        bool Saturate = false;
        bool JetActive = false;
        bool Ramping = false; // Depth or Feedback ramps
        bool Gliding = false; // the range glides
        bool LinesGlide = false; // the pre-delay or the dry delay glides
        double ChannelPhase[kMaxChannels] = {};
    };

private:
    // Lines whose storage the processing loop walks with its own indices.
    class ModulatedLineT : public YAudioFilters::Vibrato<float> {
    public:
        float* Samples() noexcept { return m_data.get(); }
        void SetPosition(int32_t position) noexcept { m_position = position; }
    };
    class DelayLineT : public YAudioFilters::Delay<float> {
    public:
        float* Samples() noexcept { return m_data.get(); }
        void SetPosition(int32_t position) noexcept { m_position = position; }
    };

    // The block is cut into chunks of this many samples for the fast path's buffers.
    static constexpr int32_t kChunk = 256;

    // Everything after the ramps are known, for one block or one piece of a smoothed block.
    void ProcessPiece(BlockSettings& block, double saturation, float* const* inputs, float* const* outputs,
                      int32_t frames);
    // Aims the range's glide at a range in seconds, reached across the next frames samples as
    // far as the glide's fastest step allows.
    void AimRange(double seconds, int32_t frames) noexcept;
    void ProcessGeneral(const BlockSettings& settings, float* const* inputs, float* const* outputs,
                        int32_t frames);
    void ProcessFast(const BlockSettings& settings, float* const* inputs, float* const* outputs,
                     int32_t frames);
    void DefineParameters();
    // Makes sure that no later Update needs to allocate for channel c.
    void ReserveLines(int32_t channel);
    // Clears a channel whose lines or filters hold a non-finite value.
    void ClearChannel(int32_t channel) noexcept;
    // While a delay glides its lines are long rings read between samples; afterwards they
    // return to rings of the delay's length, keeping the latest history.
    void EnterGlideLayout(int32_t channels) noexcept;
    void LeaveGlideLayout(int32_t channels) noexcept;

    PluginParameter m_parameters[kParameterCount];
    // Parameters the effect smooths when the frame asks for it; a block where one moves runs in
    // pieces of at most kSmoothPiece samples. The first kRampedCount ramp across each piece, the
    // rest take the value the piece ends on (Range as its glide's aim, Saturation, the filters'
    // corners).
    static constexpr int32_t kSmoothedCount = 8;
    static constexpr int32_t kRampedCount = 4;
    static constexpr int32_t kSmoothPiece = 32;
    // The filters' coefficients hold still across a piece: while a corner moves, shorter ones.
    static constexpr int32_t kFilterPiece = 8;
    VornikAutomationSmoother m_smoothers[kSmoothedCount];
    bool m_smoothersSet = false;
    PluginParameter m_shape;

    ModulatedLineT m_modulated[kMaxChannels];
    DelayLineT m_preDelay[kMaxChannels];
    DelayLineT m_dryLine[kMaxChannels];

    double m_maximumRange = 0.0;
    double m_currentRange = 0.0;
    double m_targetRange = 0.0;
    double m_rangeStep = 0.0;

    YBiquadFilterDesign m_lowPass;
    YBiquadFilterDesign m_highPass;
    YBiquadFilterState m_lowPassState[kMaxChannels];
    YBiquadFilterState m_highPassState[kMaxChannels];

    YSaturationCurve m_saturation;
    double m_saturationAmount = 0.0;
    double m_evenHarmonics = 1.0; // K

    bool m_dryDelay = false;
    // A delay in samples on its way to the value Update asked for. While the host moves Delay
    // the curve follows its values between samples; once it settles, it ends on the whole
    // number of samples the line keeps.
    struct DelayGlide {
        VornikAutomationSmoother Curve;
        double Aim = 1.0;  // the last value handed to the curve
        double Rest = 1.0; // the line's length once the glide ends
        bool Between = false; // aims between samples until the curve comes to rest
        bool Moving() const noexcept { return Curve.Moving() || Curve.Value() != Rest; }
        void Aims(double value) noexcept {
            Aim = value;
            Curve.Take(value, kDelayGlideStep);
        }
        void Snap() noexcept {
            Aim = Rest;
            Between = false;
            Curve.Reset(Rest);
        }
        // A curve that came to rest between samples moves on to the line's length.
        void Settle() noexcept {
            if (Curve.Moving()) return;
            Between = false;
            if (Curve.Value() != Rest) Aims(Rest);
        }
    };
    DelayGlide m_preGlide;
    DelayGlide m_dryGlide;
    // Where the glides end: the dry line's length and whether it is used.
    int32_t m_preLengthTarget = 1;
    int32_t m_dryLengthTarget = 1;
    bool m_dryDelayTarget = false;
    // The Delay Update last saw: a change aims the pre-delay between samples.
    double m_lastDelaySamples = -1.0;
    bool m_glideLayout = false;
    // The next Update sets the lines' lengths at once (after preparation).
    bool m_snapLines = true;
    bool m_sinc = false;
    int32_t m_tapeDelay = 0;
    static int32_t TapeDelayFor(int32_t mode, double range) noexcept;
    static int32_t DryCompensation(bool sinc) noexcept;
    int32_t LatencyFor(int32_t mode, bool sinc) const noexcept;
    // Lines are sized by Update; until then Process passes its input through.
    bool m_configured = false;
    bool m_generalOnly = false;
    VornikTailLength m_tailLength;

    // The fast path's per-chunk buffers: limited LFO values and the wet input of each channel.
    alignas(64) double m_lfo[kMaxChannels][kChunk] = {};
    alignas(64) float m_wet[kMaxChannels][kChunk] = {};
    // Read positions planned straight from the LFO, one plan per pair of channels.
    alignas(64) int32_t m_planWhole[kMaxChannels / 2][kChunk] = {};
    alignas(64) double m_planFraction[kMaxChannels / 2][kChunk] = {};
};
