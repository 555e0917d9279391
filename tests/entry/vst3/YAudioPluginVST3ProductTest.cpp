// The product plug-in behind the factory, driven the way a VST 3 host drives it.
#include "Vst3TestHost.h"
#include "entry/vst3/YAudioPluginVST3Adapter.h"
#include "entry/vst3/YVST3PluginFactory.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

using namespace Vst3Test;

namespace {

class VST3ProductTest : public testing::Test {
protected:
    void SetUp() override {
        factory = YVST3PluginFactory::Get();
        ASSERT_NE(factory, nullptr);
        const Vst3::FUID cid = YVST3PluginFactory::ProductClassID();
        ASSERT_EQ(factory->createInstance(cid.bytes, Vst3::IComponent::iid.bytes, reinterpret_cast<void**>(&component)),
                  Vst3::kResultOk);
        ASSERT_EQ(component->initialize(&host), Vst3::kResultOk);
        ASSERT_EQ(component->queryInterface(Vst3::IAudioProcessor::iid.bytes, reinterpret_cast<void**>(&processor)),
                  Vst3::kResultOk);
        ASSERT_EQ(component->queryInterface(Vst3::IEditController::iid.bytes, reinterpret_cast<void**>(&controller)),
                  Vst3::kResultOk);
        Vst3::ProcessSetup setup{Vst3::kRealtime, Vst3::kSample32, 512, 48000.0};
        ASSERT_EQ(processor->setupProcessing(setup), Vst3::kResultOk);
        ASSERT_EQ(component->setActive(1), Vst3::kResultOk);
    }
    void TearDown() override {
        if (component == nullptr) return;
        component->setActive(0);
        controller->release();
        processor->release();
        component->terminate();
        EXPECT_EQ(component->release(), 0u);
        factory->release();
    }

    // Blocks of a 440 Hz sine; returns the output of the last one.
    std::vector<float> Run(int blocks, Vst3::IParameterChanges* changes = nullptr) {
        const int32_t frames = 512;
        std::vector<float> in[2], out[2];
        for (int c = 0; c < 2; ++c) {
            in[c].resize(frames);
            out[c].assign(frames, 7.0f);
        }
        for (int b = 0; b < blocks; ++b) {
            for (int32_t i = 0; i < frames; ++i) {
                const double t = static_cast<double>(b * frames + i) / 48000.0;
                in[0][i] = in[1][i] = static_cast<float>(0.5 * std::sin(2.0 * 3.141592653589793 * 440.0 * t));
            }
            float* inPtr[2] = {in[0].data(), in[1].data()};
            float* outPtr[2] = {out[0].data(), out[1].data()};
            Vst3::AudioBusBuffers inBus{};
            inBus.numChannels = 2;
            inBus.channelBuffers32 = inPtr;
            Vst3::AudioBusBuffers outBus{};
            outBus.numChannels = 2;
            outBus.channelBuffers32 = outPtr;
            Vst3::ProcessData data{};
            data.numSamples = frames;
            data.numInputs = 1;
            data.numOutputs = 1;
            data.inputs = &inBus;
            data.outputs = &outBus;
            data.inputParameterChanges = b == 0 ? changes : nullptr;
            EXPECT_EQ(processor->process(data), Vst3::kResultOk);
        }
        lastInput = in[0];
        return out[0];
    }

    HostApplication host;
    Vst3::IPluginFactory* factory = nullptr;
    Vst3::IComponent* component = nullptr;
    Vst3::IAudioProcessor* processor = nullptr;
    Vst3::IEditController* controller = nullptr;
    std::vector<float> lastInput;
};

} // namespace

TEST_F(VST3ProductTest, PublishesTheEffectsParametersWithNamesAndTexts) {
    const Vst3::int32 count = controller->getParameterCount();
    ASSERT_GT(count, 1 + 130);
    const Vst3::int32 own = count - 1 - 130;
    for (Vst3::int32 i = 0; i < own; ++i) {
        Vst3::ParameterInfo info{};
        ASSERT_EQ(controller->getParameterInfo(i, info), Vst3::kResultOk);
        EXPECT_EQ(info.id, static_cast<Vst3::ParamID>(i));
        EXPECT_FALSE(Narrow(info.title).empty()) << i;
        EXPECT_GE(info.defaultNormalizedValue, 0.0);
        EXPECT_LE(info.defaultNormalizedValue, 1.0);
        Vst3::String128 text{};
        ASSERT_EQ(controller->getParamStringByValue(info.id, info.defaultNormalizedValue, text), Vst3::kResultOk);
        EXPECT_FALSE(Narrow(text).empty()) << Narrow(info.title);
    }
    Vst3::ParameterInfo bypass{};
    ASSERT_EQ(controller->getParameterInfo(own, bypass), Vst3::kResultOk);
    EXPECT_EQ(bypass.id, 32767u);
}

TEST_F(VST3ProductTest, ProcessesAudioAndPassesItWhenBypassed) {
    const std::vector<float> wet = Run(8);
    double difference = 0.0;
    for (size_t i = 0; i < wet.size(); ++i) {
        ASSERT_TRUE(std::isfinite(wet[i]));
        ASSERT_NE(wet[i], 7.0f); // the block was written
        difference = std::max(difference, std::fabs(static_cast<double>(wet[i]) - lastInput[i]));
    }
    EXPECT_GT(difference, 1e-3); // the flanger changes the sound

    ParameterChanges changes;
    changes.queues.reserve(1);
    changes.Add(32767).points = {{0, 1.0}};
    const std::vector<float> dry = Run(2, &changes);
    EXPECT_EQ(controller->getParamNormalized(32767), 1.0);
    const Vst3::uint32 latency = processor->getLatencySamples();
    for (size_t i = latency; i < dry.size(); ++i) ASSERT_NEAR(dry[i], lastInput[i - latency], 1e-5f) << i;
}

TEST_F(VST3ProductTest, StateSurvivesARoundTrip) {
    // "Depth" is continuous, so any value sticks.
    Vst3::ParamID id = 0;
    for (Vst3::int32 i = 0; i < controller->getParameterCount() && id == 0; ++i) {
        Vst3::ParameterInfo info{};
        ASSERT_EQ(controller->getParameterInfo(i, info), Vst3::kResultOk);
        if (Narrow(info.title) == "Depth") id = info.id;
    }
    ASSERT_NE(id, 0u);
    const Vst3::ParamValue before = controller->getParamNormalized(id);
    MemoryStream saved;
    ASSERT_EQ(component->getState(&saved), Vst3::kResultOk);
    ASSERT_GT(saved.data.size(), 16u);

    ParameterChanges changes;
    changes.queues.reserve(1);
    const Vst3::ParamValue moved = before < 0.5 ? 0.9 : 0.1;
    changes.Add(id).points = {{0, moved}};
    Run(1, &changes);
    ASSERT_NEAR(controller->getParamNormalized(id), moved, 0.02);

    saved.position = 0;
    ASSERT_EQ(component->setState(&saved), Vst3::kResultOk);
    EXPECT_NEAR(controller->getParamNormalized(id), before, 1e-9);

    MemoryStream garbage;
    garbage.data = "not a state";
    EXPECT_NE(component->setState(&garbage), Vst3::kResultOk);
    EXPECT_NEAR(controller->getParamNormalized(id), before, 1e-9); // nothing stored is lost
}
