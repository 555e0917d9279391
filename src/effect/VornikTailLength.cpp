#include "effect/VornikTailLength.h"

#include "effect/VornikAudioEffectPlugin.h"

#include <algorithm>
#include <cmath>

namespace {

// Feedback this close to full never decays within any useful time.
constexpr double kFullFeedback = 1.0 - 1e-9;
constexpr double kPi = 3.14159265358979323846;
// Longest filter ring looked for, in seconds: far beyond the slowest design (20 Hz).
constexpr double kFilterLimitSeconds = 10.0;

} // namespace

namespace {

// The slowest pole of a section: its radius, and the period of its ringing in samples (0 when
// the poles are real).
struct Pole {
    double Radius = 0.0;
    double Period = 0.0;
};

Pole SlowestPole(const YBiquadFilterDesign& d) {
    const double a1 = -d.MinusA1();
    const double a2 = -d.MinusA2();
    const double discriminant = a1 * a1 - 4.0 * a2;
    if (discriminant < 0.0) {
        const double r = std::sqrt(a2);
        const double angle = std::acos(std::clamp(-a1 / (2.0 * r), -1.0, 1.0));
        return {r, angle > 0.0 ? 2.0 * kPi / angle : 0.0};
    }
    const double root = std::sqrt(discriminant);
    return {std::max(std::fabs((-a1 + root) * 0.5), std::fabs((-a1 - root) * 0.5)), 0.0};
}

} // namespace

int64_t VornikTailLength::FilterDecay(const YBiquadFilterDesign& first, const YBiquadFilterDesign& second,
                                      double level, int64_t limit) {
    const Pole p = SlowestPole(first);
    const Pole q = SlowestPole(second);
    const double radius = std::max(p.Radius, q.Radius);
    if (!(radius < 1.0)) return limit;
    // The answer rings through zero, so quiet samples alone prove nothing: it has died away
    // once a whole period of the slowest ringing, long enough for the envelope to fall
    // tenfold, passes below the level.
    const double fall = radius > 0.0 ? std::log(10.0) / -std::log(radius) : 1.0;
    const int64_t window = static_cast<int64_t>(std::ceil(std::max({p.Period, q.Period, fall}))) + 1;
    YBiquadFilterState a, b;
    double x = 1.0;
    int64_t lastLoud = -1;
    for (int64_t n = 0; n < limit; ++n) {
        const double y = second.Process(first.Process(x, a), b);
        x = 0.0;
        if (std::fabs(y) >= level)
            lastLoud = n;
        else if (n - lastLoud > window)
            return lastLoud + 1;
    }
    return limit;
}

int64_t VornikTailLength::CachedFilterDecay(const YBiquadFilterDesign& first,
                                            const YBiquadFilterDesign& second, int32_t decade,
                                            int64_t limit) {
    const double coefficients[10] = {first.B0(),       first.B1(),      first.B2(),  first.MinusA1(),
                                     first.MinusA2(),  second.B0(),     second.B1(), second.B2(),
                                     second.MinusA1(), second.MinusA2()};
    YScopedLock lock(m_lock);
    if (m_ring.Decade != decade || m_ring.Limit != limit ||
        !std::equal(std::begin(coefficients), std::end(coefficients), std::begin(m_ring.Coefficients))) {
        std::copy(std::begin(coefficients), std::end(coefficients), std::begin(m_ring.Coefficients));
        m_ring.Decade = decade;
        m_ring.Limit = limit;
        m_ring.Samples = FilterDecay(first, second, std::pow(10.0, -decade), limit);
    }
    return m_ring.Samples;
}

int64_t VornikTailLength::Compute(const VornikTailSettings& s) {
    if (!(s.SampleRate > 0.0)) return 0;
    const int64_t dryTail = std::max<int32_t>(s.DryDelay, 0);
    const double depth = std::min(std::fabs(s.Depth), 1.0);
    if (!(depth > 0.0)) return dryTail; // the wet signal is not heard
    const double feedback = std::fabs(s.Feedback);
    if (!(feedback < kFullFeedback)) return kInfinite;

    // The largest factor the wet path can add on top of the loop: the jet gain (up to 2) and
    // the saturator's small-signal slope (3 at full saturation).
    const double gain =
        depth * (1.0 + std::min(std::fabs(s.Jet), 1.0)) * (1.0 + 2.0 * std::clamp(s.Saturation, 0.0, 1.0));
    // A loop that feeds back f of its signal piles a steady input up by 1 / (1 - f).
    const double pileUp = 1.0 / (1.0 - feedback);
    const double floor = kFloor / (gain * pileUp);

    const int64_t filterLimit = static_cast<int64_t>(std::ceil(s.SampleRate * kFilterLimitSeconds));
    // The ring is found to the next decade below the floor, so that small changes of the
    // feedback reuse it.
    const int32_t decade = static_cast<int32_t>(std::clamp(std::ceil(-std::log10(floor)), 0.0, 30.0));
    const int64_t filters = CachedFilterDecay(s.LowPass, s.HighPass, decade, filterLimit);

    // Each trip round the loop takes at most the longest read delay (plus the interpolator's
    // neighbour) and multiplies by the feedback.
    const int64_t longestTrip =
        static_cast<int64_t>(std::ceil(2.0 * std::max(s.Range, 1.0))) + std::max<int32_t>(s.ReadDelay, 0) + 2;
    int64_t trips = 1;
    if (feedback > 0.0) trips += static_cast<int64_t>(std::ceil(std::log(floor) / std::log(feedback)));

    const int64_t wetTail = std::max<int32_t>(s.PreDelay, 1) + filters + trips * longestTrip;
    return std::max(dryTail, wetTail);
}

int32_t VornikAudioEffectPlugin::GetTailLength() {
    VornikTailSettings s;
    {
        // Only the copy is made under the lock: the audio thread waits for it.
        ScopedLock lock(*this);
        if (!m_configured || !(m_sampleRate > 0.0)) return 0;
        s.SampleRate = m_sampleRate;
        s.Depth = m_parameters[kDepth].Float.Value;
        s.Feedback = m_parameters[kFeedback].Float.Value;
        s.Jet = m_parameters[kJet].Float.Value;
        s.Saturation = m_parameters[kSaturation].EffectiveFloat();
        s.Range = std::max(m_currentRange, m_targetRange);
        const int32_t margin =
            m_sinc ? YAudioFilters::Vibrato<float>::kSincMargin : YAudioFilters::Vibrato<float>::kCubicMargin;
        s.ReadDelay = margin - margin / 2;
        s.PreDelay = m_preDelay[0].Length();
        s.DryDelay = m_dryDelay ? m_dryLine[0].Length() : 0;
        s.LowPass = m_lowPass;
        s.HighPass = m_highPass;
    }
    const int64_t tail = m_tailLength.Compute(s);
    if (tail < 0) return -1;
    return static_cast<int32_t>(std::min<int64_t>(tail, INT32_MAX));
}
