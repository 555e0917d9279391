#include "platform/YPlatformDirectory.h"

#include "platform/YPlatformFolders.h"

#include <string>
#include <windows.h>

namespace {

std::wstring Wide(const YString& text) {
    std::u16string utf16 = text.ToUTF16();
    return std::wstring(utf16.begin(), utf16.end());
}

YString Narrow(const std::wstring& text) {
    return YString::FromUTF16(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

void List(const std::wstring& folder, std::vector<YString>& files, int32_t depth, size_t maxFiles) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (depth > 0) List(path, files, depth - 1, maxFiles);
        } else {
            files.push_back(Narrow(path));
        }
    } while (files.size() < maxFiles && FindNextFileW(find, &data));
    FindClose(find);
}

} // namespace

void YPlatformDirectory::ListFiles(const YString& folder, std::vector<YString>& files, int32_t maxDepth,
                                   size_t maxFiles) {
    if (folder.IsEmpty()) return;
    std::wstring path = Wide(folder);
    while (path.size() > 1 && (path.back() == L'/' || path.back() == L'\\')) path.pop_back();
    List(path, files, maxDepth, maxFiles);
}

std::vector<YString> YPlatformDirectory::FontFolders() {
    std::vector<YString> folders;
    try {
        folders.push_back(YPlatformFolders::Get(YPlatformFolders::kFonts));
    } catch (...) {
        // Without a shell folder the system root's Fonts below is the guess.
    }
    wchar_t buffer[MAX_PATH + 1] = {};
    if (GetWindowsDirectoryW(buffer, MAX_PATH) > 0) folders.push_back(Narrow(std::wstring(buffer) + L"\\Fonts"));
    const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH) folders.push_back(Narrow(std::wstring(buffer) + L"\\Microsoft\\Windows\\Fonts"));
    return folders;
}
