#include "gui/toolkit/layouts/YLayoutCorner.h"

#include "foundation/YException.h"
#include "foundation/YXMLItem.h"
#include "gui/toolkit/YControl.h"
#include "gui/toolkit/layouts/YLayoutLinear.h"

#include <algorithm>
#include <climits>

namespace {

int32_t Saturate(int64_t value) noexcept { return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)); }

struct TargetName {
    const char* name;
    YLayoutCorner::Target target;
};
constexpr TargetName kTargetNames[] = {
    {"topleft", YLayoutCorner::kTopLeft}, {"topright", YLayoutCorner::kTopRight},
    {"bottomleft", YLayoutCorner::kBottomLeft}, {"bottomright", YLayoutCorner::kBottomRight},
    {"top", YLayoutCorner::kTop}, {"left", YLayoutCorner::kLeft},
    {"right", YLayoutCorner::kRight}, {"bottom", YLayoutCorner::kBottom},
};

bool SameIgnoringCase(const YString& text, const char* name) noexcept {
    int32_t i = 0;
    for (; name[i] != 0; ++i) {
        if (i >= text.Length()) return false;
        char16_t c = text[i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != static_cast<char16_t>(name[i])) return false;
    }
    return i == text.Length();
}

// The side layout of each strip, by Target - kTop; its direction tells the strip's axis.
constexpr int32_t kStripSide[4] = {1, 0, 2, 3};

} // namespace

// A strip is a side layout the corner keeps to itself; it borrows the corner's spacing.
class YLayoutCorner::Strip_ : public YLayoutSide {
public:
    Strip_(YLayoutCorner& corner, int32_t side) : YLayoutSide(corner.Owner(), side, Internal{}), m_corner(corner) {}
    void Sync() {
        spacing = m_corner.spacing;
        defaultBorderX = m_corner.defaultBorderX;
        defaultBorderY = m_corner.defaultBorderY;
    }

private:
    YLayoutCorner& m_corner;
};

YLayoutCorner::YLayoutCorner(YControl& owner) : YLayout(owner) {
    for (int32_t i = 0; i < 4; ++i) m_strips[i] = new Strip_(*this, kStripSide[i]);
}

YLayoutCorner::~YLayoutCorner() {
    for (YLayoutSide* strip : m_strips) delete strip;
}

bool YLayoutCorner::TargetFromName(const YString& name, Target& target) noexcept {
    for (const TargetName& t : kTargetNames) {
        if (SameIgnoringCase(name, t.name)) {
            target = t.target;
            return true;
        }
    }
    return false;
}

YControl* YLayoutCorner::Corner(Target corner) const noexcept {
    return corner >= kTopLeft && corner <= kBottomRight ? m_corners[corner] : nullptr;
}

YLayoutSide& YLayoutCorner::Strip(Target edge) const {
    if (edge < kTop || edge > kBottom) YRaise("Invalid target for corner layout.");
    return *m_strips[edge - kTop];
}

void YLayoutCorner::AddAt(YControl& control, Target target) {
    if (YLayout* holder = control.OwningLayout()) holder->RemoveControl(control);
    if (target <= kBottomRight) {
        if (m_corners[target] != nullptr) RemoveControl(*m_corners[target]);
        YLayout::AddControl(control);
        m_corners[target] = &control;
    } else {
        auto* strip = static_cast<Strip_*>(m_strips[target - kTop]);
        strip->Sync();
        strip->AddControl(control);
    }
}

void YLayoutCorner::LoadChild(YControl& control, const YXMLItem& element) {
    const YString* name = element.FindAttribute("target");
    Target target;
    if (name == nullptr || !TargetFromName(*name, target)) {
        // The control stays out of the frame rather than in a place nobody asked for.
        RemoveControl(control);
        YRaise("Invalid target for corner layout.");
    }
    AddAt(control, target);
}

void YLayoutCorner::RemoveControl(YControl& control) {
    for (YControl*& corner : m_corners) {
        if (corner == &control) corner = nullptr;
    }
    YLayout::RemoveControl(control);
}

YLayoutCorner::Frame YLayoutCorner::Thickness(const SizeComputer& computer) const {
    Frame f;
    const auto widest = [&](std::initializer_list<const YControl*> controls, bool x) {
        int32_t extent = 0;
        for (const YControl* c : controls) {
            if (c != nullptr && c->IsVisible()) extent = std::max(extent, x ? computer.ExtentX(*c) : computer.ExtentY(*c));
        }
        return extent;
    };
    const auto stripThickness = [&](const YLayoutSide& strip) {
        int32_t extent = 0;
        for (int32_t i = 0; i < strip.Count(); ++i) {
            const YControl& c = strip.At(i);
            if (c.IsVisible()) extent = std::max(extent, strip.IsAlongX() ? computer.ExtentY(c) : computer.ExtentX(c));
        }
        return extent;
    };
    f.left = std::max(widest({m_corners[kTopLeft], m_corners[kBottomLeft]}, true), stripThickness(*m_strips[kLeft - kTop]));
    f.right = std::max(widest({m_corners[kTopRight], m_corners[kBottomRight]}, true), stripThickness(*m_strips[kRight - kTop]));
    f.top = std::max(widest({m_corners[kTopLeft], m_corners[kTopRight]}, false), stripThickness(*m_strips[kTop - kTop]));
    f.bottom = std::max(widest({m_corners[kBottomLeft], m_corners[kBottomRight]}, false), stripThickness(*m_strips[kBottom - kTop]));
    return f;
}

YRect YLayoutCorner::Arrange(const YRect& rect) {
    const Frame f = Thickness(CurrentSizeComputer());
    const int64_t l = rect.left, t = rect.top, r = rect.right, b = rect.bottom;
    const int64_t innerLeft = l + f.left, innerRight = r - f.right, innerTop = t + f.top, innerBottom = b - f.bottom;
    const auto cell = [](int64_t a, int64_t b2, int64_t c, int64_t d) {
        return YRect{Saturate(a), Saturate(b2), Saturate(c), Saturate(d)};
    };
    if (YControl* c = m_corners[kTopLeft]; c != nullptr && c->IsVisible()) Place(*c, cell(l, t, innerLeft - 1, innerTop - 1));
    if (YControl* c = m_corners[kTopRight]; c != nullptr && c->IsVisible()) Place(*c, cell(innerRight + 1, t, r, innerTop - 1));
    if (YControl* c = m_corners[kBottomLeft]; c != nullptr && c->IsVisible()) Place(*c, cell(l, innerBottom + 1, innerLeft - 1, b));
    if (YControl* c = m_corners[kBottomRight]; c != nullptr && c->IsVisible()) Place(*c, cell(innerRight + 1, innerBottom + 1, r, b));
    const int32_t gap = Gap();
    const auto arrangeStrip = [&](Target edge, const YRect& strip) {
        auto* s = static_cast<Strip_*>(m_strips[edge - kTop]);
        s->Sync();
        YLayoutDistribute(*s, strip, !s->IsAlongX(), gap);
    };
    if (f.top > 0) arrangeStrip(kTop, cell(innerLeft, t, innerRight, innerTop - 1));
    if (f.bottom > 0) arrangeStrip(kBottom, cell(innerLeft, innerBottom + 1, innerRight, b));
    if (f.left > 0) arrangeStrip(kLeft, cell(l, innerTop, innerLeft - 1, innerBottom));
    if (f.right > 0) arrangeStrip(kRight, cell(innerRight + 1, innerTop, r, innerBottom));
    return cell(innerLeft + (f.left > 0 ? gap : 0), innerTop + (f.top > 0 ? gap : 0), innerRight - (f.right > 0 ? gap : 0),
                innerBottom - (f.bottom > 0 ? gap : 0));
}

void YLayoutCorner::ComputeSize(const SizeComputer& computer, YSize& size, YRect& margins) {
    const Frame f = Thickness(computer);
    const int32_t gap = Gap();
    // The strips' lengths between the corners.
    int64_t alongX = 0, alongY = 0;
    for (Target edge : {kTop, kBottom}) {
        alongX = std::max<int64_t>(alongX, YLayoutDistributionSize(*m_strips[edge - kTop], computer, false, gap).x);
    }
    for (Target edge : {kLeft, kRight}) {
        alongY = std::max<int64_t>(alongY, YLayoutDistributionSize(*m_strips[edge - kTop], computer, true, gap).y);
    }
    NeedInside({Saturate(int64_t{f.left} + f.right + alongX), Saturate(int64_t{f.top} + f.bottom + alongY)}, size, margins);
    margins.left = Saturate(int64_t{margins.left} + f.left + (f.left > 0 ? gap : 0));
    margins.right = Saturate(int64_t{margins.right} + f.right + (f.right > 0 ? gap : 0));
    margins.top = Saturate(int64_t{margins.top} + f.top + (f.top > 0 ? gap : 0));
    margins.bottom = Saturate(int64_t{margins.bottom} + f.bottom + (f.bottom > 0 ? gap : 0));
}

uint8_t YLayoutCorner::StretchQuery() {
    uint8_t flags = ControlsStretch();
    for (YLayoutSide* strip : m_strips) flags |= strip->StretchQuery();
    return flags;
}
