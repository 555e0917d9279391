#include "VstPluginHost.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
// The instance whose entry function is running: the plug-in may call back before the host
// has its AEffect record in hand.
thread_local VstPluginHost* t_creatingHost = nullptr;

constexpr const char* kHostVendor = "Vornik";
constexpr const char* kHostProduct = "vornik-host";

// Copies text into a plug-in's buffer of the given capacity (terminating zero included).
void CopyText(void* destination, const char* text, std::size_t capacity) {
    if (!destination || capacity == 0) return;
    std::size_t length = std::min(std::strlen(text), capacity - 1);
    std::memcpy(destination, text, length);
    static_cast<char*>(destination)[length] = 0;
}
bool IsUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const int length = byte < 0x80 ? 1 : (byte >> 5) == 0x6 ? 2 : (byte >> 4) == 0xE ? 3 : (byte >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (int k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}
} // namespace

std::string VstPluginHost::TextFromPlugin(const std::string& text) {
    return IsUtf8(text) ? text : YString::FromLatin1(text).ToUTF8();
}

VstPluginHost::~VstPluginHost() { Close(); }

void VstPluginHost::Load(const std::string& path, const Settings& settings) {
    if (m_effect) throw HostError("A plug-in is loaded already");
    if (!m_library.Open(YString::FromUTF8(path))) throw HostError(m_library.ErrorText().ToUTF8());
    auto entry = m_library.Function<Vst2::PluginEntryProc>("VSTPluginMain");
    if (!entry) entry = m_library.Function<Vst2::PluginEntryProc>("main");
    if (!entry) {
        m_library.Close();
        throw HostError("\"" + path + "\" exports neither VSTPluginMain nor main: not a VST 2.4 plug-in");
    }
    try {
        Create(entry, settings);
    } catch (...) {
        m_library.Close();
        throw;
    }
}

void VstPluginHost::Create(Vst2::PluginEntryProc entry, const Settings& settings) {
    if (m_effect) throw HostError("A plug-in is loaded already");
    if (settings.sampleRate <= 0 || settings.blockSize <= 0 || settings.tempo <= 0)
        throw HostError("Sample rate, block size and tempo must be positive");
    m_settings = settings;
    m_log = CallbackLog{};
    m_samplePosition = 0.0;
    m_transportChanged = true;

    t_creatingHost = this;
    Vst2::AEffect* effect = entry(&VstPluginHost::Callback);
    t_creatingHost = nullptr;
    if (!effect) throw HostError("The plug-in's entry returned no effect");
    if (effect->magic != Vst2::kEffectMagic) throw HostError("The plug-in's entry returned a record without the VST magic");
    if (!effect->dispatcher) throw HostError("The plug-in's effect has no dispatcher");
    effect->resvd1 = reinterpret_cast<intptr_t>(this);
    m_effect = effect;

    Dispatch(Vst2::effOpen);
    Dispatch(Vst2::effSetSampleRate, 0, 0, nullptr, static_cast<float>(m_settings.sampleRate));
    Dispatch(Vst2::effSetBlockSize, 0, m_settings.blockSize);
    if (!m_effect->processReplacing || !(m_effect->flags & Vst2::effFlagsCanReplacing)) {
        Close();
        throw HostError("The plug-in does not offer processReplacing");
    }
}

void VstPluginHost::Start() {
    if (m_started) return;
    Dispatch(Vst2::effMainsChanged, 0, 1);
    Dispatch(Vst2::effStartProcess);
    m_started = true;
}

void VstPluginHost::Stop() {
    if (!m_started || !m_effect) return;
    Dispatch(Vst2::effStopProcess);
    Dispatch(Vst2::effMainsChanged, 0, 0);
    m_started = false;
}

void VstPluginHost::Close() noexcept {
    if (m_effect) {
        Stop();
        // The plug-in deletes itself on effClose; the record is gone after this call.
        m_effect->dispatcher(m_effect, Vst2::effClose, 0, 0, nullptr, 0.0f);
        m_effect = nullptr;
    }
    m_library.Close();
}

const Vst2::AEffect& VstPluginHost::Effect() const {
    if (!m_effect) throw HostError("No plug-in is loaded");
    return *m_effect;
}

intptr_t VstPluginHost::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    Effect();
    return m_effect->dispatcher(m_effect, opcode, index, value, ptr, opt);
}

std::string VstPluginHost::DispatchText(int32_t opcode, int32_t index) {
    // Far more room than the interface promises: plug-ins often write past its limits.
    char text[512] = {};
    Dispatch(opcode, index, 0, text);
    text[sizeof(text) - 1] = 0;
    return TextFromPlugin(text);
}

std::string VstPluginHost::EffectName() { return DispatchText(Vst2::effGetEffectName, 0); }
std::string VstPluginHost::VendorString() { return DispatchText(Vst2::effGetVendorString, 0); }

void VstPluginHost::CheckIndex(int32_t index) const {
    if (index < 0 || index >= ParameterCount())
        throw HostError("Parameter index " + std::to_string(index) + " is out of range (the plug-in has " +
                        std::to_string(ParameterCount()) + ")");
}

std::string VstPluginHost::ParameterName(int32_t index) {
    CheckIndex(index);
    return DispatchText(Vst2::effGetParamName, index);
}

std::string VstPluginHost::ParameterLabel(int32_t index) {
    CheckIndex(index);
    return DispatchText(Vst2::effGetParamLabel, index);
}

std::string VstPluginHost::ParameterDisplay(int32_t index) {
    CheckIndex(index);
    return DispatchText(Vst2::effGetParamDisplay, index);
}

float VstPluginHost::GetParameter(int32_t index) {
    CheckIndex(index);
    return m_effect->getParameter ? m_effect->getParameter(m_effect, index) : 0.0f;
}

void VstPluginHost::SetParameter(int32_t index, float value) {
    CheckIndex(index);
    if (!m_effect->setParameter) throw HostError("The plug-in has no setParameter entry");
    m_effect->setParameter(m_effect, index, std::clamp(value, 0.0f, 1.0f));
}

bool VstPluginHost::ParseParameterText(int32_t index, const std::string& text) {
    CheckIndex(index);
    std::string copy = text;
    return Dispatch(Vst2::effString2Parameter, index, 0, copy.data()) != 0;
}

std::vector<uint8_t> VstPluginHost::SaveState() {
    if (!HasChunks()) throw HostError("The plug-in keeps no state chunks");
    void* data = nullptr;
    const intptr_t size = Dispatch(Vst2::effGetChunk, 0, 0, &data);
    if (size <= 0 || !data) throw HostError("The plug-in handed out no state");
    const auto* bytes = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(bytes, bytes + size);
}

void VstPluginHost::LoadState(const std::vector<uint8_t>& bytes) {
    if (!HasChunks()) throw HostError("The plug-in keeps no state chunks");
    if (bytes.empty()) throw HostError("The state is empty");
    std::vector<uint8_t> copy = bytes; // the plug-in may keep reading while we hold it
    if (Dispatch(Vst2::effSetChunk, 0, static_cast<intptr_t>(copy.size()), copy.data()) == 0) {
        // A plug-in that knows the request says why; others leave the text empty.
        char reason[1024] = {};
        Dispatch(Vst2::effVendorSpecific, Vst2::kVendorStateRefusal, sizeof reason, reason);
        reason[sizeof reason - 1] = 0;
        throw HostError(reason[0] != 0 ? std::string(reason) : "The plug-in refused the state");
    }
}

void VstPluginHost::QueueParameterPoint(int32_t index, int32_t frame, double value) {
    CheckIndex(index);
    if (!m_effect->setParameter) throw HostError("The plug-in has no setParameter entry");
    m_points.push_back({std::max(frame, 0), index, static_cast<float>(std::clamp(value, 0.0, 1.0))});
}

bool VstPluginHost::QueueMidi(int32_t frame, const uint8_t* bytes, int32_t size) {
    if (!bytes || size < 1 || size != MidiChannelMessageSize(bytes[0])) return false;
    Vst2::VstMidiEvent event{};
    event.type = Vst2::kVstMidiType;
    event.byteSize = sizeof(Vst2::VstMidiEvent);
    event.deltaFrames = std::max(frame, 0);
    for (int32_t k = 0; k < size; ++k) event.midiData[k] = static_cast<char>(bytes[k]);
    m_midi.push_back(event);
    return true;
}

void VstPluginHost::Process(float** inputs, float** outputs, int32_t frames) {
    Effect();
    if (frames < 0 || frames > m_settings.blockSize)
        throw HostError("A block of " + std::to_string(frames) + " frames exceeds the block size");
    if (!m_started) Start();
    // Queued in frame order; a stable sort keeps that promise for callers that mix lanes.
    const auto byFrame = [](const auto& a, const auto& b) { return a.frame < b.frame; };
    std::stable_sort(m_points.begin(), m_points.end(), byFrame);
    std::stable_sort(m_midi.begin(), m_midi.end(),
                     [](const Vst2::VstMidiEvent& a, const Vst2::VstMidiEvent& b) { return a.deltaFrames < b.deltaFrames; });

    std::size_t nextPoint = 0, nextMidi = 0;
    int32_t from = 0;
    do {
        for (; nextPoint < m_points.size() && m_points[nextPoint].frame <= from; ++nextPoint)
            m_effect->setParameter(m_effect, m_points[nextPoint].index, m_points[nextPoint].value);
        const int32_t to = nextPoint < m_points.size() ? std::min(m_points[nextPoint].frame, frames) : frames;
        ProcessPart(inputs, outputs, from, to, to == frames, nextMidi);
        from = to;
    } while (from < frames);
    // Points and events past the block's end belong to its last frame.
    for (; nextPoint < m_points.size(); ++nextPoint)
        m_effect->setParameter(m_effect, m_points[nextPoint].index, m_points[nextPoint].value);
    m_points.clear();
    m_midi.clear();
}

void VstPluginHost::ProcessPart(float** inputs, float** outputs, int32_t from, int32_t to, bool lastPart,
                                std::size_t& nextMidi) {
    const std::size_t firstMidi = nextMidi;
    // The block's last part takes every event left, even one whose frame lies past the end.
    while (nextMidi < m_midi.size() && (lastPart || m_midi[nextMidi].deltaFrames < to)) ++nextMidi;
    if (nextMidi > firstMidi) {
        for (std::size_t k = firstMidi; k < nextMidi; ++k) m_midi[k].deltaFrames -= from;
        SendEvents(m_midi.data() + firstMidi, nextMidi - firstMidi);
    }
    if (to <= from) return;
    m_partInputs.resize(static_cast<std::size_t>(std::max(InputCount(), 0)));
    m_partOutputs.resize(static_cast<std::size_t>(std::max(OutputCount(), 0)));
    for (std::size_t c = 0; c < m_partInputs.size(); ++c) m_partInputs[c] = inputs[c] + from;
    for (std::size_t c = 0; c < m_partOutputs.size(); ++c) m_partOutputs[c] = outputs[c] + from;
    m_effect->processReplacing(m_effect, m_partInputs.data(), m_partOutputs.data(), to - from);
    m_samplePosition += to - from;
    m_transportChanged = false;
}

void VstPluginHost::SendEvents(const Vst2::VstMidiEvent* events, std::size_t count) {
    const std::size_t header = offsetof(Vst2::VstEvents, events);
    m_events.assign(header + std::max<std::size_t>(count, 2) * sizeof(Vst2::VstEvent*), std::byte{0});
    auto* block = reinterpret_cast<Vst2::VstEvents*>(m_events.data());
    block->numEvents = static_cast<int32_t>(count);
    auto** table = reinterpret_cast<Vst2::VstEvent**>(m_events.data() + header);
    for (std::size_t k = 0; k < count; ++k)
        table[k] = reinterpret_cast<Vst2::VstEvent*>(const_cast<Vst2::VstMidiEvent*>(events + k));
    Dispatch(Vst2::effProcessEvents, 0, 0, block);
}

Vst2::VstTimeInfo* VstPluginHost::TimeInfo() {
    using namespace Vst2;
    VstTimeInfo& info = m_timeInfo;
    info = VstTimeInfo{};
    info.samplePos = m_samplePosition;
    info.sampleRate = m_settings.sampleRate;
    info.ppqPos = m_samplePosition / m_settings.sampleRate * m_settings.tempo / 60.0;
    info.tempo = m_settings.tempo;
    info.timeSigNumerator = 4;
    info.timeSigDenominator = 4;
    info.barStartPos = std::floor(info.ppqPos / 4.0) * 4.0;
    info.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstBarsValid | kVstTimeSigValid |
                 (m_transportChanged ? kVstTransportChanged : 0);
    return &info;
}

intptr_t VstPluginHost::Callback(Vst2::AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                 float opt) {
    VstPluginHost* host = (effect && effect->resvd1) ? reinterpret_cast<VstPluginHost*>(effect->resvd1)
                                                      : t_creatingHost;
    if (opcode == Vst2::audioMasterVersion) {
        if (host) ++host->m_log.versionRequests;
        return Vst2::kVstVersion;
    }
    return host ? host->Answer(opcode, index, value, ptr, opt) : 0;
}

intptr_t VstPluginHost::Answer(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    using namespace Vst2;
    switch (opcode) {
    case audioMasterAutomate:
        ++m_log.automations;
        m_log.lastAutomatedIndex = index;
        m_log.lastAutomatedValue = opt;
        return 1;
    case audioMasterCurrentId:
        return m_effect ? m_effect->uniqueID : 0;
    case audioMasterIdle:
    case audioMasterBeginEdit:
    case audioMasterEndEdit:
    case audioMasterUpdateDisplay:
    case audioMasterWantMidi:
        return 1;
    case audioMasterGetTime:
        ++m_log.timeRequests;
        return reinterpret_cast<intptr_t>(TimeInfo());
    case audioMasterProcessEvents:
        return 1; // MIDI from the plug-in goes nowhere offline
    case audioMasterIOChanged:
        // The new latency and channel counts are read from the record when needed.
        ++m_log.ioChanges;
        return 1;
    case audioMasterGetSampleRate:
        return static_cast<intptr_t>(m_settings.sampleRate);
    case audioMasterGetBlockSize:
        return m_settings.blockSize;
    case audioMasterGetCurrentProcessLevel:
        return kVstProcessLevelOffline;
    case audioMasterGetAutomationState:
        return kVstAutomationOff;
    case audioMasterGetVendorString:
        CopyText(ptr, kHostVendor, kVstMaxVendorStrLen);
        return 1;
    case audioMasterGetProductString:
        CopyText(ptr, kHostProduct, kVstMaxProductStrLen);
        return 1;
    case audioMasterGetVendorVersion:
        return 1;
    case audioMasterCanDo: {
        const char* text = static_cast<const char*>(ptr);
        if (!text) return 0;
        for (const char* yes : {"sendVstTimeInfo", "sendVstEvents", "sendVstMidiEvent", "receiveVstEvents",
                                "receiveVstMidiEvent"})
            if (std::strcmp(text, yes) == 0) return 1;
        return 0;
    }
    case audioMasterGetLanguage:
        return 1; // English
    default:
        return 0;
    }
}
