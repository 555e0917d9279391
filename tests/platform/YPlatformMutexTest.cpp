#include "platform/YPlatformMutex.h"

#include <gtest/gtest.h>
#include <thread>

TEST(YPlatformMutex, WithoutHandleNothingSucceeds) {
    YPlatformMutex mutex;
    EXPECT_FALSE(mutex.IsOpen());
    EXPECT_FALSE(mutex.Wait(0));
    EXPECT_FALSE(mutex.Release());
}

TEST(YPlatformMutex, OwnerReentersAndReleasesEachLevel) {
    YPlatformMutex mutex;
    ASSERT_TRUE(mutex.Open());
    EXPECT_FALSE(mutex.Open()) << "a second Open must not replace the handle";
    EXPECT_TRUE(mutex.Wait(0));
    EXPECT_TRUE(mutex.Wait(kYPlatformWaitInfinite));
    EXPECT_TRUE(mutex.Release());
    EXPECT_TRUE(mutex.Release());
    EXPECT_FALSE(mutex.Release()) << "not owned any more";
    mutex.Close();
    EXPECT_FALSE(mutex.IsOpen());
    EXPECT_FALSE(mutex.Wait(0));
}

TEST(YPlatformMutexThreading, OtherThreadWaitsTimesOutAndThenGetsIt) {
    YPlatformMutex mutex;
    ASSERT_TRUE(mutex.Open());
    ASSERT_TRUE(mutex.Wait(kYPlatformWaitInfinite));
    bool tried = true, timed = true, releasedByStranger = true;
    uint32_t waited = 0;
    std::thread([&] {
        tried = mutex.Wait(0);
        const uint32_t start = YPlatformTickCount();
        timed = mutex.Wait(60);
        waited = YPlatformTickCount() - start;
        releasedByStranger = mutex.Release();
    }).join();
    EXPECT_FALSE(tried);
    EXPECT_FALSE(timed);
    EXPECT_GE(waited, 40u);
    EXPECT_FALSE(releasedByStranger);
    EXPECT_TRUE(mutex.Release());

    bool later = false;
    std::thread([&] {
        later = mutex.Wait(1000);
        if (later) mutex.Release();
    }).join();
    EXPECT_TRUE(later);
}

TEST(YPlatformMutexThreading, AbandonedMutexIsTakenOver) {
    YPlatformMutex mutex;
    ASSERT_TRUE(mutex.Open());
    bool taken = false;
    std::thread([&] { taken = mutex.Wait(0) && mutex.Wait(0); }).join(); // ends holding two levels
    ASSERT_TRUE(taken);
    EXPECT_TRUE(mutex.Wait(2000));
    EXPECT_TRUE(mutex.Release());
    EXPECT_FALSE(mutex.Release()) << "take-over starts with one level";
}
