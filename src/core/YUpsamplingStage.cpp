#include "core/YUpsamplingStage.h"

void YUpsamplingStage::Configure(int32_t factor, bool highQuality, int32_t capacity) {
    if (factor < 2) {
        m_factor = 1;
        std::vector<float>().swap(m_inputs);
        std::vector<float>().swap(m_outputs);
        m_capacity = 0;
        return;
    }
    // Until everything below has succeeded, blocks run without up-sampling.
    m_factor = 1;
    if (m_designedFactor != factor || m_designedHighQuality != highQuality) {
        m_designedFactor = 1; // a design that fails half-way is redone next time
        for (YUpsampler& upsampler : m_upsamplers) upsampler.Configure(factor, highQuality);
        m_designedFactor = factor;
        m_designedHighQuality = highQuality;
    } else {
        // Same filters; a re-initialisation (new rate, layout, activation) starts from silence.
        for (YUpsampler& upsampler : m_upsamplers) upsampler.Reset();
    }
    SizeBuffers(factor, capacity);
    m_highQuality = highQuality;
    m_factor = factor;
}

void YUpsamplingStage::Resize(int32_t capacity) {
    if (m_factor >= 2) SizeBuffers(m_factor, capacity);
}

void YUpsamplingStage::SizeBuffers(int32_t factor, int32_t capacity) {
    const int32_t upCapacity = capacity * factor;
    const size_t size = static_cast<size_t>(kSlots) * static_cast<size_t>(upCapacity);
    if (m_inputs.size() != size) {
        std::vector<float> inputs(size, 0.0f);
        std::vector<float> outputs(size, 0.0f);
        m_inputs.swap(inputs);
        m_outputs.swap(outputs);
    }
    m_capacity = upCapacity;
}
