#include "core/YMIDIProcessor.h"

#include "core/YMIDIState.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Writes every event it hears as one line of text.
class RecordingListener : public YMIDIProcessorBase {
public:
    void OnNote(int32_t channel, int32_t note, double velocity, bool on, int32_t held) override {
        Log("note", channel, note, velocity, (on ? 1 : 0) + 10 * held);
    }
    void OnController(int32_t channel, int32_t controller, double value) override {
        Log("cc", channel, controller, value);
    }
    void OnPitchBend(int32_t channel, double value) override { Log("bend", channel, 0, value); }
    void OnChannelAftertouch(int32_t channel, double value) override { Log("touch", channel, 0, value); }
    void OnPolyAftertouch(int32_t channel, int32_t note, double value) override {
        Log("polytouch", channel, note, value);
    }
    void OnProgramChange(int32_t channel, int32_t program) override { Log("program", channel, program, 0); }
    void OnAllNotesOff(int32_t channel) override { Log("allnotesoff", channel, 0, 0); }

    struct Event {
        std::string kind;
        int32_t channel;
        int32_t number;
        double value;
        int32_t extra;
    };
    std::vector<Event> events;

private:
    void Log(const char* kind, int32_t channel, int32_t number, double value, int32_t extra = 0) {
        events.push_back({kind, channel, number, value, extra});
    }
};

struct Fixture {
    Fixture() { processor.AddMIDIListener(&listener); }
    void Raw(uint8_t status, uint8_t d1, uint8_t d2 = 0) { processor.RawMIDIEvent(0, status, d1, d2); }
    YMIDIProcessor processor;
    RecordingListener listener;
};

} // namespace

TEST(YMIDIProcessor, RawMessagesAreDecodedAndNormalised) {
    Fixture f;
    const struct {
        uint8_t status, d1, d2;
        const char* kind;
        int32_t channel, number;
        double value;
    } cases[] = {
        {0x90, 60, 127, "note", 0, 60, 126.0 / 127}, {0x93, 61, 1, "note", 3, 61, 0.0},
        {0x80, 60, 64, "note", 0, 60, 63.0 / 127},   {0xB2, 7, 127, "cc", 2, 7, 1.0},
        {0xB2, 7 | 0x80, 0xFF, "cc", 2, 7, 1.0}, // data bytes are 7-bit
        {0xAF, 40, 127, "polytouch", 15, 40, 1.0},   {0xD1, 64, 0, "touch", 1, 0, 64.0 / 127},
        {0xC4, 12, 0, "program", 4, 12, 0.0},        {0xE0, 0, 0, "bend", 0, 0, -1.0},
        {0xE0, 0x7F, 0x7F, "bend", 0, 0, 1.0},       {0xE0, 0, 0x40, "bend", 0, 0, 8192 * 2.0 / 16383 - 1},
    };
    for (const auto& c : cases) {
        f.listener.events.clear();
        f.Raw(c.status, c.d1, c.d2);
        ASSERT_EQ(f.listener.events.size(), 1u) << int(c.status);
        const RecordingListener::Event& e = f.listener.events[0];
        EXPECT_EQ(e.kind, c.kind);
        EXPECT_EQ(e.channel, c.channel);
        EXPECT_EQ(e.number, c.number);
        EXPECT_DOUBLE_EQ(e.value, c.value) << int(c.status);
    }
    EXPECT_EQ(f.processor.ControllerValue(2, 7), 1.0);
    EXPECT_EQ(f.processor.Program(4), 12);
    EXPECT_EQ(f.processor.PitchBend(0), 8192 * 2.0 / 16383 - 1);
    EXPECT_DOUBLE_EQ(f.processor.ChannelAftertouch(1), 64.0 / 127);
}

TEST(YMIDIProcessor, SystemMessagesAndStrayDataBytesAreIgnored) {
    Fixture f;
    for (uint8_t status : {0xF0, 0xF8, 0xFF, 0x00, 0x7F}) f.Raw(status, 60, 100);
    EXPECT_TRUE(f.listener.events.empty());
}

TEST(YMIDIProcessor, NotesCarryTheChannelsHeldCountAndUnheldReleasesAreDropped) {
    Fixture f;
    f.Raw(0x90, 60, 100);
    f.Raw(0x90, 60, 100); // the same key twice (two sources)
    f.Raw(0x90, 64, 100);
    f.Raw(0x80, 67, 0); // never pressed: dropped
    f.Raw(0x90, 60, 0); // velocity 0 is a release
    f.Raw(0x91, 60, 100);
    ASSERT_EQ(f.listener.events.size(), 5u);
    const int32_t extras[] = {11, 21, 31, 20, 11}; // on + 10 x held
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(f.listener.events[i].extra, extras[i]) << i;
    EXPECT_EQ(f.listener.events[4].channel, 1);
    EXPECT_EQ(f.processor.NoteCount(0, 60), 1);
    EXPECT_EQ(f.processor.HeldNotes(0), 2);
    EXPECT_EQ(f.processor.LastNote(0), 64);
}

TEST(YMIDIProcessor, AllNotesOffForgetsTheChannelsNotes) {
    Fixture f;
    f.Raw(0x92, 60, 100);
    f.Raw(0x92, 62, 100);
    f.Raw(0x90, 62, 100);
    f.Raw(0xB2, 123, 0);
    EXPECT_EQ(f.processor.HeldNotes(2), 0);
    EXPECT_EQ(f.processor.HeldNotes(0), 1);
    EXPECT_EQ(f.listener.events.back().kind, "allnotesoff");
    f.listener.events.clear();
    f.Raw(0x82, 60, 0); // already forgotten: nothing to release
    EXPECT_TRUE(f.listener.events.empty());
}

TEST(YMIDIProcessor, HoldKeepsReleasesPendingUntilItEnds) {
    Fixture f;
    f.Raw(0x90, 60, 100);
    f.Raw(0x90, 60, 100);
    f.processor.SetNoteHold(true);
    f.Raw(0x80, 60, 0);
    f.Raw(0x80, 60, 0);
    f.Raw(0x80, 60, 0); // more releases than presses: dropped
    EXPECT_EQ(f.processor.NoteCount(0, 60), 2);
    EXPECT_EQ(f.processor.PendingNoteOffs(0, 60), 2);
    ASSERT_EQ(f.listener.events.size(), 4u);
    EXPECT_EQ(f.listener.events[3].extra, 20); // released while held: still counted
    f.listener.events.clear();
    f.processor.SetNoteHold(false);
    EXPECT_EQ(f.processor.NoteCount(0, 60), 0);
    EXPECT_EQ(f.processor.HeldNotes(0), 0);
    ASSERT_EQ(f.listener.events.size(), 2u);
    EXPECT_EQ(f.listener.events[0].extra, 10);
    EXPECT_EQ(f.listener.events[1].extra, 0);
}

TEST(YMIDIProcessor, ListenersHearOnlyTheirChannelsAndTheTableIsBounded) {
    YMIDIProcessor processor;
    RecordingListener all, channel3;
    channel3.SetChannelMask(1u << 2);
    EXPECT_TRUE(processor.AddMIDIListener(&all));
    EXPECT_TRUE(processor.AddMIDIListener(&channel3));
    EXPECT_FALSE(processor.AddMIDIListener(&all));
    EXPECT_FALSE(processor.AddMIDIListener(nullptr));
    EXPECT_FALSE(processor.AddMIDIListener(&processor));
    processor.RawMIDIEvent(0, 0xB2, 1, 64);
    processor.RawMIDIEvent(0, 0xB5, 1, 64);
    EXPECT_EQ(all.events.size(), 2u);
    ASSERT_EQ(channel3.events.size(), 1u);
    EXPECT_EQ(channel3.events[0].channel, 2);

    std::vector<RecordingListener> many(YMIDIProcessor::kMaxListeners);
    int added = 0;
    for (RecordingListener& l : many) added += processor.AddMIDIListener(&l) ? 1 : 0;
    EXPECT_EQ(added, YMIDIProcessor::kMaxListeners - 2);
    EXPECT_TRUE(processor.RemoveMIDIListener(&all));
    EXPECT_FALSE(processor.RemoveMIDIListener(&all));
    EXPECT_EQ(processor.MIDIListenerCount(), YMIDIProcessor::kMaxListeners - 1);
}

TEST(YMIDIState, OutOfTableEventsAreRefused) {
    YMIDIState state;
    for (auto [channel, note] : {std::pair{-1, 60}, {16, 60}, {0, -1}, {0, 128}}) {
        EXPECT_FALSE(state.CountNoteOn(channel, note));
        EXPECT_FALSE(state.CountNoteOff(channel, note));
        EXPECT_EQ(state.NoteCount(channel, note), 0);
    }
    EXPECT_EQ(state.HeldNotes(16), 0);
    EXPECT_EQ(state.Program(0), -1);
    EXPECT_EQ(state.LastNote(0), -1);
    state.RecordController(0, 200, 1.0);
    EXPECT_EQ(state.ControllerValue(0, 200), 0.0);
}
