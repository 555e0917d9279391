#include "foundation/YMLParser.h"

#include "StreamTestSupport.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLItem.h"

#include <string>
#include <vector>

namespace {

using Tokenizer = YMLParser<YXMLAttribute, std::vector<YXMLAttribute>>;

// Writes every event as one line: "<name a=v ...", "</name", "text|...".
class Recorder : public Tokenizer::Handler {
public:
    void Element(const YString& name, std::vector<YXMLAttribute>& attributes, bool closing) override {
        std::string line(closing ? "</" : "<");
        line += name.ToUTF8();
        for (const YXMLAttribute& a : attributes)
            line.append(" ").append(a.name.ToUTF8()).append("=").append(a.value.ToUTF8());
        events.push_back(line);
    }
    void Text(const YString& text) override {
        std::string line("text|");
        line += text.ToUTF8();
        events.push_back(line);
    }
    std::vector<std::string> events;
};

std::vector<std::string> Tokenize(const std::string& bytes) {
    YMemoryStream stream(bytes.data(), static_cast<int32_t>(bytes.size()));
    Recorder recorder;
    Tokenizer tokenizer(stream, recorder);
    tokenizer.Parse();
    return recorder.events;
}

std::string TokenizeError(const std::string& bytes) {
    return Raised([&] { Tokenize(bytes); }).message;
}

// The UTF-16 bytes of ASCII text.
std::string Utf16(const std::string& text, bool littleEndian) {
    std::string bytes;
    for (char c : text) {
        if (littleEndian) {
            bytes.push_back(c);
            bytes.push_back('\0');
        } else {
            bytes.push_back('\0');
            bytes.push_back(c);
        }
    }
    return bytes;
}

using Events = std::vector<std::string>;

} // namespace

TEST(YMLParserTest, ElementsAttributesAndText) {
    EXPECT_EQ(Tokenize("<a x=\"1\" y = '2'>hi<b/></a >"),
              (Events{"<a x=1 y=2", "text|hi", "<b", "</b", "</a"}));
    EXPECT_EQ(Tokenize("<e\tk=\"\"\n/>"), (Events{"<e k=", "</e"}));
    // Blank runs between elements are not reported.
    EXPECT_EQ(Tokenize("<a>\n\t<b>\n</b>\n</a>\n"), (Events{"<a", "<b", "</b", "</a"}));
}

TEST(YMLParserTest, EntitiesDecodeInTextAndValuesAndUnknownOnesStay) {
    EXPECT_EQ(Tokenize("<a v=\"&lt;&amp;&gt;&quot;&apos;\">&#65;&#x42;&#x1F600; &amp</a>"),
              (Events{"<a v=<&>\"'", "text|AB\xF0\x9F\x98\x80 &amp", "</a"}));
    EXPECT_EQ(Tokenize("<a>&bogus; &#xZZ; &#0;</a>"),
              (Events{"<a", "text|&bogus; &#xZZ; \xEF\xBF\xBD", "</a"}));
}

TEST(YMLParserTest, CommentsAreDroppedAndCDataPassesVerbatim) {
    EXPECT_EQ(Tokenize("<!-- a <b> -- c --><a><!----><![CDATA[<x>&amp;]]]></a>"),
              (Events{"<a", "text|<x>&amp;]", "</a"}));
}

TEST(YMLParserTest, DeclarationsAndProcessingInstructionsAreConsumed) {
    EXPECT_EQ(Tokenize("<?xml version=\"1.0\"?><?style sheet=\"x\" ?><a/>"), (Events{"<a", "</a"}));
}

TEST(YMLParserTest, EveryErrorCarriesThePrefix) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"<a><!DOCTYPE x></a>", "Invalid special element sequence."},
        {"<a><![CDATX[x]]></a>", "Invalid special element sequence."},
        {"<a><!-x--></a>", "Invalid special element sequence."},
        {"<a></a b>", "Invalid closing element syntax."},
        {"<a></>", "Invalid closing element syntax."},
        {"<a></a", "Invalid closing element syntax."},
        {"< a/>", "No element name found."},
        {"<>", "No element name found."},
        {"<", "No element name found."},
        {"<a =\"1\"/>", "Special character found where attribute expected."},
        {"<a x=\"1\"\"/>", "Special character found where attribute expected."},
        {"<a x/>", "Invalid character found where attribute expected."},
        {"<a x=1/>", "Invalid character found where attribute expected."},
        {"<a/ >", "Invalid element finishing sequence."},
        {"<a x=\"1", "Unexpected end of file."},
        {"<a", "Unexpected end of file."},
        {"<a><!-- open", "Unexpected end of file."},
        {"<a><![CDATA[open", "Unexpected end of file."},
        {"<?xml version=\"1.0\"", "Unexpected end of file."},
        {"<?xml encoding=\"ebcdic\"?><a/>", "Unsupported text encoding (ebcdic)."},
    };
    for (const auto& [input, message] : cases)
        EXPECT_EQ(TokenizeError(input), std::string("Invalid file contents. ").append(message)) << input;
}

TEST(YMLParserTest, TheDeclarationSwitchesTheEncoding) {
    // Byte 0xE9 is é in Latin-1 and 0x80 is the euro sign in windows-1252.
    EXPECT_EQ(Tokenize("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a v=\"\xE9\">\xE9\x80</a>"),
              (Events{"<a v=\xC3\xA9", "text|\xC3\xA9\xC2\x80", "</a"}));
    EXPECT_EQ(Tokenize("<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>\x80\x9F</a>"),
              (Events{"<a", "text|\xE2\x82\xAC\xC5\xB8", "</a"}));
    // Without a declaration the bytes are UTF-8; broken sequences become U+FFFD.
    EXPECT_EQ(Tokenize("<a>\xC3\xA9\xC3(\xF0\x9F\x98\x80</a>"),
              (Events{"<a", "text|\xC3\xA9\xEF\xBF\xBD(\xF0\x9F\x98\x80", "</a"}));
}

TEST(YMLParserTest, ByteOrderMarksAndUtf16Declarations) {
    const std::string doc = "<?xml version=\"1.0\" encoding=\"utf-16\"?><a v=\"1\">t</a>";
    const Events expected{"<a v=1", "text|t", "</a"};
    EXPECT_EQ(Tokenize(std::string("\xFF\xFE").append(Utf16(doc, true))), expected);
    EXPECT_EQ(Tokenize(std::string("\xFE\xFF").append(Utf16(doc, false))), expected);
    EXPECT_EQ(Tokenize(Utf16(doc, true)), expected); // no mark: told by "<?"
    EXPECT_EQ(Tokenize(Utf16(doc, false)), expected);
    EXPECT_EQ(Tokenize("\xEF\xBB\xBF<a>t</a>"), (Events{"<a", "text|t", "</a"}));
    // A UTF-16 surrogate pair and a lone trailing byte.
    std::string pair = std::string("\xFF\xFE").append(Utf16("<a>", true));
    pair.append("\x3D\xD8\x00\xDE", 4).append(Utf16("</a>", true)).append("x");
    EXPECT_EQ(Tokenize(pair), (Events{"<a", "text|\xF0\x9F\x98\x80", "</a", "text|\xEF\xBF\xBD"}));
}
