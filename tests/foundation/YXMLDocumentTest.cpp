#include "foundation/YXMLDocument.h"
#include "support/InflatingState.h"

#include "StreamTestSupport.h"
#include "foundation/YMemoryStream.h"
#include "platform/YStdFileStream.h"
#include "foundation/YZLibStream.h"
#include "support/AllocationCounting.h"

#include <algorithm>

#include <string>
#include <vector>

namespace {

std::string Bytes(YMemoryStream copy) {
    copy.Seek(0, YStream::kFromStart);
    std::string bytes(static_cast<std::size_t>(copy.GetSize()), '\0');
    copy.Read(bytes.data(), static_cast<int32_t>(bytes.size()));
    return bytes;
}

YMemoryStream StreamOf(const std::string& bytes) {
    return YMemoryStream(bytes.data(), static_cast<int32_t>(bytes.size()));
}

std::string Saved(const YXMLDocument& doc, bool compact, const YString& encoding = "utf-8") {
    YMemoryStream out;
    doc.Save(out, encoding, compact);
    return Bytes(out);
}

// A canonical dump of a tree: compares names, sorted attributes, text and child order.
void Dump(const YXMLItem& item, std::string& out) {
    out += Cat("(", item.GetName().ToUTF8());
    for (int32_t i = 0; i < item.GetAttributeCount(); ++i)
        out += Cat(" ", item.GetAttributeAt(i).name.ToUTF8(), "=", item.GetAttributeAt(i).value.ToUTF8());
    out += Cat("|", item.GetText().ToUTF8());
    for (const YXMLItem& child : item.Children()) Dump(child, out);
    out += ")";
}
std::string Dump(const YXMLItem& item) {
    std::string out;
    Dump(item, out);
    return out;
}

// A settings-like tree with every kind of content the writer must escape or encode.
void BuildSample(YXMLDocument& doc) {
    doc.SetName("settings");
    doc.SetAttribute("version", "7.10");
    doc.SetAttribute("name",
                     YString::FromUTF8("Caf\xC3\xA9 <\"quoted\"> & 'apos' \xE2\x82\xAC \xF0\x9F\x8E\xB8"));
    YXMLItem& parameters = doc.AddChild("Parameters");
    for (int i = 0; i < 20; ++i) {
        YXMLItem& p = parameters.AddChild("Parameter");
        p.SetAttribute("value", YString::FromDouble(i / 7.0, 12));
        p.SetAttribute("id", YString::FromInteger(i));
    }
    doc.AddChild("Notes").SetText(YString::FromUTF8("a < b && c > d\nline two"));
    doc.AddChild("Empty");
    doc.GetChild("Notes").AddChild("Inner").SetAttribute("k", "v");
}

} // namespace

TEST(YXMLDocumentTest, IndentedFormIsExact) {
    YXMLDocument doc("settings");
    doc.SetAttribute("b", "2");
    doc.SetAttribute("a", "1&");
    YXMLItem& edit = doc.AddChild("Edit");
    edit.SetText("some text");
    edit.AddChild("Leaf");
    doc.AddChild("Empty");
    doc.AddChild("TextOnly").SetText("t");
    EXPECT_EQ(Saved(doc, false), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                                 "<settings a=\"1&amp;\" b=\"2\">\n"
                                 "\t<Edit>\n"
                                 "\t\tsome text\n"
                                 "\t\t<Leaf/>\n"
                                 "\t</Edit>\n"
                                 "\t<Empty/>\n"
                                 "\t<TextOnly>\n"
                                 "\t\tt\n"
                                 "\t</TextOnly>\n"
                                 "</settings>\n");
    EXPECT_EQ(Saved(doc, true), "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                                "<settings a=\"1&amp;\" b=\"2\"><Edit>some text<Leaf/></Edit><Empty/>"
                                "<TextOnly>t</TextOnly></settings>");
}

TEST(YXMLDocumentTest, AnElementWithNothingInsideIsWrittenEmpty) {
    YXMLDocument doc("Configuration");
    EXPECT_EQ(Saved(doc, true), "<?xml version=\"1.0\" encoding=\"utf-8\"?><Configuration/>");
}

TEST(YXMLDocumentTest, AttributesAreWrittenInNameOrder) {
    YXMLDocument doc("r");
    for (const char* name : {"zeta", "alpha", "Mid", "beta", "alpha"})
        doc.SetAttribute(YString::Literal(name), "x");
    EXPECT_EQ(Saved(doc, true),
              "<?xml version=\"1.0\" encoding=\"utf-8\"?><r Mid=\"x\" alpha=\"x\" beta=\"x\" zeta=\"x\"/>");
}

TEST(YXMLDocumentTest, EmptyNamesCannotBeWritten) {
    YXMLDocument unnamed;
    YMemoryStream out;
    EXPECT_EQ(Raised([&] { unnamed.Save(out); }).message, "XML entity cannot have empty name.");
    YXMLDocument doc("root");
    doc.AddChild("ok").AddChild("");
    EXPECT_EQ(Raised([&] { doc.Save(out, "utf-8", true); }).message, "XML entity cannot have empty name.");
    EXPECT_EQ(Raised([&] { doc.SaveCompressed(out); }).message, "XML entity cannot have empty name.");
    EXPECT_EQ(Raised([&] { doc.Save(out, "klingon"); }).message, "Unsupported text encoding (klingon).");
}

TEST(YXMLDocumentTest, RoundTripsInEveryFormAndEncoding) {
    YXMLDocument original;
    BuildSample(original);
    const std::string expected = Dump(original);
    for (const char* encoding : {"utf-8", "utf-16", "UTF-16BE", "iso-8859-1", "windows-1252", "us-ascii"}) {
        for (bool compact : {false, true}) {
            YMemoryStream stream;
            original.Save(stream, YString::Literal(encoding), compact);
            stream.Seek(0, YStream::kFromStart);
            YXMLDocument loaded;
            loaded.Load(stream);
            EXPECT_EQ(Dump(loaded), expected) << encoding << (compact ? " compact" : " indented");
        }
    }
    YMemoryStream compressed;
    original.SaveCompressed(compressed);
    compressed.Seek(0, YStream::kFromStart);
    YXMLDocument loaded;
    loaded.LoadCompressed(compressed);
    EXPECT_EQ(Dump(loaded), expected);
}

TEST(YXMLDocumentTest, EightBitEncodingsWriteMissingCharactersAsReferences) {
    YXMLDocument doc("a");
    doc.SetText(YString::FromUTF8("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB8"));
    EXPECT_EQ(Saved(doc, true, "iso-8859-1"),
              "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><a>\xE9&#8364;&#127928;</a>");
    EXPECT_EQ(Saved(doc, true, "windows-1252"),
              "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>\xE9\x80&#127928;</a>");
}

// Runs of plain characters go out in one piece; what sits between them still goes one by one:
// entities, characters past ASCII, and a lone surrogate, whose replacement comes before the run.
TEST(YXMLDocumentTest, PlainRunsAndWhatBreaksThemAreWrittenAsCharacterByCharacter) {
    YXMLDocument doc("a");
    const std::u16string text = u"ab<c&\u00E9d" + std::u16string(1, char16_t(0xD800)) + u"ef\"g\u20AC";
    doc.SetText(YString::FromUTF16(text));
    doc.SetAttribute(YString::FromUTF8("n\xC3\xA4me"), "x'y");
    EXPECT_EQ(Saved(doc, true, "utf-8"), "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                                         "<a n\xC3\xA4me=\"x&apos;y\">ab&lt;c&amp;\xC3\xA9"
                                         "d\xEF\xBF\xBD" "ef&quot;g\xE2\x82\xAC</a>");
    EXPECT_EQ(Saved(doc, true, "iso-8859-1"), "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>"
                                              "<a n\xE4me=\"x&apos;y\">ab&lt;c&amp;\xE9"
                                              "d&#55296;ef&quot;g&#8364;</a>");
}

TEST(YXMLDocumentTest, SaveCompressedIsZLibAtLevel9OfTheCompactForm) {
    YXMLDocument doc;
    BuildSample(doc);
    YMemoryStream compressed;
    doc.SaveCompressed(compressed);
    const std::string bytes = Bytes(compressed);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\x78\xDA");
    YMemoryStream source = StreamOf(bytes);
    YZLibStream inflater(source, YZLibStream::kDecompress);
    std::string plain(100000, '\0');
    plain.resize(static_cast<std::size_t>(inflater.Read(plain.data(), 100000)));
    EXPECT_EQ(plain, Saved(doc, true));
}

TEST(YXMLDocumentTest, LoadCompressedAcceptsPlainTextLikeLoad) {
    YXMLDocument original;
    BuildSample(original);
    for (bool compact : {false, true}) {
        const std::string text = Saved(original, compact);
        YMemoryStream a = StreamOf(text);
        YMemoryStream b = StreamOf(text);
        YXMLDocument plain;
        YXMLDocument tolerant;
        plain.Load(a);
        tolerant.LoadCompressed(b);
        EXPECT_EQ(Dump(tolerant), Dump(plain));
    }
}

TEST(YXMLDocumentTest, LoadCompressedStartsFromTheCurrentPosition) {
    YXMLDocument original("state");
    original.SetAttribute("k", "v");
    YMemoryStream stream;
    stream.Write("HEADER", 6);
    original.SaveCompressed(stream);
    stream.Seek(6, YStream::kFromStart);
    YXMLDocument loaded;
    loaded.LoadCompressed(stream);
    EXPECT_EQ(Dump(loaded), Dump(original));

    // Plain text after a header: the retry goes back to the remembered position, not to 0.
    std::string text = Cat("HEADER", Saved(original, true));
    YMemoryStream plain = StreamOf(text);
    plain.Seek(6, YStream::kFromStart);
    YXMLDocument fromPlain;
    fromPlain.LoadCompressed(plain);
    EXPECT_EQ(Dump(fromPlain), Dump(original));
}

TEST(YXMLDocumentTest, BrokenCompressedDataReportsThePlainAttemptsError) {
    YXMLDocument original;
    BuildSample(original);
    YMemoryStream compressed;
    original.SaveCompressed(compressed);
    std::string bytes = Bytes(compressed);
    const std::string truncated = bytes.substr(0, bytes.size() / 2);
    YMemoryStream stream = StreamOf(truncated);
    YXMLDocument loaded("previous");
    loaded.SetAttribute("stale", "1");
    // The inflater fails on the cut; the retry reads the compressed bytes as text.
    EXPECT_EQ(Raised([&] { loaded.LoadCompressed(stream); }).message, "Text outside of any element.");
    // A failed load leaves nothing half-built behind.
    EXPECT_EQ(loaded.GetChildCount(), 0);
    EXPECT_EQ(loaded.GetAttributeCount(), 0);
    EXPECT_TRUE(loaded.GetName().IsEmpty());
}

TEST(YXMLDocumentTest, ValidCompressedDataWithBrokenXmlFallsBackAndFails) {
    YMemoryStream compressed;
    {
        YZLibStream deflater(compressed, YZLibStream::kCompress);
        deflater.WriteString("<a><b></a>");
        deflater.Terminate();
    }
    compressed.Seek(0, YStream::kFromStart);
    YXMLDocument doc;
    // The compressed attempt fails on the closing tag; the plain retry fails on the binary bytes.
    EXPECT_EQ(Raised([&] { doc.LoadCompressed(compressed); }).message, "Text outside of any element.");
    YMemoryStream inflatedOnly;
    {
        YZLibStream deflater(inflatedOnly, YZLibStream::kCompress);
        deflater.WriteString("<a><b></a>");
        deflater.Terminate();
    }
    inflatedOnly.Seek(0, YStream::kFromStart);
    YZLibStream inflater(inflatedOnly, YZLibStream::kDecompress);
    EXPECT_EQ(Raised([&] { doc.Load(inflater); }).message,
              "Invalid file contents. Invalid closing element name.");
}

TEST(YXMLDocumentTest, LoadReplacesThePreviousTree) {
    YXMLDocument doc;
    BuildSample(doc);
    YMemoryStream stream = StreamOf("<other x=\"1\"/>");
    doc.Load(stream);
    EXPECT_EQ(Dump(doc), "(other x=1|)");
}

TEST(YXMLDocumentTest, DeepTreesSaveAndLoadWithoutRecursion) {
    // The indented form of depth d holds d * d tabs, so it is checked less deep.
    for (auto [kDepth, compact] : {std::pair{100000, true}, std::pair{2000, false}}) {
        YXMLDocument doc("root");
        YXMLItem* item = &doc;
        for (int i = 0; i < kDepth; ++i) item = &item->AddChild("n");
        item->SetText("bottom");
        YMemoryStream stream;
        doc.Save(stream, "utf-8", compact);
        stream.Seek(0, YStream::kFromStart);
        YXMLDocument loaded;
        loaded.Load(stream);
        const YXMLItem* walk = &loaded;
        int depth = 0;
        while (walk->GetFirstChild()) {
            walk = walk->GetFirstChild();
            ++depth;
        }
        EXPECT_EQ(depth, kDepth);
        EXPECT_EQ(walk->GetText().ToUTF8(), "bottom");
    }
}

TEST(YXMLDocumentTest, FilesRoundTripThroughTheFileStream) {
    ScratchFolder dir;
    const YString path = YString::FromUTF8(dir.Path("Vornik/presets.xml"));
    YXMLDocument original;
    BuildSample(original);
    {
        YStdFileStream out(path, YStdFileStream::kWrite | YStdFileStream::kCreate);
        original.SaveCompressed(out);
    }
    YStdFileStream in(path, YStdFileStream::kRead);
    YXMLDocument loaded;
    loaded.LoadCompressed(in);
    EXPECT_EQ(Dump(loaded), Dump(original));
}

namespace {

// <a b="xxx…"/> of exactly `size` bytes, deflated piece by piece so the text itself is
// never held.
YMemoryStream CompressedDocumentOfSize(int64_t size) {
    const std::vector<uint8_t> bytes = InflatingState::Make(size, "<a b=\"");
    YMemoryStream out;
    out.Write(bytes.data(), static_cast<int32_t>(bytes.size()));
    out.Seek(0, YStream::kFromStart);
    return out;
}

// A source that counts what is taken from it.
class CountingSource : public YStream {
public:
    explicit CountingSource(YMemoryStream& inner) : m_inner(inner) {}
    int32_t Read(void* bytes, int32_t count) override {
        const int32_t got = m_inner.Read(bytes, count);
        taken += got;
        return got;
    }
    void Seek(int64_t offset, int origin) override { m_inner.Seek(offset, origin); }
    int64_t GetPosition() override { return m_inner.GetPosition(); }
    int64_t GetSize() override { return m_inner.GetSize(); }
    int64_t taken = 0;

private:
    YMemoryStream& m_inner;
};

} // namespace

TEST(YXMLDocumentTest, ADocumentInflatingPastTheLimitIsRefusedUnparsed) {
    // 200 MB of text in about 200 KB, as a hostile state would be.
    YMemoryStream bomb = CompressedDocumentOfSize(200 * 1000 * 1000);
    ASSERT_LT(bomb.GetSize(), 250 * 1000);
    CountingSource source(bomb);
    YXMLDocument doc("previous");
    doc.SetAttribute("kept", "no");
    const uint64_t allocationsBefore = AllocationCounting::Bytes();
    const RaisedError e = Raised([&] { doc.LoadCompressed(source); });
    const uint64_t allocated = AllocationCounting::Bytes() - allocationsBefore;
    EXPECT_EQ(e.code, YXMLDocument::kTooLargeCode);
    EXPECT_EQ(e.message, "The document is larger than 16 MiB.");
    // Inflating stopped at the limit: a fraction of the compressed bytes was taken, and
    // nothing near the inflated size was allocated.
    EXPECT_LT(source.taken, bomb.GetSize() / 4);
    EXPECT_LT(allocated, 1u << 20);
    EXPECT_EQ(doc.GetAttributeCount(), 0);
    EXPECT_TRUE(doc.GetName().IsEmpty());
}

TEST(YXMLDocumentTest, TheLimitIsSixteenMebibytesInflatedOrPlain) {
    constexpr int64_t kLimit = YXMLDocument::kMaxTextBytes;
    ASSERT_EQ(kLimit, 16 * 1024 * 1024);
    {
        YMemoryStream atLimit = CompressedDocumentOfSize(kLimit);
        YXMLDocument doc;
        doc.LoadCompressed(atLimit);
        EXPECT_EQ(doc.GetName().ToUTF8(), "a");
        EXPECT_EQ(doc.GetAttribute("b").Length(), kLimit - 9);
    }
    YMemoryStream overLimit = CompressedDocumentOfSize(kLimit + 1);
    YXMLDocument doc;
    EXPECT_EQ(Raised([&] { doc.LoadCompressed(overLimit); }).code, YXMLDocument::kTooLargeCode);

    // Plain text is held to the same size.
    std::string plain = "<a b=\"" + std::string(static_cast<std::size_t>(kLimit - 8), 'x') + "\"/>";
    YMemoryStream plainStream = StreamOf(plain);
    EXPECT_EQ(Raised([&] { doc.LoadCompressed(plainStream); }).code, YXMLDocument::kTooLargeCode);
}
