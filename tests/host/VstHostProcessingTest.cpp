// Audio through the binary: odd buffers, odd sizes, odd rates, layouts, channel modes, bypass.
#include "VstTestHost.h"

#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <thread>

namespace {

using namespace VstTestHost;
using namespace Vst2;

using Buffers = std::vector<std::vector<float>>;

Buffers Inputs(int32_t channels, int32_t frames, double rate = 44100.0) {
    Buffers inputs;
    for (int32_t c = 0; c < channels; ++c) inputs.push_back(Signal(frames, c, rate));
    return inputs;
}

Buffers Outputs(int32_t channels, int32_t frames, float fill = 0.0f) {
    return Buffers(static_cast<size_t>(channels), std::vector<float>(static_cast<size_t>(frames), fill));
}

// The instance's state with root attributes changed, as plain XML text.
std::vector<uint8_t> StateWith(Instance& instance, const std::vector<std::pair<const char*, const char*>>& changes) {
    const std::vector<uint8_t> chunk = instance.Chunk();
    YMemoryStream in(chunk.data(), static_cast<int32_t>(chunk.size()));
    YXMLDocument document;
    document.LoadCompressed(in);
    for (const auto& [name, value] : changes) document.SetAttribute(YString::FromUTF8(name), YString::FromUTF8(value));
    YMemoryStream out;
    document.Save(out);
    return std::vector<uint8_t>(out.GetData(), out.GetData() + out.GetSize());
}

class VstHostProcessingTest : public StartedInstanceTest {
protected:
    int32_t Ins() { return m_instance->Effect()->numInputs; }
};

TEST_F(VstHostProcessingTest, ProducesTheEffect) {
    Buffers in = Inputs(Ins(), 4096);
    const Buffers original = in;
    Buffers out = Outputs(2, 4096);
    Plugin().Process(in, out, 4096);
    for (int32_t c = 0; c < 2; ++c) {
        EXPECT_TRUE(AllFinite(out[static_cast<size_t>(c)]));
        EXPECT_GT(Energy(out[static_cast<size_t>(c)]), 0.1 * Energy(original[static_cast<size_t>(c)]));
        EXPECT_NE(out[static_cast<size_t>(c)], original[static_cast<size_t>(c)]) << "the flanger changes the sound";
    }
}

TEST_F(VstHostProcessingTest, BlocksThatCarryNothingTouchNothing) {
    Buffers in = Inputs(Ins(), 256);
    const Buffers original = in;
    Buffers out = Outputs(2, 256, 0.25f);
    const Buffers untouched = out;
    Plugin().Process(in, out, 0);
    EXPECT_EQ(out, untouched);
    EXPECT_EQ(in, original);
    Plugin().Process(in, out, -5);
    EXPECT_EQ(out, untouched);
    // A null first output channel: nothing to write into.
    Buffers noFirst = out;
    noFirst[0].clear();
    Plugin().Process(in, noFirst, 256);
    EXPECT_EQ(noFirst[1], untouched[1]);
    EXPECT_EQ(in, original);
    // No output array at all.
    std::vector<float*> inputs;
    for (auto& channel : in) inputs.push_back(channel.data());
    Plugin().Effect()->processReplacing(Plugin().Effect(), inputs.data(), nullptr, 256);
    Plugin().Effect()->process(Plugin().Effect(), inputs.data(), nullptr, 256);
    EXPECT_EQ(in, original);
}

TEST_F(VstHostProcessingTest, MissingInputBusIsSilence) {
    // A host that gives the bus no first pointer gets it processed as silence, and the
    // bus's other pointers are not read.
    Instance twin;
    twin.Start();
    Buffers withNull = Inputs(Ins(), 1024);
    Buffers withZeros = Outputs(Ins(), 1024);
    withNull[0].clear();
    for (size_t c = 1; c < withNull.size(); ++c) withNull[c].assign(1024, 123.0f);
    Buffers a = Outputs(2, 1024), b = Outputs(2, 1024);
    Plugin().Process(withNull, a, 1024);
    twin.Process(withZeros, b, 1024);
    EXPECT_EQ(a, b);
    EXPECT_TRUE(AllFinite(a[0]));
    for (size_t c = 1; c < withNull.size(); ++c)
        for (float s : withNull[c]) ASSERT_EQ(s, 123.0f);
}

TEST_F(VstHostProcessingTest, AbsurdSettingsLeaveAWorkingInstance) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (float rate : {0.0f, -44100.0f, nan, inf, 50.0f}) {
        Plugin().Dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        Buffers in = Inputs(Ins(), 512);
        Buffers out = Outputs(2, 512);
        Plugin().Process(in, out, 512);
        EXPECT_TRUE(AllFinite(out[0]) && AllFinite(out[1])) << rate;
        EXPECT_GT(Energy(out[0]), 0.0) << rate;
    }
    for (intptr_t size : {intptr_t{0}, intptr_t{-1}, intptr_t{(1 << 20) + 1}, intptr_t{1} << 40}) {
        Plugin().Dispatch(effSetBlockSize, 0, size);
        Plugin().Dispatch(effMainsChanged, 0, 1);
        Buffers in = Inputs(Ins(), 512);
        Buffers out = Outputs(2, 512);
        Plugin().Process(in, out, 512);
        EXPECT_TRUE(AllFinite(out[0]) && AllFinite(out[1])) << size;
        EXPECT_GT(Energy(out[0]), 0.0) << size;
    }
}

TEST_F(VstHostProcessingTest, UnusualRatesProcess) {
    for (float rate : {1000.0f, 2000000.0f}) {
        Instance instance;
        instance.Start(rate, 4096);
        Buffers in = Inputs(Ins(), 4096, rate);
        Buffers out = Outputs(2, 4096);
        for (int block = 0; block < 3; ++block) instance.Process(in, out, 4096);
        for (const auto& channel : out) {
            EXPECT_TRUE(AllFinite(channel)) << rate;
            EXPECT_GT(Energy(channel), 0.1 * Energy(in[0])) << rate;
        }
    }
}

TEST_F(VstHostProcessingTest, BlocksLongerThanAnnounced) {
    Plugin().Dispatch(effSetBlockSize, 0, 64);
    Buffers in = Inputs(Ins(), 20000);
    Buffers out = Outputs(2, 20000);
    Plugin().Process(in, out, 20000);
    EXPECT_TRUE(AllFinite(out[0]));
    double tail = 0.0;
    for (size_t i = 19000; i < 20000; ++i) tail += out[0][i] * out[0][i];
    EXPECT_GT(tail, 0.0) << "the end of a long block is processed too";
}

TEST_F(VstHostProcessingTest, SpeakerArrangements) {
    VstSpeakerArrangement mono{kSpeakerArrMono, 1, {}};
    VstSpeakerArrangement stereo{kSpeakerArrStereo, 2, {}};
    VstSpeakerArrangement many{kSpeakerArrUserDefined, 9, {}};
    auto set = [&](VstSpeakerArrangement* in, VstSpeakerArrangement* out) {
        return Plugin().Dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(in), out);
    };
    EXPECT_EQ(set(&many, &stereo), 0);
    EXPECT_EQ(set(&stereo, &many), 0);
    EXPECT_EQ(set(&mono, &mono), 1);
    EXPECT_EQ(set(&stereo, &stereo), 1);
    EXPECT_EQ(set(nullptr, &stereo), 1);
    EXPECT_EQ(set(&stereo, &stereo), 1);
    Plugin().Dispatch(effMainsChanged, 0, 1);
    Buffers in = Inputs(Ins(), 512);
    Buffers out = Outputs(2, 512);
    Plugin().Process(in, out, 512);
    EXPECT_TRUE(AllFinite(out[0]) && AllFinite(out[1]));
    EXPECT_GT(Energy(out[1]), 0.0);
}

TEST_F(VstHostProcessingTest, EveryChannelMode) {
    const char* modes[] = {"Left + Right", "Left", "Right", "Mono", "Stereo", "Mono + Stereo", "Left + Right (neg)",
                           "Surround"};
    for (const char* mode : modes) {
        Instance instance;
        instance.Start();
        EXPECT_EQ(instance.LoadChunk(StateWith(instance, {{"ChannelMode", mode}})), 1) << mode;
        Buffers in = Inputs(Ins(), 2048);
        const Buffers original = in;
        Buffers out = Outputs(2, 2048);
        instance.Process(in, out, 2048);
        for (size_t c = 0; c < 2; ++c) {
            EXPECT_TRUE(AllFinite(out[c])) << mode;
            EXPECT_GT(Energy(out[c]), 0.1 * Energy(original[c])) << mode << " channel " << c;
        }
        // A mode that processes one side leaves the other as it came in.
        const std::string name = mode;
        if (name == "Left" || name == "Right") {
            const size_t dry = name == "Left" ? 1 : 0;
            for (size_t i = 0; i < 2048; i += 97) EXPECT_NEAR(out[dry][i], original[dry][i], 1e-6f) << mode << i;
            EXPECT_NE(out[1 - dry], original[1 - dry]) << mode;
        }
    }
}

TEST_F(VstHostProcessingTest, BypassKeepsTheLatency) {
    // Up-sampling gives the plug-in a latency; bypass must delay the dry signal by as much.
    EXPECT_EQ(Plugin().LoadChunk(StateWith(Plugin(), {{"upsampling", "1"}, {"hqupsampling", "0"}, {"Bypass", "1"}})),
              1);
    Plugin().Dispatch(effMainsChanged, 0, 1);
    const int32_t latency = Plugin().Effect()->initialDelay;
    ASSERT_GT(latency, 0);
    EXPECT_GT(Host().IOChanged, 0) << "the host hears of the latency";
    Buffers in = Inputs(Ins(), 4096);
    const Buffers original = in;
    Buffers out = Outputs(2, 4096);
    Plugin().Process(in, out, 4096);
    for (size_t c = 0; c < 2; ++c) {
        for (int32_t i = 0; i < latency; i += 31) EXPECT_NEAR(out[c][static_cast<size_t>(i)], 0.0f, 1e-6f);
        for (int32_t i = latency; i < 4096; i += 31)
            EXPECT_NEAR(out[c][static_cast<size_t>(i)], original[c][static_cast<size_t>(i - latency)], 1e-6f)
                << "channel " << c << " sample " << i;
    }
}

// State loads on another thread while audio runs: blocks are processed or passed through,
// never broken, and the last state loaded wins.
TEST_F(VstHostProcessingTest, ThreadingStateLoadsWhileAudioRuns) {
    const int32_t depth = Plugin().FindParameter("Depth");
    ASSERT_GE(depth, 0);
    Plugin().Set(depth, 0.2f);
    const std::vector<uint8_t> low = Plugin().Chunk();
    Plugin().Set(depth, 0.9f);
    const std::vector<uint8_t> high = Plugin().Chunk();
    ASSERT_FALSE(low.empty());
    ASSERT_FALSE(high.empty());
    std::atomic<bool> done{false};
    std::atomic<int32_t> failedLoads{0};
    std::thread loader([&] {
        for (int i = 0; i < 60; ++i)
            if (Plugin().LoadChunk(i % 2 == 0 ? low : high) != 1) ++failedLoads;
        done = true;
    });
    int32_t blocks = 0;
    while (!done || blocks < 10) {
        Buffers in = Inputs(Ins(), 256);
        Buffers out = Outputs(2, 256);
        Plugin().Process(in, out, 256);
        ASSERT_TRUE(AllFinite(out[0]) && AllFinite(out[1])) << "block " << blocks;
        ++blocks;
    }
    loader.join();
    EXPECT_EQ(failedLoads.load(), 0);
    EXPECT_NEAR(Plugin().Get(depth), 0.9f, 1e-6f) << "the last load was the high state";
}

TEST_F(VstHostProcessingTest, MIDIAndTransportAreAccepted) {
    Host().GiveTime = true;
    Host().Time.tempo = 128.0;
    Host().Time.ppqPos = 4.0;
    Host().Time.timeSigNumerator = 4;
    Host().Time.timeSigDenominator = 4;
    Host().Time.flags = kVstTransportPlaying | kVstTempoValid | kVstPpqPosValid;
    VstMidiEvent note{kVstMidiType, sizeof(VstMidiEvent), 10, 0, 0, 0, {char(0x90), 60, 100, 0}, 0, 0, 0, 0};
    VstMidiEvent controller{kVstMidiType, sizeof(VstMidiEvent), 20, 0, 0, 0, {char(0xB0), 1, 64, 0}, 0, 0, 0, 0};
    VstEvent other{kVstSysExType, 24, 0, 0, {}};
    VstEvents events{3, 0, {reinterpret_cast<VstEvent*>(&note), reinterpret_cast<VstEvent*>(&controller)}};
    // VstEvents holds two pointers inline; a host allocates room for more behind them.
    struct {
        VstEvents head;
        VstEvent* more[1];
    } block{events, {&other}};
    EXPECT_EQ(Plugin().Dispatch(effProcessEvents, 0, 0, &block.head), 1);
    Buffers in = Inputs(Ins(), 512);
    Buffers out = Outputs(2, 512);
    Plugin().Process(in, out, 512);
    EXPECT_TRUE(AllFinite(out[0]));
    EXPECT_EQ(Plugin().Dispatch(effProcessEvents, 0, 0, nullptr), 0);
    VstEvents none{0, 0, {nullptr, nullptr}};
    EXPECT_EQ(Plugin().Dispatch(effProcessEvents, 0, 0, &none), 1);
}

} // namespace
