#include "platform/YPlatformFloatingPoint.h"
// The MXCSR register is the same on every x86-64 system, so one implementation serves both.

#if defined(__SSE__) || defined(_M_X64) || defined(__x86_64__)
#include <pmmintrin.h>
#include <xmmintrin.h>

namespace {
// MXCSR: bit 15 flush-to-zero, bit 6 denormals-are-zero. Bits 0 ... 5 are sticky exception
// flags, not mode: they are neither reported nor overwritten.
constexpr uint32_t kFlushBits = 0x8000u | 0x0040u;
constexpr uint32_t kStatusBits = 0x003Fu;
} // namespace

uint32_t YPlatformGetFloatingPointMode() noexcept { return _mm_getcsr() & ~kStatusBits; }

void YPlatformSetFloatingPointMode(uint32_t mode) noexcept {
    _mm_setcsr((mode & ~kStatusBits) | (_mm_getcsr() & kStatusBits));
}

uint32_t YPlatformEnableFlushDenormals() noexcept {
    const uint32_t previous = YPlatformGetFloatingPointMode();
    YPlatformSetFloatingPointMode(previous | kFlushBits);
    return previous;
}

uint32_t YPlatformDisableFlushDenormals() noexcept {
    const uint32_t previous = YPlatformGetFloatingPointMode();
    YPlatformSetFloatingPointMode(previous & ~kFlushBits);
    return previous;
}

bool YPlatformFlushDenormalsEnabled() noexcept { return (_mm_getcsr() & kFlushBits) == kFlushBits; }

#else
// Processors without the mode: denormals are computed as they are.
uint32_t YPlatformGetFloatingPointMode() noexcept { return 0; }
void YPlatformSetFloatingPointMode(uint32_t) noexcept {}
uint32_t YPlatformEnableFlushDenormals() noexcept { return 0; }
uint32_t YPlatformDisableFlushDenormals() noexcept { return 0; }
bool YPlatformFlushDenormalsEnabled() noexcept { return false; }
#endif
