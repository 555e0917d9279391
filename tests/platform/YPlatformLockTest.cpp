#include "platform/YPlatformLock.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

TEST(YPlatformLock, OwnerMayEnterAgain) {
    YPlatformLock lock;
    lock.Enter();
    EXPECT_TRUE(lock.TryEnter());
    lock.Enter();
    lock.Leave();
    lock.Leave();
    lock.Leave();
}

TEST(YPlatformLockThreading, TryEnterFailsForOtherThreadUntilFullyLeft) {
    YPlatformLock lock;
    auto tryFromOtherThread = [&lock] {
        bool entered = false;
        std::thread([&] {
            entered = lock.TryEnter();
            if (entered) lock.Leave();
        }).join();
        return entered;
    };
    lock.Enter();
    lock.Enter();
    EXPECT_FALSE(tryFromOtherThread());
    lock.Leave();
    EXPECT_FALSE(tryFromOtherThread()) << "one level is still held";
    lock.Leave();
    EXPECT_TRUE(tryFromOtherThread());
}

TEST(YPlatformLockThreading, ExcludesConcurrentWriters) {
    YPlatformLock lock;
    long counter = 0;
    constexpr int kThreads = 4, kRounds = 20000;
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&] {
            for (int r = 0; r < kRounds; ++r) {
                lock.Enter();
                const long seen = counter;
                counter = seen + 1;
                lock.Leave();
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(counter, long{kThreads} * kRounds);
}
