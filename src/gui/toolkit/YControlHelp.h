// The text of the F1 help window for a control, in STML: a title line, the control's own help
// text, then the usage lines of its control type as a list. The help display renders it.
#pragma once

#include "foundation/YString.h"

class YControl;

namespace YControlHelp {

// "Sorry, no help is defined for this control." when the control has neither a help text nor
// usage lines. The usage lines come from the control type's help text (slot 15), one per line;
// they are headed "General control usage" after a help text of the control's own and "Control
// meaning" when they are all there is.
YString Text(YControl& control, const YString& title);

// The hint shown where help is introduced.
YString Hint();

} // namespace YControlHelp
