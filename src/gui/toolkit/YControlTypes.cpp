#include "gui/toolkit/YControlTypes.h"

namespace {
constexpr const char* kNames[kControlTypeCount] = {
    "empty", "nobackground", "window", "panel", "control", "static", "button", "captionbutton",
    "checkbox", "tracker", "rotator", "knob", "hscrollbar", "vscrollbar", "edit", "switcher",
    "progressbar", "listbox", "treecontrol", "tabset", "menu", "menubar", "none",
};
} // namespace

const char* YControlTypeName(YControlType type) noexcept {
    const auto index = static_cast<int32_t>(type);
    return index >= 0 && index < kControlTypeCount ? kNames[index] : nullptr;
}

bool YControlTypeFromName(const char16_t* name, int32_t length, YControlType& type) noexcept {
    for (int32_t i = 0; i < kControlTypeCount; ++i) {
        const char* candidate = kNames[i];
        int32_t k = 0;
        while (k < length && candidate[k] != '\0' && static_cast<char16_t>(candidate[k]) == name[k]) ++k;
        if (k == length && candidate[k] == '\0') {
            type = static_cast<YControlType>(i);
            return true;
        }
    }
    return false;
}
