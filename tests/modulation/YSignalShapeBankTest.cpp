#include "modulation/YSignalShapeBank.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;

double Sine(double x) { return std::sin(2.0 * kPi * x); }
// The table's zero crossings are exact: sin π ≈ 1.2e-16 would give 6.6e-4 under power 0.2.
double SignedPow(double s, double e) {
    if (std::fabs(s) < 1e-12) return 0.0;
    return s < 0 ? -std::pow(-s, e) : std::pow(s, e);
}

// Triangle through 0 at x = 0 and 0.5, +1 at 0.25, −1 at 0.75.
double Triangle(double x) {
    if (x < 0.25) return 4.0 * x;
    if (x < 0.75) return 2.0 - 4.0 * x;
    return 4.0 * x - 4.0;
}

double Harmonics(double x) { return 0.5 * Sine(x) + 0.3 * Sine(2 * x) + 0.1 * Sine(4 * x); }

double Disharmonics(int j) {
    const double x = j / 8192.0;
    double v =
        0.3 * Sine(x) + 0.2 * Sine(1.1 * x) + 0.2 * Sine(1.2 * x) + 0.2 * Sine(1.3 * x) + 0.1 * Sine(1.4 * x);
    if (j < 1024) v *= j / 1023.0;
    if (j > 8191 - 1024) v *= (8191 - j) / 1023.0;
    return v;
}

double Rectangle(int j) {
    if (j < 16) return j / 15.0;
    if (j < 4080) return 1.0;
    if (j < 4096) return (4095 - j) / 15.0;
    if (j < 4112) return -(j - 4096) / 15.0;
    if (j < 8176) return -1.0;
    return -(8191 - j) / 15.0;
}

struct ShapeCase {
    int index;
    const char* name;
    std::function<double(int)> expected;
};

} // namespace

TEST(YSignalShapeBank, EveryShapeMatchesItsDefinitionAtKnownPhases) {
    const std::vector<ShapeCase> cases = {
        {0, "Exponencial", [](int j) { return SignedPow(Triangle(j / 8192.0), 4.0); }},
        {1, "Triangle", [](int j) { return Triangle(j / 8192.0); }},
        {2, "Sine power 8", [](int j) { return SignedPow(Sine(j / 8192.0), 8.0); }},
        {3, "Sine power 4", [](int j) { return SignedPow(Sine(j / 8192.0), 4.0); }},
        {4, "Sine square", [](int j) { return SignedPow(Sine(j / 8192.0), 2.0); }},
        {5, "Sine", [](int j) { return Sine(j / 8192.0); }},
        {6, "Harmonics", [](int j) { return Harmonics(j / 8192.0); }},
        {7, "More harmonics",
         [](int j) {
             const double x = j / 8192.0;
             return Harmonics(x) + 0.05 * Sine(8 * x) + 0.02 * Sine(16 * x);
         }},
        {8, "Disharmonics", Disharmonics},
        {9, "Sine square root", [](int j) { return SignedPow(Sine(j / 8192.0), 0.5); }},
        {10, "Sine 4-root", [](int j) { return SignedPow(Sine(j / 8192.0), 0.2); }},
        {11, "Rectangle", Rectangle},
        {12, "Saw", [](int j) { return 1.0 - j / 8192.0; }},
        {13, "Full saw", [](int j) { return 1.0 - 2.0 * j / 8192.0; }},
        {15, "Mess",
         [](int j) {
             const uint32_t u = (static_cast<uint32_t>(j) * 1111917978u) ^ 3437039906u;
             return (u % 1000000u) * 2e-06 - 1.0;
         }},
    };
    const int phases[] = {0,    1,    7,    15,   16,   100,  1023, 1024, 1500, 2047,
                          2048, 2049, 3000, 4079, 4080, 4095, 4096, 4100, 4111, 4112,
                          5000, 6143, 6144, 7000, 7168, 8175, 8176, 8190, 8191};
    const YSignalShapeBank& bank = YSignalShapeBank::Instance();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(YSignalShapeBank::ShapeName(c.index), c.name);
        for (int j : phases) EXPECT_NEAR(bank.Shape(c.index)[j], c.expected(j), 2e-6) << "j = " << j;
    }
}

TEST(YSignalShapeBank, NoiseIsTheSharedRandomSequenceFromSeedZero) {
    const float* noise = YSignalShapeBank::Instance().Shape(14);
    EXPECT_STREQ(YSignalShapeBank::ShapeName(14), "Noise");
    // The sequence x := x·214013 + 2531011 from 0 draws 38 first, then 7719 and 21238.
    EXPECT_NEAR(noise[0], 38 * 6.103702e-05 - 1.0, 1e-6);
    EXPECT_NEAR(noise[1], 7719 * 6.103702e-05 - 1.0, 1e-6);
    EXPECT_NEAR(noise[2], 21238 * 6.103702e-05 - 1.0, 1e-6);
    double sum = 0.0;
    for (int j = 0; j < 8192; ++j) {
        ASSERT_GE(noise[j], -1.0f);
        ASSERT_LE(noise[j], 1.0f);
        sum += noise[j];
    }
    EXPECT_NEAR(sum / 8192.0, 0.0, 0.05);
}

TEST(YSignalShapeBank, StepTypesMatchTheirDefinitions) {
    auto u = [](int j) { return j / 1023.0; };
    auto wobble = [&](int k, double e) {
        return [=](int j) {
            if (k == 1) return std::pow(u(j), e);
            double t = k * u(j);
            t -= std::floor(t + 1e-9); // tooth edges at exact multiples
            return std::pow(t, e) * (0.8 + j / 5115.0);
        };
    };
    const std::vector<ShapeCase> cases = {
        {0, "Default", [](int) { return 1.0; }},
        {1, "Linear up", [&](int j) { return u(j); }},
        {3, "Sqr up", [&](int j) { return u(j) * u(j); }},
        {5, "4th up", [&](int j) { return std::pow(u(j), 4.0); }},
        {7, "SqrRoot up", [&](int j) { return std::sqrt(u(j)); }},
        {9, "1/4th up", [&](int j) { return std::pow(u(j), 0.25); }},
        {11, "Sine up", [&](int j) { return 0.5 - 0.5 * std::cos(kPi * u(j)); }},
        {13, "Step left smooth", [&](int j) { return std::pow(0.5 + 0.5 * std::sin(kPi * u(j)), 8.0); }},
        {15, "Step left", [](int j) { return j >= 512 ? 1.0 : 0.0; }},
        {17, "Saw", [&](int j) { return j <= 511 ? 2.0 * u(j) : 2.0 - 2.0 * u(j); }},
        {18, "Saw down", [&](int j) { return std::fabs(2.0 * u(j) - 1.0); }},
        {19, "Sine saw", [&](int j) { return 0.5 - 0.5 * std::cos(2.0 * kPi * u(j)); }},
        {20, "Sine saw down", [&](int j) { return 0.5 + 0.5 * std::cos(2.0 * kPi * u(j)); }},
        {21, "Wobble 1", wobble(1, 1.6)},
        {22, "Wobble 2", wobble(2, 1.6)},
        {23, "Wobble 3", wobble(3, 1.6)},
        {24, "Wobble 4", wobble(4, 1.6)},
        {25, "Wobble 1", wobble(1, 0.625)},
        {28, "Wobble 4", wobble(4, 0.625)},
    };
    const int points[] = {0, 1, 100, 255, 256, 340, 341, 342, 511, 512, 682, 767, 768, 1000, 1022, 1023};
    const YSignalShapeBank& bank = YSignalShapeBank::Instance();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_STREQ(YSignalShapeBank::StepTypeName(c.index), c.name);
        for (int j : points) EXPECT_NEAR(bank.StepType(c.index)[j], c.expected(j), 2e-6) << "j = " << j;
    }
}

TEST(YSignalShapeBank, FallingStepTypesAreTheRisingOnesReversed) {
    struct Pair {
        int rising, falling;
        const char* name;
    };
    const Pair pairs[] = {
        {1, 2, "Linear down"},         {3, 4, "Sqr down"},          {5, 6, "4th down"},
        {7, 8, "SqrRoot down"},        {9, 10, "1/4th down"},       {11, 12, "Sine down"},
        {13, 14, "Step right smooth"}, {15, 16, "Step right"},      {21, 29, "Wobble 1 mirror"},
        {22, 30, "Wobble 2 mirror"},   {23, 31, "Wobble 3 mirror"}, {24, 32, "Wobble 4 mirror"},
        {25, 33, "Wobble 1 mirror"},   {26, 34, "Wobble 2 mirror"}, {27, 35, "Wobble 3 mirror"},
        {28, 36, "Wobble 4 mirror"}};
    const YSignalShapeBank& bank = YSignalShapeBank::Instance();
    for (const auto& p : pairs) {
        SCOPED_TRACE(p.name);
        EXPECT_STREQ(YSignalShapeBank::StepTypeName(p.falling), p.name);
        for (int j = 0; j < 1024; ++j)
            ASSERT_EQ(bank.StepType(p.falling)[j], bank.StepType(p.rising)[1023 - j]);
    }
}

TEST(YSignalShapeBank, NamesOutOfRangeAreEmpty) {
    EXPECT_STREQ(YSignalShapeBank::ShapeName(-1), "");
    EXPECT_STREQ(YSignalShapeBank::ShapeName(16), "");
    EXPECT_STREQ(YSignalShapeBank::StepTypeName(-1), "");
    EXPECT_STREQ(YSignalShapeBank::StepTypeName(37), "");
}

TEST(YSignalShapeBankThreading, ConcurrentFirstUseBuildsOneBank) {
    std::vector<const YSignalShapeBank*> seen(4, nullptr);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < seen.size(); ++t)
        threads.emplace_back([&seen, t] { seen[t] = &YSignalShapeBank::Instance(); });
    for (auto& t : threads) t.join();
    for (const auto* bank : seen) {
        EXPECT_EQ(bank, &YSignalShapeBank::Instance());
        EXPECT_FLOAT_EQ(bank->Shape(5)[2048], 1.0f);
    }
}
