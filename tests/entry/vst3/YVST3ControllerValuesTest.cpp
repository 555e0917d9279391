#include "entry/vst3/YVST3ControllerValues.h"

#include <atomic>
#include <cmath>
#include <gtest/gtest.h>
#include <thread>

TEST(VST3ControllerValues, SlotsHoldUntilReleased) {
    YVST3ControllerValues values;
    values.Reset(3);
    double v = -1.0;
    EXPECT_FALSE(values.Held(0, v));
    values.Hold(0, 0.0); // zero is a value, not "empty"
    values.Hold(2, 0.75);
    ASSERT_TRUE(values.Held(0, v));
    EXPECT_EQ(v, 0.0);
    ASSERT_TRUE(values.Held(2, v));
    EXPECT_EQ(v, 0.75);
    EXPECT_FALSE(values.Held(1, v));

    values.ReleaseUnlessSame(2, 0.75 + 1e-8);
    EXPECT_TRUE(values.Held(2, v));
    values.ReleaseUnlessSame(2, 0.7);
    EXPECT_FALSE(values.Held(2, v));
    values.Release(0);
    EXPECT_FALSE(values.Held(0, v));

    values.Hold(1, 0.5);
    values.ReleaseAll();
    EXPECT_FALSE(values.Held(1, v));
}

TEST(VST3ControllerValues, OutOfRangeSlotsAndNonFiniteValuesAreIgnored) {
    YVST3ControllerValues values;
    double v = 0.0;
    values.Hold(0, 0.5); // no slots yet
    EXPECT_FALSE(values.Held(0, v));
    values.Reset(1);
    values.Hold(1, 0.5);
    values.Hold(0, std::nan(""));
    values.Hold(0, INFINITY);
    EXPECT_FALSE(values.Held(0, v));
    EXPECT_FALSE(values.Held(1, v));
    values.ReleaseUnlessSame(5, 0.1);
    values.Release(5);
}

// The GUI thread holds new values while the audio thread releases them: a slot always ends
// either empty or holding one of the values held, never a torn mix.
TEST(VST3ControllerValuesThreading, HoldingAndReleasingRace) {
    YVST3ControllerValues values;
    values.Reset(1);
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        while (!stop) values.ReleaseUnlessSame(0, 0.125);
    });
    for (int i = 0; i < 20000; ++i) {
        const double set = (i % 2) != 0 ? 0.125 : 0.5;
        values.Hold(0, set);
        double v = 0.0;
        if (values.Held(0, v)) {
            ASSERT_TRUE(v == 0.125 || v == 0.5) << v;
        }
    }
    stop = true;
    audio.join();
    values.Hold(0, 0.125);
    values.ReleaseUnlessSame(0, 0.125);
    double v = 0.0;
    ASSERT_TRUE(values.Held(0, v));
    EXPECT_EQ(v, 0.125);
}
