// The host's chunk: save, restore into another instance, and survive broken data.
#include "VstTestHost.h"
#include "support/InflatingState.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

namespace {

using namespace VstTestHost;
using namespace Vst2;

using Buffers = std::vector<std::vector<float>>;

std::vector<float> Parameters(Instance& instance) {
    std::vector<float> values;
    for (int32_t i = 0; i < instance.Effect()->numParams; ++i) values.push_back(instance.Get(i));
    return values;
}

Buffers Render(Instance& instance, int32_t blocks) {
    const int32_t inputs = instance.Effect()->numInputs;
    Buffers result(2);
    for (int32_t b = 0; b < blocks; ++b) {
        Buffers in;
        for (int32_t c = 0; c < inputs; ++c) in.push_back(Signal(512, c + b));
        Buffers out(2, std::vector<float>(512, 0.0f));
        instance.Process(in, out, 512);
        for (size_t c = 0; c < 2; ++c) result[c].insert(result[c].end(), out[c].begin(), out[c].end());
    }
    return result;
}

class VstHostStateTest : public testing::Test {
protected:
    void SetUp() override { ResetHost(); }
};

TEST_F(VstHostStateTest, ChunkRoundTripSoundsTheSame) {
    Instance source;
    ASSERT_NE(source.Effect(), nullptr);
    source.Start();
    for (const char* name : {"Depth", "Feedback", "Delay", "Saturation"}) {
        const int32_t index = source.FindParameter(name);
        ASSERT_GE(index, 0) << name;
        source.Set(index, 0.3f + 0.1f * static_cast<float>(index % 5));
    }
    const std::vector<uint8_t> chunk = source.Chunk();
    ASSERT_FALSE(chunk.empty());
    EXPECT_EQ(source.Effect()->flags & effFlagsProgramChunks, effFlagsProgramChunks);

    Instance target;
    target.Start();
    EXPECT_NE(Parameters(target), Parameters(source));
    EXPECT_EQ(target.LoadChunk(chunk), 1);
    EXPECT_EQ(Parameters(target), Parameters(source));

    // Both start from the same state: the same input gives the same output, sample for sample.
    Instance fresh;
    fresh.Start();
    EXPECT_EQ(fresh.LoadChunk(chunk), 1);
    EXPECT_EQ(source.LoadChunk(chunk), 1);
    EXPECT_EQ(Render(source, 6), Render(fresh, 6));
    // And saving again gives the bytes back.
    EXPECT_EQ(fresh.Chunk(), source.Chunk());
}

TEST_F(VstHostStateTest, BrokenChunksLeaveAWorkingInstance) {
    Instance instance;
    instance.Start();
    const int32_t depth = instance.FindParameter("Depth");
    ASSERT_GE(depth, 0);
    instance.Set(depth, 0.8f);
    const std::vector<uint8_t> good = instance.Chunk();
    ASSERT_GT(good.size(), 16u);
    const std::vector<float> before = Parameters(instance);

    std::vector<uint8_t> random(777);
    uint32_t seed = 99;
    for (uint8_t& byte : random) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(seed >> 16);
    }
    EXPECT_EQ(instance.LoadChunk(random), 0) << "random bytes are not a state";
    EXPECT_EQ(Parameters(instance), before) << "nothing already set is lost";

    const std::vector<uint8_t> truncated(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2));
    instance.LoadChunk(truncated);
    EXPECT_EQ(instance.LoadChunk(std::vector<uint8_t>{'<'}), 0);
    // Null and empty data are refused outright.
    EXPECT_EQ(instance.Dispatch(effSetChunk, 0, 10, nullptr), 0);
    uint8_t byte = 0;
    EXPECT_EQ(instance.Dispatch(effSetChunk, 0, 0, &byte), 0);
    EXPECT_EQ(instance.Dispatch(effSetChunk, 0, -4, &byte), 0);
    EXPECT_EQ(instance.Dispatch(effGetChunk, 0, 0, nullptr), 0);

    const Buffers out = Render(instance, 2);
    EXPECT_TRUE(AllFinite(out[0]) && AllFinite(out[1]));
    EXPECT_GT(Energy(out[0]), 0.0);
    // The good state still loads afterwards.
    EXPECT_EQ(instance.LoadChunk(good), 1);
    EXPECT_NEAR(instance.Get(depth), 0.8f, 1e-6f);
}

std::string Refusal(Instance& instance) {
    char text[512];
    std::fill(std::begin(text), std::end(text), '?');
    const intptr_t length = instance.Dispatch(effVendorSpecific, kVendorStateRefusal, sizeof text, text);
    EXPECT_EQ(length, static_cast<intptr_t>(std::strlen(text)));
    return text;
}

TEST_F(VstHostStateTest, AChunkThatInflatesTooFarIsRefusedAndSaysWhy) {
    Instance instance;
    instance.Start();
    const int32_t depth = instance.FindParameter("Depth");
    ASSERT_GE(depth, 0);
    instance.Set(depth, 0.8f);
    const std::vector<float> before = Parameters(instance);
    EXPECT_EQ(Refusal(instance), "");

    // 194 KB that would inflate to 200 MB; the Depth it names must not be applied.
    const std::vector<uint8_t> bomb = InflatingState::Make(200 * 1000 * 1000, "<settings parameterDepth=\"0.1\" pad=\"");
    ASSERT_LT(bomb.size(), 200u * 1000u);
    EXPECT_EQ(instance.LoadChunk(bomb), 0);
    EXPECT_EQ(Parameters(instance), before);
    EXPECT_EQ(Refusal(instance), "The state was refused: The document is larger than 16 MiB.");
    // A host with a small buffer gets the start of the text, terminated.
    char small[12];
    EXPECT_EQ(instance.Dispatch(effVendorSpecific, kVendorStateRefusal, sizeof small, small), 11);
    EXPECT_STREQ(small, "The state w");
    // Other vendor requests are not answered.
    EXPECT_EQ(instance.Dispatch(effVendorSpecific, 1234, sizeof small, small), 0);

    const std::vector<uint8_t> good = instance.Chunk();
    EXPECT_EQ(instance.LoadChunk(good), 1);
    EXPECT_EQ(Refusal(instance), "");
}

} // namespace
