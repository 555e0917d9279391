// YPresetLibrary: the preset file of one product (product name + "presets.xml") in a data
// folder, and the tree it holds. Written only through YPresetFileWriter, so the file on disk
// is always a whole one, with the version before the last save kept as a backup.
#pragma once

#include "foundation/YString.h"
#include "presets/YPresetTree.h"

#include <cstdint>

class YPresetLibrary {
public:
    static constexpr const char* kPresetFileSuffix = "presets.xml";
    static constexpr const char* kActiveFileSuffix = "presets.active";

    // The product's data folder: the user's application-data folder (kind 1) followed by the
    // product name. Raises "Could not retrieve system path." when the system cannot name it.
    // Creates nothing.
    static YString DataFolder(const YString& productName);

    YPresetLibrary(const YString& folder, const YString& productName);

    const YString& FileName() const noexcept { return m_fileName; }
    // The active presets file in the same folder.
    const YString& ActiveFileName() const noexcept { return m_activeFileName; }

    struct LoadResult {
        // Presets found in the older inline form and converted.
        int32_t converted = 0;
        // Whether the converted tree was written back; when it could not be, notice says why
        // (the converted tree is still in memory and the next save writes it).
        bool rewritten = false;
        YString notice;
    };

    // Reads the file; a missing file gives an empty tree. A file that cannot be parsed
    // raises (the message names the file and the fault), leaves the tree empty and the file
    // untouched; the next Save moves it aside before writing.
    LoadResult Load();

    // Writes the whole tree. Raises when the file cannot be written; the file on disk is then
    // the previous one. Returns a message for the user when an unreadable file had to be
    // set aside first (empty otherwise).
    YString Save();

    YPresetTree& Tree() noexcept { return m_tree; }
    // Whether the last Load found a file it could not read.
    bool HasUnreadableFile() const noexcept { return m_unreadable; }

private:
    YString m_fileName;
    YString m_activeFileName;
    YPresetTree m_tree;
    bool m_unreadable = false;
};
