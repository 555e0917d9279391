// YBypassDelayLine: one channel of the bypassed signal, delayed by the plug-in's latency so
// that switching bypass on or off keeps the host's delay compensation right. A ring of at
// least delay + 1 samples: the dry signal comes out delay samples late.
#pragma once

#include <cstdint>
#include <vector>

class YBypassDelayLine {
public:
    // Sizes the ring for delay samples (negative counts as 0) and clears it (allocates: never
    // on the audio thread).
    void Configure(int32_t delay);
    void Clear() noexcept;
    // Replaces (or, with accumulate, adds to) out with in delayed; in and out may be the same
    // buffer.
    void Process(const float* in, float* out, int32_t frames, bool accumulate) noexcept;
    int32_t Delay() const noexcept { return m_delay; }

private:
    std::vector<float> m_buffer;
    uint32_t m_mask = 0;
    uint32_t m_write = 0;
    int32_t m_delay = 0;
};
