// Tick count, sleeping and yielding, and the "wait without limit" time-out value.
#pragma once

#include <cstdint>

// A time-out of this many milliseconds waits without limit.
constexpr uint32_t kYPlatformWaitInfinite = 0xFFFFFFFFu;

// Milliseconds since an arbitrary start; wraps around after about 49.7 days, so compare
// two readings by their unsigned difference only.
uint32_t YPlatformTickCount() noexcept;

// Gives the rest of the time slice to another ready thread (returns at once if none).
void YPlatformYieldProcessor() noexcept;

// Suspends the calling thread for at least the given number of milliseconds.
void YPlatformSleep(uint32_t milliseconds) noexcept;
