#include "platform/YPlatformTlsSlot.h"

#include <pthread.h>
#include <type_traits>

static_assert(sizeof(pthread_key_t) <= sizeof(uint32_t) && std::is_unsigned_v<pthread_key_t>,
              "pthread_key_t must fit the slot's key");

bool YPlatformTlsSlot::Allocate() noexcept {
    if (m_allocated) return false;
    pthread_key_t key;
    if (pthread_key_create(&key, nullptr) != 0) return false;
    m_key = static_cast<uint32_t>(key);
    m_allocated = true;
    return true;
}

void YPlatformTlsSlot::Free() noexcept {
    if (!m_allocated) return;
    pthread_key_delete(static_cast<pthread_key_t>(m_key));
    m_allocated = false;
}

void* YPlatformTlsSlot::Get() const noexcept {
    return m_allocated ? pthread_getspecific(static_cast<pthread_key_t>(m_key)) : nullptr;
}

bool YPlatformTlsSlot::Set(void* value) noexcept {
    return m_allocated && pthread_setspecific(static_cast<pthread_key_t>(m_key), value) == 0;
}
