// Follows a parameter that the host sets once per block. A staircase of block values, or a
// straight ramp across each block, bends sharply at every block start and rings at the block
// rate; this follows the values with a cubic B-spline whose knots are the moments new values
// arrive, so its slope and its bend never jump and the block-rate images fall by the spline's
// sinc⁴ (a quadratic's sinc³ left the images of a swept delay, which swings the phase of
// everything through it by radians, audible). A new value is reached within three of the
// intervals between values; on a regular grid the curve runs two intervals behind.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

class VornikAutomationSmoother {
public:
    // Shortest and longest interval between values the spline spans; a value after a longer
    // rest glides over the longest.
    static constexpr int32_t kShortestSpan = 16;
    static constexpr int32_t kLongestSpan = 4096;
    // Longest segment a steepest slope may ask for (about a minute at 48 kHz).
    static constexpr double kLongestGlide = 1 << 22;

    // Stands still at value.
    void Reset(double value) noexcept {
        m_p[0] = m_p[1] = m_p[2] = m_p[3] = value;
        m_stage = 0;
        m_position = 0;
        m_sinceValue = kLongestSpan;
    }

    // Takes the host's value at a block start; a changed value starts a new segment from
    // where the curve is now, with the slope and bend it has now. With a steepest slope, a
    // jump the usual span would cross faster takes as long as that slope needs.
    void Take(double value, double steepest = INFINITY) noexcept {
        if (value == m_p[3]) return;
        const double y = Value(), slope = Slope(), bend = Bend();
        double span = static_cast<double>(std::clamp<int64_t>(m_sinceValue, kShortestSpan, kLongestSpan));
        StartSegment(y, slope, bend, value, span);
        if (std::isfinite(steepest) && steepest > 0.0) {
            // The steepest point of the three segments falls as the span grows; a few longer
            // tries reach it (from rest the first already does).
            for (int32_t attempt = 0; attempt < 8; ++attempt) {
                const double largest = SteepestAhead();
                if (!(largest > steepest) || span >= kLongestGlide) break;
                span = std::min(std::ceil(span * largest / steepest * 1.0001), kLongestGlide);
                StartSegment(y, slope, bend, value, span);
            }
        }
        m_sinceValue = 0;
    }

    bool Moving() const noexcept { return m_stage != 0; }
    double Target() const noexcept { return m_p[3]; }
    // Samples to the end of the current segment; the curve is one cubic until then.
    int32_t SegmentLeft() const noexcept { return m_stage == 0 ? INT32_MAX : m_span - m_position; }

    double Value() const noexcept {
        if (m_stage == 0) return m_p[3];
        return ValueAt(m_p, static_cast<double>(m_position) / m_span);
    }

    // Moves on n samples, at most to the end of the segment. A segment that ends without a
    // new value is followed by ones that settle on the value with zero slope.
    void Advance(int32_t n) noexcept {
        m_sinceValue = std::min<int64_t>(m_sinceValue + n, int64_t{1} << 40);
        if (m_stage == 0) return;
        m_position += n;
        if (m_position < m_span) return;
        m_position = 0;
        m_p[0] = m_p[1];
        m_p[1] = m_p[2];
        m_p[2] = m_p[3];
        if (++m_stage > 3) m_stage = 0;
    }

private:
    static double ValueAt(const double* p, double t) noexcept {
        const double r = 1.0 - t, t2 = t * t, t3 = t2 * t;
        return (r * r * r * p[0] + (3.0 * t3 - 6.0 * t2 + 4.0) * p[1] + (-3.0 * t3 + 3.0 * t2 + 3.0 * t + 1.0) * p[2] +
                t3 * p[3]) /
               6.0;
    }
    // Slope per unit of t.
    static double SlopeAt(const double* p, double t) noexcept {
        const double r = 1.0 - t;
        return 0.5 * (-r * r * p[0] + (3.0 * t * t - 4.0 * t) * p[1] + (-3.0 * t * t + 2.0 * t + 1.0) * p[2] +
                      t * t * p[3]);
    }

    // Slope per sample and bend per sample² where the curve is now.
    double Slope() const noexcept {
        if (m_stage == 0) return 0.0;
        return SlopeAt(m_p, static_cast<double>(m_position) / m_span) / m_span;
    }
    double Bend() const noexcept {
        if (m_stage == 0) return 0.0;
        const double t = static_cast<double>(m_position) / m_span;
        return ((1.0 - t) * m_p[0] + (3.0 * t - 2.0) * m_p[1] + (1.0 - 3.0 * t) * m_p[2] + t * m_p[3]) /
               (static_cast<double>(m_span) * m_span);
    }

    // Control points of a segment that starts at y with the slope and bend given per sample
    // and ends its settling at value.
    void StartSegment(double y, double slope, double bend, double value, double span) noexcept {
        const double s1 = slope * span, s2 = bend * span * span;
        m_p[1] = y - s2 / 6.0;
        m_p[0] = m_p[1] - s1 + 0.5 * s2;
        m_p[2] = m_p[1] + s1 + 0.5 * s2;
        m_p[3] = value;
        m_span = static_cast<int32_t>(span);
        m_position = 0;
        m_stage = 1;
    }

    // The steepest slope per sample of the segments ahead if no value comes: each segment's
    // slope is a quadratic in t, largest at an end or at its vertex.
    double SteepestAhead() const noexcept {
        double p[6] = {m_p[0], m_p[1], m_p[2], m_p[3], m_p[3], m_p[3]};
        double largest = 0.0;
        for (int32_t k = 0; k < 3; ++k) {
            const double* q = p + k;
            const double a = -q[0] + 3.0 * q[1] - 3.0 * q[2] + q[3]; // slope = 0.5(a t² + b t + c)
            const double b = 2.0 * q[0] - 4.0 * q[1] + 2.0 * q[2];
            double ts[3] = {0.0, 1.0, 0.0};
            int32_t count = 2;
            if (a != 0.0) {
                const double vertex = -b / (2.0 * a);
                if (vertex > 0.0 && vertex < 1.0) ts[count++] = vertex;
            }
            for (int32_t i = 0; i < count; ++i) largest = std::max(largest, std::fabs(SlopeAt(q, ts[i])));
        }
        return largest / m_span;
    }

    // The segment's four control points: it runs from (p0 + 4p1 + p2)/6 to (p1 + 4p2 + p3)/6.
    double m_p[4] = {0.0, 0.0, 0.0, 0.0};
    int32_t m_span = kShortestSpan;
    int32_t m_position = 0;
    int32_t m_stage = 0; // 0 still, 1 after a value, 2 and 3 settling
    int64_t m_sinceValue = kLongestSpan;
};
