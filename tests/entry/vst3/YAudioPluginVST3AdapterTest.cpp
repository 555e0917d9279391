#include "entry/vst3/YAudioPluginVST3Adapter.h"

#include "Vst3TestHost.h"
#include "foundation/YException.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace Vst3Test;

namespace {

// Three host parameters: two continuous, the third a switch (type 4).
class Parameters : public YAudioPlugin::AutomationAdapter {
public:
    Parameters() { SetIndexCount(3); }
    void SetParameter(int32_t local, double value, bool) override {
        values[local] = value;
        ++writes;
    }
    double GetParameter(int32_t local) override { return values[local]; }
    void GetParameterName(YString& out, int32_t local) override {
        out = YString("P") + YString::FromInteger(local);
    }
    void GetParameterFullLabel(YString& out, int32_t local) override {
        out = local == 1 ? YString::FromUTF8(std::string(200, 'x')) : YString("Param ") + YString::FromInteger(local);
    }
    void GetParameterValueNameFrom01(YString& out, int32_t local, double value) override {
        out = YString::FromInteger(local) + YString(":") + YString::FromInteger(std::lround(value * 100));
    }
    double ParseParameterValueName(int32_t, const YString& text) override { return text.ToDouble() / 100.0; }
    void GetParameterUnitsName(YString& out, int32_t) override { out = "ms"; }
    int32_t GetParameterType(int32_t local) override { return local == 2 ? 4 : 2; }
    double GetParameterDefaultValue(int32_t local) override { return 0.25 * (local + 1); }

    double values[3] = {0.0, 0.0, 0.0};
    int writes = 0;
};

// Passes audio through (the core's Process) and records what reaches it.
class TestPlugin : public YAudioPlugin {
public:
    TestPlugin() {
        auto adapter = std::make_unique<Parameters>();
        parameters = adapter.get();
        AddAutomationAdapter(std::move(adapter));
    }
    void OnNote(int32_t channel, int32_t note, double velocity, bool on, int32_t held) override {
        notes.push_back({channel, note, velocity, on});
        YAudioPlugin::OnNote(channel, note, velocity, on, held);
    }
    void OnController(int32_t channel, int32_t controller, double value) override {
        controllers.push_back({channel, controller, value});
        // As a learned MIDI controller does: the plug-in moves a parameter and reports it.
        if (learned) {
            parameters->values[0] = value;
            AutomateParameter(0, value);
        }
    }
    void OnPitchBend(int32_t channel, double value) override { bends.push_back(value + channel); }
    void NoteIncomingValue(int32_t index, double value) noexcept override { told.push_back({index, value}); }
    bool SaveState(std::vector<uint8_t>& bytes) override {
        bytes = saved;
        return canSave;
    }
    bool LoadState(const void* data, size_t size) override {
        const auto* p = static_cast<const uint8_t*>(data);
        loaded.assign(p, p + size);
        ++loads;
        return true;
    }
    int32_t GetTailLength() override { return tail; }
    int32_t GetLatency() override { return latency; }

    struct Note {
        int32_t channel, note;
        double velocity;
        bool on;
    };
    struct Controller {
        int32_t channel, controller;
        double value;
    };
    Parameters* parameters = nullptr;
    std::vector<Note> notes;
    std::vector<Controller> controllers;
    std::vector<double> bends;
    std::vector<std::pair<int32_t, double>> told; // NoteIncomingValue, in order
    std::vector<uint8_t> saved;
    std::vector<uint8_t> loaded;
    bool canSave = true;
    int loads = 0;
    int32_t tail = 0;
    int32_t latency = 0;
    bool learned = false;
};

// The adapter the way a host holds it: through its interfaces, released at the end.
class VST3AdapterTest : public testing::Test {
protected:
    void SetUp() override { Create(); }
    void TearDown() override {
        if (component != nullptr) {
            component->terminate();
            component->release();
        }
    }

    void Create(int32_t inputChannels = 2, bool midi = false) {
        auto plugin = std::make_unique<TestPlugin>();
        plugin->SetChannelCounts(inputChannels, 2);
        plugin->SetAcceptsMIDI(midi);
        plugin->SetProducesMIDI(midi);
        plugin->SetUsesHostTime(true);
        this->plugin = plugin.get();
        adapter = new YAudioPluginVST3Adapter(std::move(plugin));
        ASSERT_EQ(adapter->queryInterface(Vst3::IComponent::iid.bytes, reinterpret_cast<void**>(&component)),
                  Vst3::kResultOk);
        adapter->release(); // the host keeps only its interface
        ASSERT_EQ(component->queryInterface(Vst3::IAudioProcessor::iid.bytes, reinterpret_cast<void**>(&processor)),
                  Vst3::kResultOk);
        processor->release();
        ASSERT_EQ(component->queryInterface(Vst3::IEditController::iid.bytes, reinterpret_cast<void**>(&controller)),
                  Vst3::kResultOk);
        controller->release();
        ASSERT_EQ(component->initialize(&host), Vst3::kResultOk);
    }

    void Recreate(int32_t inputChannels, bool midi) {
        TearDown();
        component = nullptr;
        Create(inputChannels, midi);
    }

    // One stereo block through process with the given extras.
    Vst3::tresult Process(int32_t frames, Vst3::IParameterChanges* changes = nullptr, Vst3::IEventList* in = nullptr,
                          Vst3::IEventList* out = nullptr, Vst3::ProcessContext* context = nullptr,
                          Vst3::IParameterChanges* outChanges = nullptr) {
        input.assign(2, std::vector<float>(static_cast<size_t>(frames)));
        output.assign(2, std::vector<float>(static_cast<size_t>(frames), 7.0f));
        for (int c = 0; c < 2; ++c)
            for (int32_t i = 0; i < frames; ++i) input[c][i] = 0.001f * static_cast<float>(i + 1) * (c + 1);
        inPointers = {input[0].data(), input[1].data()};
        outPointers = {output[0].data(), output[1].data()};
        Vst3::AudioBusBuffers inBus{};
        inBus.numChannels = 2;
        inBus.channelBuffers32 = inPointers.data();
        Vst3::AudioBusBuffers outBus{};
        outBus.numChannels = 2;
        outBus.channelBuffers32 = outPointers.data();
        Vst3::ProcessData data{};
        data.symbolicSampleSize = Vst3::kSample32;
        data.numSamples = frames;
        data.numInputs = 1;
        data.numOutputs = 1;
        data.inputs = &inBus;
        data.outputs = &outBus;
        data.inputParameterChanges = changes;
        data.inputEvents = in;
        data.outputEvents = out;
        data.processContext = context;
        data.outputParameterChanges = outChanges;
        return processor->process(data);
    }

    std::string Title(Vst3::int32 index) {
        Vst3::ParameterInfo info{};
        EXPECT_EQ(controller->getParameterInfo(index, info), Vst3::kResultOk);
        return Narrow(info.title);
    }

    HostApplication host;
    TestPlugin* plugin = nullptr;
    YAudioPluginVST3Adapter* adapter = nullptr;
    Vst3::IComponent* component = nullptr;
    Vst3::IAudioProcessor* processor = nullptr;
    Vst3::IEditController* controller = nullptr;
    std::vector<std::vector<float>> input, output;
    std::vector<float*> inPointers, outPointers;
};

} // namespace

TEST_F(VST3AdapterTest, EveryInterfaceLeadsToTheSameObject) {
    const Vst3::FUID ids[] = {Vst3::IComponent::iid,        Vst3::IAudioProcessor::iid,
                              Vst3::IEditController::iid,   Vst3::IEditController2::iid,
                              Vst3::IUnitInfo::iid,         Vst3::IMidiMapping::iid,
                              Vst3::IConnectionPoint::iid,  Vst3::IProcessContextRequirements::iid,
                              Vst3::IPluginBase::iid};
    Vst3::FUnknown* identity = nullptr;
    ASSERT_EQ(component->queryInterface(Vst3::FUnknown::iid.bytes, reinterpret_cast<void**>(&identity)),
              Vst3::kResultOk);
    identity->release();
    for (const Vst3::FUID& id : ids) {
        Vst3::FUnknown* itf = nullptr;
        ASSERT_EQ(controller->queryInterface(id.bytes, reinterpret_cast<void**>(&itf)), Vst3::kResultOk);
        Vst3::FUnknown* back = nullptr;
        ASSERT_EQ(itf->queryInterface(Vst3::FUnknown::iid.bytes, reinterpret_cast<void**>(&back)), Vst3::kResultOk);
        EXPECT_EQ(back, identity);
        back->release();
        itf->release();
    }
    void* none = &host;
    EXPECT_EQ(component->queryInterface(Vst3::IPlugView::iid.bytes, &none), Vst3::kNoInterface);
    EXPECT_EQ(none, nullptr);
}

TEST_F(VST3AdapterTest, InitialisationReadsTheHostAndSetsUpStereo) {
    EXPECT_EQ(adapter->HostName(), YString("Test Host"));
    EXPECT_EQ(plugin->HostInterfaceName(), YString("VST3"));
    EXPECT_EQ(plugin->HostAdapter(), static_cast<YAudioPluginAdapter*>(adapter));
    EXPECT_EQ(plugin->SampleRate(), 44100.0);
    EXPECT_EQ(host.references, 2); // the adapter keeps the context until terminate
    component->terminate();
    EXPECT_EQ(host.references, 1);
    EXPECT_EQ(component->initialize(&host), Vst3::kResultOk);
}

TEST_F(VST3AdapterTest, BusesFollowThePluginsLayout) {
    Vst3::BusInfo bus{};
    EXPECT_EQ(component->getBusCount(Vst3::kAudio, Vst3::kInput), 1);
    EXPECT_EQ(component->getBusCount(Vst3::kAudio, Vst3::kOutput), 1);
    EXPECT_EQ(component->getBusCount(Vst3::kEvent, Vst3::kInput), 0);
    ASSERT_EQ(component->getBusInfo(Vst3::kAudio, Vst3::kOutput, 0, bus), Vst3::kResultOk);
    EXPECT_EQ(Narrow(bus.name), "Stereo Out");
    EXPECT_EQ(bus.channelCount, 2);
    EXPECT_EQ(component->getBusInfo(Vst3::kAudio, Vst3::kInput, 1, bus), Vst3::kInvalidArgument);

    Recreate(4, true);
    const struct {
        Vst3::MediaType type;
        Vst3::BusDirection dir;
        Vst3::int32 index;
        const char* name;
        Vst3::int32 channels;
        Vst3::BusType busType;
        uint32_t flags;
    } cases[] = {
        {Vst3::kAudio, Vst3::kInput, 0, "Stereo In", 2, Vst3::kMain, Vst3::BusInfo::kDefaultActive},
        {Vst3::kAudio, Vst3::kInput, 1, "Sidechain", 2, Vst3::kAux, 0},
        {Vst3::kAudio, Vst3::kOutput, 0, "Stereo Out", 2, Vst3::kMain, Vst3::BusInfo::kDefaultActive},
        {Vst3::kEvent, Vst3::kInput, 0, "Midi In", 16, Vst3::kMain, Vst3::BusInfo::kDefaultActive},
        {Vst3::kEvent, Vst3::kOutput, 0, "Midi Out", 16, Vst3::kMain, Vst3::BusInfo::kDefaultActive},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(component->getBusInfo(c.type, c.dir, c.index, bus), Vst3::kResultOk) << c.name;
        EXPECT_EQ(Narrow(bus.name), c.name);
        EXPECT_EQ(bus.channelCount, c.channels) << c.name;
        EXPECT_EQ(bus.busType, c.busType) << c.name;
        EXPECT_EQ(bus.flags, c.flags) << c.name;
    }
}

TEST_F(VST3AdapterTest, ParametersAreThePluginsThenBypassThenControllers) {
    ASSERT_EQ(controller->getParameterCount(), 3 + 1 + 130);
    Vst3::ParameterInfo info{};
    ASSERT_EQ(controller->getParameterInfo(2, info), Vst3::kResultOk);
    EXPECT_EQ(info.id, 2u);
    EXPECT_EQ(Narrow(info.title), "Param 2");
    EXPECT_EQ(Narrow(info.units), "ms");
    EXPECT_EQ(info.stepCount, 1);
    EXPECT_DOUBLE_EQ(info.defaultNormalizedValue, 0.75);
    EXPECT_EQ(info.flags, Vst3::ParameterInfo::kCanAutomate);
    ASSERT_EQ(controller->getParameterInfo(0, info), Vst3::kResultOk);
    EXPECT_EQ(info.stepCount, 0);
    ASSERT_EQ(controller->getParameterInfo(1, info), Vst3::kResultOk);
    EXPECT_EQ(Narrow(info.title), std::string(127, 'x')); // cut to fit

    ASSERT_EQ(controller->getParameterInfo(3, info), Vst3::kResultOk);
    EXPECT_EQ(info.id, YAudioPluginVST3Adapter::kBypassID);
    EXPECT_EQ(Narrow(info.title), "Bypass");
    EXPECT_EQ(info.stepCount, 1);
    EXPECT_EQ(info.flags, Vst3::ParameterInfo::kCanAutomate | Vst3::ParameterInfo::kIsBypass);

    ASSERT_EQ(controller->getParameterInfo(4, info), Vst3::kResultOk);
    EXPECT_EQ(info.id, 10000u);
    EXPECT_EQ(Narrow(info.title), "Controller 1");
    EXPECT_EQ(info.flags, 0);
    ASSERT_EQ(controller->getParameterInfo(4 + 129, info), Vst3::kResultOk);
    EXPECT_EQ(info.id, 10129u);
    EXPECT_EQ(Narrow(info.title), "Controller 130");
    EXPECT_EQ(controller->getParameterInfo(134, info), Vst3::kInvalidArgument);
}

TEST_F(VST3AdapterTest, NormalisedValuesComeFromThePluginUntilTheHostSetsOne) {
    plugin->parameters->values[1] = 0.4;
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(1), 0.4);
    EXPECT_EQ(controller->getParamNormalized(32767), 0.0);
    plugin->SetBypass(true);
    EXPECT_EQ(controller->getParamNormalized(32767), 1.0);
    EXPECT_EQ(controller->getParamNormalized(10005), 0.0);
    EXPECT_EQ(controller->setParamNormalized(9000, 0.7), Vst3::kInvalidArgument);
    EXPECT_EQ(controller->getParamNormalized(9000), 0.0);
}

TEST_F(VST3AdapterTest, TheControllerReturnsWhatTheHostSetUntilTheProcessorHearsAnotherValue) {
    struct Case {
        const char* what;
        Vst3::ParamID id;
        double set;
        double plugin;   // what the plug-in holds before and after the host's value is dropped
        double received; // what the processor then receives
        bool kept;
    };
    const Case cases[] = {
        {"parameter, the same value arrives", 1, 0.3, 0.0, 0.3, true},
        {"parameter, a move within 1e-7 is the same value", 1, 0.3, 0.0, 0.3 + 5e-8, true},
        {"parameter, another value arrives", 1, 0.3, 0.0, 0.8, false},
        {"bypass on, the same arrives", 32767, 1.0, 0.0, 1.0, true},
        {"bypass off, on arrives", 32767, 0.0, 1.0, 1.0, false},
        {"controller", 10005, 0.7, 0.0, 0.2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Recreate(2, false);
        plugin->parameters->values[1] = c.plugin;
        plugin->SetBypass(c.plugin > 0.5);
        ASSERT_EQ(controller->setParamNormalized(c.id, c.set), Vst3::kResultOk);
        EXPECT_EQ(controller->getParamNormalized(c.id), c.set);
        EXPECT_EQ(controller->getParamNormalized(0), 0.0) << "other parameters are untouched";

        ParameterChanges changes;
        changes.queues.reserve(1);
        changes.Add(c.id).points = {{0, c.received}};
        ASSERT_EQ(Process(0, &changes), Vst3::kResultOk);
        if (c.kept) {
            EXPECT_EQ(controller->getParamNormalized(c.id), c.set);
        } else if (c.id == 1) {
            EXPECT_DOUBLE_EQ(controller->getParamNormalized(c.id), c.received);
        } else if (c.id == 32767) {
            EXPECT_EQ(controller->getParamNormalized(c.id), c.received > 0.5 ? 1.0 : 0.0);
        } else {
            EXPECT_EQ(controller->getParamNormalized(c.id), 0.0) << "controllers hold no value of their own";
        }
    }
}

TEST_F(VST3AdapterTest, AStateOrThePluginsOwnReportReplacesWhatTheHostSet) {
    ASSERT_EQ(controller->setParamNormalized(0, 0.6), Vst3::kResultOk);
    ASSERT_EQ(controller->setParamNormalized(1, 0.6), Vst3::kResultOk);
    ASSERT_EQ(controller->setParamNormalized(32767, 1.0), Vst3::kResultOk);
    plugin->parameters->values[0] = 0.25;
    plugin->AutomateParameter(0, 0.25);
    EXPECT_EQ(controller->getParamNormalized(0), 0.25);
    EXPECT_EQ(controller->getParamNormalized(1), 0.6);
    plugin->SetBypass(false, true);
    EXPECT_EQ(controller->getParamNormalized(32767), 0.0);

    ASSERT_EQ(controller->setParamNormalized(32767, 1.0), Vst3::kResultOk);
    MemoryStream state;
    state.data = "state";
    ASSERT_EQ(component->setState(&state), Vst3::kResultOk);
    EXPECT_EQ(controller->getParamNormalized(1), 0.0);
    EXPECT_EQ(controller->getParamNormalized(32767), 0.0);
}

TEST_F(VST3AdapterTest, NonFiniteValuesAreRefused) {
    for (double bad : {std::nan(""), double(INFINITY), -double(INFINITY)}) {
        EXPECT_EQ(controller->setParamNormalized(1, bad), Vst3::kInvalidArgument);
        EXPECT_EQ(controller->getParamNormalized(1), 0.0);
    }
    ASSERT_EQ(controller->setParamNormalized(1, 1.5), Vst3::kResultOk);
    EXPECT_EQ(controller->getParamNormalized(1), 1.0) << "out of range is clamped";
}

TEST_F(VST3AdapterTest, ValueTextsGoThroughThePlugin) {
    Vst3::String128 text{};
    ASSERT_EQ(controller->getParamStringByValue(1, 0.5, text), Vst3::kResultOk);
    EXPECT_EQ(Narrow(text), "1:50");
    ASSERT_EQ(controller->getParamStringByValue(32767, 1.0, text), Vst3::kResultOk);
    EXPECT_EQ(Narrow(text), "On");
    EXPECT_EQ(controller->getParamStringByValue(9000, 1.0, text), Vst3::kInvalidArgument);

    Vst3::TChar typed[] = u"30";
    Vst3::ParamValue value = -1.0;
    ASSERT_EQ(controller->getParamValueByString(0, typed, value), Vst3::kResultOk);
    EXPECT_DOUBLE_EQ(value, 0.3);
    Vst3::TChar off[] = u"Off";
    ASSERT_EQ(controller->getParamValueByString(32767, off, value), Vst3::kResultOk);
    EXPECT_EQ(value, 0.0);
}

TEST_F(VST3AdapterTest, ParameterChangesApplyTheLastPointOfEachQueue) {
    ParameterChanges changes;
    changes.queues.reserve(8);
    ValueQueue& p0 = changes.Add(0);
    p0.points = {{0, 0.1}, {100, 0.2}, {200, 0.9}};
    changes.Add(32767).points = {{0, 0.7}};
    changes.Add(10007).points = {{5, 0.5}};
    changes.Add(10128).points = {{5, 0.25}};
    changes.Add(10129).points = {{5, 0.75}};
    changes.Add(9999).points = {{5, 0.75}}; // no such parameter: ignored
    ASSERT_EQ(Process(64, &changes), Vst3::kResultOk);

    EXPECT_DOUBLE_EQ(plugin->parameters->values[0], 0.9);
    EXPECT_EQ(plugin->parameters->writes, 1);
    EXPECT_TRUE(plugin->IsBypassed());
    ASSERT_EQ(plugin->controllers.size(), 2u);
    EXPECT_EQ(plugin->controllers[0].controller, 7);
    EXPECT_DOUBLE_EQ(plugin->controllers[0].value, 0.5);
    EXPECT_EQ(plugin->controllers[1].controller, 128); // channel aftertouch
    ASSERT_EQ(plugin->bends.size(), 1u);
    EXPECT_DOUBLE_EQ(plugin->bends[0], 0.5);

    // The same value again is no change; a move of 1e-7 or less neither.
    p0.points = {{0, 0.9 + 5e-8}};
    changes.queues.erase(changes.queues.begin() + 1, changes.queues.end());
    ASSERT_EQ(Process(64, &changes), Vst3::kResultOk);
    EXPECT_EQ(plugin->parameters->writes, 1);
}

TEST_F(VST3AdapterTest, ParameterChangesArriveEvenWithoutAudio) {
    ParameterChanges changes;
    changes.queues.reserve(2);
    changes.Add(1).points = {{0, 0.6}};
    ASSERT_EQ(Process(0, &changes), Vst3::kResultOk);
    EXPECT_DOUBLE_EQ(plugin->parameters->values[1], 0.6);
}

TEST_F(VST3AdapterTest, ABusyProcessingLockAbandonsTheBlock) {
    std::atomic<bool> held{false}, done{false};
    std::thread gui([&] {
        YScopedLock lock(plugin->ProcessingLock());
        held = true;
        while (!done) std::this_thread::yield();
    });
    while (!held) std::this_thread::yield();
    ParameterChanges changes;
    changes.queues.reserve(2);
    changes.Add(0).points = {{0, 0.8}, {16, 1.5}};
    changes.Add(10007).points = {{0, 0.5}}; // a controller: not a parameter of the plug-in
    EXPECT_NE(Process(32, &changes), Vst3::kResultOk);
    done = true;
    gui.join();
    EXPECT_EQ(plugin->parameters->values[0], 0.0);
    // Every point was told before the lock was tried, clamped, in order.
    const std::vector<std::pair<int32_t, double>> told{{0, 0.8}, {0, 1.0}};
    EXPECT_EQ(plugin->told, told);
    for (float v : output[0]) ASSERT_EQ(v, 7.0f); // the host's buffers stay as they were
}

TEST_F(VST3AdapterTest, AudioPassesThroughThePlugin) {
    ASSERT_EQ(Process(256), Vst3::kResultOk);
    for (int c = 0; c < 2; ++c)
        for (size_t i = 0; i < 256; ++i) ASSERT_NEAR(output[c][i], input[c][i], 1e-6f) << c << " " << i;
}

TEST_F(VST3AdapterTest, NotesFromTheHostReachThePlugin) {
    Recreate(2, true);
    EventList in;
    Vst3::Event on{};
    on.type = Vst3::Event::kNoteOnEvent;
    on.sampleOffset = 3;
    on.noteOn.channel = 2;
    on.noteOn.pitch = 60;
    on.noteOn.velocity = 0.5f;
    Vst3::Event off{};
    off.type = Vst3::Event::kNoteOffEvent;
    off.noteOff.channel = 2;
    off.noteOff.pitch = 60;
    off.noteOff.velocity = 0.25f;
    in.events = {on, off};
    ASSERT_EQ(Process(32, nullptr, &in), Vst3::kResultOk);
    ASSERT_EQ(plugin->notes.size(), 2u);
    EXPECT_EQ(plugin->notes[0].channel, 2);
    EXPECT_EQ(plugin->notes[0].note, 60);
    EXPECT_DOUBLE_EQ(plugin->notes[0].velocity, 0.5);
    EXPECT_TRUE(plugin->notes[0].on);
    EXPECT_FALSE(plugin->notes[1].on);
}

TEST_F(VST3AdapterTest, GeneratedNotesGoOutWithTheNextBlock) {
    Recreate(2, true);
    const uint8_t noteOn[4] = {0x93, 64, 127, 0};
    const uint8_t silentOn[4] = {0x93, 65, 0, 0};
    const uint8_t noteOff[4] = {0x83, 64, 0, 0};
    const uint8_t control[4] = {0xB3, 7, 100, 0};
    plugin->GenerateMIDIEvent(5, noteOn);
    plugin->GenerateMIDIEvent(6, silentOn);
    plugin->GenerateMIDIEvent(7, noteOff);
    plugin->GenerateMIDIEvent(8, control);
    EventList out;
    ASSERT_EQ(Process(32, nullptr, nullptr, &out), Vst3::kResultOk);
    ASSERT_EQ(out.events.size(), 3u); // the controller change is not sent
    const Vst3::Event& first = out.events[0];
    EXPECT_EQ(first.type, Vst3::Event::kNoteOnEvent);
    EXPECT_EQ(first.sampleOffset, 5);
    EXPECT_EQ(first.noteOn.channel, 3);
    EXPECT_EQ(first.noteOn.pitch, 64);
    EXPECT_FLOAT_EQ(first.noteOn.velocity, 1.0f);
    EXPECT_EQ(first.noteOn.noteId, -1);
    EXPECT_EQ(out.events[1].type, Vst3::Event::kNoteOffEvent);
    EXPECT_EQ(out.events[1].noteOff.pitch, 65);
    EXPECT_EQ(out.events[2].type, Vst3::Event::kNoteOffEvent);
    EXPECT_EQ(out.events[2].noteOff.noteId, -1);

    out.events.clear();
    ASSERT_EQ(Process(32, nullptr, nullptr, &out), Vst3::kResultOk);
    EXPECT_TRUE(out.events.empty());
}

TEST_F(VST3AdapterTest, TransportComesFromTheProcessContext) {
    Vst3::ProcessContext context{};
    using C = Vst3::ProcessContext;
    context.state = C::kPlaying | C::kProjectTimeMusicValid | C::kTempoValid | C::kTimeSigValid |
                    C::kBarPositionValid | C::kCycleValid | C::kCycleActive;
    context.projectTimeMusic = 1.0;
    context.tempo = 128.0;
    context.timeSigNumerator = 7;
    context.timeSigDenominator = 8;
    context.barPositionMusic = 0.7; // with eighths: rounded to half quarter notes
    context.cycleStartMusic = 4.0;
    context.cycleEndMusic = 4.0;
    ASSERT_EQ(Process(16, nullptr, nullptr, nullptr, &context), Vst3::kResultOk);
    const YProcessingContext& sync = plugin->HostSync();
    EXPECT_EQ(sync.TimeInfoValid, 1);
    EXPECT_EQ(sync.SongPosition, 1.0);
    EXPECT_EQ(sync.Tempo, 128.0);
    EXPECT_EQ(sync.TimeSignatureNumerator, 7);
    EXPECT_EQ(sync.TimeSignatureDenominator, 8);
    EXPECT_DOUBLE_EQ(sync.BarStart, 0.5);
    EXPECT_EQ(sync.CycleStart, -1.0); // an empty loop counts as none
    EXPECT_EQ(sync.Playing, 1);
    EXPECT_EQ(sync.PlayingChanged, 1);

    context.projectTimeMusic = 9.0; // a jump of 8 quarter notes
    ASSERT_EQ(Process(16, nullptr, nullptr, nullptr, &context), Vst3::kResultOk);
    EXPECT_EQ(sync.PositionJumped, 1);
    EXPECT_EQ(sync.Playing, 1);
    EXPECT_EQ(sync.PlayingChanged, 0);

    context.state = C::kProjectTimeMusicValid;
    ASSERT_EQ(Process(16, nullptr, nullptr, nullptr, &context), Vst3::kResultOk);
    EXPECT_EQ(sync.Playing, 0);
    EXPECT_EQ(sync.PositionJumped, 0);
    EXPECT_EQ(sync.PlayingChanged, 1);
}

TEST_F(VST3AdapterTest, StateTravelsThroughTheHostsStream) {
    plugin->saved.resize(3000);
    for (size_t i = 0; i < plugin->saved.size(); ++i) plugin->saved[i] = static_cast<uint8_t>(i * 7);
    MemoryStream stream;
    ASSERT_EQ(component->getState(&stream), Vst3::kResultOk);
    EXPECT_EQ(stream.data.size(), 3000u);

    stream.position = 0;
    ASSERT_EQ(controller->setState(&stream), Vst3::kResultOk);
    EXPECT_EQ(plugin->loaded, plugin->saved);
    for (Vst3::int32 request : stream.readRequests) EXPECT_EQ(request, 1024);
    EXPECT_EQ(stream.readRequests.size(), 4u); // three pieces, then one that returns nothing

    plugin->canSave = false;
    MemoryStream empty;
    EXPECT_EQ(controller->getState(&empty), Vst3::kResultFalse);
    EXPECT_EQ(component->setState(nullptr), Vst3::kInvalidArgument);
}

TEST_F(VST3AdapterTest, SetupRoundsTheSampleRateAndTakesOnly32BitSamples) {
    Vst3::ProcessSetup setup{Vst3::kOffline, Vst3::kSample32, 512, 44099.6};
    ASSERT_EQ(processor->setupProcessing(setup), Vst3::kResultOk);
    EXPECT_EQ(plugin->SampleRate(), 44100.0);
    EXPECT_EQ(adapter->ProcessMode(), Vst3::kOffline);
    setup.sampleRate = 48000.4;
    ASSERT_EQ(processor->setupProcessing(setup), Vst3::kResultOk);
    EXPECT_EQ(plugin->SampleRate(), 48000.0);
    setup.sampleRate = 50.0; // stored nowhere: too low to be real
    ASSERT_EQ(processor->setupProcessing(setup), Vst3::kResultOk);
    EXPECT_EQ(plugin->SampleRate(), 48000.0);
    setup.symbolicSampleSize = Vst3::kSample64;
    EXPECT_EQ(processor->setupProcessing(setup), Vst3::kResultFalse);
    EXPECT_EQ(processor->canProcessSampleSize(Vst3::kSample32), Vst3::kResultTrue);
    EXPECT_EQ(processor->canProcessSampleSize(Vst3::kSample64), Vst3::kResultFalse);
}

TEST_F(VST3AdapterTest, BusArrangementsFallBackToWhatThePluginTakes) {
    Vst3::SpeakerArrangement six = 0x3F;
    Vst3::SpeakerArrangement stereo = Vst3::SpeakerArr::kStereo;
    EXPECT_EQ(processor->setBusArrangements(&six, 1, &stereo, 1), Vst3::kResultOk);
    Vst3::SpeakerArrangement arr = 0;
    ASSERT_EQ(processor->getBusArrangement(Vst3::kInput, 0, arr), Vst3::kResultOk);
    EXPECT_EQ(arr, Vst3::SpeakerArr::kStereo);

    // One side alone changing must reach the buses and the plug-in.
    Vst3::SpeakerArrangement mono = Vst3::SpeakerArr::kMono;
    EXPECT_EQ(processor->setBusArrangements(&mono, 1, &stereo, 1), Vst3::kResultOk);
    ASSERT_EQ(processor->getBusArrangement(Vst3::kInput, 0, arr), Vst3::kResultOk);
    EXPECT_EQ(arr, Vst3::SpeakerArr::kMono);
    Vst3::BusInfo bus{};
    ASSERT_EQ(component->getBusInfo(Vst3::kAudio, Vst3::kInput, 0, bus), Vst3::kResultOk);
    EXPECT_EQ(bus.channelCount, 1);
    EXPECT_EQ(plugin->GetInputChannelsPerBus(), 1);
    EXPECT_EQ(plugin->GetOutputChannelsPerBus(), 2);
    EXPECT_EQ(plugin->GetInputBusCount(), 1);

    // The mono input feeds both channels.
    std::vector<float> in(64, 0.5f), left(64, 0.0f), right(64, 0.0f);
    float* inPtr[1] = {in.data()};
    float* outPtr[2] = {left.data(), right.data()};
    Vst3::AudioBusBuffers inBus{};
    inBus.numChannels = 1;
    inBus.channelBuffers32 = inPtr;
    Vst3::AudioBusBuffers outBus{};
    outBus.numChannels = 2;
    outBus.channelBuffers32 = outPtr;
    Vst3::ProcessData data{};
    data.numSamples = 64;
    data.numInputs = 1;
    data.numOutputs = 1;
    data.inputs = &inBus;
    data.outputs = &outBus;
    ASSERT_EQ(processor->process(data), Vst3::kResultOk);
    EXPECT_NEAR(left[10], 0.5f, 1e-6f);
    EXPECT_NEAR(right[10], 0.5f, 1e-6f);
}

TEST_F(VST3AdapterTest, MIDIControllersMapToTheirParameters) {
    auto* mapping = static_cast<Vst3::IMidiMapping*>(nullptr);
    ASSERT_EQ(controller->queryInterface(Vst3::IMidiMapping::iid.bytes, reinterpret_cast<void**>(&mapping)),
              Vst3::kResultOk);
    for (Vst3::int16 channel : {0, 5, 15}) {
        Vst3::ParamID id = 0;
        ASSERT_EQ(mapping->getMidiControllerAssignment(0, channel, 7, id), Vst3::kResultOk);
        EXPECT_EQ(id, 10007u);
        ASSERT_EQ(mapping->getMidiControllerAssignment(1, channel, 129, id), Vst3::kResultOk);
        EXPECT_EQ(id, 10129u);
    }
    Vst3::ParamID id = 0;
    EXPECT_EQ(mapping->getMidiControllerAssignment(0, 0, 130, id), Vst3::kResultFalse);
    mapping->release();
}

TEST_F(VST3AdapterTest, AutomationAndLatencyReachTheComponentHandler) {
    ComponentHandler handler;
    ASSERT_EQ(controller->setComponentHandler(&handler), Vst3::kResultOk);
    EXPECT_EQ(handler.references, 2);

    plugin->AutomateParameter(1, 0.3);
    plugin->AutomateParameter(3, 0.3); // beyond the plug-in's parameters: not sent
    plugin->SetBypass(true, true);
    using Call = ComponentHandler::Call;
    const std::vector<Call> expected = {{"begin", 1, 0.0},     {"perform", 1, 0.3},     {"end", 1, 0.0},
                                        {"begin", 32767, 0.0}, {"perform", 32767, 1.0}, {"end", 32767, 0.0}};
    EXPECT_EQ(handler.calls, expected);

    plugin->ReportLatency();
    EXPECT_EQ(handler.restarts, std::vector<Vst3::int32>{Vst3::kLatencyChanged});
    plugin->latency = 64;
    EXPECT_EQ(processor->getLatencySamples(), 64u);
    plugin->tail = -1;
    EXPECT_EQ(processor->getTailSamples(), Vst3::kInfiniteTail);
    plugin->tail = 300;
    EXPECT_EQ(processor->getTailSamples(), 300u);

    component->terminate();
    EXPECT_EQ(handler.references, 1);
}

TEST_F(VST3AdapterTest, TheEditorViewAnswersForItsSystemsWindowTypeOnly) {
#if defined(_WIN32)
    const char* own = "HWND";
    const char* other = "X11EmbedWindowID";
#else
    const char* own = "X11EmbedWindowID";
    const char* other = "HWND";
#endif
    EXPECT_EQ(controller->createView("other"), nullptr);
    Vst3::IPlugView* view = controller->createView("editor");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->isPlatformTypeSupported(own), YEditorHost::Available() ? Vst3::kResultTrue : Vst3::kResultFalse);
    for (const char* type : {other, "NSView", "hwnd", ""})
        EXPECT_EQ(view->isPlatformTypeSupported(type), Vst3::kResultFalse) << type;
    EXPECT_EQ(view->isPlatformTypeSupported(nullptr), Vst3::kResultFalse);
    EXPECT_EQ(view->canResize(), Vst3::kResultTrue);
    int parent = 0;
    EXPECT_EQ(view->attached(&parent, other), Vst3::kResultFalse);
    EXPECT_EQ(view->removed(), Vst3::kResultFalse) << "removed without attached";
    Vst3::ViewRect rect{};
    if (YEditorHost::Available()) {
        // The editor exists without a window: it has a size and a minimum.
        ASSERT_EQ(view->getSize(&rect), Vst3::kResultOk);
        EXPECT_EQ(rect.left, 0);
        EXPECT_GT(rect.right, 100);
        Vst3::ViewRect small{0, 0, 10, 10};
        EXPECT_EQ(view->checkSizeConstraint(&small), Vst3::kResultTrue);
        EXPECT_GT(small.right, 10);
        EXPECT_GT(small.bottom, 10);
        for (Vst3::ViewRect bad : {Vst3::ViewRect{0, 0, 0, 0}, Vst3::ViewRect{0, 0, -5, 100}, Vst3::ViewRect{10, 10, 5, 5}})
            EXPECT_EQ(view->onSize(&bad), Vst3::kResultFalse);
        Vst3::ViewRect after{};
        ASSERT_EQ(view->getSize(&after), Vst3::kResultOk);
        EXPECT_EQ(after.right, rect.right) << "bad sizes change nothing";
    } else {
        EXPECT_EQ(view->getSize(&rect), Vst3::kResultFalse);
        EXPECT_EQ(view->checkSizeConstraint(&rect), Vst3::kResultFalse);
    }
    PlugFrame frame;
    EXPECT_EQ(view->setFrame(&frame), Vst3::kResultOk);
    EXPECT_FALSE(adapter->ChangeEditorSize(300, 200)) << "not shown";
    EXPECT_TRUE(frame.resizes.empty());
    EXPECT_EQ(view->release(), 0u);
}

TEST_F(VST3AdapterTest, UnitsAndSelection) {
    Vst3::IUnitInfo* units = nullptr;
    ASSERT_EQ(controller->queryInterface(Vst3::IUnitInfo::iid.bytes, reinterpret_cast<void**>(&units)),
              Vst3::kResultOk);
    EXPECT_EQ(units->getUnitCount(), 1);
    Vst3::UnitInfo info{};
    ASSERT_EQ(units->getUnitInfo(0, info), Vst3::kResultOk);
    EXPECT_EQ(info.id, Vst3::kRootUnitId);
    EXPECT_EQ(info.parentUnitId, Vst3::kNoParentUnitId);
    EXPECT_EQ(info.programListId, Vst3::kNoProgramListId);
    EXPECT_EQ(units->getSelectedUnit(), 0);
    EXPECT_EQ(units->selectUnit(3), Vst3::kResultOk);
    EXPECT_EQ(units->getSelectedUnit(), 3);
    units->release();
}

TEST_F(VST3AdapterTest, ChangesMadeOnTheAudioThreadGoOutWithTheBlockAndReachTheHandlerLater) {
    ComponentHandler handler;
    ASSERT_EQ(controller->setComponentHandler(&handler), Vst3::kResultOk);
    plugin->learned = true;
    ParameterChanges in;
    in.queues.reserve(1);
    in.Add(10007).points = {{0, 0.5}};
    ParameterChanges out;
    out.queues.reserve(4);
    ASSERT_EQ(Process(32, &in, nullptr, nullptr, nullptr, &out), Vst3::kResultOk);
    EXPECT_TRUE(handler.calls.empty()) << "no handler call from the audio thread";
    ASSERT_EQ(out.queues.size(), 1u);
    EXPECT_EQ(out.queues[0].getParameterId(), 0u);
    EXPECT_EQ(out.queues[0].points, (std::vector<std::pair<Vst3::int32, double>>{{0, 0.5}}));

    ParameterChanges quiet;
    quiet.queues.reserve(1);
    ASSERT_EQ(Process(32, nullptr, nullptr, nullptr, nullptr, &quiet), Vst3::kResultOk);
    EXPECT_TRUE(quiet.queues.empty()) << "a change goes out with its own block only";

    // The GUI thread's next controller call tells the handler, once, with the latest value.
    in.queues[0].points = {{0, 0.75}};
    ASSERT_EQ(Process(0, &in), Vst3::kResultOk);
    EXPECT_TRUE(handler.calls.empty());
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(0), 0.75);
    using Call = ComponentHandler::Call;
    const std::vector<Call> expected = {{"begin", 0, 0.0}, {"perform", 0, 0.75}, {"end", 0, 0.0}};
    EXPECT_EQ(handler.calls, expected);
    controller->getParamNormalized(0);
    EXPECT_EQ(handler.calls, expected);

    // From any other thread than the audio thread the plug-in's reports go to the handler at
    // once, as before.
    std::thread gui([&] { plugin->AutomateParameter(1, 0.25); });
    gui.join();
    EXPECT_EQ(handler.calls.size(), 6u);
    component->terminate();
}

TEST_F(VST3AdapterTest, TheHostHearsOfATailChangeThroughARestart) {
    ComponentHandler handler;
    ASSERT_EQ(controller->setComponentHandler(&handler), Vst3::kResultOk);
    MemoryStream state;
    state.data = "state";
    plugin->tail = 4500;
    ASSERT_EQ(component->setState(&state), Vst3::kResultOk);
    EXPECT_TRUE(handler.restarts.empty()) << "the host has not read the tail yet";
    EXPECT_EQ(processor->getTailSamples(), 4500u);

    plugin->tail = -1;
    ASSERT_EQ(component->setState(&state), Vst3::kResultOk);
    EXPECT_EQ(handler.restarts, std::vector<Vst3::int32>{Vst3::kLatencyChanged});
    ASSERT_EQ(component->setState(&state), Vst3::kResultOk);
    EXPECT_EQ(handler.restarts.size(), 1u) << "nothing new to tell";

    // Other controller calls look again once the interval has passed.
    plugin->tail = 100;
    std::this_thread::sleep_for(std::chrono::milliseconds(YAudioPluginVST3Adapter::kTailCheckInterval + 20));
    controller->getParamNormalized(0);
    EXPECT_EQ(handler.restarts.size(), 2u);
    component->terminate();
}
