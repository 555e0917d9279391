#include "gui/controls/YScrollBar.h"

#include "gui/controls/YControlAttributes.h"
#include "gui/controls/YControlPaint.h"
#include "gui/toolkit/YWindowSystem.h"

#include <algorithm>

namespace {
constexpr int32_t kThickness = 14;
constexpr int32_t kMinimalThumb = 10;
} // namespace

YScrollBar::YScrollBar(YControl* parent, const YString& id, bool vertical)
    : YControl(parent, id), m_vertical(vertical) {
    SetType(vertical ? YControlType::kVScrollBar : YControlType::kHScrollBar);
    SetUpEvents(YControlUpEvents::kLeftUp);
}

void YScrollBar::Load(const YXMLItem& element) {
    YControl::Load(element);
    using namespace YControlAttributes;
    bool vertical = m_vertical;
    if (ReadFlag(element, "vertical", vertical)) SetVertical(vertical);
    int32_t min = m_min, max = m_max, page = m_page, increase = m_increase, position = m_position;
    ReadInt(element, "mmin", min);
    ReadInt(element, "mmax", max);
    ReadInt(element, "pagesize", page);
    if (ReadInt(element, "increase", increase)) SetIncrease(increase);
    SetRange(min, max, page);
    if (ReadInt(element, "position", position)) SetValue(position);
}

void YScrollBar::SetVertical(bool vertical) {
    m_vertical = vertical;
    SetType(vertical ? YControlType::kVScrollBar : YControlType::kHScrollBar);
    Repaint();
}

int32_t YScrollBar::MaximalPosition() const noexcept { return std::max(m_min, m_max - m_page); }

void YScrollBar::SetRange(int32_t min, int32_t max, int32_t pageSize) {
    m_min = min;
    m_max = std::max(min, max);
    m_page = std::max(0, pageSize);
    Repaint();
    SetValue(m_position);
}

void YScrollBar::SetValue(int32_t position) {
    position = std::clamp(position, m_min, MaximalPosition());
    if (position == m_position) return;
    m_position = position;
    Repaint();
    YOnItemParams<int32_t> params{this, m_position};
    OnChange.Fire(params);
}

int32_t YScrollBar::Thickness() {
    const YRect r = WindowRect();
    return std::max(1, m_vertical ? r.Width() : r.Height());
}

YSize YScrollBar::ComputeMinimalSize() {
    YSize size = YControl::ComputeMinimalSize();
    if (m_vertical) {
        size.x = std::max(size.x, kThickness);
        size.y = std::max(size.y, 2 * kThickness + kMinimalThumb);
    } else {
        size.y = std::max(size.y, kThickness);
        size.x = std::max(size.x, 2 * kThickness + kMinimalThumb);
    }
    return size;
}

YRect YScrollBar::TrackRect() {
    const YRect r = WindowRect();
    const int32_t t = Thickness();
    // The arrows are squares at both ends, shrunk when the bar is too short for both.
    const int32_t length = m_vertical ? r.Height() : r.Width();
    const int32_t arrow = std::min(t, length / 2);
    return m_vertical ? YRect{r.left, r.top + arrow, r.right, r.bottom - arrow}
                      : YRect{r.left + arrow, r.top, r.right - arrow, r.bottom};
}

YRect YScrollBar::PartRect(Part part) {
    const YRect r = WindowRect();
    const YRect track = TrackRect();
    switch (part) {
    case Part::kDecrease:
        return m_vertical ? YRect{r.left, r.top, r.right, track.top - 1} : YRect{r.left, r.top, track.left - 1, r.bottom};
    case Part::kIncrease:
        return m_vertical ? YRect{r.left, track.bottom + 1, r.right, r.bottom}
                          : YRect{track.right + 1, r.top, r.right, r.bottom};
    default:
        break;
    }
    const int32_t length = m_vertical ? track.Height() : track.Width();
    const int32_t span = m_max - m_min;
    int32_t thumbLength = length;
    int32_t offset = 0;
    if (span > 0 && m_page < span) {
        thumbLength = std::clamp(static_cast<int32_t>(static_cast<int64_t>(length) * m_page / span),
                                 std::min(kMinimalThumb, length), length);
        const int32_t travel = MaximalPosition() - m_min;
        if (travel > 0) {
            offset = static_cast<int32_t>(static_cast<int64_t>(length - thumbLength) * (m_position - m_min) / travel);
        }
    }
    const int32_t start = (m_vertical ? track.top : track.left) + offset;
    const int32_t end = start + thumbLength - 1;
    const int32_t trackStart = m_vertical ? track.top : track.left;
    const int32_t trackEnd = m_vertical ? track.bottom : track.right;
    auto span_ = [&](int32_t a, int32_t b) {
        return m_vertical ? YRect{track.left, a, track.right, b} : YRect{a, track.top, b, track.bottom};
    };
    switch (part) {
    case Part::kThumb: return span_(start, end);
    case Part::kTrackBefore: return span_(trackStart, start - 1);
    case Part::kTrackAfter: return span_(end + 1, trackEnd);
    default: return YRect::Empty();
    }
}

YScrollBar::Part YScrollBar::PartAt(YPoint p) {
    for (Part part : {Part::kDecrease, Part::kIncrease, Part::kThumb, Part::kTrackBefore, Part::kTrackAfter}) {
        if (PartRect(part).Contains(p)) return part;
    }
    return Part::kNone;
}

void YScrollBar::Step(Part part) {
    const int32_t page = std::max(m_page, 1);
    switch (part) {
    case Part::kDecrease: SetValue(m_position - m_increase); break;
    case Part::kIncrease: SetValue(m_position + m_increase); break;
    case Part::kTrackBefore:
        // Paging stops once the thumb reaches the pointer.
        if (!PartRect(Part::kThumb).Contains(m_lastPoint) && PartAt(m_lastPoint) == Part::kTrackBefore) {
            SetValue(m_position - page);
        }
        break;
    case Part::kTrackAfter:
        if (!PartRect(Part::kThumb).Contains(m_lastPoint) && PartAt(m_lastPoint) == Part::kTrackAfter) {
            SetValue(m_position + page);
        }
        break;
    default: break;
    }
}

bool YScrollBar::HandleEvent(YSystemEvent& event) {
    switch (event.code) {
    case YEventCode::kLeftDown: {
        m_lastPoint = event.point;
        m_pressed = PartAt(event.point);
        m_pressPoint = event.point;
        m_dragStartPosition = m_position;
        if (m_pressed != Part::kThumb && m_pressed != Part::kNone) {
            Step(m_pressed);
            if (YWindowSystem* system = WindowSystem()) system->SetTimer(*this, kFirstRepeatMs);
        }
        Repaint();
        return true;
    }
    case YEventCode::kMouseMove:
        m_lastPoint = event.point;
        if (m_pressed == Part::kThumb) {
            const YRect track = TrackRect();
            const int32_t length = m_vertical ? track.Height() : track.Width();
            const YRect thumb = PartRect(Part::kThumb);
            const int32_t free = length - (m_vertical ? thumb.Height() : thumb.Width());
            const int32_t moved = m_vertical ? event.point.y - m_pressPoint.y : event.point.x - m_pressPoint.x;
            const int32_t travel = MaximalPosition() - m_min;
            if (free > 0) {
                // Rounded to the nearest position, so the thumb follows the pointer.
                const int64_t delta = (static_cast<int64_t>(moved) * travel * 2 + (moved >= 0 ? free : -free)) / (2 * free);
                SetValue(m_dragStartPosition + static_cast<int32_t>(delta));
            }
            return true;
        }
        if (m_pressed == Part::kNone) {
            const Part hover = PartAt(event.point);
            if (hover != m_hoverPart) {
                m_hoverPart = hover;
                Repaint();
            }
        }
        return m_pressed != Part::kNone;
    case YEventCode::kLeftUp:
        if (m_pressed != Part::kNone) {
            if (YWindowSystem* system = WindowSystem()) system->SetTimer(*this, 0);
            m_pressed = Part::kNone;
            Repaint();
        }
        return true;
    case YEventCode::kWheel: {
        const int32_t steps = -event.extra * kWheelSteps / 120;
        SetValue(m_position + steps * m_increase);
        return true;
    }
    case YEventCode::kKeyDown: {
        const int32_t page = std::max(m_page, 1);
        const bool back = m_vertical ? event.keyCode == YKey::kUp : event.keyCode == YKey::kLeft;
        const bool forward = m_vertical ? event.keyCode == YKey::kDown : event.keyCode == YKey::kRight;
        if (back) SetValue(m_position - m_increase);
        else if (forward) SetValue(m_position + m_increase);
        else if (event.keyCode == YKey::kPrior) SetValue(m_position - page);
        else if (event.keyCode == YKey::kNext) SetValue(m_position + page);
        else if (event.keyCode == YKey::kHome) SetValue(m_min);
        else if (event.keyCode == YKey::kEnd) SetValue(MaximalPosition());
        else return false;
        return true;
    }
    default:
        return false;
    }
}

void YScrollBar::Timer() {
    if (m_pressed == Part::kNone || m_pressed == Part::kThumb) {
        if (YWindowSystem* system = WindowSystem()) system->SetTimer(*this, 0);
        return;
    }
    // Arrows repeat only while the pointer stays on them.
    if (PartAt(m_lastPoint) == m_pressed || m_pressed == Part::kTrackBefore || m_pressed == Part::kTrackAfter) {
        Step(m_pressed);
    }
    if (YWindowSystem* system = WindowSystem()) system->SetTimer(*this, kRepeatMs);
}

void YScrollBar::CaptureLost() {
    YControl::CaptureLost();
    if (YWindowSystem* system = WindowSystem()) system->SetTimer(*this, 0);
    m_pressed = Part::kNone;
    Repaint();
}

void YScrollBar::HoverChanged(bool hovered) {
    if (!hovered) m_hoverPart = Part::kNone;
    Repaint();
}

// ---- painting ----

void YScrollBar::Paint(YDrawer& drawer) {
    YStyle* style = YStyleOf(*this);
    if (style == nullptr) return;
    uint32_t base = YControlStateOf(*this) & YControlState::kDisabled;
    if (!IsScrollable()) base |= YControlState::kDisabled;
    auto stateOf = [&](Part part) {
        uint32_t state = base;
        if (m_pressed == part) state |= YControlState::kClicked;
        else if (m_hoverPart == part && m_pressed == Part::kNone) state |= YControlState::kHighlighted;
        return state;
    };
    style->DrawScrollBarPart(drawer, TrackRect(), YScrollBarPart::kTrack, m_vertical, base);
    style->DrawScrollBarPart(drawer, PartRect(Part::kDecrease), YScrollBarPart::kDecrease, m_vertical, stateOf(Part::kDecrease));
    style->DrawScrollBarPart(drawer, PartRect(Part::kIncrease), YScrollBarPart::kIncrease, m_vertical, stateOf(Part::kIncrease));
    if (IsScrollable()) {
        style->DrawScrollBarPart(drawer, PartRect(Part::kThumb), YScrollBarPart::kThumb, m_vertical, stateOf(Part::kThumb));
    }
}
