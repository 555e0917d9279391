// YLayout: the base of the strategies that place a control's children. A layout registers
// with its owner when created (the owner destroys it) and holds an ordered list of controls.
// The kinds (rows, columns, bands, grids...) derive from it (gui/toolkit/layouts); the base
// places nothing.
//
// The virtual operations keep a fixed order of 12 slots (numbers in the comments).
//
// Size computations (slots 8-10) run over the owner's layouts in creation order, as Arrange
// does. size is the least size the owner needs so far; rect is not a rectangle of the owner
// but the margins the layouts before took off each edge (left, top, right, bottom, all 0 at
// the start): a band adds its thickness to its edge, a layout that fills the rest needs its
// own size plus those margins.
#pragma once

#include "foundation/YString.h"
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
    // Slots 1 and 2 read numbers with this rule: an optional "-", then decimal digits up to
    // the first other character; text without digits reads 0.
    static int32_t ReadNumber(const YString& text) noexcept;
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

    // The gap between consecutive controls: the style's "deflayoutspace" plus spacing.
    int32_t Gap() const;
    // The style's plastic-size computation for control (without borders): its height at a
    // width, its width at a height. Without a style, its minimal client size.
    static int32_t PlasticHeight(const YControl& control, int32_t width);
    static int32_t PlasticWidth(const YControl& control, int32_t height);
    // Places control in a slot (owner client coordinates): a fixed extent is aligned by the
    // placement bits (centred without one), a stretching or plastic one fills the slot less
    // its borders. A collapsed control keeps its stored height. The control relays out its
    // own children when its size changes.
    static void Place(YControl& control, const YRect& slot);

    // Raises size to what a layout needing own inside the margins takes.
    static void NeedInside(YSize own, YSize& size, const YRect& margins) noexcept;

protected:
    // The stretch bits of the visible controls of the list: kStretchX for one with a positive
    // ratio x that stretches itself (a control without layouts or client control does; one
    // with them, when its own query says so), kStretchY likewise.
    uint8_t ControlsStretch() const;

    // An inner layout that a composite layout keeps for itself: not in owner's list, so the
    // owner neither runs nor destroys it.
    struct Internal {};
    YLayout(YControl& owner, Internal) noexcept;

private:
    YControl& m_owner;
    YControl** m_controls = nullptr;
    int32_t m_count = 0;
    int32_t m_capacity = 0;
};
