// The preset triggers through the built binary with no editor open: a host moves "Preset
// trigger - next" or "- previous" and the plug-in loads that preset from the library in its
// data folder, on a thread of its own. The library is a file this test writes into a folder
// it owns, named to the plug-in through its data-folder variable.
#include "Vst3TestInstance.h"
#include "VstTestHost.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

constexpr const char* kDataFolderVariable = "VORNIK_DATA_FOLDER";
// Depth of the three presets, in tree order.
constexpr float kDepths[] = {0.2f, 0.5f, 0.8f};

void SetVariable(const char* name, const std::string* value) {
#ifdef _WIN32
    SetEnvironmentVariableA(name, value ? value->c_str() : nullptr);
#else
    if (value)
        setenv(name, value->c_str(), 1);
    else
        unsetenv(name);
#endif
}

std::string Hex(const std::vector<uint8_t>& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

template <typename F> bool Eventually(F&& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

class HostPresetTriggerTest : public testing::Test {
protected:
    void SetUp() override {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        m_folder = std::filesystem::temp_directory_path() / ("vornik-host-presets-" + std::to_string(stamp));
        std::filesystem::create_directories(m_folder);
        const std::u8string path = m_folder.u8string();
        const std::string folder(path.begin(), path.end());
        SetVariable(kDataFolderVariable, &folder);

        // The presets are states of the plug-in itself, with Depth set apart.
        VstTestHost::ResetHost();
        VstTestHost::Instance maker;
        ASSERT_NE(maker.Effect(), nullptr);
        maker.Start();
        const int32_t depth = maker.FindParameter("Depth");
        ASSERT_GE(depth, 0);
        std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Presets><Directory Name=\"Presets\">";
        for (size_t i = 0; i < std::size(kDepths); ++i) {
            maker.Set(depth, kDepths[i]);
            xml += "<preset name=\"P" + std::to_string(i) + "\" compressed=\"" + Hex(maker.Chunk()) + "\"/>";
        }
        xml += "</Directory></Presets>\n";
        std::ofstream(m_folder / "Vornikpresets.xml", std::ios::binary) << xml;
        // Active presets beside the library (one names a library index of its own): the
        // steps still go through the library alone.
        std::ofstream(m_folder / "Vornikpresets.active", std::ios::binary)
            << "<ActivePresets NamePrefix=\"Test \"><preset Name=\"Wide\" parameterDepth=\"1.5\" "
               "CurrentPresetIndex=\"2\"/><preset Name=\"Narrow\" parameterDepth=\"-0.5\"/></ActivePresets>\n";
    }
    void TearDown() override {
        SetVariable(kDataFolderVariable, nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

    std::filesystem::path m_folder;
};

std::vector<float> Silence() { return std::vector<float>(256, 0.0f); }

} // namespace

TEST_F(HostPresetTriggerTest, Vst2TriggersLoadTheNextAndPreviousPresetWithoutAnEditor) {
    VstTestHost::Instance plugin;
    ASSERT_NE(plugin.Effect(), nullptr);
    plugin.Start(48000.0f, 256);
    const int32_t depth = plugin.FindParameter("Depth");
    const int32_t next = plugin.FindParameter("Preset trigger - next");
    // VST 2.4 names hold 24 characters.
    const int32_t previous = plugin.FindParameter("Preset trigger - previou");
    ASSERT_GE(depth, 0);
    ASSERT_GE(next, 0);
    ASSERT_GE(previous, 0);
    std::vector<std::vector<float>> in{Silence(), Silence()}, out{Silence(), Silence()};
    // A host moves the trigger up for one block and down for the next. Either block may come
    // while the last preset load still holds the plug-in's locks and be skipped; the rise
    // still counts, and the host goes on processing blocks while the step is carried out.
    auto pulse = [&](int32_t trigger) {
        plugin.Set(trigger, 1.0f);
        plugin.Process(in, out, 256);
        plugin.Set(trigger, 0.0f);
        plugin.Process(in, out, 256);
    };
    auto holds = [&](float value) {
        return Eventually([&] {
            plugin.Process(in, out, 256);
            return std::fabs(plugin.Get(depth) - value) < 1e-5f;
        });
    };

    pulse(next); // from the first preset (index 0) to the second
    EXPECT_TRUE(holds(kDepths[1])) << plugin.Get(depth);
    pulse(previous);
    EXPECT_TRUE(holds(kDepths[0])) << plugin.Get(depth);
    pulse(previous); // wraps to the last
    EXPECT_TRUE(holds(kDepths[2])) << plugin.Get(depth);
}

TEST_F(HostPresetTriggerTest, Vst3TriggerLoadsTheNextPresetWithoutAnEditor) {
    Vst3::IPluginFactory* factory = Vst3Test::Factory();
    ASSERT_NE(factory, nullptr);
    {
        Vst3Test::Vst3Instance plugin(*factory, 48000.0, 256);
        ASSERT_TRUE(plugin.Ok());
        const Vst3::ParamID depth = plugin.Find("Depth");
        const Vst3::ParamID next = plugin.Find("Preset trigger - next");
        ASSERT_NE(depth, Vst3Test::kNoParameter);
        ASSERT_NE(next, Vst3Test::kNoParameter);
        std::vector<float> left = Silence(), right = Silence(), outLeft = Silence(), outRight = Silence();
        // A block whose changes meet the first step's load is abandoned; the rise in it counts.
        for (double value : {1.0, 0.0, 1.0, 0.0}) {
            Vst3Test::ParameterChanges changes;
            changes.queues.reserve(1);
            changes.Add(next).points = {{0, value}};
            const Vst3::tresult result = plugin.TryProcess(left, right, outLeft, outRight, &changes);
            EXPECT_TRUE(result == Vst3::kResultOk || result == Vst3::kResultFalse) << result;
        }
        // Two rises: from the first preset to the third. Blocks go on while the steps run;
        // the second rise may have come while the first load held the locks.
        EXPECT_TRUE(Eventually([&] {
            plugin.Process(left, right, outLeft, outRight, nullptr);
            return std::fabs(plugin.controller->getParamNormalized(depth) - kDepths[2]) < 1e-5;
        }))
            << plugin.controller->getParamNormalized(depth);

        // Up and down again inside one block is a rise too: the third preset wraps to the first.
        Vst3Test::ParameterChanges changes;
        changes.queues.reserve(1);
        changes.Add(next).points = {{0, 1.0}, {128, 0.0}};
        const Vst3::tresult result = plugin.TryProcess(left, right, outLeft, outRight, &changes);
        EXPECT_TRUE(result == Vst3::kResultOk || result == Vst3::kResultFalse) << result;
        EXPECT_TRUE(Eventually([&] {
            plugin.Process(left, right, outLeft, outRight, nullptr);
            return std::fabs(plugin.controller->getParamNormalized(depth) - kDepths[0]) < 1e-5;
        }))
            << plugin.controller->getParamNormalized(depth);
    }
    factory->release();
}
