// Scratch folders, file helpers and tree comparison for the preset tests.
#pragma once

#include "foundation/YMemoryStream.h"
#include "foundation/YString.h"
#include "foundation/YXMLDocument.h"
#include "presets/YPresetContent.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace presets_test {

class ScratchFolder {
public:
    ScratchFolder() {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        m_path = std::filesystem::temp_directory_path() / ("vornik-presets-" + std::to_string(stamp));
        std::filesystem::create_directories(m_path);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string Path(const std::string& name = std::string()) const {
        std::u8string text = (name.empty() ? m_path : m_path / std::filesystem::u8path(name)).generic_u8string();
        return std::string(text.begin(), text.end());
    }
    YString Folder() const { return YString::FromUTF8(Path()); }
    YString File(const std::string& name) const { return YString::FromUTF8(Path(name)); }

    // The names in the folder, sorted, for "nothing else appeared" checks.
    std::string Listing() const {
        std::string names;
        std::vector<std::string> all;
        for (const auto& entry : std::filesystem::directory_iterator(m_path)) {
            std::u8string name = entry.path().filename().u8string();
            all.emplace_back(name.begin(), name.end());
        }
        std::sort(all.begin(), all.end());
        for (const std::string& name : all) names += name + ";";
        return names;
    }

private:
    std::filesystem::path m_path;
};

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& path, const std::string& text) {
    std::ofstream(std::filesystem::u8path(path), std::ios::binary) << text;
}

// The compact text of a tree: equal texts mean equal names, attributes, texts and order.
inline std::string Compact(const YXMLItem& item) {
    YXMLDocument document(item.GetName());
    YPresetContent::CopyTree(item, document);
    YMemoryStream stream;
    document.Save(stream, "utf-8", true);
    return std::string(reinterpret_cast<const char*>(stream.GetData()), static_cast<size_t>(stream.GetSize()));
}

// A settings tree as a plug-in would store it: attributes, a nested child, texts that need
// escaping and text beyond Latin-1.
inline std::unique_ptr<YXMLDocument> SampleSettings(const std::string& depth = "0.5") {
    auto settings = std::make_unique<YXMLDocument>(YString::Literal("settings"));
    settings->SetAttribute("Version", "461312");
    settings->SetAttribute("parameterDepth", YString::FromUTF8(depth));
    settings->SetAttribute("Note", YString::FromUTF8("a<b & \"c\" 'd'\nline \xD0\x96\xE6\x9D\xB1"));
    YXMLItem& shape = settings->AddChild("shape");
    shape.SetAttribute("Kind", "2");
    shape.AddChild("Point").SetAttribute("x", "0.25");
    shape.AddChild("Point").SetAttribute("x", "0.75");
    return settings;
}

} // namespace presets_test
