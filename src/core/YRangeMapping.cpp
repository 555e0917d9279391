#include "core/YRangeMapping.h"

#include <algorithm>

namespace {

const char* const kModeNames[YRange::kModeCount] = {"Up and down", "Full range", "Up only", "Down only",
                                                     "Interval"};

} // namespace

const char* YRange::ModeName(int32_t mode) noexcept {
    return mode >= 0 && mode < kModeCount ? kModeNames[mode] : nullptr;
}

int32_t YRange::ClampMode(int32_t mode) noexcept { return std::clamp(mode, 0, kModeCount - 1); }

double YRange::Map(double t) const noexcept {
    if (Invert) t = -t;
    const double v = Value;
    const double r = Range;
    const double s = (t + 1.0) * 0.5;
    switch (ClampMode(Mode)) {
    case kRangeUpAndDown: {
        const double h = r * 0.5;
        if (std::min(v, 1.0 - v) > h) return v + h * t;
        // Not enough room on one side: the interval shrinks around the value.
        return 1.0 - v > v ? v + v * t : v + (1.0 - v) * t;
    }
    case kRangeFullRange: {
        const double h = r * 0.5;
        double c = v;
        if (h > 1.0 - h || v < h)
            c = h;
        else if (v > 1.0 - h)
            c = 1.0 - h;
        return c + h * t;
    }
    case kRangeUpOnly:
        return v + s * std::min(r, 1.0 - v);
    case kRangeDownOnly:
        return v - s * std::min(r, v);
    default:
        return v + (MaxValue - v) * s;
    }
}
