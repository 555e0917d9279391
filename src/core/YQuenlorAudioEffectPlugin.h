// YQuenlorAudioEffectPlugin: the product-line plug-in. On top of the effect frame it keeps the
// eight settings slots (A to H) with ABCD morphing between the first four, copies the settings
// to and from text, stores the whole instance as one XML tree (host state, default settings)
// and restores it, and is what the host adapters create.
#pragma once

#include "core/YAudioEffectPluginToAudioPluginAdapter.h"
#include "core/YSettingsMorph.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class YUserQuestions;
class YXMLItem;

class YQuenlorAudioEffectPlugin : public YAudioEffectPluginToAudioPluginAdapter {
public:
    static constexpr int32_t kSlotCount = 8;
    // Slots A to D are the corners of ABCD morphing.
    static constexpr int32_t kMorphCorners = YSettingsMorph::kCorners;
    // Host parameters "Morph X" and "Morph Y" follow every other host parameter.
    static constexpr int32_t kMorphParameterCount = 2;

    YQuenlorAudioEffectPlugin();
    ~YQuenlorAudioEffectPlugin() override;

    // Allocates a plug-in and initialises it with the effect behind function. Never raises:
    // answers null when the plug-in cannot be created (the reason went to the error report
    // when it was not a framework error). curves makes the multiparameters' target Shapes
    // (not owned; none: every Shape is the identity); activePresets reads the product's active
    // presets at initialisation (not owned; none: no active presets).
    static std::unique_ptr<YQuenlorAudioEffectPlugin> Create(const YString& name, const YString& vendor,
                                                            YAudioEffectPluginInterfaceFunction function,
                                                            int32_t editorWidth, int32_t editorHeight,
                                                            const YPositionCurveFactory* curves = nullptr,
                                                            const YActivePresetLoader* activePresets = nullptr) noexcept;

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
    // The locked part of a load, for a settings tree already parsed (presets): reads it under
    // the three locks, re-initialises what changed, updates the effect and tells the host a
    // new latency. Raises on a fault; what was read before it stays applied.
    void ApplySettings(YXMLItem& settings);

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
    // "A" ... "H".
    static YString SlotLetter(int32_t slot);

    // --- Slots (GUI side) ---
    // A slot holds the frame's and the effect's settings; up-sampling, its quality, AGC and the
    // morph position belong to the instance and stay when slots change.

    // Makes slot the active one: the live settings go into the slot that was active and the
    // chosen slot's settings apply. When ABCD morphing changed the settings while one of A to
    // D is active and confirmations are on, questions (when given) is asked whether E should
    // take the morphed settings; yes makes E the active slot first, so the corner is kept.
    // Raises "Index out of range." outside 0 ... 7; nothing changes then.
    void SelectSlot(int32_t slot, YUserQuestions* questions = nullptr);
    // Copies slot from into slot to (the active slot's settings are the live ones); a copy onto
    // the active slot applies at once. Raises "Index out of range." outside 0 ... 7.
    void CopySlot(int32_t from, int32_t to);

    // --- ABCD morphing ---

    // Moves the morph position (each coordinate limited to 0 ... 1) as the host parameters
    // would, then applies the nearest corner's effect extras (GUI side).
    void SetMorphPosition(double x, double y);
    double MorphX() const noexcept { return m_morphPosition[0].load(); }
    double MorphY() const noexcept { return m_morphPosition[1].load(); }
    // Whether a morph move changed the live settings since the last slot change or load.
    bool MorphChangedSettings() const noexcept { return m_morphEdited.load(); }
    // Host index of "Morph X" ("Morph Y" is the next); -1 before initialisation.
    int32_t MorphParameterIndex() const noexcept { return m_morphIndex; }
    // An automated move crosses into another corner's quadrant on any thread; the effect's
    // extras of that corner (LFO shape and curves, MIDI reset) follow here, on the GUI side.
    // True when it applied something. The move wakes the preset navigation, whose thread (or
    // the open editor's) calls it through RunDeferredWork.
    bool ApplyPendingMorphCorner();
    bool RunDeferredWork() override;

    // --- Copy and paste (GUI side) ---

    // The live settings as XML text (root "settings", attribute "product"), without the other
    // slots and without up-sampling, its quality, AGC and the morph position.
    YString CopySettingsText();
    // Applies text made by CopySettingsText to the live settings. Text that is not XML, has
    // another root, is cut short or belongs to another product raises with the reason and
    // changes nothing; questions (when given) is told the reason first.
    void PasteSettingsText(const YString& text, YUserQuestions* questions = nullptr);

private:
    class MorphAdapter;
    friend class MorphAdapter;

    // LoadState's work; raises on any fault.
    void ReadState(const void* data, size_t size);
    // Writes the state into item without the slot children (a slot's own tree).
    void StoreWithoutSlots(YXMLItem& item);

    // The morph position and whether morphing changed the settings, on the state's root.
    void StoreMorph(YStorer& storer);
    // The active corner as morphing found it, while morphing has changed it.
    void StoreMorphCorner(YStorer& storer);
    // Brings the active corner's kept tree up to the parameters the first morph move took in
    // (a move on the audio thread cannot write trees). The caller holds the three locks.
    void UpdateActiveCornerLocked();
    // Publishes "Morph X" and "Morph Y" after every other host parameter.
    void AddMorphParameters();
    // After a whole state was read: the morph follows the loaded slots and position. The
    // caller holds the three locks.
    void AfterStateReadLocked();
    // Reads a settings tree into the live settings: no slots, no instance-wide attributes.
    // The caller holds the three locks.
    void ApplySettingsLocked(YXMLItem& settings);
    // Writes the live settings as a slot holds them; the caller holds the three locks.
    std::unique_ptr<YXMLItem> LiveSettingsLocked();
    // Builds the corner table from slots A to D; the caller holds the three locks.
    void RebuildMorphLocked();
    // Mixes the corners at the position into the live parameters (any thread, parameter lock
    // held, never allocates).
    void ApplyMorph(double x, double y) noexcept;
    // The host moved coordinate axis (0 x, 1 y); silent moves come from a ramp.
    void MorphMoved(int32_t axis, double value, bool silent) noexcept;

    int32_t m_activeSlot = 0;
    std::unique_ptr<YXMLItem> m_slots[kSlotCount];
    bool m_skipSlots = false;
    bool m_settingsOnly = false;

    // ABCD morphing: the host's position, the one being played (differs while ramping), the
    // corner table, and the corner whose extras the live settings hold.
    std::atomic<double> m_morphPosition[2] = {0.0, 0.0};
    double m_morphPlaying[2] = {0.0, 0.0};
    bool m_morphHeld[2] = {false, false};
    std::atomic<bool> m_morphEdited{false};
    int32_t m_morphIndex = -1;
    YSettingsMorph m_morph;
    std::atomic<int32_t> m_morphCornerWanted{-1};
    int32_t m_morphCornerApplied = -1;
};
