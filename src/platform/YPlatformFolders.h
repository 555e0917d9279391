// The operating system's standard folders, named by a kind number that stays the same on
// every system. Windows asks the shell; Linux follows the XDG base-directory and user-dirs
// conventions (the mapping is listed in the README).
#pragma once

#include "foundation/YString.h"

#include <cstdint>

class YPlatformFolders {
public:
    enum Kind : int32_t {
        kCommonApplicationData = 0, // followed by the maker folder
        kApplicationData = 1,       // followed by the maker folder
        kDocuments = 2,
        kCommonDocuments = 3, // the user's documents when there is no shared one
        kUserDocuments = 4,
        kProgramFiles = 5,
        kCommonProgramFiles = 6,
        kCommonStartMenu = 7,
        kStartMenu = 8,
        kCommonPrograms = 9,
        kPrograms = 10,
        kCommonDesktop = 11,
        kDesktop = 12,
        kSystem = 13,
        kFonts = 14,
        kTemporary = 15,
    };
    static constexpr int32_t kKindCount = 16;
    // The maker folder below both application-data kinds.
    static constexpr const char* kMakerFolder = "Quenlor";

    // The folder without a trailing separator. Raises "Could not retrieve system path." (the
    // system's error text appended after a blank when there is one) when the system cannot
    // name it or the kind is unknown. Creates nothing.
    static YString Get(int32_t kind);

    // folder + separator + name (no doubled separator).
    static YString Child(const YString& folder, const YString& name);
};
