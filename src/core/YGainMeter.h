// YGainMeter: the automatic gain measurement. The audio thread feeds it each block's input
// and output; any thread may ask for the gain that makes the output as loud as the input.
//
// Loudness is the mean power: the squares of every sample of every channel, summed per
// frame and averaged over all frames measured since the last reset. Integrating over the
// whole measurement (rather than a sliding window) gives the long-term level a user means
// when matching an effect's output to its input, and makes the result independent of block
// sizes and of the effect's latency once the measurement is long compared with it. Plain
// power rather than a frequency-weighted loudness keeps the figure independent of the
// sample rate, so up-sampling and host rate changes cannot shift it.
//
// Feeding is lock-free and allocation-free: the audio thread integrates in fields only it
// touches and publishes each side's mean through an atomic; a reset from another thread is a
// request that the audio thread carries out before its next block.
#pragma once

#include <atomic>
#include <cstdint>

class YGainMeter {
public:
    enum Side : int32_t { kInput = 0, kOutput = 1 };
    // The gain stays within these bounds (+-60 dB), whatever the measurement says.
    static constexpr double kMinimumGain = 1e-3;
    static constexpr double kMaximumGain = 1e3;
    // Mean powers at or below this count as silence: no gain can be derived from them.
    static constexpr double kSilence = 1e-20;
    // What the input side holds when there are no inputs to measure: a mean power of 0.05
    // over a weight of one frame (the output is then matched to that fixed level).
    static constexpr double kNoInputPower = 0.05;
    static constexpr double kNoInputWeight = 1.0;

    YGainMeter() = default;
    YGainMeter(const YGainMeter&) = delete;
    YGainMeter& operator=(const YGainMeter&) = delete;

    // Audio thread: adds one block of one side. buffers holds eight channel pointers per bus;
    // null channels are skipped. A block with a value that is not finite is left out whole.
    void Measure(Side side, const float* const* buffers, int32_t buses, int32_t channelsPerBus,
                 int32_t frames) noexcept;
    // Audio thread: sets the input side's state to the values used when there are no inputs.
    void SetNoInput() noexcept;

    // Any thread: the amplitude factor that brings the output's mean power to the input's;
    // 1 while either side has no measurement or is silent.
    double Gain() const noexcept;
    // Any thread: the mean power of one side, or -1 without a measurement.
    double MeanPower(Side side) const noexcept;
    // Any thread: starts a new measurement (carried out by the audio thread's next call; until
    // then both sides read as unmeasured).
    void Reset() noexcept;

private:
    static constexpr int32_t kMaxChannelsPerBus = 8;
    bool ResetPending() const noexcept {
        return m_resetRequests.load(std::memory_order_acquire) != m_resetsDone.load(std::memory_order_acquire);
    }
    void CarryOutReset() noexcept;
    void Publish(Side side) noexcept;

    // Audio thread only.
    double m_sum[2] = {0.0, 0.0};
    double m_weight[2] = {0.0, 0.0};

    std::atomic<double> m_mean[2] = {-1.0, -1.0};
    std::atomic<uint32_t> m_resetRequests{0};
    std::atomic<uint32_t> m_resetsDone{0};
};
