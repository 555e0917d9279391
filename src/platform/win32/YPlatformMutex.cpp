#include "platform/YPlatformMutex.h"

#include <windows.h>

bool YPlatformMutex::Open() noexcept {
    if (m_handle) return false;
    m_handle = CreateMutexW(nullptr, FALSE, nullptr);
    return m_handle != nullptr;
}

void YPlatformMutex::Close() noexcept {
    if (!m_handle) return;
    CloseHandle(m_handle);
    m_handle = nullptr;
}

bool YPlatformMutex::Wait(uint32_t timeoutMs) noexcept {
    if (!m_handle) return false;
    const DWORD rc = WaitForSingleObject(m_handle, timeoutMs);
    return rc == WAIT_OBJECT_0 || rc == WAIT_ABANDONED;
}

bool YPlatformMutex::Release() noexcept { return m_handle && ReleaseMutex(m_handle) != FALSE; }
