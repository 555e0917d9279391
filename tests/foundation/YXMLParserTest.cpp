#include "foundation/YXMLParser.h"

#include "StreamTestSupport.h"
#include "foundation/YMemoryStream.h"

#include <string>

namespace {
void Build(YXMLItem& root, const std::string& text) {
    YMemoryStream stream(text.data(), static_cast<int32_t>(text.size()));
    YLibraryInternals::YXMLParser builder(root);
    builder.Parse(stream);
}
std::string BuildError(const std::string& text) {
    YXMLItem root;
    return Raised([&] { Build(root, text); }).message;
}
} // namespace

TEST(YXMLParserTest, BuildsTheTreeUnderTheRoot) {
    YXMLItem root;
    Build(root, "<settings version=\"3\"><Edit a=\"1\"/><Edit a=\"2\"><Inner/></Edit>  top  </settings>");
    EXPECT_EQ(root.GetName().ToUTF8(), "settings");
    EXPECT_EQ(root.GetAttribute("version").ToUTF8(), "3");
    EXPECT_EQ(root.GetText().ToUTF8(), "top");
    ASSERT_EQ(root.GetChildCount(), 2);
    YXMLItem& second = root.GetChildAt(1);
    EXPECT_EQ(second.GetAttribute("a").ToUTF8(), "2");
    EXPECT_EQ(second.GetPreviousSibling(), &root.GetChildAt(0));
    EXPECT_EQ(second.GetChild("Inner").GetDepth(), 2);
}

TEST(YXMLParserTest, TextPiecesAreTrimmedAndJoined) {
    YXMLItem root;
    Build(root, "<a>  one <!-- c --> two <b/> three\n</a>");
    EXPECT_EQ(root.GetText().ToUTF8(), "onetwothree");
}

TEST(YXMLParserTest, StructuralErrors) {
    const std::pair<const char*, const char*> cases[] = {
        {"<a><b/></c>", "Invalid file contents. Invalid closing element name."},
        {"<a></A>", "Invalid file contents. Invalid closing element name."},
        {"</a>", "Invalid file contents. Invalid closing element name."},
        {"<a/></a>", "Invalid file contents. Invalid closing element name."},
        {"junk<a/>", "Text outside of any element."},
        {"<a/>junk", "Text outside of any element."},
        {"<a/><b/>", "Invalid file contents. More than one root element."},
        {"<a><b>", "Invalid file contents. Element \"b\" is not closed."},
        {"<a>", "Invalid file contents. Element \"a\" is not closed."},
        {"", "Invalid file contents. No root element found."},
        {"  <!-- only a comment -->  ", "Invalid file contents. No root element found."},
    };
    for (auto [input, message] : cases) EXPECT_EQ(BuildError(input), message) << input;
}

TEST(YXMLParserTest, BlankTextOutsideTheRootIsIgnored) {
    YXMLItem root;
    Build(root, " \r\n\t<a/>\n\n");
    EXPECT_EQ(root.GetName().ToUTF8(), "a");
}

TEST(YXMLParserTest, DeepNestingParsesWithoutRecursion) {
    constexpr int kDepth = 100000;
    std::string text;
    for (int i = 0; i < kDepth; ++i) text += "<n>";
    for (int i = 0; i < kDepth; ++i) text += "</n>";
    YXMLItem root;
    Build(root, text);
    const YXMLItem* item = &root;
    int depth = 0;
    while (item->GetFirstChild()) {
        item = item->GetFirstChild();
        ++depth;
    }
    EXPECT_EQ(depth, kDepth - 1);
}

TEST(YXMLParserTest, AttributesInAnyOrderEndSortedWithTheLastDuplicateKept) {
    YXMLItem root;
    Build(root, "<a z=\"1\" b=\"2\" z=\"3\"><c y=\"1\" x=\"2\"/></a>");
    ASSERT_EQ(root.GetAttributeCount(), 2);
    EXPECT_EQ(root.GetAttributeAt(0).name.ToUTF8(), "b");
    EXPECT_EQ(root.GetAttribute("z").ToUTF8(), "3");
    EXPECT_EQ(root.GetChildAt(0).GetAttributeAt(0).name.ToUTF8(), "x");
    EXPECT_EQ(root.GetChildAt(0).GetAttribute("y").ToUTF8(), "1");
}
