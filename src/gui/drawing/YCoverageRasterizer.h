// YCoverageRasterizer: anti-aliased coverage of polygons under the non-zero winding rule.
//
// Each pixel row is sampled on kSubRows horizontal lines; on each line the covered spans are
// measured exactly along x, so a pixel's coverage is the covered fraction of its width
// averaged over the sub-rows. Strokes, circles and rounded rectangles become contours (a
// ring is an outer and a reversed inner contour) and share this one path.
#pragma once

#include "gui/drawing/YGeometry.h"

#include <cstdint>
#include <vector>

class YCoverageRasterizer {
public:
    static constexpr int kSubRows = 16;

    void Reset() noexcept;
    // A closed contour (the last point joins the first).
    void AddContour(const YPointF* points, int32_t count);
    // A quadrilateral or any closed shape given point by point.
    void AddContour(std::initializer_list<YPointF> points) { AddContour(points.begin(), static_cast<int32_t>(points.size())); }
    // A stroke of width around the open polyline: one rectangle per segment (same
    // orientation, so overlaps join under the winding rule) and a round join at every
    // inner point.
    void AddStroke(const YPointF* points, int32_t count, float width);
    // A circle or rounded-rectangle contour, reversed for the hole of a ring.
    void AddCircle(float cx, float cy, float radius, bool reversed);
    // The rounded rectangle [left, right] x [top, bottom] (real coordinates) with corner radius.
    void AddRoundRect(float left, float top, float right, float bottom, float radius, bool reversed);

    // Calls row(y, x0, coverage, n) for every pixel row of clip the shapes touch, with the
    // coverage (0..255) of pixels x0 .. x0 + n - 1 in n bytes; pixels outside clip
    // are never reported.
    template <typename F> void Render(const YRect& clip, F&& row);

    // Segments of an arc of radius r so that the polygon stays within 1/50 pixel of it.
    static int32_t ArcSegments(float radius, float angle) noexcept;

private:
    struct Edge {
        float x0, y0, x1, y1; // y0 < y1
        int32_t winding;
    };
    // Measures one pixel row into m_coverage; returns false when nothing is covered.
    bool MeasureRow(int32_t y, int32_t left, int32_t right, int32_t& first, int32_t& last);
    void AddEdge(YPointF a, YPointF b);

    std::vector<Edge> m_edges;
    std::vector<const Edge*> m_rowEdges;
    std::vector<std::pair<float, int32_t>> m_crossings;
    std::vector<float> m_cover; // partial pixels
    std::vector<float> m_delta; // runs of whole pixels, as differences
    std::vector<uint8_t> m_coverage;
    std::vector<YPointF> m_scratch;
    float m_minY = 0, m_maxY = 0, m_minX = 0, m_maxX = 0;
};

template <typename F> void YCoverageRasterizer::Render(const YRect& clip, F&& row) {
    if (m_edges.empty() || clip.IsEmpty()) return;
    const auto floorToInt = [](float v) { return static_cast<int32_t>(v >= 0 ? v : v - 1.0f); };
    const YRect box{floorToInt(m_minX), floorToInt(m_minY), floorToInt(m_maxX), floorToInt(m_maxY)};
    const YRect area = box.Intersect(clip);
    if (area.IsEmpty()) return;
    for (int32_t y = area.top; y <= area.bottom; ++y) {
        int32_t first = 0, last = -1;
        if (!MeasureRow(y, area.left, area.right, first, last)) continue;
        row(y, first, m_coverage.data() + (first - area.left), last - first + 1);
    }
}
