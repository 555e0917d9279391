#include "platform/YSynchronizer.h"

#include "foundation/YException.h"

YSynchronizer::~YSynchronizer() = default;

YLock::~YLock() = default;

int YLock::Lock(uint32_t timeout) {
    if (timeout == 0) return m_lock.TryEnter() ? 0 : 1;
    m_lock.Enter();
    return 0;
}

void YLock::Unlock() { m_lock.Leave(); }

YMutex::YMutex() {
    if (!m_mutex.Open()) YRaise("Could not create mutex.");
}

YMutex::~YMutex() = default;

int YMutex::Lock(uint32_t timeout) {
    if (!m_mutex.IsOpen()) return 0;
    return m_mutex.Wait(timeout) ? 0 : 1;
}

void YMutex::Unlock() {
    if (m_mutex.IsOpen()) m_mutex.Release();
}

YSemaphore::YSemaphore(int32_t initialCount, int32_t maximumCount) {
    if (!m_semaphore.Open(initialCount, maximumCount)) YRaise("Could not create semaphore.");
}

YSemaphore::~YSemaphore() = default;

int YSemaphore::Lock(uint32_t timeout) { return m_semaphore.Wait(timeout) ? 0 : 1; }

void YSemaphore::Unlock() { m_semaphore.Release(1); }

YScopedLock::YScopedLock(YSynchronizer& synchronizer, uint32_t timeout) : m_synchronizer(synchronizer) {
    if (m_synchronizer.Lock(timeout) != 0) YRaise("Could not acquire mutex.");
}
