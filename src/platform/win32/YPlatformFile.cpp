#include "platform/YPlatformFile.h"

#include "foundation/YString.h"

#include <string>
#include <windows.h>

namespace {
std::wstring Wide(const YString& text) {
    std::u16string utf16 = text.ToUTF16();
    return std::wstring(utf16.begin(), utf16.end());
}

bool IsDirectory(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
} // namespace

std::FILE* YPlatformFile::Open(const YString& path, const char* mode) {
    if (path.IsEmpty()) return nullptr;
    std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(Wide(path).c_str(), wideMode.c_str());
}

bool YPlatformFile::IsSeparator(char16_t c) { return c == u'/' || c == u'\\'; }

YString YPlatformFile::ParentDirectory(const YString& filePath) {
    int32_t end = filePath.Length();
    while (end > 0 && !IsSeparator(filePath[end - 1])) --end;
    while (end > 1 && IsSeparator(filePath[end - 1])) --end;
    // "C:" alone names a drive's current directory; keep the separator after it.
    if (end == 2 && filePath[1] == u':' && filePath.Length() > 2) ++end;
    return filePath.Substring(0, end);
}

bool YPlatformFile::CreateDirectories(const YString& directory) {
    std::wstring path = Wide(directory);
    while (path.size() > 1 && (path.back() == L'/' || path.back() == L'\\')) path.pop_back();
    if (path.empty()) return false;
    if (IsDirectory(path)) return true;
    for (std::size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != L'/' && path[pos] != L'\\') continue;
        std::wstring prefix = path.substr(0, pos);
        // Drive roots ("C:") and UNC prefixes cannot be created; skip what already exists.
        if (prefix.size() == 2 && prefix[1] == L':') continue;
        if (IsDirectory(prefix)) continue;
        if (!CreateDirectoryW(prefix.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            // Components of a UNC share name fail here; later components may still succeed.
            continue;
        }
    }
    return IsDirectory(path);
}

bool YPlatformFile::CreateParentDirectories(const YString& filePath) {
    YString parent = ParentDirectory(filePath);
    if (parent.IsEmpty()) return true;
    return CreateDirectories(parent);
}

bool YPlatformFile::Replace(const YString& source, const YString& target) {
    if (source.IsEmpty() || target.IsEmpty()) return false;
    return MoveFileExW(Wide(source).c_str(), Wide(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool YPlatformFile::Remove(const YString& path) {
    if (path.IsEmpty()) return false;
    if (DeleteFileW(Wide(path).c_str())) return true;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool YPlatformFile::Exists(const YString& path) {
    if (path.IsEmpty()) return false;
    DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

YPlatformFileStamp YPlatformFile::Stamp(const YString& path) {
    YPlatformFileStamp stamp;
    if (path.IsEmpty()) return stamp;
    // Opened without access rights: allowed even while another program writes the file.
    HANDLE file = CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return stamp;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(file, &info) != FALSE;
    CloseHandle(file);
    if (!known || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return stamp;
    stamp.exists = true;
    stamp.size = static_cast<int64_t>(static_cast<uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow);
    stamp.modified = static_cast<int64_t>(static_cast<uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32 |
                                          info.ftLastWriteTime.dwLowDateTime);
    stamp.identity = static_cast<uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
    stamp.volume = info.dwVolumeSerialNumber;
    return stamp;
}

bool YPlatformFile::Seek(std::FILE* file, int64_t offset, int origin) {
    return file && _fseeki64(file, offset, origin) == 0;
}

int64_t YPlatformFile::Tell(std::FILE* file) {
    if (!file) return -1;
    return _ftelli64(file);
}
