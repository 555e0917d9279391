#include "core/YBypassDelayLine.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>

void YBypassDelayLine::Configure(int32_t delay) {
    m_delay = std::max(delay, 0);
    const uint32_t size = std::bit_ceil(static_cast<uint32_t>(m_delay) + 1u);
    m_buffer.assign(size, 0.0f);
    m_mask = size - 1u;
    m_write = 0;
}

void YBypassDelayLine::Clear() noexcept {
    std::fill(m_buffer.begin(), m_buffer.end(), 0.0f);
    m_write = 0;
}

void YBypassDelayLine::Process(const float* in, float* out, int32_t frames, bool accumulate) noexcept {
    if (m_delay == 0 || m_buffer.empty()) {
        if (accumulate) {
            if (in != out)
                for (int32_t i = 0; i < frames; ++i) out[i] += in[i];
        } else if (out != in) {
            std::memmove(out, in, static_cast<size_t>(frames) * sizeof(float));
        }
        return;
    }
    float* ring = m_buffer.data();
    const uint32_t delay = static_cast<uint32_t>(m_delay);
    for (int32_t i = 0; i < frames; ++i) {
        // The input sample is read before the output is written: in and out may coincide.
        ring[m_write] = in[i];
        const float delayed = ring[(m_write - delay) & m_mask];
        m_write = (m_write + 1u) & m_mask;
        if (accumulate)
            out[i] += delayed;
        else
            out[i] = delayed;
    }
}
