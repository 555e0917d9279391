// The adapter's audio-thread work: preset triggers and meters, the channel conversions of
// the channel modes around the sub-blocks, and the latency lines of channels the effect skips.
#include "core/YAudioEffectPluginToAudioPluginAdapter.h"

#include "foundation/YException.h"

#include <algorithm>
#include <utility>
#include <bit>
#include <cmath>
#include <cstring>

namespace {

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

} // namespace

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
// Preset triggers and meters

void YAudioEffectPluginToAudioPluginAdapter::PushPresetStep(int32_t step) noexcept {
    const uint32_t tail = m_presetStepTail.load(std::memory_order_relaxed);
    const uint32_t head = m_presetStepHead.load(std::memory_order_acquire);
    if (tail - head >= kPresetStepQueueSize) return; // the GUI thread is far behind: drop
    m_presetSteps[tail % kPresetStepQueueSize] = static_cast<int8_t>(step);
    m_presetStepTail.store(tail + 1u, std::memory_order_release);
}

void YAudioEffectPluginToAudioPluginAdapter::SetPresetNavigation(std::unique_ptr<YPresetNavigation> navigation) noexcept {
    ReleasePresetNavigation();
    m_presetNavigation = std::move(navigation);
    m_presetNavigationSignal.store(m_presetNavigation.get(), std::memory_order_release);
}

void YAudioEffectPluginToAudioPluginAdapter::WakePresetNavigation() noexcept {
    if (YPresetNavigation* navigation = m_presetNavigationSignal.load(std::memory_order_acquire))
        navigation->PresetStepQueued();
}

bool YAudioEffectPluginToAudioPluginAdapter::RunDeferredWork() { return false; }

void YAudioEffectPluginToAudioPluginAdapter::ReleasePresetNavigation() noexcept {
    m_presetNavigationSignal.store(nullptr, std::memory_order_release);
    // Its destructor stops whatever works on this plug-in.
    std::unique_ptr<YPresetNavigation> navigation = std::move(m_presetNavigation);
    navigation.reset();
}

bool YAudioEffectPluginToAudioPluginAdapter::TakePresetStep(int32_t& step) noexcept {
    const uint32_t head = m_presetStepHead.load(std::memory_order_relaxed);
    const uint32_t tail = m_presetStepTail.load(std::memory_order_acquire);
    // The MIDI preset switch keeps its own ring, taken after the triggers'.
    if (head == tail) return m_midiMap.TakePresetStep(step);
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
        const uint32_t rises = m_triggerRises[which].load(std::memory_order_acquire);
        uint32_t steps = rises - m_triggerRisesTaken[which];
        m_triggerRisesTaken[which] = rises;
        // A value written past the host's entry points (the state, tests) fires on its edge
        // between blocks; a host's rise was counted already and is that same edge.
        if (steps == 0 && m_triggerPrevious[which] < kTriggerThreshold && value >= kTriggerThreshold) steps = 1;
        for (steps = std::min<uint32_t>(steps, kPresetStepQueueSize); steps > 0; --steps)
            PushPresetStep(which == 0 ? -1 : 1);
        if (m_triggerUpdateMode[which] == 1) m_triggerPrevious[which] = value;
    }
}

void YAudioEffectPluginToAudioPluginAdapter::ProcessSubBlocks(float** inputs, float** outputs,
                                                              int32_t frames) {
    const uint32_t queuedBefore = m_presetStepTail.load(std::memory_order_relaxed) + m_midiMap.PresetStepsQueued();
    ApplyMIDIControl();
    PrepareForProcessingOnce(inputs, outputs, frames);
    if (m_presetStepTail.load(std::memory_order_relaxed) + m_midiMap.PresetStepsQueued() != queuedBefore)
        WakePresetNavigation();
    const int32_t fine = FineStepLength();
    if (!m_host.HasEffect()) {
        RunSubBlocks(inputs, outputs, frames, fine);
        return;
    }
    const bool hasInputs = inputs[0] != nullptr;
    PreProcessChannels(inputs, outputs, frames, hasInputs);
    if (m_effectChannels > 0) RunSubBlocks(m_effectInputs, m_effectOutputs, frames, fine);
    PostProcessChannels(inputs, outputs, frames);
    if (hasInputs && m_host.Information() != nullptr &&
        (m_host.Information()->Flags & kEffectFlagDryCombination) != 0)
        CombineDry(inputs, outputs, frames);
}

void YAudioEffectPluginToAudioPluginAdapter::PreProcessChannels(float** inputs, float** outputs,
                                                                int32_t frames, bool hasInputs) {
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
        if (in[0] == nullptr || in[1] == nullptr || out[0] == nullptr || out[1] == nullptr ||
            out[0] == out[1])
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

int32_t YAudioEffectPluginToAudioPluginAdapter::FineStepLength() const noexcept {
    for (const YMultiParameter& multi : m_multiParameters)
        if (multi.NeedsFineSteps()) return InterpolationStep() > 0 ? InterpolationStep() : kFineStepFallback;
    return 0;
}

void YAudioEffectPluginToAudioPluginAdapter::Process(float** inputs, float** outputs, int32_t frames) {
    // Switch and Trigger movements run in audio time: each sub-block moves them by its length.
    for (YMultiParameter& multi : m_multiParameters) multi.Advance(frames, m_parameterAccess);
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
