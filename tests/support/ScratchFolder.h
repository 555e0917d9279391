// A fresh folder below the system's temporary folder, removed with everything in it. The name
// carries a prefix, the time and a counter, so folders of one process never meet and test
// programs running side by side rarely do.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>

class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& prefix = "vornik-test-") {
        static std::atomic<int> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        m_root = std::filesystem::temp_directory_path() /
                 (prefix + std::to_string(stamp) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(m_root);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Root() const { return m_root; }
    // The folder itself, or name inside it, as UTF-8 with forward slashes (what the product's
    // file functions take on every system).
    std::string Path() const { return Utf8(m_root); }
    std::string Path(const std::string& name) const { return Utf8(m_root / std::filesystem::u8path(name)); }

private:
    static std::string Utf8(const std::filesystem::path& path) {
        const std::u8string text = path.generic_u8string();
        return std::string(text.begin(), text.end());
    }

    std::filesystem::path m_root;
};
