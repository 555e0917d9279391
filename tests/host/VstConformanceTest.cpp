// What validators and hosts ask of a VST 2.4 plug-in, asked of the built binary: texts in the
// encoding the system's hosts read, parameters that read back stably, and processing at odd
// sample rates and block sizes.
#include "VstTestHost.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

using namespace VstTestHost;
using namespace Vst2;

#if !defined(_WIN32)
bool IsUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const size_t length = c < 0x80           ? 1
                              : (c >> 5) == 0x6  ? 2
                              : (c >> 4) == 0xE  ? 3
                              : (c >> 3) == 0x1E ? 4
                                                 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}
#endif

class VstConformanceTest : public StartedInstanceTest {};

TEST_F(VstConformanceTest, TextsAreInTheEncodingTheSystemsHostsRead) {
    const int32_t phase = Plugin().FindParameter("Phase"); // a quarter cycle by default
    ASSERT_GE(phase, 0);
    const std::string display = Plugin().Text(effGetParamDisplay, phase);
#if defined(_WIN32)
    if (GetACP() != 1252) GTEST_SKIP() << "the test knows the bytes of code page 1252 only";
    EXPECT_EQ(display, "90\xb0 (25.0%)");
#else
    EXPECT_EQ(display, "90\xc2\xb0 (25.0%)");
    for (int32_t i = 0; i < Plugin().Effect()->numParams; ++i) {
        for (int32_t opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay}) {
            const std::string text = Plugin().Text(opcode, i);
            EXPECT_TRUE(IsUtf8(text)) << i << " " << opcode << " " << text;
        }
    }
#endif
}

// A host reads back what it wrote and writes it again (automation, undo): the value must
// settle at once, and a continuous parameter keeps what the host wrote.
TEST_F(VstConformanceTest, EveryParameterReadsBackStably) {
    for (int32_t i = 0; i < Plugin().Effect()->numParams; ++i) {
        for (float written : {0.0f, 0.37f, 0.81f, 1.0f}) {
            Plugin().Set(i, written);
            const float read = Plugin().Get(i);
            ASSERT_GE(read, 0.0f);
            ASSERT_LE(read, 1.0f);
            Plugin().Set(i, read);
            EXPECT_EQ(Plugin().Get(i), read) << i << " " << written;
        }
    }
    const int32_t depth = Plugin().FindParameter("Depth");
    ASSERT_GE(depth, 0);
    Plugin().Set(depth, 0.37f);
    EXPECT_EQ(Plugin().Get(depth), 0.37f);
}

TEST_F(VstConformanceTest, ProcessingHoldsAtOddRatesAndBlockSizes) {
    const float rates[] = {1234.5f, 22050.0f, 192000.0f, 1200000.0f};
    const int32_t sizes[] = {1, 2, 3, 17, 64, 100, 511, 1024, 4096};
    const int32_t inputs = Plugin().Effect()->numInputs;
    for (float rate : rates) {
        SCOPED_TRACE(rate);
        Instance instance;
        instance.Start(rate, 4096);
        for (bool silent : {false, true}) {
            for (int32_t size : sizes) {
                SCOPED_TRACE(size);
                std::vector<std::vector<float>> in;
                for (int32_t c = 0; c < inputs; ++c)
                    in.push_back(silent ? std::vector<float>(static_cast<size_t>(size), 0.0f)
                                        : Signal(size, c, rate));
                std::vector<std::vector<float>> out(
                    2,
                    std::vector<float>(static_cast<size_t>(size), std::numeric_limits<float>::quiet_NaN()));
                instance.Process(in, out, size);
                for (const auto& channel : out) {
                    ASSERT_TRUE(AllFinite(channel));
                    for (float s : channel) ASSERT_LT(std::fabs(s), 8.0f);
                }
            }
        }
    }
}

TEST_F(VstConformanceTest, TheTailFollowsTheFeedback) {
    const int32_t feedback = Plugin().FindParameter("Feedback");
    ASSERT_GE(feedback, 0);
    const intptr_t plain = Plugin().Dispatch(effGetTailSize);
    EXPECT_GT(plain, 1);
    EXPECT_LT(plain, 44100);
    Plugin().Set(feedback, 0.95f);
    EXPECT_GT(Plugin().Dispatch(effGetTailSize), 2 * plain);
    const int32_t told = Host().IOChanged;
    Plugin().Set(feedback, 1.0f);
    EXPECT_EQ(Host().IOChanged, told + 1) << "the host read a finite tail";
    EXPECT_EQ(Plugin().Dispatch(effGetTailSize), INT32_MAX);
}

} // namespace
