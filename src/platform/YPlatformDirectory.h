// Listing the files below a folder, and the folders where the system keeps its fonts.
#pragma once

#include "foundation/YString.h"

#include <cstdint>
#include <vector>

class YPlatformDirectory {
public:
    // Appends the full paths of the regular files in folder and, down to maxDepth levels,
    // in its subfolders, until files holds maxFiles entries. Symbolic links to folders are
    // not followed (no cycles). A folder that cannot be read adds nothing.
    static void ListFiles(const YString& folder, std::vector<YString>& files, int32_t maxDepth, size_t maxFiles);

    // The folders the system's fonts are installed in, existing or not. Linux: the <dir>
    // entries of fontconfig's own configuration file (read as text, so no fontconfig library
    // is needed at run time) plus the usual system and per-user folders; Windows: the fonts
    // folder and the per-user fonts folder.
    static std::vector<YString> FontFolders();
};
