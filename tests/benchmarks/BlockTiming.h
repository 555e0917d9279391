// Timing shared by the block benchmarks: a baseline measured once per program run (the best
// of several timed runs, so that a burst of load does not inflate it), and a loop that times
// each block itself and reports it per sample and as a ratio to that baseline.
#pragma once

#include <benchmark/benchmark.h>
#include <algorithm>
#include <chrono>
#include <cstdint>
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

} // namespace BlockTiming
