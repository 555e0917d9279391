// The stored form of a curve's control points: one "Point" child per point with "x", "y",
// "Type", "CurvatureX" and "Curvature". Shared by every object that keeps a curve.
#pragma once

#include "modulation/YEnvelopeComputer.h"

struct YStorer;

// Writes the points into the curve item (replacing its "Point" children) or reads them back.
// Reading a missing item or one without points gives the defaults; points with non-finite
// coordinates are dropped, x is limited to 0..1, unknown segment types become "Mode 2", and
// the points come back sorted by x.
void StoreEnvelopeCurve(const YStorer& curve, YEnvelopeComputer::PointList& list,
                        const YEnvelopeComputer::PointList& defaults);
