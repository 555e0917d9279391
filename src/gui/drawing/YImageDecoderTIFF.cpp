// TIFF through libtiff's RGBA interface, which converts palettes, grey, 16-bit and CMYK.
#include "gui/drawing/YImageDecoder.h"

#include "foundation/YException.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Source {
    const uint8_t* data;
    size_t size;
    size_t at;
    std::string error; // the library's first error message
};

tmsize_t Read(thandle_t handle, void* buffer, tmsize_t n) {
    auto* s = static_cast<Source*>(handle);
    if (n <= 0 || s->at >= s->size) return 0;
    const size_t count = std::min(static_cast<size_t>(n), s->size - s->at);
    std::memcpy(buffer, s->data + s->at, count);
    s->at += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t Write(thandle_t, void*, tmsize_t) { return -1; }

toff_t Seek(thandle_t handle, toff_t offset, int whence) {
    auto* s = static_cast<Source*>(handle);
    uint64_t base = whence == SEEK_CUR ? s->at : whence == SEEK_END ? s->size : 0;
    const uint64_t target = base + offset;
    if (target > s->size) return static_cast<toff_t>(-1);
    s->at = static_cast<size_t>(target);
    return target;
}

int Close(thandle_t) { return 0; }
toff_t Size(thandle_t handle) { return static_cast<Source*>(handle)->size; }
int Map(thandle_t, void**, toff_t*) { return 0; }
void Unmap(thandle_t, void*, toff_t) {}

// Errors and warnings go to the open file's record instead of the standard error stream.
int OnError(TIFF*, void* user, const char*, const char* format, va_list args) {
    auto* s = static_cast<Source*>(user);
    if (s && s->error.empty()) {
        char text[512];
        std::vsnprintf(text, sizeof text, format, args);
        s->error = text;
    }
    return 1;
}

int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

} // namespace

YBitmap YImageDecoder::DecodeTIFF(const uint8_t* data, size_t size) {
    Source source{data, size, 0, {}};
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, OnError, &source);
    TIFFOpenOptionsSetWarningHandlerExtR(options, OnWarning, &source);
    // No single allocation of the library beyond the bitmap limit, whatever the tags claim.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(YBaseBitmap::kMaxPixels * 4));
    TIFF* tiff = TIFFClientOpenExt("image", "rm", &source, Read, Write, Seek, Close, Size, Map, Unmap, options);
    TIFFOpenOptionsFree(options);
    if (!tiff) YRaiseFormat(YException::kGeneral, "Invalid TIFF image ({0}).", YString::FromUTF8(source.error));
    struct Release {
        TIFF* tiff;
        ~Release() { TIFFClose(tiff); }
    } release{tiff};
    uint32_t width = 0, height = 0;
    if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height))
        YRaise("Invalid TIFF image (no size).");
    YBaseBitmap::CheckSize(width, height);
    char reason[1024] = {};
    if (!TIFFRGBAImageOK(tiff, reason)) YRaiseFormat(YException::kGeneral, "Invalid TIFF image ({0}).", YString::FromUTF8(reason));
    YBitmap bitmap(static_cast<int32_t>(width), static_cast<int32_t>(height));
    // The raster is 0xAABBGGRR per pixel, rows top-down with ORIENTATION_TOPLEFT, colours
    // multiplied by alpha (libtiff does so for unassociated alpha too): divided back out here.
    auto* raster = reinterpret_cast<uint32_t*>(bitmap.Pixels());
    if (!TIFFReadRGBAImageOriented(tiff, width, height, raster, ORIENTATION_TOPLEFT, 0) || !source.error.empty())
        YRaiseFormat(YException::kGeneral, "Invalid TIFF image ({0}).", YString::FromUTF8(source.error));
    const size_t count = static_cast<size_t>(width) * height;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t v = raster[i];
        const uint32_t a = TIFFGetA(v);
        const auto straight = [a](uint32_t c) {
            return static_cast<uint8_t>(a == 255 || a == 0 ? c : std::min<uint32_t>(255, (c * 255 + a / 2) / a));
        };
        bitmap.Pixels()[i] = YColor::RGB(straight(TIFFGetR(v)), straight(TIFFGetG(v)), straight(TIFFGetB(v)),
                                         static_cast<uint8_t>(a));
    }
    return bitmap;
}
