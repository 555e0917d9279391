#include "core/YRangeMapping.h"

#include <gtest/gtest.h>

namespace {

struct MappingCase {
    const char* what;
    YRange range;
    double position;
    double expected;
};

YRange Make(int32_t mode, double value, double range, double maxValue = 1.0, bool invert = false) {
    YRange r;
    r.Mode = mode;
    r.Value = value;
    r.Range = range;
    r.MaxValue = maxValue;
    r.Invert = invert;
    return r;
}

const MappingCase kCases[] = {
    // Up and down: room on both sides, then compressed towards the near edge.
    {"up-down centred, bottom", Make(kRangeUpAndDown, 0.5, 0.5), 0.0, 0.25},
    {"up-down centred, middle", Make(kRangeUpAndDown, 0.5, 0.5), 0.5, 0.5},
    {"up-down centred, top", Make(kRangeUpAndDown, 0.5, 0.5), 1.0, 0.75},
    {"up-down near 0, bottom", Make(kRangeUpAndDown, 0.1, 1.0), 0.0, 0.0},
    {"up-down near 0, top", Make(kRangeUpAndDown, 0.1, 1.0), 1.0, 0.2},
    {"up-down near 1, bottom", Make(kRangeUpAndDown, 0.9, 1.0), 0.0, 0.8},
    {"up-down near 1, top", Make(kRangeUpAndDown, 0.9, 1.0), 1.0, 1.0},
    {"up-down zero range", Make(kRangeUpAndDown, 0.3, 0.0), 1.0, 0.3},
    // Full range: the centre moves inwards so the whole interval fits.
    {"full near 0, bottom", Make(kRangeFullRange, 0.1, 0.5), 0.0, 0.0},
    {"full near 0, top", Make(kRangeFullRange, 0.1, 0.5), 1.0, 0.5},
    {"full centred, bottom", Make(kRangeFullRange, 0.5, 0.5), 0.0, 0.25},
    {"full centred, top", Make(kRangeFullRange, 0.5, 0.5), 1.0, 0.75},
    {"full near 1, bottom", Make(kRangeFullRange, 0.9, 0.5), 0.0, 0.5},
    {"full near 1, top", Make(kRangeFullRange, 0.9, 0.5), 1.0, 1.0},
    {"full whole range", Make(kRangeFullRange, 0.9, 1.0), 0.0, 0.0},
    {"full whole range, top", Make(kRangeFullRange, 0.9, 1.0), 1.0, 1.0},
    // Up only and down only: the range is cut at the edge.
    {"up only, bottom", Make(kRangeUpOnly, 0.1, 0.5), 0.0, 0.1},
    {"up only, top", Make(kRangeUpOnly, 0.1, 0.5), 1.0, 0.6},
    {"up only cut at 1", Make(kRangeUpOnly, 0.8, 0.5), 1.0, 1.0},
    {"down only, bottom", Make(kRangeDownOnly, 0.1, 0.5), 0.0, 0.1},
    {"down only, top", Make(kRangeDownOnly, 0.1, 0.5), 1.0, 0.0},
    {"down only, middle", Make(kRangeDownOnly, 0.8, 0.5), 0.5, 0.55},
    // Interval: from Value to MaxValue, either direction.
    {"interval start", Make(kRangeInterval, 0.2, 1.0, 0.8), 0.0, 0.2},
    {"interval end", Make(kRangeInterval, 0.2, 1.0, 0.8), 1.0, 0.8},
    {"interval falling", Make(kRangeInterval, 0.8, 1.0, 0.2), 0.25, 0.65},
    // Invert reverses the direction in every mode.
    {"interval inverted, start", Make(kRangeInterval, 0.2, 1.0, 0.8, true), 0.0, 0.8},
    {"interval inverted, end", Make(kRangeInterval, 0.2, 1.0, 0.8, true), 1.0, 0.2},
    {"up only inverted", Make(kRangeUpOnly, 0.0, 1.0, 0.0, true), 0.0, 1.0},
    {"up-down inverted", Make(kRangeUpAndDown, 0.5, 0.5, 1.0, true), 0.0, 0.75},
    // The controller slot's defaults: Up only from 0 over the whole range.
    {"controller default, 0", Make(kRangeUpOnly, 0.0, 1.0, 0.0), 0.0, 0.0},
    {"controller default, 0.5", Make(kRangeUpOnly, 0.0, 1.0, 0.0), 0.5, 0.5},
    {"controller default, 1", Make(kRangeUpOnly, 0.0, 1.0, 0.0), 1.0, 1.0},
    // Modes outside the table behave as the nearest mode.
    {"mode below the table", Make(-3, 0.5, 0.5), 1.0, 0.75},
    {"mode above the table", Make(99, 0.2, 1.0, 0.8), 1.0, 0.8},
};

TEST(YRangeMappingTest, MapsEveryModeAtItsExamplesAndExtremes) {
    for (const MappingCase& c : kCases) {
        EXPECT_NEAR(c.range.MapPosition(c.position), c.expected, 1e-12) << c.what;
        EXPECT_NEAR(c.range.Map(2.0 * c.position - 1.0), c.expected, 1e-12) << c.what;
    }
}

TEST(YRangeMappingTest, NamesAndClampsModes) {
    EXPECT_STREQ(YRange::ModeName(kRangeUpAndDown), "Up and down");
    EXPECT_STREQ(YRange::ModeName(kRangeInterval), "Interval");
    EXPECT_EQ(YRange::ModeName(5), nullptr);
    EXPECT_EQ(YRange::ModeName(-1), nullptr);
    EXPECT_EQ(YRange::ClampMode(-1), kRangeUpAndDown);
    EXPECT_EQ(YRange::ClampMode(7), kRangeInterval);
    EXPECT_EQ(YRange::ClampMode(kRangeDownOnly), kRangeDownOnly);
}

} // namespace
