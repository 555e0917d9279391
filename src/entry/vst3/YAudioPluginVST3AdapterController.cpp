// YAudioPluginVST3Adapter as edit controller: host parameters and their texts, units, the MIDI
// controller mapping.
#include "entry/vst3/YAudioPluginVST3Adapter.h"

#include "entry/vst3/YVST3Text.h"
#include "foundation/YException.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

using YVST3Text::CopyToString128;
using YVST3Text::FromHostText;

// ---------------------------------------------------------------------------------------------
// Parameters

void YAudioPluginVST3Adapter::BuildHostParameters() {
    m_pluginParameterCount = std::max<int32_t>(m_plugin->GetParameterCount(), 0);
    std::vector<HostParameter> list;
    list.reserve(static_cast<size_t>(m_pluginParameterCount) + 1 + kControllerCount);
    for (int32_t i = 0; i < m_pluginParameterCount; ++i) {
        HostParameter p;
        p.id = static_cast<Vst3::ParamID>(i);
        p.stepCount = m_plugin->GetParameterType(i) == 4 ? 1 : 0;
        p.defaultValue = std::clamp(m_plugin->GetParameterDefaultValue(i), 0.0, 1.0);
        p.flags = Vst3::ParameterInfo::kCanAutomate;
        list.push_back(p);
    }
    HostParameter bypass;
    bypass.id = kBypassID;
    bypass.stepCount = 1;
    bypass.flags = Vst3::ParameterInfo::kCanAutomate | Vst3::ParameterInfo::kIsBypass;
    list.push_back(bypass);
    for (int32_t n = 0; n < kControllerCount; ++n) {
        HostParameter controller;
        controller.id = kFirstControllerID + static_cast<Vst3::ParamID>(n);
        list.push_back(controller);
    }
    m_parameters.swap(list);
    m_controllerValues.Reset(m_parameters.size());
    std::vector<Vst3::ParamID> ids;
    ids.reserve(m_parameters.size());
    for (const HostParameter& p : m_parameters) ids.push_back(p.id);
    m_outputChanges.Reset(ids.data(), ids.size());
}

size_t YAudioPluginVST3Adapter::SlotOf(Vst3::ParamID id) noexcept {
    const HostParameter* p = FindHostParameter(id);
    return p != nullptr ? static_cast<size_t>(p - m_parameters.data()) : m_parameters.size();
}

YAudioPluginVST3Adapter::HostParameter* YAudioPluginVST3Adapter::FindHostParameter(Vst3::ParamID id) noexcept {
    if (id < static_cast<Vst3::ParamID>(m_pluginParameterCount)) return &m_parameters[id];
    const size_t base = static_cast<size_t>(m_pluginParameterCount);
    if (id == kBypassID && m_parameters.size() > base) return &m_parameters[base];
    if (id >= kFirstControllerID && id < kFirstControllerID + kControllerCount &&
        m_parameters.size() > base + 1 + (id - kFirstControllerID))
        return &m_parameters[base + 1 + (id - kFirstControllerID)];
    return nullptr;
}

Vst3::int32 Y_VST3_CALL YAudioPluginVST3Adapter::getParameterCount() {
    return static_cast<Vst3::int32>(m_parameters.size());
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getParameterInfo(Vst3::int32 paramIndex,
                                                                    Vst3::ParameterInfo& info) {
    return YGuard("YAudioPluginVST3Adapter::getParameterInfo", Vst3::kResultFalse, [&] {
        if (paramIndex < 0 || static_cast<size_t>(paramIndex) >= m_parameters.size()) return Vst3::kInvalidArgument;
        const HostParameter& p = m_parameters[static_cast<size_t>(paramIndex)];
        std::memset(&info, 0, sizeof(info));
        info.id = p.id;
        info.stepCount = p.stepCount;
        info.defaultNormalizedValue = p.defaultValue;
        info.unitId = Vst3::kRootUnitId;
        info.flags = p.flags;
        if (p.id == kBypassID) {
            CopyToString128(info.title, "Bypass");
            CopyToString128(info.shortTitle, "Bypass");
        } else if (p.id >= kFirstControllerID) {
            char name[32];
            std::snprintf(name, sizeof(name), "Controller %u", static_cast<unsigned>(p.id - kFirstControllerID + 1));
            CopyToString128(info.title, name);
            CopyToString128(info.shortTitle, name);
        } else {
            const int32_t index = static_cast<int32_t>(p.id);
            CopyToString128(info.title, m_plugin->GetParameterID(index));
            CopyToString128(info.shortTitle, m_plugin->GetParameterName(index));
            CopyToString128(info.units, m_plugin->GetParameterUnitsName(index));
        }
        return Vst3::kResultOk;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getParamStringByValue(Vst3::ParamID id,
                                                                         Vst3::ParamValue valueNormalized,
                                                                         Vst3::String128 string) {
    return YGuard("YAudioPluginVST3Adapter::getParamStringByValue", Vst3::kResultFalse, [&] {
        ServiceGUIThread(false);
        if (string == nullptr) return Vst3::kInvalidArgument;
        string[0] = 0;
        if (FindHostParameter(id) == nullptr) return Vst3::kInvalidArgument;
        if (id == kBypassID) {
            CopyToString128(string, valueNormalized > 0.5 ? "On" : "Off");
        } else if (id >= kFirstControllerID) {
            char text[32];
            std::snprintf(text, sizeof(text), "%.4f", valueNormalized);
            CopyToString128(string, text);
        } else {
            CopyToString128(string, m_plugin->GetParameterValueNameFrom01(static_cast<int32_t>(id), valueNormalized));
        }
        return Vst3::kResultOk;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getParamValueByString(Vst3::ParamID id, Vst3::TChar* string,
                                                                         Vst3::ParamValue& valueNormalized) {
    return YGuard("YAudioPluginVST3Adapter::getParamValueByString", Vst3::kResultFalse, [&] {
        if (string == nullptr || FindHostParameter(id) == nullptr) return Vst3::kInvalidArgument;
        const YString text = FromHostText(string).Trimmed();
        if (id == kBypassID) {
            if (text == YString("On")) {
                valueNormalized = 1.0;
            } else if (text == YString("Off")) {
                valueNormalized = 0.0;
            } else {
                int32_t consumed = 0;
                const double v = text.ToDouble(&consumed);
                if (consumed == 0) return Vst3::kResultFalse;
                valueNormalized = v > 0.5 ? 1.0 : 0.0;
            }
        } else if (id >= kFirstControllerID) {
            int32_t consumed = 0;
            const double v = text.ToDouble(&consumed);
            if (consumed == 0) return Vst3::kResultFalse;
            valueNormalized = std::clamp(v, 0.0, 1.0);
        } else {
            valueNormalized = m_plugin->ParseParameterValueName(static_cast<int32_t>(id), text);
        }
        return Vst3::kResultOk;
    });
}

Vst3::ParamValue Y_VST3_CALL YAudioPluginVST3Adapter::normalizedParamToPlain(Vst3::ParamID, Vst3::ParamValue value) {
    return value;
}

Vst3::ParamValue Y_VST3_CALL YAudioPluginVST3Adapter::plainParamToNormalized(Vst3::ParamID, Vst3::ParamValue value) {
    return value;
}

Vst3::ParamValue Y_VST3_CALL YAudioPluginVST3Adapter::getParamNormalized(Vst3::ParamID id) {
    return YGuard("YAudioPluginVST3Adapter::getParamNormalized", 0.0, [&] {
        ServiceGUIThread(false);
        // What the host set last, until the processor hears otherwise.
        double held = 0.0;
        if (m_controllerValues.Held(SlotOf(id), held)) return held;
        if (id == kBypassID) return m_plugin->IsBypassed() ? 1.0 : 0.0;
        if (id < kFirstControllerID) return m_plugin->GetParameter(static_cast<int32_t>(id));
        return 0.0;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::setParamNormalized(Vst3::ParamID id, Vst3::ParamValue value) {
    return YGuard("YAudioPluginVST3Adapter::setParamNormalized", Vst3::kResultFalse, [&] {
        ServiceGUIThread(false);
        if (!std::isfinite(value)) return Vst3::kInvalidArgument;
        const size_t slot = SlotOf(id);
        if (slot >= m_parameters.size()) return Vst3::kInvalidArgument;
        m_controllerValues.Hold(slot, std::clamp(value, 0.0, 1.0));
        return Vst3::kResultOk;
    });
}

Vst3::IPlugView* Y_VST3_CALL YAudioPluginVST3Adapter::createView(Vst3::FIDString name) {
    return YGuard("YAudioPluginVST3Adapter::createView", static_cast<Vst3::IPlugView*>(nullptr), [&] {
        if (name == nullptr || std::strcmp(name, "editor") != 0) return static_cast<Vst3::IPlugView*>(nullptr);
        return static_cast<Vst3::IPlugView*>(new YEditor(*this));
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::setKnobMode(Vst3::KnobMode mode) {
    if (mode < 0 || mode > 2) return Vst3::kResultFalse;
    m_knobMode = mode;
    return Vst3::kResultOk;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::openHelp(Vst3::TBool) { return Vst3::kResultFalse; }

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::openAboutBox(Vst3::TBool) { return Vst3::kResultFalse; }

// ---------------------------------------------------------------------------------------------
// Units and MIDI mapping

Vst3::int32 Y_VST3_CALL YAudioPluginVST3Adapter::getUnitCount() { return 1; }

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getUnitInfo(Vst3::int32 unitIndex, Vst3::UnitInfo& info) {
    if (unitIndex != 0) return Vst3::kInvalidArgument;
    std::memset(&info, 0, sizeof(info));
    info.id = Vst3::kRootUnitId;
    info.parentUnitId = Vst3::kNoParentUnitId;
    CopyToString128(info.name, "Root");
    info.programListId = Vst3::kNoProgramListId;
    return Vst3::kResultOk;
}

Vst3::int32 Y_VST3_CALL YAudioPluginVST3Adapter::getProgramListCount() { return 0; }

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getProgramListInfo(Vst3::int32, Vst3::ProgramListInfo&) {
    return Vst3::kResultFalse;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getProgramName(Vst3::ProgramListID, Vst3::int32,
                                                                  Vst3::String128) {
    return Vst3::kResultFalse;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getProgramInfo(Vst3::ProgramListID, Vst3::int32, Vst3::CString,
                                                                  Vst3::String128) {
    return Vst3::kResultFalse;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::hasProgramPitchNames(Vst3::ProgramListID, Vst3::int32) {
    return Vst3::kResultFalse;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getProgramPitchName(Vst3::ProgramListID, Vst3::int32,
                                                                       Vst3::int16, Vst3::String128) {
    return Vst3::kResultFalse;
}

Vst3::UnitID Y_VST3_CALL YAudioPluginVST3Adapter::getSelectedUnit() { return m_selectedUnit; }

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::selectUnit(Vst3::UnitID unitId) {
    m_selectedUnit = unitId;
    return Vst3::kResultOk;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getUnitByBus(Vst3::MediaType, Vst3::BusDirection, Vst3::int32,
                                                                Vst3::int32, Vst3::UnitID&) {
    return Vst3::kResultFalse;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::setUnitProgramData(Vst3::int32, Vst3::int32, Vst3::IBStream*) {
    return Vst3::kResultFalse;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getMidiControllerAssignment(Vst3::int32, Vst3::int16,
                                                                               Vst3::CtrlNumber midiControllerNumber,
                                                                               Vst3::ParamID& id) {
    if (midiControllerNumber < 0 || midiControllerNumber >= kControllerCount) return Vst3::kResultFalse;
    id = kFirstControllerID + static_cast<Vst3::ParamID>(midiControllerNumber);
    return Vst3::kResultOk;
}
