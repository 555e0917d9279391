// Rows and columns: the distribution of a rectangle over fixed, stretching, plastic,
// collapsed and hidden controls, and the placement of each control in its slot.
#include "gui/toolkit/layouts/YLayoutLinear.h"

#include "gui/layout/LayoutTestSupport.h"

#include "foundation/YXMLItem.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class LayoutLinear : public WithoutStyle {};

struct DistributionCase {
    const char* name;
    bool vertical;
    int32_t spacing;
    YRect rect;
    std::vector<ChildShape> children;
    std::vector<YRect> expected; // per child, relative to the owner
};

TEST_F(LayoutLinear, DistributesTheRectangleOverItsControls) {
    const DistributionCase cases[] = {
        {"ratios 1 and 2 in 100 pixels get 33 and 67", true, 0, {0, 0, 49, 99},
         {{.width = 50, .ratioX = 1, .ratioY = 1}, {.width = 50, .ratioX = 1, .ratioY = 2}},
         {{0, 0, 49, 32}, {0, 33, 49, 99}}},
        {"the same across a row", false, 0, {0, 0, 99, 19},
         {{.height = 20, .ratioX = 1, .ratioY = 1}, {.height = 20, .ratioX = 2, .ratioY = 1}},
         {{0, 0, 32, 19}, {33, 0, 99, 19}}},
        {"the last of three equal ratios takes the remainder", false, 0, {0, 0, 99, 9},
         {{.ratioX = 1}, {.ratioX = 1}, {.ratioX = 1}},
         {{0, 0, 32, 9}, {33, 0, 65, 9}, {66, 0, 99, 9}}},
        {"a fixed child is centred across its slot", true, 0, {10, 0, 109, 99},
         {{.width = 31, .height = 20}},
         {{10 + (109 - 10 - 31 + 1) / 2, 0, 10 + (109 - 10 - 31 + 1) / 2 + 30, 19}}},
        {"left and right placement keep the border", true, 0, {0, 0, 99, 99},
         {{.width = 20, .height = 10, .borderX = 3, .placement = YAlignment::kLeft},
          {.width = 20, .height = 10, .borderX = 3, .placement = YAlignment::kRight}},
         {{3, 0, 22, 9}, {99 - 3 - 20, 10, 99 - 3 - 1, 19}}},
        {"a fixed child's slot holds its borders; the stretching one gets the rest less the gaps", true, 4,
         {0, 0, 39, 99},
         {{.width = 40, .height = 20, .borderY = 2, .placement = YAlignment::kTop},
          {.width = 40, .ratioX = 1, .ratioY = 1, .borderX = 5, .borderY = 1}},
         {{0, 2, 39, 21}, {5, 24 + 4 + 1, 34, 99 - 1}}},
        {"hidden children take neither room nor a gap", true, 6, {0, 0, 9, 99},
         {{.ratioY = 1}, {.height = 30, .visible = false}, {.ratioY = 1}},
         {{0, 0, 9, 46}, {0, 0, 9, 29}, {0, 53, 9, 99}}},
        {"a collapsed child keeps its stored height and does not stretch", true, 0, {0, 0, 9, 99},
         {{.height = 40, .ratioY = 1, .collapsed = true, .collapsedSize = {10, 12}}, {.ratioY = 1}},
         {{0, 0, 9, 39}, {0, 12, 9, 99}}},
        {"with no room a stretching child gets nothing, not a negative height", true, 0, {0, 0, 9, 19},
         {{.height = 30}, {.ratioY = 1}},
         {{0, 0, 9, 29}, {0, 30, 9, 29}}},
    };
    for (const DistributionCase& c : cases) {
        SCOPED_TRACE(c.name);
        YContainer owner(nullptr);
        auto* layout = c.vertical ? static_cast<YLayoutLinear*>(new YLayoutVertical(owner))
                                  : static_cast<YLayoutLinear*>(new YLayoutHorizontal(owner));
        layout->spacing = c.spacing;
        std::vector<YControl*> children;
        for (const ChildShape& s : c.children) {
            children.push_back(MakeChild(owner, s));
            layout->AddControl(*children.back());
        }
        EXPECT_TRUE(layout->Arrange(c.rect).IsEmpty()) << "a row or column leaves nothing";
        for (size_t i = 0; i < children.size(); ++i) EXPECT_EQ(Placed(*children[i]), c.expected[i]) << "child " << i;
    }
}

TEST_F(LayoutLinear, ExtraSpaceComesFromTheChildsSpaceAttributeAndFollowsIt) {
    YContainer owner(nullptr);
    auto* layout = new YLayoutHorizontal(owner);
    YControl* a = MakeChild(owner, {.width = 10});
    YControl* b = MakeChild(owner, {.width = 10});
    layout->AddControlFromDefinition(*a);
    layout->AddControlFromDefinition(*b);
    YXMLItem element("static");
    element.SetAttribute("space", "7px");
    layout->LoadChild(*a, element);
    EXPECT_EQ(a->layoutExtraSpace, 7);
    layout->Arrange({0, 0, 99, 9});
    EXPECT_EQ(b->Position().x, 17);
    // The definition loader starts every child without extra space.
    a->layoutExtraSpace = 50;
    layout->RemoveControl(*a);
    layout->AddControlFromDefinition(*a);
    EXPECT_EQ(a->layoutExtraSpace, 0);
}

TEST_F(LayoutLinear, TheOwnersSizeFollowsTheCurrentOrTheMinimalSizes) {
    YContainer owner(nullptr);
    auto* layout = new YLayoutVertical(owner);
    layout->spacing = 3;
    YControl* fixed = MakeChild(owner, {.width = 30, .height = 20, .borderX = 1, .borderY = 2, .minimal = {10, 5}});
    YControl* stretching = MakeChild(owner, {.width = 50, .height = 40, .ratioY = 1, .minimal = {12, 8}});
    YControl* collapsed = MakeChild(owner, {.width = 5, .height = 30, .collapsed = true, .collapsedSize = {5, 6}});
    for (YControl* c : {fixed, stretching, collapsed}) layout->AddControl(*c);
    // Current: 24 + 40 + 6 and two gaps; the widest is the stretching child.
    EXPECT_EQ(owner.ComputeCurrentSize(), (YSize{50, 24 + 40 + 6 + 6}));
    // Minimal: the fixed child keeps its size, the stretching one shrinks to its minimum
    // along its ratio only, the collapsed one needs no height at all.
    EXPECT_EQ(owner.ComputeMinimalSize(), (YSize{50, 24 + 8 + 0 + 6}));
}

TEST_F(LayoutLinear, StretchesWhereAVisibleChildCanStretch) {
    YContainer owner(nullptr);
    auto* layout = new YLayoutHorizontal(owner);
    YControl* fixed = MakeChild(owner, {});
    layout->AddControl(*fixed);
    EXPECT_EQ(layout->StretchQuery(), 0);
    YControl* wide = MakeChild(owner, {.ratioX = 1});
    layout->AddControl(*wide);
    EXPECT_EQ(layout->StretchQuery(), YControl::kStretchX);
    // A container with a ratio but nothing inside that stretches does not count...
    YControl* box = MakeChild(owner, {.ratioY = 1});
    auto* inner = new YLayoutVertical(*box);
    inner->AddControl(*MakeChild(*box, {}));
    layout->AddControl(*box);
    EXPECT_EQ(layout->StretchQuery(), YControl::kStretchX);
    // ...until something inside does; hiding it takes its part away again.
    inner->AddControl(*MakeChild(*box, {.ratioY = 1}));
    EXPECT_EQ(layout->StretchQuery(), YControl::kStretchX | YControl::kStretchY);
    box->SetFlag(YControlFlag::kVisible, false);
    EXPECT_EQ(layout->StretchQuery(), YControl::kStretchX);
}

} // namespace
