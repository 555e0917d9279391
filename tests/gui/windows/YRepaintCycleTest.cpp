// The repaint cycle through the headless window system: invalidation, merging, the paint
// into the window's bitmap and the bitmap's life across size changes.
#include "Swatch.h"

#include "gui/toolkit/YWindow.h"
#include "gui/toolkit/YWindowDescriptor.h"
#include "gui/windows/YWindowSystemHeadless.h"

#include <gtest/gtest.h>

namespace {

const YColor kRed = YColor::RGB(200, 0, 0);
const YColor kGreen = YColor::RGB(0, 180, 0);
const YColor kBlue = YColor::RGB(0, 0, 220);
const YColor kGrey = YColor::RGB(90, 90, 90);
const YColor kWhite = YColor::RGB(255, 255, 255);

// A 100 x 80 window: grey background, a red swatch at (10,10) 30 x 20, a green one at
// (60,40) 30 x 30.
struct Shown {
    YWindowSystemHeadless system;
    YWindow root{&system, "root"};
    Swatch* background;
    Swatch* red;
    Swatch* green;

    Shown() {
        root.SetSize(100, 80);
        background = new Swatch(&root, YRect::FromSize(0, 0, 100, 80), kGrey);
        red = new Swatch(&root, YRect::FromSize(10, 10, 30, 20), kRed);
        green = new Swatch(&root, YRect::FromSize(60, 40, 30, 30), kGreen);
        system.CreateNativeWindow(root, 0);
        system.Show(root);
        system.Pump();
        background->clips.clear();
        red->clips.clear();
        green->clips.clear();
    }
    YColor Pixel(int32_t x, int32_t y) const { return system.Bitmap(root)->At(x, y); }
    int32_t Paints() const { return system.PaintCount(root); }
};

TEST(RepaintCycle, ShowingPaintsTheWholeTreeIntoANewBitmap) {
    Shown s;
    const YBaseBitmap* bitmap = s.system.Bitmap(s.root);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Width(), 100);
    EXPECT_EQ(bitmap->Height(), 80);
    EXPECT_EQ(s.root.BitmapsCreated(), 1);
    EXPECT_EQ(s.Paints(), 1);
    EXPECT_EQ(s.Pixel(0, 0), kGrey);
    EXPECT_EQ(s.Pixel(10, 10), kRed);
    EXPECT_EQ(s.Pixel(39, 29), kRed);
    EXPECT_EQ(s.Pixel(40, 29), kGrey);
    EXPECT_EQ(s.Pixel(89, 69), kGreen);
    EXPECT_EQ(s.Pixel(99, 79), kGrey);
}

TEST(RepaintCycle, AnEmptyOrOutsideRectangleCausesNoPaint) {
    const YRect rects[] = {
        {10, 10, 9, 20},                  // right less than left
        {10, 10, 20, 9},                  // bottom less than top
        YRect::Empty(),
        YRect::FromSize(100, 0, 10, 10),  // beside the window
        YRect::FromSize(-20, -20, 10, 10),
    };
    for (const YRect& rect : rects) {
        SCOPED_TRACE(testing::Message() << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom);
        Shown s;
        s.root.Invalidate(rect);
        s.red->Invalidate(rect);
        s.system.Pump();
        EXPECT_EQ(s.Paints(), 1);
        EXPECT_EQ(s.root.PaintPasses(), 1);
        EXPECT_TRUE(s.red->clips.empty());
    }
    // The invalidator's own rectangle stays empty through an empty request.
    Shown s;
    s.root.Invalidator().Invalidate({5, 5, 4, 4});
    EXPECT_TRUE(s.root.Invalidator().Dirty().IsEmpty());
    EXPECT_FALSE(s.root.Invalidator().Process());
}

TEST(RepaintCycle, ChangesBetweenPassesMergeIntoOnePaintOfTheirUnion) {
    Shown s;
    // A marker outside both swatches shows what the paint leaves alone.
    s.root.Descriptor()->SetPixel(95, 5, kWhite);
    s.red->SetColour(kBlue);
    s.green->SetColour(kWhite);
    EXPECT_EQ(s.root.Invalidator().Dirty(), (YRect{10, 10, 89, 69}));
    s.system.Pump();
    EXPECT_EQ(s.Paints(), 2);
    EXPECT_EQ(s.system.LastPainted(s.root), (YRect{10, 10, 89, 69}));
    EXPECT_EQ(s.Pixel(10, 10), kBlue);
    EXPECT_EQ(s.Pixel(89, 69), kWhite);
    EXPECT_EQ(s.Pixel(95, 5), kWhite);     // outside the union: not repainted
    EXPECT_EQ(s.Pixel(50, 35), kGrey);     // inside the union, between them: repainted
    // Each control painted once, clipped to its part of the union.
    ASSERT_EQ(s.red->clips.size(), 1u);
    EXPECT_EQ(s.red->clips[0], (YRect{10, 10, 39, 29}));
    ASSERT_EQ(s.background->clips.size(), 1u);
    EXPECT_EQ(s.background->clips[0], (YRect{10, 10, 89, 69}));
    // Nothing new: the next pass paints nothing.
    s.system.Pump();
    EXPECT_EQ(s.Paints(), 2);
}

TEST(RepaintCycle, TheBitmapIsRecreatedOnlyWhenTheSizeChanges) {
    struct Row {
        const char* name;
        YSize size;
        int32_t bitmaps;
    };
    const Row rows[] = {
        {"same size", {100, 80}, 1},
        {"wider", {120, 80}, 2},
        {"lower", {100, 60}, 2},
        {"both", {40, 30}, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Shown s;
        const YBaseBitmap* before = s.system.Bitmap(s.root);
        s.root.Descriptor()->SetPixel(95, 5, kWhite);
        s.system.Resize(s.root, row.size);
        s.system.Pump();
        EXPECT_EQ(s.root.BitmapsCreated(), row.bitmaps);
        const YBaseBitmap* after = s.system.Bitmap(s.root);
        ASSERT_NE(after, nullptr);
        EXPECT_EQ(after->Width(), row.size.x);
        EXPECT_EQ(after->Height(), row.size.y);
        if (row.bitmaps == 1) {
            EXPECT_EQ(after, before);
            EXPECT_TRUE(s.red->clips.empty()); // nothing of the tree changed: nothing painted
        } else {
            // A new bitmap: everything is painted again, whatever the invalid part was.
            EXPECT_EQ(s.red->clips.size(), 1u);
            EXPECT_EQ(s.background->clips.size(), 1u);
            EXPECT_EQ(s.system.LastPainted(s.root), YRect::FromSize(0, 0, row.size.x, row.size.y));
            EXPECT_EQ(s.Pixel(10, 10), kRed);
        }
    }
}

TEST(RepaintCycle, ACollapsedWindowPaintsAtItsCollapsedSize) {
    Shown s;
    s.root.SetCollapsedSize({100, 12});
    s.root.SetCollapsed(true);
    s.system.Pump();
    EXPECT_EQ(s.system.Bitmap(s.root)->Height(), 12);
    EXPECT_EQ(s.root.BitmapsCreated(), 2);
}

TEST(RepaintCycle, ChildrenArePaintedOnlyInsideTheirParent) {
    Shown s;
    auto* child = new Swatch(s.red, YRect::FromSize(20, 10, 40, 40), kBlue); // sticks out of red
    s.system.Pump();
    ASSERT_EQ(child->clips.size(), 1u);
    EXPECT_EQ(child->clips[0], (YRect{30, 20, 39, 29}));
    EXPECT_EQ(s.Pixel(39, 29), kBlue);
    EXPECT_EQ(s.Pixel(40, 29), kGrey);
    // A hidden control paints nothing and its place is painted again without it.
    child->clips.clear();
    s.red->SetVisible(false);
    s.system.Pump();
    EXPECT_TRUE(child->clips.empty());
    EXPECT_EQ(s.Pixel(12, 12), kGrey);
}

TEST(RepaintCycle, UpdateNowPaintsWithoutWaitingForTheLoop) {
    Shown s;
    s.red->SetColour(kBlue);
    s.root.Invalidator().Process(); // the invalidator thread's pass
    EXPECT_FALSE(s.system.PendingPaint(s.root).IsEmpty());
    s.system.UpdateNow(s.root);
    EXPECT_EQ(s.Pixel(10, 10), kBlue);
    EXPECT_TRUE(s.system.PendingPaint(s.root).IsEmpty());
}

} // namespace
