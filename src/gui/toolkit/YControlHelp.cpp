#include "gui/toolkit/YControlHelp.h"

#include "foundation/YFormat.h"
#include "gui/toolkit/YControl.h"

namespace YControlHelp {

YString Text(YControl& control, const YString& title) {
    const YString own = control.HelpText();
    const YString usage = control.HelpTextOfType();
    if (own.IsEmpty() && usage.IsEmpty()) return "Sorry, no help is defined for this control.";

    YString text("<center invert=1 singleline=1><l2>");
    text += title;
    text += "</l2></center><justify><s/></justify>";
    text += own;
    if (!usage.IsEmpty()) {
        text += own.IsEmpty() ? YString("<p><b>Control meaning</b>") : YString("<p><b>General control usage</b>");
        int32_t start = 0;
        while (start <= usage.Length()) {
            int32_t end = usage.Find(u'\n', start);
            if (end < 0) end = usage.Length();
            const YString line = usage.Substring(start, end - start);
            if (!line.IsEmpty()) text += YFormat::Text("<li>{0}</li>", line);
            start = end + 1;
        }
    }
    return text;
}

YString Hint() {
    return "Move mouse cursor on a control and press F1 to get detailed info about it. If the F1 key is captured "
           "by another application, try using Ctrl+F1, Shift+F1 or another combination.";
}

} // namespace YControlHelp
