// Runs audio through a hosted plug-in block by block, as a DAW's offline export does.
#pragma once

#include "AudioFile.h"
#include "Automation.h"

#include <cstdint>
#include <vector>

class PluginHost;

// What plays along with the audio, at sample positions from the start of the render.
struct RenderEvents {
    struct Midi {
        int64_t sample;
        uint8_t bytes[3];
        uint8_t size;
    };
    std::vector<AutomationLane> lanes;
    std::vector<Midi> midi; // in time order
};

struct RenderResult {
    AudioBuffer output;
    double processSeconds = 0.0; // wall-clock time spent inside the plug-in's processing
    int64_t midiDelivered = 0;
    int64_t midiNotCarried = 0; // messages the plug-in's interface has no way to take
    int64_t midiPastEnd = 0;    // messages after the end of the render
    // Audio seconds rendered per second of processing.
    double RealTimeFactor() const { return processSeconds > 0 ? output.Seconds() / processSeconds : 0.0; }
};

namespace Renderer {
// Renders input (followed by tailSeconds of silence) through host in blocks of the host's
// block size. Mono input feeds both main inputs; the output has the input's channel count,
// taken from the plug-in's first outputs. Further inputs (a side chain) get silence.
// Automation and MIDI from events reach the plug-in in the blocks they fall in.
RenderResult Render(PluginHost& host, const AudioBuffer& input, double tailSeconds, RenderEvents events = {});
} // namespace Renderer
