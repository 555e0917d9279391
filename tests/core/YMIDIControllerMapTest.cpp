#include "core/YMIDIControllerMap.h"

#include "ParameterAccessFakes.h"
#include "core/YMIDIProcessor.h"
#include "core/YRangeMapping.h"
#include "core/YStorer.h"
#include "foundation/YXMLItem.h"
#include "support/AllocationCounting.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class MIDIControllerMapTest : public ::testing::Test {
protected:
    MIDIControllerMapTest() : params({"Depth", "Feedback", "Rate", "Mix"}) {
        map.SetParameterSetter(&params);
        processor.AddMIDIListener(&map);
    }

    YMIDIControllerAssignment& Slot(int32_t n, const char* target, int32_t channel, int32_t source) {
        YMIDIControllerAssignment& slot = map.Controllers[n];
        slot.Enabled = true;
        slot.ParameterName = YString::Literal(target);
        slot.Channel = channel;
        slot.Controller = source;
        return slot;
    }

    YMIDINoteController& NoteSlot(int32_t n, const char* target, int32_t mode, int32_t note = 48) {
        YMIDINoteController& slot = map.NoteControllers[n];
        slot.Enabled = true;
        slot.ParameterName = YString::Literal(target);
        slot.Mode = mode;
        slot.Note = note;
        return slot;
    }

    void Raw(uint8_t status, uint8_t data1, uint8_t data2) { processor.RawMIDIEvent(0, status, data1, data2); }

    FakeParameters params;
    YMIDIControllerMap map;
    YMIDIProcessor processor;
};

TEST_F(MIDIControllerMapTest, AFreshMapIsSwitchedOffWithEverySlotAtItsDefaults) {
    EXPECT_FALSE(map.ControllersEnabled);
    EXPECT_FALSE(map.NoteControllersEnabled);
    EXPECT_EQ(map.Controllers[31].Controller, 1);
    EXPECT_EQ(map.Controllers[31].RangeMode, kRangeUpOnly);
    EXPECT_EQ(map.Controllers[0].Range, 1.0);
    EXPECT_EQ(map.NoteControllers[31].Note, 48);
    EXPECT_EQ(map.NoteControllers[0].MaxValue, 1.0);
    EXPECT_EQ(map.PresetSwitch.LastValue, 0.5);
}

TEST_F(MIDIControllerMapTest, SlotOnChannelThreeHearsOnlyThatChannelAndChannelZeroHearsAll) {
    map.ControllersEnabled = true;
    Slot(0, "Depth", 3, 7);
    Slot(1, "Feedback", 0, 7);
    map.Resolve(params);

    Raw(0xB0, 7, 127); // channel 1: only the any-channel slot
    EXPECT_EQ(params.Value(0), 0.0);
    EXPECT_EQ(params.Value(1), 1.0);
    Raw(0xB2, 7, 127); // channel 3 (low nibble 2): both
    EXPECT_EQ(params.Value(0), 1.0);
    Raw(0xBF, 7, 0); // channel 16
    EXPECT_EQ(params.Value(0), 1.0);
    EXPECT_EQ(params.Value(1), 0.0);
    for (const auto& write : params.Writes()) EXPECT_TRUE(write.Automated);

    // Another controller number, or the switch off, moves nothing.
    params.ClearWrites();
    Raw(0xB2, 8, 100);
    map.ControllersEnabled = false;
    Raw(0xB2, 7, 10);
    EXPECT_TRUE(params.Writes().empty());
}

TEST_F(MIDIControllerMapTest, DefaultSlotFollowsTheValueAndInvertReversesIt) {
    map.ControllersEnabled = true;
    YMIDIControllerAssignment& slot = Slot(0, "Mix", 0, 1);
    map.Resolve(params);
    const struct {
        bool invert;
        double in, out;
    } cases[] = {{false, 0.0, 0.0}, {false, 0.5, 0.5}, {false, 1.0, 1.0}, {true, 0.0, 1.0}, {true, 1.0, 0.0}};
    for (const auto& c : cases) {
        slot.Invert = c.invert;
        map.ApplyController(4, 1, c.in);
        EXPECT_DOUBLE_EQ(params.Value(3), c.out) << c.in << (c.invert ? " inverted" : "");
    }
}

TEST_F(MIDIControllerMapTest, SlotsUseTheSharedRangeMappingAndTheLastOneWins) {
    map.ControllersEnabled = true;
    YMIDIControllerAssignment& a = Slot(0, "Rate", 0, 20);
    a.RangeMode = kRangeInterval;
    a.Value = 0.2;
    a.MaxValue = 0.8;
    YMIDIControllerAssignment& b = Slot(5, "Rate", 0, 20);
    b.RangeMode = kRangeDownOnly;
    b.Value = 0.9;
    b.Range = 0.5;
    map.Resolve(params);
    map.ApplyController(0, 20, 1.0);
    ASSERT_EQ(params.Writes().size(), 2u);
    EXPECT_DOUBLE_EQ(params.Writes()[0].Value, 0.8);
    EXPECT_DOUBLE_EQ(params.Value(2), 0.4);
}

TEST_F(MIDIControllerMapTest, RawMessagesAreNormalisedAsTheStatusSays) {
    map.ControllersEnabled = true;
    Slot(0, "Depth", 0, 74);                                    // controller
    Slot(1, "Feedback", 0, YMIDIControllerAssignment::kPitchBend);
    Slot(2, "Rate", 0, YMIDIControllerAssignment::kVelocityOn);
    Slot(3, "Mix", 0, YMIDIControllerAssignment::kAftertouch);
    map.Resolve(params);

    Raw(0xB0, 74 | 0x80, 0xFF); // data bytes are masked to 7 bits
    EXPECT_DOUBLE_EQ(params.Value(0), 1.0);
    Raw(0xB0, 74, 64);
    EXPECT_DOUBLE_EQ(params.Value(0), 64.0 / 127.0);

    const struct {
        uint8_t lsb, msb;
        double expected; // (b + 1) / 2
    } bends[] = {{0, 0, 0.0}, {0x7F, 0x7F, 1.0}, {0, 64, (8192.0 * 2.0 / 16383.0) * 0.5}};
    for (const auto& b : bends) {
        Raw(0xE5, b.lsb, b.msb);
        EXPECT_NEAR(params.Value(1), b.expected, 1e-12) << int(b.lsb) << "/" << int(b.msb);
    }

    Raw(0x90, 60, 127); // velocity (v - 1) / 127
    EXPECT_DOUBLE_EQ(params.Value(2), 126.0 / 127.0);
    Raw(0x90, 61, 1);
    EXPECT_DOUBLE_EQ(params.Value(2), 0.0);
    Raw(0xD0, 100, 0);
    EXPECT_DOUBLE_EQ(params.Value(3), 100.0 / 127.0);
}

TEST_F(MIDIControllerMapTest, VelocityOnAndOffHearsReleasesVelocityOnDoesNot) {
    map.ControllersEnabled = true;
    Slot(0, "Depth", 0, YMIDIControllerAssignment::kVelocityOnAndOff);
    Slot(1, "Feedback", 0, YMIDIControllerAssignment::kVelocityOn);
    map.Resolve(params);
    Raw(0x90, 60, 101);
    EXPECT_DOUBLE_EQ(params.Value(0), 100.0 / 127.0);
    EXPECT_DOUBLE_EQ(params.Value(1), 100.0 / 127.0);
    Raw(0x80, 60, 33);
    EXPECT_DOUBLE_EQ(params.Value(0), 32.0 / 127.0);
    EXPECT_DOUBLE_EQ(params.Value(1), 100.0 / 127.0);
}

TEST_F(MIDIControllerMapTest, ChannelsOutsideSixteenSystemMessagesAndBadValuesAreIgnored) {
    map.ControllersEnabled = true;
    map.NoteControllersEnabled = true;
    Slot(0, "Depth", 0, 1);
    NoteSlot(0, "Feedback", YMIDIControllerMap::kNoteOnOff, 60);
    map.Resolve(params);

    map.OnController(16, 1, 1.0);
    map.OnController(-1, 1, 1.0);
    map.OnController(0, 129, 1.0); // numbers above 128 are not controller messages
    map.OnController(0, 130, 1.0);
    map.OnNote(16, 60, 1.0, true, 1);
    map.OnNote(0, 200, 1.0, true, 1);
    map.OnPitchBend(99, 1.0);
    processor.RawMIDIEvent(0, 0xF8, 1, 1); // clock
    processor.RawMIDIEvent(0, 0x40, 1, 1); // a data byte where a status should be
    EXPECT_TRUE(params.Writes().empty());

    map.ApplyController(0, 1, std::nan(""));
    map.ApplyController(0, 1, 7.0);
    ASSERT_EQ(params.Writes().size(), 2u);
    EXPECT_EQ(params.Writes()[0].Value, 0.0);
    EXPECT_EQ(params.Writes()[1].Value, 1.0);
}

TEST_F(MIDIControllerMapTest, PitchNoteControllersMapFrequencyAndFollowThePitchBend) {
    map.NoteControllersEnabled = true;
    NoteSlot(0, "Depth", YMIDIControllerMap::kNoteLinear);
    YMIDINoteController& log = NoteSlot(1, "Feedback", YMIDIControllerMap::kNoteLogarithmic);
    log.MinValue = 0.2;
    log.MaxValue = 0.6;
    map.Resolve(params);

    const double f60 = 523.2511306011972;
    Raw(0x90, 60, 100);
    EXPECT_NEAR(params.Value(0), (f60 - 20.0) / 19980.0, 1e-12);
    EXPECT_NEAR(params.Value(1), 0.2 + 0.4 * (std::log10(f60) - std::log10(20.0)) / 3.0, 1e-12);

    // A full bend up re-evaluates the last key two semitones higher.
    Raw(0xE0, 0x7F, 0x7F);
    const double f62 = f60 * std::pow(2.0, 2.0 / 12.0);
    EXPECT_NEAR(params.Value(0), (f62 - 20.0) / 19980.0, 1e-12);
    // The release does not move the pitch modes.
    Raw(0x80, 60, 0);
    EXPECT_NEAR(params.Value(0), (f62 - 20.0) / 19980.0, 1e-12);

    EXPECT_EQ(YMIDIControllerMap::NotePosition(YMIDIControllerMap::kNoteLinear, 127 + 2), 1.0);
    EXPECT_EQ(YMIDIControllerMap::NotePosition(YMIDIControllerMap::kNoteLogarithmic, -50), 0.0);
}

TEST_F(MIDIControllerMapTest, OnOffAndSwitchModesWithTheirAllOctavesForms) {
    map.NoteControllersEnabled = true;
    YMIDINoteController& onOff = NoteSlot(0, "Depth", YMIDIControllerMap::kNoteOnOff, 60);
    onOff.MinValue = 0.1;
    onOff.MaxValue = 0.9;
    NoteSlot(1, "Feedback", YMIDIControllerMap::kNoteOnOffAllOctaves, 60);
    NoteSlot(2, "Rate", YMIDIControllerMap::kNoteSwitch, 62);
    NoteSlot(3, "Mix", YMIDIControllerMap::kNoteSwitchAllOctaves, 62);
    map.Resolve(params);

    Raw(0x90, 72, 90); // another octave of 60
    EXPECT_EQ(params.Value(0), 0.0);
    EXPECT_EQ(params.Value(1), 1.0);
    Raw(0x90, 72, 0); // note-on with velocity 0 is a release
    EXPECT_EQ(params.Value(1), 0.0);
    Raw(0x90, 60, 90);
    EXPECT_DOUBLE_EQ(params.Value(0), 0.9);
    Raw(0x80, 60, 90);
    EXPECT_DOUBLE_EQ(params.Value(0), 0.1);

    const struct {
        uint8_t status, note;
        double rate, mix;
    } presses[] = {
        {0x90, 62, 1.0, 1.0}, {0x80, 62, 1.0, 1.0}, // the release is ignored
        {0x90, 50, 1.0, 0.0},                         // another octave toggles only the all-octaves slot
        {0x80, 50, 1.0, 0.0}, {0x90, 62, 0.0, 1.0},
    };
    for (const auto& p : presses) {
        Raw(p.status, p.note, 100);
        EXPECT_EQ(params.Value(2), p.rate) << int(p.status) << " " << int(p.note);
        EXPECT_EQ(params.Value(3), p.mix) << int(p.status) << " " << int(p.note);
    }
}

TEST_F(MIDIControllerMapTest, PresetSwitchQueuesOneStepPerCrossing) {
    map.PresetSwitch.Enabled = true;
    map.PresetSwitch.Controller = 64;
    map.PresetSwitch.Channel = 2;
    const struct {
        double value;
        int32_t step; // 0: nothing queued
    } moves[] = {{0.5, 0}, {0.2, -1}, {0.1, 0}, {0.7, 1}, {0.8, 0}, {0.5, 0}, {0.2, -1}};
    for (const auto& m : moves) {
        map.ApplyController(1, 64, m.value);
        int32_t step = 0;
        const bool queued = map.TakePresetStep(step);
        EXPECT_EQ(queued, m.step != 0) << m.value;
        EXPECT_EQ(step, m.step) << m.value;
        EXPECT_FALSE(map.TakePresetStep(step)) << "exactly one step for " << m.value;
    }
    // Another channel does not count; a slow sweep across both thresholds steps once each way.
    map.ApplyController(0, 64, 0.9);
    int32_t step = 0;
    EXPECT_FALSE(map.TakePresetStep(step));
    for (int32_t v = 0; v <= 127; ++v) map.ApplyController(1, 64, v / 127.0);
    for (int32_t v = 127; v >= 0; --v) map.ApplyController(1, 64, v / 127.0);
    std::vector<int32_t> steps;
    while (map.TakePresetStep(step)) steps.push_back(step);
    EXPECT_EQ(steps, (std::vector<int32_t>{1, -1}));
}

TEST_F(MIDIControllerMapTest, PresetSwitchHearsTheAftertouchSource) {
    map.PresetSwitch.Enabled = true;
    map.PresetSwitch.Controller = YMIDIControllerAssignment::kAftertouch;
    Raw(0xD3, 100, 0);
    int32_t step = 0;
    ASSERT_TRUE(map.TakePresetStep(step));
    EXPECT_EQ(step, 1);
    // Controller number 128 is the same source.
    map.OnController(3, YMIDIControllerAssignment::kAftertouch, 0.1);
    ASSERT_TRUE(map.TakePresetStep(step));
    EXPECT_EQ(step, -1);
}

TEST_F(MIDIControllerMapTest, ControllerNumber128IsChannelPressure) {
    map.ControllersEnabled = true;
    Slot(0, "Depth", 0, YMIDIControllerAssignment::kAftertouch);
    Slot(1, "Feedback", 2, YMIDIControllerAssignment::kAftertouch);
    map.Resolve(params);
    map.OnController(1, YMIDIControllerAssignment::kAftertouch, 0.25);
    ASSERT_EQ(params.Writes().size(), 2u);
    EXPECT_DOUBLE_EQ(params.Value(0), 0.25);
    EXPECT_DOUBLE_EQ(params.Value(1), 0.25);
    map.OnController(0, YMIDIControllerAssignment::kAftertouch, 0.5); // channel 1: only slot 0
    EXPECT_DOUBLE_EQ(params.Value(0), 0.5);
    EXPECT_DOUBLE_EQ(params.Value(1), 0.25);
}

class LearnCounter : public YMIDIControllerMap::LearnListener {
public:
    void OnMIDILearnQueued() noexcept override { ++count; }
    int count = 0;
};

TEST_F(MIDIControllerMapTest, LearningQueuesChannelAndSourceForTheGuiSide) {
    LearnCounter listener;
    map.SetLearnListener(&listener);
    Raw(0xB0, 10, 5); // not learning yet
    map.SetLearning(true);
    Raw(0xB4, 11, 5);
    Raw(0xE0, 0, 64);
    YMIDIControllerMap::Learned learned;
    ASSERT_TRUE(map.TakeLearned(learned));
    EXPECT_EQ(learned.Channel, 5);
    EXPECT_EQ(learned.Controller, 11);
    ASSERT_TRUE(map.TakeLearned(learned));
    EXPECT_EQ(learned.Channel, 1);
    EXPECT_EQ(learned.Controller, YMIDIControllerAssignment::kPitchBend);
    EXPECT_FALSE(map.TakeLearned(learned));
    EXPECT_EQ(listener.count, 2);

    // A full queue drops the newest and never blocks.
    for (uint32_t i = 0; i < YMIDIControllerMap::kLearnQueueSize + 5; ++i) Raw(0xB0, 1, 1);
    int taken = 0;
    while (map.TakeLearned(learned)) ++taken;
    EXPECT_EQ(taken, static_cast<int>(YMIDIControllerMap::kLearnQueueSize));
}

TEST_F(MIDIControllerMapTest, UnresolvedNamesDriveNothingAndFreeSlotsRunOut) {
    map.ControllersEnabled = true;
    Slot(0, "Gone", 0, 1);
    map.Resolve(params);
    EXPECT_EQ(map.ControllerTarget(0), -1);
    map.ApplyController(0, 1, 1.0);
    EXPECT_TRUE(params.Writes().empty());

    EXPECT_EQ(map.FreeControllerSlot(), 1);
    for (int32_t n = 0; n < YMIDIControllerMap::kControllerSlots; ++n) map.Controllers[n].Enabled = true;
    EXPECT_EQ(map.FreeControllerSlot(), -1);
}

TEST_F(MIDIControllerMapTest, AppliesEventsWithoutAllocating) {
    map.ControllersEnabled = true;
    map.NoteControllersEnabled = true;
    map.PresetSwitch.Enabled = true;
    for (int32_t n = 0; n < YMIDIControllerMap::kControllerSlots; ++n) Slot(n, "Depth", 0, n % 4);
    for (int32_t n = 0; n < YMIDIControllerMap::kNoteControllerSlots; ++n) NoteSlot(n, "Rate", n % 6, 60);
    map.Resolve(params);
    map.SetLearning(true);
    const uint64_t before = AllocationCounting::Count();
    for (int32_t i = 0; i < 128; ++i) {
        Raw(static_cast<uint8_t>(0xB0 | (i & 15)), static_cast<uint8_t>(i & 3), static_cast<uint8_t>(i));
        Raw(0x90, static_cast<uint8_t>(60 + (i & 1) * 12), 100);
        Raw(0xE0, 0, static_cast<uint8_t>(i));
        Raw(0x80, static_cast<uint8_t>(60 + (i & 1) * 12), 0);
    }
    EXPECT_EQ(AllocationCounting::Count(), before);
    EXPECT_FALSE(params.Writes().empty());
}

// --- Stored form ---

TEST_F(MIDIControllerMapTest, StoredFormRoundTripsEveryFieldAndOmitsDefaults) {
    map.ControllersEnabled = true;
    YMIDIControllerAssignment& slot = Slot(7, "Feedback", 3, YMIDIControllerAssignment::kVelocityOn);
    slot.Value = 0.25;
    slot.MaxValue = 0.75;
    slot.Range = 0.5;
    slot.RangeMode = kRangeInterval;
    slot.Invert = true;
    YMIDINoteController& note = NoteSlot(31, "Rate", YMIDIControllerMap::kNoteSwitchAllOctaves, 61);
    note.Channel = 16;
    note.MinValue = 0.125;
    note.MaxValue = 0.875;
    map.PresetSwitch.Enabled = true;
    map.PresetSwitch.Controller = 129;

    YXMLItem root("settings");
    // A stale child of a slot no longer in use goes away.
    root.GetOrCreateChild("Controllers").AddChild("Controller3").SetAttribute("Enabled", "1");
    map.StoreSwitches(YStorer{true, &root});
    map.StoreAssignments(YStorer{true, &root});

    EXPECT_EQ(root.GetAttribute("ControllersEnabled"), YString("1"));
    EXPECT_EQ(root.FindAttribute("NoteControllersEnabled"), nullptr);
    const YXMLItem& preset = root.GetChild("PreviousNextPresetController");
    EXPECT_EQ(preset.GetAttribute("Controller"), YString("129"));
    EXPECT_EQ(preset.FindAttribute("Channel"), nullptr);
    const YXMLItem& controllers = root.GetChild("Controllers");
    ASSERT_EQ(controllers.GetChildCount(), 1);
    EXPECT_EQ(controllers.GetChildAt(0).GetName(), YString("Controller7"));
    EXPECT_EQ(controllers.GetChildAt(0).GetAttribute("FullRange"), YString("4"));
    EXPECT_EQ(controllers.GetChildAt(0).GetAttribute("ParameterName"), YString("Feedback"));
    EXPECT_NE(root.GetChild("NoteControllers").FindChild("NoteController31"), nullptr);

    YMIDIControllerMap loaded;
    loaded.StoreSwitches(YStorer{false, &root});
    loaded.StoreAssignments(YStorer{false, &root});
    EXPECT_TRUE(loaded.ControllersEnabled);
    EXPECT_FALSE(loaded.NoteControllersEnabled);
    EXPECT_TRUE(loaded.PresetSwitch.Enabled);
    EXPECT_EQ(loaded.PresetSwitch.Controller, 129);
    const YMIDIControllerAssignment& c = loaded.Controllers[7];
    EXPECT_TRUE(c.Enabled);
    EXPECT_EQ(c.ParameterName, YString("Feedback"));
    EXPECT_EQ(c.Channel, 3);
    EXPECT_EQ(c.Controller, YMIDIControllerAssignment::kVelocityOn);
    EXPECT_DOUBLE_EQ(c.Value, 0.25);
    EXPECT_DOUBLE_EQ(c.MaxValue, 0.75);
    EXPECT_DOUBLE_EQ(c.Range, 0.5);
    EXPECT_EQ(c.RangeMode, kRangeInterval);
    EXPECT_TRUE(c.Invert);
    EXPECT_FALSE(loaded.Controllers[3].Enabled);
    const YMIDINoteController& n = loaded.NoteControllers[31];
    EXPECT_EQ(n.Mode, YMIDIControllerMap::kNoteSwitchAllOctaves);
    EXPECT_EQ(n.Channel, 16);
    EXPECT_EQ(n.Note, 61);
    EXPECT_DOUBLE_EQ(n.MinValue, 0.125);
    EXPECT_DOUBLE_EQ(n.MaxValue, 0.875);
}

TEST_F(MIDIControllerMapTest, BadStoredValuesAreLimitedAndTheOlderLogarithmicSwitchIsRead) {
    YXMLItem root("settings");
    root.SetAttribute("ControllersEnabled", "1");
    YXMLItem& controllers = root.AddChild("Controllers");
    YXMLItem& c = controllers.AddChild("Controller0");
    c.SetAttribute("Enabled", "1");
    c.SetAttribute("Value", "3.5");
    c.SetAttribute("Range", "-2");
    c.SetAttribute("Channel", "99");
    c.SetAttribute("Controller", "500");
    c.SetAttribute("FullRange", "9");
    c.SetAttribute("Unknown", "x");
    controllers.AddChild("Controller32").SetAttribute("Enabled", "1"); // no such slot
    controllers.AddChild("Controller-1").SetAttribute("Enabled", "1");
    YXMLItem& notes = root.AddChild("NoteControllers");
    notes.AddChild("NoteController2").SetAttribute("Logarithmic", "1");
    YXMLItem& n3 = notes.AddChild("NoteController3");
    n3.SetAttribute("Logarithmic", "1");
    n3.SetAttribute("Mode", "17");
    n3.SetAttribute("Note", "300");
    YXMLItem& preset = root.AddChild("PreviousNextPresetController");
    preset.SetAttribute("Controller", "1000");
    preset.SetAttribute("Channel", "-4");

    map.StoreSwitches(YStorer{false, &root});
    map.StoreAssignments(YStorer{false, &root});
    EXPECT_TRUE(map.ControllersEnabled);
    EXPECT_DOUBLE_EQ(map.Controllers[0].Value, 1.0);
    EXPECT_DOUBLE_EQ(map.Controllers[0].Range, 0.0);
    EXPECT_EQ(map.Controllers[0].Channel, 16);
    EXPECT_EQ(map.Controllers[0].Controller, 131);
    EXPECT_EQ(map.Controllers[0].RangeMode, kRangeInterval);
    for (int32_t s = 1; s < YMIDIControllerMap::kControllerSlots; ++s) EXPECT_FALSE(map.Controllers[s].Enabled) << s;
    EXPECT_EQ(map.NoteControllers[2].Mode, YMIDIControllerMap::kNoteLogarithmic);
    EXPECT_EQ(map.NoteControllers[3].Mode, YMIDIControllerMap::kNoteSwitchAllOctaves);
    EXPECT_EQ(map.NoteControllers[3].Note, 127);
    EXPECT_EQ(map.PresetSwitch.Controller, 131);
    EXPECT_EQ(map.PresetSwitch.Channel, 0);

    // A state without the items keeps the tables; without the preset item the switch is off.
    YXMLItem empty("settings");
    map.StoreSwitches(YStorer{false, &empty});
    map.StoreAssignments(YStorer{false, &empty});
    EXPECT_FALSE(map.ControllersEnabled);
    EXPECT_FALSE(map.PresetSwitch.Enabled);
    EXPECT_TRUE(map.Controllers[0].Enabled);
}

} // namespace
