#include "Automation.h"

#include "PluginHost.h"

#include <gtest/gtest.h>

namespace {
std::string ErrorOf(const std::string& content) {
    try {
        AutomationFile::Parse(content, "depth.txt");
    } catch (const HostError& error) {
        return error.what();
    }
    return "(no error)";
}

std::vector<AutomationLane::BlockPoint> Block(AutomationLane& lane, int64_t start, int32_t frames) {
    std::vector<AutomationLane::BlockPoint> points;
    lane.BlockPoints(start, frames, points);
    return points;
}
} // namespace

TEST(AutomationFileTest, ReadsPointsCommentsAndQuotedTexts) {
    const std::vector<AutomationFilePoint> points =
        AutomationFile::Parse("# depth over the song\r\n"
                              "\n"
                              "0      0.25\n"
                              "  1.5\t1   # full\n"
                              "1.5 \"Tape # 2\"  # text may hold a hash\n"
                              "2e0 0\n",
                              "depth.txt");
    ASSERT_EQ(points.size(), 4u);
    EXPECT_EQ(points[0].seconds, 0.0);
    EXPECT_EQ(points[0].value, 0.25);
    EXPECT_EQ(points[0].line, 3);
    EXPECT_EQ(points[1].seconds, 1.5);
    EXPECT_EQ(points[1].value, 1.0);
    EXPECT_EQ(points[2].text, "Tape # 2");
    EXPECT_EQ(points[2].line, 5);
    EXPECT_EQ(points[3].seconds, 2.0);
    EXPECT_TRUE(points[3].text.empty());
}

TEST(AutomationFileTest, BadLinesNameTheFileAndLine) {
    const struct {
        const char* content;
        const char* error;
    } cases[] = {
        {"0 0.5\nhalf 0.5\n",
         "\"depth.txt\": line 2: expected a time in seconds, then a value, not \"half 0.5\""},
        {"0 0.5\n1\n", "line 2: the time 1 has no value after it"},
        {"0 1.5\n", "line 1: the value 1.5 is outside 0 to 1 (normalised)"},
        {"0 -0.1\n", "line 1: the value -0.1 is outside 0 to 1"},
        {"0 50%\n", "line 1: the value \"50%\" is no number (put text the parameter shows in quotes)"},
        {"-1 0.5\n", "line 1: the time -1 is before the start"},
        {"# a\n2 0.5\n1 0.5\n", "line 3: the time 1 s is earlier than the point before (line 2)"},
        {"0 \"Tape\n", "line 1: the quoted text has no closing quote"},
        {"0 \"\"\n", "line 1: the quoted text is empty"},
        {"0 0.5 0.7\n", "line 1: unexpected \"0.7\" after the value"},
        {"0 nan\n", "line 1: the value \"nan\" is no number"},
        {"inf 0.5\n", "line 1: expected a time in seconds"},
        {"# nothing but comments\n\n", "\"depth.txt\": no points (lines of SECONDS VALUE)"},
    };
    for (const auto& c : cases)
        EXPECT_NE(ErrorOf(c.content).find(c.error), std::string::npos) << c.error << "\n"
                                                                       << ErrorOf(c.content);
}

TEST(AutomationLaneTest, HoldsRampsAndJumps) {
    // Hold 0.2 until 100, ramp to 0.6 at 300, jump to 1 at 300, hold.
    const AutomationLane lane(3, {{100, 0.2}, {300, 0.6}, {300, 1.0}});
    EXPECT_EQ(lane.Parameter(), 3);
    const struct {
        int64_t sample;
        double value;
    } cases[] = {{0, 0.2}, {100, 0.2}, {200, 0.4}, {299, 0.598}, {300, 1.0}, {100000, 1.0}};
    for (const auto& c : cases) EXPECT_NEAR(lane.ValueAt(c.sample), c.value, 1e-12) << c.sample;
}

TEST(AutomationLaneTest, BlocksCarryStartPointsRampGridAndJumpsOnlyWhenSomethingChanges) {
    AutomationLane lane(0, {{100, 0.2}, {164, 0.6}, {164, 1.0}});
    lane.Begin(0.2);
    // Nothing moves before the ramp: the block repeats the value sent.
    EXPECT_TRUE(Block(lane, 0, 64).empty());
    // The ramp starts at 100 and crosses the grid at 128 and 160; the jump at 164 sends both values.
    const std::vector<AutomationLane::BlockPoint> points = Block(lane, 64, 128);
    const std::vector<std::pair<int32_t, double>> expected{{0, 0.2},    {36, 0.2},  {64, 0.375},
                                                           {96, 0.575}, {100, 0.6}, {100, 1.0}};
    ASSERT_EQ(points.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(points[i].frame, expected[i].first) << i;
        EXPECT_NEAR(points[i].value, expected[i].second, 1e-12) << i;
    }
    // After the jump the lane holds its last value: nothing more to send.
    EXPECT_TRUE(Block(lane, 192, 128).empty());

    // A lane that starts away from the parameter's value sets it at the first block's start.
    AutomationLane fresh(0, {{1000, 0.9}});
    fresh.Begin(0.5);
    const std::vector<AutomationLane::BlockPoint> first = Block(fresh, 0, 64);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].frame, 0);
    EXPECT_EQ(first[0].value, 0.9);
    EXPECT_TRUE(Block(fresh, 64, 64).empty());
}
