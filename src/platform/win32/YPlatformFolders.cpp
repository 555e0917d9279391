#include "platform/YPlatformFolders.h"

#include "foundation/YException.h"

#include <string>
#include <windows.h>
#include <shlobj.h>

namespace {
YString FromWide(const std::wstring& text) {
    return YString::FromUTF16(std::u16string(text.begin(), text.end()));
}

// The system's text for an error code, without the trailing line break; empty when none.
std::wstring SystemErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length > 0 && buffer) text.assign(buffer, length);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return text;
}

[[noreturn]] void RaiseNotRetrieved(DWORD code) {
    YString message("Could not retrieve system path.");
    std::wstring detail = code != 0 ? SystemErrorText(code) : std::wstring();
    if (!detail.empty()) message = message + YString(" ") + FromWide(detail);
    YRaise(message);
}

std::wstring WithoutTrailingSeparators(std::wstring path) {
    // Keep "C:\" whole.
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    return path;
}

bool ShellFolder(int csidl, std::wstring& folder, HRESULT& result) {
    wchar_t buffer[MAX_PATH + 1] = {};
    result = SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer);
    if (result != S_OK || buffer[0] == 0) return false;
    folder = WithoutTrailingSeparators(buffer);
    return true;
}

std::wstring ShellFolderOrRaise(int csidl) {
    std::wstring folder;
    HRESULT result = S_OK;
    if (!ShellFolder(csidl, folder, result)) {
        // The shell reports Win32 failures as HRESULTs; FormatMessage knows both forms.
        RaiseNotRetrieved(result == S_FALSE ? ERROR_PATH_NOT_FOUND : static_cast<DWORD>(result));
    }
    return folder;
}

std::wstring Resolve(int32_t kind) {
    const std::wstring maker = L"\\Quenlor";
    switch (kind) {
    case YPlatformFolders::kCommonApplicationData:
        return ShellFolderOrRaise(CSIDL_COMMON_APPDATA) + maker;
    case YPlatformFolders::kApplicationData:
        return ShellFolderOrRaise(CSIDL_APPDATA) + maker;
    case YPlatformFolders::kDocuments:
    case YPlatformFolders::kUserDocuments:
        return ShellFolderOrRaise(CSIDL_PERSONAL);
    case YPlatformFolders::kCommonDocuments: {
        std::wstring folder;
        HRESULT result = S_OK;
        if (ShellFolder(CSIDL_COMMON_DOCUMENTS, folder, result)) return folder;
        return ShellFolderOrRaise(CSIDL_PERSONAL);
    }
    case YPlatformFolders::kProgramFiles:
        return ShellFolderOrRaise(CSIDL_PROGRAM_FILES);
    case YPlatformFolders::kCommonProgramFiles:
        return ShellFolderOrRaise(CSIDL_PROGRAM_FILES_COMMON);
    case YPlatformFolders::kCommonStartMenu:
        return ShellFolderOrRaise(CSIDL_COMMON_STARTMENU);
    case YPlatformFolders::kStartMenu:
        return ShellFolderOrRaise(CSIDL_STARTMENU);
    case YPlatformFolders::kCommonPrograms:
        return ShellFolderOrRaise(CSIDL_COMMON_PROGRAMS);
    case YPlatformFolders::kPrograms:
        return ShellFolderOrRaise(CSIDL_PROGRAMS);
    case YPlatformFolders::kCommonDesktop:
        return ShellFolderOrRaise(CSIDL_COMMON_DESKTOPDIRECTORY);
    case YPlatformFolders::kDesktop:
        return ShellFolderOrRaise(CSIDL_DESKTOPDIRECTORY);
    case YPlatformFolders::kSystem:
        return ShellFolderOrRaise(CSIDL_WINDOWS);
    case YPlatformFolders::kFonts:
        return ShellFolderOrRaise(CSIDL_FONTS);
    case YPlatformFolders::kTemporary: {
        wchar_t buffer[MAX_PATH + 2] = {};
        DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
        if (length > 0 && length <= MAX_PATH + 1) return WithoutTrailingSeparators(buffer);
        return ShellFolderOrRaise(CSIDL_WINDOWS) + L"\\temp";
    }
    default:
        RaiseNotRetrieved(0);
    }
}
} // namespace

YString YPlatformFolders::Get(int32_t kind) { return FromWide(Resolve(kind)); }

YString YPlatformFolders::Child(const YString& folder, const YString& name) {
    if (folder.IsEmpty()) return name;
    char16_t last = folder[folder.Length() - 1];
    if (last == u'\\' || last == u'/') return folder + name;
    return folder + YString("\\") + name;
}
