#include "entry/vst3/YAudioPluginVST3Adapter.h"

#include "entry/Module.h"
#include "foundation/YException.h"
#include "platform/YPlatformTime.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

std::atomic<YAudioPluginVST3Adapter::PluginCreator> g_pluginCreator{&YAudioPluginVST3Adapter::CreateProductPlugin};

// Cut to fit, always terminated.
void CopyToString128(Vst3::String128 to, const YString& from) noexcept {
    const int32_t length = std::min<int32_t>(from.Length(), 127);
    for (int32_t i = 0; i < length; ++i) to[i] = from[i];
    to[length] = 0;
}

void CopyToString128(Vst3::String128 to, const char* from) noexcept {
    int32_t i = 0;
    for (; i < 127 && from[i] != '\0'; ++i) to[i] = static_cast<char16_t>(static_cast<unsigned char>(from[i]));
    to[i] = 0;
}

YString FromHostText(const Vst3::TChar* text) {
    if (text == nullptr) return YString();
    size_t length = 0;
    while (length < 4096 && text[length] != 0) ++length;
    return YString::FromUTF16(std::u16string_view(text, length));
}

int32_t ChannelCount(Vst3::SpeakerArrangement arrangement) noexcept { return std::popcount(arrangement); }

} // namespace

// ---------------------------------------------------------------------------------------------
// Creation and identity

YAudioPluginVST3Adapter::YAudioPluginVST3Adapter(std::unique_ptr<YAudioPlugin> plugin)
    : m_plugin(std::move(plugin)), m_outputEvents(new Vst3::Event[kOutputEventCapacity]),
      m_sendingEvents(new Vst3::Event[kOutputEventCapacity]) {
    if (!m_plugin) YRaise("Error creating plugin.");
    m_plugin->SetHostAdapter(this);
}

YAudioPluginVST3Adapter::~YAudioPluginVST3Adapter() {
    YGuard("YAudioPluginVST3Adapter::~YAudioPluginVST3Adapter", [&] {
        ReleaseHostObjects();
        m_plugin->SetHostAdapter(nullptr);
        m_plugin.reset();
    });
}

void YAudioPluginVST3Adapter::SetPluginCreator(PluginCreator creator) noexcept {
    g_pluginCreator.store(creator != nullptr ? creator : &CreateProductPlugin);
}

std::unique_ptr<YAudioPlugin> YAudioPluginVST3Adapter::CreateProductPlugin() {
    YStartFramework();
    return YCreatePluginInstance();
}

Vst3::FUnknown* YAudioPluginVST3Adapter::CreateInstance() {
    return YGuard("VST3 Plugin main", static_cast<Vst3::FUnknown*>(nullptr), [] {
        std::unique_ptr<YAudioPlugin> plugin = g_pluginCreator.load()();
        if (!plugin) return static_cast<Vst3::FUnknown*>(nullptr);
        auto* adapter = new YAudioPluginVST3Adapter(std::move(plugin));
        return static_cast<Vst3::FUnknown*>(static_cast<Vst3::IAudioProcessor*>(adapter));
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::queryInterface(const Vst3::TUID iid, void** obj) {
    return YGuard("YAudioPluginVST3Adapter::queryInterface", Vst3::kInternalError, [&] {
        if (obj == nullptr) return Vst3::kInvalidArgument;
        void* found = nullptr;
        if (Vst3::FUnknown::iid.Matches(iid) || Vst3::IAudioProcessor::iid.Matches(iid))
            found = static_cast<Vst3::IAudioProcessor*>(this);
        else if (Vst3::IPluginBase::iid.Matches(iid) || Vst3::IComponent::iid.Matches(iid))
            found = static_cast<Vst3::IComponent*>(this);
        else if (Vst3::IProcessContextRequirements::iid.Matches(iid))
            found = static_cast<Vst3::IProcessContextRequirements*>(this);
        else if (Vst3::IConnectionPoint::iid.Matches(iid))
            found = static_cast<Vst3::IConnectionPoint*>(this);
        else if (Vst3::IEditController::iid.Matches(iid))
            found = static_cast<Vst3::IEditController*>(this);
        else if (Vst3::IEditController2::iid.Matches(iid))
            found = static_cast<Vst3::IEditController2*>(this);
        else if (Vst3::IUnitInfo::iid.Matches(iid))
            found = static_cast<Vst3::IUnitInfo*>(this);
        else if (Vst3::IMidiMapping::iid.Matches(iid))
            found = static_cast<Vst3::IMidiMapping*>(this);
        *obj = found;
        if (found == nullptr) return Vst3::kNoInterface;
        addRef();
        return Vst3::kResultOk;
    });
}

Vst3::uint32 Y_VST3_CALL YAudioPluginVST3Adapter::addRef() { return ++m_refCount; }

Vst3::uint32 Y_VST3_CALL YAudioPluginVST3Adapter::release() {
    return YGuard("YAudioPluginVST3Adapter::release", Vst3::uint32{0}, [&] {
        const Vst3::uint32 left = --m_refCount;
        if (left == 0) delete this;
        return left;
    });
}

// ---------------------------------------------------------------------------------------------
// IPluginBase

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::initialize(Vst3::FUnknown* context) {
    return YGuard("YAudioPluginVST3Adapter::initialize", Vst3::kResultFalse, [&] {
        // Hosts that treat the component and the controller apart initialise us twice.
        if (m_initialized) return Vst3::kResultOk;
        if (context != nullptr) {
            context->addRef();
            m_hostContext = context;
            Vst3::IHostApplication* host = nullptr;
            if (context->queryInterface(Vst3::IHostApplication::iid.bytes, reinterpret_cast<void**>(&host)) ==
                    Vst3::kResultOk &&
                host != nullptr) {
                Vst3::String128 name = {};
                if (host->getName(name) == Vst3::kResultOk) {
                    name[127] = 0;
                    m_hostName = FromHostText(name);
                }
                host->release();
            }
        }

        m_plugin->SetHostInterfaceName("VST3");
        {
            YScopedLock queue(m_outputEventLock);
            m_outputEventCount = 0;
        }
        m_sending = false;
        m_activating = false;
        m_resizing = false;
        m_plugin->SetHostAdapter(this);

        m_inputArrangement = Vst3::SpeakerArr::kStereo;
        m_outputArrangement = Vst3::SpeakerArr::kStereo;
        ApplyChannelsPerBus(2, 2);
        m_channelCapacity = m_plugin->ChannelsPerBus();
        m_inputBusCount = std::clamp<int32_t>(m_plugin->GetInputBusCount(), 0, kMaxBuses);
        m_outputBusCount = std::clamp<int32_t>(m_plugin->GetOutputBusCount(), 0, kMaxBuses);

        BuildAudioBuses();
        m_eventInput = m_plugin->AcceptsMIDI();
        m_eventOutput = m_plugin->ProducesMIDI();
        BuildHostParameters();

        m_plugin->SetSampleRate(44100.0);
        m_plugin->InitProcessing();
        m_initialized = true;
        return Vst3::kResultOk;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::terminate() {
    return YGuard("YAudioPluginVST3Adapter::terminate", Vst3::kResultFalse, [&] {
        m_inputBusCount = 0;
        m_outputBusCount = 0;
        m_eventInput = false;
        m_eventOutput = false;
        ReleaseHostObjects();
        m_initialized = false;
        return Vst3::kResultOk;
    });
}

void YAudioPluginVST3Adapter::ReleaseHostObjects() noexcept {
    if (m_componentHandler != nullptr) {
        m_componentHandler->release();
        m_componentHandler = nullptr;
    }
    if (m_hostContext != nullptr) {
        m_hostContext->release();
        m_hostContext = nullptr;
    }
}

// ---------------------------------------------------------------------------------------------
// Buses

void YAudioPluginVST3Adapter::ApplyChannelsPerBus(int32_t inputs, int32_t outputs) {
    const int32_t in = std::clamp<int32_t>(inputs, 1, YAudioPlugin::kMaxChannelsPerBus);
    const int32_t out = std::clamp<int32_t>(outputs, 1, YAudioPlugin::kMaxChannelsPerBus);
    const int32_t inputBuses = m_initialized ? m_inputBusCount : m_plugin->GetInputBusCount();
    const int32_t outputBuses = m_initialized ? m_outputBusCount : m_plugin->GetOutputBusCount();
    m_plugin->SetChannelsPerBus(std::max(in, out));
    m_plugin->SetMaxChannelsPerBus(in, out);
    m_plugin->SetChannelCounts(std::clamp<int32_t>(inputBuses, 0, kMaxBuses) * in,
                               std::clamp<int32_t>(outputBuses, 0, kMaxBuses) * out);
}

void YAudioPluginVST3Adapter::BuildAudioBuses() {
    for (int32_t i = 0; i < kMaxBuses; ++i) {
        AudioBus& in = m_inputBuses[i];
        in.arrangement = m_inputArrangement;
        in.type = i == 0 ? Vst3::kMain : Vst3::kAux;
        in.active = i == 0;
        AudioBus& out = m_outputBuses[i];
        out.arrangement = m_outputArrangement;
        out.type = Vst3::kMain;
        out.active = true;
    }
}

Vst3::int32 Y_VST3_CALL YAudioPluginVST3Adapter::getBusCount(Vst3::MediaType type, Vst3::BusDirection dir) {
    return YGuard("YAudioPluginVST3Adapter::getBusCount", Vst3::int32{0}, [&] {
        if (type == Vst3::kAudio) return dir == Vst3::kInput ? m_inputBusCount : m_outputBusCount;
        if (type == Vst3::kEvent) return static_cast<Vst3::int32>(dir == Vst3::kInput ? m_eventInput : m_eventOutput);
        return Vst3::int32{0};
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getBusInfo(Vst3::MediaType type, Vst3::BusDirection dir,
                                                              Vst3::int32 index, Vst3::BusInfo& bus) {
    return YGuard("YAudioPluginVST3Adapter::getBusInfo", Vst3::kResultFalse, [&] {
        if (index < 0 || index >= getBusCount(type, dir)) return Vst3::kInvalidArgument;
        std::memset(&bus, 0, sizeof(bus));
        bus.mediaType = type;
        bus.direction = dir;
        if (type == Vst3::kEvent) {
            bus.channelCount = 16;
            CopyToString128(bus.name, dir == Vst3::kInput ? "Midi In" : "Midi Out");
            bus.busType = Vst3::kMain;
            bus.flags = Vst3::BusInfo::kDefaultActive;
            return Vst3::kResultOk;
        }
        const AudioBus& audio = dir == Vst3::kInput ? m_inputBuses[index] : m_outputBuses[index];
        bus.channelCount = ChannelCount(audio.arrangement);
        bus.busType = audio.type;
        if (dir == Vst3::kInput) {
            CopyToString128(bus.name, index == 0 ? "Stereo In" : "Sidechain");
            bus.flags = index == 0 ? static_cast<uint32_t>(Vst3::BusInfo::kDefaultActive) : 0u;
        } else {
            if (m_outputBusCount == 1) {
                CopyToString128(bus.name, "Stereo Out");
            } else {
                char name[32];
                std::snprintf(name, sizeof(name), "Stereo Out %d", static_cast<int>(index + 1));
                CopyToString128(bus.name, name);
            }
            bus.flags = Vst3::BusInfo::kDefaultActive;
        }
        return Vst3::kResultOk;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::activateBus(Vst3::MediaType type, Vst3::BusDirection dir,
                                                               Vst3::int32 index, Vst3::TBool state) {
    return YGuard("YAudioPluginVST3Adapter::activateBus", Vst3::kResultFalse, [&] {
        if (index < 0 || index >= getBusCount(type, dir)) return Vst3::kInvalidArgument;
        if (type == Vst3::kEvent)
            (dir == Vst3::kInput ? m_eventInputActive : m_eventOutputActive) = state != 0;
        else
            (dir == Vst3::kInput ? m_inputBuses[index] : m_outputBuses[index]).active = state != 0;
        return Vst3::kResultOk;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getControllerClassId(Vst3::TUID classId) {
    // The controller is this object: there is no separate controller class.
    if (classId != nullptr) std::memset(classId, 0, sizeof(Vst3::TUID));
    return Vst3::kResultFalse;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::setIoMode(Vst3::IoMode) { return Vst3::kNotImplemented; }

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getRoutingInfo(Vst3::RoutingInfo&, Vst3::RoutingInfo&) {
    return Vst3::kNotImplemented;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::setActive(Vst3::TBool state) {
    return YGuard("YAudioPluginVST3Adapter::setActive", Vst3::kResultFalse, [&] {
        m_activating = true;
        struct Clear {
            std::atomic<bool>& flag;
            ~Clear() { flag = false; }
        } clear{m_activating};
        if (state != 0) m_plugin->InitProcessing();
        return Vst3::kResultOk;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::setBusArrangements(Vst3::SpeakerArrangement* inputs,
                                                                      Vst3::int32 numIns,
                                                                      Vst3::SpeakerArrangement* outputs,
                                                                      Vst3::int32 numOuts) {
    return YGuard("YAudioPluginVST3Adapter::setBusArrangements", Vst3::kResultFalse, [&] {
        if ((numIns > 0 && inputs == nullptr) || (numOuts > 0 && outputs == nullptr)) return Vst3::kInvalidArgument;
        Vst3::SpeakerArrangement input = numIns > 0 ? inputs[0] : m_inputArrangement;
        Vst3::SpeakerArrangement output = numOuts > 0 ? outputs[0] : m_outputArrangement;
        int32_t inCount = ChannelCount(input);
        int32_t outCount = ChannelCount(output);
        for (Vst3::int32 i = 1; i < numIns; ++i) inCount = std::max(inCount, ChannelCount(inputs[i]));
        for (Vst3::int32 i = 1; i < numOuts; ++i) outCount = std::max(outCount, ChannelCount(outputs[i]));

        const int32_t capacity = m_channelCapacity;
        const Vst3::SpeakerArrangement fallback =
            capacity == 2 ? Vst3::SpeakerArr::kStereo : Vst3::SpeakerArr::k71Cine;
        if (inCount > capacity) {
            input = fallback;
            inCount = ChannelCount(input);
        }
        if (outCount > capacity) {
            output = fallback;
            outCount = ChannelCount(output);
        }
        // Only a request that changes nothing at all is answered without a rebuild; a change
        // on one side alone must still reach the buses.
        if (input == m_inputArrangement && output == m_outputArrangement) return Vst3::kResultOk;

        m_inputArrangement = input;
        m_outputArrangement = output;
        BuildAudioBuses();
        if (inCount > capacity || outCount > capacity) return Vst3::kResultFalse;
        ApplyChannelsPerBus(m_inputBusCount > 0 ? inCount : 0, outCount);
        m_plugin->InitProcessing();
        return Vst3::kResultOk;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getBusArrangement(Vst3::BusDirection dir, Vst3::int32 index,
                                                                     Vst3::SpeakerArrangement& arr) {
    return YGuard("YAudioPluginVST3Adapter::getBusArrangement", Vst3::kResultFalse, [&] {
        if (index < 0 || index >= getBusCount(Vst3::kAudio, dir)) return Vst3::kInvalidArgument;
        arr = (dir == Vst3::kInput ? m_inputBuses[index] : m_outputBuses[index]).arrangement;
        return Vst3::kResultOk;
    });
}

// ---------------------------------------------------------------------------------------------
// Processing set-up

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::canProcessSampleSize(Vst3::int32 symbolicSampleSize) {
    return symbolicSampleSize == Vst3::kSample32 ? Vst3::kResultTrue : Vst3::kResultFalse;
}

Vst3::uint32 Y_VST3_CALL YAudioPluginVST3Adapter::getLatencySamples() {
    return YGuard("YAudioPluginVST3Adapter::getLatencySamples", m_latency, [&] {
        m_latency = static_cast<uint32_t>(std::max<int32_t>(m_plugin->GetLatency(), 0));
        return m_latency;
    });
}

Vst3::uint32 Y_VST3_CALL YAudioPluginVST3Adapter::getTailSamples() {
    return YGuard("YAudioPluginVST3Adapter::getTailSamples", Vst3::kNoTail, [&] {
        const int32_t tail = m_plugin->GetTailLength();
        m_tail.Read(tail);
        return tail < 0 ? Vst3::kInfiniteTail : static_cast<Vst3::uint32>(tail);
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::setupProcessing(Vst3::ProcessSetup& setup) {
    return YGuard("YAudioPluginVST3Adapter::setupProcessing", Vst3::kResultFalse, [&] {
        m_processMode = setup.processMode;
        if (setup.symbolicSampleSize != Vst3::kSample32) return Vst3::kResultFalse;
        if (setup.maxSamplesPerBlock > 0) m_plugin->SetMaximumBlockSize(setup.maxSamplesPerBlock);
        if (std::isfinite(setup.sampleRate) && setup.sampleRate > 100.0) {
            m_plugin->SetSampleRate(std::floor(setup.sampleRate + 0.5));
            m_plugin->InitProcessing();
        }
        return Vst3::kResultOk;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::setProcessing(Vst3::TBool) { return Vst3::kResultOk; }

Vst3::uint32 Y_VST3_CALL YAudioPluginVST3Adapter::getProcessContextRequirements() {
    using R = Vst3::IProcessContextRequirements;
    return R::kNeedProjectTimeMusic | R::kNeedBarPositionMusic | R::kNeedCycleMusic | R::kNeedTempo |
           R::kNeedTimeSignature | R::kNeedTransportState;
}

// ---------------------------------------------------------------------------------------------
// Processing (host audio thread)

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::process(Vst3::ProcessData& data) {
    return YGuard("YAudioPluginVST3Adapter::process", Vst3::kResultFalse, [&] {
        const std::thread::id self = std::this_thread::get_id();
        if (m_audioThread.load(std::memory_order_relaxed) != self) m_audioThread.store(self);
        // What the plug-in reports during the block goes out with it, even when it fails.
        struct Deliver {
            YVST3OutputChanges& changes;
            Vst3::IParameterChanges* out;
            ~Deliver() { changes.Deliver(out); }
        } deliver{m_outputChanges, data.outputParameterChanges};
        if (data.inputParameterChanges != nullptr) ApplyParameterChanges(*data.inputParameterChanges);
        if (data.numSamples <= 0) return Vst3::kResultOk;
        if (data.symbolicSampleSize != Vst3::kSample32) return Vst3::kResultFalse;
        ReadProcessContext(data.processContext);
        if (data.inputEvents != nullptr) DeliverInputEvents(*data.inputEvents);
        if (data.numInputs > 0 || data.numOutputs > 0) ProcessAudioBuses(data);
        SendOutputEvents(data.outputEvents);
        return Vst3::kResultOk;
    });
}

void YAudioPluginVST3Adapter::ApplyParameterChanges(Vst3::IParameterChanges& changes) {
    const Vst3::int32 count = changes.getParameterCount();
    if (count <= 0) return;
    YScopedLock processing(m_plugin->ProcessingLock(), 0);
    YScopedLock parameters(m_plugin->ParameterLock());
    for (Vst3::int32 i = 0; i < count; ++i) {
        Vst3::IParamValueQueue* queue = changes.getParameterData(i);
        if (queue == nullptr) continue;
        const Vst3::int32 points = queue->getPointCount();
        if (points <= 0) continue;
        Vst3::int32 offset = 0;
        Vst3::ParamValue value = 0.0;
        // Only where the block ends matters: the core ramps parameters across the block itself.
        if (queue->getPoint(points - 1, offset, value) != Vst3::kResultOk) continue;
        value = std::clamp(value, 0.0, 1.0);
        const Vst3::ParamID id = queue->getParameterId();
        m_controllerValues.ReleaseUnlessSame(SlotOf(id), value);
        if (id == kBypassID) {
            m_plugin->SetBypass(value > 0.5);
        } else if (id < kFirstControllerID) {
            if (!m_sending) m_plugin->SetParameterIfChanged(static_cast<int32_t>(id), value);
        } else if (id < kFirstControllerID + kControllerCount) {
            const int32_t controller = static_cast<int32_t>(id - kFirstControllerID);
            if (controller == kPitchBendController)
                m_plugin->OnPitchBend(0, value * 2.0 - 1.0);
            else
                m_plugin->OnController(0, controller, value);
        }
    }
}

void YAudioPluginVST3Adapter::ReadProcessContext(const Vst3::ProcessContext* context) {
    YProcessingContext& sync = m_plugin->HostSync();
    if (!m_plugin->UsesHostTime()) {
        sync.TimeInfoValid = 1;
        return;
    }
    if (context == nullptr) return;
    using C = Vst3::ProcessContext;
    const uint32_t state = context->state;
    YHostTransportReading reading;
    reading.PositionValid = (state & C::kProjectTimeMusicValid) != 0;
    reading.SongPosition = context->projectTimeMusic;
    reading.TempoValid = (state & C::kTempoValid) != 0;
    reading.Tempo = context->tempo;
    reading.TimeSignatureValid = (state & C::kTimeSigValid) != 0;
    reading.TimeSignatureNumerator = context->timeSigNumerator;
    reading.TimeSignatureDenominator = context->timeSigDenominator;
    reading.BarStartValid = (state & C::kBarPositionValid) != 0;
    reading.BarStart = context->barPositionMusic;
    reading.CycleValid = (state & C::kCycleValid) != 0 && (state & C::kCycleActive) != 0;
    reading.CycleStart = context->cycleStartMusic;
    reading.CycleEnd = context->cycleEndMusic;
    reading.Playing = (state & C::kPlaying) != 0;
    m_transport.Read(reading, sync);
}

void YAudioPluginVST3Adapter::DeliverInputEvents(Vst3::IEventList& events) {
    const Vst3::int32 count = events.getEventCount();
    for (Vst3::int32 i = 0; i < count; ++i) {
        Vst3::Event e;
        std::memset(&e, 0, sizeof(e));
        if (events.getEvent(i, e) != Vst3::kResultOk) continue;
        switch (e.type) {
        case Vst3::Event::kNoteOnEvent:
            m_plugin->ProcessNote(e.noteOn.channel, e.noteOn.pitch, e.noteOn.velocity, true, e.sampleOffset);
            break;
        case Vst3::Event::kNoteOffEvent:
            m_plugin->ProcessNote(e.noteOff.channel, e.noteOff.pitch, e.noteOff.velocity, false, e.sampleOffset);
            break;
        case Vst3::Event::kDataEvent: {
            // A short channel message carried as raw bytes goes to the raw MIDI entry; system
            // exclusive data has no receiver here.
            const Vst3::DataEvent& d = e.data;
            if (d.bytes == nullptr || d.size == 0 || d.size > 4) break;
            const uint8_t status = d.bytes[0];
            if (status < 0x80 || status >= 0xF0) break;
            uint8_t bytes[4] = {};
            std::memcpy(bytes, d.bytes, d.size);
            m_plugin->ProcessMIDIEvent(e.sampleOffset, bytes);
            break;
        }
        default:
            break;
        }
    }
}

void YAudioPluginVST3Adapter::ProcessAudioBuses(Vst3::ProcessData& data) {
    float* inputs[YAudioPlugin::kMaxSlots] = {};
    float* outputs[YAudioPlugin::kMaxSlots] = {};
    const auto arrange = [](float** slots, const Vst3::AudioBusBuffers* buses, Vst3::int32 busCount,
                            int32_t pluginBuses) {
        const int32_t n = std::min<int32_t>(busCount, pluginBuses);
        for (int32_t b = 0; b < n && buses != nullptr; ++b) {
            const Vst3::AudioBusBuffers& bus = buses[b];
            float** slot = slots + b * YAudioPlugin::kMaxChannelsPerBus;
            if (bus.channelBuffers32 == nullptr || bus.numChannels <= 0 || bus.channelBuffers32[0] == nullptr)
                continue; // silence: the core fills null slots itself
            const int32_t channels = std::min<int32_t>(bus.numChannels, YAudioPlugin::kMaxChannelsPerBus);
            for (int32_t c = 0; c < YAudioPlugin::kMaxChannelsPerBus; ++c) {
                float* p = c < channels ? bus.channelBuffers32[c] : nullptr;
                slot[c] = p != nullptr ? p : slot[c - 1];
            }
        }
    };
    arrange(inputs, data.inputs, data.numInputs, m_inputBusCount);
    arrange(outputs, data.outputs, data.numOutputs, m_outputBusCount);
    m_plugin->ProcessAudio(inputs, outputs, data.numSamples, true);
}

void YAudioPluginVST3Adapter::SendOutputEvents(Vst3::IEventList* events) {
    // Never wait on the audio thread: a busy queue is sent with the next block.
    if (m_outputEventLock.Lock(0) != 0) return;
    const int32_t count = m_outputEventCount;
    std::copy_n(m_outputEvents.get(), count, m_sendingEvents.get());
    m_outputEventCount = 0;
    m_outputEventLock.Unlock();
    // The host is called without the queue lock, so queueing never waits for it.
    if (events != nullptr)
        for (int32_t i = 0; i < count; ++i) events->addEvent(m_sendingEvents[i]);
}

// ---------------------------------------------------------------------------------------------
// State

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::setState(Vst3::IBStream* state) {
    return YGuard("YAudioPluginVST3Adapter::setState", Vst3::kResultFalse, [&] {
        if (state == nullptr) return Vst3::kInvalidArgument;
        std::vector<uint8_t> bytes;
        uint8_t piece[kStateReadChunk];
        for (;;) {
            Vst3::int32 read = 0;
            if (state->read(piece, kStateReadChunk, &read) != Vst3::kResultOk || read <= 0) break;
            bytes.insert(bytes.end(), piece, piece + std::min(read, kStateReadChunk));
        }
        if (!m_plugin->LoadState(bytes.data(), bytes.size())) return Vst3::kResultFalse;
        // Every parameter may have moved: the controller reads them from the plug-in again.
        m_controllerValues.ReleaseAll();
        ServiceGUIThread(true);
        return Vst3::kResultOk;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getState(Vst3::IBStream* state) {
    return YGuard("YAudioPluginVST3Adapter::getState", Vst3::kResultFalse, [&] {
        if (state == nullptr) return Vst3::kInvalidArgument;
        std::vector<uint8_t> bytes;
        if (!m_plugin->SaveState(bytes)) return Vst3::kResultFalse;
        size_t done = 0;
        while (done < bytes.size()) {
            const Vst3::int32 piece = static_cast<Vst3::int32>(std::min<size_t>(bytes.size() - done, 1u << 30));
            Vst3::int32 written = 0;
            if (state->write(bytes.data() + done, piece, &written) != Vst3::kResultOk || written <= 0)
                return Vst3::kResultFalse;
            done += static_cast<size_t>(written);
        }
        return Vst3::kResultOk;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::setComponentState(Vst3::IBStream*) {
    // The processor that received the state is this object: it is applied already.
    return Vst3::kResultOk;
}

// ---------------------------------------------------------------------------------------------
// Parameters

void YAudioPluginVST3Adapter::BuildHostParameters() {
    m_pluginParameterCount = std::max<int32_t>(m_plugin->GetParameterCount(), 0);
    std::vector<HostParameter> list;
    list.reserve(static_cast<size_t>(m_pluginParameterCount) + 1 + kControllerCount);
    for (int32_t i = 0; i < m_pluginParameterCount; ++i) {
        HostParameter p;
        p.id = static_cast<Vst3::ParamID>(i);
        p.stepCount = m_plugin->GetParameterType(i) == 4 ? 1 : 0;
        p.defaultValue = std::clamp(m_plugin->GetParameterDefaultValue(i), 0.0, 1.0);
        p.flags = Vst3::ParameterInfo::kCanAutomate;
        list.push_back(p);
    }
    HostParameter bypass;
    bypass.id = kBypassID;
    bypass.stepCount = 1;
    bypass.flags = Vst3::ParameterInfo::kCanAutomate | Vst3::ParameterInfo::kIsBypass;
    list.push_back(bypass);
    for (int32_t n = 0; n < kControllerCount; ++n) {
        HostParameter controller;
        controller.id = kFirstControllerID + static_cast<Vst3::ParamID>(n);
        list.push_back(controller);
    }
    m_parameters.swap(list);
    m_controllerValues.Reset(m_parameters.size());
    std::vector<Vst3::ParamID> ids;
    ids.reserve(m_parameters.size());
    for (const HostParameter& p : m_parameters) ids.push_back(p.id);
    m_outputChanges.Reset(ids.data(), ids.size());
}

size_t YAudioPluginVST3Adapter::SlotOf(Vst3::ParamID id) noexcept {
    const HostParameter* p = FindHostParameter(id);
    return p != nullptr ? static_cast<size_t>(p - m_parameters.data()) : m_parameters.size();
}

YAudioPluginVST3Adapter::HostParameter* YAudioPluginVST3Adapter::FindHostParameter(Vst3::ParamID id) noexcept {
    if (id < static_cast<Vst3::ParamID>(m_pluginParameterCount)) return &m_parameters[id];
    const size_t base = static_cast<size_t>(m_pluginParameterCount);
    if (id == kBypassID && m_parameters.size() > base) return &m_parameters[base];
    if (id >= kFirstControllerID && id < kFirstControllerID + kControllerCount &&
        m_parameters.size() > base + 1 + (id - kFirstControllerID))
        return &m_parameters[base + 1 + (id - kFirstControllerID)];
    return nullptr;
}

Vst3::int32 Y_VST3_CALL YAudioPluginVST3Adapter::getParameterCount() {
    return static_cast<Vst3::int32>(m_parameters.size());
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getParameterInfo(Vst3::int32 paramIndex,
                                                                    Vst3::ParameterInfo& info) {
    return YGuard("YAudioPluginVST3Adapter::getParameterInfo", Vst3::kResultFalse, [&] {
        if (paramIndex < 0 || static_cast<size_t>(paramIndex) >= m_parameters.size()) return Vst3::kInvalidArgument;
        const HostParameter& p = m_parameters[static_cast<size_t>(paramIndex)];
        std::memset(&info, 0, sizeof(info));
        info.id = p.id;
        info.stepCount = p.stepCount;
        info.defaultNormalizedValue = p.defaultValue;
        info.unitId = Vst3::kRootUnitId;
        info.flags = p.flags;
        if (p.id == kBypassID) {
            CopyToString128(info.title, "Bypass");
            CopyToString128(info.shortTitle, "Bypass");
        } else if (p.id >= kFirstControllerID) {
            char name[32];
            std::snprintf(name, sizeof(name), "Controller %u", static_cast<unsigned>(p.id - kFirstControllerID + 1));
            CopyToString128(info.title, name);
            CopyToString128(info.shortTitle, name);
        } else {
            const int32_t index = static_cast<int32_t>(p.id);
            CopyToString128(info.title, m_plugin->GetParameterID(index));
            CopyToString128(info.shortTitle, m_plugin->GetParameterName(index));
            CopyToString128(info.units, m_plugin->GetParameterUnitsName(index));
        }
        return Vst3::kResultOk;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getParamStringByValue(Vst3::ParamID id,
                                                                         Vst3::ParamValue valueNormalized,
                                                                         Vst3::String128 string) {
    return YGuard("YAudioPluginVST3Adapter::getParamStringByValue", Vst3::kResultFalse, [&] {
        ServiceGUIThread(false);
        if (string == nullptr) return Vst3::kInvalidArgument;
        string[0] = 0;
        if (FindHostParameter(id) == nullptr) return Vst3::kInvalidArgument;
        if (id == kBypassID) {
            CopyToString128(string, valueNormalized > 0.5 ? "On" : "Off");
        } else if (id >= kFirstControllerID) {
            char text[32];
            std::snprintf(text, sizeof(text), "%.4f", valueNormalized);
            CopyToString128(string, text);
        } else {
            CopyToString128(string, m_plugin->GetParameterValueNameFrom01(static_cast<int32_t>(id), valueNormalized));
        }
        return Vst3::kResultOk;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getParamValueByString(Vst3::ParamID id, Vst3::TChar* string,
                                                                         Vst3::ParamValue& valueNormalized) {
    return YGuard("YAudioPluginVST3Adapter::getParamValueByString", Vst3::kResultFalse, [&] {
        if (string == nullptr || FindHostParameter(id) == nullptr) return Vst3::kInvalidArgument;
        const YString text = FromHostText(string).Trimmed();
        if (id == kBypassID) {
            if (text == YString("On")) {
                valueNormalized = 1.0;
            } else if (text == YString("Off")) {
                valueNormalized = 0.0;
            } else {
                int32_t consumed = 0;
                const double v = text.ToDouble(&consumed);
                if (consumed == 0) return Vst3::kResultFalse;
                valueNormalized = v > 0.5 ? 1.0 : 0.0;
            }
        } else if (id >= kFirstControllerID) {
            int32_t consumed = 0;
            const double v = text.ToDouble(&consumed);
            if (consumed == 0) return Vst3::kResultFalse;
            valueNormalized = std::clamp(v, 0.0, 1.0);
        } else {
            valueNormalized = m_plugin->ParseParameterValueName(static_cast<int32_t>(id), text);
        }
        return Vst3::kResultOk;
    });
}

Vst3::ParamValue Y_VST3_CALL YAudioPluginVST3Adapter::normalizedParamToPlain(Vst3::ParamID, Vst3::ParamValue value) {
    return value;
}

Vst3::ParamValue Y_VST3_CALL YAudioPluginVST3Adapter::plainParamToNormalized(Vst3::ParamID, Vst3::ParamValue value) {
    return value;
}

Vst3::ParamValue Y_VST3_CALL YAudioPluginVST3Adapter::getParamNormalized(Vst3::ParamID id) {
    return YGuard("YAudioPluginVST3Adapter::getParamNormalized", 0.0, [&] {
        ServiceGUIThread(false);
        // What the host set last, until the processor hears otherwise.
        double held = 0.0;
        if (m_controllerValues.Held(SlotOf(id), held)) return held;
        if (id == kBypassID) return m_plugin->IsBypassed() ? 1.0 : 0.0;
        if (id < kFirstControllerID) return m_plugin->GetParameter(static_cast<int32_t>(id));
        return 0.0;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::setParamNormalized(Vst3::ParamID id, Vst3::ParamValue value) {
    return YGuard("YAudioPluginVST3Adapter::setParamNormalized", Vst3::kResultFalse, [&] {
        ServiceGUIThread(false);
        if (!std::isfinite(value)) return Vst3::kInvalidArgument;
        const size_t slot = SlotOf(id);
        if (slot >= m_parameters.size()) return Vst3::kInvalidArgument;
        m_controllerValues.Hold(slot, std::clamp(value, 0.0, 1.0));
        return Vst3::kResultOk;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::setComponentHandler(Vst3::IComponentHandler* handler) {
    return YGuard("YAudioPluginVST3Adapter::setComponentHandler", Vst3::kResultFalse, [&] {
        if (handler == m_componentHandler) return Vst3::kResultOk;
        if (handler != nullptr) handler->addRef();
        if (m_componentHandler != nullptr) m_componentHandler->release();
        m_componentHandler = handler;
        return Vst3::kResultOk;
    });
}

Vst3::IPlugView* Y_VST3_CALL YAudioPluginVST3Adapter::createView(Vst3::FIDString name) {
    return YGuard("YAudioPluginVST3Adapter::createView", static_cast<Vst3::IPlugView*>(nullptr), [&] {
        if (name == nullptr || std::strcmp(name, "editor") != 0) return static_cast<Vst3::IPlugView*>(nullptr);
        return static_cast<Vst3::IPlugView*>(new YEditor(*this));
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::setKnobMode(Vst3::KnobMode mode) {
    if (mode < 0 || mode > 2) return Vst3::kResultFalse;
    m_knobMode = mode;
    return Vst3::kResultOk;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::openHelp(Vst3::TBool) { return Vst3::kResultFalse; }

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::openAboutBox(Vst3::TBool) { return Vst3::kResultFalse; }

// ---------------------------------------------------------------------------------------------
// Units and MIDI mapping

Vst3::int32 Y_VST3_CALL YAudioPluginVST3Adapter::getUnitCount() { return 1; }

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getUnitInfo(Vst3::int32 unitIndex, Vst3::UnitInfo& info) {
    if (unitIndex != 0) return Vst3::kInvalidArgument;
    std::memset(&info, 0, sizeof(info));
    info.id = Vst3::kRootUnitId;
    info.parentUnitId = Vst3::kNoParentUnitId;
    CopyToString128(info.name, "Root");
    info.programListId = Vst3::kNoProgramListId;
    return Vst3::kResultOk;
}

Vst3::int32 Y_VST3_CALL YAudioPluginVST3Adapter::getProgramListCount() { return 0; }

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getProgramListInfo(Vst3::int32, Vst3::ProgramListInfo&) {
    return Vst3::kResultFalse;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getProgramName(Vst3::ProgramListID, Vst3::int32,
                                                                  Vst3::String128) {
    return Vst3::kResultFalse;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getProgramInfo(Vst3::ProgramListID, Vst3::int32, Vst3::CString,
                                                                  Vst3::String128) {
    return Vst3::kResultFalse;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::hasProgramPitchNames(Vst3::ProgramListID, Vst3::int32) {
    return Vst3::kResultFalse;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getProgramPitchName(Vst3::ProgramListID, Vst3::int32,
                                                                       Vst3::int16, Vst3::String128) {
    return Vst3::kResultFalse;
}

Vst3::UnitID Y_VST3_CALL YAudioPluginVST3Adapter::getSelectedUnit() { return m_selectedUnit; }

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::selectUnit(Vst3::UnitID unitId) {
    m_selectedUnit = unitId;
    return Vst3::kResultOk;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getUnitByBus(Vst3::MediaType, Vst3::BusDirection, Vst3::int32,
                                                                Vst3::int32, Vst3::UnitID&) {
    return Vst3::kResultFalse;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::setUnitProgramData(Vst3::int32, Vst3::int32, Vst3::IBStream*) {
    return Vst3::kResultFalse;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::getMidiControllerAssignment(Vst3::int32, Vst3::int16,
                                                                               Vst3::CtrlNumber midiControllerNumber,
                                                                               Vst3::ParamID& id) {
    if (midiControllerNumber < 0 || midiControllerNumber >= kControllerCount) return Vst3::kResultFalse;
    id = kFirstControllerID + static_cast<Vst3::ParamID>(midiControllerNumber);
    return Vst3::kResultOk;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::connect(Vst3::IConnectionPoint* other) {
    return other != nullptr ? Vst3::kResultOk : Vst3::kInvalidArgument;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::disconnect(Vst3::IConnectionPoint*) { return Vst3::kResultOk; }

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::notify(Vst3::IMessage* message) {
    return message != nullptr ? Vst3::kResultFalse : Vst3::kInvalidArgument;
}

// ---------------------------------------------------------------------------------------------
// The plug-in's calls to the host

void YAudioPluginVST3Adapter::SendEdit(Vst3::ParamID id, double value) {
    Vst3::IComponentHandler* handler = m_componentHandler;
    if (handler == nullptr) return;
    m_sending = true;
    struct Clear {
        std::atomic<bool>& flag;
        ~Clear() { flag = false; }
    } clear{m_sending};
    // Hosts record automation only between beginEdit and endEdit.
    handler->beginEdit(id);
    handler->performEdit(id, value);
    handler->endEdit(id);
}

void YAudioPluginVST3Adapter::ReportValue(Vst3::ParamID id, double value) {
    const size_t slot = SlotOf(id);
    m_controllerValues.Release(slot);
    if (m_audioThread.load() == std::this_thread::get_id())
        m_outputChanges.Post(slot, value);
    else
        SendEdit(id, value);
}

void YAudioPluginVST3Adapter::ServiceGUIThread(bool checkTail) {
    // The host may call back into the controller from the handler's calls.
    if (m_servicing.exchange(true)) return;
    struct Clear {
        std::atomic<bool>& flag;
        ~Clear() { flag = false; }
    } clear{m_servicing};
    m_outputChanges.Drain([&](Vst3::ParamID id, double value) { SendEdit(id, value); });
    if (m_componentHandler == nullptr || m_activating) return;
    const uint32_t now = YPlatformTickCount();
    if (!checkTail && now - m_lastTailCheck.load() < kTailCheckInterval) return;
    m_lastTailCheck = now;
    // Hosts read the tail again when they re-read the latency; none has a flag of its own.
    if (m_tail.ShouldTell(m_plugin->GetTailLength())) m_componentHandler->restartComponent(Vst3::kLatencyChanged);
}

void YAudioPluginVST3Adapter::AutomateParameter(int32_t hostIndex, double value) {
    YGuard("YAudioPluginVST3Adapter::AutomateParameter", [&] {
        if (hostIndex < 0 || hostIndex >= m_plugin->GetParameterCount()) return;
        ReportValue(static_cast<Vst3::ParamID>(hostIndex), value);
    });
}

void YAudioPluginVST3Adapter::SendBypassAutomation(bool on) {
    YGuard("YAudioPluginVST3Adapter::SendBypassAutomation", [&] {
        ReportValue(kBypassID, on ? 1.0 : 0.0);
    });
}

void YAudioPluginVST3Adapter::GenerateMIDIEvent(int32_t deltaFrames, const uint8_t bytes[4]) {
    YGuard("YAudioPluginVST3Adapter::GenerateMIDIEvent", [&] {
        if (bytes == nullptr) return;
        const uint8_t kind = bytes[0] & 0xF0;
        if (kind != 0x80 && kind != 0x90) return;
        Vst3::Event e;
        std::memset(&e, 0, sizeof(e));
        e.busIndex = 0;
        e.sampleOffset = deltaFrames;
        e.ppqPosition = 0.0;
        e.flags = 0;
        const int16_t channel = bytes[0] & 0x0F;
        const int16_t pitch = bytes[1] & 0x7F;
        const float velocity = static_cast<float>((bytes[2] & 0x7F) * (1.0 / 127.0));
        // A note-on with velocity 0 is a release in MIDI; send it as one.
        if (kind == 0x90 && velocity > 0.0f) {
            e.type = Vst3::Event::kNoteOnEvent;
            e.noteOn.channel = channel;
            e.noteOn.pitch = pitch;
            e.noteOn.tuning = 0.0f;
            e.noteOn.velocity = velocity;
            e.noteOn.length = 0;
            e.noteOn.noteId = -1;
        } else {
            e.type = Vst3::Event::kNoteOffEvent;
            e.noteOff.channel = channel;
            e.noteOff.pitch = pitch;
            e.noteOff.velocity = velocity;
            e.noteOff.noteId = -1;
            e.noteOff.tuning = 0.0f;
        }
        YScopedLock queue(m_outputEventLock);
        if (m_outputEventCount < kOutputEventCapacity) m_outputEvents[m_outputEventCount++] = e;
    });
}

void YAudioPluginVST3Adapter::ReportLatency() {
    YGuard("YAudioPluginVST3Adapter::ReportLatency", [&] {
        if (m_activating || m_componentHandler == nullptr) return;
        m_componentHandler->restartComponent(Vst3::kLatencyChanged);
    });
}

bool YAudioPluginVST3Adapter::ChangeEditorSize(int32_t width, int32_t height) {
    return YGuard("YAudioPluginVST3Adapter::ChangeEditorSize", false, [&] {
        if (m_resizing) return true;
        if (m_editor == nullptr || !m_plugin->EditorExists() || m_plugFrame == nullptr) return false;
        m_resizing = true;
        struct Clear {
            std::atomic<bool>& flag;
            ~Clear() { flag = false; }
        } clear{m_resizing};
        Vst3::ViewRect rect{0, 0, width, height};
        m_plugFrame->resizeView(m_editor, &rect);
        return true;
    });
}

// ---------------------------------------------------------------------------------------------
// YEditor

YAudioPluginVST3Adapter::YEditor::YEditor(YAudioPluginVST3Adapter& adapter) noexcept : m_adapter(adapter) {
    m_adapter.addRef();
}

YAudioPluginVST3Adapter::YEditor::~YEditor() {
    if (m_adapter.m_editor == this) {
        m_adapter.m_editor = nullptr;
        m_adapter.m_plugFrame = nullptr;
    }
    m_adapter.release();
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::queryInterface(const Vst3::TUID iid, void** obj) {
    if (obj == nullptr) return Vst3::kInvalidArgument;
    if (Vst3::FUnknown::iid.Matches(iid) || Vst3::IPlugView::iid.Matches(iid)) {
        addRef();
        *obj = static_cast<Vst3::IPlugView*>(this);
        return Vst3::kResultOk;
    }
    *obj = nullptr;
    return Vst3::kNoInterface;
}

Vst3::uint32 Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::addRef() { return ++m_refCount; }

Vst3::uint32 Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::release() {
    return YGuard("YAudioPluginVST3Adapter::YEditor::release", Vst3::uint32{0}, [&] {
        const Vst3::uint32 left = --m_refCount;
        if (left == 0) delete this;
        return left;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::isPlatformTypeSupported(Vst3::FIDString type) {
    return type != nullptr && std::strcmp(type, "HWND") == 0 ? Vst3::kResultTrue : Vst3::kResultFalse;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::attached(void* parent, Vst3::FIDString type) {
    return YGuard("YAudioPluginVST3Adapter::YEditor::attached", Vst3::kResultFalse, [&] {
        if (parent == nullptr || isPlatformTypeSupported(type) != Vst3::kResultTrue) return Vst3::kResultFalse;
        YAudioPlugin& plugin = m_adapter.Plugin();
        if (!plugin.EditorExists() && !plugin.CreateEditor()) return Vst3::kResultFalse;
        m_parent = parent;
        m_attached = true;
        m_adapter.m_editor = this;
        plugin.SetEditorOpen(true);
        return Vst3::kResultOk;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::removed() {
    return YGuard("YAudioPluginVST3Adapter::YEditor::removed", Vst3::kResultFalse, [&] {
        if (m_attached) m_adapter.Plugin().SetEditorOpen(false);
        m_attached = false;
        m_parent = nullptr;
        if (m_adapter.m_editor == this) m_adapter.m_editor = nullptr;
        return Vst3::kResultOk;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::onWheel(float) { return Vst3::kResultFalse; }

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::onKeyDown(Vst3::char16, Vst3::int16, Vst3::int16) {
    return Vst3::kResultFalse;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::onKeyUp(Vst3::char16, Vst3::int16, Vst3::int16) {
    return Vst3::kResultFalse;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::getSize(Vst3::ViewRect* size) {
    return YGuard("YAudioPluginVST3Adapter::YEditor::getSize", Vst3::kResultFalse, [&] {
        if (size == nullptr) return Vst3::kInvalidArgument;
        YAudioPlugin& plugin = m_adapter.Plugin();
        if (!plugin.EditorExists() && !plugin.CreateEditor()) return Vst3::kResultFalse;
        // The editor window reports no size of its own yet.
        return Vst3::kResultFalse;
    });
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::onSize(Vst3::ViewRect* newSize) {
    if (newSize == nullptr) return Vst3::kInvalidArgument;
    return m_adapter.Plugin().EditorExists() ? Vst3::kResultOk : Vst3::kResultFalse;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::onFocus(Vst3::TBool) { return Vst3::kResultFalse; }

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::setFrame(Vst3::IPlugFrame* frame) {
    m_adapter.m_plugFrame = frame;
    m_adapter.m_editor = this;
    return Vst3::kResultOk;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::canResize() { return Vst3::kResultTrue; }

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::YEditor::checkSizeConstraint(Vst3::ViewRect* rect) {
    if (rect == nullptr) return Vst3::kInvalidArgument;
    return m_adapter.Plugin().EditorExists() ? Vst3::kResultTrue : Vst3::kResultFalse;
}
