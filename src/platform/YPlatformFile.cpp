#include "platform/YPlatformFile.h"

#include <memory>

YPlatformFile::ReadResult YPlatformFile::ReadAll(const YString& path, size_t maxBytes, std::vector<uint8_t>& bytes) {
    bytes.clear();
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(Open(path, "rb"), &std::fclose);
    if (!file) return ReadResult::kMissing;
    // The size is only a hint (the file may change while it is read), so the limit is checked
    // again on every piece.
    if (Seek(file.get(), 0, SEEK_END)) {
        const int64_t size = Tell(file.get());
        if (size > 0 && static_cast<uint64_t>(size) > maxBytes) return ReadResult::kTooLarge;
        if (size > 0) bytes.reserve(static_cast<size_t>(size));
        if (!Seek(file.get(), 0, SEEK_SET)) return ReadResult::kFailed;
    }
    uint8_t piece[65536];
    size_t count;
    while ((count = std::fread(piece, 1, sizeof piece, file.get())) > 0) {
        if (count > maxBytes - bytes.size()) {
            bytes.clear();
            return ReadResult::kTooLarge;
        }
        bytes.insert(bytes.end(), piece, piece + count);
    }
    if (std::ferror(file.get())) {
        bytes.clear();
        return ReadResult::kFailed;
    }
    return ReadResult::kRead;
}
