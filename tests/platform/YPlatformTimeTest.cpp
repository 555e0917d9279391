#include "platform/YPlatformTime.h"

#include <gtest/gtest.h>

TEST(YPlatformTime, SleepAdvancesTheTickCount) {
    const uint32_t start = YPlatformTickCount();
    YPlatformSleep(50);
    const uint32_t elapsed = YPlatformTickCount() - start;
    EXPECT_GE(elapsed, 30u); // Windows ticks advance in steps of about 16 ms
    EXPECT_LT(elapsed, 2000u);
}

TEST(YPlatformTime, YieldReturnsPromptly) {
    const uint32_t start = YPlatformTickCount();
    for (int i = 0; i < 100; ++i) YPlatformYieldProcessor();
    EXPECT_LT(YPlatformTickCount() - start, 1000u);
}
