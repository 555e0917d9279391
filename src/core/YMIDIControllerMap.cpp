#include "core/YMIDIControllerMap.h"

#include "core/YParameterAccess.h"
#include "core/YRangeMapping.h"
#include "core/YStoreFields.h"
#include "core/YStorer.h"
#include "foundation/YXMLItem.h"

#include <algorithm>
#include <cmath>

using namespace YStoreFields;

namespace {

const char* const kNoteModeNames[YMIDIControllerMap::kNoteModeCount] = {
    "Linear", "Logarithmic", "On/Off", "On/Off (all octaves)", "Switch", "Switch (all octaves)"};
const char* const kSourceNames[4] = {"Aftertouch", "Pitch-bend", "Velocity (on & off)", "Velocity (on)"};

constexpr int32_t kMaxSource = YMIDIControllerMap::kSourceCount - 1;

void StoreController(const YStorer& storer, YMIDIControllerAssignment& slot) {
    storer.Bool("Enabled", slot.Enabled, false);
    Text(storer, "ParameterName", slot.ParameterName, false);
    Fraction(storer, "Value", slot.Value, 0.0);
    Fraction(storer, "MaxValue", slot.MaxValue, 0.0);
    Fraction(storer, "Range", slot.Range, 1.0);
    storer.Integer("Channel", slot.Channel, 0);
    storer.Integer("Controller", slot.Controller, 1);
    storer.Integer("FullRange", slot.RangeMode, kRangeUpOnly);
    storer.Bool("Invert", slot.Invert, false);
    if (storer.IsReading()) {
        slot.Channel = std::clamp(slot.Channel, 0, 16);
        slot.Controller = std::clamp(slot.Controller, 0, kMaxSource);
        slot.RangeMode = YRange::ClampMode(slot.RangeMode);
    }
}

void StoreNoteController(const YStorer& storer, YMIDINoteController& slot) {
    storer.Bool("Enabled", slot.Enabled, false);
    Text(storer, "ParameterName", slot.ParameterName, false);
    if (storer.IsReading() && storer.Item->FindAttribute("Mode") == nullptr) {
        // Older states knew only the two pitch modes, as a switch.
        bool logarithmic = false;
        storer.Bool("Logarithmic", logarithmic, false);
        slot.Mode = logarithmic ? YMIDIControllerMap::kNoteLogarithmic : YMIDIControllerMap::kNoteLinear;
    } else {
        storer.Integer("Mode", slot.Mode, 0);
    }
    storer.Integer("Channel", slot.Channel, 0);
    storer.Integer("Note", slot.Note, 48);
    Fraction(storer, "Value", slot.MinValue, 0.0);
    Fraction(storer, "MaxValue", slot.MaxValue, 1.0);
    if (storer.IsReading()) {
        slot.Mode = std::clamp(slot.Mode, 0, YMIDIControllerMap::kNoteModeCount - 1);
        slot.Channel = std::clamp(slot.Channel, 0, 16);
        slot.Note = std::clamp(slot.Note, 0, 127);
    }
}

// The numbered children of one table item; see StoreAssignments.
template <typename Slot, typename StoreSlot>
void StoreTable(const YStorer& root, const char* itemName, const char* childPrefix, Slot* slots, int32_t count,
                StoreSlot storeSlot) {
    const YStorer table = root.Child(YString::Literal(itemName));
    if (table.Item == nullptr) return;
    for (int32_t n = 0; n < count; ++n) {
        const YString name = Numbered(childPrefix, n);
        YXMLItem* child = table.Item->FindChild(name);
        if (table.IsWriting()) {
            if (!YMIDIControllerMap::InUse(slots[n])) {
                if (child != nullptr) table.Item->RemoveChild(*child);
                continue;
            }
            storeSlot(YStorer{true, child != nullptr ? child : &table.Item->AddChild(name)}, slots[n]);
        } else {
            slots[n] = Slot{};
            if (child != nullptr) storeSlot(YStorer{false, child}, slots[n]);
        }
    }
}

} // namespace

const char* YMIDIControllerMap::NoteModeName(int32_t mode) noexcept {
    return mode >= 0 && mode < kNoteModeCount ? kNoteModeNames[mode] : nullptr;
}

const char* YMIDIControllerMap::SourceName(int32_t source) noexcept {
    return source >= YMIDIControllerAssignment::kAftertouch && source <= kMaxSource ? kSourceNames[source - 128]
                                                                                    : nullptr;
}

YMIDIControllerMap::YMIDIControllerMap() {
    std::fill(std::begin(m_controllerTargets), std::end(m_controllerTargets), -1);
    std::fill(std::begin(m_noteTargets), std::end(m_noteTargets), -1);
    ResetPlayingState();
}

YMIDIControllerMap::~YMIDIControllerMap() = default;

bool YMIDIControllerMap::InUse(const YMIDIControllerAssignment& slot) noexcept {
    return slot.Enabled || !slot.ParameterName.IsEmpty();
}

bool YMIDIControllerMap::InUse(const YMIDINoteController& slot) noexcept {
    return slot.Enabled || !slot.ParameterName.IsEmpty();
}

int32_t YMIDIControllerMap::FreeControllerSlot() const noexcept {
    for (int32_t n = 0; n < kControllerSlots; ++n)
        if (!InUse(Controllers[n])) return n;
    return -1;
}

void YMIDIControllerMap::Resolve(const YParameterLookup& lookup) {
    for (int32_t n = 0; n < kControllerSlots; ++n)
        m_controllerTargets[n] =
            Controllers[n].ParameterName.IsEmpty() ? -1 : lookup.FindParameter(Controllers[n].ParameterName);
    for (int32_t n = 0; n < kNoteControllerSlots; ++n)
        m_noteTargets[n] =
            NoteControllers[n].ParameterName.IsEmpty() ? -1 : lookup.FindParameter(NoteControllers[n].ParameterName);
}

int32_t YMIDIControllerMap::ControllerTarget(int32_t slot) const noexcept {
    return slot >= 0 && slot < kControllerSlots ? m_controllerTargets[slot] : -1;
}

int32_t YMIDIControllerMap::NoteControllerTarget(int32_t slot) const noexcept {
    return slot >= 0 && slot < kNoteControllerSlots ? m_noteTargets[slot] : -1;
}

void YMIDIControllerMap::ResetPlayingState() noexcept {
    std::fill(std::begin(m_switchOn), std::end(m_switchOn), false);
    std::fill(std::begin(m_lastNote), std::end(m_lastNote), -1);
    std::fill(std::begin(m_bendSemitones), std::end(m_bendSemitones), 0.0);
    PresetSwitch.LastValue = 0.5;
}

void YMIDIControllerMap::StoreSwitches(const YStorer& root) {
    if (root.Item == nullptr) return;
    BoolOmitted(root, "ControllersEnabled", ControllersEnabled, false);
    BoolOmitted(root, "NoteControllersEnabled", NoteControllersEnabled, false);
    const YStorer preset = root.Child("PreviousNextPresetController");
    if (preset.Item == nullptr) {
        // A state without the item: the switch is off.
        PresetSwitch = YMIDIPresetSwitchController{};
        return;
    }
    BoolOmitted(preset, "Enabled", PresetSwitch.Enabled, false);
    IntegerOmitted(preset, "Controller", PresetSwitch.Controller, 0);
    IntegerOmitted(preset, "Channel", PresetSwitch.Channel, 0);
    if (preset.IsReading()) {
        PresetSwitch.Controller = std::clamp(PresetSwitch.Controller, 0, kMaxSource);
        PresetSwitch.Channel = std::clamp(PresetSwitch.Channel, 0, 16);
        PresetSwitch.LastValue = 0.5;
    }
}

void YMIDIControllerMap::StoreAssignments(const YStorer& root) {
    if (root.Item == nullptr) return;
    StoreTable(root, "Controllers", "Controller", Controllers, kControllerSlots, StoreController);
    StoreTable(root, "NoteControllers", "NoteController", NoteControllers, kNoteControllerSlots,
               StoreNoteController);
    if (root.IsReading()) std::fill(std::begin(m_switchOn), std::end(m_switchOn), false);
}

bool YMIDIControllerMap::TakePresetStep(int32_t& step) noexcept {
    int8_t queued = 0;
    if (!m_presetSteps.Pop(queued)) return false;
    step = queued;
    return true;
}

void YMIDIControllerMap::Set(int32_t index, double value) noexcept {
    if (index < 0 || m_setter == nullptr) return;
    m_setter->SetParameterAutomated(index, std::clamp(value, 0.0, 1.0));
}

void YMIDIControllerMap::ApplyController(int32_t channel, int32_t source, double value) noexcept {
    if (!ValidChannel(channel) || source < 0 || source > kMaxSource) return;
    if (!(value >= 0.0)) value = 0.0; // also NaN
    value = std::min(value, 1.0);
    if (ControllersEnabled) {
        const double t = 2.0 * value - 1.0;
        for (int32_t n = 0; n < kControllerSlots; ++n) {
            const YMIDIControllerAssignment& slot = Controllers[n];
            if (!slot.Enabled || slot.Controller != source || !Hears(slot.Channel, channel)) continue;
            YRange range;
            range.Value = slot.Value;
            range.MaxValue = slot.MaxValue;
            range.Range = slot.Range;
            range.Mode = slot.RangeMode;
            range.Invert = slot.Invert;
            Set(m_controllerTargets[n], range.Map(t));
        }
    }
    CheckPresetSwitch(channel, source, value);
    if (IsLearning() && m_learned.Push(Learned{channel + 1, source}) && m_learnListener != nullptr)
        m_learnListener->OnMIDILearnQueued();
}

void YMIDIControllerMap::CheckPresetSwitch(int32_t channel, int32_t source, double value) noexcept {
    YMIDIPresetSwitchController& sw = PresetSwitch;
    if (!sw.Enabled || sw.Controller != source || !Hears(sw.Channel, channel)) return;
    constexpr double kLow = 1.0 / 3.0;
    constexpr double kHigh = 2.0 / 3.0;
    const double previous = sw.LastValue;
    if (previous >= kLow && value < kLow) {
        if (m_presetSteps.Push(-1)) ++m_presetStepsQueued;
    } else if (previous < kHigh && value >= kHigh) {
        if (m_presetSteps.Push(1)) ++m_presetStepsQueued;
    }
    sw.LastValue = value;
}

double YMIDIControllerMap::NotePosition(int32_t mode, double note) noexcept {
    // 440 · 2^0.25 is the frequency of key 60.
    const double f = 440.0 * std::pow(2.0, 0.25) * std::pow(2.0, (note - 60.0) / 12.0);
    const double position =
        mode == kNoteLogarithmic ? (std::log10(f) - std::log10(20.0)) / 3.0 : (f - 20.0) / 19980.0;
    return std::clamp(position, 0.0, 1.0);
}

void YMIDIControllerMap::EvaluatePitchControllers(int32_t channel) noexcept {
    const int32_t note = m_lastNote[channel];
    if (note < 0) return;
    for (int32_t n = 0; n < kNoteControllerSlots; ++n) {
        const YMIDINoteController& slot = NoteControllers[n];
        if (!slot.Enabled || !Hears(slot.Channel, channel)) continue;
        if (slot.Mode != kNoteLinear && slot.Mode != kNoteLogarithmic) continue;
        const double position = NotePosition(slot.Mode, note + m_bendSemitones[channel]);
        Set(m_noteTargets[n], slot.MinValue + (slot.MaxValue - slot.MinValue) * position);
    }
}

void YMIDIControllerMap::OnNote(int32_t channel, int32_t note, double velocity, bool on, int32_t) {
    if (!ValidChannel(channel) || note < 0 || note > 127) return;
    if (on) m_lastNote[channel] = note;
    if (NoteControllersEnabled) {
        if (on) EvaluatePitchControllers(channel);
        for (int32_t n = 0; n < kNoteControllerSlots; ++n) {
            const YMIDINoteController& slot = NoteControllers[n];
            if (!slot.Enabled || !Hears(slot.Channel, channel)) continue;
            const bool allOctaves = slot.Mode == kNoteOnOffAllOctaves || slot.Mode == kNoteSwitchAllOctaves;
            const bool matches = allOctaves ? note % 12 == slot.Note % 12 : note == slot.Note;
            if (!matches) continue;
            if (slot.Mode == kNoteOnOff || slot.Mode == kNoteOnOffAllOctaves) {
                Set(m_noteTargets[n], on ? slot.MaxValue : slot.MinValue);
            } else if ((slot.Mode == kNoteSwitch || slot.Mode == kNoteSwitchAllOctaves) && on) {
                m_switchOn[n] = !m_switchOn[n];
                Set(m_noteTargets[n], m_switchOn[n] ? slot.MaxValue : slot.MinValue);
            }
        }
    }
    ApplyController(channel, YMIDIControllerAssignment::kVelocityOnAndOff, velocity);
    if (on) ApplyController(channel, YMIDIControllerAssignment::kVelocityOn, velocity);
}

void YMIDIControllerMap::OnController(int32_t channel, int32_t controller, double value) {
    // Controller 128 is channel pressure: a VST 3 host's MIDI mapping delivers it as one.
    if (controller < 0 || controller > YMIDIControllerAssignment::kAftertouch) return;
    ApplyController(channel, controller, value);
}

void YMIDIControllerMap::OnPitchBend(int32_t channel, double value) {
    if (!ValidChannel(channel)) return;
    if (!(value >= -1.0)) value = -1.0; // also NaN
    value = std::min(value, 1.0);
    ApplyController(channel, YMIDIControllerAssignment::kPitchBend, (value + 1.0) * 0.5);
    m_bendSemitones[channel] = value * kPitchBendSemitones;
    if (NoteControllersEnabled) EvaluatePitchControllers(channel);
}

void YMIDIControllerMap::OnChannelAftertouch(int32_t channel, double value) {
    ApplyController(channel, YMIDIControllerAssignment::kAftertouch, value);
}
