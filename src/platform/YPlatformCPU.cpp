#include "platform/YPlatformCPU.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

bool YPlatformCPUID(uint32_t leaf, uint32_t (&registers)[4]) noexcept {
    registers[0] = registers[1] = registers[2] = registers[3] = 0;
#if defined(__x86_64__) || defined(__i386__)
    unsigned int a = 0, b = 0, c = 0, d = 0;
    // __get_cpuid checks the highest supported leaf first.
    if (__get_cpuid(leaf, &a, &b, &c, &d) == 0) return false;
    registers[0] = a;
    registers[1] = b;
    registers[2] = c;
    registers[3] = d;
    return true;
#else
    (void)leaf;
    return false;
#endif
}

YPlatformCPUFeatures YPlatformDecodeCPUFeatures(uint32_t ecx, uint32_t edx) noexcept {
    YPlatformCPUFeatures features;
    features.SSE = (edx >> 25) & 1u;
    features.SSE2 = (edx >> 26) & 1u;
    features.SSE3 = ecx & 1u;
    features.SSSE3 = (ecx >> 9) & 1u;
    features.SSE41 = (ecx >> 19) & 1u;
    features.SSE42 = (ecx >> 20) & 1u;
    return features;
}

YPlatformCPUFeatures YPlatformReadCPUFeatures() noexcept {
    uint32_t registers[4];
    if (!YPlatformCPUID(1, registers)) return {};
    return YPlatformDecodeCPUFeatures(registers[2], registers[3]);
}
