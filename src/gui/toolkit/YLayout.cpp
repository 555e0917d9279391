#include "gui/toolkit/YLayout.h"

#include "foundation/YException.h"
#include "foundation/YXMLItem.h"
#include "gui/toolkit/YControl.h"
#include "gui/toolkit/YStyle.h"

#include <algorithm>
#include <climits>

namespace {

int32_t CurrentExtent(const YControl& c, bool x) {
    if (c.HasFlag(YControlFlag::kPlastic)) {
        return x ? c.MinimalClientSize().x : c.MinimalClientSize().y;
    }
    const YSize size = c.EffectiveSize();
    return x ? size.x : size.y;
}

// extent plus a border on both sides, saturated: absurd numbers from a definition must not wrap.
int32_t WithBorders(int32_t extent, int32_t border) noexcept {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{extent} + 2 * int64_t{border}, INT32_MIN, INT32_MAX));
}

int32_t MinimalExtent(const YControl& c, bool x) {
    const int32_t minimal = x ? c.MinimalClientSize().x : c.MinimalClientSize().y;
    const int32_t ratio = x ? c.layoutRatioX : c.layoutRatioY;
    if (ratio != 0 || c.HasFlag(YControlFlag::kPlastic)) return minimal;
    const YSize size = c.EffectiveSize();
    return std::max(minimal, x ? size.x : size.y);
}

} // namespace

int32_t YLayout::CurrentSizeComputer::ExtentX(const YControl& c) const {
    return WithBorders(CurrentExtent(c, true), c.layoutBorderX);
}
int32_t YLayout::CurrentSizeComputer::ExtentY(const YControl& c) const {
    return WithBorders(CurrentExtent(c, false), c.layoutBorderY);
}

int32_t YLayout::MinimalSizeComputer::ExtentX(const YControl& c) const {
    return WithBorders(MinimalExtent(c, true), c.layoutBorderX);
}
int32_t YLayout::MinimalSizeComputer::ExtentY(const YControl& c) const {
    if (c.HasFlag(YControlFlag::kCollapsed)) return 0;
    return WithBorders(MinimalExtent(c, false), c.layoutBorderY);
}

YLayout::YLayout(YControl& owner) : m_owner(owner) { owner.AddLayout(this); }

YLayout::YLayout(YControl& owner, Internal) noexcept : m_owner(owner) {}

int32_t YLayout::ReadNumber(const YString& text) noexcept {
    // Saturate instead of wrapping, so absurd numbers in a definition stay absurd but sane.
    const int64_t value = text.ToInteger(10);
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

int32_t YLayout::Gap() const {
    const YStyle* style = YStyleOf(m_owner);
    const int64_t base = style != nullptr ? style->Metric(YStyleMetric::kDefLayoutSpace) : 0;
    return static_cast<int32_t>(std::clamp<int64_t>(base + spacing, INT32_MIN, INT32_MAX));
}

int32_t YLayout::PlasticHeight(const YControl& control, int32_t width) {
    YStyle* style = YStyleOf(control);
    return style != nullptr ? style->PlasticHeight(control, width) : control.MinimalClientSize().y;
}

int32_t YLayout::PlasticWidth(const YControl& control, int32_t height) {
    YStyle* style = YStyleOf(control);
    return style != nullptr ? style->PlasticWidth(control, height) : control.MinimalClientSize().x;
}

namespace {

// One axis of the placement rule: the offset and extent of a control in [low, high].
void PlaceOnAxis(int32_t low, int32_t high, int32_t extent, int32_t border, bool fill, uint32_t placement,
                 uint32_t lowBit, uint32_t highBit, int32_t& position, int32_t& size) {
    const int64_t l = low;
    const int64_t h = high;
    if (fill) {
        position = static_cast<int32_t>(std::clamp<int64_t>(l + border, INT32_MIN, INT32_MAX));
        size = static_cast<int32_t>(std::clamp<int64_t>(h - 2 * int64_t{border} - l + 1, 0, INT32_MAX));
        return;
    }
    int64_t p;
    if ((placement & lowBit) != 0) {
        p = l + border;
    } else if ((placement & highBit) != 0) {
        p = h - border - extent;
    } else {
        p = l + (h - l - extent + 1) / 2;
    }
    position = static_cast<int32_t>(std::clamp<int64_t>(p, INT32_MIN, INT32_MAX));
    size = extent;
}

} // namespace

void YLayout::Place(YControl& control, const YRect& slot) {
    const bool plastic = control.HasFlag(YControlFlag::kPlastic);
    const bool collapsed = control.HasFlag(YControlFlag::kCollapsed);
    const YSize current = control.EffectiveSize();
    const YSize stored = control.Size();
    int32_t x = 0, width = 0, y = 0, height = 0;
    const bool fillX = control.layoutRatioX != 0 || plastic;
    // A collapsed control keeps its stored height: it is aligned as a fixed one.
    const bool fillY = (control.layoutRatioY != 0 || plastic) && !collapsed;
    PlaceOnAxis(slot.left, slot.right, current.x, control.layoutBorderX, fillX, control.layoutPlacement,
                YAlignment::kLeft, YAlignment::kRight, x, width);
    PlaceOnAxis(slot.top, slot.bottom, current.y, control.layoutBorderY, fillY, control.layoutPlacement,
                YAlignment::kTop, YAlignment::kBottom, y, height);
    // A fixed extent is the one the control has: keep its stored size (not the collapsed one).
    control.SetPosition(x, y);
    control.SetSize(fillX ? width : stored.x, fillY ? height : stored.y);
}

YLayout::~YLayout() {
    while (m_count > 0) RemoveControl(*m_controls[m_count - 1]);
    delete[] m_controls;
}

void YLayout::Load(const YXMLItem& element) {
    if (const YString* v = element.FindAttribute("layoutspace")) spacing = ReadNumber(*v);
    if (const YString* v = element.FindAttribute("deflayoutborderx")) defaultBorderX = ReadNumber(*v);
    if (const YString* v = element.FindAttribute("deflayoutbordery")) defaultBorderY = ReadNumber(*v);
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

void YLayout::ComputeSize(const SizeComputer& computer, YSize& size, YRect& margins) {
    YSize own;
    for (int32_t i = 0; i < m_count; ++i) {
        const YControl& c = *m_controls[i];
        if (!c.IsVisible()) continue;
        own.x = std::max(own.x, computer.ExtentX(c));
        own.y = std::max(own.y, computer.ExtentY(c));
    }
    NeedInside(own, size, margins);
}

void YLayout::NeedInside(YSize own, YSize& size, const YRect& margins) noexcept {
    const auto total = [](int64_t a, int64_t b, int64_t c) {
        return static_cast<int32_t>(std::clamp<int64_t>(a + b + c, 0, INT32_MAX));
    };
    size.x = std::max(size.x, total(margins.left, margins.right, own.x));
    size.y = std::max(size.y, total(margins.top, margins.bottom, own.y));
}

void YLayout::ComputeMinimalSize(YSize& size, YRect& rect) { ComputeSize(MinimalSizeComputer(), size, rect); }
void YLayout::ComputeCurrentSize(YSize& size, YRect& rect) { ComputeSize(CurrentSizeComputer(), size, rect); }

uint8_t YLayout::StretchQuery() { return 0; }

uint8_t YLayout::ControlsStretch() const {
    uint8_t flags = 0;
    for (int32_t i = 0; i < m_count && flags != (YControl::kStretchX | YControl::kStretchY); ++i) {
        YControl& c = *m_controls[i];
        if (!c.IsVisible()) continue;
        // A leaf stretches by its ratio; a container only when something inside can follow.
        const bool leaf = c.LayoutCount() == 0 && c.ClientControl() == nullptr;
        const uint8_t own = leaf ? (YControl::kStretchX | YControl::kStretchY) : c.StretchQuery();
        if (c.layoutRatioX > 0) flags |= own & YControl::kStretchX;
        if (c.layoutRatioY > 0) flags |= own & YControl::kStretchY;
    }
    return flags;
}

YControl& YLayout::At(int32_t index) const {
    if (index < 0 || index >= m_count) YRaiseIndexOutOfRange();
    return *m_controls[index];
}

bool YLayout::Holds(const YControl& control) const noexcept {
    return std::find(m_controls, m_controls + m_count, &control) != m_controls + m_count;
}
