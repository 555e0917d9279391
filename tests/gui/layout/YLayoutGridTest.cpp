// The grid: cells in reading order, column widths and row heights from the cells, spans,
// vertical fill, plastic rows and absurd numbers from a definition.
#include "gui/toolkit/layouts/YLayoutGrid.h"

#include "gui/layout/LayoutTestSupport.h"

#include "foundation/YXMLItem.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class LayoutGrid : public WithoutStyle {};

YLayoutGrid* MakeGrid(YControl& owner, const char* columns, const char* extra = nullptr, const char* value = nullptr) {
    auto* grid = new YLayoutGrid(owner);
    YXMLItem element("grid");
    element.SetAttribute("columns", YString::FromUTF8(columns));
    if (extra != nullptr) element.SetAttribute(YString::FromUTF8(extra), YString::FromUTF8(value));
    grid->Load(element);
    return grid;
}

TEST_F(LayoutGrid, FillsCellsInReadingOrder) {
    YContainer owner(nullptr);
    YLayoutGrid* grid = MakeGrid(owner, "3");
    std::vector<YControl*> cells;
    for (int i = 0; i < 5; ++i) {
        cells.push_back(MakeChild(owner, {}));
        grid->AddControlFromDefinition(*cells.back());
    }
    EXPECT_EQ(grid->Cell(0, 2), cells[2]);
    EXPECT_EQ(grid->Cell(1, 0), cells[3]) << "the fourth control starts the second row";
    EXPECT_EQ(grid->Cell(1, 1), cells[4]);
    EXPECT_EQ(grid->RowCount(), 2);
    // Removing a control empties its cell.
    owner.DeleteChild(cells[4]);
    EXPECT_EQ(grid->Cell(1, 1), nullptr);
    EXPECT_EQ(grid->Count(), 4);
}

TEST_F(LayoutGrid, SizesColumnsAndRowsByTheirLargestCells) {
    YContainer owner(nullptr);
    YLayoutGrid* grid = MakeGrid(owner, "2");
    grid->spacing = 2;
    const ChildShape shapes[] = {
        {.width = 20, .height = 10},
        {.width = 30, .height = 14, .ratioX = 1},
        {.width = 26, .height = 8, .borderX = 1, .placement = YAlignment::kLeft | YAlignment::kTop},
        {.width = 12, .height = 8},
    };
    std::vector<YControl*> cells;
    for (const ChildShape& s : shapes) {
        cells.push_back(MakeChild(owner, s));
        grid->AddControlFromDefinition(*cells.back());
    }
    EXPECT_EQ(owner.ComputeCurrentSize(), (YSize{28 + 2 + 30, 14 + 2 + 8}));
    // Column 0 is 28 wide (26 + borders); column 1 has a ratio and takes the rest.
    grid->Arrange({0, 0, 99, 49});
    EXPECT_EQ(Placed(*cells[0]), (YRect{4, 2, 23, 11}));
    EXPECT_EQ(Placed(*cells[1]), (YRect{30, 0, 99, 13}));
    EXPECT_EQ(Placed(*cells[2]), (YRect{1, 16, 26, 23}));
    EXPECT_EQ(Placed(*cells[3]), (YRect{30 + (99 - 30 - 12 + 1) / 2, 16, 30 + (99 - 30 - 12 + 1) / 2 + 11, 23}));
}

TEST_F(LayoutGrid, SpansCoverSeveralCellsAndDoNotWidenColumns) {
    YContainer owner(nullptr);
    YLayoutGrid* grid = MakeGrid(owner, "2");
    YControl* wide = MakeChild(owner, {.width = 90, .height = 10, .ratioX = 1});
    YControl* hole = MakeChild(owner, {.width = 1, .height = 1, .visible = false});
    YControl* a = MakeChild(owner, {.width = 20, .height = 10});
    YControl* b = MakeChild(owner, {.width = 30, .height = 10});
    YControl* tall = MakeChild(owner, {.width = 20, .height = 50, .ratioY = 1});
    for (YControl* c : {wide, hole, a, b, tall}) grid->AddControlFromDefinition(*c);
    YXMLItem span("static");
    span.SetAttribute("hspan", "2");
    grid->LoadChild(*wide, span);
    YXMLItem down("static");
    down.SetAttribute("vspan", "5"); // more rows than there are: cut to the last row
    grid->LoadChild(*tall, down);
    EXPECT_EQ(YLayoutGrid::HorizontalSpan(*wide), 2);
    grid->Arrange({0, 0, 99, 99});
    EXPECT_EQ(Placed(*wide), (YRect{0, 0, 49, 9})) << "two columns of 20 and 30";
    EXPECT_EQ(Placed(*tall), (YRect{0, 20, 19, 69})) << "cut to the one row left, which it sizes";
}

TEST_F(LayoutGrid, VerticalFillSharesTheSpareHeightAmongRowsWithARatio) {
    for (const bool fill : {true, false}) {
        SCOPED_TRACE(fill ? "vertical fill" : "rows keep their heights");
        YContainer owner(nullptr);
        YLayoutGrid* grid = MakeGrid(owner, "1", "verticalfill", fill ? "1" : "0");
        grid->spacing = 4;
        YControl* fixed = MakeChild(owner, {.width = 10, .height = 20});
        YControl* one = MakeChild(owner, {.width = 10, .height = 5, .ratioY = 1});
        YControl* two = MakeChild(owner, {.width = 10, .height = 5, .ratioY = 2});
        for (YControl* c : {fixed, one, two}) grid->AddControlFromDefinition(*c);
        grid->Arrange({0, 0, 9, 127});
        // 128 - 20 - 2 gaps = 100: 33 and 67.
        EXPECT_EQ(Placed(*one), (fill ? YRect{0, 24, 9, 56} : YRect{0, 24, 9, 28}));
        EXPECT_EQ(Placed(*two), (fill ? YRect{0, 61, 9, 127} : YRect{0, 33, 9, 37}));
    }
}

TEST_F(LayoutGrid, ARowOfPlasticCellsOnlyIsFlaggedAndLeftOutOfTheColumnWidths) {
    YContainer owner(nullptr);
    YLayoutGrid* grid = MakeGrid(owner, "2");
    YControl* text1 = MakeChild(owner, {.plastic = true, .minimal = {300, 12}});
    YControl* text2 = MakeChild(owner, {.plastic = true, .minimal = {300, 12}});
    YControl* label = MakeChild(owner, {.width = 40, .height = 10});
    YControl* text3 = MakeChild(owner, {.plastic = true, .minimal = {25, 10}});
    for (YControl* c : {text1, text2, label, text3}) grid->AddControlFromDefinition(*c);
    grid->Arrange({0, 0, 199, 99});
    EXPECT_TRUE(grid->IsRowAllPlastic(0));
    EXPECT_FALSE(grid->IsRowAllPlastic(1)) << "a fixed cell in the row";
    // Columns come from row 1 only: 40 and the plastic cell's 25, not the 300 of row 0.
    EXPECT_EQ(Placed(*text2), (YRect{40, 0, 64, 11}));
    EXPECT_EQ(Placed(*text3), (YRect{40, 12, 64, 21}));
}

TEST_F(LayoutGrid, AbsurdNumbersFromADefinitionStayInRange) {
    struct Case {
        const char* columns;
        int32_t expected;
    };
    for (const Case& c : {Case{"0", 1}, Case{"-5", 1}, Case{"33", 32}, Case{"99999999999999", 32}, Case{"x", 1},
                          Case{"7columns", 7}}) {
        SCOPED_TRACE(c.columns);
        YContainer owner(nullptr);
        EXPECT_EQ(MakeGrid(owner, c.columns)->Columns(), c.expected);
    }
    YContainer owner(nullptr);
    YLayoutGrid* grid = MakeGrid(owner, "2");
    YControl* cell = MakeChild(owner, {.width = 2000000000, .height = 2000000000, .ratioX = 2000000000});
    YControl* other = MakeChild(owner, {.width = 2000000000, .height = 5, .ratioX = 2000000000});
    grid->AddControlFromDefinition(*cell);
    grid->AddControlFromDefinition(*other);
    YXMLItem element("control");
    element.SetAttribute("hspan", "-70000");
    element.SetAttribute("vspan", "4294967297");
    grid->LoadChild(*cell, element);
    EXPECT_EQ(YLayoutGrid::HorizontalSpan(*cell), 1);
    EXPECT_EQ(YLayoutGrid::VerticalSpan(*cell), YLayoutGrid::kMaxRowSpan);
    EXPECT_EQ(owner.ComputeCurrentSize().x, INT32_MAX) << "saturates instead of wrapping";
    grid->Arrange({0, 0, 99, 99});
    EXPECT_EQ(Placed(*cell), (YRect{0, 0, 49, 1999999999}));
    EXPECT_EQ(Placed(*other), (YRect{50, 999999997, 99, 1000000001})); // centred in the tall row
}

} // namespace
