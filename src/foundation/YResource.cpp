#include "foundation/YResource.h"

#include "foundation/YException.h"
#include "foundation/YString.h"

#include <zlib.h>

#include <algorithm>

namespace {

[[noreturn]] void RaiseDamaged(const YEmbeddedResource& resource, const char* reason) {
    YRaiseFormat(YException::kGeneral, "Resource \"{0}\" is damaged: {1}.", YString::FromUTF8(resource.name ? resource.name : ""),
                 YString::FromUTF8(reason));
}

// The length the gzip trailer claims (modulo 2^32), used only as a first reservation: never
// more than deflate can expand the data to (at most about 1032 to 1).
size_t ClaimedLength(const YEmbeddedResource& resource) {
    if (resource.size < 18) return 0;
    const uint8_t* tail = resource.bytes + resource.size - 4;
    const uint32_t length = static_cast<uint32_t>(tail[0]) | static_cast<uint32_t>(tail[1]) << 8 |
                            static_cast<uint32_t>(tail[2]) << 16 | static_cast<uint32_t>(tail[3]) << 24;
    return std::min<size_t>({length, resource.size * 1032, YResource::kMaxInflatedBytes});
}

struct Inflater {
    z_stream z{};
    bool open = false;
    ~Inflater() {
        if (open) inflateEnd(&z);
    }
};

} // namespace

std::vector<uint8_t> YResource::Inflate(const YEmbeddedResource& resource) {
    if (!resource.bytes || resource.size == 0) RaiseDamaged(resource, "no data");
    if (resource.size > static_cast<size_t>(UINT32_MAX)) RaiseDamaged(resource, "too large");

    Inflater inflater;
    // 16 + 15: a gzip member with the largest window; zlib checks the CRC-32 and the length.
    if (inflateInit2(&inflater.z, 16 + MAX_WBITS) != Z_OK) YRaise("Could not initialize inflating.");
    inflater.open = true;
    z_stream& z = inflater.z;
    z.next_in = const_cast<Bytef*>(resource.bytes);
    z.avail_in = static_cast<uInt>(resource.size);

    std::vector<uint8_t> out(std::max<size_t>(ClaimedLength(resource), 256));
    size_t produced = 0;
    for (;;) {
        if (produced == out.size()) {
            if (out.size() >= kMaxInflatedBytes) RaiseDamaged(resource, "larger than the limit");
            out.resize(std::min(out.size() * 2, kMaxInflatedBytes));
        }
        z.next_out = out.data() + produced;
        z.avail_out = static_cast<uInt>(out.size() - produced);
        const int result = inflate(&z, Z_NO_FLUSH);
        produced = out.size() - z.avail_out;
        if (result == Z_STREAM_END) break;
        if (result == Z_OK) continue;
        if (result == Z_BUF_ERROR && z.avail_in == 0) RaiseDamaged(resource, "the data ends too early");
        if (result == Z_BUF_ERROR) continue; // output full: grow and go on
        RaiseDamaged(resource, z.msg ? z.msg : "not gzip data");
    }
    // One member exactly: anything after it is not ours.
    if (z.avail_in != 0) RaiseDamaged(resource, "bytes after the end of the data");
    out.resize(produced);
    return out;
}
