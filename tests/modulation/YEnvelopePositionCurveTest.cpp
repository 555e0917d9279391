#include "modulation/YEnvelopePositionCurve.h"

#include "core/YMultiParameter.h"
#include "core/YStorer.h"
#include "foundation/YXMLItem.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// y = x² on 0..1 drawn as one "Mode 1" segment with curvature 1 (start slope 0).
YEnvelopeComputer::PointList Square() {
    YEnvelopeComputer::PointList points = YEnvelopePositionCurve::IdentityPoints();
    points.points[0].type = YEnvelopeComputer::kMode1;
    points.points[0].curvatureY = 1.0;
    return points;
}

TEST(YEnvelopePositionCurveTest, StartsAsIdentityAndLimitsItsValues) {
    YEnvelopePositionCurve curve;
    EXPECT_TRUE(curve.IsIdentity());
    for (const double x : {0.0, 0.3, 1.0}) EXPECT_DOUBLE_EQ(curve.Evaluate(x), x);
    curve.SetPoints(Square());
    EXPECT_FALSE(curve.IsIdentity());
    EXPECT_NEAR(curve.Evaluate(0.5), 0.25, 1e-12);

    YEnvelopeComputer::PointList high = Square();
    high.points[1].y = 3.0;
    curve.SetPoints(high);
    EXPECT_EQ(curve.Evaluate(1.0), 1.0);
    EXPECT_EQ(curve.Evaluate(5.0), 1.0);
}

TEST(YEnvelopePositionCurveTest, ShapeReshapesThePositionBeforeTheRangeAndSurvivesAStore) {
    YEnvelopePositionCurveFactory factory;
    YMultiParameter multi(&factory);
    YMultiParameterTarget target;
    target.ParameterName = "Depth";
    target.Range.Mode = kRangeInterval;
    target.Range.Value = 0.2;
    target.Range.MaxValue = 0.6;
    multi.Targets.push_back(target);
    multi.Targets.push_back(target);

    auto curve = std::make_unique<YEnvelopePositionCurve>();
    curve->SetPoints(Square());
    multi.SetShape(0, std::move(curve));
    EXPECT_NEAR(multi.TargetValue(0, 0.5), 0.4, 1e-12); // shape stored but not enabled
    multi.Targets[0].ShapeEnabled = true;
    EXPECT_NEAR(multi.TargetValue(0, 0.5), 0.2 + 0.4 * 0.25, 1e-12);

    YXMLItem item("MultiParameter2");
    multi.Store(YStorer{true, &item});
    const YXMLItem& first = item.GetChildAt(0);
    ASSERT_NE(first.FindChild("Shape"), nullptr);
    EXPECT_EQ(first.GetChild("Shape").GetChildCount(), 2);
    EXPECT_EQ(item.GetChildAt(1).FindChild("Shape"), nullptr); // the identity is not written

    YMultiParameter loaded(&factory);
    loaded.Store(YStorer{false, &item});
    ASSERT_EQ(loaded.Targets.size(), 2u);
    ASSERT_NE(loaded.Targets[0].Shape, nullptr);
    EXPECT_EQ(loaded.Targets[1].Shape, nullptr);
    for (const double p : {0.0, 0.25, 0.5, 0.9, 1.0})
        EXPECT_NEAR(loaded.TargetValue(0, p), multi.TargetValue(0, p), 1e-12) << p;

    // Editing works on a copy: the live curve changes only when it is put back.
    auto edited = loaded.EditShape(1);
    ASSERT_NE(edited, nullptr);
    EXPECT_TRUE(edited->IsIdentity());
}

TEST(YEnvelopePositionCurveTest, DamagedShapePointsAreRepairedWhenRead) {
    YXMLItem shape("Shape");
    YXMLItem& a = shape.AddChild("Point");
    a.SetAttribute("x", "1");
    a.SetAttribute("y", "1");
    YXMLItem& b = shape.AddChild("Point");
    b.SetAttribute("x", "-4"); // limited to 0, sorted first
    b.SetAttribute("y", "0");
    b.SetAttribute("Type", "99");
    YEnvelopePositionCurve curve;
    curve.SetPoints(Square());
    curve.Store(YStorer{false, &shape});
    EXPECT_TRUE(curve.IsIdentity());
    EXPECT_NEAR(curve.Evaluate(0.4), 0.4, 1e-12);
}

} // namespace
