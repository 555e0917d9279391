#include "gui/toolkit/layouts/YLayoutGrid.h"

#include "foundation/YXMLItem.h"
#include "gui/toolkit/YControl.h"

#include <algorithm>
#include <climits>

namespace {

int32_t Saturate(int64_t value) noexcept { return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)); }

} // namespace

YLayoutGrid::YLayoutGrid(YControl& owner) : YLayout(owner) {}

YLayoutGrid::~YLayoutGrid() = default;

int32_t YLayoutGrid::HorizontalSpan(const YControl& control) noexcept {
    return std::max(1, static_cast<int32_t>(static_cast<uint32_t>(control.layoutExtraSpace) & 0xFFFFu));
}

int32_t YLayoutGrid::VerticalSpan(const YControl& control) noexcept {
    return std::max(1, static_cast<int32_t>((static_cast<uint32_t>(control.layoutExtraSpace) >> 16) & 0x7FFFu));
}

void YLayoutGrid::SetSpans(YControl& control, int32_t horizontal, int32_t vertical) noexcept {
    const uint32_t h = static_cast<uint32_t>(std::clamp(horizontal, 1, kMaxColumns));
    const uint32_t v = static_cast<uint32_t>(std::clamp(vertical, 1, kMaxRowSpan));
    control.layoutExtraSpace = static_cast<int32_t>(h | (v << 16));
}

void YLayoutGrid::SetColumns(int32_t columns) noexcept { m_columns = std::clamp(columns, 1, kMaxColumns); }

void YLayoutGrid::Load(const YXMLItem& element) {
    YLayout::Load(element);
    if (const YString* v = element.FindAttribute("columns")) SetColumns(ReadNumber(*v));
    if (const YString* v = element.FindAttribute("rows")) rows = ReadNumber(*v);
    if (const YString* v = element.FindAttribute("verticalfill")) verticalFill = ReadNumber(*v) != 0;
    if (const YString* v = element.FindAttribute("columnspancount")) columnSpanCount = ReadNumber(*v);
}

void YLayoutGrid::LoadChild(YControl& control, const YXMLItem& element) {
    int32_t h = HorizontalSpan(control);
    int32_t v = VerticalSpan(control);
    if (const YString* text = element.FindAttribute("hspan")) h = ReadNumber(*text);
    if (const YString* text = element.FindAttribute("vspan")) v = ReadNumber(*text);
    SetSpans(control, h, v);
}

void YLayoutGrid::AddControl(YControl& control) {
    if (m_row >= static_cast<int32_t>(m_rows.size())) m_rows.resize(static_cast<size_t>(m_row) + 1);
    if (YControl* previous = m_rows[static_cast<size_t>(m_row)].cells[m_column]) RemoveControl(*previous);
    YLayout::AddControl(control);
    m_rows[static_cast<size_t>(m_row)].cells[m_column] = &control;
    if (++m_column >= m_columns) {
        m_column = 0;
        ++m_row;
    }
}

void YLayoutGrid::RemoveControl(YControl& control) {
    for (Row& row : m_rows) {
        for (YControl*& cell : row.cells) {
            if (cell == &control) cell = nullptr;
        }
    }
    YLayout::RemoveControl(control);
}

void YLayoutGrid::AddControlFromDefinition(YControl& control) {
    SetSpans(control, 1, 1);
    AddControl(control);
}

YControl* YLayoutGrid::Cell(int32_t row, int32_t column) const noexcept {
    if (row < 0 || row >= RowCount() || column < 0 || column >= kMaxColumns) return nullptr;
    return m_rows[static_cast<size_t>(row)].cells[column];
}

bool YLayoutGrid::IsRowAllPlastic(int32_t row) const noexcept {
    return row >= 0 && row < RowCount() && m_rows[static_cast<size_t>(row)].allPlastic;
}

void YLayoutGrid::Measure(const SizeComputer& computer, Measures& m) {
    const size_t rowCount = m_rows.size();
    m.rows.assign(rowCount, Track{});
    m.rowRatios.assign(rowCount, 0);
    m.rowCounted.assign(rowCount, false);
    m.columns.assign(static_cast<size_t>(m_columns), Track{});
    m.columnRatios.assign(static_cast<size_t>(m_columns), 0);
    m.columnCounted.assign(static_cast<size_t>(m_columns), false);

    // Rows: the tallest cell that spans one row, the largest ratio, all-plastic or not.
    for (size_t r = 0; r < rowCount; ++r) {
        Row& row = m_rows[r];
        int64_t height = 0;
        int32_t ratio = 0;
        int32_t counted = 0;
        int32_t plastic = 0;
        for (int32_t j = 0; j < m_columns; ++j) {
            const YControl* c = row.cells[j];
            if (c == nullptr || !c->IsVisible()) continue;
            m.rowCounted[r] = true;
            m.columnCounted[static_cast<size_t>(j)] = true;
            if (std::min<int64_t>(VerticalSpan(*c), static_cast<int64_t>(rowCount - r)) > 1) continue;
            ++counted;
            if (c->HasFlag(YControlFlag::kPlastic)) ++plastic;
            height = std::max<int64_t>(height, computer.ExtentY(*c));
            ratio = std::max(ratio, c->layoutRatioY);
        }
        row.height = Saturate(height);
        row.ratio = ratio;
        row.allPlastic = counted > 0 && plastic == counted;
        m.rows[r].extent = height;
        m.rowRatios[r] = ratio;
    }
    // Columns, over the rows that are not all plastic: a plastic cell is as wide as the style
    // makes it for its row's height; cells spanning columns do not count.
    for (size_t r = 0; r < rowCount; ++r) {
        Row& row = m_rows[r];
        if (row.allPlastic) continue;
        for (int32_t j = 0; j < m_columns; ++j) {
            YControl* c = row.cells[j];
            if (c == nullptr || !c->IsVisible()) continue;
            if (std::min(HorizontalSpan(*c), m_columns - j) > 1) continue;
            int64_t width;
            if (c->HasFlag(YControlFlag::kPlastic)) {
                const int32_t room = std::max(0, Saturate(int64_t{row.height} - 2 * int64_t{c->layoutBorderY}));
                width = int64_t{PlasticWidth(*c, room)} + 2 * int64_t{c->layoutBorderX};
            } else {
                width = computer.ExtentX(*c);
            }
            Track& column = m.columns[static_cast<size_t>(j)];
            column.extent = std::max(column.extent, width);
            m.columnRatios[static_cast<size_t>(j)] = std::max(m.columnRatios[static_cast<size_t>(j)], c->layoutRatioX);
        }
    }
}

void YLayoutGrid::Lay(std::vector<Track>& tracks, const std::vector<bool>& counted, const std::vector<int32_t>& ratios,
                      bool share, int64_t start, int64_t length, int64_t gap) {
    if (share) {
        int64_t available = length;
        int64_t ratioSum = 0;
        int32_t countedTracks = 0;
        for (size_t i = 0; i < tracks.size(); ++i) {
            if (!counted[i]) continue;
            ++countedTracks;
            if (ratios[i] > 0) {
                ratioSum += ratios[i];
            } else {
                available -= tracks[i].extent;
            }
        }
        if (countedTracks > 1) available -= gap * (countedTracks - 1);
        for (size_t i = 0; i < tracks.size(); ++i) {
            if (!counted[i] || ratios[i] <= 0) continue;
            const int64_t extent = ratioSum > 0 ? std::max<int64_t>(0, ratios[i] * available / ratioSum) : 0;
            tracks[i].extent = extent;
            available -= extent;
            ratioSum -= ratios[i];
        }
    }
    int64_t cursor = start;
    for (size_t i = 0; i < tracks.size(); ++i) {
        tracks[i].start = cursor;
        if (!counted[i]) {
            tracks[i].extent = 0;
            continue;
        }
        cursor += tracks[i].extent + gap;
    }
}

int64_t YLayoutGrid::Total(const std::vector<Track>& tracks, const std::vector<bool>& counted, int64_t gap) {
    int64_t total = 0;
    int32_t countedTracks = 0;
    for (size_t i = 0; i < tracks.size(); ++i) {
        if (!counted[i]) continue;
        total += tracks[i].extent;
        ++countedTracks;
    }
    if (countedTracks > 1) total += gap * (countedTracks - 1);
    return total;
}

YRect YLayoutGrid::Arrange(const YRect& rect) {
    Measures m;
    Measure(CurrentSizeComputer(), m);
    const int64_t gap = Gap();
    Lay(m.columns, m.columnCounted, m.columnRatios, true, rect.left, int64_t{rect.right} - rect.left + 1, gap);
    // A row of plastic cells only is as tall as the style makes its cells for their columns.
    for (size_t r = 0; r < m_rows.size(); ++r) {
        Row& row = m_rows[r];
        if (!row.allPlastic) continue;
        int64_t height = 0;
        for (int32_t j = 0; j < m_columns; ++j) {
            YControl* c = row.cells[j];
            if (c == nullptr || !c->IsVisible()) continue;
            if (std::min<int64_t>(VerticalSpan(*c), static_cast<int64_t>(m_rows.size() - r)) > 1) continue;
            const int32_t span = std::min(HorizontalSpan(*c), m_columns - j);
            const Track& last = m.columns[static_cast<size_t>(j + span - 1)];
            const int64_t width = last.start + last.extent - m.columns[static_cast<size_t>(j)].start;
            const int32_t room = std::max(0, Saturate(width - 2 * int64_t{c->layoutBorderX}));
            height = std::max(height, int64_t{PlasticHeight(*c, room)} + 2 * int64_t{c->layoutBorderY});
        }
        row.height = Saturate(height);
        m.rows[r].extent = height;
    }
    Lay(m.rows, m.rowCounted, m.rowRatios, verticalFill, rect.top, int64_t{rect.bottom} - rect.top + 1, gap);

    const int32_t rowCount = RowCount();
    for (int32_t r = 0; r < rowCount; ++r) {
        for (int32_t j = 0; j < m_columns; ++j) {
            YControl* c = m_rows[static_cast<size_t>(r)].cells[j];
            if (c == nullptr || !c->IsVisible()) continue;
            const int32_t hs = std::min(HorizontalSpan(*c), m_columns - j);
            const int32_t vs = std::min(VerticalSpan(*c), rowCount - r);
            const Track& first = m.columns[static_cast<size_t>(j)];
            const Track& lastColumn = m.columns[static_cast<size_t>(j + hs - 1)];
            const Track& top = m.rows[static_cast<size_t>(r)];
            const Track& lastRow = m.rows[static_cast<size_t>(r + vs - 1)];
            Place(*c, {Saturate(first.start), Saturate(top.start), Saturate(lastColumn.start + lastColumn.extent - 1),
                       Saturate(lastRow.start + lastRow.extent - 1)});
        }
    }
    return YRect::Empty();
}

void YLayoutGrid::ComputeSize(const SizeComputer& computer, YSize& size, YRect& margins) {
    Measures m;
    Measure(computer, m);
    const int64_t gap = Gap();
    const YSize own{Saturate(Total(m.columns, m.columnCounted, gap)), Saturate(Total(m.rows, m.rowCounted, gap))};
    NeedInside(own, size, margins);
}

uint8_t YLayoutGrid::StretchQuery() { return ControlsStretch(); }
