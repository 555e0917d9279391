#include "Vst3PluginHost.h"

#include "foundation/YString.h"
#include "platform/YPlatformFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

std::string Narrow(const Vst3::TChar* text, std::size_t capacity) {
    std::size_t length = 0;
    while (length < capacity && text[length] != 0) ++length;
    return YString::FromUTF16(std::u16string_view(text, length)).ToUTF8();
}

// The host's objects live as long as the host; counting references only counts.
template <typename Interface>
class HostObject : public Interface {
public:
    Vst3::tresult Y_VST3_CALL queryInterface(const Vst3::TUID iid, void** obj) override {
        if (obj == nullptr) return Vst3::kInvalidArgument;
        if (Vst3::FUnknown::iid.Matches(iid) || Interface::iid.Matches(iid)) {
            *obj = static_cast<Interface*>(this);
            return Vst3::kResultOk;
        }
        *obj = nullptr;
        return Vst3::kNoInterface;
    }
    Vst3::uint32 Y_VST3_CALL addRef() override { return 1; }
    Vst3::uint32 Y_VST3_CALL release() override { return 1; }
};

class HostApplication : public HostObject<Vst3::IHostApplication> {
public:
    Vst3::tresult Y_VST3_CALL getName(Vst3::String128 name) override {
        const std::u16string text = u"vornik-host";
        std::memset(name, 0, sizeof(Vst3::String128));
        std::copy(text.begin(), text.end(), name);
        return Vst3::kResultOk;
    }
    Vst3::tresult Y_VST3_CALL createInstance(Vst3::TUID, Vst3::TUID, void** obj) override {
        if (obj != nullptr) *obj = nullptr;
        return Vst3::kResultFalse;
    }
};

class MemoryStream : public HostObject<Vst3::IBStream> {
public:
    Vst3::tresult Y_VST3_CALL read(void* buffer, Vst3::int32 numBytes, Vst3::int32* numBytesRead) override {
        const std::size_t n = std::min(bytes.size() - position, static_cast<std::size_t>(std::max(numBytes, 0)));
        if (n > 0) std::memcpy(buffer, bytes.data() + position, n);
        position += n;
        if (numBytesRead != nullptr) *numBytesRead = static_cast<Vst3::int32>(n);
        return Vst3::kResultOk;
    }
    Vst3::tresult Y_VST3_CALL write(void* buffer, Vst3::int32 numBytes, Vst3::int32* numBytesWritten) override {
        if (numBytes < 0 || (numBytes > 0 && buffer == nullptr)) return Vst3::kInvalidArgument;
        const auto* p = static_cast<const uint8_t*>(buffer);
        if (position + static_cast<std::size_t>(numBytes) > bytes.size()) bytes.resize(position + numBytes);
        std::copy_n(p, numBytes, bytes.begin() + static_cast<std::ptrdiff_t>(position));
        position += static_cast<std::size_t>(numBytes);
        if (numBytesWritten != nullptr) *numBytesWritten = numBytes;
        return Vst3::kResultOk;
    }
    Vst3::tresult Y_VST3_CALL seek(Vst3::int64 pos, Vst3::int32 mode, Vst3::int64* result) override {
        const Vst3::int64 base = mode == kIBSeekSet   ? 0
                                 : mode == kIBSeekCur ? static_cast<Vst3::int64>(position)
                                                      : static_cast<Vst3::int64>(bytes.size());
        if (base + pos < 0) return Vst3::kInvalidArgument;
        position = static_cast<std::size_t>(base + pos);
        if (position > bytes.size()) bytes.resize(position);
        if (result != nullptr) *result = static_cast<Vst3::int64>(position);
        return Vst3::kResultOk;
    }
    Vst3::tresult Y_VST3_CALL tell(Vst3::int64* pos) override {
        if (pos == nullptr) return Vst3::kInvalidArgument;
        *pos = static_cast<Vst3::int64>(position);
        return Vst3::kResultOk;
    }
    std::vector<uint8_t> bytes;
    std::size_t position = 0;
};

// One parameter's changes within a block: points in frame order. A change set between blocks
// is one point at the block's start and replaces what was queued; automation adds points.
class ValueQueue : public HostObject<Vst3::IParamValueQueue> {
public:
    struct Point {
        Vst3::int32 offset;
        Vst3::ParamValue value;
    };
    Vst3::ParamID Y_VST3_CALL getParameterId() override { return id; }
    Vst3::int32 Y_VST3_CALL getPointCount() override { return static_cast<Vst3::int32>(points.size()); }
    Vst3::tresult Y_VST3_CALL getPoint(Vst3::int32 index, Vst3::int32& offset, Vst3::ParamValue& v) override {
        if (index < 0 || static_cast<std::size_t>(index) >= points.size()) return Vst3::kInvalidArgument;
        offset = points[static_cast<std::size_t>(index)].offset;
        v = points[static_cast<std::size_t>(index)].value;
        return Vst3::kResultOk;
    }
    Vst3::tresult Y_VST3_CALL addPoint(Vst3::int32, Vst3::ParamValue, Vst3::int32& index) override {
        index = -1;
        return Vst3::kResultFalse; // the host's queues are for reading
    }
    Vst3::ParamID id = 0;
    std::vector<Point> points;
};

class ParameterChanges : public HostObject<Vst3::IParameterChanges> {
public:
    void Set(Vst3::ParamID id, double value) {
        ValueQueue& queue = Queue(id);
        queue.points.assign(1, {0, value});
    }
    void Add(Vst3::ParamID id, Vst3::int32 offset, double value) { Queue(id).points.push_back({offset, value}); }
    bool Empty() const { return count == 0; }
    void Clear() { count = 0; }
    Vst3::int32 Y_VST3_CALL getParameterCount() override { return static_cast<Vst3::int32>(count); }
    Vst3::IParamValueQueue* Y_VST3_CALL getParameterData(Vst3::int32 index) override {
        return index >= 0 && static_cast<std::size_t>(index) < count ? &queues[static_cast<std::size_t>(index)]
                                                                      : nullptr;
    }
    Vst3::IParamValueQueue* Y_VST3_CALL addParameterData(const Vst3::ParamID&, Vst3::int32& index) override {
        index = -1;
        return nullptr; // the plug-in's output changes are not taken
    }

private:
    ValueQueue& Queue(Vst3::ParamID id) {
        for (std::size_t i = 0; i < count; ++i)
            if (queues[i].id == id) return queues[i];
        if (count == queues.size()) queues.emplace_back();
        ValueQueue& queue = queues[count++];
        queue.id = id;
        queue.points.clear();
        return queue;
    }

    std::vector<ValueQueue> queues; // never shrinks: pointers handed out stay valid in a block
    std::size_t count = 0;
};

// The block's note events, in the order they were queued.
class EventList : public HostObject<Vst3::IEventList> {
public:
    Vst3::int32 Y_VST3_CALL getEventCount() override { return static_cast<Vst3::int32>(events.size()); }
    Vst3::tresult Y_VST3_CALL getEvent(Vst3::int32 index, Vst3::Event& e) override {
        if (index < 0 || static_cast<std::size_t>(index) >= events.size()) return Vst3::kInvalidArgument;
        e = events[static_cast<std::size_t>(index)];
        return Vst3::kResultOk;
    }
    Vst3::tresult Y_VST3_CALL addEvent(Vst3::Event&) override { return Vst3::kResultFalse; }
    std::vector<Vst3::Event> events;
};

// The controller numbers IMidiMapping uses beyond the 128 MIDI controllers.
constexpr Vst3::CtrlNumber kChannelAftertouch = 128, kPitchBend = 129, kProgramChange = 130;

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

struct Vst3PluginHost::Objects {
    HostApplication application;
    ParameterChanges changes;
    EventList events;
    Vst3::ProcessContext context{};
};

Vst3PluginHost::Vst3PluginHost() : m_objects(std::make_unique<Objects>()) {}

Vst3PluginHost::~Vst3PluginHost() { Close(); }

std::string Vst3PluginHost::BinaryPath(const std::string& path) {
    std::string bundle = path;
    while (bundle.size() > 1 && YPlatformFile::IsSeparator(static_cast<char16_t>(bundle.back()))) bundle.pop_back();
    if (!EndsWith(bundle, ".vst3")) return path;
    std::size_t start = bundle.size();
    while (start > 0 && !YPlatformFile::IsSeparator(static_cast<char16_t>(bundle[start - 1]))) --start;
    const std::string stem = bundle.substr(start, bundle.size() - 5 - start);
#if defined(_WIN32)
    const std::string binary = bundle + "/Contents/x86_64-win/" + stem + ".vst3";
#else
    const std::string binary = bundle + "/Contents/x86_64-linux/" + stem + ".so";
#endif
    // A single-file plug-in may carry the bundle's suffix too.
    return YPlatformFile::Exists(YString::FromUTF8(binary)) ? binary : path;
}

void Vst3PluginHost::Load(const std::string& path, const Settings& settings) {
    if (m_component) throw HostError("A plug-in is loaded already");
    if (settings.sampleRate <= 0 || settings.blockSize <= 0 || settings.tempo <= 0)
        throw HostError("Sample rate, block size and tempo must be positive");
    m_settings = settings;
    m_samplePosition = 0;
    const std::string binary = BinaryPath(path);
    if (!m_library.Open(YString::FromUTF8(binary))) throw HostError(m_library.ErrorText().ToUTF8());
    try {
        const auto getFactory = m_library.Function<Vst3::GetFactoryProc>("GetPluginFactory");
        if (!getFactory) throw HostError("\"" + binary + "\" exports no GetPluginFactory: not a VST 3 plug-in");
#if !defined(_WIN32)
        // Linux hosts enter the module before asking for its factory.
        if (const auto entry = m_library.Function<bool (*)(void*)>("ModuleEntry")) {
            if (!entry(nullptr)) throw HostError("The plug-in's ModuleEntry failed");
            m_moduleEntered = true;
        }
#endif
        m_factory = getFactory();
        if (!m_factory) throw HostError("GetPluginFactory returned no factory");

        Vst3::PFactoryInfo factoryInfo{};
        if (m_factory->getFactoryInfo(&factoryInfo) == Vst3::kResultOk)
            m_vendor = std::string(factoryInfo.vendor, strnlen(factoryInfo.vendor, sizeof(factoryInfo.vendor)));
        Vst3::PClassInfo classInfo{};
        bool found = false;
        for (Vst3::int32 i = 0; i < m_factory->countClasses() && !found; ++i)
            found = m_factory->getClassInfo(i, &classInfo) == Vst3::kResultOk &&
                    std::strncmp(classInfo.category, "Audio Module Class", sizeof(classInfo.category)) == 0;
        if (!found) throw HostError("The factory offers no audio effect class");
        m_name = std::string(classInfo.name, strnlen(classInfo.name, sizeof(classInfo.name)));

        if (m_factory->createInstance(classInfo.cid, Vst3::IComponent::iid.bytes,
                                      reinterpret_cast<void**>(&m_component)) != Vst3::kResultOk ||
            !m_component)
            throw HostError("The factory created no component");
        if (m_component->initialize(&m_objects->application) != Vst3::kResultOk)
            throw HostError("The component refused to initialise");
        if (m_component->queryInterface(Vst3::IAudioProcessor::iid.bytes, reinterpret_cast<void**>(&m_processor)) !=
                Vst3::kResultOk ||
            !m_processor)
            throw HostError("The component is no audio processor");
        // Single-object plug-ins are their own controller; nothing else is supported here.
        if (m_component->queryInterface(Vst3::IEditController::iid.bytes, reinterpret_cast<void**>(&m_controller)) !=
                Vst3::kResultOk ||
            !m_controller)
            throw HostError("The component has no edit controller of its own");

        if (m_processor->canProcessSampleSize(Vst3::kSample32) != Vst3::kResultTrue)
            throw HostError("The plug-in does not process 32-bit samples");
        Vst3::ProcessSetup setup{Vst3::kOffline, Vst3::kSample32, m_settings.blockSize, m_settings.sampleRate};
        if (m_processor->setupProcessing(setup) != Vst3::kResultOk) throw HostError("The plug-in refused the set-up");
        PrepareBuses();

        // MIDI: notes through the first event input, the rest through the controller's mapping.
        if (m_component->getBusCount(Vst3::kEvent, Vst3::kInput) > 0)
            m_eventInput = m_component->activateBus(Vst3::kEvent, Vst3::kInput, 0, 1) == Vst3::kResultOk;
        if (m_controller->queryInterface(Vst3::IMidiMapping::iid.bytes, reinterpret_cast<void**>(&m_midiMapping)) !=
            Vst3::kResultOk)
            m_midiMapping = nullptr;

        for (Vst3::int32 i = 0; i < m_controller->getParameterCount(); ++i) {
            Vst3::ParameterInfo info{};
            if (m_controller->getParameterInfo(i, info) != Vst3::kResultOk) continue;
            if ((info.flags & Vst3::ParameterInfo::kIsBypass) || !(info.flags & Vst3::ParameterInfo::kCanAutomate))
                continue;
            m_parameters.push_back(info);
        }
    } catch (...) {
        Close();
        throw;
    }
}

void Vst3PluginHost::PrepareBuses() {
    m_inputBusChannels.clear();
    m_outputBusChannels.clear();
    for (Vst3::BusDirection dir : {Vst3::kInput, Vst3::kOutput}) {
        auto& channels = dir == Vst3::kInput ? m_inputBusChannels : m_outputBusChannels;
        for (Vst3::int32 b = 0; b < m_component->getBusCount(Vst3::kAudio, dir); ++b) {
            Vst3::BusInfo info{};
            if (m_component->getBusInfo(Vst3::kAudio, dir, b, info) != Vst3::kResultOk) break;
            // Every bus takes part, side chains included: they get silence, as in the VST 2.4 host.
            m_component->activateBus(Vst3::kAudio, dir, b, 1);
            channels.push_back(std::max(info.channelCount, 0));
        }
    }
    const auto sum = [](const std::vector<int32_t>& v) {
        int32_t total = 0;
        for (int32_t n : v) total += n;
        return total;
    };
    m_inputChannels = sum(m_inputBusChannels);
    m_outputChannels = sum(m_outputBusChannels);
    m_inputBuses.assign(m_inputBusChannels.size(), Vst3::AudioBusBuffers{});
    m_outputBuses.assign(m_outputBusChannels.size(), Vst3::AudioBusBuffers{});
}

void Vst3PluginHost::Start() {
    Require();
    if (m_started) return;
    // Values set before processing starts are where it starts, not where it ramps from.
    FlushChanges();
    if (m_component->setActive(1) != Vst3::kResultOk) throw HostError("The plug-in refused to activate");
    m_processor->setProcessing(1);
    m_started = true;
}

void Vst3PluginHost::Stop() {
    if (!m_started || !m_component) return;
    m_processor->setProcessing(0);
    m_component->setActive(0);
    m_started = false;
}

void Vst3PluginHost::Close() noexcept {
    if (m_component) {
        Stop();
        if (m_midiMapping) m_midiMapping->release();
        if (m_controller) m_controller->release();
        if (m_processor) m_processor->release();
        m_component->terminate();
        m_component->release();
    }
    m_midiMapping = nullptr;
    m_eventInput = false;
    m_controller = nullptr;
    m_processor = nullptr;
    m_component = nullptr;
    if (m_factory) m_factory->release();
    m_factory = nullptr;
#if !defined(_WIN32)
    if (m_moduleEntered)
        if (const auto exit = m_library.Function<bool (*)()>("ModuleExit")) exit();
#endif
    m_moduleEntered = false;
    m_parameters.clear();
    m_objects->changes.Clear();
    m_objects->events.events.clear();
    m_library.Close();
}

void Vst3PluginHost::Require() const {
    if (!m_component) throw HostError("No plug-in is loaded");
}

int32_t Vst3PluginHost::Latency() const {
    Require();
    return static_cast<int32_t>(m_processor->getLatencySamples());
}

const Vst3::ParameterInfo& Vst3PluginHost::Info(int32_t index) const {
    Require();
    if (index < 0 || index >= ParameterCount())
        throw HostError("Parameter index " + std::to_string(index) + " is out of range (the plug-in has " +
                        std::to_string(ParameterCount()) + ")");
    return m_parameters[static_cast<std::size_t>(index)];
}

std::string Vst3PluginHost::ParameterName(int32_t index) { return Narrow(Info(index).title, 128); }
std::string Vst3PluginHost::ParameterLabel(int32_t index) { return Narrow(Info(index).units, 128); }

std::string Vst3PluginHost::ParameterDisplay(int32_t index) {
    const Vst3::ParamID id = Info(index).id;
    FlushChanges();
    Vst3::String128 text{};
    if (m_controller->getParamStringByValue(id, m_controller->getParamNormalized(id), text) != Vst3::kResultOk)
        return {};
    return Narrow(text, 128);
}

float Vst3PluginHost::GetParameter(int32_t index) {
    const Vst3::ParamID id = Info(index).id;
    FlushChanges();
    return static_cast<float>(m_controller->getParamNormalized(id));
}

void Vst3PluginHost::SetParameter(int32_t index, float value) {
    const Vst3::ParamID id = Info(index).id;
    const double normalised = std::clamp(static_cast<double>(value), 0.0, 1.0);
    // As a DAW does: the controller learns the value now, the processor with the next block.
    m_controller->setParamNormalized(id, normalised);
    m_objects->changes.Set(id, normalised);
}

bool Vst3PluginHost::ParseParameterText(int32_t index, const std::string& text) {
    const Vst3::ParamID id = Info(index).id;
    std::u16string wide = YString::FromUTF8(text).ToUTF16();
    Vst3::ParamValue value = 0.0;
    if (m_controller->getParamValueByString(id, wide.data(), value) != Vst3::kResultOk) return false;
    // Kept at full precision: the VST 3 interface carries doubles.
    value = std::clamp(value, 0.0, 1.0);
    m_controller->setParamNormalized(id, value);
    m_objects->changes.Set(id, value);
    return true;
}

void Vst3PluginHost::QueueParameterPoint(int32_t index, int32_t frame, double value) {
    const Vst3::ParamID id = Info(index).id;
    const double normalised = std::clamp(value, 0.0, 1.0);
    // The controller follows the automation, as a DAW keeps it showing the value played.
    m_controller->setParamNormalized(id, normalised);
    m_objects->changes.Add(id, std::max(frame, 0), normalised);
}

bool Vst3PluginHost::QueueMidi(int32_t frame, const uint8_t* bytes, int32_t size) {
    Require();
    if (!bytes || size < 1 || size != MidiChannelMessageSize(bytes[0])) return false;
    const uint8_t kind = bytes[0] & 0xF0;
    const auto channel = static_cast<Vst3::int16>(bytes[0] & 0x0F);
    const uint8_t data1 = bytes[1] & 0x7F, data2 = size > 2 ? bytes[2] & 0x7F : 0;
    frame = std::max(frame, 0);

    if (kind == 0x80 || kind == 0x90 || kind == 0xA0) {
        if (!m_eventInput) return false;
        Vst3::Event e;
        std::memset(&e, 0, sizeof(e));
        e.busIndex = 0;
        e.sampleOffset = frame;
        e.ppqPosition = static_cast<double>(m_samplePosition + frame) / m_settings.sampleRate * m_settings.tempo / 60.0;
        if (kind == 0x90 && data2 > 0) {
            e.type = Vst3::Event::kNoteOnEvent;
            e.noteOn = {channel, static_cast<Vst3::int16>(data1), 0.0f, data2 / 127.0f, 0, -1};
        } else if (kind == 0xA0) {
            e.type = Vst3::Event::kPolyPressureEvent;
            e.polyPressure = {channel, static_cast<Vst3::int16>(data1), data2 / 127.0f, -1};
        } else {
            // A note-on at velocity 0 is a note-off, as MIDI has it.
            e.type = Vst3::Event::kNoteOffEvent;
            e.noteOff = {channel, static_cast<Vst3::int16>(data1), data2 / 127.0f, -1, 0.0f};
        }
        m_objects->events.events.push_back(e);
        return true;
    }

    Vst3::CtrlNumber controller = 0;
    double value = 0.0;
    switch (kind) {
    case 0xB0:
        controller = data1;
        value = data2 / 127.0;
        break;
    case 0xC0:
        controller = kProgramChange;
        value = data1 / 127.0;
        break;
    case 0xD0:
        controller = kChannelAftertouch;
        value = data1 / 127.0;
        break;
    default: // 0xE0: pitch-bend, fourteen bits, least significant first
        controller = kPitchBend;
        value = (data1 | data2 << 7) / 16383.0;
        break;
    }
    Vst3::ParamID id = 0;
    if (!m_midiMapping || m_midiMapping->getMidiControllerAssignment(0, channel, controller, id) != Vst3::kResultOk)
        return false;
    m_objects->changes.Add(id, frame, value);
    return true;
}

void Vst3PluginHost::FlushChanges() {
    if (m_objects->changes.Empty()) return;
    Vst3::ProcessData data{};
    data.processMode = Vst3::kOffline;
    data.symbolicSampleSize = Vst3::kSample32;
    data.inputParameterChanges = &m_objects->changes;
    const Vst3::tresult result = m_processor->process(data);
    m_objects->changes.Clear();
    if (result != Vst3::kResultOk) throw HostError("The plug-in refused the parameter changes");
}

std::vector<uint8_t> Vst3PluginHost::SaveState() {
    Require();
    FlushChanges();
    MemoryStream stream;
    if (m_component->getState(&stream) != Vst3::kResultOk) throw HostError("The plug-in handed out no state");
    if (stream.bytes.empty()) throw HostError("The plug-in handed out no state");
    return stream.bytes;
}

void Vst3PluginHost::LoadState(const std::vector<uint8_t>& bytes) {
    Require();
    if (bytes.empty()) throw HostError("The state is empty");
    FlushChanges();
    MemoryStream stream;
    stream.bytes = bytes;
    if (m_component->setState(&stream) != Vst3::kResultOk) {
        // A plug-in that knows the request says why; others keep their reason.
        std::string why = "The plug-in refused the state";
        Vst3::IVornikStateReport* report = nullptr;
        if (m_component->queryInterface(Vst3::IVornikStateReport::iid.bytes, reinterpret_cast<void**>(&report)) ==
                Vst3::kResultOk &&
            report != nullptr) {
            char reason[1024] = {};
            if (report->getStateRefusal(reason, sizeof reason) > 0) {
                reason[sizeof reason - 1] = 0;
                why = reason;
            }
            report->release();
        }
        throw HostError(why);
    }
    stream.position = 0;
    m_controller->setComponentState(&stream);
}

void Vst3PluginHost::Process(float** inputs, float** outputs, int32_t frames) {
    Require();
    if (frames < 0 || frames > m_settings.blockSize)
        throw HostError("A block of " + std::to_string(frames) + " frames exceeds the block size");
    if (!m_started) Start();

    float** in = inputs;
    for (std::size_t b = 0; b < m_inputBuses.size(); ++b) {
        m_inputBuses[b].numChannels = m_inputBusChannels[b];
        m_inputBuses[b].silenceFlags = 0;
        m_inputBuses[b].channelBuffers32 = in;
        in += m_inputBusChannels[b];
    }
    float** out = outputs;
    for (std::size_t b = 0; b < m_outputBuses.size(); ++b) {
        m_outputBuses[b].numChannels = m_outputBusChannels[b];
        m_outputBuses[b].silenceFlags = 0;
        m_outputBuses[b].channelBuffers32 = out;
        out += m_outputBusChannels[b];
    }

    // The same playing transport the VST 2.4 host reports: 4/4 at the set tempo.
    Vst3::ProcessContext& context = m_objects->context;
    using C = Vst3::ProcessContext;
    context.state = C::kPlaying | C::kProjectTimeMusicValid | C::kTempoValid | C::kBarPositionValid | C::kTimeSigValid;
    context.sampleRate = m_settings.sampleRate;
    context.projectTimeSamples = m_samplePosition;
    context.continousTimeSamples = m_samplePosition;
    context.projectTimeMusic = static_cast<double>(m_samplePosition) / m_settings.sampleRate * m_settings.tempo / 60.0;
    context.barPositionMusic = std::floor(context.projectTimeMusic / 4.0) * 4.0;
    context.tempo = m_settings.tempo;
    context.timeSigNumerator = 4;
    context.timeSigDenominator = 4;

    Vst3::ProcessData data{};
    data.processMode = Vst3::kOffline;
    data.symbolicSampleSize = Vst3::kSample32;
    data.numSamples = frames;
    data.numInputs = static_cast<Vst3::int32>(m_inputBuses.size());
    data.numOutputs = static_cast<Vst3::int32>(m_outputBuses.size());
    data.inputs = m_inputBuses.data();
    data.outputs = m_outputBuses.data();
    data.inputParameterChanges = m_objects->changes.Empty() ? nullptr : &m_objects->changes;
    data.inputEvents = m_objects->events.events.empty() ? nullptr : &m_objects->events;
    data.processContext = &context;
    const Vst3::tresult result = m_processor->process(data);
    m_objects->changes.Clear();
    m_objects->events.events.clear();
    if (result != Vst3::kResultOk) throw HostError("The plug-in failed to process a block");
    m_samplePosition += frames;
}
