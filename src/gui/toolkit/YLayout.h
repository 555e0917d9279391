// YLayout: the base of the strategies that place a control's children. A layout registers
// with its owner when created (the owner destroys it) and holds an ordered list of controls.
// The kinds (rows, columns, bands, grids...) derive from it; the base places nothing.
//
// The virtual operations keep a fixed order of 12 slots (numbers in the comments).
#pragma once

#include "gui/drawing/YGeometry.h"

#include <cstdint>

class YControl;
class YXMLItem;

class YLayout {
public:
    // How a layout measures one control along each axis.
    class SizeComputer {
    public:
        virtual ~SizeComputer() = default;
        virtual int32_t ExtentX(const YControl& control) const = 0;
        virtual int32_t ExtentY(const YControl& control) const = 0;
    };
    // The size the control has now (plus its borders).
    class CurrentSizeComputer : public SizeComputer {
    public:
        int32_t ExtentX(const YControl& control) const override;
        int32_t ExtentY(const YControl& control) const override;
    };
    // The least size the control accepts (plus its borders).
    class MinimalSizeComputer : public SizeComputer {
    public:
        int32_t ExtentX(const YControl& control) const override;
        int32_t ExtentY(const YControl& control) const override;
    };

    // Registers with owner, which owns the layout from then on.
    explicit YLayout(YControl& owner);
    YLayout(const YLayout&) = delete;
    YLayout& operator=(const YLayout&) = delete;

    // 0: removes every control (slot 4), then frees the list.
    virtual ~YLayout();
    // 1: reads the layout's own attributes ("layoutspace", "deflayoutborderx/y").
    virtual void Load(const YXMLItem& element);
    // 2: reads the per-child attributes of a child's element (none in the base).
    virtual void LoadChild(YControl& control, const YXMLItem& element);
    // 3: appends a control, marks it held by this layout and applies the default borders
    // that are not -1.
    virtual void AddControl(YControl& control);
    // 4: takes a control out of the list and clears its layout links.
    virtual void RemoveControl(YControl& control);
    // 5: adds a control from a definition (its extra space reset to 0).
    virtual void AddControlFromDefinition(YControl& control);
    // 6: common hook (nothing in the base).
    virtual void Hook();
    // 7: places the controls inside a rectangle (owner client coordinates) and returns what
    // remains for the next layout. The base places nothing and returns the rectangle.
    virtual YRect Arrange(const YRect& rect);
    // 8: accumulates the size its controls need into size (the base: the largest extent
    // of each visible control, with rect unchanged).
    virtual void ComputeSize(const SizeComputer& computer, YSize& size, YRect& rect);
    // 9, 10: slot 8 with the minimal and the current size computer.
    virtual void ComputeMinimalSize(YSize& size, YRect& rect);
    virtual void ComputeCurrentSize(YSize& size, YRect& rect);
    // 11: stretch query (the base answers 0).
    virtual uint8_t StretchQuery();

    YControl& Owner() const noexcept { return m_owner; }
    int32_t Count() const noexcept { return m_count; }
    int32_t Capacity() const noexcept { return m_capacity; }
    // Raises "Index out of range.".
    YControl& At(int32_t index) const;
    bool Holds(const YControl& control) const noexcept;

    int32_t spacing = 0;         // added to the style's spacing between controls
    int32_t defaultBorderX = -1; // -1: the control keeps its borders
    int32_t defaultBorderY = -1;
    int32_t direction = 0;       // orientation or side, by kind

private:
    YControl& m_owner;
    YControl** m_controls = nullptr;
    int32_t m_count = 0;
    int32_t m_capacity = 0;
};
