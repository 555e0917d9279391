// YEnvelopePositionCurve: a position curve drawn with control points and evaluated by the
// envelope computer; starts as the straight line from (0, 0) to (1, 1).
#pragma once

#include "core/YPositionCurve.h"
#include "modulation/YEnvelopeComputer.h"

class YEnvelopePositionCurve : public YPositionCurve {
public:
    YEnvelopePositionCurve();

    static YEnvelopeComputer::PointList IdentityPoints();

    // Raises "Invalid control point type." for an unknown segment type (the curve stays).
    void SetPoints(const YEnvelopeComputer::PointList& points);
    const YEnvelopeComputer::PointList& Points() const noexcept { return m_computer.Points(); }

    double Evaluate(double x) const noexcept override;
    bool IsIdentity() const noexcept override;
    void Store(const YStorer& storer) override;
    std::unique_ptr<YPositionCurve> Clone() const override;

private:
    YEnvelopeComputer m_computer;
};

class YEnvelopePositionCurveFactory : public YPositionCurveFactory {
public:
    std::unique_ptr<YPositionCurve> CreateCurve() const override;
};
