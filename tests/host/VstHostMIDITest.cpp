// MIDI control through the built binary as a VST 2.4 host drives it: events through
// effProcessEvents reach the controller slots and note controllers set up by a loaded state,
// the parameters move at the next block, and the host hears each move as automation.
#include "MIDIControlState.h"
#include "VstTestHost.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

namespace {

using namespace VstTestHost;
using namespace Vst2;
using namespace MIDIControlState;

using Message = std::array<uint8_t, 3>;

// A VstEvents block as a host lays it out: the header followed by numEvents pointers.
class EventBlock {
public:
    void Add(const Message& bytes) {
        VstMidiEvent event{};
        event.type = kVstMidiType;
        event.byteSize = sizeof(VstMidiEvent);
        std::memcpy(event.midiData, bytes.data(), 3);
        m_midi.push_back(event);
        m_kinds.push_back(kVstMidiType);
    }
    void AddOther(int32_t type) {
        VstMidiEvent event{};
        event.type = type;
        event.byteSize = sizeof(VstMidiEvent);
        event.midiData[0] = static_cast<char>(0xB0); // would move a slot if it were taken as MIDI
        event.midiData[1] = 75;
        event.midiData[2] = 127;
        m_midi.push_back(event);
        m_kinds.push_back(type);
    }
    void AddNull() {
        m_midi.push_back(VstMidiEvent{});
        m_kinds.push_back(-1);
    }
    VstEvents* Build() {
        const size_t count = m_midi.size();
        m_storage.assign((sizeof(VstEvents) + count * sizeof(VstEvent*)) / sizeof(intptr_t) + 1, 0);
        auto* events = reinterpret_cast<VstEvents*>(m_storage.data());
        events->numEvents = static_cast<int32_t>(count);
        for (size_t i = 0; i < count; ++i)
            events->events[i] = m_kinds[i] == -1 ? nullptr : reinterpret_cast<VstEvent*>(&m_midi[i]);
        return events;
    }

private:
    std::vector<VstMidiEvent> m_midi;
    std::vector<int32_t> m_kinds;
    std::vector<intptr_t> m_storage;
};

class VstHostMIDITest : public StartedInstanceTest {
protected:
    void SetUp() override {
        StartedInstanceTest::SetUp();
        if (HasFatalFailure()) return;
        m_plugin = m_instance.get();
        ASSERT_EQ(m_plugin->LoadChunk(Bytes()), 1);
        for (const char* name :
             {kChannelThreeTarget, kAnyChannelTarget, kAftertouchTarget, kPitchBendTarget, kSwitchTarget, kPitchTarget}) {
            const int32_t index = m_plugin->FindParameter(name);
            ASSERT_GE(index, 0) << name;
            m_index.push_back(index);
        }
        Block();
        Host().Automated.clear();
    }

    int32_t Index(const char* name) { return m_plugin->FindParameter(name); }
    float Value(const char* name) { return m_plugin->Get(Index(name)); }

    // Hands the messages to the plug-in the way a host does before a block.
    void Send(std::initializer_list<Message> messages) {
        EventBlock block;
        for (const Message& m : messages) block.Add(m);
        ASSERT_EQ(m_plugin->Dispatch(effProcessEvents, 0, 0, block.Build()), 1);
    }
    void Block() {
        const int32_t inputs = m_plugin->Effect()->numInputs;
        std::vector<std::vector<float>> in, out(2, std::vector<float>(256, 0.0f));
        for (int32_t c = 0; c < inputs; ++c) in.push_back(Signal(256, c));
        m_plugin->Process(in, out, 256);
    }
    // Every parameter the slots of the state drive, as it stands.
    std::vector<float> Targets() {
        std::vector<float> values;
        for (int32_t index : m_index) values.push_back(m_plugin->Get(index));
        return values;
    }
    // The last value the host was told for a parameter; -1 when it heard nothing.
    static float LastAutomated(int32_t index) {
        float value = -1.0f;
        for (const auto& [i, v] : Host().Automated)
            if (i == index) value = v;
        return value;
    }

    Instance* m_plugin = nullptr;
    std::vector<int32_t> m_index;
};

TEST_F(VstHostMIDITest, AControllerOnChannelThreeMovesItsParameterAtTheNextBlockAndTheHostRecordsIt) {
    const int32_t depth = Index(kChannelThreeTarget);
    const float before = m_plugin->Get(depth);
    ASSERT_GT(std::fabs(before - 100.0f / 127.0f), 1e-3f);

    // Channels 1, 4 and 16 and a neighbouring controller number: not this slot's.
    Send({{0xB0, 74, 100}, {0xB3, 74, 100}, {0xBF, 74, 100}, {0xB2, 73, 100}});
    Block();
    EXPECT_EQ(m_plugin->Get(depth), before);
    EXPECT_EQ(LastAutomated(depth), -1.0f);

    Send({{0xB2, 74, 100}}); // status low nibble 2: channel 3
    EXPECT_EQ(m_plugin->Get(depth), before) << "nothing changes before the block that follows";
    Block();
    EXPECT_NEAR(m_plugin->Get(depth), 100.0f / 127.0f, 1e-6f);
    EXPECT_NEAR(LastAutomated(depth), 100.0f / 127.0f, 1e-6f) << "the host records the move";

    // The slot's whole travel: 0 and 127 are its ends.
    for (const uint8_t value : {uint8_t{0}, uint8_t{127}}) {
        Send({{0xB2, 74, value}});
        Block();
        EXPECT_NEAR(m_plugin->Get(depth), value / 127.0f, 1e-6f) << int(value);
    }
}

TEST_F(VstHostMIDITest, ASlotOnChannelZeroHearsEveryChannel) {
    const int32_t feedback = Index(kAnyChannelTarget);
    for (uint8_t channel = 0; channel < 16; ++channel) {
        const uint8_t value = static_cast<uint8_t>(5 + channel * 7);
        Send({{static_cast<uint8_t>(0xB0 | channel), 75, value}});
        Block();
        EXPECT_NEAR(m_plugin->Get(feedback), value / 127.0f, 1e-6f) << "channel " << channel + 1;
        EXPECT_NEAR(LastAutomated(feedback), value / 127.0f, 1e-6f) << "channel " << channel + 1;
    }
    // Channel aftertouch and pitch-bend are sources of the same kind, on any channel.
    Send({{0xD6, 90, 0}, {0xE9, 0x7F, 0x7F}});
    Block();
    EXPECT_NEAR(Value(kAftertouchTarget), 90.0f / 127.0f, 1e-6f);
    EXPECT_NEAR(Value(kPitchBendTarget), 1.0f, 1e-6f);
    Send({{0xE9, 0x00, 0x00}});
    Block();
    EXPECT_NEAR(Value(kPitchBendTarget), 0.0f, 1e-6f);
}

TEST_F(VstHostMIDITest, ANoteControllerInSwitchModeTogglesOnItsKeyOnly) {
    const int32_t saturation = Index(kSwitchTarget);
    const float before = m_plugin->Get(saturation);
    const struct {
        Message message;
        double expected; // -1: unchanged from the step before
        const char* what;
    } steps[] = {
        {{0x90, 61, 100}, -1, "another key"},
        {{0x90, 60, 0}, -1, "a note-on of velocity 0 is a release"},
        {{0x93, 60, 100}, kSwitchOn, "key 60, any channel: on"},
        {{0x83, 60, 64}, -1, "its release changes nothing"},
        {{0x90, 72, 100}, -1, "the same key an octave up is another key"},
        {{0x95, 60, 1}, kSwitchOff, "key 60 again: off"},
        {{0x90, 60, 127}, kSwitchOn, "and on again"},
    };
    float expected = before;
    for (const auto& step : steps) {
        Send({step.message});
        Block();
        if (step.expected >= 0.0) expected = static_cast<float>(step.expected);
        EXPECT_NEAR(m_plugin->Get(saturation), expected, 1e-6f) << step.what;
    }
    EXPECT_NEAR(LastAutomated(saturation), kSwitchOn, 1e-6f);
}

TEST_F(VstHostMIDITest, PitchBendReevaluatesTheLastNote) {
    Send({{0x90, 60, 100}});
    Block();
    const float key60 = Value(kPitchTarget);
    EXPECT_NEAR(key60, LogPositionOfKey60(), 1e-5);
    // Two semitones up (the full bend) sound as key 62, two down as key 58.
    Send({{0xE0, 0x7F, 0x7F}});
    Block();
    const float bentUp = Value(kPitchTarget);
    Send({{0xE0, 0x00, 0x00}});
    Block();
    const float bentDown = Value(kPitchTarget);
    Send({{0xE0, 0x00, 0x40}, {0x80, 60, 0}});
    Block();
    EXPECT_NEAR(Value(kPitchTarget), key60, 1e-5f) << "the centre gives the key back";
    EXPECT_NEAR(LastAutomated(Index(kPitchTarget)), key60, 1e-5f);
    Send({{0x90, 62, 100}});
    Block();
    EXPECT_NEAR(bentUp, Value(kPitchTarget), 1e-5f);
    Send({{0x90, 58, 100}});
    Block();
    EXPECT_NEAR(bentDown, Value(kPitchTarget), 1e-5f);
    EXPECT_GT(bentUp, key60);
    EXPECT_LT(bentDown, key60);
}

TEST_F(VstHostMIDITest, StrayBytesSystemMessagesAndOtherEventsAreIgnored) {
    const std::vector<float> before = Targets();
    EventBlock block;
    block.Add({0x4A, 0x7F, 0x00});  // data bytes as running status would send them
    block.Add({0x60, 0x3C, 0x64});  // a note's data bytes
    block.Add({0xF0, 0x7E, 0x7F});  // start of system exclusive
    block.Add({0xF2, 0x10, 0x20});  // song position
    block.Add({0xF8, 0x00, 0x00});  // clock
    block.Add({0xFF, 0x00, 0x00});  // reset
    block.AddOther(kVstSysExType);
    block.AddOther(99);
    block.AddNull();
    ASSERT_EQ(m_plugin->Dispatch(effProcessEvents, 0, 0, block.Build()), 1);
    Block();
    EXPECT_EQ(Targets(), before);
    EXPECT_TRUE(Host().Automated.empty());

    // The list still carries what is valid in it.
    EventBlock mixed;
    mixed.AddNull();
    mixed.Add({0xF8, 0x00, 0x00});
    mixed.Add({0xB7, 75, 33});
    ASSERT_EQ(m_plugin->Dispatch(effProcessEvents, 0, 0, mixed.Build()), 1);
    Block();
    EXPECT_NEAR(Value(kAnyChannelTarget), 33.0f / 127.0f, 1e-6f);
}

TEST_F(VstHostMIDITest, NothingMovesWhileTheSwitchesAreOff) {
    std::vector<uint8_t> off = Bytes();
    const std::string text(off.begin(), off.end());
    const std::string from = "ControllersEnabled=\"1\" NoteControllersEnabled=\"1\"";
    std::string changed = text;
    changed.replace(changed.find(from), from.size(), "ControllersEnabled=\"0\"");
    ASSERT_EQ(m_plugin->LoadChunk(std::vector<uint8_t>(changed.begin(), changed.end())), 1);
    Block();
    Host().Automated.clear();
    const std::vector<float> before = Targets();
    Send({{0xB2, 74, 100}, {0xB0, 75, 100}, {0xD0, 90, 0}, {0xE0, 0x7F, 0x7F}, {0x90, 60, 100}});
    Block();
    EXPECT_EQ(Targets(), before);
    EXPECT_TRUE(Host().Automated.empty());
}

} // namespace
