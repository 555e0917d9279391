#include "gui/style/YBaseStyle.h"

#include "gui/drawing/YDrawerToYBitmap.h"
#include "gui/drawing/YFont.h"
#include "gui/style/YStdIcons.h"
#include "gui/style/YStyleColors.h"
#include "gui/style/YStyleFont.h"
#include "gui/toolkit/YSystemEvent.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Which axis a metric scales with.
enum Axis : uint8_t { kNoScale, kX, kY };
struct MetricDef {
    int32_t value;
    Axis axis;
};
// At scale 1, in the order of YStyleMetric. An 8-pixel rhythm with 4- and 6-pixel steps keeps
// the spacing consistent; the alphas are the opacities of enabled and disabled content.
constexpr MetricDef kMetrics[kStyleMetricCount] = {
    {6, kX},   // deflayoutspace
    {2, kX},   // scrollerlayoutspace
    {6, kX},   // xspaceinycontent
    {4, kY},   // yspaceinycontent
    {8, kX},   // xborderinycontent
    {6, kY},   // yborderinycontent
    {22, kY},  // defaultlistboxitemheight
    {14, kY},  // listboxitemcheckboxsize
    {22, kY},  // defaulttreeitemheight
    {14, kY},  // treeitemcheckboxsize
    {255, kNoScale}, // alphaenabled
    {115, kNoScale}, // alphadisabled
    {8, kX},   // tabsetleftsize
    {8, kX},   // tabsetrightsize
    {0, kX},   // tabsetoverlapsize
    {4, kX},   // menubarleftsize
    {4, kX},   // menubarrightsize
    {0, kX},   // menubaroverlapsize
    {16, kY},  // checkboxiconsize
    {16, kX},  // maxstdiconsizex
    {16, kY},  // maxstdiconsizey
    {32, kX},  // maxstdbitmapsizex
    {32, kY},  // maxstdbitmapsizey
    {6, kX},   // hsplittersize
    {6, kY},   // vsplittersize
    {1, kX},   // windowbordersizex
    {1, kY},   // windowbordersizey
};

YColor Hex(uint32_t rgb) { return YColor::FromARGB(0xFF000000u | rgb); }

YColor Readable(YColor background, YColor dark, YColor light) {
    return YColorLuminance(background) > 0.58f ? dark : light;
}

// Breaks text into words at blanks and line feeds (a line feed is a word of its own).
std::vector<YString> Words(const YString& text) {
    std::vector<YString> words;
    std::u16string current;
    const std::u16string all = text.ToUTF16();
    for (char16_t c : all) {
        if (c == u' ' || c == u'\t' || c == u'\n') {
            if (!current.empty()) words.push_back(YString::FromUTF16(current));
            current.clear();
            if (c == u'\n') words.push_back(YString("\n"));
        } else if (c != u'\r') {
            current.push_back(c);
        }
    }
    if (!current.empty()) words.push_back(YString::FromUTF16(current));
    return words;
}

// Lines text takes when wrapped at width in font (at least 1).
int32_t WrappedLines(YFont& font, const std::vector<YString>& words, int32_t width) {
    const int32_t space = font.TextWidth(" ");
    int32_t lines = 1;
    int32_t used = 0;
    for (const YString& word : words) {
        if (word == YString("\n")) {
            ++lines;
            used = 0;
            continue;
        }
        const int32_t w = font.TextWidth(word);
        if (used > 0 && used + space + w > width) {
            ++lines;
            used = w;
        } else {
            used += (used > 0 ? space : 0) + w;
        }
    }
    return lines;
}

} // namespace

const std::array<YColor, YStyle::kMainColorCount> YBaseStyle::kDefaultMainColors = {
    YColor::RGB(0x50, 0x6B, 0x87, 0xFF), YColor::RGB(0x0A, 0x09, 0xE8, 0xFF), YColor::RGB(0xED, 0xA5, 0x0B, 0xDC),
    YColor::RGB(0x12, 0x77, 0xE3, 0xA6)};

YBaseStyle::YBaseStyle(Theme theme) : m_theme(theme), m_main(kDefaultMainColors) { BuildPalette(); }

YBaseStyle::~YBaseStyle() = default;

YBaseStyle::Theme YBaseStyle::ThemeOfName(const YString& name) noexcept {
    return name == YString::Literal(kDarkName) ? Theme::kDark : Theme::kLight;
}

void YBaseStyle::SetResize(float x, float y) {
    const auto clamp = [](float v) { return std::isfinite(v) ? std::clamp(v, 0.5f, 4.0f) : 1.0f; };
    m_resize = {clamp(x), clamp(y)};
    for (auto& f : m_fonts) f.reset();
    for (auto& b : m_bitmaps) b.reset();
}

YString YBaseStyle::Description() const { return "Code-drawn style"; }
YString YBaseStyle::Name() const { return m_theme == Theme::kDark ? YString::Literal(kDarkName) : YString::Literal(kLightName); }
YPointF YBaseStyle::Resize() const { return m_resize; }
YString YBaseStyle::DefinitionListName() const { return YString::Literal(kDefinitionList); }

void YBaseStyle::BuildPalette() {
    const YColor m0 = m_main[0].WithAlpha(255);
    const YColor m1 = m_main[1].WithAlpha(255);
    const YColor m2 = m_main[2];
    const YColor m3 = m_main[3];
    Palette& p = m_palette;
    if (m_theme == Theme::kLight) {
        p.window = YColorMix(Hex(0xECEEF1), m0, 0.07f);
        p.panel = YColorMix(Hex(0xF7F8FA), m0, 0.04f);
        p.panelBorder = YColorMix(Hex(0xD3D8DF), m0, 0.10f);
        p.face = YColorMix(Hex(0xFFFFFF), m0, 0.05f);
        p.faceHover = YColorMix(Hex(0xF1F4F8), m0, 0.10f);
        p.facePressed = YColorMix(Hex(0xDDE2E9), m0, 0.16f);
        p.faceBorder = YColorMix(Hex(0xC2C8D1), m0, 0.12f);
        p.faceBorderHover = YColorMix(Hex(0xA9B1BC), m3.WithAlpha(255), 0.30f);
        p.field = Hex(0xFFFFFF);
        p.fieldBorder = YColorMix(Hex(0xBCC3CD), m0, 0.12f);
        p.text = Hex(0x1E2228);
        p.textDim = Hex(0x6E7682);
        p.caption = YColorMix(Hex(0xE6E9EE), m1, 0.10f);
        p.captionText = YColorMix(Hex(0x1E2228), m1, 0.25f);
        p.menu = Hex(0xFFFFFF);
        p.menuBorder = YColorMix(Hex(0xC4CAD3), m0, 0.10f);
        p.shadow = YColor::RGB(0x10, 0x18, 0x28, 0x30);
        p.track = YColorMix(Hex(0xE3E6EB), m0, 0.06f);
        p.thumb = YColorMix(Hex(0xB3BAC4), m0, 0.15f);
        p.thumbHover = YColorMix(Hex(0x939BA7), m0, 0.20f);
        p.separator = YColorMix(Hex(0xD5DAE1), m0, 0.08f);
        p.light = Hex(0xFFFFFF);
        p.dark = Hex(0x3A404A);
        p.red = Hex(0xD63B3B);
        p.green = Hex(0x2E9E57);
        p.blue = Hex(0x2B6FD6);
    } else {
        p.window = YColorMix(Hex(0x1B1E23), m0, 0.08f);
        p.panel = YColorMix(Hex(0x23272D), m0, 0.08f);
        p.panelBorder = YColorMix(Hex(0x343A43), m0, 0.10f);
        p.face = YColorMix(Hex(0x2F343C), m0, 0.12f);
        p.faceHover = YColorMix(Hex(0x3A4049), m0, 0.14f);
        p.facePressed = YColorMix(Hex(0x262A30), m0, 0.10f);
        p.faceBorder = YColorMix(Hex(0x454C57), m0, 0.12f);
        p.faceBorderHover = YColorMix(Hex(0x5E6673), m3.WithAlpha(255), 0.35f);
        p.field = YColorMix(Hex(0x17191D), m0, 0.05f);
        p.fieldBorder = YColorMix(Hex(0x414852), m0, 0.12f);
        p.text = Hex(0xE4E7EB);
        p.textDim = Hex(0x8B929D);
        p.caption = YColorMix(Hex(0x2A2F37), m1, 0.16f);
        p.captionText = YColorMix(Hex(0xF0F2F5), m1, 0.10f);
        p.menu = YColorMix(Hex(0x2A2E35), m0, 0.08f);
        p.menuBorder = YColorMix(Hex(0x474E58), m0, 0.10f);
        p.shadow = YColor::RGB(0, 0, 0, 0x60);
        p.track = YColorMix(Hex(0x1F2227), m0, 0.06f);
        p.thumb = YColorMix(Hex(0x4B525D), m0, 0.15f);
        p.thumbHover = YColorMix(Hex(0x646C78), m0, 0.20f);
        p.separator = YColorMix(Hex(0x383E47), m0, 0.08f);
        p.light = Hex(0xF4F6F8);
        p.dark = Hex(0x101215);
        p.red = Hex(0xF0605D);
        p.green = Hex(0x4CC57A);
        p.blue = Hex(0x5A9BF0);
    }
    p.captionStripe = m1;
    // The value colour fills (progress, checked boxes, switched buttons) opaquely, laid over
    // the field so its own alpha still lightens or deepens it.
    p.accent = YColorOver(p.field, m2.WithAlpha(std::max<uint8_t>(m2.a, 0xB0)));
    p.textOnAccent = Readable(p.accent, Hex(0x15171A), Hex(0xFFFFFF));
    p.selection = m3;
    p.textOnSelection = Readable(YColorOver(p.field, m3), p.text, Hex(0xFFFFFF));
    p.focus = m3.WithAlpha(0xE0);
}

int32_t YBaseStyle::FontPixelSize(YStdFont font) noexcept {
    switch (font) {
    case YStdFont::kSmall: return 11;
    case YStdFont::kLarge1: return 15;
    case YStdFont::kLarge2: return 18;
    case YStdFont::kLarge3: return 22;
    case YStdFont::kLarge4: return 28;
    default: return 13;
    }
}

YFont* YBaseStyle::Font(YStdFont font) {
    auto index = static_cast<size_t>(font);
    if (index >= m_fonts.size()) index = 0;
    if (!m_fonts[index]) {
        const int32_t size = std::max(6, static_cast<int32_t>(std::lround(FontPixelSize(font) * m_resize.y)));
        std::unique_ptr<YFont> base = YFont::Default(size);
        const bool bold = font == YStdFont::kBold || font == YStdFont::kLarge2 || font == YStdFont::kLarge3 ||
                          font == YStdFont::kLarge4;
        const bool italic = font == YStdFont::kItalic;
        if (bold || italic)
            m_fonts[index] = std::make_unique<YStyleFont>(std::move(base), bold, italic);
        else
            m_fonts[index] = std::move(base);
    }
    return m_fonts[index].get();
}

const YBaseBitmap& YBaseStyle::Bitmap(YStdBitmap which) {
    auto index = static_cast<size_t>(which);
    if (index >= m_bitmaps.size()) index = 0;
    if (!m_bitmaps[index]) {
        const int32_t side = Metric(YStyleMetric::kMaxStdBitmapSizeX);
        auto bitmap = std::make_unique<YBitmap>(side, side);
        bitmap->Fill(YColor::RGB(0, 0, 0, 0));
        YDrawerToYBitmap d(bitmap.get());
        const float c = static_cast<float>(side) * 0.5f;
        const YRect glyph = YRect::FromSize(side / 4, side / 4, side / 2, side / 2);
        const YColor white = Hex(0xFFFFFF);
        if (which == YStdBitmap::kExclamation) {
            const float m = static_cast<float>(side) / 32.0f;
            const YPointF triangle[] = {{c, 2.5f * m}, {30.0f * m, 28.5f * m}, {2.0f * m, 28.5f * m}};
            d.FillPolygon(triangle, 3, Hex(0xE8A317), YColorOp::Alphablend);
            d.FillRoundRectangle(YRect::FromSize(static_cast<int32_t>(c - 1.5f * m), static_cast<int32_t>(10 * m),
                                                 static_cast<int32_t>(3 * m), static_cast<int32_t>(10 * m)),
                                 1.5f * m, white, YColorOp::Alphablend);
            d.FillCircle(c, 24.0f * m, 1.8f * m, white, YColorOp::Alphablend);
        } else {
            d.FillCircle(c, c, c - 1.0f, which == YStdBitmap::kNotice ? Hex(0x2B78D8) : Hex(0x3E8E6A),
                         YColorOp::Alphablend);
            if (which == YStdBitmap::kNotice) {
                const float m = static_cast<float>(side) / 32.0f;
                d.FillCircle(c, 9.5f * m, 2.0f * m, white, YColorOp::Alphablend);
                d.FillRoundRectangle(YRect::FromSize(static_cast<int32_t>(c - 1.6f * m), static_cast<int32_t>(13.5f * m),
                                                     static_cast<int32_t>(3.2f * m), static_cast<int32_t>(11 * m)),
                                     1.5f * m, white, YColorOp::Alphablend);
            } else {
                YDrawStdIcon(d, YStdIcon::kHelp, glyph.Offset(0, 0), white);
                // The help icon carries its own ring; the bare question mark reads better at
                // this size, so the ring is painted over in the disk's colour.
                d.SetLineWidth(std::max(1.0f, static_cast<float>(side) / 32.0f * 1.6f));
                d.Circle(c, c, static_cast<float>(glyph.Width()) * 6.5f / 16.0f, Hex(0x3E8E6A), YColorOp::Copy);
                d.SetLineWidth(1.0f);
            }
        }
        m_bitmaps[index] = std::move(bitmap);
    }
    return *m_bitmaps[index];
}

YCursor YBaseStyle::Cursor(YStdCursor cursor) const {
    switch (cursor) {
    case YStdCursor::kWait: return YCursor::kWait;
    case YStdCursor::kCross:
    case YStdCursor::kPen:
    case YStdCursor::kEraser:
    case YStdCursor::kSelection: return YCursor::kCross;
    case YStdCursor::kIBeam: return YCursor::kIBeam;
    case YStdCursor::kLink: return YCursor::kHand;
    case YStdCursor::kNo: return YCursor::kNone;
    case YStdCursor::kMove:
    case YStdCursor::kSize: return YCursor::kSizeAll;
    case YStdCursor::kArrowUD: return YCursor::kSizeNS;
    case YStdCursor::kArrowLR: return YCursor::kSizeWE;
    case YStdCursor::kHollow: return YCursor::kNone;
    default: return YCursor::kArrow;
    }
}

YSize YBaseStyle::IconSize() const {
    return {Metric(YStyleMetric::kMaxStdIconSizeX), Metric(YStyleMetric::kMaxStdIconSizeY)};
}

void YBaseStyle::DrawIcon(YDrawer& drawer, YStdIcon icon, const YRect& rect, YColor colour) {
    YDrawStdIcon(drawer, icon, rect, colour);
}

void YBaseStyle::DrawBitmap(YDrawer& drawer, YStdBitmap bitmap, const YRect& rect) {
    drawer.FitBlt(rect, Bitmap(bitmap), YColorOp::Alphablend);
}

YColor YBaseStyle::MainColor(int32_t index) const {
    return index >= 0 && index < kMainColorCount ? m_main[static_cast<size_t>(index)] : YColor{};
}

void YBaseStyle::SetMainColor(int32_t index, YColor colour) {
    if (index < 0 || index >= kMainColorCount) return;
    m_main[static_cast<size_t>(index)] = colour;
    BuildPalette();
}

YColor YBaseStyle::Color(int32_t index, bool enabled, float enabledFactor, float disabledFactor) const {
    const Palette& p = m_palette;
    YColor c;
    switch (static_cast<YStdColor>(index)) {
    case YStdColor::kControlName: c = p.captionText; break;
    case YStdColor::kShape: c = m_theme == Theme::kLight ? Hex(0x3C434D) : Hex(0xC9CED6); break;
    case YStdColor::kHighlight: c = p.selection; break;
    case YStdColor::kLight: c = p.light; break;
    case YStdColor::kDark: c = p.dark; break;
    case YStdColor::kRed: c = p.red; break;
    case YStdColor::kGreen: c = p.green; break;
    case YStdColor::kBlue: c = p.blue; break;
    default: c = p.text; break;
    }
    const float stateAlpha = enabled ? static_cast<float>(Metric(YStyleMetric::kAlphaEnabled)) / 255.0f * enabledFactor
                                     : static_cast<float>(Metric(YStyleMetric::kAlphaDisabled)) / 255.0f * disabledFactor;
    return YColorFade(c, stateAlpha);
}

int32_t YBaseStyle::Metric(int32_t identifier) const {
    if (identifier < 0 || identifier >= kStyleMetricCount) return 0;
    return ScaleMetric(identifier, kMetrics[identifier].value);
}

int32_t YBaseStyle::ScaleMetric(int32_t identifier, int32_t value) const {
    if (identifier < 0 || identifier >= kStyleMetricCount) return value;
    switch (kMetrics[identifier].axis) {
    case kX: return ScaleX(value);
    case kY: return ScaleY(value);
    default: return value;
    }
}

YRect YBaseStyle::ContentRect(YControlType type, const YRect& rect) const {
    int32_t x = 0, y = 0;
    switch (type) {
    case YControlType::kButton:
    case YControlType::kSwitcher: x = ScaleX(10); y = ScaleY(4); break;
    case YControlType::kCaptionButton: x = ScaleX(3); y = ScaleY(3); break;
    case YControlType::kEdit: x = ScaleX(6); y = ScaleY(3); break;
    case YControlType::kPanel:
    case YControlType::kListBox:
    case YControlType::kTreeControl:
    case YControlType::kWindow: x = ScaleX(1); y = ScaleY(1); break;
    case YControlType::kMenu: x = ScaleX(4); y = ScaleY(4); break;
    case YControlType::kProgressBar: x = ScaleX(1); y = ScaleY(1); break;
    default: break;
    }
    return {rect.left + x, rect.top + y, rect.right - x, rect.bottom - y};
}

YSize YBaseStyle::SizeForContent(YControlType type, YSize content) const {
    const YRect probe = ContentRect(type, YRect::FromSize(0, 0, 1000, 1000));
    YSize size{content.x + 1000 - probe.Width(), content.y + 1000 - probe.Height()};
    int32_t minHeight = 0;
    switch (type) {
    case YControlType::kButton:
    case YControlType::kSwitcher:
    case YControlType::kEdit: minHeight = ScaleY(24); break;
    case YControlType::kCheckBox: minHeight = ScaleY(18); break;
    case YControlType::kCaptionButton: minHeight = ScaleY(18); break;
    default: break;
    }
    size.y = std::max(size.y, minHeight);
    return size;
}

int32_t YBaseStyle::PlasticHeight(const YControl& control, int32_t width) {
    width = std::max(1, width);
    const YSize minimal = control.MinimalClientSize();
    if (!control.Caption().IsEmpty()) {
        const YRect content = ContentRect(control.Type(), YRect::FromSize(0, 0, width, 1000));
        YFont& font = *Font(static_cast<YStdFont>(std::clamp(control.Font(), 0, 7)));
        const int32_t lines = WrappedLines(font, Words(control.Caption()), std::max(1, content.Width()));
        return std::max(minimal.y, lines * font.LineHeight() + 1000 - content.Height());
    }
    // Without text the control keeps the shape of its minimal size.
    if (minimal.x > 0 && minimal.y > 0)
        return static_cast<int32_t>(static_cast<int64_t>(width) * minimal.y / minimal.x);
    return control.Size().y;
}

int32_t YBaseStyle::PlasticWidth(const YControl& control, int32_t height) {
    height = std::max(1, height);
    const YSize minimal = control.MinimalClientSize();
    if (!control.Caption().IsEmpty()) {
        // The narrowest width whose wrapped text fits the height (never below the longest
        // word): a search over widths, as the height only falls when the width grows.
        YFont& font = *Font(static_cast<YStdFont>(std::clamp(control.Font(), 0, 7)));
        const std::vector<YString> words = Words(control.Caption());
        int32_t longest = 1, total = 0;
        for (const YString& w : words) {
            const int32_t tw = font.TextWidth(w);
            longest = std::max(longest, tw);
            total += tw + font.TextWidth(" ");
        }
        const int32_t extra = 1000 - ContentRect(control.Type(), YRect::FromSize(0, 0, 1000, 1000)).Width();
        int32_t lo = longest, hi = std::max(longest, total);
        while (lo < hi) {
            const int32_t mid = lo + (hi - lo) / 2;
            if (PlasticHeight(control, mid + extra) <= height) hi = mid;
            else lo = mid + 1;
        }
        return std::max(minimal.x, lo + extra);
    }
    if (minimal.x > 0 && minimal.y > 0)
        return static_cast<int32_t>(static_cast<int64_t>(height) * minimal.x / minimal.y);
    return control.Size().x;
}

int32_t YBaseStyle::CaptionHeight(YCaptionType type) const {
    switch (type) {
    case YCaptionType::kSmall: return ScaleY(18);
    case YCaptionType::kLarge: return ScaleY(30);
    default: return ScaleY(24);
    }
}

bool YBaseStyle::HandleEvent(YControl& control, YSystemEvent& event) {
    if (event.code != YEventCode::kLeftDown || !control.HasFlag(YControlFlag::kCollapsable) ||
        control.Caption().IsEmpty() || !control.IsEnabled())
        return false;
    const YRect rect = control.WindowRect();
    const YRect bar{rect.left, rect.top, rect.right, rect.top + CaptionHeight(control.CaptionType()) - 1};
    if (!bar.Contains(event.point)) return false;
    control.SetCollapsed(!control.HasFlag(YControlFlag::kCollapsed));
    control.Repaint();
    return true;
}

YSize YBaseStyle::TextExtent(YStdFont font, const YString& text) {
    YFont& f = *Font(font);
    return {f.TextWidth(text), f.LineHeight()};
}

YColor YBaseStyle::TextColor(YControlType type, uint32_t state) const {
    const Palette& p = m_palette;
    if (state & YControlState::kDisabled) return p.textDim;
    if ((state & YControlState::kSelected) &&
        (type == YControlType::kButton || type == YControlType::kSwitcher || type == YControlType::kProgressBar))
        return p.textOnAccent;
    if ((state & YControlState::kSelected) &&
        (type == YControlType::kListBox || type == YControlType::kTreeControl || type == YControlType::kMenu ||
         type == YControlType::kMenuBar))
        return p.textOnSelection;
    return p.text;
}

void YBaseStyle::Apply(YControl& control) {
    // The control's minimal client size grows to what its frame and one line of its caption
    // need; a larger size the control chose stays.
    const YSize text = control.Caption().IsEmpty()
                           ? YSize{0, 0}
                           : TextExtent(static_cast<YStdFont>(std::clamp(control.Font(), 0, 7)), control.Caption());
    const YSize needed = SizeForContent(control.Type(), text);
    const YSize current = control.MinimalClientSize();
    if (control.Type() == YControlType::kEmpty || control.Type() == YControlType::kNoBackground ||
        control.Type() == YControlType::kNone)
        return;
    control.SetMinimalClientSize({std::max(current.x, needed.x), std::max(current.y, needed.y)});
}
