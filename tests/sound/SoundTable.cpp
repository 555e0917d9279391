// Plays a 1 kHz sine through the built plug-in while one parameter moves, as a DAW's
// automation moves it, and measures what the movement adds more than 60 Hz away from the
// tone. Each row of the table compares a render against its reference (the same movement in
// 16-sample blocks, or the setting held still) and holds the difference to a limit in dBFS.
// A row marked known is a fault not mended yet: it must still fail, so that the mend flips it.
//
// Usage: vornik-sound VST2_BINARY VST3_BUNDLE [PARAMETER]   (only the rows of that parameter)
#include "PluginHost.h"

#include <kiss_fftr.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr double kRate = 48000.0;
constexpr double kTone = 1000.0;
constexpr double kToneAmplitude = 0.5;
constexpr double kExcluded = 60.0; // Hz either side of the tone that the measure leaves out
constexpr int32_t kFftSize = 16384;
constexpr double kPi = 3.14159265358979323846;
constexpr int32_t kInsideStep = 32; // frames between the points a VST 3 host sends in a block

// How a parameter moves: its normalised value at a time in seconds.
using Movement = std::function<double(double)>;

Movement Sweep(double centre, double amplitude, double hertz = 2.0) {
    return [=](double t) { return centre + amplitude * std::sin(2.0 * kPi * hertz * t); };
}
Movement Ramp(double from, double to, double seconds) {
    return [=](double t) { return from + (to - from) * std::min(t / seconds, 1.0); };
}
// Alternates between two values every `period` seconds.
Movement Toggle(double a, double b, double period) {
    return [=](double t) { return static_cast<int64_t>(t / period) % 2 == 0 ? a : b; };
}
Movement Hold(const Movement& m) {
    const double v = m(0.0);
    return [=](double) { return v; };
}
Movement Later(const Movement& m, double seconds) {
    return [=](double t) { return m(t - seconds); };
}
// The movement as a host with blocks of `block` frames hands it over, at their starts.
Movement AtBlockStarts(const Movement& m, int32_t block) {
    return [=](double t) { return m(std::floor(t * kRate / block + 1e-9) * block / kRate); };
}

enum class Moves { Between, Inside }; // setParameter at each block's start / points inside blocks
// Blocks16Lagged: the 16-sample render follows the movement as late as the plug-in's smoothing
// follows the row's host (SmoothingLag). A sweep that is merely later changes how much of its
// swing the analysis window holds, which is no component of its own but moved the measure by
// more than the limit.
// Blocks16Aligned: the 16-sample render switches at the samples where the row's host does, at
// its block starts: a switch is the movement, and the host's block size only delays it.
enum class Reference { Blocks16, Blocks16Lagged, Blocks16Aligned, Still };

struct Row {
    const char* parameter;
    const char* movement;
    Movement move;
    double seconds;
    int32_t block;
    Moves moves;
    Reference reference;
    double limit; // dBFS the movement may add over the reference
    bool known;   // a fault not mended yet: the row must fail
    double bendLimit; // the largest LargestBend allowed (0: not held to one)
    std::vector<std::pair<const char*, double>> settings; // normalised values held throughout
};

struct Plugins {
    std::string vst2, vst3;
};

int32_t FindParameter(PluginHost& host, const std::string& name) {
    for (int32_t i = 0; i < host.ParameterCount(); ++i)
        if (host.ParameterName(i) == name) return i;
    throw HostError("No parameter \"" + name + "\"");
}

// Renders the tone with the parameter following `move`, in blocks of `block` frames; returns
// the left output.
std::vector<float> Render(const Plugins& plugins, const Row& row, const Movement& move, int32_t block, Moves moves) {
    const bool vst3 = moves == Moves::Inside;
    std::unique_ptr<PluginHost> host = MakePluginHost(vst3 ? PluginFormat::Vst3 : PluginFormat::Vst2);
    PluginHost::Settings settings;
    settings.sampleRate = kRate;
    settings.blockSize = block;
    host->Load(vst3 ? plugins.vst3 : plugins.vst2, settings);
    for (const auto& [name, value] : row.settings)
        host->SetParameter(FindParameter(*host, name), static_cast<float>(value));
    const int32_t index = FindParameter(*host, row.parameter);
    host->SetParameter(index, static_cast<float>(move(0.0)));
    host->Start();

    const int64_t total = static_cast<int64_t>(row.seconds * kRate);
    const int32_t ins = host->InputCount(), outs = host->OutputCount();
    std::vector<std::vector<float>> in(static_cast<size_t>(ins), std::vector<float>(static_cast<size_t>(block)));
    std::vector<std::vector<float>> out(static_cast<size_t>(outs), std::vector<float>(static_cast<size_t>(block)));
    std::vector<float*> inPointers, outPointers;
    for (auto& c : in) inPointers.push_back(c.data());
    for (auto& c : out) outPointers.push_back(c.data());
    std::vector<float> left;
    left.reserve(static_cast<size_t>(total));
    for (int64_t done = 0; done < total; done += block) {
        const int32_t frames = static_cast<int32_t>(std::min<int64_t>(block, total - done));
        for (int32_t i = 0; i < frames; ++i) {
            const float x = static_cast<float>(kToneAmplitude * std::sin(2.0 * kPi * kTone * (done + i) / kRate));
            for (int32_t c = 0; c < std::min(ins, 2); ++c) in[static_cast<size_t>(c)][static_cast<size_t>(i)] = x;
        }
        if (moves == Moves::Between) {
            host->SetParameter(index, static_cast<float>(std::clamp(move(done / kRate), 0.0, 1.0)));
        } else {
            for (int32_t f = 0; f < frames; f += kInsideStep)
                host->QueueParameterPoint(index, f, std::clamp(move((done + f) / kRate), 0.0, 1.0));
        }
        host->Process(inPointers.data(), outPointers.data(), frames);
        left.insert(left.end(), out[0].begin(), out[0].begin() + frames);
    }
    host->Close();
    return left;
}

// Power spectrum averaged over Hann-windowed frames (half overlapped), scaled so that a
// full-scale sine's bins sum to 1 (0 dBFS); the first half second is left out.
std::vector<double> Spectrum(const std::vector<float>& signal) {
    std::vector<double> power(kFftSize / 2 + 1, 0.0);
    kiss_fftr_cfg config = kiss_fftr_alloc(kFftSize, 0, nullptr, nullptr);
    std::vector<float> frame(kFftSize);
    std::vector<kiss_fft_cpx> bins(kFftSize / 2 + 1);
    std::vector<double> window(kFftSize);
    double windowPower = 0.0;
    for (int32_t i = 0; i < kFftSize; ++i) {
        window[static_cast<size_t>(i)] = 0.5 - 0.5 * std::cos(2.0 * kPi * i / kFftSize);
        windowPower += window[static_cast<size_t>(i)] * window[static_cast<size_t>(i)];
    }
    int32_t frames = 0;
    for (size_t start = static_cast<size_t>(kRate / 2); start + kFftSize <= signal.size(); start += kFftSize / 2) {
        for (int32_t i = 0; i < kFftSize; ++i)
            frame[static_cast<size_t>(i)] =
                static_cast<float>(signal[start + static_cast<size_t>(i)] * window[static_cast<size_t>(i)]);
        kiss_fftr(config, frame.data(), bins.data());
        for (size_t k = 0; k < bins.size(); ++k) {
            const double re = bins[k].r, im = bins[k].i;
            power[k] += (k == 0 || k == bins.size() - 1 ? 1.0 : 2.0) * (re * re + im * im);
        }
        ++frames;
    }
    kiss_fftr_free(config);
    // Parseval: the mean square is the sum over bins / (N · Σw²); a full-scale sine's is 1/2.
    for (double& p : power) p *= 2.0 / (frames * static_cast<double>(kFftSize) * windowPower);
    return power;
}

// Energy more than kExcluded from the tone, as a fraction of a full-scale sine's.
double EnergyAwayFromTone(const std::vector<double>& power) {
    double sum = 0.0;
    for (size_t k = 1; k < power.size(); ++k) {
        const double hertz = k * kRate / kFftSize;
        if (std::fabs(hertz - kTone) > kExcluded) sum += power[k];
    }
    return sum;
}

// Samples the plug-in's smoothed curve runs behind the movement: 2 blocks behind the value it
// takes at a block's start, which is the movement there (between blocks) or where the block's
// last point lies (inside them: the value a block ends on is the one that counts).
double SmoothingLag(int32_t block, Moves moves) {
    const int32_t lastPoint = moves == Moves::Inside ? (block - 1) / kInsideStep * kInsideStep : 0;
    return 2.0 * block - lastPoint;
}

// A click measure that needs no reference: the largest second difference of the output,
// against what a tone of the same frequency bends at the level it has there (the largest
// magnitude within a period either side). A tone gives 1 (a little more while a gliding delay
// raises its pitch); a step of a tenth of the tone's level, 5.
double LargestBend(const std::vector<float>& y) {
    const double omega = 2.0 * kPi * kTone / kRate;
    const double toneBend = 2.0 * (1.0 - std::cos(omega));
    const size_t period = static_cast<size_t>(kRate / kTone);
    double largest = 0.0;
    for (size_t i = static_cast<size_t>(kRate / 2); i + 2 + period < y.size(); ++i) {
        const double bend = std::fabs(static_cast<double>(y[i + 2]) - 2.0 * y[i + 1] + y[i]);
        // Where the tone all but cancels, a hundredth of its input level stands for it.
        double level = 0.01 * kToneAmplitude;
        for (size_t k = i - period; k <= i + 2 + period; ++k) level = std::max(level, std::fabs(double(y[k])));
        largest = std::max(largest, bend / (toneBend * level));
    }
    return largest;
}

double Decibels(double energy) { return energy > 0.0 ? 10.0 * std::log10(energy) : -INFINITY; }

std::string Shown(double db) {
    if (!std::isfinite(db)) return "  none";
    char text[32];
    std::snprintf(text, sizeof text, "%6.1f", db);
    return text;
}

// The table. Sweeps run at 2 Hz around a normalised centre; "between" sets the parameter at
// each block's start (VST 2.4), "inside" sends points every 32 frames within the block
// (VST 3). Flip `known` to false when a mend makes a row pass.
std::vector<Row> Table() {
    constexpr Moves B = Moves::Between, I = Moves::Inside;
    constexpr Reference R16 = Reference::Blocks16, R16L = Reference::Blocks16Lagged,
                        R16A = Reference::Blocks16Aligned;
    constexpr double kSweep = 4.0, kLimit = -100.0;
    const Movement depth = Sweep(0.6, 0.2), feedback = Sweep(0.6, 0.3), jet = Sweep(0.6, 0.3),
                   jetPhase = Sweep(0.5, 0.3), range = Sweep(0.3, 0.1), saturation = Sweep(0.5, 0.3),
                   minFrequency = Sweep(0.3, 0.1), maxFrequency = Sweep(0.7, 0.1), delay = Sweep(0.1, 0.05);
    // Delay from 1 to 3 ms over 10 s (the parameter spans 0 to 20 ms).
    const Movement delayRamp = Ramp(0.05, 0.15, 10.0);
    // Mode Default <-> Tape every half second. The delays glide (the dry path's by 241 samples)
    // and a moving delay shifts the tone's pitch, so against the mode held still every block
    // size adds -87 dBFS; the reference is the same switches in 16-sample blocks, and the bend
    // shows a click at any block size (lines that jump to their new lengths bend 22 to 100
    // times the tone here, and 2.4 in the Delay sweep).
    const Movement mode = Toggle(0.0, 0.5, 0.5);
    // A click shows in the bend; a gliding delay raises the tone's pitch by 2 % at most.
    constexpr double kBend = 1.1;
    return {
        // parameter, movement, values, seconds, block, moves, reference, limit, known, bend limit,
        // fixed settings
        {"Depth", "2 Hz sweep", depth, kSweep, 512, B, R16L, kLimit, false, 0.0, {}},
        {"Depth", "2 Hz sweep", depth, kSweep, 2048, B, R16L, kLimit, false, 0.0, {}},
        {"Depth", "2 Hz sweep", depth, kSweep, 512, I, R16L, kLimit, false, 0.0, {}},
        {"Feedback", "2 Hz sweep", feedback, kSweep, 512, B, R16L, kLimit, false, 0.0, {}},
        {"Feedback", "2 Hz sweep", feedback, kSweep, 2048, B, R16L, kLimit, false, 0.0, {}},
        {"Feedback", "2 Hz sweep", feedback, kSweep, 512, I, R16L, kLimit, false, 0.0, {}},
        {"Jet", "2 Hz sweep", jet, kSweep, 512, B, R16L, kLimit, false, 0.0, {}},
        {"Jet", "2 Hz sweep", jet, kSweep, 2048, B, R16L, kLimit, false, 0.0, {}},
        {"Jet", "2 Hz sweep", jet, kSweep, 512, I, R16L, kLimit, false, 0.0, {}},
        {"Jet phase", "2 Hz sweep, Jet 50 %", jetPhase, kSweep, 512, B, R16L, kLimit, false, 0.0, {{"Jet", 0.75}}},
        {"Jet phase", "2 Hz sweep, Jet 50 %", jetPhase, kSweep, 2048, B, R16L, kLimit, false, 0.0, {{"Jet", 0.75}}},
        {"Jet phase", "2 Hz sweep, Jet 50 %", jetPhase, kSweep, 512, I, R16L, kLimit, false, 0.0, {{"Jet", 0.75}}},
        {"Range", "2 Hz sweep", range, kSweep, 512, B, R16L, kLimit, false, 0.0, {}},
        {"Range", "2 Hz sweep", range, kSweep, 2048, B, R16L, kLimit, false, 0.0, {}},
        {"Range", "2 Hz sweep", range, kSweep, 512, I, R16L, kLimit, false, 0.0, {}},
        {"Saturation", "2 Hz sweep", saturation, kSweep, 512, B, R16L, kLimit, false, 0.0, {}},
        {"Saturation", "2 Hz sweep", saturation, kSweep, 2048, B, R16L, kLimit, false, 0.0, {}},
        {"Saturation", "2 Hz sweep", saturation, kSweep, 512, I, R16L, kLimit, false, 0.0, {}},
        {"Min frequency", "2 Hz sweep", minFrequency, kSweep, 512, B, R16L, kLimit, false, 0.0, {}},
        {"Min frequency", "2 Hz sweep", minFrequency, kSweep, 2048, B, R16L, kLimit, false, 0.0, {}},
        {"Min frequency", "2 Hz sweep", minFrequency, kSweep, 512, I, R16L, kLimit, false, 0.0, {}},
        {"Max frequency", "2 Hz sweep", maxFrequency, kSweep, 512, B, R16L, kLimit, false, 0.0, {}},
        {"Max frequency", "2 Hz sweep", maxFrequency, kSweep, 2048, B, R16L, kLimit, false, 0.0, {}},
        {"Max frequency", "2 Hz sweep", maxFrequency, kSweep, 512, I, R16L, kLimit, false, 0.0, {}},
        // The sweep's reference was the 16-sample render at its own time until the pre-delay
        // followed the host's values on a curve that runs two blocks behind them.
        {"Delay", "2 Hz sweep", delay, kSweep, 512, B, R16L, kLimit, false, kBend, {}},
        {"Delay", "2 Hz sweep", delay, kSweep, 2048, B, R16L, kLimit, false, kBend, {}},
        {"Delay", "2 Hz sweep", delay, kSweep, 512, I, R16L, kLimit, false, kBend, {}},
        {"Delay", "1 to 3 ms in 10 s", delayRamp, 10.0, 512, B, R16, kLimit, false, kBend, {}},
        {"Mode", "Default/Tape each 0.5 s", mode, kSweep, 16, B, R16A, kLimit, false, kBend, {}},
        {"Mode", "Default/Tape each 0.5 s", mode, kSweep, 512, B, R16A, kLimit, false, kBend, {}},
        {"Mode", "Default/Tape each 0.5 s", mode, kSweep, 2048, B, R16A, kLimit, false, kBend, {}},
    };
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "Usage: vornik-sound VST2_BINARY VST3_BUNDLE [PARAMETER]\n");
        return 2;
    }
    const Plugins plugins{argv[1], argv[2]};
    const std::string only = argc == 4 ? argv[3] : "";
    int failures = 0;
    try {
        // References are shared between rows that move the same way.
        std::map<std::string, double> references;
        std::printf("%-14s %-24s %5s %-7s %-10s %9s %9s %9s %6s %5s %5s %-5s %s\n", "parameter", "movement", "block",
                    "moves", "reference", "measured", "ref", "added", "limit", "bend", "limit", "known", "result");
        for (const Row& row : Table()) {
            if (!only.empty() && only != row.parameter) continue;
            const std::vector<float> rendered = Render(plugins, row, row.move, row.block, row.moves);
            const double measured = EnergyAwayFromTone(Spectrum(rendered));
            const double bend = LargestBend(rendered);
            const double lag = row.reference == Reference::Blocks16Lagged
                                   ? (SmoothingLag(row.block, row.moves) - SmoothingLag(16, row.moves)) / kRate
                                   : 0.0;
            const std::string key =
                std::string(row.parameter) + "|" + row.movement + "|" + (row.moves == Moves::Inside ? "3" : "2") +
                (row.reference == Reference::Still ? "still" : "16") + std::to_string(lag) +
                (row.reference == Reference::Blocks16Aligned ? "at" + std::to_string(row.block) : "");
            if (!references.count(key)) {
                const Movement reference = row.reference == Reference::Still ? Hold(row.move)
                                           : row.reference == Reference::Blocks16Aligned
                                               ? AtBlockStarts(row.move, row.block)
                                               : Later(row.move, lag);
                const std::vector<float> r = Render(plugins, row, reference, 16, row.moves);
                references[key] = EnergyAwayFromTone(Spectrum(r));
            }
            const double reference = references[key];
            const double added = Decibels(measured - reference);
            const bool within = !(added > row.limit) && !(row.bendLimit > 0.0 && !(bend <= row.bendLimit));
            const bool ok = within != row.known;
            if (!ok) ++failures;
            char bendText[16] = "     ", bendLimitText[16] = "     ";
            if (row.bendLimit > 0.0) {
                std::snprintf(bendText, sizeof bendText, "%5.2f", bend);
                std::snprintf(bendLimitText, sizeof bendLimitText, "%5.2f", row.bendLimit);
            }
            std::printf("%-14s %-24s %5d %-7s %-10s %9s %9s %9s %6.0f %s %s %-5s %s\n", row.parameter, row.movement, row.block,
                        row.moves == Moves::Inside ? "inside" : "between",
                        row.reference == Reference::Still          ? "held"
                        : row.reference == Reference::Blocks16Lagged  ? "16, later"
                        : row.reference == Reference::Blocks16Aligned ? "16, same"
                                                                      : "16 blocks",
                        Shown(Decibels(measured)).c_str(), Shown(Decibels(reference)).c_str(), Shown(added).c_str(),
                        row.limit, bendText, bendLimitText, row.known ? "yes" : "no",
                        ok ? (row.known ? "fails, as known" : "ok")
                           : (row.known ? "FIXED: mark it no longer known" : "FAILED"));
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vornik-sound: %s\n", e.what());
        return 1;
    }
    std::printf("%d row(s) off their expectation\n", failures);
    return failures == 0 ? 0 : 1;
}
