#include "platform/YPlatformModule.h"

#include "foundation/YString.h"

#include <string>
#include <windows.h>

void* YPlatformModuleHandleOf(const void* address) noexcept {
    HMODULE module = nullptr;
    if (address == nullptr ||
        !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCWSTR>(address), &module))
        return nullptr;
    return module;
}

void* YPlatformProcessModuleHandle() noexcept { return GetModuleHandleW(nullptr); }

void YPlatformShowFatalError(const YString& text) noexcept {
    try {
        const std::u16string utf16 = text.ToUTF16();
        const std::wstring wide(utf16.begin(), utf16.end());
        MessageBoxW(nullptr, wide.c_str(), L"", MB_OK | MB_ICONEXCLAMATION);
    } catch (...) {
    }
}
