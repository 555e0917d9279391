// Ring-buffer delay line that keeps its audio across a change of length (so that a new
// delay time glides instead of clicking).
#pragma once

#include "foundation/YObject.h"
#include "primitives/YStretch.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace YAudioFilters {

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

    // Sets the delay length, keeping the most recent history in place: the sample pushed k
    // calls earlier stays k calls back for every k up to both lengths; older slots of a longer
    // line are silent. The next PushPop returns the sample pushed n calls earlier. Does not
    // allocate while n fits the storage.
    void Relayout(int32_t newLength) {
        const int32_t n = std::clamp<int32_t>(newLength, 1, kMaxLength);
        const int32_t L = m_length;
        if (m_position > 0) {
            std::rotate(m_data.get(), m_data.get() + m_position, m_data.get() + L);
            m_position = 0;
        }
        if (m_capacity < n) Reallocate(NextPowerOfTwo(n), L);
        m_reserved = std::max(m_reserved, n);
        T* d = m_data.get();
        if (L < n) {
            std::copy_backward(d, d + L, d + n);
            std::fill(d, d + (n - L), T(0));
        } else if (L > n) {
            std::copy(d + (L - n), d + L, d);
        }
        m_length = n;
    }

    // The sample pushed k + 1 calls earlier (k = 0: the latest), for k below Length().
    T Back(int32_t k) const noexcept {
        int32_t i = m_position - 1 - k;
        if (i < 0) i += m_length;
        return m_data[i];
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
