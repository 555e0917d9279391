// The calling thread's floating-point mode: flushing denormal results to zero (FTZ) and
// treating denormal inputs as zero (DAZ). Denormals make some processors up to a hundred
// times slower, so audio processing switches both on and gives the host its own mode back.
#pragma once

#include <cstdint>

// The thread's mode word (control bits only, no sticky exception flags); opaque except to
// YPlatformSetFloatingPointMode.
uint32_t YPlatformGetFloatingPointMode() noexcept;
void YPlatformSetFloatingPointMode(uint32_t mode) noexcept;
// Switches flush-to-zero and denormals-are-zero on; returns the mode it replaced.
uint32_t YPlatformEnableFlushDenormals() noexcept;
// Switches both off; returns the mode it replaced.
uint32_t YPlatformDisableFlushDenormals() noexcept;
// Whether both are on for the calling thread (false where the processor has no such mode).
bool YPlatformFlushDenormalsEnabled() noexcept;

// Flushes denormals for one scope and restores the caller's mode afterwards.
class YScopedFlushDenormals {
public:
    YScopedFlushDenormals() noexcept : m_saved(YPlatformEnableFlushDenormals()) {}
    ~YScopedFlushDenormals() { YPlatformSetFloatingPointMode(m_saved); }
    YScopedFlushDenormals(const YScopedFlushDenormals&) = delete;
    YScopedFlushDenormals& operator=(const YScopedFlushDenormals&) = delete;

private:
    uint32_t m_saved;
};
