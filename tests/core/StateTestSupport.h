// What the tests of the product plug-in's state share: defaults read from a configuration file of
// the test's own (none at first), and a state saved and decoded.
#pragma once

#include "core/YGlobalConfiguration.h"
#include "core/YQuenlorAudioEffectPlugin.h"
#include "foundation/YMemoryStream.h"
#include "foundation/YXMLDocument.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace frametest {

// Points the global configuration at a file in a fresh folder named prefix + a time stamp, and
// removes the folder afterwards.
class OwnConfigurationTest : public ::testing::Test {
protected:
    explicit OwnConfigurationTest(const char* prefix) : m_prefix(prefix) {}

    void SetUp() override {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        m_folder = std::filesystem::temp_directory_path() / (m_prefix + std::to_string(stamp));
        std::filesystem::create_directories(m_folder);
        const std::u8string path = (m_folder / "GlobalConfiguration.xml").generic_u8string();
        YGlobalConfiguration::Instance().UseFile(YString::FromUTF8(std::string(path.begin(), path.end())));
    }
    void TearDown() override {
        YGlobalConfiguration::Instance().UseFile(YString());
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }

private:
    std::string m_prefix;
    std::filesystem::path m_folder;
};

inline std::vector<uint8_t> Save(YQuenlorAudioEffectPlugin& plugin) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(plugin.SaveState(bytes));
    return bytes;
}

inline std::unique_ptr<YXMLDocument> Decode(const std::vector<uint8_t>& bytes) {
    YMemoryStream stream;
    stream.Attach(bytes.data(), static_cast<int32_t>(bytes.size()));
    auto document = std::make_unique<YXMLDocument>();
    document->LoadCompressed(stream);
    return document;
}

} // namespace frametest
