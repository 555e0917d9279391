#include "effect/YSaturationCurve.h"

#include "foundation/YException.h"

#include <algorithm>
#include <cmath>

void YSaturationCurve::Configure(int32_t kind, double threshold) {
    if (kind != kRationalCubic) YRaise("Invalid saturation curve.");
    if (std::isnan(threshold)) threshold = 0.0;
    threshold = std::clamp(threshold, 0.0, 0.999);
    m_kind = kind;
    m_threshold = threshold;
    m_inputScale = 3.0 / (1.0 - threshold);
    m_outputScale = (1.0 - threshold) / 3.0;
    m_normalization = 1.0;
    m_normalization = 1.0 / (Curve(1.0 - threshold) + threshold);
}
