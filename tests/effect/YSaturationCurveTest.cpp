#include "effect/YSaturationCurve.h"

#include "foundation/YException.h"

#include <cmath>
#include <gtest/gtest.h>

TEST(YSaturationCurve, DefaultCurveIsTheRationalCubicClippedAtOne) {
    YSaturationCurve curve;
    curve.Configure(YSaturationCurve::kRationalCubic, 0.0);
    EXPECT_EQ(curve.Normalization(), 3.0);
    EXPECT_EQ(curve.InputScale(), 3.0);
    for (double v : {0.0, 0.001, 0.1, 0.25, 0.5, 0.75, 0.9, 0.999}) {
        SCOPED_TRACE(v);
        const double expected = v * (3.0 + v * v) / (1.0 + 3.0 * v * v);
        EXPECT_NEAR(curve.Evaluate(v), expected, 1e-15);
        EXPECT_NEAR(curve.Evaluate(-v), -expected, 1e-15);
    }
    // Magnitude 1 and beyond map to exactly ±1.
    for (double v : {1.0, 1.0000001, 1.5, 4.0, 1e30, static_cast<double>(INFINITY)}) {
        EXPECT_EQ(curve.Evaluate(v), 1.0) << v;
        EXPECT_EQ(curve.Evaluate(-v), -1.0) << v;
    }
    // Slope 3 at the origin, flat at the top: a soft knee, never above 1.
    EXPECT_NEAR(curve.Evaluate(1e-6) / 1e-6, 3.0, 1e-9);
    double previous = 0.0;
    for (int i = 1; i <= 1000; ++i) {
        const double y = curve.Evaluate(i / 1000.0);
        EXPECT_GT(y, previous);
        EXPECT_LE(y, 1.0);
        previous = y;
    }
    EXPECT_TRUE(std::isnan(curve.Evaluate(NAN)));
}

TEST(YSaturationCurve, ThresholdKeepsTheCurveLinearBelowItAndContinuous) {
    YSaturationCurve curve;
    curve.Configure(YSaturationCurve::kRationalCubic, 0.5);
    const double n = curve.Normalization();
    EXPECT_NEAR(n, 1.0 / ((1.0 - 0.5) / 3.0 + 0.5), 1e-15);
    EXPECT_EQ(curve.Evaluate(0.25), 0.25 * n);
    EXPECT_NEAR(curve.Evaluate(0.5 - 1e-12), curve.Evaluate(0.5), 1e-9);
    EXPECT_NEAR(curve.Evaluate(1.0 - 1e-12), 1.0, 1e-9);
    EXPECT_EQ(curve.Evaluate(1.0), 1.0);
}

TEST(YSaturationCurve, UnknownKindsRaiseAndBadThresholdsAreLimited) {
    YSaturationCurve curve;
    try {
        curve.Configure(4, 0.0);
        ADD_FAILURE() << "kind 4 accepted";
    } catch (const YException& e) {
        EXPECT_EQ(e.Message(), YString("Invalid saturation curve."));
    }
    EXPECT_EQ(curve.Kind(), YSaturationCurve::kRationalCubic);
    curve.Configure(YSaturationCurve::kRationalCubic, NAN);
    EXPECT_EQ(curve.Threshold(), 0.0);
    curve.Configure(YSaturationCurve::kRationalCubic, 7.0);
    EXPECT_LT(curve.Threshold(), 1.0);
    EXPECT_TRUE(std::isfinite(curve.Evaluate(0.9995)));
    EXPECT_EQ(curve.Evaluate(2.0), 1.0);
}
