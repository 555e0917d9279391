// The adapter's part of the state tree: its own settings, the effect's parameters through
// effect command 6, and the tables of controllers, multiparameters and active presets.
#include "core/YAudioEffectPluginToAudioPluginAdapter.h"
#include "foundation/YException.h"
#include "foundation/YXMLItem.h"

#include <algorithm>
#include <cmath>

namespace {

const char* const kMultiParameterModes[] = {"Normal", "Switch", "Trigger", "Banks"};
const char* const kMultiParameterValueModes[] = {"Percents", "By first parameter"};

// Attributes that are left out while they hold their default.
void IntegerOmitted(const YStorer& storer, const YString& name, int32_t& value, int32_t defaultValue) {
    if (storer.Item == nullptr) return;
    if (storer.IsWriting() && value == defaultValue)
        storer.Item->RemoveAttribute(name);
    else
        storer.Integer(name, value, defaultValue);
}

void BoolOmitted(const YStorer& storer, const YString& name, bool& value, bool defaultValue) {
    int32_t v = value ? 1 : 0;
    IntegerOmitted(storer, name, v, defaultValue ? 1 : 0);
    value = v != 0;
}

void Text(const YStorer& storer, const YString& name, YString& value, bool omitWhenEmpty) {
    if (storer.Item == nullptr) return;
    if (storer.IsWriting()) {
        if (omitWhenEmpty && value.IsEmpty())
            storer.Item->RemoveAttribute(name);
        else
            storer.Item->SetAttribute(name, value);
        return;
    }
    const YString* text = storer.Item->FindAttribute(name);
    value = text != nullptr ? *text : YString();
}

void Fraction(const YStorer& storer, const YString& name, double& value, double defaultValue) {
    storer.Double(name, value, defaultValue);
    if (storer.IsReading()) value = std::clamp(value, 0.0, 1.0);
}

// An enumeration stored by name; unknown names read as the first.
void EnumName(const YStorer& storer, const YString& name, YString& value, const char* const* names,
              int32_t count) {
    Text(storer, name, value, false);
    if (storer.IsWriting()) return;
    for (int32_t i = 0; i < count; ++i)
        if (value == YString::Literal(names[i])) return;
    value = YString::Literal(names[0]);
}

YString Numbered(const char* prefix, int32_t number) {
    return YString::Literal(prefix) + YString::FromInteger(number);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Slot records

void YAudioEffectPluginToAudioPluginAdapter::MultiParameterSlot::Store(YStorer& storer) {
    if (storer.Item == nullptr) return;
    Text(storer, "Name", Name, true);
    BoolOmitted(storer, "Enabled", Enabled, false);
    Text(storer, "Group", Group, true);
    Text(storer, "Info", Info, true);
    EnumName(storer, "Mode", Mode, kMultiParameterModes, 4);
    EnumName(storer, "ValueMode", ValueMode, kMultiParameterValueModes, 2);
    if (storer.IsWriting() && std::fabs(SwitchTime - 1.0) <= 1e-50)
        storer.Item->RemoveAttribute("SwitchTime");
    else
        storer.Double("SwitchTime", SwitchTime, 1.0);
    if (storer.IsReading() && !(SwitchTime >= 0.0)) SwitchTime = 1.0;
    storer.DoubleIfPresent("Value", Value);
    Value = std::clamp(Value, 0.0, 1.0);
    Fraction(storer, "DefaultValue", DefaultValue, 0.5);
    if (Mode == YString("Banks")) {
        storer.Integer("BankCount", BankCount, 4);
        if (storer.IsReading()) BankCount = std::clamp(BankCount, 1, 128);
    } else if (storer.IsWriting()) {
        storer.Item->RemoveAttribute("BankCount");
    }
}

void YAudioEffectPluginToAudioPluginAdapter::ControllerSlot::Store(YStorer& storer) {
    if (storer.Item == nullptr) return;
    storer.Bool("Enabled", Enabled, false);
    Text(storer, "ParameterName", ParameterName, false);
    Fraction(storer, "Value", Value, 0.0);
    Fraction(storer, "MaxValue", MaxValue, 0.0);
    Fraction(storer, "Range", Range, 1.0);
    storer.Integer("Channel", Channel, 0);
    storer.Integer("Controller", Controller, 1);
    storer.Integer("FullRange", RangeMode, 2);
    storer.Bool("Invert", Invert, false);
    if (storer.IsReading()) {
        Channel = std::clamp(Channel, 0, 16);
        Controller = std::clamp(Controller, 0, 131);
        RangeMode = std::clamp(RangeMode, 0, 4);
    }
}

void YAudioEffectPluginToAudioPluginAdapter::NoteControllerSlot::Store(YStorer& storer) {
    if (storer.Item == nullptr) return;
    storer.Bool("Enabled", Enabled, false);
    Text(storer, "ParameterName", ParameterName, false);
    if (storer.IsReading() && storer.Item->FindAttribute("Mode") == nullptr) {
        // Older states only knew linear and logarithmic.
        bool logarithmic = false;
        storer.Bool("Logarithmic", logarithmic, false);
        Mode = logarithmic ? 1 : 0;
    } else {
        storer.Integer("Mode", Mode, 0);
    }
    storer.Integer("Channel", Channel, 0);
    storer.Integer("Note", Note, 48);
    Fraction(storer, "Value", MinValue, 0.0);
    Fraction(storer, "MaxValue", MaxValue, 1.0);
    if (storer.IsReading()) {
        Mode = std::clamp(Mode, 0, 5);
        Channel = std::clamp(Channel, 0, 16);
        Note = std::clamp(Note, 0, 127);
    }
}

void YAudioEffectPluginToAudioPluginAdapter::PresetControllerSlot::Store(YStorer& storer) {
    if (storer.Item == nullptr) {
        // Reading a state without the item: the switch is off.
        if (storer.IsReading()) *this = PresetControllerSlot{};
        return;
    }
    BoolOmitted(storer, "Enabled", Enabled, false);
    IntegerOmitted(storer, "Controller", Controller, 0);
    IntegerOmitted(storer, "Channel", Channel, 0);
    if (storer.IsReading()) {
        Controller = std::clamp(Controller, 0, 131);
        Channel = std::clamp(Channel, 0, 16);
    }
}
// ---------------------------------------------------------------------------------------------
// State

void YAudioEffectPluginToAudioPluginAdapter::Store(YStorer& storer) {
    if (storer.Item == nullptr) return;
    YXMLItem& item = *storer.Item;
    storer.Integer("Version", m_version, kLegacyVersion);

    if (storer.IsWriting()) {
        item.SetAttribute("ChannelMode",
                          YString::Literal(kChannelModeNames[std::clamp(m_configuredMode, 0, 7)]));
        if (m_configuredMode == kModeSurround) {
            YString enabled;
            for (int32_t c = 0; c < kMaxChannelsPerBus; ++c)
                enabled += (m_surroundMask >> c & 1u) ? u'1' : u'0';
            item.SetAttribute("SurroundChannelsEnable", enabled);
        } else {
            item.RemoveAttribute("SurroundChannelsEnable");
        }
    } else {
        if (const YString* name = item.FindAttribute("ChannelMode")) {
            const int32_t mode = ChannelModeFromName(*name);
            if (mode >= 0) m_configuredMode = mode;
        }
        if (const YString* enabled = item.FindAttribute("SurroundChannelsEnable")) {
            const int32_t count = std::min(enabled->Length(), kMaxChannelsPerBus);
            for (int32_t c = 0; c < count; ++c) {
                const uint8_t bit = static_cast<uint8_t>(1u << c);
                m_surroundMask = static_cast<uint8_t>((*enabled)[c] != u'0' ? (m_surroundMask | bit)
                                                                            : (m_surroundMask & ~bit));
            }
        }
        int32_t legacySurround = 0;
        if (YStorer::ReadInteger(item, "EnableSurroundProcessing", legacySurround))
            m_configuredMode = legacySurround > 0 ? kModeSurround : kModeLeftRight;
        if (m_configuredMode == kModeSurround && GetOutputChannelsPerBus() <= 2 &&
            GetProcessingInputChannelsPerBus() <= 2)
            m_configuredMode = kModeLeftRight;
    }

    BoolOmitted(storer, "ControllersEnabled", m_controllersEnabled, false);
    BoolOmitted(storer, "NoteControllersEnabled", m_noteControllersEnabled, false);
    YStorer presetController = storer.Child("PreviousNextPresetController");
    m_presetController.Store(presetController);
    bool bypass = IsBypassed();
    BoolOmitted(storer, "Bypass", bypass, false);
    if (storer.IsReading()) SetBypass(bypass);
    int32_t maxBlock = MaxSubBlockLength();
    IntegerOmitted(storer, "MaxLFOBlockSize", maxBlock, kDefaultSubBlockLength);
    if (storer.IsReading()) SetMaxSubBlockLength(maxBlock);

    StoreSettings(storer);
}

void YAudioEffectPluginToAudioPluginAdapter::StoreSettings(YStorer& storer) {
    if (storer.Item == nullptr) return;
    YScopedLock processing(ProcessingLock());
    if (storer.IsWriting()) {
        YEffectArguments store;
        store.SetPointer(0, &storer);
        m_host.Call(kEffectStore, &store);
        StoreStandardSettings(storer);
        return;
    }
    YScopedLock editor(EditorLock());
    YScopedLock parameters(ParameterLock());
    YEffectArguments store;
    store.SetPointer(0, &storer);
    m_host.Call(kEffectStore, &store);
    StoreStandardSettings(storer);
    AfterLoading(true);
}

void YAudioEffectPluginToAudioPluginAdapter::StoreStandardSettings(YStorer& storer) {
    if (storer.Item == nullptr) return;
    StoreControllers(storer);
    StoreMultiParameters(storer);
    StoreActivePresets(storer);
    storer.IntegerIfPresent("CurrentPresetIndex", m_currentPresetIndex);
    int32_t sinc = m_frameSettings.Sinc;
    storer.IntegerIfPresent("Sinc", sinc);
    m_frameSettings.Sinc = sinc != 0 ? 1 : 0;
}

namespace {

// The numbered children of one table item: in-use slots are written (stale ones removed);
// reading resets every slot and fills those that have a child. Without the item a read
// leaves the table as it is.
template <typename Slot, size_t N>
void StoreTable(YStorer& storer, const char* itemName, const char* childPrefix, std::array<Slot, N>& slots) {
    YStorer table = storer.Child(YString::Literal(itemName));
    if (table.Item == nullptr) return;
    for (size_t n = 0; n < N; ++n) {
        const YString name = Numbered(childPrefix, static_cast<int32_t>(n));
        YXMLItem* child = table.Item->FindChild(name);
        if (table.IsWriting()) {
            if (!slots[n].InUse()) {
                if (child != nullptr) table.Item->RemoveChild(*child);
                continue;
            }
            YStorer slot{true, child != nullptr ? child : &table.Item->AddChild(name)};
            slots[n].Store(slot);
        } else {
            slots[n] = Slot{};
            if (child == nullptr) continue;
            YStorer slot{false, child};
            slots[n].Store(slot);
        }
    }
}

} // namespace

void YAudioEffectPluginToAudioPluginAdapter::StoreControllers(YStorer& storer) {
    StoreTable(storer, "Controllers", "Controller", m_controllers);
    StoreTable(storer, "NoteControllers", "NoteController", m_noteControllers);
}

void YAudioEffectPluginToAudioPluginAdapter::StoreMultiParameters(YStorer& storer) {
    StoreTable(storer, "MultiParameters", "MultiParameter", m_multiParameters);
}

void YAudioEffectPluginToAudioPluginAdapter::StoreActivePresets(YStorer& storer) {
    YStorer active = storer.Child("ActivePreset");
    if (active.Item == nullptr) {
        m_activePresetEdit = false;
        m_currentActivePreset = 0;
        return;
    }
    BoolOmitted(active, "Edit", m_activePresetEdit, false);
    IntegerOmitted(active, "CurrentActivePreset", m_currentActivePreset, 0);
}

void YAudioEffectPluginToAudioPluginAdapter::AfterLoading(bool reinitialise) {
    m_upsamplingMode = std::clamp(m_upsamplingMode, 0, 4);
    if (reinitialise && !(CurrentConfiguration() == m_initialised)) {
        SetUpsampling(1 << m_upsamplingMode, m_highQualitySetting);
        InitProcessing();
    }
    // The loaded values apply from the next block as they are, without ramps from the old ones.
    ResetInterpolation();
    if (m_host.HasEffect()) {
        m_host.Effect()->TakeNeedsUpdate();
        m_host.Call(kEffectUpdate);
    }
    for (int32_t number = 0; number < AutomationAdapterCount(); ++number)
        NeedUpdateEditor(GetAutomationAdapter(number));
}
