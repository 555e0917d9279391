#include "core/YGainMeter.h"

#include <algorithm>
#include <cmath>

void YGainMeter::CarryOutReset() noexcept {
    const uint32_t requested = m_resetRequests.load(std::memory_order_acquire);
    for (int32_t side = 0; side < 2; ++side) {
        m_sum[side] = 0.0;
        m_weight[side] = 0.0;
        m_mean[side].store(-1.0, std::memory_order_relaxed);
    }
    m_resetsDone.store(requested, std::memory_order_release);
}

void YGainMeter::Publish(Side side) noexcept {
    m_mean[side].store(m_weight[side] > 0.0 ? m_sum[side] / m_weight[side] : -1.0, std::memory_order_release);
}

void YGainMeter::Measure(Side side, const float* const* buffers, int32_t buses, int32_t channelsPerBus,
                         int32_t frames) noexcept {
    if (ResetPending()) CarryOutReset();
    if (buffers == nullptr || frames <= 0 || buses <= 0 || channelsPerBus <= 0) return;
    buses = std::min(buses, 2);
    channelsPerBus = std::min(channelsPerBus, kMaxChannelsPerBus);
    double sum = 0.0;
    for (int32_t bus = 0; bus < buses; ++bus) {
        for (int32_t c = 0; c < channelsPerBus; ++c) {
            const float* samples = buffers[bus * kMaxChannelsPerBus + c];
            if (samples == nullptr) continue;
            // Four partial sums let the compiler keep the loop in vector registers.
            double partial[4] = {0.0, 0.0, 0.0, 0.0};
            int32_t i = 0;
            for (; i + 4 <= frames; i += 4)
                for (int32_t lane = 0; lane < 4; ++lane) {
                    const double x = samples[i + lane];
                    partial[lane] += x * x;
                }
            for (; i < frames; ++i) partial[0] += static_cast<double>(samples[i]) * samples[i];
            sum += (partial[0] + partial[1]) + (partial[2] + partial[3]);
        }
    }
    if (!std::isfinite(sum)) return;
    m_sum[side] += sum;
    m_weight[side] += frames;
    Publish(side);
}

void YGainMeter::SetNoInput() noexcept {
    if (ResetPending()) CarryOutReset();
    m_sum[kInput] = kNoInputPower * kNoInputWeight;
    m_weight[kInput] = kNoInputWeight;
    Publish(kInput);
}

double YGainMeter::MeanPower(Side side) const noexcept {
    if (ResetPending()) return -1.0;
    return m_mean[side].load(std::memory_order_acquire);
}

double YGainMeter::Gain() const noexcept {
    const double input = MeanPower(kInput);
    const double output = MeanPower(kOutput);
    if (input <= kSilence || output <= kSilence) return 1.0;
    return std::clamp(std::sqrt(input / output), kMinimumGain, kMaximumGain);
}

void YGainMeter::Reset() noexcept { m_resetRequests.fetch_add(1, std::memory_order_acq_rel); }
