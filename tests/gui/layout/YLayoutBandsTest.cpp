// Side bands, the corner frame, the switch and the occupied border: what each places and
// what it leaves to the next layout.
#include "gui/toolkit/layouts/YLayoutCorner.h"
#include "gui/toolkit/layouts/YLayoutLinear.h"
#include "gui/toolkit/layouts/YLayoutOccupyBorder.h"
#include "gui/toolkit/layouts/YLayoutSide.h"
#include "gui/toolkit/layouts/YLayoutSwitch.h"

#include "gui/layout/LayoutTestSupport.h"

#include "foundation/YXMLItem.h"
#include "support/RaisedMessage.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class LayoutCorner : public WithoutStyle {};
class LayoutOccupyBorder : public WithoutStyle {};
class LayoutSide : public WithoutStyle {};
class LayoutSwitch : public WithoutStyle {};

struct BandCase {
    const char* name;
    int32_t side;
    std::vector<ChildShape> children;
    YRect rest;
    std::vector<YRect> expected;
};

TEST_F(LayoutSide, TakesABandAsThickAsItsThickestControlAndLeavesTheRest) {
    const YRect rect{0, 0, 99, 79};
    const int32_t gap = 2;
    const BandCase cases[] = {
        {"top: along x, the thinner control centred", 1,
         {{.width = 20, .height = 10}, {.width = 30, .height = 16}},
         {0, 18, 99, 79}, {{0, 3, 19, 12}, {22, 0, 51, 15}}},
        {"bottom: the band starts thickness above the bottom", 3,
         {{.width = 20, .height = 10, .ratioX = 1}},
         {0, 0, 99, 79 - 12}, {{0, 70, 99, 79}}},
        {"left: along y, borders count in the thickness", 0,
         {{.width = 20, .height = 10, .borderX = 4, .placement = YAlignment::kLeft | YAlignment::kTop}},
         {30, 0, 99, 79}, {{4, 0, 23, 9}}},
        {"right", 2,
         {{.width = 20, .height = 10}, {.width = 10, .height = 10, .ratioY = 1}},
         {0, 0, 99 - 22, 79}, {{80, 0, 99, 9}, {85, 12, 94, 79}}},
        {"hidden controls take nothing, not even the gap", 1,
         {{.width = 20, .height = 10, .visible = false}},
         {0, 0, 99, 79}, {{0, 0, 19, 9}}},
    };
    for (const BandCase& c : cases) {
        SCOPED_TRACE(c.name);
        YContainer owner(nullptr);
        auto* band = new YLayoutSide(owner, c.side);
        band->spacing = gap;
        std::vector<YControl*> children;
        for (const ChildShape& s : c.children) {
            children.push_back(MakeChild(owner, s));
            band->AddControl(*children.back());
        }
        EXPECT_EQ(band->Arrange(rect), c.rest);
        for (size_t i = 0; i < children.size(); ++i) EXPECT_EQ(Placed(*children[i]), c.expected[i]) << "child " << i;
    }
}

TEST_F(LayoutSide, RefusesADirectionOutsideTheFourSides) {
    YContainer owner(nullptr);
    auto* band = new YLayoutSide(owner, 1);
    band->AddControl(*MakeChild(owner, {}));
    for (int32_t direction : {-1, 4, 1000}) {
        band->direction = direction;
        EXPECT_EQ(RaisedMessage([&] { band->Arrange({0, 0, 9, 9}); }), "Invalid side-layout direction.");
        YSize size;
        YRect margins{0, 0, 0, 0};
        EXPECT_EQ(RaisedMessage([&] { band->ComputeCurrentSize(size, margins); }), "Invalid side-layout direction.");
    }
}

TEST_F(LayoutSide, ALonePlasticControlGetsItsThicknessFromTheBandsLength) {
    YContainer owner(nullptr);
    auto* band = new YLayoutTop(owner);
    YControl* text = MakeChild(owner, {.width = 5, .height = 5, .plastic = true, .minimal = {40, 14}});
    band->AddControl(*text);
    // Without a style the plastic size is the minimal client size: the band is that thick and
    // the control fills its slot both ways, whatever its own size was.
    EXPECT_EQ(band->Arrange({0, 0, 199, 99}), (YRect{0, 14, 199, 99}));
    EXPECT_EQ(Placed(*text), (YRect{0, 0, 39, 13}));
}

TEST_F(LayoutSide, BandsAddTheirThicknessToTheOwnersSizeAndTheRestNeedsItsOwnInside) {
    YContainer owner(nullptr);
    auto* top = new YLayoutTop(owner);
    auto* left = new YLayoutLeft(owner);
    auto* column = new YLayoutVertical(owner);
    for (YLayout* l : std::initializer_list<YLayout*>{top, left, column}) l->spacing = 1;
    top->AddControl(*MakeChild(owner, {.width = 40, .height = 10}));
    top->AddControl(*MakeChild(owner, {.width = 50, .height = 12}));
    left->AddControl(*MakeChild(owner, {.width = 8, .height = 30}));
    column->AddControl(*MakeChild(owner, {.width = 60, .height = 20}));
    column->AddControl(*MakeChild(owner, {.width = 70, .height = 20}));
    // Across: the top band's 91 against the left band (8 + gap) and the column's 70.
    // Down: 12 + gap, then the larger of the left band's 30 and the column's 41.
    EXPECT_EQ(owner.ComputeCurrentSize(), (YSize{91, 13 + 41}));
    owner.SetSize(91, 54);
    EXPECT_EQ(Placed(*owner.Child(3)), (YRect{9 + (90 - 9 - 60 + 1) / 2, 13, 9 + (90 - 9 - 60 + 1) / 2 + 59, 32}));
}

TEST_F(LayoutCorner, FramesTheRectangleWithCornersAndStrips) {
    YContainer owner(nullptr);
    auto* corner = new YLayoutCorner(owner);
    corner->spacing = 2;
    const auto add = [&](const ChildShape& s, const char* target) {
        YControl* c = MakeChild(owner, s);
        corner->AddControlFromDefinition(*c);
        YXMLItem element("control");
        element.SetAttribute("target", YString::FromUTF8(target));
        corner->LoadChild(*c, element);
        return c;
    };
    YControl* topLeft = add({.width = 10, .height = 8}, "topleft");
    YControl* bottomRight = add({.width = 14, .height = 6}, "bottomright");
    YControl* top = add({.width = 20, .height = 12, .ratioX = 1}, "top");
    YControl* left1 = add({.width = 6, .height = 10}, "left");
    YControl* left2 = add({.width = 6, .height = 10, .placement = YAlignment::kLeft}, "left");
    // Columns: left max(10, 6) = 10, right 14; rows: top max(8, 12) = 12, bottom 6.
    EXPECT_EQ(corner->Arrange({0, 0, 99, 79}), (YRect{12, 14, 99 - 16, 79 - 8}));
    EXPECT_EQ(Placed(*topLeft), (YRect{0, 2, 9, 9}));       // centred in (0, 0)-(9, 11)
    EXPECT_EQ(Placed(*bottomRight), (YRect{86, 74, 99, 79}));
    EXPECT_EQ(Placed(*top), (YRect{10, 0, 85, 11}));        // stretches between the corners
    EXPECT_EQ(Placed(*left1), (YRect{2, 12, 7, 21}));
    EXPECT_EQ(Placed(*left2), (YRect{0, 24, 5, 33}));
    EXPECT_EQ(corner->Count(), 2); // the corners; the strips hold the rest
    EXPECT_EQ(top->OwningLayout(), &corner->Strip(YLayoutCorner::kTop));
    // A second control for a taken corner replaces the first.
    YControl* other = add({.width = 4, .height = 4}, "topleft");
    EXPECT_EQ(corner->Corner(YLayoutCorner::kTopLeft), other);
    EXPECT_EQ(topLeft->OwningLayout(), nullptr);
    EXPECT_FALSE(topLeft->HasFlag(YControlFlag::kHeldByLayout));
    // Destroying a strip's control takes it out of the strip.
    owner.DeleteChild(left1);
    EXPECT_EQ(corner->Strip(YLayoutCorner::kLeft).Count(), 1);
}

TEST_F(LayoutCorner, RefusesTargetsOutsideItsEightPlaces) {
    for (const char* target : {"center", "", "top left", "topleftx"}) {
        SCOPED_TRACE(target);
        YContainer owner(nullptr);
        auto* corner = new YLayoutCorner(owner);
        YControl* c = MakeChild(owner, {});
        corner->AddControlFromDefinition(*c);
        YXMLItem element("control");
        element.SetAttribute("target", YString::FromUTF8(target));
        EXPECT_EQ(RaisedMessage([&] { corner->LoadChild(*c, element); }), "Invalid target for corner layout.");
        EXPECT_EQ(c->OwningLayout(), nullptr) << "the control is left out of the frame";
    }
}

TEST_F(LayoutSwitch, PlacesOnlyTheFirstVisiblePage) {
    YContainer owner(nullptr);
    auto* pages = new YLayoutSwitch(owner);
    YControl* first = MakeChild(owner, {.width = 30, .height = 20, .ratioX = 1, .ratioY = 1});
    YControl* second = MakeChild(owner, {.width = 30, .height = 20, .ratioX = 1, .ratioY = 1});
    pages->AddControl(*first);
    pages->AddControl(*second);
    EXPECT_TRUE(pages->Arrange({5, 5, 104, 84}).IsEmpty());
    EXPECT_EQ(Placed(*first), (YRect{5, 5, 104, 84}));
    EXPECT_EQ(Placed(*second), (YRect{0, 0, 29, 19})); // not moved
    first->SetFlag(YControlFlag::kVisible, false);
    pages->Arrange({5, 5, 104, 84});
    EXPECT_EQ(Placed(*second), (YRect{5, 5, 104, 84}));
    second->SetFlag(YControlFlag::kVisible, false);
    EXPECT_EQ(pages->Arrange({5, 5, 104, 84}), (YRect{5, 5, 104, 84})); // nothing to show: all goes on
}

TEST_F(LayoutOccupyBorder, ReservesItsBordersBeforeTheNextLayout) {
    YContainer owner(nullptr);
    auto* border = new YLayoutOccupyBorder(owner, 3, 4, 5, 6);
    auto* column = new YLayoutVertical(owner);
    YControl* c = MakeChild(owner, {.width = 10, .height = 10, .ratioX = 1, .ratioY = 1});
    column->AddControl(*c);
    EXPECT_EQ(border->Arrange({0, 0, 99, 49}), (YRect{3, 4, 94, 43}));
    owner.SetSize(100, 50);
    EXPECT_EQ(Placed(*c), (YRect{3, 4, 94, 43}));
    EXPECT_EQ(owner.ComputeCurrentSize(), (YSize{100, 50})); // the borders and the child as placed
    // Alone it still asks for its borders.
    YContainer bare(nullptr);
    new YLayoutOccupyBorder(bare, 7, 1, 2, 3);
    EXPECT_EQ(bare.ComputeMinimalSize(), (YSize{9, 4}));
    EXPECT_EQ(RaisedMessage([&] { border->AddControlFromDefinition(*c); }),
              "Service \"add control to occupy-space layout\" is not implemented.");
}

} // namespace
