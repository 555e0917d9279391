// Reading the attribute values of the rich-text markup. Values are written bare: numbers,
// percentages ("100%"), names of style metrics ("MaxStdIconSizeX"), names of the standard
// enumerations, and colours. A value that does not read leaves the attribute at its default.
#pragma once

#include "foundation/YString.h"
#include "gui/drawing/YColor.h"
#include "gui/stml/YSTMLItem.h"

#include <cstdint>

class YSTMLAttributes;

// A colour as an attribute gives it: a standard colour (YStdColor position) resolved by the
// painter, or a colour of its own.
struct YSTMLColor {
    int32_t standard = -1; // -1: own
    YColor own{};
    bool set = false;
};

namespace YSTMLValue {

// "12", "-3", "12.5" (rounded toward zero for integers); false when no digit starts it.
bool Number(const YString& text, double& value) noexcept;
// A number, "n%" or a style metric name (ASCII case ignored).
bool Length(const YString& text, YSTMLLength& length);
// An alpha as 0..255, or "n%" of 255; clamped.
bool Alpha(const YString& text, int32_t& alpha) noexcept;
// Flags: a number, non-zero meaning set.
bool Flag(const YString& text) noexcept;
// Colours: "RRGGBBAA" or "RRGGBB" in hexadecimal (the file form of colours), or a standard
// colour's name ("red", "shape"...).
bool Color(const YString& text, YSTMLColor& colour);
// Horizontal alignment "left", "center", "right" -> 0, 1, 2; vertical "top", "center",
// "middle", "bottom" -> 0, 1, 2. False for anything else.
bool HAlign(const YString& text, int32_t& align) noexcept;
bool VAlign(const YString& text, int32_t& align) noexcept;

// The same read straight from a tag's attributes: the value is changed only when the
// attribute is there and reads.
void Read(const YSTMLAttributes& attributes, const char* name, YSTMLLength& out);
void Read(const YSTMLAttributes& attributes, const char* name, YSTMLColor& out);
void ReadInt(const YSTMLAttributes& attributes, const char* name, int32_t& out);
void ReadAlpha(const YSTMLAttributes& attributes, const char* name, int32_t& out);
void ReadDouble(const YSTMLAttributes& attributes, const char* name, double& out);
void ReadFlag(const YSTMLAttributes& attributes, const char* name, bool& out);
void ReadHAlign(const YSTMLAttributes& attributes, const char* name, int32_t& out);
void ReadVAlign(const YSTMLAttributes& attributes, const char* name, int32_t& out);

} // namespace YSTMLValue
