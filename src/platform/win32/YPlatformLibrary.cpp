#include "platform/YPlatformLibrary.h"

#include <string>
#include <windows.h>

namespace {
std::wstring Wide(const YString& text) {
    std::u16string utf16 = text.ToUTF16();
    return std::wstring(utf16.begin(), utf16.end());
}

// The system's message for an error code, without its trailing line break.
std::string SystemReason(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::u16string text;
    if (length && buffer) text.assign(buffer, buffer + length);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u' ')) text.pop_back();
    std::string reason = YString::FromUTF16(text).ToUTF8();
    if (reason.empty()) reason = "system error";
    return reason + " (error " + std::to_string(code) + ")";
}
} // namespace

bool YPlatformLibrary::Open(const YString& path) {
    if (m_handle) {
        m_error = YString::FromUTF8("Could not load \"" + path.ToUTF8() + "\": a library is open already (\"" +
                                    m_path.ToUTF8() + "\")");
        return false;
    }
    if (path.IsEmpty()) {
        m_error = YString::Literal("Could not load a library: no path given");
        return false;
    }
    // No error dialogue boxes: a failed load is reported to the caller only.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryW(Wide(path).c_str());
    const DWORD code = module ? 0 : GetLastError();
    SetErrorMode(previousMode);
    if (!module) {
        m_error = YString::FromUTF8("Could not load \"" + path.ToUTF8() + "\": " + SystemReason(code));
        return false;
    }
    m_handle = module;
    m_path = path;
    m_error = YString();
    return true;
}

void YPlatformLibrary::Close() noexcept {
    if (!m_handle) return;
    FreeLibrary(static_cast<HMODULE>(m_handle));
    m_handle = nullptr;
}

void* YPlatformLibrary::Symbol(const char* name) {
    if (!m_handle) {
        m_error = YString::FromUTF8(std::string("Could not find \"") + name + "\": no library is open");
        return nullptr;
    }
    FARPROC address = GetProcAddress(static_cast<HMODULE>(m_handle), name);
    if (!address) {
        m_error = YString::FromUTF8(std::string("Could not find \"") + name + "\" in \"" + m_path.ToUTF8() +
                                    "\": " + SystemReason(GetLastError()));
        return nullptr;
    }
    m_error = YString();
    return reinterpret_cast<void*>(address);
}
