#include "gui/style/YStyleFont.h"

#include <algorithm>
#include <cmath>

namespace {

YFontDescriptor Described(const YFont& base, bool bold, bool italic) {
    YFontDescriptor descriptor = base.Descriptor();
    descriptor.bold = bold;
    descriptor.italic = italic;
    return descriptor;
}

// The usual slant of an oblique face: about 12 degrees.
constexpr float kSlant = 0.21f;

} // namespace

YStyleFont::YStyleFont(std::unique_ptr<YFont> base, bool bold, bool italic)
    : YFont(Described(*base, bold, italic)), m_base(std::move(base)), m_bold(bold), m_italic(italic) {}

YStyleFont::~YStyleFont() = default;

int32_t YStyleFont::Ascent() const noexcept { return m_base->Ascent(); }
int32_t YStyleFont::Descent() const noexcept { return m_base->Descent(); }
int32_t YStyleFont::LineHeight() const noexcept { return m_base->LineHeight(); }
int32_t YStyleFont::Kerning(uint32_t left, uint32_t right) { return m_base->Kerning(left, right); }
size_t YStyleFont::CachedGlyphs() const noexcept { return m_derived.size(); }

const YGlyph* YStyleFont::Glyph(char32_t character) {
    if (const auto it = m_derived.find(character); it != m_derived.end()) return it->second.get();
    const YGlyph* source = m_base->Glyph(character);
    if (source == nullptr) return nullptr;
    auto glyph = std::make_unique<YGlyph>(*source);
    const int32_t w = source->mask.Width();
    const int32_t h = source->mask.Height();
    // Stems grow by a twelfth of the size, at least half a pixel, so bold reads as bold at
    // every size without closing the counters of small letters.
    const float strength = m_bold ? std::max(0.5f, static_cast<float>(PixelSize()) / 12.0f) : 0.0f;
    const int32_t grow = static_cast<int32_t>(std::ceil(strength));
    // Rows above the baseline move right, rows below it left.
    const int32_t shiftUp = m_italic ? static_cast<int32_t>(std::ceil(source->top * kSlant)) : 0;
    const int32_t shiftDown = m_italic ? static_cast<int32_t>(std::ceil(std::max(0, h - source->top) * kSlant)) : 0;
    if (w > 0 && h > 0 && (m_bold || m_italic)) {
        YAlphaMask mask(w + grow + shiftUp + shiftDown, h);
        for (int32_t y = 0; y < h; ++y) {
            const float offset = m_italic ? (static_cast<float>(source->top - y) - 0.5f) * kSlant + static_cast<float>(shiftDown) : 0.0f;
            const int32_t whole = static_cast<int32_t>(std::floor(offset));
            const float frac = offset - static_cast<float>(whole);
            uint8_t* out = mask.Row(y);
            const uint8_t* in = source->mask.Row(y);
            for (int32_t x = 0; x < mask.Width(); ++x) {
                // Coverage at source column x - offset, linearly between two columns, then the
                // strongest over the bold run to the left.
                float best = 0.0f;
                for (int32_t k = 0; k <= grow; ++k) {
                    const float weight = k < grow || grow == 0 ? 1.0f : strength - static_cast<float>(grow - 1);
                    const int32_t sx = x - whole - k;
                    const float a = sx >= 0 && sx < w ? in[sx] : 0.0f;
                    const float b = sx - 1 >= 0 && sx - 1 < w ? in[sx - 1] : 0.0f;
                    best = std::max(best, (a * (1.0f - frac) + b * frac) * weight);
                }
                out[x] = static_cast<uint8_t>(std::min(255.0f, best + 0.5f));
            }
        }
        glyph->mask = std::move(mask);
        glyph->left -= shiftDown;
    }
    glyph->advance += static_cast<int32_t>(std::lround(strength * 64.0f));
    const YGlyph* result = glyph.get();
    m_derived.emplace(character, std::move(glyph));
    return result;
}
