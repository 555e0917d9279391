// YSTMLItem: the items a rich text is made of, and YSTMLContainer, the item that holds
// others. Items keep their position relative to their parent's top left corner after a
// layout; painting adds the parent's origin.
#pragma once

#include "foundation/YString.h"
#include "gui/drawing/YGeometry.h"

#include <cstdint>
#include <memory>
#include <vector>

class YSTMLLayout;
class YSTMLPainter;

enum class YSTMLItemKind : int32_t {
    kRoot, kParagraph, kTableRow, kTableCell, kImage, kLine, kRectangle, kIndicator,
};

// A size as written in an attribute: pixels, a percentage of what the item measures against,
// or a style metric by identifier; kAuto when not given.
struct YSTMLLength {
    enum Unit : uint8_t { kAuto, kPixels, kPercent, kMetric };
    Unit unit = kAuto;
    double value = 0.0; // pixels or percent; the metric's identifier

    bool IsAuto() const noexcept { return unit == kAuto; }
    // Pixels for a whole of `whole` pixels; fallback when automatic.
    int32_t Resolve(const YSTMLLayout& layout, int32_t whole, int32_t fallback) const noexcept;
};

class YSTMLItem {
public:
    virtual ~YSTMLItem();                                          // 0
    virtual YSTMLItemKind Kind() const noexcept = 0;               // 1
    // 2: places the item's contents for width pixels; returns the item's height.
    virtual int32_t Layout(YSTMLLayout& layout, int32_t width) = 0;
    // 3: the width the item takes when nothing wraps (automatic table cells).
    virtual int32_t NaturalWidth(YSTMLLayout& layout) = 0;
    // 4: paints the item with its top left corner at origin.
    virtual void Paint(YSTMLPainter& painter, YPoint origin) const = 0;
    virtual int32_t ChildCount() const noexcept;                   // 5
    virtual YSTMLItem* Child(int32_t index) const noexcept;        // 6
    // 7: a compact description of the item and its contents (for logs and tests), such as
    // p(center invert)["Title"].
    virtual void Describe(YString& out) const = 0;

    // Where the last layout put the item, relative to its parent.
    const YRect& Bounds() const noexcept { return m_bounds; }
    void SetBounds(const YRect& bounds) noexcept { m_bounds = bounds; }

protected:
    YSTMLItem() = default;
    YSTMLItem(const YSTMLItem&) = delete;
    YSTMLItem& operator=(const YSTMLItem&) = delete;

private:
    YRect m_bounds;
};

// Holds block items (paragraphs and table rows) stacked from top to bottom, with the
// layout's block spacing between neighbours.
class YSTMLContainer : public YSTMLItem {
public:
    int32_t Layout(YSTMLLayout& layout, int32_t width) override;
    int32_t NaturalWidth(YSTMLLayout& layout) override;
    void Paint(YSTMLPainter& painter, YPoint origin) const override;
    int32_t ChildCount() const noexcept override;
    YSTMLItem* Child(int32_t index) const noexcept override;
    void Describe(YString& out) const override;

    YSTMLItem& Add(std::unique_ptr<YSTMLItem> item);
    void Clear() noexcept { m_children.clear(); }
    YSTMLItem* Last() const noexcept { return m_children.empty() ? nullptr : m_children.back().get(); }

protected:
    // The children's descriptions, separated by blanks.
    void DescribeChildren(YString& out) const;

private:
    std::vector<std::unique_ptr<YSTMLItem>> m_children;
};
