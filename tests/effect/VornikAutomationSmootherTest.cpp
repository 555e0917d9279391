#include "effect/VornikAutomationSmoother.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

namespace {

// The curve sample by sample, values taken at the given sample positions.
std::vector<double> Follow(VornikAutomationSmoother& s, const std::vector<std::pair<int32_t, double>>& values,
                           int32_t length) {
    std::vector<double> curve;
    size_t next = 0;
    for (int32_t i = 0; i < length; ++i) {
        while (next < values.size() && values[next].first == i) s.Take(values[next++].second);
        curve.push_back(s.Value());
        s.Advance(1);
    }
    return curve;
}

} // namespace

// Largest third difference: a bend that jumps shows as a third difference of the jump's size.
double LargestThirdDifference(const std::vector<double>& y) {
    double largest = 0.0;
    for (size_t i = 3; i < y.size(); ++i)
        largest = std::max(largest, std::fabs(y[i] - 3 * y[i - 1] + 3 * y[i - 2] - y[i - 3]));
    return largest;
}

TEST(VornikAutomationSmoother, AJumpSettlesExactlyWithinThreeIntervalsWithoutABendStep) {
    VornikAutomationSmoother s;
    s.Reset(0.0);
    // The first value after a long rest spans the longest interval.
    const int32_t span = VornikAutomationSmoother::kLongestSpan;
    const std::vector<double> y = Follow(s, {{0, 1.0}}, 3 * span + 10);
    EXPECT_EQ(y[0], 0.0);
    for (size_t i = 1; i < y.size(); ++i) EXPECT_GE(y[i], y[i - 1]) << i; // no overshoot on the way
    EXPECT_NEAR(y[3 * span / 2], 0.5, 1e-12);                              // symmetric about its middle
    EXPECT_LT(y[3 * span - 1], 1.0);
    EXPECT_EQ(y[3 * span], 1.0);
    EXPECT_FALSE(s.Moving());
    // The cubic's third difference is 2/span³ at most; a bend step would be 1/span².
    EXPECT_LT(LargestThirdDifference(y), 2.02 / (double(span) * span * span));
}

TEST(VornikAutomationSmoother, RegularValuesGiveTheUniformCubicSpline) {
    // A value every 512 samples, from a sine; after the first intervals the curve is the
    // uniform cubic B-spline of the values, whatever the history.
    const int32_t h = 512;
    std::vector<double> v;
    std::vector<std::pair<int32_t, double>> values;
    for (int32_t j = 0; j < 20; ++j) {
        v.push_back(std::sin(0.3 * j));
        values.push_back({j * h, v.back()});
    }
    VornikAutomationSmoother s;
    s.Reset(0.0);
    const std::vector<double> y = Follow(s, values, 20 * h);
    // Warm-up: the first change (at j = 1) glides over the longest span, cut short by the
    // next value; three regular intervals later the old knots have left the curve.
    for (int32_t j = 5; j < 20; ++j) {
        for (int32_t u = 0; u < h; u += 37) {
            const double t = double(u) / h, r = 1.0 - t;
            const double expected = (r * r * r * v[j - 3] + (3 * t * t * t - 6 * t * t + 4) * v[j - 2] +
                                     (-3 * t * t * t + 3 * t * t + 3 * t + 1) * v[j - 1] + t * t * t * v[j]) /
                                    6.0;
            ASSERT_NEAR(y[j * h + u], expected, 1e-9) << j << " " << u;
        }
    }
}

TEST(VornikAutomationSmoother, IrregularValuesKeepTheSlopeAndTheBendContinuous) {
    VornikAutomationSmoother s;
    s.Reset(0.2);
    const std::vector<double> y =
        Follow(s, {{0, 0.9}, {700, -0.4}, {900, 0.6}, {5000, 0.6}, {5100, 0.1}}, 18000);
    double largest = 0.0;
    for (size_t i = 2; i < y.size(); ++i) largest = std::max(largest, std::fabs(y[i] - 2 * y[i - 1] + y[i - 2]));
    // Value changes of about 1 over 200 samples and more: bends of 1/200² per sample, no kinks,
    // and bends that change by 1/200³ per sample at most.
    EXPECT_LT(largest, 1e-4);
    EXPECT_LT(LargestThirdDifference(y), 1e-6);
    EXPECT_EQ(y.back(), 0.1);
}

TEST(VornikAutomationSmoother, AJumpWithASteepestSlopeGlidesNoFasterThanIt) {
    // A jump of 240, at most 0.02 per sample: three spans of 9 000 samples, the steepest
    // (3/4 of the jump per span) in the middle. Turned back there, and again later.
    const double steepest = 0.02;
    VornikAutomationSmoother s;
    s.Reset(0.0);
    const std::vector<std::pair<int32_t, double>> values = {{0, 240.0}, {13500, 0.0}, {30000, 240.0}};
    std::vector<double> y;
    size_t next = 0;
    for (int32_t i = 0; i < 120000; ++i) {
        while (next < values.size() && values[next].first == i) s.Take(values[next++].second, steepest);
        y.push_back(s.Value());
        s.Advance(1);
    }
    double fastest = 0.0;
    for (size_t i = 1; i < y.size(); ++i) fastest = std::max(fastest, std::fabs(y[i] - y[i - 1]));
    EXPECT_LE(fastest, steepest * 1.001);
    EXPECT_GT(fastest, steepest * 0.9);
    EXPECT_NEAR(y[13500], 120.0, 0.1);
    // Bends of 240/9000² = 3e-6 per sample² change by far less than that per sample.
    EXPECT_LT(LargestThirdDifference(y), 2e-8);
    EXPECT_EQ(y.back(), 240.0);
    EXPECT_FALSE(s.Moving());
}
