// The built-in test signal: a saw chord under short noise bursts, the same on every run, so
// that renders can be compared byte for byte.
#pragma once

#include "AudioFile.h"

namespace DemoSignal {
// seconds of audio at sampleRate; channels 1 or 2 (the right channel is detuned and its
// noise differs, so that stereo effects show).
AudioBuffer Generate(double sampleRate, double seconds, int32_t channels);
} // namespace DemoSignal
