// MIDI control through the built binary as a VST 3 host drives it: notes and raw messages in the
// block's event list, controllers, channel pressure and pitch-bend as the parameters the plug-in
// maps them to. They reach the same slots as VST 2.4 events, with the same values, and each move
// goes back to the host with the block's output changes and then to the component handler.
#include "MIDIControlState.h"
#include "Vst3TestInstance.h"
#include "VstTestHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

using namespace Vst3Test;
using namespace MIDIControlState;

constexpr Vst3::ParamID kFirstController = 10000;
constexpr Vst3::ParamID kAftertouch = 10128;
constexpr Vst3::ParamID kPitchBend = 10129;

Vst3::Event NoteOn(Vst3::int16 channel, Vst3::int16 pitch, float velocity = 0.8f, Vst3::int32 offset = 0) {
    Vst3::Event e{};
    e.sampleOffset = offset;
    e.type = Vst3::Event::kNoteOnEvent;
    e.noteOn.channel = channel;
    e.noteOn.pitch = pitch;
    e.noteOn.velocity = velocity;
    e.noteOn.noteId = -1;
    return e;
}

Vst3::Event NoteOff(Vst3::int16 channel, Vst3::int16 pitch) {
    Vst3::Event e{};
    e.type = Vst3::Event::kNoteOffEvent;
    e.noteOff.channel = channel;
    e.noteOff.pitch = pitch;
    e.noteOff.noteId = -1;
    return e;
}

// Raw MIDI bytes as a data event; the bytes must outlive the block.
Vst3::Event Data(const std::vector<uint8_t>& bytes, Vst3::uint32 size) {
    Vst3::Event e{};
    e.type = Vst3::Event::kDataEvent;
    e.data.type = Vst3::DataEvent::kMidiSysEx;
    e.data.size = size;
    e.data.bytes = bytes.empty() ? nullptr : bytes.data();
    return e;
}

class Vst3HostMIDITest : public FactoryTest {
protected:
    void SetUp() override {
        FactoryTest::SetUp();
        if (HasFatalFailure()) return;
        plugin = std::make_unique<Vst3Instance>(*factory);
        ASSERT_TRUE(plugin->Ok());
        ASSERT_EQ(plugin->controller->queryInterface(Vst3::IMidiMapping::iid.bytes, reinterpret_cast<void**>(&mapping)),
                  Vst3::kResultOk);
        MemoryStream state;
        const std::vector<uint8_t> bytes = Bytes();
        state.data.assign(bytes.begin(), bytes.end());
        ASSERT_EQ(plugin->component->setState(&state), Vst3::kResultOk);
        plugin->controller->setComponentHandler(&handler);
        Block();
        Hear();
        handler.calls.clear();
    }
    void TearDown() override {
        if (mapping != nullptr) mapping->release();
        plugin.reset();
        FactoryTest::TearDown();
    }

    Vst3::ParamID Id(const char* title) {
        const Vst3::ParamID id = plugin->Find(title);
        EXPECT_NE(id, kNoParameter) << title;
        return id;
    }
    double Value(const char* title) { return plugin->controller->getParamNormalized(Id(title)); }

    // The ID the plug-in maps a controller number to, asked on every channel: one answer.
    Vst3::ParamID Mapped(Vst3::int16 controller) {
        Vst3::ParamID id = kNoParameter;
        EXPECT_EQ(mapping->getMidiControllerAssignment(0, 0, controller, id), Vst3::kResultOk) << controller;
        for (Vst3::int16 channel = 1; channel < 16; ++channel) {
            Vst3::ParamID other = kNoParameter;
            EXPECT_EQ(mapping->getMidiControllerAssignment(0, channel, controller, other), Vst3::kResultOk);
            EXPECT_EQ(other, id) << "controller " << controller << " channel " << channel;
        }
        return id;
    }

    // One block of 256 frames with the host's events and parameter changes; what the plug-in
    // reported during the block lands in `reported`.
    void Block(std::vector<Vst3::Event> events = {}, std::vector<std::pair<Vst3::ParamID, double>> values = {}) {
        std::vector<float> left = VstTestHost::Signal(256, 0), right = VstTestHost::Signal(256, 1);
        std::vector<float> outLeft(256), outRight(256);
        float* in[2] = {left.data(), right.data()};
        float* out[2] = {outLeft.data(), outRight.data()};
        Vst3::AudioBusBuffers inBus{}, outBus{};
        inBus.numChannels = outBus.numChannels = 2;
        inBus.channelBuffers32 = in;
        outBus.channelBuffers32 = out;
        EventList list;
        list.events = std::move(events);
        ParameterChanges changes;
        changes.queues.reserve(values.size());
        for (const auto& [id, value] : values) changes.Add(id).points = {{17, value}};
        reported = ParameterChanges{};
        reported.queues.reserve(64);
        Vst3::ProcessData data{};
        data.processMode = Vst3::kRealtime;
        data.symbolicSampleSize = Vst3::kSample32;
        data.numSamples = 256;
        data.numInputs = data.numOutputs = 1;
        data.inputs = &inBus;
        data.outputs = &outBus;
        data.inputParameterChanges = &changes;
        data.outputParameterChanges = &reported;
        data.inputEvents = &list;
        ASSERT_EQ(plugin->processor->process(data), Vst3::kResultOk);
    }

    // The value the block reported for a parameter; -1 when it reported none.
    double Reported(Vst3::ParamID id) {
        double value = -1.0;
        for (ValueQueue& queue : reported.queues)
            if (queue.getParameterId() == id && !queue.points.empty()) value = queue.points.back().second;
        return value;
    }
    // A controller call from the GUI thread, after which the handler has heard the moves.
    void Hear() { plugin->controller->getParamNormalized(0); }
    double Performed(Vst3::ParamID id) {
        double value = -1.0;
        for (const ComponentHandler::Call& call : handler.calls)
            if (call.what == "perform" && call.id == id) value = call.value;
        return value;
    }
    std::vector<double> Targets() {
        std::vector<double> values;
        for (const char* title :
             {kChannelThreeTarget, kAnyChannelTarget, kAftertouchTarget, kPitchBendTarget, kSwitchTarget, kPitchTarget})
            values.push_back(Value(title));
        return values;
    }

    std::unique_ptr<Vst3Instance> plugin;
    Vst3::IMidiMapping* mapping = nullptr;
    ComponentHandler handler;
    ParameterChanges reported;
};

TEST_F(Vst3HostMIDITest, TheMappingCoversTheControllersChannelPressureAndPitchBend) {
    for (Vst3::int16 controller : {0, 1, 74, 127, 128, 129})
        EXPECT_EQ(Mapped(controller), kFirstController + static_cast<Vst3::ParamID>(controller));
    Vst3::ParamID id = kNoParameter;
    for (Vst3::int16 outside : {-1, 130, 1000})
        EXPECT_NE(mapping->getMidiControllerAssignment(0, 0, outside, id), Vst3::kResultOk) << outside;
}

TEST_F(Vst3HostMIDITest, MappedControllersMoveTheirSlotsAndTheHostRecordsTheMoves) {
    const Vst3::ParamID feedback = Id(kAnyChannelTarget);
    const Vst3::ParamID id = Mapped(75);
    Block({}, {{id, 0.25}});
    EXPECT_NEAR(Reported(feedback), 0.25, 1e-6) << "the block's output changes carry the move";
    EXPECT_EQ(Performed(feedback), -1.0) << "the handler is not called on the audio thread";
    Hear();
    EXPECT_NEAR(Performed(feedback), 0.25, 1e-6);
    EXPECT_NEAR(Value(kAnyChannelTarget), 0.25, 1e-6);

    // Channel pressure and pitch-bend reach their slots with the values VST 2.4 gives them.
    Block({}, {{Mapped(128), 90.0 / 127.0}, {Mapped(129), 1.0}});
    EXPECT_NEAR(Value(kAftertouchTarget), 90.0 / 127.0, 1e-6);
    EXPECT_NEAR(Reported(Id(kAftertouchTarget)), 90.0 / 127.0, 1e-6);
    EXPECT_NEAR(Value(kPitchBendTarget), 1.0, 1e-6);
    Block({}, {{Mapped(129), 0.0}});
    EXPECT_NEAR(Value(kPitchBendTarget), 0.0, 1e-6);

    // The mapping carries no channel: its controllers arrive on the first, which a slot that
    // listens on channel 3 does not hear.
    const double depth = Value(kChannelThreeTarget);
    Block({}, {{Mapped(74), 0.9}});
    EXPECT_EQ(Value(kChannelThreeTarget), depth);
    EXPECT_EQ(Reported(Id(kChannelThreeTarget)), -1.0);
}

TEST_F(Vst3HostMIDITest, RawControllerMessagesKeepTheirChannel) {
    const std::vector<uint8_t> channelFour{0xB3, 74, 100}, channelThree{0xB2, 74, 100};
    const double before = Value(kChannelThreeTarget);
    Block({Data(channelFour, 3)});
    EXPECT_EQ(Value(kChannelThreeTarget), before);
    Block({Data(channelThree, 3)});
    EXPECT_NEAR(Value(kChannelThreeTarget), 100.0 / 127.0, 1e-6);
    EXPECT_NEAR(Reported(Id(kChannelThreeTarget)), 100.0 / 127.0, 1e-6);
    // A slot on channel 0 hears raw messages on every channel.
    for (uint8_t channel = 0; channel < 16; ++channel) {
        const std::vector<uint8_t> message{static_cast<uint8_t>(0xB0 | channel), 75, static_cast<uint8_t>(3 * channel)};
        Block({Data(message, 3)});
        EXPECT_NEAR(Value(kAnyChannelTarget), 3.0 * channel / 127.0, 1e-6) << "channel " << channel + 1;
    }
}

TEST_F(Vst3HostMIDITest, NoteEventsToggleTheSwitchAndPitchBendReevaluatesTheLastNote) {
    const Vst3::ParamID saturation = Id(kSwitchTarget);
    Block({NoteOn(5, 60)});
    EXPECT_NEAR(Reported(saturation), kSwitchOn, 1e-6);
    EXPECT_NEAR(Value(kSwitchTarget), kSwitchOn, 1e-6);
    EXPECT_NEAR(Value(kPitchTarget), LogPositionOfKey60(), 1e-5);
    Block({NoteOff(5, 60), NoteOn(0, 61)});
    EXPECT_NEAR(Value(kSwitchTarget), kSwitchOn, 1e-6) << "neither a release nor another key switches";
    Block({NoteOff(0, 61), NoteOn(15, 60)});
    EXPECT_NEAR(Value(kSwitchTarget), kSwitchOff, 1e-6);

    // The mapping's pitch-bend arrives on the first channel: it bends that channel's last key.
    Block({NoteOff(15, 60), NoteOn(0, 60)});
    EXPECT_NEAR(Value(kSwitchTarget), kSwitchOn, 1e-6);
    const double key60 = Value(kPitchTarget);
    EXPECT_NEAR(key60, LogPositionOfKey60(), 1e-5);
    Block({}, {{kPitchBend, 1.0}});
    const double bentUp = Value(kPitchTarget);
    Block({}, {{kPitchBend, 0.0}});
    const double bentDown = Value(kPitchTarget);
    Block({NoteOff(0, 60)}, {{kPitchBend, 0.5}});
    EXPECT_NEAR(Value(kPitchTarget), key60, 1e-5) << "the centre gives the key back";
    // A full bend is two semitones either way: keys 62 and 58.
    Block({NoteOn(0, 62)});
    EXPECT_NEAR(bentUp, Value(kPitchTarget), 1e-5);
    Block({NoteOn(0, 58)});
    EXPECT_NEAR(bentDown, Value(kPitchTarget), 1e-5);
    EXPECT_GT(bentUp, key60);
    EXPECT_LT(bentDown, key60);
}

TEST_F(Vst3HostMIDITest, CutMessagesStrayBytesSystemMessagesAndChannelsPastSixteenAreIgnored) {
    const std::vector<uint8_t> controller{0xB2, 74, 100}, controllerPadded{0xB2, 74, 100, 0, 0}, note{0x90, 60, 100},
        bend{0xE0, 0x7F, 0x7F}, pressure{0xD0, 90}, runningStatus{74, 100}, clock{0xF8},
        songPosition{0xF2, 0x10, 0x20}, sysEx{0xF0, 0x7E, 0x7F, 0xF7};
    const std::vector<double> before = Targets();
    Block({
        Data(controller, 2),       // the value is missing
        Data(controller, 1),       // only the status
        Data(note, 2),             // a note without its velocity
        Data(bend, 2),             // a bend without its high byte
        Data(pressure, 1),         // channel pressure without its value
        Data(controller, 0),       // nothing
        Data({}, 3),               // no bytes at all
        Data(controllerPadded, 5), // longer than any channel message
        Data(runningStatus, 2),    // data bytes as running status would send them
        Data(clock, 1),
        Data(songPosition, 3),
        Data(sysEx, 4),
        NoteOn(16, 60), // channels past the sixteenth
        NoteOn(17, 60),
        NoteOn(-1, 60),
        NoteOn(0, 128), // and keys past the last
        NoteOn(0, -1),
    });
    EXPECT_EQ(Targets(), before);
    EXPECT_EQ(reported.queues.size(), 0u);

    // Two-byte messages are whole at two bytes, and the list still carries what is valid in it.
    Block({Data(clock, 1), Data(pressure, 2), Data(controller, 3)});
    EXPECT_NEAR(Value(kAftertouchTarget), 90.0 / 127.0, 1e-6);
    EXPECT_NEAR(Value(kChannelThreeTarget), 100.0 / 127.0, 1e-6);
}

} // namespace
