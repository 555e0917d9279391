#include "gui/drawing/YImageDecoder.h"

#include "foundation/YException.h"
#include "platform/YPlatformFile.h"

#include <cstdio>
#include <cstring>
#include <vector>

YBitmap YImageDecoder::Decode(const uint8_t* data, size_t size) {
    static const uint8_t png[] = {0x89, 'P', 'N', 'G'};
    if (size >= 4 && std::memcmp(data, png, 4) == 0) return DecodePNG(data, size);
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return DecodeJPEG(data, size);
    if (size >= 4 && ((data[0] == 'I' && data[1] == 'I' && (data[2] == 42 || data[2] == 43) && data[3] == 0) ||
                      (data[0] == 'M' && data[1] == 'M' && data[2] == 0 && (data[3] == 42 || data[3] == 43))))
        return DecodeTIFF(data, size);
    YRaise("Unknown image format.");
}

YBitmap YImageDecoder::LoadFile(const YString& path) {
    std::FILE* f = YPlatformFile::Open(path, "rb");
    if (!f) YRaiseFormat(YException::kGeneral, "Could not open file \"{0}\".", path);
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        if (bytes.size() + n > kMaxFileBytes) {
            std::fclose(f);
            YRaiseFormat(YException::kGeneral, "Could not open file \"{0}\".", path);
        }
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    std::fclose(f);
    return Decode(bytes.data(), bytes.size());
}
