// The standard icons, drawn as anti-aliased vector shapes on a 16 x 16 design grid scaled to
// the rectangle asked for, so they stay sharp at every size and take any colour.
#pragma once

#include "gui/drawing/YColor.h"
#include "gui/drawing/YGeometry.h"
#include "gui/toolkit/YStyle.h"

class YDrawer;

// Draws icon into the largest centred square of rect in colour; nothing for a value outside
// the enumeration or an empty rectangle.
void YDrawStdIcon(YDrawer& drawer, YStdIcon icon, const YRect& rect, YColor colour);
