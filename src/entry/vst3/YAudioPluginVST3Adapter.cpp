// YAudioPluginVST3Adapter: creation, interface queries, initialisation, buses and the processing
// set-up. The controller, the audio thread's work, state, calls to the host and the view sit in
// the files beside this one.
#include "entry/vst3/YAudioPluginVST3Adapter.h"

#include "entry/Module.h"
#include "entry/vst3/YVST3Text.h"
#include "foundation/YException.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

std::atomic<YAudioPluginVST3Adapter::PluginCreator> g_pluginCreator{&YAudioPluginVST3Adapter::CreateProductPlugin};

int32_t ChannelCount(Vst3::SpeakerArrangement arrangement) noexcept { return std::popcount(arrangement); }

using YVST3Text::CopyToString128;
using YVST3Text::FromHostText;

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
        // The editor goes before the plug-in it shows.
        m_editorHost.reset();
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
        else if (Vst3::IVornikStateReport::iid.Matches(iid))
            found = static_cast<Vst3::IVornikStateReport*>(this);
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
// IConnectionPoint

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::connect(Vst3::IConnectionPoint* other) {
    return other != nullptr ? Vst3::kResultOk : Vst3::kInvalidArgument;
}

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::disconnect(Vst3::IConnectionPoint*) { return Vst3::kResultOk; }

Vst3::tresult Y_VST3_CALL YAudioPluginVST3Adapter::notify(Vst3::IMessage* message) {
    return message != nullptr ? Vst3::kResultFalse : Vst3::kInvalidArgument;
}
