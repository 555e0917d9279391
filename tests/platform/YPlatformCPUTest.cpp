#include "platform/YPlatformCPU.h"

#include <gtest/gtest.h>

namespace {

TEST(YPlatformCPUTest, DecodesEachFlagFromItsBit) {
    struct Case {
        uint32_t Ecx, Edx;
        bool YPlatformCPUFeatures::*Flag;
    };
    const Case cases[] = {
        {0, 1u << 25, &YPlatformCPUFeatures::SSE},   {0, 1u << 26, &YPlatformCPUFeatures::SSE2},
        {1u << 0, 0, &YPlatformCPUFeatures::SSE3},   {1u << 9, 0, &YPlatformCPUFeatures::SSSE3},
        {1u << 19, 0, &YPlatformCPUFeatures::SSE41}, {1u << 20, 0, &YPlatformCPUFeatures::SSE42},
    };
    bool YPlatformCPUFeatures::*all[] = {&YPlatformCPUFeatures::SSE,   &YPlatformCPUFeatures::SSE2,
                                         &YPlatformCPUFeatures::SSE3,  &YPlatformCPUFeatures::SSSE3,
                                         &YPlatformCPUFeatures::SSE41, &YPlatformCPUFeatures::SSE42};
    for (const Case& c : cases) {
        const YPlatformCPUFeatures features = YPlatformDecodeCPUFeatures(c.Ecx, c.Edx);
        for (auto flag : all) EXPECT_EQ(features.*flag, flag == c.Flag) << c.Ecx << " " << c.Edx;
    }
    // Neighbouring bits mean nothing here.
    const YPlatformCPUFeatures none = YPlatformDecodeCPUFeatures(~((1u << 0) | (1u << 9) | (1u << 19) | (1u << 20)),
                                                                 ~((1u << 25) | (1u << 26)));
    for (auto flag : all) EXPECT_FALSE(none.*flag);
}

#if defined(__x86_64__)
TEST(YPlatformCPUTest, EveryX86_64ProcessorHasSSE2) {
    uint32_t registers[4];
    ASSERT_TRUE(YPlatformCPUID(0, registers));
    EXPECT_GE(registers[0], 1u) << "highest leaf";
    const YPlatformCPUFeatures features = YPlatformReadCPUFeatures();
    EXPECT_TRUE(features.SSE);
    EXPECT_TRUE(features.SSE2);
}
#endif

} // namespace
