// Runs audio through a hosted plug-in block by block, as a DAW's offline export does.
#pragma once

#include "AudioFile.h"

class PluginHost;

struct RenderResult {
    AudioBuffer output;
    double processSeconds = 0.0; // wall-clock time spent inside the plug-in's processing
    // Audio seconds rendered per second of processing.
    double RealTimeFactor() const { return processSeconds > 0 ? output.Seconds() / processSeconds : 0.0; }
};

namespace Renderer {
// Renders input (followed by tailSeconds of silence) through host in blocks of the host's
// block size. Mono input feeds both main inputs; the output has the input's channel count,
// taken from the plug-in's first outputs. Further inputs (a side chain) get silence.
RenderResult Render(PluginHost& host, const AudioBuffer& input, double tailSeconds);
} // namespace Renderer
