#include "core/YSettingsMorph.h"

#include <algorithm>

namespace {

double Limit(double v) noexcept { return v >= 0.0 ? (v <= 1.0 ? v : 1.0) : 0.0; } // NaN goes to 0

} // namespace

int32_t YSettingsMorph::NearestCorner(double x, double y) noexcept {
    return (Limit(x) >= 0.5 ? 1 : 0) + (Limit(y) >= 0.5 ? 2 : 0);
}

std::array<double, YSettingsMorph::kCorners> YSettingsMorph::Weights(double x, double y) noexcept {
    x = Limit(x);
    y = Limit(y);
    return {(1.0 - x) * (1.0 - y), x * (1.0 - y), (1.0 - x) * y, x * y};
}

double YSettingsMorph::Mix(const Entry& entry, double x, double y) noexcept {
    if (entry.Mixing == Rule::Nearest) return entry.Corner[static_cast<size_t>(NearestCorner(x, y))];
    const std::array<double, kCorners> w = Weights(x, y);
    // Corners with no weight are left out, so a corner's value comes back exactly and a
    // value shared by the corners in play does not drift by rounding.
    double sum = 0.0;
    double first = 0.0;
    bool same = true;
    bool any = false;
    for (size_t c = 0; c < kCorners; ++c) {
        if (w[c] == 0.0) continue;
        if (!any) first = entry.Corner[c];
        else if (entry.Corner[c] != first) same = false;
        any = true;
        sum += w[c] * entry.Corner[c];
    }
    if (same) return first;
    return std::clamp(sum, 0.0, 1.0);
}
