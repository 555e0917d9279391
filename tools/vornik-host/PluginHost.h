// PluginHost: what the offline host needs from one plug-in instance, whichever entry (VST 2.4
// or VST 3) it was created through. Renderer, ParameterText and the commands use only this.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// A failure of the host or the plug-in, with a text for the user.
class HostError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The length of a MIDI channel message with this status byte, status included; 0 for a byte
// that starts no channel message.
inline int32_t MidiChannelMessageSize(uint8_t status) {
    if (status < 0x80 || status >= 0xF0) return 0;
    const uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 2 : 3;
}

// The plug-in interface a host speaks.
enum class PluginFormat { Vst2, Vst3 };

class PluginHost {
public:
    struct Settings {
        double sampleRate = 48000.0;
        int32_t blockSize = 512;
        double tempo = 120.0; // beats per minute of the host transport
    };

    virtual ~PluginHost() = default;

    // Loads the plug-in at path and creates one instance, ready to process at settings.
    virtual void Load(const std::string& path, const Settings& settings) = 0;
    // Switches processing on and off again.
    virtual void Start() = 0;
    virtual void Stop() = 0;
    // Releases the instance and unloads the binary; destructors do the same.
    virtual void Close() noexcept = 0;
    virtual const Settings& GetSettings() const = 0;

    // Channels over all buses: main inputs first, then side-chain inputs.
    virtual int32_t InputCount() const = 0;
    virtual int32_t OutputCount() const = 0;
    virtual int32_t Latency() const = 0; // samples, as last reported
    virtual std::string EffectName() = 0;
    virtual std::string VendorString() = 0;

    // Parameters by index, 0 to ParameterCount() - 1; texts are UTF-8.
    virtual int32_t ParameterCount() const = 0;
    virtual std::string ParameterName(int32_t index) = 0;
    virtual std::string ParameterLabel(int32_t index) = 0;
    virtual std::string ParameterDisplay(int32_t index) = 0;
    virtual float GetParameter(int32_t index) = 0;
    virtual void SetParameter(int32_t index, float value) = 0;
    // Lets the plug-in parse text into the parameter; false when it does not take text.
    virtual bool ParseParameterText(int32_t index, const std::string& text) = 0;

    // The plug-in's state as bytes, and back.
    virtual std::vector<uint8_t> SaveState() = 0;
    virtual void LoadState(const std::vector<uint8_t>& bytes) = 0;

    // Changes within the next block, as a DAW plays automation and MIDI: the parameter reaches
    // the normalised value at frame (0 to frames - 1) of that block. Points come in frame order;
    // several may share a frame, the last of them holding from there on.
    virtual void QueueParameterPoint(int32_t index, int32_t frame, double value) = 0;
    // A MIDI channel message (status and its one or two data bytes) for frame of the next block.
    // False when this interface has no way to carry it to the plug-in, or it is no whole
    // channel message.
    virtual bool QueueMidi(int32_t frame, const uint8_t* bytes, int32_t size) = 0;

    // Runs one block, frames at most the block size; the arrays hold InputCount() and
    // OutputCount() channels. Advances the transport. Queued changes go with it.
    virtual void Process(float** inputs, float** outputs, int32_t frames) = 0;
};

// A host of the given format with nothing loaded yet.
std::unique_ptr<PluginHost> MakePluginHost(PluginFormat format);
