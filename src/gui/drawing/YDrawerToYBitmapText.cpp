// YDrawerToYBitmap: one line of text in the current font, each glyph's coverage drawn through
// the colour operation.
#include "gui/drawing/YDrawerToYBitmap.h"

#include "foundation/YException.h"
#include "gui/drawing/YFont.h"

#include <vector>

YSize YDrawerToYBitmap::TextExtent(const YString& text) {
    return YGuard("YDrawerToYBitmap::TextExtent", YSize{}, [&] {
        if (!m_font) return YSize{};
        return YSize{m_font->TextWidth(text), m_font->Ascent() + m_font->Descent()};
    });
}

void YDrawerToYBitmap::AlignedTextOut(const YRect& rect, const YString& text, uint32_t align, YColor colour, YColorOp op) {
    YGuard("YDrawerToYBitmap::AlignedTextOut", [&] {
        if (!m_font || !m_target || rect.IsEmpty() || text.IsEmpty()) return;
        thread_local std::vector<YGlyphPlacement> placements;
        const int32_t width = m_font->Layout(text, placements);
        const int32_t ascent = m_font->Ascent(), height = ascent + m_font->Descent();
        // The line's box is placed in rect; the text is cut to rect, not moved into it.
        int32_t x = rect.left;
        if (align & kAlignRight)
            x = rect.right + 1 - width;
        else if (align & kAlignHCenter)
            x = rect.left + (rect.Width() - width) / 2;
        int32_t baseline = rect.top + ascent;
        if (align & kAlignBottom)
            baseline = rect.bottom + 1 - (height - ascent);
        else if (align & kAlignVCenter)
            baseline = rect.top + (rect.Height() - height) / 2 + ascent;
        const YRect saved = IntersectClip(rect);
        for (const YGlyphPlacement& p : placements)
            AlphaMask(x + p.x, baseline + p.y, p.glyph->mask, p.glyph->mask.Bounds(), colour, op);
        m_clip = saved;
    });
}
