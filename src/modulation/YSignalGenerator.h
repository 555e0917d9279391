// YSignalGenerator: the LFO shape. Its settings are compiled by Refresh into one table of
// 8192 floats per cycle; the audio thread only reads that table (Evaluate).
#pragma once

#include "core/YParameterAdapters.h"
#include "modulation/YEnvelopeComputer.h"
#include "platform/YSynchronizer.h"
#include "primitives/YFFT.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

struct YStorer;

class YSignalGenerator : public YParameterSpecialObject {
public:
    static constexpr int32_t kTableLength = 8192;
    static constexpr int32_t kMaxSteps = 32;
    static constexpr int32_t kHarmonicCount = 7; // added harmonics 2 ... 8
    static constexpr int32_t kSpectrumLength = 256;
    static constexpr int32_t kModeShapes = 0;
    static constexpr int32_t kModeHarmonics = 1;
    static constexpr double kDefaultValue = 5.0; // "Sine"

    YSignalGenerator();
    ~YSignalGenerator() override;
    YSignalGenerator(const YSignalGenerator&) = delete;
    YSignalGenerator& operator=(const YSignalGenerator&) = delete;

    // Table lookup at phase (cycles) scaled by the speed pair; linear interpolation. Never
    // allocates or locks. Negative phases wrap; a non-finite phase reads the table start.
    double Evaluate(double phase) const noexcept { return Lookup(phase * m_lookupScale); }
    // The same at one cycle per unit of phase, whatever the speed pair.
    double EvaluateCycle(double phase) const noexcept { return Lookup(phase * kTableLength); }

    // Rebuilds the table when a setting changed since the last rebuild; returns whether it
    // did. Called at block start by the owning effect. When the lock is held by another
    // thread the rebuild is left for the next call.
    bool Refresh();
    bool IsDirty() const noexcept { return m_dirty.load(std::memory_order_acquire); }
    void MarkDirty() noexcept { m_dirty.store(true, std::memory_order_release); }

    // The compiled cycle: kTableLength + 1 values, the last repeating the first.
    const float* Table() const noexcept { return m_table.data(); }
    double LookupRatio() const noexcept { return m_lookupRatio; }
    double LookupScale() const noexcept { return m_lookupScale; }
    // Fractional part of the main shape position used by the last rebuild.
    double MorphFraction() const noexcept { return m_morphFraction; }

    // The lock that guards settings and rebuilds; editors hold it while they change things.
    // The owner may point it at its own lock; nullptr restores the generator's own.
    YLock& Lock() noexcept { return *m_lock; }
    void SetLock(YLock* lock) noexcept { m_lock = lock ? lock : &m_ownLock; }

    // The host adapter for a special record bound to the generator, chosen by the record's
    // name (or ID): "Shape", "Custom morph", "Step sequencer", "Smoothness", "Transformations"
    // or "Shape harmonics". Any other record raises "Invalid plugin parameter type.".
    std::unique_ptr<ParameterSpecialMainBase>
    CreateParameterAdapter(const ParameterAdapterSetup& setup) override;

    // Setters mark the generator dirty. Out-of-range values are limited to their range;
    // NaN leaves the setting unchanged.
    int32_t GetMode() const noexcept { return m_mode; }
    void SetMode(int32_t mode);
    // Position in the shape bank, 0 ... 15; the rebuild limits it (and stores it back).
    double GetValue() const noexcept { return m_value; }
    void SetValue(double value);
    // Speed pair (p, q): the table is read q/p times slower. Both must be positive and finite.
    void SetSpeed(double p, double q);
    double GetSpeedP() const noexcept { return m_speedP; }
    double GetSpeedQ() const noexcept { return m_speedQ; }

    // The curves: the hand-drawn shape over x = 0 ... 1 (y −1 ... 1); the time warp, read
    // position over x (identity by default); the amplitude curve, which maps a table value v
    // as y at x = (v + 1) / 2 (identity from (0, −1) to (1, 1) by default). Setting one
    // compiles it (raises "Invalid control point type." and keeps the old one on a bad type).
    const YEnvelopeComputer& Envelope() const noexcept { return m_envelope; }
    void SetEnvelope(const YEnvelopeComputer::PointList& points);
    const YEnvelopeComputer& Transform() const noexcept { return m_transform; }
    void SetTransform(const YEnvelopeComputer::PointList& points);
    const YEnvelopeComputer& AmplitudeTransform() const noexcept { return m_amplitudeTransform; }
    void SetAmplitudeTransform(const YEnvelopeComputer::PointList& points);
    bool GetTransformEnable() const noexcept { return m_transformEnable; }
    void SetTransformEnable(bool on);
    bool GetAmplitudeTransformEnable() const noexcept { return m_amplitudeTransformEnable; }
    void SetAmplitudeTransformEnable(bool on);
    static YEnvelopeComputer::PointList DefaultEnvelope();
    static YEnvelopeComputer::PointList DefaultTransform();
    static YEnvelopeComputer::PointList DefaultAmplitudeTransform();

    // Writes or reads every setting under the storer's item (absent values read as defaults).
    void Store(const YStorer& storer);
    const YString& GetSampleFilePath() const noexcept { return m_sampleFilePath; }
    void SetSampleFilePath(const YString& path) { m_sampleFilePath = path; }

    double GetEnvelopeDepth() const noexcept { return m_envelopeDepth; }
    void SetEnvelopeDepth(double depth);

    // One cycle of a custom sample (kTableLength floats; non-finite values become 0).
    bool HasCustomSample() const noexcept { return m_hasCustomSample; }
    const float* CustomSample() const noexcept { return m_customSample.data(); }
    void SetCustomSample(const float* samples);
    // One cycle of any length (at least 2 samples), stretched linearly over kTableLength.
    // Raises "Sample not loaded or too short." for fewer samples.
    void SetCustomSample(const float* samples, int32_t count);
    void ClearCustomSample();
    // Amount of the custom sample; 0 whenever no custom sample is present.
    double GetDepth() const noexcept { return m_depth; }
    void SetDepth(double depth);

    double GetSmoothness() const noexcept { return m_smoothness; }
    void SetSmoothness(double smoothness);

    // Step sequencer.
    float GetStepValue(int32_t step) const noexcept;
    void SetStepValue(int32_t step, double value);
    int32_t GetStepCount() const noexcept { return m_stepCount; }
    void SetStepCount(int32_t count);
    int32_t GetStepType(int32_t step) const noexcept;
    void SetStepType(int32_t step, int32_t type);
    bool GetStepBaseLowest() const noexcept { return m_stepBaseLowest; }
    void SetStepBaseLowest(bool on);
    double GetStepDepth() const noexcept { return m_stepDepth; }
    void SetStepDepth(double depth);

    // Transformations, each −1 ... 1.
    double GetPhase() const noexcept { return m_phase; }
    void SetPhase(double phase);
    double GetSkew() const noexcept { return m_skew; }
    void SetSkew(double skew);
    double GetFullSkew() const noexcept { return m_fullSkew; }
    void SetFullSkew(double fullSkew);
    double GetHalve() const noexcept { return m_halve; }
    void SetHalve(double halve);
    // Added harmonic number 2 ... 8: amount −1 ... 1 and phase 0 ... 1 (cycles of the harmonic).
    double GetHarmonic(int32_t harmonic) const noexcept;
    void SetHarmonic(int32_t harmonic, double amount);
    double GetHarmonicPhase(int32_t harmonic) const noexcept;
    void SetHarmonicPhase(int32_t harmonic, double phase);

    // Harmonics mode: the spectrum (bin k holds Magnitude² at phase Phase cycles) and the
    // settings of the generator that produces it.
    int32_t GetSpectrumCount() const noexcept { return m_spectrumCount; }
    void SetSpectrumCount(int32_t count);
    float GetMagnitude(int32_t bin) const noexcept;
    void SetMagnitude(int32_t bin, double magnitude);
    float GetSpectrumPhase(int32_t bin) const noexcept;
    void SetSpectrumPhase(int32_t bin, double phase);

    struct HarmonicsSettings {
        double Harmonicity = 1.0;        // 0 ... 1: 1 gives a clean series, 0 random levels and phases
        double Slope = 0.25;             // 0 ... 1: partial k has level k^(−4·Slope)
        double Fullness = 1.0;           // 0 ... 1: share of partials present
        double FundamentalMinimum = 0.0; // 0 ... 1: fundamental at least this share of the loudest other
        double Seed = 0.0;               // random seed, 0 ... 2^32 − 1
        double SampleRatio = 1.0;
        double SamplePosition = 0.0;
        double PostSharpen = 0.0;
        double PostNoise = 0.0;
        double PostClean = 0.0;
        double PostCompress = 0.0;
        double PostHarmonize = 0.0;
    };
    const HarmonicsSettings& GetHarmonicsSettings() const noexcept { return m_harmonics; }
    // Takes the settings (limited to their ranges) and regenerates the spectrum from them.
    void SetHarmonicsSettings(const HarmonicsSettings& settings);
    // Writes Magnitudes and Phases from the harmonics settings (all kSpectrumLength bins).
    void GenerateHarmonics();

private:
    double Lookup(double position) const noexcept;
    void Rebuild();
    void RenderShapes();
    void RenderSteps(float* out) const;
    void RenderSpectrum();
    void ApplyPhase();
    void ApplySkew();
    void ApplyFullSkew();
    void ApplyHalve();
    void ApplyHarmonics();
    void ApplySmoothness();
    void ApplyTransform();
    void ApplyAmplitudeTransform();
    void Normalise();
    // Every setting that reaches the table counts a change; a rebuild notes the count it saw.
    void Changed() noexcept {
        m_changes.fetch_add(1, std::memory_order_release);
        MarkDirty();
    }

    double m_lookupRatio = 1.0;
    double m_lookupScale = kTableLength;
    double m_morphFraction = 0.0;
    std::vector<float> m_table;
    std::vector<float> m_a, m_b, m_c;

    int32_t m_mode = kModeShapes;
    double m_value = kDefaultValue;
    double m_speedP = 1.0;
    double m_speedQ = 1.0;
    YEnvelopeComputer m_envelope;
    double m_envelopeDepth = 0.0;
    bool m_hasCustomSample = false;
    std::vector<float> m_customSample;
    double m_depth = 0.0;
    double m_smoothness = 0.0;
    std::vector<float> m_kernel;
    std::vector<float> m_wrapped; // the cycle padded for the smoothing convolution

    std::atomic<bool> m_dirty{true};
    // A load marks the generator dirty even when it set nothing new (the owner's declickers
    // follow every refresh); the table is computed again only when a setting changed.
    std::atomic<uint64_t> m_changes{0};
    uint64_t m_builtChanges = ~uint64_t{0};
    YLock m_ownLock;
    YLock* m_lock = &m_ownLock;

    std::array<float, kMaxSteps> m_stepValues{};
    int32_t m_stepCount = 8;
    std::array<uint8_t, kMaxSteps> m_stepTypes{};
    bool m_stepBaseLowest = false;
    double m_stepDepth = 0.0;

    double m_phase = 0.0;
    double m_skew = 0.0;
    double m_fullSkew = 0.0;
    double m_halve = 0.0;
    std::array<double, kHarmonicCount> m_harmonic{};
    std::array<double, kHarmonicCount> m_harmonicPhase{};

    bool m_transformEnable = false;
    bool m_amplitudeTransformEnable = false;
    YEnvelopeComputer m_transform;
    YEnvelopeComputer m_amplitudeTransform;

    int32_t m_spectrumCount = kSpectrumLength;
    std::vector<float> m_magnitudes;
    std::vector<float> m_phases;
    HarmonicsSettings m_harmonics;
    YString m_sampleFilePath;
    YFFT m_fft;
    std::vector<float> m_spectrum;
};
