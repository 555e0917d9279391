// YAlphaMask: an 8-bit coverage mask (0 uncovered, 255 wholly covered), rows top-down like a
// bitmap's; the shape of anti-aliased glyphs and of images drawn through a mask. The size
// limits of YBaseBitmap apply.
#pragma once

#include "gui/drawing/YGeometry.h"

#include <cstdint>
#include <vector>

class YAlphaMask {
public:
    YAlphaMask() = default;
    YAlphaMask(int32_t width, int32_t height) { Create(width, height); }

    // Sizes the mask, all coverage 0; the same size keeps the contents.
    void Create(int32_t width, int32_t height);
    int32_t Width() const noexcept { return m_width; }
    int32_t Height() const noexcept { return m_height; }
    YRect Bounds() const noexcept { return YRect::FromSize(0, 0, m_width, m_height); }
    uint8_t* Row(int32_t y) noexcept { return m_coverage.data() + static_cast<size_t>(y) * static_cast<size_t>(m_width); }
    const uint8_t* Row(int32_t y) const noexcept {
        return m_coverage.data() + static_cast<size_t>(y) * static_cast<size_t>(m_width);
    }
    uint8_t& At(int32_t x, int32_t y) noexcept { return Row(y)[x]; }
    uint8_t At(int32_t x, int32_t y) const noexcept { return Row(y)[x]; }

private:
    int32_t m_width = 0;
    int32_t m_height = 0;
    std::vector<uint8_t> m_coverage;
};
