#include "AudioFile.h"

#include "VstPluginHost.h"

#include <sndfile.h>

namespace {
struct FormatName {
    SampleFormat format;
    const char* name;
    int subtype;
};
constexpr FormatName kFormats[] = {
    {SampleFormat::Float32, "float", SF_FORMAT_FLOAT},
    {SampleFormat::Pcm16, "pcm16", SF_FORMAT_PCM_16},
    {SampleFormat::Pcm24, "pcm24", SF_FORMAT_PCM_24},
    {SampleFormat::Pcm32, "pcm32", SF_FORMAT_PCM_32},
};

// Closes the file on every way out.
class SoundFile {
public:
    SoundFile(const std::string& path, int mode, SF_INFO& info) : m_file(sf_open(path.c_str(), mode, &info)) {
        if (!m_file)
            throw HostError("Could not " + std::string(mode == SFM_READ ? "read" : "write") + " \"" + path +
                            "\": " + sf_strerror(nullptr));
    }
    ~SoundFile() { sf_close(m_file); }
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;
    SNDFILE* get() const { return m_file; }

private:
    SNDFILE* m_file;
};
} // namespace

bool ParseSampleFormat(const std::string& text, SampleFormat& format) {
    for (const FormatName& entry : kFormats)
        if (text == entry.name) {
            format = entry.format;
            return true;
        }
    return false;
}

const char* SampleFormatName(SampleFormat format) {
    for (const FormatName& entry : kFormats)
        if (entry.format == format) return entry.name;
    return "?";
}

namespace AudioFile {

AudioBuffer Read(const std::string& path) {
    SF_INFO info{};
    SoundFile file(path, SFM_READ, info);
    if (info.channels < 1) throw HostError("\"" + path + "\" holds no channels");
    AudioBuffer buffer;
    buffer.sampleRate = info.samplerate;
    switch (info.format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_16: buffer.format = SampleFormat::Pcm16; break;
    case SF_FORMAT_PCM_24: buffer.format = SampleFormat::Pcm24; break;
    case SF_FORMAT_PCM_32: buffer.format = SampleFormat::Pcm32; break;
    default: buffer.format = SampleFormat::Float32; break;
    }
    std::vector<float> interleaved(static_cast<std::size_t>(info.frames) * info.channels);
    const sf_count_t read = sf_readf_float(file.get(), interleaved.data(), info.frames);
    if (read != info.frames) throw HostError("\"" + path + "\" ended early: " + sf_strerror(file.get()));
    buffer.channels.assign(info.channels, std::vector<float>(static_cast<std::size_t>(read)));
    for (sf_count_t frame = 0; frame < read; ++frame)
        for (int channel = 0; channel < info.channels; ++channel)
            buffer.channels[channel][frame] = interleaved[frame * info.channels + channel];
    return buffer;
}

void Write(const std::string& path, const AudioBuffer& buffer) {
    if (buffer.ChannelCount() < 1) throw HostError("No channels to write to \"" + path + "\"");
    SF_INFO info{};
    info.samplerate = static_cast<int>(buffer.sampleRate);
    info.channels = buffer.ChannelCount();
    info.format = SF_FORMAT_WAV;
    for (const FormatName& entry : kFormats)
        if (entry.format == buffer.format) info.format |= entry.subtype;
    if (!sf_format_check(&info)) throw HostError("libsndfile cannot write this WAV format");
    SoundFile file(path, SFM_WRITE, info);
    // Clip, rather than wrap around, what goes beyond full scale in PCM.
    sf_command(file.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
    const int64_t frames = buffer.Frames();
    std::vector<float> interleaved(static_cast<std::size_t>(frames) * info.channels);
    for (int64_t frame = 0; frame < frames; ++frame)
        for (int channel = 0; channel < info.channels; ++channel)
            interleaved[frame * info.channels + channel] = buffer.channels[channel][frame];
    if (sf_writef_float(file.get(), interleaved.data(), frames) != frames)
        throw HostError("Could not write all of \"" + path + "\": " + sf_strerror(file.get()));
}

} // namespace AudioFile
