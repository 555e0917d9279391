#include "entry/vst2/YAudioPluginVSTAdapter.h"

#include "entry/YHostText.h"
#include "foundation/YException.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Vst2 {

namespace {

bool SameText(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

} // namespace

YAudioPluginVSTAdapter::YAudioPluginVSTAdapter(HostCallback audioMaster, std::unique_ptr<YAudioPlugin> plugin,
                                               const YVSTIdentity& identity)
    : AudioEffectX(audioMaster, 0, plugin ? plugin->GetParameterCount() : 0), m_plugin(std::move(plugin)),
      m_identity(identity) {
    m_outgoing.numEvents = 0;
    m_outgoing.reserved = 0;
    YGuard("YAudioPluginVSTAdapter::YAudioPluginVSTAdapter", [&] { Construct(identity); });
}

YAudioPluginVSTAdapter::~YAudioPluginVSTAdapter() {
    YGuard("YAudioPluginVSTAdapter::~YAudioPluginVSTAdapter", [&] {
        // The editor goes before the plug-in it shows.
        setEditor(nullptr);
        if (m_plugin) m_plugin->SetHostAdapter(nullptr);
        m_plugin.reset();
    });
}

void YAudioPluginVSTAdapter::Construct(const YVSTIdentity& identity) {
    if (!m_plugin) YRaise(YString("Error creating Vst plugin object."));
    YAudioPlugin& plugin = *m_plugin;
    plugin.SetHostAdapter(this);
    plugin.SetHostInterfaceName(YString("VST"));

    m_hostVersion = getMasterVersion();

    int32_t inputs = plugin.InputChannelCount();
    int32_t outputs = plugin.OutputChannelCount();
    if (m_hostVersion < 2300 && inputs >= 1) {
        // Older hosts know stereo buses only: keep a stereo main bus and a stereo side chain.
        const int32_t perBus = std::max(plugin.ChannelsPerBus(), 1);
        inputs = std::min(inputs, 2 * inputs / perBus);
        outputs = std::min(outputs, 2);
        for (int32_t c = inputs; c < YAudioPlugin::kMaxSlots; ++c) plugin.SetPinName(true, c, YString());
        for (int32_t c = outputs; c < YAudioPlugin::kMaxSlots; ++c) plugin.SetPinName(false, c, YString());
        plugin.SetChannelsPerBus(2);
    }
    if (m_hostVersion < 100 && inputs < 2) inputs = 2;
    plugin.SetChannelCounts(std::min(inputs, YAudioPlugin::kMaxSlots), std::min(outputs, YAudioPlugin::kMaxSlots));

    setNumInputs(inputs);
    setNumOutputs(outputs);
    setUniqueID(identity.UniqueID);
    setEffectVersion(identity.Version);
    setFlag(effFlagsCanReplacing, true);
    setFlag(effFlagsProgramChunks, true);
    setFlag(effFlagsIsSynth, plugin.AcceptsMIDI() && inputs == 0);

    // The host may process before it announces a rate or block size: start from the defaults.
    plugin.SetSampleRate(m_sampleRate);
    plugin.SetMaximumBlockSize(m_blockSize);

    ReportLatency();
    resume();

    // Where this build has no window system the flag stays clear; the editor object still
    // answers the host's requests safely.
    setEditor(std::make_unique<YEditor>(*this));
    setFlag(effFlagsHasEditor, YEditorHost::Available());

    plugin.InitProcessing();
}

// ---------------------------------------------------------------------------------------------
// Parameters

void YAudioPluginVSTAdapter::setParameter(int32_t index, float value) {
    YGuard("YAudioPluginVSTAdapter::setParameter", [&] {
        // The host's echo of our own automation report.
        if (m_sendingThread.load() == std::this_thread::get_id()) return;
        if (!std::isfinite(value)) return;
        m_plugin->SetParameter(index, std::clamp(static_cast<double>(value), 0.0, 1.0), 0);
        // Automation the host plays back arrives on the audio thread, which must not call it.
        if (m_audioThread.load() != std::this_thread::get_id()) TellTailChange();
    });
}

float YAudioPluginVSTAdapter::getParameter(int32_t index) {
    return YGuard("YAudioPluginVSTAdapter::getParameter", 0.0f,
                  [&] { return static_cast<float>(m_plugin->GetParameter(index)); });
}

void YAudioPluginVSTAdapter::getParameterName(int32_t index, char* text) {
    if (text == nullptr) return;
    *text = 0;
    YGuard("YAudioPluginVSTAdapter::getParameterName",
           [&] { YCopyHostText(text, m_plugin->GetParameterID(index), kMaxParameterNameBytes); });
}

void YAudioPluginVSTAdapter::getParameterDisplay(int32_t index, char* text) {
    if (text == nullptr) return;
    *text = 0;
    YGuard("YAudioPluginVSTAdapter::getParameterDisplay",
           [&] { YCopyHostText(text, m_plugin->GetParameterValueName(index), kMaxParameterTextBytes); });
}

void YAudioPluginVSTAdapter::getParameterLabel(int32_t index, char* text) {
    if (text == nullptr) return;
    *text = 0;
    YGuard("YAudioPluginVSTAdapter::getParameterLabel",
           [&] { YCopyHostText(text, m_plugin->GetParameterUnitsName(index), kMaxParameterTextBytes); });
}

// ---------------------------------------------------------------------------------------------
// Set-up

void YAudioPluginVSTAdapter::setSampleRate(float sampleRate) {
    YGuard("YAudioPluginVSTAdapter::setSampleRate", [&] {
        AudioEffectX::setSampleRate(sampleRate);
        // Rates of 100 Hz and below (and anything not a number) are placeholders of hosts that
        // have not decided yet.
        if (!(sampleRate > 100.0f) || !std::isfinite(sampleRate)) return;
        if (m_plugin->SetSampleRate(sampleRate)) m_plugin->InitProcessing();
    });
}

void YAudioPluginVSTAdapter::setBlockSize(int32_t blockSize) {
    YGuard("YAudioPluginVSTAdapter::setBlockSize", [&] {
        AudioEffectX::setBlockSize(blockSize);
        // The plug-in refuses sizes it cannot hold; it keeps the buffers it has.
        m_plugin->SetMaximumBlockSize(blockSize);
    });
}

void YAudioPluginVSTAdapter::resume() {
    YGuard("YAudioPluginVSTAdapter::resume", [&] {
        char midi[] = "receiveVstMidiEvent";
        if (hasFlag(effFlagsIsSynth) || canDo(midi) == 1) wantEvents();
        m_plugin->InitProcessing();
    });
}

// ---------------------------------------------------------------------------------------------
// Processing

void YAudioPluginVSTAdapter::processReplacing(float** inputs, float** outputs, int32_t frames) {
    YGuard("YAudioPluginVSTAdapter::processReplacing", [&] { PerformProcessing(inputs, outputs, frames, true); });
}

void YAudioPluginVSTAdapter::process(float** inputs, float** outputs, int32_t frames) {
    YGuard("YAudioPluginVSTAdapter::process", [&] { PerformProcessing(inputs, outputs, frames, false); });
}

void YAudioPluginVSTAdapter::ArrangeChannels(float** host, int32_t hostCount, int32_t perBus, int32_t buses,
                                             float* (&slots)[YAudioPlugin::kMaxSlots]) {
    std::fill(std::begin(slots), std::end(slots), nullptr);
    if (host == nullptr || perBus <= 0) return;
    buses = std::min(buses, YAudioPlugin::kMaxBuses);
    perBus = std::min(perBus, YAudioPlugin::kMaxChannelsPerBus);
    for (int32_t bus = 0; bus < buses; ++bus) {
        const int32_t first = bus * perBus;
        // A bus the host does not give, or gives without its first channel, stays silent.
        if (first >= hostCount || host[first] == nullptr) continue;
        for (int32_t c = 0; c < perBus && first + c < hostCount; ++c)
            slots[bus * YAudioPlugin::kMaxChannelsPerBus + c] = host[first + c];
    }
}

void YAudioPluginVSTAdapter::PerformProcessing(float** inputs, float** outputs, int32_t frames, bool replacing) {
    if (frames <= 0 || outputs == nullptr) return;
    const std::thread::id self = std::this_thread::get_id();
    if (m_audioThread.load(std::memory_order_relaxed) != self) m_audioThread.store(self);
    YAudioPlugin& plugin = *m_plugin;
    YGuard("YAudioPluginVSTAdapter::PerformProcessing", [&] { PrepareProcessing(); });
    YGuard("YAudioPluginVSTAdapter::PerformProcessing", [&] { DeliverMIDIInput(); });
    YGuard("YAudioPluginVSTAdapter::PerformProcessing", [&] {
        float* in[YAudioPlugin::kMaxSlots];
        float* out[YAudioPlugin::kMaxSlots];
        ArrangeChannels(inputs, m_effect.numInputs, plugin.GetInputChannelsPerBus(), plugin.GetInputBusCount(), in);
        ArrangeChannels(outputs, m_effect.numOutputs, plugin.GetOutputChannelsPerBus(), plugin.GetOutputBusCount(),
                        out);
        plugin.ProcessAudio(in, out, frames, replacing);
    });
    YGuard("YAudioPluginVSTAdapter::PerformProcessing", [&] { SendMIDIOutput(); });
}

bool YAudioPluginVSTAdapter::ReadHostTime(YHostTransportReading& reading) {
    const VstTimeInfo* info = getTimeInfo(kTimeInfoFilter);
    if (info == nullptr) return false;
    // Everything the filter asks for counts as given.
    reading.PositionValid = true;
    reading.SongPosition = info->ppqPos;
    reading.TempoValid = true;
    reading.Tempo = info->tempo;
    reading.TimeSignatureValid = true;
    reading.TimeSignatureNumerator = info->timeSigNumerator;
    reading.TimeSignatureDenominator = info->timeSigDenominator;
    reading.BarStartValid = true;
    reading.BarStart = info->barStartPos;
    reading.CycleValid = true;
    reading.CycleStart = info->cycleStartPos;
    reading.CycleEnd = info->cycleEndPos;
    reading.Playing = (info->flags & kVstTransportPlaying) != 0;
    return true;
}

void YAudioPluginVSTAdapter::PrepareProcessing() {
    YGuard("YAudioPluginVSTAdapter::PrepareProcessing", [&] {
        YProcessingContext& sync = m_plugin->HostSync();
        if (!m_plugin->UsesHostTime()) {
            sync.TimeInfoValid = 1;
            return;
        }
        YHostTransportReading reading;
        if (ReadHostTime(reading)) m_transport.Read(reading, sync);
    });
}

int32_t YAudioPluginVSTAdapter::processEvents(VstEvents* events) {
    return YGuard("YAudioPluginVSTAdapter::processEvents", 0, [&] {
        if (events == nullptr || events->numEvents <= 0) return 1;
        YHostTransportReading reading;
        if (m_plugin->UsesHostTime() && ReadHostTime(reading)) YHostTransport::ReadTimeline(reading, m_plugin->HostSync());
        for (int32_t i = 0; i < events->numEvents; ++i) {
            const VstEvent* event = events->events[i];
            if (event == nullptr || event->type != kVstMidiType) continue;
            const auto* midi = reinterpret_cast<const VstMidiEvent*>(event);
            uint8_t bytes[4];
            std::memcpy(bytes, midi->midiData, 4);
            m_plugin->ProcessMIDIEvent(midi->deltaFrames, bytes);
        }
        return 1;
    });
}

bool YAudioPluginVSTAdapter::QueueMIDIInput(int32_t deltaFrames, const uint8_t bytes[4]) {
    return YGuard("YAudioPluginVSTAdapter::QueueMIDIInput", false, [&] {
        if (bytes == nullptr) return false;
        YScopedLock lock(m_midiInLock);
        if (m_midiInCount >= kMaxQueuedMIDIEvents) return false;
        QueuedMIDIEvent& event = m_midiIn[static_cast<size_t>(m_midiInCount++)];
        event.DeltaFrames = deltaFrames;
        std::memcpy(event.Bytes, bytes, 4);
        return true;
    });
}

void YAudioPluginVSTAdapter::DeliverMIDIInput() {
    // Try once: a producer holding the lock keeps its events for the next block.
    if (m_midiInLock.Lock(0) != 0) return;
    const int32_t count = m_midiInCount;
    std::copy_n(m_midiIn.begin(), count, m_midiInDelivering.begin());
    m_midiInCount = 0;
    m_midiInLock.Unlock();
    for (int32_t i = 0; i < count; ++i) {
        const QueuedMIDIEvent& event = m_midiInDelivering[static_cast<size_t>(i)];
        m_plugin->ProcessMIDIEvent(event.DeltaFrames, event.Bytes);
    }
}

void YAudioPluginVSTAdapter::GenerateMIDIEvent(int32_t deltaFrames, const uint8_t bytes[4]) {
    YGuard("YAudioPluginVSTAdapter::GenerateMIDIEvent", [&] {
        if (bytes == nullptr) return;
        YScopedLock lock(m_midiOutLock);
        if (m_midiOutCount >= kMaxQueuedMIDIEvents) return;
        VstMidiEvent& event = m_midiOut[static_cast<size_t>(m_midiOutCount++)];
        event = VstMidiEvent{};
        event.type = kVstMidiType;
        event.byteSize = static_cast<int32_t>(sizeof(VstMidiEvent));
        event.deltaFrames = deltaFrames;
        std::memcpy(event.midiData, bytes, 4);
    });
}

void YAudioPluginVSTAdapter::SendMIDIOutput() {
    // Try once: while another thread is queueing, its events go out with the next block.
    if (m_midiOutLock.Lock(0) != 0) return;
    const int32_t count = m_midiOutCount;
    std::copy_n(m_midiOut.begin(), count, m_midiOutSending.begin());
    m_midiOutCount = 0;
    m_midiOutLock.Unlock();
    if (count == 0) return;
    m_outgoing.numEvents = count;
    for (int32_t i = 0; i < count; ++i)
        m_outgoing.events[i] = reinterpret_cast<VstEvent*>(&m_midiOutSending[static_cast<size_t>(i)]);
    sendVstEventsToHost(reinterpret_cast<VstEvents*>(&m_outgoing));
}

// ---------------------------------------------------------------------------------------------
// State

int32_t YAudioPluginVSTAdapter::getChunk(void** data, bool) {
    return YGuard("YAudioPluginVSTAdapter::getChunk", 0, [&] {
        if (data == nullptr) return 0;
        *data = nullptr;
        std::vector<uint8_t> bytes;
        if (!m_plugin->SaveState(bytes) || bytes.empty() || bytes.size() > static_cast<size_t>(INT32_MAX))
            return 0;
        const std::thread::id self = std::this_thread::get_id();
        YScopedLock lock(m_chunkLock);
        auto own = std::find_if(m_chunks.begin(), m_chunks.end(), [&](const auto& entry) { return entry.first == self; });
        if (own == m_chunks.end()) own = m_chunks.emplace(m_chunks.end(), self, std::vector<uint8_t>());
        own->second.swap(bytes);
        *data = own->second.data();
        return static_cast<int32_t>(own->second.size());
    });
}

int32_t YAudioPluginVSTAdapter::setChunk(void* data, int32_t size, bool) {
    return YGuard("YAudioPluginVSTAdapter::setChunk", 0, [&] {
        if (data == nullptr || size <= 0) return 0;
        if (!m_plugin->LoadState(data, static_cast<size_t>(size))) return 0;
        TellTailChange();
        return 1;
    });
}

// ---------------------------------------------------------------------------------------------
// Channels

bool YAudioPluginVSTAdapter::GetPinProperties(bool input, int32_t index, VstPinProperties* properties) {
    const int32_t count = input ? m_effect.numInputs : m_effect.numOutputs;
    if (properties == nullptr || index < 0 || index >= count) return false;
    std::memset(properties, 0, sizeof(VstPinProperties));
    const YString& name = m_plugin->PinName(input, index);
    YCopyHostText(properties->label, name, kVstMaxLabelLen - 1);
    YCopyHostText(properties->shortLabel, name, kVstMaxShortLabelLen - 1);
    const int32_t perBus = m_plugin->ChannelsPerBus();
    if (perBus == 1) {
        properties->flags = kVstPinIsActive;
        properties->arrangementType = kSpeakerArrMono;
    } else if (perBus == 2) {
        properties->flags = kVstPinIsActive | kVstPinIsStereo;
        properties->arrangementType = kSpeakerArrStereo;
    } else {
        properties->flags = kVstPinIsActive | kVstPinUseSpeaker;
        properties->arrangementType = kSpeakerArr80Music;
    }
    return true;
}

bool YAudioPluginVSTAdapter::getInputProperties(int32_t index, VstPinProperties* properties) {
    return YGuard("YAudioPluginVSTAdapter::getInputProperties", false,
                  [&] { return GetPinProperties(true, index, properties); });
}

bool YAudioPluginVSTAdapter::getOutputProperties(int32_t index, VstPinProperties* properties) {
    return YGuard("YAudioPluginVSTAdapter::getOutputProperties", false,
                  [&] { return GetPinProperties(false, index, properties); });
}

bool YAudioPluginVSTAdapter::setSpeakerArrangement(VstSpeakerArrangement* input, VstSpeakerArrangement* output) {
    return YGuard("YAudioPluginVSTAdapter::setSpeakerArrangement", false, [&] {
        YAudioPlugin& plugin = *m_plugin;
        if (input != nullptr && (input->numChannels < 0 || input->numChannels > plugin.InputChannelCount()))
            return false;
        if (output != nullptr && (output->numChannels < 0 || output->numChannels > plugin.OutputChannelCount()))
            return false;
        const int32_t perBus = plugin.ChannelsPerBus();
        int32_t inputPerBus = -1;
        if (plugin.InputChannelCount() == 0 || plugin.GetInputBusCount() == 0)
            inputPerBus = 0;
        else if (input != nullptr)
            inputPerBus = std::min(input->numChannels, perBus);
        int32_t outputPerBus = output != nullptr ? std::min(output->numChannels, perBus) : 1;
        if (outputPerBus <= 0) outputPerBus = 1;
        // Without an input arrangement (or without inputs) the input side keeps what it has.
        const int32_t inputLimit = inputPerBus > 0 ? inputPerBus : YAudioPlugin::kMaxChannelsPerBus;
        if (!plugin.SetMaxChannelsPerBus(inputLimit, outputPerBus)) return false;
        plugin.InitProcessing();
        return true;
    });
}

bool YAudioPluginVSTAdapter::getSpeakerArrangement(VstSpeakerArrangement**, VstSpeakerArrangement**) {
    return false;
}

bool YAudioPluginVSTAdapter::setBypass(bool) { return false; }

bool YAudioPluginVSTAdapter::setPanLaw(int32_t, float) { return false; }

bool YAudioPluginVSTAdapter::setProcessPrecision(int32_t) { return false; }

int32_t YAudioPluginVSTAdapter::getNumMidiInputChannels() { return 0; }

int32_t YAudioPluginVSTAdapter::getNumMidiOutputChannels() { return 0; }

int32_t YAudioPluginVSTAdapter::getAutomationState() {
    return YGuard("YAudioPluginVSTAdapter::getAutomationState", 0, [&] {
        return m_plugin->GetParameterCount() > 0 ? static_cast<int32_t>(kVstAutomationReadWrite) : 0;
    });
}

// ---------------------------------------------------------------------------------------------
// Identity

bool YAudioPluginVSTAdapter::getEffectName(char* name) {
    YCopyHostText(name, m_identity.ProductName, kVstMaxEffectNameLen - 1);
    return name != nullptr;
}

bool YAudioPluginVSTAdapter::getProductString(char* text) {
    YCopyHostText(text, m_identity.ProductName, kVstMaxProductStrLen - 1);
    return text != nullptr;
}

bool YAudioPluginVSTAdapter::getVendorString(char* text) {
    YCopyHostText(text, m_identity.VendorName, kVstMaxVendorStrLen - 1);
    return text != nullptr;
}

int32_t YAudioPluginVSTAdapter::getVendorVersion() { return m_identity.Version; }

int32_t YAudioPluginVSTAdapter::getGetTailSize() {
    return YGuard("YAudioPluginVSTAdapter::getGetTailSize", 0, [&] {
        const int32_t tail = m_plugin->GetTailLength();
        m_tail.Read(tail);
        if (tail < 0) return kEndlessTailSize;
        return tail == 0 ? kNoTailSize : tail;
    });
}

void YAudioPluginVSTAdapter::TellTailChange() {
    YGuard("YAudioPluginVSTAdapter::TellTailChange", [&] {
        // A parameter that moved the effect's latency: the report also makes hosts read the tail.
        if (m_plugin->FollowLatency()) return;
        if (m_tail.ShouldTell(m_plugin->GetTailLength())) ioChanged();
    });
}

intptr_t YAudioPluginVSTAdapter::vendorSpecific(int32_t index, intptr_t value, void* ptr, float) {
    return YGuard("YAudioPluginVSTAdapter::vendorSpecific", intptr_t{0}, [&]() -> intptr_t {
        if (index != kVendorStateRefusal || ptr == nullptr || value <= 0) return 0;
        const int32_t size = static_cast<int32_t>(std::min<intptr_t>(value, INT32_MAX));
        return YCopyHostText(static_cast<char*>(ptr), m_plugin->StateRefusal(), size - 1);
    });
}

int32_t YAudioPluginVSTAdapter::canDo(char* text) {
    return YGuard("YAudioPluginVSTAdapter::canDo", 0, [&] {
        if (text == nullptr) return 0;
        for (const char* receive : {"receiveVstEvents", "receiveVstEvent", "receiveVstMidiEvents", "receiveVstMidiEvent"})
            if (SameText(text, receive)) return m_plugin->AcceptsMIDI() ? 1 : -1;
        for (const char* send : {"sendVstEvents", "sendVstEvent", "sendVstMidiEvents", "sendVstMidiEvent"})
            if (SameText(text, send)) return m_plugin->ProducesMIDI() ? 1 : -1;
        for (const char* yes : {"plugAsChannelInsert", "canMono", "plugAsSend", "receiveVstTimeInfo"})
            if (SameText(text, yes)) return 1;
        if (SameText(text, "bypass")) return -1;
        return 0;
    });
}

// ---------------------------------------------------------------------------------------------
// The plug-in's way back to the host

void YAudioPluginVSTAdapter::AutomateParameter(int32_t hostIndex, double value) {
    YGuard("YAudioPluginVSTAdapter::AutomateParameter", [&] {
        if (hostIndex < 0 || hostIndex >= m_plugin->GetParameterCount()) return;
        const std::thread::id self = std::this_thread::get_id();
        const std::thread::id previous = m_sendingThread.exchange(self);
        struct Restore {
            std::atomic<std::thread::id>& Flag;
            std::thread::id Previous;
            ~Restore() { Flag.store(Previous); }
        } restore{m_sendingThread, previous};
        setParameterAutomated(hostIndex, static_cast<float>(value));
    });
}

void YAudioPluginVSTAdapter::SendBypassAutomation(bool) {}

void YAudioPluginVSTAdapter::ReportLatency() {
    YGuard("YAudioPluginVSTAdapter::ReportLatency", [&] {
        setInitialDelay(std::max(m_plugin->GetLatency(), 0));
        ioChanged();
    });
}

bool YAudioPluginVSTAdapter::ChangeEditorSize(int32_t width, int32_t height) {
    return YGuard("YAudioPluginVSTAdapter::ChangeEditorSize", false, [&] {
        if (!m_plugin->EditorExists() || !m_plugin->IsEditorOpen()) return false;
        if (!sizeWindow(width, height)) return false;
        // The host made room: the window follows.
        if (auto* editor = dynamic_cast<YEditor*>(getEditor())) editor->Host().Resize(width, height);
        return true;
    });
}

// ---------------------------------------------------------------------------------------------
// Editor

bool YAudioPluginVSTAdapter::YEditor::getRect(ERect** rect) {
    if (rect != nullptr) *rect = nullptr;
    return YGuard("YAudioPluginVSTAdapter::YEditor::getRect", false, [&] {
        if (rect == nullptr || !m_host.Create()) return false;
        // One record for every instance, as hosts keep the pointer only until they read it.
        static ERect shared{};
        const YSize size = m_host.Size();
        shared.top = 0;
        shared.left = 0;
        shared.bottom = static_cast<int16_t>(size.y < 5 ? 0 : std::min(size.y, 32767));
        shared.right = static_cast<int16_t>(size.x < 5 ? 0 : std::min(size.x, 32767));
        *rect = &shared;
        return true;
    });
}

bool YAudioPluginVSTAdapter::YEditor::open(void* parent) {
    return YGuard("YAudioPluginVSTAdapter::YEditor::open", false, [&] {
        m_systemWindow = parent;
        return m_host.Open(parent);
    });
}

void YAudioPluginVSTAdapter::YEditor::close() {
    YGuard("YAudioPluginVSTAdapter::YEditor::close", [&] {
        m_host.Close();
        m_systemWindow = nullptr;
    });
}

void YAudioPluginVSTAdapter::YEditor::idle() {
    YGuard("YAudioPluginVSTAdapter::YEditor::idle", [&] {
        m_adapter.Plugin().ProcessUpdate();
        m_host.Idle();
        m_adapter.TellTailChange();
    });
}

} // namespace Vst2
