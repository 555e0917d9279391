// YFont: FreeType faces, the glyph cache and layout.
#include "gui/drawing/YFont.h"

#include "foundation/YException.h"
#include "foundation/YResource.h"
#include "platform/YPlatformFile.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>

Y_DECLARE_RESOURCE(DefaultFont)

// Each font has its own FreeType library object, so fonts on different threads share nothing.
struct YFont::Face {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    std::vector<uint8_t> bytes; // FreeType reads the face from here for its whole life

    ~Face() {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
};

namespace {

// A run of UTF-16 as characters; a lone surrogate stands for itself.
void Characters(const YString& text, std::vector<char32_t>& out) {
    out.clear();
    const int32_t n = text.Length();
    for (int32_t i = 0; i < n; ++i) {
        const char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            out.push_back(0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else {
            out.push_back(c);
        }
    }
}

bool LooksLikeFont(const std::vector<uint8_t>& b) {
    if (b.size() < 4) return false;
    const uint32_t tag = static_cast<uint32_t>(b[0]) << 24 | b[1] << 16 | b[2] << 8 | b[3];
    return tag == 0x00010000 || tag == 0x4F54544F /* OTTO */ || tag == 0x74727565 /* true */ ||
           tag == 0x74746366 /* ttcf */ || tag == 0x774F4646 /* wOFF */ || tag == 0x774F4632 /* wOF2 */;
}

int32_t Pixels(FT_Pos v) { return static_cast<int32_t>((v + 32) >> 6); }

} // namespace

YFont::YFont(YFontDescriptor descriptor) : m_descriptor(std::move(descriptor)) {}

YFont::YFont(std::unique_ptr<Face> face, YFontDescriptor descriptor)
    : m_face(std::move(face)), m_descriptor(std::move(descriptor)) {}

YFont::~YFont() = default;

std::unique_ptr<YFont> YFont::FromMemory(std::vector<uint8_t> bytes, int32_t pixelSize) {
    auto face = std::make_unique<Face>();
    face->bytes = std::move(bytes);
    if (FT_Init_FreeType(&face->library) != 0) YRaise("Unable to initialise the font engine.");
    if (face->bytes.size() > kMaxFileBytes) YRaise("Invalid font file format.");
    const FT_Error opened = FT_New_Memory_Face(face->library, face->bytes.data(), static_cast<FT_Long>(face->bytes.size()),
                                               0, &face->face);
    if (opened != 0 || !face->face) {
        // A file that starts like a font and does not open is a damaged font (FreeType calls
        // some truncations unknown, and some non-fonts broken); anything else is not a font.
        if (LooksLikeFont(face->bytes)) YRaise("Invalid font file format.");
        YRaise("Unknown font file format.");
    }
    // Scalable outlines only: a bitmap-only face has no anti-aliased sizes to offer.
    if (!FT_IS_SCALABLE(face->face)) YRaise("Unknown font file format.");
    if (pixelSize < 1 || pixelSize > kMaxPixelSize ||
        FT_Set_Pixel_Sizes(face->face, 0, static_cast<FT_UInt>(pixelSize)) != 0)
        YRaise("Unable to accept required font size.");
    YFontDescriptor descriptor(YString::FromUTF8(face->face->family_name ? face->face->family_name : ""), pixelSize,
                               (face->face->style_flags & FT_STYLE_FLAG_BOLD) != 0,
                               (face->face->style_flags & FT_STYLE_FLAG_ITALIC) != 0);
    return std::unique_ptr<YFont>(new YFont(std::move(face), std::move(descriptor)));
}

std::unique_ptr<YFont> YFont::Default(int32_t pixelSize) {
    return FromMemory(YResource::Inflate(YResources::DefaultFont), pixelSize);
}

std::unique_ptr<YFont> YFont::FromFile(const YString& path, int32_t pixelSize) {
    std::vector<uint8_t> bytes;
    switch (YPlatformFile::ReadAll(path, kMaxFileBytes, bytes)) {
    case YPlatformFile::ReadResult::kRead:
        return FromMemory(std::move(bytes), pixelSize);
    case YPlatformFile::ReadResult::kMissing:
        YRaiseFormat(YException::kGeneral, "Font {0} was not found in the system.", path);
    case YPlatformFile::ReadResult::kTooLarge:
    case YPlatformFile::ReadResult::kFailed:
        break;
    }
    YRaise("Invalid font file format.");
}

const YFontDescriptor& YFont::Descriptor() const noexcept { return m_descriptor; }
int32_t YFont::PixelSize() const noexcept { return m_descriptor.pixelSize; }

int32_t YFont::Ascent() const noexcept {
    return m_face ? Pixels(m_face->face->size->metrics.ascender) : m_descriptor.pixelSize;
}

int32_t YFont::Descent() const noexcept { return m_face ? -Pixels(m_face->face->size->metrics.descender) : 0; }

int32_t YFont::LineHeight() const noexcept {
    return m_face ? Pixels(m_face->face->size->metrics.height) : m_descriptor.pixelSize;
}

size_t YFont::CachedGlyphs() const noexcept { return m_glyphs.size(); }

const YGlyph* YFont::Glyph(char32_t character) {
    if (const auto it = m_glyphs.find(character); it != m_glyphs.end()) return it->second.get();
    if (!m_face) return nullptr;
    FT_Face face = m_face->face;
    const FT_UInt index = FT_Get_Char_Index(face, character);
    // Hinting for the vertical axis only keeps stems crisp without distorting the spacing.
    if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_LIGHT) != 0 || FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0)
        return nullptr;
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    auto glyph = std::make_unique<YGlyph>();
    glyph->index = index;
    glyph->advance = static_cast<int32_t>(face->glyph->advance.x);
    glyph->left = face->glyph->bitmap_left;
    glyph->top = face->glyph->bitmap_top;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && bitmap.width > 0 && bitmap.rows > 0) {
        glyph->mask.Create(static_cast<int32_t>(bitmap.width), static_cast<int32_t>(bitmap.rows));
        for (unsigned y = 0; y < bitmap.rows; ++y) {
            const unsigned char* row = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
            const int levels = bitmap.num_grays > 1 ? bitmap.num_grays - 1 : 255;
            for (unsigned x = 0; x < bitmap.width; ++x)
                glyph->mask.At(static_cast<int32_t>(x), static_cast<int32_t>(y)) =
                    static_cast<uint8_t>(levels == 255 ? row[x] : std::min(255, row[x] * 255 / levels));
        }
    }
    const YGlyph* result = glyph.get();
    m_glyphs.emplace(character, std::move(glyph));
    return result;
}

int32_t YFont::Kerning(uint32_t left, uint32_t right) {
    if (!m_face || !FT_HAS_KERNING(m_face->face) || left == 0 || right == 0) return 0;
    FT_Vector delta{};
    if (FT_Get_Kerning(m_face->face, left, right, FT_KERNING_DEFAULT, &delta) != 0) return 0;
    return static_cast<int32_t>(delta.x);
}

int32_t YFont::Layout(const YString& text, std::vector<YGlyphPlacement>& placements) {
    placements.clear();
    Characters(text, m_characters);
    int64_t pen = 0; // 1/64 pixel
    uint32_t previous = 0;
    for (char32_t c : m_characters) {
        const YGlyph* glyph = Glyph(c);
        if (!glyph) continue;
        pen += Kerning(previous, glyph->index);
        const auto x = static_cast<int32_t>((pen + 32) >> 6);
        if (glyph->mask.Width() > 0) placements.push_back({glyph, x + glyph->left, -glyph->top});
        pen += glyph->advance;
        previous = glyph->index;
    }
    return static_cast<int32_t>((pen + 32) >> 6);
}

int32_t YFont::TextWidth(const YString& text) {
    std::vector<YGlyphPlacement> placements;
    return Layout(text, placements);
}
