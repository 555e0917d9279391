#include "gui/toolkit/YLayout.h"

#include "foundation/YException.h"
#include "foundation/YXMLItem.h"
#include "gui/toolkit/YControl.h"

#include <algorithm>

namespace {

int32_t ReadInt(const YString& text) { return static_cast<int32_t>(text.ToInteger(10)); }

int32_t CurrentExtent(const YControl& c, bool x) {
    if (c.HasFlag(YControlFlag::kPlastic)) {
        return x ? c.MinimalClientSize().x : c.MinimalClientSize().y;
    }
    const YSize size = c.EffectiveSize();
    return x ? size.x : size.y;
}

} // namespace

int32_t YLayout::CurrentSizeComputer::ExtentX(const YControl& c) const {
    return CurrentExtent(c, true) + 2 * c.layoutBorderX;
}
int32_t YLayout::CurrentSizeComputer::ExtentY(const YControl& c) const {
    return CurrentExtent(c, false) + 2 * c.layoutBorderY;
}

int32_t YLayout::MinimalSizeComputer::ExtentX(const YControl& c) const {
    const int32_t minimal = c.MinimalClientSize().x;
    const int32_t extent = (c.layoutRatioX != 0 || c.HasFlag(YControlFlag::kPlastic))
                               ? minimal
                               : std::max(minimal, c.EffectiveSize().x);
    return extent + 2 * c.layoutBorderX;
}
int32_t YLayout::MinimalSizeComputer::ExtentY(const YControl& c) const {
    if (c.HasFlag(YControlFlag::kCollapsed)) return 0;
    const int32_t minimal = c.MinimalClientSize().y;
    const int32_t extent = (c.layoutRatioY != 0 || c.HasFlag(YControlFlag::kPlastic))
                               ? minimal
                               : std::max(minimal, c.EffectiveSize().y);
    return extent + 2 * c.layoutBorderY;
}

YLayout::YLayout(YControl& owner) : m_owner(owner) { owner.AddLayout(this); }

YLayout::~YLayout() {
    while (m_count > 0) RemoveControl(*m_controls[m_count - 1]);
    delete[] m_controls;
}

void YLayout::Load(const YXMLItem& element) {
    if (const YString* v = element.FindAttribute("layoutspace")) spacing = ReadInt(*v);
    if (const YString* v = element.FindAttribute("deflayoutborderx")) defaultBorderX = ReadInt(*v);
    if (const YString* v = element.FindAttribute("deflayoutbordery")) defaultBorderY = ReadInt(*v);
}

void YLayout::LoadChild(YControl&, const YXMLItem&) {}

void YLayout::AddControl(YControl& control) {
    if (m_count == m_capacity) {
        int32_t capacity = 2;
        while (capacity <= m_count) capacity *= 2;
        auto** grown = new YControl*[static_cast<size_t>(capacity)];
        std::copy(m_controls, m_controls + m_count, grown);
        delete[] m_controls;
        m_controls = grown;
        m_capacity = capacity;
    }
    m_controls[m_count++] = &control;
    control.SetFlag(YControlFlag::kHeldByLayout, true);
    control.SetOwningLayout(this);
    if (defaultBorderX != -1) control.layoutBorderX = defaultBorderX;
    if (defaultBorderY != -1) control.layoutBorderY = defaultBorderY;
}

void YLayout::RemoveControl(YControl& control) {
    auto* end = m_controls + m_count;
    auto* it = std::find(m_controls, end, &control);
    if (it == end) return;
    std::copy(it + 1, end, it);
    --m_count;
    control.SetFlag(YControlFlag::kHeldByLayout, false);
    control.SetOwningLayout(nullptr);
}

void YLayout::AddControlFromDefinition(YControl& control) {
    control.layoutExtraSpace = 0;
    AddControl(control);
}

void YLayout::Hook() {}

YRect YLayout::Arrange(const YRect& rect) { return rect; }

void YLayout::ComputeSize(const SizeComputer& computer, YSize& size, YRect&) {
    for (int32_t i = 0; i < m_count; ++i) {
        const YControl& c = *m_controls[i];
        if (!c.IsVisible()) continue;
        size.x = std::max(size.x, computer.ExtentX(c));
        size.y = std::max(size.y, computer.ExtentY(c));
    }
}

void YLayout::ComputeMinimalSize(YSize& size, YRect& rect) { ComputeSize(MinimalSizeComputer(), size, rect); }
void YLayout::ComputeCurrentSize(YSize& size, YRect& rect) { ComputeSize(CurrentSizeComputer(), size, rect); }

uint8_t YLayout::StretchQuery() { return 0; }

YControl& YLayout::At(int32_t index) const {
    if (index < 0 || index >= m_count) YRaiseIndexOutOfRange();
    return *m_controls[index];
}

bool YLayout::Holds(const YControl& control) const noexcept {
    return std::find(m_controls, m_controls + m_count, &control) != m_controls + m_count;
}
