#include "platform/YPlatformSemaphore.h"

#include <windows.h>

bool YPlatformSemaphore::Open(int32_t initialCount, int32_t maximumCount) noexcept {
    if (m_handle || maximumCount < 1 || initialCount < 0 || initialCount > maximumCount) return false;
    m_handle = CreateSemaphoreW(nullptr, initialCount, maximumCount, nullptr);
    return m_handle != nullptr;
}

void YPlatformSemaphore::Close() noexcept {
    if (!m_handle) return;
    CloseHandle(m_handle);
    m_handle = nullptr;
}

bool YPlatformSemaphore::Wait(uint32_t timeoutMs) noexcept {
    return m_handle && WaitForSingleObject(m_handle, timeoutMs) == WAIT_OBJECT_0;
}

// The kernel's release never waits for a lock of ours.
bool YPlatformSemaphore::TryRelease() noexcept { return Release(1); }

bool YPlatformSemaphore::Release(int32_t count) noexcept {
    return m_handle && count >= 1 && ReleaseSemaphore(m_handle, count, nullptr) != FALSE;
}
