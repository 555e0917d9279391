// The code-drawn style: metrics by identifier at both scales, colour lookup with the state
// alphas, plastic sizes, the caption event hook, a window's own style, and that the painting
// follows the main colours and nothing else.
#include "StyleSheet.h"
#include "gui/drawing/YDrawerToYBitmap.h"
#include "gui/drawing/YFont.h"
#include "gui/style/YBaseStyle.h"
#include "gui/style/YStyleColors.h"
#include "gui/toolkit/YContainer.h"
#include "gui/toolkit/YWindow.h"

#include "support/RaisedMessage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

bool SamePixels(const YBitmap& a, const YBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int32_t y = 0; y < a.Height(); ++y) {
        if (std::memcmp(a.Row(y), b.Row(y), sizeof(YColor) * static_cast<size_t>(a.Width())) != 0) return false;
    }
    return true;
}

TEST(BaseStyle, MetricsByIdentifierFollowTheScaleOnTheirAxis) {
    struct Row {
        const char* name;
        int32_t at100;
        int32_t at200x150; // ResizeX 2, ResizeY 1.5
    };
    const Row rows[] = {
        {"deflayoutspace", 6, 12},          {"yspaceinycontent", 4, 6},      {"defaultlistboxitemheight", 22, 33},
        {"alphaenabled", 255, 255},         {"alphadisabled", 115, 115},     {"checkboxiconsize", 16, 24},
        {"maxstdiconsizex", 16, 32},        {"maxstdiconsizey", 16, 24},     {"hsplittersize", 6, 12},
        {"windowbordersizey", 1, 2},        {"tabsetoverlapsize", 0, 0},
    };
    YBaseStyle style;
    YBaseStyle scaled(YBaseStyle::Theme::kDark);
    scaled.SetResize(2.0f, 1.5f);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const YString name = YString::FromUTF8(row.name);
        EXPECT_EQ(style.Metric(name), row.at100);
        EXPECT_EQ(scaled.Metric(name), row.at200x150);
        EXPECT_EQ(style.Metric(YEnumParse(YEnumNamesOf<YStyleMetric>(), name)), row.at100);
    }
    // Identifier 0 is the layouts' spacing; identifiers outside the list read 0.
    EXPECT_EQ(style.Metric(0), 6);
    EXPECT_EQ(style.Metric(kStyleMetricCount), 0);
    EXPECT_EQ(style.Metric(-1), 0);
    EXPECT_EQ(RaisedMessage([&] { style.Metric(YString("spacing")); }),
              "Invalid style metric identifier to parse (spacing).");
    // An absurd scale is held to the supported range.
    scaled.SetResize(1000.0f, -3.0f);
    EXPECT_EQ(scaled.Resize().x, 4.0f);
    EXPECT_EQ(scaled.Resize().y, 0.5f);
}

TEST(BaseStyle, ColourLookupScalesAlphaByStateMetricAndFactor) {
    YBaseStyle style;
    const YColor text = style.Color(static_cast<int32_t>(YStdColor::kText));
    EXPECT_EQ(text.a, 255);
    const YColor disabled = style.Color(static_cast<int32_t>(YStdColor::kText), false);
    EXPECT_EQ(disabled.a, 115);
    EXPECT_EQ(disabled.WithAlpha(255), text);
    EXPECT_EQ(style.Color(static_cast<int32_t>(YStdColor::kText), true, 0.5f).a, 128);
    EXPECT_EQ(style.Color(static_cast<int32_t>(YStdColor::kText), false, 0.5f, 0.5f).a, 58);
    // Highlight is the fourth main colour, its own alpha kept.
    EXPECT_EQ(style.Color(YStdColor::kHighlight), YStyleColorParse("1277E3A6"));
    style.SetMainColor(3, YStyleColorParse("10203040"));
    EXPECT_EQ(style.Color(YStdColor::kHighlight), YStyleColorParse("10203040"));
    // An index outside the enumeration reads as text; a main colour index outside 0..3 is
    // ignored.
    EXPECT_EQ(style.Color(99), text);
    style.SetMainColor(4, YColor::RGB(1, 2, 3));
    EXPECT_EQ(style.MainColor(4), YColor{});
}

TEST(BaseStyle, PaintingIsRepeatableAndFollowsEachMainColour) {
    YBaseStyle style;
    const YBitmap first = RenderStyleSheet(style);
    const YBitmap again = RenderStyleSheet(style);
    EXPECT_TRUE(SamePixels(first, again));
    for (int32_t i = 0; i < YStyle::kMainColorCount; ++i) {
        SCOPED_TRACE(i);
        YBaseStyle changed;
        changed.SetMainColor(i, YStyleColorParse("20B040FF"));
        EXPECT_FALSE(SamePixels(first, RenderStyleSheet(changed)));
        changed.SetMainColor(i, YBaseStyle::kDefaultMainColors[static_cast<size_t>(i)]);
        EXPECT_TRUE(SamePixels(first, RenderStyleSheet(changed)));
    }
    YBaseStyle dark(YBaseStyle::Theme::kDark);
    EXPECT_FALSE(SamePixels(first, RenderStyleSheet(dark)));
}

TEST(BaseStyle, ButtonStatesPaintDifferentFaces) {
    // The colour at a button's centre-left (inside the face, clear of the text) per state:
    // every state must be told apart from normal.
    YBaseStyle style;
    const uint32_t states[] = {YControlState::kHighlighted, YControlState::kClicked, YControlState::kSelected,
                               YControlState::kDisabled};
    auto face = [&](uint32_t state) {
        YBitmap bitmap(60, 24);
        bitmap.Fill(YColor::RGB(0, 0, 0));
        YDrawerToYBitmap d(&bitmap);
        style.DrawControl(d, YControlType::kButton, state, bitmap.Bounds());
        return bitmap.At(6, 11);
    };
    const YColor normal = face(YControlState::kNormal);
    EXPECT_EQ(normal, style.Colors().face);
    for (uint32_t state : states) EXPECT_NE(face(state), normal) << state;
    // Focus paints a ring on the edge and leaves the face alone.
    YBitmap bitmap(60, 24);
    YDrawerToYBitmap d(&bitmap);
    style.DrawControl(d, YControlType::kButton, YControlState::kFocused, bitmap.Bounds());
    EXPECT_EQ(bitmap.At(6, 11), normal);
    EXPECT_NE(bitmap.At(0, 11), normal);
}

TEST(BaseStyle, PlasticTextGrowsTallerAsItNarrowsAndWidthInvertsHeight) {
    YBaseStyle style;
    YWindow root(nullptr);
    YControl* label = new YControl(&root);
    label->SetType(YControlType::kStatic);
    label->SetCaption("The delay line is modulated by the LFO at the rate set here, in hertz or beats");
    const int32_t line = style.Font(YStdFont::kNormal)->LineHeight();
    const int32_t wide = style.PlasticHeight(*label, 2000);
    const int32_t narrow = style.PlasticHeight(*label, 120);
    EXPECT_EQ(wide, line);
    EXPECT_GT(narrow, 3 * line);
    // The narrowest width that fits a height really fits it, and one pixel less does not.
    const int32_t width = style.PlasticWidth(*label, 2 * line);
    EXPECT_LE(style.PlasticHeight(*label, width), 2 * line);
    EXPECT_GT(style.PlasticHeight(*label, width - 1), 2 * line);
    // Without text the minimal size's shape is kept.
    YControl* picture = new YControl(&root);
    picture->SetMinimalClientSize({40, 10});
    EXPECT_EQ(style.PlasticHeight(*picture, 200), 50);
    EXPECT_EQ(style.PlasticWidth(*picture, 30), 120);
}

TEST(BaseStyle, TheWindowsStyleHookCollapsesACaptionedControlFromItsCaptionBar) {
    YBaseStyle processStyle;
    YBaseStyle own(YBaseStyle::Theme::kDark);
    YStyle* previous = YStyle::Install(&processStyle);
    {
        YWindow root(nullptr);
        root.SetSize(300, 300);
        auto* group = new YContainer(&root, "group");
        group->SetPosition(10, 10);
        group->SetSize(200, 200);
        group->SetCaption("Modulation");
        group->SetFlag(YControlFlag::kCollapsable, true);
        EXPECT_EQ(YStyleOf(*group), &processStyle);
        root.SetStyle(&own);
        EXPECT_EQ(YStyleOf(*group), &own);

        struct Row {
            const char* name;
            YPoint point;
            bool collapses;
        };
        const Row rows[] = {
            {"on the caption bar", {100, 15}, true},
            {"below the caption bar", {100, 10 + own.CaptionHeight(YCaptionType::kNormal) + 5}, false},
            {"outside the control", {250, 15}, false},
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            const bool before = group->HasFlag(YControlFlag::kCollapsed);
            root.Dispatch(YSystemEvent::Mouse(YEventCode::kLeftDown, row.point, 0));
            root.Dispatch(YSystemEvent::Mouse(YEventCode::kLeftUp, row.point, 0));
            EXPECT_EQ(group->HasFlag(YControlFlag::kCollapsed), before != row.collapses);
        }
        // Without the collapsable flag the caption is only a caption.
        group->SetFlag(YControlFlag::kCollapsable, false);
        const bool before = group->HasFlag(YControlFlag::kCollapsed);
        root.Dispatch(YSystemEvent::Mouse(YEventCode::kLeftDown, {100, 15}, 0));
        EXPECT_EQ(group->HasFlag(YControlFlag::kCollapsed), before);
    }
    YStyle::Install(previous);
}

TEST(BaseStyle, ADestroyedStyleIsNoLongerTheDefault) {
    YStyle* previous = YStyle::Install(nullptr);
    {
        YBaseStyle temporary;
        YStyle::Install(&temporary);
        EXPECT_EQ(YStyle::Default(), &temporary);
    }
    EXPECT_EQ(YStyle::Default(), nullptr);
    YStyle::Install(previous);
}

TEST(BaseStyle, ApplyGrowsTheMinimalSizeToFrameAndCaption) {
    YBaseStyle style;
    YWindow root(nullptr);
    auto* button = new YControl(&root);
    button->SetType(YControlType::kButton);
    button->SetCaption("Bypass");
    style.Apply(*button);
    const YSize text = style.TextExtent(YStdFont::kNormal, "Bypass");
    EXPECT_EQ(button->MinimalClientSize().x, text.x + 20);
    EXPECT_EQ(button->MinimalClientSize().y, 24);
    // A larger size the control chose stays.
    button->SetMinimalClientSize({300, 40});
    style.Apply(*button);
    EXPECT_EQ(button->MinimalClientSize(), (YSize{300, 40}));
}

} // namespace
