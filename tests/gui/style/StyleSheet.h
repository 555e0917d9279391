// A sheet of every part a style paints: each control type in each state, the caption kinds,
// check boxes, scroll bars, tabs, items, menus, progress, splitters, text, swatches and all
// standard icons. Snapshot tests write it as PNG; comparisons render it twice.
#pragma once

#include "gui/drawing/YBitmap.h"
#include "gui/toolkit/YStyle.h"

// Paints the sheet of style into a new bitmap sized for the style's scale.
YBitmap RenderStyleSheet(YStyle& style);
