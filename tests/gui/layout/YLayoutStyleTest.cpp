// What the layouts take from the style: the spacing between controls and the extents of
// plastic controls.
#include "gui/style/YBaseStyle.h"
#include "gui/toolkit/layouts/YLayoutLinear.h"
#include "gui/toolkit/layouts/YLayoutSide.h"

#include "gui/layout/LayoutTestSupport.h"

#include <gtest/gtest.h>

namespace {

class LayoutWithStyle : public ::testing::Test {
protected:
    void SetUp() override { m_saved = YStyle::Install(&style); }
    void TearDown() override { YStyle::Install(m_saved); }
    YBaseStyle style;

private:
    YStyle* m_saved = nullptr;
};

TEST_F(LayoutWithStyle, TheGapIsTheStylesSpacingPlusTheLayouts) {
    const int32_t space = style.Metric(YStyleMetric::kDefLayoutSpace);
    ASSERT_GT(space, 0);
    YContainer owner(nullptr);
    auto* row = new YLayoutHorizontal(owner);
    row->spacing = 3;
    YControl* a = MakeChild(owner, {.width = 10});
    YControl* b = MakeChild(owner, {.width = 10});
    row->AddControl(*a);
    row->AddControl(*b);
    row->Arrange({0, 0, 99, 9});
    EXPECT_EQ(b->Position().x, 10 + space + 3);
    EXPECT_EQ(owner.ComputeCurrentSize().x, 20 + space + 3);
}

TEST_F(LayoutWithStyle, PlasticTextGrowsTallerAsItsColumnNarrows) {
    const char* text = "A plastic caption wraps its words onto as many lines as the width it gets needs.";
    int32_t previous = 0;
    for (const int32_t width : {600, 200, 80}) {
        SCOPED_TRACE(width);
        YContainer owner(nullptr);
        auto* column = new YLayoutVertical(owner);
        YControl* label = MakeChild(owner, {.plastic = true});
        label->SetType(YControlType::kStatic);
        label->SetCaption(YString::FromUTF8(text));
        YControl* below = MakeChild(owner, {.width = 10, .height = 10});
        column->AddControl(*label);
        column->AddControl(*below);
        column->Arrange({0, 0, width - 1, 999});
        EXPECT_EQ(label->Size().x, width) << "a plastic control fills its slot across";
        EXPECT_EQ(label->Size().y, style.PlasticHeight(*label, width));
        EXPECT_GT(label->Size().y, previous);
        EXPECT_EQ(below->Position().y, label->Size().y + style.Metric(YStyleMetric::kDefLayoutSpace));
        previous = label->Size().y;
    }
}

TEST_F(LayoutWithStyle, ALonePlasticControlInABandTakesTheThicknessTheStyleGivesIt) {
    YContainer owner(nullptr);
    auto* band = new YLayoutTop(owner);
    YControl* label = MakeChild(owner, {.ratioX = 1, .plastic = true});
    label->SetType(YControlType::kStatic);
    label->SetCaption("Some words for the band to wrap when it is narrow enough to need it");
    band->AddControl(*label);
    const YRect rest = band->Arrange({0, 0, 119, 499});
    const int32_t height = style.PlasticHeight(*label, 120);
    EXPECT_EQ(rest.top, height + style.Metric(YStyleMetric::kDefLayoutSpace));
    EXPECT_EQ(Placed(*label), (YRect{0, 0, 119, height - 1}));
}

} // namespace
