// The processor's instruction-set extensions, as CPUID leaf 1 reports them.
#pragma once

#include <cstdint>

struct YPlatformCPUFeatures {
    bool SSE = false;    // EDX bit 25
    bool SSE2 = false;   // EDX bit 26
    bool SSE3 = false;   // ECX bit 0
    bool SSSE3 = false;  // ECX bit 9
    bool SSE41 = false;  // ECX bit 19
    bool SSE42 = false;  // ECX bit 20
};

// Registers EAX, EBX, ECX, EDX of CPUID for leaf; false (all zero) where the processor has no
// CPUID or the leaf is beyond its highest.
bool YPlatformCPUID(uint32_t leaf, uint32_t (&registers)[4]) noexcept;

// The six flags decoded from the ECX and EDX words of leaf 1.
YPlatformCPUFeatures YPlatformDecodeCPUFeatures(uint32_t ecx, uint32_t edx) noexcept;

// Reads leaf 1 and decodes it; all false without CPUID.
YPlatformCPUFeatures YPlatformReadCPUFeatures() noexcept;
