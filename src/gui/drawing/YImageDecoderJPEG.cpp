// JPEG through libjpeg(-turbo). Its errors leave through longjmp; the function that calls
// setjmp holds no object with a destructor, so the jump skips none.
#include "gui/drawing/YImageDecoder.h"

#include "foundation/YException.h"

#include <csetjmp>
#include <cstdio>
#include <string>
// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    info->err->format_message(info, manager->message);
    std::longjmp(manager->jump, 1);
}

// Warnings pass, except a file that ends early: libjpeg would fill the rest with grey.
void EmitMessage(j_common_ptr info, int level) {
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) ErrorExit(info);
}

// Decodes into bitmap (created here); returns false with manager.message on failure.
bool DecodeInto(const uint8_t* data, size_t size, YBitmap& bitmap, ErrorManager& manager, bool& tooLarge, JDIMENSION& w,
            JDIMENSION& h) {
    jpeg_decompress_struct info;
    info.err = jpeg_std_error(&manager.base);
    manager.base.error_exit = ErrorExit;
    manager.base.emit_message = EmitMessage;
    manager.message[0] = 0;
    if (setjmp(manager.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = 256L << 20;
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    w = info.image_width;
    h = info.image_height;
    if (w > static_cast<JDIMENSION>(YBaseBitmap::kMaxSide) || h > static_cast<JDIMENSION>(YBaseBitmap::kMaxSide) ||
        static_cast<int64_t>(w) * h > YBaseBitmap::kMaxPixels) {
        tooLarge = true;
        jpeg_destroy_decompress(&info);
        return false;
    }
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg_start_decompress(&info);
    bitmap.Create(static_cast<int32_t>(info.output_width), static_cast<int32_t>(info.output_height));
    while (info.output_scanline < info.output_height) {
        auto* row = reinterpret_cast<JSAMPROW>(bitmap.Row(static_cast<int32_t>(info.output_scanline)));
        jpeg_read_scanlines(&info, &row, 1);
    }
    // Adobe's CMYK files store the inks inverted: byte = 255 - ink, so each channel is
    // (255 - ink of c, m, y) scaled by (255 - ink of k).
    if (cmyk) {
        const bool inverted = info.saw_Adobe_marker;
        for (int32_t y = 0; y < bitmap.Height(); ++y) {
            YColor* row = bitmap.Row(y);
            for (int32_t x = 0; x < bitmap.Width(); ++x) {
                auto* p = reinterpret_cast<uint8_t*>(row + x);
                int c = p[0], m = p[1], yy = p[2], k = p[3];
                if (!inverted) {
                    c = 255 - c;
                    m = 255 - m;
                    yy = 255 - yy;
                    k = 255 - k;
                }
                row[x] = YColor::RGB(static_cast<uint8_t>(c * k / 255), static_cast<uint8_t>(m * k / 255),
                                     static_cast<uint8_t>(yy * k / 255));
            }
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

YBitmap YImageDecoder::DecodeJPEG(const uint8_t* data, size_t size) {
    YBitmap bitmap;
    ErrorManager manager;
    bool tooLarge = false;
    JDIMENSION w = 0, h = 0;
    if (size == 0) YRaise("Invalid JPEG image (empty).");
    if (!DecodeInto(data, size, bitmap, manager, tooLarge, w, h)) {
        if (tooLarge) YBaseBitmap::CheckSize(w, h);
        YRaiseFormat(YException::kGeneral, "Invalid JPEG image ({0}).", YString::FromUTF8(manager.message));
    }
    return bitmap;
}
