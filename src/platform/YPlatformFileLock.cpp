#include "platform/YPlatformFileLock.h"

#include "platform/YPlatformTime.h"

YPlatformFileLock::Result YPlatformFileLock::Lock(const YString& path, uint32_t timeoutMs) noexcept {
    m_error = YString();
    if (IsLocked()) return Result::kFailed;
    const intptr_t handle = OpenFile(path, m_error);
    if (handle == kNoHandle) return Result::kFailed;
    // Short sleeps that grow to 16 ms: a holder's change takes milliseconds, and a waiter
    // should neither spin nor oversleep the moment it is released.
    const uint32_t start = YPlatformTickCount();
    uint32_t pause = 1;
    for (;;) {
        switch (TryLock(handle, m_error)) {
        case Attempt::kLocked:
            m_handle = handle;
            return Result::kLocked;
        case Attempt::kFailed:
            Release(handle);
            return Result::kFailed;
        case Attempt::kBusy:
            break;
        }
        const uint32_t waited = YPlatformTickCount() - start;
        if (waited >= timeoutMs) break;
        YPlatformSleep(pause < timeoutMs - waited ? pause : timeoutMs - waited);
        if (pause < 16) pause *= 2;
    }
    Release(handle);
    return Result::kTimedOut;
}

void YPlatformFileLock::Unlock() noexcept {
    if (!IsLocked()) return;
    Release(m_handle);
    m_handle = kNoHandle;
}

// The counter is stored little-endian, the same on every system, since one library folder may
// be shared by machines of both kinds.
bool YPlatformFileLock::ReadCounter(uint64_t& value) noexcept {
    if (!IsLocked()) return false;
    unsigned char bytes[8] = {};
    uint32_t done = 0;
    if (!ReadHead(m_handle, bytes, sizeof bytes, done)) return false;
    // A new or shorter file counts as 0.
    value = 0;
    if (done == sizeof bytes)
        for (int i = 7; i >= 0; --i) value = value << 8 | bytes[i];
    return true;
}

bool YPlatformFileLock::WriteCounter(uint64_t value) noexcept {
    if (!IsLocked()) return false;
    unsigned char bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    return WriteHead(m_handle, bytes, sizeof bytes);
}
