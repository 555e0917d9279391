// YDrawerToYBitmap: anti-aliased shapes, all through the coverage rasteriser.
//
// Geometry: the pixel (x, y) is the square (x, y) .. (x + 1, y + 1). A rectangle of inclusive
// pixel edges covers left .. right + 1; its rounded outline of line width w lies inside it.
#include "gui/drawing/YDrawerToYBitmap.h"

#include "foundation/YException.h"

#include <algorithm>
#include <vector>

void YDrawerToYBitmap::RenderCoverage(YColor colour, YColorOp op) {
    if (m_target)
        m_rasterizer.Render(m_clip, [&](int32_t y, int32_t x0, const uint8_t* coverage, int32_t n) {
            YColor* row = m_target->Row(y) + x0;
            for (int32_t i = 0; i < n; ++i)
                if (coverage[i]) row[i] = YColorOpApplyCoverage(op, colour, row[i], coverage[i]);
        });
    m_rasterizer.Reset();
}

void YDrawerToYBitmap::LineToF(float x, float y, YColor colour, YColorOp op) {
    YGuard("YDrawerToYBitmap::LineToF", [&] {
        const YPointF points[2] = {m_position, {x, y}};
        m_position = {x, y};
        m_rasterizer.Reset();
        m_rasterizer.AddStroke(points, 2, m_lineWidth);
        RenderCoverage(colour, op);
    });
}

void YDrawerToYBitmap::PolyLine(const YPointF* points, int32_t count, YColor colour, YColorOp op) {
    YGuard("YDrawerToYBitmap::PolyLine", [&] {
        if (!points || count < 2) return;
        m_rasterizer.Reset();
        m_rasterizer.AddStroke(points, count, m_lineWidth);
        RenderCoverage(colour, op);
    });
}

void YDrawerToYBitmap::FillPolygon(const YPointF* points, int32_t count, YColor colour, YColorOp op) {
    YGuard("YDrawerToYBitmap::FillPolygon", [&] {
        if (!points || count < 3) return;
        m_rasterizer.Reset();
        m_rasterizer.AddContour(points, count);
        RenderCoverage(colour, op);
    });
}

void YDrawerToYBitmap::Circle(float cx, float cy, float radius, YColor colour, YColorOp op) {
    YGuard("YDrawerToYBitmap::Circle", [&] {
        if (!(radius > 0)) return;
        const float h = m_lineWidth * 0.5f;
        m_rasterizer.Reset();
        m_rasterizer.AddCircle(cx, cy, radius + h, false);
        if (radius > h) m_rasterizer.AddCircle(cx, cy, radius - h, true);
        RenderCoverage(colour, op);
    });
}

void YDrawerToYBitmap::FillCircle(float cx, float cy, float radius, YColor colour, YColorOp op) {
    YGuard("YDrawerToYBitmap::FillCircle", [&] {
        if (!(radius > 0)) return;
        m_rasterizer.Reset();
        m_rasterizer.AddCircle(cx, cy, radius, false);
        RenderCoverage(colour, op);
    });
}

void YDrawerToYBitmap::RoundRectangle(const YRect& rect, float radius, YColor colour, YColorOp op) {
    YGuard("YDrawerToYBitmap::RoundRectangle", [&] {
        if (rect.IsEmpty()) return;
        const float l = static_cast<float>(rect.left), t = static_cast<float>(rect.top);
        const float r = static_cast<float>(rect.right) + 1.0f, b = static_cast<float>(rect.bottom) + 1.0f;
        const float w = m_lineWidth;
        m_rasterizer.Reset();
        m_rasterizer.AddRoundRect(l, t, r, b, radius, false);
        if (r - l > 2 * w && b - t > 2 * w) m_rasterizer.AddRoundRect(l + w, t + w, r - w, b - w, std::max(0.0f, radius - w), true);
        RenderCoverage(colour, op);
    });
}

void YDrawerToYBitmap::FillRoundRectangle(const YRect& rect, float radius, YColor colour, YColorOp op) {
    YGuard("YDrawerToYBitmap::FillRoundRectangle", [&] {
        if (rect.IsEmpty()) return;
        m_rasterizer.Reset();
        m_rasterizer.AddRoundRect(static_cast<float>(rect.left), static_cast<float>(rect.top),
                                  static_cast<float>(rect.right) + 1.0f, static_cast<float>(rect.bottom) + 1.0f, radius,
                                  false);
        RenderCoverage(colour, op);
    });
}
