// Parameter adapters: publish PluginParameter records to the host as automation adapters and
// tell the owning effect about host writes.
#pragma once

#include "core/PluginParameter.h"
#include "core/YAudioPluginAutomationAdapter.h"

#include <cmath>
#include <memory>

class ParameterSpecialMainBase;

// The effect side that hears about host writes.
class YParameterOwner {
public:
    virtual ~YParameterOwner();
    // A record was written by the host (not for silent writes).
    virtual void ParameterChanged(int32_t index) = 0;
    // A write to a record with the mark-owner flag: derived state must be recomputed.
    virtual void SetNeedsUpdate() = 0;
};

// What a creator hands every adapter.
struct ParameterAdapterSetup {
    YParameterOwner* Owner = nullptr;
    PluginParameter* Record = nullptr;
    int32_t Index = 0;
    uint64_t AutomationTarget = 0; // non-zero: host writes are echoed to host automation
    YString ContextLabel;
};

// An object behind a special record (signal generator, envelope ...) supplies its own adapter.
class YParameterSpecialObject {
public:
    virtual ~YParameterSpecialObject();
    virtual std::unique_ptr<ParameterSpecialMainBase>
    CreateParameterAdapter(const ParameterAdapterSetup& setup) = 0;
};

// Creates the adapter for one record: null for unpublished records and the kinds without one;
// raises "Invalid plugin parameter type." for any other kind.
std::unique_ptr<YAudioPluginAutomationAdapter> CreateParameterAdapter(const ParameterAdapterSetup& setup);

class ParameterMainBase : public YAudioPluginAutomationAdapter {
public:
    explicit ParameterMainBase(const ParameterAdapterSetup& setup);

    void GetParameterName(YString& out, int32_t local) override;
    void GetParameterFullLabel(YString& out, int32_t local) override;

    const YString& Name() const noexcept { return m_name; }
    const YString& Label() const noexcept { return m_label; }
    const YString& ContextLabel() const noexcept { return m_contextLabel; }
    YParameterOwner* Owner() const noexcept { return m_owner; }
    PluginParameter& Record() const noexcept { return *m_record; }
    uint64_t AutomationTarget() const noexcept { return m_automationTarget; }
    int32_t Index() const noexcept { return m_index; }

protected:
    // After a non-silent write: the owner hears of it, is marked when the record asks for
    // that, and the host automation receives the new value when it is a target.
    void NotifyChanged(int32_t local);

private:
    YString m_name;
    YString m_label;
    YString m_contextLabel;
    YParameterOwner* m_owner;
    PluginParameter* m_record;
    uint64_t m_automationTarget;
    int32_t m_index;
};

// The adapter base for records of the effect's table.
class ParameterBase : public ParameterMainBase {
public:
    using ParameterMainBase::ParameterMainBase;
    bool IsInterpolable(int32_t local) override { return Record().IsInterpolable(); }
    bool IsRandomizable() override { return Record().IsRandomizable(); }
    void Randomize(double amount, bool force = false) override { Record().Randomize(amount, force); }
};

// The adapter base for records outside the effect's table (editor settings): randomised
// through the adapter interface, so that every write takes the normal notification path.
class ParameterBaseCustom : public ParameterMainBase {
public:
    using ParameterMainBase::ParameterMainBase;
    bool IsInterpolable(int32_t local) override { return Record().IsInterpolable(); }
    bool IsRandomizable() override { return Record().IsRandomizable(); }
    void Randomize(double amount, bool force = false) override;
};

// The common part of the kind adapters: the record does the arithmetic.
template <typename Base> class ParameterRecordT : public Base {
public:
    using Base::Base;
    void SetParameter(int32_t local, double normalized, bool silent) override {
        if (std::isnan(normalized)) return;
        this->Record().SetNormalized(normalized);
        if (!silent) this->NotifyChanged(local);
    }
    double GetParameter(int32_t) override { return this->Record().GetNormalized(); }
    void GetParameterValueName(YString& out, int32_t) override { this->Record().GetValueText(out); }
    // The text of a value the record does not hold: worked out on a copy that is not held, so
    // that the text shows the value asked about.
    void GetParameterValueNameFrom01(YString& out, int32_t, double normalized) override {
        PluginParameter copy = this->Record();
        copy.SetFlagA(PluginParameter::kHold, false);
        // A group switch keeps its state outside the record: the copy gets a byte of its own.
        uint8_t groupState = this->Record().IsOn() ? 1 : 0;
        if (copy.Kind == kParameterGroup) copy.Group.State = &groupState;
        copy.SetNormalized(normalized);
        copy.GetValueText(out);
    }
    double ParseParameterValueName(int32_t, const YString& text) override {
        return this->Record().ParseValueText(text);
    }
    double GetParameterDefaultValue(int32_t) override { return this->Record().GetDefaultNormalized(); }
};

template <typename Base> class ParameterFloatT : public ParameterRecordT<Base> {
public:
    using ParameterRecordT<Base>::ParameterRecordT;
    void SetHold(int32_t, bool on) override { this->Record().SetHold(on); }
    int32_t GetParameterType(int32_t) override { return kParameterFloat; }
};

template <typename Base> class ParameterIntT : public ParameterRecordT<Base> {
public:
    using ParameterRecordT<Base>::ParameterRecordT;
    void SetHold(int32_t, bool on) override { this->Record().SetHold(on); }
    int32_t GetParameterType(int32_t) override { return kParameterInteger; }
};

template <typename Base> class ParameterEnumT : public ParameterRecordT<Base> {
public:
    using ParameterRecordT<Base>::ParameterRecordT;
    int32_t GetParameterType(int32_t) override { return kParameterEnum; }
};

// Reports its record's default, so that a host's reset-to-default restores it.
template <typename Base> class ParameterBoolT : public ParameterRecordT<Base> {
public:
    using ParameterRecordT<Base>::ParameterRecordT;
    int32_t GetParameterType(int32_t) override { return kParameterBool; }
};

// A switch whose state lives outside the record (a panel's enable byte).
template <typename Base = ParameterBase> class ParameterGroupT : public ParameterRecordT<Base> {
public:
    using ParameterRecordT<Base>::ParameterRecordT;
    int32_t GetParameterType(int32_t) override { return kParameterBool; }
};

extern template class ParameterFloatT<ParameterBase>;
extern template class ParameterIntT<ParameterBase>;
extern template class ParameterEnumT<ParameterBase>;
extern template class ParameterBoolT<ParameterBase>;
extern template class ParameterGroupT<ParameterBase>;
extern template class ParameterFloatT<ParameterBaseCustom>;
extern template class ParameterIntT<ParameterBaseCustom>;
extern template class ParameterEnumT<ParameterBaseCustom>;
extern template class ParameterBoolT<ParameterBaseCustom>;

// The adapter base of special objects; everything beyond the name belongs to the object.
class ParameterSpecialMainBase : public YAudioPluginAutomationAdapter {
public:
    explicit ParameterSpecialMainBase(const ParameterAdapterSetup& setup);

    void GetParameterName(YString& out, int32_t local) override { out = m_name; }

    const YString& Name() const noexcept { return m_name; }
    const YString& ContextLabel() const noexcept { return m_contextLabel; }
    YParameterOwner* Owner() const noexcept { return m_owner; }
    PluginParameter& Record() const noexcept { return *m_record; }
    uint64_t AutomationTarget() const noexcept { return m_automationTarget; }
    int32_t Index() const noexcept { return m_index; }

protected:
    void NotifyChanged(int32_t local);

private:
    YString m_name;
    YString m_contextLabel;
    YParameterOwner* m_owner;
    PluginParameter* m_record;
    uint64_t m_automationTarget;
    int32_t m_index;
};

template <typename Object, typename Editor> class ParameterSpecialBase : public ParameterSpecialMainBase {
public:
    using ObjectType = Object;
    using EditorType = Editor;

    ParameterSpecialBase(const ParameterAdapterSetup& setup, Object& object)
        : ParameterSpecialMainBase(setup), m_object(&object) {}
    Object& SpecialObject() const noexcept { return *m_object; }

private:
    Object* m_object;
};
