#include "effect/VornikAutomationSmoother.h"

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

TEST(VornikAutomationSmoother, AJumpSettlesExactlyWithinTwoIntervalsWithoutASlopeStep) {
    VornikAutomationSmoother s;
    s.Reset(0.0);
    // The first value after a long rest spans the longest interval.
    const int32_t span = VornikAutomationSmoother::kLongestSpan;
    const std::vector<double> y = Follow(s, {{0, 1.0}}, 2 * span + 10);
    EXPECT_EQ(y[0], 0.0);
    for (size_t i = 1; i < y.size(); ++i) EXPECT_GE(y[i], y[i - 1]) << i; // no overshoot on the way
    EXPECT_NEAR(y[span], 0.5, 1e-12);
    EXPECT_EQ(y[2 * span], 1.0);
    EXPECT_FALSE(s.Moving());
    // A quadratic's second difference is 1/span² at most; a slope step would be 1/span.
    for (size_t i = 2; i < y.size(); ++i)
        EXPECT_LT(std::fabs(y[i] - 2 * y[i - 1] + y[i - 2]), 1.01 / (span * double(span)));
}

TEST(VornikAutomationSmoother, RegularValuesGiveTheUniformQuadraticSpline) {
    // A value every 512 samples, from a sine; after the first two intervals the curve is the
    // uniform quadratic B-spline of the values, whatever the history.
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
    // next value; two regular intervals later the old knots have left the curve.
    for (int32_t j = 4; j < 20; ++j) {
        for (int32_t u = 0; u < h; u += 37) {
            const double t = double(u) / h;
            const double expected =
                0.5 * (1 - t) * (1 - t) * v[j - 2] + (0.5 + t * (1 - t)) * v[j - 1] + 0.5 * t * t * v[j];
            ASSERT_NEAR(y[j * h + u], expected, 1e-9) << j << " " << u;
        }
    }
}

TEST(VornikAutomationSmoother, IrregularValuesKeepTheSlopeContinuous) {
    VornikAutomationSmoother s;
    s.Reset(0.2);
    const std::vector<double> y =
        Follow(s, {{0, 0.9}, {700, -0.4}, {900, 0.6}, {5000, 0.6}, {5100, 0.1}}, 14000);
    double largest = 0.0;
    for (size_t i = 2; i < y.size(); ++i) largest = std::max(largest, std::fabs(y[i] - 2 * y[i - 1] + y[i - 2]));
    // Value changes of about 1 over 200 samples and more: bends of 1/200² per sample, no kinks.
    EXPECT_LT(largest, 1e-4);
    EXPECT_EQ(y.back(), 0.1);
}
