// YDrawerToYBitmap: the software drawer. Draws into a 32-bit bitmap it owns (PrepareBitmap,
// for a window's painting) or into one it is given (SetTarget). Every operation runs inside
// the guard under its qualified name ("YDrawerToYBitmap::FillRectangle"): a foreign exception
// is reported as "SYSTEM EXCEPTION! {0}" and the operation draws nothing more.
#pragma once

#include "gui/drawing/YCoverageRasterizer.h"
#include "gui/drawing/YDrawer.h"

#include <memory>

class YDrawerToYBitmap : public YDrawer {
public:
    YDrawerToYBitmap();
    // Draws into target (not owned; null: draws nothing).
    explicit YDrawerToYBitmap(YBaseBitmap* target);
    ~YDrawerToYBitmap() override;

    // Makes the owned bitmap (through CreateBitmap on first use) width x height and draws into
    // it, the clip rectangle its bounds. The same size keeps the pixels.
    void PrepareBitmap(int32_t width, int32_t height);
    // Publishes the painted area; a window system copies it to the screen here.
    virtual void UpdateBitmap(const YRect& area);
    // Draws into target from now on (not owned); the clip becomes its bounds.
    void SetTarget(YBaseBitmap* target);

    int32_t Width() const noexcept override;
    int32_t Height() const noexcept override;
    YBaseBitmap* Target() const noexcept override { return m_target; }
    YFont* Font() const noexcept override { return m_font; }
    YPointF CurrentPosition() const noexcept override { return m_position; }
    YRect IntersectClip(const YRect& rect) override;
    void HLine(int32_t x1, int32_t x2, int32_t y, YColor colour, YColorOp op) override;
    void VLine(int32_t x, int32_t y1, int32_t y2, YColor colour, YColorOp op) override;
    YSize TextExtent(const YString& text) override;
    void FocusRect(const YRect& rect, YColor colour, YColorOp op) override;
    void SetLineWidth(float width) override;
    float LineWidth() const noexcept override { return m_lineWidth; }
    YRect GetClipRect() const noexcept override { return m_clip; }
    void SetClipRect(const YRect& rect) override;
    void PatBlt(const YRect& rect, const YBaseBitmap& pattern, YColorOp op) override;
    void BitBlt(int32_t x, int32_t y, const YBaseBitmap& source, const YRect& src, YColorOp op) override;
    void AlphaMask(int32_t x, int32_t y, const YAlphaMask& mask, const YRect& src, YColor colour, YColorOp op) override;
    void ScaledBlt(const YRect& dst, const YBaseBitmap& source, const YRect& src, YColorOp op) override;
    void StretchBltH(const YRect& dst, const YBaseBitmap& source, const YRect& src, int32_t border, YColorOp op) override;
    void StretchBltV(const YRect& dst, const YBaseBitmap& source, const YRect& src, int32_t border, YColorOp op) override;
    void FitBlt(const YRect& dst, const YBaseBitmap& source, YColorOp op) override;
    void AlignedTextOut(const YRect& rect, const YString& text, uint32_t align, YColor colour, YColorOp op) override;
    void SetFont(YFont* font) override;
    void LineTo(int32_t x, int32_t y, YColor colour, YColorOp op) override;
    void MoveTo(float x, float y) override;
    void LineToF(float x, float y, YColor colour, YColorOp op) override;
    void Rectangle(const YRect& rect, YColor colour, YColorOp op) override;
    void FillRectangle(const YRect& rect, YColor colour, YColorOp op) override;
    void FillRectangleGradient(const YRect& rect, YColor from, YColor to, bool horizontal, YColorOp op) override;
    void RoundRectangle(const YRect& rect, float radius, YColor colour, YColorOp op) override;
    void FillRoundRectangle(const YRect& rect, float radius, YColor colour, YColorOp op) override;
    void Circle(float cx, float cy, float radius, YColor colour, YColorOp op) override;
    void FillCircle(float cx, float cy, float radius, YColor colour, YColorOp op) override;
    void PolyLine(const YPointF* points, int32_t count, YColor colour, YColorOp op) override;
    void FillPolygon(const YPointF* points, int32_t count, YColor colour, YColorOp op) override;
    YColor GetPixel(int32_t x, int32_t y) const override;
    void SetPixel(int32_t x, int32_t y, YColor colour) override;

protected:
    // The bitmap PrepareBitmap draws into; a window system returns one whose memory the
    // screen shares.
    virtual std::unique_ptr<YBaseBitmap> CreateBitmap();

private:
    // Fills the rasteriser's shapes with colour through op, then clears them.
    void RenderCoverage(YColor colour, YColorOp op);
    // A source's part cut to the source and, placed at (x, y), to the clip: the part that is
    // drawn and where.
    bool ClipBlit(int32_t& x, int32_t& y, YRect& src, int32_t sourceW, int32_t sourceH) const noexcept;
    // The mapping of ScaledBlt and the stretches: a destination index 0..dn-1 to a source
    // index 0..sn-1, with `border` pixels at each end kept 1:1.
    static int32_t MapIndex(int32_t d, int32_t dn, int32_t sn, int32_t border) noexcept;
    void ScaledCopy(const YRect& dst, const YBaseBitmap& source, const YRect& src, int32_t borderX, int32_t borderY,
                    bool scaleX, bool scaleY, YColorOp op);

    std::unique_ptr<YBaseBitmap> m_owned;
    YBaseBitmap* m_target = nullptr;
    YFont* m_font = nullptr;
    YRect m_clip;
    YPointF m_position;
    float m_lineWidth = 1.0f;
    YCoverageRasterizer m_rasterizer;
};
