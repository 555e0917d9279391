// YPlatformMutex: a kernel mutex with a time-out, re-entrant for its owner like a Windows
// mutex. When the owning thread ends without releasing it, the mutex counts as abandoned:
// the next wait takes it over and succeeds.
//
// A default-constructed object has no system handle until Open() succeeds.
#pragma once

#include "platform/YPlatformTime.h"

#include <cstdint>

class YPlatformMutex {
public:
    YPlatformMutex() noexcept = default;
    ~YPlatformMutex() { Close(); }
    YPlatformMutex(const YPlatformMutex&) = delete;
    YPlatformMutex& operator=(const YPlatformMutex&) = delete;

    // Creates the system mutex (not owned). False on failure or if already open.
    bool Open() noexcept;
    // Releases the system handle; the object then has no handle again.
    void Close() noexcept;
    bool IsOpen() const noexcept { return m_handle != nullptr; }

    // Waits up to timeoutMs (0 tries once, kYPlatformWaitInfinite waits without limit).
    // True when the mutex was taken, also when it was taken over from an ended owner.
    // False on time-out or without a handle.
    bool Wait(uint32_t timeoutMs) noexcept;
    // Gives up one ownership level; false if the caller does not own the mutex.
    bool Release() noexcept;

private:
    void* m_handle = nullptr;
};
