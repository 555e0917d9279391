#include "platform/YPlatformHostText.h"

#include <windows.h>

std::string YPlatformHostText(std::u16string_view utf16) {
    if (utf16.empty()) return std::string();
    const auto* wide = reinterpret_cast<const wchar_t*>(utf16.data());
    const int length = static_cast<int>(utf16.size());
    const int size = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, "?", nullptr);
    if (size <= 0) return std::string(utf16.size(), '?');
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, length, out.data(), size, "?", nullptr);
    return out;
}
