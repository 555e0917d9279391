#include "platform/YPlatformFile.h"

#include "foundation/YString.h"

#include <cerrno>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace {
bool IsDirectory(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
} // namespace

std::FILE* YPlatformFile::Open(const YString& path, const char* mode) {
    if (path.IsEmpty()) return nullptr;
    return std::fopen(path.ToUTF8().c_str(), mode);
}

bool YPlatformFile::IsSeparator(char16_t c) { return c == u'/'; }

YString YPlatformFile::ParentDirectory(const YString& filePath) {
    int32_t end = filePath.Length();
    while (end > 0 && !IsSeparator(filePath[end - 1])) --end;
    // Drop the separator itself, but keep "/" for a file in the root.
    while (end > 1 && IsSeparator(filePath[end - 1])) --end;
    return filePath.Substring(0, end);
}

bool YPlatformFile::CreateDirectories(const YString& directory) {
    std::string path = directory.ToUTF8();
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (path.empty()) return false;
    if (IsDirectory(path)) return true;
    // Walk the components left to right, creating each missing one.
    for (std::size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/') continue;
        std::string prefix = path.substr(0, pos);
        if (mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return false;
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
    return std::rename(source.ToUTF8().c_str(), target.ToUTF8().c_str()) == 0;
}

bool YPlatformFile::Remove(const YString& path) {
    if (path.IsEmpty()) return false;
    return unlink(path.ToUTF8().c_str()) == 0 || errno == ENOENT;
}

bool YPlatformFile::Exists(const YString& path) {
    struct stat info {};
    return !path.IsEmpty() && stat(path.ToUTF8().c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

YPlatformFileStamp YPlatformFile::Stamp(const YString& path) {
    YPlatformFileStamp stamp;
    struct stat info {};
    if (path.IsEmpty() || stat(path.ToUTF8().c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return stamp;
    stamp.exists = true;
    stamp.size = static_cast<int64_t>(info.st_size);
    stamp.modified = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamp.identity = static_cast<uint64_t>(info.st_ino);
    stamp.volume = static_cast<uint64_t>(info.st_dev);
    return stamp;
}

bool YPlatformFile::Seek(std::FILE* file, int64_t offset, int origin) {
    return file && fseeko(file, static_cast<off_t>(offset), origin) == 0;
}

int64_t YPlatformFile::Tell(std::FILE* file) {
    if (!file) return -1;
    return static_cast<int64_t>(ftello(file));
}
