// Timing shared by the block benchmarks: a baseline measured once per program run (the best
// of several timed runs, so that a burst of load does not inflate it), and a loop that times
// each block itself and reports it per sample and as a ratio to that baseline.
//
// A rig is a class with a default constructor that sets up everything and a Block() that runs
// one block; a constructor that cannot set up throws std::exception, and the case is skipped
// with its message.
#pragma once

#include <benchmark/benchmark.h>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <exception>
#include <string>

namespace BlockTiming {

// Nanoseconds per call of block: the best of `runs` runs of `blocks` calls each.
template <typename Block> double BestNanosecondsPerBlock(int blocks, Block&& block, int runs = 7) {
    double best = 1e30;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        for (int b = 0; b < blocks; ++b) block();
        const auto end = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::nano>(end - start).count() / blocks);
    }
    return best;
}

// Runs block once per benchmark iteration and times only the block, so that the ratio to the
// baseline compares like with like. Sets "ns_per_sample" and the ratio counter ratioName.
template <typename Block>
void TimeBlocks(benchmark::State& state, double baselineNanoseconds, const std::string& ratioName,
                int64_t samplesPerBlock, Block&& block) {
    double total = 0.0;
    int64_t blocks = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        block();
        const auto end = std::chrono::steady_clock::now();
        total += std::chrono::duration<double, std::nano>(end - start).count();
        ++blocks;
    }
    if (blocks == 0) return;
    state.counters["ns_per_sample"] = total / static_cast<double>(blocks * samplesPerBlock);
    state.counters[ratioName] = total / static_cast<double>(blocks) / baselineNanoseconds;
    state.SetItemsProcessed(blocks * samplesPerBlock);
}

// The baseline rig's best time per block, measured on first use and then kept for the rest of
// the run, so that every case compares against the same figure. Negative when the rig could
// not be set up.
template <typename Baseline> double BaselineNanoseconds() {
    static const double nanoseconds = [] {
        try {
            Baseline rig;
            return BestNanosecondsPerBlock(2000, [&] { rig.Block(); });
        } catch (const std::exception&) {
            return -1.0;
        }
    }();
    return nanoseconds;
}

// One benchmark case: Rig's blocks after 16 blocks of warm-up, as a ratio to Baseline's.
template <typename Baseline, typename Rig>
void RunAgainst(benchmark::State& state, const std::string& ratioName, int64_t samplesPerBlock) {
    const double baseline = BaselineNanoseconds<Baseline>();
    if (baseline <= 0.0) {
        state.SkipWithError("the baseline could not be set up");
        return;
    }
    try {
        Rig rig;
        for (int b = 0; b < 16; ++b) rig.Block();
        TimeBlocks(state, baseline, ratioName, samplesPerBlock, [&] { rig.Block(); });
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
    }
}

} // namespace BlockTiming
