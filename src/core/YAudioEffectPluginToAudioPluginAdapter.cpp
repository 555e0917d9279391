#include "core/YAudioEffectPluginToAudioPluginAdapter.h"

#include "core/YConfigurationLock.h"
#include "core/YParameterAdapters.h"
#include "foundation/YException.h"
#include "foundation/YXMLItem.h"

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

namespace {

const char* const kMultiParameterModes[] = {"Normal", "Switch", "Trigger", "Banks"};
const char* const kMultiParameterValueModes[] = {"Percents", "By first parameter"};

void Copy(float* out, const float* in, int32_t frames) noexcept {
    if (out != in) std::memmove(out, in, static_cast<size_t>(frames) * sizeof(float));
}

void Clear(float* out, int32_t frames) noexcept {
    std::memset(out, 0, static_cast<size_t>(frames) * sizeof(float));
}

// Left/right to mid/side; in and out may be the same buffers.
void ToMidSide(const float* left, const float* right, float* mid, float* side, int32_t frames) noexcept {
    for (int32_t i = 0; i < frames; ++i) {
        const float l = left[i];
        const float r = right[i];
        mid[i] = (l + r) * 0.5f;
        side[i] = (l - r) * 0.5f;
    }
}

void ToLeftRight(float* mid, float* side, int32_t frames) noexcept {
    for (int32_t i = 0; i < frames; ++i) {
        const float m = mid[i];
        const float s = side[i];
        mid[i] = m + s;
        side[i] = m - s;
    }
}

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
void EnumName(const YStorer& storer, const YString& name, YString& value, const char* const* names, int32_t count) {
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
// Latency line

void YAudioEffectPluginToAudioPluginAdapter::LatencyLine::Configure(int32_t delay) {
    m_delay = std::clamp(delay, 0, kMaxFrames);
    const uint32_t size = std::bit_ceil(static_cast<uint32_t>(m_delay) + 1u);
    if (m_buffer.size() < size) m_buffer.resize(size);
    m_mask = size - 1u;
    Clear();
}

void YAudioEffectPluginToAudioPluginAdapter::LatencyLine::Clear() noexcept {
    std::fill(m_buffer.begin(), m_buffer.end(), 0.0f);
    m_write = 0;
}

void YAudioEffectPluginToAudioPluginAdapter::LatencyLine::Process(const float* in, float* out,
                                                                  int32_t frames) noexcept {
    if (m_delay == 0 || m_buffer.empty()) {
        Copy(out, in, frames);
        return;
    }
    float* ring = m_buffer.data();
    const uint32_t delay = static_cast<uint32_t>(m_delay);
    for (int32_t i = 0; i < frames; ++i) {
        ring[m_write] = in[i]; // read before the write: in and out may be one buffer
        out[i] = ring[(m_write - delay) & m_mask];
        m_write = (m_write + 1u) & m_mask;
    }
}

// ---------------------------------------------------------------------------------------------
// MIDI and effect requests

namespace {

// MIDI may arrive outside the block (VST 2.4 delivers events before processing): the effect
// hears it only while no other thread is reconfiguring it, and the audio thread never waits.
class MIDIEntry {
public:
    explicit MIDIEntry(YSynchronizer& lock) noexcept : m_lock(lock), m_entered(lock.Lock(0) == 0) {}
    ~MIDIEntry() {
        if (m_entered) m_lock.Unlock();
    }
    MIDIEntry(const MIDIEntry&) = delete;
    MIDIEntry& operator=(const MIDIEntry&) = delete;
    bool Entered() const noexcept { return m_entered; }

private:
    YSynchronizer& m_lock;
    bool m_entered;
};

} // namespace

void YAudioEffectPluginToAudioPluginAdapter::MIDIForwarder::OnNote(int32_t channel, int32_t note, double velocity,
                                                                   bool on, int32_t heldNotes) {
    YEffectArguments arguments;
    arguments.SetInteger(0, channel);
    arguments.SetInteger(1, note);
    arguments.SetDouble(2, velocity);
    arguments.SetInteger(3, static_cast<int64_t>(heldNotes) * 2 + (on ? 1 : 0));
    const MIDIEntry entry(m_owner.ProcessingLock());
    if (entry.Entered()) m_owner.m_host.Call(kEffectMIDINote, &arguments);
}

void YAudioEffectPluginToAudioPluginAdapter::MIDIForwarder::Send(int32_t kind, int32_t channel, int32_t number,
                                                                 double value) {
    YEffectArguments arguments;
    arguments.SetInteger(0, kind);
    arguments.SetInteger(1, channel);
    arguments.SetInteger(2, number);
    arguments.SetDouble(3, value);
    const MIDIEntry entry(m_owner.ProcessingLock());
    if (entry.Entered()) m_owner.m_host.Call(kEffectMIDIEvent, &arguments);
}

void YAudioEffectPluginToAudioPluginAdapter::MIDIForwarder::OnController(int32_t channel, int32_t controller,
                                                                         double value) {
    Send(kMIDIController, channel, controller, value);
}

void YAudioEffectPluginToAudioPluginAdapter::MIDIForwarder::OnPitchBend(int32_t channel, double value) {
    Send(kMIDIPitchBend, channel, 0, value);
}

void YAudioEffectPluginToAudioPluginAdapter::MIDIForwarder::OnChannelAftertouch(int32_t channel, double value) {
    Send(kMIDIChannelAftertouch, channel, 0, value);
}

void YAudioEffectPluginToAudioPluginAdapter::MIDIForwarder::OnPolyAftertouch(int32_t channel, int32_t note,
                                                                             double value) {
    Send(kMIDIPolyAftertouch, channel, note, value);
}

void YAudioEffectPluginToAudioPluginAdapter::MIDIForwarder::OnProgramChange(int32_t channel, int32_t program) {
    Send(kMIDIProgramChange, channel, program, 0.0);
}

void YAudioEffectPluginToAudioPluginAdapter::MIDIForwarder::OnAllNotesOff(int32_t channel) {
    Send(kMIDIAllNotesOff, channel, 0, 0.0);
}

void YAudioEffectPluginToAudioPluginAdapter::MIDIForwarder::OnAllSoundOff(int32_t channel) {
    Send(kMIDIAllSoundOff, channel, 0, 0.0);
}

void YAudioEffectPluginToAudioPluginAdapter::MIDIForwarder::OnRawEvent(int32_t channel, int32_t status,
                                                                       int32_t data1, int32_t data2) {
    Send(kMIDIRawEvent, channel, (status & 0xFF) | (data1 & 0xFF) << 8 | (data2 & 0xFF) << 16, 0.0);
}

int64_t YAudioEffectPluginToAudioPluginAdapter::RequestListener::OnEffectRequest(int32_t request, int64_t) {
    switch (request) {
    case kHostRequestUpdateDisplay:
    case kHostRequestParameterAvailability:
        // Lock-free marks: the request may come from the audio thread.
        for (int32_t number = 0; number < m_owner.AutomationAdapterCount(); ++number)
            m_owner.NeedUpdateEditor(m_owner.GetAutomationAdapter(number));
        return 1;
    default:
        return 0;
    }
}

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
    YGuard("YAudioEffectPluginToAudioPluginAdapter::~YAudioEffectPluginToAudioPluginAdapter", [&] {
        RemoveMIDIListener(&m_midiForwarder);
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
        effect.SetFrameSettings(&m_frameSettings);
        CreateParameterAdapters();
        AddMIDIListener(&m_midiForwarder);
        InitProcessing();
    } catch (...) {
        RemoveMIDIListener(&m_midiForwarder);
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
    publish(information.Parameters, std::clamp(information.ParameterCount, 0, YAudioEffectPlugin::kMaxParameters), 0);
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
    for (LatencyLine& line : m_lines) line.Configure(latency);
    InitProcessingCore();

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
        return static_cast<int32_t>(std::clamp<int64_t>(m_host.Call(kEffectLatency), 0, kMaxFrames));
    });
}

int32_t YAudioEffectPluginToAudioPluginAdapter::GetLatency() {
    return EffectLatency() / std::max(UpsamplingFactor(), 1) + UpsamplingLatency();
}

int32_t YAudioEffectPluginToAudioPluginAdapter::GetTailLength() {
    return YGuard("YAudioEffectPluginToAudioPluginAdapter::GetTailLength", 0, [&] {
        const int64_t tail = m_host.Call(kEffectTailLength);
        if (tail < 0) return -1; // the effect never falls silent
        // The effect counts at the processing rate; the output lags the input by the latency.
        const int64_t factor = std::max(UpsamplingFactor(), 1);
        const int64_t host = (tail + factor - 1) / factor + GetLatency();
        return static_cast<int32_t>(std::min<int64_t>(host, INT32_MAX));
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
    m_controllersEnabled = on;
}

void YAudioEffectPluginToAudioPluginAdapter::SetNoteControllersEnabled(bool on) {
    const YConfigurationLock locks(*this);
    m_noteControllersEnabled = on;
}

void YAudioEffectPluginToAudioPluginAdapter::SetSincInterpolation(bool on) {
    const YConfigurationLock locks(*this);
    m_frameSettings.Sinc = on ? 1 : 0;
    // The effect chooses its interpolation in its update.
    if (YAudioEffectPlugin* effect = m_host.Effect()) effect->SetNeedsUpdate();
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
    if (changed) ReportLatency();
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
        InitProcessing();
        ReportLatency();
    });
}

// ---------------------------------------------------------------------------------------------
// Preset triggers and meters

void YAudioEffectPluginToAudioPluginAdapter::PushPresetStep(int32_t step) noexcept {
    const uint32_t tail = m_presetStepTail.load(std::memory_order_relaxed);
    const uint32_t head = m_presetStepHead.load(std::memory_order_acquire);
    if (tail - head >= kPresetStepQueueSize) return; // the GUI thread is far behind: drop
    m_presetSteps[tail % kPresetStepQueueSize] = static_cast<int8_t>(step);
    m_presetStepTail.store(tail + 1u, std::memory_order_release);
}

bool YAudioEffectPluginToAudioPluginAdapter::TakePresetStep(int32_t& step) noexcept {
    const uint32_t head = m_presetStepHead.load(std::memory_order_relaxed);
    const uint32_t tail = m_presetStepTail.load(std::memory_order_acquire);
    if (head == tail) return false;
    step = m_presetSteps[head % kPresetStepQueueSize];
    m_presetStepHead.store(head + 1u, std::memory_order_release);
    return true;
}

void YAudioEffectPluginToAudioPluginAdapter::FeedPeaks(std::atomic<float>* peaks, float* const* channels,
                                                       int32_t count, int32_t frames) noexcept {
    for (int32_t c = 0; c < count; ++c) {
        const float* samples = channels[c];
        if (samples == nullptr) continue;
        float peak = 0.0f;
        for (int32_t i = 0; i < frames; ++i) peak = std::max(peak, std::fabs(samples[i]));
        if (!std::isfinite(peak)) continue;
        float held = peaks[c].load(std::memory_order_relaxed);
        while (peak > held && !peaks[c].compare_exchange_weak(held, peak, std::memory_order_relaxed)) {
        }
    }
}

float YAudioEffectPluginToAudioPluginAdapter::TakeInputPeak(int32_t channel) noexcept {
    if (channel < 0 || channel >= kMaxChannelsPerBus) return 0.0f;
    return m_inputPeaks[channel].exchange(0.0f, std::memory_order_relaxed);
}

float YAudioEffectPluginToAudioPluginAdapter::TakeOutputPeak(int32_t channel) noexcept {
    if (channel < 0 || channel >= kMaxChannelsPerBus) return 0.0f;
    return m_outputPeaks[channel].exchange(0.0f, std::memory_order_relaxed);
}

// ---------------------------------------------------------------------------------------------
// Processing (audio thread, under the processing and parameter locks)

void YAudioEffectPluginToAudioPluginAdapter::PrepareForProcessingOnce(float**, float**, int32_t) {
    for (int32_t which = 0; which < 2; ++which) {
        const double value = m_triggers[which].Float.Value;
        if (m_triggerPrevious[which] < kTriggerThreshold && value >= kTriggerThreshold)
            PushPresetStep(which == 0 ? -1 : 1);
        if (m_triggerUpdateMode[which] == 1) m_triggerPrevious[which] = value;
    }
}

void YAudioEffectPluginToAudioPluginAdapter::ProcessSubBlocks(float** inputs, float** outputs, int32_t frames) {
    PrepareForProcessingOnce(inputs, outputs, frames);
    if (!m_host.HasEffect()) {
        RunSubBlocks(inputs, outputs, frames);
        return;
    }
    const bool hasInputs = inputs[0] != nullptr;
    PreProcessChannels(inputs, outputs, frames, hasInputs);
    if (m_effectChannels > 0) RunSubBlocks(m_effectInputs, m_effectOutputs, frames);
    PostProcessChannels(inputs, outputs, frames);
    if (hasInputs && m_host.Information() != nullptr &&
        (m_host.Information()->Flags & kEffectFlagDryCombination) != 0)
        CombineDry(inputs, outputs, frames);
}

void YAudioEffectPluginToAudioPluginAdapter::PreProcessChannels(float** inputs, float** outputs, int32_t frames,
                                                                bool hasInputs) {
    const int32_t channels = m_busChannels;
    float** in = m_blockInputs;
    float** out = m_blockOutputs;
    for (int32_t c = 0; c < kMaxChannelsPerBus; ++c) {
        out[c] = c < channels ? outputs[c] : nullptr;
        in[c] = c < channels ? (hasInputs ? inputs[c] : out[c]) : nullptr;
    }
    if (!hasInputs) {
        // Nothing comes in: the effect runs on silence in its output buffers.
        for (int32_t c = 0; c < channels; ++c)
            if (out[c] != nullptr && (c == 0 || out[c] != out[c - 1])) Clear(out[c], frames);
    }
    for (int32_t slot = 0; slot < kMaxSlots; ++slot) {
        m_effectInputs[slot] = slot < kMaxChannelsPerBus ? in[slot] : (hasInputs ? inputs[slot] : nullptr);
        m_effectOutputs[slot] = slot < kMaxChannelsPerBus ? out[slot] : outputs[slot];
    }

    m_blockConverted = false;
    if (m_conversionActive) {
        // Two outputs sharing one buffer cannot carry two different channels.
        if (in[0] == nullptr || in[1] == nullptr || out[0] == nullptr || out[1] == nullptr || out[0] == out[1])
            return;
        m_blockConverted = true;
        switch (m_activeMode) {
        case kModeLeft:
            break;
        case kModeRight:
            m_effectInputs[0] = in[1];
            m_effectOutputs[0] = out[1];
            break;
        case kModeMono:
        case kModeStereo:
        case kModeMonoStereo:
            ToMidSide(in[0], in[1], out[0], out[1], frames);
            m_effectInputs[0] = out[0];
            m_effectInputs[1] = out[1];
            if (m_activeMode == kModeStereo) {
                m_effectInputs[0] = out[1];
                m_effectOutputs[0] = out[1];
            }
            break;
        case kModeLeftRightNegative:
            for (int32_t i = 0; i < frames; ++i) out[1][i] = -in[1][i];
            m_effectInputs[1] = out[1];
            break;
        default:
            break;
        }
        return;
    }

    // Channels the effect leaves out pass through, delayed like the effect's own.
    for (int32_t c = 0; c < channels; ++c) {
        if ((m_processedMask >> c & 1u) != 0 || out[c] == nullptr) continue;
        if (hasInputs && in[c] != nullptr)
            m_lines[c].Process(in[c], out[c], frames);
        else
            Clear(out[c], frames);
    }
    if (m_compacted) {
        for (int32_t k = 0; k < kMaxChannelsPerBus; ++k) {
            const bool used = k < m_effectChannels;
            m_effectInputs[k] = used ? in[m_compactMap[k]] : nullptr;
            m_effectOutputs[k] = used ? out[m_compactMap[k]] : nullptr;
        }
    }
}

void YAudioEffectPluginToAudioPluginAdapter::PostProcessChannels(float**, float**, int32_t frames) {
    if (!m_blockConverted) return;
    float** in = m_blockInputs;
    float** out = m_blockOutputs;
    switch (m_activeMode) {
    case kModeLeft:
        m_lines[1].Process(in[1], out[1], frames);
        PostProcessChannel(out[1], frames, 1);
        break;
    case kModeRight:
        m_lines[0].Process(in[0], out[0], frames);
        PostProcessChannel(out[0], frames, 0);
        break;
    case kModeMono:
        m_lines[1].Process(out[1], out[1], frames);
        PostProcessChannel(out[1], frames, 1);
        ToLeftRight(out[0], out[1], frames);
        break;
    case kModeStereo:
        m_lines[0].Process(out[0], out[0], frames);
        PostProcessChannel(out[0], frames, 0);
        ToLeftRight(out[0], out[1], frames);
        break;
    case kModeMonoStereo:
        ToLeftRight(out[0], out[1], frames);
        break;
    default:
        break;
    }
}

void YAudioEffectPluginToAudioPluginAdapter::CombineDry(float** inputs, float** outputs, int32_t frames) {
    const int32_t buses = std::min(GetInputBusCount(), GetOutputBusCount());
    const int32_t channels = std::min(m_busChannels, GetProcessingInputChannelsPerBus());
    for (int32_t bus = 0; bus < buses; ++bus) {
        for (int32_t c = 0; c < channels; ++c) {
            const int32_t slot = bus * kMaxChannelsPerBus + c;
            float* out = outputs[slot];
            const float* in = inputs[slot];
            if (out == nullptr || in == nullptr || out == in || (c > 0 && out == outputs[slot - 1])) continue;
            for (int32_t i = 0; i < frames; ++i) out[i] += in[i];
        }
    }
}

void YAudioEffectPluginToAudioPluginAdapter::ParametersChanged() {
    if (YAudioEffectPlugin* effect = m_host.Effect()) effect->SetNeedsUpdate();
}

void YAudioEffectPluginToAudioPluginAdapter::Process(float** inputs, float** outputs, int32_t frames) {
    if (!m_host.HasEffect()) {
        YAudioPlugin::Process(inputs, outputs, frames);
        return;
    }
    const bool metering = m_metersActive.load(std::memory_order_relaxed);
    if (metering) FeedPeaks(m_inputPeaks, inputs, m_effectChannels, frames);
    YAudioEffectPlugin* effect = m_host.Effect();
    if (effect != nullptr && effect->TakeNeedsUpdate()) m_host.Call(kEffectUpdate);
    YEffectArguments process;
    process.SetPointer(0, &HostSync());
    process.SetPointer(1, inputs);
    process.SetPointer(2, outputs);
    process.SetInteger(3, frames);
    m_host.Call(kEffectProcess, &process);
    if (metering) FeedPeaks(m_outputPeaks, outputs, m_effectChannels, frames);
}

void YAudioEffectPluginToAudioPluginAdapter::ProcessUpdate() {
    YGuard("YAudioEffectPluginToAudioPluginAdapter::ProcessUpdate", [&] {
        if (EditorExists()) m_host.Call(kEffectEditorUpdate);
    });
}

// ---------------------------------------------------------------------------------------------
// State

void YAudioEffectPluginToAudioPluginAdapter::Store(YStorer& storer) {
    if (storer.Item == nullptr) return;
    YXMLItem& item = *storer.Item;
    storer.Integer("Version", m_version, kLegacyVersion);

    if (storer.IsWriting()) {
        item.SetAttribute("ChannelMode", YString::Literal(kChannelModeNames[std::clamp(m_configuredMode, 0, 7)]));
        if (m_configuredMode == kModeSurround) {
            YString enabled;
            for (int32_t c = 0; c < kMaxChannelsPerBus; ++c) enabled += (m_surroundMask >> c & 1u) ? u'1' : u'0';
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
