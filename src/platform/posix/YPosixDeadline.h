// Absolute deadlines for the timed POSIX waits.
#pragma once

#include <cstdint>
#include <ctime>

inline timespec YPosixDeadline(clockid_t clock, uint32_t timeoutMs) noexcept {
    timespec t{};
    clock_gettime(clock, &t);
    t.tv_sec += static_cast<time_t>(timeoutMs / 1000);
    t.tv_nsec += static_cast<long>(timeoutMs % 1000) * 1000000L;
    if (t.tv_nsec >= 1000000000L) {
        t.tv_sec += 1;
        t.tv_nsec -= 1000000000L;
    }
    return t;
}
