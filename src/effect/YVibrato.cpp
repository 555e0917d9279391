#include "effect/YVibrato.h"

#include <array>
#include <cmath>

namespace YAudioFilters {
namespace {

// Kaiser window, beta 10.08, over a half-width of 2462/128 = 19.234375 samples, applied
// to sin(pi·a·d)/(pi·d) with a = 0.8314706885204303 (relative to Nyquist) and scaled so
// that the kernel's peak T[0] is 0.8314723729548406. The scale corrects the slight loss
// of DC gain that the window causes.
constexpr double kSincArgument = 0.8314706885204303;
constexpr double kSincPeak = 0.8314723729548406;
constexpr double kKaiserBeta = 10.08;
constexpr double kHalfWidth = static_cast<double>(kSincTableNonZero) / kSincResolution;

// Modified Bessel function of the first kind, order 0 (power series; converges fast for
// the arguments a Kaiser window needs).
double BesselI0(double x) {
    double sum = 1.0;
    double term = 1.0;
    const double q = 0.25 * x * x;
    for (int n = 1; n < 200; ++n) {
        term *= q / (static_cast<double>(n) * n);
        sum += term;
        if (term < sum * 1e-17) break;
    }
    return sum;
}

std::array<double, kSincTableSize> BuildSincTable() {
    constexpr double kPi = 3.14159265358979323846;
    std::array<double, kSincTableSize> table{};
    const double gain = kSincPeak / kSincArgument;
    const double i0Beta = BesselI0(kKaiserBeta);
    for (int32_t k = 0; k < kSincTableNonZero; ++k) {
        const double d = static_cast<double>(k) / kSincResolution;
        const double sinc = k == 0 ? kSincArgument : std::sin(kPi * kSincArgument * d) / (kPi * d);
        const double u = d / kHalfWidth;
        const double window = BesselI0(kKaiserBeta * std::sqrt(1.0 - u * u)) / i0Beta;
        table[static_cast<size_t>(k)] = gain * sinc * window;
    }
    return table;
}

} // namespace

const double* SincTable() noexcept {
    static const std::array<double, kSincTableSize> table = BuildSincTable();
    return table.data();
}

namespace {
// Builds the table while the program loads, so the audio thread never does.
[[maybe_unused]] const double* const g_sincTableAtLoad = SincTable();
} // namespace

} // namespace YAudioFilters
