#include "effect/YMIDIResetProcessor.h"

#include "foundation/YXMLItem.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct CountingReset : YMIDIResetProcessor {
    int Resets = 0;
    void Reset() override { ++Resets; }
};

struct Probe : YMIDIProcessorBase {
    std::vector<std::string> Events;
    void OnNote(int32_t channel, int32_t note, double, bool on, int32_t) override {
        Events.push_back((on ? "on " : "off ") + std::to_string(channel) + " " + std::to_string(note));
    }
    void OnController(int32_t channel, int32_t controller, double) override {
        Events.push_back("cc " + std::to_string(channel) + " " + std::to_string(controller));
    }
    void OnPitchBend(int32_t channel, double) override {
        Events.push_back("bend " + std::to_string(channel));
    }
    void OnChannelAftertouch(int32_t channel, double) override {
        Events.push_back("at " + std::to_string(channel));
    }
    void OnPolyAftertouch(int32_t channel, int32_t note, double) override {
        Events.push_back("pat " + std::to_string(channel) + " " + std::to_string(note));
    }
    void OnProgramChange(int32_t channel, int32_t program) override {
        Events.push_back("pc " + std::to_string(channel) + " " + std::to_string(program));
    }
    void OnAllNotesOff(int32_t channel) override { Events.push_back("anf " + std::to_string(channel)); }
    void OnAllSoundOff(int32_t channel) override { Events.push_back("asf " + std::to_string(channel)); }
    void OnRawEvent(int32_t channel, int32_t status, int32_t, int32_t) override {
        Events.push_back("raw " + std::to_string(channel) + " " + std::to_string(status));
    }
};

struct Note {
    int32_t channel = 0;
    int32_t note = 60;
    double velocity = 0.5;
    bool on = true;
    int32_t held = 1;
};

} // namespace

TEST(YMIDIResetProcessorTest, ConditionsDecideWhetherANoteResets) {
    struct Case {
        const char* name;
        std::function<void(YMIDIResetProcessor&)> setup;
        Note note;
        bool resets;
    };
    auto enabled = [](YMIDIResetProcessor& p) { p.Enabled = true; };
    const Case cases[] = {
        {"DisabledByDefault", [](YMIDIResetProcessor&) {}, {}, false},
        {"NoteOnByDefault", enabled, {}, true},
        {"NoteOffNotByDefault", enabled, {0, 60, 0.5, false, 0}, false},
        {"NoteOnSwitchedOff", [](YMIDIResetProcessor& p) { p.Enabled = true, p.NoteOn = false; }, {}, false},
        {"NoteOffSwitchedOn",
         [](YMIDIResetProcessor& p) { p.Enabled = true, p.NoteOff = true; },
         {0, 60, 0.5, false, 3},
         true},
        {"OnlyFirstAcceptsFirst",
         [](YMIDIResetProcessor& p) { p.Enabled = true, p.NoteOnOnlyFirst = true; },
         {0, 60, 0.5, true, 1},
         true},
        {"OnlyFirstRejectsOverlap",
         [](YMIDIResetProcessor& p) { p.Enabled = true, p.NoteOnOnlyFirst = true; },
         {0, 64, 0.5, true, 2},
         false},
        {"OnlyLastRejectsWhileHeld",
         [](YMIDIResetProcessor& p) { p.Enabled = true, p.NoteOff = true, p.NoteOffOnlyLast = true; },
         {0, 60, 0.5, false, 1},
         false},
        {"OnlyLastAcceptsLast",
         [](YMIDIResetProcessor& p) { p.Enabled = true, p.NoteOff = true, p.NoteOffOnlyLast = true; },
         {0, 60, 0.5, false, 0},
         true},
        {"BelowMinNote", [](YMIDIResetProcessor& p) { p.Enabled = true, p.MinNote = 61; }, {}, false},
        {"AtMinNote", [](YMIDIResetProcessor& p) { p.Enabled = true, p.MinNote = 60; }, {}, true},
        {"AboveMaxNote", [](YMIDIResetProcessor& p) { p.Enabled = true, p.MaxNote = 59; }, {}, false},
        {"AtMaxNote", [](YMIDIResetProcessor& p) { p.Enabled = true, p.MaxNote = 60; }, {}, true},
        {"VelocityBelowMin",
         [](YMIDIResetProcessor& p) { p.Enabled = true, p.MinVelocity = 0.6; },
         {},
         false},
        {"VelocityAboveMax",
         [](YMIDIResetProcessor& p) { p.Enabled = true, p.MaxVelocity = 0.4; },
         {},
         false},
        {"VelocityAtLimits",
         [](YMIDIResetProcessor& p) { p.Enabled = true, p.MinVelocity = 0.5, p.MaxVelocity = 0.5; },
         {},
         true},
        {"VelocityWithinTolerance",
         [](YMIDIResetProcessor& p) { p.Enabled = true, p.MaxVelocity = 0.5 - 1e-21; },
         {},
         true},
        {"ChannelOneMatchesFirst",
         [](YMIDIResetProcessor& p) { p.Enabled = true, p.Channel = 1; },
         {0, 60, 0.5, true, 1},
         true},
        {"ChannelOneRejectsSecond",
         [](YMIDIResetProcessor& p) { p.Enabled = true, p.Channel = 1; },
         {1, 60, 0.5, true, 1},
         false},
        {"ChannelSixteen",
         [](YMIDIResetProcessor& p) { p.Enabled = true, p.Channel = 16; },
         {15, 60, 0.5, true, 1},
         true},
        {"AnyChannel", enabled, {9, 60, 0.5, true, 1}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CountingReset processor;
        c.setup(processor);
        processor.OnNote(c.note.channel, c.note.note, c.note.velocity, c.note.on, c.note.held);
        EXPECT_EQ(processor.Resets, c.resets ? 1 : 0);
        EXPECT_EQ(processor.Matches(c.note.channel, c.note.note, c.note.velocity, c.note.on, c.note.held),
                  c.resets);
    }
}

TEST(YMIDIResetProcessorTest, OnlyFirstResetsAgainAfterAllNotesAreReleased) {
    CountingReset processor;
    processor.Enabled = true;
    processor.NoteOnOnlyFirst = true;
    processor.OnNote(0, 60, 0.8, true, 1);
    processor.OnNote(0, 64, 0.8, true, 2);
    processor.OnNote(0, 60, 0.0, false, 1);
    processor.OnNote(0, 64, 0.0, false, 0);
    processor.OnNote(0, 67, 0.8, true, 1);
    EXPECT_EQ(processor.Resets, 2);
}

TEST(YMIDIResetProcessorTest, ChildrenHearEventsOnTheirChannels) {
    CountingReset processor;
    Probe all, second;
    uint8_t secondOn = 1;
    second.SetChannelMask(1u << 1);
    second.SetEnableLink(&secondOn);
    EXPECT_TRUE(processor.AddChild(&all));
    EXPECT_TRUE(processor.AddChild(&second));
    EXPECT_FALSE(processor.AddChild(nullptr));
    EXPECT_FALSE(processor.AddChild(&processor));

    processor.OnNote(0, 60, 0.5, true, 1);
    processor.OnNote(1, 62, 0.5, false, 0);
    processor.Dispatch(kMIDIController, 1, 7, 0.5);
    processor.Dispatch(kMIDIPitchBend, 1, 0, 0.0);
    processor.Dispatch(kMIDIChannelAftertouch, 1, 0, 0.2);
    processor.Dispatch(kMIDIPolyAftertouch, 1, 61, 0.2);
    processor.Dispatch(kMIDIProgramChange, 1, 5, 0.0);
    processor.Dispatch(kMIDIAllNotesOff, 1, 0, 0.0);
    processor.Dispatch(kMIDIAllSoundOff, 1, 0, 0.0);
    processor.Dispatch(kMIDIRawEvent, 1, 0xF8, 0.0);
    secondOn = 0;
    processor.Dispatch(kMIDIController, 1, 8, 0.5);
    processor.Dispatch(kMIDIController, 16, 9, 0.5); // not a channel

    const std::vector<std::string> onSecond = {"off 1 62", "cc 1 7", "bend 1", "at 1",     "pat 1 61",
                                               "pc 1 5",   "anf 1",  "asf 1",  "raw 1 248"};
    std::vector<std::string> onAll = {"on 0 60"};
    onAll.insert(onAll.end(), onSecond.begin(), onSecond.end());
    onAll.push_back("cc 1 8");
    EXPECT_EQ(all.Events, onAll);
    EXPECT_EQ(second.Events, onSecond);
    // Children hear notes even when the processor itself is disabled.
    EXPECT_EQ(processor.Resets, 0);

    EXPECT_TRUE(processor.RemoveChild(&all));
    EXPECT_FALSE(processor.RemoveChild(&all));
    EXPECT_EQ(processor.ChildCount(), 1);
    Probe extra[YMIDIResetProcessor::kMaxChildren];
    int added = 0;
    for (Probe& p : extra) added += processor.AddChild(&p) ? 1 : 0;
    EXPECT_EQ(added, YMIDIResetProcessor::kMaxChildren - 1);
}

TEST(YMIDIResetProcessorTest, SettingsRoundTripAndAbsentAttributesTakeDefaults) {
    YMIDIResetProcessor source;
    source.Enabled = true;
    source.NoteOn = false;
    source.NoteOnOnlyFirst = true;
    source.NoteOff = true;
    source.NoteOffOnlyLast = true;
    source.MinVelocity = 0.125;
    source.MaxVelocity = 0.75;
    source.MinNote = 36;
    source.MaxNote = 48;
    source.Channel = 10;
    source.Phase = 0.375;
    YXMLItem item("MIDIReset");
    YStorer writer{true, &item};
    source.Store(writer);
    EXPECT_EQ(item.GetAttribute("NoteOnOnlyFirst"), YString("1"));
    EXPECT_EQ(item.GetAttribute("MaxNote"), YString("48"));

    YMIDIResetProcessor target;
    YStorer reader{false, &item};
    target.Store(reader);
    EXPECT_TRUE(target.Enabled);
    EXPECT_FALSE(target.NoteOn);
    EXPECT_TRUE(target.NoteOnOnlyFirst);
    EXPECT_TRUE(target.NoteOff);
    EXPECT_TRUE(target.NoteOffOnlyLast);
    EXPECT_DOUBLE_EQ(target.MinVelocity, 0.125);
    EXPECT_DOUBLE_EQ(target.MaxVelocity, 0.75);
    EXPECT_EQ(target.MinNote, 36);
    EXPECT_EQ(target.MaxNote, 48);
    EXPECT_EQ(target.Channel, 10);
    EXPECT_DOUBLE_EQ(target.Phase, 0.375);

    YXMLItem sparse("MIDIReset");
    sparse.SetAttribute("Enabled", "1");
    sparse.SetAttribute("MaxNote", "not a number");
    YStorer sparseReader{false, &sparse};
    target.Store(sparseReader);
    EXPECT_TRUE(target.Enabled);
    EXPECT_TRUE(target.NoteOn);
    EXPECT_FALSE(target.NoteOff);
    EXPECT_EQ(target.MinNote, 0);
    EXPECT_EQ(target.MaxNote, 127);
    EXPECT_EQ(target.Channel, 0);
    EXPECT_DOUBLE_EQ(target.MaxVelocity, 1.0);
    EXPECT_DOUBLE_EQ(target.Phase, 0.0);
}
