#include "primitives/YUpsampler.h"

#include "foundation/YException.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#if defined(__SSE__) || defined(_M_X64)
#include <xmmintrin.h>
#define Y_UPSAMPLER_SSE 1
#endif

namespace {
struct Quality {
    double passBand;    // fraction of the host rate
    double stopBand;    // fraction of the host rate
    double attenuation; // dB the Kaiser window is chosen for
};
// The cut-off sits halfway, at the host rate's Nyquist frequency, so the round trip of a
// band-limited signal is transparent. High quality spends its longer latency on a narrower
// transition and a deeper stop band.
constexpr Quality kStandard{0.45, 0.55, 130.0};
constexpr Quality kHighQuality{0.47, 0.53, 150.0};

// Modified Bessel function of the first kind, order 0 (power series; converges for the
// arguments of a Kaiser window within a few dozen terms).
double BesselI0(double x) {
    double sum = 1.0;
    double term = 1.0;
    const double quarter = x * x * 0.25;
    for (int k = 1; k < 500; ++k) {
        term *= quarter / (static_cast<double>(k) * k);
        sum += term;
        if (term < sum * 1e-17) break;
    }
    return sum;
}

// Windowed sinc with a Kaiser window. The Kaiser window is used because one parameter (beta)
// trades side-lobe depth against main-lobe width almost optimally, so the length follows
// from the wanted attenuation and transition width by Kaiser's formulas rather than by trial.
std::vector<double> DesignLowPass(int32_t factor, const Quality& quality, int32_t maximumOrder) {
    const double transition = (quality.stopBand - quality.passBand) / factor; // at the up-sampled rate
    // Kaiser's estimate, with a tenth added because it is an estimate.
    int32_t order = static_cast<int32_t>(
        std::ceil(1.1 * (quality.attenuation - 7.95) / (14.36 * transition)));
    order += order & 1; // even: a whole-sample centre
    order = std::min(order, maximumOrder - (maximumOrder & 1));
    const double beta = 0.1102 * (quality.attenuation - 8.7);
    const double cutoff = 0.5 * (quality.passBand + quality.stopBand) / factor; // cycles per sample
    const double centre = order * 0.5;
    const double norm = BesselI0(beta);
    std::vector<double> taps(static_cast<size_t>(order) + 1);
    double sum = 0.0;
    for (int32_t k = 0; k <= order; ++k) {
        const double t = k - centre;
        const double x = 2.0 * cutoff * t;
        const double sinc = t == 0.0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
        const double r = t / centre;
        const double window = BesselI0(beta * std::sqrt(std::max(0.0, 1.0 - r * r))) / norm;
        taps[static_cast<size_t>(k)] = 2.0 * cutoff * sinc * window;
        sum += taps[static_cast<size_t>(k)];
    }
    for (double& tap : taps) tap /= sum; // DC gain exactly 1
    return taps;
}

float Dot(const float* a, const float* b, int32_t n) noexcept {
    int32_t i = 0;
    float result = 0.0f;
#ifdef Y_UPSAMPLER_SSE
    __m128 s0 = _mm_setzero_ps();
    __m128 s1 = _mm_setzero_ps();
    __m128 s2 = _mm_setzero_ps();
    __m128 s3 = _mm_setzero_ps();
    for (; i + 16 <= n; i += 16) {
        s0 = _mm_add_ps(s0, _mm_mul_ps(_mm_loadu_ps(a + i), _mm_loadu_ps(b + i)));
        s1 = _mm_add_ps(s1, _mm_mul_ps(_mm_loadu_ps(a + i + 4), _mm_loadu_ps(b + i + 4)));
        s2 = _mm_add_ps(s2, _mm_mul_ps(_mm_loadu_ps(a + i + 8), _mm_loadu_ps(b + i + 8)));
        s3 = _mm_add_ps(s3, _mm_mul_ps(_mm_loadu_ps(a + i + 12), _mm_loadu_ps(b + i + 12)));
    }
    for (; i + 4 <= n; i += 4) s0 = _mm_add_ps(s0, _mm_mul_ps(_mm_loadu_ps(a + i), _mm_loadu_ps(b + i)));
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, _mm_add_ps(_mm_add_ps(s0, s1), _mm_add_ps(s2, s3)));
    result = (lanes[0] + lanes[1]) + (lanes[2] + lanes[3]);
#else
    float s[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    for (; i + 4 <= n; i += 4)
        for (int32_t lane = 0; lane < 4; ++lane) s[lane] += a[i + lane] * b[i + lane];
    result = (s[0] + s[1]) + (s[2] + s[3]);
#endif
    for (; i < n; ++i) result += a[i] * b[i];
    return result;
}
} // namespace

void YUpsampler::Configure(int32_t factor, bool highQuality) {
    if (!IsValidFactor(factor)) YRaise("Invalid up-sampling factor.");
    const Quality& quality = highQuality ? kHighQuality : kStandard;
    const int32_t latency = highQuality ? kHighQualityLatency : kLatency;
    // The two filters together may delay by at most the round trip's latency.
    const std::vector<double> taps = DesignLowPass(factor, quality, latency);
    const int32_t length = static_cast<int32_t>(taps.size());

    std::vector<float> prototype(taps.begin(), taps.end());

    const int32_t phaseLength = (length + factor - 1) / factor;
    std::vector<float> phases(static_cast<size_t>(factor) * phaseLength, 0.0f);
    for (int32_t p = 0; p < factor; ++p) {
        for (int32_t j = 0; j < phaseLength; ++j) {
            const int32_t k = p + factor * j;
            if (k < length)
                phases[static_cast<size_t>(p * phaseLength + (phaseLength - 1 - j))] =
                    static_cast<float>(factor * taps[static_cast<size_t>(k)]);
        }
    }

    // What the filters' delays (length - 1 together) leave of the latency is a plain delay.
    const int32_t extraDelay = latency - (length - 1);
    const int32_t window = length + extraDelay + factor - 1;
    std::vector<float> reversed(prototype.rbegin(), prototype.rend());

    std::vector<float> upHistory(2 * static_cast<size_t>(phaseLength), 0.0f);
    std::vector<float> downHistory(2 * static_cast<size_t>(window), 0.0f);

    // Nothing above may throw past this point: the object changes all at once.
    m_factor = factor;
    m_highQuality = highQuality;
    m_prototype.swap(prototype);
    m_phaseLength = phaseLength;
    m_phases.swap(phases);
    m_upHistory.swap(upHistory);
    m_upPosition = 0;
    m_downTaps = length;
    m_downWindow = window;
    m_downReversed.swap(reversed);
    m_downHistory.swap(downHistory);
    m_downPosition = 0;
}

double YUpsampler::PassBandEdge() const noexcept {
    return (m_highQuality ? kHighQuality : kStandard).passBand;
}

double YUpsampler::StopBandEdge() const noexcept {
    return (m_highQuality ? kHighQuality : kStandard).stopBand;
}

void YUpsampler::Reset() noexcept {
    std::fill(m_upHistory.begin(), m_upHistory.end(), 0.0f);
    std::fill(m_downHistory.begin(), m_downHistory.end(), 0.0f);
    m_upPosition = 0;
    m_downPosition = 0;
}

void YUpsampler::Upsample(const float* in, float* out, int32_t frames) noexcept {
    if (m_factor < 2) return;
    const int32_t length = m_phaseLength;
    float* history = m_upHistory.data();
    const float* phases = m_phases.data();
    for (int32_t n = 0; n < frames; ++n) {
        history[m_upPosition] = in[n];
        history[m_upPosition + length] = in[n];
        if (++m_upPosition == length) m_upPosition = 0;
        const float* window = history + m_upPosition; // oldest ... newest
        for (int32_t p = 0; p < m_factor; ++p) *out++ = Dot(window, phases + p * length, length);
    }
}

void YUpsampler::Downsample(const float* in, float* out, int32_t frames, bool accumulate) noexcept {
    if (m_factor < 2) return;
    const int32_t window = m_downWindow;
    float* history = m_downHistory.data();
    const float* taps = m_downReversed.data();
    for (int32_t n = 0; n < frames; ++n) {
        for (int32_t p = 0; p < m_factor; ++p) {
            const float sample = *in++;
            history[m_downPosition] = sample;
            history[m_downPosition + window] = sample;
            if (++m_downPosition == window) m_downPosition = 0;
        }
        const float value = Dot(history + m_downPosition, taps, m_downTaps);
        if (accumulate)
            out[n] += value;
        else
            out[n] = value;
    }
}
