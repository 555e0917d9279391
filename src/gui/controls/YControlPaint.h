// What the controls share when they paint through their style.
#pragma once

#include "gui/drawing/YDrawer.h"
#include "gui/toolkit/YStyle.h"

namespace YControlPaint {

// The standard font of a control (its "font" attribute, clamped to the enumeration).
inline YStdFont FontOf(const YControl& control) noexcept {
    const int32_t font = control.Font();
    return font < 0 || font > static_cast<int32_t>(YStdFont::kLarge4) ? YStdFont::kNormal : static_cast<YStdFont>(font);
}

// Restricts the drawer's clip to rect for the holder's life.
class ClipTo {
public:
    ClipTo(YDrawer& drawer, const YRect& rect) : m_drawer(drawer), m_saved(drawer.GetClipRect()) {
        drawer.SetClipRect(m_saved.Intersect(rect));
    }
    ~ClipTo() { m_drawer.SetClipRect(m_saved); }
    ClipTo(const ClipTo&) = delete;
    ClipTo& operator=(const ClipTo&) = delete;
    bool IsEmpty() const { return m_drawer.GetClipRect().IsEmpty(); }

private:
    YDrawer& m_drawer;
    YRect m_saved;
};

// rect shrunk by dx, dy on each side.
inline YRect Inset(const YRect& rect, int32_t dx, int32_t dy) noexcept {
    return {rect.left + dx, rect.top + dy, rect.right - dx, rect.bottom - dy};
}

} // namespace YControlPaint
