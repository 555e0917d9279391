// YAudioPluginVST3Adapter: the host audio thread's calls: one block with its parameter changes,
// transport, events in and out.
#include "entry/vst3/YAudioPluginVST3Adapter.h"

#include "foundation/YException.h"

#include <algorithm>
#include <cstring>

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
    // Every point goes to the plug-in before the locks are tried: a trigger's rise must reach
    // it even when a preset load holds the locks and this call is abandoned, and when it goes
    // up and down again within one block.
    for (Vst3::int32 i = 0; i < count; ++i) {
        Vst3::IParamValueQueue* queue = changes.getParameterData(i);
        if (queue == nullptr || queue->getParameterId() >= kFirstControllerID) continue;
        const Vst3::int32 points = queue->getPointCount();
        for (Vst3::int32 p = 0; p < points; ++p) {
            Vst3::int32 offset = 0;
            Vst3::ParamValue value = 0.0;
            if (queue->getPoint(p, offset, value) == Vst3::kResultOk)
                m_plugin->NoteIncomingValue(static_cast<int32_t>(queue->getParameterId()), std::clamp(value, 0.0, 1.0));
        }
    }
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
            // A message cut short would read as another one with zero data bytes.
            const uint32_t length = YMIDIProcessor::ChannelMessageLength(d.bytes[0]);
            if (length == 0 || d.size < length) break;
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
