// YPositionCurve: a curve that reshapes a control position before it is mapped onto a range
// (a multiparameter target's Shape). Curves are drawn and evaluated by the modulation layer;
// the core sees only this face and a factory for new ones.
#pragma once

#include <memory>

struct YStorer;

class YPositionCurve {
public:
    virtual ~YPositionCurve() = default;
    // The curve at x in 0..1, limited to 0..1. Never allocates or waits.
    virtual double Evaluate(double x) const noexcept = 0;
    // Whether the curve is the straight line y = x it starts as.
    virtual bool IsIdentity() const noexcept = 0;
    // Reads or writes the curve on its own item ("Shape"); reading a missing item gives the
    // identity.
    virtual void Store(const YStorer& storer) = 0;
    virtual std::unique_ptr<YPositionCurve> Clone() const = 0;
};

class YPositionCurveFactory {
public:
    virtual ~YPositionCurveFactory() = default;
    // A new identity curve.
    virtual std::unique_ptr<YPositionCurve> CreateCurve() const = 0;
};
