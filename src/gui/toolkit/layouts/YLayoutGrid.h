// Rows of cells filled in reading order: "columns" cells per row, then the next row. Column
// widths and row heights are the largest of their cells; columns with a ratio share the spare
// width, and with "verticalfill" rows with a ratio share the spare height. A cell may span
// several columns and rows ("hspan", "vspan", kept in the control's extra space: horizontal
// span in the low 16 bits, vertical in the high).
#pragma once

#include "gui/toolkit/YLayout.h"

#include <vector>

class YLayoutGrid : public YLayout {
public:
    static constexpr int32_t kMaxColumns = 32;
    // Spans beyond this are cut (a definition cannot make a cell cover the whole int range).
    static constexpr int32_t kMaxRowSpan = 0x7FFF;

    explicit YLayoutGrid(YControl& owner);
    ~YLayoutGrid() override;

    // "columns" (1-32; other numbers are brought into that range), "verticalfill", and
    // "rows" and "columnspancount", which are kept for the definitions that write them and
    // change nothing (rows come from the cells, spans from "hspan").
    void Load(const YXMLItem& element) override;
    // "hspan", "vspan" (at least 1).
    void LoadChild(YControl& control, const YXMLItem& element) override;
    // The next cell of the current row, replacing a control that was there.
    void AddControl(YControl& control) override;
    void RemoveControl(YControl& control) override;
    // Spans 1 and 1, then the next cell.
    void AddControlFromDefinition(YControl& control) override;
    YRect Arrange(const YRect& rect) override;
    void ComputeSize(const SizeComputer& computer, YSize& size, YRect& margins) override;
    uint8_t StretchQuery() override;

    int32_t Columns() const noexcept { return m_columns; }
    void SetColumns(int32_t columns) noexcept;
    int32_t RowCount() const noexcept { return static_cast<int32_t>(m_rows.size()); }
    // The control in a cell, nullptr for an empty or absent one.
    YControl* Cell(int32_t row, int32_t column) const noexcept;
    // Whether each visible cell of a row (spanning at most one row) is plastic, as the last
    // arrangement or size computation found it.
    bool IsRowAllPlastic(int32_t row) const noexcept;

    int32_t rows = 0;
    bool verticalFill = false;
    int32_t columnSpanCount = 0;

    static int32_t HorizontalSpan(const YControl& control) noexcept;
    static int32_t VerticalSpan(const YControl& control) noexcept;
    static void SetSpans(YControl& control, int32_t horizontal, int32_t vertical) noexcept;

private:
    struct Row {
        YControl* cells[kMaxColumns] = {};
        int32_t height = 0;
        int32_t ratio = 0;
        bool allPlastic = false;
    };
    struct Track {
        int64_t start = 0;
        int64_t extent = 0;
    };

    struct Measures {
        std::vector<Track> columns, rows;
        std::vector<int32_t> columnRatios, rowRatios;
        std::vector<bool> columnCounted, rowCounted;
    };
    // Row heights and ratios, column widths and ratios, from the cells.
    void Measure(const SizeComputer& computer, Measures& m);
    // Sizes the tracks with a ratio from the spare length and lays all of them out from start.
    static void Lay(std::vector<Track>& tracks, const std::vector<bool>& counted, const std::vector<int32_t>& ratios,
                    bool share, int64_t start, int64_t length, int64_t gap);
    static int64_t Total(const std::vector<Track>& tracks, const std::vector<bool>& counted, int64_t gap);

    std::vector<Row> m_rows;
    int32_t m_columns = 1;
    int32_t m_row = 0;
    int32_t m_column = 0;
};
