#include "primitives/YUpsampler.h"

#include "foundation/YException.h"
#include "support/AllocationCounting.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

namespace {

struct Case {
    int32_t factor;
    bool highQuality;
};
const Case kCases[] = {{2, false}, {4, false}, {8, false}, {16, false},
                       {2, true},  {4, true},  {8, true},  {16, true}};

std::string Name(const Case& c) {
    char text[32];
    std::snprintf(text, sizeof text, "x%d%s", static_cast<int>(c.factor), c.highQuality ? " high quality" : "");
    return text;
}

// Amplitude response of a symmetric filter at f cycles per sample, in double precision:
// h[c] + 2 Σ h[c+k] cos(2π f k), with the cosines from the Chebyshev recurrence.
double Amplitude(const std::vector<float>& taps, double f) {
    const size_t centre = (taps.size() - 1) / 2;
    const double c1 = std::cos(2.0 * std::numbers::pi * f);
    double previous = 1.0; // cos(0)
    double current = c1;   // cos(θ)
    double sum = taps[centre];
    for (size_t k = 1; centre + k < taps.size(); ++k) {
        sum += 2.0 * taps[centre + k] * current;
        const double next = 2.0 * c1 * current - previous;
        previous = current;
        current = next;
    }
    return sum;
}

// Magnitude of the DFT of x at f cycles per sample (Goertzel, double precision), scaled so
// that a sine of amplitude 1 that fits the length a whole number of times reads 1.
double ToneMagnitude(const std::vector<float>& x, size_t start, size_t count, double f) {
    const double w = 2.0 * std::numbers::pi * f;
    const double coefficient = 2.0 * std::cos(w);
    double s1 = 0.0, s2 = 0.0;
    for (size_t i = 0; i < count; ++i) {
        const double s0 = x[start + i] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double re = s1 - s2 * std::cos(w);
    const double im = s2 * std::sin(w);
    return 2.0 * std::sqrt(re * re + im * im) / static_cast<double>(count);
}

double Db(double ratio) { return 20.0 * std::log10(std::max(ratio, 1e-300)); }

// Runs a round trip in blocks of uneven length, so state is carried across block edges.
std::vector<float> RoundTrip(YUpsampler& upsampler, const std::vector<float>& in) {
    const int32_t factor = upsampler.Factor();
    std::vector<float> up(in.size() * static_cast<size_t>(factor));
    std::vector<float> out(in.size(), -7.0f);
    const int32_t blocks[] = {1, 37, 256, 3, 500};
    size_t done = 0;
    for (size_t b = 0; done < in.size(); ++b) {
        const int32_t n = std::min<int32_t>(blocks[b % 5], static_cast<int32_t>(in.size() - done));
        upsampler.Upsample(in.data() + done, up.data() + done * factor, n);
        upsampler.Downsample(up.data() + done * factor, out.data() + done, n, false);
        done += static_cast<size_t>(n);
    }
    return out;
}

TEST(YUpsamplerTest, RejectsFactorsOtherThanTwoFourEightAndSixteen) {
    for (int32_t factor : {-2, 0, 1, 3, 6, 32}) {
        YUpsampler upsampler;
        EXPECT_THROW(upsampler.Configure(factor, false), YException) << factor;
        EXPECT_FALSE(upsampler.IsConfigured());
        EXPECT_EQ(upsampler.Latency(), 0);
    }
}

TEST(YUpsamplerTest, AnImpulseComesBackExactlyTheLatencyLateAndSymmetric) {
    for (const Case& c : kCases) {
        YUpsampler upsampler;
        upsampler.Configure(c.factor, c.highQuality);
        const int32_t latency = (c.highQuality ? 6144 : 1536) / c.factor;
        ASSERT_EQ(upsampler.Latency(), latency) << Name(c);
        const size_t at = 11;
        std::vector<float> in(static_cast<size_t>(latency) * 2 + 400, 0.0f);
        in[at] = 1.0f;
        const std::vector<float> out = RoundTrip(upsampler, in);
        const size_t peak = static_cast<size_t>(
            std::max_element(out.begin(), out.end(), [](float a, float b) { return std::fabs(a) < std::fabs(b); }) -
            out.begin());
        EXPECT_EQ(peak, at + static_cast<size_t>(latency)) << Name(c);
        // A band-limited impulse: the transition band above 0.45 of the host rate takes a little.
        EXPECT_NEAR(out[peak], 1.0f, 2e-2f) << Name(c);
        for (size_t j = 1; j < at; ++j) EXPECT_NEAR(out[peak - j], out[peak + j], 1e-6f) << Name(c) << " " << j;
        double sum = 0.0;
        for (float v : out) sum += v;
        EXPECT_NEAR(sum, 1.0, 1e-4) << Name(c); // DC gain of the round trip
    }
}

TEST(YUpsamplerTest, DesignedFiltersMeetPassBandAndStopBand) {
    for (const Case& c : kCases) {
        YUpsampler upsampler;
        upsampler.Configure(c.factor, c.highQuality);
        const std::vector<float>& taps = upsampler.Prototype();
        ASSERT_EQ(taps.size() % 2, 1u) << Name(c);
        ASSERT_LE(static_cast<int32_t>(taps.size()) - 1, c.highQuality ? 6144 : 1536) << Name(c);
        for (size_t k = 0; k < taps.size() / 2; ++k) ASSERT_EQ(taps[k], taps[taps.size() - 1 - k]) << Name(c);

        // Frequencies in cycles per up-sampled sample; the host rate is 1 / factor.
        const double hostRate = 1.0 / c.factor;
        double ripple = 0.0;
        for (int i = 0; i <= 2000; ++i) {
            const double f = upsampler.PassBandEdge() * hostRate * i / 2000.0;
            ripple = std::max(ripple, std::fabs(Db(std::fabs(Amplitude(taps, f)))));
        }
        // Side lobes are about 1 / length wide: eight looks per lobe find their peaks.
        const double step = 1.0 / (8.0 * static_cast<double>(taps.size()));
        double worst = 0.0;
        for (double f = upsampler.StopBandEdge() * hostRate; f <= 0.5; f += step)
            worst = std::max(worst, std::fabs(Amplitude(taps, f)));
        const double attenuation = -Db(worst);
        EXPECT_LT(ripple, 1e-4) << Name(c);
        EXPECT_GE(attenuation, c.highQuality ? 120.0 : 100.0) << Name(c);
        std::printf("[ measured ] %-16s %5zu taps, pass-band ripple %.2e dB, stop band %.1f dB\n",
                    Name(c).c_str(), taps.size(), ripple, attenuation);
    }
}

TEST(YUpsamplerTest, UpSamplingKeepsTheLevelAndItsImagesAreFarDown) {
    const double hostRate = 48000.0;
    const double tone = 1000.0;
    for (const Case& c : kCases) {
        YUpsampler upsampler;
        upsampler.Configure(c.factor, c.highQuality);
        // 4800 host samples hold exactly 100 periods, so the tone and every image sit on
        // DFT bins and a rectangular window leaks nothing.
        const size_t settle = 512;
        const size_t analysed = 4800;
        const size_t frames = settle + analysed;
        std::vector<float> in(frames);
        for (size_t n = 0; n < frames; ++n)
            in[n] = static_cast<float>(std::sin(2.0 * std::numbers::pi * tone * n / hostRate));
        std::vector<float> up(frames * static_cast<size_t>(c.factor));
        upsampler.Upsample(in.data(), up.data(), static_cast<int32_t>(frames));

        const double upRate = hostRate * c.factor;
        const size_t start = settle * static_cast<size_t>(c.factor);
        const size_t count = analysed * static_cast<size_t>(c.factor);
        const double level = ToneMagnitude(up, start, count, tone / upRate);
        EXPECT_NEAR(level, 1.0, 1e-5) << Name(c);
        double worst = 0.0;
        for (int32_t k = 1; k < c.factor; ++k) {
            for (double image : {k * hostRate - tone, k * hostRate + tone}) {
                if (image > upRate * 0.5) continue;
                worst = std::max(worst, ToneMagnitude(up, start, count, image / upRate));
            }
        }
        EXPECT_LE(Db(worst / level), c.highQuality ? -120.0 : -100.0) << Name(c);
        std::printf("[ measured ] %-16s images of a 1 kHz sine %.1f dB\n", Name(c).c_str(), Db(worst / level));
    }
}

TEST(YUpsamplerTest, ASineSurvivesTheRoundTripAfterTheLatency) {
    for (const Case& c : kCases) {
        YUpsampler upsampler;
        upsampler.Configure(c.factor, c.highQuality);
        const size_t latency = static_cast<size_t>(upsampler.Latency());
        std::vector<float> in(latency + 6000);
        for (size_t n = 0; n < in.size(); ++n)
            in[n] = static_cast<float>(0.9 * std::sin(2.0 * std::numbers::pi * 1000.0 * n / 48000.0));
        const std::vector<float> out = RoundTrip(upsampler, in);
        // The filters' start-up transient lasts the latency; from twice the latency on the
        // output is the input, delayed.
        double error = 0.0;
        for (size_t n = 2 * latency; n < in.size(); ++n)
            error = std::max(error, static_cast<double>(std::fabs(out[n] - in[n - latency])));
        EXPECT_LT(error, 2e-5) << Name(c);
        std::printf("[ measured ] %-16s 1 kHz round trip, largest error %.2e\n", Name(c).c_str(), error);
    }
}

TEST(YUpsamplerTest, ResetForgetsThePastAndAccumulateAdds) {
    YUpsampler upsampler;
    upsampler.Configure(4, false);
    std::vector<float> in(800, 0.5f);
    std::vector<float> up(in.size() * 4);
    std::vector<float> out(in.size());
    upsampler.Upsample(in.data(), up.data(), 800);
    upsampler.Reset();
    std::vector<float> silence(800, 0.0f);
    upsampler.Upsample(silence.data(), up.data(), 800);
    upsampler.Downsample(up.data(), out.data(), 800, false);
    EXPECT_EQ(*std::max_element(out.begin(), out.end()), 0.0f);

    upsampler.Upsample(in.data(), up.data(), 800);
    std::vector<float> replaced(800), added(800, 1.0f);
    YUpsampler twin;
    twin.Configure(4, false);
    std::vector<float> up2(in.size() * 4);
    twin.Upsample(in.data(), up2.data(), 800);
    upsampler.Downsample(up.data(), replaced.data(), 800, false);
    twin.Downsample(up2.data(), added.data(), 800, true);
    for (size_t n = 0; n < 800; ++n) ASSERT_FLOAT_EQ(added[n], replaced[n] + 1.0f) << n;
    EXPECT_NEAR(replaced[799], 0.5f, 1e-5f); // settled on the input's level after the latency
}

TEST(YUpsamplerTest, ProcessingAllocatesNothing) {
    YUpsampler upsampler;
    upsampler.Configure(16, true);
    std::vector<float> in(512, 0.25f);
    std::vector<float> up(512 * 16);
    std::vector<float> out(512);
    const uint64_t before = AllocationCounting::Count();
    for (int i = 0; i < 4; ++i) {
        upsampler.Upsample(in.data(), up.data(), 512);
        upsampler.Downsample(up.data(), out.data(), 512, i % 2 == 1);
        upsampler.Reset();
    }
    EXPECT_EQ(AllocationCounting::Count(), before);
}

} // namespace
