#include "Renderer.h"

#include "PluginHost.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace Renderer {

RenderResult Render(PluginHost& host, const AudioBuffer& input, double tailSeconds, RenderEvents events) {
    const int32_t fileChannels = input.ChannelCount();
    if (fileChannels < 1 || fileChannels > 2)
        throw HostError("Only mono and stereo audio can be rendered, not " + std::to_string(fileChannels) + " channels");
    const int32_t inputs = host.InputCount(), outputs = host.OutputCount();
    if (outputs < 1) throw HostError("The plug-in has no outputs");
    if (std::fabs(input.sampleRate - host.GetSettings().sampleRate) > 0.5)
        throw HostError("The audio is at " + std::to_string(input.sampleRate) + " Hz but the plug-in runs at " +
                        std::to_string(host.GetSettings().sampleRate) + " Hz");

    const int32_t block = host.GetSettings().blockSize;
    const int64_t inputFrames = input.Frames();
    const int64_t frames = inputFrames + std::max<int64_t>(0, std::llround(tailSeconds * input.sampleRate));

    std::vector<std::vector<float>> in(std::max(inputs, 1), std::vector<float>(block));
    std::vector<std::vector<float>> out(outputs, std::vector<float>(block));
    std::vector<float*> inPointers, outPointers;
    for (auto& channel : in) inPointers.push_back(channel.data());
    for (auto& channel : out) outPointers.push_back(channel.data());

    RenderResult result;
    result.output.sampleRate = input.sampleRate;
    result.output.format = input.format;
    result.output.channels.assign(fileChannels, std::vector<float>(static_cast<std::size_t>(frames)));

    for (AutomationLane& lane : events.lanes) lane.Begin(host.GetParameter(lane.Parameter()));
    std::vector<AutomationLane::BlockPoint> points;
    std::size_t nextMidi = 0;

    host.Start();
    std::chrono::steady_clock::duration busy{};
    for (int64_t start = 0; start < frames; start += block) {
        const auto count = static_cast<int32_t>(std::min<int64_t>(block, frames - start));
        for (AutomationLane& lane : events.lanes) {
            points.clear();
            lane.BlockPoints(start, count, points);
            for (const AutomationLane::BlockPoint& point : points)
                host.QueueParameterPoint(lane.Parameter(), point.frame, point.value);
        }
        for (; nextMidi < events.midi.size() && events.midi[nextMidi].sample < start + count; ++nextMidi) {
            const RenderEvents::Midi& m = events.midi[nextMidi];
            const auto frame = static_cast<int32_t>(std::max<int64_t>(m.sample - start, 0));
            if (host.QueueMidi(frame, m.bytes, m.size)) ++result.midiDelivered;
            else ++result.midiNotCarried;
        }
        for (int32_t k = 0; k < inputs; ++k) {
            std::fill(in[k].begin(), in[k].end(), 0.0f);
            if (k >= 2) continue; // side chain: silence
            const auto& source = input.channels[std::min(k, fileChannels - 1)];
            for (int32_t i = 0; i < count && start + i < inputFrames; ++i) in[k][i] = source[start + i];
        }
        const auto before = std::chrono::steady_clock::now();
        host.Process(inPointers.data(), outPointers.data(), count);
        busy += std::chrono::steady_clock::now() - before;
        for (int32_t c = 0; c < fileChannels; ++c)
            std::copy_n(out[std::min(c, outputs - 1)].begin(), count, result.output.channels[c].begin() + start);
    }
    result.midiPastEnd = static_cast<int64_t>(events.midi.size() - nextMidi);
    result.processSeconds = std::chrono::duration<double>(busy).count();
    return result;
}

} // namespace Renderer
