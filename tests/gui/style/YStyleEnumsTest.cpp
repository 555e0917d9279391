// The standard enumerations of the styles: names in value order, parsing without case, and
// the messages for names that are not in an enumeration.
#include "gui/toolkit/YStyle.h"

#include "foundation/YException.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Utf8(const YString& s) { return s.ToUTF8(); }

std::string ParseError(const YEnumNames& names, const char* text) {
    try {
        YEnumParse(names, YString::FromUTF8(text));
    } catch (const YException& e) {
        return Utf8(e.Message());
    }
    return "no error";
}

TEST(StyleEnums, EveryNameParsesBackToItsPositionWhateverTheCase) {
    const YEnumNames* tables[] = {
        &YEnumNamesOf<YModalValue>(),  &YEnumNamesOf<YControlType>(), &YEnumNamesOf<YCaptionType>(),
        &YEnumNamesOf<YCheckBoxState>(), &YEnumNamesOf<YStdBitmap>(), &YEnumNamesOf<YStdCursor>(),
        &YEnumNamesOf<YStdFont>(),     &YEnumNamesOf<YStdColor>(),    &YEnumNamesOf<YStdIcon>(),
        &YEnumNamesOf<YStyleMetric>(),
    };
    for (const YEnumNames* table : tables) {
        SCOPED_TRACE(table->typeName);
        for (int32_t i = 0; i < table->count; ++i) {
            const YString name = YEnumName(*table, i);
            EXPECT_EQ(YEnumParse(*table, name), i);
            std::string upper = Utf8(name);
            for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            EXPECT_EQ(YEnumFind(*table, YString::FromUTF8(upper)), i) << upper;
        }
        EXPECT_TRUE(YEnumName(*table, table->count).IsEmpty());
        EXPECT_TRUE(YEnumName(*table, -1).IsEmpty());
    }
}

TEST(StyleEnums, CountsAndLandmarksFollowTheNameOrder) {
    struct Row {
        const YEnumNames& names;
        int32_t count;
        int32_t position;
        const char* name;
    };
    const Row rows[] = {
        {YEnumNamesOf<YModalValue>(), 4, 3, "no"},
        {YEnumNamesOf<YControlType>(), 23, 22, "none"},
        {YEnumNamesOf<YCaptionType>(), 3, 1, "normal"},
        {YEnumNamesOf<YCheckBoxState>(), 3, 2, "grayed"},
        {YEnumNamesOf<YStdBitmap>(), 3, 2, "exclamation"},
        {YEnumNamesOf<YStdCursor>(), 14, 13, "hollow"},
        {YEnumNamesOf<YStdFont>(), 8, 7, "large4"},
        {YEnumNamesOf<YStdColor>(), 9, 5, "dark"},
        {YEnumNamesOf<YStdIcon>(), 53, 52, "phone"},
        {YEnumNamesOf<YStdIcon>(), 53, 29, "ok"},
        {YEnumNamesOf<YStyleMetric>(), 27, 0, "deflayoutspace"},
        {YEnumNamesOf<YStyleMetric>(), 27, 26, "windowbordersizey"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.names.count, row.count);
        EXPECT_EQ(Utf8(YEnumName(row.names, row.position)), row.name);
    }
    // The typed helpers agree with the tables and with the enumerators.
    EXPECT_EQ(YEnumParse<YStdIcon>("checkboxgrayed"), YStdIcon::kCheckBoxGrayed);
    EXPECT_EQ(YEnumParse<YStdCursor>("arrowlr"), YStdCursor::kArrowLR);
    EXPECT_EQ(Utf8(YEnumName(YStyleMetric::kVSplitterSize)), "vsplittersize");
    EXPECT_EQ(Utf8(YEnumName(YControlType::kMenuBar)), "menubar");
    EXPECT_EQ(Utf8(YStdFontDisplayName(YStdFont::kLarge3)), "Large 3");
}

TEST(StyleEnums, UnknownNamesRaiseTheMessageOfTheirType) {
    struct Row {
        const YEnumNames& names;
        const char* text;
        const char* message;
    };
    const Row rows[] = {
        {YEnumNamesOf<YCaptionType>(), "huge", "Invalid caption type identifier to parse (huge)."},
        {YEnumNamesOf<YStdIcon>(), "smiley", "Invalid YStdIcon identifier to parse (smiley)."},
        {YEnumNamesOf<YStdFont>(), "large5", "Invalid YStdFont identifier to parse (large5)."},
        {YEnumNamesOf<YStdColor>(), "", "Invalid YStdColor identifier to parse ()."},
        {YEnumNamesOf<YControlType>(), "button ", "Invalid YControlType identifier to parse (button )."},
        {YEnumNamesOf<YModalValue>(), "okay", "Invalid YModalValue identifier to parse (okay)."},
        {YEnumNamesOf<YStdIcon>(), "lef", "Invalid YStdIcon identifier to parse (lef)."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(ParseError(row.names, row.text), row.message);
    }
}

TEST(StyleEnums, AlignmentNamesMapToTheirBitsAndThePlaceholdersAreNoAlignment) {
    struct Row {
        const char* name;
        uint32_t value;
    };
    const Row rows[] = {
        {"center,center", 0}, {"left,center", 1}, {"right,center", 2},  {"center,top", 4},  {"left,top", 5},
        {"right,top", 6},     {"center,bottom", 8}, {"left,bottom", 9}, {"right,bottom", 10},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(YAlignmentParse(YString::FromUTF8(row.name)), row.value);
        EXPECT_EQ(Utf8(YAlignmentName(row.value)), row.name);
    }
    EXPECT_EQ(YAlignmentParse("Left, Top"), YAlignment::kLeft | YAlignment::kTop);
    EXPECT_EQ(Utf8(YAlignmentName(3)), "yyy");
    EXPECT_EQ(Utf8(YAlignmentName(7)), "xxx");
    EXPECT_TRUE(YAlignmentName(11).IsEmpty());
    for (const char* bad : {"yyy", "xxx", "top,left", "left", ""}) {
        SCOPED_TRACE(bad);
        try {
            YAlignmentParse(YString::FromUTF8(bad));
            ADD_FAILURE() << "no error";
        } catch (const YException& e) {
            EXPECT_EQ(Utf8(e.Message()), std::string("Invalid YAlignment identifier to parse (") + bad + ").");
        }
    }
}

} // namespace
