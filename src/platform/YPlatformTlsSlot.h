// YPlatformTlsSlot: one thread-local storage slot; each thread sees its own value,
// which starts as null in every thread.
#pragma once

#include <cstdint>

class YPlatformTlsSlot {
public:
    YPlatformTlsSlot() noexcept = default;
    ~YPlatformTlsSlot() { Free(); }
    YPlatformTlsSlot(const YPlatformTlsSlot&) = delete;
    YPlatformTlsSlot& operator=(const YPlatformTlsSlot&) = delete;

    // Takes a slot from the system; false when the process has none left or one is held.
    bool Allocate() noexcept;
    // Gives the slot back (values stored in it are dropped, not freed).
    void Free() noexcept;
    bool IsAllocated() const noexcept { return m_allocated; }

    // The calling thread's value (null before the first Set and without a slot).
    void* Get() const noexcept;
    // Stores the calling thread's value; false without a slot.
    bool Set(void* value) noexcept;

private:
    uint32_t m_key = 0;
    bool m_allocated = false;
};
