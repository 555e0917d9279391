// The adapter's part of the state tree: its own settings, the effect's parameters through
// effect command 6, and the tables of controllers, multiparameters and active presets.
#include "core/YAudioEffectPluginToAudioPluginAdapter.h"
#include "core/YStoreFields.h"
#include "foundation/YException.h"
#include "foundation/YXMLCopy.h"
#include "foundation/YXMLItem.h"

#include <algorithm>
#include <cmath>

using namespace YStoreFields;

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

    m_midiMap.StoreSwitches(storer);
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

void YAudioEffectPluginToAudioPluginAdapter::StoreControllers(YStorer& storer) {
    m_midiMap.StoreAssignments(storer);
}

void YAudioEffectPluginToAudioPluginAdapter::StoreMultiParameters(YStorer& storer) {
    // Numbered children of the slots in use (a stale one is removed); reading resets every
    // slot and fills those with a child, and without the item the slots stay as they are.
    const YStorer table = storer.Child("MultiParameters");
    if (table.Item == nullptr) return;
    for (int32_t n = 0; n < kMultiParameterCount; ++n) {
        YMultiParameter& multi = m_multiParameters[static_cast<size_t>(n)];
        const YString name = Numbered("MultiParameter", n);
        YXMLItem* child = table.Item->FindChild(name);
        if (table.IsWriting()) {
            if (!multi.InUse()) {
                if (child != nullptr) table.Item->RemoveChild(*child);
                continue;
            }
            multi.Store(YStorer{true, child != nullptr ? child : &table.Item->AddChild(name)});
        } else {
            multi.ResetToDefaults();
            if (child != nullptr) multi.Store(YStorer{false, child});
        }
    }
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

void YAudioEffectPluginToAudioPluginAdapter::LoadActivePresets() noexcept {
    if (m_activePresetLoader == nullptr) return;
    YGuard("YAudioEffectPluginToAudioPluginAdapter::LoadActivePresets", [&] {
        try {
            m_activePresets = m_activePresetLoader->Load(m_productName);
        } catch (const YException& error) {
            // A broken file must not keep the plug-in from starting: it runs without them.
            m_activePresets.reset();
            YReportError(error.Message());
        }
    });
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
    // Parameter names are looked up again: a target whose parameter is gone drives nothing.
    ResolveControls();
    m_midiMap.ResetPlayingState();
    for (const YMultiParameter& multi : m_multiParameters)
        if (!multi.LoadProblem().IsEmpty()) YReportError(multi.LoadProblem());
}

void YAudioEffectPluginToAudioPluginAdapter::ReadEffectExtras(const YXMLItem& source) {
    if (!m_host.HasEffect()) return;
    // The effect names its own children when it writes itself; only those are taken over.
    YXMLItem probe("settings");
    YStorer writer{true, &probe};
    YEffectArguments write;
    write.SetPointer(0, &writer);
    m_host.Call(kEffectStore, &write);
    YXMLItem extras("settings");
    for (const YXMLItem& child : probe.Children())
        if (const YXMLItem* stored = source.FindChild(child.GetName()))
            YXMLCopyTree(*stored, extras.AddChild(child.GetName()));
    if (extras.GetChildCount() == 0) return;
    // Without parameter attributes the effect's parameters keep their values.
    YStorer reader{false, &extras};
    YEffectArguments read;
    read.SetPointer(0, &reader);
    m_host.Call(kEffectStore, &read);
    m_host.Effect()->TakeNeedsUpdate();
    m_host.Call(kEffectUpdate);
    for (int32_t number = 0; number < AutomationAdapterCount(); ++number)
        NeedUpdateEditor(GetAutomationAdapter(number));
}
