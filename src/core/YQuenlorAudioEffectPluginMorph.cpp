// ABCD morphing: two host parameters place a point in the square of slots A to D, and the live
// settings become the corners' mix at that point. The effect's table parameters mix (continuous
// ones bilinearly in normalised space, switches and enumerations by the nearest corner); the
// effect's own extras (LFO shape and curves, MIDI reset) take the nearest corner as a whole.
#include "core/YConfigurationLock.h"
#include "core/YParameterAdapters.h"
#include "core/YQuenlorAudioEffectPlugin.h"
#include "foundation/YException.h"
#include "foundation/YXMLCopy.h"
#include "foundation/YXMLItem.h"

#include <algorithm>
#include <cmath>

class YQuenlorAudioEffectPlugin::MorphAdapter : public YAudioPluginAutomationAdapter {
public:
    explicit MorphAdapter(YQuenlorAudioEffectPlugin& owner) noexcept : m_owner(owner) {
        SetIndexCount(kMorphParameterCount);
    }

    void SetParameter(int32_t local, double normalized, bool silent) override {
        if (Valid(local)) m_owner.MorphMoved(local, normalized, silent);
    }
    double GetParameter(int32_t local) override { return Valid(local) ? m_owner.m_morphPosition[local].load() : 0.0; }
    void GetParameterName(YString& out, int32_t local) override {
        // Fixed names: hosts keep the names of the parameters they recorded.
        out = Valid(local) ? YString(local == 0 ? "Morph X" : "Morph Y") : YString();
    }
    void GetParameterShortName(YString& out, int32_t local) override { GetParameterName(out, local); }
    void GetParameterFullLabel(YString& out, int32_t local) override { GetParameterName(out, local); }
    void GetParameterValueName(YString& out, int32_t local) override {
        GetParameterValueNameFrom01(out, local, GetParameter(local));
    }
    void GetParameterValueNameFrom01(YString& out, int32_t local, double normalized) override {
        out = Valid(local) ? YString::FromDouble(std::clamp(normalized, 0.0, 1.0) * 100.0, 1) + YString("%") : YString();
    }
    double ParseParameterValueName(int32_t local, const YString& text) override {
        int32_t consumed = 0;
        const double percent = text.Trimmed().ToDouble(&consumed);
        if (!Valid(local) || consumed == 0 || !std::isfinite(percent)) return GetParameter(local);
        return std::clamp(percent * 0.01, 0.0, 1.0);
    }
    // Ramped across the block like any interpolable parameter, so every mixed value glides.
    bool IsInterpolable(int32_t local) override { return Valid(local); }
    void SetHold(int32_t local, bool on) override {
        if (Valid(local)) m_owner.m_morphHeld[local] = on;
    }
    int32_t GetParameterType(int32_t) override { return 1; }
    double GetParameterDefaultValue(int32_t) override { return 0.0; }
    bool IsRandomizable() override { return false; }

private:
    static bool Valid(int32_t local) noexcept { return local >= 0 && local < kMorphParameterCount; }
    YQuenlorAudioEffectPlugin& m_owner;
};

void YQuenlorAudioEffectPlugin::AddMorphParameters() {
    m_morphIndex = AddAutomationAdapter(std::make_unique<MorphAdapter>(*this)).FirstIndex();
}

void YQuenlorAudioEffectPlugin::StoreMorph(YStorer& storer) {
    for (int32_t axis = 0; axis < 2; ++axis) {
        double value = m_morphPosition[axis].load();
        storer.DoubleIfPresent(axis == 0 ? "MorphX" : "MorphY", value);
        m_morphPosition[axis] = std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0;
    }
    bool edited = m_morphEdited.load();
    int32_t flag = edited ? 1 : 0;
    if (storer.IsWriting()) {
        if (edited) storer.Item->SetAttribute("MorphEdited", "1");
        else storer.Item->RemoveAttribute("MorphEdited");
    } else {
        flag = 0;
        YStorer::ReadInteger(*storer.Item, "MorphEdited", flag);
        m_morphEdited = flag != 0;
    }
}

void YQuenlorAudioEffectPlugin::StoreMorphCorner(YStorer& storer) {
    // While morphing has changed the settings of an active corner, the corner as it was is
    // kept beside the live settings, so a project reopens with the same four corners.
    YXMLItem& item = *storer.Item;
    YXMLItem* child = item.FindChild("MorphCorner");
    const bool keep = m_morphEdited.load() && m_activeSlot < kMorphCorners;
    if (storer.IsWriting()) {
        if (keep) UpdateActiveCornerLocked();
        if (child != nullptr) item.RemoveChild(*child);
        if (keep && m_slots[m_activeSlot]) YXMLCopyTree(*m_slots[m_activeSlot], item.AddChild("MorphCorner"));
    } else if (keep && child != nullptr) {
        auto tree = std::make_unique<YXMLItem>("settings");
        YXMLCopyTree(*child, *tree);
        m_slots[m_activeSlot] = std::move(tree);
    }
}

void YQuenlorAudioEffectPlugin::UpdateActiveCornerLocked() {
    if (!m_morphEdited.load() || m_activeSlot >= kMorphCorners || !m_slots[m_activeSlot]) return;
    // A move on the audio thread took the corner's parameters into the table, after the tree
    // was last written; the table has the last word on them.
    YXMLItem& tree = *m_slots[m_activeSlot];
    for (const YSettingsMorph::Entry& entry : m_morph.Entries()) {
        int32_t local = 0;
        auto* adapter = dynamic_cast<ParameterBase*>(&FindAutomationAdapter(entry.HostIndex, local));
        if (adapter == nullptr) continue;
        const double value = entry.Corner[static_cast<size_t>(m_activeSlot)];
        PluginParameter copy = adapter->Record();
        if (copy.Kind == kParameterGroup) {
            tree.SetAttribute(YString("parameter") + copy.ID, value >= 0.5 ? YString("1") : YString("0"));
            continue;
        }
        copy.SetHold(false);
        copy.SetNormalized(value);
        copy.Store(true, tree);
    }
}

void YQuenlorAudioEffectPlugin::AfterStateReadLocked() {
    for (int32_t axis = 0; axis < 2; ++axis) m_morphPlaying[axis] = m_morphPosition[axis].load();
    // The live settings hold whatever extras they were saved with; only a move into another
    // corner's quadrant replaces them.
    m_morphCornerApplied = YSettingsMorph::NearestCorner(m_morphPlaying[0], m_morphPlaying[1]);
    m_morphCornerWanted = -1;
    RebuildMorphLocked();
}

void YQuenlorAudioEffectPlugin::RebuildMorphLocked() {
    if (!HasEffect()) return;
    // Before morphing starts, an active corner is what it holds now.
    if (m_activeSlot < kMorphCorners && !m_morphEdited.load()) m_slots[m_activeSlot] = LiveSettingsLocked();
    const YParameterOwner* effect = Effect();
    YSettingsMorph table;
    for (int32_t number = 0; number < AutomationAdapterCount(); ++number) {
        auto* adapter = dynamic_cast<ParameterBase*>(GetAutomationAdapter(number));
        if (adapter == nullptr || adapter->Owner() != effect) continue;
        const PluginParameter& record = adapter->Record();
        YSettingsMorph::Entry entry;
        entry.HostIndex = adapter->FirstIndex();
        const bool continuous = record.Kind == kParameterFloat || record.Kind == kParameterInteger;
        entry.Mixing = continuous ? YSettingsMorph::Rule::Bilinear : YSettingsMorph::Rule::Nearest;
        for (int32_t c = 0; c < kMorphCorners; ++c) {
            const YXMLItem* corner = m_slots[c].get();
            double& value = entry.Corner[static_cast<size_t>(c)];
            if (record.Kind == kParameterGroup) {
                // A group switch keeps its state outside the record: read the attribute alone.
                int32_t on = record.IsOn() ? 1 : 0;
                if (corner != nullptr) YStorer::ReadInteger(*corner, YString("parameter") + record.ID, on);
                value = on != 0 ? 1.0 : 0.0;
                continue;
            }
            PluginParameter copy = record;
            copy.SetHold(false);
            if (corner != nullptr) copy.Load(*corner);
            value = copy.GetNormalized();
        }
        table.Entries().push_back(entry);
    }
    m_morph.Swap(table);
}

void YQuenlorAudioEffectPlugin::MorphMoved(int32_t axis, double value, bool silent) noexcept {
    if (!std::isfinite(value)) return;
    value = std::clamp(value, 0.0, 1.0);
    if (!silent) {
        // Hosts echo values back: only a real move mixes.
        if (value == m_morphPosition[axis].load()) return;
        m_morphPosition[axis] = value;
        // While the block's ramp holds the axis, the ramp plays the move.
        if (m_morphHeld[axis]) return;
    }
    if (value == m_morphPlaying[axis]) return;
    m_morphPlaying[axis] = value;
    ApplyMorph(m_morphPlaying[0], m_morphPlaying[1]);
}

void YQuenlorAudioEffectPlugin::ApplyMorph(double x, double y) noexcept {
    std::vector<YSettingsMorph::Entry>& entries = m_morph.Entries();
    if (entries.empty()) return;
    if (!m_morphEdited.load() && m_activeSlot < kMorphCorners) {
        // The first move takes the active corner as the user left it.
        for (YSettingsMorph::Entry& entry : entries)
            entry.Corner[static_cast<size_t>(m_activeSlot)] = YAudioPlugin::GetParameter(entry.HostIndex);
    }
    m_morphEdited = true;
    for (const YSettingsMorph::Entry& entry : entries) {
        const double mixed = YSettingsMorph::Mix(entry, x, y);
        if (mixed != YAudioPlugin::GetParameter(entry.HostIndex)) YAudioPlugin::SetParameter(entry.HostIndex, mixed);
    }
    const int32_t corner = YSettingsMorph::NearestCorner(x, y);
    if (corner != m_morphCornerApplied && m_morphCornerWanted.exchange(corner) != corner) WakePresetNavigation();
}

bool YQuenlorAudioEffectPlugin::RunDeferredWork() {
    return m_morphCornerWanted.load() >= 0 && ApplyPendingMorphCorner();
}

bool YQuenlorAudioEffectPlugin::ApplyPendingMorphCorner() {
    return YGuard("YQuenlorAudioEffectPlugin::ApplyPendingMorphCorner", false, [&] {
        const YConfigurationLock locks(*this);
        const int32_t corner = m_morphCornerWanted.exchange(-1);
        if (corner < 0 || corner >= kMorphCorners || corner == m_morphCornerApplied || !m_slots[corner]) return false;
        ReadEffectExtras(*m_slots[corner]);
        m_morphCornerApplied = corner;
        return true;
    });
}

void YQuenlorAudioEffectPlugin::SetMorphPosition(double x, double y) {
    if (m_morphIndex < 0) return;
    {
        // The corners are read again before the first move, so an active corner is current.
        const YConfigurationLock locks(*this);
        if (!m_morphEdited.load()) RebuildMorphLocked();
    }
    SetParameterAutomated(m_morphIndex, std::clamp(x, 0.0, 1.0));
    SetParameterAutomated(m_morphIndex + 1, std::clamp(y, 0.0, 1.0));
    ApplyPendingMorphCorner();
}
