// The frame's multiparameters and MIDI controller map: their records, the host-parameter
// space they see, and what follows a load.
#include "core/YAudioEffectPluginToAudioPluginAdapter.h"
#include "core/YParameterAdapters.h"
#include "core/YValue.h"
#include "foundation/YException.h"

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------------------------------------
// The host-parameter space for the control models

int32_t YAudioEffectPluginToAudioPluginAdapter::ParameterAccess::FindParameter(const YString& name) const {
    if (name.IsEmpty()) return -1;
    // The frame's own controls are no targets: a multiparameter driving one could loop.
    const int32_t count = std::min(m_owner.GetParameterCount(), m_owner.m_firstControlIndex);
    for (int32_t index = 0; index < count; ++index)
        if (m_owner.GetParameterName(index) == name) return index;
    // Names may have changed their wording; the full label still finds the parameter.
    for (int32_t index = 0; index < count; ++index)
        if (m_owner.GetParameterID(index) == name) return index;
    return -1;
}

YString YAudioEffectPluginToAudioPluginAdapter::ParameterAccess::ParameterName(int32_t index) const {
    return m_owner.GetParameterName(index);
}

YString YAudioEffectPluginToAudioPluginAdapter::ParameterAccess::ParameterValueText(int32_t index) const {
    return m_owner.GetParameterValueName(index);
}

double YAudioEffectPluginToAudioPluginAdapter::ParameterAccess::ParameterValue(int32_t index) const {
    return m_owner.GetParameter(index);
}

void YAudioEffectPluginToAudioPluginAdapter::ParameterAccess::SetParameter(int32_t index, double value) noexcept {
    YGuard("YAudioEffectPluginToAudioPluginAdapter::SetParameter", [&] { m_owner.YAudioPlugin::SetParameter(index, value); });
}

void YAudioEffectPluginToAudioPluginAdapter::ParameterAccess::SetParameterAutomated(int32_t index,
                                                                                     double value) noexcept {
    YGuard("YAudioEffectPluginToAudioPluginAdapter::SetParameterAutomated",
           [&] { m_owner.YAudioPlugin::SetParameterAutomated(index, value); });
}

// ---------------------------------------------------------------------------------------------
// Records

YMultiParameter& YAudioEffectPluginToAudioPluginAdapter::MultiParameter(int32_t number) {
    if (number < 0 || number >= kMultiParameterCount) YRaise("Index out of range.");
    return m_multiParameters[static_cast<size_t>(number)];
}

YMIDIControllerAssignment& YAudioEffectPluginToAudioPluginAdapter::Controller(int32_t number) {
    if (number < 0 || number >= kControllerCount) YRaise("Index out of range.");
    return m_midiMap.Controllers[number];
}

YMIDINoteController& YAudioEffectPluginToAudioPluginAdapter::NoteController(int32_t number) {
    if (number < 0 || number >= kNoteControllerCount) YRaise("Index out of range.");
    return m_midiMap.NoteControllers[number];
}

void YAudioEffectPluginToAudioPluginAdapter::SetPositionCurveFactory(const YPositionCurveFactory* curves) noexcept {
    for (YMultiParameter& multi : m_multiParameters) multi.SetCurveFactory(curves);
}

void YAudioEffectPluginToAudioPluginAdapter::SetMultiParameterValue(int32_t number, double value) {
    YMultiParameter& multi = MultiParameter(number);
    YScopedLock parameters(ParameterLock());
    multi.SetHostValue(value, m_parameterAccess);
}

void YAudioEffectPluginToAudioPluginAdapter::ResolveControls() {
    YScopedLock parameters(ParameterLock());
    for (YMultiParameter& multi : m_multiParameters) multi.Resolve(m_parameterAccess);
    m_midiMap.Resolve(m_parameterAccess);
}

// ---------------------------------------------------------------------------------------------
// Host parameters of the frame's own controls

void YAudioEffectPluginToAudioPluginAdapter::CreateControlAdapters() {
    m_firstControlIndex = GetParameterCount();
    AddAutomationAdapter(std::make_unique<MultiParameterAdapter>(*this));
    for (int32_t which = 0; which < 2; ++which) {
        PluginParameter& trigger = m_triggers[which];
        // A trigger changes nothing in the effect.
        trigger.SetFlagA(PluginParameter::kMarkOwner, false);
        ParameterAdapterSetup setup;
        setup.Owner = &m_triggerOwners[which];
        setup.Record = &trigger;
        setup.Index = GetParameterCount();
        m_triggerIndex[which] = setup.Index;
        if (std::unique_ptr<YAudioPluginAutomationAdapter> adapter = CreateParameterAdapter(setup))
            AddAutomationAdapter(std::move(adapter));
    }
}

YMultiParameter* YAudioEffectPluginToAudioPluginAdapter::MultiParameterAdapter::Find(int32_t local) const noexcept {
    if (local < 0 || local >= kMultiParameterCount) return nullptr;
    return &m_owner.m_multiParameters[static_cast<size_t>(local)];
}

void YAudioEffectPluginToAudioPluginAdapter::MultiParameterAdapter::SetParameter(int32_t local, double normalized,
                                                                                 bool) {
    if (YMultiParameter* multi = Find(local); multi != nullptr && std::isfinite(normalized))
        multi->SetHostValue(normalized, m_owner.m_parameterAccess);
}

double YAudioEffectPluginToAudioPluginAdapter::MultiParameterAdapter::GetParameter(int32_t local) {
    const YMultiParameter* multi = Find(local);
    return multi != nullptr ? multi->HostValue() : 0.0;
}

void YAudioEffectPluginToAudioPluginAdapter::MultiParameterAdapter::GetParameterName(YString& out, int32_t local) {
    // Fixed names: hosts keep the names of the parameters they recorded.
    out = Find(local) != nullptr ? YString("Multiparameter ") + YString::FromInteger(local + 1) : YString();
}

void YAudioEffectPluginToAudioPluginAdapter::MultiParameterAdapter::GetParameterShortName(YString& out,
                                                                                         int32_t local) {
    out = Find(local) != nullptr ? YString("Multi ") + YString::FromInteger(local + 1) : YString();
}

void YAudioEffectPluginToAudioPluginAdapter::MultiParameterAdapter::GetParameterFullLabel(YString& out,
                                                                                         int32_t local) {
    GetParameterName(out, local);
}

void YAudioEffectPluginToAudioPluginAdapter::MultiParameterAdapter::GetParameterValueName(YString& out,
                                                                                         int32_t local) {
    const YMultiParameter* multi = Find(local);
    out = multi != nullptr ? multi->ValueText(m_owner.m_parameterAccess) : YString();
}

void YAudioEffectPluginToAudioPluginAdapter::MultiParameterAdapter::GetParameterValueNameFrom01(YString& out,
                                                                                               int32_t local,
                                                                                               double normalized) {
    out = Find(local) != nullptr ? YValuePercents::Text(std::clamp(normalized, 0.0, 1.0)) : YString();
}

double YAudioEffectPluginToAudioPluginAdapter::MultiParameterAdapter::ParseParameterValueName(int32_t local,
                                                                                              const YString& text) {
    double parsed = GetParameter(local);
    YValuePercents value(parsed);
    value.ParseDisplay(text);
    return std::clamp(parsed, 0.0, 1.0);
}

double YAudioEffectPluginToAudioPluginAdapter::MultiParameterAdapter::GetParameterDefaultValue(int32_t local) {
    const YMultiParameter* multi = Find(local);
    return multi != nullptr ? multi->DefaultValue : 0.5;
}

// ---------------------------------------------------------------------------------------------
// MIDI control

namespace {

enum ControlEventKind : int8_t { kControlNote, kControlController, kControlPitchBend, kControlAftertouch };

} // namespace

void YAudioEffectPluginToAudioPluginAdapter::MIDIControlRelay::OnNote(int32_t channel, int32_t note, double velocity,
                                                                      bool on, int32_t heldNotes) {
    m_owner.m_controlEvents.Push(ControlEvent{kControlNote, static_cast<int8_t>(channel), static_cast<int16_t>(note),
                                              static_cast<int16_t>(std::clamp(heldNotes, 0, 32767)), on, velocity});
}

void YAudioEffectPluginToAudioPluginAdapter::MIDIControlRelay::OnController(int32_t channel, int32_t controller,
                                                                            double value) {
    m_owner.m_controlEvents.Push(
        ControlEvent{kControlController, static_cast<int8_t>(channel), static_cast<int16_t>(controller), 0, false, value});
}

void YAudioEffectPluginToAudioPluginAdapter::MIDIControlRelay::OnPitchBend(int32_t channel, double value) {
    m_owner.m_controlEvents.Push(ControlEvent{kControlPitchBend, static_cast<int8_t>(channel), 0, 0, false, value});
}

void YAudioEffectPluginToAudioPluginAdapter::MIDIControlRelay::OnChannelAftertouch(int32_t channel, double value) {
    m_owner.m_controlEvents.Push(ControlEvent{kControlAftertouch, static_cast<int8_t>(channel), 0, 0, false, value});
}

void YAudioEffectPluginToAudioPluginAdapter::LearnNotifier::OnMIDILearnQueued() noexcept {
    m_owner.m_midiLearnNotified.store(true, std::memory_order_release);
}

void YAudioEffectPluginToAudioPluginAdapter::ApplyMIDIControl() noexcept {
    ControlEvent event;
    while (m_controlEvents.Pop(event)) {
        switch (event.Kind) {
        case kControlNote:
            m_midiMap.OnNote(event.Channel, event.Number, event.Value, event.On, event.HeldNotes);
            break;
        case kControlController:
            m_midiMap.OnController(event.Channel, event.Number, event.Value);
            break;
        case kControlPitchBend:
            m_midiMap.OnPitchBend(event.Channel, event.Value);
            break;
        case kControlAftertouch:
            m_midiMap.OnChannelAftertouch(event.Channel, event.Value);
            break;
        default:
            break;
        }
    }
}

void YAudioEffectPluginToAudioPluginAdapter::UserMovedParameter(int32_t index, double before, double after) {
    // The multiparameters' own moves are what they play back, not what they learn.
    if (index < 0 || index >= m_firstControlIndex) return;
    YScopedLock parameters(ParameterLock());
    const YString name = GetParameterName(index);
    for (YMultiParameter& multi : m_multiParameters)
        if (multi.IsLearning()) multi.LearnParameterMoved(index, name, before, after);
}

// ---------------------------------------------------------------------------------------------
// Preset triggers as the host sets them

void YAudioEffectPluginToAudioPluginAdapter::NoteTriggerValue(int32_t which, double value) noexcept {
    const double before = m_triggerNoted[which].exchange(value, std::memory_order_acq_rel);
    if (before < kTriggerThreshold && value >= kTriggerThreshold)
        m_triggerRises[which].fetch_add(1u, std::memory_order_acq_rel);
}

void YAudioEffectPluginToAudioPluginAdapter::NoteIncomingValue(int32_t index, double normalized) noexcept {
    // The triggers run from 0 to 1, so the host's normalised value is the trigger's value.
    for (int32_t which = 0; which < 2; ++which)
        if (index == m_triggerIndex[which] && std::isfinite(normalized)) NoteTriggerValue(which, normalized);
}

void YAudioEffectPluginToAudioPluginAdapter::TriggerOwner::ParameterChanged(int32_t) {
    // A value told through NoteIncomingValue first arrives here again and rises no more.
    m_owner.NoteTriggerValue(m_which, m_owner.m_triggers[m_which].Float.Value);
}
