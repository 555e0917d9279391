// YAudioPlugin: the host-neutral plug-in. Host adapters translate every host call into a call
// here; the effect adapter derives from it and fills in processing, state and editor.
//
// It owns what every plug-in needs regardless of host: the flat host-parameter index space
// built from automation adapters, parameter interpolation across a block, the bus layout,
// the processing entry with its locks, the link back to the host and the requests that keep
// the editor up to date.
//
// Channel-pointer arrays: every array handed to the processing operations has eight slots
// per bus (kMaxChannelsPerBus), main bus first, side chain second, for every bus the plug-in
// reports; inside the plug-in the arrays always have kMaxSlots entries.
#pragma once

#include "core/YAudioPluginAdapter.h"
#include "core/YAudioPluginAutomationAdapter.h"
#include "core/YBypassDelayLine.h"
#include "core/YGainMeter.h"
#include "core/YMIDIProcessor.h"
#include "core/YParameterIndexSpace.h"
#include "core/YParameterInterpolation.h"
#include "core/YProcessingContext.h"
#include "core/YUpsamplingStage.h"
#include "foundation/YString.h"
#include "platform/YSynchronizer.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class YAudioPlugin;

// The GUI context's event queue as the plug-in sees it. Posting may happen on any thread; the
// request runs later on the GUI thread, which calls YAudioPlugin::HandleEditorUpdateRequest.
class YGUIRequestQueue {
public:
    virtual ~YGUIRequestQueue() = default;
    virtual void PostEditorUpdateRequest(YAudioPlugin& plugin) = 0;
};

class YAudioPlugin : public YMIDIProcessor {
public:
    using AutomationAdapter = YAudioPluginAutomationAdapter;
    class AutomationUpdateRequestThread;

    static constexpr int32_t kMaxChannelsPerBus = 8;
    static constexpr int32_t kMaxBuses = 2;
    static constexpr int32_t kMaxSlots = kMaxChannelsPerBus * kMaxBuses;
    // Longest block the processing entry accepts.
    static constexpr int32_t kMaxFrames = 1 << 20;
    // Internal buffers never grow beyond this; longer host blocks are processed in pieces.
    static constexpr int32_t kMaxChunkFrames = 8192;
    static constexpr int32_t kDefaultBlockCapacity = 2048;
    static constexpr int32_t kDefaultSubBlockLength = 256;
    // Added to every input sample so that silence decays into zeros rather than denormals.
    static constexpr float kDenormalGuard = 1e-15f;
    // A change smaller than this is applied without a ramp.
    static constexpr double kInterpolationThreshold = YParameterInterpolation::kThreshold;
    // Milliseconds between two looks at the editor-update list.
    static constexpr uint32_t kAutomationUpdatePeriodMs = 100;

    YAudioPlugin();
    ~YAudioPlugin() override;
    YAudioPlugin(const YAudioPlugin&) = delete;
    YAudioPlugin& operator=(const YAudioPlugin&) = delete;

    // --- Link to the host ---

    // Set by the host adapter once it is built; not owned.
    void SetHostAdapter(YAudioPluginAdapter* adapter) noexcept { m_hostAdapter.store(adapter); }
    YAudioPluginAdapter* HostAdapter() const noexcept { return m_hostAdapter.load(); }
    // Automation out: sends a host index and a normalised value to the host.
    virtual void AutomateParameter(int32_t hostIndex, double value);
    // Queues one MIDI message for output through the host.
    virtual void GenerateMIDIEvent(int32_t deltaFrames, const uint8_t bytes[4]);
    // Tells the host that the latency changed.
    void ReportLatency();

    // --- MIDI entries (host audio thread) ---

    // One event from the host: delta frames and four MIDI bytes.
    void ProcessMIDIEvent(int32_t deltaFrames, const uint8_t bytes[4]);
    // A note the host delivers already decoded (velocity 0 ... 1).
    void ProcessNote(int32_t channel, int32_t note, double velocity, bool on, int32_t deltaFrames = 0);

    // --- Host parameters ---
    // Each entry finds the adapter for the host index and asks it with the local index; bad
    // indices and failures give the neutral answer (nothing done, 0, empty text).

    virtual int32_t GetParameterCount();
    // Raised after interpolation steps changed parameters silently.
    virtual void ParametersChanged();
    virtual void SetParameter(int32_t index, double value, int32_t source = 0);
    // Writes only when the value differs from the current one by more than 1e-7.
    virtual void SetParameterIfChanged(int32_t index, double value, int32_t source = 0);
    // A host value on its way to the parameter at index, told before any lock is tried (every
    // point of a block's changes, in order). Any thread; must not wait or allocate. Parameters
    // whose every movement matters, not only where they end, listen here.
    virtual void NoteIncomingValue(int32_t index, double normalized) noexcept;
    // Writes and lets the host record the change as automation (MIDI control, multiparameters).
    void SetParameterAutomated(int32_t index, double value);
    virtual double GetParameter(int32_t index);
    virtual YString GetParameterName(int32_t index);
    // The full label; the name when the adapter has none.
    virtual YString GetParameterID(int32_t index);
    virtual YString GetParameterText(int32_t index);
    virtual YString GetParameterValueName(int32_t index);
    virtual YString GetParameterValueNameFrom01(int32_t index, double value);
    virtual double ParseParameterValueName(int32_t index, const YString& text);
    virtual YString GetParameterUnitsName(int32_t index);
    virtual int32_t GetParameterType(int32_t index);
    virtual double GetParameterDefaultValue(int32_t index);

    // --- The host-parameter index space ---

    // Takes ownership and places the adapter right after the last index in use.
    AutomationAdapter& AddAutomationAdapter(std::unique_ptr<AutomationAdapter> adapter);
    // Places the adapter at firstIndex; raises "Index out of range." when its indices would
    // overlap another adapter's, for a negative index or a width below 1.
    AutomationAdapter& AddAutomationAdapterAt(std::unique_ptr<AutomationAdapter> adapter, int32_t firstIndex);
    void RemoveAllAutomationAdapters();
    int32_t AutomationAdapterCount() const noexcept { return m_indexSpace.Count(); }
    // Adapters in index order; null outside the table.
    AutomationAdapter* GetAutomationAdapter(int32_t number) const noexcept;
    // Binary search: the adapter with the largest first index not above hostIndex; the first
    // adapter below its range, the last at and beyond its first index; -1 without adapters.
    int32_t FindAutomationAdapterNumber(int32_t hostIndex) const noexcept;
    // The adapter that covers hostIndex and the local index there; raises "Index out of range."
    // when no adapter covers it.
    AutomationAdapter& FindAutomationAdapter(int32_t hostIndex, int32_t& local) const;

    // --- Interpolation of parameters across a block ---

    // Starts ramps for parameters that moved since the last block; true when any ramp runs.
    bool InterpolationPrepare(int32_t frames);
    // Advances the ramps after a sub-block of frames samples.
    void InterpolationProcess(int32_t frames);
    // Ends the ramps at their targets.
    void InterpolationFinish();
    // Takes the current values as the starting point without ramping (a block ran without
    // interpolation, so the effect already uses them).
    void InterpolationSync();
    // The next block starts from the values it finds instead of ramping.
    void ResetInterpolation() noexcept { m_interpolation.Reset(); }

    // --- Editor updates ---

    // Marks the adapter's controls for a refresh; an adapter is listed once however often it
    // is marked. Safe on the audio thread (no lock, no allocation).
    void NeedUpdateEditor(AutomationAdapter* adapter);
    int32_t PendingEditorUpdates() const noexcept { return m_pendingEditorUpdates.load(); }
    // Moves up to capacity marked adapters into out; returns how many.
    int32_t TakeEditorUpdates(AutomationAdapter** out, int32_t capacity);
    // On the GUI thread, for a posted request: refreshes every marked adapter's controls.
    void HandleEditorUpdateRequest();
    // Where update requests are posted; null while no GUI context exists. Not owned: once this
    // returns, the previous queue is not called any more (a post in progress is waited for).
    void SetGUIRequestQueue(YGUIRequestQueue* queue);

    // --- Editor state ---

    YLock& EditorLock() noexcept { return m_editorLock; }
    bool EditorExists() const noexcept { return m_editorExists.load(); }
    void SetEditorExists(bool exists) noexcept { m_editorExists.store(exists); }
    bool IsEditorOpen() const noexcept { return m_editorOpen.load(); }
    // The host shows or hides the editor.
    virtual void SetEditorOpen(bool open);

    // --- Host sync, sample rate and layout ---

    YProcessingContext& HostSync() noexcept { return m_hostSync; }
    const YProcessingContext& HostSync() const noexcept { return m_hostSync; }
    // False (nothing changes) for a rate that is not finite and positive.
    bool SetSampleRate(double sampleRate);
    double SampleRate() const noexcept { return m_hostSync.SampleRate; }
    // Totals over all buses, 0 ... kMaxSlots each; false (nothing changes) otherwise.
    bool SetChannelCounts(int32_t inputs, int32_t outputs);
    int32_t InputChannelCount() const noexcept { return m_inputChannels; }
    int32_t OutputChannelCount() const noexcept { return m_outputChannels; }
    // 1 ... kMaxChannelsPerBus.
    bool SetChannelsPerBus(int32_t channels);
    int32_t ChannelsPerBus() const noexcept { return m_channelsPerBus; }
    // -1 (channels per bus applies) or 1 ... kMaxChannelsPerBus.
    bool SetPreferredChannelsPerBus(int32_t channels);
    // 1 ... kMaxChannelsPerBus each.
    bool SetMaxChannelsPerBus(int32_t inputs, int32_t outputs);
    // Longest block the host announces; the internal buffers are sized from it (never on the
    // audio thread). False for 0 or more than kMaxFrames.
    bool SetMaximumBlockSize(int32_t frames);
    // Frames the internal buffers hold; longer blocks are processed in pieces of this length.
    int32_t BlockCapacity() const noexcept { return m_capacity; }

    const YString& PinName(bool input, int32_t channel) const noexcept;
    void SetPinName(bool input, int32_t channel, const YString& name);

    // Channels the host sees per input bus (0 without inputs).
    virtual int32_t GetInputChannelsPerBus();
    // Channels the plug-in processes per input bus.
    virtual int32_t GetProcessingInputChannelsPerBus();
    virtual int32_t GetOutputChannelsPerBus();
    virtual int32_t GetInputBusCount();
    virtual int32_t GetOutputBusCount();

    bool AcceptsMIDI() const noexcept { return m_acceptsMIDI; }
    void SetAcceptsMIDI(bool on) noexcept { m_acceptsMIDI = on; }
    bool ProducesMIDI() const noexcept { return m_producesMIDI; }
    void SetProducesMIDI(bool on) noexcept { m_producesMIDI = on; }
    bool UsesHostTime() const noexcept { return m_usesHostTime; }
    void SetUsesHostTime(bool on) noexcept { m_usesHostTime = on; }

    // --- Processing configuration ---

    bool IsBypassed() const noexcept { return m_bypassed.load(); }
    // notifyHost: the change came from the plug-in, so the host must hear of it.
    void SetBypass(bool on, bool notifyHost = false);
    int32_t MaxSubBlockLength() const noexcept { return m_maxSubBlockLength; }
    void SetMaxSubBlockLength(int32_t frames) noexcept { m_maxSubBlockLength = frames; }
    // Sub-block length while parameters are ramped; 0 or less switches ramps off.
    int32_t InterpolationStep() const noexcept { return m_interpolationStep; }
    void SetInterpolationStep(int32_t frames) noexcept { m_interpolationStep = frames; }
    int32_t UpsamplingFactor() const noexcept { return m_upsamplingFactor; }
    bool HighQualityUpsampling() const noexcept { return m_highQualityUpsampling; }
    // Factor 1 (off), 2, 4, 8 or 16; false (nothing changes) for any other factor. The caller
    // re-initialises processing afterwards, holding the three locks.
    bool SetUpsampling(int32_t factor, bool highQuality) noexcept;
    // Host-rate samples the up-sampler's filters add to the latency: 0 without up-sampling,
    // else 1536 (6144 in high quality) up-sampled samples divided by the factor.
    int32_t UpsamplingLatency() const noexcept;
    // Whether blocks run up-sampled: the factor is 2 or more and processing was re-initialised
    // since it was set.
    bool UpsamplingActive() const noexcept { return m_upsampling.Factor() >= 2; }
    int32_t ChannelMode() const noexcept { return m_channelMode; }
    void SetChannelMode(int32_t mode) noexcept { m_channelMode = mode; }
    bool AutomaticGainMeasurement() const noexcept { return m_automaticGainMeasurement; }
    // Switching the measurement on starts a new one.
    void SetAutomaticGainMeasurement(bool on) noexcept {
        if (on && !m_automaticGainMeasurement) m_gainMeter.Reset();
        m_automaticGainMeasurement = on;
    }
    // The measurement the processing entry feeds while automatic gain measurement is on; its
    // Gain() is the output gain that makes the output as loud as the input (any thread).
    YGainMeter& GainMeter() noexcept { return m_gainMeter; }
    const YGainMeter& GainMeter() const noexcept { return m_gainMeter; }
    // Delay of the bypassed signal, in samples.
    int32_t BypassDelay() const noexcept { return m_bypassDelay; }

    // Order: processing lock, editor lock, parameter lock.
    YLock& ProcessingLock() noexcept { return m_processingLock; }
    YLock& ParameterLock() noexcept { return m_parameterLock; }

    // --- Processing (host audio thread) ---

    // One host block. Skipped when another thread holds the processing lock: a replacing call
    // then passes the inputs through unchanged, an accumulating call adds nothing. Runs with
    // denormals flushed and gives the caller its floating-point mode back.
    void ProcessAudio(float** inputs, float** outputs, int32_t frames, bool replacing);

    // Completes a channel-pointer array before processing: missing channels get scratch
    // buffers (silence for inputs, a discard buffer for outputs) or the channel before them; a
    // mono input bus on a two-channel plug-in feeds both channels. False (nothing changes)
    // when frames exceed BlockCapacity().
    bool FixAudioBuffers(float** buffers, int32_t hostChannelsPerBus, int32_t buses, bool isInput,
                         int32_t frames);

    // --- Operations derived plug-ins fill in ---

    // Re-initialises processing after a change of sample rate, layout or activation.
    virtual void InitProcessing();
    virtual int32_t GetLatency();
    // GUI side: when the delay the plug-in needs differs from the one processing was set up
    // for (a parameter changed it), resizes its own latency delays and tells the host. Returns
    // whether it did; the host then reads the latency and the tail again.
    virtual bool FollowLatency();
    // Host samples the output keeps sounding after the input falls silent; -1 for never.
    virtual int32_t GetTailLength();
    // The effect adds into its outputs instead of replacing them.
    virtual bool AddsToOutput();
    // The effect needs inputs that are not its output buffers.
    virtual bool NeedsSeparateInputs();
    // Negative: no clipping.
    virtual double GetOutputClipLevel();
    // Per-channel hook for channels the effect did not process.
    virtual void PostProcessChannel(float* channel, int32_t frames, int32_t channelIndex);
    // One sub-block; the base passes the inputs through.
    virtual void Process(float** inputs, float** outputs, int32_t frames);
    // GUI-thread update from the editor idle.
    virtual void ProcessUpdate();
    // Before each block: derive the sub-block length and interpolation step.
    virtual void PrepareBlock(float** inputs, float** outputs, int32_t frames, bool replacing);
    virtual void AfterBlock(float** inputs, float** outputs, int32_t frames);
    // The first step of every block.
    virtual void PrepareForProcessingOnce(float** inputs, float** outputs, int32_t frames);
    // The block splitter: sub-blocks with interpolated parameters and advancing song position.
    virtual void ProcessSubBlocks(float** inputs, float** outputs, int32_t frames);
    // Feeds the automatic gain measurement (input or output side).
    virtual void MeasureGain(bool output, float** buffers, int32_t buses, int32_t channelsPerBus,
                             int32_t frames);
    // Refreshes the editor controls of one adapter (GUI thread).
    virtual void UpdateEditorControls(AutomationAdapter& adapter);

    // --- State and editor (the effect adapter fills these in) ---

    // The whole instance as the bytes a host stores (compressed XML); false and bytes left
    // empty when the plug-in cannot save.
    virtual bool SaveState(std::vector<uint8_t>& bytes);
    // Restores what SaveState wrote (plain XML text is accepted too). Raises on a malformed
    // state; what was read before the fault stays applied, the rest keeps its value.
    virtual bool LoadState(const void* data, size_t size);
    // Why the last state load was refused ("The state was refused: …"), empty after a load
    // that succeeded or before any; hosts that ask get it through their adapter.
    YString StateRefusal() const;
    // Builds the editor window when there is none; false when the plug-in has no editor.
    virtual bool CreateEditor();
    // Which host interface drives the plug-in ("VST", "VST3"); set by the host adapter.
    const YString& HostInterfaceName() const noexcept { return m_hostInterfaceName; }
    void SetHostInterfaceName(const YString& name) { m_hostInterfaceName = name; }

protected:
    // Keeps why a state load failed and hands the text to the error-report hook; an empty
    // reason marks a load that succeeded.
    void SetStateRefusal(const YString& reason);
    // The part of InitProcessing every plug-in needs; the caller holds the three locks.
    void InitProcessingCore();
    // Sizes every bypass delay line to latency samples (allocates: never on the audio thread).
    void SizeBypassDelayLines(int32_t latency);
    // The splitting part of ProcessSubBlocks: sub-blocks with interpolated parameters and an
    // advancing song position, each handed to Process. For overrides that convert channels
    // around it. A fineLength above 0 caps the sub-blocks further, for movements that must
    // follow the audio closely.
    void RunSubBlocks(float** inputs, float** outputs, int32_t frames, int32_t fineLength = 0);

private:
    struct Layout {
        int32_t InputBuses = 0;
        int32_t OutputBuses = 0;
        int32_t HostInputChannels = 0; // per bus, as the host delivers them
        int32_t InputChannels = 0;     // per bus, as the plug-in processes them
        int32_t OutputChannels = 0;    // per bus
    };

    Layout ReadLayout();
    void StoreLayoutSnapshot(const Layout& layout) noexcept;
    void ProcessChunk(float** inputs, float** outputs, int32_t frames, bool replacing, const Layout& layout);
    void ProcessBypassed(float** inputs, float** outputs, int32_t frames, bool replacing,
                         const Layout& layout);
    // Up-sampled processing of one chunk (Process sees factor × frames samples per block).
    void ProcessUpsampled(float** inputs, float** outputs, int32_t frames, bool replacing,
                          const Layout& layout);
    void PassThroughSkippedBlock(float** inputs, float** outputs, int32_t frames, bool replacing) noexcept;
    float* InputBuffer(int32_t slot) noexcept { return m_inputBuffers.data() + slot * m_capacity; }
    float* OutputBuffer(int32_t slot) noexcept { return m_outputBuffers.data() + slot * m_capacity; }
    void AllocateBuffers(int32_t capacity);
    void PostEditorUpdateRequest();

    std::atomic<YAudioPluginAdapter*> m_hostAdapter{nullptr};
    YString m_hostInterfaceName;
    YString m_stateRefusal;
    mutable YLock m_stateRefusalLock; // stands alone: nothing is called while it is held
    std::atomic<YGUIRequestQueue*> m_guiQueue{nullptr};
    YLock m_guiQueueLock; // held while a request is posted; stands alone

    YProcessingContext m_hostSync;
    int32_t m_inputChannels = 2;
    int32_t m_outputChannels = 2;
    int32_t m_channelsPerBus = 2;
    int32_t m_preferredChannelsPerBus = -1;
    int32_t m_maxInputChannelsPerBus = kMaxChannelsPerBus;
    int32_t m_maxOutputChannelsPerBus = kMaxChannelsPerBus;
    YString m_inputPinNames[kMaxSlots];
    YString m_outputPinNames[kMaxSlots];
    bool m_acceptsMIDI = false;
    bool m_producesMIDI = false;
    bool m_usesHostTime = false;

    YLock m_processingLock;
    YLock m_editorLock;
    YLock m_parameterLock;

    YParameterIndexSpace m_indexSpace;
    YParameterInterpolation m_interpolation{m_indexSpace};

    std::atomic<int32_t> m_pendingEditorUpdates{0};
    std::atomic<bool> m_editorRequestPosted{false};
    std::atomic<bool> m_editorExists{false};
    std::atomic<bool> m_editorOpen{false};

    int32_t m_maxSubBlockLength = kDefaultSubBlockLength;
    int32_t m_interpolationStep = 0;
    std::atomic<bool> m_bypassed{false};
    bool m_bypassRunning = false; // audio thread: bypass was on in the last block
    int32_t m_upsamplingFactor = 1;
    bool m_highQualityUpsampling = true;
    int32_t m_channelMode = 0;
    bool m_automaticGainMeasurement = false;
    YGainMeter m_gainMeter;

    // Up-sampling as the last re-initialisation configured it (for m_upsamplingFactor and
    // m_highQualityUpsampling as they were then).
    YUpsamplingStage m_upsampling;
    static_assert(YUpsamplingStage::kSlots == kMaxSlots);
    int32_t m_processingFactor = 1; // audio thread: rate multiplier of the running block

    int32_t m_capacity = 0;
    std::vector<float> m_inputBuffers;  // kMaxSlots x capacity: silence, input copies
    std::vector<float> m_outputBuffers; // kMaxSlots x capacity: discard, internal outputs
    YBypassDelayLine m_bypassLines[kMaxSlots];
    int32_t m_bypassDelay = 0;

    // The layout of the last processed block, for blocks skipped without the locks.
    std::atomic<int32_t> m_snapshotInputBuses{0};
    std::atomic<int32_t> m_snapshotOutputBuses{0};
    std::atomic<int32_t> m_snapshotHostInputChannels{0};
    std::atomic<int32_t> m_snapshotInputChannels{0};
    std::atomic<int32_t> m_snapshotOutputChannels{0};

    std::unique_ptr<AutomationUpdateRequestThread> m_automationUpdateThread;
};
