// Lock objects with one interface: Lock(timeout) answers 0 when taken and 1 when not, and
// Unlock() gives back what Lock() took. A timeout of 0 tries once; kWaitInfinite waits
// without limit.
//
//  - YLock: re-entrant lock for the owning thread; any timeout other than 0 waits without
//    limit. The lock of choice everywhere, also for the processing lock.
//  - YMutex: kernel mutex with a real time-out, re-entrant for its owner. Without a handle
//    (YMutex(YMutex::kNoHandle), or after Destroy()) every Lock succeeds at once.
//  - YSemaphore: counting semaphore; Lock takes a count, Unlock adds one.
//  - YScopedLock: holds a lock for one scope and raises "Could not acquire mutex." when it
//    cannot take it.
#pragma once

#include "platform/YPlatformLock.h"
#include "platform/YPlatformMutex.h"
#include "platform/YPlatformSemaphore.h"

#include <cstdint>

class YSynchronizer {
public:
    static constexpr uint32_t kWaitInfinite = 0xFFFFFFFFu;

    YSynchronizer() = default;
    YSynchronizer(const YSynchronizer&) = delete;
    YSynchronizer& operator=(const YSynchronizer&) = delete;
    virtual ~YSynchronizer();

    // 0 on success, 1 on failure.
    virtual int Lock(uint32_t timeout) = 0;
    virtual void Unlock() = 0;
};

class YLock : public YSynchronizer {
public:
    YLock() = default;
    ~YLock() override;

    int Lock(uint32_t timeout) override;
    // Only the owning thread may unlock.
    void Unlock() override;

private:
    YPlatformLock m_lock;
};

class YMutex : public YSynchronizer {
public:
    enum NoHandle { kNoHandle };

    // Creates the kernel mutex; raises "Could not create mutex." when the system refuses.
    YMutex();
    explicit YMutex(NoHandle) noexcept {}
    ~YMutex() override;

    bool HasHandle() const noexcept { return m_mutex.IsOpen(); }
    // Closes the handle; from then on Lock succeeds at once and Unlock does nothing.
    void Destroy() noexcept { m_mutex.Close(); }

    int Lock(uint32_t timeout) override;
    void Unlock() override;

private:
    YPlatformMutex m_mutex;
};

class YSemaphore : public YSynchronizer {
public:
    static constexpr int32_t kDefaultMaximum = 0x7FFFFFFF;

    // Raises "Could not create semaphore." for impossible counts or when the system refuses.
    explicit YSemaphore(int32_t initialCount = 0, int32_t maximumCount = kDefaultMaximum);
    ~YSemaphore() override;

    bool HasHandle() const noexcept { return m_semaphore.IsOpen(); }
    // Closes the handle; from then on Lock fails at once.
    void Destroy() noexcept { m_semaphore.Close(); }

    int Lock(uint32_t timeout) override;
    // Adds one count (ignored at the maximum).
    void Unlock() override;
    // Adds one count without waiting for another thread; false when not possible at once.
    bool TryUnlock() noexcept { return m_semaphore.TryRelease(); }

private:
    YPlatformSemaphore m_semaphore;
};

class YScopedLock {
public:
    // Raises "Could not acquire mutex." (nothing is held then).
    explicit YScopedLock(YSynchronizer& synchronizer, uint32_t timeout = YSynchronizer::kWaitInfinite);
    ~YScopedLock() { m_synchronizer.Unlock(); }
    YScopedLock(const YScopedLock&) = delete;
    YScopedLock& operator=(const YScopedLock&) = delete;

private:
    YSynchronizer& m_synchronizer;
};
