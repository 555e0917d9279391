#include "effect/YBiquadFilter.h"

#include "foundation/YException.h"

#include <algorithm>
#include <cmath>
#include <numbers>

void YBiquadFilterDesign::Design(int32_t type, double frequency, double sampleRate, double q, double gainDB) {
    switch (type) {
    case kPeaking:
    case kLowShelf:
    case kHighShelf:
    case kLowPass:
    case kHighPass:
    case kBandPass:
    case kNotch:
    case kAllPass:
        break;
    default:
        YRaise("Invalid filter type.");
    }
    ++m_changeCounter;
    m_type = type;
    m_gainDB = gainDB;
    m_sampleRate = sampleRate;
    m_q = q;

    const bool usable = sampleRate > 0.0 && std::isfinite(sampleRate) && frequency > 0.0 &&
                        std::isfinite(frequency) && q > 0.0 && std::isfinite(q) && std::isfinite(gainDB);
    if (!usable) {
        m_frequency = frequency;
        m_cosW = 1.0;
        m_alpha = 0.0;
        m_b0 = 1.0;
        m_b1 = m_b2 = m_minusA1 = m_minusA2 = 0.0;
        return;
    }

    const double f =
        std::clamp(frequency, kMinRelativeFrequency * sampleRate, kMaxRelativeFrequency * sampleRate);
    m_frequency = f;
    const double w = 2.0 * std::numbers::pi * f / sampleRate;
    const double c = std::cos(w);
    const double alpha = std::sin(w) / (2.0 * q);
    m_cosW = c;
    m_alpha = alpha;

    double b0, b1, b2, a0, a1, a2;
    switch (type) {
    case kLowPass:
        b0 = b2 = (1.0 - c) / 2.0;
        b1 = 1.0 - c;
        a0 = 1.0 + alpha;
        a1 = -2.0 * c;
        a2 = 1.0 - alpha;
        break;
    case kHighPass:
        b0 = b2 = (1.0 + c) / 2.0;
        b1 = -(1.0 + c);
        a0 = 1.0 + alpha;
        a1 = -2.0 * c;
        a2 = 1.0 - alpha;
        break;
    case kBandPass: // 0 dB at the centre
        b0 = alpha;
        b1 = 0.0;
        b2 = -alpha;
        a0 = 1.0 + alpha;
        a1 = -2.0 * c;
        a2 = 1.0 - alpha;
        break;
    case kNotch:
        b0 = b2 = 1.0;
        b1 = -2.0 * c;
        a0 = 1.0 + alpha;
        a1 = -2.0 * c;
        a2 = 1.0 - alpha;
        break;
    case kAllPass:
        b0 = 1.0 - alpha;
        b1 = -2.0 * c;
        b2 = 1.0 + alpha;
        a0 = 1.0 + alpha;
        a1 = -2.0 * c;
        a2 = 1.0 - alpha;
        break;
    case kPeaking: {
        const double A = std::pow(10.0, gainDB / 40.0);
        b0 = 1.0 + alpha * A;
        b1 = -2.0 * c;
        b2 = 1.0 - alpha * A;
        a0 = 1.0 + alpha / A;
        a1 = -2.0 * c;
        a2 = 1.0 - alpha / A;
        break;
    }
    case kLowShelf: {
        const double A = std::pow(10.0, gainDB / 40.0);
        const double r = 2.0 * std::sqrt(A) * alpha;
        b0 = A * ((A + 1.0) - (A - 1.0) * c + r);
        b1 = 2.0 * A * ((A - 1.0) - (A + 1.0) * c);
        b2 = A * ((A + 1.0) - (A - 1.0) * c - r);
        a0 = (A + 1.0) + (A - 1.0) * c + r;
        a1 = -2.0 * ((A - 1.0) + (A + 1.0) * c);
        a2 = (A + 1.0) + (A - 1.0) * c - r;
        break;
    }
    default: { // kHighShelf
        const double A = std::pow(10.0, gainDB / 40.0);
        const double r = 2.0 * std::sqrt(A) * alpha;
        b0 = A * ((A + 1.0) + (A - 1.0) * c + r);
        b1 = -2.0 * A * ((A - 1.0) + (A + 1.0) * c);
        b2 = A * ((A + 1.0) + (A - 1.0) * c - r);
        a0 = (A + 1.0) - (A - 1.0) * c + r;
        a1 = 2.0 * ((A - 1.0) - (A + 1.0) * c);
        a2 = (A + 1.0) - (A - 1.0) * c - r;
        break;
    }
    }
    m_b0 = b0 / a0 + kCoefficientGuard;
    m_b1 = b1 / a0 + kCoefficientGuard;
    m_b2 = b2 / a0 + kCoefficientGuard;
    m_minusA1 = -a1 / a0 + kCoefficientGuard;
    m_minusA2 = -a2 / a0 + kCoefficientGuard;
}
