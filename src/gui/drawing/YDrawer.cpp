#include "gui/drawing/YDrawer.h"

YDrawer::~YDrawer() = default;

void YDrawer::FillWithBitmap(const YRect& rect, const YBaseBitmap& source, YBitmapFill fill, YColorOp op) {
    const int32_t sw = source.Width(), sh = source.Height();
    if (rect.IsEmpty() || sw <= 0 || sh <= 0) return;
    const YRect all = source.Bounds();
    const YRect saved = IntersectClip(rect);
    switch (fill) {
    case YBitmapFill::Stretch: ScaledBlt(rect, source, all, op); break;
    case YBitmapFill::HPattern:
        for (int32_t x = rect.left; x <= rect.right; x += sw)
            ScaledBlt(YRect{x, rect.top, x + sw - 1, rect.bottom}, source, all, op);
        break;
    case YBitmapFill::VPattern:
        for (int32_t y = rect.top; y <= rect.bottom; y += sh)
            ScaledBlt(YRect{rect.left, y, rect.right, y + sh - 1}, source, all, op);
        break;
    case YBitmapFill::Pattern: PatBlt(rect, source, op); break;
    case YBitmapFill::None: BitBlt(rect.left, rect.top, source, all, op); break;
    }
    SetClipRect(saved);
}
