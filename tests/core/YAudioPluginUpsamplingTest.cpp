#include "core/YAudioPlugin.h"

#include "support/AllocationCounting.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

namespace {

// Doubles its two inputs; records the block lengths it is handed.
class DoublingPlugin : public YAudioPlugin {
public:
    void Process(float** inputs, float** outputs, int32_t frames) override {
        lengths.push_back(frames);
        positions.push_back(HostSync().SongPosition);
        for (int32_t slot = 0; slot < 2; ++slot) {
            if (inputs[slot] == nullptr || outputs[slot] == nullptr) continue;
            for (int32_t i = 0; i < frames; ++i) outputs[slot][i] = 2.0f * inputs[slot][i];
        }
    }
    double GetOutputClipLevel() override { return clip; }
    double clip = -1.0;
    std::vector<int32_t> lengths;
    std::vector<double> positions;
};

struct Stereo {
    explicit Stereo(size_t frames, float fill = 0.0f) : inL(frames), inR(frames), outL(frames, fill), outR(frames, fill) {
        inputs[0] = inL.data();
        inputs[1] = inR.data();
        outputs[0] = outL.data();
        outputs[1] = outR.data();
    }
    std::vector<float> inL, inR, outL, outR;
    float* inputs[YAudioPlugin::kMaxSlots] = {};
    float* outputs[YAudioPlugin::kMaxSlots] = {};
};

void Configure(YAudioPlugin& plugin, int32_t factor, bool highQuality) {
    ASSERT_TRUE(plugin.SetUpsampling(factor, highQuality));
    plugin.InitProcessing();
    ASSERT_TRUE(plugin.UpsamplingActive());
}

TEST(YAudioPluginUpsampling, TheEffectRunsAtTheRaisedRateAndAnImpulseReturnsAfterTheLatency) {
    for (int32_t factor : {2, 4, 8, 16}) {
        for (bool highQuality : {false, true}) {
            DoublingPlugin plugin;
            Configure(plugin, factor, highQuality);
            const int32_t latency = (highQuality ? 6144 : 1536) / factor;
            EXPECT_EQ(plugin.UpsamplingLatency(), latency);
            const int32_t frames = 512;
            const int32_t blocks = latency / frames + 2;
            std::vector<float> left, right;
            for (int32_t b = 0; b < blocks; ++b) {
                Stereo block(frames);
                if (b == 0) {
                    block.inL[5] = 0.5f;
                    block.inR[9] = -0.25f;
                }
                plugin.ProcessAudio(block.inputs, block.outputs, frames, true);
                left.insert(left.end(), block.outL.begin(), block.outL.end());
                right.insert(right.end(), block.outR.begin(), block.outR.end());
            }
            auto loudest = [](const std::vector<float>& v) {
                return static_cast<int32_t>(std::max_element(v.begin(), v.end(), [](float a, float b) {
                                                return std::fabs(a) < std::fabs(b);
                                            }) - v.begin());
            };
            EXPECT_EQ(loudest(left), 5 + latency) << factor << " " << highQuality;
            EXPECT_EQ(loudest(right), 9 + latency) << factor << " " << highQuality;
            EXPECT_NEAR(left[static_cast<size_t>(5 + latency)], 1.0f, 0.02f);
            EXPECT_NEAR(right[static_cast<size_t>(9 + latency)], -0.5f, 0.01f);
            // Sub-blocks of at most 256 samples at the raised rate, factor × frames in all.
            int64_t total = 0;
            for (int32_t n : plugin.lengths) total += n;
            EXPECT_EQ(total, static_cast<int64_t>(blocks) * frames * factor);
        }
    }
}

TEST(YAudioPluginUpsampling, ASineKeepsItsLevelAndAccumulatingCallsAdd) {
    DoublingPlugin replacing, accumulating;
    Configure(replacing, 4, false);
    Configure(accumulating, 4, false);
    const int32_t frames = 480;
    double error = 0.0;
    std::vector<float> history;
    for (int32_t b = 0; b < 10; ++b) {
        Stereo a(frames), s(frames, 0.25f);
        for (int32_t i = 0; i < frames; ++i) {
            const float x = static_cast<float>(0.3 * std::sin(2.0 * std::numbers::pi * 1000.0 * (b * frames + i) / 48000.0));
            a.inL[static_cast<size_t>(i)] = s.inL[static_cast<size_t>(i)] = x;
            history.push_back(x);
        }
        replacing.ProcessAudio(a.inputs, a.outputs, frames, true);
        accumulating.ProcessAudio(s.inputs, s.outputs, frames, false);
        for (int32_t i = 0; i < frames; ++i) {
            ASSERT_NEAR(s.outL[static_cast<size_t>(i)], 0.25f + a.outL[static_cast<size_t>(i)], 1e-6f);
            const size_t n = static_cast<size_t>(b * frames + i);
            if (n >= 2 * 384)
                error = std::max(error, static_cast<double>(std::fabs(a.outL[static_cast<size_t>(i)] - 2.0f * history[n - 384])));
        }
    }
    EXPECT_LT(error, 1e-5);
}

TEST(YAudioPluginUpsampling, OutputsAreClippedToTheClipLevel) {
    DoublingPlugin plugin;
    plugin.clip = 0.5;
    Configure(plugin, 2, false);
    float peak = 0.0f;
    for (int32_t b = 0; b < 4; ++b) {
        Stereo block(1024);
        for (size_t i = 0; i < 1024; ++i) block.inL[i] = static_cast<float>(0.4 * std::sin(0.05 * (b * 1024.0 + i)));
        plugin.ProcessAudio(block.inputs, block.outputs, 1024, true);
        for (float v : block.outL) peak = std::max(peak, std::fabs(v));
    }
    EXPECT_EQ(peak, 0.5f); // 0.8 before clipping
}

TEST(YAudioPluginUpsampling, UntilProcessingIsReinitialisedBlocksRunAtTheHostRate) {
    DoublingPlugin plugin;
    ASSERT_TRUE(plugin.SetUpsampling(8, true));
    EXPECT_FALSE(plugin.UpsamplingActive());
    Stereo block(64);
    block.inL[0] = 1.0f;
    plugin.ProcessAudio(block.inputs, block.outputs, 64, true);
    EXPECT_EQ(plugin.lengths, std::vector<int32_t>({64}));
    EXPECT_NEAR(block.outL[0], 2.0f, 1e-6f);

    plugin.InitProcessing();
    EXPECT_TRUE(plugin.UpsamplingActive());
    ASSERT_TRUE(plugin.SetUpsampling(1, true));
    plugin.InitProcessing();
    EXPECT_FALSE(plugin.UpsamplingActive());
    EXPECT_EQ(plugin.UpsamplingLatency(), 0);
}

TEST(YAudioPluginUpsampling, LongHostBlocksAndTheSongPositionUseTheRaisedRate) {
    DoublingPlugin plugin;
    plugin.SetUsesHostTime(true);
    plugin.SetSampleRate(48000.0);
    plugin.HostSync().Tempo = 120.0;
    plugin.HostSync().SongPosition = 0.0;
    plugin.SetMaxSubBlockLength(256);
    ASSERT_TRUE(plugin.SetMaximumBlockSize(4096));
    Configure(plugin, 4, false);
    Stereo block(1024);
    plugin.ProcessAudio(block.inputs, block.outputs, 1024, true);
    ASSERT_EQ(plugin.lengths.size(), 16u); // 4096 samples at the raised rate
    // 256 up-sampled samples are 64 host samples.
    EXPECT_NEAR(plugin.positions[1] - plugin.positions[0], 64.0 * 120.0 / (48000.0 * 60.0), 1e-12);

    // A host block longer than the buffers is cut into pieces that each fit; buffers that grow
    // after the configuration grow for the raised rate too.
    for (bool grow : {false, true}) {
        DoublingPlugin other;
        Configure(other, 16, false);
        if (grow) {
            ASSERT_TRUE(other.SetMaximumBlockSize(6000));
        }
        const int32_t frames = YAudioPlugin::kDefaultBlockCapacity * 2 + 77;
        Stereo longBlock(static_cast<size_t>(frames));
        longBlock.inL[3] = 1.0f;
        other.ProcessAudio(longBlock.inputs, longBlock.outputs, frames, true);
        const auto peak = std::max_element(longBlock.outL.begin(), longBlock.outL.end()) - longBlock.outL.begin();
        EXPECT_EQ(peak, 3 + 96) << grow;
        int64_t total = 0;
        for (int32_t n : other.lengths) total += n;
        EXPECT_EQ(total, static_cast<int64_t>(frames) * 16) << grow;
    }
}

TEST(YAudioPluginUpsampling, TheUpSampledPathAllocatesNothing) {
    DoublingPlugin plugin;
    plugin.clip = 1.0;
    plugin.lengths.reserve(1 << 16);
    plugin.positions.reserve(1 << 16);
    Configure(plugin, 16, true);
    Stereo block(YAudioPlugin::kDefaultBlockCapacity + 300);
    const int32_t frames = static_cast<int32_t>(block.inL.size());
    plugin.ProcessAudio(block.inputs, block.outputs, frames, true);
    const uint64_t before = AllocationCounting::Count();
    for (int round = 0; round < 3; ++round) plugin.ProcessAudio(block.inputs, block.outputs, frames, round % 2 == 0);
    EXPECT_EQ(AllocationCounting::Count(), before);
}

} // namespace
