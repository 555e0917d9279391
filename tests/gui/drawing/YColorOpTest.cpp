#include "gui/drawing/YBitmapFill.h"
#include "gui/drawing/YColorOp.h"
#include "support/RaisedMessage.h"

#include <gtest/gtest.h>

namespace {

TEST(YColorOpTest, EveryNameParsesToItsValueInOrder) {
    const char* names[] = {"None", "Alphablend", "Modulate", "Copy", "Overlay", "Color", "Invert", "Add", "Subtract",
                           "Lighten", "Darken", "Difference", "IncContrast", "DecContrast", "LightenByContrast",
                           "DarkenByContrast", "AddAndOverflow"};
    ASSERT_EQ(std::size(names), static_cast<size_t>(kYColorOpCount));
    for (int32_t i = 0; i < kYColorOpCount; ++i) {
        EXPECT_EQ(static_cast<int32_t>(YColorOpParse(YString::Literal(names[i]))), i) << names[i];
        EXPECT_EQ(YColorOpName(static_cast<YColorOp>(i)).ToUTF8(), names[i]);
    }
}

TEST(YColorOpTest, UnknownNamesRaiseTheirErrors) {
    EXPECT_EQ(RaisedMessage([] { YColorOpParse("copy"); }), "Invalid YColorOp identifier to parse (copy).");
    EXPECT_EQ(RaisedMessage([] { YColorOpParse(""); }), "Invalid YColorOp identifier to parse ().");
    EXPECT_EQ(RaisedMessage([] { YBitmapFillParse("Tile"); }), "Invalid YBitmapFill identifier to parse (Tile).");
    const char* fills[] = {"Stretch", "HPattern", "VPattern", "Pattern", "None"};
    for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(static_cast<int32_t>(YBitmapFillParse(YString::Literal(fills[i]))), i);
}

// One colour byte through each rule, source opaque so the rule's result is stored as it is.
TEST(YColorOpTest, RulesOfTheBlendingOperations) {
    struct Case {
        YColorOp op;
        uint8_t s, d, expected;
    } cases[] = {
        {YColorOp::Modulate, 255, 200, 200},     {YColorOp::Modulate, 127, 200, 100},
        {YColorOp::Overlay, 100, 50, 39},        {YColorOp::Overlay, 100, 200, 189},
        {YColorOp::Invert, 7, 200, 55},          {YColorOp::Add, 100, 200, 255},
        {YColorOp::Add, 10, 20, 30},             {YColorOp::Subtract, 100, 50, 0},
        {YColorOp::Subtract, 50, 100, 50},       {YColorOp::Lighten, 100, 50, 100},
        {YColorOp::Darken, 100, 50, 50},         {YColorOp::Difference, 30, 100, 70},
        {YColorOp::Difference, 100, 30, 70},     {YColorOp::IncContrast, 255, 200, 255},
        {YColorOp::IncContrast, 128, 64, 32},    {YColorOp::DecContrast, 255, 20, 128},
        {YColorOp::DecContrast, 0, 20, 20},      {YColorOp::LightenByContrast, 128, 0, 127},
        {YColorOp::DarkenByContrast, 128, 200, 100}, {YColorOp::AddAndOverflow, 100, 200, 44},
    };
    for (const Case& c : cases) {
        const YColor out = YColorOpApply(c.op, YColor{c.s, c.s, c.s, 255}, YColor{c.d, c.d, c.d, 9});
        EXPECT_EQ(out, (YColor{c.expected, c.expected, c.expected, 9}))
            << YColorOpName(c.op).ToUTF8() << " s=" << int(c.s) << " d=" << int(c.d);
    }
}

TEST(YColorOpTest, ColorTintsAtTheDestinationsBrightness) {
    // Grey 128 has brightness 128: the tint's bytes come out at about half.
    const YColor out = YColorOpApply(YColorOp::Color, YColor::RGB(255, 0, 100), YColor::RGB(128, 128, 128, 40));
    EXPECT_EQ(out, YColor::RGB(128, 0, 50, 40));
}

TEST(YColorOpTest, ATranslucentSourceMixesTheRuleResultLikeAlphablend) {
    // Invert of 0 is 255; with alpha 127 (a = 127) it lands at (255 * 127) >> 8 = 126.
    const YColor out = YColorOpApply(YColorOp::Invert, YColor::RGB(0, 0, 0, 127), YColor::RGB(0, 0, 0, 200));
    EXPECT_EQ(out, YColor::RGB(126, 126, 126, 200));
    // The run version gives the same as pixel by pixel.
    for (int32_t op = 0; op < kYColorOpCount + 1; ++op) {
        YColor run[3] = {YColor::RGB(10, 200, 30, 50), YColor::RGB(255, 0, 128), YColor::RGB(1, 2, 3, 0)};
        const YColor s = YColor::RGB(90, 180, 250, 77);
        YColor each[3];
        for (int i = 0; i < 3; ++i) each[i] = YColorOpApply(static_cast<YColorOp>(op), s, run[i]);
        YColorOpApplyRun(static_cast<YColorOp>(op), s, run, 3);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(run[i], each[i]) << "op " << op << " pixel " << i;
    }
}

TEST(YColorOpTest, CoverageScalesTheSourceAlpha) {
    const YColor d = YColor::RGB(0, 0, 0, 255);
    EXPECT_EQ(YColorOpApplyCoverage(YColorOp::Alphablend, YColor::RGB(255, 255, 255), d, 0), d);
    EXPECT_EQ(YColorOpApplyCoverage(YColorOp::Alphablend, YColor::RGB(255, 255, 255), d, 255), YColor::RGB(255, 255, 255));
    // Coverage 127 of opaque white: alpha 127, a = 127, (255 * 127) >> 8 = 126.
    EXPECT_EQ(YColorOpApplyCoverage(YColorOp::Alphablend, YColor::RGB(255, 255, 255), d, 127), YColor::RGB(126, 126, 126));
    // "Copy" at half coverage moves every byte half way, alpha included.
    EXPECT_EQ(YColorOpApplyCoverage(YColorOp::Copy, YColor::RGB(255, 255, 255, 255), YColor::RGB(0, 0, 0, 0), 127),
              YColor::RGB(126, 126, 126, 126));
}

} // namespace
