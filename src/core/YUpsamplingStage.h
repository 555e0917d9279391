// YUpsamplingStage: what running a block at a multiple of the host rate needs, one
// up-sampler per channel slot and the buffers that hold each slot's up-sampled input and
// output. Input slot i goes up through Channel(i), output slot i comes down through it.
// Configured (allocating) while processing is re-initialised; the audio thread only reads
// the factor and uses the buffers.
#pragma once

#include "primitives/YUpsampler.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class YUpsamplingStage {
public:
    static constexpr int32_t kSlots = 16;

    // Factor 1 switches the stage off and frees its buffers; 2 ... 16 designs the filters (or,
    // when they already are for this factor and quality, starts them from silence) and sizes
    // the buffers for capacity host frames per slot. Until everything has succeeded the stage
    // reads as off.
    void Configure(int32_t factor, bool highQuality, int32_t capacity);
    // Sizes the buffers for a new block capacity, keeping the configured factor; nothing while
    // the stage is off.
    void Resize(int32_t capacity);

    // 1 while off or not configured.
    int32_t Factor() const noexcept { return m_factor; }
    bool HighQuality() const noexcept { return m_highQuality; }
    // Whether a block of frames host samples can run through the stage as configured for
    // factor and highQuality.
    bool Serves(int32_t factor, bool highQuality, int32_t frames) const noexcept {
        return m_factor >= 2 && m_factor == factor && m_highQuality == highQuality &&
               static_cast<int64_t>(frames) * m_factor <= m_capacity;
    }

    YUpsampler& Channel(int32_t slot) noexcept { return m_upsamplers[slot]; }
    // factor × capacity samples per slot.
    float* Input(int32_t slot) noexcept {
        return m_inputs.data() + static_cast<ptrdiff_t>(slot) * m_capacity;
    }
    float* Output(int32_t slot) noexcept {
        return m_outputs.data() + static_cast<ptrdiff_t>(slot) * m_capacity;
    }

private:
    void SizeBuffers(int32_t factor, int32_t capacity);

    YUpsampler m_upsamplers[kSlots];
    int32_t m_factor = 1;
    bool m_highQuality = false;
    int32_t m_designedFactor = 1; // what every up-sampler's filters are designed for
    bool m_designedHighQuality = false;
    int32_t m_capacity = 0;       // up-sampled frames per slot buffer
    std::vector<float> m_inputs;  // kSlots x capacity x factor
    std::vector<float> m_outputs; // kSlots x capacity x factor
};
