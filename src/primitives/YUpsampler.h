// YUpsampler: one channel's up-sampling by 2, 4, 8 or 16 and the matching down-sampling back
// to the host rate, with linear-phase FIR filters.
//
// Both directions use the same low-pass prototype, cut off at the host rate's Nyquist
// frequency. An up-then-down round trip delays the signal by exactly kLatency up-sampled
// samples (kHighQualityLatency in high quality): the two filters' group delays, plus a plain
// delay for what the filters leave over, so the latency is the same for every factor.
//
// Standard quality: flat to 0.45 of the host rate (ripple below 1e-5 dB), images and aliases
// from 0.55 of the host rate on at least 130 dB down. High quality: flat to 0.47 (ripple
// below 1e-6 dB), at least 148 dB down from 0.53. The filters are only as long as that
// needs; the cost per host sample and channel is about twice the filter length in
// multiply-adds, whatever the factor.
#pragma once

#include <cstdint>
#include <vector>

class YUpsampler {
public:
    static constexpr int32_t kLatency = 1536;
    static constexpr int32_t kHighQualityLatency = 6144;

    static bool IsValidFactor(int32_t factor) noexcept {
        return factor == 2 || factor == 4 || factor == 8 || factor == 16;
    }

    // Designs the filters and sizes the state (allocates: never on the audio thread) and
    // clears the state. Raises "Invalid up-sampling factor." for any other factor.
    void Configure(int32_t factor, bool highQuality);
    bool IsConfigured() const noexcept { return m_factor > 1; }
    int32_t Factor() const noexcept { return m_factor; }
    bool HighQuality() const noexcept { return m_highQuality; }
    // Host-rate samples an up-then-down round trip delays the signal.
    int32_t Latency() const noexcept { return m_factor > 1 ? RoundTripLatency() / m_factor : 0; }

    // Forgets the past signal of both directions.
    void Reset() noexcept;

    // frames host samples in, frames × Factor() samples out; in and out must not overlap.
    void Upsample(const float* in, float* out, int32_t frames) noexcept;
    // frames × Factor() samples in, frames host samples out (added to out when accumulate).
    void Downsample(const float* in, float* out, int32_t frames, bool accumulate) noexcept;

    // The prototype low-pass at the up-sampled rate, DC gain 1, symmetric (for measurements).
    const std::vector<float>& Prototype() const noexcept { return m_prototype; }
    // Pass-band and stop-band edges of this configuration, as fractions of the host rate.
    double PassBandEdge() const noexcept;
    double StopBandEdge() const noexcept;

private:
    int32_t RoundTripLatency() const noexcept { return m_highQuality ? kHighQualityLatency : kLatency; }

    int32_t m_factor = 1;
    bool m_highQuality = false;
    std::vector<float> m_prototype;

    // Up: Factor() phases of m_phaseLength taps each, stored reversed and scaled by the factor
    // so that the zero-stuffed signal keeps its level.
    int32_t m_phaseLength = 0;
    std::vector<float> m_phases;
    // Host-rate history, written twice so that the newest m_phaseLength samples are always
    // contiguous.
    std::vector<float> m_upHistory;
    int32_t m_upPosition = 0;

    // Down: the prototype reversed, applied to the oldest taps of a window that also holds the
    // extra delay.
    int32_t m_downTaps = 0;
    int32_t m_downWindow = 0;
    std::vector<float> m_downReversed;
    std::vector<float> m_downHistory;
    int32_t m_downPosition = 0;
};
