// PNG through libpng's simplified interface, which converts every colour type and depth.
#include "gui/drawing/YImageDecoder.h"

#include "foundation/YException.h"

#include <png.h>

YBitmap YImageDecoder::DecodePNG(const uint8_t* data, size_t size) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    // png_image_free runs on every way out, the error ones included.
    struct Release {
        png_image* image;
        ~Release() { png_image_free(image); }
    } release{&image};
    if (!png_image_begin_read_from_memory(&image, data, size))
        YRaiseFormat(YException::kGeneral, "Invalid PNG image ({0}).", YString::FromUTF8(image.message));
    YBaseBitmap::CheckSize(image.width, image.height);
    YBitmap bitmap(static_cast<int32_t>(image.width), static_cast<int32_t>(image.height));
    image.format = PNG_FORMAT_BGRA; // the layout of YColor
    // 16-bit samples are sRGB like 8-bit ones (the simplified reader would take them as linear
    // light and brighten them).
    image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
    if (!png_image_finish_read(&image, nullptr, bitmap.Pixels(), static_cast<png_int_32>(image.width * 4), nullptr))
        YRaiseFormat(YException::kGeneral, "Invalid PNG image ({0}).", YString::FromUTF8(image.message));
    return bitmap;
}
