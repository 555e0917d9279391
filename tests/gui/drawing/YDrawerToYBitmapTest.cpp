#include "gui/drawing/YDrawerToYBitmap.h"
#include "support/RaisedMessage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr YColor kGround = YColor::RGB(10, 20, 30, 77);

TEST(YBitmapTest, PixelsAreRowsTopDownAndRecreatingTheSameSizeKeepsThem) {
    YBitmap b(5, 3);
    ASSERT_EQ(b.Width(), 5);
    ASSERT_EQ(b.Height(), 3);
    EXPECT_EQ(b.At(4, 2), (YColor{0, 0, 0, 0})) << "new pixels are transparent black";
    b.At(3, 2) = YColor::RGB(1, 2, 3);
    EXPECT_EQ(b.Pixels()[2 * 5 + 3], YColor::RGB(1, 2, 3));
    const YColor* before = b.Pixels();
    b.Create(5, 3);
    EXPECT_EQ(b.Pixels(), before);
    EXPECT_EQ(b.At(3, 2), YColor::RGB(1, 2, 3));
    b.Create(3, 5);
    EXPECT_EQ(b.Width(), 3);
    EXPECT_EQ(b.At(0, 4), (YColor{0, 0, 0, 0}));
    b.Create(0, 0);
    EXPECT_EQ(b.Pixels(), nullptr);
}

TEST(YBitmapTest, SizesBeyondTheLimitRaiseAndKeepTheBitmap) {
    YBitmap b(2, 2);
    for (auto [w, h] : {std::pair{100000, 100000}, {-1, 4}, {16385, 1}, {16384, 16384}}) {
        EXPECT_EQ(RaisedMessage([&] { b.Create(w, h); }),
                  "Bitmap size " + std::to_string(w) + " x " + std::to_string(h) + " is beyond the limit.");
    }
    EXPECT_EQ(RaisedMessage([] { YAlphaMask m(100000, 100000); }), "Bitmap size 100000 x 100000 is beyond the limit.");
    EXPECT_EQ(b.Width(), 2);
}

// The fill rule's cases: alpha at both ends, clipping, operations that do nothing.
TEST(YDrawerToYBitmapTest, FillRectangleCases) {
    const YRect all{0, 0, 7, 5};
    struct Case {
        const char* name;
        YRect clip, rect;
        YColor colour;
        YColorOp op;
        YColor inside; // expected at (3, 3)
        YRect changed; // pixels expected to differ from the ground; the rest must not
    } cases[] = {
        {"copy", all, {2, 2, 4, 4}, YColor::RGB(200, 100, 50, 128), YColorOp::Copy, YColor::RGB(200, 100, 50, 128), {2, 2, 4, 4}},
        {"alpha 255 copies", all, {2, 2, 4, 4}, YColor::RGB(200, 100, 50), YColorOp::Alphablend, YColor::RGB(200, 100, 50), {2, 2, 4, 4}},
        {"alpha 0 changes nothing", all, {0, 0, 7, 5}, YColor::RGB(200, 100, 50, 0), YColorOp::Alphablend, kGround, YRect::Empty()},
        // a = ((128 + 1) * 255) >> 8 = 128; red (200 * 128 + 10 * 127) >> 8 = 104, green
        // (100 * 128 + 20 * 127) >> 8 = 59, blue (50 * 128 + 30 * 127) >> 8 = 39; alpha kept.
        {"alphablend half", all, {2, 2, 4, 4}, YColor::RGB(200, 100, 50, 128), YColorOp::Alphablend, YColor::RGB(104, 59, 39, 77), {2, 2, 4, 4}},
        {"outside the clip", {0, 0, 2, 2}, {3, 3, 6, 5}, YColor::RGB(255, 0, 0), YColorOp::Copy, kGround, YRect::Empty()},
        {"cut by the clip", {3, 3, 4, 4}, {0, 0, 7, 5}, YColor::RGB(255, 0, 0), YColorOp::Copy, YColor::RGB(255, 0, 0), {3, 3, 4, 4}},
        {"cut by the bitmap", all, {-5, -5, 3, 3}, YColor::RGB(255, 0, 0), YColorOp::Copy, YColor::RGB(255, 0, 0), {0, 0, 3, 3}},
        {"empty rectangle", all, {4, 4, 3, 3}, YColor::RGB(255, 0, 0), YColorOp::Copy, kGround, YRect::Empty()},
        {"operation None", all, all, YColor::RGB(255, 0, 0), YColorOp::None, kGround, YRect::Empty()},
        {"operation out of range", all, all, YColor::RGB(255, 0, 0), static_cast<YColorOp>(99), kGround, YRect::Empty()},
        {"operation negative", all, all, YColor::RGB(255, 0, 0), static_cast<YColorOp>(-1), kGround, YRect::Empty()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        YBitmap b(8, 6);
        b.Fill(kGround);
        YDrawerToYBitmap d(&b);
        d.SetClipRect(c.clip);
        d.FillRectangle(c.rect, c.colour, c.op);
        EXPECT_EQ(b.At(3, 3), c.inside);
        for (int32_t y = 0; y < 6; ++y)
            for (int32_t x = 0; x < 8; ++x)
                EXPECT_EQ(b.At(x, y) != kGround, c.changed.Contains({x, y})) << "pixel " << x << "," << y;
    }
}

TEST(YDrawerToYBitmapTest, PixelsOutsideTheClipReadOpaqueBlackAndIgnoreWrites) {
    YBitmap b(4, 4);
    b.Fill(YColor::RGB(9, 9, 9, 9));
    YDrawerToYBitmap d(&b);
    d.SetClipRect({1, 1, 2, 2});
    EXPECT_EQ(d.GetClipRect(), (YRect{1, 1, 2, 2}));
    EXPECT_EQ(d.GetPixel(1, 1), YColor::RGB(9, 9, 9, 9));
    for (YPoint p : {YPoint{0, 0}, YPoint{3, 1}, YPoint{-1, 2}, YPoint{2, 4}, YPoint{100000, -100000}}) {
        EXPECT_EQ(d.GetPixel(p.x, p.y), (YColor{0, 0, 0, 255})) << p.x << "," << p.y;
        d.SetPixel(p.x, p.y, YColor::RGB(1, 1, 1));
    }
    d.SetPixel(2, 2, YColor::RGB(1, 2, 3, 4));
    EXPECT_EQ(b.At(2, 2), YColor::RGB(1, 2, 3, 4));
    EXPECT_EQ(b.At(0, 0), YColor::RGB(9, 9, 9, 9));
    EXPECT_EQ(b.At(3, 1), YColor::RGB(9, 9, 9, 9));
    // The clip never reaches past the bitmap.
    d.SetClipRect({-10, -10, 100, 100});
    EXPECT_EQ(d.GetClipRect(), (YRect{0, 0, 3, 3}));
    EXPECT_EQ(d.IntersectClip({2, 2, 9, 9}), (YRect{0, 0, 3, 3}));
    EXPECT_EQ(d.GetClipRect(), (YRect{2, 2, 3, 3}));
}

TEST(YDrawerToYBitmapTest, WithoutATargetNothingIsDrawnOrRead) {
    YDrawerToYBitmap d;
    EXPECT_EQ(d.Width(), 0);
    d.FillRectangle({0, 0, 10, 10}, YColor::RGB(1, 1, 1), YColorOp::Copy);
    d.FillCircle(5, 5, 5, YColor::RGB(1, 1, 1), YColorOp::Copy);
    EXPECT_EQ(d.GetPixel(0, 0), (YColor{0, 0, 0, 255}));
    d.PrepareBitmap(6, 4);
    ASSERT_NE(d.Target(), nullptr);
    EXPECT_EQ(d.GetClipRect(), (YRect{0, 0, 5, 3}));
    d.SetPixel(5, 3, YColor::RGB(7, 7, 7));
    const YBaseBitmap* target = d.Target();
    d.PrepareBitmap(6, 4);
    EXPECT_EQ(d.Target(), target);
    EXPECT_EQ(d.GetPixel(5, 3), YColor::RGB(7, 7, 7)) << "the same size keeps the pixels";
}

// Every pixel of an outline blended once, corners included.
TEST(YDrawerToYBitmapTest, OutlinesTouchEachPixelOnce) {
    YBitmap b(7, 6);
    b.Fill(YColor::RGB(0, 0, 0));
    YDrawerToYBitmap d(&b);
    d.Rectangle({1, 1, 5, 4}, YColor::RGB(0, 0, 200, 128), YColorOp::Add);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 7; ++x) {
            const bool edge = (x == 1 || x == 5 || y == 1 || y == 4) && x >= 1 && x <= 5 && y >= 1 && y <= 4;
            EXPECT_EQ(b.At(x, y).b, edge ? 100 : 0) << x << "," << y;
        }
    // A dotted focus outline: every other pixel of the ring.
    b.Fill(YColor::RGB(0, 0, 0));
    d.FocusRect({0, 0, 6, 5}, YColor::RGB(255, 255, 255), YColorOp::Copy);
    EXPECT_EQ(b.At(0, 0), YColor::RGB(255, 255, 255));
    EXPECT_EQ(b.At(1, 0), YColor::RGB(0, 0, 0));
    EXPECT_EQ(b.At(2, 0), YColor::RGB(255, 255, 255));
    EXPECT_EQ(b.At(6, 5), YColor::RGB(0, 0, 0));
    EXPECT_EQ(b.At(3, 3), YColor::RGB(0, 0, 0));
}

TEST(YDrawerToYBitmapTest, LineToDrawsBothEndsAndMovesThePosition) {
    YBitmap b(10, 10);
    b.Fill(YColor::RGB(0, 0, 0));
    YDrawerToYBitmap d(&b);
    d.MoveTo(1, 1);
    d.LineTo(7, 4, YColor::RGB(255, 0, 0), YColorOp::Copy);
    EXPECT_EQ(d.CurrentPosition(), (YPointF{7, 4}));
    int32_t lit = 0;
    for (int32_t x = 0; x < 10; ++x) {
        int32_t inColumn = 0;
        for (int32_t y = 0; y < 10; ++y) inColumn += b.At(x, y).r == 255;
        EXPECT_EQ(inColumn, x >= 1 && x <= 7 ? 1 : 0) << "a shallow line has one pixel per column, x " << x;
        lit += inColumn;
    }
    EXPECT_EQ(lit, 7);
    EXPECT_EQ(b.At(1, 1).r, 255);
    EXPECT_EQ(b.At(7, 4).r, 255);
    // Clipped away entirely, the position still moves.
    d.SetClipRect({0, 0, 0, 0});
    d.LineTo(9, 9, YColor::RGB(0, 255, 0), YColorOp::Copy);
    EXPECT_EQ(b.At(9, 9).g, 0);
    EXPECT_EQ(d.CurrentPosition(), (YPointF{9, 9}));
}

TEST(YDrawerToYBitmapTest, GradientsRunFromTheFirstColourToTheLast) {
    YBitmap b(4, 5);
    YDrawerToYBitmap d(&b);
    d.FillRectangleGradient({0, 0, 3, 4}, YColor::RGB(0, 100, 200, 255), YColor::RGB(200, 100, 0, 55), false, YColorOp::Copy);
    EXPECT_EQ(b.At(0, 0), YColor::RGB(0, 100, 200, 255));
    EXPECT_EQ(b.At(3, 2), YColor::RGB(100, 100, 100, 155));
    EXPECT_EQ(b.At(2, 4), YColor::RGB(200, 100, 0, 55));
    d.FillRectangleGradient({0, 0, 3, 4}, YColor::RGB(0, 0, 0), YColor::RGB(255, 255, 255), true, YColorOp::Copy);
    EXPECT_EQ(b.At(0, 4), YColor::RGB(0, 0, 0));
    EXPECT_EQ(b.At(1, 0), YColor::RGB(85, 85, 85));
    EXPECT_EQ(b.At(3, 3), YColor::RGB(255, 255, 255));
    // Clipped, the colours still follow the whole rectangle.
    d.SetClipRect({0, 2, 3, 2});
    d.FillRectangleGradient({0, 0, 3, 4}, YColor::RGB(0, 0, 0), YColor::RGB(200, 0, 0), false, YColorOp::Copy);
    EXPECT_EQ(b.At(0, 2), YColor::RGB(100, 0, 0));
    EXPECT_EQ(b.At(0, 1), YColor::RGB(0, 0, 0));
}

// A source bitmap whose pixel (x, y) tells where it came from.
YBitmap Numbered(int32_t w, int32_t h) {
    YBitmap s(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) s.At(x, y) = YColor::RGB(static_cast<uint8_t>(x), static_cast<uint8_t>(y), 0);
    return s;
}

// The source pixel a destination pixel shows, or (-1, -1) where it kept the ground.
YPoint Origin(const YBitmap& b, int32_t x, int32_t y) {
    const YColor c = b.At(x, y);
    return c.b == 0 ? YPoint{c.r, c.g} : YPoint{-1, -1};
}

TEST(YDrawerToYBitmapTest, BitBltCutsTheSourceToBothBitmapsAndTheClip) {
    const YBitmap s = Numbered(6, 6);
    YBitmap b(8, 8);
    YDrawerToYBitmap d(&b);
    b.Fill(YColor::RGB(0, 0, 255));
    d.SetClipRect({0, 0, 6, 7});
    d.BitBlt(-2, 3, s, {1, 1, 9, 9}, YColorOp::Copy); // part past the source, placed past the left edge
    EXPECT_EQ(Origin(b, 0, 3), (YPoint{3, 1}));
    EXPECT_EQ(Origin(b, 2, 7), (YPoint{5, 5}));
    EXPECT_EQ(Origin(b, 3, 3), (YPoint{-1, -1})) << "source ends at column 5";
    EXPECT_EQ(Origin(b, 0, 2), (YPoint{-1, -1}));
    // Onto itself, overlapping, in every direction: the result is a plain copy of the
    // pixels as they were.
    for (YPoint shift : {YPoint{2, 1}, YPoint{-2, -1}, YPoint{1, 0}, YPoint{0, -2}}) {
        YBitmap self = Numbered(8, 8);
        YDrawerToYBitmap ds(&self);
        for (YColorOp op : {YColorOp::Copy, YColorOp::Alphablend}) {
            self = Numbered(8, 8);
            ds.BitBlt(2 + shift.x, 2 + shift.y, self, {2, 2, 5, 5}, op);
            for (int32_t y = 2; y <= 5; ++y)
                for (int32_t x = 2; x <= 5; ++x)
                    ASSERT_EQ(Origin(self, x + shift.x, y + shift.y), (YPoint{x, y})) << shift.x << "," << shift.y;
        }
    }
}

TEST(YDrawerToYBitmapTest, BitBltAlphablendUsesEachSourcePixelsAlpha) {
    YBitmap s(2, 1);
    s.At(0, 0) = YColor::RGB(255, 255, 255, 0);
    s.At(1, 0) = YColor::RGB(255, 255, 255, 128);
    YBitmap b(2, 1);
    b.Fill(YColor::RGB(0, 0, 0));
    YDrawerToYBitmap(&b).BitBlt(0, 0, s, s.Bounds(), YColorOp::Alphablend);
    EXPECT_EQ(b.At(0, 0), YColor::RGB(0, 0, 0));
    EXPECT_EQ(b.At(1, 0), YColor::RGB(127, 127, 127));
}

TEST(YDrawerToYBitmapTest, PatternsRepeatFromTheRectanglesCorner) {
    const YBitmap s = Numbered(3, 2);
    YBitmap b(10, 10);
    YDrawerToYBitmap d(&b);
    d.SetClipRect({3, 3, 9, 9});
    d.PatBlt({1, 1, 8, 8}, s, YColorOp::Copy);
    EXPECT_EQ(Origin(b, 3, 3), (YPoint{2, 0}));
    EXPECT_EQ(Origin(b, 4, 4), (YPoint{0, 1}));
    EXPECT_EQ(Origin(b, 8, 8), (YPoint{1, 1}));
    EXPECT_EQ(b.At(9, 9), (YColor{0, 0, 0, 0}));
    EXPECT_EQ(b.At(2, 2), (YColor{0, 0, 0, 0}));
}

TEST(YDrawerToYBitmapTest, StretchesKeepTheirBordersAndScaleTheMiddle) {
    const YBitmap s = Numbered(6, 4);
    YBitmap b(16, 8);
    YDrawerToYBitmap d(&b);
    d.StretchBltH({1, 1, 14, 6}, s, s.Bounds(), 2, YColorOp::Copy);
    EXPECT_EQ(Origin(b, 1, 1), (YPoint{0, 0}));
    EXPECT_EQ(Origin(b, 2, 1), (YPoint{1, 0}));
    EXPECT_EQ(Origin(b, 3, 1), (YPoint{2, 0}));
    EXPECT_EQ(Origin(b, 12, 2), (YPoint{3, 1}));
    EXPECT_EQ(Origin(b, 13, 4), (YPoint{4, 3}));
    EXPECT_EQ(Origin(b, 14, 4), (YPoint{5, 3}));
    EXPECT_EQ(b.At(5, 5), (YColor{0, 0, 0, 0})) << "rows copied 1:1: the source's four";
    // The middle columns 2 and 3 spread evenly over the middle ten.
    int32_t fromColumn2 = 0;
    for (int32_t x = 3; x <= 12; ++x) fromColumn2 += Origin(b, x, 1).x == 2;
    EXPECT_EQ(fromColumn2, 5);

    YBitmap v(8, 16);
    YDrawerToYBitmap dv(&v);
    dv.StretchBltV({0, 0, 7, 15}, s, s.Bounds(), 1, YColorOp::Copy);
    EXPECT_EQ(Origin(v, 0, 0), (YPoint{0, 0}));
    EXPECT_EQ(Origin(v, 5, 15), (YPoint{5, 3}));
    EXPECT_EQ(Origin(v, 5, 8), (YPoint{5, 2}));
    EXPECT_EQ(v.At(6, 8), (YColor{0, 0, 0, 0}));
}

TEST(YDrawerToYBitmapTest, FitBltScalesDownKeepingTheAspectAndCentres) {
    const YBitmap s = Numbered(40, 20);
    YBitmap b(20, 20);
    b.Fill(YColor::RGB(0, 0, 255));
    YDrawerToYBitmap d(&b);
    d.FitBlt({0, 0, 19, 19}, s, YColorOp::Copy);
    // 40 x 20 into 20 x 20: 20 x 10, rows 5 to 14.
    EXPECT_EQ(Origin(b, 0, 4), (YPoint{-1, -1}));
    EXPECT_EQ(Origin(b, 0, 5), (YPoint{1, 1}));
    EXPECT_EQ(Origin(b, 19, 14), (YPoint{39, 19}));
    EXPECT_EQ(Origin(b, 19, 15), (YPoint{-1, -1}));
    // Smaller than the target: 1:1, centred.
    const YBitmap small = Numbered(4, 2);
    b.Fill(YColor::RGB(0, 0, 255));
    d.FitBlt({0, 0, 19, 19}, small, YColorOp::Copy);
    EXPECT_EQ(Origin(b, 8, 9), (YPoint{0, 0}));
    EXPECT_EQ(Origin(b, 11, 10), (YPoint{3, 1}));
    EXPECT_EQ(Origin(b, 12, 10), (YPoint{-1, -1}));
}

TEST(YDrawerToYBitmapTest, BitmapFillModes) {
    const YBitmap s = Numbered(4, 3);
    struct Case {
        YBitmapFill fill;
        YPoint at, expected;
    } cases[] = {
        {YBitmapFill::Stretch, {2, 2}, {0, 0}},   {YBitmapFill::Stretch, {9, 7}, {3, 2}},
        {YBitmapFill::HPattern, {6, 2}, {0, 0}},  {YBitmapFill::HPattern, {9, 7}, {3, 2}},
        {YBitmapFill::VPattern, {9, 5}, {3, 0}},  {YBitmapFill::VPattern, {2, 7}, {0, 2}},
        {YBitmapFill::Pattern, {6, 5}, {0, 0}},   {YBitmapFill::Pattern, {9, 7}, {3, 2}},
        {YBitmapFill::None, {5, 4}, {3, 2}},      {YBitmapFill::None, {6, 4}, {-1, -1}},
    };
    for (const Case& c : cases) {
        YBitmap b(12, 10);
        b.Fill(YColor::RGB(0, 0, 255));
        YDrawerToYBitmap d(&b);
        d.FillWithBitmap({2, 2, 9, 7}, s, c.fill, YColorOp::Copy);
        EXPECT_EQ(Origin(b, c.at.x, c.at.y), c.expected) << YBitmapFillName(c.fill).ToUTF8() << " at " << c.at.x << "," << c.at.y;
        EXPECT_EQ(Origin(b, 10, 8), (YPoint{-1, -1})) << "nothing outside the rectangle";
        EXPECT_EQ(d.GetClipRect(), b.Bounds()) << "the clip is restored";
    }
}

TEST(YDrawerToYBitmapTest, AlphaMaskScalesTheColoursAlphaByCoverage) {
    YAlphaMask m(3, 1);
    m.At(0, 0) = 0;
    m.At(1, 0) = 127;
    m.At(2, 0) = 255;
    YBitmap b(4, 2);
    b.Fill(YColor::RGB(0, 0, 0));
    YDrawerToYBitmap d(&b);
    d.AlphaMask(1, 1, m, m.Bounds(), YColor::RGB(255, 255, 255), YColorOp::Alphablend);
    EXPECT_EQ(b.At(1, 1), YColor::RGB(0, 0, 0));
    EXPECT_EQ(b.At(2, 1), YColor::RGB(126, 126, 126));
    EXPECT_EQ(b.At(3, 1), YColor::RGB(255, 255, 255));
    EXPECT_EQ(b.At(3, 0), YColor::RGB(0, 0, 0));
}

} // namespace
