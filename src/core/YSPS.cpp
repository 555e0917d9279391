#include "core/YSPS.h"

#include "foundation/YException.h"
#include "platform/YPlatformFile.h"
#include "platform/YPlatformFolders.h"

YString YSPS::GetSystemFolder(int32_t kind) { return YPlatformFolders::Get(kind); }

YString YSPS::GetConfigurationFolder() {
    YString folder = YPlatformFolders::Child(YPlatformFolders::Get(YPlatformFolders::kApplicationData),
                                             YString::Literal(kConfigurationFolderName));
    if (!YPlatformFile::CreateDirectories(folder))
        YRaiseFormat(YException::kGeneral, "Could not create folder \"{0}\".", folder);
    return folder;
}

YString YSPS::GetGlobalConfigurationFileName() {
    return YPlatformFolders::Child(GetConfigurationFolder(), YString::Literal(kGlobalConfigurationName));
}
