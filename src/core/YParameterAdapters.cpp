#include "core/YParameterAdapters.h"

#include "foundation/YException.h"

#include <algorithm>

YParameterOwner::~YParameterOwner() = default;

YParameterSpecialObject::~YParameterSpecialObject() = default;

// ---------------------------------------------------------------------------------------------

ParameterMainBase::ParameterMainBase(const ParameterAdapterSetup& setup)
    : m_name(setup.Record->Name), m_label(JoinLabels(setup.Record->LabelB, setup.Record->LabelA)),
      m_contextLabel(setup.ContextLabel), m_owner(setup.Owner), m_record(setup.Record),
      m_automationTarget(setup.AutomationTarget), m_index(setup.Index) {
    SetOwnerTag(setup.Record->OwnerTag);
}

void ParameterMainBase::GetParameterName(YString& out, int32_t) { out = m_name; }

void ParameterMainBase::GetParameterFullLabel(YString& out, int32_t) {
    out = JoinLabels(JoinLabels(BaseLabel(), m_label), m_contextLabel);
}

void ParameterMainBase::NotifyChanged(int32_t local) {
    if (m_owner != nullptr) {
        m_owner->ParameterChanged(m_index);
        if ((m_record->FlagsA & PluginParameter::kMarkOwner) != 0) m_owner->SetNeedsUpdate();
    }
    if (m_automationTarget != 0) SendAutomation(local);
}

void ParameterBaseCustom::Randomize(double amount, bool force) {
    if (!force && !IsRandomizable()) return;
    if (std::isnan(amount)) return;
    for (int32_t i = 0; i < IndexCount(); ++i) {
        double r = YSharedRandom::Next();
        double x = amount >= 1.0 ? r : std::clamp(GetParameter(i) + (r - 0.5) * 2.0 * amount, 0.0, 1.0);
        SetParameter(i, x, false);
    }
}

template class ParameterFloatT<ParameterBase>;
template class ParameterIntT<ParameterBase>;
template class ParameterEnumT<ParameterBase>;
template class ParameterBoolT<ParameterBase>;
template class ParameterGroupT<ParameterBase>;
template class ParameterFloatT<ParameterBaseCustom>;
template class ParameterIntT<ParameterBaseCustom>;
template class ParameterEnumT<ParameterBaseCustom>;
template class ParameterBoolT<ParameterBaseCustom>;

// ---------------------------------------------------------------------------------------------

ParameterSpecialMainBase::ParameterSpecialMainBase(const ParameterAdapterSetup& setup)
    : m_name(setup.Record->Name), m_contextLabel(setup.ContextLabel), m_owner(setup.Owner),
      m_record(setup.Record), m_automationTarget(setup.AutomationTarget), m_index(setup.Index) {
    SetOwnerTag(setup.Record->OwnerTag);
}

void ParameterSpecialMainBase::NotifyChanged(int32_t local) {
    if (m_owner != nullptr) {
        m_owner->ParameterChanged(m_index);
        if ((m_record->FlagsA & PluginParameter::kMarkOwner) != 0) m_owner->SetNeedsUpdate();
    }
    if (m_automationTarget != 0) SendAutomation(local);
}

// ---------------------------------------------------------------------------------------------

std::unique_ptr<YAudioPluginAutomationAdapter> CreateParameterAdapter(const ParameterAdapterSetup& setup) {
    if (setup.Record == nullptr) YRaise("Invalid plugin parameter type.");
    const PluginParameter& record = *setup.Record;
    if ((record.FlagsA & PluginParameter::kPublish) == 0) return nullptr;
    switch (record.Kind) {
    case kParameterNone:
    case kParameterNoneAlt:
        return nullptr;
    case kParameterFloat:
        return std::make_unique<ParameterFloatT<ParameterBase>>(setup);
    case kParameterInteger:
        return std::make_unique<ParameterIntT<ParameterBase>>(setup);
    case kParameterEnum:
        return std::make_unique<ParameterEnumT<ParameterBase>>(setup);
    case kParameterBool:
        return std::make_unique<ParameterBoolT<ParameterBase>>(setup);
    case kParameterGroup:
        return std::make_unique<ParameterGroupT<ParameterBase>>(setup);
    case kParameterSpecial:
        // A special record without its object has nothing to publish.
        if (record.Special.Object == nullptr) YRaise("Invalid plugin parameter type.");
        return record.Special.Object->CreateParameterAdapter(setup);
    default:
        YRaise("Invalid plugin parameter type.");
    }
}
