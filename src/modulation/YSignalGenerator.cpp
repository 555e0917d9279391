#include "modulation/YSignalGenerator.h"

#include "core/YStorer.h"
#include "foundation/YException.h"
#include "foundation/YXMLItem.h"
#include "modulation/YEnvelopeCurveStore.h"
#include "modulation/YSignalGeneratorParameters.h"
#include "modulation/YSignalShapeBank.h"
#include "primitives/YStretch.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int32_t N = YSignalGenerator::kTableLength;
constexpr double kFull = 0.99999; // an amount at or above this replaces what it mixes into
constexpr double kUsed = 1e-5;    // an amount below this is ignored
constexpr double kNonZero = 1e-50;

double Limit(double value, double low, double high) { return std::clamp(value, low, high); }

// Linear read of a cyclic table of N values at a fractional position, wrapping both ways.
float ReadWrapped(const float* table, double position) noexcept {
    position = std::fmod(position, static_cast<double>(N));
    if (position < 0.0) position += N;
    if (!(position >= 0.0 && position < N)) position = 0.0; // NaN, or rounding up to N
    const auto k = static_cast<int32_t>(position);
    const auto f = static_cast<float>(position - k);
    return (1.0f - f) * table[k] + f * table[(k + 1) & (N - 1)];
}

// Stores a value unless it is NaN; returns whether it changed.
bool Assign(double& field, double value, double low, double high) {
    if (std::isnan(value)) return false;
    const double limited = Limit(value, low, high);
    if (limited == field) return false;
    field = limited;
    return true;
}

} // namespace

YSignalGenerator::YSignalGenerator()
    : m_table(N + 1, 0.0f), m_a(N, 0.0f), m_b(N, 0.0f), m_c(N, 0.0f), m_customSample(N, 0.0f),
      m_kernel(2 * 256 + 1, 0.0f), m_wrapped(N + 2 * 256, 0.0f), m_magnitudes(kSpectrumLength, 0.0f), m_phases(kSpectrumLength, 0.0f),
      m_fft(N), m_spectrum(N + 2, 0.0f) {
    m_envelope.Compile(DefaultEnvelope());
    m_transform.Compile(DefaultTransform());
    m_amplitudeTransform.Compile(DefaultAmplitudeTransform());
    (void)YSignalShapeBank::Instance();
    for (int32_t k = 0; k < kMaxSteps; ++k) m_stepValues[static_cast<size_t>(k)] = (k % 2) ? -1.0f : 1.0f;
    GenerateHarmonics();
    Rebuild();
    m_builtChanges = m_changes.load(std::memory_order_acquire);
    m_dirty.store(false, std::memory_order_release);
}

YSignalGenerator::~YSignalGenerator() = default;

double YSignalGenerator::Lookup(double s) const noexcept {
    if (!(s >= 0.0 && s < 1e15)) {
        if (!std::isfinite(s)) return m_table[0];
        s = std::fmod(s, static_cast<double>(N));
        if (s < 0.0) s += N;
    }
    const auto i = static_cast<int64_t>(s);
    const auto f = static_cast<float>(s - static_cast<double>(i));
    const auto k = static_cast<size_t>(i & (N - 1));
    return (1.0f - f) * m_table[k] + f * m_table[k + 1];
}

bool YSignalGenerator::Refresh() {
    if (!m_dirty.exchange(false, std::memory_order_acq_rel)) return false;
    // Tried once: the audio thread never waits for an editor.
    if (m_lock->Lock(0) != 0) {
        MarkDirty();
        return false;
    }
    struct Release {
        YLock& lock;
        ~Release() { lock.Unlock(); }
    } release{*m_lock};
    // The same settings give the same table: the rebuild's work is skipped, the refresh is not.
    const uint64_t changes = m_changes.load(std::memory_order_acquire);
    if (changes != m_builtChanges) {
        Rebuild();
        m_builtChanges = changes;
    }
    return true;
}

std::unique_ptr<ParameterSpecialMainBase>
YSignalGenerator::CreateParameterAdapter(const ParameterAdapterSetup& setup) {
    if (setup.Record == nullptr) YRaise("Invalid plugin parameter type.");
    auto named = [&setup](const char* name) {
        const YString n = YString::Literal(name);
        return setup.Record->Name == n || setup.Record->ID == n;
    };
    if (named("Shape")) return std::make_unique<YSignalGeneratorShapeParameter>(setup, *this);
    if (named("Custom morph")) return std::make_unique<YSignalGeneratorCustomMorphParameter>(setup, *this);
    if (named("Step sequencer"))
        return std::make_unique<YSignalGeneratorStepSequencerParameter>(setup, *this);
    if (named("Smoothness")) return std::make_unique<YSignalGeneratorSmoothnessParameter>(setup, *this);
    if (named("Transformations"))
        return std::make_unique<YSignalGeneratorTransformationsParameter>(setup, *this);
    if (named("Shape harmonics")) return std::make_unique<YSignalGeneratorHarmonicsParameter>(setup, *this);
    YRaise("Invalid plugin parameter type.");
}

namespace {
YEnvelopeComputer::PointList TwoPoints(double x0, double y0, double x1, double y1) {
    YEnvelopeComputer::PointList list;
    YEnvelopeComputer::ControlPoint p;
    p.x = x0;
    p.y = y0;
    list.points.push_back(p);
    p.x = x1;
    p.y = y1;
    list.points.push_back(p);
    return list;
}
} // namespace

YEnvelopeComputer::PointList YSignalGenerator::DefaultEnvelope() { return TwoPoints(0.25, 1.0, 0.75, -1.0); }
YEnvelopeComputer::PointList YSignalGenerator::DefaultTransform() { return TwoPoints(0.0, 0.0, 1.0, 1.0); }
YEnvelopeComputer::PointList YSignalGenerator::DefaultAmplitudeTransform() {
    return TwoPoints(0.0, -1.0, 1.0, 1.0);
}

void YSignalGenerator::SetEnvelope(const YEnvelopeComputer::PointList& points) {
    m_envelope.Compile(points);
    Changed();
}

void YSignalGenerator::SetTransform(const YEnvelopeComputer::PointList& points) {
    m_transform.Compile(points);
    Changed();
}

void YSignalGenerator::SetAmplitudeTransform(const YEnvelopeComputer::PointList& points) {
    m_amplitudeTransform.Compile(points);
    Changed();
}

void YSignalGenerator::SetTransformEnable(bool on) {
    if (on == m_transformEnable) return;
    m_transformEnable = on;
    Changed();
}

void YSignalGenerator::SetAmplitudeTransformEnable(bool on) {
    if (on == m_amplitudeTransformEnable) return;
    m_amplitudeTransformEnable = on;
    Changed();
}

// ---- settings ----------------------------------------------------------------------------

void YSignalGenerator::SetMode(int32_t mode) {
    if (mode == m_mode) return;
    m_mode = mode;
    Changed();
}

void YSignalGenerator::SetValue(double value) {
    if (!std::isfinite(value) || value == m_value) return;
    m_value = value;
    Changed();
}

void YSignalGenerator::SetSpeed(double p, double q) {
    if (!(p > 0.0 && q > 0.0 && std::isfinite(p) && std::isfinite(q)))
        YRaise("The speed of the signal generator must be positive.");
    if (p == m_speedP && q == m_speedQ) return;
    m_speedP = p;
    m_speedQ = q;
    Changed();
}

void YSignalGenerator::SetEnvelopeDepth(double depth) {
    if (Assign(m_envelopeDepth, depth, 0.0, 1.0)) Changed();
}

void YSignalGenerator::SetCustomSample(const float* samples) {
    for (int32_t j = 0; j < N; ++j)
        m_customSample[static_cast<size_t>(j)] = std::isfinite(samples[j]) ? samples[j] : 0.0f;
    m_hasCustomSample = true;
    Changed();
}

void YSignalGenerator::SetCustomSample(const float* samples, int32_t count) {
    if (samples == nullptr || count < 2) YRaise("Sample not loaded or too short.");
    if (count == N) {
        SetCustomSample(samples);
        return;
    }
    std::vector<float> cycle(static_cast<size_t>(N));
    YAudioFilters::Stretch(samples, count, cycle.data(), N);
    SetCustomSample(cycle.data());
}

void YSignalGenerator::ClearCustomSample() {
    m_hasCustomSample = false;
    m_depth = 0.0;
    Changed();
}

void YSignalGenerator::SetDepth(double depth) {
    if (!m_hasCustomSample) depth = 0.0;
    if (Assign(m_depth, depth, 0.0, 1.0)) Changed();
}

void YSignalGenerator::SetSmoothness(double smoothness) {
    if (Assign(m_smoothness, smoothness, 0.0, 1.0)) Changed();
}

float YSignalGenerator::GetStepValue(int32_t step) const noexcept {
    return step >= 0 && step < kMaxSteps ? m_stepValues[static_cast<size_t>(step)] : 0.0f;
}

void YSignalGenerator::SetStepValue(int32_t step, double value) {
    if (step < 0 || step >= kMaxSteps || std::isnan(value)) return;
    const auto limited = static_cast<float>(Limit(value, -1.0, 1.0));
    if (limited == m_stepValues[static_cast<size_t>(step)]) return;
    m_stepValues[static_cast<size_t>(step)] = limited;
    Changed();
}

void YSignalGenerator::SetStepCount(int32_t count) {
    count = std::clamp(count, 1, kMaxSteps);
    if (count == m_stepCount) return;
    m_stepCount = count;
    Changed();
}

int32_t YSignalGenerator::GetStepType(int32_t step) const noexcept {
    return step >= 0 && step < kMaxSteps ? m_stepTypes[static_cast<size_t>(step)] : 0;
}

void YSignalGenerator::SetStepType(int32_t step, int32_t type) {
    if (step < 0 || step >= kMaxSteps) return;
    const auto limited = static_cast<uint8_t>(std::clamp(type, 0, YSignalShapeBank::kStepTypeCount - 1));
    if (limited == m_stepTypes[static_cast<size_t>(step)]) return;
    m_stepTypes[static_cast<size_t>(step)] = limited;
    Changed();
}

void YSignalGenerator::SetStepBaseLowest(bool on) {
    if (on == m_stepBaseLowest) return;
    m_stepBaseLowest = on;
    Changed();
}

void YSignalGenerator::SetStepDepth(double depth) {
    if (Assign(m_stepDepth, depth, 0.0, 1.0)) Changed();
}

void YSignalGenerator::SetPhase(double phase) {
    if (Assign(m_phase, phase, -1.0, 1.0)) Changed();
}

void YSignalGenerator::SetSkew(double skew) {
    if (Assign(m_skew, skew, -1.0, 1.0)) Changed();
}

void YSignalGenerator::SetFullSkew(double fullSkew) {
    if (Assign(m_fullSkew, fullSkew, -1.0, 1.0)) Changed();
}

void YSignalGenerator::SetHalve(double halve) {
    if (Assign(m_halve, halve, -1.0, 1.0)) Changed();
}

double YSignalGenerator::GetHarmonic(int32_t harmonic) const noexcept {
    return harmonic >= 2 && harmonic <= 8 ? m_harmonic[static_cast<size_t>(harmonic - 2)] : 0.0;
}

void YSignalGenerator::SetHarmonic(int32_t harmonic, double amount) {
    if (harmonic < 2 || harmonic > 8) return;
    if (Assign(m_harmonic[static_cast<size_t>(harmonic - 2)], amount, -1.0, 1.0)) Changed();
}

double YSignalGenerator::GetHarmonicPhase(int32_t harmonic) const noexcept {
    return harmonic >= 2 && harmonic <= 8 ? m_harmonicPhase[static_cast<size_t>(harmonic - 2)] : 0.0;
}

void YSignalGenerator::SetHarmonicPhase(int32_t harmonic, double phase) {
    if (harmonic < 2 || harmonic > 8) return;
    if (Assign(m_harmonicPhase[static_cast<size_t>(harmonic - 2)], phase, 0.0, 1.0)) Changed();
}

void YSignalGenerator::SetSpectrumCount(int32_t count) {
    count = std::clamp(count, 0, kSpectrumLength);
    if (count == m_spectrumCount) return;
    m_spectrumCount = count;
    Changed();
}

float YSignalGenerator::GetMagnitude(int32_t bin) const noexcept {
    return bin >= 0 && bin < kSpectrumLength ? m_magnitudes[static_cast<size_t>(bin)] : 0.0f;
}

void YSignalGenerator::SetMagnitude(int32_t bin, double magnitude) {
    if (bin < 0 || bin >= kSpectrumLength || !std::isfinite(magnitude)) return;
    m_magnitudes[static_cast<size_t>(bin)] = static_cast<float>(magnitude);
    Changed();
}

float YSignalGenerator::GetSpectrumPhase(int32_t bin) const noexcept {
    return bin >= 0 && bin < kSpectrumLength ? m_phases[static_cast<size_t>(bin)] : 0.0f;
}

void YSignalGenerator::SetSpectrumPhase(int32_t bin, double phase) {
    if (bin < 0 || bin >= kSpectrumLength || !std::isfinite(phase)) return;
    m_phases[static_cast<size_t>(bin)] = static_cast<float>(phase);
    Changed();
}

void YSignalGenerator::SetHarmonicsSettings(const HarmonicsSettings& settings) {
    auto unit = [](double value, double fallback) {
        return std::isnan(value) ? fallback : Limit(value, 0.0, 1.0);
    };
    HarmonicsSettings s = settings;
    s.Harmonicity = unit(s.Harmonicity, m_harmonics.Harmonicity);
    s.Slope = unit(s.Slope, m_harmonics.Slope);
    s.Fullness = unit(s.Fullness, m_harmonics.Fullness);
    s.FundamentalMinimum = unit(s.FundamentalMinimum, m_harmonics.FundamentalMinimum);
    s.Seed = std::isnan(s.Seed) ? m_harmonics.Seed : Limit(std::floor(s.Seed), 0.0, 4294967295.0);
    m_harmonics = s;
    GenerateHarmonics();
}

// The harmonics generator. Partial k (bins 1 ... 255; no DC) gets the level k^(−4·Slope), so
// Slope 0.25 is a sawtooth-like series and 1 is close to a sine. A random draw per partial
// (from Seed) removes it when it is not below Fullness; the fundamental always stays. Below
// Harmonicity 1 each level is scaled down by up to (1 − Harmonicity) at random and each phase
// moved by up to (1 − Harmonicity) cycles. Finally the fundamental is raised to at least
// FundamentalMinimum times the loudest other partial. The rendering squares magnitudes, so
// the square root of each level is stored.
void YSignalGenerator::GenerateHarmonics() {
    uint32_t state = static_cast<uint32_t>(m_harmonics.Seed);
    auto draw = [&state] {
        state = state * 214013u + 2531011u;
        return static_cast<double>((state >> 16) & 0x7FFFu) / 32768.0; // 0 ... 1, never 1
    };
    const double disorder = 1.0 - m_harmonics.Harmonicity;
    std::array<double, kSpectrumLength> level{};
    double loudestOther = 0.0;
    for (int32_t k = 1; k < kSpectrumLength; ++k) {
        const double present = draw();
        const double scale = draw();
        const double phase = draw();
        double l = std::pow(static_cast<double>(k), -4.0 * m_harmonics.Slope) * (1.0 - disorder * scale);
        if (k > 1 && present >= m_harmonics.Fullness) l = 0.0;
        level[static_cast<size_t>(k)] = l;
        m_phases[static_cast<size_t>(k)] = static_cast<float>(disorder * phase);
        if (k > 1) loudestOther = std::max(loudestOther, l);
    }
    level[1] = std::max(level[1], m_harmonics.FundamentalMinimum * loudestOther);
    m_magnitudes[0] = 0.0f;
    m_phases[0] = 0.0f;
    for (int32_t k = 1; k < kSpectrumLength; ++k)
        m_magnitudes[static_cast<size_t>(k)] = static_cast<float>(std::sqrt(level[static_cast<size_t>(k)]));
    m_spectrumCount = kSpectrumLength;
    Changed();
}

// ---- rebuild -----------------------------------------------------------------------------

void YSignalGenerator::Rebuild() {
    if (m_mode == kModeHarmonics) {
        RenderSpectrum();
        Normalise();
        ApplyAmplitudeTransform();
    } else if (m_mode == kModeShapes) {
        RenderShapes();
        ApplyPhase();
        ApplySkew();
        ApplyFullSkew();
        ApplyHalve();
        ApplyHarmonics();
        ApplyTransform();
        ApplySmoothness();
        Normalise();
        ApplyAmplitudeTransform();
    }
    // Unknown modes (from newer states) keep the table as it is.
    m_table[N] = m_table[0];
    m_lookupRatio = m_speedQ / m_speedP;
    m_lookupScale = N * m_speedP / m_speedQ;
}

void YSignalGenerator::RenderSpectrum() {
    // Bin k carries Magnitude² at angle φ as (sin φ, −cos φ), so that each bin renders as a
    // sine wave starting at phase φ, like the shapes of the bank.
    std::fill(m_spectrum.begin(), m_spectrum.end(), 0.0f);
    for (int32_t k = 0; k < m_spectrumCount; ++k) {
        const double m = m_magnitudes[static_cast<size_t>(k)];
        const double phi = 2.0 * std::numbers::pi * m_phases[static_cast<size_t>(k)];
        m_spectrum[2 * static_cast<size_t>(k)] = static_cast<float>(m * m * std::sin(phi));
        m_spectrum[2 * static_cast<size_t>(k) + 1] = static_cast<float>(-m * m * std::cos(phi));
    }
    m_fft.InverseReal(m_spectrum.data(), m_a.data());
    float peak = 0.0f;
    for (float v : m_a) peak = std::max(peak, std::fabs(v));
    if (peak > 1e-10f)
        for (float& v : m_a) v /= peak;
}

void YSignalGenerator::RenderShapes() {
    const YSignalShapeBank& bank = YSignalShapeBank::Instance();
    if (!(m_value >= 0.0)) m_value = 0.0; // also NaN
    if (m_value > 15.0) m_value = 15.0;
    auto i = static_cast<int32_t>(m_value);
    double f = m_value - i;
    if (i >= YSignalShapeBank::kShapeCount - 1) {
        i = YSignalShapeBank::kShapeCount - 2;
        f = 1.0;
    }
    m_morphFraction = f;

    const double e = m_envelopeDepth;
    const double h = m_stepDepth;
    const double d = m_hasCustomSample ? m_depth : 0.0;
    float* a = m_a.data();
    const float* custom = m_customSample.data();

    if (d >= kFull) {
        std::copy_n(custom, N, a);
        return;
    }
    if (h >= kUsed) RenderSteps(m_c.data());
    if (e >= kFull) {
        m_envelope.Render(a, 0.0, 1.0 / N, N);
    } else {
        const float* lower = bank.Shape(i);
        const float* upper = bank.Shape(i + 1);
        const auto fu = static_cast<float>(f);
        for (int32_t j = 0; j < N; ++j) a[j] = (1.0f - fu) * lower[j] + fu * upper[j];
        if (e >= kUsed) {
            float* curve = m_b.data();
            m_envelope.Render(curve, 0.0, 1.0 / N, N);
            const auto ef = static_cast<float>(e);
            for (int32_t j = 0; j < N; ++j) a[j] = (1.0f - ef) * a[j] + ef * curve[j];
        }
    }
    if (h >= kUsed) {
        const float* s = m_c.data();
        if (h >= kFull && d < kUsed) {
            std::copy_n(s, N, a);
        } else {
            const auto hf = static_cast<float>(h);
            for (int32_t j = 0; j < N; ++j) a[j] = (1.0f - hf) * a[j] + hf * s[j];
        }
    }
    if (d >= kUsed) {
        const auto df = static_cast<float>(d);
        for (int32_t j = 0; j < N; ++j) a[j] = (1.0f - df) * a[j] + df * custom[j];
    }
}

// The step table at full strength: the step amount crossfades it into the shape, so that
// the steps' form does not change with the amount (with StepBaseLowest a pre-scaled step
// level would jump to bank − 1 as soon as the amount became audible).
void YSignalGenerator::RenderSteps(float* out) const {
    const YSignalShapeBank& bank = YSignalShapeBank::Instance();
    const int32_t count = m_stepCount;
    for (int32_t k = 0; k < count; ++k) {
        const auto start = static_cast<int32_t>(static_cast<int64_t>(N) * k / count);
        const auto end = static_cast<int32_t>(static_cast<int64_t>(N) * (k + 1) / count);
        const int32_t length = end - start;
        const float level = m_stepValues[static_cast<size_t>(k)];
        const int32_t type = m_stepTypes[static_cast<size_t>(k)];
        if (type == 0) {
            std::fill(out + start, out + end, level);
            continue;
        }
        const float* curve = bank.StepType(type);
        for (int32_t j = 0; j < length; ++j) {
            const float v = curve[(j * YSignalShapeBank::kStepTypeLength) / length];
            out[start + j] = m_stepBaseLowest ? v * (level + 1.0f) - 1.0f : v * level;
        }
    }
}

void YSignalGenerator::ApplyPhase() {
    if (std::fabs(m_phase) < kNonZero) return;
    auto n = static_cast<int32_t>(std::lround(m_phase * N));
    if (n < 0) n += N;
    if (n < 1 || n > N - 1) return;
    std::rotate(m_a.begin(), m_a.end() - n, m_a.end());
}

void YSignalGenerator::ApplySkew() {
    if (std::fabs(m_skew) < kNonZero) return;
    const double a = std::pow(3.0, m_skew);
    const double b = 3.0 - 3.0 * a;
    const double c = 1.0 - b - a;
    m_b = m_a;
    for (int32_t j = 0; j < N; ++j) {
        const double x = static_cast<double>(j) / (N - 1);
        const double y = ((c * x + b) * x + a) * x;
        m_a[static_cast<size_t>(j)] = ReadWrapped(m_b.data(), y * (N - 1));
    }
}

void YSignalGenerator::ApplyFullSkew() {
    if (std::fabs(m_fullSkew) < kNonZero) return;
    const double g = std::pow(10.0, std::fabs(m_fullSkew));
    m_b = m_a;
    for (int32_t j = 0; j < N; ++j) {
        const double x = static_cast<double>(j) / (N - 1);
        const double y = m_fullSkew > 0.0 ? std::pow(x, g) : 1.0 - std::pow(1.0 - x, g);
        m_a[static_cast<size_t>(j)] = ReadWrapped(m_b.data(), y * (N - 1));
    }
}

void YSignalGenerator::ApplyHalve() {
    if (std::fabs(m_halve) < kNonZero) return;
    const int32_t k = N / 2 + static_cast<int32_t>(4094.0 * m_halve);
    if (k == N / 2) return;
    m_b = m_a;
    YAudioFilters::Stretch(m_b.data(), N / 2, m_a.data(), k);
    YAudioFilters::Stretch(m_b.data() + N / 2, N / 2, m_a.data() + k, N - k);
}

void YSignalGenerator::ApplyHarmonics() {
    bool any = false;
    for (double amount : m_harmonic) any = any || std::fabs(amount) >= kNonZero;
    if (!any) return;
    m_b = m_a;
    for (int32_t m = 2; m <= 8; ++m) {
        const double amount = m_harmonic[static_cast<size_t>(m - 2)];
        if (std::fabs(amount) < kNonZero) continue;
        const auto af = static_cast<float>(amount);
        const double phase = m_harmonicPhase[static_cast<size_t>(m - 2)];
        const double offset = (phase - std::floor(phase)) * N;
        if (offset == 0.0) {
            for (int32_t j = 0; j < N; ++j)
                m_a[static_cast<size_t>(j)] += af * m_b[static_cast<size_t>((m * j) & (N - 1))];
        } else {
            for (int32_t j = 0; j < N; ++j)
                m_a[static_cast<size_t>(j)] +=
                    af * ReadWrapped(m_b.data(), static_cast<double>(m * j) + offset);
        }
    }
}

void YSignalGenerator::ApplyTransform() {
    if (!m_transformEnable) return;
    float* warp = m_c.data();
    m_transform.Render(warp, 0.0, 1.0 / N, N);
    m_b = m_a;
    for (int32_t j = 0; j < N; ++j)
        m_a[static_cast<size_t>(j)] = ReadWrapped(m_b.data(), static_cast<double>(warp[j]) * N);
}

void YSignalGenerator::ApplyAmplitudeTransform() {
    if (!m_amplitudeTransformEnable) return;
    for (int32_t j = 0; j < N; ++j) {
        const double v = m_amplitudeTransform.Evaluate((m_table[static_cast<size_t>(j)] + 1.0) * 0.5);
        m_table[static_cast<size_t>(j)] = std::isfinite(v) ? static_cast<float>(v) : 0.0f;
    }
}

void YSignalGenerator::ApplySmoothness() {
    if (std::fabs(m_smoothness) < kNonZero) return;
    const double v = m_smoothness * 256.0;
    const auto r = static_cast<int32_t>(std::ceil(v));
    double sum = 0.0;
    for (int32_t k = -r; k <= r; ++k) {
        const double x = 2.0 * k / v;
        const double w = std::exp(-x * x);
        m_kernel[static_cast<size_t>(k + r)] = static_cast<float>(w);
        sum += w;
    }
    for (int32_t k = 0; k <= 2 * r; ++k)
        m_kernel[static_cast<size_t>(k)] = static_cast<float>(m_kernel[static_cast<size_t>(k)] / sum);
    // The cycle with r samples of wrap-around on each side, so the inner loop runs over
    // contiguous memory and vectorises; every output still sums its taps from -r to r in
    // order, so the result is that of the plain cyclic convolution.
    for (int32_t i = 0; i < N + 2 * r; ++i)
        m_wrapped[static_cast<size_t>(i)] = m_a[static_cast<size_t>((i - r) & (N - 1))];
    float* out = m_a.data();
    std::fill(m_a.begin(), m_a.end(), 0.0f);
    for (int32_t k = 0; k <= 2 * r; ++k) {
        const float w = m_kernel[static_cast<size_t>(k)];
        const float* in = m_wrapped.data() + k;
        for (int32_t j = 0; j < N; ++j) out[j] += w * in[j];
    }
}

void YSignalGenerator::Normalise() {
    float peak = 0.1f;
    for (float v : m_a) peak = std::max(peak, std::fabs(v));
    for (int32_t j = 0; j < N; ++j) m_table[static_cast<size_t>(j)] = m_a[static_cast<size_t>(j)] / peak;
}

// ---- storage -----------------------------------------------------------------------------

namespace {

// Space-separated numbers, the form of the step types, the spectrum and the custom sample.
YString JoinNumbers(const float* values, int32_t count) {
    YString text;
    for (int32_t i = 0; i < count; ++i) {
        if (i > 0) text.Append(u' ');
        text.Append(YString::FromDouble(values[i], 10));
    }
    return text;
}

// Reads up to count numbers (non-finite ones as 0); returns how many were read.
int32_t SplitNumbers(const YString& text, float* values, int32_t count) {
    int32_t read = 0;
    int32_t index = 0;
    const int32_t length = text.Length();
    while (read < count && index < length) {
        while (index < length && text[index] <= u' ') ++index;
        if (index >= length) break;
        int32_t consumed = 0;
        const double v = text.ToDoubleAt(index, &consumed);
        if (consumed == 0) break;
        values[read++] = std::isfinite(v) ? static_cast<float>(v) : 0.0f;
        index += consumed;
    }
    return read;
}

void StoreCurve(const YStorer& parent, const char* name, YEnvelopeComputer::PointList& list,
                const YEnvelopeComputer::PointList& defaults) {
    StoreEnvelopeCurve(parent.Child(YString::Literal(name)), list, defaults);
}

} // namespace

void YSignalGenerator::Store(const YStorer& storer) {
    if (!storer.Item) return;
    const bool writing = storer.IsWriting();

    int32_t mode = m_mode;
    double value = m_value, smoothness = m_smoothness, envelopeDepth = m_envelopeDepth;
    storer.Integer("Mode", mode, kModeShapes);
    storer.Double("value", value, kDefaultValue);
    storer.Double("Smoothness", smoothness, 0.0);
    storer.Double("EnvelopeDepth", envelopeDepth, 0.0);
    YEnvelopeComputer::PointList envelope = m_envelope.Points();
    StoreCurve(storer, "Envelope", envelope, DefaultEnvelope());
    if (!writing) {
        SetMode(mode == kModeHarmonics ? kModeHarmonics : kModeShapes);
        SetValue(std::isfinite(value) ? value : kDefaultValue);
        SetSmoothness(smoothness);
        SetEnvelopeDepth(envelopeDepth);
        SetEnvelope(envelope);
    }

    YStorer step = storer.Child("Step");
    {
        int32_t count = m_stepCount;
        double depth = m_stepDepth;
        bool baseLowest = m_stepBaseLowest;
        float values[kMaxSteps];
        float types[kMaxSteps];
        for (int32_t i = 0; i < kMaxSteps; ++i) {
            values[i] = m_stepValues[static_cast<size_t>(i)];
            types[i] = m_stepTypes[static_cast<size_t>(i)];
        }
        if (writing) {
            step.Integer("StepItemCount", count, 8);
            step.Double("StepDepth", depth, 0.0);
            step.Bool("StepBaseLowest", baseLowest, false);
            while (YXMLItem* old = step.Item->FindChild("Item")) step.Item->RemoveChild(*old);
            for (int32_t i = 0; i < kMaxSteps; ++i)
                step.Item->AddChild("Item").SetAttribute("Value", YString::FromDouble(values[i], 10));
            step.Item->SetAttribute("Types", JoinNumbers(types, kMaxSteps));
        } else {
            count = 8;
            depth = 0.0;
            baseLowest = false;
            for (int32_t i = 0; i < kMaxSteps; ++i) {
                values[i] = (i % 2) ? -1.0f : 1.0f;
                types[i] = 0.0f;
            }
            if (step.Item) {
                step.Integer("StepItemCount", count, 8);
                step.Double("StepDepth", depth, 0.0);
                step.Bool("StepBaseLowest", baseLowest, false);
                int32_t i = 0;
                for (YXMLItem::Iterator it(*step.Item, "Item"); it.IsValid() && i < kMaxSteps;
                     it.Next(), ++i) {
                    double v = values[i];
                    YStorer::ReadDouble(*it, "Value", v);
                    values[i] = std::isfinite(v) ? static_cast<float>(v) : 0.0f;
                }
                if (const YString* text = step.Item->FindAttribute("Types"))
                    SplitNumbers(*text, types, kMaxSteps);
            }
            SetStepCount(count);
            SetStepDepth(depth);
            SetStepBaseLowest(baseLowest);
            for (int32_t i = 0; i < kMaxSteps; ++i) {
                SetStepValue(i, values[i]);
                SetStepType(i, static_cast<int32_t>(types[i]));
            }
        }
    }

    YStorer custom = storer.Child("CustomSample");
    {
        double depth = m_depth;
        if (writing) {
            custom.Double("Depth", depth, 0.0);
            if (m_hasCustomSample)
                custom.Item->SetAttribute("Sample", JoinNumbers(m_customSample.data(), N));
            else
                custom.Item->RemoveAttribute("Sample");
        } else {
            depth = 0.0;
            const YString* sample = nullptr;
            if (custom.Item) {
                custom.Double("Depth", depth, 0.0);
                sample = custom.Item->FindAttribute("Sample");
            }
            // A sample of any other length than one full cycle is not one we wrote: ignore it.
            if (sample && SplitNumbers(*sample, m_c.data(), N) == N)
                SetCustomSample(m_c.data());
            else
                ClearCustomSample();
            SetDepth(depth);
        }
    }

    YStorer operations = storer.Child("Operations");
    {
        double phase = m_phase, skew = m_skew, fullSkew = m_fullSkew, halve = m_halve;
        bool transformEnable = m_transformEnable, amplitudeEnable = m_amplitudeTransformEnable;
        std::array<double, kHarmonicCount> amounts = m_harmonic, phases = m_harmonicPhase;
        YEnvelopeComputer::PointList transform = m_transform.Points();
        YEnvelopeComputer::PointList amplitude = m_amplitudeTransform.Points();
        if (!writing && !operations.Item) {
            phase = skew = fullSkew = halve = 0.0;
            transformEnable = amplitudeEnable = false;
            amounts.fill(0.0);
            phases.fill(0.0);
            transform = DefaultTransform();
            amplitude = DefaultAmplitudeTransform();
        } else {
            operations.Double("Phase", phase, 0.0);
            operations.Double("Skew", skew, 0.0);
            operations.Double("FullSkew", fullSkew, 0.0);
            operations.Double("Halve", halve, 0.0);
            for (int32_t h = 2; h <= 8; ++h) {
                const YString index = YString::FromInteger(h);
                operations.Double(YString("Harmonic") + index, amounts[static_cast<size_t>(h - 2)], 0.0);
                operations.Double(YString("HarmonicPhase") + index, phases[static_cast<size_t>(h - 2)], 0.0);
            }
            operations.Bool("TransformEnable", transformEnable, false);
            operations.Bool("AmplitudeTransformEnable", amplitudeEnable, false);
            StoreCurve(operations, "Transform", transform, DefaultTransform());
            StoreCurve(operations, "AmplitudeTransform", amplitude, DefaultAmplitudeTransform());
        }
        if (!writing) {
            SetPhase(phase);
            SetSkew(skew);
            SetFullSkew(fullSkew);
            SetHalve(halve);
            for (int32_t h = 2; h <= 8; ++h) {
                SetHarmonic(h, amounts[static_cast<size_t>(h - 2)]);
                SetHarmonicPhase(h, phases[static_cast<size_t>(h - 2)]);
            }
            SetTransformEnable(transformEnable);
            SetAmplitudeTransformEnable(amplitudeEnable);
            SetTransform(transform);
            SetAmplitudeTransform(amplitude);
        }
    }

    YStorer harmonics = storer.Child("Harmonics");
    {
        const HarmonicsSettings defaults;
        HarmonicsSettings settings = m_harmonics;
        YString path = m_sampleFilePath;
        int32_t count = m_spectrumCount;
        if (!writing && !harmonics.Item) {
            settings = defaults;
            path = YString();
            count = kSpectrumLength;
        } else {
            harmonics.Integer("Count", count, kSpectrumLength);
            harmonics.Double("Harmonicity", settings.Harmonicity, defaults.Harmonicity);
            harmonics.Double("Slope", settings.Slope, defaults.Slope);
            harmonics.Double("Fullness", settings.Fullness, defaults.Fullness);
            harmonics.Double("FundamentalMinimum", settings.FundamentalMinimum, defaults.FundamentalMinimum);
            harmonics.Double("Seed", settings.Seed, defaults.Seed);
            harmonics.Double("SampleRatio", settings.SampleRatio, defaults.SampleRatio);
            harmonics.Double("SamplePosition", settings.SamplePosition, defaults.SamplePosition);
            harmonics.Double("PostProcess.Sharpen", settings.PostSharpen, defaults.PostSharpen);
            harmonics.Double("PostProcess.Noise", settings.PostNoise, defaults.PostNoise);
            harmonics.Double("PostProcess.Clean", settings.PostClean, defaults.PostClean);
            harmonics.Double("PostProcess.Compress", settings.PostCompress, defaults.PostCompress);
            harmonics.Double("PostProcess.Harmonize", settings.PostHarmonize, defaults.PostHarmonize);
            if (writing)
                harmonics.Item->SetAttribute("SampleFilePath", path);
            else
                path = harmonics.Item->GetAttribute("SampleFilePath", YString());
        }
        if (writing) {
            harmonics.Item->SetAttribute("Magnitudes", JoinNumbers(m_magnitudes.data(), kSpectrumLength));
            harmonics.Item->SetAttribute("Phases", JoinNumbers(m_phases.data(), kSpectrumLength));
        } else {
            // The settings regenerate the spectrum; a stored spectrum (possibly edited by hand)
            // then replaces it.
            SetHarmonicsSettings(settings);
            SetSpectrumCount(count);
            m_sampleFilePath = path;
            float numbers[kSpectrumLength];
            if (const YString* text =
                    harmonics.Item ? harmonics.Item->FindAttribute("Magnitudes") : nullptr) {
                const int32_t read = SplitNumbers(*text, numbers, kSpectrumLength);
                for (int32_t k = 0; k < read; ++k) SetMagnitude(k, numbers[k]);
            }
            if (const YString* text = harmonics.Item ? harmonics.Item->FindAttribute("Phases") : nullptr) {
                const int32_t read = SplitNumbers(*text, numbers, kSpectrumLength);
                for (int32_t k = 0; k < read; ++k) SetSpectrumPhase(k, numbers[k]);
            }
        }
    }
    if (!writing) MarkDirty();
}
