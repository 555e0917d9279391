#include "entry/vst3/YVST3ControllerValues.h"

#include <bit>
#include <cmath>

namespace {

// A slot is one word so that holding and releasing never race half-way: the bits of the held
// double, or this quiet NaN (which no held value can be) when it is empty.
constexpr uint64_t kEmpty = 0x7FF8DEADBEEF0001ull;

} // namespace

void YVST3ControllerValues::Reset(size_t count) {
    m_slots.reset(count > 0 ? new std::atomic<uint64_t>[count] : nullptr);
    m_count = count;
    ReleaseAll();
}

void YVST3ControllerValues::Hold(size_t slot, double value) noexcept {
    if (slot >= m_count || !std::isfinite(value)) return;
    m_slots[slot].store(std::bit_cast<uint64_t>(value), std::memory_order_release);
}

bool YVST3ControllerValues::Held(size_t slot, double& value) const noexcept {
    if (slot >= m_count) return false;
    const uint64_t bits = m_slots[slot].load(std::memory_order_acquire);
    if (bits == kEmpty) return false;
    value = std::bit_cast<double>(bits);
    return true;
}

void YVST3ControllerValues::Release(size_t slot) noexcept {
    if (slot < m_count) m_slots[slot].store(kEmpty, std::memory_order_release);
}

void YVST3ControllerValues::ReleaseUnlessSame(size_t slot, double value) noexcept {
    if (slot >= m_count) return;
    uint64_t bits = m_slots[slot].load(std::memory_order_acquire);
    // A value the host holds again meanwhile is compared afresh.
    while (bits != kEmpty && !(std::fabs(std::bit_cast<double>(bits) - value) <= kSameValue)) {
        if (m_slots[slot].compare_exchange_weak(bits, kEmpty, std::memory_order_acq_rel)) return;
    }
}

void YVST3ControllerValues::ReleaseAll() noexcept {
    for (size_t i = 0; i < m_count; ++i) m_slots[i].store(kEmpty, std::memory_order_release);
}
