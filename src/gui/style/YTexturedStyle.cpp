#include "gui/style/YTexturedStyle.h"

#include "foundation/YException.h"
#include "foundation/YXMLItem.h"
#include "gui/drawing/YDrawer.h"
#include "gui/drawing/YFont.h"
#include "gui/drawing/YImageDecoder.h"
#include "gui/style/YStdIcons.h"
#include "gui/style/YStyleColors.h"
#include "gui/style/YStyleFont.h"
#include "gui/toolkit/YSystemEvent.h"
#include "platform/YPlatformFolders.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

struct YTexturedStyle::Image {
    std::unique_ptr<YBitmap> bitmap;
    YBitmapFill fill = YBitmapFill::Stretch;
    YColorOp op = YColorOp::Alphablend;
    int32_t corner = 0; // pixels of the source kept unscaled at each corner
};

struct YTexturedStyle::Section {
    YColor line = YColor::RGB(0, 0, 0, 0xA0);
    YColor fill = YColor::RGB(0xC0, 0xC0, 0xC0, 0xC0);
    float corner = 0.0f;
    int32_t borderX = -1, borderY = -1; // -1: the code-drawn style's
    int32_t offsetX = 0, offsetY = 0;
    // Alphas: normal, focused, highlighted, focused+highlighted, clicked, clicked+highlighted,
    // disabled.
    uint8_t alpha[7] = {255, 255, 255, 255, 255, 255, 255};
    // Images in the same order as the alphas (null: the normal image).
    std::unique_ptr<Image> images[7];
};

struct YTexturedStyle::CaptionDef {
    int32_t height = -1;
    YStdFont font = YStdFont::kBold;
    YColor text{};
    bool hasText = false;
    int32_t textOffset = 8;
    YColor background{};
    bool hasBackground = false;
};

namespace {

enum StateIndex { kNormalIx, kFocusedIx, kHLIx, kFocusedHLIx, kClickedIx, kClickedHLIx, kDisabledIx };
constexpr const char* kAlphaNames[7] = {"normalalpha",  "Focusedalpha",  "HLalpha",      "FocusedHLalpha",
                                        "Clickedalpha", "ClickedHLalpha", "Disabledalpha"};
constexpr const char* kImageNames[7] = {"image", "focused", "focusedhl", "focusedhl", "clicked", "clickedhl", "grayed"};
constexpr const char* kGlobalAlphaNames[] = {"focusedalpha", "highlightedalpha", "clickedalpha", "disabledalpha"};

int StateIndexOf(uint32_t state) {
    if (state & YControlState::kDisabled) return kDisabledIx;
    const bool hl = (state & YControlState::kHighlighted) != 0;
    if (state & (YControlState::kClicked | YControlState::kSelected)) return hl ? kClickedHLIx : kClickedIx;
    if (state & YControlState::kFocused) return hl ? kFocusedHLIx : kFocusedIx;
    return hl ? kHLIx : kNormalIx;
}

// Sections with a look of their own that no control type names.
constexpr int32_t kSectionSplitter = 100;

int32_t SectionKey(const YString& name) {
    YControlType type;
    const std::u16string text = name.ToUTF16();
    if (name == YString("listcontrol")) return static_cast<int32_t>(YControlType::kListBox);
    if (name == YString("splitter")) return kSectionSplitter;
    if (YControlTypeFromName(text.c_str(), static_cast<int32_t>(text.size()), type)) return static_cast<int32_t>(type);
    return -1;
}

int32_t ReadInt(const YString& text, int32_t low, int32_t high) {
    const std::string utf8 = text.ToUTF8();
    const long value = std::strtol(utf8.c_str(), nullptr, 10);
    return static_cast<int32_t>(std::clamp<long>(value, low, high));
}

float ReadFloat(const YString& text, float low, float high, float fallback) {
    const std::string utf8 = text.ToUTF8();
    char* end = nullptr;
    const double value = std::strtod(utf8.c_str(), &end);
    if (end == utf8.c_str() || !std::isfinite(value)) return fallback;
    return std::clamp(static_cast<float>(value), low, high);
}

uint8_t Channel(float v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

// The colour operations on one image, in the order written.
void ChangeImage(YBitmap& bitmap, const YXMLItem& item, const std::array<YColor, 4>& main,
                 const YTexturedStyle& style) {
    const YString* brightness = item.FindAttribute("changebrightness");
    const YString* contrast = item.FindAttribute("changecontrast");
    const YString* saturation = item.FindAttribute("changesaturation");
    const YString* multiply = item.FindAttribute("multiplysaturation");
    const YString* tint = item.FindAttribute("changecolortomain");
    const float b = brightness ? ReadFloat(*brightness, -100, 100, 0) * 2.55f : 0.0f;
    const float c = contrast ? 1.0f + ReadFloat(*contrast, -100, 100, 0) / 100.0f : 1.0f;
    float s = saturation ? 1.0f + ReadFloat(*saturation, -100, 100, 0) / 100.0f : 1.0f;
    if (multiply) s *= ReadFloat(*multiply, 0, 400, 100) / 100.0f;
    const int32_t tintIndex = tint ? ReadInt(*tint, 0, 3) : -1;
    const YColor tintColour = tintIndex >= 0 ? style.MainColor(tintIndex) : YColor{};
    for (int32_t y = 0; y < bitmap.Height(); ++y) {
        YColor* row = bitmap.Row(y);
        for (int32_t x = 0; x < bitmap.Width(); ++x) {
            YColor& p = row[x];
            float r = p.r, g = p.g, bl = p.b;
            const float grey = 0.299f * r + 0.587f * g + 0.114f * bl;
            r = grey + (r - grey) * s;
            g = grey + (g - grey) * s;
            bl = grey + (bl - grey) * s;
            r = (r - 128.0f) * c + 128.0f + b;
            g = (g - 128.0f) * c + 128.0f + b;
            bl = (bl - 128.0f) * c + 128.0f + b;
            if (tintIndex >= 0) {
                // The image's lightness over the main colour: shading stays, hue changes.
                const float l = std::clamp((0.299f * r + 0.587f * g + 0.114f * bl) / 255.0f, 0.0f, 1.0f);
                const float k = l < 0.5f ? l * 2.0f : 1.0f;
                const float w = l < 0.5f ? 0.0f : (l - 0.5f) * 2.0f;
                r = tintColour.r * k + (255.0f - tintColour.r * k) * w;
                g = tintColour.g * k + (255.0f - tintColour.g * k) * w;
                bl = tintColour.b * k + (255.0f - tintColour.b * k) * w;
            }
            p = YColor::RGB(Channel(r), Channel(g), Channel(bl), p.a);
        }
    }
}

} // namespace

YTexturedStyle::YTexturedStyle() : YBaseStyle(Theme::kLight) {}
YTexturedStyle::~YTexturedStyle() = default;

YString YTexturedStyle::Description() const { return YString::Literal(kDescription); }
YString YTexturedStyle::Name() const { return m_name.IsEmpty() ? YBaseStyle::Name() : m_name; }
YString YTexturedStyle::DefinitionListName() const { return YString::Literal(kDefinitionList); }

YColor YTexturedStyle::ReadColor(const YString& text) const {
    if (const auto it = m_namedColors.find(text); it != m_namedColors.end()) return it->second;
    return YStyleColorParse(text);
}

void YTexturedStyle::LoadImage(const YXMLItem& item, Image& image) const {
    if (const YString* fill = item.FindAttribute("fill")) image.fill = YBitmapFillParse(*fill);
    if (const YString* op = item.FindAttribute("op")) image.op = YColorOpParse(*op);
    if (const YString* corner = item.FindAttribute("cornersize")) image.corner = ReadInt(*corner, 0, 4096);
    const YString* file = item.FindAttribute("file");
    if (file == nullptr) return;
    const YString path = m_folder.IsEmpty() ? *file : YPlatformFolders::Child(m_folder, *file);
    image.bitmap = std::make_unique<YBitmap>(YImageDecoder::LoadFile(path));
    ChangeImage(*image.bitmap, item, {MainColor(0), MainColor(1), MainColor(2), MainColor(3)}, *this);
}

void YTexturedStyle::Load(const YXMLItem& definition, const YString& folder, const YString& name) {
    // Built into a fresh style first: a definition that fails half-way changes nothing.
    auto next = std::make_unique<YTexturedStyle>();
    YTexturedStyle& n = *next;
    n.m_name = name;
    n.m_folder = folder;
    if (const YString* path = definition.FindAttribute("PATH"))
        n.m_folder = folder.IsEmpty() ? *path : YPlatformFolders::Child(folder, *path);
    for (int32_t i = 0; i < kMainColorCount; ++i) n.SetMainColor(i, MainColor(i));

    if (const YXMLItem* colours = definition.FindChild("colors")) {
        for (const YXMLItem& entry : colours->Children()) {
            if (entry.GetName() != YString("YColor") && entry.GetName() != YString("QuenlorColor")) continue;
            const YString* key = entry.FindAttribute("name");
            const YString* value = entry.FindAttribute("value");
            if (key != nullptr && value != nullptr) n.m_namedColors[*key] = n.ReadColor(*value);
        }
    }
    if (const YString* v = definition.FindAttribute("maincolor")) n.SetMainColor(0, n.ReadColor(*v));
    if (const YString* v = definition.FindAttribute("iconcolor")) n.m_iconColor = n.ReadColor(*v);
    if (const YString* v = definition.FindAttribute("inverticons")) n.m_invertIcons = ReadInt(*v, 0, 1) != 0;
    const float rx = definition.FindAttribute("ResizeX") ? ReadFloat(*definition.FindAttribute("ResizeX"), 0.5f, 4.0f, 1.0f) : 1.0f;
    const float ry = definition.FindAttribute("ResizeY") ? ReadFloat(*definition.FindAttribute("ResizeY"), 0.5f, 4.0f, 1.0f) : 1.0f;
    n.SetResize(rx, ry);
    for (int32_t m = 0; m < kStyleMetricCount; ++m) {
        if (const YString* v = definition.FindAttribute(YEnumName(YEnumNamesOf<YStyleMetric>(), m)))
            n.m_metrics[m] = ReadInt(*v, 0, 4096);
    }

    uint8_t globalAlpha[4] = {255, 255, 255, 255};
    for (int i = 0; i < 4; ++i) {
        if (const YString* v = definition.FindAttribute(YString::Literal(kGlobalAlphaNames[i])))
            globalAlpha[i] = static_cast<uint8_t>(ReadInt(*v, 0, 255));
    }
    const uint8_t minAlpha = definition.FindAttribute("minalpha")
                                 ? static_cast<uint8_t>(ReadInt(*definition.FindAttribute("minalpha"), 0, 255))
                                 : 0;

    if (const YXMLItem* fonts = definition.FindChild("fonts")) {
        for (const YXMLItem& entry : fonts->Children()) {
            const YString* id = entry.FindAttribute("id");
            if (id == nullptr) continue;
            const int32_t which = YEnumFind(YEnumNamesOf<YStdFont>(), *id);
            if (which < 0) YEnumParse(YEnumNamesOf<YStdFont>(), *id);
            const int32_t height = entry.FindAttribute("height") ? ReadInt(*entry.FindAttribute("height"), 4, 200)
                                                                 : FontPixelSize(static_cast<YStdFont>(which));
            const bool bold = entry.FindAttribute("bold") && ReadInt(*entry.FindAttribute("bold"), 0, 1) != 0;
            const bool italic = entry.FindAttribute("italic") && ReadInt(*entry.FindAttribute("italic"), 0, 1) != 0;
            const int32_t pixels = std::max(4, static_cast<int32_t>(std::lround(height * ry)));
            std::unique_ptr<YFont> font;
            const YString* face = entry.FindAttribute("face");
            if (face == nullptr) face = entry.FindAttribute("name");
            if (face != nullptr) {
                // A face the system lacks falls back to the built-in one, as a missing font
                // should never stop a style from loading.
                try {
                    font = YFont::Find(YFontDescriptor(*face, pixels, bold, italic));
                } catch (const YException&) {
                }
            }
            if (!font) {
                font = YFont::Default(pixels);
                if (bold || italic) font = std::make_unique<YStyleFont>(std::move(font), bold, italic);
            }
            n.m_fonts[which] = std::move(font);
        }
    }

    for (const YXMLItem& item : definition.Children()) {
        const int32_t key = SectionKey(item.GetName());
        if (key < 0) continue;
        auto section = std::make_unique<Section>();
        Section& s = *section;
        if (const YString* v = item.FindAttribute("linecolor")) s.line = n.ReadColor(*v);
        if (const YString* v = item.FindAttribute("fillcolor")) s.fill = n.ReadColor(*v);
        if (const YString* v = item.FindAttribute("cornersize")) s.corner = ReadFloat(*v, 0.0f, 256.0f, 0.0f);
        if (const YString* v = item.FindAttribute("borderx")) s.borderX = ReadInt(*v, 0, 256);
        if (const YString* v = item.FindAttribute("bordery")) s.borderY = ReadInt(*v, 0, 256);
        if (const YString* v = item.FindAttribute("contentoffsetx")) s.offsetX = ReadInt(*v, -256, 256);
        if (const YString* v = item.FindAttribute("contentoffsety")) s.offsetY = ReadInt(*v, -256, 256);
        s.alpha[kFocusedIx] = s.alpha[kFocusedHLIx] = globalAlpha[0];
        s.alpha[kHLIx] = globalAlpha[1];
        s.alpha[kClickedIx] = s.alpha[kClickedHLIx] = globalAlpha[2];
        s.alpha[kDisabledIx] = globalAlpha[3];
        for (int i = 0; i < 7; ++i) {
            if (const YString* v = item.FindAttribute(YString::Literal(kAlphaNames[i])))
                s.alpha[i] = static_cast<uint8_t>(ReadInt(*v, 0, 255));
            if (item.FindAttribute("alpha") && i == kNormalIx) s.alpha[i] = static_cast<uint8_t>(ReadInt(*item.FindAttribute("alpha"), 0, 255));
            s.alpha[i] = std::max(s.alpha[i], minAlpha);
        }
        for (int i = 0; i < 7; ++i) {
            const YXMLItem* image = item.FindChild(YString::Literal(kImageNames[i]));
            if (image == nullptr || (i == kFocusedHLIx && s.images[kHLIx])) continue;
            s.images[i] = std::make_unique<Image>();
            n.LoadImage(*image, *s.images[i]);
        }
        n.m_sections[key] = std::move(section);
    }

    const char* captionNames[3] = {"smallcaption", "normalcaption", "largecaption"};
    for (int i = 0; i < 3; ++i) {
        const YXMLItem* item = definition.FindChild(YString::Literal(captionNames[i]));
        if (item == nullptr) continue;
        auto caption = std::make_unique<CaptionDef>();
        if (const YString* v = item->FindAttribute("captionheight")) caption->height = ReadInt(*v, 0, 512);
        if (const YString* v = item->FindAttribute("captionfont"))
            caption->font = static_cast<YStdFont>(YEnumParse(YEnumNamesOf<YStdFont>(), *v));
        if (const YString* v = item->FindAttribute("captiontextcolor")) {
            caption->text = n.ReadColor(*v);
            caption->hasText = true;
        }
        if (const YString* v = item->FindAttribute("captiontextoffset")) caption->textOffset = ReadInt(*v, 0, 512);
        if (const YString* v = item->FindAttribute("backgroundundercaption")) {
            caption->background = n.ReadColor(*v);
            caption->hasBackground = true;
        }
        n.m_captions[i] = std::move(caption);
    }

    // Everything read: take it over.
    m_name = std::move(n.m_name);
    m_folder = std::move(n.m_folder);
    m_namedColors = std::move(n.m_namedColors);
    m_metrics = std::move(n.m_metrics);
    m_fonts = std::move(n.m_fonts);
    m_sections = std::move(n.m_sections);
    for (int i = 0; i < 3; ++i) m_captions[i] = std::move(n.m_captions[i]);
    m_iconColor = n.m_iconColor;
    m_invertIcons = n.m_invertIcons;
    for (int32_t i = 0; i < kMainColorCount; ++i) SetMainColor(i, n.MainColor(i));
    SetResize(rx, ry);
}

int32_t YTexturedStyle::Metric(int32_t identifier) const {
    const auto it = m_metrics.find(identifier);
    return it == m_metrics.end() ? YBaseStyle::Metric(identifier) : ScaleMetric(identifier, it->second);
}

YFont* YTexturedStyle::Font(YStdFont font) {
    const auto it = m_fonts.find(static_cast<int32_t>(font));
    return it != m_fonts.end() ? it->second.get() : YBaseStyle::Font(font);
}

const YTexturedStyle::Section* YTexturedStyle::SectionOf(YControlType type) const {
    const auto it = m_sections.find(static_cast<int32_t>(type));
    return it != m_sections.end() ? it->second.get() : nullptr;
}

bool YTexturedStyle::HasSection(YControlType type) const { return SectionOf(type) != nullptr; }

int32_t YTexturedStyle::CaptionHeight(YCaptionType type) const {
    const auto index = static_cast<size_t>(type);
    if (index < 3 && m_captions[index] && m_captions[index]->height >= 0) return ScaleY(m_captions[index]->height);
    return YBaseStyle::CaptionHeight(type);
}

YRect YTexturedStyle::ContentRect(YControlType type, const YRect& rect) const {
    const Section* s = SectionOf(type);
    if (s == nullptr || (s->borderX < 0 && s->borderY < 0)) return YBaseStyle::ContentRect(type, rect);
    const YRect base = YBaseStyle::ContentRect(type, rect);
    const int32_t bx = s->borderX >= 0 ? ScaleX(s->borderX) : base.left - rect.left;
    const int32_t by = s->borderY >= 0 ? ScaleY(s->borderY) : base.top - rect.top;
    return YRect{rect.left + bx, rect.top + by, rect.right - bx, rect.bottom - by}.Offset(ScaleX(s->offsetX),
                                                                                          ScaleY(s->offsetY));
}

void YTexturedStyle::DrawImage(YDrawer& drawer, const Image& image, const YRect& rect, uint8_t alpha) {
    const YBaseBitmap* source = image.bitmap.get();
    YBitmap faded;
    if (alpha < 255) {
        // The state's alpha scales the image's own.
        faded.Create(source->Width(), source->Height());
        for (int32_t y = 0; y < source->Height(); ++y) {
            const YColor* in = source->Row(y);
            YColor* out = faded.Row(y);
            for (int32_t x = 0; x < source->Width(); ++x) out[x] = in[x].WithAlpha(static_cast<uint8_t>(in[x].a * alpha / 255));
        }
        source = &faded;
    }
    const int32_t c = std::min({image.corner, source->Width() / 2, source->Height() / 2});
    if (c <= 0 || image.fill != YBitmapFill::Stretch) {
        drawer.FillWithBitmap(rect, *source, image.fill, image.op);
        return;
    }
    // Nine pieces: the corners at their size, the edges stretched along, the middle both ways.
    const int32_t dc = std::min({ScaleX(c), rect.Width() / 2, rect.Height() / 2});
    const int32_t sx[4] = {0, c, source->Width() - c, source->Width()};
    const int32_t sy[4] = {0, c, source->Height() - c, source->Height()};
    const int32_t dx[4] = {rect.left, rect.left + dc, rect.right + 1 - dc, rect.right + 1};
    const int32_t dy[4] = {rect.top, rect.top + dc, rect.bottom + 1 - dc, rect.bottom + 1};
    for (int j = 0; j < 3; ++j) {
        for (int i = 0; i < 3; ++i) {
            const YRect src{sx[i], sy[j], sx[i + 1] - 1, sy[j + 1] - 1};
            const YRect dst{dx[i], dy[j], dx[i + 1] - 1, dy[j + 1] - 1};
            if (!src.IsEmpty() && !dst.IsEmpty()) drawer.ScaledBlt(dst, *source, src, image.op);
        }
    }
}

void YTexturedStyle::DrawControl(YDrawer& drawer, YControlType type, uint32_t state, const YRect& rect) {
    const Section* s = SectionOf(type);
    if (s == nullptr || rect.IsEmpty()) {
        YBaseStyle::DrawControl(drawer, type, state, rect);
        return;
    }
    const int index = StateIndexOf(state);
    const uint8_t alpha = s->alpha[index];
    const Image* image = s->images[index] ? s->images[index].get() : s->images[kNormalIx].get();
    if (image != nullptr && image->bitmap) {
        DrawImage(drawer, *image, rect, alpha);
    } else {
        const float previous = drawer.LineWidth();
        drawer.SetLineWidth(std::max(1.0f, std::floor(S(1.0f))));
        const float radius = S(s->corner);
        drawer.FillRoundRectangle(rect, radius, YColorFade(s->fill, alpha / 255.0f), YColorOp::Alphablend);
        drawer.RoundRectangle(rect, radius, YColorFade(s->line, alpha / 255.0f), YColorOp::Alphablend);
        drawer.SetLineWidth(previous);
    }
    if ((state & YControlState::kFocused) && !(state & YControlState::kDisabled) && type != YControlType::kWindow &&
        type != YControlType::kPanel)
        DrawFocus(drawer, rect);
}

void YTexturedStyle::DrawCaption(YDrawer& drawer, const YRect& rect, const YString& text, YCaptionType type,
                                 uint32_t state) {
    const auto index = static_cast<size_t>(type);
    const CaptionDef* c = index < 3 ? m_captions[index].get() : nullptr;
    if (c == nullptr) {
        YBaseStyle::DrawCaption(drawer, rect, text, type, state);
        return;
    }
    if (c->hasBackground) drawer.FillRectangle(rect, c->background, YColorOp::Alphablend);
    else YBaseStyle::DrawCaption(drawer, rect, YString(), type, state);
    YFont* previous = drawer.Font();
    drawer.SetFont(Font(c->font));
    const YColor colour = c->hasText ? c->text : Colors().captionText;
    drawer.AlignedTextOut({rect.left + ScaleX(c->textOffset), rect.top, rect.right - ScaleX(4), rect.bottom}, text,
                          kAlignLeft | kAlignVCenter,
                          (state & YControlState::kDisabled) ? YColorFade(colour, 0.5f) : colour, YColorOp::Alphablend);
    drawer.SetFont(previous);
}

void YTexturedStyle::DrawIcon(YDrawer& drawer, YStdIcon icon, const YRect& rect, YColor colour) {
    // "iconcolor" other than white recolours the icons; "inverticons" turns them negative.
    if (m_iconColor != YColor::RGB(255, 255, 255, 255)) colour = m_iconColor;
    if (m_invertIcons) colour = YColor::RGB(255 - colour.r, 255 - colour.g, 255 - colour.b, colour.a);
    YDrawStdIcon(drawer, icon, rect, colour);
}

YTexturedStyle::ControlCaptionInstance YTexturedStyle::Caption(const YControl& control) const {
    ControlCaptionInstance instance;
    const YRect rect = control.WindowRect();
    instance.content = rect;
    if (control.Caption().IsEmpty()) return instance;
    const int32_t h = std::min(CaptionHeight(control.CaptionType()), rect.Height());
    instance.bar = {rect.left, rect.top, rect.right, rect.top + h - 1};
    instance.content.top = instance.bar.bottom + 1;
    int32_t right = instance.bar.right - ScaleX(3);
    if (control.HasFlag(YControlFlag::kCollapsable)) {
        const int32_t side = std::max(0, h - ScaleY(6));
        const YRect button{right - side + 1, instance.bar.top + (h - side) / 2, right, instance.bar.top + (h - side) / 2 + side - 1};
        instance.buttons.push_back(button);
        right = button.left - ScaleX(3);
    }
    const auto index = static_cast<size_t>(control.CaptionType());
    const int32_t offset = index < 3 && m_captions[index] ? m_captions[index]->textOffset : 8;
    instance.text = {instance.bar.left + ScaleX(offset), instance.bar.top, right, instance.bar.bottom};
    return instance;
}

bool YTexturedStyle::HandleEvent(YControl& control, YSystemEvent& event) {
    if (event.code != YEventCode::kLeftDown || !control.IsEnabled() || !control.HasFlag(YControlFlag::kCollapsable))
        return false;
    const ControlCaptionInstance caption = Caption(control);
    for (const YRect& button : caption.buttons) {
        if (!button.Contains(event.point)) continue;
        if (control.Extension(SpecialCaptionButtonTag::kTag) == nullptr)
            control.SetExtension(SpecialCaptionButtonTag::kTag, &m_collapseTag);
        control.SetCollapsed(!control.HasFlag(YControlFlag::kCollapsed));
        control.Repaint();
        return true;
    }
    return false;
}
