#include "gui/controls/YControlText.h"

#include "gui/drawing/YFont.h"
#include "gui/toolkit/YControl.h"
#include "gui/toolkit/YStyle.h"

#include <algorithm>
#include <memory>

namespace {

// The built-in face at the toolkit's normal size, for controls whose window has no style.
YFont& FallbackFont() {
    static const std::unique_ptr<YFont> font = YFont::Default(13);
    return *font;
}

} // namespace

namespace YControlText {

YFont& FontOf(YControl& control) {
    if (YStyle* style = YStyleOf(control)) {
        const int32_t font = std::clamp(control.Font(), 0, static_cast<int32_t>(YStdFont::kLarge4));
        if (YFont* f = style->Font(static_cast<YStdFont>(font))) return *f;
    }
    return FallbackFont();
}

int32_t Width(YControl& control, const YString& text) {
    if (text.IsEmpty()) return 0;
    return FontOf(control).TextWidth(text);
}

int32_t LineHeight(YControl& control) { return FontOf(control).LineHeight(); }

int32_t IndexAt(YControl& control, const YString& text, int32_t x) {
    if (x <= 0) return 0;
    // Widths of growing prefixes (kerning included); the caret goes to the nearer edge.
    int32_t previous = 0;
    for (int32_t i = 1; i <= text.Length(); ++i) {
        const int32_t w = Width(control, text.Substring(0, i));
        if (x < w) return (x - previous) < (w - x) ? i - 1 : i;
        previous = w;
    }
    return text.Length();
}

} // namespace YControlText
