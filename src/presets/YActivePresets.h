// YActivePresets: the active presets a product offers, read from the file of product name +
// "presets.active" (read-only for the plug-in). Root attribute "NamePrefix"; one "preset"
// child per active preset with "Name" and its settings inline in the state layout.
#pragma once

#include "foundation/YString.h"
#include "foundation/YXMLItem.h"

#include <cstdint>
#include <memory>
#include <vector>

class YActivePresets {
public:
    // Reads the file; a missing file gives no active presets. A malformed file raises with
    // the file's name and the fault, and the list stays as it was.
    void Load(const YString& fileName);

    const YString& NamePrefix() const noexcept { return m_prefix; }
    int32_t Count() const noexcept { return static_cast<int32_t>(m_presets.size()); }
    // NamePrefix followed by the preset's Name. Raises "Index out of range." outside 0..Count-1.
    YString DisplayName(int32_t index) const;
    // The settings of one active preset (root "settings").
    const YXMLItem& Settings(int32_t index) const;

private:
    struct Entry {
        YString name;
        std::unique_ptr<YXMLItem> settings;
    };
    YString m_prefix;
    std::vector<Entry> m_presets;
};
