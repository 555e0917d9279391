// The textured style from small definitions: colours (named and by digits), state alphas,
// images with their fill modes and colour operations, captions and caption buttons, metric
// and font entries, the resource file round trip, and the messages for bad values.
#include "gui/drawing/YDrawerToYBitmap.h"
#include "gui/drawing/YFont.h"
#include "gui/style/YStyleColors.h"
#include "gui/style/YStyleResourceFile.h"
#include "gui/style/YTexturedStyle.h"
#include "gui/toolkit/YContainer.h"
#include "gui/toolkit/YWindow.h"

#include "../windows/PngSnapshot.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"
#include "support/RaisedMessage.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

std::unique_ptr<YXMLDocument> Parse(const std::string& xml) {
    auto document = std::make_unique<YXMLDocument>();
    YMemoryStream stream;
    stream.Write(xml.data(), static_cast<int32_t>(xml.size()));
    stream.Seek(0, 0);
    document->Load(stream);
    return document;
}

// The pixel at the middle of a 40 x 20 rectangle painted over opaque black.
YColor Painted(YStyle& style, YControlType type, uint32_t state, YPoint at = {20, 10}) {
    YBitmap bitmap(40, 20);
    bitmap.Fill(YColor::RGB(0, 0, 0));
    YDrawerToYBitmap d(&bitmap);
    style.DrawControl(d, type, state, bitmap.Bounds());
    return bitmap.At(at.x, at.y);
}

TEST(TexturedStyle, SectionColoursAndStateAlphasPaintTheControl) {
    const auto definition = Parse(
        "<definition highlightedalpha=\"128\" deflayoutspace=\"9\">"
        "<colors><YColor name=\"steel\" value=\"4080C0FF\"/><QuenlorColor name=\"ink\" value=\"000000FF\"/></colors>"
        "<button fillcolor=\"steel\" linecolor=\"ink\" Disabledalpha=\"0\" unknownattribute=\"1\"/>"
        "<edit fillcolor=\"FF0000FF\"/><unknownsection a=\"b\"/>"
        "</definition>");
    YTexturedStyle style;
    style.Load(*definition, "", "Steel");
    EXPECT_EQ(style.Name().ToUTF8(), "Steel");
    EXPECT_EQ(Painted(style, YControlType::kButton, 0), YColor::RGB(0x40, 0x80, 0xC0));
    EXPECT_EQ(Painted(style, YControlType::kButton, 0, {0, 10}), YColor::RGB(0, 0, 0)); // the ink border
    // Half alpha under the pointer blends with the black below; disabled alpha 0 paints nothing.
    EXPECT_EQ(Painted(style, YControlType::kButton, YControlState::kHighlighted), YColor::RGB(0x20, 0x40, 0x60));
    EXPECT_EQ(Painted(style, YControlType::kButton, YControlState::kDisabled), YColor::RGB(0, 0, 0));
    EXPECT_EQ(Painted(style, YControlType::kEdit, 0), YColor::RGB(0xFF, 0, 0));
    // Kinds without a section keep the code-drawn look; metrics without an entry too.
    YBaseStyle base;
    EXPECT_EQ(Painted(style, YControlType::kListBox, 0), Painted(base, YControlType::kListBox, 0));
    EXPECT_EQ(style.Metric(YStyleMetric::kDefLayoutSpace), 9);
    EXPECT_EQ(style.Metric(YStyleMetric::kHSplitterSize), base.Metric(YStyleMetric::kHSplitterSize));
}

TEST(TexturedStyle, BadValuesRaiseTheirMessagesAndLeaveTheStyleAsItWas) {
    struct Row {
        const char* xml;
        const char* message;
    };
    const Row rows[] = {
        {"<definition><button><image fill=\"Tiles\"/></button></definition>",
         "Invalid YBitmapFill identifier to parse (Tiles)."},
        {"<definition><button><image op=\"Multiply\"/></button></definition>",
         "Invalid YColorOp identifier to parse (Multiply)."},
        {"<definition><button fillcolor=\"nocolour\"/></definition>", "Invalid color value (nocolour)."},
        {"<definition><fonts><font id=\"huge\" height=\"12\"/></fonts></definition>",
         "Invalid YStdFont identifier to parse (huge)."},
        {"<definition><normalcaption captionfont=\"tiny\"/></definition>", "Invalid YStdFont identifier to parse (tiny)."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.xml);
        YTexturedStyle style;
        style.Load(*Parse("<definition><button fillcolor=\"00FF00FF\"/></definition>"), "", "Green");
        EXPECT_EQ(RaisedMessage([&] { style.Load(*Parse(row.xml), "", "Broken"); }), row.message);
        EXPECT_EQ(style.Name().ToUTF8(), "Green");
        EXPECT_EQ(Painted(style, YControlType::kButton, 0), YColor::RGB(0, 0xFF, 0));
    }
}

TEST(TexturedStyle, ImagesFillByTheirModeAndTakeTheirColourOperations) {
    ScratchFolder folder;
    // A 2 x 2 checker of red and blue, written as the style's image file.
    YBitmap checker(2, 2);
    checker.At(0, 0) = checker.At(1, 1) = YColor::RGB(255, 0, 0);
    checker.At(1, 0) = checker.At(0, 1) = YColor::RGB(0, 0, 255);
    ASSERT_TRUE(snapshot::WritePng(checker, folder.Path("checker.png")));

    YTexturedStyle style;
    style.Load(*Parse("<definition>"
                      "<button><image file=\"checker.png\" fill=\"Pattern\" op=\"Copy\"/>"
                      "<clicked file=\"checker.png\" fill=\"Stretch\" op=\"Copy\"/></button>"
                      "<edit><image file=\"checker.png\" fill=\"Pattern\" op=\"Copy\" changesaturation=\"-100\"/></edit>"
                      "</definition>"),
               YString::FromUTF8(folder.Path()), "Checker");
    YBitmap bitmap(8, 8);
    YDrawerToYBitmap d(&bitmap);
    style.DrawControl(d, YControlType::kButton, 0, bitmap.Bounds());
    // Repeated every two pixels.
    EXPECT_EQ(bitmap.At(4, 4), YColor::RGB(255, 0, 0));
    EXPECT_EQ(bitmap.At(5, 4), YColor::RGB(0, 0, 255));
    // Pressed: the whole picture stretched, so each colour covers a 4 x 4 quarter.
    style.DrawControl(d, YControlType::kButton, YControlState::kClicked, bitmap.Bounds());
    EXPECT_EQ(bitmap.At(1, 1), YColor::RGB(255, 0, 0));
    EXPECT_EQ(bitmap.At(3, 2), YColor::RGB(255, 0, 0));
    EXPECT_EQ(bitmap.At(5, 2), YColor::RGB(0, 0, 255));
    // Desaturated: both colours become their grey.
    style.DrawControl(d, YControlType::kEdit, 0, bitmap.Bounds());
    EXPECT_EQ(bitmap.At(0, 0).r, bitmap.At(0, 0).g);
    EXPECT_EQ(bitmap.At(0, 0).g, bitmap.At(0, 0).b);
    EXPECT_NE(bitmap.At(0, 0), bitmap.At(1, 0));
    // A missing image file is an error of the definition.
    YTexturedStyle other;
    EXPECT_NE(RaisedMessage([&] {
                  other.Load(*Parse("<definition><button><image file=\"absent.png\"/></button></definition>"),
                             YString::FromUTF8(folder.Path()), "Absent");
              }),
              "(nothing raised)");
}

TEST(TexturedStyle, CaptionBlocksAndTheCollapseButton) {
    YTexturedStyle style;
    style.Load(*Parse("<definition><normalcaption captionheight=\"30\" captionfont=\"large1\" captiontextoffset=\"12\""
                      " backgroundundercaption=\"102030FF\" captiontextcolor=\"F0F0F0FF\"/></definition>"),
               "", "Caps");
    EXPECT_EQ(style.CaptionHeight(YCaptionType::kNormal), 30);
    EXPECT_EQ(style.CaptionHeight(YCaptionType::kSmall), YBaseStyle().CaptionHeight(YCaptionType::kSmall));

    YBitmap bitmap(200, 30);
    YDrawerToYBitmap d(&bitmap);
    style.DrawCaption(d, bitmap.Bounds(), "Title", YCaptionType::kNormal, 0);
    EXPECT_EQ(bitmap.At(2, 2), YColor::RGB(0x10, 0x20, 0x30));
    bool textSeen = false;
    for (int32_t x = 12; x < 80 && !textSeen; ++x)
        for (int32_t y = 0; y < 30 && !textSeen; ++y) textSeen = bitmap.At(x, y).r > 0x80;
    EXPECT_TRUE(textSeen);

    YWindow root(nullptr);
    root.SetSize(300, 300);
    root.SetStyle(&style);
    auto* group = new YContainer(&root, "group");
    group->SetPosition(0, 0);
    group->SetSize(200, 100);
    group->SetCaption("Group");
    group->SetFlag(YControlFlag::kCollapsable, true);
    const YTexturedStyle::ControlCaptionInstance caption = style.Caption(*group);
    EXPECT_EQ(caption.bar, (YRect{0, 0, 199, 29}));
    EXPECT_EQ(caption.content.top, 30);
    ASSERT_EQ(caption.buttons.size(), 1u);
    EXPECT_EQ(caption.text.left, 12);
    EXPECT_LT(caption.text.right, caption.buttons[0].left);
    // A press on the text does nothing; on the button it collapses and marks the control.
    root.Dispatch(YSystemEvent::Mouse(YEventCode::kLeftDown, {20, 15}, 0));
    EXPECT_FALSE(group->HasFlag(YControlFlag::kCollapsed));
    const YRect b = caption.buttons[0];
    root.Dispatch(YSystemEvent::Mouse(YEventCode::kLeftDown, {(b.left + b.right) / 2, (b.top + b.bottom) / 2}, 0));
    EXPECT_TRUE(group->HasFlag(YControlFlag::kCollapsed));
    EXPECT_NE(group->Extension(YTexturedStyle::SpecialCaptionButtonTag::kTag), nullptr);
    root.SetStyle(nullptr);
}

TEST(TexturedStyle, FontsAndScaleFromTheDefinition) {
    YTexturedStyle style;
    style.Load(*Parse("<definition ResizeX=\"2\" ResizeY=\"2\"><fonts><font id=\"normal\" height=\"10\" bold=\"1\"/>"
                      "<font id=\"small\" face=\"No Such Family\" height=\"9\"/></fonts></definition>"),
               "", "Big");
    EXPECT_EQ(style.Resize().x, 2.0f);
    EXPECT_EQ(style.Font(YStdFont::kNormal)->PixelSize(), 20);
    EXPECT_TRUE(style.Font(YStdFont::kNormal)->Descriptor().bold);
    // A family the system lacks falls back to the built-in face at the size asked.
    EXPECT_EQ(style.Font(YStdFont::kSmall)->PixelSize(), 18);
    EXPECT_EQ(style.Metric(YStyleMetric::kDefLayoutSpace), 12);
}

TEST(TexturedStyle, ResourceFileRoundTripsDefinitionsAndKeepsOtherResources) {
    ScratchFolder folder;
    const YString path = YString::FromUTF8(folder.Path("ystyle.yrf"));
    YStyleResourceFile file;
    file.SetResource("extra").AddChild("keep").SetAttribute("me", "1");
    const auto one = Parse("<d><button fillcolor=\"112233FF\"/></d>");
    file.PutDefinition("One", *one);
    file.PutDefinition("Two", *Parse("<d/>"));
    file.PutDefinition("One", *Parse("<d><button fillcolor=\"445566FF\"/></d>"));
    file.Save(path);

    YStyleResourceFile read;
    read.Load(path);
    const std::vector<YString> names = read.TexturedStyleNames();
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0].ToUTF8(), "One");
    EXPECT_EQ(names[1].ToUTF8(), "Two");
    const YXMLItem* definition = read.Definition("One");
    ASSERT_NE(definition, nullptr);
    EXPECT_EQ(definition->GetChild("button").GetAttribute("fillcolor").ToUTF8(), "445566FF");
    EXPECT_EQ(read.Definition("Three"), nullptr);
    ASSERT_NE(read.Resource("extra"), nullptr);
    EXPECT_NE(read.Resource("extra")->FindChild("keep"), nullptr);
    // A damaged file raises and leaves nothing behind.
    {
        std::FILE* f = std::fopen(folder.Path("ystyle.yrf").c_str(), "wb");
        std::fputs("<yrf><resource/></yrf>", f);
        std::fclose(f);
    }
    EXPECT_EQ(RaisedMessage([&] { read.Load(path); }), "Invalid style resource file.");
    EXPECT_TRUE(read.TexturedStyleNames().empty());
}

} // namespace
