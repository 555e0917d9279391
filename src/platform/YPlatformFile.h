// File services of the operating system: opening C-runtime files by YString path,
// creating directories and 64-bit positioning.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

class YString;

// What tells one version of a file from the next without reading it: whether it exists, its
// size, its last modification time at the finest resolution the system keeps, and the
// file's identity on its volume (inode or file index), which changes whenever a new file is
// moved over the old one. Two writes within one tick of the system's clock that leave the
// same size in the same file look alike; whoever needs certainty adds a counter of its own.
struct YPlatformFileStamp {
    bool exists = false;
    int64_t size = 0;
    int64_t modified = 0; // nanoseconds (posix) or 100-nanosecond units (Windows) since an epoch
    uint64_t identity = 0;
    uint64_t volume = 0;

    bool operator==(const YPlatformFileStamp&) const = default;
};

class YPlatformFile {
public:
    // Opens path with a C-runtime mode ("rb", "r+b", "w+b"); nullptr on failure.
    static std::FILE* Open(const YString& path, const char* mode);

    // Creates directory and every missing parent (mkdir -p). Returns false if the
    // directory does not exist afterwards.
    static bool CreateDirectories(const YString& directory);

    // Creates the missing directories above a file path (nothing when it has none).
    static bool CreateParentDirectories(const YString& filePath);

    // The directory part of a path (without the trailing separator), empty when none.
    static YString ParentDirectory(const YString& filePath);

    // Moves source over target in one step, replacing a target that exists, so that readers
    // see either the old or the new file and never a half-written one. True on success.
    static bool Replace(const YString& source, const YString& target);
    // Deletes a file; true when it is gone afterwards (also when it never existed).
    static bool Remove(const YString& path);
    // Whether path names an existing regular file.
    static bool Exists(const YString& path);
    // The stamp of the file at path; exists is false when there is no regular file there.
    static YPlatformFileStamp Stamp(const YString& path);

    // Reads the whole file at path into bytes, refusing a file larger than maxBytes before it
    // grows the buffer past that; bytes is left empty unless the result is kRead.
    enum class ReadResult { kRead, kMissing, kTooLarge, kFailed };
    static ReadResult ReadAll(const YString& path, size_t maxBytes, std::vector<uint8_t>& bytes);

    // 64-bit seek (origin SEEK_SET, SEEK_CUR or SEEK_END); true on success.
    static bool Seek(std::FILE* file, int64_t offset, int origin);
    // 64-bit position, -1 on failure.
    static int64_t Tell(std::FILE* file);

    // Whether c separates path components on this system.
    static bool IsSeparator(char16_t c);
};
