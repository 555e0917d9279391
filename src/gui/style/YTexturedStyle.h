// YTexturedStyle: a style painted from an XML definition (images, colours, alphas, fonts,
// captions), on top of the code-drawn style, which paints whatever the definition leaves out.
//
// The definition's vocabulary (names as written; unknown elements and attributes are ignored):
//   root attributes: "maincolor" (main colour 0), "iconcolor" (default "FFFFFFFF" means the
//     style's text colour), "ResizeX", "ResizeY", "PATH" (folder of image files), "minalpha",
//     "disabledalpha", "focusedalpha", "highlightedalpha", "clickedalpha" (0..255: the
//     default alphas of every section), "inverticons", any metric name (its value at scale 1);
//   <colors>: named colours, <YColor name= value=/> or <QuenlorColor name= value=/>; any
//     colour attribute may then give a name instead of eight digits;
//   <fonts>: <font id="bold" face="DejaVu Sans" height="13" bold="1" italic="0"/>;
//   one section per control kind ("window", "panel", "button", "edit", ...): "linecolor"
//     (default "000000A0"), "fillcolor" (default "C0C0C0C0"), "cornersize", "borderx",
//     "bordery", "contentoffsetx", "contentoffsety", the state alphas "normalalpha",
//     "Focusedalpha", "HLalpha", "FocusedHLalpha", "Clickedalpha", "ClickedHLalpha",
//     "Disabledalpha", and images as children <image file= fill= op= cornersize= .../> for the
//     normal state, <focused>, <focusedhl>, <clicked>, <clickedhl>, <grayed> for the others,
//     each with the colour operations "changebrightness", "changecontrast",
//     "changesaturation", "multiplysaturation" (-100..100, saturation multiplier in percent)
//     and "changecolortomain" (index of a main colour that tints the image);
//   <smallcaption>, <normalcaption>, <largecaption>: "captionheight", "captionfont",
//     "captiontextcolor", "captiontextoffset", "backgroundundercaption" (a colour),
//     "contenttopborder", "contentbottomborder", "contentleftborder", "contentrightborder".
// A bad fill mode raises "Invalid YBitmapFill identifier to parse ({0}).", a bad colour
// operation "Invalid YColorOp identifier to parse ({0}).", a bad colour
// "Invalid color value ({0}).".
#pragma once

#include "gui/drawing/YBitmapFill.h"
#include "gui/drawing/YColorOp.h"
#include "gui/style/YBaseStyle.h"

#include <map>
#include <memory>
#include <vector>

class YXMLItem;

class YTexturedStyle : public YBaseStyle {
public:
    static constexpr const char* kDescription = "Universal textured style using XML definition";
    static constexpr const char* kDefinitionList = "YTexturedStyles";

    // The caption geometry of one control: the bar, its text, the content below it and the
    // caption buttons the style adds (right to left from the bar's right end).
    struct ControlCaptionInstance {
        YRect bar;
        YRect text;
        YRect content;
        std::vector<YRect> buttons;
    };
    // Marks a caption button the style adds to a control's caption: the control's extension
    // under kTag points to it while the control is collapsable.
    struct SpecialCaptionButtonTag {
        static constexpr uint32_t kTag = 0x59534342; // "YSCB"
        YStdIcon icon = YStdIcon::kCollapse;
    };

    YTexturedStyle();
    ~YTexturedStyle() override;

    // Reads a definition (the root element of one style); folder resolves relative image
    // files when the definition has no "PATH". Raises on bad values; on failure the style
    // keeps what it had.
    void Load(const YXMLItem& definition, const YString& folder, const YString& name);

    YString Description() const override;
    YString Name() const override;
    YString DefinitionListName() const override;
    int32_t Metric(int32_t identifier) const override;
    using YBaseStyle::Metric;
    YFont* Font(YStdFont font) override;
    int32_t CaptionHeight(YCaptionType type) const override;
    YRect ContentRect(YControlType type, const YRect& rect) const override;
    void DrawControl(YDrawer& drawer, YControlType type, uint32_t state, const YRect& rect) override;
    void DrawCaption(YDrawer& drawer, const YRect& rect, const YString& text, YCaptionType type,
                     uint32_t state) override;
    void DrawIcon(YDrawer& drawer, YStdIcon icon, const YRect& rect, YColor colour) override;
    bool HandleEvent(YControl& control, YSystemEvent& event) override;

    // The caption geometry of a control with a caption (an empty bar without one).
    ControlCaptionInstance Caption(const YControl& control) const;
    // Whether the definition has a section for the control kind.
    bool HasSection(YControlType type) const;

    struct Image;
    struct Section;
    struct CaptionDef;

private:
    const Section* SectionOf(YControlType type) const;
    YColor ReadColor(const YString& text) const;
    void LoadImage(const YXMLItem& item, Image& image) const;
    void DrawImage(YDrawer& drawer, const Image& image, const YRect& rect, uint8_t alpha);

    YString m_name;
    YString m_folder;
    std::map<YString, YColor> m_namedColors;
    std::map<int32_t, int32_t> m_metrics; // overrides at scale 1
    std::map<int32_t, std::unique_ptr<YFont>> m_fonts;
    std::map<int32_t, std::unique_ptr<Section>> m_sections;
    std::unique_ptr<CaptionDef> m_captions[3];
    YColor m_iconColor{255, 255, 255, 255};
    bool m_invertIcons = false;
    SpecialCaptionButtonTag m_collapseTag;
};
