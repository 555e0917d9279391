// YBitmapFill: how a bitmap fills a rectangle larger or smaller than itself.
//   Stretch   scaled to the rectangle on both axes
//   HPattern  repeated across, stretched to the rectangle's height
//   VPattern  repeated down, stretched to the rectangle's width
//   Pattern   repeated on both axes from the rectangle's top left corner
//   None      drawn once at the top left corner, cut to the rectangle
#pragma once

#include "foundation/YString.h"

#include <cstdint>

enum class YBitmapFill : int32_t { Stretch = 0, HPattern, VPattern, Pattern, None };

YString YBitmapFillName(YBitmapFill fill);
// Raises "Invalid YBitmapFill identifier to parse ({0})." for an unknown name.
YBitmapFill YBitmapFillParse(const YString& name);
