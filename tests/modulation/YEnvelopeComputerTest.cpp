#include "modulation/YEnvelopeComputer.h"

#include "foundation/YException.h"
#include "support/AllocationCounting.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <typeinfo>
#include <vector>

using YE = YEnvelopeComputer;

namespace {

YE::ControlPoint Point(double x, double y, int32_t type = YE::kMode2, double curvatureY = 0.0,
                       double curvatureX = 0.0) {
    YE::ControlPoint p;
    p.x = x;
    p.y = y;
    p.type = type;
    p.curvatureY = curvatureY;
    p.curvatureX = curvatureX;
    return p;
}

YE::PointList Curve(std::vector<YE::ControlPoint> points) {
    YE::PointList list;
    list.points = std::move(points);
    return list;
}

// One segment from (0.2, 0.1) to (0.6, 0.9), probed at x = 0.31, 0.47 and 0.58. The
// expected values were computed separately from the closed forms of each kind (the
// Bézier by bisection on its parameter), away from the jumps of the discrete kinds.
struct SegmentCase {
    const char* name;
    int32_t type;
    double curvatureX;
    double curvatureY;
    const std::type_info& item;
    double expected[3];
};

const double kProbes[3] = {0.31, 0.47, 0.58};

const std::vector<SegmentCase>& SegmentCases() {
    static const std::vector<SegmentCase> cases = {
        {"Mode1", 0, 0.0, 0.5, typeid(YE::ItemQuadratic), {0.24025, 0.55225, 0.841}},
        {"Mode1Negative", 0, 0.0, -0.7, typeid(YE::ItemQuadratic), {0.43165, 0.76285, 0.8866}},
        {"Mode2Positive",
         1,
         0.0,
         0.5,
         typeid(YE::ItemFourthOrder),
         {0.21228765625, 0.45303765625, 0.8058025}},
        {"Mode2Negative",
         1,
         0.0,
         -0.5,
         typeid(YE::ItemFourthOrder),
         {0.49948734375, 0.76553734375, 0.8799975}},
        {"Mode3",
         2,
         0.0,
         0.5,
         typeid(YE::ItemExponencial),
         {0.10054882059923864, 0.13294783153751935, 0.33805090445168207}},
        {"Mode3Negative",
         2,
         0.0,
         -0.4,
         typeid(YE::ItemExponencial),
         {0.8813873219259446, 0.8994481949282311, 0.8999992432954858}},
        {"Free1",
         3,
         0.4,
         0.6,
         typeid(YE::ItemBezier),
         {0.34644140029689763, 0.6790415759823428, 0.87166247903554}},
        {"Free1OnlyY", 3, 0.0, 0.6, typeid(YE::ItemBezier), {0.4157, 0.7453, 0.8828}},
        {"Free1OnlyX",
         3,
         -0.5,
         0.0,
         typeid(YE::ItemBezier),
         {0.4155417527999328, 0.7119288512538814, 0.8730302638892143}},
        {"Double1", 4, 0.0, 0.5, typeid(YE::ItemDouble), {0.22830125, 0.73429875, 0.87998}},
        {"Stairs", 7, 0.0, 0.25, typeid(YE::ItemStairs), {0.3, 0.5, 0.7}},
        {"Pulses", 8, 0.0, 0.25, typeid(YE::ItemPulses), {0.1, 0.9, 0.9}},
        {"PulsesNegative", 8, 0.0, -0.25, typeid(YE::ItemPulses), {0.9, 0.1, 0.1}},
        {"Saw", 9, 0.0, 0.25, typeid(YE::ItemSaw), {0.18, 0.66, 0.74}},
        {"SawNegative", 9, 0.0, -0.25, typeid(YE::ItemSaw), {0.82, 0.34, 0.26}},
        {"Triangles", 10, 0.0, 0.2, typeid(YE::ItemTriangles), {0.6, 0.6, 0.7}},
        {"Sines",
         11,
         0.0,
         0.2,
         typeid(YE::ItemSines),
         {0.6530733729460361, 0.6530733729460362, 0.7828427124746187}},
        {"SinesOne",
         11,
         0.0,
         0.125,
         typeid(YE::ItemSines),
         {0.24022078066792646, 0.7089994258863795, 0.8950753362380551}},
    };
    return cases;
}

YE CompileSegment(int32_t type, double curvatureX, double curvatureY) {
    return YE(Curve({Point(0.2, 0.1, type, curvatureY, curvatureX), Point(0.6, 0.9)}));
}

} // namespace

TEST(YEnvelopeComputer, EverySegmentTypeMatchesItsClosedForm) {
    for (const SegmentCase& c : SegmentCases()) {
        SCOPED_TRACE(c.name);
        const YE curve = CompileSegment(c.type, c.curvatureX, c.curvatureY);
        ASSERT_EQ(curve.ItemCount(), 3);
        EXPECT_EQ(typeid(curve.GetItem(1)), c.item);
        EXPECT_EQ(curve.GetItem(1).EndX(), 0.6);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(curve.Evaluate(kProbes[i]), c.expected[i], 1e-12) << kProbes[i];
        // Flat before the first point and after the last.
        EXPECT_EQ(curve.Evaluate(0.0), 0.1);
        EXPECT_EQ(curve.Evaluate(0.2 - 1e-9), 0.1);
        EXPECT_EQ(curve.Evaluate(0.6), 0.9);
        EXPECT_EQ(curve.Evaluate(1.0), 0.9);
    }
}

TEST(YEnvelopeComputer, ContinuousKindsJoinTheirEndPoints) {
    for (const SegmentCase& c : SegmentCases()) {
        if (c.type >= YE::kStairs && c.type != YE::kTriangles && c.type != YE::kSines) continue;
        if (c.curvatureY < 0.0 && c.type >= YE::kStairs) continue; // negative curvature starts at y1
        SCOPED_TRACE(c.name);
        const YE curve = CompileSegment(c.type, c.curvatureX, c.curvatureY);
        EXPECT_NEAR(curve.Evaluate(0.2), 0.1, 1e-12);
        EXPECT_NEAR(curve.GetItem(1).Evaluate(0.6), 0.9, 1e-9);
    }
}

TEST(YEnvelopeComputer, DiscreteKindsCountTheirRepetitions) {
    // Stairs with curvature 0.25: round(0.0625·64) = 4 equal steps of 0.2.
    const YE stairs = CompileSegment(YE::kStairs, 0.0, 0.25);
    for (int step = 0; step < 4; ++step)
        EXPECT_NEAR(stairs.Evaluate(0.2 + 0.1 * step + 0.05), 0.1 + 0.2 * step, 1e-12) << step;

    // Saw with negative curvature runs from y1 down to y0 in each of its 4 teeth.
    const YE saw = CompileSegment(YE::kSaw, 0.0, -0.25);
    for (int tooth = 0; tooth < 4; ++tooth) {
        const double start = 0.2 + 0.1 * tooth;
        EXPECT_NEAR(saw.Evaluate(start + 1e-12), 0.9, 1e-9) << tooth;
        EXPECT_NEAR(saw.Evaluate(start + 0.05), 0.5, 1e-9) << tooth;
        EXPECT_NEAR(saw.Evaluate(start + 0.1 - 1e-12), 0.1, 1e-9) << tooth;
    }

    // Pulses with n = 4 alternate over 8 half-periods, starting low for positive curvature.
    const YE pulses = CompileSegment(YE::kPulses, 0.0, 0.25);
    for (int half = 0; half < 8; ++half)
        EXPECT_EQ(pulses.Evaluate(0.2 + 0.05 * half + 0.025), half % 2 == 0 ? 0.1 : 0.9) << half;

    // Sines with n = 1 is half a cosine: 0.5·(y0 + y1) − 0.5·Δy·cos(π t).
    const YE sines = CompileSegment(YE::kSines, 0.0, 0.125);
    for (double t : {0.0, 0.1, 0.5, 0.77, 0.999})
        EXPECT_NEAR(sines.Evaluate(0.2 + 0.4 * t), 0.5 - 0.4 * std::cos(3.14159265358979323846 * t), 1e-12)
            << t;

    // Triangles with n = 3: 5 half-triangles, peaks at t = 0.2, 0.6, 1 and troughs between.
    const YE triangles = CompileSegment(YE::kTriangles, 0.0, 0.2);
    for (double t : {0.2, 0.6}) EXPECT_NEAR(triangles.Evaluate(0.2 + 0.4 * t), 0.9, 1e-12) << t;
    for (double t : {0.4, 0.8}) EXPECT_NEAR(triangles.Evaluate(0.2 + 0.4 * t), 0.1, 1e-12) << t;
}

TEST(YEnvelopeComputer, DegenerateSegmentsBecomeConstantsOrLines) {
    // Zero curvature on the curved kinds is a straight line.
    for (int32_t type : {YE::kMode1, YE::kMode2, YE::kMode3, YE::kFree1, YE::kDouble1}) {
        SCOPED_TRACE(type);
        const YE curve = CompileSegment(type, 0.0, 0.0);
        EXPECT_EQ(typeid(curve.GetItem(1)), typeid(YE::ItemLinear));
        for (double x : kProbes) EXPECT_NEAR(curve.Evaluate(x), 0.1 + 2.0 * (x - 0.2), 1e-12);
        EXPECT_DOUBLE_EQ(curve.GetItem(1).SlopeAt(0.4), 2.0);
    }
    struct Case {
        const char* name;
        YE::ControlPoint p0, p1;
        double value;
    };
    for (const Case& c : {
             Case{"EqualYMode2", Point(0.2, 0.4, YE::kMode2, 0.7), Point(0.6, 0.4), 0.4},
             Case{"EqualYFree1", Point(0.2, 0.4, YE::kFree1, 0.7, 0.3), Point(0.6, 0.4), 0.4},
             Case{"NarrowMode1", Point(0.5, 0.3, YE::kMode1, 0.5), Point(0.5 + 5e-9, 0.8), 0.3},
             Case{"NarrowSines", Point(0.5, 0.3, YE::kSines, 0.5), Point(0.5 + 9e-9, 0.8), 0.3},
             Case{"NarrowSmooth", Point(0.5, 0.3, YE::kSmooth2), Point(0.5, 0.8), 0.3},
             Case{"OneStair", Point(0.2, 0.3, YE::kStairs, 0.1), Point(0.6, 0.8), 0.3},
         }) {
        SCOPED_TRACE(c.name);
        const YE curve(Curve({c.p0, c.p1}));
        ASSERT_EQ(curve.ItemCount(), 3);
        EXPECT_EQ(typeid(curve.GetItem(1)), typeid(YE::ItemConstant));
        EXPECT_EQ(curve.GetItem(1).Evaluate(c.p1.x - 1e-10), c.value);
        EXPECT_EQ(curve.GetItem(1).SlopeAt(c.p0.x), 0.0);
        EXPECT_EQ(curve.GetItem(1).SlopeAfter(c.p0.x), 0.0);
    }
}

TEST(YEnvelopeComputer, EmptyAndSinglePointCurvesAreConstant) {
    YE::PointList empty;
    empty.emptyValue = -0.25;
    const YE none(empty);
    ASSERT_EQ(none.ItemCount(), 1);
    EXPECT_EQ(typeid(none.GetItem(0)), typeid(YE::ItemConstant));
    for (double x : {-5.0, 0.0, 0.5, 1.0, 1e300}) EXPECT_EQ(none.Evaluate(x), -0.25);

    const YE fresh;
    EXPECT_EQ(fresh.Evaluate(0.3), 0.0);

    const YE one(Curve({Point(0.4, 0.7, 99)})); // the type of a last point is never used
    ASSERT_EQ(one.ItemCount(), 2);
    EXPECT_EQ(one.GetItem(0).EndX(), 0.4);
    EXPECT_EQ(one.GetItem(1).EndX(), 1.7e308);
    for (double x : {0.0, 0.4, 1.0}) EXPECT_EQ(one.Evaluate(x), 0.7);
}

TEST(YEnvelopeComputer, SmoothOneTakesTheSlopesOfItsNeighbourItems) {
    // After a "Mode 1" rise (slope 3 at its end) into the closing constant (slope 0).
    const YE curve(Curve({Point(0.0, 0.0, YE::kMode1, 0.5), Point(0.4, 0.8, YE::kSmooth1), Point(1.0, 0.2)}));
    ASSERT_EQ(curve.ItemCount(), 4);
    EXPECT_EQ(typeid(curve.GetItem(2)), typeid(YE::ItemCubic));
    const double expected[3] = {0.963888888888889, 0.7250000000000002, 0.2861111111111112};
    const double probes[3] = {0.5, 0.7, 0.9};
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(curve.Evaluate(probes[i]), expected[i], 1e-12);
    EXPECT_NEAR(curve.GetItem(2).SlopeAfter(0.4), 3.0, 1e-9);
    EXPECT_NEAR(curve.GetItem(2).SlopeAt(1.0), 0.0, 1e-9);

    // From the opening constant (slope 0) into a line of slope −2.
    const YE intoLine(
        Curve({Point(0.0, 0.0, YE::kSmooth1), Point(0.5, 1.0, YE::kMode2, 0.0), Point(1.0, 0.0)}));
    const double expectedLine[3] = {0.136, 0.625, 1.024};
    const double probesLine[3] = {0.1, 0.25, 0.4};
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(intoLine.Evaluate(probesLine[i]), expectedLine[i], 1e-12);
}

TEST(YEnvelopeComputer, SmoothTwoTakesSlopesFromNeighbourPoints) {
    // Slopes: ends 0; P1 the mean of secants 2 and 1; P2 a peak, so 0.
    const YE curve(Curve({Point(0.0, 0.0, YE::kSmooth2), Point(0.3, 0.6, YE::kSmooth2),
                          Point(0.6, 0.9, YE::kSmooth2), Point(1.0, 0.1, YE::kSmooth2)}));
    struct Probe {
        double x, y;
    };
    for (const Probe& p : {Probe{0.1, 0.12222222222222226}, Probe{0.2, 0.37777777777777777},
                           Probe{0.45, 0.8062500000000001}, Probe{0.8, 0.49999999999999983}})
        EXPECT_NEAR(curve.Evaluate(p.x), p.y, 1e-12) << p.x;
    EXPECT_NEAR(curve.GetItem(2).SlopeAfter(0.3), 1.5, 1e-12);
    EXPECT_NEAR(curve.GetItem(2).SlopeAt(0.6), 0.0, 1e-12);
    // A peak and a trough stay flat, so the curve never leaves the points' range.
    for (double sign : {1.0, -1.0}) {
        const YE bump(Curve({Point(0.0, 0.0, YE::kSmooth2), Point(0.5, sign * 0.8, YE::kSmooth2),
                             Point(1.0, sign * 0.6, YE::kSmooth2)}));
        for (int i = 0; i <= 100; ++i) {
            const double y = sign * bump.Evaluate(i / 100.0);
            ASSERT_GE(y, -1e-12) << i;
            ASSERT_LE(y, 0.8 + 1e-12) << i;
        }
        EXPECT_NEAR(bump.GetItem(1).SlopeAt(0.5), 0.0, 1e-12);
    }
}

TEST(YEnvelopeComputer, SlopesOfTheItemKinds) {
    // Exact derivatives of the polynomial kinds agree with a central difference.
    for (int32_t type :
         {YE::kMode1, YE::kMode2, YE::kFree1, YE::kDouble1, YE::kSaw, YE::kTriangles, YE::kSines}) {
        SCOPED_TRACE(type);
        const YE curve = CompileSegment(type, 0.3, 0.2);
        for (double x : {0.33, 0.47, 0.55}) {
            const double h = 1e-7;
            const double numeric = (curve.Evaluate(x + h) - curve.Evaluate(x - h)) / (2 * h);
            EXPECT_NEAR(curve.GetItem(1).SlopeAt(x), numeric, 1e-5) << x;
            EXPECT_NEAR(curve.GetItem(1).SlopeAfter(x), numeric, 1e-5) << x;
        }
    }
    // The generic slopes are one-sided differences.
    const YE exponential = CompileSegment(YE::kMode3, 0.0, 0.5);
    const YE::Item& item = exponential.GetItem(1);
    EXPECT_DOUBLE_EQ(item.SlopeAt(0.4), (item.Evaluate(0.4) - item.Evaluate(0.4 - 1e-10)) * 1e10);
    EXPECT_DOUBLE_EQ(item.SlopeAfter(0.4), (item.Evaluate(0.4 + 1e-10) - item.Evaluate(0.4)) * 1e10);
    // Flat pieces are flat, even at their jumps.
    EXPECT_EQ(CompileSegment(YE::kStairs, 0.0, 0.25).GetItem(1).SlopeAt(0.6), 0.0);
    EXPECT_EQ(CompileSegment(YE::kPulses, 0.0, 0.25).GetItem(1).SlopeAfter(0.25), 0.0);
}

TEST(YEnvelopeComputer, UnknownSegmentTypeIsRejected) {
    YE curve(Curve({Point(0.0, 0.0, YE::kMode2, 0.3), Point(1.0, 1.0)}));
    const double before = curve.Evaluate(0.5);
    for (int32_t type : {-1, 12, 1000}) {
        SCOPED_TRACE(type);
        try {
            curve.Compile(Curve({Point(0.0, 1.0), Point(0.5, 0.0, type), Point(1.0, 1.0)}));
            ADD_FAILURE() << "no exception";
        } catch (const YException& e) {
            EXPECT_EQ(e.Message().ToUTF8(), "Invalid control point type.");
        }
        // The previous compilation stays in force.
        EXPECT_EQ(curve.Evaluate(0.5), before);
        EXPECT_EQ(curve.Points().points.size(), 2u);
    }
}

TEST(YEnvelopeComputer, PointsAreUsedInXOrderAndUnplaceablePointsAreDropped) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const YE sorted(Curve({Point(0.0, 0.0, YE::kMode2), Point(0.5, 1.0, YE::kMode2), Point(1.0, 0.0)}));
    const YE shuffled(
        Curve({Point(1.0, 0.0), Point(nan, 7.0), Point(0.5, 1.0, YE::kMode2), Point(0.0, 0.0)}));
    EXPECT_EQ(shuffled.ItemCount(), sorted.ItemCount());
    for (int i = 0; i <= 20; ++i) EXPECT_EQ(shuffled.Evaluate(i / 20.0), sorted.Evaluate(i / 20.0));
    EXPECT_EQ(shuffled.Points().points.size(), 4u); // the caller's list is kept as given
    // An x that is not a number lands on the closing constant.
    EXPECT_EQ(sorted.Evaluate(nan), 0.0);
}

TEST(YEnvelopeComputer, RenderMatchesEvaluateAcrossEveryKind) {
    std::vector<YE::ControlPoint> points;
    const int kinds = YE::kSegmentTypeCount;
    for (int k = 0; k < kinds; ++k) {
        const double x = 0.05 + 0.9 * k / kinds;
        points.push_back(Point(x, (k % 3) * 0.5 - 0.5, k, k % 2 == 0 ? 0.3 : -0.2, 0.25));
    }
    points.push_back(Point(0.95, 0.75));
    const YE curve(Curve(points));
    ASSERT_EQ(curve.ItemCount(), kinds + 2);

    const int n = 8192;
    std::vector<double> doubles(n);
    std::vector<float> floats(n);
    curve.Render(doubles.data(), 0.0, 1.0 / n, n);
    curve.Render(floats.data(), 0.0, 1.0 / n, n);
    for (int i = 0; i < n; ++i) {
        const double expected = curve.Evaluate(i / static_cast<double>(n));
        ASSERT_NEAR(doubles[static_cast<size_t>(i)], expected, 1e-12) << i;
        ASSERT_EQ(floats[static_cast<size_t>(i)], static_cast<float>(doubles[static_cast<size_t>(i)])) << i;
    }

    // Runs that start inside the curve, run backwards, stand still or are tiny.
    struct Run {
        double start, step;
        int count;
    };
    for (const Run& r :
         {Run{0.4321357, 0.0001013, 3000}, Run{0.9, -0.01, 80}, Run{0.3, 0.0, 5}, Run{0.5, 1e9, 3}}) {
        std::vector<double> out(static_cast<size_t>(r.count));
        curve.Render(out.data(), r.start, r.step, r.count);
        for (int i = 0; i < r.count; ++i)
            ASSERT_NEAR(out[static_cast<size_t>(i)], curve.Evaluate(r.start + i * r.step), 1e-12)
                << r.start << " " << i;
    }
    curve.Render(static_cast<double*>(nullptr), 0.0, 0.1, 10);
    curve.Render(doubles.data(), 0.0, 0.1, -3);
}

TEST(YEnvelopeComputer, CopiesAreIndependent) {
    YE original(Curve({Point(0.0, 0.0, YE::kSines, 0.3), Point(1.0, 1.0)}));
    const YE copy(original);
    YE assigned;
    assigned = original;
    original.Compile(Curve({Point(0.0, 0.5)}));
    EXPECT_EQ(original.Evaluate(0.3), 0.5);
    const YE reference(Curve({Point(0.0, 0.0, YE::kSines, 0.3), Point(1.0, 1.0)}));
    for (double x : {0.1, 0.3, 0.8}) {
        EXPECT_EQ(copy.Evaluate(x), reference.Evaluate(x));
        EXPECT_EQ(assigned.Evaluate(x), reference.Evaluate(x));
    }
}

TEST(YEnvelopeComputer, EvaluateAndRenderDoNotAllocate) {
    std::vector<YE::ControlPoint> points;
    for (int k = 0; k < YE::kSegmentTypeCount; ++k)
        points.push_back(Point(k / 12.0, (k % 2) * 1.0, k, 0.3, 0.2));
    points.push_back(Point(1.0, 0.0));
    const YE curve(Curve(points));
    std::vector<float> table(8192);
    std::vector<double> doubles(512);
    double sum = 0.0;
    const uint64_t before = AllocationCounting::Count();
    for (int i = 0; i < 8192; ++i) sum += curve.Evaluate(i / 8192.0);
    curve.Render(table.data(), 0.0, 1.0 / 8192, 8192);
    curve.Render(doubles.data(), 0.9, -0.001, 512);
    EXPECT_EQ(AllocationCounting::Count(), before);
    EXPECT_TRUE(std::isfinite(sum + table[100] + doubles[7]));
}

TEST(YEnvelopeComputer, SegmentTypeNames) {
    EXPECT_STREQ(YE::SegmentTypeName(YE::kMode1), "Mode 1");
    EXPECT_STREQ(YE::SegmentTypeName(YE::kSines), "Sines");
    EXPECT_STREQ(YE::SegmentTypeHelp(YE::kStairs), "Stairs-like image, curvature controls number of stairs.");
    EXPECT_EQ(YE::SegmentTypeName(12), nullptr);
    EXPECT_EQ(YE::SegmentTypeHelp(-1), nullptr);
}
