// The built binary as a VST 3 host sees it: the factory from GetPluginFactory, instances of its
// one class, processing and state through the VST 3 interfaces only.
#include "Vst3TestInstance.h"
#include "VstTestHost.h"

#include "entry/vst3/Vst3Abi.h"
#include "support/InflatingState.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace Vst3Test;

class Vst3HostTest : public FactoryTest {};

#if !defined(_WIN32)
TEST_F(Vst3HostTest, LinuxHostsFindTheModuleEntryAndExit) {
    auto entry = reinterpret_cast<bool (*)(void*)>(VstTestHost::Export("ModuleEntry"));
    auto exit = reinterpret_cast<bool (*)()>(VstTestHost::Export("ModuleExit"));
    ASSERT_NE(entry, nullptr);
    ASSERT_NE(exit, nullptr);
    EXPECT_TRUE(entry(nullptr));
    {
        Vst3Instance plugin(*factory);
        EXPECT_TRUE(plugin.Ok()) << "instances are created after the entry";
    }
    EXPECT_TRUE(exit());
}
#endif

TEST_F(Vst3HostTest, TheFactoryIsSharedAndDescribesOneEffect) {
    Vst3::IPluginFactory* again = Factory();
    EXPECT_EQ(again, factory);
    EXPECT_EQ(again->release(), 1u);

    Vst3::PFactoryInfo info{};
    ASSERT_EQ(factory->getFactoryInfo(&info), Vst3::kResultOk);
    EXPECT_STREQ(info.vendor, "Quenlor");
    EXPECT_EQ(info.flags, 16);
    ASSERT_EQ(factory->countClasses(), 1);
    Vst3::IPluginFactory2* f2 = nullptr;
    ASSERT_EQ(factory->queryInterface(Vst3::IPluginFactory2::iid.bytes, reinterpret_cast<void**>(&f2)),
              Vst3::kResultOk);
    Vst3::PClassInfo2 c{};
    ASSERT_EQ(f2->getClassInfo2(0, &c), Vst3::kResultOk);
    EXPECT_STREQ(c.category, "Audio Module Class");
    EXPECT_STREQ(c.name, "Vornik");
    EXPECT_STREQ(c.subCategories, "Fx|Modulation");
    EXPECT_STREQ(c.version, "7.10");
    EXPECT_STREQ(c.sdkVersion, "VST 3.5.2");
    f2->release();
}

TEST_F(Vst3HostTest, AnInstanceProcessesAndBypasses) {
    Vst3Instance plugin(*factory);
    ASSERT_TRUE(plugin.Ok());
    const Vst3::ParamID depth = plugin.Find("Depth");
    ASSERT_NE(depth, kNoParameter);

    std::vector<float> left = VstTestHost::Signal(512, 0), right = VstTestHost::Signal(512, 1);
    std::vector<float> outLeft(512, 0.0f), outRight(512, 0.0f);
    for (int block = 0; block < 4; ++block) plugin.Process(left, right, outLeft, outRight);
    EXPECT_TRUE(VstTestHost::AllFinite(outLeft));
    EXPECT_GT(VstTestHost::Energy(outLeft), 0.0);
    double difference = 0.0;
    for (size_t i = 0; i < left.size(); ++i) difference += std::fabs(outLeft[i] - left[i]);
    EXPECT_GT(difference, 1e-2);

    ParameterChanges changes;
    changes.queues.reserve(1);
    changes.Add(32767).points = {{0, 1.0}};
    plugin.Process(left, right, outLeft, outRight, &changes);
    plugin.Process(left, right, outLeft, outRight);
    const Vst3::uint32 latency = plugin.processor->getLatencySamples();
    ASSERT_LT(latency, 512u);
    for (size_t i = latency; i < left.size(); ++i) ASSERT_NEAR(outLeft[i], left[i - latency], 1e-5f) << i;
}

TEST_F(Vst3HostTest, StateMovesBetweenInstances) {
    Vst3Instance first(*factory);
    Vst3Instance second(*factory);
    ASSERT_TRUE(first.Ok());
    ASSERT_TRUE(second.Ok());
    const Vst3::ParamID depth = first.Find("Depth");
    ASSERT_NE(depth, kNoParameter);

    std::vector<float> left(256, 0.0f), right(256, 0.0f), outLeft(256), outRight(256);
    ParameterChanges changes;
    changes.queues.reserve(1);
    changes.Add(depth).points = {{0, 0.2}};
    first.Process(left, right, outLeft, outRight, &changes);
    ASSERT_NEAR(first.controller->getParamNormalized(depth), 0.2, 1e-6);
    EXPECT_GT(std::fabs(second.controller->getParamNormalized(depth) - 0.2), 1e-3) << "instances are apart";

    MemoryStream state;
    ASSERT_EQ(first.component->getState(&state), Vst3::kResultOk);
    state.position = 0;
    ASSERT_EQ(second.component->setState(&state), Vst3::kResultOk);
    EXPECT_NEAR(second.controller->getParamNormalized(depth), 0.2, 1e-6);
}

TEST_F(Vst3HostTest, AStateThatInflatesTooFarIsRefusedAndSaysWhy) {
    Vst3Instance instance(*factory);
    ASSERT_TRUE(instance.Ok());
    const Vst3::ParamID depth = instance.Find("Depth");
    ASSERT_NE(depth, kNoParameter);
    const double before = instance.controller->getParamNormalized(depth);

    Vst3::IVornikStateReport* report = nullptr;
    ASSERT_EQ(instance.component->queryInterface(Vst3::IVornikStateReport::iid.bytes, reinterpret_cast<void**>(&report)),
              Vst3::kResultOk);
    ASSERT_NE(report, nullptr);
    char text[512] = "?";
    EXPECT_EQ(report->getStateRefusal(text, sizeof text), 0);
    EXPECT_STREQ(text, "");

    // 194 KB that would inflate to 200 MB; the Depth it names must not be applied.
    const std::vector<uint8_t> bomb = InflatingState::Make(200 * 1000 * 1000, "<settings parameterDepth=\"0.1\" pad=\"");
    MemoryStream state;
    state.data.assign(bomb.begin(), bomb.end());
    EXPECT_EQ(instance.component->setState(&state), Vst3::kResultFalse);
    EXPECT_EQ(instance.controller->getParamNormalized(depth), before);
    const std::string expected = "The state was refused: The document is larger than 16 MiB.";
    EXPECT_EQ(report->getStateRefusal(text, sizeof text), static_cast<Vst3::int32>(expected.size()));
    EXPECT_EQ(std::string(text), expected);
    EXPECT_EQ(report->getStateRefusal(nullptr, 10), 0);

    // A host stream that never ends is read only a little past the limit, then refused.
    struct EndlessStream : MemoryStream {
        Vst3::tresult Y_VST3_CALL read(void* buffer, Vst3::int32 numBytes, Vst3::int32* numBytesRead) override {
            std::memset(buffer, ' ', static_cast<size_t>(std::max(numBytes, 0)));
            served += std::max(numBytes, 0);
            if (numBytesRead != nullptr) *numBytesRead = std::max(numBytes, 0);
            return Vst3::kResultOk;
        }
        int64_t served = 0;
    } endless;
    EXPECT_EQ(instance.component->setState(&endless), Vst3::kResultFalse);
    EXPECT_LE(endless.served, 17 * 1024 * 1024);
    EXPECT_GT(report->getStateRefusal(text, sizeof text), 0);
    EXPECT_NE(std::string(text).find("16 MiB"), std::string::npos) << text;
    EXPECT_EQ(instance.controller->getParamNormalized(depth), before);
    report->release();
}

} // namespace
