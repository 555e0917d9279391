// One instance of the built binary's VST 3 class as a host keeps it: component, processor and
// controller of one object, made through the factory from GetPluginFactory.
#pragma once

#include "VstTestHost.h"
#include "entry/vst3/Vst3Abi.h"
#include "entry/vst3/Vst3TestHost.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace Vst3Test {

inline Vst3::IPluginFactory* Factory() {
    auto entry = reinterpret_cast<Vst3::GetFactoryProc>(VstTestHost::Export("GetPluginFactory"));
    return entry != nullptr ? entry() : nullptr;
}

// Fixture base: the binary's factory, released after each test.
class FactoryTest : public testing::Test {
protected:
    void SetUp() override {
        factory = Factory();
        ASSERT_NE(factory, nullptr);
    }
    void TearDown() override {
        if (factory != nullptr) factory->release();
    }
    Vst3::IPluginFactory* factory = nullptr;
};

inline constexpr Vst3::ParamID kNoParameter = 0xFFFFFFFFu;

class Vst3Instance {
public:
    explicit Vst3Instance(Vst3::IPluginFactory& factory, double sampleRate = 44100.0,
                          Vst3::int32 maxBlock = 512) {
        Vst3::PClassInfo info{};
        if (factory.getClassInfo(0, &info) != Vst3::kResultOk) return;
        if (factory.createInstance(info.cid, Vst3::IComponent::iid.bytes,
                                   reinterpret_cast<void**>(&component)) != Vst3::kResultOk)
            return;
        component->initialize(&host);
        component->queryInterface(Vst3::IAudioProcessor::iid.bytes, reinterpret_cast<void**>(&processor));
        component->queryInterface(Vst3::IEditController::iid.bytes, reinterpret_cast<void**>(&controller));
        Vst3::ProcessSetup setup{Vst3::kRealtime, Vst3::kSample32, maxBlock, sampleRate};
        processor->setupProcessing(setup);
        component->setActive(1);
        processor->setProcessing(1);
    }
    ~Vst3Instance() {
        if (component == nullptr) return;
        processor->setProcessing(0);
        component->setActive(0);
        controller->release();
        processor->release();
        component->terminate();
        component->release();
    }
    Vst3Instance(const Vst3Instance&) = delete;
    Vst3Instance& operator=(const Vst3Instance&) = delete;

    bool Ok() const { return component != nullptr && processor != nullptr && controller != nullptr; }

    Vst3::ParamID Find(const std::string& title) {
        for (Vst3::int32 i = 0; i < controller->getParameterCount(); ++i) {
            Vst3::ParameterInfo info{};
            if (controller->getParameterInfo(i, info) == Vst3::kResultOk && Narrow(info.title) == title)
                return info.id;
        }
        return kNoParameter;
    }

    // One stereo block; changes apply at its start.
    void Process(std::vector<float>& left, std::vector<float>& right, std::vector<float>& outLeft,
                 std::vector<float>& outRight, Vst3::IParameterChanges* changes = nullptr) {
        EXPECT_EQ(TryProcess(left, right, outLeft, outRight, changes), Vst3::kResultOk);
    }
    // The same, answering what process answered: a call whose changes meet a preset load
    // holding the plug-in's locks is abandoned with kResultFalse.
    Vst3::tresult TryProcess(std::vector<float>& left, std::vector<float>& right, std::vector<float>& outLeft,
                             std::vector<float>& outRight, Vst3::IParameterChanges* changes = nullptr) {
        float* in[2] = {left.data(), right.data()};
        float* out[2] = {outLeft.data(), outRight.data()};
        Vst3::AudioBusBuffers inBus{};
        inBus.numChannels = 2;
        inBus.channelBuffers32 = in;
        Vst3::AudioBusBuffers outBus{};
        outBus.numChannels = 2;
        outBus.channelBuffers32 = out;
        Vst3::ProcessData data{};
        data.numSamples = static_cast<Vst3::int32>(left.size());
        data.numInputs = 1;
        data.numOutputs = 1;
        data.inputs = &inBus;
        data.outputs = &outBus;
        data.inputParameterChanges = changes;
        return processor->process(data);
    }

    HostApplication host;
    Vst3::IComponent* component = nullptr;
    Vst3::IAudioProcessor* processor = nullptr;
    Vst3::IEditController* controller = nullptr;
};

} // namespace Vst3Test
