#include "platform/YPlatformTlsSlot.h"

#include <windows.h>

bool YPlatformTlsSlot::Allocate() noexcept {
    if (m_allocated) return false;
    const DWORD index = TlsAlloc();
    if (index == TLS_OUT_OF_INDEXES) return false;
    m_key = index;
    m_allocated = true;
    return true;
}

void YPlatformTlsSlot::Free() noexcept {
    if (!m_allocated) return;
    TlsFree(m_key);
    m_allocated = false;
}

void* YPlatformTlsSlot::Get() const noexcept { return m_allocated ? TlsGetValue(m_key) : nullptr; }

bool YPlatformTlsSlot::Set(void* value) noexcept { return m_allocated && TlsSetValue(m_key, value) != FALSE; }
