// Points, sizes and rectangles of the GUI, in pixels. A rectangle's edges are inclusive, as the
// drawer's clip rectangle is: (0, 0, 9, 9) covers 10 x 10 pixels, and a rectangle whose right is
// less than its left (or bottom less than top) is empty.
#pragma once

#include <algorithm>
#include <cstdint>

struct YPoint {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const YPoint&, const YPoint&) = default;
};

struct YSize {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const YSize&, const YSize&) = default;
};

struct YRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = -1;
    int32_t bottom = -1;

    static constexpr YRect Empty() noexcept { return {}; }
    static constexpr YRect FromSize(int32_t x, int32_t y, int32_t width, int32_t height) noexcept {
        return {x, y, x + width - 1, y + height - 1};
    }

    constexpr bool IsEmpty() const noexcept { return right < left || bottom < top; }
    constexpr int32_t Width() const noexcept { return IsEmpty() ? 0 : right - left + 1; }
    constexpr int32_t Height() const noexcept { return IsEmpty() ? 0 : bottom - top + 1; }
    constexpr bool Contains(YPoint p) const noexcept {
        return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom;
    }
    constexpr YRect Offset(int32_t dx, int32_t dy) const noexcept {
        return {left + dx, top + dy, right + dx, bottom + dy};
    }
    // The common part; empty when they do not meet.
    constexpr YRect Intersect(const YRect& o) const noexcept {
        return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
    }
    // The smallest rectangle holding both; an empty side adds nothing.
    constexpr YRect Union(const YRect& o) const noexcept {
        if (IsEmpty()) return o;
        if (o.IsEmpty()) return *this;
        return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right), std::max(bottom, o.bottom)};
    }
    friend bool operator==(const YRect&, const YRect&) = default;
};

// A point with fractional coordinates, for anti-aliased shapes: the pixel (x, y) covers the
// square from (x, y) to (x + 1, y + 1), so its centre is (x + 0.5, y + 0.5).
struct YPointF {
    float x = 0.0f;
    float y = 0.0f;
    friend bool operator==(const YPointF&, const YPointF&) = default;
};
