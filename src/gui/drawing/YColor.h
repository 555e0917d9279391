// YColor: one 32-bit pixel, bytes blue, green, red, alpha in memory (a Windows 32-bit DIB's
// layout); alpha 255 is opaque. Bitmaps are arrays of it.
#pragma once

#include <cstdint>

struct YColor {
    uint8_t b = 0;
    uint8_t g = 0;
    uint8_t r = 0;
    uint8_t a = 255;

    static constexpr YColor RGB(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha = 255) noexcept {
        return YColor{blue, green, red, alpha};
    }
    // 0xAARRGGBB, the value the four bytes hold as a little-endian word (and the eight
    // hexadecimal digits of files).
    static constexpr YColor FromARGB(uint32_t argb) noexcept {
        return YColor{static_cast<uint8_t>(argb), static_cast<uint8_t>(argb >> 8), static_cast<uint8_t>(argb >> 16),
                      static_cast<uint8_t>(argb >> 24)};
    }
    constexpr uint32_t ToARGB() const noexcept {
        return static_cast<uint32_t>(b) | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(r) << 16 |
               static_cast<uint32_t>(a) << 24;
    }
    constexpr YColor WithAlpha(uint8_t alpha) const noexcept { return YColor{b, g, r, alpha}; }
    friend constexpr bool operator==(const YColor&, const YColor&) = default;
};

static_assert(sizeof(YColor) == 4, "a colour is one 32-bit pixel");
