// YBaseStyle: the style painted in code. Two looks ship with it, "Default (light)" and
// "Default (dark)"; both are tinted by the user's four main colours and scaled by a factor per
// axis ("ResizeX", "ResizeY"), so every length, font and icon follows the scale.
//
// The palette is derived, not stored: changing a main colour or the scale rebuilds it (and
// drops the fonts and bitmaps made for the old scale). A style belongs to the GUI thread.
#pragma once

#include "gui/drawing/YBitmap.h"
#include "gui/toolkit/YStyle.h"

#include <array>
#include <memory>

class YBaseStyle : public YStyle {
public:
    enum class Theme : int32_t { kLight, kDark };

    static constexpr const char* kLightName = "Default (light)";
    static constexpr const char* kDarkName = "Default (dark)";
    static constexpr const char* kDefinitionList = "YStyles";
    // The four main colours when nobody chose others: general control background, control
    // title background, background of editors, highlight of selectors.
    static const std::array<YColor, kMainColorCount> kDefaultMainColors;

    explicit YBaseStyle(Theme theme = Theme::kLight);
    ~YBaseStyle() override;

    // The theme of a style name: "Default (dark)" is dark, every other name light.
    static Theme ThemeOfName(const YString& name) noexcept;

    Theme GetTheme() const noexcept { return m_theme; }
    // Scale per axis, each clamped to 0.5..4.
    void SetResize(float x, float y);

    YString Description() const override;
    YString Name() const override;
    YPointF Resize() const override;
    YString DefinitionListName() const override;
    YFont* Font(YStdFont font) override;
    const YBaseBitmap& Bitmap(YStdBitmap bitmap) override;
    YCursor Cursor(YStdCursor cursor) const override;
    YSize IconSize() const override;
    void DrawIcon(YDrawer& drawer, YStdIcon icon, const YRect& rect, YColor colour) override;
    void DrawBitmap(YDrawer& drawer, YStdBitmap bitmap, const YRect& rect) override;
    YColor MainColor(int32_t index) const override;
    void SetMainColor(int32_t index, YColor colour) override;
    YColor Color(int32_t index, bool enabled = true, float enabledFactor = 1.0f,
                 float disabledFactor = 1.0f) const override;
    using YStyle::Color;
    int32_t Metric(int32_t identifier) const override;
    using YStyle::Metric;
    YRect ContentRect(YControlType type, const YRect& rect) const override;
    YSize SizeForContent(YControlType type, YSize contentSize) const override;
    int32_t PlasticHeight(const YControl& control, int32_t width) override;
    int32_t PlasticWidth(const YControl& control, int32_t height) override;
    int32_t CaptionHeight(YCaptionType type) const override;
    void DrawControl(YDrawer& drawer, YControlType type, uint32_t state, const YRect& rect) override;
    void DrawCaption(YDrawer& drawer, const YRect& rect, const YString& text, YCaptionType type,
                     uint32_t state) override;
    void DrawCheckBox(YDrawer& drawer, const YRect& rect, YCheckBoxState check, uint32_t state) override;
    void DrawScrollBarPart(YDrawer& drawer, const YRect& rect, YScrollBarPart part, bool vertical,
                           uint32_t state) override;
    void DrawTab(YDrawer& drawer, const YRect& rect, const YString& text, uint32_t state) override;
    void DrawItem(YDrawer& drawer, const YRect& rect, uint32_t state) override;
    void DrawMenuItem(YDrawer& drawer, const YRect& rect, const YString& text, const YString& shortcut,
                      uint32_t flags, uint32_t state) override;
    void DrawProgress(YDrawer& drawer, const YRect& rect, double fraction, bool vertical, uint32_t state) override;
    void DrawSplitter(YDrawer& drawer, const YRect& rect, bool vertical, uint32_t state) override;
    void DrawFocus(YDrawer& drawer, const YRect& rect) override;
    // A left press on the caption bar of a collapsable control with a caption collapses or
    // expands it.
    bool HandleEvent(YControl& control, YSystemEvent& event) override;
    void DrawText(YDrawer& drawer, const YRect& rect, const YString& text, YStdFont font, YStdColor colour,
                  uint32_t align, uint32_t state) override;
    YSize TextExtent(YStdFont font, const YString& text) override;
    void DrawExpander(YDrawer& drawer, const YRect& rect, bool expanded, uint32_t state) override;
    void DrawTextSelection(YDrawer& drawer, const YRect& rect, uint32_t state) override;
    void DrawSeparator(YDrawer& drawer, const YRect& rect, bool vertical) override;
    void DrawColorSwatch(YDrawer& drawer, const YRect& rect, YColor colour, uint32_t state) override;
    void DrawCaret(YDrawer& drawer, int32_t x, int32_t top, int32_t bottom) override;
    YColor TextColor(YControlType type, uint32_t state) const override;
    void Apply(YControl& control) override;

    // The colours every part is painted with, built from the theme and the main colours.
    struct Palette {
        YColor window, panel, panelBorder;
        YColor face, faceHover, facePressed, faceBorder, faceBorderHover;
        YColor field, fieldBorder;
        YColor text, textDim, textOnAccent, textOnSelection;
        YColor caption, captionText, captionStripe;
        YColor menu, menuBorder, shadow;
        YColor track, thumb, thumbHover;
        YColor accent, selection, focus, separator;
        YColor light, dark, red, green, blue;
    };
    const Palette& Colors() const noexcept { return m_palette; }

protected:
    // Rebuilds the palette from the theme and the main colours.
    virtual void BuildPalette();
    // The pixel size of a standard font at scale 1.
    static int32_t FontPixelSize(YStdFont font) noexcept;
    // A metric's value at scale 1 brought to the style's scale on the metric's own axis
    // (the alphas do not scale).
    int32_t ScaleMetric(int32_t identifier, int32_t value) const;
    float Scale() const noexcept { return (m_resize.x + m_resize.y) * 0.5f; }
    float S(float n) const noexcept { return n * Scale(); }

    Theme m_theme;
    Palette m_palette{};

private:
    std::array<YColor, kMainColorCount> m_main;
    YPointF m_resize{1.0f, 1.0f};
    std::array<std::unique_ptr<YFont>, 8> m_fonts;
    std::array<std::unique_ptr<YBitmap>, 3> m_bitmaps;
};
