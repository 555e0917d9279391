// Polls a condition until it holds or timeoutMs milliseconds have passed; false on time-out.
// For tests that wait for another thread to reach a point.
#pragma once

#include "platform/YPlatformTime.h"

#include <cstdint>

template <typename F> bool WaitUntil(F&& condition, uint32_t timeoutMs = 5000) {
    const uint32_t start = YPlatformTickCount();
    while (!condition()) {
        if (YPlatformTickCount() - start >= timeoutMs) return false;
        YPlatformSleep(1);
    }
    return true;
}
