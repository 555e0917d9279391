#include "gui/stml/YSTMLObject.h"

#include "gui/drawing/YBitmap.h"
#include "gui/drawing/YDrawer.h"
#include "gui/stml/YSTMLContext.h"
#include "gui/stml/YSTMLTagParser.h"
#include "gui/toolkit/YStyle.h"

#include <algorithm>
#include <cmath>

namespace {

YColor ScaleAlpha(YColor colour, int32_t alpha) noexcept {
    return colour.WithAlpha(static_cast<uint8_t>(colour.a * std::clamp(alpha, 0, 255) / 255));
}

void DescribeLength(YString& out, const char* name, const YSTMLLength& length) {
    if (length.IsAuto()) return;
    out += u' ';
    out += YString::Literal(name);
    out += u'=';
    if (length.unit == YSTMLLength::kMetric) {
        out += YEnumName(YEnumNamesOf<YStyleMetric>(), static_cast<int32_t>(length.value));
        return;
    }
    out += YString::FromDouble(length.value, 10);
    if (length.unit == YSTMLLength::kPercent) out += u'%';
}

void DescribeAlign(YString& out, const char* name, int32_t align, const char* const (&names)[3]) {
    if (align < 0 || align > 2) return;
    out += u' ';
    out += YString::Literal(name);
    out += u'=';
    out += YString::Literal(names[align]);
}

// The picture of size placed in box by the object's alignment (centred when unset).
YRect PlaceIn(const YRect& box, YSize size, int32_t align, int32_t valign) noexcept {
    const int32_t freeX = box.Width() - size.x, freeY = box.Height() - size.y;
    const int32_t x = align == 0 ? 0 : align == 2 ? freeX : freeX / 2;
    const int32_t y = valign == 0 ? 0 : valign == 2 ? freeY : freeY / 2;
    return YRect::FromSize(box.left + std::max(0, x), box.top + std::max(0, y), std::min(size.x, box.Width()),
                           std::min(size.y, box.Height()));
}

} // namespace

int32_t YSTMLObject::Layout(YSTMLLayout& layout, int32_t width) {
    const int32_t lineHeight = layout.LineHeight(m_font);
    YSize content = ContentSize(layout, lineHeight);
    if (m_width.IsAuto() && width > 0 && content.x > width) {
        // A picture wider than its line shrinks to it, keeping its proportions.
        content.y = static_cast<int32_t>(int64_t{content.y} * width / content.x);
        content.x = width;
    }
    m_size = YSize{m_width.Resolve(layout, width, content.x), m_height.Resolve(layout, lineHeight, content.y)};
    return m_size.y;
}

int32_t YSTMLObject::NaturalWidth(YSTMLLayout& layout) {
    const YSize content = ContentSize(layout, layout.LineHeight(m_font));
    return m_width.unit == YSTMLLength::kPercent ? content.x : m_width.Resolve(layout, 0, content.x);
}

void YSTMLObject::Paint(YSTMLPainter& painter, YPoint origin) const {
    if (m_size.x <= 0 || m_size.y <= 0) return;
    PaintBox(painter, YRect::FromSize(origin.x, origin.y, m_size.x, m_size.y));
}

void YSTMLObject::Describe(YString& out) const {
    out += YString::Literal(TagName());
    out += u'(';
    YString inner;
    DescribeContent(inner);
    DescribeLength(inner, "width", m_width);
    DescribeLength(inner, "height", m_height);
    static const char* const hNames[3] = {"left", "center", "right"};
    static const char* const vNames[3] = {"top", "center", "bottom"};
    DescribeAlign(inner, "align", m_align, hNames);
    DescribeAlign(inner, "valign", m_valign, vNames);
    out += inner.Trimmed();
    out += u')';
}

void YSTMLObject::ReadBox(const YSTMLAttributes& attributes) {
    YSTMLValue::Read(attributes, "width", m_width);
    YSTMLValue::Read(attributes, "height", m_height);
    YSTMLValue::ReadHAlign(attributes, "align", m_align);
    YSTMLValue::ReadVAlign(attributes, "valign", m_valign);
}

// ---- image ----

YSTMLImage::YSTMLImage(const YSTMLAttributes& attributes) {
    ReadBox(attributes);
    if (const YString* icon = attributes.Find("icon")) m_icon = YEnumFind(YEnumNamesOf<YStdIcon>(), icon->Trimmed());
    if (const YString* bitmap = attributes.Find("bitmap"))
        m_bitmap = YEnumFind(YEnumNamesOf<YStdBitmap>(), bitmap->Trimmed());
    double number = -1.0;
    YSTMLValue::ReadDouble(attributes, "number", number);
    if (number >= 0.0 && number < 65536.0) m_number = static_cast<int32_t>(number);
    if (const YString* id = attributes.Find("id")) m_id = id->Trimmed();
}

const YBaseBitmap* YSTMLImage::CallerImage(const YSTMLImages& images) const noexcept {
    if (m_number >= 0) return images.ByNumber(m_number);
    if (!m_id.IsEmpty()) return images.ById(m_id);
    return nullptr;
}

YSize YSTMLImage::ContentSize(const YSTMLLayout& layout, int32_t) const {
    if (m_icon >= 0) return layout.IconSize();
    if (m_bitmap >= 0) return layout.StdBitmapSize(m_bitmap);
    if (const YBaseBitmap* image = CallerImage(layout.Images())) return YSize{image->Width(), image->Height()};
    return {};
}

void YSTMLImage::PaintBox(YSTMLPainter& painter, const YRect& box) const {
    YStyle& style = painter.Style();
    if (m_icon >= 0) {
        const YColor colour = painter.Color(TextColor() >= 0 && TextColor() < 255 ? TextColor()
                                                                                 : static_cast<int32_t>(YStdColor::kText));
        style.DrawIcon(painter.Drawer(), static_cast<YStdIcon>(m_icon), PlaceIn(box, style.IconSize(), Align(), VAlign()),
                       colour);
        return;
    }
    if (m_bitmap >= 0) {
        const YBaseBitmap& bitmap = style.Bitmap(static_cast<YStdBitmap>(m_bitmap));
        style.DrawBitmap(painter.Drawer(), static_cast<YStdBitmap>(m_bitmap),
                         PlaceIn(box, YSize{bitmap.Width(), bitmap.Height()}, Align(), VAlign()));
        return;
    }
    if (const YBaseBitmap* image = CallerImage(painter.Images()))
        painter.Drawer().FitBlt(PlaceIn(box, YSize{image->Width(), image->Height()}, Align(), VAlign()), *image,
                                YColorOp::Alphablend);
}

void YSTMLImage::DescribeContent(YString& out) const {
    if (m_icon >= 0) out += YString(" icon=") + YEnumName(YEnumNamesOf<YStdIcon>(), m_icon);
    if (m_bitmap >= 0) out += YString(" bitmap=") + YEnumName(YEnumNamesOf<YStdBitmap>(), m_bitmap);
    if (m_number >= 0) out += YString(" number=") + YString::FromInteger(m_number);
    if (!m_id.IsEmpty()) out += YString(" id=") + m_id;
}

// ---- line ----

YSTMLLine::YSTMLLine(const YSTMLAttributes& attributes) {
    ReadBox(attributes);
    YSTMLValue::ReadInt(attributes, "size", m_thickness);
    YSTMLValue::ReadInt(attributes, "hspace", m_hspace);
    YSTMLValue::ReadInt(attributes, "vspace", m_vspace);
    YSTMLValue::ReadAlpha(attributes, "alpha", m_alpha);
    YSTMLValue::Read(attributes, "color", m_colour);
    m_thickness = std::clamp(m_thickness, 0, 1024);
    m_hspace = std::clamp(m_hspace, 0, 32768);
    m_vspace = std::clamp(m_vspace, 0, 1024);
    DefaultWidth({YSTMLLength::kPercent, 100.0});
}

YSize YSTMLLine::ContentSize(const YSTMLLayout&, int32_t) const { return YSize{0, m_thickness + 2 * m_vspace}; }

void YSTMLLine::PaintBox(YSTMLPainter& painter, const YRect& box) const {
    if (m_thickness <= 0) return;
    const int32_t top = box.top + (box.Height() - m_thickness) / 2;
    const YRect rule{box.left + m_hspace, top, box.right - m_hspace, top + m_thickness - 1};
    painter.Drawer().FillRectangle(rule, ScaleAlpha(painter.Color(m_colour, static_cast<int32_t>(YStdColor::kShape)), m_alpha),
                                   YColorOp::Alphablend);
}

void YSTMLLine::DescribeContent(YString& out) const {
    if (m_thickness != 1) out += YString(" size=") + YString::FromInteger(m_thickness);
}

// ---- rectangle ----

YSTMLRectangle::YSTMLRectangle(const YSTMLAttributes& attributes) {
    ReadBox(attributes);
    YSTMLValue::Read(attributes, "color", m_colour);
    YSTMLValue::Read(attributes, "bordercolor", m_border);
    YSTMLValue::ReadAlpha(attributes, "alpha", m_alpha);
}

YSize YSTMLRectangle::ContentSize(const YSTMLLayout& layout, int32_t) const {
    const int32_t side = layout.Ascent(Font());
    return YSize{side, side};
}

void YSTMLRectangle::PaintBox(YSTMLPainter& painter, const YRect& box) const {
    YDrawer& drawer = painter.Drawer();
    drawer.FillRectangle(box, ScaleAlpha(painter.Color(m_colour, static_cast<int32_t>(YStdColor::kHighlight)), m_alpha),
                         YColorOp::Alphablend);
    if (m_border.set) drawer.Rectangle(box, ScaleAlpha(painter.Color(m_border, 0), m_alpha), YColorOp::Alphablend);
}

void YSTMLRectangle::DescribeContent(YString&) const {}

// ---- indicator ----

YSTMLIndicator::YSTMLIndicator(const YSTMLAttributes& attributes) {
    ReadBox(attributes);
    YSTMLValue::Read(attributes, "color", m_colour);
    YSTMLValue::Read(attributes, "bordercolor", m_border);
    YSTMLValue::ReadDouble(attributes, "value", m_value);
    YSTMLValue::ReadDouble(attributes, "min", m_min);
    YSTMLValue::ReadDouble(attributes, "max", m_max);
    m_middle = m_min;
    m_hasMiddle = attributes.Has("middle");
    YSTMLValue::ReadDouble(attributes, "middle", m_middle);
    m_hasDefault = attributes.Has("default");
    YSTMLValue::ReadDouble(attributes, "default", m_default);
}

double YSTMLIndicator::Fraction(double value) const noexcept {
    const double span = m_max - m_min;
    if (!(std::fabs(span) > 0.0) || !std::isfinite(span)) return 0.0;
    const double f = (value - m_min) / span;
    return std::isfinite(f) ? std::clamp(f, 0.0, 1.0) : 0.0;
}

YSize YSTMLIndicator::ContentSize(const YSTMLLayout& layout, int32_t lineHeight) const {
    return YSize{6 * lineHeight, layout.Ascent(Font())};
}

void YSTMLIndicator::PaintBox(YSTMLPainter& painter, const YRect& box) const {
    YDrawer& drawer = painter.Drawer();
    const YColor border = painter.Color(m_border, static_cast<int32_t>(YStdColor::kShape));
    drawer.Rectangle(box, border, YColorOp::Alphablend);
    const YRect inner{box.left + 1, box.top + 1, box.right - 1, box.bottom - 1};
    if (inner.IsEmpty()) return;
    const auto at = [&](double value) {
        return inner.left + static_cast<int32_t>(std::floor(Fraction(value) * inner.Width() + 0.5));
    };
    const int32_t from = at(m_middle), to = at(m_value);
    const YRect bar{std::min(from, to), inner.top, std::max(from, to) - 1, inner.bottom};
    drawer.FillRectangle(bar, painter.Color(m_colour, static_cast<int32_t>(YStdColor::kHighlight)), YColorOp::Alphablend);
    if (m_hasDefault) {
        const int32_t x = std::min(at(m_default), inner.right);
        drawer.VLine(x, box.top, box.bottom, border, YColorOp::Alphablend);
    }
}

void YSTMLIndicator::DescribeContent(YString& out) const {
    out += YString(" value=") + YString::FromDouble(m_value, 10);
    if (m_min != 0.0 || m_max != 100.0)
        out += YString(" range=") + YString::FromDouble(m_min, 10) + YString("..") + YString::FromDouble(m_max, 10);
    if (m_hasMiddle) out += YString(" middle=") + YString::FromDouble(m_middle, 10);
    if (m_hasDefault) out += YString(" default=") + YString::FromDouble(m_default, 10);
}
