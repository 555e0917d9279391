// The flanger's processing: in place, channel routing, dry path, non-finite input, stability,
// tail, allocations.
#include "VornikEffectTestSupport.h"

#include "support/AllocationCounting.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

using namespace VornikEffectTest;

// ---------------------------------------------------------------------------------------------
// Processing

TEST(VornikAudioEffectPlugin, ProcessingInPlaceGivesTheSameSignal) {
    Settings s;
    s.mode = V::kModeTape;
    s.feedback = 0.6;
    s.saturation = 0.3;
    s.jet = 0.5;
    s.phaseDifference = 0.1;
    auto apart = MakeEffect(s, 3, 48000.0, nullptr);
    auto inPlace = MakeEffect(s, 3, 48000.0, nullptr);
    Channels in = TestSignal(3, 1200, 0.5), out(3, std::vector<float>(1200)), buffer = in;
    ProcessBlock(*apart, in, out, 0, 700);
    ProcessBlock(*apart, in, out, 700, 500);
    ProcessBlock(*inPlace, buffer, buffer, 0, 700);
    ProcessBlock(*inPlace, buffer, buffer, 700, 500);
    EXPECT_EQ(buffer, out);
}

TEST(VornikAudioEffectPlugin, AChannelReadingAnotherChannelsOutputHearsThatOutput) {
    // Channel 1 reads the buffer channel 0 writes: one channel after the other, channel 1 takes
    // channel 0's output as its input. The specialised loops must not read it before it is written.
    Settings s;
    s.feedback = 0.5;
    const Channels signal = TestSignal(2, 700, 0.5);
    Channels results[2];
    for (int general = 0; general < 2; ++general) {
        auto effect = MakeEffect(s, 2, 48000.0, nullptr);
        effect->SetGeneralPathOnly(general != 0);
        std::vector<float> a = signal[0], shared(700), c(700);
        float* ins[2] = {a.data(), shared.data()};
        float* outs[2] = {shared.data(), c.data()};
        YProcessingContext context;
        for (int offset = 0; offset < 700; offset += 350) {
            float* in[2] = {ins[0] + offset, ins[1] + offset};
            float* out[2] = {outs[0] + offset, outs[1] + offset};
            effect->Process(context, in, out, 350);
        }
        results[general] = {shared, c};
    }
    EXPECT_EQ(results[0], results[1]);
    EXPECT_GT(std::fabs(results[0][1][600]), 0.0f);
}

TEST(VornikAudioEffectPlugin, ChannelPhaseOffsetsStartFromTheLowestChannel) {
    // Channel phases: pd = −0.25 → 2.0 and 1.75 cycles; pd = 0.25 → 0 and 0.25. Each channel
    // must therefore sound like channel 0 of a run whose single LFO sits at that phase mod 1.
    Settings base;
    base.rate = std::log10(5.0);
    base.range = 0.004;
    base.depth = 2.0; // wet only
    const Channels in = [] {
        Channels one = TestSignal(1, 2048, 0.5);
        return Channels{one[0], one[0]};
    }();
    auto run = [&](double pd) {
        Settings s = base;
        s.phaseDifference = pd;
        auto effect = MakeEffect(s, 2, 48000.0, nullptr);
        Channels copy = in, out(2, std::vector<float>(2048));
        for (int b = 0; b < 8; ++b) ProcessBlock(*effect, copy, out, b * 256, 256);
        return out;
    };
    auto maxDifference = [](const std::vector<float>& a, const std::vector<float>& b) {
        double worst = 0.0;
        for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::fabs(double(a[i]) - b[i]));
        return worst;
    };
    const Channels zero = run(0.0), quarter = run(0.25), back = run(-0.25), threeQuarters = run(0.75);
    EXPECT_EQ(maxDifference(zero[0], quarter[0]), 0.0);
    EXPECT_LT(maxDifference(zero[0], back[0]), 1e-5);          // 2.0 cycles
    EXPECT_LT(maxDifference(threeQuarters[1], back[1]), 1e-5); // 1.75 cycles
    EXPECT_GT(maxDifference(quarter[0], quarter[1]), 1e-2);    // the offset is audible
    EXPECT_GT(maxDifference(zero[1], quarter[1]), 1e-2);
}

TEST(VornikAudioEffectPlugin, DryPathWaitsTheReportedLatencyWhateverTheRange) {
    struct Case {
        int mode;
        bool sinc;
        double range;
        int expectedDelay; // at 48 kHz the largest range is 480 samples
    };
    const Case cases[] = {
        {V::kModeDefault, false, 0.0008, 0},    {V::kModeDefault, true, 0.0008, 18},
        {V::kModeTape2, false, 0.0008, 481},    {V::kModeTape2, false, 0.01, 481},
        {V::kModeTape, false, 0.0008, 241},     {V::kModeTape, false, 0.0, 241},
        {V::kModeTape2, true, 0.002, 18 + 480}, {V::kModeTape, true, 0.01, 18 + 240},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " sinc " << c.sinc);
        Settings s;
        s.mode = c.mode;
        s.range = c.range;
        s.depth = 0.0; // no wet signal: the output is the dry path alone
        YEffectFrameSettings frame;
        frame.Sinc = c.sinc ? 1 : 0;
        auto effect = MakeEffect(s, 1, 48000.0, &frame);
        EXPECT_EQ(effect->GetLatency(), c.expectedDelay);
        Channels in(1, std::vector<float>(1024, 0.0f)), out = in;
        in[0][10] = 1.0f;
        ProcessBlock(*effect, in, out, 0, 1024);
        for (int i = 0; i < 1024; ++i) EXPECT_EQ(out[0][i], i == 10 + c.expectedDelay ? 1.0f : 0.0f) << i;
    }
}

TEST(VornikAudioEffectPlugin, SaturationZeroKeepsTheWetPathLinear) {
    auto peakRatio = [](double saturation) {
        Settings s;
        s.saturation = saturation;
        s.depth = 2.0;
        s.feedback = 0.5;
        auto a = MakeEffect(s, 1, 48000.0, nullptr);
        auto b = MakeEffect(s, 1, 48000.0, nullptr);
        Channels in = TestSignal(1, 1024, 0.4), in2 = in;
        for (float& x : in2[0]) x *= 2.0f;
        Channels outA(1, std::vector<float>(1024)), outB = outA;
        for (int k = 0; k < 4; ++k) {
            ProcessBlock(*a, in, outA, k * 256, 256);
            ProcessBlock(*b, in2, outB, k * 256, 256);
        }
        double worst = 0.0;
        for (int i = 0; i < 1024; ++i) worst = std::max(worst, std::fabs(2.0 * outA[0][i] - outB[0][i]));
        return worst;
    };
    EXPECT_LT(peakRatio(0.0), 1e-5);
    EXPECT_GT(peakRatio(1.0), 0.05);
    EXPECT_GT(peakRatio(0.2), 0.01);
}

TEST(VornikAudioEffectPlugin, NonFiniteInputDoesNotStayInTheLoop) {
    const float bad[] = {std::nanf(""), INFINITY, -INFINITY, 3e38f};
    for (float value : bad) {
        SCOPED_TRACE(value);
        Settings s;
        s.mode = V::kModeTape2;
        s.range = 0.01;
        s.delay = 0.02;
        s.feedback = 0.97;
        s.saturation = 0.3;
        auto effect = MakeEffect(s, 2, 48000.0, nullptr);
        const int block = 256, blocks = 24, total = block * blocks;
        Channels in = TestSignal(2, total, 0.5), out(2, std::vector<float>(total));
        const int badAt = 3 * block + 17;
        in[0][badAt] = value;
        in[0][badAt + 40] = value;
        for (int b = 0; b < blocks; ++b) ProcessBlock(*effect, in, out, b * block, block);
        // The longest line here is the 20 ms pre-delay (960 samples).
        int longest = 0;
        for (int c = 0; c < 2; ++c)
            longest = std::max({longest, effect->PreDelayLine(c).Length(), effect->ModulatedLine(c).Length(),
                                effect->DryLine(c).Length()});
        const int finiteFrom = badAt + 40 + 1 + longest + block;
        ASSERT_LT(finiteFrom, total - 2 * block);
        for (int i = finiteFrom; i < total; ++i) ASSERT_TRUE(std::isfinite(out[0][i])) << i;
        // The effect works again afterwards, and the other channel never noticed.
        double energy = 0.0;
        for (int i = total - block; i < total; ++i) energy += out[0][i] * out[0][i];
        EXPECT_GT(energy, 1.0);
        for (float y : out[1]) ASSERT_TRUE(std::isfinite(y));
    }
}

TEST(VornikAudioEffectPlugin, NothingNonFiniteReachesTheOutput) {
    // One channel; and a stereo pair at default settings, whose specialised loop watches its
    // own outputs. 3e38 overflows only on the way out and into the line, never in the filters.
    struct Case {
        int channels;
        double feedback;
        float bad;
    };
    for (const Case& c : {Case{1, -0.9, std::nanf("")}, Case{2, 0.5, std::nanf("")}, Case{2, 0.5, INFINITY},
                          Case{2, 0.5, 3e38f}}) {
        SCOPED_TRACE(testing::Message() << c.channels << " channels, " << c.bad);
        Settings s;
        s.feedback = c.feedback;
        auto effect = MakeEffect(s, c.channels, 48000.0, nullptr);
        Channels in = TestSignal(c.channels, 1024, 0.5), out(c.channels, std::vector<float>(1024));
        in[0][300] = c.bad;
        in[0][301] = c.bad;
        for (int b = 0; b < 4; ++b) ProcessBlock(*effect, in, out, b * 256, 256);
        for (int i = 0; i < 256; ++i) EXPECT_NE(out[0][i], 0.0f) << i;   // the clean block before
        for (int i = 256; i < 512; ++i) EXPECT_EQ(out[0][i], 0.0f) << i; // the block that carried it
        for (int i = 512; i < 1024; ++i) ASSERT_TRUE(std::isfinite(out[0][i])) << i;
        for (int ch = 1; ch < c.channels; ++ch)
            for (int i = 0; i < 1024; ++i) ASSERT_TRUE(std::isfinite(out[ch][i]) && out[ch][i] != 0.0f) << i;
    }
}

TEST(VornikAudioEffectPlugin, FiltersStayStableAtLowSampleRates) {
    // 20 kHz lies beyond Nyquist at 32 kHz; the designs must not blow up.
    Settings s;
    s.feedback = 0.5;
    s.depth = 2.0;
    for (double fs : {22050.0, 32000.0}) {
        auto effect = MakeEffect(s, 1, fs, nullptr);
        Channels in = TestSignal(1, 8192, 0.5), out(1, std::vector<float>(8192));
        for (int b = 0; b < 32; ++b) ProcessBlock(*effect, in, out, b * 256, 256);
        double peak = 0.0;
        for (float y : out[0]) peak = std::max(peak, std::fabs(double(y)));
        EXPECT_LT(peak, 4.0) << fs;
        EXPECT_GT(peak, 0.1) << fs;
    }
}

TEST(VornikAudioEffectPlugin, TailSilentWatchesTheModulatedLines) {
    V unprepared;
    EXPECT_TRUE(unprepared.TailSilent()); // no channels
    auto effect = MakeEffect(Settings{}, 2, 48000.0, nullptr);
    EXPECT_TRUE(effect->TailSilent());
    Channels in(2, std::vector<float>(256, 0.0f)), out = in;
    in[1][100] = 1e-19f;
    ProcessBlock(*effect, in, out, 0, 256);
    EXPECT_FALSE(effect->TailSilent());
    in[1][100] = 0.0f;
    // One second of silence lets the filters settle far below the threshold.
    for (int b = 0; b < 200; ++b) ProcessBlock(*effect, in, out, 0, 256);
    EXPECT_TRUE(effect->TailSilent());
    YEffectArguments args;
    EXPECT_EQ(effect->HandleCommand(kEffectTailSilent, &args), 1);
}

TEST(VornikAudioEffectPlugin, ProcessAllocatesNothing) {
    Settings s;
    s.saturation = 0.5;
    s.jet = 0.4;
    s.mode = V::kModeTape;
    YEffectFrameSettings frame;
    frame.Sinc = 1;
    auto effect = MakeEffect(s, 8, 48000.0, &frame);
    Channels in = TestSignal(8, 4096, 0.5), out(8, std::vector<float>(4096));
    ProcessBlock(*effect, in, out, 0, 256); // the LFO scratch may grow on the first block
    float* ins[8];
    float* outs[8];
    const YProcessingContext context;
    const uint64_t before = AllocationCounting::Count();
    for (int b = 1; b < 16; ++b) {
        effect->Parameter(V::kDepth).Float.Value = 1.0 - b * 0.1;
        effect->Parameter(V::kFeedback).Float.Value = b * 0.05;
        effect->Parameter(V::kJet).Float.Value = -0.5 + b * 0.05;
        for (int c = 0; c < 8; ++c) {
            ins[c] = in[c].data() + b * 256;
            outs[c] = out[c].data() + b * 256;
        }
        effect->Process(context, ins, outs, 256);
    }
    EXPECT_EQ(AllocationCounting::Count(), before);
}

TEST(VornikAudioEffectPlugin, UpdateAfterPrepareAllocatesNothing) {
    YEffectFrameSettings frame;
    auto effect = MakeEffect(Settings{}, 8, 48000.0, &frame);
    const uint64_t before = AllocationCounting::Count();
    effect->Parameter(V::kDelay).Float.Value = 0.02;
    effect->Parameter(V::kMode).Enum.Value = V::kModeTape2;
    effect->Parameter(V::kRange).Float.Value = 0.01;
    effect->Update();
    frame.Sinc = 1;
    effect->Update();
    EXPECT_EQ(AllocationCounting::Count(), before);
    // The tape delay follows the range where the glide starts (38.4 samples): the wet path
    // waits the rest of the 481 samples the dry path does.
    EXPECT_EQ(effect->PreDelayTarget(), 960.0 + (480 - 38));
    EXPECT_EQ(effect->ModulatedLine(7).Length(), 2 * 481 + 39);
    // The lines glide there while processing, still without allocating (beyond the LFO
    // scratch, which the first block may grow).
    Channels in = TestSignal(8, 512, 0.5), out(8, std::vector<float>(512));
    float* ins[8];
    float* outs[8];
    for (int c = 0; c < 8; ++c) {
        ins[c] = in[c].data();
        outs[c] = out[c].data();
    }
    const YProcessingContext context;
    effect->Process(context, ins, outs, 256);
    const uint64_t warm = AllocationCounting::Count();
    effect->Process(context, ins, outs, 256);
    EXPECT_EQ(AllocationCounting::Count(), warm);
    EXPECT_GT(effect->PreDelayNow(), 1.0);
}

TEST(VornikAudioEffectPlugin, PrepareClearsHistoryButKeepsSizes) {
    Settings s;
    s.delay = 0.001;
    auto effect = MakeEffect(s, 2, 48000.0, nullptr);
    Channels in = TestSignal(2, 512, 0.5), out(2, std::vector<float>(512));
    ProcessBlock(*effect, in, out, 0, 512);
    EXPECT_FALSE(effect->TailSilent());
    EXPECT_EQ(effect->Prepare(2, 48000.0), 0);
    EXPECT_TRUE(effect->TailSilent());
    EXPECT_EQ(effect->PreDelayLine(0).Length(), 48);
    EXPECT_EQ(effect->CurrentRange(), 0.0);
    for (int i = 0; i < effect->PreDelayLine(1).Length(); ++i)
        EXPECT_EQ(effect->PreDelayLine(1).Data()[i], 0.0f);
}
