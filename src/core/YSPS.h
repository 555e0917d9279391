// YSPS: where the framework keeps its own files below the system folders.
#pragma once

#include "foundation/YString.h"

#include <cstdint>

class YSPS {
public:
    static constexpr const char* kConfigurationFolderName = "YSPS";
    static constexpr const char* kGlobalConfigurationName = "GlobalConfiguration.xml";

    // A standard folder by kind (YPlatformFolders::Kind); raises "Could not retrieve system path.".
    static YString GetSystemFolder(int32_t kind);
    // The user's application-data folder followed by "YSPS", created when missing. Raises when
    // the folder cannot be named or created.
    static YString GetConfigurationFolder();
    // The full name of "GlobalConfiguration.xml" in the configuration folder.
    static YString GetGlobalConfigurationFileName();
};
