// YImageDecoder: PNG, JPEG and TIFF files into 32-bit bitmaps (straight, not premultiplied,
// alpha), for the styles' images.
//
// Every depth and colour model the libraries read comes out as blue, green, red, alpha:
// palettes, grey, grey with alpha, 16-bit channels (reduced to 8), CMYK JPEG and TIFF. The
// size a header claims is checked against YBaseBitmap's limits before any pixel memory is
// taken ("Bitmap size {0} x {1} is beyond the limit."), so a 100000 x 100000 header fails at
// once. Damaged data raises "Invalid PNG image ({0}).", "Invalid JPEG image ({0})." or
// "Invalid TIFF image ({0})." with the library's reason; a truncated file is damaged data;
// bytes of none of the three formats raise "Unknown image format.".
#pragma once

#include "foundation/YString.h"
#include "gui/drawing/YBitmap.h"

#include <cstddef>
#include <cstdint>

class YImageDecoder {
public:
    // Files larger than this are refused before they are read whole.
    static constexpr size_t kMaxFileBytes = 256u << 20;

    // The format from the first bytes.
    static YBitmap Decode(const uint8_t* data, size_t size);
    static YBitmap DecodePNG(const uint8_t* data, size_t size);
    static YBitmap DecodeJPEG(const uint8_t* data, size_t size);
    static YBitmap DecodeTIFF(const uint8_t* data, size_t size);
    // A file: "Could not open file \"{0}\"." when it cannot be read.
    static YBitmap LoadFile(const YString& path);
};
