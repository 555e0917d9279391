// YFactoryPresets: the presets the product ships with. They are built into the binary (the
// folder files of resources/presets, assembled at build time, and the active presets file)
// and written into the data folder when it has no preset file of its own yet, so the user has
// a library from the first start with no install step. A file that exists is never replaced.
#pragma once

#include "foundation/YString.h"
#include "foundation/YXMLDocument.h"

#include <memory>

class YFactoryPresets {
public:
    // The factory library as a preset-file document, every preset in the compressed form.
    static std::unique_ptr<YXMLDocument> Library();
    // The active presets file's document (root "NamePrefix", "preset" children).
    static std::unique_ptr<YXMLDocument> ActivePresets();

    struct InstallResult {
        bool libraryWritten = false;
        bool activeWritten = false;
    };
    // Writes the factory library as the preset file of folder (through the library's locked
    // change, so the check for an existing file and the write are one step against other
    // instances), and the active presets file, each only when it does not exist. Creates the
    // folder. Raises when a file cannot be written; what exists stays as it was.
    static InstallResult InstallIfMissing(const YString& folder, const YString& productName);
};
