#include "modulation/YEnvelopeCurveStore.h"

#include "core/YStorer.h"
#include "foundation/YXMLItem.h"

#include <algorithm>
#include <cmath>

namespace {

void StorePoint(const YStorer& point, YEnvelopeComputer::ControlPoint& p) {
    point.Double("x", p.x, 0.0);
    point.Double("y", p.y, 0.0);
    point.Integer("Type", p.type, YEnvelopeComputer::kMode2);
    point.Double("CurvatureX", p.curvatureX, 0.0);
    point.Double("Curvature", p.curvatureY, 0.0);
}

} // namespace

void StoreEnvelopeCurve(const YStorer& curve, YEnvelopeComputer::PointList& list,
                        const YEnvelopeComputer::PointList& defaults) {
    if (curve.IsWriting()) {
        if (curve.Item == nullptr) return;
        while (YXMLItem* old = curve.Item->FindChild("Point")) curve.Item->RemoveChild(*old);
        for (auto& p : list.points) StorePoint(YStorer{true, &curve.Item->AddChild("Point")}, p);
        return;
    }
    if (!curve.Item || !curve.Item->FindChild("Point")) {
        list = defaults;
        return;
    }
    list = YEnvelopeComputer::PointList{};
    for (YXMLItem::Iterator it(*curve.Item, "Point"); it.IsValid(); it.Next()) {
        YEnvelopeComputer::ControlPoint p;
        StorePoint(YStorer{false, &*it}, p);
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) continue;
        if (!std::isfinite(p.curvatureX)) p.curvatureX = 0.0;
        if (!std::isfinite(p.curvatureY)) p.curvatureY = 0.0;
        p.x = std::clamp(p.x, 0.0, 1.0);
        if (p.type < 0 || p.type >= YEnvelopeComputer::kSegmentTypeCount) p.type = YEnvelopeComputer::kMode2;
        list.points.push_back(p);
    }
    std::stable_sort(list.points.begin(), list.points.end(), [](const auto& a, const auto& b) { return a.x < b.x; });
}
