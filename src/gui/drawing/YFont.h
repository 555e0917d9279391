// YFont: one font face at one pixel size, rasterised by FreeType.
//
// Glyphs are rendered on first use into an 8-bit anti-aliased coverage mask (YAlphaMask) and
// kept in the font's cache; text is laid out on the pen's baseline with each glyph's advance
// and the face's kerning. A font belongs to one thread at a time (the GUI thread).
//
// Sources: the default font built into the binary (DejaVu Sans), font file bytes, or a
// family found among the system's fonts (ReScanSystemFonts lists them; the first Find scans).
// Errors: bytes FreeType does not recognise raise "Unknown font file format."; a recognised
// but damaged file "Invalid font file format."; a size outside 1..kMaxPixelSize or one the
// face cannot take "Unable to accept required font size."; a family the system does not have
// "Font {0} was not found in the system.", and one it has without the bold/italic asked for
// "Font {0} was not found in the system with correct styles.".
#pragma once

#include "gui/drawing/YAlphaMask.h"
#include "gui/drawing/YFontDescriptor.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

struct YGlyph {
    YAlphaMask mask; // coverage of the glyph's box
    int32_t left = 0; // from the pen to the box's left column
    int32_t top = 0;  // from the baseline up to the box's top row
    int32_t advance = 0; // pen movement in 1/64 pixel
    uint32_t index = 0;  // the face's glyph index (for kerning)
};

// One glyph placed by Layout: its box's top left corner relative to the text's origin (the
// left end of the baseline).
struct YGlyphPlacement {
    const YGlyph* glyph = nullptr;
    int32_t x = 0;
    int32_t y = 0;
};

class YFont {
public:
    static constexpr int32_t kMaxPixelSize = 1024;
    // Font files larger than this are refused before they are read whole.
    static constexpr size_t kMaxFileBytes = 64u << 20;

    // The default font at pixelSize.
    static std::unique_ptr<YFont> Default(int32_t pixelSize);
    // A face from font file bytes (the first face of a collection).
    static std::unique_ptr<YFont> FromMemory(std::vector<uint8_t> bytes, int32_t pixelSize);
    // A face from a font file; a file that cannot be read raises as a missing font.
    static std::unique_ptr<YFont> FromFile(const YString& path, int32_t pixelSize);
    // The system font that matches descriptor: family compared without case, then the style.
    static std::unique_ptr<YFont> Find(const YFontDescriptor& descriptor);
    // Reads the system's font folders again (YPlatformDirectory::FontFolders); returns the
    // number of faces found.
    static size_t ReScanSystemFonts();
    // The same over the given folders instead of the system's (for tests and portable setups).
    static size_t ReScanSystemFonts(const std::vector<YString>& folders);

    virtual ~YFont();                                               // 0
    virtual const YFontDescriptor& Descriptor() const noexcept;     // 1
    virtual int32_t PixelSize() const noexcept;                     // 2
    virtual int32_t Ascent() const noexcept;                        // 3 baseline to top, pixels
    virtual int32_t Descent() const noexcept;                       // 4 baseline to bottom, pixels
    virtual int32_t LineHeight() const noexcept;                    // 5
    // 6: the glyph of a character (the face's missing-glyph box when it has none); null when
    // FreeType cannot render it.
    virtual const YGlyph* Glyph(char32_t character);
    // 7: kerning between two glyph indices, in 1/64 pixel (0 without kerning data).
    virtual int32_t Kerning(uint32_t left, uint32_t right);
    // 8: places each character of one line; returns the advance width in pixels.
    virtual int32_t Layout(const YString& text, std::vector<YGlyphPlacement>& placements);
    // 9: the advance width of one line in pixels.
    virtual int32_t TextWidth(const YString& text);
    // 10: the number of glyphs rendered and kept so far.
    virtual size_t CachedGlyphs() const noexcept;

    YFont(const YFont&) = delete;
    YFont& operator=(const YFont&) = delete;

protected:
    struct Face;
    // A font without a face (for derived fonts that supply glyphs their own way).
    explicit YFont(YFontDescriptor descriptor);
    YFont(std::unique_ptr<Face> face, YFontDescriptor descriptor);

private:

    std::unique_ptr<Face> m_face;
    YFontDescriptor m_descriptor;
    std::unordered_map<char32_t, std::unique_ptr<YGlyph>> m_glyphs;
    std::vector<char32_t> m_characters; // scratch of Layout
};
