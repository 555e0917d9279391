#include "platform/YPlatformLock.h"

#include <pthread.h>

static_assert(sizeof(pthread_mutex_t) <= 64 && alignof(pthread_mutex_t) <= 8,
              "YPlatformLock storage too small for pthread_mutex_t");

namespace {
pthread_mutex_t* Native(unsigned char* storage) { return reinterpret_cast<pthread_mutex_t*>(storage); }
} // namespace

YPlatformLock::YPlatformLock() noexcept {
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(Native(m_storage), &attr);
    pthread_mutexattr_destroy(&attr);
}

YPlatformLock::~YPlatformLock() { pthread_mutex_destroy(Native(m_storage)); }

void YPlatformLock::Enter() noexcept { pthread_mutex_lock(Native(m_storage)); }

bool YPlatformLock::TryEnter() noexcept { return pthread_mutex_trylock(Native(m_storage)) == 0; }

void YPlatformLock::Leave() noexcept { pthread_mutex_unlock(Native(m_storage)); }
