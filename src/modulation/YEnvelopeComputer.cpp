#include "modulation/YEnvelopeComputer.h"

#include "foundation/YException.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr double kPi = 3.14159265358979323846;
// End x of the closing item: beyond any x a caller asks for.
constexpr double kEndOfCurve = 1.7e308;
constexpr double kTiny = 1e-20;

// Repetitions of the discrete shapes: round(c²·64), half up, at least 1.
double RepeatCount(double curvature) {
    const double n = std::floor(curvature * curvature * 64.0 + 0.5);
    return n >= 1.0 ? n : 1.0;
}

double Fraction(double v) { return v - std::floor(v); }

// Coefficients in u = x − x0 of y0 + Δy·u(t), t = u/Δx, for a "Mode 2" stretch.
void FourthOrderCoefficients(double x0, double y0, double x1, double y1, double c, double (&out)[5]) {
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    double poly[5];
    if (c > 0.0) {
        poly[0] = 0.0;
        poly[1] = 1.0 - c;
        poly[2] = 0.0;
        poly[3] = 0.0;
        poly[4] = c;
    } else {
        poly[0] = 0.0;
        poly[1] = 1.0 - 3.0 * c;
        poly[2] = 6.0 * c;
        poly[3] = -4.0 * c;
        poly[4] = c;
    }
    double scale = 1.0;
    out[0] = y0;
    for (int k = 1; k <= 4; ++k) {
        scale /= dx;
        out[k] = dy * poly[k] * scale;
    }
}

YEnvelopeComputer::ItemFourthOrder MakeFourthOrder(double x0, double y0, double x1, double y1, double c) {
    double coefficients[5];
    FourthOrderCoefficients(x0, y0, x1, y1, c, coefficients);
    return YEnvelopeComputer::ItemFourthOrder(x1, x0, coefficients);
}

// "Smooth 2" slope at point j from its neighbours: flat at the ends of the list, next to
// a vertical step, and at local extremes (so peaks and troughs do not overshoot);
// otherwise the mean of the two secants.
double NeighbourSlope(const std::vector<YEnvelopeComputer::ControlPoint>& points, size_t j) {
    if (j == 0 || j + 1 >= points.size()) return 0.0;
    const auto& before = points[j - 1];
    const auto& here = points[j];
    const auto& after = points[j + 1];
    if (std::fabs(here.x - before.x) <= 1e-50 || std::fabs(after.x - here.x) <= 1e-50) return 0.0;
    if (here.y <= std::min(before.y, after.y) + kTiny) return 0.0;
    if (here.y >= std::max(before.y, after.y) - kTiny) return 0.0;
    return 0.5 * ((here.y - before.y) / (here.x - before.x) + (after.y - here.y) / (after.x - here.x));
}

std::unique_ptr<YEnvelopeComputer::Item> MakeHermite(double x0, double y0, double s0, double x1, double y1,
                                                     double s1) {
    const double d = x1 - x0;
    const double dy = y1 - y0;
    const double b = (3.0 * dy - (2.0 * s0 + s1) * d) / (d * d);
    const double a = (dy - b * d * d - s0 * d) / (d * d * d);
    const double coefficients[4] = {y0, s0, b, a};
    return std::make_unique<YEnvelopeComputer::ItemCubic>(x1, x0, coefficients);
}

// The item of one segment, or nullptr for the smooth kinds, which are built once their
// neighbours exist.
std::unique_ptr<YEnvelopeComputer::Item> MakeSegment(const YEnvelopeComputer::ControlPoint& p0,
                                                     const YEnvelopeComputer::ControlPoint& p1) {
    using YE = YEnvelopeComputer;
    if (p0.type < 0 || p0.type >= YE::kSegmentTypeCount) YRaise("Invalid control point type.");
    const double x0 = p0.x, y0 = p0.y, x1 = p1.x, y1 = p1.y;
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    const double c = p0.curvatureY;
    if (std::fabs(dx) <= 1e-8) return std::make_unique<YE::ItemConstant>(x1, y0);

    switch (p0.type) {
    case YE::kMode1:
    case YE::kMode2:
    case YE::kMode3:
    case YE::kFree1:
    case YE::kDouble1: {
        if (std::fabs(dy) < kTiny) return std::make_unique<YE::ItemConstant>(x1, y0);
        const bool curved =
            std::fabs(c) >= kTiny || (p0.type == YE::kFree1 && std::fabs(p0.curvatureX) >= kTiny);
        if (!curved) {
            const double slope = dy / dx;
            return std::make_unique<YE::ItemLinear>(x1, slope, y0 - slope * x0);
        }
        switch (p0.type) {
        case YE::kMode1: {
            const double s = dy / dx * (1.0 - c);
            const double a = (dy - dx * s) / (dx * dx);
            const double coefficients[3] = {y0, s, a};
            return std::make_unique<YE::ItemQuadratic>(x1, x0, coefficients);
        }
        case YE::kMode2:
            return std::make_unique<YE::ItemFourthOrder>(MakeFourthOrder(x0, y0, x1, y1, c));
        case YE::kMode3:
            return std::make_unique<YE::ItemExponencial>(x0, y0, x1, y1, c);
        case YE::kFree1:
            return std::make_unique<YE::ItemBezier>(x0, y0, x1, y1, p0.curvatureX, c);
        default:
            return std::make_unique<YE::ItemDouble>(x0, y0, x1, y1, c);
        }
    }
    case YE::kSmooth1:
    case YE::kSmooth2:
        return nullptr;
    case YE::kStairs: {
        const double n = RepeatCount(c);
        if (n < 2.0) return std::make_unique<YE::ItemConstant>(x1, y0);
        return std::make_unique<YE::ItemStairs>(x0, y0, x1, y1, n);
    }
    case YE::kPulses: {
        const bool startLow = c > kTiny;
        return std::make_unique<YE::ItemPulses>(x0, x1, startLow ? y0 : y1, startLow ? y1 : y0,
                                                RepeatCount(c));
    }
    default: {
        const bool rising = c >= -1e-50;
        const double a = rising ? y0 : y1;
        const double b = rising ? y1 : y0;
        const double n = RepeatCount(c);
        if (p0.type == YE::kSaw) return std::make_unique<YE::ItemSaw>(x0, x1, a, b, n);
        if (p0.type == YE::kTriangles) return std::make_unique<YE::ItemTriangles>(x0, x1, a, b, n);
        return std::make_unique<YE::ItemSines>(x0, x1, a, b, n);
    }
    }
}

} // namespace

// ---- names ---------------------------------------------------------------------------

const char* YEnvelopeComputer::SegmentTypeName(int32_t type) noexcept {
    static const char* const kNames[kSegmentTypeCount] = {"Mode 1",   "Mode 2",   "Mode 3",    "Free 1",
                                                          "Double 1", "Smooth 1", "Smooth 2",  "Stairs",
                                                          "Pulses",   "Saw",      "Triangles", "Sines"};
    return type >= 0 && type < kSegmentTypeCount ? kNames[type] : nullptr;
}

const char* YEnvelopeComputer::SegmentTypeHelp(int32_t type) noexcept {
    static const char* const kHelp[kSegmentTypeCount] = {
        "Fastest, minimal curvature freedom.",
        "Fast, average curvature freedom.",
        "Very slow, very high curvature freedom.",
        "Normal speed, curvature adjustable in both axes.",
        "Double curved shape.",
        "Fast, no curvature, provides smooth connection between neighboring segments. Faster, but can give "
        "unnecessary curving.",
        "Fast, no curvature, provides smooth connection between neighboring segments. Slower, but usually "
        "gives "
        "less unnecessary curving.",
        "Stairs-like image, curvature controls number of stairs.",
        "Pulses, curvature controls number of pulses.",
        "Saw, curvature controls number of saw teeth.",
        "Triangles, curvature controls number of triangles.",
        "Sines, curvature controls number of waves.",
    };
    return type >= 0 && type < kSegmentTypeCount ? kHelp[type] : nullptr;
}

// ---- items ---------------------------------------------------------------------------

YEnvelopeComputer::Item::~Item() = default;

void YEnvelopeComputer::Item::Render(double* out, double x0, double dx, int32_t n) const noexcept {
    for (int32_t i = 0; i < n; ++i) out[i] = Evaluate(x0 + i * dx);
}

void YEnvelopeComputer::Item::Render(float* out, double x0, double dx, int32_t n) const noexcept {
    for (int32_t i = 0; i < n; ++i) out[i] = static_cast<float>(Evaluate(x0 + i * dx));
}

double YEnvelopeComputer::Item::SlopeAt(double x) const noexcept {
    return (Evaluate(x) - Evaluate(x - 1e-10)) * 1e10;
}

double YEnvelopeComputer::Item::SlopeAfter(double x) const noexcept {
    return (Evaluate(x + 1e-10) - Evaluate(x)) * 1e10;
}

YEnvelopeComputer::ItemExponencial::ItemExponencial(double x0, double y0, double x1, double y1,
                                                    double curvature) noexcept
    : ItemT(x1), m_x0(x0), m_y0(y0), m_dx(x1 - x0), m_dy(y1 - y0), m_k(std::exp(3.0 * curvature)),
      m_invK(1.0 / m_k) {}

double YEnvelopeComputer::ItemExponencial::Value(double x) const noexcept {
    // t stays in [0, 1]: a fractional power of a negative number has no real value. It is
    // divided, not multiplied by 1/Δx, so that x1 gives exactly 1: the curve rises
    // vertically there and would magnify a rounding error into a visible step.
    const double t = std::clamp((x - m_x0) / m_dx, 0.0, 1.0);
    const double inner = std::max(1.0 - std::pow(t, m_k), 0.0);
    return m_y0 + m_dy * (1.0 - std::pow(inner, m_invK));
}

YEnvelopeComputer::ItemBezier::ItemBezier(double x0, double y0, double x1, double y1, double curvatureX,
                                          double curvatureY) noexcept
    : ItemT(x1), m_x0(x0), m_y0(y0) {
    const double controlX = x0 + (x1 - x0) * (curvatureX + 1.0) * 0.5;
    const double controlY = y0 + (y1 - y0) * (curvatureY + 1.0) * 0.5;
    m_a = x0 - 2.0 * controlX + x1;
    m_b = 2.0 * (controlX - x0);
    m_ay = y0 - 2.0 * controlY + y1;
    m_by = 2.0 * (controlY - y0);
    m_direct = std::fabs(m_a) < 1e-10;
}

double YEnvelopeComputer::ItemBezier::Parameter(double x) const noexcept {
    const double u = x - m_x0;
    if (m_direct) return m_b != 0.0 ? u / m_b : 0.0;
    // Root of a·s² + b·s − u = 0 that starts at s = 0, in the form that stays accurate
    // when a is small.
    const double root = std::sqrt(std::max(m_b * m_b + 4.0 * m_a * u, 0.0));
    const double denominator = m_b + root;
    return denominator != 0.0 ? 2.0 * u / denominator : 0.0;
}

double YEnvelopeComputer::ItemBezier::Value(double x) const noexcept {
    const double s = Parameter(x);
    return m_y0 + (m_by + m_ay * s) * s;
}

double YEnvelopeComputer::ItemBezier::Slope(double x) const noexcept {
    const double s = Parameter(x);
    const double dxds = m_direct ? m_b : m_b + 2.0 * m_a * s;
    if (dxds == 0.0) return Item::SlopeAfter(x);
    return (m_by + 2.0 * m_ay * s) / dxds;
}

YEnvelopeComputer::ItemDouble::ItemDouble(double x0, double y0, double x1, double y1,
                                          double curvature) noexcept
    : ItemT(x1), m_midX(0.5 * (x0 + x1)),
      m_first(MakeFourthOrder(x0, y0, 0.5 * (x0 + x1), 0.5 * (y0 + y1), curvature)),
      m_second(MakeFourthOrder(0.5 * (x0 + x1), 0.5 * (y0 + y1), x1, y1, -curvature)) {}

double YEnvelopeComputer::ItemDouble::Value(double x) const noexcept {
    return x < m_midX ? m_first.Value(x) : m_second.Value(x);
}

double YEnvelopeComputer::ItemDouble::SlopeAt(double x) const noexcept {
    return x <= m_midX ? m_first.Derivative(x) : m_second.Derivative(x);
}

double YEnvelopeComputer::ItemDouble::SlopeAfter(double x) const noexcept {
    return x < m_midX ? m_first.Derivative(x) : m_second.Derivative(x);
}

YEnvelopeComputer::ItemStairs::ItemStairs(double x0, double y0, double x1, double y1, double steps) noexcept
    : ItemT(x1), m_x0(x0), m_y0(y0), m_invDx(1.0 / (x1 - x0)), m_n(steps), m_stepHeight((y1 - y0) / steps) {}

double YEnvelopeComputer::ItemStairs::Value(double x) const noexcept {
    return m_y0 + std::floor((x - m_x0) * m_invDx * m_n) * m_stepHeight;
}

YEnvelopeComputer::ItemPulses::ItemPulses(double x0, double x1, double first, double second,
                                          double pulses) noexcept
    : ItemT(x1), m_x0(x0), m_invDx(1.0 / (x1 - x0)), m_halfPeriods(2.0 * pulses), m_first(first),
      m_second(second) {}

double YEnvelopeComputer::ItemPulses::Value(double x) const noexcept {
    const double half = std::floor((x - m_x0) * m_invDx * m_halfPeriods);
    return std::fmod(half, 2.0) == 0.0 ? m_first : m_second;
}

YEnvelopeComputer::ItemSaw::ItemSaw(double x0, double x1, double a, double b, double teeth) noexcept
    : ItemT(x1), m_x0(x0), m_invDx(1.0 / (x1 - x0)), m_n(teeth), m_a(a), m_b(b),
      m_slope((b - a) * teeth / (x1 - x0)) {}

double YEnvelopeComputer::ItemSaw::Value(double x) const noexcept {
    return m_a + (m_b - m_a) * Fraction((x - m_x0) * m_invDx * m_n);
}

YEnvelopeComputer::ItemTriangles::ItemTriangles(double x0, double x1, double a, double b,
                                                double triangles) noexcept
    : ItemT(x1), m_x0(x0), m_invDx(1.0 / (x1 - x0)), m_k(2.0 * triangles - 1.0), m_a(a), m_b(b),
      m_slope((b - a) * (2.0 * triangles - 1.0) / (x1 - x0)) {}

// Position within the rise-and-fall period, 0 … 2.
double YEnvelopeComputer::ItemTriangles::Phase(double x) const noexcept {
    const double m = std::fmod((x - m_x0) * m_invDx * m_k, 2.0);
    return m < 0.0 ? m + 2.0 : m;
}

double YEnvelopeComputer::ItemTriangles::Value(double x) const noexcept {
    return m_a + (m_b - m_a) * (1.0 - std::fabs(Phase(x) - 1.0));
}

double YEnvelopeComputer::ItemTriangles::SlopeAt(double x) const noexcept {
    const double m = Phase(x);
    return m > 0.0 && m <= 1.0 ? m_slope : -m_slope;
}

double YEnvelopeComputer::ItemTriangles::SlopeAfter(double x) const noexcept {
    return Phase(x) < 1.0 ? m_slope : -m_slope;
}

YEnvelopeComputer::ItemSines::ItemSines(double x0, double x1, double a, double b, double waves) noexcept
    : ItemT(x1), m_x0(x0), m_invDx(1.0 / (x1 - x0)), m_mid(0.5 * (a + b)), m_amplitude(0.5 * (b - a)),
      m_frequency(2.0 * kPi * waves - kPi) {}

double YEnvelopeComputer::ItemSines::Value(double x) const noexcept {
    return m_mid + m_amplitude * std::sin((x - m_x0) * m_invDx * m_frequency - 0.5 * kPi);
}

double YEnvelopeComputer::ItemSines::Slope(double x) const noexcept {
    return m_amplitude * std::cos((x - m_x0) * m_invDx * m_frequency - 0.5 * kPi) * m_frequency * m_invDx;
}

// ---- the computer --------------------------------------------------------------------

YEnvelopeComputer::YEnvelopeComputer() { Compile(PointList()); }

YEnvelopeComputer::YEnvelopeComputer(const PointList& points) { Compile(points); }

YEnvelopeComputer::YEnvelopeComputer(const YEnvelopeComputer& other)
    : m_points(other.m_points), m_ends(other.m_ends) {
    m_items.reserve(other.m_items.size());
    for (const auto& item : other.m_items) m_items.push_back(item->Clone());
}

YEnvelopeComputer& YEnvelopeComputer::operator=(const YEnvelopeComputer& other) {
    if (this != &other) {
        YEnvelopeComputer copy(other);
        *this = std::move(copy);
    }
    return *this;
}

YEnvelopeComputer::~YEnvelopeComputer() = default;

void YEnvelopeComputer::Compile(const PointList& list) {
    // Work on a sorted copy; points without a usable x cannot be placed and are left out.
    std::vector<ControlPoint> points;
    points.reserve(list.points.size());
    for (const ControlPoint& p : list.points)
        if (std::isfinite(p.x)) points.push_back(p);
    std::stable_sort(points.begin(), points.end(),
                     [](const ControlPoint& a, const ControlPoint& b) { return a.x < b.x; });

    std::vector<std::unique_ptr<Item>> items;
    if (points.empty()) {
        items.push_back(std::make_unique<ItemConstant>(kEndOfCurve, list.emptyValue));
    } else {
        items.reserve(points.size() + 1);
        items.push_back(std::make_unique<ItemConstant>(points.front().x, points.front().y));
        for (size_t i = 0; i + 1 < points.size(); ++i) items.push_back(MakeSegment(points[i], points[i + 1]));

        // Smooth segments, left to right: the item before is always built by now; an
        // unbuilt smooth item after counts as flat.
        for (size_t i = 0; i + 1 < points.size(); ++i) {
            std::unique_ptr<Item>& slot = items[i + 1];
            if (slot) continue;
            const ControlPoint& p0 = points[i];
            const ControlPoint& p1 = points[i + 1];
            double s0, s1;
            if (p0.type == kSmooth1) {
                s0 = items[i]->SlopeAt(p0.x);
                s1 = i + 2 < items.size() && items[i + 2] ? items[i + 2]->SlopeAfter(p1.x) : 0.0;
            } else {
                s0 = NeighbourSlope(points, i);
                s1 = NeighbourSlope(points, i + 1);
            }
            slot = MakeHermite(p0.x, p0.y, s0, p1.x, p1.y, s1);
        }
        items.push_back(std::make_unique<ItemConstant>(kEndOfCurve, points.back().y));
    }

    std::vector<double> ends;
    ends.reserve(items.size());
    for (const auto& item : items) ends.push_back(item->EndX());
    PointList copy = list;

    m_points = std::move(copy);
    m_items = std::move(items);
    m_ends = std::move(ends);
}

int32_t YEnvelopeComputer::ItemIndexAt(double x) const noexcept {
    const auto it = std::upper_bound(m_ends.begin(), m_ends.end(), x);
    const auto index = static_cast<int32_t>(it - m_ends.begin());
    return std::min(index, static_cast<int32_t>(m_items.size()) - 1);
}

double YEnvelopeComputer::Evaluate(double x) const noexcept { return m_items[ItemIndexAt(x)]->Evaluate(x); }

template <typename T>
void YEnvelopeComputer::RenderRun(T* out, double startX, double step, int32_t count) const noexcept {
    if (out == nullptr || count <= 0) return;
    if (!(step > 0.0) || !std::isfinite(startX) || !std::isfinite(step)) {
        for (int32_t i = 0; i < count; ++i) out[i] = static_cast<T>(Evaluate(startX + i * step));
        return;
    }
    const int32_t last = static_cast<int32_t>(m_items.size()) - 1;
    int32_t index = ItemIndexAt(startX);
    int32_t i = 0;
    while (i < count) {
        int32_t next = count;
        if (index < last) {
            // The first sample at or beyond this item's end, estimated then settled
            // against the same x formula the samples use.
            const double end = m_ends[static_cast<size_t>(index)];
            const double estimate = std::ceil((end - startX) / step);
            next = estimate >= count ? count : std::max(static_cast<int32_t>(estimate), i);
            while (next > i && startX + (next - 1) * step >= end) --next;
            while (next < count && startX + next * step < end) ++next;
        }
        if (next > i) m_items[static_cast<size_t>(index)]->Render(out + i, startX + i * step, step, next - i);
        i = next;
        ++index;
    }
}

void YEnvelopeComputer::Render(double* out, double startX, double step, int32_t count) const noexcept {
    RenderRun(out, startX, step, count);
}

void YEnvelopeComputer::Render(float* out, double startX, double step, int32_t count) const noexcept {
    RenderRun(out, startX, step, count);
}
