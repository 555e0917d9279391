#include "primitives/YFFT.h"

#include "foundation/YException.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

namespace {

// The inverse transform written out as a sum over the bins, in double precision.
std::vector<double> DirectInverse(const std::vector<float>& spectrum, int n) {
    std::vector<double> out(static_cast<size_t>(n));
    for (int t = 0; t < n; ++t) {
        double sum = spectrum[0] + spectrum[static_cast<size_t>(n)] * ((t % 2) ? -1.0 : 1.0);
        for (int k = 1; k < n / 2; ++k) {
            const double angle = 2.0 * std::numbers::pi * k * t / n;
            sum += 2.0 * (spectrum[2 * static_cast<size_t>(k)] * std::cos(angle) -
                          spectrum[2 * static_cast<size_t>(k) + 1] * std::sin(angle));
        }
        out[static_cast<size_t>(t)] = sum;
    }
    return out;
}

// Deterministic pseudo-random values in [-1, 1].
std::vector<float> Noise(size_t count, uint32_t seed) {
    std::vector<float> v(count);
    for (auto& x : v) {
        seed = seed * 1664525u + 1013904223u;
        x = static_cast<float>((seed >> 8) & 0xFFFF) / 32767.5f - 1.0f;
    }
    return v;
}

} // namespace

TEST(YFFT, SmallSizesMatchTheDirectSumForEveryBin) {
    for (int n : {2, 4, 6, 16, 64}) {
        SCOPED_TRACE(n);
        YFFT fft(n);
        EXPECT_EQ(fft.Size(), n);
        const auto spectrum = Noise(static_cast<size_t>(n) + 2, static_cast<uint32_t>(n));
        std::vector<float> out(static_cast<size_t>(n), 99.0f);
        fft.InverseReal(spectrum.data(), out.data());
        const auto expected = DirectInverse(spectrum, n);
        for (int t = 0; t < n; ++t)
            EXPECT_NEAR(out[static_cast<size_t>(t)], expected[static_cast<size_t>(t)], 1e-4);
    }
}

TEST(YFFT, FullSizeReproducesSparseSinesAndCosines) {
    const int n = 8192;
    YFFT fft(n);
    std::vector<float> spectrum(n + 2, 0.0f);
    // Bin 3: 0.5 − 0.25i gives cos and sin terms; bin 200 a pure imaginary part; DC 0.125.
    spectrum[0] = 0.125f;
    spectrum[6] = 0.5f;
    spectrum[7] = -0.25f;
    spectrum[401] = 1.0f;
    std::vector<float> out(n);
    fft.InverseReal(spectrum.data(), out.data());
    for (int t = 0; t < n; t += 7) {
        const double x = 2.0 * std::numbers::pi * t / n;
        const double expected =
            0.125 + 2.0 * (0.5 * std::cos(3 * x) + 0.25 * std::sin(3 * x)) - 2.0 * std::sin(200 * x);
        ASSERT_NEAR(out[static_cast<size_t>(t)], expected, 1e-4) << "t = " << t;
    }
}

TEST(YFFT, ImaginaryPartsOfDcAndNyquistDoNotContribute) {
    const int n = 32;
    YFFT fft(n);
    std::vector<float> spectrum(n + 2, 0.0f);
    spectrum[1] = 5.0f;     // imaginary DC
    spectrum[n + 1] = 7.0f; // imaginary Nyquist
    spectrum[n] = 1.0f;     // real Nyquist: alternating signs
    std::vector<float> out(n);
    fft.InverseReal(spectrum.data(), out.data());
    for (int t = 0; t < n; ++t) EXPECT_NEAR(out[static_cast<size_t>(t)], (t % 2) ? -1.0 : 1.0, 1e-5);
}

TEST(YFFT, RepeatedTransformsGiveTheSameResult) {
    const int n = 8192;
    YFFT fft(n);
    const auto spectrum = Noise(n + 2, 7);
    std::vector<float> first(n), second(n);
    fft.InverseReal(spectrum.data(), first.data());
    fft.InverseReal(spectrum.data(), second.data());
    EXPECT_EQ(first, second);
}

TEST(YFFT, RejectsSizesThatAreNotEvenOrTooSmall) {
    for (int n : {-4, 0, 1, 3, 8191}) {
        SCOPED_TRACE(n);
        EXPECT_THROW(YFFT{n}, YException);
    }
}
