#include "gui/toolkit/YStyle.h"

#include "foundation/YException.h"
#include "gui/toolkit/YWindow.h"

#include <atomic>
#include <cmath>

namespace {

constexpr const char* kModalValueNames[] = {"ok", "cancel", "yes", "no"};
constexpr const char* kControlTypeNames[] = {
    "empty", "nobackground", "window", "panel", "control", "static", "button", "captionbutton",
    "checkbox", "tracker", "rotator", "knob", "hscrollbar", "vscrollbar", "edit", "switcher",
    "progressbar", "listbox", "treecontrol", "tabset", "menu", "menubar", "none",
};
constexpr const char* kCaptionTypeNames[] = {"small", "normal", "large"};
constexpr const char* kCheckBoxStateNames[] = {"off", "on", "grayed"};
constexpr const char* kStdBitmapNames[] = {"notice", "question", "exclamation"};
constexpr const char* kStdCursorNames[] = {
    "arrow", "wait", "cross", "ibeam", "link", "no", "pen", "eraser", "selection", "move", "size", "arrowud",
    "arrowlr", "hollow",
};
constexpr const char* kStdFontNames[] = {"normal", "bold", "italic", "small", "large1", "large2", "large3", "large4"};
constexpr const char* kStdFontDisplayNames[] = {"Normal", "Bold", "Italic", "Small",
                                                "Large 1", "Large 2", "Large 3", "Large 4"};
constexpr const char* kStdColorNames[] = {"controlname", "text", "shape", "highlight", "light",
                                          "dark", "red", "green", "blue"};
constexpr const char* kStdIconNames[] = {
    "left", "right", "up", "down", "add", "delete", "moveup", "movedown", "duplicate", "report", "list", "eye",
    "plus", "minus", "mul", "div", "close", "maximize", "unmaximize", "minimize", "help", "collapse", "load",
    "save", "saveas", "deletefile", "directory", "directoryup", "cancel", "ok", "default", "enable", "pencil",
    "selector", "eraser", "arrow", "clipboardcopy", "clipboardpaste", "process", "play", "pause", "zoomin",
    "zoomout", "zoomdefault", "bullet1", "bullet2", "bullet3", "checkboxoff", "checkboxon", "checkboxgrayed",
    "www", "mail", "phone",
};
constexpr const char* kStyleMetricNames[] = {
    "deflayoutspace", "scrollerlayoutspace", "xspaceinycontent", "yspaceinycontent", "xborderinycontent",
    "yborderinycontent", "defaultlistboxitemheight", "listboxitemcheckboxsize", "defaulttreeitemheight",
    "treeitemcheckboxsize", "alphaenabled", "alphadisabled", "tabsetleftsize", "tabsetrightsize",
    "tabsetoverlapsize", "menubarleftsize", "menubarrightsize", "menubaroverlapsize", "checkboxiconsize",
    "maxstdiconsizex", "maxstdiconsizey", "maxstdbitmapsizex", "maxstdbitmapsizey", "hsplittersize",
    "vsplittersize", "windowbordersizex", "windowbordersizey",
};
constexpr const char* kAlignmentNames[kAlignmentNameCount] = {
    "center,center", "left,center", "right,center", "yyy", "center,top", "left,top", "right,top", "xxx",
    "center,bottom", "left,bottom", "right,bottom",
};

static_assert(std::size(kControlTypeNames) == kControlTypeCount);
static_assert(std::size(kStdIconNames) == kStdIconCount);
static_assert(std::size(kStyleMetricNames) == kStyleMetricCount);

template <size_t N> constexpr YEnumNames Table(const char* const (&names)[N], const char* typeName) {
    return YEnumNames{names, static_cast<int32_t>(N), typeName};
}

char16_t Lower(char16_t c) noexcept { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool EqualsIgnoringCase(const YString& text, const char* name) noexcept {
    const int32_t length = text.Length();
    int32_t i = 0;
    for (; i < length && name[i] != '\0'; ++i) {
        if (Lower(text[i]) != static_cast<char16_t>(name[i])) return false;
    }
    return i == length && name[i] == '\0';
}

std::atomic<YStyle*> g_default{nullptr};

} // namespace

#define Y_ENUM_NAMES(Type, names, typeName)                                                                  \
    template <> const YEnumNames& YEnumNamesOf<Type>() noexcept {                                            \
        static constexpr YEnumNames table = Table(names, typeName);                                          \
        return table;                                                                                        \
    }
Y_ENUM_NAMES(YModalValue, kModalValueNames, "YModalValue")
Y_ENUM_NAMES(YControlType, kControlTypeNames, "YControlType")
Y_ENUM_NAMES(YCaptionType, kCaptionTypeNames, "caption type")
Y_ENUM_NAMES(YCheckBoxState, kCheckBoxStateNames, "YCheckBoxState")
Y_ENUM_NAMES(YStdBitmap, kStdBitmapNames, "YStdBitmap")
Y_ENUM_NAMES(YStdCursor, kStdCursorNames, "YStdCursor")
Y_ENUM_NAMES(YStdFont, kStdFontNames, "YStdFont")
Y_ENUM_NAMES(YStdColor, kStdColorNames, "YStdColor")
Y_ENUM_NAMES(YStdIcon, kStdIconNames, "YStdIcon")
Y_ENUM_NAMES(YStyleMetric, kStyleMetricNames, "style metric")
#undef Y_ENUM_NAMES

int32_t YEnumFind(const YEnumNames& names, const YString& name) noexcept {
    for (int32_t i = 0; i < names.count; ++i) {
        if (EqualsIgnoringCase(name, names.names[i])) return i;
    }
    return -1;
}

int32_t YEnumParse(const YEnumNames& names, const YString& name) {
    const int32_t value = YEnumFind(names, name);
    if (value < 0) {
        YRaiseFormat(YException::kGeneral, YString("Invalid ") + YString::Literal(names.typeName) +
                                               YString(" identifier to parse ({0})."),
                     name);
    }
    return value;
}

YString YEnumName(const YEnumNames& names, int32_t value) {
    if (value < 0 || value >= names.count) return YString();
    return YString::Literal(names.names[value]);
}

YString YStdFontDisplayName(YStdFont font) {
    const auto index = static_cast<int32_t>(font);
    if (index < 0 || index >= static_cast<int32_t>(std::size(kStdFontDisplayNames))) return YString();
    return YString::Literal(kStdFontDisplayNames[index]);
}

YString YAlignmentName(uint32_t alignment) {
    if (alignment >= static_cast<uint32_t>(kAlignmentNameCount)) return YString();
    return YString::Literal(kAlignmentNames[alignment]);
}

uint32_t YAlignmentParse(const YString& name) {
    // Blanks around the comma are dropped before the comparison ("left, top").
    std::u16string compact;
    for (int32_t i = 0; i < name.Length(); ++i) {
        if (name[i] != u' ' && name[i] != u'\t') compact.push_back(Lower(name[i]));
    }
    const YString key = YString::FromUTF16(compact);
    for (uint32_t value = 0; value < static_cast<uint32_t>(kAlignmentNameCount); ++value) {
        if (value == 3 || value == 7) continue;
        if (EqualsIgnoringCase(key, kAlignmentNames[value])) return value;
    }
    YRaiseFormat(YException::kGeneral, "Invalid YAlignment identifier to parse ({0}).", name);
}

uint32_t YControlStateOf(const YControl& control) noexcept {
    uint32_t state = YControlState::kNormal;
    if (!control.IsEnabled()) state |= YControlState::kDisabled;
    if (control.HasFocus()) state |= YControlState::kFocused;
    if (control.IsHovered()) state |= YControlState::kHighlighted;
    if (control.HasCapture()) state |= YControlState::kClicked;
    return state;
}

YStyle* YStyleOf(const YControl& control) noexcept {
    if (const YWindow* window = control.Window()) {
        if (YStyle* own = window->OwnStyle()) return own;
    }
    return YStyle::Default();
}

// ---- YStyle ----

YStyle* YStyle::Default() noexcept { return g_default.load(std::memory_order_acquire); }

YStyle* YStyle::Install(YStyle* style) noexcept { return g_default.exchange(style, std::memory_order_acq_rel); }

YStyle::YStyle() : m_hook(*this) {}

YStyle::~YStyle() {
    // A style that goes away stops being the default, so nobody paints through a dangling one.
    YStyle* self = this;
    g_default.compare_exchange_strong(self, nullptr, std::memory_order_acq_rel);
}

int32_t YStyle::ScaleX(int32_t n) const {
    if (n <= 0) return n;
    return std::max(1, static_cast<int32_t>(std::lround(static_cast<double>(n) * Resize().x)));
}

int32_t YStyle::ScaleY(int32_t n) const {
    if (n <= 0) return n;
    return std::max(1, static_cast<int32_t>(std::lround(static_cast<double>(n) * Resize().y)));
}
