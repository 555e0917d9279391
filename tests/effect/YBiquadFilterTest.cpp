#include "effect/YBiquadFilter.h"

#include "foundation/YException.h"

#include <cmath>
#include <complex>
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

// Magnitude in dB of the designed filter at frequency hz, from its stored coefficients.
double ResponseDB(const YBiquadFilterDesign& d, double hz) {
    const std::complex<double> z1 = std::polar(1.0, -2.0 * kPi * hz / d.SampleRate());
    const std::complex<double> z2 = z1 * z1;
    const std::complex<double> num = d.B0() + d.B1() * z1 + d.B2() * z2;
    const std::complex<double> den = 1.0 - d.MinusA1() * z1 - d.MinusA2() * z2;
    return 20.0 * std::log10(std::abs(num / den));
}

// Both poles inside the unit circle (the stability triangle of a second-order recursion).
bool IsStable(const YBiquadFilterDesign& d) {
    const double a1 = -d.MinusA1(), a2 = -d.MinusA2();
    return std::fabs(a2) < 1.0 && std::fabs(a1) < 1.0 + a2;
}

} // namespace

TEST(YBiquadFilter, ResponsesOfEveryTypeAtTelltaleFrequencies) {
    using D = YBiquadFilterDesign;
    struct Case {
        int32_t type;
        double frequency, q, gain, probe, expectedDB, tolerance;
    };
    const double fs = 48000.0;
    const Case cases[] = {
        {D::kLowPass, 1000.0, 0.7071067811865476, 0.0, 10.0, 0.0, 0.01},
        {D::kLowPass, 1000.0, 0.7071067811865476, 0.0, 1000.0, -3.0103, 0.01},
        {D::kLowPass, 1000.0, 0.7071067811865476, 0.0, 16000.0, -56.9, 0.1},
        {D::kHighPass, 1000.0, 0.7071067811865476, 0.0, 20000.0, 0.0, 0.05},
        {D::kHighPass, 1000.0, 0.7071067811865476, 0.0, 1000.0, -3.0103, 0.01},
        {D::kHighPass, 1000.0, 0.7071067811865476, 0.0, 50.0, -52.0, 1.0},
        {D::kPeaking, 2000.0, 1.0, 6.0, 2000.0, 6.0, 0.01},
        {D::kPeaking, 2000.0, 1.0, -9.0, 2000.0, -9.0, 0.01},
        {D::kPeaking, 2000.0, 1.0, 6.0, 20.0, 0.0, 0.01},
        {D::kLowShelf, 500.0, 0.7071067811865476, 6.0, 10.0, 6.0, 0.05},
        {D::kLowShelf, 500.0, 0.7071067811865476, 6.0, 15000.0, 0.0, 0.05},
        {D::kHighShelf, 500.0, 0.7071067811865476, -6.0, 20000.0, -6.0, 0.05},
        {D::kHighShelf, 500.0, 0.7071067811865476, -6.0, 10.0, 0.0, 0.05},
        {D::kBandPass, 3000.0, 2.0, 0.0, 3000.0, 0.0, 0.01},
        {D::kBandPass, 3000.0, 2.0, 0.0, 300.0, -25.0, 2.0},
        {D::kNotch, 3000.0, 2.0, 0.0, 30.0, 0.0, 0.01},
        {D::kAllPass, 3000.0, 0.7, 0.0, 100.0, 0.0, 1e-6},
        {D::kAllPass, 3000.0, 0.7, 0.0, 3000.0, 0.0, 1e-6},
        {D::kAllPass, 3000.0, 0.7, 0.0, 17000.0, 0.0, 1e-6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " at " << c.probe << " Hz");
        YBiquadFilterDesign d;
        d.Design(c.type, c.frequency, fs, c.q, c.gain);
        EXPECT_NEAR(ResponseDB(d, c.probe), c.expectedDB, c.tolerance);
        EXPECT_TRUE(IsStable(d));
        EXPECT_EQ(d.FilterType(), c.type);
    }
}

TEST(YBiquadFilter, StoresCosineAlphaAndGuardedNormalisedCoefficients) {
    YBiquadFilterDesign d;
    d.Design(YBiquadFilterDesign::kLowPass, 5000.0, 44100.0, 0.7, 0.0);
    const double w = 2.0 * kPi * 5000.0 / 44100.0;
    EXPECT_DOUBLE_EQ(d.CosW(), std::cos(w));
    EXPECT_DOUBLE_EQ(d.Alpha(), std::sin(w) / 1.4);
    EXPECT_EQ(d.Frequency(), 5000.0);
    EXPECT_EQ(d.SampleRate(), 44100.0);
    EXPECT_EQ(d.Q(), 0.7);
    const double a0 = 1.0 + d.Alpha();
    const double guard = static_cast<double>(1e-15f);
    EXPECT_EQ(guard, 1.0000000036274937e-15);
    // The guard is close to the rounding step of coefficients near 1 or 2, so the differences
    // are compared within a few units of it; b0 and b2 share one value exactly.
    EXPECT_NEAR(d.B0() - (1.0 - d.CosW()) / 2.0 / a0, guard, 1e-16);
    EXPECT_NEAR(d.B1() - (1.0 - d.CosW()) / a0, guard, 1e-16);
    EXPECT_EQ(d.B0(), d.B2());
    EXPECT_NEAR(d.MinusA1() - 2.0 * d.CosW() / a0, guard, 3e-16);
    EXPECT_NEAR(d.MinusA2() + (1.0 - d.Alpha()) / a0, guard, 3e-16);

    // A notch's zero sits exactly on the unit circle: the guard is what is left at the centre.
    YBiquadFilterDesign notch;
    notch.Design(YBiquadFilterDesign::kNotch, 1000.0, 48000.0, 1.0, 0.0);
    EXPECT_GT(ResponseDB(notch, 1000.0), -400.0);
    EXPECT_LT(ResponseDB(notch, 1000.0), -200.0);
}

TEST(YBiquadFilter, ProcessIsTheTransposedDirectFormOfTheDifferenceEquation) {
    YBiquadFilterDesign d;
    d.Design(YBiquadFilterDesign::kHighPass, 300.0, 48000.0, 0.7, 0.0);
    std::vector<double> x(64, 0.0);
    x[0] = 1.0;
    x[5] = -0.5;
    x[20] = 0.25;
    YBiquadFilterState s;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (double in : x) {
        const double expected = d.B0() * in + d.B1() * x1 + d.B2() * x2 + d.MinusA1() * y1 + d.MinusA2() * y2;
        const double y = d.Process(in, s);
        EXPECT_NEAR(y, expected, 1e-14);
        x2 = x1;
        x1 = in;
        y2 = y1;
        y1 = y;
    }
    s.Clear();
    EXPECT_EQ(s.Z1, 0.0);
    EXPECT_EQ(s.Z2, 0.0);
}

TEST(YBiquadFilter, FrequenciesAtOrPastNyquistStayStable) {
    // 20 kHz at 32 kHz or 22.05 kHz would put a pole outside the unit circle.
    for (double fs : {22050.0, 32000.0, 40000.0, 44100.0}) {
        for (int32_t type : {YBiquadFilterDesign::kLowPass, YBiquadFilterDesign::kHighPass}) {
            SCOPED_TRACE(testing::Message() << fs << " type " << type);
            YBiquadFilterDesign d;
            d.Design(type, 20000.0, fs, 0.7, 0.0);
            EXPECT_TRUE(IsStable(d));
            EXPECT_LE(d.Frequency(), 0.49 * fs);
            YBiquadFilterState s;
            double last = 0.0;
            for (int i = 0; i < 20000; ++i) last = d.Process(i == 0 ? 1.0 : 0.0, s);
            EXPECT_LT(std::fabs(last), 1e-6);
        }
    }
}

TEST(YBiquadFilter, UnknownTypesRaiseAndUnusableInputsPassThrough) {
    YBiquadFilterDesign d;
    d.Design(YBiquadFilterDesign::kLowPass, 1000.0, 48000.0, 0.7, 0.0);
    EXPECT_EQ(d.ChangeCounter(), 1u);
    const double b0 = d.B0();
    for (int32_t type : {5, 6, 10, -1}) {
        try {
            d.Design(type, 1000.0, 48000.0, 0.7, 0.0);
            ADD_FAILURE() << "type " << type << " accepted";
        } catch (const YException& e) {
            EXPECT_EQ(e.Message(), YString("Invalid filter type."));
        }
    }
    EXPECT_EQ(d.ChangeCounter(), 1u);
    EXPECT_EQ(d.B0(), b0);
    EXPECT_EQ(d.FilterType(), YBiquadFilterDesign::kLowPass);

    for (double fs : {0.0, -48000.0, std::nan("")}) {
        d.Design(YBiquadFilterDesign::kLowPass, 1000.0, fs, 0.7, 0.0);
        YBiquadFilterState s;
        EXPECT_EQ(d.Process(0.75, s), 0.75);
        EXPECT_EQ(d.Process(-0.5, s), -0.5);
    }
    d.Design(YBiquadFilterDesign::kHighPass, 1000.0, 48000.0, 0.0, 0.0);
    YBiquadFilterState s;
    EXPECT_EQ(d.Process(0.25, s), 0.25);
    EXPECT_EQ(d.ChangeCounter(), 5u);
}
