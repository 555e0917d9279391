#include "AudioFile.h"
#include "ParameterText.h"
#include "Renderer.h"
#include "VstPluginHost.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {
enum FixtureParameter { kGain, kMode, kCutoff, kCutoffQ, kTempo };

class VstPluginHostTest : public ::testing::Test {
protected:
    void SetUp() override { host.Load(VORNIK_FIXTURE_PLUGIN, settings); }
    VstPluginHost::Settings settings{44100.0, 100, 90.0};
    VstPluginHost host;
};

std::string Message(const std::function<void()>& action) {
    try {
        action();
    } catch (const HostError& error) {
        return error.what();
    }
    return "(no error)";
}
} // namespace

TEST_F(VstPluginHostTest, LoadsLikeADawAndAnswersTheCallback) {
    EXPECT_EQ(host.EffectName(), "Fixture");
    EXPECT_EQ(host.VendorString(), "Tests");
    EXPECT_EQ(host.InputCount(), 2);
    EXPECT_EQ(host.ParameterCount(), 5);
    EXPECT_GE(host.Log().versionRequests, 1); // the fixture refuses hosts below 2400
    EXPECT_EQ(host.Latency(), 0);
    host.Start();
    // The latency arrives with an I/O change, as a plug-in reports it when switched on.
    EXPECT_EQ(host.Latency(), 64);
    EXPECT_EQ(host.Log().ioChanges, 1);
    host.Stop();
    EXPECT_EQ(host.Latency(), 0);
    EXPECT_EQ(host.ParameterName(kCutoffQ), "Cutoff Q");
    EXPECT_EQ(host.ParameterLabel(kGain), "dB");
    EXPECT_EQ(host.ParameterLabel(kCutoffQ), "\u00B0"); // Latin-1 from the plug-in, UTF-8 from the host
    EXPECT_EQ(host.ParameterDisplay(kMode), "Plain");
    EXPECT_NE(Message([&] { host.ParameterName(5); }).find("out of range"), std::string::npos);
}

TEST_F(VstPluginHostTest, MissingAndForeignBinariesFailWithReasons) {
    VstPluginHost other;
    EXPECT_NE(Message([&] { other.Load("/nonexistent/plugin.so", settings); }).find("/nonexistent/plugin.so"),
              std::string::npos);
    EXPECT_NE(Message([&] { other.Load("libz.so.1", settings); }).find("exports neither VSTPluginMain"),
              std::string::npos);
    EXPECT_NE(Message([&] { other.InputCount(); }).find("No plug-in"), std::string::npos);
    EXPECT_NE(Message([&] { host.Load(VORNIK_FIXTURE_PLUGIN, settings); }).find("loaded already"), std::string::npos);
}

TEST_F(VstPluginHostTest, FindsParametersByIndexNameOrUniqueStart) {
    const std::pair<const char*, int32_t> found[] = {{"0", kGain}, {"4", kTempo}, {"gain", kGain},
                                                     {"CUTOFF", kCutoff}, {"Cutoff q", kCutoffQ}, {"Tem", kTempo}};
    for (auto [text, index] : found) EXPECT_EQ(ParameterText::Find(host, text), index) << text;
    const std::pair<const char*, const char*> failing[] = {
        {"5", "out of range"}, {"Cut", "ambiguous: Cutoff, Cutoff Q"}, {"Volume", "the plug-in has: Gain, Mode"}};
    for (auto [text, reason] : failing)
        EXPECT_NE(Message([&] { ParameterText::Find(host, text); }).find(reason), std::string::npos) << text;
}

TEST(VstPluginHostTextTest, KeepsUtf8AndWidensLatin1) {
    const std::pair<std::string, std::string> cases[] = {
        {"50 %", "50 %"},
        {"90\xC2\xB0 (25%)", "90\u00B0 (25%)"}, // valid UTF-8 stays
        {"90\xB0 (25%)", "90\u00B0 (25%)"},     // Latin-1 degree sign
        {"\xE9t\xE9", "\u00E9t\u00E9"},
        {"\xE2\x99", "\u00E2\u0099"}, // a cut-off UTF-8 sequence is not UTF-8
    };
    for (const auto& [plugin, shown] : cases) EXPECT_EQ(VstPluginHost::TextFromPlugin(plugin), shown) << plugin;
}

TEST(ParameterTextTest, QuantityReadsTheLeadingNumberInTheUnitsBase) {
    const std::pair<const char*, double> cases[] = {{"50", 50},         {" -3.5 dB", -3.5}, {"+2", 2},
                                                    {"2.50 kHz", 2500}, {"1 MHz", 1e6},     {"5.00 ms", 5},
                                                    {"12k", 12},        {".5", 0.5},        {"40% wet, 100% dry", 40}};
    for (auto [text, value] : cases) {
        ASSERT_TRUE(ParameterText::Quantity(text)) << text;
        EXPECT_DOUBLE_EQ(*ParameterText::Quantity(text), value) << text;
    }
    for (const char* text : {"", "Tape", "kHz", "-", "inf"}) EXPECT_FALSE(ParameterText::Quantity(text)) << text;
}

TEST_F(VstPluginHostTest, SetsParametersFromTheTextsTheyShow) {
    struct Case {
        int32_t index;
        const char* text;
        const char* display;
    };
    const Case cases[] = {
        {kGain, "6", "6.0"},           {kGain, "-24", "-24.0"},      {kGain, "12 dB", "12.0"},
        {kGain, "-7.25", "-7.3"},      {kMode, "swap", "Swap"},      {kMode, " Invert ", "Invert"},
        {kMode, "Plain", "Plain"},     {kCutoff, "2 kHz", "2.00 kHz"}, {kCutoff, "500", "500 Hz"},
        {kCutoff, "20000", "20.00 kHz"}, {kCutoffQ, "5", "5.00"},
    };
    for (const Case& c : cases) {
        ParameterText::Set(host, c.index, c.text);
        EXPECT_EQ(host.ParameterDisplay(c.index), c.display) << c.text;
    }
    // A text that many values show lands in the middle of them, away from both edges.
    ParameterText::Set(host, kMode, "Invert");
    EXPECT_NEAR(host.GetParameter(kMode), 0.5f, 1e-3f);
    ParameterText::Set(host, kGain, "0");
    EXPECT_NEAR(host.GetParameter(kGain), 24.0f / 36.0f, 1e-4f);
}

TEST_F(VstPluginHostTest, TextsNoValueShowsLeaveTheParameterAlone) {
    ParameterText::Set(host, kGain, "3");
    const float before = host.GetParameter(kGain);
    EXPECT_NE(Message([&] { ParameterText::Set(host, kGain, "40"); }).find("outside"), std::string::npos);
    EXPECT_NE(Message([&] { ParameterText::Set(host, kMode, "Reverse"); }).find("none of the texts"), std::string::npos);
    EXPECT_NE(Message([&] { ParameterText::Set(host, kGain, "loud"); }).find("none of the texts"), std::string::npos);
    EXPECT_EQ(host.GetParameter(kGain), before);
    EXPECT_EQ(host.ParameterDisplay(kMode), "Plain");
}

TEST_F(VstPluginHostTest, StateRoundTripsThroughChunks) {
    ParameterText::Set(host, kGain, "-6");
    ParameterText::Set(host, kMode, "Swap");
    const std::vector<uint8_t> state = host.SaveState();
    ParameterText::Set(host, kGain, "9");
    ParameterText::Set(host, kMode, "Plain");
    host.LoadState(state);
    EXPECT_EQ(host.ParameterDisplay(kGain), "-6.0");
    EXPECT_EQ(host.ParameterDisplay(kMode), "Swap");
    EXPECT_NE(Message([&] { host.LoadState({1, 2, 3}); }).find("refused"), std::string::npos);
    EXPECT_NE(Message([&] { host.LoadState({}); }).find("empty"), std::string::npos);
}

TEST_F(VstPluginHostTest, RendersInBlocksWithTailAndTransport) {
    AudioBuffer input;
    input.sampleRate = 44100.0;
    input.format = SampleFormat::Pcm16;
    input.channels.assign(2, std::vector<float>(1234));
    for (int i = 0; i < 1234; ++i) {
        input.channels[0][i] = 0.001f * (i % 100);
        input.channels[1][i] = -0.002f * (i % 50);
    }
    ParameterText::Set(host, kGain, "6");
    ParameterText::Set(host, kMode, "Swap");
    const RenderResult result = Renderer::Render(host, input, 0.01);
    EXPECT_EQ(result.output.format, SampleFormat::Pcm16);
    ASSERT_EQ(result.output.ChannelCount(), 2);
    ASSERT_EQ(result.output.Frames(), 1234 + 441); // a block size that does not divide it
    const float gain = std::pow(10.0f, 6.0f / 20.0f);
    for (int i = 0; i < 1234; ++i) {
        ASSERT_NEAR(result.output.channels[0][i], gain * input.channels[1][i], 1e-6f) << i;
        ASSERT_NEAR(result.output.channels[1][i], gain * input.channels[0][i], 1e-6f) << i;
    }
    for (int i = 1234; i < 1234 + 441; ++i) ASSERT_EQ(result.output.channels[0][i], 0.0f) << i;
    EXPECT_EQ(host.Log().timeRequests, 17); // one per block
    EXPECT_EQ(host.ParameterDisplay(kTempo), "90.0");
    EXPECT_GT(result.processSeconds, 0.0);
    EXPECT_GT(result.RealTimeFactor(), 0.0);

    // Mono feeds both inputs and keeps the first output.
    AudioBuffer mono = input;
    mono.channels.resize(1);
    ParameterText::Set(host, kMode, "Invert");
    const RenderResult monoResult = Renderer::Render(host, mono, 0.0);
    ASSERT_EQ(monoResult.output.ChannelCount(), 1);
    EXPECT_NEAR(monoResult.output.channels[0][99], -gain * 0.099f, 1e-6f);

    AudioBuffer wrongRate = input;
    wrongRate.sampleRate = 48000.0;
    EXPECT_NE(Message([&] { Renderer::Render(host, wrongRate, 0.0); }).find("runs at"), std::string::npos);
}
