#include "gui/drawing/YDrawerToYBitmap.h"
#include "gui/drawing/YFont.h"
#include "gui/drawing/YImageDecoder.h"

#include "DrawingTestSupport.h"
#include "support/RaisedMessage.h"

#include "foundation/YResource.h"
#include "platform/YPlatformFile.h"
#include "platform/YPlatformFolders.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

Y_DECLARE_RESOURCE(DefaultFont)

namespace {

std::vector<uint8_t> DefaultFontBytes() { return YResource::Inflate(YResources::DefaultFont); }

TEST(YFontTest, TheDefaultFontIsBuiltIn) {
    const auto font = YFont::Default(16);
    EXPECT_EQ(font->Descriptor().family.ToUTF8(), "DejaVu Sans");
    EXPECT_FALSE(font->Descriptor().bold);
    EXPECT_EQ(font->PixelSize(), 16);
    EXPECT_GE(font->Ascent(), 12);
    EXPECT_LE(font->Ascent(), 17);
    EXPECT_GE(font->Descent(), 2);
    EXPECT_GE(font->LineHeight(), font->Ascent() + font->Descent());
    // Larger sizes draw larger glyphs.
    EXPECT_GT(YFont::Default(40)->TextWidth("Vornik"), 2 * font->TextWidth("Vornik"));
}

TEST(YFontTest, GlyphsAreRenderedOnceAndKept) {
    const auto font = YFont::Default(14);
    const YGlyph* a = font->Glyph(U'a');
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(font->Glyph(U'a'), a);
    EXPECT_GT(a->mask.Width(), 3);
    EXPECT_GT(a->advance, 4 * 64);
    // Anti-aliased: some coverage between none and whole.
    int partial = 0;
    for (int32_t y = 0; y < a->mask.Height(); ++y)
        for (int32_t x = 0; x < a->mask.Width(); ++x) partial += a->mask.At(x, y) > 0 && a->mask.At(x, y) < 255;
    EXPECT_GT(partial, 3);
    font->TextWidth("banana");
    EXPECT_EQ(font->CachedGlyphs(), 3u) << "a, b, n";
    // A space has an advance but nothing to draw.
    const YGlyph* space = font->Glyph(U' ');
    ASSERT_NE(space, nullptr);
    EXPECT_EQ(space->mask.Width(), 0);
    EXPECT_GT(space->advance, 0);
    // Characters beyond the basic plane arrive as surrogate pairs and are laid out as one.
    std::vector<YGlyphPlacement> placements;
    font->Layout(YString::FromUTF8("a\xF0\x9F\x98\x80" "a"), placements);
    EXPECT_EQ(placements.size(), 3u) << "the face's missing-glyph box for the emoji";
}

TEST(YFontTest, KerningPullsPairsTogether) {
    const auto font = YFont::Default(40);
    const YGlyph* a = font->Glyph(U'A');
    const YGlyph* v = font->Glyph(U'V');
    ASSERT_NE(a, nullptr);
    ASSERT_NE(v, nullptr);
    const int32_t kern = font->Kerning(a->index, v->index);
    EXPECT_LT(kern, 0);
    EXPECT_EQ(font->TextWidth("AV"), (a->advance + v->advance + kern + 32) >> 6);
    EXPECT_EQ(font->Kerning(0, v->index), 0);
}

TEST(YFontTest, BadFontsAndSizesGiveTheirErrors) {
    const std::vector<uint8_t> font = DefaultFontBytes();
    const auto cut = [&](size_t n) { return std::vector<uint8_t>(font.begin(), font.begin() + n); };
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        int32_t size;
        const char* expected;
    } cases[] = {
        {"empty", {}, 12, "Unknown font file format."},
        {"text", {'n', 'o', 't', ' ', 'a', ' ', 'f', 'o', 'n', 't'}, 12, "Unknown font file format."},
        {"a png", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13}, 12, "Unknown font file format."},
        {"first 3 bytes", cut(3), 12, "Unknown font file format."},
        {"first 12 bytes", cut(12), 12, "Invalid font file format."},
        {"first 1000 bytes", cut(1000), 12, "Invalid font file format."},
        {"size 0", font, 0, "Unable to accept required font size."},
        {"size -3", font, -3, "Unable to accept required font size."},
        {"size 5000", font, 5000, "Unable to accept required font size."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RaisedMessage([&] { YFont::FromMemory(c.bytes, c.size); }), c.expected) << c.name;
    EXPECT_EQ(RaisedMessage([] { YFont::FromFile("no-such-font.ttf", 12); }),
              "Font no-such-font.ttf was not found in the system.");
}

// Truncations that still open give glyphs or nothing, never a crash: FreeType reads tables
// lazily, so the damage may show only when a glyph is drawn.
TEST(YFontTest, TruncatedFontsNeverCrash) {
    const std::vector<uint8_t> font = DefaultFontBytes();
    for (size_t n : {size_t{5000}, font.size() / 4, font.size() / 2, font.size() - 1000}) {
        std::unique_ptr<YFont> f;
        const std::string raised = RaisedMessage([&] { f = YFont::FromMemory({font.begin(), font.begin() + static_cast<ptrdiff_t>(n)}, 14); });
        if (!f) {
            EXPECT_TRUE(raised == "Invalid font file format." || raised == "Unknown font file format.") << n << ": " << raised;
            continue;
        }
        YBitmap b(200, 30);
        YDrawerToYBitmap d(&b);
        d.SetFont(f.get());
        d.AlignedTextOut(b.Bounds(), "Quick brown fox 0123", kAlignLeft, YColor::RGB(255, 255, 255), YColorOp::Alphablend);
    }
}

// A scan of one folder holding only the default font: found by family in any case, refused
// with the styles it lacks, and unknown families refused.
TEST(YFontTest, SystemFontsAreFoundByFamilyAndStyle) {
    const YString folder = YPlatformFolders::Child(YPlatformFolders::Get(YPlatformFolders::kTemporary), "vornik-font-test");
    ASSERT_TRUE(YPlatformFile::CreateDirectories(folder));
    const YString path = YPlatformFolders::Child(folder, "Sans.ttf");
    {
        const std::vector<uint8_t> bytes = DefaultFontBytes();
        std::FILE* f = YPlatformFile::Open(path, "wb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
        std::fclose(f);
        // Not a font, with a font's name: skipped by the scan.
        std::FILE* g = YPlatformFile::Open(YPlatformFolders::Child(folder, "Broken.ttf"), "wb");
        ASSERT_NE(g, nullptr);
        std::fputs("broken", g);
        std::fclose(g);
    }
    EXPECT_EQ(YFont::ReScanSystemFonts({folder}), 1u);
    const auto found = YFont::Find(YFontDescriptor("dejavu SANS", 18));
    EXPECT_EQ(found->Descriptor().family.ToUTF8(), "DejaVu Sans");
    EXPECT_EQ(found->PixelSize(), 18);
    EXPECT_EQ(RaisedMessage([] { YFont::Find(YFontDescriptor("DejaVu Sans", 18, true, false)); }),
              "Font DejaVu Sans was not found in the system with correct styles.");
    EXPECT_EQ(RaisedMessage([] { YFont::Find(YFontDescriptor("Nonesuch", 18)); }),
              "Font Nonesuch was not found in the system.");
    YPlatformFile::Remove(path);
    YPlatformFile::Remove(YPlatformFolders::Child(folder, "Broken.ttf"));
    YFont::ReScanSystemFonts({});
    EXPECT_EQ(RaisedMessage([] { YFont::Find(YFontDescriptor("DejaVu Sans", 18)); }),
              "Font DejaVu Sans was not found in the system.");
}

TEST(YFontTest, TheSystemsFontFoldersAreScanned) {
    const size_t faces = YFont::ReScanSystemFonts();
#ifndef _WIN32
    // The test machines carry Debian's DejaVu fonts (tools/test.sh installs them).
    EXPECT_GT(faces, 0u);
    EXPECT_NO_THROW(YFont::Find(YFontDescriptor("DejaVu Sans", 12)));
#else
    (void)faces;
#endif
}

// The bounding box of the pixels text lit.
YRect Lit(const YBitmap& b) {
    YRect r = YRect::Empty();
    for (int32_t y = 0; y < b.Height(); ++y)
        for (int32_t x = 0; x < b.Width(); ++x)
            if (b.At(x, y).g > 0) r = r.Union({x, y, x, y});
    return r;
}

TEST(YFontTest, AlignedTextOutPlacesTheLineInItsRectangle) {
    const auto font = YFont::Default(16);
    const YRect box{10, 5, 189, 54};
    const struct {
        uint32_t align;
        bool left, right, top, bottom; // which edges the lit box must touch (within 3 pixels)
    } cases[] = {
        {kAlignLeft | kAlignTop, true, false, true, false},
        {kAlignRight | kAlignBottom, false, true, false, true},
        {kAlignCenter, false, false, false, false},
    };
    for (const auto& c : cases) {
        YBitmap b(200, 60);
        b.Fill(YColor::RGB(0, 0, 0));
        YDrawerToYBitmap d(&b);
        d.SetFont(font.get());
        d.AlignedTextOut(box, "Hxg", c.align, YColor::RGB(0, 255, 0), YColorOp::Alphablend);
        const YRect lit = Lit(b);
        ASSERT_FALSE(lit.IsEmpty());
        EXPECT_EQ(std::abs(lit.left - box.left) <= 3, c.left) << c.align;
        EXPECT_EQ(std::abs(lit.right - box.right) <= 3, c.right) << c.align;
        EXPECT_EQ(std::abs(lit.top - box.top) <= 4, c.top) << c.align;
        EXPECT_EQ(std::abs(lit.bottom - box.bottom) <= 4, c.bottom) << c.align;
        if (c.align == kAlignCenter) {
            EXPECT_LE(std::abs((lit.left - box.left) - (box.right - lit.right)), 3);
            EXPECT_LE(std::abs((lit.top - box.top) - (box.bottom - lit.bottom)), 4);
        }
        const YSize extent = d.TextExtent("Hxg");
        EXPECT_GE(extent.x, lit.Width());
        EXPECT_EQ(extent.y, font->Ascent() + font->Descent());
    }
    // Cut to the rectangle, and to the clip.
    YBitmap b(200, 60);
    b.Fill(YColor::RGB(0, 0, 0));
    YDrawerToYBitmap d(&b);
    d.SetFont(font.get());
    d.SetClipRect({0, 0, 199, 14});
    d.AlignedTextOut({20, 0, 40, 59}, "WWWWWWWWWW", kAlignLeft | kAlignTop, YColor::RGB(0, 255, 0), YColorOp::Copy);
    const YRect lit = Lit(b);
    EXPECT_GE(lit.left, 20);
    EXPECT_LE(lit.right, 40);
    EXPECT_LE(lit.bottom, 14);
}

// A font that fails inside: the drawer's text operations report it under their names.
class FailingFont : public YFont {
public:
    FailingFont() : YFont(YFontDescriptor("Failing", 12)) {}
    int32_t Layout(const YString&, std::vector<YGlyphPlacement>&) override { throw std::runtime_error("broken"); }
    int32_t TextWidth(const YString&) override { throw std::runtime_error("broken"); }
};

std::vector<std::string> g_reports;
void Collect(const YString& text) { g_reports.push_back(text.ToUTF8()); }

TEST(YFontTest, FailuresInsideTextOperationsAreReportedUnderTheirNames) {
    g_reports.clear();
    const YErrorReportHook previous = YSetErrorReportHook(&Collect);
    FailingFont font;
    YBitmap b(20, 20);
    YDrawerToYBitmap d(&b);
    d.SetFont(&font);
    d.AlignedTextOut(b.Bounds(), "x", kAlignLeft, YColor::RGB(1, 1, 1), YColorOp::Copy);
    EXPECT_EQ(d.TextExtent("x"), (YSize{0, 0}));
    YSetErrorReportHook(previous);
    EXPECT_EQ(g_reports, (std::vector<std::string>{"SYSTEM EXCEPTION! YDrawerToYBitmap::AlignedTextOut",
                                                   "SYSTEM EXCEPTION! YDrawerToYBitmap::TextExtent"}));
}

// A fixed line of text against the stored picture. FreeType's rasteriser works in integers,
// so both systems draw the same; the tolerance allows a changed library's small differences.
TEST(YFontTest, TextMatchesTheStoredPicture) {
    YBitmap b(360, 44);
    YDrawerToYBitmap d(&b);
    d.FillRectangle(b.Bounds(), YColor::RGB(24, 26, 30), YColorOp::Copy);
    const auto big = YFont::Default(20), small = YFont::Default(11);
    d.SetFont(big.get());
    d.AlignedTextOut({4, 2, 355, 25}, "Vornik Flanger AVWAy 0.50 dB", kAlignLeft | kAlignVCenter, YColor::RGB(240, 240, 240), YColorOp::Alphablend);
    d.SetFont(small.get());
    d.AlignedTextOut({4, 26, 355, 41}, YString::FromUTF8("Depth 37 % \xC2\xB7 Feedback -12.5 % \xC2\xB7 Rate 0.25 Hz"), kAlignRight | kAlignVCenter,
                     YColor::RGB(120, 200, 255), YColorOp::Alphablend);
    ASSERT_TRUE(drawing_test::WritePng(b, drawing_test::SnapshotPath("text.png")));

    const std::string fixture = std::string(VORNIK_DRAWING_FIXTURE_DIR) + "/text.png";
    if (const char* update = std::getenv("VORNIK_UPDATE_FIXTURES"); update && *update == '1') {
        ASSERT_TRUE(drawing_test::WritePng(b, fixture));
        GTEST_SKIP() << "fixture written: " << fixture;
    }
    const YBitmap stored = YImageDecoder::LoadFile(YString::FromUTF8(fixture));
    ASSERT_EQ(stored.Width(), b.Width());
    ASSERT_EQ(stored.Height(), b.Height());
    int32_t off = 0, worst = 0;
    for (int32_t y = 0; y < b.Height(); ++y)
        for (int32_t x = 0; x < b.Width(); ++x) {
            const YColor p = b.At(x, y), q = stored.At(x, y);
            const int e = std::max({std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b)});
            worst = std::max(worst, e);
            off += e > 8;
        }
    EXPECT_LE(worst, 64);
    EXPECT_LE(off, b.Width() * b.Height() / 200) << "pixels more than 8 off";
}

} // namespace
