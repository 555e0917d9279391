#include "core/YGainMeter.h"

#include "core/YAudioPlugin.h"
#include "support/AllocationCounting.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <numbers>
#include <thread>
#include <vector>

namespace {

// Channel pointers with eight slots per bus, as the processing entry hands them over.
struct Channels {
    Channels(int32_t count, size_t frames) : data(static_cast<size_t>(count), std::vector<float>(frames)) {
        for (int32_t c = 0; c < count; ++c) pointers[c] = data[static_cast<size_t>(c)].data();
    }
    void Sine(int32_t channel, double amplitude, double cyclesPerSample) {
        auto& v = data[static_cast<size_t>(channel)];
        for (size_t i = 0; i < v.size(); ++i)
            v[i] = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * cyclesPerSample * i));
    }
    void Fill(int32_t channel, float value) { std::fill(data[static_cast<size_t>(channel)].begin(), data[static_cast<size_t>(channel)].end(), value); }
    std::vector<std::vector<float>> data;
    float* pointers[16] = {};
};

// Feeds both sides in blocks of the given length.
void Feed(YGainMeter& meter, const Channels& in, int32_t inChannels, const Channels& out, int32_t outChannels,
          int32_t block) {
    const int32_t frames = static_cast<int32_t>(in.data[0].size());
    for (int32_t offset = 0; offset < frames; offset += block) {
        const int32_t n = std::min(block, frames - offset);
        const float* i[16] = {};
        const float* o[16] = {};
        for (int32_t c = 0; c < 16; ++c) {
            if (in.pointers[c] && c < inChannels) i[c] = in.pointers[c] + offset;
            if (out.pointers[c] && c < outChannels) o[c] = out.pointers[c] + offset;
        }
        meter.Measure(YGainMeter::kInput, i, 1, inChannels, n);
        meter.Measure(YGainMeter::kOutput, o, 1, outChannels, n);
    }
}

TEST(YGainMeterTest, GainMatchesTheOutputsPowerToTheInputs) {
    const struct {
        double inLeft, inRight, outLeft, outRight, gain;
    } cases[] = {
        {1.0, 1.0, 0.5, 0.5, 2.0},               // the effect halves the level
        {0.25, 0.25, 1.0, 1.0, 0.25},            // or raises it
        {0.5, 0.5, 0.5 * std::sqrt(2.0), 0.0, 1.0}, // one loud channel carries the same power as two
        {1.0, 0.0, 0.1, 0.1, std::sqrt(50.0)},
    };
    const size_t frames = 48000; // 480 whole periods of 100 cycles per 10000 samples
    for (const auto& c : cases) {
        Channels in(2, frames), out(2, frames);
        in.Sine(0, c.inLeft, 0.01);
        in.Sine(1, c.inRight, 0.01);
        out.Sine(0, c.outLeft, 0.03);
        out.Sine(1, c.outRight, 0.03);
        for (int32_t block : {1, 64, 1000, 48000}) {
            YGainMeter meter;
            Feed(meter, in, 2, out, 2, block);
            EXPECT_NEAR(meter.Gain(), c.gain, 1e-5 * c.gain) << c.inLeft << " " << c.outLeft << " block " << block;
        }
    }
    YGainMeter meter;
    Channels in(1, 1000), out(1, 1000);
    in.Fill(0, 0.5f);
    out.Fill(0, -0.25f);
    Feed(meter, in, 1, out, 1, 100);
    EXPECT_DOUBLE_EQ(meter.MeanPower(YGainMeter::kInput), 0.25);
    EXPECT_DOUBLE_EQ(meter.MeanPower(YGainMeter::kOutput), 0.0625);
    EXPECT_DOUBLE_EQ(meter.Gain(), 2.0);
}

TEST(YGainMeterTest, NeutralWithoutMeasurementOrWithSilenceAndBounded) {
    YGainMeter meter;
    EXPECT_EQ(meter.Gain(), 1.0);
    EXPECT_EQ(meter.MeanPower(YGainMeter::kInput), -1.0);

    Channels loud(1, 256), silent(1, 256), faint(1, 256);
    loud.Fill(0, 1.0f);
    faint.Fill(0, 1e-6f);
    Feed(meter, loud, 1, silent, 1, 256); // silent output: nothing to scale
    EXPECT_EQ(meter.Gain(), 1.0);
    YGainMeter quiet;
    Feed(quiet, silent, 1, loud, 1, 256); // silent input: neutral rather than muting
    EXPECT_EQ(quiet.Gain(), 1.0);
    YGainMeter bounded;
    Feed(bounded, loud, 1, faint, 1, 256);
    EXPECT_EQ(bounded.Gain(), YGainMeter::kMaximumGain);
    YGainMeter lower;
    Feed(lower, faint, 1, loud, 1, 256);
    EXPECT_EQ(lower.Gain(), YGainMeter::kMinimumGain);
}

TEST(YGainMeterTest, BlocksThatAreNotFiniteAndNullChannelsAreLeftOut) {
    YGainMeter meter;
    Channels in(2, 128), out(2, 128);
    in.Fill(0, 1.0f);
    in.Fill(1, 1.0f);
    out.Fill(0, 0.5f);
    out.Fill(1, 0.5f);
    Feed(meter, in, 2, out, 2, 128);
    Channels broken(2, 128);
    broken.Fill(0, std::numeric_limits<float>::quiet_NaN());
    broken.Fill(1, std::numeric_limits<float>::infinity());
    const float* b[16] = {broken.pointers[0], broken.pointers[1]};
    meter.Measure(YGainMeter::kOutput, b, 1, 2, 128);
    EXPECT_DOUBLE_EQ(meter.Gain(), 2.0);

    const float* partial[16] = {nullptr, out.pointers[1]}; // a missing channel adds nothing
    meter.Measure(YGainMeter::kOutput, partial, 1, 2, 128);
    EXPECT_DOUBLE_EQ(meter.MeanPower(YGainMeter::kOutput), (2 * 0.25 * 128 + 0.25 * 128) / 256.0);
    meter.Measure(YGainMeter::kOutput, nullptr, 1, 2, 128);
    meter.Measure(YGainMeter::kOutput, b, 1, 2, 0);
    EXPECT_DOUBLE_EQ(meter.MeanPower(YGainMeter::kOutput), (2 * 0.25 * 128 + 0.25 * 128) / 256.0);
}

TEST(YGainMeterTest, ResetStartsAFreshMeasurementAtTheNextBlock) {
    YGainMeter meter;
    Channels in(1, 64), out(1, 64);
    in.Fill(0, 1.0f);
    out.Fill(0, 0.5f);
    Feed(meter, in, 1, out, 1, 64);
    ASSERT_DOUBLE_EQ(meter.Gain(), 2.0);
    meter.Reset();
    EXPECT_EQ(meter.Gain(), 1.0); // pending: nothing measured yet
    EXPECT_EQ(meter.MeanPower(YGainMeter::kOutput), -1.0);
    out.Fill(0, 0.25f);
    Feed(meter, in, 1, out, 1, 64);
    EXPECT_DOUBLE_EQ(meter.Gain(), 4.0); // the earlier half-level output is forgotten
}

TEST(YGainMeterTest, WithoutInputsTheOutputIsMatchedToTheFixedReference) {
    YGainMeter meter;
    Channels out(2, 100);
    out.Fill(0, 0.5f);
    out.Fill(1, 0.5f);
    meter.SetNoInput();
    const float* o[16] = {out.pointers[0], out.pointers[1]};
    meter.Measure(YGainMeter::kOutput, o, 1, 2, 100);
    EXPECT_DOUBLE_EQ(meter.MeanPower(YGainMeter::kInput), 0.05);
    EXPECT_NEAR(meter.Gain(), std::sqrt(0.05 / 0.5), 1e-12);
}

// Writes half of its input, or a constant 0.5 when it has no inputs.
class HalvingPlugin : public YAudioPlugin {
public:
    void Process(float** inputs, float** outputs, int32_t frames) override {
        for (int32_t slot = 0; slot < 2; ++slot) {
            if (outputs[slot] == nullptr) continue;
            for (int32_t i = 0; i < frames; ++i)
                outputs[slot][i] = inputs != nullptr && inputs[slot] != nullptr ? 0.5f * inputs[slot][i] : 0.5f;
        }
    }
};

TEST(YGainMeterTest, ThePlugInFeedsTheMeterOnlyWhileMeasurementIsOn) {
    HalvingPlugin plugin;
    std::vector<float> inL(256, 0.8f), inR(256, -0.8f), outL(256), outR(256);
    float* inputs[16] = {inL.data(), inR.data()};
    float* outputs[16] = {outL.data(), outR.data()};
    plugin.ProcessAudio(inputs, outputs, 256, true);
    EXPECT_EQ(plugin.GainMeter().MeanPower(YGainMeter::kInput), -1.0);

    plugin.SetAutomaticGainMeasurement(true);
    const uint64_t before = AllocationCounting::Count();
    for (int i = 0; i < 3; ++i) plugin.ProcessAudio(inputs, outputs, 256, true);
    EXPECT_EQ(AllocationCounting::Count(), before);
    EXPECT_NEAR(plugin.GainMeter().Gain(), 2.0, 1e-6);

    // Off and on again: a new measurement that forgets the old one.
    plugin.SetAutomaticGainMeasurement(false);
    plugin.SetAutomaticGainMeasurement(true);
    EXPECT_EQ(plugin.GainMeter().Gain(), 1.0);

    HalvingPlugin generator;
    ASSERT_TRUE(generator.SetChannelCounts(0, 2));
    generator.SetAutomaticGainMeasurement(true);
    generator.ProcessAudio(nullptr, outputs, 256, true);
    EXPECT_DOUBLE_EQ(generator.GainMeter().MeanPower(YGainMeter::kInput), 0.05);
    EXPECT_NEAR(generator.GainMeter().Gain(), std::sqrt(0.05 / 0.5), 1e-6);
}

TEST(YGainMeterTest, ThreadingResetsAndReadsWhileTheAudioThreadMeasures) {
    YGainMeter meter;
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        Channels in(1, 64), out(1, 64);
        in.Fill(0, 1.0f);
        out.Fill(0, 0.5f);
        const float* i[16] = {in.pointers[0]};
        const float* o[16] = {out.pointers[0]};
        while (!stop.load()) {
            meter.Measure(YGainMeter::kInput, i, 1, 1, 64);
            meter.Measure(YGainMeter::kOutput, o, 1, 1, 64);
        }
    });
    int measured = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (int k = 0; k < 20000 || (measured < 100 && std::chrono::steady_clock::now() < deadline); ++k) {
        if (k % 100 == 0) meter.Reset();
        const double gain = meter.Gain();
        // Constant signals: any measurement at all gives exactly 2, none gives 1.
        ASSERT_TRUE(gain == 1.0 || gain == 2.0) << gain;
        measured += gain == 2.0;
    }
    stop.store(true);
    audio.join();
    EXPECT_GT(measured, 0);
}

} // namespace
