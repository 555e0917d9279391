#include "modulation/YEnvelopePositionCurve.h"

#include "core/YStorer.h"
#include "modulation/YEnvelopeCurveStore.h"

#include <algorithm>
#include <cmath>

YEnvelopePositionCurve::YEnvelopePositionCurve() : m_computer(IdentityPoints()) {}

YEnvelopeComputer::PointList YEnvelopePositionCurve::IdentityPoints() {
    YEnvelopeComputer::PointList list;
    list.rangeMinimum = 0.0;
    list.rangeMaximum = 1.0;
    YEnvelopeComputer::ControlPoint p;
    list.points.push_back(p);
    p.x = 1.0;
    p.y = 1.0;
    list.points.push_back(p);
    return list;
}

void YEnvelopePositionCurve::SetPoints(const YEnvelopeComputer::PointList& points) { m_computer.Compile(points); }

double YEnvelopePositionCurve::Evaluate(double x) const noexcept {
    const double y = m_computer.Evaluate(x);
    return y >= 0.0 ? std::min(y, 1.0) : 0.0; // also NaN
}

bool YEnvelopePositionCurve::IsIdentity() const noexcept {
    const auto& points = m_computer.Points().points;
    if (points.size() != 2) return false;
    const auto& a = points[0];
    const auto& b = points[1];
    const bool straight = std::abs(a.curvatureY) < 1e-20 && std::abs(a.curvatureX) < 1e-20 &&
                          a.type <= YEnvelopeComputer::kDouble1;
    return straight && a.x == 0.0 && a.y == 0.0 && b.x == 1.0 && b.y == 1.0;
}

void YEnvelopePositionCurve::Store(const YStorer& storer) {
    YEnvelopeComputer::PointList points = m_computer.Points();
    StoreEnvelopeCurve(storer, points, IdentityPoints());
    if (storer.IsWriting()) return;
    points.rangeMinimum = 0.0;
    points.rangeMaximum = 1.0;
    m_computer.Compile(points);
}

std::unique_ptr<YPositionCurve> YEnvelopePositionCurve::Clone() const {
    return std::make_unique<YEnvelopePositionCurve>(*this);
}

std::unique_ptr<YPositionCurve> YEnvelopePositionCurveFactory::CreateCurve() const {
    return std::make_unique<YEnvelopePositionCurve>();
}
