#include "modulation/YSignalShapeBank.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

const char* const kShapeNames[YSignalShapeBank::kShapeCount] = {
    "Exponencial",    "Triangle",     "Sine power 8",     "Sine power 4", "Sine square", "Sine", "Harmonics",
    "More harmonics", "Disharmonics", "Sine square root", "Sine 4-root",  "Rectangle",   "Saw",  "Full saw",
    "Noise",          "Mess"};

const char* const kStepTypeNames[YSignalShapeBank::kStepTypeCount] = {
    "Default",         "Linear up",        "Linear down",
    "Sqr up",          "Sqr down",         "4th up",
    "4th down",        "SqrRoot up",       "SqrRoot down",
    "1/4th up",        "1/4th down",       "Sine up",
    "Sine down",       "Step left smooth", "Step right smooth",
    "Step left",       "Step right",       "Saw",
    "Saw down",        "Sine saw",         "Sine saw down",
    "Wobble 1",        "Wobble 2",         "Wobble 3",
    "Wobble 4",        "Wobble 1",         "Wobble 2",
    "Wobble 3",        "Wobble 4",         "Wobble 1 mirror",
    "Wobble 2 mirror", "Wobble 3 mirror",  "Wobble 4 mirror",
    "Wobble 1 mirror", "Wobble 2 mirror",  "Wobble 3 mirror",
    "Wobble 4 mirror"};

double SignedPower(double s, double exponent) {
    return s < 0.0 ? -std::pow(-s, exponent) : std::pow(s, exponent);
}

// Fills a cycle that is odd about its half and even about each quarter from its first
// quarter: f is given q = 0 ... 1 across that quarter.
template <typename F> void FillQuarterSymmetric(float* t, F f) {
    constexpr int32_t kQuarter = YSignalShapeBank::kShapeLength / 4;
    constexpr int32_t kHalf = YSignalShapeBank::kShapeLength / 2;
    t[0] = t[kHalf] = static_cast<float>(f(0.0));
    for (int32_t m = 1; m <= kQuarter; ++m) {
        const float v = static_cast<float>(f(static_cast<double>(m) / kQuarter));
        t[m] = t[kHalf - m] = v;
        t[kHalf + m] = t[YSignalShapeBank::kShapeLength - m] = -v;
    }
}

// A shape that is a function of s = sin 2πx.
template <typename G> void FillFromSine(float* t, G g) {
    FillQuarterSymmetric(t, [&](double q) { return g(std::sin(0.5 * std::numbers::pi * q)); });
}

template <typename F> void FillCycle(float* t, F f) {
    for (int32_t j = 0; j < YSignalShapeBank::kShapeLength; ++j)
        t[j] = static_cast<float>(f(static_cast<double>(j) / YSignalShapeBank::kShapeLength));
}

double Harmonics(double x) {
    return 0.5 * std::sin(kTwoPi * x) + 0.3 * std::sin(2.0 * kTwoPi * x) + 0.1 * std::sin(4.0 * kTwoPi * x);
}

} // namespace

const YSignalShapeBank& YSignalShapeBank::Instance() {
    static const YSignalShapeBank bank;
    return bank;
}

const char* YSignalShapeBank::ShapeName(int32_t index) noexcept {
    return index >= 0 && index < kShapeCount ? kShapeNames[index] : "";
}

const char* YSignalShapeBank::StepTypeName(int32_t index) noexcept {
    return index >= 0 && index < kStepTypeCount ? kStepTypeNames[index] : "";
}

YSignalShapeBank::YSignalShapeBank()
    : m_shapes(static_cast<size_t>(kShapeCount) * kShapeLength),
      m_stepTypes(static_cast<size_t>(kStepTypeCount) * kStepTypeLength) {
    BuildShapes();
    BuildStepTypes();
}

void YSignalShapeBank::BuildShapes() {
    auto shape = [this](int32_t index) {
        return m_shapes.data() + static_cast<size_t>(index) * kShapeLength;
    };
    constexpr int32_t n = kShapeLength;

    FillQuarterSymmetric(shape(0), [](double q) { return q * q * q * q; });
    FillQuarterSymmetric(shape(1), [](double q) { return q; });
    FillFromSine(shape(2), [](double s) { return SignedPower(s, 8.0); });
    FillFromSine(shape(3), [](double s) { return SignedPower(s, 4.0); });
    FillFromSine(shape(4), [](double s) { return SignedPower(s, 2.0); });
    FillFromSine(shape(5), [](double s) { return s; });
    FillCycle(shape(6), Harmonics);
    FillCycle(shape(7), [](double x) {
        return Harmonics(x) + 0.05 * std::sin(8.0 * kTwoPi * x) + 0.02 * std::sin(16.0 * kTwoPi * x);
    });

    float* dis = shape(8);
    FillCycle(dis, [](double x) {
        return 0.3 * std::sin(kTwoPi * x) + 0.2 * std::sin(1.1 * kTwoPi * x) +
               0.2 * std::sin(1.2 * kTwoPi * x) + 0.2 * std::sin(1.3 * kTwoPi * x) +
               0.1 * std::sin(1.4 * kTwoPi * x);
    });
    // The partials do not complete a cycle: fade both ends so that the loop has no jump.
    for (int32_t m = 0; m < 1024; ++m) {
        const float gain = static_cast<float>(m) / 1023.0f;
        dis[m] *= gain;
        dis[n - 1 - m] *= gain;
    }

    FillFromSine(shape(9), [](double s) { return SignedPower(s, 0.5); });
    FillFromSine(shape(10), [](double s) { return SignedPower(s, 0.2); });

    float* rect = shape(11);
    for (int32_t j = 0; j < n; ++j) rect[j] = j < n / 2 ? 1.0f : -1.0f;
    for (int32_t m = 0; m < 16; ++m) {
        const float v = static_cast<float>(m) / 15.0f;
        rect[m] = rect[n / 2 - 1 - m] = v;
        rect[n / 2 + m] = rect[n - 1 - m] = -v;
    }

    for (int32_t j = 0; j < n; ++j) {
        shape(12)[j] = static_cast<float>(1.0 - static_cast<double>(j) / n);
        shape(13)[j] = static_cast<float>(1.0 - 2.0 * j / n);
    }

    uint32_t state = 0;
    for (int32_t j = 0; j < n; ++j) {
        state = state * 214013u + 2531011u;
        shape(14)[j] = static_cast<float>(((state >> 16) & 32767u) * 6.103702e-05 - 1.0);
    }

    for (int32_t j = 0; j < n; ++j) {
        const uint32_t u = (static_cast<uint32_t>(j) * 0x4246859au) ^ 0xccdd1122u;
        shape(15)[j] = static_cast<float>((u % 1000000u) * 2e-06 - 1.0);
    }
}

void YSignalShapeBank::BuildStepTypes() {
    constexpr int32_t n = kStepTypeLength;
    auto type = [this](int32_t index) {
        return m_stepTypes.data() + static_cast<size_t>(index) * kStepTypeLength;
    };
    auto fill = [&](int32_t index, auto f) {
        for (int32_t j = 0; j < n; ++j)
            type(index)[j] = static_cast<float>(f(j, static_cast<double>(j) / (n - 1)));
    };
    auto reverse = [&](int32_t index, int32_t from) {
        for (int32_t j = 0; j < n; ++j) type(index)[j] = type(from)[n - 1 - j];
    };
    auto risingPair = [&](int32_t index, auto f) {
        fill(index, [&](int32_t, double u) { return f(u); });
        reverse(index + 1, index);
    };

    fill(0, [](int32_t, double) { return 1.0; });
    risingPair(1, [](double u) { return u; });
    risingPair(3, [](double u) { return u * u; });
    risingPair(5, [](double u) { return u * u * u * u; });
    risingPair(7, [](double u) { return std::sqrt(u); });
    risingPair(9, [](double u) { return std::pow(u, 0.25); });
    risingPair(11,
               [](double u) { return 0.5 + 0.5 * std::sin(std::numbers::pi * u - 0.5 * std::numbers::pi); });
    risingPair(13, [](double u) {
        return std::pow(0.5 + 0.5 * std::cos(std::numbers::pi * u - 0.5 * std::numbers::pi), 8.0);
    });
    fill(15, [](int32_t j, double) { return j > 511 ? 1.0 : 0.0; });
    reverse(16, 15);
    fill(17, [](int32_t, double u) { return 1.0 - std::fabs(2.0 * u - 1.0); });
    fill(18, [](int32_t, double u) { return std::fabs(2.0 * u - 1.0); });
    fill(19, [](int32_t, double u) { return 0.5 + 0.5 * std::sin(kTwoPi * u - 0.5 * std::numbers::pi); });
    fill(20, [](int32_t, double u) { return 0.5 - 0.5 * std::sin(kTwoPi * u - 0.5 * std::numbers::pi); });

    // Wobbles: k rising teeth whose height grows from 0.8 to 1 across the step.
    const double exponents[2] = {1.6, 0.625};
    for (int32_t set = 0; set < 2; ++set) {
        for (int32_t k = 1; k <= 4; ++k) {
            const int32_t index = 21 + 4 * set + (k - 1);
            const double e = exponents[set];
            if (k == 1) {
                fill(index, [&](int32_t, double u) { return std::pow(u, e); });
            } else {
                // frac(k·u) from integers, so that tooth edges fall exactly on samples.
                fill(index, [&](int32_t j, double) {
                    const double tooth = static_cast<double>((k * j) % (n - 1)) / (n - 1);
                    return std::pow(tooth, e) * (0.8 + j / 5115.0);
                });
            }
            reverse(index + 8, index);
        }
    }
}
