#include "core/YBypassDelayLine.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Against a plain shift: sample i of the output is input sample i - delay (0 before the
// start), replaced or added, for delays on both sides of a power of two, blocks that wrap the
// ring, and in-place as well as separate buffers.
TEST(YBypassDelayLine, OutputIsTheInputShiftedByTheDelayInPlaceOrNotReplacingOrAdding) {
    constexpr int32_t kFrames = 53;
    std::vector<float> input(kFrames);
    for (int32_t i = 0; i < kFrames; ++i) input[static_cast<size_t>(i)] = static_cast<float>(i + 1);
    for (int32_t delay : {0, 1, 7, 8, 9, 40}) {
        for (bool inPlace : {false, true}) {
            for (bool accumulate : {false, true}) {
                YBypassDelayLine line;
                line.Configure(delay);
                EXPECT_EQ(line.Delay(), delay);
                std::vector<float> out(kFrames, 0.5f);
                std::vector<float> in = inPlace ? out : input;
                if (inPlace) out = input;
                const float* source = inPlace ? out.data() : in.data();
                // Blocks of 5 samples: each longer than the short rings, together past the long one.
                for (int32_t first = 0; first < kFrames; first += 5) {
                    const int32_t n = std::min(5, kFrames - first);
                    line.Process(source + first, out.data() + first, n, accumulate);
                }
                for (int32_t i = 0; i < kFrames; ++i) {
                    const float delayed = i >= delay ? input[static_cast<size_t>(i - delay)] : 0.0f;
                    const float before = inPlace ? input[static_cast<size_t>(i)] : 0.5f;
                    float expected = accumulate ? before + delayed : delayed;
                    // Without delay the signal an in-place accumulating call would add is
                    // already in the buffer.
                    if (delay == 0 && inPlace && accumulate) expected = before;
                    ASSERT_EQ(out[static_cast<size_t>(i)], expected)
                        << "delay " << delay << " in place " << inPlace << " accumulate " << accumulate
                        << " sample " << i;
                }
            }
        }
    }
}

TEST(YBypassDelayLine, ClearForgetsWhatTheLineHeldAndANegativeDelayCountsAsNone) {
    YBypassDelayLine line;
    line.Configure(3);
    const float ones[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float out[4];
    line.Process(ones, out, 4, false);
    line.Clear();
    line.Process(ones, out, 4, false);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(out[2], 0.0f);
    EXPECT_EQ(out[3], 1.0f);

    line.Configure(-5);
    EXPECT_EQ(line.Delay(), 0);
    line.Process(ones, out, 4, false);
    EXPECT_EQ(out[0], 1.0f);
}

} // namespace
