// YPlatformSemaphore: a kernel counting semaphore with a time-out.
// A default-constructed object has no system handle until Open() succeeds.
#pragma once

#include "platform/YPlatformTime.h"

#include <cstdint>

class YPlatformSemaphore {
public:
    YPlatformSemaphore() noexcept = default;
    ~YPlatformSemaphore() { Close(); }
    YPlatformSemaphore(const YPlatformSemaphore&) = delete;
    YPlatformSemaphore& operator=(const YPlatformSemaphore&) = delete;

    // Creates the semaphore with an initial count (0 <= initial <= maximum, maximum >= 1).
    // False on bad counts, on failure, or if already open.
    bool Open(int32_t initialCount, int32_t maximumCount) noexcept;
    void Close() noexcept;
    bool IsOpen() const noexcept { return m_handle != nullptr; }

    // Waits up to timeoutMs for a count and takes it (0 tries once, kYPlatformWaitInfinite
    // waits without limit). False on time-out or without a handle.
    bool Wait(uint32_t timeoutMs) noexcept;
    // Adds count (>= 1); false, with the count unchanged, if that would pass the maximum.
    bool Release(int32_t count = 1) noexcept;
    // Adds one count without ever waiting for another thread (for the audio thread); false,
    // with the count unchanged, when that is not possible at once or the count is at its
    // maximum.
    bool TryRelease() noexcept;

private:
    void* m_handle = nullptr;
};
