// YPresetTree: the user's presets in memory: a tree of folders ("Directory", attribute
// "Name") and presets ("preset", attribute "name", settings in "compressed"), in display
// order. The document root holds the top folder.
#pragma once

#include "foundation/YString.h"
#include "foundation/YXMLDocument.h"

#include <cstdint>
#include <memory>
#include <vector>

class YPresetTree {
public:
    static constexpr const char* kRootName = "Presets";
    static constexpr const char* kFolderItem = "Directory";
    static constexpr const char* kFolderNameAttribute = "Name";
    static constexpr const char* kPresetItem = "preset";

    // An empty tree: the root and an empty top folder.
    YPresetTree();

    // Takes over a loaded document. Its root keeps its name; the first "Directory" child is
    // the top folder (one is added when there is none).
    void Assign(std::unique_ptr<YXMLDocument> document);
    // Back to an empty tree.
    void Clear();

    const YXMLDocument& Document() const noexcept { return *m_document; }
    YXMLItem& TopFolder();

    static bool IsFolder(const YXMLItem& item);
    static bool IsPreset(const YXMLItem& item);
    // "Name" of a folder, "name" of a preset, empty for anything else.
    static YString ItemName(const YXMLItem& item);

    // The first child folder or preset of folder with exactly this name, or nullptr.
    static YXMLItem* FindFolder(const YXMLItem& folder, const YString& name);
    static YXMLItem* FindPreset(const YXMLItem& folder, const YString& name);
    // Follows folder names from the top folder; nullptr when one of them is missing.
    YXMLItem* FindFolderPath(const std::vector<YString>& names);

    // Appends a new folder.
    static YXMLItem& AddFolder(YXMLItem& folder, const YString& name);
    // Creates a preset at the end of folder, or replaces the settings of the first one of
    // that name where it stands.
    static YXMLItem& StorePreset(YXMLItem& folder, const YString& name, const YXMLItem& settings);

    // Where an item stands by name rather than by position: for each level below the top
    // folder, whether it is a folder, its name, and which of the siblings of that kind and name
    // it is. A key still finds its item after the tree was read again with items added or
    // removed around it (another instance's changes); positions would not.
    struct KeyStep {
        bool folder = false;
        YString name;
        int32_t ordinal = 0;
    };
    using Key = std::vector<KeyStep>;
    // The key of a folder or preset inside this tree's top folder (the top folder: empty).
    // Raises "Index out of range." for an item that is not below the top folder.
    Key KeyOf(const YXMLItem& item);
    // The item a key names, or nullptr when it is not in the tree.
    YXMLItem* Find(const Key& key);

    // Every preset of the tree in document order, folders depth first.
    std::vector<YXMLItem*> Presets();
    // The presets directly inside one folder, in order.
    static std::vector<YXMLItem*> PresetsIn(const YXMLItem& folder);

    // Converts every preset that still carries inline settings; returns how many.
    int32_t ConvertInlinePresets();

private:
    std::unique_ptr<YXMLDocument> m_document;
};
