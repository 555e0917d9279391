// YDrawerToYBitmap: text in the current font.
#include "gui/drawing/YDrawerToYBitmap.h"

#include "foundation/YException.h"

YSize YDrawerToYBitmap::TextExtent(const YString&) {
    return YGuard("YDrawerToYBitmap::TextExtent", YSize{}, [&] { return YSize{}; });
}

void YDrawerToYBitmap::AlignedTextOut(const YRect&, const YString&, uint32_t, YColor, YColorOp) {
    YGuard("YDrawerToYBitmap::AlignedTextOut", [&] {
        if (!m_font) return;
        YRaiseNotImplemented("YDrawerToYBitmap::AlignedTextOut");
    });
}
