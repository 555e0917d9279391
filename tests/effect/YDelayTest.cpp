#include "effect/YDelay.h"

#include "primitives/StretchCases.h"

#include <climits>
#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

using StretchTestCases::StretchCase;
using StretchTestCases::StretchCases;
using YAudioFilters::Delay;

namespace {

// A line of the given length whose stored samples, oldest first, are `contents`.
// Pushing one extra sample first leaves the ring rotated (position ≠ 0), so Resize has
// to rotate before it stretches.
void Fill(Delay<float>& line, const std::vector<float>& contents, bool rotated) {
    line.Resize(static_cast<int32_t>(contents.size()));
    if (rotated) line.PushPop(-99.0f);
    for (float v : contents) line.PushPop(v);
}

// The stored samples, oldest first, read out by pushing zeros.
std::vector<float> Drain(Delay<float>& line) {
    std::vector<float> out;
    for (int32_t i = 0; i < line.Length(); ++i) out.push_back(line.PushPop(0.0f));
    return out;
}

} // namespace

TEST(YDelayStretch, ResizeStretchesStoredAudioWithAndWithoutRotation) {
    for (const StretchCase& c : StretchCases()) {
        for (bool rotated : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.name << (rotated ? " rotated" : ""));
            Delay<float> line;
            Fill(line, c.before, rotated);
            EXPECT_TRUE(line.Resize(c.newLength));
            EXPECT_EQ(line.Position(), 0);
            ASSERT_EQ(line.Length(), c.newLength);
            std::vector<float> got = Drain(line);
            ASSERT_EQ(got.size(), c.after.size());
            for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], c.after[i], 1e-6f) << "index " << i;
        }
    }
}

TEST(YDelay, PushPopReturnsTheSamplePushedLengthCallsEarlier) {
    for (int32_t length : {1, 2, 4, 7}) {
        SCOPED_TRACE(length);
        Delay<float> line;
        line.Resize(length);
        for (int32_t i = 0; i < 40; ++i) {
            const float expected = i >= length ? static_cast<float>(i - length + 1) : 0.0f;
            ASSERT_EQ(line.PushPop(static_cast<float>(i + 1)), expected) << "call " << i;
        }
    }
}

TEST(YDelay, ResizeBelowTwoGivesAOneSampleDelay) {
    for (int32_t request : {1, 0, -1, INT_MIN}) {
        SCOPED_TRACE(request);
        Delay<float> line;
        line.Resize(6);
        for (int i = 1; i <= 6; ++i) line.PushPop(static_cast<float>(i));
        EXPECT_TRUE(line.Resize(request));
        EXPECT_EQ(line.Length(), 1);
        EXPECT_EQ(line.PushPop(10.0f), 6.0f); // the newest sample survives the shrink
        EXPECT_EQ(line.PushPop(11.0f), 10.0f);
        EXPECT_EQ(line.PushPop(12.0f), 11.0f);
        EXPECT_FALSE(line.Resize(request)); // already 1
    }
}

TEST(YDelay, ResizeToTheSameLengthDoesNothing) {
    Delay<float> line;
    line.Resize(4);
    line.PushPop(1.0f);
    line.PushPop(2.0f);
    EXPECT_FALSE(line.Resize(4));
    EXPECT_EQ(line.Position(), 2); // not even rotated
    EXPECT_EQ(line.PushPop(0.0f), 0.0f);
    EXPECT_EQ(line.PushPop(0.0f), 0.0f);
    EXPECT_EQ(line.PushPop(0.0f), 1.0f);
}

TEST(YDelay, ClearSilencesButKeepsLengthAndPosition) {
    Delay<float> line;
    line.Resize(3);
    for (int i = 1; i <= 4; ++i) line.PushPop(static_cast<float>(i));
    const int32_t position = line.Position();
    line.Clear();
    EXPECT_EQ(line.Length(), 3);
    EXPECT_EQ(line.Position(), position);
    EXPECT_EQ(line.PushPop(7.0f), 0.0f);
    EXPECT_EQ(line.PushPop(8.0f), 0.0f);
    EXPECT_EQ(line.PushPop(9.0f), 0.0f);
    EXPECT_EQ(line.PushPop(0.0f), 7.0f);
}

TEST(YDelay, UnsizedLineIsSilentAndSafe) {
    Delay<float> line;
    EXPECT_EQ(line.Length(), 0);
    EXPECT_EQ(line.Capacity(), 0);
    EXPECT_EQ(line.PushPop(1.0f), 0.0f);
    line.Push(2.0f);
    line.Clear();
    EXPECT_EQ(line.Length(), 0);
    // Sizing it afterwards starts from silence.
    line.Resize(3);
    EXPECT_EQ(Drain(line), (std::vector<float>{0.0f, 0.0f, 0.0f}));
}

TEST(YDelay, PushIsTheWriteHalfOfPushPop) {
    Delay<float> a, b;
    a.Resize(3);
    b.Resize(3);
    for (int i = 0; i < 10; ++i) {
        a.Push(static_cast<float>(i));
        b.PushPop(static_cast<float>(i));
        EXPECT_EQ(a.Position(), b.Position());
    }
    EXPECT_EQ(Drain(a), Drain(b));
}

TEST(YDelay, StorageGrowsInPowersOfTwoAndSmallShrinksKeepIt) {
    Delay<float> line;
    line.Resize(5);
    EXPECT_EQ(line.Capacity(), 8);
    EXPECT_EQ(line.ReservedLength(), 5);
    const float* storage = line.Data();
    line.Resize(8);
    EXPECT_EQ(line.Capacity(), 8);
    EXPECT_EQ(line.Data(), storage); // no reallocation within the power of two
    line.Resize(9);
    EXPECT_EQ(line.Capacity(), 16);
    EXPECT_EQ(line.ReservedLength(), 9);
    storage = line.Data();
    line.Resize(2);
    EXPECT_EQ(line.Capacity(), 16);
    EXPECT_EQ(line.ReservedLength(), 9);
    EXPECT_EQ(line.Data(), storage);
    line.Resize(12);
    EXPECT_EQ(line.Data(), storage);
    EXPECT_EQ(line.ReservedLength(), 12);
}

TEST(YDelay, OnlyLongLinesGiveStorageBackWhenShrinking) {
    Delay<float> line;
    line.Resize(2100000);
    EXPECT_EQ(line.Capacity(), 1 << 22);
    // A shrink below 1 250 000 keeps everything.
    line.Resize(1249999);
    EXPECT_EQ(line.Capacity(), 1 << 22);

    Delay<float> big;
    big.Resize(2100000);
    for (int32_t i = 0; i < big.Length(); ++i) big.PushPop(static_cast<float>(i % 1000));
    big.Resize(1250000);
    EXPECT_EQ(big.Capacity(), 1 << 21);
    EXPECT_EQ(big.ReservedLength(), 1250000);
    EXPECT_EQ(big.Length(), 1250000);
    // The stretched audio survived the reallocation: first and last samples are kept.
    EXPECT_EQ(big.PushPop(0.0f), 0.0f);
    float last = 0.0f;
    for (int32_t i = 1; i < big.Length(); ++i) last = big.PushPop(0.0f);
    EXPECT_EQ(last, static_cast<float>((2100000 - 1) % 1000));
}

TEST(YDelay, AbsurdLengthsAreClamped) {
    Delay<float> line;
    EXPECT_TRUE(line.Resize(INT_MAX));
    EXPECT_EQ(line.Length(), Delay<float>::kMaxLength);
    EXPECT_EQ(line.Capacity(), Delay<float>::kMaxLength);
    EXPECT_FALSE(line.Resize(Delay<float>::kMaxLength + 1));
    line.PushPop(1.0f);
    EXPECT_TRUE(line.Resize(INT_MIN));
    EXPECT_EQ(line.Length(), 1);
}

TEST(YDelay, RelayoutKeepsTheLatestHistoryInPlace) {
    YAudioFilters::Delay<float> line;
    line.Resize(5);
    for (float x : {1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f}) line.PushPop(x); // holds 3 … 7
    EXPECT_EQ(line.Back(0), 7.0f);
    EXPECT_EQ(line.Back(4), 3.0f);
    // Longer: the same samples the same number of calls back, silence before them.
    line.Relayout(8);
    EXPECT_EQ(line.Length(), 8);
    EXPECT_EQ(line.Back(0), 7.0f);
    std::vector<float> longer;
    for (int i = 0; i < 8; ++i) longer.push_back(line.PushPop(10.0f + i));
    EXPECT_EQ(longer, (std::vector<float>{0, 0, 0, 3, 4, 5, 6, 7}));
    // Shorter: only the latest samples stay (the ring now holds 10 … 17).
    line.Relayout(3);
    std::vector<float> shorter;
    for (int i = 0; i < 3; ++i) shorter.push_back(line.PushPop(0.0f));
    EXPECT_EQ(shorter, (std::vector<float>{15, 16, 17}));
}
