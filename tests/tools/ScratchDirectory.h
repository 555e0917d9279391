// A fresh directory under the system's temporary folder, removed with everything in it.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>

class ScratchDirectory {
public:
    ScratchDirectory() {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        m_path = std::filesystem::temp_directory_path() / ("vornik-host-test-" + std::to_string(stamp));
        std::filesystem::create_directories(m_path);
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::string Path(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};
