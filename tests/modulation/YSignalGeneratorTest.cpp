#include "modulation/YSignalGenerator.h"

#include "core/YStorer.h"
#include "foundation/YException.h"
#include "foundation/YXMLItem.h"
#include "modulation/YSignalShapeBank.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <numbers>
#include <thread>
#include <vector>

namespace {

constexpr int N = 8192;
constexpr double kPi = std::numbers::pi;

double Peak(const std::vector<double>& v) {
    double p = 0.0;
    for (double x : v) p = std::max(p, std::fabs(x));
    return p;
}

// The table as the rebuild must produce it from un-normalised values.
std::vector<double> Normalised(std::vector<double> v) {
    const double p = std::max(Peak(v), 0.1);
    for (double& x : v) x /= p;
    return v;
}

std::vector<double> BankShape(int index) {
    const float* s = YSignalShapeBank::Instance().Shape(index);
    return std::vector<double>(s, s + N);
}

void ExpectTable(const YSignalGenerator& g, const std::vector<double>& expected, double tolerance) {
    const float* t = g.Table();
    for (int j = 0; j < N; ++j) ASSERT_NEAR(t[j], expected[static_cast<size_t>(j)], tolerance) << "j = " << j;
    ASSERT_EQ(t[N], t[0]);
}

// Linear read of a cyclic table, as the transformations read their source.
double ReadAt(const std::vector<double>& v, double position) {
    position = std::fmod(position, static_cast<double>(N));
    if (position < 0) position += N;
    const int k = static_cast<int>(position);
    const double f = position - k;
    return (1 - f) * v[static_cast<size_t>(k)] + f * v[static_cast<size_t>((k + 1) % N)];
}

void Rebuild(YSignalGenerator& g) { ASSERT_TRUE(g.Refresh()); }

} // namespace

TEST(YSignalGenerator, DefaultTableIsTheSine) {
    YSignalGenerator g;
    EXPECT_FALSE(g.IsDirty());
    EXPECT_FALSE(g.Refresh());
    EXPECT_EQ(g.GetValue(), 5.0);
    EXPECT_EQ(g.GetMode(), 0);
    EXPECT_EQ(g.GetStepCount(), 8);
    for (int k = 0; k < 8; ++k) EXPECT_EQ(g.GetStepValue(k), (k % 2) ? -1.0f : 1.0f);
    EXPECT_EQ(g.LookupScale(), 8192.0);
    EXPECT_EQ(g.LookupRatio(), 1.0);
    ExpectTable(g, BankShape(5), 0.0);
    EXPECT_DOUBLE_EQ(g.Evaluate(0.25), 1.0);
    EXPECT_DOUBLE_EQ(g.Evaluate(0.75), -1.0);
    EXPECT_DOUBLE_EQ(g.Evaluate(0.0), 0.0);
}

TEST(YSignalGenerator, IntegerValuesGiveThePureNormalisedShapes) {
    YSignalGenerator g;
    for (int index = 0; index < 16; ++index) {
        SCOPED_TRACE(YSignalShapeBank::ShapeName(index));
        g.SetValue(index);
        Rebuild(g);
        EXPECT_EQ(g.MorphFraction(), index == 15 ? 1.0 : 0.0);
        ExpectTable(g, Normalised(BankShape(index)), 1e-6);
    }
}

TEST(YSignalGenerator, FractionalValueMorphsBetweenNeighbours) {
    struct Case {
        double value;
        int lower;
        double fraction;
    };
    const Case cases[] = {{4.5, 4, 0.5}, {0.25, 0, 0.25}, {11.75, 11, 0.75}, {14.1, 14, 0.1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        YSignalGenerator g;
        g.SetValue(c.value);
        Rebuild(g);
        const auto a = BankShape(c.lower);
        const auto b = BankShape(c.lower + 1);
        std::vector<double> mix(N);
        for (int j = 0; j < N; ++j) mix[j] = (1 - c.fraction) * a[j] + c.fraction * b[j];
        ExpectTable(g, Normalised(mix), 1e-5);
        EXPECT_NEAR(g.MorphFraction(), c.fraction, 1e-12);
    }
}

TEST(YSignalGenerator, ValueOutsideTheBankIsLimitedAndStoredBack) {
    YSignalGenerator g;
    g.SetValue(20.0);
    Rebuild(g);
    EXPECT_EQ(g.GetValue(), 15.0);
    ExpectTable(g, Normalised(BankShape(15)), 1e-6);

    g.SetValue(-3.0);
    Rebuild(g);
    EXPECT_EQ(g.GetValue(), 0.0);
    ExpectTable(g, Normalised(BankShape(0)), 1e-6);

    g.SetValue(std::nan(""));
    EXPECT_FALSE(g.IsDirty());
    EXPECT_EQ(g.GetValue(), 0.0);
}

TEST(YSignalGenerator, NormalisationDividesByThePeakButNeverByLessThanATenth) {
    struct Case {
        double amplitude;
        double expectedPeak;
    };
    const Case cases[] = {{0.5, 1.0}, {0.1, 1.0}, {0.05, 0.5}, {0.0, 0.0}, {3.0, 1.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.amplitude);
        std::vector<float> sample(N);
        for (int j = 0; j < N; ++j) sample[j] = static_cast<float>(c.amplitude * std::sin(2 * kPi * j / N));
        YSignalGenerator g;
        g.SetCustomSample(sample.data());
        g.SetDepth(1.0);
        Rebuild(g);
        const float* t = g.Table();
        EXPECT_NEAR(*std::max_element(t, t + N), c.expectedPeak, 1e-6);
        EXPECT_NEAR(t[1000], c.expectedPeak * std::sin(2 * kPi * 1000 / N), 1e-6);
    }
}

TEST(YSignalGenerator, PhaseRotatesTheTable) {
    struct Case {
        double phase;
        int shift;
    };
    const Case cases[] = {{0.25, 2048}, {-0.25, 6144}, {0.5, 4096}, {1.0, 0}, {-1.0, 0}, {1.0 / 8192, 1}};
    const auto saw = BankShape(12);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.phase);
        YSignalGenerator g;
        g.SetValue(12);
        g.SetPhase(c.phase);
        Rebuild(g);
        std::vector<double> expected(N);
        for (int j = 0; j < N; ++j) expected[j] = saw[static_cast<size_t>((j - c.shift + N) % N)];
        ExpectTable(g, expected, 0.0);
    }
}

TEST(YSignalGenerator, SkewWarpsTimeWithACubicThatKeepsTheEnds) {
    for (double skew : {0.5, -1.0, 1.0}) {
        SCOPED_TRACE(skew);
        YSignalGenerator g;
        g.SetValue(12); // "Saw": 1 − j/8192, so a read at position p gives 1 − p/8192
        g.SetSkew(skew);
        Rebuild(g);
        const double a = std::pow(3.0, skew), b = 3 - 3 * a, c = 1 - b - a;
        std::vector<double> expected(N);
        for (int j = 0; j < N; ++j) {
            const double x = j / 8191.0;
            const double y = c * x * x * x + b * x * x + a * x;
            expected[j] = 1.0 - y * 8191.0 / 8192.0;
        }
        ExpectTable(g, Normalised(expected), 2e-5);
    }
}

TEST(YSignalGenerator, FullSkewWarpsTimeWithAPower) {
    for (double skew : {0.5, -0.5, 1.0}) {
        SCOPED_TRACE(skew);
        YSignalGenerator g;
        g.SetValue(12);
        g.SetFullSkew(skew);
        Rebuild(g);
        const double power = std::pow(10.0, std::fabs(skew));
        std::vector<double> expected(N);
        for (int j = 0; j < N; ++j) {
            const double x = j / 8191.0;
            const double y = skew > 0 ? std::pow(x, power) : 1.0 - std::pow(1.0 - x, power);
            expected[j] = 1.0 - y * 8191.0 / 8192.0;
        }
        ExpectTable(g, Normalised(expected), 2e-5);
    }
}

TEST(YSignalGenerator, HalveStretchesTheHalvesAroundTheNewMiddle) {
    struct Case {
        double halve;
        int middle;
    };
    const Case cases[] = {{0.5, 6143}, {-0.5, 2049}, {1.0, 8190}, {-1.0, 2}};
    const auto saw = BankShape(12);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.halve);
        YSignalGenerator g;
        g.SetValue(12);
        g.SetHalve(c.halve);
        Rebuild(g);
        std::vector<double> expected(N);
        const int k = c.middle;
        for (int j = 0; j < k; ++j) expected[j] = ReadAt(saw, k == 1 ? 4095.0 : j * 4095.0 / (k - 1));
        for (int j = 0; j < N - k; ++j)
            expected[k + j] = ReadAt(saw, 4096.0 + (N - k == 1 ? 4095.0 : j * 4095.0 / (N - k - 1)));
        ExpectTable(g, Normalised(expected), 2e-5);
        EXPECT_NEAR(g.Table()[k - 1], saw[4095], 1e-6);
        EXPECT_NEAR(g.Table()[k], saw[4096], 1e-6);
    }
}

TEST(YSignalGenerator, HalveTooSmallToMoveTheMiddleChangesNothing) {
    YSignalGenerator g;
    g.SetValue(12);
    g.SetHalve(1.0 / 8192); // trunc(4094 × h) = 0
    Rebuild(g);
    ExpectTable(g, BankShape(12), 0.0);
}

TEST(YSignalGenerator, AddedHarmonicsReadTheShapeFasterWithTheirPhase) {
    YSignalGenerator g;
    g.SetHarmonic(3, 0.5);
    g.SetHarmonic(2, -0.25);
    g.SetHarmonicPhase(2, 0.25); // a quarter of the source table: sine becomes cosine
    Rebuild(g);
    std::vector<double> expected(N);
    for (int j = 0; j < N; ++j) {
        const double x = static_cast<double>(j) / N;
        expected[j] = std::sin(2 * kPi * x) + 0.5 * std::sin(6 * kPi * x) - 0.25 * std::cos(4 * kPi * x);
    }
    ExpectTable(g, Normalised(expected), 1e-5);
}

TEST(YSignalGenerator, SmoothnessKeepsASineAndRoundsASquare) {
    YSignalGenerator sine;
    sine.SetSmoothness(1.0);
    Rebuild(sine);
    ExpectTable(sine, BankShape(5), 1e-4); // a symmetric kernel only scales a sine

    // A Gaussian step response: weights exp(−(2k/v)²) turn a unit step into erf(2d/v).
    std::vector<float> square(N);
    for (int j = 0; j < N; ++j) square[j] = j < N / 2 ? 1.0f : -1.0f;
    for (double smoothness : {0.25, 1.0}) {
        SCOPED_TRACE(smoothness);
        YSignalGenerator g;
        g.SetCustomSample(square.data());
        g.SetDepth(1.0);
        g.SetSmoothness(smoothness);
        Rebuild(g);
        const double v = smoothness * 256.0;
        for (int d : {-200, -128, -40, -10, -1, 0, 10, 40, 128, 200}) {
            // The rising edge lies between samples −1 and 0.
            EXPECT_NEAR(g.Table()[(d + N) % N], std::erf(2.0 * (d + 0.5) / v), 0.005) << "d = " << d;
        }
        EXPECT_NEAR(g.Table()[N / 4], 1.0, 1e-6);
    }
}

TEST(YSignalGenerator, StepSequencerSplitsTheCycleIntoEqualSteps) {
    YSignalGenerator g;
    g.SetStepCount(3);
    g.SetStepValue(0, 1.0);
    g.SetStepValue(1, -1.0);
    g.SetStepValue(2, 0.5);
    g.SetStepDepth(1.0);
    Rebuild(g);
    const float* t = g.Table();
    // 3 steps over 8192 samples: 2730, 2731 and 2731 long.
    EXPECT_EQ(t[0], 1.0f);
    EXPECT_EQ(t[2729], 1.0f);
    EXPECT_EQ(t[2730], -1.0f);
    EXPECT_EQ(t[5460], -1.0f);
    EXPECT_EQ(t[5461], 0.5f);
    EXPECT_EQ(t[8191], 0.5f);
    EXPECT_EQ(t[8192], 1.0f);
}

TEST(YSignalGenerator, StepTypesShapeEachStep) {
    const float* linearUp = YSignalShapeBank::Instance().StepType(1);
    struct Case {
        bool baseLowest;
        double level;
    };
    for (const auto& c : {Case{false, 0.5}, Case{true, 0.5}, Case{false, -1.0}}) {
        SCOPED_TRACE(c.baseLowest);
        YSignalGenerator g;
        g.SetStepCount(2);
        g.SetStepType(0, 1);
        g.SetStepValue(0, c.level);
        g.SetStepValue(1, -1.0);
        g.SetStepBaseLowest(c.baseLowest);
        g.SetStepDepth(1.0);
        Rebuild(g);
        std::vector<double> expected(N, -1.0);
        for (int j = 0; j < 4096; ++j) {
            const double v = linearUp[j * 1024 / 4096];
            expected[j] = c.baseLowest ? v * (c.level + 1) - 1 : v * c.level;
        }
        ExpectTable(g, Normalised(expected), 1e-6);
    }
}

TEST(YSignalGenerator, StepDepthCrossfadesFromTheShapeToTheSteps) {
    YSignalGenerator g;
    g.SetStepCount(1);
    g.SetStepValue(0, 0.5);
    g.SetStepDepth(0.25);
    Rebuild(g);
    const auto sine = BankShape(5);
    std::vector<double> expected(N);
    for (int j = 0; j < N; ++j) expected[j] = 0.75 * sine[j] + 0.25 * 0.5;
    ExpectTable(g, Normalised(expected), 1e-6);

    g.SetStepDepth(1e-6); // below the audible threshold: the plain shape
    Rebuild(g);
    ExpectTable(g, sine, 0.0);
}

TEST(YSignalGenerator, CustomSampleAmountNeedsASample) {
    YSignalGenerator g;
    g.SetDepth(1.0);
    EXPECT_EQ(g.GetDepth(), 0.0);
    EXPECT_FALSE(g.HasCustomSample());

    std::vector<float> sample(N);
    for (int j = 0; j < N; ++j) sample[j] = j < N / 2 ? 0.5f : -0.5f;
    sample[7] = std::nanf("");
    g.SetCustomSample(sample.data());
    EXPECT_TRUE(g.HasCustomSample());
    EXPECT_EQ(g.CustomSample()[7], 0.0f);
    g.SetDepth(0.5);
    Rebuild(g);
    const auto sine = BankShape(5);
    std::vector<double> expected(N);
    for (int j = 0; j < N; ++j) expected[j] = 0.5 * sine[j] + 0.5 * (j == 7 ? 0.0 : sample[j]);
    ExpectTable(g, Normalised(expected), 1e-6);

    g.ClearCustomSample();
    EXPECT_EQ(g.GetDepth(), 0.0);
    Rebuild(g);
    ExpectTable(g, sine, 0.0);
}

TEST(YSignalGenerator, HarmonicsModeMatchesADirectSumOfSines) {
    YSignalGenerator g;
    g.SetMode(YSignalGenerator::kModeHarmonics);
    for (int k = 0; k < YSignalGenerator::kSpectrumLength; ++k) {
        g.SetMagnitude(k, 0.0);
        g.SetSpectrumPhase(k, 0.0);
    }
    struct Bin {
        int k;
        double magnitude, phase;
    };
    const Bin bins[] = {{1, 1.0, 0.0}, {2, 0.7, 0.25}, {5, 0.5, 0.6}, {40, 0.3, 0.1}, {255, 0.2, 0.9}};
    for (const auto& b : bins) {
        g.SetMagnitude(b.k, b.magnitude);
        g.SetSpectrumPhase(b.k, b.phase);
    }
    g.SetSpectrumCount(256);
    Rebuild(g);
    std::vector<double> expected(N);
    for (int j = 0; j < N; ++j) {
        double sum = 0.0;
        for (const auto& b : bins)
            sum +=
                b.magnitude * b.magnitude * std::sin(2 * kPi * (b.k * j / static_cast<double>(N) + b.phase));
        expected[j] = sum;
    }
    ExpectTable(g, Normalised(expected), 1e-4);

    // Bins at or above Count are left out.
    g.SetSpectrumCount(3);
    Rebuild(g);
    for (int j = 0; j < N; ++j) {
        const double x = j / static_cast<double>(N);
        expected[j] = std::sin(2 * kPi * x) + 0.49 * std::sin(2 * kPi * (2 * x + 0.25));
    }
    ExpectTable(g, Normalised(expected), 1e-4);
}

TEST(YSignalGenerator, SilentSpectrumGivesASilentTable) {
    YSignalGenerator g;
    g.SetMode(YSignalGenerator::kModeHarmonics);
    g.SetSpectrumCount(0);
    Rebuild(g);
    for (int j = 0; j <= N; ++j) ASSERT_EQ(g.Table()[j], 0.0f);
    EXPECT_EQ(g.Evaluate(0.3), 0.0);
}

TEST(YSignalGenerator, UnknownModeKeepsTheTable) {
    YSignalGenerator g;
    g.SetMode(7);
    g.SetValue(12);
    Rebuild(g);
    ExpectTable(g, BankShape(5), 0.0);
}

TEST(YSignalGenerator, HarmonicsGeneratorFollowsItsSettings) {
    YSignalGenerator g;
    // Defaults: a clean series with level 1/k at phase 0 and no DC.
    EXPECT_EQ(g.GetSpectrumCount(), 256);
    EXPECT_EQ(g.GetMagnitude(0), 0.0f);
    for (int k : {1, 2, 3, 10, 255}) {
        EXPECT_NEAR(g.GetMagnitude(k) * g.GetMagnitude(k), 1.0 / k, 1e-6) << k;
        EXPECT_EQ(g.GetSpectrumPhase(k), 0.0f);
    }

    YSignalGenerator::HarmonicsSettings s;
    s.Slope = 1.0;
    s.Fullness = 0.0;
    g.SetHarmonicsSettings(s);
    EXPECT_FLOAT_EQ(g.GetMagnitude(1), 1.0f);
    for (int k = 2; k < 256; ++k) ASSERT_EQ(g.GetMagnitude(k), 0.0f) << k;

    s.Fullness = 1.0;
    s.FundamentalMinimum = 1.0;
    s.Slope = 0.0; // flat: every level 1, the fundamental already the loudest
    g.SetHarmonicsSettings(s);
    for (int k = 1; k < 256; ++k) ASSERT_FLOAT_EQ(g.GetMagnitude(k), 1.0f) << k;

    s.Harmonicity = 0.0;
    s.Seed = 5;
    g.SetHarmonicsSettings(s);
    std::vector<float> first;
    for (int k = 0; k < 256; ++k) first.push_back(g.GetMagnitude(k));
    bool phasesMoved = false;
    for (int k = 1; k < 256; ++k) {
        ASSERT_LE(g.GetMagnitude(k), 1.0f);
        phasesMoved = phasesMoved || g.GetSpectrumPhase(k) != 0.0f;
    }
    EXPECT_TRUE(phasesMoved);
    EXPECT_GE(g.GetMagnitude(1), *std::max_element(first.begin() + 2, first.end()) - 1e-6f);
    g.SetHarmonicsSettings(s);
    for (int k = 0; k < 256; ++k) ASSERT_EQ(g.GetMagnitude(k), first[static_cast<size_t>(k)]);
    s.Seed = 6;
    g.SetHarmonicsSettings(s);
    bool differs = false;
    for (int k = 0; k < 256; ++k) differs = differs || g.GetMagnitude(k) != first[static_cast<size_t>(k)];
    EXPECT_TRUE(differs);
}

TEST(YSignalGenerator, EvaluateInterpolatesAndWraps) {
    YSignalGenerator g;
    g.SetValue(15); // "Mess": neighbouring values differ a lot
    Rebuild(g);
    const float* t = g.Table();
    auto mix = [t](int k, float f) { return (1.0f - f) * t[k] + f * t[k + 1]; };
    EXPECT_FLOAT_EQ(static_cast<float>(g.Evaluate((100 + 0.25) / N)), mix(100, 0.25f));
    EXPECT_FLOAT_EQ(static_cast<float>(g.Evaluate(100.0 / N)), t[100]);
    EXPECT_FLOAT_EQ(static_cast<float>(g.Evaluate((8191 + 0.5) / N)), 0.5f * (t[8191] + t[0]));
    EXPECT_FLOAT_EQ(static_cast<float>(g.Evaluate(1.0)), t[0]);
    EXPECT_FLOAT_EQ(static_cast<float>(g.Evaluate(3.0 + 100.25 / N)), mix(100, 0.25f));
    EXPECT_FLOAT_EQ(static_cast<float>(g.Evaluate(-1.0 + 100.25 / N)), mix(100, 0.25f));
    EXPECT_EQ(g.Evaluate(std::nan("")), t[0]);
    EXPECT_EQ(g.Evaluate(std::numeric_limits<double>::infinity()), t[0]);
    EXPECT_TRUE(std::isfinite(g.Evaluate(1e300)));
}

TEST(YSignalGenerator, SpeedPairScalesTheLookup) {
    YSignalGenerator g;
    g.SetSpeed(1.0, 4.0);
    Rebuild(g);
    EXPECT_EQ(g.LookupRatio(), 4.0);
    EXPECT_EQ(g.LookupScale(), 2048.0);
    EXPECT_DOUBLE_EQ(g.Evaluate(1.0), 1.0); // a quarter cycle
    EXPECT_DOUBLE_EQ(g.EvaluateCycle(0.25), 1.0);
    EXPECT_NEAR(g.Evaluate(0.3), g.EvaluateCycle(0.075), 1e-7);
    EXPECT_THROW(g.SetSpeed(0.0, 1.0), YException);
    EXPECT_THROW(g.SetSpeed(1.0, -2.0), YException);
    EXPECT_THROW(g.SetSpeed(std::nan(""), 1.0), YException);
    EXPECT_EQ(g.GetSpeedQ(), 4.0);
}

TEST(YSignalGenerator, OnlyRealChangesMarkTheGeneratorDirty) {
    YSignalGenerator g;
    g.SetValue(5.0);
    g.SetPhase(0.0);
    g.SetStepCount(8);
    g.SetStepType(40, 3);  // no such step
    g.SetHarmonic(9, 0.5); // no such harmonic
    EXPECT_FALSE(g.IsDirty());
    g.SetSkew(0.1);
    EXPECT_TRUE(g.IsDirty());
    EXPECT_TRUE(g.Refresh());
    EXPECT_FALSE(g.Refresh());
}

TEST(YSignalGenerator, SettersLimitTheirRanges) {
    YSignalGenerator g;
    g.SetEnvelopeDepth(2.0);
    g.SetStepDepth(-1.0);
    g.SetSmoothness(1.5);
    g.SetPhase(-3.0);
    g.SetSkew(2.0);
    g.SetFullSkew(std::nan(""));
    g.SetHalve(-7.0);
    g.SetHarmonic(4, 9.0);
    g.SetHarmonicPhase(4, -0.5);
    g.SetStepCount(0);
    g.SetStepValue(3, -2.0);
    g.SetStepType(3, 99);
    g.SetSpectrumCount(1000);
    EXPECT_EQ(g.GetEnvelopeDepth(), 1.0);
    EXPECT_EQ(g.GetStepDepth(), 0.0);
    EXPECT_EQ(g.GetSmoothness(), 1.0);
    EXPECT_EQ(g.GetPhase(), -1.0);
    EXPECT_EQ(g.GetSkew(), 1.0);
    EXPECT_EQ(g.GetFullSkew(), 0.0);
    EXPECT_EQ(g.GetHalve(), -1.0);
    EXPECT_EQ(g.GetHarmonic(4), 1.0);
    EXPECT_EQ(g.GetHarmonicPhase(4), 0.0);
    EXPECT_EQ(g.GetStepCount(), 1);
    EXPECT_EQ(g.GetStepValue(3), -1.0f);
    EXPECT_EQ(g.GetStepType(3), 36);
    EXPECT_EQ(g.GetSpectrumCount(), 256);
    Rebuild(g);
    for (int j = 0; j <= N; ++j) ASSERT_TRUE(std::isfinite(g.Table()[j])) << j;
}

TEST(YSignalGeneratorThreading, RefreshLeavesTheRebuildForLaterWhileAnEditorHoldsTheLock) {
    YSignalGenerator g;
    g.SetValue(12);
    YLock& editor = g.Lock();
    ASSERT_EQ(editor.Lock(YSynchronizer::kWaitInfinite), 0);
    bool refreshed = true;
    std::thread audio([&] { refreshed = g.Refresh(); });
    audio.join();
    EXPECT_FALSE(refreshed);
    EXPECT_TRUE(g.IsDirty());
    editor.Unlock();
    std::thread again([&] { refreshed = g.Refresh(); });
    again.join();
    EXPECT_TRUE(refreshed);
    EXPECT_EQ(g.Table()[0], 1.0f);
}

TEST(YSignalGenerator, OwnerLockReplacesTheOwnOne) {
    YSignalGenerator g;
    YLock pluginLock;
    g.SetLock(&pluginLock);
    EXPECT_EQ(&g.Lock(), &pluginLock);
    g.SetLock(nullptr);
    EXPECT_NE(&g.Lock(), &pluginLock);
}

TEST(YSignalGenerator, FullCustomMorphRendersTheDrawnCurve) {
    YSignalGenerator g;
    g.SetEnvelopeDepth(1.0);
    Rebuild(g);
    // Default curve: 1 up to x = 0.25, straight down to −1 at 0.75, then −1.
    std::vector<double> expected(N);
    for (int j = 0; j < N; ++j) {
        const double x = static_cast<double>(j) / N;
        expected[j] = x <= 0.25 ? 1.0 : x >= 0.75 ? -1.0 : 1.0 - 4.0 * (x - 0.25);
    }
    ExpectTable(g, expected, 1e-6);

    g.SetEnvelopeDepth(0.5);
    Rebuild(g);
    const auto sine = BankShape(5);
    for (int j = 0; j < N; ++j) expected[j] = 0.5 * sine[j] + 0.5 * expected[j];
    ExpectTable(g, Normalised(expected), 1e-6);
}

TEST(YSignalGenerator, TransformWarpsTimeAndAmplitudeTransformMapsValues) {
    YSignalGenerator g;
    g.SetValue(12); // "Saw": 1 − j/8192
    g.SetTransformEnable(true);
    YEnvelopeComputer::PointList half = YSignalGenerator::DefaultTransform();
    half.points[1].y = 0.5; // read position = x/2
    g.SetTransform(half);
    Rebuild(g);
    for (int j : {0, 1000, 4096, 8191}) EXPECT_NEAR(g.Table()[j], 1.0 - (j / 2.0) / N, 1e-5) << j;

    g.SetTransformEnable(false);
    g.SetAmplitudeTransformEnable(true);
    YEnvelopeComputer::PointList invert = YSignalGenerator::DefaultAmplitudeTransform();
    invert.points[0].y = 1.0;
    invert.points[1].y = -1.0; // v → −v
    g.SetAmplitudeTransform(invert);
    Rebuild(g);
    for (int j : {0, 1000, 4096, 8191})
        EXPECT_NEAR(g.Table()[j], -(1.0 - static_cast<double>(j) / N), 1e-5) << j;
    EXPECT_EQ(g.Table()[N], g.Table()[0]);

    YEnvelopeComputer::PointList bad = invert;
    bad.points[0].type = 99;
    EXPECT_THROW(g.SetAmplitudeTransform(bad), YException);
    EXPECT_EQ(g.AmplitudeTransform().Points().points[0].type, invert.points[0].type);
}

TEST(YSignalGenerator, StoreAndLoadKeepEveryValue) {
    YSignalGenerator a;
    a.SetMode(1);
    a.SetValue(7.25);
    a.SetSmoothness(0.125);
    a.SetEnvelopeDepth(0.375);
    YEnvelopeComputer::PointList curve;
    for (double x : {0.0, 0.3, 0.9}) {
        YEnvelopeComputer::ControlPoint p;
        p.x = x;
        p.y = x - 0.5;
        p.type = YEnvelopeComputer::kStairs;
        p.curvatureY = 0.25;
        p.curvatureX = -0.5;
        curve.points.push_back(p);
    }
    a.SetEnvelope(curve);
    a.SetStepCount(5);
    a.SetStepDepth(0.625);
    a.SetStepBaseLowest(true);
    for (int k = 0; k < 32; ++k) {
        a.SetStepValue(k, (k % 7) / 7.0 - 0.4);
        a.SetStepType(k, k % 37);
    }
    std::vector<float> sample(N);
    for (int j = 0; j < N; ++j) sample[j] = static_cast<float>(std::sin(j * 0.01) * 0.75);
    a.SetCustomSample(sample.data());
    a.SetDepth(0.25);
    a.SetPhase(-0.125);
    a.SetSkew(0.5);
    a.SetFullSkew(-0.25);
    a.SetHalve(0.75);
    for (int m = 2; m <= 8; ++m) {
        a.SetHarmonic(m, m / 10.0 - 0.5);
        a.SetHarmonicPhase(m, m / 9.0);
    }
    a.SetTransformEnable(true);
    a.SetAmplitudeTransformEnable(true);
    a.SetTransform(curve);
    YEnvelopeComputer::PointList amplitude = YSignalGenerator::DefaultAmplitudeTransform();
    amplitude.points[0].type = YEnvelopeComputer::kSines;
    a.SetAmplitudeTransform(amplitude);
    YSignalGenerator::HarmonicsSettings s;
    s.Harmonicity = 0.3;
    s.Slope = 0.6;
    s.Fullness = 0.7;
    s.FundamentalMinimum = 0.2;
    s.Seed = 77;
    s.SampleRatio = 2.5;
    s.SamplePosition = 0.125;
    s.PostSharpen = 0.1;
    s.PostNoise = 0.2;
    s.PostClean = 0.3;
    s.PostCompress = 0.4;
    s.PostHarmonize = 0.5;
    a.SetHarmonicsSettings(s);
    a.SetMagnitude(3, 0.123);
    a.SetSpectrumPhase(4, 0.456);
    a.SetSpectrumCount(100);
    a.SetSampleFilePath(YString::FromUTF8("loops/\xC3\xA9t\xC3\xA9.wav"));
    Rebuild(a);

    YXMLItem item("shape");
    a.Store(YStorer{true, &item});
    YSignalGenerator b;
    b.Store(YStorer{false, &item});
    EXPECT_TRUE(b.IsDirty());
    Rebuild(b);

    EXPECT_EQ(b.GetMode(), 1);
    EXPECT_EQ(b.GetValue(), 7.25);
    EXPECT_EQ(b.GetSmoothness(), 0.125);
    EXPECT_EQ(b.GetEnvelopeDepth(), 0.375);
    ASSERT_EQ(b.Envelope().Points().points.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const auto& p = b.Envelope().Points().points[i];
        EXPECT_DOUBLE_EQ(p.x, curve.points[i].x);
        EXPECT_DOUBLE_EQ(p.y, curve.points[i].y);
        EXPECT_EQ(p.type, YEnvelopeComputer::kStairs);
        EXPECT_EQ(p.curvatureY, 0.25);
        EXPECT_EQ(p.curvatureX, -0.5);
    }
    EXPECT_EQ(b.GetStepCount(), 5);
    EXPECT_EQ(b.GetStepDepth(), 0.625);
    EXPECT_TRUE(b.GetStepBaseLowest());
    for (int k = 0; k < 32; ++k) {
        EXPECT_EQ(b.GetStepValue(k), a.GetStepValue(k)) << k;
        EXPECT_EQ(b.GetStepType(k), k % 37) << k;
    }
    ASSERT_TRUE(b.HasCustomSample());
    for (int j = 0; j < N; ++j) ASSERT_EQ(b.CustomSample()[j], sample[j]) << j;
    EXPECT_EQ(b.GetDepth(), 0.25);
    EXPECT_EQ(b.GetPhase(), -0.125);
    EXPECT_EQ(b.GetSkew(), 0.5);
    EXPECT_EQ(b.GetFullSkew(), -0.25);
    EXPECT_EQ(b.GetHalve(), 0.75);
    for (int m = 2; m <= 8; ++m) {
        // Doubles are kept with 12 significant digits.
        EXPECT_NEAR(b.GetHarmonic(m), a.GetHarmonic(m), 1e-12);
        EXPECT_NEAR(b.GetHarmonicPhase(m), a.GetHarmonicPhase(m), 1e-12);
    }
    EXPECT_TRUE(b.GetTransformEnable());
    EXPECT_TRUE(b.GetAmplitudeTransformEnable());
    EXPECT_EQ(b.Transform().Points().points.size(), 3u);
    EXPECT_EQ(b.AmplitudeTransform().Points().points[0].type, YEnvelopeComputer::kSines);
    const auto& h = b.GetHarmonicsSettings();
    EXPECT_EQ(h.Harmonicity, 0.3);
    EXPECT_EQ(h.Slope, 0.6);
    EXPECT_EQ(h.Fullness, 0.7);
    EXPECT_EQ(h.FundamentalMinimum, 0.2);
    EXPECT_EQ(h.Seed, 77.0);
    EXPECT_EQ(h.SampleRatio, 2.5);
    EXPECT_EQ(h.SamplePosition, 0.125);
    EXPECT_EQ(h.PostSharpen, 0.1);
    EXPECT_EQ(h.PostNoise, 0.2);
    EXPECT_EQ(h.PostClean, 0.3);
    EXPECT_EQ(h.PostCompress, 0.4);
    EXPECT_EQ(h.PostHarmonize, 0.5);
    EXPECT_EQ(b.GetSpectrumCount(), 100);
    for (int k = 0; k < 256; ++k) {
        ASSERT_EQ(b.GetMagnitude(k), a.GetMagnitude(k)) << k;
        ASSERT_EQ(b.GetSpectrumPhase(k), a.GetSpectrumPhase(k)) << k;
    }
    EXPECT_EQ(b.GetSampleFilePath(), a.GetSampleFilePath());
    for (int j = 0; j <= N; ++j) ASSERT_NEAR(b.Table()[j], a.Table()[j], 1e-5) << j;
}

TEST(YSignalGenerator, MalformedStoredValuesGiveDefaults) {
    YXMLItem item("shape");
    item.SetAttribute("Mode", "banana");
    item.SetAttribute("value", "nan");
    item.SetAttribute("Smoothness", "7");
    YXMLItem& step = item.AddChild("Step");
    step.SetAttribute("StepItemCount", "-4");
    step.SetAttribute("Types", "3 x 99");
    step.AddChild("Item").SetAttribute("Value", "inf");
    YXMLItem& custom = item.AddChild("CustomSample");
    custom.SetAttribute("Depth", "1");
    custom.SetAttribute("Sample", "0.5 0.25"); // not a whole cycle
    YXMLItem& curve = item.AddChild("Envelope");
    YXMLItem& point = curve.AddChild("Point");
    point.SetAttribute("x", "2");
    point.SetAttribute("y", "0.5");
    point.SetAttribute("Type", "1234");
    curve.AddChild("Point").SetAttribute("x", "oops");
    YXMLItem& harmonics = item.AddChild("Harmonics");
    harmonics.SetAttribute("Count", "9999");
    harmonics.SetAttribute("Magnitudes", "1 2 three");

    YSignalGenerator g;
    g.Store(YStorer{false, &item});
    Rebuild(g);
    EXPECT_EQ(g.GetMode(), 0);
    EXPECT_EQ(g.GetValue(), 5.0);
    EXPECT_EQ(g.GetSmoothness(), 1.0);
    EXPECT_EQ(g.GetStepCount(), 1);
    EXPECT_EQ(g.GetStepType(0), 3);
    EXPECT_EQ(g.GetStepType(1), 0);
    EXPECT_EQ(g.GetStepValue(0), 1.0f); // unreadable: the step's default
    EXPECT_FALSE(g.HasCustomSample());
    EXPECT_EQ(g.GetDepth(), 0.0);
    // x limited to 1, the unknown type replaced, the unreadable x read as 0; sorted by x.
    const auto& points = g.Envelope().Points().points;
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].x, 0.0);
    EXPECT_EQ(points[1].x, 1.0);
    EXPECT_EQ(points[1].y, 0.5);
    EXPECT_EQ(points[1].type, YEnvelopeComputer::kMode2);
    EXPECT_EQ(g.GetSpectrumCount(), 256);
    // The numbers before the unreadable one replace bins 0 and 1; bin 2 keeps the generated level.
    EXPECT_EQ(g.GetMagnitude(0), 1.0f);
    EXPECT_EQ(g.GetMagnitude(1), 2.0f);
    EXPECT_FLOAT_EQ(g.GetMagnitude(2), std::sqrt(0.5f));
    EXPECT_EQ(g.GetPhase(), 0.0); // no "Operations": defaults
    EXPECT_FALSE(g.GetTransformEnable());
    for (int j = 0; j <= N; ++j) ASSERT_TRUE(std::isfinite(g.Table()[j])) << j;

    // An empty item restores every default.
    YXMLItem empty("shape");
    YSignalGenerator h;
    h.SetSkew(0.5);
    h.Store(YStorer{false, &empty});
    Rebuild(h);
    EXPECT_EQ(h.GetSkew(), 0.0);
    ExpectTable(h, BankShape(5), 0.0);
}

TEST(YSignalGenerator, CustomSampleOfAnyLengthIsStretchedOverTheCycle) {
    YSignalGenerator g;
    const float ramp[] = {-1.0f, 0.0f, 1.0f};
    g.SetCustomSample(ramp, 3);
    ASSERT_TRUE(g.HasCustomSample());
    EXPECT_EQ(g.CustomSample()[0], -1.0f);
    EXPECT_NEAR(g.CustomSample()[4095], -1.0 + 2.0 * 4095 / 8191, 1e-5);
    EXPECT_EQ(g.CustomSample()[8191], 1.0f);

    const float one[] = {0.5f};
    EXPECT_THROW(g.SetCustomSample(one, 1), YException);
    EXPECT_THROW(g.SetCustomSample(nullptr, 100), YException);
    EXPECT_EQ(g.CustomSample()[0], -1.0f); // the previous sample stays
}

// A load marks the generator for a refresh whether or not it changed anything; the table the
// refresh leaves must be the one the loaded settings give, both when the load changed a
// setting (a new table) and when it did not (the table kept).
TEST(YSignalGenerator, RefreshAfterALoadGivesTheLoadedSettingsTable) {
    YSignalGenerator source;
    source.SetValue(1.0);
    source.SetSmoothness(0.3);
    source.SetStepDepth(0.5);
    Rebuild(source);
    YXMLItem item("shape");
    source.Store(YStorer{true, &item});
    const std::vector<float> expected(source.Table(), source.Table() + N + 1);

    YSignalGenerator g;
    g.Store(YStorer{false, &item});
    Rebuild(g);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), g.Table()));

    g.Store(YStorer{false, &item}); // the same settings again
    Rebuild(g);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), g.Table()));

    g.SetSmoothness(0.0); // one setting after the load
    Rebuild(g);
    EXPECT_FALSE(std::equal(expected.begin(), expected.end(), g.Table()));
    g.Store(YStorer{false, &item});
    Rebuild(g);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), g.Table()));
}
