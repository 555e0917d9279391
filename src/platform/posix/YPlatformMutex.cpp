#include "platform/YPlatformMutex.h"

#include "platform/posix/YPosixRecord.h"

#include <atomic>
#include <cerrno>
#include <ctime>
#include <pthread.h>

// A recursive robust mutex gives both properties of a Windows mutex: re-entry by the owner,
// and take-over (EOWNERDEAD) when the owner ended while holding it.
//
// Finite time-outs poll pthread_mutex_trylock in steps of at most 1 ms instead of calling
// pthread_mutex_timedlock, whose take-over result thread checkers do not see as a lock.
// Ownership is also recorded here, so that a release by another thread is refused before it
// reaches the system.

namespace {
struct Mutex {
    pthread_mutex_t mutex;
    std::atomic<pthread_t> owner{}; // pthread_t{} while free; written by the owner only
    int depth = 0;                  // touched by the owner only
};

Mutex* Native(void* handle) { return static_cast<Mutex*>(handle); }

bool Taken(Mutex* m, int rc) {
    if (rc == EOWNERDEAD) {
        // Abandoned by an ended owner: we hold it now with one level; make it usable again.
        pthread_mutex_consistent(&m->mutex);
        m->depth = 0;
    } else if (rc != 0) {
        return false;
    }
    ++m->depth;
    m->owner.store(pthread_self(), std::memory_order_relaxed);
    return true;
}
} // namespace

bool YPlatformMutex::Open() noexcept {
    if (m_handle) return false;
    Mutex* m = NewRecord<Mutex>();
    if (!m) return false;
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutexattr_setrobust(&attr, PTHREAD_MUTEX_ROBUST);
    const int rc = pthread_mutex_init(&m->mutex, &attr);
    pthread_mutexattr_destroy(&attr);
    if (rc != 0) {
        delete m;
        return false;
    }
    m_handle = m;
    return true;
}

void YPlatformMutex::Close() noexcept {
    if (!m_handle) return;
    Mutex* m = Native(m_handle);
    // Closing a mutex the caller still holds is fine on Windows; a pthread mutex must be
    // unlocked before it is destroyed.
    if (pthread_equal(m->owner.load(std::memory_order_relaxed), pthread_self())) {
        for (; m->depth > 0; --m->depth) pthread_mutex_unlock(&m->mutex);
    }
    pthread_mutex_destroy(&m->mutex);
    delete m;
    m_handle = nullptr;
}

bool YPlatformMutex::Wait(uint32_t timeoutMs) noexcept {
    if (!m_handle) return false;
    Mutex* m = Native(m_handle);
    if (timeoutMs == kYPlatformWaitInfinite) return Taken(m, pthread_mutex_lock(&m->mutex));
    const uint32_t start = YPlatformTickCount();
    for (;;) {
        const int rc = pthread_mutex_trylock(&m->mutex);
        if (rc != EBUSY) return Taken(m, rc);
        const uint32_t elapsed = YPlatformTickCount() - start;
        if (elapsed >= timeoutMs) return false;
        YPlatformSleep(1);
    }
}

bool YPlatformMutex::Release() noexcept {
    if (!m_handle) return false;
    Mutex* m = Native(m_handle);
    if (!pthread_equal(m->owner.load(std::memory_order_relaxed), pthread_self()) || m->depth == 0)
        return false;
    if (--m->depth == 0) m->owner.store(pthread_t{}, std::memory_order_relaxed);
    return pthread_mutex_unlock(&m->mutex) == 0;
}
