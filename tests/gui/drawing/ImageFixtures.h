// Small image files made by the libraries' own encoders, so the decoder tests cover depths
// and colour models without binary fixtures: each pixel (x, y) of the source pattern is
// red x * 17, green y * 29, blue 255 - x * 17, alpha (x + y) * 16 (where there is alpha).
#pragma once

#include <cstdint>
#include <vector>

namespace drawing_test {

// The pattern's value of one channel: 0 red, 1 green, 2 blue, 3 alpha.
uint8_t PatternValue(int32_t x, int32_t y, int channel);

enum class PngKind { Rgba8, Rgb16, Grey8, GreyAlpha8, Palette4 };
std::vector<uint8_t> MakePng(PngKind kind, int32_t width, int32_t height);

// Baseline JPEG, RGB or CMYK (Adobe-inverted as Photoshop writes it), at quality 95.
std::vector<uint8_t> MakeJpeg(bool cmyk, int32_t width, int32_t height);

enum class TiffKind { Rgba8, Rgb16, Palette8, Cmyk8, Grey8Deflate };
std::vector<uint8_t> MakeTiff(TiffKind kind, int32_t width, int32_t height);

} // namespace drawing_test
