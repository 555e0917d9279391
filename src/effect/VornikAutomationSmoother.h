// Follows a parameter that the host sets once per block. A staircase of block values, or a
// straight ramp across each block, bends sharply at every block start and rings at the block
// rate; this follows the values with a quadratic B-spline whose knots are the moments new
// values arrive, so its slope never jumps and the block-rate images fall by the spline's
// sinc³. A new value is reached within two of the intervals between values.
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

    // Stands still at value.
    void Reset(double value) noexcept {
        m_a = m_b = m_c = value;
        m_stage = 0;
        m_position = 0;
        m_sinceValue = kLongestSpan;
    }

    // Takes the host's value at a block start; a changed value starts a new segment from
    // where the curve is now, with the slope it has now.
    void Take(double value) noexcept {
        if (value == m_c) return;
        const double span = std::clamp<int64_t>(m_sinceValue, kShortestSpan, kLongestSpan);
        const double y = Value();
        const double half = Slope() * span * 0.5;
        m_a = y - half;
        m_b = y + half;
        m_c = value;
        m_span = static_cast<int32_t>(span);
        m_position = 0;
        m_stage = 1;
        m_sinceValue = 0;
    }

    bool Moving() const noexcept { return m_stage != 0; }
    double Target() const noexcept { return m_c; }
    // Samples to the end of the current segment; the curve is one quadratic until then.
    int32_t SegmentLeft() const noexcept { return m_stage == 0 ? INT32_MAX : m_span - m_position; }

    double Value() const noexcept {
        if (m_stage == 0) return m_c;
        const double t = static_cast<double>(m_position) / m_span;
        const double r = 1.0 - t;
        return 0.5 * r * r * m_a + (0.5 + t * r) * m_b + 0.5 * t * t * m_c;
    }

    // Moves on n samples, at most to the end of the segment. A segment that ends without a
    // new value is followed by one that settles on the value with zero slope.
    void Advance(int32_t n) noexcept {
        m_sinceValue = std::min<int64_t>(m_sinceValue + n, int64_t{1} << 40);
        if (m_stage == 0) return;
        m_position += n;
        if (m_position < m_span) return;
        m_position = 0;
        if (m_stage == 1) {
            m_a = m_b;
            m_b = m_c;
            m_stage = 2;
        } else {
            m_a = m_b = m_c;
            m_stage = 0;
        }
    }

private:
    // Slope per sample where the curve is now.
    double Slope() const noexcept {
        if (m_stage == 0) return 0.0;
        const double t = static_cast<double>(m_position) / m_span;
        return ((t - 1.0) * m_a + (1.0 - 2.0 * t) * m_b + t * m_c) / m_span;
    }

    // The segment's three control points: it runs from (a + b)/2 to (b + c)/2.
    double m_a = 0.0, m_b = 0.0, m_c = 0.0;
    int32_t m_span = kShortestSpan;
    int32_t m_position = 0;
    int32_t m_stage = 0; // 0 still, 1 after a value, 2 settling
    int64_t m_sinceValue = kLongestSpan;
};
