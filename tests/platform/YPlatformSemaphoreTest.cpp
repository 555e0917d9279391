#include "platform/YPlatformSemaphore.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

TEST(YPlatformSemaphore, RejectsBadCounts) {
    struct Case {
        int32_t initial, maximum;
        bool ok;
    };
    const Case cases[] = {{0, 1, true},  {1, 1, true},   {5, 10, true},
                          {2, 1, false}, {-1, 3, false}, {0, 0, false}};
    for (const Case& c : cases) {
        YPlatformSemaphore s;
        EXPECT_EQ(s.Open(c.initial, c.maximum), c.ok) << c.initial << "/" << c.maximum;
        EXPECT_EQ(s.IsOpen(), c.ok);
    }
}

TEST(YPlatformSemaphore, CountsUpToTheMaximum) {
    YPlatformSemaphore s;
    ASSERT_TRUE(s.Open(2, 3));
    EXPECT_TRUE(s.Wait(0));
    EXPECT_TRUE(s.Wait(0));
    EXPECT_FALSE(s.Wait(0));
    EXPECT_FALSE(s.Release(4)) << "past the maximum";
    EXPECT_FALSE(s.Release(0));
    EXPECT_TRUE(s.Release(3));
    EXPECT_FALSE(s.Release(1)) << "already at the maximum";
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(s.Wait(0)) << i;
    EXPECT_FALSE(s.Wait(0));
}

TEST(YPlatformSemaphore, TimedWaitLastsAboutTheTimeout) {
    YPlatformSemaphore s;
    ASSERT_TRUE(s.Open(0, 1));
    const uint32_t start = YPlatformTickCount();
    EXPECT_FALSE(s.Wait(60));
    const uint32_t waited = YPlatformTickCount() - start;
    EXPECT_GE(waited, 40u);
    EXPECT_LT(waited, 2000u);
}

TEST(YPlatformSemaphore, WithoutHandleNothingSucceeds) {
    YPlatformSemaphore s;
    EXPECT_FALSE(s.Wait(0));
    EXPECT_FALSE(s.Release());
    ASSERT_TRUE(s.Open(1, 1));
    s.Close();
    EXPECT_FALSE(s.Wait(0));
}

TEST(YPlatformSemaphoreThreading, ReleaseWakesAsManyWaitersAsCounts) {
    YPlatformSemaphore s;
    ASSERT_TRUE(s.Open(0, 100));
    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 4; ++i) {
        waiters.emplace_back([&] {
            if (s.Wait(kYPlatformWaitInfinite)) ++woken;
        });
    }
    YPlatformSleep(30);
    EXPECT_EQ(woken.load(), 0);
    ASSERT_TRUE(s.Release(3));
    const uint32_t start = YPlatformTickCount();
    while (woken.load() < 3 && YPlatformTickCount() - start < 5000) YPlatformSleep(1);
    YPlatformSleep(30);
    EXPECT_EQ(woken.load(), 3) << "one waiter must still be blocked";
    ASSERT_TRUE(s.Release());
    for (auto& t : waiters) t.join();
    EXPECT_EQ(woken.load(), 4);
    EXPECT_FALSE(s.Wait(0));
}

TEST(YPlatformSemaphore, TryReleaseAddsOneUpToTheMaximum) {
    YPlatformSemaphore s;
    ASSERT_TRUE(s.Open(0, 1));
    EXPECT_TRUE(s.TryRelease());
    EXPECT_FALSE(s.TryRelease()); // at the maximum: the count stays 1
    EXPECT_TRUE(s.Wait(0));
    EXPECT_FALSE(s.Wait(0));
    YPlatformSemaphore closed;
    EXPECT_FALSE(closed.TryRelease());
}

TEST(YPlatformSemaphoreThreading, TryReleaseWakesAWaiter) {
    YPlatformSemaphore s;
    ASSERT_TRUE(s.Open(0, 1));
    std::atomic<bool> woken{false};
    std::thread waiter([&] { woken.store(s.Wait(kYPlatformWaitInfinite)); });
    // The waiter holds the semaphore's own lock only for moments: a try soon succeeds.
    while (!s.TryRelease()) std::this_thread::yield();
    waiter.join();
    EXPECT_TRUE(woken.load());
}
