#include "core/YAudioPlugin.h"

#include "core/YConfigurationLock.h"
#include "foundation/YException.h"
#include "platform/YThread.h"
#include "platform/YPlatformFloatingPoint.h"

#include <algorithm>
#include <cmath>
#include <cstring>

// Posts editor-update requests while adapters wait for a refresh, so that parameter changes
// from the host reach the editor even when nothing else wakes the GUI thread.
class YAudioPlugin::AutomationUpdateRequestThread : public YThread {
public:
    explicit AutomationUpdateRequestThread(YAudioPlugin& plugin) : m_plugin(plugin) {}
    ~AutomationUpdateRequestThread() override { Stop(); }

protected:
    int32_t Thread() override {
        return RunLoop(kAutomationUpdatePeriodMs, [this] {
            YGuard("YAudioPlugin::AutomationUpdateRequestThread::Thread",
                   [this] { m_plugin.PostEditorUpdateRequest(); });
        });
    }

private:
    YAudioPlugin& m_plugin;
};

namespace {

// Holds a lock that was taken without the scoped holder (the processing lock is only tried).
class HeldLock {
public:
    explicit HeldLock(YSynchronizer& lock) noexcept : m_lock(lock) {}
    ~HeldLock() { m_lock.Unlock(); }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;

private:
    YSynchronizer& m_lock;
};

double Finite(double value) noexcept { return std::isfinite(value) ? value : 0.0; }

void Copy(float* out, const float* in, int32_t frames) noexcept {
    if (out != in) std::memmove(out, in, static_cast<size_t>(frames) * sizeof(float));
}

void Clear(float* out, int32_t frames) noexcept {
    std::memset(out, 0, static_cast<size_t>(frames) * sizeof(float));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Construction

YAudioPlugin::YAudioPlugin() {
    m_hostSync.SampleRate = 44100.0;
    AllocateBuffers(kDefaultBlockCapacity);
    StoreLayoutSnapshot(ReadLayout());
    m_automationUpdateThread = std::make_unique<AutomationUpdateRequestThread>(*this);
    // Without the thread the plug-in still works; only the editor refreshes less eagerly.
    YGuard("YAudioPlugin::YAudioPlugin", [this] { m_automationUpdateThread->Start(); });
}

YAudioPlugin::~YAudioPlugin() {
    // The thread reads this object's members: it must end before any of them goes.
    YGuard("YAudioPlugin::~YAudioPlugin", [this] { m_automationUpdateThread->Stop(); });
    m_automationUpdateThread.reset();
    m_indexSpace.Clear();
}

// ---------------------------------------------------------------------------------------------
// Link to the host

void YAudioPlugin::AutomateParameter(int32_t hostIndex, double value) {
    if (YAudioPluginAdapter* host = m_hostAdapter.load()) host->AutomateParameter(hostIndex, value);
}

void YAudioPlugin::GenerateMIDIEvent(int32_t deltaFrames, const uint8_t bytes[4]) {
    YGuard("YAudioPlugin::GenerateMIDIEvent", [&] {
        if (bytes == nullptr) return;
        if (YAudioPluginAdapter* host = m_hostAdapter.load()) host->GenerateMIDIEvent(deltaFrames, bytes);
    });
}

void YAudioPlugin::ReportLatency() {
    YGuard("YAudioPlugin::ReportLatency", [&] {
        if (YAudioPluginAdapter* host = m_hostAdapter.load()) host->ReportLatency();
    });
}

// ---------------------------------------------------------------------------------------------
// MIDI

void YAudioPlugin::ProcessMIDIEvent(int32_t deltaFrames, const uint8_t bytes[4]) {
    YGuard("YAudioPlugin::ProcessMIDIEvent", [&] {
        if (bytes != nullptr) RawMIDIEvent(deltaFrames, bytes[0], bytes[1], bytes[2]);
    });
}

void YAudioPlugin::ProcessNote(int32_t channel, int32_t note, double velocity, bool on, int32_t deltaFrames) {
    YGuard("YAudioPlugin::ProcessNote", [&] { NoteEvent(channel, note, velocity, on, deltaFrames); });
}

// ---------------------------------------------------------------------------------------------
// Host parameters

int32_t YAudioPlugin::GetParameterCount() {
    return YGuard("YAudioPlugin::GetParameterCount", 0, [&] {
        YScopedLock lock(m_parameterLock);
        return m_indexSpace.End();
    });
}

void YAudioPlugin::ParametersChanged() {}

void YAudioPlugin::SetParameter(int32_t index, double value, int32_t) {
    YGuard("YAudioPlugin::SetParameter", [&] {
        if (!std::isfinite(value)) return;
        YScopedLock lock(m_parameterLock);
        int32_t local = 0;
        AutomationAdapter& adapter = FindAutomationAdapter(index, local);
        adapter.SetParameter(local, value, false);
        // The editor shows what the host set.
        if (EditorExists()) NeedUpdateEditor(&adapter);
    });
}

void YAudioPlugin::NoteIncomingValue(int32_t, double) noexcept {}

void YAudioPlugin::SetParameterIfChanged(int32_t index, double value, int32_t) {
    YGuard("YAudioPlugin::SetParameterIfChanged", [&] {
        if (!std::isfinite(value)) return;
        YScopedLock lock(m_parameterLock);
        int32_t local = 0;
        AutomationAdapter& adapter = FindAutomationAdapter(index, local);
        if (std::fabs(adapter.GetParameter(local) - value) > 1e-7) {
            adapter.SetParameter(local, value, false);
            if (EditorExists()) NeedUpdateEditor(&adapter);
        }
    });
}

void YAudioPlugin::SetParameterAutomated(int32_t index, double value) {
    YGuard("YAudioPlugin::SetParameterAutomated", [&] {
        if (!std::isfinite(value)) return;
        YScopedLock lock(m_parameterLock);
        int32_t local = 0;
        AutomationAdapter& adapter = FindAutomationAdapter(index, local);
        adapter.SetParameter(local, value, false);
        AutomateParameter(index, adapter.GetParameter(local));
    });
}

double YAudioPlugin::GetParameter(int32_t index) {
    return YGuard("YAudioPlugin::GetParameter", 0.0, [&] {
        YScopedLock lock(m_parameterLock);
        int32_t local = 0;
        return Finite(FindAutomationAdapter(index, local).GetParameter(local));
    });
}

YString YAudioPlugin::GetParameterName(int32_t index) {
    return YGuard("YAudioPlugin::GetParameterName", YString(), [&] {
        YScopedLock lock(m_parameterLock);
        int32_t local = 0;
        YString text;
        FindAutomationAdapter(index, local).GetParameterName(text, local);
        return text;
    });
}

YString YAudioPlugin::GetParameterID(int32_t index) {
    return YGuard("YAudioPlugin::GetParameterID", YString(), [&] {
        YScopedLock lock(m_parameterLock);
        int32_t local = 0;
        AutomationAdapter& adapter = FindAutomationAdapter(index, local);
        YString text;
        adapter.GetParameterFullLabel(text, local);
        if (text.IsEmpty()) adapter.GetParameterName(text, local);
        return text;
    });
}

YString YAudioPlugin::GetParameterText(int32_t) { return YString(); }

YString YAudioPlugin::GetParameterValueName(int32_t index) {
    return YGuard("YAudioPlugin::GetParameterValueName", YString(), [&] {
        YScopedLock lock(m_parameterLock);
        int32_t local = 0;
        YString text;
        FindAutomationAdapter(index, local).GetParameterValueName(text, local);
        return text;
    });
}

YString YAudioPlugin::GetParameterValueNameFrom01(int32_t index, double value) {
    return YGuard("YAudioPlugin::GetParameterValueNameFrom01", YString(), [&] {
        if (!std::isfinite(value)) return YString();
        YScopedLock lock(m_parameterLock);
        int32_t local = 0;
        YString text;
        FindAutomationAdapter(index, local).GetParameterValueNameFrom01(text, local, value);
        return text;
    });
}

double YAudioPlugin::ParseParameterValueName(int32_t index, const YString& text) {
    return YGuard("YAudioPlugin::ParseParameterValueName", 0.0, [&] {
        YScopedLock lock(m_parameterLock);
        int32_t local = 0;
        return Finite(FindAutomationAdapter(index, local).ParseParameterValueName(local, text));
    });
}

YString YAudioPlugin::GetParameterUnitsName(int32_t index) {
    return YGuard("YAudioPlugin::GetParameterUnitsName", YString(), [&] {
        YScopedLock lock(m_parameterLock);
        int32_t local = 0;
        YString text;
        FindAutomationAdapter(index, local).GetParameterUnitsName(text, local);
        return text;
    });
}

int32_t YAudioPlugin::GetParameterType(int32_t index) {
    return YGuard("YAudioPlugin::GetParameterType", 0, [&] {
        YScopedLock lock(m_parameterLock);
        int32_t local = 0;
        return FindAutomationAdapter(index, local).GetParameterType(local);
    });
}

double YAudioPlugin::GetParameterDefaultValue(int32_t index) {
    return YGuard("YAudioPlugin::GetParameterDefaultValue", 0.0, [&] {
        YScopedLock lock(m_parameterLock);
        int32_t local = 0;
        return Finite(FindAutomationAdapter(index, local).GetParameterDefaultValue(local));
    });
}

// ---------------------------------------------------------------------------------------------
// Index space

YAudioPlugin::AutomationAdapter&
YAudioPlugin::AddAutomationAdapter(std::unique_ptr<AutomationAdapter> adapter) {
    YScopedLock processing(m_processingLock);
    YScopedLock parameters(m_parameterLock);
    return AddAutomationAdapterAt(std::move(adapter), m_indexSpace.End());
}

YAudioPlugin::AutomationAdapter&
YAudioPlugin::AddAutomationAdapterAt(std::unique_ptr<AutomationAdapter> adapter, int32_t firstIndex) {
    YParameterIndexSpace::CheckPlacement(adapter.get(), firstIndex);
    YScopedLock processing(m_processingLock);
    YScopedLock parameters(m_parameterLock);
    AutomationAdapter& added = m_indexSpace.Insert(std::move(adapter), firstIndex);
    added.SetPlugin(this);
    m_interpolation.Rebuild();
    return added;
}

void YAudioPlugin::RemoveAllAutomationAdapters() {
    YScopedLock processing(m_processingLock);
    YScopedLock parameters(m_parameterLock);
    m_indexSpace.Clear();
    m_pendingEditorUpdates.store(0);
    m_interpolation.Rebuild();
}

YAudioPlugin::AutomationAdapter* YAudioPlugin::GetAutomationAdapter(int32_t number) const noexcept {
    return m_indexSpace.At(number);
}

int32_t YAudioPlugin::FindAutomationAdapterNumber(int32_t hostIndex) const noexcept {
    return m_indexSpace.FindNumber(hostIndex);
}

YAudioPlugin::AutomationAdapter& YAudioPlugin::FindAutomationAdapter(int32_t hostIndex,
                                                                     int32_t& local) const {
    return m_indexSpace.Find(hostIndex, local);
}

// ---------------------------------------------------------------------------------------------
// Interpolation

bool YAudioPlugin::InterpolationPrepare(int32_t frames) {
    if (!m_interpolation.Prepare(frames)) return false;
    ParametersChanged();
    return true;
}

void YAudioPlugin::InterpolationProcess(int32_t frames) {
    m_interpolation.Advance(frames);
    ParametersChanged();
}

void YAudioPlugin::InterpolationFinish() {
    m_interpolation.Finish();
    ParametersChanged();
}

void YAudioPlugin::InterpolationSync() { m_interpolation.Sync(); }

bool YAudioPlugin::SaveState(std::vector<uint8_t>& bytes) {
    bytes.clear();
    return false;
}

bool YAudioPlugin::LoadState(const void*, size_t) { return false; }

YString YAudioPlugin::StateRefusal() const {
    YScopedLock lock(m_stateRefusalLock);
    return m_stateRefusal;
}

void YAudioPlugin::SetStateRefusal(const YString& reason) {
    {
        YScopedLock lock(m_stateRefusalLock);
        m_stateRefusal = reason;
    }
    if (!reason.IsEmpty()) YReportError(reason);
}

bool YAudioPlugin::CreateEditor() { return false; }

bool YAudioPlugin::SetUpsampling(int32_t factor, bool highQuality) noexcept {
    if (factor != 1 && factor != 2 && factor != 4 && factor != 8 && factor != 16) return false;
    m_upsamplingFactor = factor;
    m_highQualityUpsampling = highQuality;
    return true;
}

int32_t YAudioPlugin::UpsamplingLatency() const noexcept {
    if (m_upsamplingFactor < 2) return 0;
    return (m_highQualityUpsampling ? 6144 : 1536) / m_upsamplingFactor;
}

void YAudioPlugin::SetEditorOpen(bool open) { m_editorOpen.store(open); }

// ---------------------------------------------------------------------------------------------
// Sample rate and layout

bool YAudioPlugin::SetSampleRate(double sampleRate) {
    if (!std::isfinite(sampleRate) || sampleRate <= 0.0) return false;
    return YGuard("YAudioPlugin::SetSampleRate", false, [&] {
        YScopedLock processing(m_processingLock);
        m_hostSync.SampleRate = sampleRate;
        return true;
    });
}

bool YAudioPlugin::SetChannelCounts(int32_t inputs, int32_t outputs) {
    if (inputs < 0 || inputs > kMaxSlots || outputs < 0 || outputs > kMaxSlots) return false;
    return YGuard("YAudioPlugin::SetChannelCounts", false, [&] {
        YScopedLock processing(m_processingLock);
        m_inputChannels = inputs;
        m_outputChannels = outputs;
        return true;
    });
}

bool YAudioPlugin::SetChannelsPerBus(int32_t channels) {
    if (channels < 1 || channels > kMaxChannelsPerBus) return false;
    return YGuard("YAudioPlugin::SetChannelsPerBus", false, [&] {
        YScopedLock processing(m_processingLock);
        m_channelsPerBus = channels;
        return true;
    });
}

bool YAudioPlugin::SetPreferredChannelsPerBus(int32_t channels) {
    if (channels != -1 && (channels < 1 || channels > kMaxChannelsPerBus)) return false;
    return YGuard("YAudioPlugin::SetPreferredChannelsPerBus", false, [&] {
        YScopedLock processing(m_processingLock);
        m_preferredChannelsPerBus = channels;
        return true;
    });
}

bool YAudioPlugin::SetMaxChannelsPerBus(int32_t inputs, int32_t outputs) {
    if (inputs < 1 || inputs > kMaxChannelsPerBus || outputs < 1 || outputs > kMaxChannelsPerBus)
        return false;
    return YGuard("YAudioPlugin::SetMaxChannelsPerBus", false, [&] {
        YScopedLock processing(m_processingLock);
        m_maxInputChannelsPerBus = inputs;
        m_maxOutputChannelsPerBus = outputs;
        return true;
    });
}

bool YAudioPlugin::SetMaximumBlockSize(int32_t frames) {
    if (frames < 1 || frames > kMaxFrames) return false;
    return YGuard("YAudioPlugin::SetMaximumBlockSize", false, [&] {
        const int32_t capacity = std::min(frames, kMaxChunkFrames);
        YScopedLock processing(m_processingLock);
        YScopedLock parameters(m_parameterLock);
        // Never shrinks: a host that announces a short block may still send longer ones.
        if (capacity > m_capacity) {
            AllocateBuffers(capacity);
            // Up-sampling keeps the factor it was configured with; a new factor waits for
            // the re-initialisation that tells the effect its new rate.
            m_upsampling.Resize(capacity);
        }
        return true;
    });
}

void YAudioPlugin::AllocateBuffers(int32_t capacity) {
    std::vector<float> inputs(static_cast<size_t>(kMaxSlots) * capacity, 0.0f);
    std::vector<float> outputs(static_cast<size_t>(kMaxSlots) * capacity, 0.0f);
    m_inputBuffers.swap(inputs);
    m_outputBuffers.swap(outputs);
    m_capacity = capacity;
}

const YString& YAudioPlugin::PinName(bool input, int32_t channel) const noexcept {
    static const YString empty;
    if (channel < 0 || channel >= kMaxSlots) return empty;
    return input ? m_inputPinNames[channel] : m_outputPinNames[channel];
}

void YAudioPlugin::SetPinName(bool input, int32_t channel, const YString& name) {
    if (channel < 0 || channel >= kMaxSlots) return;
    (input ? m_inputPinNames[channel] : m_outputPinNames[channel]) = name;
}

int32_t YAudioPlugin::GetInputChannelsPerBus() {
    if (m_inputChannels <= 0) return 0;
    const int32_t preferred = m_preferredChannelsPerBus >= 0 ? m_preferredChannelsPerBus : m_channelsPerBus;
    return std::min(preferred, m_maxInputChannelsPerBus);
}

int32_t YAudioPlugin::GetProcessingInputChannelsPerBus() {
    if (m_inputChannels <= 0) return 0;
    return m_preferredChannelsPerBus >= 0 ? m_preferredChannelsPerBus : m_channelsPerBus;
}

int32_t YAudioPlugin::GetOutputChannelsPerBus() {
    const int32_t preferred = m_preferredChannelsPerBus >= 0 ? m_preferredChannelsPerBus : m_channelsPerBus;
    return std::min(preferred, m_maxOutputChannelsPerBus);
}

int32_t YAudioPlugin::GetInputBusCount() {
    const int32_t perBus = GetInputChannelsPerBus();
    return perBus > 0 ? std::min(m_inputChannels / perBus, kMaxBuses) : 0;
}

int32_t YAudioPlugin::GetOutputBusCount() {
    const int32_t perBus = GetOutputChannelsPerBus();
    return perBus > 0 ? std::min(m_outputChannels / perBus, kMaxBuses) : 0;
}

// ---------------------------------------------------------------------------------------------
// Processing configuration

void YAudioPlugin::SetBypass(bool on, bool notifyHost) {
    m_bypassed.store(on);
    if (!notifyHost) return;
    YGuard("YAudioPlugin::SetBypass", [&] {
        if (YAudioPluginAdapter* host = m_hostAdapter.load()) host->SendBypassAutomation(on);
    });
}

void YAudioPlugin::InitProcessing() {
    YGuard("YAudioPlugin::InitProcessing", [&] {
        const YConfigurationLock locks(*this);
        InitProcessingCore();
    });
}

void YAudioPlugin::InitProcessingCore() {
    m_upsampling.Configure(m_upsamplingFactor, m_highQualityUpsampling, m_capacity);
    SizeBypassDelayLines(GetLatency());
    m_interpolation.Rebuild();
    StoreLayoutSnapshot(ReadLayout());
}

void YAudioPlugin::SizeBypassDelayLines(int32_t latency) {
    m_bypassDelay = std::clamp(latency, 0, kMaxFrames);
    for (YBypassDelayLine& line : m_bypassLines) line.Configure(m_bypassDelay);
}

int32_t YAudioPlugin::GetLatency() { return 0; }

bool YAudioPlugin::FollowLatency() { return false; }

int32_t YAudioPlugin::GetTailLength() { return 0; }

bool YAudioPlugin::AddsToOutput() { return false; }

bool YAudioPlugin::NeedsSeparateInputs() { return false; }

double YAudioPlugin::GetOutputClipLevel() { return -1.0; }

void YAudioPlugin::PostProcessChannel(float*, int32_t, int32_t) {}

void YAudioPlugin::Process(float** inputs, float** outputs, int32_t frames) {
    const int32_t buses = std::min(GetInputBusCount(), GetOutputBusCount());
    const int32_t channels = std::min(GetProcessingInputChannelsPerBus(), GetOutputChannelsPerBus());
    for (int32_t bus = 0; bus < buses; ++bus) {
        for (int32_t channel = 0; channel < channels; ++channel) {
            const int32_t slot = bus * kMaxChannelsPerBus + channel;
            if (inputs[slot] != nullptr && outputs[slot] != nullptr)
                Copy(outputs[slot], inputs[slot], frames);
        }
    }
}

void YAudioPlugin::ProcessUpdate() {}

void YAudioPlugin::PrepareBlock(float**, float**, int32_t, bool) {}

void YAudioPlugin::AfterBlock(float**, float**, int32_t) {}

void YAudioPlugin::PrepareForProcessingOnce(float**, float**, int32_t) {}

void YAudioPlugin::MeasureGain(bool output, float** buffers, int32_t buses, int32_t channelsPerBus,
                               int32_t frames) {
    if (!output && buses <= 0) {
        // Nothing comes in (a generator): the output is matched to a fixed reference level.
        m_gainMeter.SetNoInput();
        return;
    }
    m_gainMeter.Measure(output ? YGainMeter::kOutput : YGainMeter::kInput, buffers, buses, channelsPerBus,
                        frames);
}

// ---------------------------------------------------------------------------------------------
// Processing

YAudioPlugin::Layout YAudioPlugin::ReadLayout() {
    Layout layout;
    layout.InputBuses = std::clamp(GetInputBusCount(), 0, kMaxBuses);
    layout.OutputBuses = std::clamp(GetOutputBusCount(), 0, kMaxBuses);
    layout.HostInputChannels = std::clamp(GetInputChannelsPerBus(), 0, kMaxChannelsPerBus);
    layout.InputChannels = std::clamp(GetProcessingInputChannelsPerBus(), 0, kMaxChannelsPerBus);
    layout.OutputChannels = std::clamp(GetOutputChannelsPerBus(), 0, kMaxChannelsPerBus);
    if (layout.InputChannels == 0) layout.InputBuses = 0;
    if (layout.OutputChannels == 0) layout.OutputBuses = 0;
    return layout;
}

void YAudioPlugin::StoreLayoutSnapshot(const Layout& layout) noexcept {
    m_snapshotInputBuses.store(layout.InputBuses, std::memory_order_relaxed);
    m_snapshotOutputBuses.store(layout.OutputBuses, std::memory_order_relaxed);
    m_snapshotHostInputChannels.store(layout.HostInputChannels, std::memory_order_relaxed);
    m_snapshotInputChannels.store(layout.InputChannels, std::memory_order_relaxed);
    m_snapshotOutputChannels.store(layout.OutputChannels, std::memory_order_relaxed);
}

void YAudioPlugin::ProcessAudio(float** inputs, float** outputs, int32_t frames, bool replacing) {
    if (outputs == nullptr || frames <= 0 || frames > kMaxFrames) return;
    const YScopedFlushDenormals flushDenormals;
    YGuard("YAudioPlugin::ProcessAudio", [&] {
        // Another thread is changing the plug-in: skip rather than wait.
        if (m_processingLock.Lock(0) != 0) {
            PassThroughSkippedBlock(inputs, outputs, frames, replacing);
            return;
        }
        const HeldLock processing(m_processingLock);
        const YScopedLock parameters(m_parameterLock);

        const Layout layout = ReadLayout();
        StoreLayoutSnapshot(layout);
        if (layout.OutputBuses == 0 || outputs[0] == nullptr) return;

        float* in[kMaxSlots];
        float* out[kMaxSlots];
        for (int32_t offset = 0; offset < frames; offset += m_capacity) {
            const int32_t n = std::min(frames - offset, m_capacity);
            for (int32_t slot = 0; slot < kMaxSlots; ++slot) {
                float* host = inputs != nullptr && slot < layout.InputBuses * kMaxChannelsPerBus
                                  ? inputs[slot]
                                  : nullptr;
                in[slot] = host != nullptr ? host + offset : nullptr;
                host = slot < layout.OutputBuses * kMaxChannelsPerBus ? outputs[slot] : nullptr;
                out[slot] = host != nullptr ? host + offset : nullptr;
            }
            ProcessChunk(in, out, n, replacing, layout);
        }
    });
}

void YAudioPlugin::ProcessChunk(float** inputs, float** outputs, int32_t frames, bool replacing,
                                const Layout& layout) {
    if (layout.InputBuses > 0)
        FixAudioBuffers(inputs, layout.HostInputChannels, layout.InputBuses, true, frames);
    FixAudioBuffers(outputs, layout.OutputChannels, layout.OutputBuses, false, frames);

    for (int32_t bus = 0; bus < layout.InputBuses; ++bus) {
        float** channels = inputs + bus * kMaxChannelsPerBus;
        for (int32_t c = 0; c < layout.InputChannels; ++c) {
            float* samples = channels[c];
            // A channel that repeats the one before it is the same buffer: guard it once.
            if (samples == nullptr || (c > 0 && samples == channels[c - 1])) continue;
            for (int32_t i = 0; i < frames; ++i) samples[i] += kDenormalGuard;
        }
    }

    const bool bypassed = m_bypassed.load();
    if (bypassed != m_bypassRunning) {
        // Whatever the lines hold is from an earlier bypass and must not be heard again.
        if (bypassed)
            for (YBypassDelayLine& line : m_bypassLines) line.Clear();
        m_bypassRunning = bypassed;
        if (!bypassed) ResetInterpolation();
    }
    if (bypassed) {
        ProcessBypassed(inputs, outputs, frames, replacing, layout);
        return;
    }

    PrepareBlock(inputs, outputs, frames, replacing);
    if (m_automaticGainMeasurement)
        MeasureGain(false, inputs, layout.InputBuses, layout.InputChannels, frames);

    const int32_t inputSlots = layout.InputBuses * kMaxChannelsPerBus;
    const int32_t outputSlots = layout.OutputBuses * kMaxChannelsPerBus;
    // Up-sampling needs inputs and up-samplers configured for the factor now set; until
    // processing is re-initialised after a change, blocks run at the host rate.
    const bool upsampled =
        layout.InputBuses > 0 && m_upsampling.Serves(m_upsamplingFactor, m_highQualityUpsampling, frames);
    if (upsampled) {
        ProcessUpsampled(inputs, outputs, frames, replacing, layout);
    } else if (replacing) {
        float** processInputs = inputs;
        float* copies[kMaxSlots] = {};
        // Clearing or converting outputs that share the inputs' buffers would destroy the input.
        if (layout.InputBuses > 0 && inputs[0] == outputs[0] &&
            (m_channelMode != 0 || NeedsSeparateInputs() || AddsToOutput())) {
            for (int32_t slot = 0; slot < inputSlots; ++slot) {
                if (inputs[slot] == nullptr) continue;
                copies[slot] = InputBuffer(slot);
                Copy(copies[slot], inputs[slot], frames);
            }
            processInputs = copies;
        }
        if (AddsToOutput()) {
            for (int32_t slot = 0; slot < outputSlots; ++slot)
                if (outputs[slot] != nullptr) Clear(outputs[slot], frames);
        }
        ProcessSubBlocks(processInputs, outputs, frames);
    } else if (AddsToOutput()) {
        ProcessSubBlocks(inputs, outputs, frames);
    } else {
        float* internal[kMaxSlots] = {};
        for (int32_t slot = 0; slot < outputSlots; ++slot) {
            if (outputs[slot] == nullptr) continue;
            internal[slot] = OutputBuffer(slot);
            Clear(internal[slot], frames);
        }
        ProcessSubBlocks(inputs, internal, frames);
        for (int32_t bus = 0; bus < layout.OutputBuses; ++bus) {
            for (int32_t c = 0; c < layout.OutputChannels; ++c) {
                const int32_t slot = bus * kMaxChannelsPerBus + c;
                float* host = outputs[slot];
                // Discard buffers and repeated pointers get nothing, so no channel is added twice.
                if (host == nullptr || host == internal[slot] || (c > 0 && host == outputs[slot - 1]))
                    continue;
                for (int32_t i = 0; i < frames; ++i) host[i] += internal[slot][i];
            }
        }
    }

    if (m_automaticGainMeasurement)
        MeasureGain(true, outputs, layout.OutputBuses, layout.OutputChannels, frames);
    AfterBlock(inputs, outputs, frames);
}

void YAudioPlugin::ProcessUpsampled(float** inputs, float** outputs, int32_t frames, bool replacing,
                                    const Layout& layout) {
    const int32_t factor = m_upsampling.Factor();
    const int32_t upFrames = frames * factor;
    const int32_t inputSlots = layout.InputBuses * kMaxChannelsPerBus;
    const int32_t outputSlots = layout.OutputBuses * kMaxChannelsPerBus;
    float* upInputs[kMaxSlots] = {};
    float* upOutputs[kMaxSlots] = {};
    // Every channel has its own filter state, so each is up-sampled even when the host repeats
    // a buffer; the internal buffers also free the effect from in-place host buffers.
    for (int32_t slot = 0; slot < inputSlots; ++slot) {
        if (inputs[slot] == nullptr) continue;
        upInputs[slot] = m_upsampling.Input(slot);
        m_upsampling.Channel(slot).Upsample(inputs[slot], upInputs[slot], frames);
    }
    const bool adds = AddsToOutput();
    for (int32_t slot = 0; slot < outputSlots; ++slot) {
        if (outputs[slot] == nullptr) continue;
        upOutputs[slot] = m_upsampling.Output(slot);
        if (adds) Clear(upOutputs[slot], upFrames);
    }

    {
        struct ProcessingRate {
            int32_t& factor;
            ~ProcessingRate() { factor = 1; }
        } rate{m_processingFactor};
        m_processingFactor = factor;
        ProcessSubBlocks(upInputs, upOutputs, upFrames);
    }

    const double clip = GetOutputClipLevel();
    const float level = static_cast<float>(clip);
    for (int32_t bus = 0; bus < layout.OutputBuses; ++bus) {
        for (int32_t c = 0; c < layout.OutputChannels; ++c) {
            const int32_t slot = bus * kMaxChannelsPerBus + c;
            float* host = outputs[slot];
            if (host == nullptr) continue;
            const bool repeated = c > 0 && host == outputs[slot - 1];
            const bool discard = host == OutputBuffer(slot);
            if (!replacing && (repeated || discard)) {
                // Keeps the filter state in step without adding the channel a second time.
                m_upsampling.Channel(slot).Downsample(upOutputs[slot], OutputBuffer(slot), frames, false);
                continue;
            }
            m_upsampling.Channel(slot).Downsample(upOutputs[slot], host, frames, !replacing);
            if (clip >= 0.0 && !discard)
                for (int32_t i = 0; i < frames; ++i) host[i] = std::clamp(host[i], -level, level);
        }
    }
}

void YAudioPlugin::ProcessBypassed(float** inputs, float** outputs, int32_t frames, bool replacing,
                                   const Layout& layout) {
    const int32_t buses = std::min(layout.InputBuses, layout.OutputBuses);
    for (int32_t bus = 0; bus < layout.OutputBuses; ++bus) {
        for (int32_t c = 0; c < layout.OutputChannels; ++c) {
            const int32_t slot = bus * kMaxChannelsPerBus + c;
            float* out = outputs[slot];
            if (out == nullptr) continue;
            if (bus < buses && c < layout.InputChannels && inputs[slot] != nullptr)
                m_bypassLines[slot].Process(inputs[slot], out, frames, !replacing);
            else if (replacing)
                Clear(out, frames);
        }
    }
}

void YAudioPlugin::PassThroughSkippedBlock(float** inputs, float** outputs, int32_t frames,
                                           bool replacing) noexcept {
    // Accumulating outputs already hold what the host wants to keep.
    if (!replacing) return;
    const int32_t inputBuses = m_snapshotInputBuses.load(std::memory_order_relaxed);
    const int32_t outputBuses = m_snapshotOutputBuses.load(std::memory_order_relaxed);
    const int32_t hostInputChannels = m_snapshotHostInputChannels.load(std::memory_order_relaxed);
    const int32_t inputChannels = m_snapshotInputChannels.load(std::memory_order_relaxed);
    const int32_t outputChannels = m_snapshotOutputChannels.load(std::memory_order_relaxed);
    for (int32_t bus = 0; bus < outputBuses; ++bus) {
        const float* source = nullptr;
        for (int32_t c = 0; c < outputChannels; ++c) {
            const int32_t slot = bus * kMaxChannelsPerBus + c;
            float* out = outputs[slot];
            // A missing input channel takes the one before it, as a mono input feeds both sides.
            if (inputs != nullptr && bus < inputBuses && c < hostInputChannels && inputs[slot] != nullptr)
                source = inputs[slot];
            if (c >= inputChannels || bus >= inputBuses) source = nullptr;
            if (out == nullptr) continue;
            if (source != nullptr)
                Copy(out, source, frames);
            else
                Clear(out, frames);
        }
    }
}

bool YAudioPlugin::FixAudioBuffers(float** buffers, int32_t hostChannelsPerBus, int32_t buses, bool isInput,
                                   int32_t frames) {
    if (buffers == nullptr || hostChannelsPerBus <= 0 || buses <= 0 || frames <= 0) return true;
    if (frames > m_capacity) return false;
    buses = std::min(buses, kMaxBuses);
    const int32_t host = std::min(hostChannelsPerBus, kMaxChannelsPerBus);
    const int32_t perBus = std::clamp(
        isInput ? GetProcessingInputChannelsPerBus() : GetOutputChannelsPerBus(), 0, kMaxChannelsPerBus);
    // Every slot has its own scratch buffer, so a mono copy or an effect writing into its
    // inputs never reaches another channel.
    auto scratch = [&](int32_t slot) {
        if (!isInput) return OutputBuffer(slot);
        float* silence = InputBuffer(slot);
        Clear(silence, frames);
        return silence;
    };
    for (int32_t bus = 0; bus < buses; ++bus) {
        float** slot = buffers + bus * kMaxChannelsPerBus;
        const int32_t first = bus * kMaxChannelsPerBus;
        if (slot[0] == nullptr) {
            for (int32_t c = 0; c < perBus; ++c) slot[c] = scratch(first + c);
        } else if (host >= perBus) {
            for (int32_t c = 1; c < perBus; ++c)
                if (slot[c] == nullptr) slot[c] = slot[c - 1];
        } else {
            for (int32_t c = 1; c < host; ++c)
                if (slot[c] == nullptr) slot[c] = slot[c - 1];
            for (int32_t c = host; c < perBus; ++c) slot[c] = scratch(first + c);
            if (isInput && host == 1 && perBus == 2) Copy(slot[1], slot[0], frames);
        }
    }
    return true;
}

void YAudioPlugin::ProcessSubBlocks(float** inputs, float** outputs, int32_t frames) {
    PrepareForProcessingOnce(inputs, outputs, frames);
    RunSubBlocks(inputs, outputs, frames);
}

void YAudioPlugin::RunSubBlocks(float** inputs, float** outputs, int32_t frames, int32_t fineLength) {
    int32_t length = m_maxSubBlockLength >= 1 ? m_maxSubBlockLength : kDefaultSubBlockLength;
    if (fineLength > 0) length = std::min(length, fineLength);
    bool prepared = false;
    bool interpolating = false;
    if (m_interpolationStep > 0 && m_interpolationStep < frames) {
        prepared = true;
        interpolating = InterpolationPrepare(frames);
        if (interpolating && m_interpolationStep <= length) length = m_interpolationStep;
    }

    if (length >= frames) {
        Process(inputs, outputs, frames);
    } else {
        float* in[kMaxSlots];
        float* out[kMaxSlots];
        std::copy(inputs, inputs + kMaxSlots, in);
        std::copy(outputs, outputs + kMaxSlots, out);
        const double tempo = m_hostSync.Tempo;
        // Up-sampled blocks count samples at the processing rate.
        const double rate = m_hostSync.SampleRate * m_processingFactor;
        const bool advanceSong = m_usesHostTime && tempo > 0.0 && rate > 0.0;
        int32_t remaining = frames;
        for (;;) {
            const int32_t n = std::min(remaining, length);
            Process(in, out, n);
            remaining -= n;
            if (remaining == 0) break;
            if (advanceSong) m_hostSync.SongPosition += n * tempo / (rate * 60.0);
            if (interpolating) InterpolationProcess(n);
            for (int32_t slot = 0; slot < kMaxSlots; ++slot) {
                if (in[slot] != nullptr) in[slot] += n;
                if (out[slot] != nullptr) out[slot] += n;
            }
        }
    }

    if (interpolating)
        InterpolationFinish();
    else if (!prepared)
        InterpolationSync();
}
