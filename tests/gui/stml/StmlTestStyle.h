// A style with fixed, plain resources for the rich-text tests: the built-in font at known
// sizes, one distinct colour per standard colour, icons drawn as filled squares in the colour
// they are given, and metrics that differ from each other. Measured sizes then depend on
// the markup alone, not on how the shipped styles are tuned.
#pragma once

#include "gui/drawing/YBitmap.h"
#include "gui/drawing/YDrawer.h"
#include "gui/drawing/YFont.h"
#include "gui/toolkit/YStyle.h"

#include <array>
#include <memory>

class StmlTestStyle final : public YStyle {
public:
    static constexpr int32_t kFontSizes[8] = {12, 12, 12, 10, 15, 18, 22, 26};
    static constexpr YSize kIcon{16, 16};
    static constexpr int32_t kMaxIconX = 20;

    StmlTestStyle() {
        for (size_t i = 0; i < m_fonts.size(); ++i) m_fonts[i] = YFont::Default(kFontSizes[i]);
        for (size_t i = 0; i < m_bitmaps.size(); ++i) {
            m_bitmaps[i].Create(32, 24);
            for (int32_t p = 0; p < 32 * 24; ++p) m_bitmaps[i].Pixels()[p] = YColor::RGB(0, 0, static_cast<uint8_t>(80 * i));
        }
    }

    static YColor StdColor(int32_t index) {
        static constexpr YColor kColours[9] = {
            YColor::RGB(90, 30, 0),  YColor::RGB(20, 20, 20),  YColor::RGB(120, 120, 120),
            YColor::RGB(0, 90, 200), YColor::RGB(250, 250, 250), YColor::RGB(60, 60, 60),
            YColor::RGB(220, 0, 0),  YColor::RGB(0, 160, 0),   YColor::RGB(0, 0, 230),
        };
        return index >= 0 && index < 9 ? kColours[index] : kColours[1];
    }

    YString Description() const override { return "rich-text test style"; }
    YString Name() const override { return "test"; }
    YPointF Resize() const override { return {1.0f, 1.0f}; }
    YString DefinitionListName() const override { return "none"; }
    YFont* Font(YStdFont font) override { return m_fonts[static_cast<size_t>(font)].get(); }
    const YBaseBitmap& Bitmap(YStdBitmap bitmap) override { return m_bitmaps[static_cast<size_t>(bitmap)]; }
    YCursor Cursor(YStdCursor) const override { return YCursor::kArrow; }
    YSize IconSize() const override { return kIcon; }
    void DrawIcon(YDrawer& drawer, YStdIcon, const YRect& rect, YColor colour) override {
        drawer.FillRectangle(rect, colour, YColorOp::Copy);
        ++iconsDrawn;
    }
    void DrawBitmap(YDrawer& drawer, YStdBitmap bitmap, const YRect& rect) override {
        drawer.FitBlt(rect, Bitmap(bitmap), YColorOp::Copy);
    }
    YColor MainColor(int32_t) const override { return YColor::RGB(128, 128, 128); }
    void SetMainColor(int32_t, YColor) override {}
    YColor Color(int32_t index, bool, float, float) const override { return StdColor(index); }
    int32_t Metric(int32_t identifier) const override {
        if (identifier == static_cast<int32_t>(YStyleMetric::kMaxStdIconSizeX)) return kMaxIconX;
        if (identifier == static_cast<int32_t>(YStyleMetric::kMaxStdIconSizeY)) return kIcon.y;
        return identifier >= 0 && identifier < kStyleMetricCount ? 3 + identifier : 0;
    }
    YRect ContentRect(YControlType, const YRect& rect) const override { return rect; }
    YSize SizeForContent(YControlType, YSize size) const override { return size; }
    int32_t PlasticHeight(const YControl&, int32_t width) override { return width; }
    int32_t PlasticWidth(const YControl&, int32_t height) override { return height; }
    int32_t CaptionHeight(YCaptionType) const override { return 0; }
    void DrawControl(YDrawer&, YControlType, uint32_t, const YRect&) override {}
    void DrawCaption(YDrawer&, const YRect&, const YString&, YCaptionType, uint32_t) override {}
    void DrawCheckBox(YDrawer&, const YRect&, YCheckBoxState, uint32_t) override {}
    void DrawScrollBarPart(YDrawer&, const YRect&, YScrollBarPart, bool, uint32_t) override {}
    void DrawTab(YDrawer&, const YRect&, const YString&, uint32_t) override {}
    void DrawItem(YDrawer&, const YRect&, uint32_t) override {}
    void DrawMenuItem(YDrawer&, const YRect&, const YString&, const YString&, uint32_t, uint32_t) override {}
    void DrawProgress(YDrawer&, const YRect&, double, bool, uint32_t) override {}
    void DrawSplitter(YDrawer&, const YRect&, bool, uint32_t) override {}
    void DrawFocus(YDrawer&, const YRect&) override {}
    bool HandleEvent(YControl&, YSystemEvent&) override { return false; }
    void DrawText(YDrawer&, const YRect&, const YString&, YStdFont, YStdColor, uint32_t, uint32_t) override {}
    YSize TextExtent(YStdFont font, const YString& text) override {
        return {Font(font)->TextWidth(text), Font(font)->LineHeight()};
    }
    void DrawExpander(YDrawer&, const YRect&, bool, uint32_t) override {}
    void DrawTextSelection(YDrawer&, const YRect&, uint32_t) override {}
    void DrawSeparator(YDrawer&, const YRect&, bool) override {}
    void DrawColorSwatch(YDrawer&, const YRect&, YColor, uint32_t) override {}
    void DrawCaret(YDrawer&, int32_t, int32_t, int32_t) override {}
    YColor TextColor(YControlType, uint32_t) const override { return StdColor(1); }
    void Apply(YControl&) override {}

    int iconsDrawn = 0;

private:
    std::array<std::unique_ptr<YFont>, 8> m_fonts;
    std::array<YBitmap, 3> m_bitmaps;
};
