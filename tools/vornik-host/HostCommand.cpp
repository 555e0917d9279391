#include "HostCommand.h"

#include "DemoSignal.h"
#include "Automation.h"
#include "FileBytes.h"
#include "MidiFile.h"
#include "ParameterText.h"
#include "Renderer.h"
#include "PluginHost.h"
#include "PresetCommands.h"

#include "foundation/YString.h"
#include "platform/YPlatformFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iomanip>
#include <memory>
#include <sstream>

namespace {
// Width on a terminal: UTF-8 continuation bytes take no column.
std::size_t Columns(const std::string& text) {
    std::size_t columns = 0;
    for (char c : text) columns += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return columns;
}

std::string Padded(const std::string& text, std::size_t columns) {
    return text + std::string(columns - std::min(columns, Columns(text)), ' ');
}

void ListParameters(PluginHost& host, std::ostream& out) {
    struct Row {
        std::string index, name, label, value, display;
    };
    std::vector<Row> rows{{"index", "name", "label", "value", "display"}};
    for (int32_t i = 0; i < host.ParameterCount(); ++i) {
        std::ostringstream value;
        value << std::fixed << std::setprecision(6) << host.GetParameter(i);
        rows.push_back({std::to_string(i), host.ParameterName(i), host.ParameterLabel(i), value.str(),
                        host.ParameterDisplay(i)});
    }
    std::size_t nameWidth = 0, labelWidth = 0;
    for (const Row& row : rows) {
        nameWidth = std::max(nameWidth, Columns(row.name));
        labelWidth = std::max(labelWidth, Columns(row.label));
    }
    for (const Row& row : rows)
        out << std::setw(5) << row.index << "  " << Padded(row.name, nameWidth) << "  " << Padded(row.label, labelWidth)
            << "  " << Padded(row.value, 8) << "  " << row.display << "\n";
}

std::string Seconds(double seconds, int precision) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(precision) << seconds;
    return text.str();
}

int64_t SampleAt(double seconds, double sampleRate) { return std::llround(seconds * sampleRate); }

// A lane from a file; quoted texts become normalised values through the plug-in, which is
// left as it was.
AutomationLane ReadLane(PluginHost& host, const HostOptions::Automation& automation, double sampleRate) {
    const int32_t index = ParameterText::Find(host, automation.parameter);
    const std::vector<AutomationFilePoint> filePoints = AutomationFile::Read(automation.file);
    const float original = host.GetParameter(index);
    std::vector<AutomationLane::Point> points;
    for (const AutomationFilePoint& point : filePoints) {
        double value = point.value;
        if (!point.text.empty()) {
            try {
                value = ParameterText::Set(host, index, point.text);
            } catch (const HostError& error) {
                host.SetParameter(index, original);
                throw HostError("\"" + automation.file + "\": line " + std::to_string(point.line) + ": " + error.what());
            }
        }
        points.push_back({SampleAt(point.seconds, sampleRate), value});
    }
    host.SetParameter(index, original);
    return AutomationLane(index, std::move(points));
}
} // namespace

namespace HostCommand {

void Run(const HostOptions& options, std::ostream& out) {
    const bool talk = !options.quiet;

    AudioBuffer input;
    PluginHost::Settings settings;
    settings.blockSize = options.blockSize;
    settings.tempo = options.tempo;
    if (!options.input.empty()) {
        input = AudioFile::Read(options.input);
        if (options.sampleRate && *options.sampleRate != input.sampleRate)
            throw HostError("\"" + options.input + "\" is at " + Seconds(input.sampleRate, 0) +
                            " Hz; vornik-host does not resample (leave --rate out)");
        settings.sampleRate = input.sampleRate;
    } else {
        settings.sampleRate = options.sampleRate.value_or(48000.0);
    }

    const std::unique_ptr<PluginHost> plugin = MakePluginHost(options.api);
    PluginHost& host = *plugin;
    host.Load(options.plugin, settings);
    if (talk)
        out << "Plug-in: " << host.EffectName() << " by " << host.VendorString() << ", " << host.InputCount()
            << " inputs, " << host.OutputCount() << " outputs, " << host.ParameterCount() << " parameters ("
            << (options.api == PluginFormat::Vst3 ? "VST 3" : "VST 2.4") << ")\n"
            << "Host: " << settings.sampleRate << " Hz, blocks of " << settings.blockSize << ", " << settings.tempo
            << " BPM\n";

    if (!options.loadState.empty()) {
        const std::vector<uint8_t> state = FileBytes::Read(options.loadState);
        host.LoadState(state);
        if (talk) out << "Loaded state: " << options.loadState << " (" << state.size() << " bytes)\n";
    }

    // Preset file work comes after the plug-in's start, which gives a new data folder the
    // factory library.
    if (options.importPresets) {
        const int32_t count =
            PresetCommands::Import(options.presetsFolder, options.importPresets->folder, options.importPresets->file);
        if (talk)
            out << "Imported " << count << " presets into \"" << options.importPresets->folder << "\" from "
                << options.importPresets->file << "\n";
    }
    if (options.exportPresets) {
        const int32_t count =
            PresetCommands::Export(options.presetsFolder, options.exportPresets->folder, options.exportPresets->file);
        if (talk)
            out << "Exported " << count << " presets of \"" << options.exportPresets->folder << "\" to "
                << options.exportPresets->file << "\n";
    }
    if (options.listPresets)
        for (const std::string& path : PresetCommands::List(options.presetsFolder)) out << path << "\n";
    if (!options.preset.empty()) {
        host.LoadState(PresetCommands::StateOf(options.presetsFolder, options.preset));
        if (talk) out << "Loaded preset: " << options.preset << "\n";
    }

    for (const HostOptions::Assignment& assignment : options.assignments) {
        const int32_t index = ParameterText::Find(host, assignment.parameter);
        if (assignment.normalised) host.SetParameter(index, std::stof(assignment.value));
        else ParameterText::Set(host, index, assignment.value);
        if (talk) {
            const std::string label = host.ParameterLabel(index);
            out << "Set " << host.ParameterName(index) << " = " << host.ParameterDisplay(index)
                << (label.empty() ? "" : " " + label) << " (" << std::fixed << std::setprecision(6)
                << host.GetParameter(index) << std::defaultfloat << ")\n";
        }
    }

    if (options.list) ListParameters(host, out);

    RenderEvents events;
    for (const HostOptions::Automation& automation : options.automations) {
        events.lanes.push_back(ReadLane(host, automation, settings.sampleRate));
        if (talk)
            out << "Automating " << host.ParameterName(events.lanes.back().Parameter()) << " from " << automation.file
                << "\n";
    }
    if (!options.midi.empty()) {
        const MidiSequence sequence = MidiFile::Read(options.midi);
        for (const TimedMidiMessage& message : sequence.messages) {
            RenderEvents::Midi midi{SampleAt(message.seconds, settings.sampleRate), {}, message.size};
            std::copy_n(message.bytes, 3, midi.bytes);
            events.midi.push_back(midi);
        }
        if (talk)
            out << "MIDI: " << options.midi << ", format " << sequence.format << ", " << sequence.trackCount
                << (sequence.trackCount == 1 ? " track, " : " tracks, ") << sequence.messages.size()
                << " channel messages over " << Seconds(sequence.endSeconds, 3) << " s\n";
    }

    if (!options.output.empty()) {
        if (options.input.empty()) input = DemoSignal::Generate(settings.sampleRate, options.demoSeconds, options.demoChannels);
        RenderResult result = Renderer::Render(host, input, options.tailSeconds, std::move(events));
        if (options.format) result.output.format = *options.format;
        YPlatformFile::CreateParentDirectories(YString::FromUTF8(options.output));
        AudioFile::Write(options.output, result.output);
        if (talk) {
            const int32_t latency = host.Latency();
            out << "Rendered: " << options.output << "\n"
                << "Input: " << (options.input.empty() ? "built-in demo signal" : options.input) << "\n"
                << "Duration: " << Seconds(result.output.Seconds(), 3) << " s, " << result.output.ChannelCount()
                << (result.output.ChannelCount() == 1 ? " channel" : " channels") << ", " << settings.sampleRate
                << " Hz, " << SampleFormatName(result.output.format) << "\n"
                << "Latency: " << latency << " samples (" << Seconds(1000.0 * latency / settings.sampleRate, 2)
                << " ms)\n"
                << "Processing time: " << Seconds(result.processSeconds, 6) << " s\n"
                << "Real-time factor: " << Seconds(result.RealTimeFactor(), 1) << "x\n";
            if (!options.midi.empty()) {
                out << "MIDI delivered: " << result.midiDelivered << " messages";
                if (result.midiNotCarried > 0)
                    out << "; " << result.midiNotCarried << " the plug-in's interface cannot take";
                if (result.midiPastEnd > 0) out << "; " << result.midiPastEnd << " after the end of the render";
                out << "\n";
            }
        }
    }

    if (!options.saveState.empty()) {
        const std::vector<uint8_t> state = host.SaveState();
        FileBytes::Write(options.saveState, state);
        if (talk) out << "Saved state: " << options.saveState << " (" << state.size() << " bytes)\n";
    }
    host.Close();
}

} // namespace HostCommand
