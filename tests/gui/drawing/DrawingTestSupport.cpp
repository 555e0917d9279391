#include "DrawingTestSupport.h"

#include <zlib.h>

#include <cstdio>
#include <vector>

namespace drawing_test {
namespace {

void Put32(std::vector<unsigned char>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(v >> shift));
}

void Chunk(std::vector<unsigned char>& file, const char* type, const std::vector<unsigned char>& data) {
    Put32(file, static_cast<uint32_t>(data.size()));
    const size_t start = file.size();
    file.insert(file.end(), type, type + 4);
    file.insert(file.end(), data.begin(), data.end());
    Put32(file, static_cast<uint32_t>(crc32(0, file.data() + start, static_cast<uInt>(file.size() - start))));
}

} // namespace

bool WritePng(const YBaseBitmap& bitmap, const std::string& path) {
    const int32_t w = bitmap.Width(), h = bitmap.Height();
    std::vector<unsigned char> raw;
    raw.reserve(static_cast<size_t>(h) * (static_cast<size_t>(w) * 4 + 1));
    for (int32_t y = 0; y < h; ++y) {
        raw.push_back(0); // no filter
        for (int32_t x = 0; x < w; ++x) {
            const YColor c = bitmap.At(x, y);
            raw.insert(raw.end(), {c.r, c.g, c.b, c.a});
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<unsigned char> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK) return false;
    packed.resize(packedSize);

    std::vector<unsigned char> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    Put32(header, static_cast<uint32_t>(w));
    Put32(header, static_cast<uint32_t>(h));
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA
    Chunk(file, "IHDR", header);
    Chunk(file, "IDAT", packed);
    Chunk(file, "IEND", {});
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && ok;
}

std::string SnapshotPath(const std::string& name) { return name; }

} // namespace drawing_test
