// The command line of vornik-host.
#pragma once

#include "AudioFile.h"
#include "PluginHost.h"

#include <optional>
#include <string>
#include <vector>

// A command line that cannot be followed; main() answers it with exit code 2.
class UsageError : public HostError {
public:
    using HostError::HostError;
};

struct HostOptions {
    // A parameter change in command-line order: text the plug-in shows, or a normalised value.
    struct Assignment {
        std::string parameter; // name, unique name prefix, or index
        std::string value;
        bool normalised = false;
    };

    // A parameter played over time from a file of time/value points.
    struct Automation {
        std::string parameter; // as for Assignment
        std::string file;
    };

    std::string plugin;
    bool help = false;
    bool list = false;
    bool quiet = false;
    std::vector<Assignment> assignments;
    std::vector<Automation> automations;
    std::string midi; // a Standard MIDI File played into the render
    std::string loadState;
    // Presets of the product's preset file (see PresetCommands.h).
    std::string presetsFolder; // empty: the product's data folder
    bool listPresets = false;
    std::string preset;        // PATH/NAME, loaded after --load-state, before --set
    struct FolderFile {
        std::string folder; // folder path in the library; empty: the top folder
        std::string file;
    };
    std::optional<FolderFile> exportPresets;
    std::optional<FolderFile> importPresets;
    std::string saveState;
    std::string input;  // empty: the built-in demo signal
    std::string output; // empty: nothing is rendered
    std::optional<double> sampleRate;
    int32_t blockSize = 512;
    double tempo = 120.0;
    double demoSeconds = 4.0;
    int32_t demoChannels = 2;
    double tailSeconds = 0.0;
    std::optional<SampleFormat> format;
    PluginFormat api = PluginFormat::Vst2; // the entry the plug-in is created through
};

namespace HostOptionsParser {
// Throws UsageError with a one-line reason.
HostOptions Parse(const std::vector<std::string>& arguments);
std::string Usage();
} // namespace HostOptionsParser
