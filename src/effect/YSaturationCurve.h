// Soft-clipping curve for the wet path: odd, smooth, reaching exactly ±1 at magnitude 1 and
// staying there beyond it.
#pragma once

#include <cstdint>

class YSaturationCurve {
public:
    // The rational cubic c(a) = u(27 + u²)/(27 + 9u²) with u = 3a/(1 − threshold): the shape
    // the effect uses. It is the only kind there is so far.
    static constexpr int32_t kRationalCubic = 5;

    // Selects the kind and the threshold (0 ≤ threshold < 1) below which the curve is linear.
    // An unknown kind raises "Invalid saturation curve."; a threshold outside 0 … 0.999 is
    // limited to it (NaN gives 0).
    void Configure(int32_t kind, double threshold);

    // The curve at v: linear below the threshold, ±1 from magnitude 1 on, the sign of v kept.
    // NaN passes through as NaN.
    double Evaluate(double v) const noexcept {
        const double a = v < 0.0 ? -v : v;
        double y;
        if (a >= 1.0) {
            y = 1.0;
        } else if (a < m_threshold) {
            y = a * m_normalization;
        } else {
            y = (Curve(a - m_threshold) + m_threshold) * m_normalization;
        }
        return v < 0.0 ? -y : y;
    }

    int32_t Kind() const noexcept { return m_kind; }
    double Threshold() const noexcept { return m_threshold; }
    double Normalization() const noexcept { return m_normalization; }
    double InputScale() const noexcept { return m_inputScale; }
    double OutputScale() const noexcept { return m_outputScale; }

private:
    double Curve(double a) const noexcept {
        const double u = a * m_inputScale;
        const double u2 = u * u;
        return u * (27.0 + u2) / (27.0 + 9.0 * u2) * m_outputScale;
    }

    double m_threshold = 0.0;
    double m_normalization = 3.0;
    double m_inputScale = 3.0;
    double m_outputScale = 1.0 / 3.0;
    int32_t m_kind = kRationalCubic;
};
