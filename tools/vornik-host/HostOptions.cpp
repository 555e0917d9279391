#include "HostOptions.h"

#include <cmath>
#include <cstdlib>

namespace {
double Number(const std::string& option, const std::string& text, double low, double high) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != 0 || !std::isfinite(value) || value < low || value > high)
        throw UsageError(option + " expects a number from " + std::to_string(low) + " to " + std::to_string(high) +
                         ", not \"" + text + "\"");
    return value;
}

int32_t Integer(const std::string& option, const std::string& text, int32_t low, int32_t high) {
    const double value = Number(option, text, low, high);
    if (std::floor(value) != value) throw UsageError(option + " expects a whole number, not \"" + text + "\"");
    return static_cast<int32_t>(value);
}

HostOptions::Assignment Assignment(const std::string& option, const std::string& text, bool normalised,
                                   const std::string& form = "NAME=VALUE") {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == text.size())
        throw UsageError(option + " expects " + form + ", not \"" + text + "\"");
    HostOptions::Assignment assignment{text.substr(0, equals), text.substr(equals + 1), normalised};
    if (normalised) Number(option, assignment.value, 0.0, 1.0);
    return assignment;
}
} // namespace

namespace HostOptionsParser {

std::string Usage() {
    return R"(Usage: vornik-host [OPTIONS] PLUGIN

Loads a VST 2.4 plug-in binary (.so) or a VST 3 plug-in (a .vst3 bundle or the binary in
it) the way a DAW does and works with one instance of it: lists and sets its parameters,
renders audio through it, saves and loads its state.

Plug-in:
      --api vst2|vst3        the interface the plug-in is hosted through (default vst2)

Parameters (applied in the order given, after --load-state):
  -l, --list                 list the parameters: index, name, unit label, normalised
                             value and display text (after the changes below)
      --set NAME=TEXT        set a parameter from the text it shows, e.g. Feedback=50 or
                             Mode=Tape. NAME is a name, a unique start of one, or an index.
                             The plug-in parses the text when it can;
                             otherwise the host finds the value whose display shows TEXT: a
                             word must equal the display, a number must equal its first
                             number ("2 kHz" is 2000, times are in the unit shown, e.g. ms)
      --set-norm NAME=X      set a parameter's normalised value X (0 to 1)
      --automate NAME=FILE   play a parameter over the render from FILE, one point a line:
                             SECONDS VALUE, VALUE normalised (0 to 1) or the text the
                             parameter shows in double quotes; straight ramps join the
                             points, two points at one time make a jump, # starts a
                             comment. Before the first point the first value holds.
                             VST 2.4 gets setParameter between parts of a block, VST 3
                             parameter queues with sample offsets; ramps move every 32
                             samples. Repeat for more parameters

Rendering:
  -o, --out FILE.wav         render into this WAV file
  -i, --in FILE.wav          input audio, mono or stereo, float or PCM; without it the
                             built-in demo signal (saw chord under noise bursts) is used
      --demo-seconds S       length of the demo signal (default 4)
      --demo-channels 1|2    channels of the demo signal (default 2)
      --tail S               seconds of silence after the input (default 0)
      --format F             float, pcm16, pcm24 or pcm32 (default: the input's; float
                             for the demo)
      --rate HZ              sample rate for the demo (default 48000); files run at
                             their own rate, which --rate must then match
      --block N              frames per processing block (default 512)
      --tempo BPM            tempo of the host's playing transport (default 120)
      --midi FILE.mid        play a Standard MIDI File (format 0 or 1, its own tempo map)
                             into the plug-in, each message at its sample: through
                             effProcessEvents, or VST 3's event list (notes) and the
                             plug-in's MIDI mapping (controllers, pressure, pitch-bend)

State:
      --load-state FILE      load the plug-in's state (saved before, through either
                             interface) first
      --save-state FILE      save the plug-in's state at the end

Presets (the product's preset file; the plug-in writes the factory library there when
the folder has none):
      --presets-folder DIR   the folder of the preset file (default: the product's data
                             folder)
      --list-presets         list every preset as FOLDER/.../NAME
      --preset PATH/NAME     load a preset by its folder path and name, after --load-state
                             and before --set, e.g. --preset "Jet Sweeps/Classic Jet"
      --export-presets FOLDER FILE
                             write a folder of the library (and its subfolders) into a
                             .ypresets file; FOLDER "" or "/" is the whole library
      --import-presets FOLDER FILE
                             replace the presets of a folder (made when missing) by those
                             of a .ypresets file, and save the preset file

Other:
  -q, --quiet                print nothing but errors
  -h, --help                 show this text

A render prints the file, its duration, the plug-in's latency and the
real-time factor: seconds of audio rendered per second spent processing.
Exit codes: 0 success, 1 failure, 2 wrong command line.
)";
}

HostOptions Parse(const std::vector<std::string>& arguments) {
    HostOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string option = arguments[i];
        std::optional<std::string> attached;
        if (option.rfind("--", 0) == 0) {
            const std::size_t equals = option.find('=');
            if (equals != std::string::npos) {
                attached = option.substr(equals + 1);
                option = option.substr(0, equals);
            }
        }
        const auto value = [&]() -> std::string {
            if (attached) return *attached;
            if (i + 1 >= arguments.size()) throw UsageError(option + " needs a value");
            return arguments[++i];
        };
        const auto flag = [&]() {
            if (attached) throw UsageError(option + " takes no value");
        };

        if (option == "-h" || option == "--help") flag(), options.help = true;
        else if (option == "-l" || option == "--list") flag(), options.list = true;
        else if (option == "-q" || option == "--quiet") flag(), options.quiet = true;
        else if (option == "--set") options.assignments.push_back(Assignment(option, value(), false));
        else if (option == "--set-norm") options.assignments.push_back(Assignment(option, value(), true));
        else if (option == "--automate") {
            const HostOptions::Assignment pair = Assignment(option, value(), false, "NAME=FILE");
            options.automations.push_back({pair.parameter, pair.value});
        }
        else if (option == "--midi") options.midi = value();
        else if (option == "-o" || option == "--out") options.output = value();
        else if (option == "-i" || option == "--in") options.input = value();
        else if (option == "--demo-seconds") options.demoSeconds = Number(option, value(), 0.001, 3600.0);
        else if (option == "--demo-channels")
            options.demoChannels = Integer(option, value(), 1, 2);
        else if (option == "--tail") options.tailSeconds = Number(option, value(), 0.0, 3600.0);
        else if (option == "--rate") options.sampleRate = Number(option, value(), 1000.0, 768000.0);
        else if (option == "--block") options.blockSize = Integer(option, value(), 1, 65536);
        else if (option == "--tempo") options.tempo = Number(option, value(), 1.0, 999.0);
        else if (option == "--load-state") options.loadState = value();
        else if (option == "--save-state") options.saveState = value();
        else if (option == "--presets-folder") options.presetsFolder = value();
        else if (option == "--list-presets") flag(), options.listPresets = true;
        else if (option == "--preset") options.preset = value();
        else if (option == "--export-presets" || option == "--import-presets") {
            flag();
            if (i + 2 >= arguments.size()) throw UsageError(option + " needs a folder and a file");
            const HostOptions::FolderFile pair{arguments[i + 1], arguments[i + 2]};
            i += 2;
            if (pair.file.empty()) throw UsageError(option + " needs a file name");
            (option == "--export-presets" ? options.exportPresets : options.importPresets) = pair;
        }
        else if (option == "--api") {
            const std::string text = value();
            if (text == "vst2") options.api = PluginFormat::Vst2;
            else if (text == "vst3") options.api = PluginFormat::Vst3;
            else throw UsageError("--api expects vst2 or vst3, not \"" + text + "\"");
        }
        else if (option == "--format") {
            SampleFormat format;
            const std::string text = value();
            if (!ParseSampleFormat(text, format))
                throw UsageError("--format expects float, pcm16, pcm24 or pcm32, not \"" + text + "\"");
            options.format = format;
        } else if (!option.empty() && option[0] == '-' && option != "-") {
            throw UsageError("Unknown option " + option);
        } else if (options.plugin.empty()) {
            options.plugin = option;
        } else {
            throw UsageError("One plug-in only: \"" + options.plugin + "\" and \"" + option + "\"");
        }
    }
    if (options.help) return options;
    if (options.plugin.empty()) throw UsageError("No plug-in given");
    if (options.output.empty() && !options.input.empty()) throw UsageError("--in needs --out");
    if (options.output.empty() && !options.midi.empty()) throw UsageError("--midi needs --out");
    if (options.output.empty() && !options.automations.empty()) throw UsageError("--automate needs --out");
    return options;
}

} // namespace HostOptionsParser
