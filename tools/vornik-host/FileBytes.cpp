#include "FileBytes.h"

#include "PluginHost.h"
#include "foundation/YString.h"
#include "platform/YPlatformFile.h"

#include <cstdio>

namespace FileBytes {

std::vector<uint8_t> Read(const std::string& path) {
    std::FILE* file = YPlatformFile::Open(YString::FromUTF8(path), "rb");
    if (!file) throw HostError("Could not open \"" + path + "\"");
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof(chunk), file)) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) throw HostError("Could not read \"" + path + "\"");
    return bytes;
}

void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
    YPlatformFile::CreateParentDirectories(YString::FromUTF8(path));
    std::FILE* file = YPlatformFile::Open(YString::FromUTF8(path), "wb");
    if (!file) throw HostError("Could not create \"" + path + "\"");
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) throw HostError("Could not write \"" + path + "\"");
}

} // namespace FileBytes
