#include "platform/YPlatformTime.h"

#include <cerrno>
#include <ctime>
#include <sched.h>

uint32_t YPlatformTickCount() noexcept {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    // Truncation to 32 bits is the wrap-around the callers expect.
    return static_cast<uint32_t>(static_cast<uint64_t>(t.tv_sec) * 1000u +
                                 static_cast<uint64_t>(t.tv_nsec) / 1000000u);
}

void YPlatformYieldProcessor() noexcept { sched_yield(); }

void YPlatformSleep(uint32_t milliseconds) noexcept {
    timespec rest{static_cast<time_t>(milliseconds / 1000),
                  static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
    }
}
