#include "core/YQuenlorAudioEffectPlugin.h"

#include "core/YConfigurationLock.h"
#include "core/YGlobalConfiguration.h"
#include "foundation/YException.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"
#include "foundation/YXMLItem.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace {

YString SlotName(int32_t slot) { return YString("Preset") + YString::FromInteger(slot); }

bool IsSlotName(const YString& name) {
    for (int32_t slot = 0; slot < YQuenlorAudioEffectPlugin::kSlotCount; ++slot)
        if (name == SlotName(slot)) return true;
    return false;
}

void CopyAttributesAndText(YXMLItem& target, const YXMLItem& source) {
    for (int32_t i = 0; i < source.GetAttributeCount(); ++i) {
        const YXMLAttribute& attribute = source.GetAttributeAt(i);
        target.SetAttribute(attribute.name, attribute.value);
    }
    target.SetText(source.GetText());
}

// Replaces target's content by a copy of source's (the name stays). Walks without recursion,
// so a deep tree from a host cannot exhaust the stack. Slot children of source's top level
// are left out when skipSlots is set: a slot never holds slots of its own.
void CopyContent(YXMLItem& target, const YXMLItem& source, bool skipSlots) {
    target.Clear();
    CopyAttributesAndText(target, source);
    std::vector<std::pair<const YXMLItem*, YXMLItem*>> pending;
    for (const YXMLItem& child : source.Children()) {
        if (skipSlots && IsSlotName(child.GetName())) continue;
        pending.emplace_back(&child, &target.AddChild(child.GetName()));
    }
    while (!pending.empty()) {
        const auto [from, to] = pending.back();
        pending.pop_back();
        CopyAttributesAndText(*to, *from);
        for (const YXMLItem& child : from->Children()) pending.emplace_back(&child, &to->AddChild(child.GetName()));
    }
}

} // namespace

YQuenlorAudioEffectPlugin::YQuenlorAudioEffectPlugin() = default;

YQuenlorAudioEffectPlugin::~YQuenlorAudioEffectPlugin() {
    // Preset steps run on another thread through this class's Store: they end while it is whole.
    ReleasePresetNavigation();
}

std::unique_ptr<YQuenlorAudioEffectPlugin>
YQuenlorAudioEffectPlugin::Create(const YString& name, const YString& vendor,
                                  YAudioEffectPluginInterfaceFunction function, int32_t editorWidth,
                                  int32_t editorHeight, const YPositionCurveFactory* curves,
                                  const YActivePresetLoader* activePresets) noexcept {
    using Result = std::unique_ptr<YQuenlorAudioEffectPlugin>;
    return YGuard("YQuenlorAudioEffectPlugin::Create", Result(), [&]() -> Result {
        auto plugin = std::make_unique<YQuenlorAudioEffectPlugin>();
        plugin->SetPositionCurveFactory(curves);
        plugin->SetActivePresetLoader(activePresets);
        if (!plugin->Initialize(name, vendor, function, editorWidth, editorHeight)) return nullptr;
        return plugin;
    });
}

bool YQuenlorAudioEffectPlugin::Initialize(const YString& name, const YString& vendor,
                                           YAudioEffectPluginInterfaceFunction function, int32_t editorWidth,
                                           int32_t editorHeight) {
    return YGuard("YQuenlorAudioEffectPlugin::Initialize", false, [&] {
        YAudioEffectPluginToAudioPluginAdapter::Initialize(name, vendor, function, editorWidth, editorHeight);
        AddMorphParameters();
        LoadDefaultSettings();
        // Every slot starts as a copy of the settings the instance starts with.
        const YConfigurationLock locks(*this);
        YXMLItem first("settings");
        StoreWithoutSlots(first);
        for (std::unique_ptr<YXMLItem>& slot : m_slots) {
            slot = std::make_unique<YXMLItem>("settings");
            CopyContent(*slot, first, true);
        }
        AfterStateReadLocked();
        return true;
    });
}

void YQuenlorAudioEffectPlugin::StoreWithoutSlots(YXMLItem& item) {
    const bool skip = m_skipSlots;
    m_skipSlots = true;
    try {
        YStorer storer{true, &item};
        Store(storer);
    } catch (...) {
        m_skipSlots = skip;
        throw;
    }
    m_skipSlots = skip;
}

void YQuenlorAudioEffectPlugin::Store(YStorer& storer) {
    if (storer.Item == nullptr) return;
    YXMLItem& item = *storer.Item;

    // Settings alone (a slot applied, a paste) leave the instance-wide attributes as they are.
    if (!m_settingsOnly) {
        int32_t upsampling = UpsamplingMode();
        storer.IntegerIfPresent("upsampling", upsampling);
        SetUpsamplingMode(std::clamp(upsampling, 0, 4));
        bool highQuality = HighQualityUpsamplingSetting();
        storer.Bool("hqupsampling", highQuality, true);
        SetHighQualityUpsamplingSetting(highQuality);
        int32_t agc = AGCMode();
        storer.IntegerIfPresent("AGC", agc);
        SetAGCMode(agc);
        storer.IntegerIfPresent("PresetIndex", m_activeSlot);
        m_activeSlot = std::clamp(m_activeSlot, 0, kSlotCount - 1);
        StoreMorph(storer);
    }

    if (!m_skipSlots && !m_settingsOnly) {
        for (int32_t slot = 0; slot < kSlotCount; ++slot) {
            if (slot == m_activeSlot) continue;
            const YString name = SlotName(slot);
            if (storer.IsWriting()) {
                if (m_slots[slot]) CopyContent(item.GetOrCreateChild(name), *m_slots[slot], true);
            } else if (const YXMLItem* child = item.FindChild(name)) {
                auto tree = std::make_unique<YXMLItem>("settings");
                CopyContent(*tree, *child, true);
                m_slots[slot] = std::move(tree);
            }
        }
        StoreMorphCorner(storer);
    }

    YAudioEffectPluginToAudioPluginAdapter::Store(storer);
}

bool YQuenlorAudioEffectPlugin::SaveState(std::vector<uint8_t>& bytes) {
    bytes.clear();
    return YGuard("YQuenlorAudioEffectPlugin::SaveState", false, [&] {
        YXMLDocument document("settings");
        {
            // Host threads write parameter values under the parameter lock only.
            const YConfigurationLock locks(*this);
            YStorer storer{true, &document};
            Store(storer);
        }
        YMemoryStream stream;
        document.SaveCompressed(stream, "utf-8");
        const uint8_t* data = stream.GetData();
        bytes.assign(data, data + stream.GetSize());
        return true;
    });
}

bool YQuenlorAudioEffectPlugin::LoadState(const void* data, size_t size) {
    try {
        ReadState(data, size);
    } catch (const YException& e) {
        // The guard around the host's call drops the exception: the reason goes to the
        // error-report hook and stays for a host that asks.
        SetStateRefusal(YFormat::Text("The state was refused: {0}", e.Message()));
        throw;
    }
    SetStateRefusal(YString());
    return true;
}

void YQuenlorAudioEffectPlugin::ReadState(const void* data, size_t size) {
    if (data == nullptr || size == 0) YRaise("The state is empty.");
    if (size > static_cast<size_t>(INT32_MAX)) YRaise("The state is too large.");
    // Parsed before any lock is taken: audio keeps running while the bytes are read, and a
    // document that does not parse (or is larger than the document limit) changes nothing.
    YMemoryStream stream;
    stream.Attach(data, static_cast<int32_t>(size));
    YXMLDocument document;
    document.LoadCompressed(stream);
    ApplySettings(document);
}

void YQuenlorAudioEffectPlugin::ApplySettings(YXMLItem& settings) {
    {
        const YConfigurationLock locks(*this);
        YStorer storer{false, &settings};
        try {
            Store(storer);
        } catch (...) {
            // Whatever was read must still reach the effect as one consistent update.
            YGuard("YQuenlorAudioEffectPlugin::LoadState", [&] {
                AfterLoading(true);
                AfterStateReadLocked();
            });
            throw;
        }
        AfterStateReadLocked();
    }
    // Tells the host when the loaded settings need another latency than it last heard of.
    FollowLatency();
}

std::unique_ptr<YXMLItem> YQuenlorAudioEffectPlugin::SlotTree(int32_t slot) const {
    if (slot < 0 || slot >= kSlotCount || slot == m_activeSlot || !m_slots[slot]) return nullptr;
    auto tree = std::make_unique<YXMLItem>(SlotName(slot));
    CopyContent(*tree, *m_slots[slot], true);
    return tree;
}

void YQuenlorAudioEffectPlugin::LoadDefaultSettings() {
    YGuard("YQuenlorAudioEffectPlugin::LoadDefaultSettings", [&] {
        std::unique_ptr<YXMLItem> defaults = YGlobalConfiguration::Instance().DefaultSettings();
        if (!defaults) return;
        const YConfigurationLock locks(*this);
        YStorer storer{false, defaults.get()};
        try {
            Store(storer);
        } catch (...) {
            YGuard("YQuenlorAudioEffectPlugin::LoadDefaultSettings", [&] {
                AfterLoading(true);
                AfterStateReadLocked();
            });
            throw;
        }
        AfterStateReadLocked();
    });
}

void YQuenlorAudioEffectPlugin::SetDefaultSettingsToCurrent() {
    // The slots are left out: a new instance fills all eight from the defaults anyway.
    YXMLItem settings("Settings");
    {
        const YConfigurationLock locks(*this);
        StoreWithoutSlots(settings);
    }
    YGlobalConfiguration::Instance().SetDefaultSettings(settings);
}
