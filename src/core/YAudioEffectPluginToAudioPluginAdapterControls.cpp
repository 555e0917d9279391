// The frame's multiparameters and MIDI controller map: their records, the host-parameter
// space they see, and what follows a load.
#include "core/YAudioEffectPluginToAudioPluginAdapter.h"
#include "foundation/YException.h"

// ---------------------------------------------------------------------------------------------
// The host-parameter space for the control models

int32_t YAudioEffectPluginToAudioPluginAdapter::ParameterAccess::FindParameter(const YString& name) const {
    if (name.IsEmpty()) return -1;
    const int32_t count = m_owner.GetParameterCount();
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
