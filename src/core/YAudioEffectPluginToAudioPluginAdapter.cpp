#include "core/YAudioEffectPluginToAudioPluginAdapter.h"

#include "core/YConfigurationLock.h"
#include "core/YHostCallDeferral.h"
#include "core/YParameterAdapters.h"
#include "foundation/YException.h"
#include "platform/YSynchronizer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

const char* const YAudioEffectPluginToAudioPluginAdapter::kChannelModeNames[kChannelModeCount] = {
    "Left + Right", "Left", "Right", "Mono", "Stereo", "Mono + Stereo", "Left + Right (neg)", "Surround",
};

const char* const YAudioEffectPluginToAudioPluginAdapter::kChannelModeDescriptions[kChannelModeCount] = {
    "Default setting for stereo (or mono) processing.",
    "Processes the left channel only.",
    "Processes the right channel only.",
    "Processes mono content.",
    "Processes stereo content.",
    "Processes mono & stereo contents separately.",
    "Processes both channels, but inverts the right one.",
    "Surround processing of up to 8 channels.",
};

// ---------------------------------------------------------------------------------------------
// Construction

YAudioEffectPluginToAudioPluginAdapter::YAudioEffectPluginToAudioPluginAdapter()
    : m_host(nullptr), m_requestListener(*this), m_midiForwarder(*this) {
    for (std::atomic<float>& peak : m_inputPeaks) peak.store(0.0f);
    for (std::atomic<float>& peak : m_outputPeaks) peak.store(0.0f);
    m_triggers[0].DefineFloat("PresetTriggerPrevious", "Preset trigger - previous", 0.0, 1.0, 0.0);
    m_triggers[1].DefineFloat("PresetTriggerNext", "Preset trigger - next", 0.0, 1.0, 0.0);
    for (PluginParameter& trigger : m_triggers) trigger.SetFlagA(PluginParameter::kRandomizable, false);
    SetInterpolationStep(kDefaultInterpolationStep);
}

YAudioEffectPluginToAudioPluginAdapter::~YAudioEffectPluginToAudioPluginAdapter() {
    ReleasePresetNavigation();
    YGuard("YAudioEffectPluginToAudioPluginAdapter::~YAudioEffectPluginToAudioPluginAdapter", [&] {
        RemoveMIDIListener(&m_midiForwarder);
        RemoveMIDIListener(&m_midiControlRelay);
        // The adapters point into the effect's records: they go first.
        RemoveAllAutomationAdapters();
    });
    m_host.SetListener(nullptr);
    m_host.Destroy();
}

void YAudioEffectPluginToAudioPluginAdapter::Initialize(const YString& name, const YString& vendor,
                                                        YAudioEffectPluginInterfaceFunction function,
                                                        int32_t editorWidth, int32_t editorHeight) {
    if (m_host.HasEffect()) YRaise("Error creating plugin.");
    m_host.SetFunction(function);
    m_host.SetListener(&m_requestListener);
    m_host.Create();
    try {
        YAudioEffectPlugin& effect = *m_host.Effect();
        const YAudioEffectInformation& information = *m_host.Information();
        m_editorWidth = editorWidth;
        m_editorHeight = editorHeight;
        m_productName = name;
        m_vendorName = vendor;
        SetUsesHostTime((information.Flags & kEffectFlagUsesHostTime) != 0);
        SetAcceptsMIDI((information.FlagsB & kEffectFlagBAcceptsMIDI) != 0);
        SetProducesMIDI((information.FlagsB & kEffectFlagBProducesMIDI) != 0);
        // Hosts set parameters once per block; the effect turns the steps into curves.
        m_frameSettings.SmoothAutomation = 1;
        effect.SetFrameSettings(&m_frameSettings);
        CreateParameterAdapters();
        CreateControlAdapters();
        m_midiMap.SetParameterSetter(&m_parameterAccess);
        m_midiMap.SetLearnListener(&m_learnNotifier);
        AddMIDIListener(&m_midiControlRelay);
        AddMIDIListener(&m_midiForwarder);
        InitProcessing();
        LoadActivePresets();
    } catch (...) {
        RemoveMIDIListener(&m_midiForwarder);
        RemoveMIDIListener(&m_midiControlRelay);
        YGuard("YAudioEffectPluginToAudioPluginAdapter::Initialize", [&] { RemoveAllAutomationAdapters(); });
        m_host.Destroy();
        throw;
    }
}

void YAudioEffectPluginToAudioPluginAdapter::CreateParameterAdapters() {
    YAudioEffectPlugin& effect = *m_host.Effect();
    const YAudioEffectInformation& information = *m_host.Information();
    auto publish = [&](PluginParameter* records, int32_t count, int32_t firstIndex) {
        for (int32_t i = 0; i < count; ++i) {
            ParameterAdapterSetup setup;
            setup.Owner = &effect;
            setup.Record = &records[i];
            setup.Index = firstIndex + i;
            std::unique_ptr<YAudioPluginAutomationAdapter> adapter = CreateParameterAdapter(setup);
            if (adapter) AddAutomationAdapter(std::move(adapter));
        }
    };
    publish(information.Parameters,
            std::clamp(information.ParameterCount, 0, YAudioEffectPlugin::kMaxParameters), 0);
    publish(information.SpecialParameters,
            std::clamp(information.SpecialParameterCount, 0, YAudioEffectPlugin::kMaxParameters),
            information.ParameterCount);
}

// ---------------------------------------------------------------------------------------------
// Processing set-up

void YAudioEffectPluginToAudioPluginAdapter::InitProcessing() {
    YGuard("YAudioEffectPluginToAudioPluginAdapter::InitProcessing", [&] {
        const YConfigurationLock locks(*this);
        InitProcessingLocked();
    });
}

void YAudioEffectPluginToAudioPluginAdapter::InitProcessingLocked() {
    const int32_t factor = std::max(UpsamplingFactor(), 1);
    double rate = SampleRate() * factor;
    const int32_t busChannels = std::clamp(GetOutputChannelsPerBus(), 0, kMaxChannelsPerBus);
    const int32_t maxEffectChannels =
        m_host.Information() != nullptr
            ? std::clamp(m_host.Information()->MaxChannels, 0, YAudioEffectPlugin::kMaxChannels)
            : 0;
    int32_t mode = std::clamp(m_configuredMode, 0, kChannelModeCount - 1);

    m_busChannels = busChannels;
    m_conversionActive = false;
    m_compacted = false;
    std::fill(std::begin(m_compactMap), std::end(m_compactMap), int8_t{0});
    if (mode == kModeSurround) {
        const uint8_t mask = static_cast<uint8_t>(m_surroundMask & ((1u << busChannels) - 1u));
        m_processedMask = 0;
        m_effectChannels = 0;
        for (int32_t c = 0; c < busChannels && m_effectChannels < maxEffectChannels; ++c) {
            if ((mask >> c & 1u) == 0) continue;
            m_processedMask = static_cast<uint8_t>(m_processedMask | 1u << c);
            m_compactMap[m_effectChannels++] = static_cast<int8_t>(c);
        }
        m_compacted = m_effectChannels != busChannels;
    } else if (busChannels == 2 && mode != kModeLeftRight) {
        m_conversionActive = true;
        m_effectChannels = std::min(mode <= kModeStereo ? 1 : 2, maxEffectChannels);
        m_processedMask = 0x03;
    } else {
        m_effectChannels = std::min({busChannels, 2, maxEffectChannels});
        m_processedMask = static_cast<uint8_t>((1u << m_effectChannels) - 1u);
    }
    m_activeMode = mode;
    // The core copies in-place inputs before any conversion touches the outputs.
    SetChannelMode(mode);

    if (m_host.HasEffect()) {
        m_host.Call(kEffectSetMaximumBlockSize, static_cast<int64_t>(BlockCapacity()) * factor);
        YEffectArguments prepare;
        prepare.SetInteger(0, m_effectChannels);
        prepare.SetPointer(1, &rate);
        m_host.Call(kEffectPrepare, &prepare);
    }
    const int32_t latency = EffectLatency();
    m_configuredLatency = latency;
    for (LatencyLine& line : m_lines) line.Configure(latency);
    InitProcessingCore();
    // The host reads the latency when it starts processing; later changes are told.
    if (m_toldLatency.load(std::memory_order_relaxed) < 0) m_toldLatency = GetLatency();
    for (YMultiParameter& multi : m_multiParameters) multi.SetSampleRate(rate);

    for (int32_t which = 0; which < 2; ++which) m_triggerPrevious[which] = m_triggers[which].Float.Value;
    for (std::atomic<float>& peak : m_inputPeaks) peak.store(0.0f);
    for (std::atomic<float>& peak : m_outputPeaks) peak.store(0.0f);
    SetAutomaticGainMeasurement(m_agcMode != 0);
    m_initialised = CurrentConfiguration();
}

YAudioEffectPluginToAudioPluginAdapter::ProcessingConfiguration
YAudioEffectPluginToAudioPluginAdapter::CurrentConfiguration() const noexcept {
    ProcessingConfiguration configuration;
    configuration.Mode = m_configuredMode;
    configuration.SurroundMask = m_surroundMask;
    configuration.Upsampling = m_upsamplingMode;
    configuration.HighQuality = m_highQualitySetting;
    configuration.AGC = m_agcMode;
    return configuration;
}

int32_t YAudioEffectPluginToAudioPluginAdapter::EffectLatency() {
    return YGuard("YAudioEffectPluginToAudioPluginAdapter::GetLatency", 0, [&] {
        // The effect reads its Mode and the frame's settings, which other threads write under
        // this lock (held only for a parameter change, and re-entrant for the audio thread).
        YScopedLock parameters(ParameterLock());
        return static_cast<int32_t>(std::clamp<int64_t>(m_host.Call(kEffectLatency), 0, kMaxFrames));
    });
}

int32_t YAudioEffectPluginToAudioPluginAdapter::GetLatency() {
    return EffectLatency() / std::max(UpsamplingFactor(), 1) + UpsamplingLatency();
}

void YAudioEffectPluginToAudioPluginAdapter::TellLatency() {
    m_toldLatency = GetLatency();
    ReportLatency();
}

bool YAudioEffectPluginToAudioPluginAdapter::FollowLatency() {
    return YGuard("YAudioEffectPluginToAudioPluginAdapter::FollowLatency", false, [&] {
        int32_t wanted = 0;
        {
            // The effect reads parameter values that host threads write under this lock.
            YScopedLock parameters(ParameterLock());
            wanted = EffectLatency();
        }
        if (wanted != m_configuredLatency.load(std::memory_order_relaxed)) {
            // Only the frame's own delays follow: the effect keeps playing (its lines glide to
            // the new delay), where a full re-initialisation would clear it and click.
            const YConfigurationLock locks(*this);
            const int32_t latency = EffectLatency();
            m_configuredLatency = latency;
            for (LatencyLine& line : m_lines) line.Configure(latency);
            SizeBypassDelayLines(GetLatency());
        }
        // A state load sets processing up itself, but the host still has to hear of it: now,
        // or at its next call when this is one of the plug-in's own threads.
        if (GetLatency() == m_toldLatency.load(std::memory_order_relaxed)) return false;
        if (YHostCallDeferral::Active()) return false;
        TellLatency();
        return true;
    });
}

int32_t YAudioEffectPluginToAudioPluginAdapter::GetTailLength() {
    return YGuard("YAudioEffectPluginToAudioPluginAdapter::GetTailLength", 0, [&] {
        // The effect reads parameter values that host threads write under this lock. Hosts ask
        // from any thread, so the lock is tried once: while another thread (the GUI) holds it,
        // the answer is the one computed last.
        YLock& parameters = ParameterLock();
        if (parameters.Lock(0) != 0) return m_lastTail.load(std::memory_order_relaxed);
        int64_t tail = 0;
        int32_t latency = 0;
        {
            struct Release {
                YLock& lock;
                ~Release() { lock.Unlock(); }
            } release{parameters};
            tail = m_host.Call(kEffectTailLength);
            latency = GetLatency(); // reads the effect under the lock held here
        }
        int32_t answer = -1; // the effect never falls silent
        if (tail >= 0) {
            // The effect counts at the processing rate; the output lags the input by the latency.
            const int64_t factor = std::max(UpsamplingFactor(), 1);
            const int64_t host = (tail + factor - 1) / factor + latency;
            answer = static_cast<int32_t>(std::min<int64_t>(host, INT32_MAX));
        }
        m_lastTail.store(answer, std::memory_order_relaxed);
        return answer;
    });
}

bool YAudioEffectPluginToAudioPluginAdapter::AddsToOutput() {
    const YAudioEffectInformation* information = m_host.Information();
    return information != nullptr && (information->Flags & kEffectFlagAddsToOutput) != 0;
}

bool YAudioEffectPluginToAudioPluginAdapter::NeedsSeparateInputs() {
    const YAudioEffectInformation* information = m_host.Information();
    return information != nullptr &&
           (information->Flags & (kEffectFlagSeparateInputs | kEffectFlagDryCombination)) != 0;
}

bool YAudioEffectPluginToAudioPluginAdapter::SetConfiguredChannelMode(int32_t mode) {
    if (mode < 0 || mode >= kChannelModeCount) return false;
    const YConfigurationLock locks(*this);
    m_configuredMode = mode;
    return true;
}

void YAudioEffectPluginToAudioPluginAdapter::SetSurroundChannelMask(uint8_t mask) {
    const YConfigurationLock locks(*this);
    m_surroundMask = mask;
}

void YAudioEffectPluginToAudioPluginAdapter::SetUpsamplingMode(int32_t mode) {
    const YConfigurationLock locks(*this);
    m_upsamplingMode = mode;
}

void YAudioEffectPluginToAudioPluginAdapter::SetHighQualityUpsamplingSetting(bool on) {
    const YConfigurationLock locks(*this);
    m_highQualitySetting = on;
}

void YAudioEffectPluginToAudioPluginAdapter::SetAGCMode(int32_t mode) {
    const YConfigurationLock locks(*this);
    m_agcMode = mode;
}

void YAudioEffectPluginToAudioPluginAdapter::SetTriggerUpdateMode(int32_t which, int32_t mode) {
    const YConfigurationLock locks(*this);
    m_triggerUpdateMode[which & 1] = mode;
}

void YAudioEffectPluginToAudioPluginAdapter::SetControllersEnabled(bool on) {
    const YConfigurationLock locks(*this);
    m_midiMap.ControllersEnabled = on;
}

void YAudioEffectPluginToAudioPluginAdapter::SetNoteControllersEnabled(bool on) {
    const YConfigurationLock locks(*this);
    m_midiMap.NoteControllersEnabled = on;
}

void YAudioEffectPluginToAudioPluginAdapter::SetSincInterpolation(bool on) {
    {
        const YConfigurationLock locks(*this);
        m_frameSettings.Sinc = on ? 1 : 0;
        // The effect chooses its interpolation in its update.
        if (YAudioEffectPlugin* effect = m_host.Effect()) effect->SetNeedsUpdate();
    }
    // The interpolation decides how long the effect's dry path waits.
    FollowLatency();
}

bool YAudioEffectPluginToAudioPluginAdapter::IsMidSideMode() const noexcept {
    return m_activeMode == kModeMono || m_activeMode == kModeStereo || m_activeMode == kModeMonoStereo;
}

int32_t YAudioEffectPluginToAudioPluginAdapter::ChannelModeFromName(const YString& name) noexcept {
    for (int32_t mode = 0; mode < kChannelModeCount; ++mode)
        if (name == YString::Literal(kChannelModeNames[mode])) return mode;
    return -1;
}

// ---------------------------------------------------------------------------------------------
// Up-sampling, AGC, panic

bool YAudioEffectPluginToAudioPluginAdapter::SetUpsamplingFactor(int32_t factor, bool highQuality) {
    if (factor != 1 && factor != 2 && factor != 4 && factor != 8 && factor != 16) return false;
    bool changed = false;
    {
        const YConfigurationLock locks(*this);
        m_upsamplingMode = std::countr_zero(static_cast<uint32_t>(factor));
        m_highQualitySetting = highQuality;
        if (factor != UpsamplingFactor() || highQuality != HighQualityUpsampling()) {
            SetUpsampling(factor, highQuality);
            InitProcessing();
            changed = true;
        }
    }
    if (changed) TellLatency();
    return true;
}

void YAudioEffectPluginToAudioPluginAdapter::UpdateUpsamplingFactor() {
    const int32_t mode = std::clamp(m_upsamplingMode, 0, 4);
    SetUpsamplingFactor(1 << mode, m_highQualitySetting);
}

void YAudioEffectPluginToAudioPluginAdapter::OnAGCChange() {
    YGuard("YSpecialEventTarget::OnAGCChange", [&] { InitProcessing(); });
}

void YAudioEffectPluginToAudioPluginAdapter::OnUpsamplingChange() {
    YGuard("YSpecialEventTarget::OnUpsamplingChange", [&] { UpdateUpsamplingFactor(); });
}

void YAudioEffectPluginToAudioPluginAdapter::Panic() {
    YGuard("YAudioEffectPluginToAudioPluginAdapter::Panic", [&] {
        {
            // Notes the host will never release would hold note controllers down.
            const YConfigurationLock locks(*this);
            m_midiMap.ResetPlayingState();
        }
        InitProcessing();
        TellLatency();
    });
}
