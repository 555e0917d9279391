// Stretch cases shared by the routine's own tests and the delay line's resize test.
#pragma once

#include <cstdint>
#include <vector>

namespace StretchTestCases {

struct StretchCase {
    const char* name;
    std::vector<float> before;
    int32_t newLength;
    std::vector<float> after;
};

inline const std::vector<StretchCase>& StretchCases() {
    static const std::vector<StretchCase> cases = {
        {"OneSampleRepeats", {0.5f}, 4, {0.5f, 0.5f, 0.5f, 0.5f}},
        {"GrowThreeToFive", {0.0f, 1.0f, 2.0f}, 5, {0.0f, 0.5f, 1.0f, 1.5f, 2.0f}},
        {"ShrinkFiveToThree", {0.0f, 0.5f, 1.0f, 1.5f, 2.0f}, 3, {0.0f, 1.0f, 2.0f}},
        {"GrowTwoToFour", {1.0f, -2.0f}, 4, {1.0f, 0.0f, -1.0f, -2.0f}},
        // r = 4/3: positions 0, 1.333, 2.667, 4.
        {"ShrinkFiveToFour", {0.0f, 3.0f, 6.0f, 9.0f, 12.0f}, 4, {0.0f, 4.0f, 8.0f, 12.0f}},
        {"ShrinkUneven", {1.0f, 5.0f, -3.0f, 7.0f, 2.0f}, 3, {1.0f, -3.0f, 2.0f}},
        // r = 2/3: positions 0, 0.667, 1.333, 2.
        {"GrowUneven", {3.0f, 0.0f, 6.0f}, 4, {3.0f, 1.0f, 2.0f, 6.0f}},
        // A single remaining sample is the newest one, so the line stays continuous.
        {"ShrinkToOneKeepsNewest", {1.0f, 2.0f, 3.0f}, 1, {3.0f}},
    };
    return cases;
}

} // namespace StretchTestCases
