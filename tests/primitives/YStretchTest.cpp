#include "primitives/YStretch.h"

#include "primitives/StretchCases.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

using StretchTestCases::StretchCase;
using StretchTestCases::StretchCases;

TEST(YStretch, InPlaceAndCopyingFormsAgree) {
    for (const StretchCase& c : StretchCases()) {
        SCOPED_TRACE(c.name);
        const int32_t L = static_cast<int32_t>(c.before.size());
        std::vector<float> inPlace(std::max<size_t>(c.before.size(), c.after.size()), 0.0f);
        std::copy(c.before.begin(), c.before.end(), inPlace.begin());
        YAudioFilters::StretchInPlace(inPlace.data(), L, c.newLength);
        std::vector<float> copied(c.after.size(), -7.0f);
        YAudioFilters::Stretch(c.before.data(), L, copied.data(), c.newLength);
        for (size_t i = 0; i < c.after.size(); ++i) {
            EXPECT_NEAR(inPlace[i], c.after[i], 1e-6f) << "index " << i;
            EXPECT_EQ(copied[i], inPlace[i]) << "index " << i;
        }
    }
}

TEST(YStretch, GrowingALongRampStaysLinear) {
    // Growing in place must never read a source it has already overwritten: a ramp
    // stretched any amount is still a ramp with the same end points.
    const int32_t L = 1000;
    for (int32_t n : {1001, 1500, 4097}) {
        std::vector<float> data(static_cast<size_t>(n), 0.0f);
        for (int32_t i = 0; i < L; ++i) data[static_cast<size_t>(i)] = static_cast<float>(i);
        YAudioFilters::StretchInPlace(data.data(), L, n);
        const double r = static_cast<double>(L - 1) / (n - 1);
        for (int32_t j = 0; j < n; ++j)
            ASSERT_NEAR(data[static_cast<size_t>(j)], j * r, 1e-3) << n << " " << j;
    }
}

TEST(YStretch, EmptyAndDegenerateArguments) {
    std::vector<float> data = {4.0f, 5.0f, 6.0f};
    YAudioFilters::StretchInPlace(data.data(), 0, 3); // nothing stored: stays as it is
    EXPECT_EQ(data, (std::vector<float>{4.0f, 5.0f, 6.0f}));
    YAudioFilters::StretchInPlace(data.data(), 3, 3);
    EXPECT_EQ(data, (std::vector<float>{4.0f, 5.0f, 6.0f}));
    YAudioFilters::StretchInPlace<float>(nullptr, 3, 5);
    YAudioFilters::StretchInPlace(data.data(), -4, 2);
    EXPECT_EQ(data, (std::vector<float>{4.0f, 5.0f, 6.0f}));

    std::vector<float> target(4, 9.0f);
    YAudioFilters::Stretch<float>(nullptr, 0, target.data(), 4);
    EXPECT_EQ(target, (std::vector<float>(4, 0.0f)));
}
