// YDrawerToYBitmap: state, pixels, fills, one-pixel lines and the bitmap copies.
#include "gui/drawing/YDrawerToYBitmap.h"

#include "foundation/YException.h"
#include "gui/drawing/YAlphaMask.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

YDrawerToYBitmap::YDrawerToYBitmap() = default;

YDrawerToYBitmap::YDrawerToYBitmap(YBaseBitmap* target) { SetTarget(target); }

YDrawerToYBitmap::~YDrawerToYBitmap() = default;

std::unique_ptr<YBaseBitmap> YDrawerToYBitmap::CreateBitmap() { return std::make_unique<YBitmap>(); }

void YDrawerToYBitmap::PrepareBitmap(int32_t width, int32_t height) {
    if (!m_owned) m_owned = CreateBitmap();
    m_owned->Create(width, height);
    SetTarget(m_owned.get());
}

void YDrawerToYBitmap::UpdateBitmap(const YRect&) {}

void YDrawerToYBitmap::SetTarget(YBaseBitmap* target) {
    m_target = target;
    m_clip = target ? target->Bounds() : YRect::Empty();
}

int32_t YDrawerToYBitmap::Width() const noexcept { return m_target ? m_target->Width() : 0; }
int32_t YDrawerToYBitmap::Height() const noexcept { return m_target ? m_target->Height() : 0; }

void YDrawerToYBitmap::SetClipRect(const YRect& rect) {
    m_clip = m_target ? rect.Intersect(m_target->Bounds()) : YRect::Empty();
}

YRect YDrawerToYBitmap::IntersectClip(const YRect& rect) {
    const YRect previous = m_clip;
    m_clip = m_clip.Intersect(rect);
    return previous;
}

void YDrawerToYBitmap::SetLineWidth(float width) {
    if (std::isfinite(width) && width > 0) m_lineWidth = width;
}

void YDrawerToYBitmap::SetFont(YFont* font) { m_font = font; }

YColor YDrawerToYBitmap::GetPixel(int32_t x, int32_t y) const {
    return YGuard("YDrawerToYBitmap::GetPixel", YColor{0, 0, 0, 255}, [&] {
        return m_clip.Contains({x, y}) ? m_target->At(x, y) : YColor{0, 0, 0, 255};
    });
}

void YDrawerToYBitmap::SetPixel(int32_t x, int32_t y, YColor colour) {
    YGuard("YDrawerToYBitmap::SetPixel", [&] {
        if (m_clip.Contains({x, y})) m_target->At(x, y) = colour;
    });
}

void YDrawerToYBitmap::FillRectangle(const YRect& rect, YColor colour, YColorOp op) {
    YGuard("YDrawerToYBitmap::FillRectangle", [&] {
        const YRect r = rect.Intersect(m_clip);
        if (r.IsEmpty()) return;
        for (int32_t y = r.top; y <= r.bottom; ++y) YColorOpApplyRun(op, colour, m_target->Row(y) + r.left, r.Width());
    });
}

void YDrawerToYBitmap::HLine(int32_t x1, int32_t x2, int32_t y, YColor colour, YColorOp op) {
    YGuard("YDrawerToYBitmap::HLine", [&] {
        FillRectangle(YRect{std::min(x1, x2), y, std::max(x1, x2), y}, colour, op);
    });
}

void YDrawerToYBitmap::VLine(int32_t x, int32_t y1, int32_t y2, YColor colour, YColorOp op) {
    YGuard("YDrawerToYBitmap::VLine", [&] {
        FillRectangle(YRect{x, std::min(y1, y2), x, std::max(y1, y2)}, colour, op);
    });
}

void YDrawerToYBitmap::Rectangle(const YRect& rect, YColor colour, YColorOp op) {
    YGuard("YDrawerToYBitmap::Rectangle", [&] {
        if (rect.IsEmpty()) return;
        // Four sides without overlap, so blending operations touch each pixel once.
        FillRectangle(YRect{rect.left, rect.top, rect.right, rect.top}, colour, op);
        if (rect.bottom == rect.top) return;
        FillRectangle(YRect{rect.left, rect.bottom, rect.right, rect.bottom}, colour, op);
        FillRectangle(YRect{rect.left, rect.top + 1, rect.left, rect.bottom - 1}, colour, op);
        if (rect.right != rect.left) FillRectangle(YRect{rect.right, rect.top + 1, rect.right, rect.bottom - 1}, colour, op);
    });
}

void YDrawerToYBitmap::FocusRect(const YRect& rect, YColor colour, YColorOp op) {
    YGuard("YDrawerToYBitmap::FocusRect", [&] {
        if (rect.IsEmpty()) return;
        const auto dot = [&](int32_t x, int32_t y) {
            if (((x + y) & 1) == 0 && m_clip.Contains({x, y})) m_target->At(x, y) = YColorOpApply(op, colour, m_target->At(x, y));
        };
        for (int32_t x = rect.left; x <= rect.right; ++x) {
            dot(x, rect.top);
            if (rect.bottom != rect.top) dot(x, rect.bottom);
        }
        for (int32_t y = rect.top + 1; y < rect.bottom; ++y) {
            dot(rect.left, y);
            if (rect.right != rect.left) dot(rect.right, y);
        }
    });
}

void YDrawerToYBitmap::FillRectangleGradient(const YRect& rect, YColor from, YColor to, bool horizontal, YColorOp op) {
    YGuard("YDrawerToYBitmap::FillRectangleGradient", [&] {
        const YRect r = rect.Intersect(m_clip);
        if (r.IsEmpty()) return;
        // Step i of n - 1 gets from + (to - from) * i / (n - 1) per byte: the first row (column)
        // is `from` and the last `to` exactly.
        const int32_t n = horizontal ? rect.Width() : rect.Height();
        const auto at = [&](int32_t i) {
            if (n <= 1) return from;
            const auto lerp = [&](uint8_t a, uint8_t b) {
                return static_cast<uint8_t>(a + (static_cast<int64_t>(b - a) * i) / (n - 1));
            };
            return YColor{lerp(from.b, to.b), lerp(from.g, to.g), lerp(from.r, to.r), lerp(from.a, to.a)};
        };
        if (!horizontal) {
            for (int32_t y = r.top; y <= r.bottom; ++y)
                YColorOpApplyRun(op, at(y - rect.top), m_target->Row(y) + r.left, r.Width());
            return;
        }
        for (int32_t x = r.left; x <= r.right; ++x) {
            const YColor c = at(x - rect.left);
            for (int32_t y = r.top; y <= r.bottom; ++y) m_target->At(x, y) = YColorOpApply(op, c, m_target->At(x, y));
        }
    });
}

void YDrawerToYBitmap::MoveTo(float x, float y) { m_position = {x, y}; }

void YDrawerToYBitmap::LineTo(int32_t x, int32_t y, YColor colour, YColorOp op) {
    YGuard("YDrawerToYBitmap::LineTo", [&] {
        // Bresenham from the current position (rounded down to its pixel) to (x, y).
        int32_t x0 = static_cast<int32_t>(std::floor(m_position.x)), y0 = static_cast<int32_t>(std::floor(m_position.y));
        m_position = {static_cast<float>(x), static_cast<float>(y)};
        if (!m_target) return;
        const int32_t dx = std::abs(x - x0), dy = -std::abs(y - y0);
        const int32_t sx = x0 < x ? 1 : -1, sy = y0 < y ? 1 : -1;
        int32_t err = dx + dy;
        for (;;) {
            if (m_clip.Contains({x0, y0})) m_target->At(x0, y0) = YColorOpApply(op, colour, m_target->At(x0, y0));
            if (x0 == x && y0 == y) break;
            const int32_t e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y0 += sy;
            }
        }
    });
}

bool YDrawerToYBitmap::ClipBlit(int32_t& x, int32_t& y, YRect& src, int32_t sourceW, int32_t sourceH) const noexcept {
    YRect s = src.Intersect(YRect::FromSize(0, 0, sourceW, sourceH));
    if (s.IsEmpty()) return false;
    x += s.left - src.left;
    y += s.top - src.top;
    const YRect placed = YRect::FromSize(x, y, s.Width(), s.Height()).Intersect(m_clip);
    if (placed.IsEmpty()) return false;
    s.left += placed.left - x;
    s.top += placed.top - y;
    s.right = s.left + placed.Width() - 1;
    s.bottom = s.top + placed.Height() - 1;
    x = placed.left;
    y = placed.top;
    src = s;
    return true;
}

void YDrawerToYBitmap::BitBlt(int32_t x, int32_t y, const YBaseBitmap& source, const YRect& src, YColorOp op) {
    YGuard("YDrawerToYBitmap::BitBlt", [&] {
        YRect s = src;
        if (!ClipBlit(x, y, s, source.Width(), source.Height())) return;
        // A source that is the target itself may overlap: walk against the move.
        const bool self = &source == m_target;
        const bool upwards = self && y > s.top, leftwards = self && x > s.left;
        const int32_t w = s.Width();
        for (int32_t i = 0; i < s.Height(); ++i) {
            const int32_t row = upwards ? s.Height() - 1 - i : i;
            const YColor* from = source.Row(s.top + row) + s.left;
            YColor* to = m_target->Row(y + row) + x;
            if (op == YColorOp::Copy) {
                std::memmove(static_cast<void*>(to), from, static_cast<size_t>(w) * sizeof(YColor));
                continue;
            }
            for (int32_t k = 0; k < w; ++k) {
                const int32_t j = leftwards ? w - 1 - k : k;
                to[j] = YColorOpApply(op, from[j], to[j]);
            }
        }
    });
}

void YDrawerToYBitmap::PatBlt(const YRect& rect, const YBaseBitmap& pattern, YColorOp op) {
    YGuard("YDrawerToYBitmap::PatBlt", [&] {
        const YRect r = rect.Intersect(m_clip);
        const int32_t pw = pattern.Width(), ph = pattern.Height();
        if (r.IsEmpty() || pw <= 0 || ph <= 0 || &pattern == m_target) return;
        for (int32_t y = r.top; y <= r.bottom; ++y) {
            const YColor* from = pattern.Row((y - rect.top) % ph);
            YColor* to = m_target->Row(y);
            int32_t px = (r.left - rect.left) % pw;
            for (int32_t x = r.left; x <= r.right; ++x) {
                to[x] = YColorOpApply(op, from[px], to[x]);
                if (++px == pw) px = 0;
            }
        }
    });
}

void YDrawerToYBitmap::AlphaMask(int32_t x, int32_t y, const YAlphaMask& mask, const YRect& src, YColor colour,
                                 YColorOp op) {
    YGuard("YDrawerToYBitmap::AlphaMask", [&] {
        YRect s = src;
        if (!ClipBlit(x, y, s, mask.Width(), mask.Height())) return;
        for (int32_t i = 0; i < s.Height(); ++i) {
            const uint8_t* cover = mask.Row(s.top + i) + s.left;
            YColor* to = m_target->Row(y + i) + x;
            for (int32_t j = 0; j < s.Width(); ++j)
                if (cover[j]) to[j] = YColorOpApplyCoverage(op, colour, to[j], cover[j]);
        }
    });
}

int32_t YDrawerToYBitmap::MapIndex(int32_t d, int32_t dn, int32_t sn, int32_t border) noexcept {
    border = std::clamp(border, 0, std::min(sn, dn) / 2);
    if (d < border) return d;
    if (d >= dn - border) return sn - (dn - d);
    const int64_t middleD = dn - 2 * border, middleS = sn - 2 * border;
    if (middleS <= 0) return std::min(border, sn - 1);
    // The source pixel under the destination pixel's centre.
    return border + static_cast<int32_t>(((2 * static_cast<int64_t>(d - border) + 1) * middleS) / (2 * middleD));
}

void YDrawerToYBitmap::ScaledCopy(const YRect& dst, const YBaseBitmap& source, const YRect& src, int32_t borderX,
                                  int32_t borderY, bool scaleX, bool scaleY, YColorOp op) {
    const YRect s = src.Intersect(source.Bounds());
    if (s.IsEmpty() || dst.IsEmpty() || &source == m_target) return;
    // Along an axis that does not scale the source is copied 1:1 and cut to dst.
    const YRect placed{dst.left, dst.top, scaleX ? dst.right : std::min(dst.right, dst.left + s.Width() - 1),
                       scaleY ? dst.bottom : std::min(dst.bottom, dst.top + s.Height() - 1)};
    const YRect r = placed.Intersect(m_clip);
    if (r.IsEmpty()) return;
    const int32_t dw = placed.Width(), dh = placed.Height();
    for (int32_t y = r.top; y <= r.bottom; ++y) {
        const int32_t dy = y - placed.top;
        const YColor* from = source.Row(s.top + (scaleY ? MapIndex(dy, dh, s.Height(), borderY) : dy)) + s.left;
        YColor* to = m_target->Row(y);
        for (int32_t x = r.left; x <= r.right; ++x) {
            const int32_t dx = x - placed.left;
            to[x] = YColorOpApply(op, from[scaleX ? MapIndex(dx, dw, s.Width(), borderX) : dx], to[x]);
        }
    }
}

void YDrawerToYBitmap::ScaledBlt(const YRect& dst, const YBaseBitmap& source, const YRect& src, YColorOp op) {
    YGuard("YDrawerToYBitmap::ScaledBlt", [&] { ScaledCopy(dst, source, src, 0, 0, true, true, op); });
}

void YDrawerToYBitmap::StretchBltH(const YRect& dst, const YBaseBitmap& source, const YRect& src, int32_t border,
                                   YColorOp op) {
    YGuard("YDrawerToYBitmap::StretchBltH", [&] { ScaledCopy(dst, source, src, border, 0, true, false, op); });
}

void YDrawerToYBitmap::StretchBltV(const YRect& dst, const YBaseBitmap& source, const YRect& src, int32_t border,
                                   YColorOp op) {
    YGuard("YDrawerToYBitmap::StretchBltV", [&] { ScaledCopy(dst, source, src, 0, border, false, true, op); });
}

void YDrawerToYBitmap::FitBlt(const YRect& dst, const YBaseBitmap& source, YColorOp op) {
    YGuard("YDrawerToYBitmap::FitBlt", [&] {
        const int32_t sw = source.Width(), sh = source.Height(), dw = dst.Width(), dh = dst.Height();
        if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
        int32_t w = sw, h = sh;
        if (sw > dw || sh > dh) {
            // The tighter axis decides; compared in integers to avoid rounding ties.
            if (static_cast<int64_t>(dw) * sh <= static_cast<int64_t>(dh) * sw) {
                w = dw;
                h = std::max<int32_t>(1, static_cast<int32_t>((static_cast<int64_t>(sh) * dw + sw / 2) / sw));
            } else {
                h = dh;
                w = std::max<int32_t>(1, static_cast<int32_t>((static_cast<int64_t>(sw) * dh + sh / 2) / sh));
            }
        }
        const YRect placed = YRect::FromSize(dst.left + (dw - w) / 2, dst.top + (dh - h) / 2, w, h);
        if (w == sw && h == sh)
            BitBlt(placed.left, placed.top, source, source.Bounds(), op);
        else
            ScaledCopy(placed, source, source.Bounds(), 0, 0, true, true, op);
    });
}
