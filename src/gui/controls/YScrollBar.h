// A scroll bar: a position between "mmin" and "mmax" minus the page, moved by its arrows
// (with repeat while held), by paging in the track, by dragging the thumb, by the wheel and,
// when focused, by the arrow, page, Home and End keys.
#pragma once

#include "gui/toolkit/YControl.h"

#include <cstdint>

class YScrollBar : public YControl {
public:
    enum class Part : int32_t { kNone, kDecrease, kIncrease, kTrackBefore, kTrackAfter, kThumb };

    static constexpr uint32_t kFirstRepeatMs = 400;
    static constexpr uint32_t kRepeatMs = 50;
    // Notches of the wheel (120 each) scroll this many increments.
    static constexpr int32_t kWheelSteps = 3;

    YScrollBar(YControl* parent, const YString& id = YString(), bool vertical = true);

    void Load(const YXMLItem& element) override;
    bool HandleEvent(YSystemEvent& event) override;
    void Paint(YDrawer& drawer) override;
    void Timer() override;
    void CaptureLost() override;
    void HoverChanged(bool hovered) override;
    YSize ComputeMinimalSize() override;

    bool IsVertical() const noexcept { return m_vertical; }
    void SetVertical(bool vertical);
    int32_t Minimum() const noexcept { return m_min; }
    int32_t Maximum() const noexcept { return m_max; }
    int32_t PageSize() const noexcept { return m_page; }
    int32_t Increase() const noexcept { return m_increase; }
    int32_t Value() const noexcept { return m_position; }
    // The largest position: the page's start when it ends at the maximum.
    int32_t MaximalPosition() const noexcept;
    // Sets range and page (position clamped; fires OnChange only when the position moved).
    void SetRange(int32_t min, int32_t max, int32_t pageSize);
    void SetIncrease(int32_t increase) noexcept { m_increase = increase < 1 ? 1 : increase; }
    // Clamps; fires OnChange when the position moved.
    void SetValue(int32_t position);
    // Whether there is anything to scroll.
    bool IsScrollable() const noexcept { return MaximalPosition() > m_min; }

    // Geometry of the parts (window coordinates), as painted and hit-tested.
    YRect PartRect(Part part);
    Part PartAt(YPoint windowPoint);
    Part PressedPart() const noexcept { return m_pressed; }

    // The new position after every move.
    YEvent<YOnItemParams<int32_t>> OnChange;

private:
    int32_t Thickness();
    void Step(Part part);
    YRect TrackRect();

    bool m_vertical;
    int32_t m_min = 0;
    int32_t m_max = 100;
    int32_t m_page = 10;
    int32_t m_increase = 1;
    int32_t m_position = 0;

    Part m_pressed = Part::kNone;
    Part m_hoverPart = Part::kNone;
    YPoint m_pressPoint;
    int32_t m_dragStartPosition = 0;
    YPoint m_lastPoint;
};
