// YAudioEffectPluginToAudioPluginAdapter: turns one effect (reached through its C-callable
// interface function) into a YAudioPlugin. It publishes the effect's parameters to the host,
// re-initialises processing, converts channels for the channel modes around the block
// splitter, hands every sub-block to the effect (command 101), reports latency, meters the
// effect's channels and queues the preset triggers' steps for the GUI thread.
//
// Threads: the audio thread enters through YAudioPlugin::ProcessAudio, which holds the
// processing and parameter locks; every configuration change takes the processing lock, the
// editor lock and the parameter lock in this order (waiting), so a block that coincides with
// it is skipped rather than half-configured.
#pragma once

#include "core/YActivePresetCatalog.h"
#include "core/YAudioEffectPluginHost.h"
#include "core/YAudioPlugin.h"
#include "core/YEventTarget.h"
#include "core/YMIDIControllerMap.h"
#include "core/YMultiParameter.h"
#include "core/YParameterAccess.h"
#include "core/YParameterAdapters.h"
#include "core/YPresetNavigation.h"
#include "core/YStorer.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class YAudioEffectPluginToAudioPluginAdapter : public YEventTarget, public YAudioPlugin {
public:
    enum ChannelModeValue : int32_t {
        kModeLeftRight = 0,
        kModeLeft = 1,
        kModeRight = 2,
        kModeMono = 3,
        kModeStereo = 4,
        kModeMonoStereo = 5,
        kModeLeftRightNegative = 6,
        kModeSurround = 7,
    };
    static constexpr int32_t kChannelModeCount = 8;
    // Stored names and the descriptions shown to the user, in mode order.
    static const char* const kChannelModeNames[kChannelModeCount];
    static const char* const kChannelModeDescriptions[kChannelModeCount];

    static constexpr int32_t kMultiParameterCount = 4;
    static constexpr int32_t kControllerCount = 32;
    static constexpr int32_t kNoteControllerCount = 32;
    // A trigger fires when its value rises from below this to this or more.
    static constexpr double kTriggerThreshold = 2.0 / 3.0;
    // Version of the writer: major, minor, patch one byte each (7.10.0).
    static constexpr int32_t kCurrentVersion = 0x70A00;
    // What a state without "Version" was written by (5.3.0).
    static constexpr int32_t kLegacyVersion = 0x50300;
    static constexpr int32_t kPresetStepQueueSize = 16;
    // Sub-block length while interpolable parameters ramp to a new host value.
    static constexpr int32_t kDefaultInterpolationStep = 64;
    // Sub-block length during a multiparameter movement when no interpolation step is set.
    static constexpr int32_t kFineStepFallback = 32;

    // Setters of the configuration take the processing, editor and parameter locks (waiting),
    // so that neither the audio thread nor a re-initialisation sees half a change; changes of
    // the channel mode, surround switches, up-sampling and AGC apply with the next
    // InitProcessing.

    YAudioEffectPluginToAudioPluginAdapter();
    ~YAudioEffectPluginToAudioPluginAdapter() override;

    // Creates the effect through its interface function (commands 0, 2, 3, 7), publishes its
    // parameters and prepares processing. Raises "Error creating plugin." when the effect
    // cannot be created; the adapter then has no effect.
    void Initialize(const YString& name, const YString& vendor, YAudioEffectPluginInterfaceFunction function,
                    int32_t editorWidth, int32_t editorHeight);

    bool HasEffect() const noexcept { return m_host.HasEffect(); }
    YAudioEffectPlugin* Effect() const noexcept { return m_host.Effect(); }
    YAudioEffectPluginHost& EffectHost() noexcept { return m_host; }
    const YString& ProductName() const noexcept { return m_productName; }
    const YString& VendorName() const noexcept { return m_vendorName; }
    int32_t EditorWidth() const noexcept { return m_editorWidth; }
    int32_t EditorHeight() const noexcept { return m_editorHeight; }

    // --- YAudioPlugin ---

    void InitProcessing() override;
    // Effect latency / up-sampling factor + the up-sampler's own latency, at the host rate.
    int32_t GetLatency() override;
    bool FollowLatency() override;
    // The effect's tail at the host rate plus the latency; -1 when it never ends. Never waits
    // for the parameter lock: while another thread holds it, the last answer is given again.
    int32_t GetTailLength() override;
    bool AddsToOutput() override;
    bool NeedsSeparateInputs() override;
    // Ramped parameters were set silently: the effect recomputes what derives from them.
    void ParametersChanged() override;
    void Process(float** inputs, float** outputs, int32_t frames) override;
    void ProcessUpdate() override;
    void PrepareForProcessingOnce(float** inputs, float** outputs, int32_t frames) override;
    void ProcessSubBlocks(float** inputs, float** outputs, int32_t frames) override;

    // --- Channel modes ---

    // The configured mode; processing follows it from the next InitProcessing. Values outside
    // 0 ... 7 are refused (false).
    bool SetConfiguredChannelMode(int32_t mode);
    int32_t ConfiguredChannelMode() const noexcept { return m_configuredMode; }
    // Surround channels the effect processes (bit c = channel c).
    void SetSurroundChannelMask(uint8_t mask);
    uint8_t SurroundChannelMask() const noexcept { return m_surroundMask; }
    // What the running processing uses: channels the effect gets and its mode.
    int32_t EffectChannelCount() const noexcept { return m_effectChannels; }
    // The meters label their channels mid and side in modes 3, 4 and 5.
    bool IsMidSideMode() const noexcept;
    // Mode index for a stored name; -1 when the name is none of them.
    static int32_t ChannelModeFromName(const YString& name) noexcept;

    // --- Up-sampling, AGC, panic ---

    // Takes the three locks, sets factor and quality and re-initialises processing when either
    // changes; reports the new latency to the host. False for a factor other than 1, 2, 4, 8, 16.
    bool SetUpsamplingFactor(int32_t factor, bool highQuality);
    // The stored setting: 0 off, 1 ... 4 for factors 2, 4, 8, 16.
    int32_t UpsamplingMode() const noexcept { return m_upsamplingMode; }
    void SetUpsamplingMode(int32_t mode);
    bool HighQualityUpsamplingSetting() const noexcept { return m_highQualitySetting; }
    void SetHighQualityUpsamplingSetting(bool on);
    // Applies the up-sampling settings.
    void UpdateUpsamplingFactor();
    int32_t AGCMode() const noexcept { return m_agcMode; }
    void SetAGCMode(int32_t mode);
    // Handlers of the settings window.
    void OnAGCChange();
    void OnUpsamplingChange();
    // The editor's "!" button: clears every processing state and tells the host the latency.
    void Panic();

    // --- Preset triggers ---

    // The two trigger records ("Preset trigger - previous", "Preset trigger - next").
    PluginParameter& PresetTrigger(int32_t which) noexcept { return m_triggers[which & 1]; }
    // 1: after each block the previous value takes the current one.
    void SetTriggerUpdateMode(int32_t which, int32_t mode);
    // A trigger counts each rise through the threshold where the host sets it, without locks,
    // and the next block that runs queues one step per rise: a rise that arrives while a
    // preset load holds the locks (the audio thread skips those blocks) is not lost.
    void NoteIncomingValue(int32_t index, double normalized) noexcept override;
    // Takes the oldest queued step (-1 previous, +1 next) for the GUI thread; false when none.
    // One consumer at a time.
    bool TakePresetStep(int32_t& step) noexcept;
    // Who carries the queued steps out (owned; woken from the audio thread when a block queued
    // steps). Set it before processing starts; the product class releases it first thing in
    // its destructor, so that no step runs on a plug-in that is half gone.
    void SetPresetNavigation(std::unique_ptr<YPresetNavigation> navigation) noexcept;
    YPresetNavigation* PresetNavigation() const noexcept { return m_presetNavigation.get(); }
    // GUI-side work an automated change left behind (a morph's corner extras); whoever runs
    // the queued preset steps runs this after them. Answers whether there was any. Never on
    // the audio thread.
    virtual bool RunDeferredWork();
    // Stops and destroys the navigation object, if any.
    void ReleasePresetNavigation() noexcept;

    // --- Level meters (audio thread writes, editor reads) ---

    // The meters are fed only while on (the editor switches them).
    void SetMetersActive(bool on) noexcept { m_metersActive.store(on, std::memory_order_relaxed); }
    bool MetersActive() const noexcept { return m_metersActive.load(std::memory_order_relaxed); }
    // Highest magnitude of the effect's channel since the last call; the meter restarts at 0.
    float TakeInputPeak(int32_t channel) noexcept;
    float TakeOutputPeak(int32_t channel) noexcept;

    // --- State ---

    // The adapter's attributes and children, then the settings (parameters, effect extras,
    // controllers, multiparameters, active presets). Reading holds the processing, editor and
    // parameter locks and ends by updating the effect.
    virtual void Store(YStorer& storer);
    // Effect parameters and the standard settings.
    void StoreSettings(YStorer& storer);
    void StoreStandardSettings(YStorer& storer);
    void StoreControllers(YStorer& storer);
    void StoreMultiParameters(YStorer& storer);
    void StoreActivePresets(YStorer& storer);

    int32_t Version() const noexcept { return m_version; }
    bool ControllersEnabled() const noexcept { return m_midiMap.ControllersEnabled; }
    void SetControllersEnabled(bool on);
    bool NoteControllersEnabled() const noexcept { return m_midiMap.NoteControllersEnabled; }
    void SetNoteControllersEnabled(bool on);
    // Edits of these records take the parameter lock; after changing a parameter name call
    // ResolveControls. Numbers outside the tables raise "Index out of range.".
    YMultiParameter& MultiParameter(int32_t number);
    YMIDIControllerAssignment& Controller(int32_t number);
    YMIDINoteController& NoteController(int32_t number);
    YMIDIPresetSwitchController& PreviousNextPresetController() noexcept { return m_midiMap.PresetSwitch; }
    YMIDIControllerMap& MIDIControllers() noexcept { return m_midiMap; }

    // --- Multiparameters and MIDI control ---

    // Where target Shapes come from (not owned): the layer that knows the curves sets it
    // before the first load. Without one every Shape is the identity.
    void SetPositionCurveFactory(const YPositionCurveFactory* curves) noexcept;
    // Moves a multiparameter as its host parameter would (GUI side).
    void SetMultiParameterValue(int32_t number, double value);
    // Finds every target's and slot's parameter by name again.
    void ResolveControls();
    // Controller messages seen while the map learns, for the GUI side (oldest first).
    bool TakeMIDILearned(YMIDIControllerMap::Learned& learned) noexcept { return m_midiMap.TakeLearned(learned); }
    // Set on the processing thread when a learned message was queued; the GUI side clears it.
    bool TakeMIDILearnNotification() noexcept { return m_midiLearnNotified.exchange(false); }
    // A parameter the user moved on the GUI side: multiparameters that learn record it.
    void UserMovedParameter(int32_t index, double before, double after);
    // MIDI events for the controllers that a full queue had to drop.
    uint32_t DroppedMIDIControlEvents() const noexcept { return m_controlEvents.Dropped(); }
    // The host-parameter space as the control models see it.
    YParameterLookup& ParameterLookup() noexcept { return m_parameterAccess; }
    YParameterSetter& ParameterSetter() noexcept { return m_parameterAccess; }
    // Which preset of the preset tree (counted in tree order) the settings came from; stored
    // with the state. Written by the preset manager under the parameter lock.
    int32_t CurrentPresetIndex() const noexcept { return m_currentPresetIndex; }
    void SetCurrentPresetIndex(int32_t index) noexcept { m_currentPresetIndex = index; }
    bool SincInterpolation() const noexcept { return m_frameSettings.Sinc != 0; }
    void SetSincInterpolation(bool on);
    bool ActivePresetEdit() const noexcept { return m_activePresetEdit; }
    int32_t CurrentActivePreset() const noexcept { return m_currentActivePreset; }
    // The active-preset editor: which active preset is in use and whether it edits it.
    void SetActivePresetEdit(bool edit) noexcept { m_activePresetEdit = edit; }
    void SetCurrentActivePreset(int32_t index) noexcept { m_currentActivePreset = index; }

    // --- Active presets ---

    // Where the product's active presets come from (not owned): the layer that creates the
    // plug-in sets it before Initialize, which reads them. Without one there are none.
    void SetActivePresetLoader(const YActivePresetLoader* loader) noexcept { m_activePresetLoader = loader; }
    // Reads the active presets through the loader (GUI side). A file that cannot be read is
    // reported through the error-report hook and the plug-in goes on without active presets;
    // never raises.
    void LoadActivePresets() noexcept;
    // What the last LoadActivePresets found; null when there are none.
    const YActivePresetCatalog* ActivePresets() const noexcept { return m_activePresets.get(); }

protected:
    // Any thread, without waiting: wakes whoever runs the queued steps and deferred work.
    void WakePresetNavigation() noexcept;
    // After a state was read: re-initialise what changed and update the effect. The caller
    // holds the three locks.
    void AfterLoading(bool reinitialise);
    // The configuration processing was last initialised with, to see whether a load changed it.
    struct ProcessingConfiguration {
        int32_t Mode = 0;
        uint8_t SurroundMask = 0xFF;
        int32_t Upsampling = 0;
        bool HighQuality = true;
        int32_t AGC = 0;
        bool operator==(const ProcessingConfiguration&) const = default;
    };
    ProcessingConfiguration CurrentConfiguration() const noexcept;
    // Reads only the children the effect stores of its own (the LFO shape, MIDI reset ...) from
    // source and updates the effect; its parameters and the frame's settings stay as they are.
    // The caller holds the three locks.
    void ReadEffectExtras(const YXMLItem& source);

private:
    // A ring that delays a channel by the effect's latency (channels the effect skips).
    class LatencyLine {
    public:
        void Configure(int32_t delay);
        void Clear() noexcept;
        // in and out may be the same buffer.
        void Process(const float* in, float* out, int32_t frames) noexcept;
        int32_t Delay() const noexcept { return m_delay; }

    private:
        std::vector<float> m_buffer;
        uint32_t m_mask = 0;
        uint32_t m_write = 0;
        int32_t m_delay = 0;
    };

    // Forwards the MIDI the core decodes to the effect (commands 11 and 12).
    class MIDIForwarder : public YMIDIProcessorBase {
    public:
        explicit MIDIForwarder(YAudioEffectPluginToAudioPluginAdapter& owner) noexcept : m_owner(owner) {}
        void OnNote(int32_t channel, int32_t note, double velocity, bool on, int32_t heldNotes) override;
        void OnController(int32_t channel, int32_t controller, double value) override;
        void OnPitchBend(int32_t channel, double value) override;
        void OnChannelAftertouch(int32_t channel, double value) override;
        void OnPolyAftertouch(int32_t channel, int32_t note, double value) override;
        void OnProgramChange(int32_t channel, int32_t program) override;
        void OnAllNotesOff(int32_t channel) override;
        void OnAllSoundOff(int32_t channel) override;
        void OnRawEvent(int32_t channel, int32_t status, int32_t data1, int32_t data2) override;

    private:
        void Send(int32_t kind, int32_t channel, int32_t number, double value);
        YAudioEffectPluginToAudioPluginAdapter& m_owner;
    };

    // The effect's requests to its holder.
    class RequestListener : public YAudioEffectPluginHost::Listener {
    public:
        explicit RequestListener(YAudioEffectPluginToAudioPluginAdapter& owner) noexcept : m_owner(owner) {}
        int64_t OnEffectRequest(int32_t request, int64_t value) override;

    private:
        YAudioEffectPluginToAudioPluginAdapter& m_owner;
    };

    // Names, texts and writes of the host parameters for the control models. Writes are
    // guarded: a failure drops the write.
    class ParameterAccess : public YParameterLookup, public YParameterSetter {
    public:
        explicit ParameterAccess(YAudioEffectPluginToAudioPluginAdapter& owner) noexcept : m_owner(owner) {}
        int32_t FindParameter(const YString& name) const override;
        YString ParameterName(int32_t index) const override;
        YString ParameterValueText(int32_t index) const override;
        double ParameterValue(int32_t index) const override;
        void SetParameter(int32_t index, double value) noexcept override;
        void SetParameterAutomated(int32_t index, double value) noexcept override;

    private:
        YAudioEffectPluginToAudioPluginAdapter& m_owner;
    };

    // MIDI for the controller map: kept from its arrival until the start of the next block,
    // where the processing and parameter locks are held, so applying it never waits.
    struct ControlEvent {
        int8_t Kind = 0;
        int8_t Channel = 0;
        int16_t Number = 0;
        int16_t HeldNotes = 0;
        bool On = false;
        double Value = 0.0;
    };
    static constexpr uint32_t kControlEventQueueSize = 512;
    class MIDIControlRelay : public YMIDIProcessorBase {
    public:
        explicit MIDIControlRelay(YAudioEffectPluginToAudioPluginAdapter& owner) noexcept : m_owner(owner) {}
        void OnNote(int32_t channel, int32_t note, double velocity, bool on, int32_t heldNotes) override;
        void OnController(int32_t channel, int32_t controller, double value) override;
        void OnPitchBend(int32_t channel, double value) override;
        void OnChannelAftertouch(int32_t channel, double value) override;

    private:
        YAudioEffectPluginToAudioPluginAdapter& m_owner;
    };
    class LearnNotifier : public YMIDIControllerMap::LearnListener {
    public:
        explicit LearnNotifier(YAudioEffectPluginToAudioPluginAdapter& owner) noexcept : m_owner(owner) {}
        void OnMIDILearnQueued() noexcept override;

    private:
        YAudioEffectPluginToAudioPluginAdapter& m_owner;
    };
    // Block start: the queued MIDI reaches the controller map.
    void ApplyMIDIControl() noexcept;

    // The four multiparameters as host parameters, one local index each.
    class MultiParameterAdapter : public YAudioPluginAutomationAdapter {
    public:
        explicit MultiParameterAdapter(YAudioEffectPluginToAudioPluginAdapter& owner) noexcept : m_owner(owner) {
            SetIndexCount(kMultiParameterCount);
        }
        void SetParameter(int32_t local, double normalized, bool silent) override;
        double GetParameter(int32_t local) override;
        void GetParameterName(YString& out, int32_t local) override;
        void GetParameterShortName(YString& out, int32_t local) override;
        void GetParameterFullLabel(YString& out, int32_t local) override;
        void GetParameterValueName(YString& out, int32_t local) override;
        void GetParameterValueNameFrom01(YString& out, int32_t local, double normalized) override;
        double ParseParameterValueName(int32_t local, const YString& text) override;
        double GetParameterDefaultValue(int32_t local) override;

    private:
        YMultiParameter* Find(int32_t local) const noexcept;
        YAudioEffectPluginToAudioPluginAdapter& m_owner;
    };

    void CreateParameterAdapters();
    // The multiparameters and the two preset triggers, after the effect's parameters.
    void CreateControlAdapters();
    void InitProcessingLocked();
    int32_t EffectLatency();
    // Channel conversion before the effect; fills the effect's pointer arrays.
    void PreProcessChannels(float** inputs, float** outputs, int32_t frames, bool hasInputs);
    // The sub-block cap while a multiparameter moves, 0 when none does.
    int32_t FineStepLength() const noexcept;
    // Reports the latency to the host and remembers what it was told.
    void TellLatency();
    void PostProcessChannels(float** inputs, float** outputs, int32_t frames);
    void CombineDry(float** inputs, float** outputs, int32_t frames);
    static void FeedPeaks(std::atomic<float>* peaks, float* const* channels, int32_t count, int32_t frames) noexcept;
    void PushPresetStep(int32_t step) noexcept;

    // Hears host writes to a trigger record (under the parameter lock) and counts its rises.
    class TriggerOwner : public YParameterOwner {
    public:
        TriggerOwner(YAudioEffectPluginToAudioPluginAdapter& owner, int32_t which) : m_owner(owner), m_which(which) {}
        void ParameterChanged(int32_t index) override;
        void SetNeedsUpdate() override {}

    private:
        YAudioEffectPluginToAudioPluginAdapter& m_owner;
        int32_t m_which;
    };
    void NoteTriggerValue(int32_t which, double value) noexcept;

    YAudioEffectPluginHost m_host;
    RequestListener m_requestListener;
    MIDIForwarder m_midiForwarder;
    YEffectFrameSettings m_frameSettings;
    YString m_productName;
    YString m_vendorName;
    int32_t m_editorWidth = 0;
    int32_t m_editorHeight = 0;

    // Configuration (changed under the three locks).
    int32_t m_configuredMode = kModeLeftRight;
    uint8_t m_surroundMask = 0xFF;
    int32_t m_upsamplingMode = 0;
    bool m_highQualitySetting = true;
    int32_t m_agcMode = 0;

    // What InitProcessing worked out for the audio thread.
    int32_t m_activeMode = kModeLeftRight;
    int32_t m_busChannels = 2;       // channels per bus the conversions see
    int32_t m_effectChannels = 2;    // channels the effect processes
    uint8_t m_processedMask = 0x03;  // bus channels the effect writes (modes 0, 5, 6, 7)
    bool m_conversionActive = false; // modes 1 ... 6 on a two-channel bus
    bool m_compacted = false;        // surround with channels left out
    int8_t m_compactMap[kMaxChannelsPerBus] = {};
    LatencyLine m_lines[kMaxChannelsPerBus];

    ProcessingConfiguration m_initialised; // what the last InitProcessing saw
    // The effect latency the lines were sized for; read by FollowLatency without the locks.
    std::atomic<int32_t> m_configuredLatency{0};
    // The latency the host last heard of (-1 before processing was first set up).
    std::atomic<int32_t> m_toldLatency{-1};
    // What GetTailLength answered last: its answer while another thread holds the parameter lock.
    std::atomic<int32_t> m_lastTail{0};

    // The block's pointer arrays as the effect sees them, and bus 0 as the block gave it.
    float* m_effectInputs[kMaxSlots] = {};
    float* m_effectOutputs[kMaxSlots] = {};
    float* m_blockInputs[kMaxChannelsPerBus] = {};
    float* m_blockOutputs[kMaxChannelsPerBus] = {};
    bool m_blockConverted = false;

    // Preset triggers.
    PluginParameter m_triggers[2];
    double m_triggerPrevious[2] = {0.0, 0.0};
    int32_t m_triggerUpdateMode[2] = {1, 1};
    TriggerOwner m_triggerOwners[2] = {{*this, 0}, {*this, 1}};
    int32_t m_triggerIndex[2] = {-1, -1}; // host indices, fixed at initialisation
    // Where the host last set each trigger and how often it rose through the threshold; the
    // audio thread takes the rises it has not queued yet.
    std::atomic<double> m_triggerNoted[2] = {0.0, 0.0};
    std::atomic<uint32_t> m_triggerRises[2] = {0u, 0u};
    uint32_t m_triggerRisesTaken[2] = {0u, 0u};
    int8_t m_presetSteps[kPresetStepQueueSize] = {};
    std::atomic<uint32_t> m_presetStepHead{0}; // next to take (GUI thread)
    std::atomic<uint32_t> m_presetStepTail{0}; // next to fill (audio thread)
    std::unique_ptr<YPresetNavigation> m_presetNavigation;
    // The same object for the audio thread's wake-up.
    std::atomic<YPresetNavigation*> m_presetNavigationSignal{nullptr};

    // Meters.
    std::atomic<bool> m_metersActive{false};
    std::atomic<float> m_inputPeaks[kMaxChannelsPerBus];
    std::atomic<float> m_outputPeaks[kMaxChannelsPerBus];

    // Stored settings.
    int32_t m_version = kCurrentVersion;
    ParameterAccess m_parameterAccess{*this};
    MIDIControlRelay m_midiControlRelay{*this};
    LearnNotifier m_learnNotifier{*this};
    YSPSCQueue<ControlEvent, kControlEventQueueSize> m_controlEvents;
    std::atomic<bool> m_midiLearnNotified{false};
    // Host indices from here on belong to the frame's own controls, which drive nothing else.
    int32_t m_firstControlIndex = 0;
    std::array<YMultiParameter, kMultiParameterCount> m_multiParameters;
    YMIDIControllerMap m_midiMap;
    int32_t m_currentPresetIndex = 0;
    bool m_activePresetEdit = false;
    int32_t m_currentActivePreset = 0;
    const YActivePresetLoader* m_activePresetLoader = nullptr;
    std::unique_ptr<YActivePresetCatalog> m_activePresets;
};
