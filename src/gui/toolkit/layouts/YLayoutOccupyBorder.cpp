#include "gui/toolkit/layouts/YLayoutOccupyBorder.h"

#include "foundation/YException.h"
#include "foundation/YXMLItem.h"

#include <algorithm>
#include <climits>

namespace {

int32_t Saturate(int64_t value) noexcept { return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)); }

} // namespace

YLayoutOccupyBorder::YLayoutOccupyBorder(YControl& owner, int32_t l, int32_t t, int32_t r, int32_t b)
    : YLayout(owner), left(std::max(0, l)), top(std::max(0, t)), right(std::max(0, r)), bottom(std::max(0, b)) {}

void YLayoutOccupyBorder::Load(const YXMLItem& element) {
    YLayout::Load(element);
    if (const YString* v = element.FindAttribute("left")) left = std::max(0, ReadNumber(*v));
    if (const YString* v = element.FindAttribute("top")) top = std::max(0, ReadNumber(*v));
    if (const YString* v = element.FindAttribute("right")) right = std::max(0, ReadNumber(*v));
    if (const YString* v = element.FindAttribute("bottom")) bottom = std::max(0, ReadNumber(*v));
}

void YLayoutOccupyBorder::AddControlFromDefinition(YControl&) {
    YRaiseNotImplemented("add control to occupy-space layout");
}

YRect YLayoutOccupyBorder::Arrange(const YRect& rect) {
    return {Saturate(int64_t{rect.left} + left), Saturate(int64_t{rect.top} + top), Saturate(int64_t{rect.right} - right),
            Saturate(int64_t{rect.bottom} - bottom)};
}

void YLayoutOccupyBorder::ComputeSize(const SizeComputer&, YSize& size, YRect& margins) {
    // At least the borders themselves; what follows sits inside them, one gap further in
    // when the layout holds controls.
    NeedInside({Saturate(int64_t{left} + right), Saturate(int64_t{top} + bottom)}, size, margins);
    const int32_t gap = Count() > 0 ? Gap() : 0;
    margins.left = Saturate(int64_t{margins.left} + left + (left > 0 ? gap : 0));
    margins.right = Saturate(int64_t{margins.right} + right + (right > 0 ? gap : 0));
    margins.top = Saturate(int64_t{margins.top} + top + (top > 0 ? gap : 0));
    margins.bottom = Saturate(int64_t{margins.bottom} + bottom + (bottom > 0 ? gap : 0));
}
