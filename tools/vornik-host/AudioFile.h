// Non-interleaved float audio and its WAV files (read and written through libsndfile).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Sample formats a WAV file may hold.
enum class SampleFormat { Float32, Pcm16, Pcm24, Pcm32 };

// "float", "pcm16", "pcm24", "pcm32"; false for another text.
bool ParseSampleFormat(const std::string& text, SampleFormat& format);
const char* SampleFormatName(SampleFormat format);

struct AudioBuffer {
    double sampleRate = 48000.0;
    SampleFormat format = SampleFormat::Float32; // of the file it came from or goes to
    std::vector<std::vector<float>> channels;    // every channel has Frames() samples

    int32_t ChannelCount() const { return static_cast<int32_t>(channels.size()); }
    int64_t Frames() const { return channels.empty() ? 0 : static_cast<int64_t>(channels.front().size()); }
    double Seconds() const { return static_cast<double>(Frames()) / sampleRate; }
};

namespace AudioFile {
// Reads any file libsndfile reads; PCM arrives scaled to -1 … 1. Throws HostError.
AudioBuffer Read(const std::string& path);
// Writes a WAV file in buffer.format; PCM is clipped at full scale. Throws HostError.
void Write(const std::string& path, const AudioBuffer& buffer);
} // namespace AudioFile
