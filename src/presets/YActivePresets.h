// YActivePresets: the active presets a product offers, read from the file of product name +
// "presets.active" (read-only for the plug-in). Root attribute "NamePrefix"; one "preset"
// child per active preset with "Name" and its settings inline in the state layout.
// YActivePresetFileLoader reads that file from the product's data folder for the frame.
#pragma once

#include "core/YActivePresetCatalog.h"
#include "foundation/YString.h"
#include "foundation/YXMLItem.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class YActivePresets : public YActivePresetCatalog {
public:
    // Reads the file; a missing file gives no active presets. A malformed file raises with
    // the file's name and the fault, and the list stays as it was.
    void Load(const YString& fileName);

    const YString& NamePrefix() const noexcept { return m_prefix; }
    int32_t Count() const noexcept override { return static_cast<int32_t>(m_presets.size()); }
    // NamePrefix followed by the preset's Name. Raises "Index out of range." outside 0..Count-1.
    YString DisplayName(int32_t index) const override;
    // The settings of one active preset (root "settings").
    const YXMLItem& Settings(int32_t index) const override;

private:
    struct Entry {
        YString name;
        std::unique_ptr<YXMLItem> settings;
    };
    YString m_prefix;
    std::vector<Entry> m_presets;
};

class YActivePresetFileLoader : public YActivePresetLoader {
public:
    // folder: where the file is; empty means the product's data folder (YPresetLibrary).
    explicit YActivePresetFileLoader(YString folder = YString()) : m_folder(std::move(folder)) {}
    // Reads product name + "presets.active"; null when there is no such file. Raises when
    // the file cannot be read or the data folder cannot be named.
    std::unique_ptr<YActivePresetCatalog> Load(const YString& productName) const override;

private:
    YString m_folder;
};
