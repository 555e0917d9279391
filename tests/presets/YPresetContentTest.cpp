#include "presets/YPresetContent.h"

#include "PresetTestSupport.h"
#include "foundation/YException.h"
#include "foundation/YMemoryStream.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using presets_test::Compact;
using presets_test::SampleSettings;

namespace {
YString HexOf(const std::string& bytes) {
    return YPresetContent::EncodeHex(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string MessageOf(const YString& text) {
    try {
        YPresetContent::Decode(text);
    } catch (const YException& error) {
        return error.Message().ToUTF8();
    }
    return "(no error)";
}
} // namespace

TEST(YPresetContentTest, HexDigitsAreUppercaseHighFirstWithoutSeparators) {
    const uint8_t bytes[] = {0x00, 0x3C, 0xA5, 0xFF, 0x0F};
    EXPECT_EQ(YPresetContent::EncodeHex(bytes, sizeof bytes).ToUTF8(), "003CA5FF0F");
    EXPECT_EQ(YPresetContent::DecodeHex("003ca5FF0f"), std::vector<uint8_t>(std::begin(bytes), std::end(bytes)));
    EXPECT_TRUE(YPresetContent::DecodeHex("").empty());
}

TEST(YPresetContentTest, SettingsSurviveEncodeAndDecode) {
    auto settings = SampleSettings();
    const YString encoded = YPresetContent::Encode(*settings);
    // zlib's header (78 DA at level 9) shows the content really is compressed.
    EXPECT_EQ(encoded.Substring(0, 4).ToUTF8(), "78DA");
    EXPECT_EQ(Compact(*YPresetContent::Decode(encoded)), Compact(*settings));
}

TEST(YPresetContentTest, PlainXmlInHexAlsoDecodes) {
    auto settings = SampleSettings();
    YMemoryStream plain;
    settings->Save(plain, "utf-8", true);
    const std::string text(reinterpret_cast<const char*>(plain.GetData()), static_cast<size_t>(plain.GetSize()));
    EXPECT_EQ(Compact(*YPresetContent::Decode(HexOf(text))), Compact(*settings));
}

TEST(YPresetContentTest, DamagedContentIsRefusedWithItsReason) {
    struct Case {
        const char* what;
        YString text;
        const char* expected;
    };
    const Case cases[] = {
        {"odd length", HexOf("<settings/>") + YString("7"), "odd number of digits (23)"},
        {"non-hex character", YString("3C7G"), "not a hexadecimal digit at 3"},
        {"blank between digits", YString("3C 7A3"), "not a hexadecimal digit at 2"},
        {"empty", YString(), "The preset content is empty."},
        {"neither zlib nor XML", HexOf(std::string("\x01\x02\x03garbage", 10)), "neither compressed nor plain XML"},
        {"zlib header, broken stream", YString("78DA0102030405"), "neither compressed nor plain XML"},
        {"XML cut short", HexOf("<settings a=\"1\"><shape>"), "neither compressed nor plain XML"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_NE(MessageOf(c.text).find(c.expected), std::string::npos) << MessageOf(c.text);
    }
}

TEST(YPresetContentTest, InlinePresetConvertsToTheSameSettings) {
    auto settings = SampleSettings();
    YXMLItem preset("preset");
    YPresetContent::CopyTree(*settings, preset);
    preset.SetAttribute("name", "Old & \"quoted\"");
    ASSERT_TRUE(YPresetContent::IsInline(preset));
    const std::string before = Compact(*YPresetContent::Settings(preset));

    ASSERT_TRUE(YPresetContent::ConvertInline(preset));
    EXPECT_FALSE(YPresetContent::IsInline(preset));
    EXPECT_EQ(preset.GetAttributeCount(), 2);
    EXPECT_EQ(preset.GetChildCount(), 0);
    EXPECT_EQ(preset.GetAttribute("name").ToUTF8(), "Old & \"quoted\"");
    EXPECT_EQ(Compact(*YPresetContent::Settings(preset)), before);
    EXPECT_EQ(before, Compact(*settings));
    // A second conversion finds nothing to do.
    const std::string converted = Compact(preset);
    EXPECT_FALSE(YPresetContent::ConvertInline(preset));
    EXPECT_EQ(Compact(preset), converted);
}
