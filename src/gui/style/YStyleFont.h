// YStyleFont: a bold or italic face made from a regular one, for the standard fonts when the
// regular face is all the binary carries. Bold widens each glyph's coverage to the right,
// italic slants it; metrics and kerning come from the regular face.
#pragma once

#include "gui/drawing/YFont.h"

#include <memory>
#include <unordered_map>

class YStyleFont : public YFont {
public:
    // Owns base; bold and italic as asked.
    YStyleFont(std::unique_ptr<YFont> base, bool bold, bool italic);
    ~YStyleFont() override;

    int32_t Ascent() const noexcept override;
    int32_t Descent() const noexcept override;
    int32_t LineHeight() const noexcept override;
    const YGlyph* Glyph(char32_t character) override;
    int32_t Kerning(uint32_t left, uint32_t right) override;
    size_t CachedGlyphs() const noexcept override;

private:
    std::unique_ptr<YFont> m_base;
    bool m_bold;
    bool m_italic;
    std::unordered_map<char32_t, std::unique_ptr<YGlyph>> m_derived;
};
