// Delay line read at a fractional, time-varying position (the flanger's swept line).
#pragma once

#include "effect/YDelay.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace YAudioFilters {

// Windowed-sinc interpolation kernel, sampled 128 times per sample of distance;
// entries from kSincTableNonZero on are 0.
constexpr int32_t kSincResolution = 128;
constexpr int32_t kSincTableSize = 2470;
constexpr int32_t kSincTableNonZero = 2462;
// Neighbours on each side of the centre sample that the sinc read gathers (37 taps).
constexpr int32_t kSincHalfTaps = 18;

// The kernel table, built once when the program loads.
const double* SincTable() noexcept;

template <typename T> class Vibrato : public Delay<T> {
public:
    static constexpr int32_t kCubicMargin = 5;
    static constexpr int32_t kSincMargin = 39;

    double Reserve() const noexcept { return m_reserve; }
    double HalfLength() const noexcept { return m_halfLength; }
    int32_t Margin() const noexcept { return m_margin; }
    bool Sinc() const noexcept { return m_sinc; }

    // Sizes the line for excursions of up to 2·reserve samples plus the interpolator's
    // margin (5 for cubic, 39 for sinc): length trunc(2·reserve + margin).
    void Configure(double reserve, int32_t margin, bool sinc) {
        // Keep the length computation inside int range whatever the caller passes.
        if (!(reserve >= 0.0)) reserve = 0.0;
        reserve = std::fmin(reserve, static_cast<double>(Delay<T>::kMaxLength));
        m_margin = std::clamp<int32_t>(margin, 0, 1024);
        this->Resize(static_cast<int32_t>(2.0 * reserve + static_cast<double>(m_margin)));
        m_halfLength = static_cast<double>(this->m_length) * 0.5;
        m_reserve = reserve;
        m_sinc = sinc;
    }

    // Reads the line at offset o (≤ 0) from its centre, with the interpolator chosen at
    // Configure. The value lies (margin − trunc(margin/2) − o) samples in the past: 3 − o
    // for cubic, 20 − o for sinc. Read before the sample of this call is pushed.
    T ModulatedRead(double offset) const noexcept {
        return m_sinc ? ModulatedReadSinc(offset) : ModulatedReadCubic(offset);
    }
    T ModulatedReadCubic(double offset) const noexcept {
        int32_t k;
        const double t = ReadPosition(offset, k);
        return CubicRead(k + this->m_position, static_cast<float>(t));
    }
    T ModulatedReadSinc(double offset) const noexcept {
        int32_t k;
        const double t = ReadPosition(offset, k);
        return SincRead(k + this->m_position, t);
    }

    // Catmull-Rom interpolation between data[i] and data[i + 1] (ring indices), single
    // precision; t = 0 returns data[i] exactly.
    T CubicRead(int32_t index, float t) const noexcept {
        const int32_t S = this->m_length;
        if (S <= 0) return T(0);
        const T* d = this->m_data.get();
        const int32_t i = Wrap(index, S);
        float xm1, x0, x1, x2;
        if (S >= 4 && i >= 1 && i + 2 < S) {
            xm1 = d[i - 1];
            x0 = d[i];
            x1 = d[i + 1];
            x2 = d[i + 2];
        } else {
            xm1 = d[i == 0 ? S - 1 : i - 1];
            x0 = d[i];
            x1 = d[Wrap(i + 1, S)];
            x2 = d[Wrap(i + 2, S)];
        }
        return static_cast<T>(
            ((((x0 - x1) * 3.0f - xm1 + x2) * 0.5f * t + (2.0f * x1 + xm1 - (5.0f * x0 + x2) * 0.5f)) * t +
             (x1 - xm1) * 0.5f) *
                t +
            x0);
    }

    // 37-tap windowed-sinc interpolation at ring position index + t, accumulated in double.
    T SincRead(int32_t index, double t) const noexcept {
        const int32_t S = this->m_length;
        if (S <= 0) return T(0);
        if (!(t >= 0.0)) t = 0.0;
        if (t > 1.0) t = 1.0;
        const T* d = this->m_data.get();
        const int32_t i = Wrap(index, S);
        constexpr int32_t kTaps = 2 * kSincHalfTaps + 1;
        T gathered[kTaps];
        const T* x; // x[kSincHalfTaps] is the centre sample
        if (S >= kTaps && i >= kSincHalfTaps && i + kSincHalfTaps < S) {
            x = d + (i - kSincHalfTaps);
        } else {
            for (int32_t m = 0; m < kTaps; ++m) gathered[m] = d[Wrap(i - kSincHalfTaps + m, S)];
            x = gathered;
        }
        const double* table = SincTable();
        double sum = 0.0;
        for (int32_t k = 0; k <= kSincHalfTaps; ++k)
            sum += static_cast<double>(x[kSincHalfTaps - k]) * Kernel(table, k + t);
        for (int32_t k = 1; k <= kSincHalfTaps; ++k)
            sum += static_cast<double>(x[kSincHalfTaps + k]) * Kernel(table, k - t);
        return static_cast<T>(sum);
    }

private:
    static int32_t Wrap(int32_t i, int32_t S) noexcept {
        int32_t r = i % S;
        return r < 0 ? r + S : r;
    }

    // The kernel at distance d (0 ≤ d < 20), linear between table entries.
    static double Kernel(const double* table, double d) noexcept {
        const double s = d * kSincResolution;
        const int32_t j = static_cast<int32_t>(s);
        const double g = s - j;
        return (1.0 - g) * table[j] + g * table[j + 1];
    }

    // p = o + trunc(margin/2) + 2·reserve, kept inside the line (a non-finite offset reads
    // the oldest sample); returns the fraction, k the whole part.
    double ReadPosition(double offset, int32_t& k) const noexcept {
        double p = offset + static_cast<double>(m_margin / 2) + 2.0 * m_reserve;
        if (!(p >= 0.0)) p = 0.0;
        const double limit = static_cast<double>(this->m_length);
        if (p > limit) p = limit;
        k = static_cast<int32_t>(p);
        return p - k;
    }

    double m_reserve = 0.0;
    double m_halfLength = 0.0;
    int32_t m_margin = kCubicMargin;
    bool m_sinc = false;
};

} // namespace YAudioFilters
