// Copying a literal YString against copying a std::string_view, and formatting a display
// value with YFormat against snprintf. Each pair runs in the same program for a fair ratio.
#include "foundation/YFormat.h"
#include "foundation/YString.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <string_view>

static void BM_CopyStringView(benchmark::State& state) {
    std::string_view source("Feedback");
    for (auto _ : state) {
        benchmark::DoNotOptimize(source); // the compiler may not assume what the source holds
        std::string_view copy(source);
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_CopyStringView);

static void BM_CopyLiteralYString(benchmark::State& state) {
    YString source("Feedback");
    for (auto _ : state) {
        benchmark::DoNotOptimize(source);
        YString copy(source);
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_CopyLiteralYString);

static void BM_CopySharedYString(benchmark::State& state) {
    YString source = YString::FromUTF8("Feedback");
    for (auto _ : state) {
        benchmark::DoNotOptimize(source);
        YString copy(source);
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_CopySharedYString);

static void BM_FormatSnprintf(benchmark::State& state) {
    double value = -3.14159;
    char buffer[64];
    for (auto _ : state) {
        benchmark::DoNotOptimize(value);
        const int n = std::snprintf(buffer, sizeof(buffer), "%.1f dB", value);
        benchmark::DoNotOptimize(n);
        benchmark::DoNotOptimize(buffer);
    }
}
BENCHMARK(BM_FormatSnprintf);

static void BM_FormatYFormat(benchmark::State& state) {
    double value = -3.14159;
    for (auto _ : state) {
        benchmark::DoNotOptimize(value);
        YString text = YFormat("{0;.1} dB").Arg(value).ToString();
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_FormatYFormat);
