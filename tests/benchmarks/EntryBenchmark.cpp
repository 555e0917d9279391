// What the VST 3 entry costs against the VST 2.4 entry: the built plug-in binary loaded twice,
// once through each entry, as the offline host does, and driven with the same signal at the
// same settings (48 kHz, stereo, 512-sample blocks, defaults with Feedback at +50 %). The two
// instances take turns within every iteration, so a change of machine speed reaches both; the
// counter "vst3_over_vst2" is the median of the per-iteration ratios.
#ifdef VORNIK_PLUGIN_BINARY

#include "PluginHost.h"

#include <benchmark/benchmark.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int32_t kFrames = 512;
constexpr int32_t kBlocksPerTurn = 32;
constexpr int32_t kFeedback = 4;       // host parameter index
constexpr float kFeedbackHalf = 0.75f; // normalised: Feedback runs from -100 % to +100 %

std::string PluginPath() {
    if (const char* path = std::getenv("VORNIK_PLUGIN")) return path;
    return VORNIK_PLUGIN_BINARY;
}

struct Instance {
    std::unique_ptr<PluginHost> host;
    std::vector<std::vector<float>> input, output;
    std::vector<float*> ins, outs;

    explicit Instance(PluginFormat format) : host(MakePluginHost(format)) {
        PluginHost::Settings settings;
        settings.blockSize = kFrames;
        host->Load(PluginPath(), settings);
        host->SetParameter(kFeedback, kFeedbackHalf);
        host->Start();
        input.resize(static_cast<size_t>(std::max(host->InputCount(), 1)));
        output.resize(static_cast<size_t>(std::max(host->OutputCount(), 1)));
        for (size_t c = 0; c < input.size(); ++c) {
            input[c].resize(kFrames);
            // The main pair carries a signal; side-chain channels stay silent.
            for (int32_t i = 0; i < kFrames && c < 2; ++i)
                input[c][i] = static_cast<float>(0.5 * std::sin(0.05 * i + static_cast<double>(c)));
            ins.push_back(input[c].data());
        }
        for (std::vector<float>& channel : output) {
            channel.resize(kFrames);
            outs.push_back(channel.data());
        }
    }

    double Turn() {
        const auto start = std::chrono::steady_clock::now();
        for (int32_t b = 0; b < kBlocksPerTurn; ++b) {
            host->Process(ins.data(), outs.data(), kFrames);
            benchmark::DoNotOptimize(outs[0][0]);
        }
        return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
    }
};

double Median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2), values.end());
    return values[values.size() / 2];
}

void BM_EntryVst3AgainstVst2(benchmark::State& state) {
    std::unique_ptr<Instance> vst2, vst3;
    try {
        vst2 = std::make_unique<Instance>(PluginFormat::Vst2);
        vst3 = std::make_unique<Instance>(PluginFormat::Vst3);
    } catch (const HostError& error) {
        state.SkipWithError(error.what());
        return;
    }
    // Both instances settle (interpolation, LFO tables) before anything is timed.
    vst2->Turn();
    vst3->Turn();

    std::vector<double> ratios, perBlock2, perBlock3;
    bool vst2First = true;
    for (auto _ : state) {
        double t2 = 0.0, t3 = 0.0;
        if (vst2First) {
            t2 = vst2->Turn();
            t3 = vst3->Turn();
        } else {
            t3 = vst3->Turn();
            t2 = vst2->Turn();
        }
        vst2First = !vst2First;
        ratios.push_back(t3 / t2);
        perBlock2.push_back(t2 / kBlocksPerTurn);
        perBlock3.push_back(t3 / kBlocksPerTurn);
    }
    state.counters["vst3_over_vst2"] = Median(ratios);
    state.counters["ns_per_block_vst2"] = Median(perBlock2);
    state.counters["ns_per_block_vst3"] = Median(perBlock3);
}
BENCHMARK(BM_EntryVst3AgainstVst2)->Unit(benchmark::kMicrosecond)->MinTime(5.0);

} // namespace

#endif
