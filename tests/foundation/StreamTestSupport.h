// Helpers shared by the stream and XML tests.
#pragma once

#include "foundation/YException.h"
#include "foundation/YStream.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// The message and code of the YException that f raises; a failure when it raises nothing.
// Joins texts by appending (GCC 12 warns falsely about literal + std::string at -O3).
template <typename... Parts> std::string Cat(const Parts&... parts) {
    std::string text;
    (text.append(parts), ...);
    return text;
}

struct RaisedError {
    std::string message;
    int32_t code = -1;
};

template <typename F> RaisedError Raised(F&& f) {
    try {
        f();
    } catch (const YException& e) {
        return {e.Message().ToUTF8(), e.ErrorCode()};
    }
    ADD_FAILURE() << "nothing was raised";
    return {};
}

// A fresh directory below the system's temporary directory, removed with everything in it.
class TempDirectory {
public:
    TempDirectory() {
        static std::atomic<int> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        m_path = std::filesystem::temp_directory_path() /
                 Cat("vornik-test-", std::to_string(stamp), "-", std::to_string(counter++));
        std::filesystem::create_directories(m_path);
    }
    ~TempDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::filesystem::path& Path() const { return m_path; }
    // The path of name inside the directory, as UTF-8 with forward slashes.
    std::string File(const std::string& name) const {
        std::u8string text = (m_path / name).generic_u8string();
        return std::string(text.begin(), text.end());
    }

private:
    std::filesystem::path m_path;
};
