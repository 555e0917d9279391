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
    std::vector<uint8_t> bytes;
    if (YPlatformFile::ReadAll(path, kMaxFileBytes, bytes) != YPlatformFile::ReadResult::kRead)
        YRaiseFormat(YException::kGeneral, "Could not open file \"{0}\".", path);
    return Decode(bytes.data(), bytes.size());
}
