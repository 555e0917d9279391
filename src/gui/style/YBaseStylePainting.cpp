// The painting of YBaseStyle: every control part as anti-aliased shapes in the palette's
// colours. Frames are drawn inside the rectangle given, so neighbours never overlap.
#include "gui/style/YBaseStyle.h"

#include "gui/drawing/YDrawer.h"
#include "gui/drawing/YFont.h"
#include "gui/style/YStdIcons.h"
#include "gui/style/YStyleColors.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr YColorOp kBlend = YColorOp::Alphablend;

YRect Inset(const YRect& r, int32_t dx, int32_t dy) { return {r.left + dx, r.top + dy, r.right - dx, r.bottom - dy}; }

// Restores the drawer's line width and font when a painting step ends.
class DrawerState {
public:
    explicit DrawerState(YDrawer& drawer) : m_drawer(drawer), m_width(drawer.LineWidth()), m_font(drawer.Font()) {}
    ~DrawerState() {
        m_drawer.SetLineWidth(m_width);
        m_drawer.SetFont(m_font);
    }

private:
    YDrawer& m_drawer;
    float m_width;
    YFont* m_font;
};

bool Has(uint32_t state, uint32_t bit) { return (state & bit) != 0; }

} // namespace

void YBaseStyle::DrawFocus(YDrawer& drawer, const YRect& rect) {
    if (rect.IsEmpty()) return;
    DrawerState keep(drawer);
    drawer.SetLineWidth(std::max(1.0f, std::round(S(2.0f))));
    drawer.RoundRectangle(rect, S(4.0f), m_palette.focus, kBlend);
}

void YBaseStyle::DrawControl(YDrawer& drawer, YControlType type, uint32_t state, const YRect& rect) {
    if (rect.IsEmpty()) return;
    DrawerState keep(drawer);
    const Palette& p = m_palette;
    const bool disabled = Has(state, YControlState::kDisabled);
    const bool hover = Has(state, YControlState::kHighlighted) && !disabled;
    const bool pressed = Has(state, YControlState::kClicked) && !disabled;
    const bool focused = Has(state, YControlState::kFocused) && !disabled;
    const bool selected = Has(state, YControlState::kSelected);
    const float radius = S(4.0f);
    drawer.SetLineWidth(std::max(1.0f, std::floor(S(1.0f))));
    switch (type) {
    case YControlType::kWindow: drawer.FillRectangle(rect, p.window, YColorOp::Copy); break;
    case YControlType::kControl: drawer.FillRectangle(rect, p.panel, kBlend); break;
    case YControlType::kPanel:
        drawer.FillRoundRectangle(rect, S(5.0f), p.panel, kBlend);
        drawer.RoundRectangle(rect, S(5.0f), p.panelBorder, kBlend);
        break;
    case YControlType::kButton:
    case YControlType::kSwitcher: {
        YColor fill = selected ? p.accent : p.face;
        if (selected && hover) fill = YColorMix(p.accent, p.light, 0.12f);
        else if (hover) fill = p.faceHover;
        if (pressed) fill = selected ? YColorMix(p.accent, p.dark, 0.15f) : p.facePressed;
        if (disabled) fill = YColorMix(fill, p.window, 0.55f);
        // A one-pixel shadow under the face lifts it off the panel; a pressed button sits flat.
        const YRect face{rect.left, rect.top, rect.right, rect.bottom - ScaleY(1)};
        if (!pressed && !disabled) drawer.FillRoundRectangle(rect, radius, p.shadow.WithAlpha(p.shadow.a / 2), kBlend);
        drawer.FillRoundRectangle(pressed ? rect : face, radius, fill, kBlend);
        YColor border = selected ? YColorMix(p.accent, p.dark, 0.25f) : hover ? p.faceBorderHover : p.faceBorder;
        if (disabled) border = YColorMix(border, p.window, 0.5f);
        drawer.RoundRectangle(pressed ? rect : face, radius, border, kBlend);
        if (focused) DrawFocus(drawer, pressed ? rect : face);
        break;
    }
    case YControlType::kCaptionButton:
        if (hover || pressed) drawer.FillRoundRectangle(rect, S(3.0f), pressed ? p.facePressed : p.faceHover, kBlend);
        if (focused) DrawFocus(drawer, rect);
        break;
    case YControlType::kEdit:
    case YControlType::kListBox:
    case YControlType::kTreeControl: {
        const float r = type == YControlType::kEdit ? S(4.0f) : S(3.0f);
        drawer.FillRoundRectangle(rect, r, disabled ? YColorMix(p.field, p.window, 0.6f) : p.field, kBlend);
        drawer.RoundRectangle(rect, r, hover ? p.faceBorderHover : p.fieldBorder, kBlend);
        if (focused) {
            drawer.SetLineWidth(std::max(1.0f, std::round(S(1.5f))));
            drawer.RoundRectangle(rect, r, p.focus, kBlend);
        }
        break;
    }
    case YControlType::kTracker: {
        const int32_t h = ScaleY(4);
        const int32_t cy = (rect.top + rect.bottom) / 2;
        const YRect groove{rect.left, cy - h / 2, rect.right, cy - h / 2 + h - 1};
        drawer.FillRoundRectangle(groove, static_cast<float>(h) * 0.5f, p.track, kBlend);
        drawer.RoundRectangle(groove, static_cast<float>(h) * 0.5f, p.faceBorder.WithAlpha(0x80), kBlend);
        break;
    }
    case YControlType::kRotator:
    case YControlType::kKnob: {
        const float cx = (static_cast<float>(rect.left) + static_cast<float>(rect.right) + 1.0f) * 0.5f;
        const float cy = (static_cast<float>(rect.top) + static_cast<float>(rect.bottom) + 1.0f) * 0.5f;
        const float r = static_cast<float>(std::min(rect.Width(), rect.Height())) * 0.5f - S(1.5f);
        drawer.FillCircle(cx, cy + S(1.0f), r, p.shadow, kBlend);
        drawer.FillCircle(cx, cy, r, hover ? p.faceHover : p.face, kBlend);
        drawer.Circle(cx, cy, r, focused ? p.focus : hover ? p.faceBorderHover : p.faceBorder, kBlend);
        break;
    }
    case YControlType::kHScrollBar:
    case YControlType::kVScrollBar: drawer.FillRectangle(rect, p.track, kBlend); break;
    case YControlType::kProgressBar:
        drawer.FillRoundRectangle(rect, S(3.0f), p.track, kBlend);
        drawer.RoundRectangle(rect, S(3.0f), p.fieldBorder, kBlend);
        break;
    case YControlType::kTabSet: {
        const int32_t line = std::max(1, ScaleY(1));
        drawer.FillRectangle({rect.left, rect.bottom - line + 1, rect.right, rect.bottom}, p.panelBorder, kBlend);
        break;
    }
    case YControlType::kMenu: {
        // A soft two-step shadow below and right, then the sheet.
        drawer.FillRoundRectangle(rect.Offset(0, ScaleY(2)), S(6.0f), p.shadow.WithAlpha(p.shadow.a / 2), kBlend);
        drawer.FillRoundRectangle(rect.Offset(0, ScaleY(1)), S(6.0f), p.shadow.WithAlpha(p.shadow.a / 2), kBlend);
        drawer.FillRoundRectangle(rect, S(6.0f), p.menu, kBlend);
        drawer.RoundRectangle(rect, S(6.0f), p.menuBorder, kBlend);
        break;
    }
    case YControlType::kMenuBar: {
        drawer.FillRectangle(rect, p.panel, kBlend);
        const int32_t line = std::max(1, ScaleY(1));
        drawer.FillRectangle({rect.left, rect.bottom - line + 1, rect.right, rect.bottom}, p.separator, kBlend);
        break;
    }
    default: break; // empty, nobackground, static, checkbox, none: no background of their own
    }
}

void YBaseStyle::DrawCaption(YDrawer& drawer, const YRect& rect, const YString& text, YCaptionType type,
                             uint32_t state) {
    if (rect.IsEmpty()) return;
    DrawerState keep(drawer);
    const Palette& p = m_palette;
    drawer.FillRectangle(rect, p.caption, kBlend);
    const int32_t stripe = std::max(2, ScaleX(3));
    drawer.FillRectangle({rect.left, rect.top, rect.left + stripe - 1, rect.bottom}, p.captionStripe, kBlend);
    const int32_t line = std::max(1, ScaleY(1));
    drawer.FillRectangle({rect.left, rect.bottom - line + 1, rect.right, rect.bottom}, p.panelBorder, kBlend);
    const YStdFont font = type == YCaptionType::kSmall ? YStdFont::kSmall
                          : type == YCaptionType::kLarge ? YStdFont::kLarge2
                                                         : YStdFont::kBold;
    drawer.SetFont(Font(font));
    const YRect textRect{rect.left + stripe + ScaleX(8), rect.top, rect.right - ScaleX(8), rect.bottom - line};
    const YColor colour = Has(state, YControlState::kDisabled) ? p.textDim : p.captionText;
    drawer.AlignedTextOut(textRect, text, kAlignLeft | kAlignVCenter, colour, kBlend);
}

void YBaseStyle::DrawCheckBox(YDrawer& drawer, const YRect& rect, YCheckBoxState check, uint32_t state) {
    if (rect.IsEmpty()) return;
    DrawerState keep(drawer);
    const Palette& p = m_palette;
    const int32_t side = std::min(rect.Width(), rect.Height());
    const YRect box = YRect::FromSize(rect.left + (rect.Width() - side) / 2, rect.top + (rect.Height() - side) / 2,
                                      side, side);
    const bool disabled = Has(state, YControlState::kDisabled);
    const bool hover = Has(state, YControlState::kHighlighted) && !disabled;
    const float radius = static_cast<float>(side) * 0.22f;
    drawer.SetLineWidth(std::max(1.0f, std::floor(S(1.0f))));
    if (check == YCheckBoxState::kOn) {
        YColor fill = hover ? YColorMix(p.accent, p.light, 0.12f) : p.accent;
        if (disabled) fill = YColorMix(fill, p.window, 0.55f);
        drawer.FillRoundRectangle(box, radius, fill, kBlend);
        drawer.RoundRectangle(box, radius, YColorMix(fill, p.dark, 0.2f), kBlend);
        const YRect mark = Inset(box, side / 8, side / 8);
        YDrawStdIcon(drawer, YStdIcon::kOk, mark, disabled ? YColorFade(p.textOnAccent, 0.6f) : p.textOnAccent);
    } else {
        drawer.FillRoundRectangle(box, radius, disabled ? YColorMix(p.field, p.window, 0.6f) : p.field, kBlend);
        drawer.RoundRectangle(box, radius, hover ? p.faceBorderHover : p.fieldBorder, kBlend);
        if (check == YCheckBoxState::kGrayed) {
            const YRect inner = Inset(box, side / 4, side / 4);
            drawer.FillRoundRectangle(inner, radius * 0.5f, disabled ? YColorMix(p.accent, p.window, 0.55f) : p.accent,
                                      kBlend);
        }
    }
    if (Has(state, YControlState::kFocused) && !disabled) {
        drawer.SetLineWidth(std::max(1.0f, std::round(S(1.5f))));
        const int32_t g = ScaleX(2);
        drawer.RoundRectangle(Inset(box, -g, -g), radius + static_cast<float>(g), p.focus, kBlend);
    }
}

void YBaseStyle::DrawScrollBarPart(YDrawer& drawer, const YRect& rect, YScrollBarPart part, bool vertical,
                                   uint32_t state) {
    if (rect.IsEmpty()) return;
    DrawerState keep(drawer);
    const Palette& p = m_palette;
    const bool hover = Has(state, YControlState::kHighlighted);
    const bool pressed = Has(state, YControlState::kClicked);
    switch (part) {
    case YScrollBarPart::kTrack: drawer.FillRectangle(rect, p.track, kBlend); break;
    case YScrollBarPart::kThumb: {
        // A pill a little narrower than the bar, widening under the pointer.
        const int32_t across = vertical ? rect.Width() : rect.Height();
        const int32_t gap = std::max(1, (hover || pressed) ? across / 6 : across / 4);
        const YRect pill = vertical ? Inset(rect, gap, ScaleY(1)) : Inset(rect, ScaleX(1), gap);
        const float r = static_cast<float>(vertical ? pill.Width() : pill.Height()) * 0.5f;
        const YColor colour = pressed ? YColorMix(p.thumbHover, p.dark, 0.2f) : hover ? p.thumbHover : p.thumb;
        drawer.FillRoundRectangle(pill, r, colour, kBlend);
        break;
    }
    case YScrollBarPart::kDecrease:
    case YScrollBarPart::kIncrease: {
        if (hover || pressed) drawer.FillRectangle(rect, pressed ? p.facePressed : p.faceHover, kBlend);
        const YStdIcon icon = part == YScrollBarPart::kDecrease ? (vertical ? YStdIcon::kUp : YStdIcon::kLeft)
                                                                : (vertical ? YStdIcon::kDown : YStdIcon::kRight);
        const int32_t side = std::min(rect.Width(), rect.Height()) * 3 / 4;
        const YRect iconRect = YRect::FromSize(rect.left + (rect.Width() - side) / 2,
                                               rect.top + (rect.Height() - side) / 2, side, side);
        YDrawStdIcon(drawer, icon, iconRect, hover || pressed ? p.text : p.textDim);
        break;
    }
    }
}

void YBaseStyle::DrawTab(YDrawer& drawer, const YRect& rect, const YString& text, uint32_t state) {
    if (rect.IsEmpty()) return;
    DrawerState keep(drawer);
    const Palette& p = m_palette;
    const bool selected = Has(state, YControlState::kSelected);
    const bool hover = Has(state, YControlState::kHighlighted);
    const bool disabled = Has(state, YControlState::kDisabled);
    const float radius = S(4.0f);
    if (selected) {
        // Rounded at the top only: the lower corners are squared off by a plain fill.
        drawer.FillRoundRectangle(rect, radius, p.panel, kBlend);
        drawer.FillRectangle({rect.left, rect.bottom - static_cast<int32_t>(radius), rect.right, rect.bottom}, p.panel,
                             kBlend);
        const int32_t bar = std::max(2, ScaleY(2));
        drawer.FillRectangle({rect.left + ScaleX(1), rect.bottom - bar + 1, rect.right - ScaleX(1), rect.bottom},
                             p.selection.WithAlpha(0xFF), kBlend);
    } else if (hover && !disabled) {
        drawer.FillRoundRectangle(Inset(rect, 0, ScaleY(1)), radius, p.faceHover, kBlend);
    }
    drawer.SetFont(Font(selected ? YStdFont::kBold : YStdFont::kNormal));
    const YColor colour = disabled ? YColorFade(p.textDim, 0.7f) : selected || hover ? p.text : p.textDim;
    drawer.AlignedTextOut(Inset(rect, ScaleX(6), 0), text, kAlignCenter, colour, kBlend);
    if (Has(state, YControlState::kFocused)) DrawFocus(drawer, Inset(rect, ScaleX(1), ScaleY(1)));
}

void YBaseStyle::DrawItem(YDrawer& drawer, const YRect& rect, uint32_t state) {
    if (rect.IsEmpty()) return;
    DrawerState keep(drawer);
    const Palette& p = m_palette;
    const bool selected = Has(state, YControlState::kSelected);
    const bool focused = Has(state, YControlState::kFocused);
    const float radius = S(3.0f);
    if (selected) {
        // A selection in a list without the focus is quieter.
        drawer.FillRoundRectangle(rect, radius, focused ? p.selection : YColorFade(p.selection, 0.55f), kBlend);
    } else if (Has(state, YControlState::kHighlighted)) {
        drawer.FillRoundRectangle(rect, radius, YColorFade(p.selection, 0.22f), kBlend);
    }
    if (focused && !selected) {
        drawer.SetLineWidth(std::max(1.0f, std::floor(S(1.0f))));
        drawer.RoundRectangle(rect, radius, p.focus, kBlend);
    }
}

void YBaseStyle::DrawMenuItem(YDrawer& drawer, const YRect& rect, const YString& text, const YString& shortcut,
                              uint32_t flags, uint32_t state) {
    if (rect.IsEmpty()) return;
    DrawerState keep(drawer);
    const Palette& p = m_palette;
    if (flags & YMenuItemFlag::kSeparator) {
        DrawSeparator(drawer, Inset(rect, ScaleX(8), 0), false);
        return;
    }
    const bool disabled = Has(state, YControlState::kDisabled);
    const bool active = !disabled && Has(state, YControlState::kSelected | YControlState::kHighlighted);
    if (active) drawer.FillRoundRectangle(Inset(rect, ScaleX(4), ScaleY(1)), S(4.0f), p.selection, kBlend);
    const YColor colour = disabled ? p.textDim : active ? p.textOnSelection : p.text;
    const int32_t column = ScaleX(26);
    if (flags & YMenuItemFlag::kChecked) {
        const int32_t side = std::min(ScaleX(14), rect.Height());
        YDrawStdIcon(drawer, YStdIcon::kOk,
                     YRect::FromSize(rect.left + (column - side) / 2 + ScaleX(4), rect.top + (rect.Height() - side) / 2, side,
                                     side),
                     colour);
    }
    drawer.SetFont(Font(YStdFont::kNormal));
    drawer.AlignedTextOut({rect.left + column + ScaleX(4), rect.top, rect.right - ScaleX(24), rect.bottom}, text,
                          kAlignLeft | kAlignVCenter, colour, kBlend);
    if (!shortcut.IsEmpty()) {
        drawer.AlignedTextOut({rect.left + column, rect.top, rect.right - ScaleX(14), rect.bottom}, shortcut,
                              kAlignRight | kAlignVCenter, active ? colour : p.textDim, kBlend);
    }
    if (flags & YMenuItemFlag::kSubmenu) {
        const int32_t side = ScaleX(10);
        YDrawStdIcon(drawer, YStdIcon::kRight,
                     YRect::FromSize(rect.right - ScaleX(12) - side / 2, rect.top + (rect.Height() - side) / 2, side, side),
                     colour);
    }
}

void YBaseStyle::DrawProgress(YDrawer& drawer, const YRect& rect, double fraction, bool vertical, uint32_t state) {
    if (rect.IsEmpty()) return;
    DrawerState keep(drawer);
    DrawControl(drawer, YControlType::kProgressBar, state, rect);
    if (!(fraction > 0.0)) return;
    fraction = std::min(1.0, fraction);
    const YRect inner = Inset(rect, ScaleX(2), ScaleY(2));
    if (inner.IsEmpty()) return;
    YRect filled = inner;
    if (vertical) filled.top = inner.bottom - static_cast<int32_t>(std::lround(inner.Height() * fraction)) + 1;
    else filled.right = inner.left + static_cast<int32_t>(std::lround(inner.Width() * fraction)) - 1;
    YColor colour = m_palette.accent;
    if (Has(state, YControlState::kDisabled)) colour = YColorMix(colour, m_palette.window, 0.55f);
    drawer.FillRoundRectangle(filled, S(2.0f), colour, kBlend);
}

void YBaseStyle::DrawSplitter(YDrawer& drawer, const YRect& rect, bool vertical, uint32_t state) {
    if (rect.IsEmpty()) return;
    const Palette& p = m_palette;
    if (Has(state, YControlState::kHighlighted | YControlState::kClicked))
        drawer.FillRectangle(rect, Has(state, YControlState::kClicked) ? p.facePressed : p.faceHover, kBlend);
    // Three dots across the middle of the bar show where to grab it.
    const float cx = (static_cast<float>(rect.left) + static_cast<float>(rect.right) + 1.0f) * 0.5f;
    const float cy = (static_cast<float>(rect.top) + static_cast<float>(rect.bottom) + 1.0f) * 0.5f;
    const float step = S(5.0f);
    const float r = std::max(0.8f, S(1.2f));
    for (int i = -1; i <= 1; ++i) {
        const float d = static_cast<float>(i) * step;
        drawer.FillCircle(vertical ? cx : cx + d, vertical ? cy + d : cy, r, p.textDim, kBlend);
    }
}

void YBaseStyle::DrawText(YDrawer& drawer, const YRect& rect, const YString& text, YStdFont font, YStdColor colour,
                          uint32_t align, uint32_t state) {
    if (rect.IsEmpty() || text.IsEmpty()) return;
    DrawerState keep(drawer);
    drawer.SetFont(Font(font));
    const bool enabled = !Has(state, YControlState::kDisabled);
    YColor c = Color(static_cast<int32_t>(colour), enabled);
    if (!enabled && colour == YStdColor::kText) c = m_palette.textDim;
    drawer.AlignedTextOut(rect, text, align, c, kBlend);
}

void YBaseStyle::DrawExpander(YDrawer& drawer, const YRect& rect, bool expanded, uint32_t state) {
    if (rect.IsEmpty()) return;
    const int32_t side = std::min(rect.Width(), rect.Height()) * 3 / 4;
    const YRect box = YRect::FromSize(rect.left + (rect.Width() - side) / 2, rect.top + (rect.Height() - side) / 2,
                                      side, side);
    const YColor colour = Has(state, YControlState::kHighlighted) ? m_palette.text : m_palette.textDim;
    YDrawStdIcon(drawer, expanded ? YStdIcon::kDown : YStdIcon::kRight, box, colour);
}

void YBaseStyle::DrawTextSelection(YDrawer& drawer, const YRect& rect, uint32_t state) {
    if (rect.IsEmpty()) return;
    const YColor colour = Has(state, YControlState::kFocused) ? YColorFade(m_palette.selection, 0.75f)
                                                               : YColorFade(m_palette.selection, 0.35f);
    drawer.FillRectangle(rect, colour, kBlend);
}

void YBaseStyle::DrawSeparator(YDrawer& drawer, const YRect& rect, bool vertical) {
    if (rect.IsEmpty()) return;
    const int32_t line = std::max(1, vertical ? ScaleX(1) : ScaleY(1));
    if (vertical) {
        const int32_t x = (rect.left + rect.right + 1 - line) / 2;
        drawer.FillRectangle({x, rect.top, x + line - 1, rect.bottom}, m_palette.separator, kBlend);
    } else {
        const int32_t y = (rect.top + rect.bottom + 1 - line) / 2;
        drawer.FillRectangle({rect.left, y, rect.right, y + line - 1}, m_palette.separator, kBlend);
    }
}

void YBaseStyle::DrawColorSwatch(YDrawer& drawer, const YRect& rect, YColor colour, uint32_t state) {
    if (rect.IsEmpty()) return;
    DrawerState keep(drawer);
    const Palette& p = m_palette;
    const YRect inner = Inset(rect, 1, 1);
    if (colour.a < 255) {
        // A checkerboard shows how translucent the colour is.
        const int32_t cell = std::max(3, ScaleX(5));
        for (int32_t y = inner.top; y <= inner.bottom; y += cell) {
            for (int32_t x = inner.left; x <= inner.right; x += cell) {
                const bool dark = ((x - inner.left) / cell + (y - inner.top) / cell) % 2 != 0;
                drawer.FillRectangle({x, y, std::min(x + cell - 1, inner.right), std::min(y + cell - 1, inner.bottom)},
                                     dark ? YColor::RGB(0xB8, 0xBC, 0xC2) : YColor::RGB(0xF2, 0xF3, 0xF5), YColorOp::Copy);
            }
        }
    }
    drawer.FillRectangle(inner, colour, kBlend);
    const bool hover = Has(state, YControlState::kHighlighted);
    drawer.SetLineWidth(1.0f);
    drawer.RoundRectangle(rect, S(2.0f), hover ? p.faceBorderHover : p.faceBorder, kBlend);
    if (Has(state, YControlState::kFocused)) DrawFocus(drawer, Inset(rect, -ScaleX(2), -ScaleY(2)));
}

void YBaseStyle::DrawCaret(YDrawer& drawer, int32_t x, int32_t top, int32_t bottom) {
    if (bottom < top) return;
    drawer.FillRectangle({x, top, x + std::max(1, ScaleX(1)) - 1, bottom}, m_palette.text, YColorOp::Copy);
}
