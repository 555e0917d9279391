#include "entry/YTailWatch.h"

#include <gtest/gtest.h>

TEST(TailWatch, TellsOnlyChangesAHostWouldActOn) {
    YTailWatch watch;
    EXPECT_FALSE(watch.ShouldTell(5000)) << "the host has not read it yet";
    watch.Read(4500); // 13 bits
    struct Step {
        int32_t tail;
        bool tell;
    };
    const Step steps[] = {
        {4500, false}, {8191, false}, // the same power of two
        {8192, true},  {9000, false}, // grew past it; from there on the new one counts
        {4000, true},                 // shrank past it
        {-1, true},    {-1, false},   // never ends
        {0, true},     {0, false},    // none
        {1, true},
    };
    for (const Step& s : steps) EXPECT_EQ(watch.ShouldTell(s.tail), s.tell) << s.tail;
}

TEST(TailWatch, Classes) {
    EXPECT_EQ(YTailWatch::Class(-1), -1);
    EXPECT_EQ(YTailWatch::Class(0), 0);
    EXPECT_EQ(YTailWatch::Class(1), 1);
    EXPECT_EQ(YTailWatch::Class(1023), 10);
    EXPECT_EQ(YTailWatch::Class(1024), 11);
    EXPECT_EQ(YTailWatch::Class(INT32_MAX), 31);
}
