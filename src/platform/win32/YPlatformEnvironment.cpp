#include "platform/YPlatformEnvironment.h"

#include <string>
#include <windows.h>

bool YPlatformEnvironment::Get(const char* name, YString& value) {
    const std::wstring wide(name, name + std::char_traits<char>::length(name));
    SetLastError(ERROR_SUCCESS);
    const DWORD needed = GetEnvironmentVariableW(wide.c_str(), nullptr, 0);
    if (needed == 0) return false;
    std::wstring text(needed, L'\0');
    const DWORD length = GetEnvironmentVariableW(wide.c_str(), text.data(), needed);
    if (length >= needed) return false;
    text.resize(length);
    value = YString(reinterpret_cast<const char16_t*>(text.c_str()), static_cast<int32_t>(length));
    return true;
}
