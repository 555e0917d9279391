#include "gui/controls/YProgressBar.h"

#include "gui/controls/YControlAttributes.h"
#include "gui/controls/YControlPaint.h"

#include <algorithm>
#include <cmath>

YProgressBar::YProgressBar(YControl* parent, const YString& id) : YControl(parent, id) {
    SetType(YControlType::kProgressBar);
}

void YProgressBar::Load(const YXMLItem& element) {
    YControl::Load(element);
    double min = m_min, max = m_max, value = m_value;
    YControlAttributes::ReadDouble(element, "mmin", min);
    YControlAttributes::ReadDouble(element, "mmax", max);
    SetRange(min, max);
    if (YControlAttributes::ReadDouble(element, "value", value)) SetValue(value);
}

void YProgressBar::SetRange(double min, double max) {
    if (!std::isfinite(min)) min = 0.0;
    if (!std::isfinite(max)) max = min;
    m_min = std::min(min, max);
    m_max = std::max(min, max);
    SetValue(m_value);
    Repaint();
}

void YProgressBar::SetValue(double value) {
    if (!std::isfinite(value)) value = m_min;
    value = std::clamp(value, m_min, m_max);
    if (value == m_value) return;
    m_value = value;
    Repaint();
}

double YProgressBar::Fraction() const noexcept {
    const double span = m_max - m_min;
    return span > 0.0 ? (m_value - m_min) / span : 0.0;
}

bool YProgressBar::IsVertical() const noexcept { return Size().y > Size().x; }

YSize YProgressBar::ComputeMinimalSize() {
    YSize size = YControl::ComputeMinimalSize();
    return {std::max(size.x, 8), std::max(size.y, 8)};
}

void YProgressBar::Paint(YDrawer& drawer) {
    if (YStyle* style = YStyleOf(*this)) {
        style->DrawProgress(drawer, WindowRect(), Fraction(), IsVertical(), YControlStateOf(*this) & YControlState::kDisabled);
    }
}
