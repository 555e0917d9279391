// Painting rich text through the drawer: colours from the style, icons in the text's colour,
// the inverted title band, cutting to the given rectangle; and a rendered help text written
// as a snapshot for a person to look at.
#include "StmlTestStyle.h"
#include "gui/windows/PngSnapshot.h"

#include "gui/drawing/YDrawerToYBitmap.h"
#include "gui/stml/YSTML.h"
#include "gui/style/YBaseStyle.h"
#include "gui/toolkit/YControlHelp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#ifndef VORNIK_SNAPSHOT_DIR
#define VORNIK_SNAPSHOT_DIR "snapshots"
#endif

namespace {

const YColor kPaper = YColor::RGB(255, 255, 255);

class YSTMLPaintTest : public ::testing::Test {
protected:
    void Prepare(int32_t width, int32_t height) {
        drawer.PrepareBitmap(width, height);
        drawer.FillRectangle(YRect::FromSize(0, 0, width, height), kPaper, YColorOp::Copy);
    }
    // How many pixels of the rectangle differ from the paper.
    int32_t Inked(const YRect& rect) const {
        int32_t count = 0;
        for (int32_t y = rect.top; y <= rect.bottom; ++y)
            for (int32_t x = rect.left; x <= rect.right; ++x) count += !(drawer.GetPixel(x, y) == kPaper);
        return count;
    }
    int32_t Count(YColor colour) const {
        return CountIf([&](YColor c) { return c == colour; });
    }
    template <class Predicate> int32_t CountIf(Predicate predicate, YRect area = YRect{0, 0, 1 << 20, 1 << 20}) const {
        area = area.Intersect(YRect::FromSize(0, 0, drawer.Width(), drawer.Height()));
        int32_t count = 0;
        for (int32_t y = area.top; y <= area.bottom; ++y)
            for (int32_t x = area.left; x <= area.right; ++x) count += predicate(drawer.GetPixel(x, y));
        return count;
    }

    StmlTestStyle style;
    YDrawerToYBitmap drawer;
};

TEST_F(YSTMLPaintTest, IconInAControlNameTakesTheNameColour) {
    YSTML text(YSTML::HelpTagsets() + "<name><img icon=left> button</name> loads previous preset.");
    Prepare(300, 40);
    text.Paint(drawer, style, YRect::FromSize(10, 5, 280, 30));
    const YSTMLFragment& icon = static_cast<const YSTMLParagraph&>(*text.Child(0)).Fragments()[0];
    const YColor red = StmlTestStyle::StdColor(static_cast<int32_t>(YStdColor::kRed));
    EXPECT_EQ(drawer.GetPixel(10 + icon.x + icon.width / 2, 5 + icon.y + icon.height / 2), red);
    EXPECT_EQ(style.iconsDrawn, 1);
    // The name's text is red too (anti-aliased: reddish pixels besides the icon's), the rest
    // dark grey.
    const YSTMLFragment& word = static_cast<const YSTMLParagraph&>(*text.Child(0)).Fragments()[1];
    const auto reddish = [](YColor c) { return c.r > c.g + 60 && c.r > c.b + 60; };
    const auto grey = [](YColor c) { return c.r < 160 && c.r == c.g && c.g == c.b; };
    EXPECT_GT(CountIf(reddish), icon.width * icon.height + 20);
    const YRect name = YRect::FromSize(10 + word.x, 0, word.width, 40);
    const YRect after = YRect::FromSize(10 + word.x + word.width + 8, 0, 100, 40);
    EXPECT_EQ(CountIf(grey, name), 0);
    EXPECT_EQ(CountIf(reddish, after), 0);
    EXPECT_GT(CountIf(grey, after), 20);
}

TEST_F(YSTMLPaintTest, InvertedTitleIsABandOfTheHighlightWithLightText) {
    YSTML title("<center invert=1 singleline=1><l2>Knob</l2></center>");
    Prepare(200, 60);
    title.Paint(drawer, style, YRect::FromSize(0, 0, 200, 60));
    const int32_t height = title.Height();
    const YColor highlight = StmlTestStyle::StdColor(static_cast<int32_t>(YStdColor::kHighlight));
    EXPECT_EQ(drawer.GetPixel(1, 1), highlight);
    EXPECT_EQ(drawer.GetPixel(198, height - 1), highlight);
    EXPECT_EQ(drawer.GetPixel(100, height), kPaper);
    EXPECT_EQ(Count(StmlTestStyle::StdColor(static_cast<int32_t>(YStdColor::kLight))) > 10, true);
}

TEST_F(YSTMLPaintTest, PaintsOnlyInsideItsRectangle) {
    YSTML text(YSTML::HelpTagsets() + YControlHelp::Hint() + YString("<hline><tr><td fillalpha=255>cell</td></tr>"));
    Prepare(200, 200);
    const YRect inside = YRect::FromSize(20, 30, 120, 50);
    text.Paint(drawer, style, inside);
    EXPECT_GT(Inked(inside), 100);
    EXPECT_EQ(Inked(YRect{0, 0, 199, 29}), 0);
    EXPECT_EQ(Inked(YRect{0, 80, 199, 199}), 0);
    EXPECT_EQ(Inked(YRect{0, 0, 19, 199}), 0);
    EXPECT_EQ(Inked(YRect{140, 0, 199, 199}), 0);
    // The clip rectangle is given back as it was.
    EXPECT_EQ(drawer.GetClipRect(), (YRect{0, 0, 199, 199}));
}

// Asking for the natural width between a layout and a paint leaves the painting as it was.
TEST_F(YSTMLPaintTest, MeasuringDoesNotDisturbTheNextPaint) {
    YSTML text("<indicator width=50% height=8 value=100 color=00FF00FF>");
    const YRect area = YRect::FromSize(0, 0, 100, 20);
    Prepare(100, 20);
    text.Paint(drawer, style, area);
    const int32_t before = Count(YColor::RGB(0, 255, 0));
    EXPECT_EQ(before, 48 * 6);
    EXPECT_GT(text.NaturalWidth(style), 0);
    Prepare(100, 20);
    text.Paint(drawer, style, area);
    EXPECT_EQ(Count(YColor::RGB(0, 255, 0)), before);
}

TEST_F(YSTMLPaintTest, IndicatorFillsFromItsMiddleToTheValue) {
    YSTML text("<indicator width=102 height=10 min=-50 max=50 middle=0 value=25 color=00FF00FF bordercolor=000000FF>");
    Prepare(120, 20);
    text.Paint(drawer, style, YRect::FromSize(0, 0, 120, 20));
    const YColor green = YColor::RGB(0, 255, 0);
    // Inside the one-pixel border the bar is 100 pixels: it runs from 50 to 75.
    EXPECT_EQ(Count(green), 25 * 8);
    EXPECT_EQ(drawer.GetPixel(1 + 50, 5), green);
    EXPECT_EQ(drawer.GetPixel(1 + 74, 5), green);
    EXPECT_EQ(drawer.GetPixel(1 + 75, 5), kPaper);
    EXPECT_EQ(drawer.GetPixel(0, 5), YColor::RGB(0, 0, 0));
}

TEST_F(YSTMLPaintTest, HugeTextPaintsItsVisibleLinesOnly) {
    std::string words;
    while (words.size() < (1u << 20)) words += "lorem ipsum dolor sit amet, ";
    YSTML text(YString::FromUTF8(words));
    Prepare(300, 100);
    text.Paint(drawer, style, YRect::FromSize(0, 0, 300, 100));
    EXPECT_GT(Inked(YRect{0, 0, 299, 99}), 500);
}

// The F1 help of a knob as the help window shows it, with a message row under it: with the
// plain test style and with the two shipped styles on their window background.
TEST_F(YSTMLPaintTest, HelpTextSnapshots) {
    const YString help =
        YSTML::HelpTagsets() +
        YString("<center invert=1 singleline=1><l2>Knob</l2></center><justify><s/></justify>"
                "<name>Presets button</name> displays a window where you can load and manage available presets. "
                "Hold <control>Ctrl</control> to load a random preset instead. "
                "<name><img icon=left> button</name> loads previous preset."
                "<p><b>General control usage</b>"
                "<li><control>Click/drag using left mouse button</control> to change the value.</li>"
                "<li><control>Right mouse button</control> selects default value.</li>"
                "<li><control>Home key</control> configures minimal possible value, conversely <control>end "
                "key</control> setups a maximal one.</li>"
                "<hline hspace=8>"
                "<tr padding=0 cellspaces=0><td valign=center width=MaxStdIconSizeX fillalpha=50 padding=3>"
                "<img bitmap=notice align=center valign=center></td><td valign=center>Depth "
                "<indicator value=70 default=50> <rectangle color=red> <i>italic</i> <cblue>blue</cblue></td></tr>");
    YBaseStyle light(YBaseStyle::Theme::kLight), dark(YBaseStyle::Theme::kDark);
    const struct {
        YStyle* style;
        bool background;
        const char* file;
    } renders[] = {{&style, false, "stml-help-test.png"}, {&light, true, "stml-help-light.png"},
                   {&dark, true, "stml-help-dark.png"}};
    std::filesystem::create_directories(VORNIK_SNAPSHOT_DIR);
    for (const auto& render : renders) {
        YSTML text(help);
        const int32_t width = 360;
        const int32_t height = text.Layout(*render.style, width - 16) + 16;
        Prepare(width, height);
        if (render.background)
            render.style->DrawControl(drawer, YControlType::kWindow, YControlState::kNormal,
                                      YRect::FromSize(0, 0, width, height));
        const YColor background = drawer.GetPixel(4, 4);
        text.Paint(drawer, *render.style, YRect::FromSize(8, 8, width - 16, height - 16));
        EXPECT_GT(CountIf([&](YColor c) { return !(c == background); }, YRect::FromSize(8, 8, width - 16, height - 16)),
                  2000)
            << render.file;
        const std::string path = std::string(VORNIK_SNAPSHOT_DIR) + "/" + render.file;
        ASSERT_TRUE(snapshot::WritePng(*drawer.Target(), path)) << path;
    }
}

} // namespace
