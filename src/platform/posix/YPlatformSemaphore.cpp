#include "platform/YPlatformSemaphore.h"

#include "platform/posix/YPosixDeadline.h"
#include "platform/posix/YPosixRecord.h"

#include <cerrno>
#include <pthread.h>

// A mutex and a condition variable on the monotonic clock rather than sem_t, which has no
// maximum count and times out against the wall clock.

namespace {
struct Semaphore {
    pthread_mutex_t mutex;
    pthread_cond_t changed;
    int32_t count;
    int32_t maximum;
};
Semaphore* Native(void* handle) { return static_cast<Semaphore*>(handle); }
} // namespace

bool YPlatformSemaphore::Open(int32_t initialCount, int32_t maximumCount) noexcept {
    if (m_handle || maximumCount < 1 || initialCount < 0 || initialCount > maximumCount) return false;
    Semaphore* s = NewRecord<Semaphore>();
    if (!s) return false;
    s->count = initialCount;
    s->maximum = maximumCount;
    pthread_condattr_t attr;
    pthread_condattr_init(&attr);
    pthread_condattr_setclock(&attr, CLOCK_MONOTONIC);
    const int rcCond = pthread_cond_init(&s->changed, &attr);
    pthread_condattr_destroy(&attr);
    if (rcCond != 0) {
        delete s;
        return false;
    }
    if (pthread_mutex_init(&s->mutex, nullptr) != 0) {
        pthread_cond_destroy(&s->changed);
        delete s;
        return false;
    }
    m_handle = s;
    return true;
}

void YPlatformSemaphore::Close() noexcept {
    if (!m_handle) return;
    Semaphore* s = Native(m_handle);
    pthread_cond_destroy(&s->changed);
    pthread_mutex_destroy(&s->mutex);
    delete s;
    m_handle = nullptr;
}

bool YPlatformSemaphore::Wait(uint32_t timeoutMs) noexcept {
    if (!m_handle) return false;
    Semaphore* s = Native(m_handle);
    pthread_mutex_lock(&s->mutex);
    if (timeoutMs == kYPlatformWaitInfinite) {
        while (s->count == 0) pthread_cond_wait(&s->changed, &s->mutex);
    } else if (timeoutMs != 0) {
        const timespec deadline = YPosixDeadline(CLOCK_MONOTONIC, timeoutMs);
        while (s->count == 0) {
            if (pthread_cond_timedwait(&s->changed, &s->mutex, &deadline) == ETIMEDOUT) break;
        }
    }
    const bool taken = s->count > 0;
    if (taken) --s->count;
    pthread_mutex_unlock(&s->mutex);
    return taken;
}

bool YPlatformSemaphore::TryRelease() noexcept {
    if (!m_handle) return false;
    Semaphore* s = Native(m_handle);
    // A waiter holds the mutex only for moments; whoever signals here must not wait for it.
    if (pthread_mutex_trylock(&s->mutex) != 0) return false;
    const bool fits = s->count < s->maximum;
    if (fits) {
        ++s->count;
        pthread_cond_signal(&s->changed);
    }
    pthread_mutex_unlock(&s->mutex);
    return fits;
}

bool YPlatformSemaphore::Release(int32_t count) noexcept {
    if (!m_handle || count < 1) return false;
    Semaphore* s = Native(m_handle);
    pthread_mutex_lock(&s->mutex);
    const bool fits = count <= s->maximum - s->count;
    if (fits) {
        s->count += count;
        if (count == 1)
            pthread_cond_signal(&s->changed);
        else
            pthread_cond_broadcast(&s->changed);
    }
    pthread_mutex_unlock(&s->mutex);
    return fits;
}
