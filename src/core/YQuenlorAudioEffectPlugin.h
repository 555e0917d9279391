// YQuenlorAudioEffectPlugin: the product-line plug-in. On top of the effect frame it keeps the
// eight settings slots, stores the whole instance as one XML tree (host state, default
// settings) and restores it, and is what the host adapters create.
#pragma once

#include "core/YAudioEffectPluginToAudioPluginAdapter.h"

#include <cstdint>
#include <memory>
#include <vector>

class YXMLItem;

class YQuenlorAudioEffectPlugin : public YAudioEffectPluginToAudioPluginAdapter {
public:
    static constexpr int32_t kSlotCount = 8;

    YQuenlorAudioEffectPlugin();
    ~YQuenlorAudioEffectPlugin() override;

    // Allocates a plug-in and initialises it with the effect behind function. Never raises:
    // answers null when the plug-in cannot be created (the reason went to the error report
    // when it was not a framework error). curves makes the multiparameters' target Shapes
    // (not owned; none: every Shape is the identity).
    static std::unique_ptr<YQuenlorAudioEffectPlugin> Create(const YString& name, const YString& vendor,
                                                            YAudioEffectPluginInterfaceFunction function,
                                                            int32_t editorWidth, int32_t editorHeight,
                                                            const YPositionCurveFactory* curves = nullptr) noexcept;

    // Creates the effect, publishes its parameters, applies the stored default settings and
    // fills the eight slots from the result. False when the effect could not be created.
    bool Initialize(const YString& name, const YString& vendor, YAudioEffectPluginInterfaceFunction function,
                    int32_t editorWidth, int32_t editorHeight);

    // The whole state: product attributes, the inactive slots, then the frame's state.
    void Store(YStorer& storer) override;

    // Root "settings", compact UTF-8 through zlib at level 9. False (bytes empty) on failure.
    bool SaveState(std::vector<uint8_t>& bytes) override;
    // Compressed or plain XML. Raises on a malformed state or one larger than the document
    // limit (nothing changes then; the reason goes to the error-report hook and to
    // StateRefusal); what was read before a later fault stays applied. Audio skips the
    // blocks while the load runs.
    bool LoadState(const void* data, size_t size) override;

    // Applies the default settings stored in the global configuration, when there are any. A
    // broken stored tree changes what it could be read for and nothing else; never raises.
    void LoadDefaultSettings();
    // The current settings become the stored defaults of every new instance. Raises when the
    // configuration file cannot be written (the defaults still apply in this process).
    void SetDefaultSettingsToCurrent();

    // Which slot the live settings belong to (0 ... 7).
    int32_t ActiveSlot() const noexcept { return m_activeSlot; }
    // A copy of a slot's stored tree (root named after the slot), or null for the active slot
    // and slots that hold nothing.
    std::unique_ptr<YXMLItem> SlotTree(int32_t slot) const;

private:
    // LoadState's work; raises on any fault.
    void ReadState(const void* data, size_t size);
    // Writes the state into item without the slot children (a slot's own tree).
    void StoreWithoutSlots(YXMLItem& item);

    int32_t m_activeSlot = 0;
    std::unique_ptr<YXMLItem> m_slots[kSlotCount];
    bool m_skipSlots = false;
};
