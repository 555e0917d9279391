// The host against the real plug-in binary: loading it as a DAW does, its parameters by
// text, its state, and audio rendered through it.
#ifdef VORNIK_PLUGIN_BINARY

#include "AudioFile.h"
#include "DemoSignal.h"
#include "ParameterText.h"
#include "Renderer.h"
#include "VstPluginHost.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {
class VornikPluginTest : public ::testing::Test {
protected:
    void SetUp() override { host.Load(VORNIK_PLUGIN_BINARY, VstPluginHost::Settings{}); }
    std::string Set(const char* name, const char* text) {
        const int32_t index = ParameterText::Find(host, name);
        ParameterText::Set(host, index, text);
        return host.ParameterDisplay(index);
    }
    VstPluginHost host;
};

double Rms(const std::vector<float>& samples) {
    double sum = 0.0;
    for (float s : samples) sum += double(s) * s;
    return std::sqrt(sum / samples.size());
}

double RmsDifference(const std::vector<float>& a, const std::vector<float>& b) {
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i) sum += (double(a[i]) - b[i]) * (double(a[i]) - b[i]);
    return std::sqrt(sum / a.size());
}
} // namespace

TEST_F(VornikPluginTest, PresentsItselfToTheHost) {
    EXPECT_EQ(host.EffectName(), "Vornik");
    EXPECT_EQ(host.VendorString(), "Quenlor");
    EXPECT_EQ(host.UniqueID(), Vst2::FourCC('Q', 'n', 'V', 'k'));
    EXPECT_GE(host.InputCount(), 2);
    EXPECT_EQ(host.OutputCount(), 2);
    EXPECT_TRUE(host.HasChunks());
    EXPECT_GE(host.Log().versionRequests, 1);
    for (const char* name : {"Mode", "Depth", "Range", "Rate", "Feedback", "Saturation"})
        EXPECT_NO_THROW(ParameterText::Find(host, name)) << name;
}

TEST_F(VornikPluginTest, TakesParameterTextsAsTheyAreShown) {
    EXPECT_EQ(Set("Feedback", "50"), "50.0%");
    EXPECT_NEAR(host.GetParameter(ParameterText::Find(host, "Feedback")), 0.75f, 1e-4f);
    EXPECT_EQ(Set("Mode", "Tape 2"), "Tape 2");
    EXPECT_EQ(Set("Depth", "50"), "50% wet, 100% dry");
    EXPECT_EQ(ParameterText::Quantity(Set("Rate", "5")), 5.0);
    EXPECT_EQ(ParameterText::Quantity(Set("Range", "2")), 2.0);
    EXPECT_EQ(ParameterText::Quantity(Set("Max frequency", "5 kHz")), 5000.0);
}

TEST_F(VornikPluginTest, StateSurvivesASaveAndLoad) {
    Set("Feedback", "-30");
    Set("Mode", "Tape");
    Set("Rate", "2");
    const std::vector<uint8_t> state = host.SaveState();
    Set("Feedback", "80");
    Set("Mode", "Default");
    Set("Rate", "0.5");
    host.LoadState(state);
    EXPECT_EQ(host.ParameterDisplay(ParameterText::Find(host, "Feedback")), "-30.0%");
    EXPECT_EQ(host.ParameterDisplay(ParameterText::Find(host, "Mode")), "Tape");
    EXPECT_EQ(ParameterText::Quantity(host.ParameterDisplay(ParameterText::Find(host, "Rate"))), 2.0);
}

TEST_F(VornikPluginTest, RendersTheDemoAudiblyAndTheSameEachTime) {
    Set("Feedback", "50");
    const AudioBuffer demo = DemoSignal::Generate(48000.0, 1.0, 2);
    const RenderResult first = Renderer::Render(host, demo, 0.0);
    ASSERT_EQ(first.output.Frames(), demo.Frames());
    for (int c = 0; c < 2; ++c) {
        for (float sample : first.output.channels[c]) ASSERT_TRUE(std::isfinite(sample));
        EXPECT_GT(Rms(first.output.channels[c]), 0.01);
        // The flanger must be heard: well above the input's rounding noise.
        EXPECT_GT(RmsDifference(first.output.channels[c], demo.channels[c]), 0.01 * Rms(demo.channels[c]));
    }

    VstPluginHost again;
    again.Load(VORNIK_PLUGIN_BINARY, VstPluginHost::Settings{});
    ParameterText::Set(again, ParameterText::Find(again, "Feedback"), "50");
    const RenderResult second = Renderer::Render(again, demo, 0.0);
    EXPECT_EQ(first.output.channels, second.output.channels);
}

TEST_F(VornikPluginTest, WithoutWetSignalTheInputPassesUnchanged) {
    Set("Depth", "0");
    const AudioBuffer demo = DemoSignal::Generate(48000.0, 0.5, 2);
    const RenderResult result = Renderer::Render(host, demo, 0.0);
    ASSERT_EQ(result.output.Frames(), demo.Frames());
    EXPECT_EQ(host.Latency(), 0);
    for (int c = 0; c < 2; ++c) EXPECT_LT(RmsDifference(result.output.channels[c], demo.channels[c]), 1e-6) << c;
}

#endif
