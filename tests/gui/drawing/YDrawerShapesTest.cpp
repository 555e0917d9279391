// Anti-aliased shapes against a reference: the fraction of each pixel inside the ideal shape,
// sampled on a 32 x 32 grid per pixel. The drawer samples 16 rows per pixel and measures
// exactly along them, so a pixel may be off by up to 1/32 from its edge's slope and the
// polygons stand within 1/50 pixel of the curves: kMaxError allows that and the reference's
// own sampling.
#include "gui/drawing/YDrawerToYBitmap.h"

#include "DrawingTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

constexpr double kMaxError = 0.06;  // any one pixel
constexpr double kMeanError = 0.01; // over the pixels either image touches

using Inside = std::function<bool(double x, double y)>;

double Reference(const Inside& inside, int32_t px, int32_t py) {
    constexpr int n = 32;
    int hits = 0;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) hits += inside(px + (i + 0.5) / n, py + (j + 0.5) / n);
    return hits / double(n * n);
}

double Distance(double x, double y, double ax, double ay, double bx, double by, double* along = nullptr) {
    const double dx = bx - ax, dy = by - ay, len = std::hypot(dx, dy);
    const double t = ((x - ax) * dx + (y - ay) * dy) / len;
    if (along) *along = t / len;
    return std::fabs((x - ax) * dy - (y - ay) * dx) / len;
}

struct Shape {
    const char* name;
    std::function<void(YDrawer&)> draw;
    Inside inside;
};

TEST(YDrawerShapesTest, CoverageMatchesASupersampledReference) {
    const Shape shapes[] = {
        {"FillCircle", [](YDrawer& d) { d.FillCircle(20.3f, 17.6f, 11.2f, YColor::RGB(255, 255, 255), YColorOp::Copy); },
         [](double x, double y) { return std::hypot(x - 20.3, y - 17.6) <= 11.2; }},
        {"Circle width 2", [](YDrawer& d) {
             d.SetLineWidth(2.0f);
             d.Circle(19.5f, 18.2f, 12.4f, YColor::RGB(255, 255, 255), YColorOp::Copy);
         },
         [](double x, double y) { return std::fabs(std::hypot(x - 19.5, y - 18.2) - 12.4) <= 1.0; }},
        {"FillPolygon", [](YDrawer& d) {
             const YPointF p[] = {{3.2f, 2.5f}, {36.7f, 9.1f}, {12.4f, 30.8f}};
             d.FillPolygon(p, 3, YColor::RGB(255, 255, 255), YColorOp::Copy);
         },
         [](double x, double y) {
             const auto side = [&](double ax, double ay, double bx, double by) { return (bx - ax) * (y - ay) - (by - ay) * (x - ax); };
             return side(3.2, 2.5, 36.7, 9.1) >= 0 && side(36.7, 9.1, 12.4, 30.8) >= 0 && side(12.4, 30.8, 3.2, 2.5) >= 0;
         }},
        {"LineToF width 2.5", [](YDrawer& d) {
             d.SetLineWidth(2.5f);
             d.MoveTo(3.5f, 30.2f);
             d.LineToF(35.1f, 4.7f, YColor::RGB(255, 255, 255), YColorOp::Copy);
         },
         [](double x, double y) {
             double t = 0;
             return Distance(x, y, 3.5, 30.2, 35.1, 4.7, &t) <= 1.25 && t >= 0 && t <= 1;
         }},
        {"FillRoundRectangle", [](YDrawer& d) { d.FillRoundRectangle({4, 5, 33, 26}, 6.5f, YColor::RGB(255, 255, 255), YColorOp::Copy); },
         [](double x, double y) {
             // The rectangle 4 .. 34 x 5 .. 27, corners of radius 6.5.
             const double cx = std::clamp(x, 10.5, 27.5), cy = std::clamp(y, 11.5, 20.5);
             return x >= 4 && x <= 34 && y >= 5 && y <= 27 && std::hypot(x - cx, y - cy) <= 6.5;
         }},
    };
    for (const Shape& shape : shapes) {
        SCOPED_TRACE(shape.name);
        YBitmap b(40, 36);
        b.Fill(YColor::RGB(0, 0, 0));
        YDrawerToYBitmap d(&b);
        shape.draw(d);
        double worst = 0, sum = 0;
        int32_t touched = 0;
        for (int32_t y = 0; y < b.Height(); ++y)
            for (int32_t x = 0; x < b.Width(); ++x) {
                const double expected = Reference(shape.inside, x, y), drawn = b.At(x, y).r / 255.0;
                if (expected == 0 && drawn == 0) continue;
                ++touched;
                const double error = std::fabs(drawn - expected);
                sum += error;
                worst = std::max(worst, error);
                EXPECT_LE(error, kMaxError) << "pixel " << x << "," << y << " drawn " << drawn << " reference " << expected;
            }
        ASSERT_GT(touched, 20);
        EXPECT_LE(sum / touched, kMeanError);
        std::printf("%-20s worst %.4f mean %.4f over %d pixels\n", shape.name, worst, sum / touched, touched);
    }
}

TEST(YDrawerShapesTest, ShapesStayInsideTheClipAndAcceptDegenerateInput) {
    YBitmap b(20, 20);
    b.Fill(YColor::RGB(0, 0, 0));
    YDrawerToYBitmap d(&b);
    d.SetClipRect({5, 5, 14, 14});
    d.FillCircle(10, 10, 30, YColor::RGB(255, 0, 0), YColorOp::Copy);
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 20; ++x) EXPECT_EQ(b.At(x, y).r, (YRect{5, 5, 14, 14}.Contains({x, y}) ? 255 : 0));
    // Nothing drawn and nothing broken for: no points, one point, zero radius, non-finite input.
    b.Fill(YColor::RGB(0, 0, 0));
    const YPointF one[] = {{3, 3}};
    const YPointF nan[] = {{NAN, 1}, {4, 4}, {8, INFINITY}};
    d.FillPolygon(nullptr, 3, YColor::RGB(255, 0, 0), YColorOp::Copy);
    d.FillPolygon(one, 1, YColor::RGB(255, 0, 0), YColorOp::Copy);
    d.FillPolygon(nan, 3, YColor::RGB(255, 0, 0), YColorOp::Copy);
    d.PolyLine(one, 1, YColor::RGB(255, 0, 0), YColorOp::Copy);
    d.FillCircle(10, 10, 0, YColor::RGB(255, 0, 0), YColorOp::Copy);
    d.FillCircle(10, 10, NAN, YColor::RGB(255, 0, 0), YColorOp::Copy);
    d.Circle(10, 10, -3, YColor::RGB(255, 0, 0), YColorOp::Copy);
    d.FillRoundRectangle({9, 9, 8, 8}, 3, YColor::RGB(255, 0, 0), YColorOp::Copy);
    d.SetLineWidth(NAN);
    EXPECT_EQ(d.LineWidth(), 1.0f);
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 20; ++x) ASSERT_EQ(b.At(x, y).r, 0) << x << "," << y;
}

TEST(YDrawerShapesTest, OverlappingStrokeSegmentsBlendOnce) {
    // A polyline folding back over itself: the winding rule joins the segments, so a
    // translucent stroke is not darker where they overlap.
    YBitmap b(30, 10);
    b.Fill(YColor::RGB(0, 0, 0));
    YDrawerToYBitmap d(&b);
    d.SetLineWidth(3);
    const YPointF p[] = {{2, 5}, {27, 5}, {10, 5.0f}};
    d.PolyLine(p, 3, YColor::RGB(255, 255, 255, 128), YColorOp::Alphablend);
    EXPECT_EQ(b.At(15, 5).r, b.At(5, 5).r);
    EXPECT_EQ(b.At(5, 5).r, 127);
}

// A picture of everything the drawer does, for a person to look at: drawing-demo.png in the
// test's working folder.
TEST(YDrawerShapesTest, WritesADemoPicture) {
    YBitmap b(320, 200);
    YDrawerToYBitmap d(&b);
    d.FillRectangleGradient(b.Bounds(), YColor::RGB(40, 44, 52), YColor::RGB(16, 18, 22), false, YColorOp::Copy);
    d.FillRoundRectangle({10, 10, 150, 90}, 10, YColor::RGB(70, 120, 200), YColorOp::Copy);
    d.RoundRectangle({10, 10, 150, 90}, 10, YColor::RGB(230, 230, 240), YColorOp::Alphablend);
    d.FillCircle(230, 50, 38, YColor::RGB(230, 160, 40), YColorOp::Copy);
    d.SetLineWidth(3);
    d.Circle(230, 50, 38, YColor::RGB(255, 255, 255, 160), YColorOp::Alphablend);
    d.MoveTo(230, 50);
    d.LineToF(230 + 30 * std::cos(-0.8f), 50 + 30 * std::sin(-0.8f), YColor::RGB(20, 20, 20), YColorOp::Alphablend);
    const YPointF star[] = {{60, 110}, {72, 145}, {110, 145}, {80, 165}, {92, 198}, {60, 178}, {28, 198}, {40, 165}, {10, 145}, {48, 145}};
    d.FillPolygon(star, 10, YColor::RGB(200, 60, 80), YColorOp::Copy);
    d.SetLineWidth(1.5f);
    YPointF wave[60];
    for (int i = 0; i < 60; ++i) wave[i] = {130.0f + i * 3.0f, 160.0f + 25.0f * std::sin(i * 0.25f)};
    d.PolyLine(wave, 60, YColor::RGB(120, 230, 140), YColorOp::Alphablend);
    d.FillRectangle({170, 110, 310, 130}, YColor::RGB(255, 255, 255, 60), YColorOp::Alphablend);
    d.FocusRect({168, 108, 312, 132}, YColor::RGB(255, 255, 255), YColorOp::Copy);
    ASSERT_TRUE(drawing_test::WritePng(b, drawing_test::SnapshotPath("drawing-demo.png")));
}

} // namespace
