// YSTMLTableRow and YSTMLTableCell: a row of cells side by side ("tr", "td"). Each row is
// laid out on its own: cells with a width (pixels, metric or percentage of the row) take it,
// "autosize" cells their content's single-line width, and the others share what is left
// equally. A row is as high as its highest cell, or its "height" when that is more (a
// percentage refers to the height the text is laid out in, when the caller gives one).
#pragma once

#include "gui/stml/YSTMLItem.h"
#include "gui/stml/YSTMLValue.h"

class YSTMLAttributes;
class YSTMLTableRow;

class YSTMLTableCell final : public YSTMLContainer {
public:
    static constexpr int32_t kInherit = -1;

    explicit YSTMLTableCell(const YSTMLAttributes& attributes);
    YSTMLItemKind Kind() const noexcept override { return YSTMLItemKind::kTableCell; }
    // The height of the content with the padding around it.
    int32_t Layout(YSTMLLayout& layout, int32_t width) override;
    int32_t NaturalWidth(YSTMLLayout& layout) override;
    void Paint(YSTMLPainter& painter, YPoint origin) const override;
    void Describe(YString& out) const override;

    const YSTMLLength& Width() const noexcept { return m_width; }
    const YSTMLLength& Height() const noexcept { return m_height; }
    bool AutoSize() const noexcept { return m_autoSize; }
    int32_t ContentHeight() const noexcept { return m_contentHeight; }
    // Where the content starts inside the cell after the row placed it.
    YPoint ContentOffset() const noexcept { return m_contentOffset; }

private:
    friend class YSTMLTableRow;
    // Sets padding, border and alphas the cell leaves to its row.
    void Inherit(int32_t padding, int32_t border, int32_t borderAlpha) noexcept;
    // Places the content in a cell of height (by "valign").
    void Place(int32_t height) noexcept;

    YSTMLLength m_width;
    YSTMLLength m_height;
    int32_t m_valign = 0; // top, center, bottom
    int32_t m_padding = kInherit;
    int32_t m_border = kInherit;
    int32_t m_borderAlpha = kInherit;
    int32_t m_fillAlpha = kInherit; // none
    bool m_autoSize = false;
    int32_t m_usedPadding = 2;
    int32_t m_usedBorder = 0;
    int32_t m_usedBorderAlpha = 255;
    int32_t m_contentHeight = 0;
    YPoint m_contentOffset;
};

class YSTMLTableRow final : public YSTMLContainer {
public:
    explicit YSTMLTableRow(const YSTMLAttributes& attributes);
    YSTMLItemKind Kind() const noexcept override { return YSTMLItemKind::kTableRow; }
    int32_t Layout(YSTMLLayout& layout, int32_t width) override;
    int32_t NaturalWidth(YSTMLLayout& layout) override;
    void Describe(YString& out) const override;

    const YSTMLLength& Height() const noexcept { return m_height; }
    int32_t Padding() const noexcept { return m_padding; }
    int32_t CellSpaces() const noexcept { return m_cellSpaces; }

private:
    YSTMLLength m_height;
    int32_t m_padding = 2;
    int32_t m_cellSpaces = 2;
    int32_t m_border = 0;
    int32_t m_borderAlpha = 255;
    int32_t m_align = 0; // left, center, right: where cells that leave room stand
};
