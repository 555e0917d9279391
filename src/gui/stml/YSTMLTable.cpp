#include "gui/stml/YSTMLTable.h"

#include "gui/drawing/YDrawer.h"
#include "gui/stml/YSTMLContext.h"
#include "gui/stml/YSTMLTagParser.h"
#include "gui/toolkit/YStyle.h"

#include <algorithm>
#include <vector>

namespace {
constexpr int32_t kLargestSpacing = 1024;

void DescribeLength(YString& out, const char* name, const YSTMLLength& length) {
    if (length.IsAuto()) return;
    out += YString(" ") + YString::Literal(name) + YString("=");
    if (length.unit == YSTMLLength::kMetric)
        out += YEnumName(YEnumNamesOf<YStyleMetric>(), static_cast<int32_t>(length.value));
    else
        out += YString::FromDouble(length.value, 10) + (length.unit == YSTMLLength::kPercent ? YString("%") : YString());
}
} // namespace

// ---- cell ----

YSTMLTableCell::YSTMLTableCell(const YSTMLAttributes& attributes) {
    YSTMLValue::Read(attributes, "width", m_width);
    YSTMLValue::Read(attributes, "height", m_height);
    YSTMLValue::ReadVAlign(attributes, "valign", m_valign);
    YSTMLValue::ReadInt(attributes, "padding", m_padding);
    YSTMLValue::ReadInt(attributes, "border", m_border);
    YSTMLValue::ReadAlpha(attributes, "borderalpha", m_borderAlpha);
    YSTMLValue::ReadAlpha(attributes, "fillalpha", m_fillAlpha);
    YSTMLValue::ReadFlag(attributes, "autosize", m_autoSize);
    if (m_padding != kInherit) m_padding = std::clamp(m_padding, 0, kLargestSpacing);
    if (m_border != kInherit) m_border = std::clamp(m_border, 0, kLargestSpacing);
}

void YSTMLTableCell::Inherit(int32_t padding, int32_t border, int32_t borderAlpha) noexcept {
    m_usedPadding = m_padding == kInherit ? padding : m_padding;
    m_usedBorder = m_border == kInherit ? border : m_border;
    m_usedBorderAlpha = m_borderAlpha == kInherit ? borderAlpha : m_borderAlpha;
}

int32_t YSTMLTableCell::Layout(YSTMLLayout& layout, int32_t width) {
    const int32_t edge = m_usedPadding + m_usedBorder;
    m_contentHeight = YSTMLContainer::Layout(layout, std::max(1, width - 2 * edge));
    m_contentOffset = YPoint{edge, edge};
    return m_contentHeight + 2 * edge;
}

int32_t YSTMLTableCell::NaturalWidth(YSTMLLayout& layout) {
    return YSTMLContainer::NaturalWidth(layout) + 2 * (m_usedPadding + m_usedBorder);
}

void YSTMLTableCell::Place(int32_t height) noexcept {
    const int32_t edge = m_usedPadding + m_usedBorder;
    const int32_t freeHeight = std::max(0, height - 2 * edge - m_contentHeight);
    m_contentOffset.y = edge + (m_valign == 1 ? freeHeight / 2 : m_valign == 2 ? freeHeight : 0);
}

void YSTMLTableCell::Paint(YSTMLPainter& painter, YPoint origin) const {
    const YRect box = YRect::FromSize(origin.x, origin.y, Bounds().Width(), Bounds().Height());
    YDrawer& drawer = painter.Drawer();
    if (m_fillAlpha != kInherit) {
        const YColor fill = painter.Color(static_cast<int32_t>(YStdColor::kHighlight));
        drawer.FillRectangle(box, fill.WithAlpha(static_cast<uint8_t>(fill.a * m_fillAlpha / 255)), YColorOp::Alphablend);
    }
    if (m_usedBorder > 0) {
        YColor line = painter.Color(static_cast<int32_t>(YStdColor::kShape));
        line = line.WithAlpha(static_cast<uint8_t>(line.a * m_usedBorderAlpha / 255));
        for (int32_t i = 0; i < m_usedBorder; ++i) {
            const YRect r{box.left + i, box.top + i, box.right - i, box.bottom - i};
            if (r.IsEmpty()) break;
            drawer.Rectangle(r, line, YColorOp::Alphablend);
        }
    }
    YSTMLContainer::Paint(painter, YPoint{origin.x + m_contentOffset.x, origin.y + m_contentOffset.y});
}

void YSTMLTableCell::Describe(YString& out) const {
    out += YString("td");
    YString flags;
    DescribeLength(flags, "width", m_width);
    DescribeLength(flags, "height", m_height);
    if (m_valign == 1) flags += YString(" valign=center");
    if (m_valign == 2) flags += YString(" valign=bottom");
    if (m_padding != kInherit) flags += YString(" padding=") + YString::FromInteger(m_padding);
    if (m_fillAlpha != kInherit) flags += YString(" fillalpha=") + YString::FromInteger(m_fillAlpha);
    if (m_autoSize) flags += YString(" autosize");
    if (!flags.IsEmpty()) out += YString("(") + flags.Trimmed() + YString(")");
    out += u'{';
    DescribeChildren(out);
    out += u'}';
}

// ---- row ----

YSTMLTableRow::YSTMLTableRow(const YSTMLAttributes& attributes) {
    YSTMLValue::Read(attributes, "height", m_height);
    YSTMLValue::ReadInt(attributes, "padding", m_padding);
    YSTMLValue::ReadInt(attributes, "cellspaces", m_cellSpaces);
    YSTMLValue::ReadInt(attributes, "border", m_border);
    YSTMLValue::ReadAlpha(attributes, "borderalpha", m_borderAlpha);
    YSTMLValue::ReadHAlign(attributes, "align", m_align);
    m_padding = std::clamp(m_padding, 0, kLargestSpacing);
    m_cellSpaces = std::clamp(m_cellSpaces, 0, kLargestSpacing);
    m_border = std::clamp(m_border, 0, kLargestSpacing);
}

int32_t YSTMLTableRow::Layout(YSTMLLayout& layout, int32_t width) {
    const int32_t n = ChildCount();
    if (n == 0) return 0;
    std::vector<int64_t> widths(static_cast<size_t>(n), -1);
    const int64_t spaces = int64_t{m_cellSpaces} * (n - 1);
    int64_t fixed = 0;
    int32_t automatic = 0;
    for (int32_t i = 0; i < n; ++i) {
        auto& cell = static_cast<YSTMLTableCell&>(*Child(i));
        cell.Inherit(m_padding, m_border, m_borderAlpha);
        int64_t w = -1;
        if (!cell.Width().IsAuto())
            w = cell.Width().Resolve(layout, width, 0);
        else if (cell.AutoSize())
            w = cell.NaturalWidth(layout);
        if (w >= 0) {
            widths[static_cast<size_t>(i)] = w;
            fixed += w;
        } else {
            ++automatic;
        }
    }
    // The cells without a width share the rest; fixed cells that do not fit keep their width
    // and the row runs past the right edge (cut off when painted).
    const int64_t rest = std::max<int64_t>(0, width - spaces - fixed);
    int32_t seen = 0;
    for (int32_t i = 0; i < n; ++i) {
        if (widths[static_cast<size_t>(i)] >= 0) continue;
        widths[static_cast<size_t>(i)] = std::max<int64_t>(1, rest / automatic + (seen < rest % automatic ? 1 : 0));
        ++seen;
    }
    int64_t total = spaces;
    for (int64_t w : widths) total += w;
    int64_t x = 0;
    if (total < width) x = m_align == 1 ? (width - total) / 2 : m_align == 2 ? width - total : 0;

    int32_t height = 0;
    for (int32_t i = 0; i < n; ++i) {
        auto& cell = static_cast<YSTMLTableCell&>(*Child(i));
        const int32_t w = static_cast<int32_t>(std::min<int64_t>(widths[static_cast<size_t>(i)], 32768));
        int32_t h = cell.Layout(layout, w);
        h = std::max(h, cell.Height().Resolve(layout, layout.AvailableHeight(), 0));
        height = std::max(height, h);
    }
    if (m_height.unit != YSTMLLength::kPercent || layout.AvailableHeight() > 0)
        height = std::max(height, m_height.Resolve(layout, layout.AvailableHeight(), 0));
    for (int32_t i = 0; i < n; ++i) {
        auto& cell = static_cast<YSTMLTableCell&>(*Child(i));
        const int32_t w = static_cast<int32_t>(std::min<int64_t>(widths[static_cast<size_t>(i)], 32768));
        cell.SetBounds(YRect::FromSize(static_cast<int32_t>(std::min<int64_t>(x, 32768)), 0, w, height));
        cell.Place(height);
        x += w + m_cellSpaces;
    }
    return height;
}

int32_t YSTMLTableRow::NaturalWidth(YSTMLLayout& layout) {
    int64_t width = int64_t{m_cellSpaces} * std::max(0, ChildCount() - 1);
    for (int32_t i = 0; i < ChildCount(); ++i) {
        auto& cell = static_cast<YSTMLTableCell&>(*Child(i));
        cell.Inherit(m_padding, m_border, m_borderAlpha);
        width += cell.Width().IsAuto() || cell.Width().unit == YSTMLLength::kPercent ? cell.NaturalWidth(layout)
                                                                                    : cell.Width().Resolve(layout, 0, 0);
    }
    return static_cast<int32_t>(std::min<int64_t>(width, 32768));
}

void YSTMLTableRow::Describe(YString& out) const {
    out += YString("tr");
    YString flags;
    DescribeLength(flags, "height", m_height);
    if (m_padding != 2) flags += YString(" padding=") + YString::FromInteger(m_padding);
    if (m_cellSpaces != 2) flags += YString(" cellspaces=") + YString::FromInteger(m_cellSpaces);
    if (m_border != 0) flags += YString(" border=") + YString::FromInteger(m_border);
    if (!flags.IsEmpty()) out += YString("(") + flags.Trimmed() + YString(")");
    out += u'{';
    DescribeChildren(out);
    out += u'}';
}
