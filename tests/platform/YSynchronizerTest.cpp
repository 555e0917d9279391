#include "platform/YSynchronizer.h"

#include "foundation/YException.h"
#include "platform/YPlatformTime.h"
#include "support/RaisedMessage.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace {
// Counts calls and answers Lock with a preset result.
class FakeSynchronizer : public YSynchronizer {
public:
    explicit FakeSynchronizer(int answer) : m_answer(answer) {}
    int Lock(uint32_t timeout) override {
        ++locks;
        lastTimeout = timeout;
        return m_answer;
    }
    void Unlock() override { ++unlocks; }
    int locks = 0, unlocks = 0;
    uint32_t lastTimeout = 0;

private:
    int m_answer;
};

// Runs f on another thread and returns its result.
template <typename F> auto OnOtherThread(F&& f) {
    decltype(f()) result{};
    std::thread([&] { result = f(); }).join();
    return result;
}
} // namespace

TEST(YLock, OwnerTakesItAgainInEveryMode) {
    YLock lock;
    EXPECT_EQ(lock.Lock(0), 0);
    EXPECT_EQ(lock.Lock(0), 0);
    EXPECT_EQ(lock.Lock(YSynchronizer::kWaitInfinite), 0);
    EXPECT_EQ(lock.Lock(5), 0);
    for (int i = 0; i < 4; ++i) lock.Unlock();
    EXPECT_EQ(OnOtherThread([&] {
                  const int r = lock.Lock(0);
                  if (r == 0) lock.Unlock();
                  return r;
              }),
              0)
        << "every level was given back";
}

TEST(YLockThreading, TryOnceFromAnotherThreadFailsWhileHeld) {
    YLock lock;
    ASSERT_EQ(lock.Lock(YSynchronizer::kWaitInfinite), 0);
    EXPECT_EQ(OnOtherThread([&] { return lock.Lock(0); }), 1);
    EXPECT_EQ(lock.Lock(0), 0) << "the holder succeeds";
    lock.Unlock();
    lock.Unlock();
}

TEST(YLockThreading, AnyNonZeroTimeoutWaitsUntilFree) {
    YLock lock;
    ASSERT_EQ(lock.Lock(YSynchronizer::kWaitInfinite), 0);
    int result = -1;
    uint32_t waited = 0;
    std::thread other([&] {
        const uint32_t start = YPlatformTickCount();
        result = lock.Lock(1); // not a time-out: waits for the holder
        waited = YPlatformTickCount() - start;
        if (result == 0) lock.Unlock();
    });
    YPlatformSleep(80);
    lock.Unlock();
    other.join();
    EXPECT_EQ(result, 0);
    EXPECT_GE(waited, 50u);
}

TEST(YMutex, WithoutHandleLocksAndUnlocksWithoutEffect) {
    YMutex mutex(YMutex::kNoHandle);
    EXPECT_FALSE(mutex.HasHandle());
    EXPECT_EQ(mutex.Lock(0), 0);
    EXPECT_EQ(mutex.Lock(YSynchronizer::kWaitInfinite), 0);
    mutex.Unlock();
    mutex.Unlock();
    mutex.Unlock(); // more unlocks than locks are harmless without a handle
    EXPECT_EQ(mutex.Lock(0), 0);
}

TEST(YMutexThreading, WithoutHandleExcludesNobody) {
    YMutex mutex(YMutex::kNoHandle);
    ASSERT_EQ(mutex.Lock(YSynchronizer::kWaitInfinite), 0);
    EXPECT_EQ(OnOtherThread([&] { return mutex.Lock(0); }), 0);
}

TEST(YMutexThreading, TimesOutWhileHeldElsewhereAndLocksAtOnceAfterDestroy) {
    YMutex mutex;
    ASSERT_TRUE(mutex.HasHandle());
    ASSERT_EQ(mutex.Lock(YSynchronizer::kWaitInfinite), 0);
    EXPECT_EQ(mutex.Lock(0), 0) << "re-entrant for the owner";
    uint32_t waited = 0;
    EXPECT_EQ(OnOtherThread([&] {
                  const uint32_t start = YPlatformTickCount();
                  const int r = mutex.Lock(60);
                  waited = YPlatformTickCount() - start;
                  return r;
              }),
              1);
    EXPECT_GE(waited, 40u);
    mutex.Unlock();
    EXPECT_EQ(OnOtherThread([&] { return mutex.Lock(0); }), 1) << "one level is still held";
    mutex.Unlock();
    EXPECT_EQ(OnOtherThread([&] {
                  const int r = mutex.Lock(0);
                  if (r == 0) mutex.Unlock();
                  return r;
              }),
              0);
    ASSERT_EQ(mutex.Lock(0), 0);
    mutex.Destroy();
    EXPECT_FALSE(mutex.HasHandle());
    EXPECT_EQ(OnOtherThread([&] { return mutex.Lock(0); }), 0);
}

TEST(YSemaphore, LockTakesCountsAndUnlockAddsOne) {
    YSemaphore semaphore(1, 2);
    EXPECT_EQ(semaphore.Lock(0), 0);
    EXPECT_EQ(semaphore.Lock(0), 1);
    const uint32_t start = YPlatformTickCount();
    EXPECT_EQ(semaphore.Lock(60), 1);
    EXPECT_GE(YPlatformTickCount() - start, 40u); // Windows ticks advance in steps of about 16 ms
    semaphore.Unlock();
    semaphore.Unlock();
    semaphore.Unlock(); // past the maximum: ignored
    EXPECT_EQ(semaphore.Lock(0), 0);
    EXPECT_EQ(semaphore.Lock(0), 0);
    EXPECT_EQ(semaphore.Lock(0), 1);
    semaphore.Unlock();
    semaphore.Destroy();
    EXPECT_EQ(semaphore.Lock(0), 1) << "no handle, no count";
}

TEST(YSemaphore, ImpossibleCountsRaise) {
    EXPECT_EQ(RaisedMessage([] { YSemaphore s(3, 2); }), "Could not create semaphore.");
    EXPECT_EQ(RaisedMessage([] { YSemaphore s(-1); }), "Could not create semaphore.");
    EXPECT_EQ(RaisedMessage([] { YSemaphore s(0, 0); }), "Could not create semaphore.");
}

TEST(YScopedLock, HoldsForTheScopeWithTheGivenTimeout) {
    FakeSynchronizer fake(0);
    {
        YScopedLock hold(fake);
        EXPECT_EQ(fake.locks, 1);
        EXPECT_EQ(fake.lastTimeout, 0xFFFFFFFFu);
        EXPECT_EQ(fake.unlocks, 0);
    }
    EXPECT_EQ(fake.unlocks, 1);
    { YScopedLock hold(fake, 0); }
    EXPECT_EQ(fake.lastTimeout, 0u);
    EXPECT_EQ(fake.unlocks, 2);
}

TEST(YScopedLock, FailureRaisesAndUnlocksNothing) {
    FakeSynchronizer fake(1);
    EXPECT_EQ(RaisedMessage([&] { YScopedLock hold(fake, 0); }), "Could not acquire mutex.");
    EXPECT_EQ(fake.locks, 1);
    EXPECT_EQ(fake.unlocks, 0);

    YSemaphore empty(0, 1);
    EXPECT_EQ(RaisedMessage([&] { YScopedLock hold(empty, 0); }), "Could not acquire mutex.");
    EXPECT_EQ(empty.Lock(0), 1) << "a failed holder must not add a count";
}

TEST(YScopedLockThreading, TryOnceOnALockHeldElsewhereRaises) {
    YLock lock;
    YScopedLock hold(lock);
    EXPECT_EQ(OnOtherThread([&] { return RaisedMessage([&] { YScopedLock attempt(lock, 0); }); }),
              "Could not acquire mutex.");
    EXPECT_NO_THROW({ YScopedLock again(lock, 0); });
}
