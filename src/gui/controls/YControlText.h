// Measuring a control's text the way it will be painted: the font of the control's standard
// font, as the style maps it. Edits place the cursor and lists size their rows with it.
#pragma once

#include "foundation/YString.h"

#include <cstdint>

class YControl;
class YFont;

namespace YControlText {

// The font the control's text is painted in (never null).
YFont& FontOf(YControl& control);
// Width in pixels of text in the control's font.
int32_t Width(YControl& control, const YString& text);
// Height of one line of the control's font.
int32_t LineHeight(YControl& control);
// The caret index (0 .. text length) nearest to x pixels from the text's start.
int32_t IndexAt(YControl& control, const YString& text, int32_t x);

} // namespace YControlText
