#include "gui/stml/YSTMLItem.h"

#include "gui/stml/YSTMLContext.h"

#include <algorithm>
#include <cmath>

namespace {
// Sizes beyond this are taken as this: a text is never laid out larger.
constexpr double kLargest = 32768.0;
int32_t Clamp(double pixels) noexcept {
    if (!(pixels > 0.0)) return 0;
    return static_cast<int32_t>(std::min(pixels, kLargest));
}
} // namespace

int32_t YSTMLLength::Resolve(const YSTMLLayout& layout, int32_t whole, int32_t fallback) const noexcept {
    switch (unit) {
    case kPixels: return Clamp(value);
    case kPercent: return Clamp(std::floor(whole * value / 100.0 + 0.5));
    case kMetric: return Clamp(layout.Metric(static_cast<int32_t>(value)));
    case kAuto: break;
    }
    return fallback;
}

YSTMLItem::~YSTMLItem() = default;
int32_t YSTMLItem::ChildCount() const noexcept { return 0; }
YSTMLItem* YSTMLItem::Child(int32_t) const noexcept { return nullptr; }

int32_t YSTMLContainer::Layout(YSTMLLayout& layout, int32_t width) {
    int32_t y = 0;
    const int32_t spacing = layout.BlockSpacing();
    bool first = true;
    for (auto& child : m_children) {
        const int32_t height = child->Layout(layout, width);
        if (height <= 0) {
            child->SetBounds(YRect::FromSize(0, y, width, 0));
            continue;
        }
        if (!first) y += spacing;
        first = false;
        child->SetBounds(YRect::FromSize(0, y, width, height));
        y += height;
    }
    return y;
}

int32_t YSTMLContainer::NaturalWidth(YSTMLLayout& layout) {
    int32_t widest = 0;
    for (auto& child : m_children) widest = std::max(widest, child->NaturalWidth(layout));
    return widest;
}

void YSTMLContainer::Paint(YSTMLPainter& painter, YPoint origin) const {
    for (const auto& child : m_children) {
        const YRect& b = child->Bounds();
        if (b.IsEmpty()) continue;
        child->Paint(painter, YPoint{origin.x + b.left, origin.y + b.top});
    }
}

int32_t YSTMLContainer::ChildCount() const noexcept { return static_cast<int32_t>(m_children.size()); }

YSTMLItem* YSTMLContainer::Child(int32_t index) const noexcept {
    return index >= 0 && index < ChildCount() ? m_children[static_cast<size_t>(index)].get() : nullptr;
}

void YSTMLContainer::Describe(YString& out) const { DescribeChildren(out); }

void YSTMLContainer::DescribeChildren(YString& out) const {
    for (size_t i = 0; i < m_children.size(); ++i) {
        if (i) out += u' ';
        m_children[i]->Describe(out);
    }
}

YSTMLItem& YSTMLContainer::Add(std::unique_ptr<YSTMLItem> item) {
    m_children.push_back(std::move(item));
    return *m_children.back();
}
