#include "StyleSheet.h"

#include "gui/drawing/YDrawerToYBitmap.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr uint32_t kStates[] = {
    YControlState::kNormal, YControlState::kHighlighted, YControlState::kClicked, YControlState::kFocused,
    YControlState::kSelected, YControlState::kDisabled,
};
constexpr const char* kStateNames[] = {"normal", "hover", "clicked", "focused", "selected", "disabled"};

struct Sheet {
    YStyle& style;
    YDrawerToYBitmap& d;
    float s;
    int32_t X(float v) const { return static_cast<int32_t>(std::lround(v * s)); }
    YRect R(float x, float y, float w, float h) const { return YRect::FromSize(X(x), X(y), X(w), X(h)); }
    void Label(float x, float y, float w, float h, const YString& text, uint32_t align = kAlignLeft | kAlignVCenter,
               YStdFont font = YStdFont::kSmall, YStdColor colour = YStdColor::kText) {
        style.DrawText(d, R(x, y, w, h), text, font, colour, align, 0);
    }
};

} // namespace

YBitmap RenderStyleSheet(YStyle& style) {
    const float s = style.Resize().x;
    const int32_t width = static_cast<int32_t>(std::lround(1040 * s));
    const int32_t height = static_cast<int32_t>(std::lround(1010 * s));
    YBitmap bitmap(width, height);
    YDrawerToYBitmap d(&bitmap);
    Sheet k{style, d, s};
    style.DrawControl(d, YControlType::kWindow, 0, YRect::FromSize(0, 0, width, height));

    // Control types (rows) in every state (columns).
    const float col0 = 110, colW = 150, rowH = 34;
    for (int c = 0; c < 6; ++c) k.Label(col0 + c * colW, 8, colW - 10, 16, YString::Literal(kStateNames[c]), kAlignHCenter | kAlignVCenter);
    const YControlType types[] = {
        YControlType::kPanel,  YControlType::kControl,    YControlType::kButton,    YControlType::kSwitcher,
        YControlType::kCaptionButton, YControlType::kEdit, YControlType::kListBox, YControlType::kTracker,
        YControlType::kKnob,   YControlType::kProgressBar, YControlType::kTabSet,  YControlType::kMenu,
        YControlType::kMenuBar, YControlType::kHScrollBar,
    };
    float y = 28;
    for (YControlType type : types) {
        k.Label(8, y, col0 - 12, rowH - 8, YEnumName(type));
        for (int c = 0; c < 6; ++c) {
            const uint32_t state = kStates[c];
            const YRect r = type == YControlType::kKnob ? k.R(col0 + c * colW + 55, y, 26, 26)
                                                         : k.R(col0 + c * colW, y, colW - 16, rowH - 8);
            style.DrawControl(d, type, state, r);
            if (type == YControlType::kButton || type == YControlType::kSwitcher)
                style.DrawText(d, style.ContentRect(type, r), "Button", YStdFont::kNormal, YStdColor::kText,
                               kAlignCenter, state);
            if (type == YControlType::kCaptionButton)
                style.DrawIcon(d, YStdIcon::kClose, style.ContentRect(type, k.R(col0 + c * colW, y, 26, 26)),
                               style.TextColor(type, state));
            if (type == YControlType::kEdit) {
                const YRect content = style.ContentRect(type, r);
                style.DrawTextSelection(d, {content.left + k.X(30), content.top + k.X(2), content.left + k.X(62), content.bottom - k.X(2)}, state);
                style.DrawText(d, content, "Edit text", YStdFont::kNormal, YStdColor::kText, kAlignLeft | kAlignVCenter, state);
                if (state & YControlState::kFocused) style.DrawCaret(d, content.left + k.X(62), content.top + k.X(3), content.bottom - k.X(3));
            }
            if (type == YControlType::kProgressBar) style.DrawProgress(d, r, 0.2 + 0.13 * c, false, state);
        }
        y += rowH;
    }

    // Check boxes, scroll bar parts, tabs, items, splitters in every state.
    const char* rowNames[] = {"checkbox", "scrollbar", "tab", "item", "splitter", "swatch"};
    for (const char* name : rowNames) {
        k.Label(8, y, col0 - 12, rowH - 8, YString::FromUTF8(name));
        for (int c = 0; c < 6; ++c) {
            const uint32_t state = kStates[c];
            const float x = col0 + c * colW;
            const std::string row = name;
            if (row == "checkbox") {
                const YCheckBoxState checks[] = {YCheckBoxState::kOff, YCheckBoxState::kOn, YCheckBoxState::kGrayed};
                for (int i = 0; i < 3; ++i) style.DrawCheckBox(d, k.R(x + 4 + i * 28, y + 4, 18, 18), checks[i], state);
                style.DrawText(d, k.R(x + 88, y, 50, 26), "Label", YStdFont::kNormal, YStdColor::kText,
                               kAlignLeft | kAlignVCenter, state);
            } else if (row == "scrollbar") {
                const YRect bar = k.R(x, y + 6, colW - 16, 14);
                style.DrawControl(d, YControlType::kHScrollBar, state, bar);
                style.DrawScrollBarPart(d, k.R(x, y + 6, 14, 14), YScrollBarPart::kDecrease, false, state);
                style.DrawScrollBarPart(d, k.R(x + colW - 30, y + 6, 14, 14), YScrollBarPart::kIncrease, false, state);
                style.DrawScrollBarPart(d, k.R(x + 30, y + 6, 50, 14), YScrollBarPart::kThumb, false, state);
            } else if (row == "tab") {
                style.DrawControl(d, YControlType::kTabSet, 0, k.R(x, y, colW - 16, 26));
                style.DrawTab(d, k.R(x + 4, y, 90, 26), "Tab", state);
            } else if (row == "item") {
                style.DrawControl(d, YControlType::kListBox, 0, k.R(x, y - 2, colW - 16, 30));
                const YRect item = k.R(x + 3, y + 2, colW - 22, 22);
                style.DrawItem(d, item, state);
                style.DrawExpander(d, k.R(x + 5, y + 4, 16, 18), c % 2 == 0, state);
                style.DrawText(d, {item.left + k.X(22), item.top, item.right, item.bottom}, "List item",
                               YStdFont::kNormal, YStdColor::kText, kAlignLeft | kAlignVCenter, state);
            } else if (row == "splitter") {
                style.DrawSplitter(d, k.R(x, y + 8, colW - 16, 8), false, state);
                style.DrawSplitter(d, k.R(x + 60, y - 2, 8, 30), true, state);
            } else {
                style.DrawColorSwatch(d, k.R(x + 2, y + 2, 40, 22), YColor::RGB(0xE8, 0x6A, 0x1C), state);
                style.DrawColorSwatch(d, k.R(x + 52, y + 2, 40, 22), YColor::RGB(0x20, 0x80, 0xF0, 0x70), state);
            }
        }
        y += rowH;
    }

    // Captions, a menu, the fonts and the bitmaps.
    y += 6;
    const YCaptionType captions[] = {YCaptionType::kSmall, YCaptionType::kNormal, YCaptionType::kLarge};
    float cy = y;
    for (YCaptionType type : captions) {
        const int32_t h = style.CaptionHeight(type);
        const YRect panel = k.R(8, cy, 300, 0);
        style.DrawControl(d, YControlType::kPanel, 0, {panel.left, panel.top, panel.right, panel.top + h + k.X(20)});
        style.DrawCaption(d, {panel.left, panel.top, panel.right, panel.top + h - 1},
                          YString("Caption ") + YEnumName(type), type, 0);
        cy += static_cast<float>(h) / s + 28;
    }
    const YRect menu = k.R(330, y, 220, 150);
    style.DrawControl(d, YControlType::kMenu, 0, menu);
    struct Item {
        const char* text;
        const char* shortcut;
        uint32_t flags;
        uint32_t state;
    };
    const Item items[] = {
        {"Open preset", "Ctrl+O", 0, 0},
        {"Save preset", "Ctrl+S", 0, YControlState::kHighlighted},
        {"Show meters", "", YMenuItemFlag::kChecked, 0},
        {"", "", YMenuItemFlag::kSeparator, 0},
        {"Recent", "", YMenuItemFlag::kSubmenu, 0},
        {"Disabled item", "", 0, YControlState::kDisabled},
    };
    float iy = y + 6;
    for (const Item& item : items) {
        const float h = (item.flags & YMenuItemFlag::kSeparator) ? 9 : 24;
        style.DrawMenuItem(d, k.R(330, iy, 220, h), YString::FromUTF8(item.text), YString::FromUTF8(item.shortcut),
                           item.flags, item.state);
        iy += h;
    }
    float fy = y;
    for (int f = 0; f < 8; ++f) {
        const auto font = static_cast<YStdFont>(f);
        const YSize extent = style.TextExtent(font, "Ag");
        style.DrawText(d, YRect::FromSize(k.X(570), k.X(fy), k.X(250), extent.y), YStdFontDisplayName(font) + " 0.5 dB",
                       font, YStdColor::kText, kAlignLeft | kAlignVCenter, 0);
        fy += static_cast<float>(extent.y) / s + 2;
    }
    const YStdColor colours[] = {YStdColor::kControlName, YStdColor::kShape, YStdColor::kHighlight, YStdColor::kRed,
                                 YStdColor::kGreen, YStdColor::kBlue};
    for (int i = 0; i < 6; ++i)
        d.FillRoundRectangle(k.R(840 + i * 30, y, 24, 24), 4 * s, style.Color(colours[i]), YColorOp::Alphablend);
    for (int b = 0; b < 3; ++b) style.DrawBitmap(d, static_cast<YStdBitmap>(b), k.R(840 + b * 40, y + 40, 32, 32));

    // All standard icons, at the icon size and twice it.
    y = std::max(cy, fy) + 10;
    const YSize icon = style.IconSize();
    for (int i = 0; i < kStdIconCount; ++i) {
        const int col = i % 27, row = i / 27;
        const int32_t x = k.X(8 + col * 38);
        const int32_t top = k.X(y + row * 60);
        style.DrawIcon(d, static_cast<YStdIcon>(i), YRect::FromSize(x + k.X(2), top, icon.x, icon.y), style.Color(YStdColor::kShape));
        style.DrawIcon(d, static_cast<YStdIcon>(i), YRect::FromSize(x, top + icon.y + k.X(4), icon.x * 2, icon.y * 2),
                       style.Color(YStdColor::kShape));
    }
    return bitmap;
}
