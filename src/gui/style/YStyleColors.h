// Colour helpers of the styles: the eight-digit colour text of style files and the blends the
// code-drawn styles build their palettes from.
//
// Colour text is "RRGGBBAA": red, green, blue, then alpha, two hexadecimal digits each, so the
// default line colour "000000A0" is black at alpha 0xA0.
#pragma once

#include "foundation/YString.h"
#include "gui/drawing/YColor.h"

#include <cstdint>

// Raises "Invalid color value ({0})." for anything but eight hexadecimal digits (blanks
// around them ignored; either case).
YColor YStyleColorParse(const YString& text);
// Eight upper-case digits.
YString YStyleColorText(YColor colour);

// a + (b - a) * t on every channel, alpha included (t 0..1).
YColor YColorMix(YColor a, YColor b, float t) noexcept;
// colour laid over an opaque background by its alpha; the result is opaque.
YColor YColorOver(YColor background, YColor colour) noexcept;
// colour with its alpha multiplied by factor (0..1).
YColor YColorFade(YColor colour, float factor) noexcept;
// Relative luminance 0..1 (sRGB weights, no linearisation: enough to choose a text colour).
float YColorLuminance(YColor colour) noexcept;
