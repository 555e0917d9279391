// Hosts call one instance from several threads at once: the audio thread processes and
// automates while the user interface reads parameter texts and the session saves the chunk.
// These tests do that through the binary's dispatcher; under ThreadSanitizer they show races,
// elsewhere they check that every answer stays sound while the others run.
#include "VstTestHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace VstTestHost;
using namespace Vst2;

using Buffers = std::vector<std::vector<float>>;

class VstHostThreadingTest : public testing::Test {
protected:
    void SetUp() override { ResetHost(); }
};

// The audio thread: parameter changes between blocks of varying size.
void ProcessLoop(Instance& instance, const std::atomic<bool>& stop, std::atomic<int>& blocks,
                 std::atomic<bool>& finite) {
    const int32_t inputs = instance.Effect()->numInputs;
    const int32_t outputs = instance.Effect()->numOutputs;
    const int32_t sizes[] = {512, 64, 1, 333, 256, 17};
    int32_t step = 0;
    while (!stop.load()) {
        const int32_t frames = sizes[step % 6];
        Buffers in;
        for (int32_t c = 0; c < inputs; ++c) in.push_back(Signal(frames, c));
        Buffers out(static_cast<size_t>(outputs), std::vector<float>(static_cast<size_t>(frames), 0.0f));
        for (int32_t p = 0; p < instance.Effect()->numParams; p += 3)
            instance.Set((p + step) % instance.Effect()->numParams, static_cast<float>((step * 7 + p) % 11) / 10.0f);
        instance.Process(in, out, frames);
        for (const auto& channel : out)
            if (!AllFinite(channel)) finite.store(false);
        ++step;
        blocks.fetch_add(1);
    }
}

// Runs body on a second thread while the audio thread processes, until both did enough.
template <typename Body>
void WhileProcessing(Instance& instance, int32_t rounds, Body body) {
    std::atomic<bool> stop{false};
    std::atomic<int> blocks{0};
    std::atomic<bool> finite{true};
    std::thread audio(ProcessLoop, std::ref(instance), std::cref(stop), std::ref(blocks), std::ref(finite));
    std::thread other([&] {
        for (int32_t r = 0; r < rounds; ++r) body(r);
    });
    other.join();
    // Let the audio thread see the final state at least a few times.
    const int seen = blocks.load();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (blocks.load() < seen + 4 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    const int after = blocks.load();
    stop.store(true);
    audio.join();
    EXPECT_TRUE(finite.load());
    EXPECT_GE(after, seen + 4) << "the audio thread stopped processing";
}

// Every text the host asks for, for every parameter, while the audio thread changes them.
TEST_F(VstHostThreadingTest, ParameterTextsWhileProcessing) {
    Instance instance;
    ASSERT_NE(instance.Effect(), nullptr);
    instance.Start();
    const int32_t count = instance.Effect()->numParams;
    ASSERT_GT(count, 0);
    std::atomic<int> empty{0};
    WhileProcessing(instance, 40, [&](int32_t) {
        for (int32_t p = 0; p < count; ++p) {
            if (instance.Text(effGetParamName, p).empty()) empty.fetch_add(1);
            instance.Text(effGetParamDisplay, p);
            instance.Text(effGetParamLabel, p);
            instance.Get(p);
        }
    });
    EXPECT_EQ(empty.load(), 0);
}

// Two threads saving the session at once (the user interface and an autosave), and a third
// loading, while the audio thread runs: each saved chunk must be whole and load again.
TEST_F(VstHostThreadingTest, ChunksWhileProcessing) {
    Instance instance;
    ASSERT_NE(instance.Effect(), nullptr);
    instance.Start();
    const std::vector<uint8_t> initial = instance.Chunk();
    ASSERT_FALSE(initial.empty());

    Instance checker;
    ASSERT_NE(checker.Effect(), nullptr);
    checker.Start();

    std::atomic<int> refused{0};
    std::vector<std::vector<uint8_t>> saved[2];
    std::atomic<bool> saving{true};
    std::thread second([&] {
        while (saving.load()) {
            std::vector<uint8_t> chunk = instance.Chunk();
            if (chunk.empty()) refused.fetch_add(1);
            if (saved[1].size() < 50) saved[1].push_back(std::move(chunk));
        }
    });
    WhileProcessing(instance, 60, [&](int32_t round) {
        std::vector<uint8_t> chunk = instance.Chunk();
        if (chunk.empty()) refused.fetch_add(1);
        if (round % 4 == 0 && instance.LoadChunk(initial) != 1) refused.fetch_add(1);
        saved[0].push_back(std::move(chunk));
    });
    saving.store(false);
    second.join();

    EXPECT_EQ(refused.load(), 0);
    for (const auto& list : saved)
        for (const auto& chunk : list) EXPECT_EQ(checker.LoadChunk(chunk), 1);
}

// Setting up again while the audio thread runs: hosts switch processing off and on, and
// change rate and block size, from their own threads.
TEST_F(VstHostThreadingTest, SetUpChangesWhileProcessing) {
    Instance instance;
    ASSERT_NE(instance.Effect(), nullptr);
    instance.Start();
    WhileProcessing(instance, 40, [&](int32_t round) {
        instance.Dispatch(effMainsChanged, 0, 0);
        instance.Dispatch(effSetSampleRate, 0, 0, nullptr, round % 2 == 0 ? 48000.0f : 44100.0f);
        instance.Dispatch(effSetBlockSize, 0, round % 2 == 0 ? 1024 : 512);
        instance.Dispatch(effMainsChanged, 0, 1);
        instance.Dispatch(effGetProgram);
        char name[64];
        instance.Dispatch(effGetProgramName, 0, 0, name);
        VstPinProperties pin{};
        instance.Dispatch(effGetInputProperties, 0, 0, &pin);
        instance.Dispatch(effGetOutputProperties, 1, 0, &pin);
    });
}

} // namespace
