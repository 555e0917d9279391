// YSPSCQueue: a fixed ring for one producing and one consuming thread. Neither side allocates
// or waits; when the ring is full the newest entry is dropped and counted.
#pragma once

#include <atomic>
#include <cstdint>

template <typename T, uint32_t Capacity> class YSPSCQueue {
    static_assert(Capacity > 0 && (Capacity & (Capacity - 1)) == 0, "capacity must be a power of two");

public:
    // Producer side. False (and counted) when the ring is full.
    bool Push(const T& value) noexcept {
        const uint32_t tail = m_tail.load(std::memory_order_relaxed);
        const uint32_t head = m_head.load(std::memory_order_acquire);
        if (tail - head >= Capacity) {
            m_dropped.fetch_add(1, std::memory_order_relaxed);
            return false;
        }
        m_items[tail & (Capacity - 1)] = value;
        m_tail.store(tail + 1u, std::memory_order_release);
        return true;
    }

    // Consumer side. False when nothing is waiting.
    bool Pop(T& value) noexcept {
        const uint32_t head = m_head.load(std::memory_order_relaxed);
        const uint32_t tail = m_tail.load(std::memory_order_acquire);
        if (head == tail) return false;
        value = m_items[head & (Capacity - 1)];
        m_head.store(head + 1u, std::memory_order_release);
        return true;
    }

    bool IsEmpty() const noexcept {
        return m_head.load(std::memory_order_acquire) == m_tail.load(std::memory_order_acquire);
    }
    uint32_t Dropped() const noexcept { return m_dropped.load(std::memory_order_relaxed); }

private:
    T m_items[Capacity] = {};
    std::atomic<uint32_t> m_head{0}; // next to take
    std::atomic<uint32_t> m_tail{0}; // next to fill
    std::atomic<uint32_t> m_dropped{0};
};
