#include "core/YGlobalConfiguration.h"

#include "core/YSPS.h"
#include "foundation/YException.h"
#include "platform/YStdFileStream.h"
#include "foundation/YXMLDocument.h"
#include "support/ScratchFolder.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& text) {
    std::ofstream(std::filesystem::u8path(path), std::ios::binary) << text;
}

std::unique_ptr<YXMLDocument> LoadFile(const std::string& path) {
    auto document = std::make_unique<YXMLDocument>();
    YStdFileStream stream(YString::FromUTF8(path), YStdFileStream::kRead);
    document->Load(stream);
    return document;
}

// A configuration that reads from its own file, as a fresh process would.
struct Fixture : ::testing::Test {
    ScratchFolder scratch;
    std::string path = scratch.Path("GlobalConfiguration.xml");
    YGlobalConfiguration configuration;
    void SetUp() override { configuration.UseFile(YString::FromUTF8(path)); }
    YGlobalConfiguration& Reopened() {
        m_other = std::make_unique<YGlobalConfiguration>();
        m_other->UseFile(YString::FromUTF8(path));
        return *m_other;
    }

private:
    std::unique_ptr<YGlobalConfiguration> m_other;
};

using YGlobalConfigurationTest = Fixture;

TEST_F(YGlobalConfigurationTest, MissingFileGivesDefaultsAndIsNotCreatedByReading) {
    EXPECT_TRUE(configuration.ConfirmationEnabled());
    EXPECT_FALSE(configuration.TabletMode());
    EXPECT_EQ(configuration.DefaultSettings(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(path)));
}

TEST_F(YGlobalConfigurationTest, EveryChangeRewritesTheWholeFileIndentedInUtf8) {
    configuration.SetTabletMode(true);
    EXPECT_TRUE(configuration.TabletMode());
    configuration.SetConfirmationEnabled(false);
    EXPECT_FALSE(configuration.ConfirmationEnabled());

    const std::string text = ReadAll(path);
    EXPECT_NE(text.find("encoding=\"utf-8\""), std::string::npos) << text;
    auto document = LoadFile(path);
    EXPECT_EQ(document->GetName().ToUTF8(), "Configuration");
    EXPECT_EQ(document->GetAttribute("TabletMode").ToUTF8(), "1");
    EXPECT_EQ(document->GetAttribute("ConfirmationEnabled").ToUTF8(), "0");

    YXMLItem settings("Settings");
    settings.SetAttribute("Version", "461312");
    configuration.SetDefaultSettings(settings);
    // Indented: each nested item on its own line, one tab deeper than its parent.
    EXPECT_NE(ReadAll(path).find("\n\t<DefaultSettings>\n\t\t<Settings Version=\"461312\"/>\n"), std::string::npos)
        << ReadAll(path);

    YGlobalConfiguration& other = Reopened();
    EXPECT_TRUE(other.TabletMode());
    EXPECT_FALSE(other.ConfirmationEnabled());
    ASSERT_NE(other.DefaultSettings(), nullptr);
    EXPECT_EQ(other.DefaultSettings()->GetAttribute("Version").ToUTF8(), "461312");
    // No temporary file is left behind.
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(path + ".tmp")));
}

TEST_F(YGlobalConfigurationTest, DefaultSettingsAreDeepCopiesBothWays) {
    YXMLItem settings("settings");
    settings.SetAttribute("Bypass", "1");
    YXMLItem& slot = settings.AddChild("Preset3");
    slot.SetAttribute("parameterDepth", "0.500000000000");
    slot.AddChild("shape").SetText(YString::FromUTF8("Kurve \xE2\x80\x93 \"<&>\""));
    settings.AddChild("Controllers");
    configuration.SetDefaultSettings(settings);
    settings.SetAttribute("Bypass", "0"); // changing the caller's tree afterwards changes nothing stored

    auto stored = configuration.DefaultSettings();
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->GetName().ToUTF8(), "Settings");
    EXPECT_EQ(stored->GetAttribute("Bypass").ToUTF8(), "1");
    stored->SetAttribute("Bypass", "7"); // nor does changing the copy handed out
    EXPECT_EQ(configuration.DefaultSettings()->GetAttribute("Bypass").ToUTF8(), "1");

    auto reread = Reopened().DefaultSettings();
    ASSERT_NE(reread, nullptr);
    ASSERT_EQ(reread->GetChildCount(), 2);
    const YXMLItem& preset = reread->GetChildAt(0);
    EXPECT_EQ(preset.GetName().ToUTF8(), "Preset3");
    EXPECT_EQ(preset.GetAttribute("parameterDepth").ToUTF8(), "0.500000000000");
    EXPECT_EQ(preset.GetChild("shape").GetText().ToUTF8(), "Kurve \xE2\x80\x93 \"<&>\"");
    EXPECT_EQ(reread->GetChildAt(1).GetName().ToUTF8(), "Controllers");

    // A second store replaces the first instead of adding to it.
    YXMLItem smaller("Settings");
    configuration.SetDefaultSettings(smaller);
    EXPECT_EQ(Reopened().DefaultSettings()->GetChildCount(), 0);
    configuration.ClearDefaultSettings();
    EXPECT_EQ(Reopened().DefaultSettings(), nullptr);
}

TEST_F(YGlobalConfigurationTest, UnknownKeysSurviveARewrite) {
    WriteAll(path,
             "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
             "<Configuration OnlineExchange=\"1\" TabletMode=\"1\"><Other a=\"b\">text</Other></Configuration>\n");
    configuration.UseFile(YString::FromUTF8(path));
    EXPECT_TRUE(configuration.TabletMode());
    configuration.SetConfirmationEnabled(false);
    auto document = LoadFile(path);
    EXPECT_EQ(document->GetAttribute("OnlineExchange").ToUTF8(), "1");
    EXPECT_EQ(document->GetAttribute("TabletMode").ToUTF8(), "1");
    EXPECT_EQ(document->GetChild("Other").GetAttribute("a").ToUTF8(), "b");
    EXPECT_EQ(document->GetChild("Other").GetText().ToUTF8(), "text");
}

TEST_F(YGlobalConfigurationTest, ValuesThatAreNotNumbersReadAsTheDefault) {
    const std::pair<const char*, bool> cases[] = {{"0", false}, {"1", true}, {"2", true}, {" 0 ", false},
                                                  {"", true},   {"yes", true}};
    for (auto [value, confirmation] : cases) {
        WriteAll(path, std::string("<Configuration ConfirmationEnabled=\"") + value + "\" TabletMode=\"" + value +
                           "\"/>");
        configuration.UseFile(YString::FromUTF8(path));
        EXPECT_EQ(configuration.ConfirmationEnabled(), confirmation) << value;
        // TabletMode defaults to off, so text that is not a number reads as off.
        const bool numeric = std::string(value).find_first_of("0123456789") != std::string::npos;
        EXPECT_EQ(configuration.TabletMode(), numeric && confirmation) << value;
    }
}

TEST_F(YGlobalConfigurationTest, UnreadableFileReadsAsEmptyAndIsKeptAsideOnTheFirstWrite) {
    WriteAll(path, "<Configuration TabletMode=\"1\"><unclosed>");
    configuration.UseFile(YString::FromUTF8(path));
    EXPECT_FALSE(configuration.TabletMode());
    EXPECT_TRUE(configuration.ConfirmationEnabled());
    configuration.SetTabletMode(false);
    EXPECT_EQ(ReadAll(path + ".unreadable"), "<Configuration TabletMode=\"1\"><unclosed>");
    EXPECT_EQ(LoadFile(path)->GetAttribute("TabletMode").ToUTF8(), "0");
}

TEST_F(YGlobalConfigurationTest, WriteFailureRaisesKeepsTheValueAndLeavesTheFileWhole) {
    configuration.SetTabletMode(true);
    const std::string before = ReadAll(path);
    // A folder where the temporary file would go makes every write fail.
    std::filesystem::create_directories(std::filesystem::u8path(path + ".tmp"));
    try {
        configuration.SetConfirmationEnabled(false);
        ADD_FAILURE() << "no exception";
    } catch (const YException& error) {
        EXPECT_EQ(error.Message().ToUTF8().rfind("Could not save the global configuration to \"" + path + "\".", 0), 0u)
            << error.Message().ToUTF8();
    }
    EXPECT_FALSE(configuration.ConfirmationEnabled());
    EXPECT_TRUE(configuration.TabletMode());
    EXPECT_EQ(ReadAll(path), before);

    // Setting the same value again retries the write once the obstacle is gone.
    EXPECT_THROW(configuration.SetConfirmationEnabled(false), YException);
    std::filesystem::remove(std::filesystem::u8path(path + ".tmp"));
    configuration.SetConfirmationEnabled(false);
    EXPECT_EQ(LoadFile(path)->GetAttribute("ConfirmationEnabled").ToUTF8(), "0");
}

TEST_F(YGlobalConfigurationTest, FileBelowARegularFileCannotBeWritten) {
    WriteAll(scratch.Path("plain"), "x");
    configuration.UseFile(YString::FromUTF8(scratch.Path("plain/GlobalConfiguration.xml")));
    EXPECT_TRUE(configuration.ConfirmationEnabled());
    EXPECT_THROW(configuration.SetTabletMode(true), YException);
    EXPECT_TRUE(configuration.TabletMode());
    EXPECT_EQ(ReadAll(scratch.Path("plain")), "x");
}

TEST_F(YGlobalConfigurationTest, ThreadingConcurrentChangesLeaveAConsistentFile) {
    std::atomic<int> failures{0};
    auto worker = [&](bool tablet) {
        for (int i = 0; i < 40; ++i) {
            try {
                if (tablet)
                    configuration.SetTabletMode(i % 2 == 0);
                else
                    configuration.SetConfirmationEnabled(i % 2 == 0);
                (void)configuration.TabletMode();
                (void)configuration.DefaultSettings();
            } catch (...) {
                ++failures;
            }
        }
    };
    std::thread a(worker, true), b(worker, false);
    a.join();
    b.join();
    EXPECT_EQ(failures.load(), 0);
    // The last writes were i = 39: both off.
    auto document = LoadFile(path);
    EXPECT_EQ(document->GetAttribute("TabletMode").ToUTF8(), "0");
    EXPECT_EQ(document->GetAttribute("ConfirmationEnabled").ToUTF8(), "0");
}

#ifndef _WIN32
TEST(YSPSTest, ConfigurationFolderIsCreatedBelowTheUsersApplicationData) {
    ScratchFolder scratch;
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", scratch.Path("config").c_str(), 1);
    const std::string expected = scratch.Path("config/Quenlor/YSPS/GlobalConfiguration.xml");
    EXPECT_EQ(YSPS::GetGlobalConfigurationFileName().ToUTF8(), expected);
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::u8path(scratch.Path("config/Quenlor/YSPS"))));

    // The process-wide instance finds its file there once pointed back at the default place.
    YGlobalConfiguration::Instance().UseFile(YString());
    EXPECT_EQ(YGlobalConfiguration::Instance().FileName().ToUTF8(), expected);
    EXPECT_EQ(&YGlobalConfiguration::Instance(), &YGlobalConfiguration::Instance());
    YGlobalConfiguration::Instance().SetTabletMode(true);
    EXPECT_EQ(LoadFile(expected)->GetAttribute("TabletMode").ToUTF8(), "1");

    // A configuration folder that cannot be created: defaults to read, a clear error to write.
    WriteAll(scratch.Path("blocked"), "x");
    setenv("XDG_CONFIG_HOME", scratch.Path("blocked").c_str(), 1);
    EXPECT_THROW(YSPS::GetConfigurationFolder(), YException);
    YGlobalConfiguration::Instance().UseFile(YString());
    EXPECT_FALSE(YGlobalConfiguration::Instance().TabletMode());
    EXPECT_EQ(YGlobalConfiguration::Instance().FileName().ToUTF8(), "");
    EXPECT_THROW(YGlobalConfiguration::Instance().SetTabletMode(true), YException);

    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    YGlobalConfiguration::Instance().UseFile(YString::FromUTF8(scratch.Path("unused.xml")));
}
#else
TEST(YSPSTest, ConfigurationFolderIsCreatedBelowTheUsersApplicationData) {
    const std::string name = YSPS::GetGlobalConfigurationFileName().ToUTF8();
    const std::string tail = "\\Quenlor\\YSPS\\GlobalConfiguration.xml";
    ASSERT_GT(name.size(), tail.size());
    EXPECT_EQ(name.substr(name.size() - tail.size()), tail);
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::u8path(name).parent_path()));
}
#endif
} // namespace
