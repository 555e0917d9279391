// The active presets a plug-in reads when it starts.
#include "presets/YActivePresets.h"

#include "PresetTestSupport.h"
#include "core/StateTestSupport.h"
#include "core/YQuenlorAudioEffectPlugin.h"
#include "entry/Module.h"
#include "entry/VornikAudioEffectPluginInterface.h"
#include "foundation/YException.h"
#include "presets/YPresetLibrary.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using presets_test::Compact;
using presets_test::ScratchFolder;
using presets_test::WriteAll;

namespace {
const char* const kTwoPresets = "<ActivePresets NamePrefix=\"Act: \">"
                                "<preset Name=\"One &amp; &#x416;\" parameterDepth=\"0.25\"/>"
                                "<preset Name=\"Two\"/></ActivePresets>";

std::vector<std::string> g_reported;
void RecordReport(const YString& text) { g_reported.push_back(text.ToUTF8()); }

struct ActivePresetsAtStart : frametest::OwnConfigurationTest {
    ActivePresetsAtStart() : frametest::OwnConfigurationTest("vornik-active-start-") {}
    void SetUp() override {
        frametest::OwnConfigurationTest::SetUp();
        g_reported.clear();
        previous = YSetErrorReportHook(&RecordReport);
    }
    void TearDown() override {
        YSetErrorReportHook(previous);
        frametest::OwnConfigurationTest::TearDown();
    }

    std::unique_ptr<YQuenlorAudioEffectPlugin> Create(const YActivePresetLoader* loader) {
        return YQuenlorAudioEffectPlugin::Create("Vornik", "Quenlor", VornikAudioEffectPluginInterface, 500, 100,
                                                 nullptr, loader);
    }

    ScratchFolder scratch;
    YErrorReportHook previous = nullptr;
};
} // namespace

TEST_F(ActivePresetsAtStart, TheFileIsReadWhenThePluginStarts) {
    WriteAll(scratch.Path("Vornikpresets.active"), kTwoPresets);
    const YActivePresetFileLoader loader(scratch.Folder());
    auto plugin = Create(&loader);
    ASSERT_NE(plugin, nullptr);
    const YActivePresetCatalog* active = plugin->ActivePresets();
    ASSERT_NE(active, nullptr);
    ASSERT_EQ(active->Count(), 2);
    EXPECT_EQ(active->DisplayName(0).ToUTF8(), "Act: One & \xD0\x96");
    EXPECT_EQ(active->DisplayName(1).ToUTF8(), "Act: Two");
    EXPECT_EQ(Compact(active->Settings(0)),
              "<?xml version=\"1.0\" encoding=\"utf-8\"?><settings parameterDepth=\"0.25\"/>");
    EXPECT_TRUE(g_reported.empty());
}

// Without a file, with a broken one, or without a loader the plug-in starts all the same,
// without active presets; only the broken file is reported.
TEST_F(ActivePresetsAtStart, AMissingOrBrokenFileLeavesNoneAndOnlyTheBrokenOneIsReported) {
    const YActivePresetFileLoader loader(scratch.Folder());
    struct Case {
        const char* what;
        const char* text; // nullptr: no file
        const YActivePresetLoader* loader;
        bool reported;
    };
    const Case cases[] = {
        {"no file", nullptr, &loader, false},
        {"broken XML", "<ActivePresets><preset Name=\"x\">", &loader, true},
        {"not XML", "\x01\x02 binary", &loader, true},
        {"no loader", kTwoPresets, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_reported.clear();
        std::filesystem::remove(std::filesystem::u8path(scratch.Path("Vornikpresets.active")));
        if (c.text != nullptr) WriteAll(scratch.Path("Vornikpresets.active"), c.text);
        auto plugin = Create(c.loader);
        ASSERT_NE(plugin, nullptr);
        EXPECT_EQ(plugin->ActivePresets(), nullptr);
        ASSERT_EQ(g_reported.size(), c.reported ? 1u : 0u);
        if (c.reported) {
            EXPECT_NE(g_reported[0].find("Vornikpresets.active"), std::string::npos) << g_reported[0];
            EXPECT_NE(g_reported[0].find("could not be read"), std::string::npos) << g_reported[0];
        }
    }
}

// The plug-in the binary creates reads the file from the product's data folder, which tests
// move through the XDG variable (Windows asks the shell, which no variable moves).
#ifndef _WIN32
TEST_F(ActivePresetsAtStart, ThePluginTheBinaryCreatesReadsTheDataFolder) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", scratch.Path("config").c_str(), 1);
    std::filesystem::create_directories(std::filesystem::u8path(scratch.Path("config/Quenlor/Vornik")));
    WriteAll(scratch.Path("config/Quenlor/Vornik/Vornikpresets.active"), kTwoPresets);
    EXPECT_EQ(YPresetLibrary::DataFolder("Vornik").ToUTF8(), scratch.Path("config/Quenlor/Vornik"));

    std::unique_ptr<YAudioPlugin> plugin = YCreatePluginInstance();
    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    auto* adapter = dynamic_cast<YAudioEffectPluginToAudioPluginAdapter*>(plugin.get());
    ASSERT_NE(adapter, nullptr);
    ASSERT_NE(adapter->ActivePresets(), nullptr);
    EXPECT_EQ(adapter->ActivePresets()->Count(), 2);
    EXPECT_EQ(adapter->ActivePresets()->DisplayName(1).ToUTF8(), "Act: Two");
}
#endif
