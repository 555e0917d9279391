// Second-order filter designs (the familiar "cookbook" family) and their per-channel state,
// run in double precision in transposed direct form II.
#pragma once

#include <cstdint>

// z1, z2 of one channel of one filter.
struct YBiquadFilterState {
    double Z1 = 0.0;
    double Z2 = 0.0;

    void Clear() noexcept { Z1 = Z2 = 0.0; }
};

class YBiquadFilterDesign {
public:
    enum Type : int32_t {
        kPeaking = 0,
        kLowShelf = 1,
        kHighShelf = 2,
        kLowPass = 3,
        kHighPass = 4,
        kBandPass = 7,
        kNotch = 8,
        kAllPass = 9,
    };

    // Added to every normalised coefficient: the single-precision 1e-15, which keeps the
    // recursion away from denormals when the input falls silent.
    static constexpr double kCoefficientGuard = static_cast<double>(1e-15f);
    // Designs above this share of the sample rate would put a pole outside the unit circle
    // (sin w turns negative past Nyquist), so the frequency is limited to it.
    static constexpr double kMaxRelativeFrequency = 0.49;
    static constexpr double kMinRelativeFrequency = 1e-6;

    // Designs the filter. An unknown type raises "Invalid filter type." and leaves the design
    // unchanged. A non-positive or non-finite sample rate, frequency or Q gives a
    // pass-through; frequencies are limited to the stable range above. Increments the change
    // counter.
    void Design(int32_t type, double frequency, double sampleRate, double q, double gainDB = 0.0);

    // One sample through the filter with the given channel state.
    double Process(double x, YBiquadFilterState& s) const noexcept {
        const double y = m_b0 * x + s.Z1;
        s.Z1 = m_b1 * x + s.Z2 + m_minusA1 * y;
        s.Z2 = m_b2 * x + m_minusA2 * y;
        return y;
    }

    double CosW() const noexcept { return m_cosW; }
    double Alpha() const noexcept { return m_alpha; }
    uint32_t ChangeCounter() const noexcept { return m_changeCounter; }
    int32_t FilterType() const noexcept { return m_type; }
    double GainDB() const noexcept { return m_gainDB; }
    // The frequency the design used (after limiting).
    double Frequency() const noexcept { return m_frequency; }
    double SampleRate() const noexcept { return m_sampleRate; }
    double Q() const noexcept { return m_q; }
    double B0() const noexcept { return m_b0; }
    double B1() const noexcept { return m_b1; }
    double B2() const noexcept { return m_b2; }
    // The feedback coefficients as the recursion uses them (negated).
    double MinusA1() const noexcept { return m_minusA1; }
    double MinusA2() const noexcept { return m_minusA2; }

private:
    double m_cosW = 1.0;
    double m_alpha = 0.0;
    uint32_t m_changeCounter = 0;
    int32_t m_type = kLowPass;
    double m_gainDB = 0.0;
    double m_frequency = 0.0;
    double m_sampleRate = 0.0;
    double m_q = 0.0;
    // Until designed the filter passes its input through.
    double m_b0 = 1.0;
    double m_b2 = 0.0;
    double m_minusA2 = 0.0;
    double m_b1 = 0.0;
    double m_minusA1 = 0.0;
};
