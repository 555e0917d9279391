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
        // The maker, the process's first instance, gave the new folder the factory active
        // presets; these steps are about the library alone.
        std::filesystem::remove(m_folder / "Vornikpresets.active");
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
    // A host moves the trigger up and holds it a while before moving it down again. A block
    // that runs while the previous preset load still holds the processing lock is skipped and
    // sees no trigger, so the value is held over blocks for some milliseconds, as automation is.
    auto hold = [&](int32_t trigger, float value) {
        plugin.Set(trigger, value);
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(30);
        do {
            plugin.Process(in, out, 256);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        } while (std::chrono::steady_clock::now() < until);
    };
    auto pulse = [&](int32_t trigger) {
        hold(trigger, 1.0f);
        hold(trigger, 0.0f);
    };
    auto holds = [&](float value) { return Eventually([&] { return std::fabs(plugin.Get(depth) - value) < 1e-5f; }); };

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
        for (double value : {1.0, 0.0, 1.0, 0.0}) {
            Vst3Test::ParameterChanges changes;
            changes.queues.reserve(1);
            changes.Add(next).points = {{0, value}};
            plugin.Process(left, right, outLeft, outRight, &changes);
        }
        // Two rises: from the first preset to the third.
        EXPECT_TRUE(Eventually([&] { return std::fabs(plugin.controller->getParamNormalized(depth) - kDepths[2]) < 1e-5; }))
            << plugin.controller->getParamNormalized(depth);
    }
    factory->release();
}
