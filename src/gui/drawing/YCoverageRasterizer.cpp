#include "gui/drawing/YCoverageRasterizer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

void YCoverageRasterizer::Reset() noexcept { m_edges.clear(); }

int32_t YCoverageRasterizer::ArcSegments(float radius, float angle) noexcept {
    constexpr float kTolerance = 0.02f;
    if (!(radius > kTolerance)) return 1;
    const float step = 2.0f * std::acos(std::max(-1.0f, 1.0f - kTolerance / radius));
    const float n = std::ceil(std::fabs(angle) / std::max(step, 1e-3f));
    return static_cast<int32_t>(std::clamp(n, 1.0f, 4096.0f));
}

void YCoverageRasterizer::AddEdge(YPointF a, YPointF b) {
    if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(b.x) || !std::isfinite(b.y)) return;
    if (a.y == b.y) return; // horizontal edges cross no sub-row
    if (m_edges.empty()) {
        m_minX = m_maxX = a.x;
        m_minY = m_maxY = a.y;
    }
    m_minX = std::min({m_minX, a.x, b.x});
    m_maxX = std::max({m_maxX, a.x, b.x});
    m_minY = std::min({m_minY, a.y, b.y});
    m_maxY = std::max({m_maxY, a.y, b.y});
    if (a.y < b.y)
        m_edges.push_back(Edge{a.x, a.y, b.x, b.y, 1});
    else
        m_edges.push_back(Edge{b.x, b.y, a.x, a.y, -1});
}

void YCoverageRasterizer::AddContour(const YPointF* points, int32_t count) {
    if (count < 3) return;
    for (int32_t i = 0; i < count; ++i) AddEdge(points[i], points[(i + 1) % count]);
}

void YCoverageRasterizer::AddStroke(const YPointF* points, int32_t count, float width) {
    if (count < 2 || !(width > 0)) return;
    const float h = width * 0.5f;
    for (int32_t i = 0; i + 1 < count; ++i) {
        const YPointF a = points[i], b = points[i + 1];
        const float dx = b.x - a.x, dy = b.y - a.y;
        const float len = std::sqrt(dx * dx + dy * dy);
        if (!(len > 1e-6f)) continue;
        const float nx = -dy / len * h, ny = dx / len * h;
        AddContour({{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}});
        if (i > 0 && width > 1.5f) AddCircle(a.x, a.y, h, true);
    }
}

void YCoverageRasterizer::AddCircle(float cx, float cy, float radius, bool reversed) {
    if (!(radius > 0)) return;
    const int32_t n = std::max(8, ArcSegments(radius, 2.0f * std::numbers::pi_v<float>));
    m_scratch.resize(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        const float t = 2.0f * std::numbers::pi_v<float> * static_cast<float>(reversed ? n - i : i) / static_cast<float>(n);
        m_scratch[static_cast<size_t>(i)] = {cx + radius * std::cos(t), cy + radius * std::sin(t)};
    }
    AddContour(m_scratch.data(), n);
}

void YCoverageRasterizer::AddRoundRect(float left, float top, float right, float bottom, float radius, bool reversed) {
    if (!(right > left) || !(bottom > top)) return;
    const float r = std::clamp(radius, 0.0f, std::min(right - left, bottom - top) * 0.5f);
    m_scratch.clear();
    const float pi = std::numbers::pi_v<float>;
    // Corners clockwise on screen (y down): top right, bottom right, bottom left, top left.
    const struct {
        float cx, cy, start;
    } corners[4] = {{right - r, top + r, -pi / 2}, {right - r, bottom - r, 0}, {left + r, bottom - r, pi / 2},
                    {left + r, top + r, pi}};
    const int32_t n = r > 0 ? ArcSegments(r, pi / 2) : 0;
    for (const auto& c : corners) {
        for (int32_t i = 0; i <= n; ++i) {
            const float t = c.start + (pi / 2) * (n ? static_cast<float>(i) / static_cast<float>(n) : 0.0f);
            m_scratch.push_back({c.cx + r * std::cos(t), c.cy + r * std::sin(t)});
            if (n == 0) break;
        }
    }
    if (reversed) std::reverse(m_scratch.begin(), m_scratch.end());
    AddContour(m_scratch.data(), static_cast<int32_t>(m_scratch.size()));
}

bool YCoverageRasterizer::MeasureRow(int32_t y, int32_t left, int32_t right, int32_t& first, int32_t& last) {
    const float top = static_cast<float>(y), bottom = top + 1.0f;
    m_rowEdges.clear();
    for (const Edge& e : m_edges)
        if (e.y1 > top && e.y0 < bottom) m_rowEdges.push_back(&e);
    if (m_rowEdges.empty()) return false;

    const auto width = static_cast<size_t>(right - left + 2);
    m_cover.assign(width, 0.0f);
    m_delta.assign(width, 0.0f);
    const float fl = static_cast<float>(left), fr = static_cast<float>(right + 1);
    int32_t lo = right + 1, hi = left - 1;
    constexpr float w = 1.0f / kSubRows;

    for (int s = 0; s < kSubRows; ++s) {
        const float sy = top + (static_cast<float>(s) + 0.5f) * w;
        m_crossings.clear();
        for (const Edge* e : m_rowEdges)
            if (sy >= e->y0 && sy < e->y1)
                m_crossings.emplace_back(e->x0 + (sy - e->y0) * (e->x1 - e->x0) / (e->y1 - e->y0), e->winding);
        if (m_crossings.size() < 2) continue;
        std::sort(m_crossings.begin(), m_crossings.end());
        int32_t winding = 0;
        for (size_t i = 0; i + 1 < m_crossings.size(); ++i) {
            winding += m_crossings[i].second;
            if (winding == 0) continue;
            const float xa = std::clamp(m_crossings[i].first, fl, fr);
            const float xb = std::clamp(m_crossings[i + 1].first, fl, fr);
            if (!(xb > xa)) continue;
            const auto ia = static_cast<int32_t>(xa), ib = static_cast<int32_t>(xb);
            const size_t ja = static_cast<size_t>(ia - left), jb = static_cast<size_t>(ib - left);
            if (ia == ib) {
                m_cover[ja] += (xb - xa) * w;
            } else {
                m_cover[ja] += (static_cast<float>(ia + 1) - xa) * w;
                m_delta[ja + 1] += w;
                m_delta[jb] -= w;
                m_cover[jb] += (xb - static_cast<float>(ib)) * w;
            }
            lo = std::min(lo, ia);
            hi = std::max(hi, std::min(ib, right));
        }
    }
    if (hi < lo) return false;
    m_coverage.resize(width);
    float run = 0.0f;
    for (int32_t x = left; x <= hi; ++x) {
        const auto j = static_cast<size_t>(x - left);
        run += m_delta[j];
        const float c = std::clamp(run + m_cover[j], 0.0f, 1.0f);
        m_coverage[j] = static_cast<uint8_t>(c * 255.0f + 0.5f);
    }
    first = lo;
    last = hi;
    return true;
}
