#include "entry/vst3/YVST3OutputChanges.h"

void YVST3OutputChanges::Reset(const Vst3::ParamID* ids, size_t count) {
    m_ids.reset(new Vst3::ParamID[count]);
    m_latest.reset(new std::atomic<double>[count]);
    m_unheard.reset(new std::atomic<bool>[count]);
    m_block.reset(new uint32_t[count]);
    m_blockValue.reset(new double[count]);
    m_inBlock.reset(new bool[count]);
    for (size_t i = 0; i < count; ++i) {
        m_ids[i] = ids[i];
        m_latest[i].store(0.0);
        m_unheard[i].store(false);
        m_blockValue[i] = 0.0;
        m_inBlock[i] = false;
    }
    m_blockCount = 0;
    m_count = count;
}

void YVST3OutputChanges::Post(size_t slot, double value) noexcept {
    if (slot >= m_count) return;
    m_latest[slot].store(value, std::memory_order_release);
    m_unheard[slot].store(true, std::memory_order_release);
    m_blockValue[slot] = value;
    if (!m_inBlock[slot]) {
        m_inBlock[slot] = true;
        m_block[m_blockCount++] = static_cast<uint32_t>(slot);
    }
}

void YVST3OutputChanges::Deliver(Vst3::IParameterChanges* changes) noexcept {
    for (size_t k = 0; k < m_blockCount; ++k) {
        const uint32_t slot = m_block[k];
        m_inBlock[slot] = false;
        if (changes == nullptr) continue;
        Vst3::int32 queueIndex = 0;
        Vst3::IParamValueQueue* queue = changes->addParameterData(m_ids[slot], queueIndex);
        Vst3::int32 pointIndex = 0;
        if (queue != nullptr) queue->addPoint(0, m_blockValue[slot], pointIndex);
    }
    m_blockCount = 0;
}
