// The two contexts a rich text works in: YSTMLLayout (measuring: the style's fonts, metrics
// and picture sizes, the caller's images) and YSTMLPainter (drawing: the same plus the drawer
// and the style's colours). Fonts and colours are the style's standard ones, by position of
// YStdFont and YStdColor.
#pragma once

#include "foundation/YString.h"
#include "gui/drawing/YColor.h"
#include "gui/drawing/YGeometry.h"

#include <cstdint>
#include <map>
#include <vector>


class YBaseBitmap;
class YDrawer;
class YFont;
class YStyle;
struct YSTMLColor;

// Pictures the caller hands a text for "img number=" (by position) and "img id=" (by name).
struct YSTMLImages {
    std::vector<const YBaseBitmap*> numbered;
    std::map<YString, const YBaseBitmap*> named;

    const YBaseBitmap* ByNumber(int32_t number) const noexcept;
    const YBaseBitmap* ById(const YString& id) const noexcept;
};

class YSTMLLayout {
public:
    // availableHeight: the height percentages of table rows refer to (0: unknown, then they
    // take their content's height).
    YSTMLLayout(YStyle& style, const YSTMLImages& images, int32_t availableHeight = 0) noexcept
        : m_style(style), m_images(images), m_availableHeight(availableHeight) {}

    YStyle& Style() const noexcept { return m_style; }
    const YSTMLImages& Images() const noexcept { return m_images; }
    int32_t AvailableHeight() const noexcept { return m_availableHeight; }

    // A standard font by position (out of range: "normal"); never null.
    YFont* Font(int32_t stdFont) const;
    int32_t Ascent(int32_t stdFont) const;
    // Line height of the font: ascent plus what lies below the baseline.
    int32_t LineHeight(int32_t stdFont) const;
    int32_t TextWidth(int32_t stdFont, const YString& text) const;
    // The width of a blank in the font (measured once per layout).
    int32_t SpaceWidth(int32_t stdFont) const;
    int32_t Metric(int32_t identifier) const;
    YSize IconSize() const;
    YSize StdBitmapSize(int32_t stdBitmap) const;
    // Space between neighbouring blocks (paragraphs, rows): a quarter of the normal font's
    // line height, at least 1.
    int32_t BlockSpacing() const;

private:
    YStyle& m_style;
    const YSTMLImages& m_images;
    int32_t m_availableHeight;
    mutable int32_t m_spaces[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
};

class YSTMLPainter {
public:
    YSTMLPainter(YDrawer& drawer, YStyle& style, const YSTMLImages& images) noexcept
        : m_drawer(drawer), m_style(style), m_images(images) {}

    YDrawer& Drawer() const noexcept { return m_drawer; }
    YStyle& Style() const noexcept { return m_style; }
    const YSTMLImages& Images() const noexcept { return m_images; }
    YFont* Font(int32_t stdFont) const;
    // A standard colour by position (out of range: "text").
    YColor Color(int32_t stdColor) const;
    // An attribute's colour; the standard colour fallback when the attribute gave none.
    YColor Color(const YSTMLColor& colour, int32_t fallback) const;

private:
    YDrawer& m_drawer;
    YStyle& m_style;
    const YSTMLImages& m_images;
};
