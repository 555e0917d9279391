#include "gui/stml/YSTMLContext.h"

#include "gui/drawing/YBitmap.h"
#include "gui/drawing/YFont.h"
#include "gui/stml/YSTMLValue.h"
#include "gui/toolkit/YStyle.h"

#include <algorithm>

namespace {
YStdFont StdFont(int32_t font) noexcept {
    return font >= 0 && font <= static_cast<int32_t>(YStdFont::kLarge4) ? static_cast<YStdFont>(font)
                                                                        : YStdFont::kNormal;
}
} // namespace

const YBaseBitmap* YSTMLImages::ByNumber(int32_t number) const noexcept {
    return number >= 0 && static_cast<size_t>(number) < numbered.size() ? numbered[static_cast<size_t>(number)]
                                                                        : nullptr;
}

const YBaseBitmap* YSTMLImages::ById(const YString& id) const noexcept {
    const auto it = named.find(id);
    return it == named.end() ? nullptr : it->second;
}

YFont* YSTMLLayout::Font(int32_t stdFont) const { return m_style.Font(StdFont(stdFont)); }

int32_t YSTMLLayout::Ascent(int32_t stdFont) const { return Font(stdFont)->Ascent(); }

int32_t YSTMLLayout::LineHeight(int32_t stdFont) const {
    const YFont* font = Font(stdFont);
    return std::max(font->LineHeight(), font->Ascent() + font->Descent());
}

int32_t YSTMLLayout::TextWidth(int32_t stdFont, const YString& text) const { return Font(stdFont)->TextWidth(text); }

int32_t YSTMLLayout::SpaceWidth(int32_t stdFont) const {
    const int32_t index = static_cast<int32_t>(StdFont(stdFont));
    if (m_spaces[index] < 0) m_spaces[index] = TextWidth(index, " ");
    return m_spaces[index];
}

int32_t YSTMLLayout::Metric(int32_t identifier) const { return m_style.Metric(identifier); }

YSize YSTMLLayout::IconSize() const { return m_style.IconSize(); }

YSize YSTMLLayout::StdBitmapSize(int32_t stdBitmap) const {
    if (stdBitmap < 0 || stdBitmap > static_cast<int32_t>(YStdBitmap::kExclamation)) return {};
    const YBaseBitmap& bitmap = m_style.Bitmap(static_cast<YStdBitmap>(stdBitmap));
    return YSize{bitmap.Width(), bitmap.Height()};
}

int32_t YSTMLLayout::BlockSpacing() const { return std::max(1, LineHeight(0) / 4); }

YFont* YSTMLPainter::Font(int32_t stdFont) const { return m_style.Font(StdFont(stdFont)); }

YColor YSTMLPainter::Color(int32_t stdColor) const {
    if (stdColor < 0 || stdColor > static_cast<int32_t>(YStdColor::kBlue))
        stdColor = static_cast<int32_t>(YStdColor::kText);
    return m_style.Color(stdColor);
}

YColor YSTMLPainter::Color(const YSTMLColor& colour, int32_t fallback) const {
    if (!colour.set) return Color(fallback);
    return colour.standard >= 0 ? Color(colour.standard) : colour.own;
}
