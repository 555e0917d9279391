// YDrawer: the one drawing interface of the GUI. Controls, styles and rich text paint only
// through it; YDrawerToYBitmap draws by software into a 32-bit bitmap.
//
// State: the target bitmap, the clip rectangle (inclusive edges, always inside the target),
// the current font and the current position of line drawing. Every drawing operation takes
// the colour operation that combines its colour with the pixels (YColorOp.h) and touches no
// pixel outside the clip rectangle.
//
// The virtual operations keep a fixed slot order (38 slots). Slots 3-12 are the base
// operations every drawer shares:
//   3  Target           the bitmap drawn into (null before one exists)
//   4  Font             the current font (null: text draws nothing)
//   5  CurrentPosition  where the next LineTo / LineToF starts
//   6  IntersectClip    narrows the clip rectangle, returns the previous one to restore
//   7  HLine            a horizontal run of pixels, both ends included
//   8  VLine            a vertical run of pixels, both ends included
//   9  TextExtent       width and height of a single-line text in the current font
//   10 FocusRect        a dotted outline (every other pixel), as keyboard focus is shown
//   11 SetLineWidth     the width of anti-aliased strokes (LineToF, PolyLine, Circle,
//                       RoundRectangle); 1 at the start
//   12 LineWidth
#pragma once

#include "foundation/YString.h"
#include "gui/drawing/YAlphaMask.h"
#include "gui/drawing/YBitmap.h"
#include "gui/drawing/YBitmapFill.h"
#include "gui/drawing/YColor.h"
#include "gui/drawing/YColorOp.h"
#include "gui/drawing/YGeometry.h"

#include <cstdint>

class YFont;

// Alignment of AlignedTextOut: one horizontal and one vertical flag, or-ed.
enum YTextAlign : uint32_t {
    kAlignLeft = 0,
    kAlignHCenter = 1,
    kAlignRight = 2,
    kAlignTop = 0,
    kAlignVCenter = 4,
    kAlignBottom = 8,
    kAlignCenter = kAlignHCenter | kAlignVCenter,
};

class YDrawer {
public:
    virtual ~YDrawer();                                        // 0
    virtual int32_t Width() const noexcept = 0;                // 1
    virtual int32_t Height() const noexcept = 0;               // 2

    virtual YBaseBitmap* Target() const noexcept = 0;          // 3
    virtual YFont* Font() const noexcept = 0;                  // 4
    virtual YPointF CurrentPosition() const noexcept = 0;      // 5
    virtual YRect IntersectClip(const YRect& rect) = 0;        // 6
    virtual void HLine(int32_t x1, int32_t x2, int32_t y, YColor colour, YColorOp op) = 0;  // 7
    virtual void VLine(int32_t x, int32_t y1, int32_t y2, YColor colour, YColorOp op) = 0;  // 8
    virtual YSize TextExtent(const YString& text) = 0;         // 9
    virtual void FocusRect(const YRect& rect, YColor colour, YColorOp op) = 0;  // 10
    virtual void SetLineWidth(float width) = 0;                // 11
    virtual float LineWidth() const noexcept = 0;              // 12

    virtual YRect GetClipRect() const noexcept = 0;            // 13
    // Sets the clip rectangle, cut to the target's bounds.
    virtual void SetClipRect(const YRect& rect) = 0;           // 14

    // 15: fills rect with pattern repeated from rect's top left corner.
    virtual void PatBlt(const YRect& rect, const YBaseBitmap& pattern, YColorOp op) = 0;
    // 16: copies source's part src to (x, y) at its size; "Alphablend" uses each source pixel's
    // alpha.
    virtual void BitBlt(int32_t x, int32_t y, const YBaseBitmap& source, const YRect& src, YColorOp op) = 0;
    // 17: colour drawn through mask's part src placed at (x, y), each pixel's coverage
    // scaling colour's alpha.
    virtual void AlphaMask(int32_t x, int32_t y, const YAlphaMask& mask, const YRect& src, YColor colour,
                           YColorOp op) = 0;
    // 18: source's part src scaled into dst on both axes (nearest source pixel under each
    // destination pixel's centre).
    virtual void ScaledBlt(const YRect& dst, const YBaseBitmap& source, const YRect& src, YColorOp op) = 0;
    // 19, 20: source's part src stretched along one axis only, into dst. The first and last
    // `border` columns (rows) stay at their size and the middle stretches, so a button's
    // rounded ends keep their shape; the other axis is copied 1:1 from src's top (left) and
    // cut to dst.
    virtual void StretchBltH(const YRect& dst, const YBaseBitmap& source, const YRect& src, int32_t border,
                             YColorOp op) = 0;
    virtual void StretchBltV(const YRect& dst, const YBaseBitmap& source, const YRect& src, int32_t border,
                             YColorOp op) = 0;
    // 21: source drawn centred in dst; when it is larger than dst on either axis it is
    // scaled down keeping its aspect ratio.
    virtual void FitBlt(const YRect& dst, const YBaseBitmap& source, YColorOp op) = 0;
    // 22: one line of text in the current font, aligned in rect by align (YTextAlign), cut
    // to rect.
    virtual void AlignedTextOut(const YRect& rect, const YString& text, uint32_t align, YColor colour,
                                YColorOp op) = 0;
    virtual void SetFont(YFont* font) = 0;                                             // 23
    // 24: a one-pixel line from the current position to (x, y), both ends drawn; the
    // position moves to (x, y).
    virtual void LineTo(int32_t x, int32_t y, YColor colour, YColorOp op) = 0;
    virtual void MoveTo(float x, float y) = 0;                                         // 25
    // 26: an anti-aliased line of the current line width; the position moves.
    virtual void LineToF(float x, float y, YColor colour, YColorOp op) = 0;
    virtual void Rectangle(const YRect& rect, YColor colour, YColorOp op) = 0;         // 27
    virtual void FillRectangle(const YRect& rect, YColor colour, YColorOp op) = 0;     // 28
    // 29: from `from` at the top (left, with horizontal) to `to` at the bottom (right),
    // each byte interpolated linearly per row (column).
    virtual void FillRectangleGradient(const YRect& rect, YColor from, YColor to, bool horizontal, YColorOp op) = 0;
    // 30, 31: anti-aliased rounded rectangles whose corners are quarter circles of radius.
    virtual void RoundRectangle(const YRect& rect, float radius, YColor colour, YColorOp op) = 0;
    virtual void FillRoundRectangle(const YRect& rect, float radius, YColor colour, YColorOp op) = 0;
    // 32, 33: anti-aliased circles around a centre in pixel coordinates (the centre of
    // pixel (x, y) is (x + 0.5, y + 0.5)).
    virtual void Circle(float cx, float cy, float radius, YColor colour, YColorOp op) = 0;
    virtual void FillCircle(float cx, float cy, float radius, YColor colour, YColorOp op) = 0;
    // 34, 35: anti-aliased open polyline and filled polygon (non-zero winding).
    virtual void PolyLine(const YPointF* points, int32_t count, YColor colour, YColorOp op) = 0;
    virtual void FillPolygon(const YPointF* points, int32_t count, YColor colour, YColorOp op) = 0;
    // 36: the pixel; outside the clip rectangle opaque black.
    virtual YColor GetPixel(int32_t x, int32_t y) const = 0;
    // 37: stores the colour; ignored outside the clip rectangle.
    virtual void SetPixel(int32_t x, int32_t y, YColor colour) = 0;

    // A bitmap filling rect by one of the fill modes (YBitmapFill.h), through the slots above.
    void FillWithBitmap(const YRect& rect, const YBaseBitmap& source, YBitmapFill fill, YColorOp op);

protected:
    YDrawer() = default;
    YDrawer(const YDrawer&) = delete;
    YDrawer& operator=(const YDrawer&) = delete;
};
