#include "DemoSignal.h"

#include <cmath>
#include <cstdint>

namespace {
// Correction of a naive saw's step, spread over the sample on either side of it, which
// removes most of the aliasing a bare step would cause.
double PolyBlep(double phase, double increment) {
    if (phase < increment) {
        const double t = phase / increment;
        return t + t - t * t - 1.0;
    }
    if (phase > 1.0 - increment) {
        const double t = (phase - 1.0) / increment;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

class Noise {
public:
    explicit Noise(uint32_t seed) : m_state(seed) {}
    // Uniform in -1 … 1.
    double Next() {
        m_state = m_state * 1664525u + 1013904223u;
        return static_cast<double>(m_state >> 8) / 8388608.0 - 1.0;
    }

private:
    uint32_t m_state;
};
} // namespace

namespace DemoSignal {

AudioBuffer Generate(double sampleRate, double seconds, int32_t channels) {
    AudioBuffer buffer;
    buffer.sampleRate = sampleRate;
    buffer.format = SampleFormat::Float32;
    const auto frames = static_cast<std::size_t>(std::llround(seconds * sampleRate));
    // A minor chord on A2 with its octave: low enough for a flanger's comb to sweep through
    // many harmonics.
    const double chord[] = {110.0, 130.8127826502993, 164.81377845643496, 220.0};
    const double burstPeriod = 0.5, burstLength = 0.12;
    const double fade = std::min(0.01 * sampleRate, frames / 2.0);

    for (int32_t channel = 0; channel < channels; ++channel) {
        std::vector<float> samples(frames);
        Noise noise(0x5EED1234u + 7919u * static_cast<uint32_t>(channel));
        const double detune = channel == 0 ? 1.0 : 1.003;
        double phases[4] = {0.0, 0.25, 0.5, 0.75};
        for (std::size_t i = 0; i < frames; ++i) {
            double saw = 0.0;
            for (int note = 0; note < 4; ++note) {
                const double increment = chord[note] * detune / sampleRate;
                saw += 2.0 * phases[note] - 1.0 - PolyBlep(phases[note], increment);
                phases[note] += increment;
                if (phases[note] >= 1.0) phases[note] -= 1.0;
            }
            const double time = static_cast<double>(i) / sampleRate;
            const double sinceBurst = std::fmod(time, burstPeriod);
            const double burst = sinceBurst < burstLength ? std::exp(-sinceBurst * 30.0) : 0.0;
            double value = 0.12 * saw + 0.35 * burst * noise.Next();
            // Short fades keep the edges free of clicks.
            const double edge = std::min(static_cast<double>(i), static_cast<double>(frames - 1 - i));
            if (edge < fade) value *= edge / fade;
            samples[i] = static_cast<float>(value);
        }
        buffer.channels.push_back(std::move(samples));
    }
    return buffer;
}

} // namespace DemoSignal
