// An audio thread processes without pause while host threads change everything a host can
// change. Run under ThreadSanitizer: no race may be reported, nothing may deadlock, and the
// state loaded last is the one the instance holds.
#include "core/YQuenlorAudioEffectPlugin.h"

#include "FrameTestSupport.h"
#include "entry/VornikAudioEffectPluginInterface.h"

#include <atomic>
#include <cmath>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace frametest;

namespace {

std::unique_ptr<YQuenlorAudioEffectPlugin> NewVornik() {
    return YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", VornikAudioEffectPluginInterface, 500, 100);
}

// A state with its own Depth and channel mode, saved by an instance of its own.
std::vector<uint8_t> MakeState(double depthNormalised, int32_t channelMode, double rangeNormalised) {
    auto source = NewVornik();
    if (!source) return {};
    source->SetParameter(FindParameter(*source, "Depth"), depthNormalised);
    source->SetParameter(FindParameter(*source, "Range"), rangeNormalised);
    source->SetConfiguredChannelMode(channelMode);
    source->SetMaxSubBlockLength(32 + channelMode * 16);
    std::vector<uint8_t> bytes;
    source->SaveState(bytes);
    return bytes;
}

} // namespace

TEST(YQuenlorAudioEffectPluginThreading, AudioKeepsRunningWhileHostsChangeParametersStateAndSetup) {
    auto plugin = NewVornik();
    ASSERT_TRUE(plugin);
    plugin->SetMetersActive(true);
    const std::vector<uint8_t> states[] = {MakeState(0.1, 0, 0.2), MakeState(0.9, 3, 0.8), MakeState(0.6, 6, 0.5)};
    for (const std::vector<uint8_t>& state : states) ASSERT_FALSE(state.empty());

    std::atomic<bool> stop{false};
    std::atomic<int64_t> blocks{0};
    std::atomic<bool> nonFinite{false};
    std::thread audio([&] {
        Buffers block(2, 96);
        const uint8_t noteOn[4] = {0x90, 60, 100, 0};
        const uint8_t noteOff[4] = {0x80, 60, 0, 0};
        int64_t n = 0;
        while (!stop.load()) {
            for (int32_t c = 0; c < 2; ++c)
                for (int32_t i = 0; i < block.frames; ++i)
                    block.in[static_cast<size_t>(c)][static_cast<size_t>(i)] = Signal(c, n * block.frames + i);
            plugin->ProcessMIDIEvent(0, (n % 50) == 0 ? noteOn : noteOff);
            plugin->ProcessAudio(block.inputs, block.outputs, block.frames, (n & 1) == 0);
            for (const std::vector<float>& channel : block.out)
                for (float sample : channel)
                    if (!std::isfinite(sample)) nonFinite.store(true);
            ++n;
            blocks.store(n);
        }
    });

    std::atomic<bool> parametersDone{false};
    std::thread parameters([&] {
        const int32_t count = plugin->GetParameterCount();
        uint32_t x = 7;
        for (int i = 0; i < 3000; ++i) {
            x = x * 1664525u + 1013904223u;
            const int32_t index = static_cast<int32_t>((x >> 8) % static_cast<uint32_t>(count));
            plugin->SetParameter(index, static_cast<double>(x >> 16 & 0xFFFF) / 65535.0);
            (void)plugin->GetParameterValueName(index);
            (void)plugin->GetParameter(index);
            (void)plugin->TakeOutputPeak(static_cast<int32_t>(x & 1));
        }
        parametersDone.store(true);
    });

    std::vector<uint8_t> saved;
    for (int i = 0; i < 1500; ++i) {
        switch (i % 6) {
        case 0:
            plugin->SaveState(saved);
            break;
        case 1:
        {
            const std::vector<uint8_t>& state = states[static_cast<size_t>(i / 6 % 3)];
            plugin->LoadState(state.data(), state.size());
            break;
        }
        case 2:
            plugin->SetBypass((i / 6) % 2 == 0);
            break;
        case 3:
            plugin->InitProcessing();
            break;
        case 4:
            if (!saved.empty()) plugin->LoadState(saved.data(), saved.size());
            break;
        case 5:
            if (i % 60 == 5) plugin->Panic();
            int32_t step = 0;
            while (plugin->TakePresetStep(step)) {
            }
            break;
        }
    }
    parameters.join();
    EXPECT_TRUE(parametersDone.load());

    // The last state loaded is what the instance holds and writes back.
    plugin->SetBypass(false);
    ASSERT_TRUE(plugin->LoadState(states[1].data(), states[1].size()));
    const int64_t seen = blocks.load();
    while (blocks.load() < seen + 20) std::this_thread::yield(); // audio still runs after it
    stop.store(true);
    audio.join();

    EXPECT_FALSE(nonFinite.load());
    EXPECT_GT(blocks.load(), 20);
    std::vector<uint8_t> after;
    ASSERT_TRUE(plugin->SaveState(after));
    auto reference = NewVornik();
    ASSERT_TRUE(reference);
    ASSERT_TRUE(reference->LoadState(states[1].data(), states[1].size()));
    std::vector<uint8_t> expected;
    ASSERT_TRUE(reference->SaveState(expected));
    EXPECT_EQ(after, expected);
    EXPECT_EQ(plugin->ConfiguredChannelMode(), 3);
    EXPECT_EQ(plugin->EffectChannelCount(), 1);
    EXPECT_EQ(plugin->MaxSubBlockLength(), 80);
}
