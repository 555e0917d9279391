// Ring-buffer delay line and the linear stretching routine it uses to keep its audio
// across a change of length (so that a new delay time glides instead of clicking).
#pragma once

#include "foundation/YObject.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace YAudioFilters {

// Stretches the first oldLength samples of data over newLength samples in place, with
// linear interpolation at positions j·(oldLength − 1)/(newLength − 1). The first and the
// last sample are kept. data must hold max(oldLength, newLength) samples. Growing from
// 0 samples leaves the data alone, growing from 1 sample repeats it; shrinking to 1
// keeps the newest (last) sample.
template <typename T> void StretchInPlace(T* data, int32_t oldLength, int32_t newLength) {
    const int32_t L = oldLength;
    const int32_t n = newLength;
    if (data == nullptr || L < 0 || n < 1 || L == n) return;
    if (n == 1) {
        if (L >= 1) data[0] = data[L - 1];
        return;
    }
    if (L == 0) return;
    if (L == 1) {
        std::fill(data + 1, data + n, data[0]);
        return;
    }
    const float ratio = static_cast<float>(L - 1) / static_cast<float>(n - 1);
    if (L < n) {
        // Descending, so that every source is read before anything overwrites it:
        // the sources of j never lie beyond j.
        data[n - 1] = data[L - 1];
        for (int32_t j = n - 2; j >= 1; --j) {
            const float p = static_cast<float>(j) * ratio;
            int32_t k = static_cast<int32_t>(p);
            float f = p - static_cast<float>(k);
            // Float rounding on very long lines must not reach sources already rewritten.
            const int32_t kMax = std::min(L - 2, j - 1);
            if (k > kMax) {
                k = kMax;
                f = 1.0f;
            }
            data[j] = static_cast<T>((1.0f - f) * data[k] + f * data[k + 1]);
        }
    } else {
        // Ascending: the sources of j never lie before j.
        for (int32_t j = 1; j <= n - 2; ++j) {
            const float p = static_cast<float>(j) * ratio;
            int32_t k = static_cast<int32_t>(p);
            float f = p - static_cast<float>(k);
            if (k > L - 2) {
                k = L - 2;
                f = 1.0f;
            }
            data[j] = static_cast<T>((1.0f - f) * data[k] + f * data[k + 1]);
        }
        data[n - 1] = data[L - 1];
    }
}

// The same resampling from one array into another (source and target must not overlap).
// An empty source fills the target with zeros.
template <typename T> void Stretch(const T* source, int32_t sourceLength, T* target, int32_t targetLength) {
    const int32_t L = sourceLength;
    const int32_t n = targetLength;
    if (target == nullptr || n < 1) return;
    if (source == nullptr || L < 1) {
        std::fill(target, target + n, T(0));
        return;
    }
    if (n == 1) {
        target[0] = source[L - 1];
        return;
    }
    if (L == 1) {
        std::fill(target, target + n, source[0]);
        return;
    }
    const float ratio = static_cast<float>(L - 1) / static_cast<float>(n - 1);
    target[0] = source[0];
    for (int32_t j = 1; j <= n - 2; ++j) {
        const float p = static_cast<float>(j) * ratio;
        int32_t k = static_cast<int32_t>(p);
        float f = p - static_cast<float>(k);
        if (k > L - 2) {
            k = L - 2;
            f = 1.0f;
        }
        target[j] = static_cast<T>((1.0f - f) * source[k] + f * source[k + 1]);
    }
    target[n - 1] = source[L - 1];
}

// A ring buffer of `Length()` samples: PushPop returns the sample pushed Length() calls
// earlier. Storage is a power of two that only grows, except that lines of 1 250 000
// samples or more give memory back when they shrink.
template <typename T> class Delay : public YObject {
public:
    // Lengths are clamped to this (2^24 samples, almost 6 minutes at 48 kHz), so that a
    // nonsensical request cannot ask for gigabytes.
    static constexpr int32_t kMaxLength = 1 << 24;
    // Shrinking below this never reallocates.
    static constexpr int32_t kShrinkThreshold = 1250000;

    Delay() = default;
    Delay(const Delay&) = delete;
    Delay& operator=(const Delay&) = delete;
    ~Delay() override = default;

    int32_t Capacity() const noexcept { return m_capacity; }
    int32_t ReservedLength() const noexcept { return m_reserved; }
    int32_t Length() const noexcept { return m_length; }
    int32_t Position() const noexcept { return m_position; }
    // The stored samples, oldest at Position(); Length() of them.
    const T* Data() const noexcept { return m_data.get(); }

    // Sets the delay length, keeping the stored audio stretched over the new length.
    // Lengths below 2 become 1. Returns false when the length does not change. May
    // allocate; never called per sample.
    bool Resize(int32_t newLength) {
        const int32_t n = std::clamp<int32_t>(newLength, 1, kMaxLength);
        const int32_t L = m_length;
        if (n == L) return false;
        if (m_position > 0) {
            std::rotate(m_data.get(), m_data.get() + m_position, m_data.get() + L);
            m_position = 0;
        }
        if (L < n) {
            m_reserved = std::max(m_reserved, n);
            if (m_capacity < n) Reallocate(NextPowerOfTwo(n), L);
            if (L == 0) std::fill(m_data.get(), m_data.get() + n, T(0));
            StretchInPlace(m_data.get(), L, n);
        } else {
            StretchInPlace(m_data.get(), L, n);
            if (n >= kShrinkThreshold) {
                m_reserved = n;
                const int32_t capacity = NextPowerOfTwo(n);
                if (capacity < m_capacity) Reallocate(capacity, n);
            }
        }
        m_length = n;
        return true;
    }

    // Silences the stored samples; length and position stay.
    void Clear() noexcept {
        if (m_length > 0) std::fill(m_data.get(), m_data.get() + m_length, T(0));
    }

    // Returns the sample pushed Length() calls earlier and stores x in its place.
    // A line that was never sized holds nothing and returns 0.
    T PushPop(T x) noexcept {
        if (m_length <= 0) return T(0);
        T* slot = m_data.get() + m_position;
        const T y = *slot;
        *slot = x;
        if (++m_position >= m_length) m_position = 0;
        return y;
    }

    // The write half of PushPop, for lines that are read before they are written.
    void Push(T x) noexcept {
        if (m_length <= 0) return;
        m_data[m_position] = x;
        if (++m_position >= m_length) m_position = 0;
    }

protected:
    static int32_t NextPowerOfTwo(int32_t n) noexcept {
        int32_t p = 1;
        while (p < n) p <<= 1;
        return p;
    }

    // New storage of the given capacity holding the first `keep` samples, zeros after.
    void Reallocate(int32_t capacity, int32_t keep) {
        std::unique_ptr<T[]> fresh(new T[static_cast<std::size_t>(capacity)]());
        if (keep > 0) std::copy_n(m_data.get(), keep, fresh.get());
        m_data = std::move(fresh);
        m_capacity = capacity;
    }

    int32_t m_capacity = 0;
    std::unique_ptr<T[]> m_data;
    int32_t m_reserved = 0;
    int32_t m_length = 0;
    int32_t m_position = 0;
};

} // namespace YAudioFilters
