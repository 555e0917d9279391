#include "platform/YPlatformFloatingPoint.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

// Multiplies through memory so that the compiler cannot fold the arithmetic away.
float Multiply(float a, float b) {
    volatile float x = a;
    volatile float y = b;
    return x * y;
}

} // namespace

TEST(YPlatformFloatingPoint, ScopedFlushSetsTheModeAndRestoresTheCallers) {
    const uint32_t original = YPlatformDisableFlushDenormals();
    const uint32_t off = YPlatformGetFloatingPointMode();
    EXPECT_FALSE(YPlatformFlushDenormalsEnabled());
    const float denormal = 1e-39f; // below the smallest normal float
    EXPECT_NE(Multiply(denormal, 1.0f), 0.0f);
    bool supported = false;
    {
        YScopedFlushDenormals flush;
        supported = YPlatformFlushDenormalsEnabled();
        if (supported) {
            EXPECT_EQ(Multiply(denormal, 1.0f), 0.0f); // denormal input read as zero
            EXPECT_EQ(Multiply(1e-30f, 1e-10f), 0.0f); // denormal result flushed
        }
    }
    EXPECT_EQ(YPlatformGetFloatingPointMode(), off);
    EXPECT_NE(Multiply(denormal, 1.0f), 0.0f);
    YPlatformSetFloatingPointMode(original);
#if defined(__x86_64__) || defined(_M_X64)
    EXPECT_TRUE(supported);
#endif
}
