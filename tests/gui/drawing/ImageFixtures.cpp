#include "ImageFixtures.h"

#include <png.h>
#include <tiffio.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace drawing_test {

uint8_t PatternValue(int32_t x, int32_t y, int channel) {
    switch (channel) {
    case 0: return static_cast<uint8_t>(x * 17);
    case 1: return static_cast<uint8_t>(y * 29);
    case 2: return static_cast<uint8_t>(255 - x * 17);
    default: return static_cast<uint8_t>((x + y) * 16);
    }
}

namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t n) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}
void NoFlush(png_structp) {}

} // namespace

std::vector<uint8_t> MakePng(PngKind kind, int32_t width, int32_t height) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) throw std::runtime_error("png encoder failed");
    png_set_write_fn(png, &out, AppendBytes, NoFlush);
    int depth = 8, type = PNG_COLOR_TYPE_RGB_ALPHA, channels = 4;
    switch (kind) {
    case PngKind::Rgba8: break;
    case PngKind::Rgb16: depth = 16; type = PNG_COLOR_TYPE_RGB; channels = 3; break;
    case PngKind::Grey8: type = PNG_COLOR_TYPE_GRAY; channels = 1; break;
    case PngKind::GreyAlpha8: type = PNG_COLOR_TYPE_GRAY_ALPHA; channels = 2; break;
    case PngKind::Palette4: depth = 4; type = PNG_COLOR_TYPE_PALETTE; channels = 1; break;
    }
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), depth, type,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (kind == PngKind::Palette4) {
        // Entry i is the pattern's colour of column i.
        png_color palette[16];
        for (int i = 0; i < 16; ++i) palette[i] = {PatternValue(i, 0, 0), PatternValue(i, 0, 1), PatternValue(i, 0, 2)};
        png_set_PLTE(png, info, palette, 16);
    }
    png_write_info(png, info);
    if (depth == 16) png_set_swap(png); // our rows hold little-endian 16-bit samples
    std::vector<uint8_t> row(static_cast<size_t>(width) * channels * 2);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* p = row.data() + static_cast<size_t>(x) * channels * (depth == 16 ? 2 : 1);
            switch (kind) {
            case PngKind::Rgba8: for (int c = 0; c < 4; ++c) p[c] = PatternValue(x, y, c); break;
            case PngKind::Rgb16:
                for (int c = 0; c < 3; ++c) {
                    const uint16_t v = static_cast<uint16_t>(PatternValue(x, y, c) * 257);
                    p[2 * c] = static_cast<uint8_t>(v);
                    p[2 * c + 1] = static_cast<uint8_t>(v >> 8);
                }
                break;
            case PngKind::Grey8: p[0] = PatternValue(x, y, 1); break;
            case PngKind::GreyAlpha8: p[0] = PatternValue(x, y, 1); p[1] = PatternValue(x, y, 3); break;
            case PngKind::Palette4: break;
            }
        }
        if (kind == PngKind::Palette4) {
            std::memset(row.data(), 0, row.size());
            for (int32_t x = 0; x < width; ++x) row[static_cast<size_t>(x / 2)] |= static_cast<uint8_t>((x % 16) << (x % 2 ? 0 : 4));
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::vector<uint8_t> MakeJpeg(bool cmyk, int32_t width, int32_t height) {
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = cmyk ? 4 : 3;
    info.in_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    if (cmyk) jpeg_set_colorspace(&info, JCS_CMYK); // stored as CMYK, with the Adobe marker
    jpeg_set_quality(&info, 95, TRUE);
    // No chroma subsampling: the pattern's colours change from pixel to pixel.
    for (int c = 0; c < info.num_components; ++c) info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
    info.write_Adobe_marker = cmyk;
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(width) * 4);
    while (info.next_scanline < info.image_height) {
        const auto y = static_cast<int32_t>(info.next_scanline);
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* p = row.data() + static_cast<size_t>(x) * info.input_components;
            if (cmyk) {
                // Inverted inks, no black: the bytes are the colour itself.
                for (int c = 0; c < 3; ++c) p[c] = PatternValue(x, y, c);
                p[3] = 255;
            } else {
                for (int c = 0; c < 3; ++c) p[c] = PatternValue(x, y, c);
            }
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&info, &r, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

std::vector<uint8_t> MakeTiff(TiffKind kind, int32_t width, int32_t height) {
    char path[] = "vornik-fixture-XXXXXX.tif";
    std::snprintf(path, sizeof path, "fixture-%d.tif", static_cast<int>(kind));
    TIFF* tiff = TIFFOpen(path, "w");
    if (!tiff) throw std::runtime_error("tiff encoder failed");
    int samples = 4, bits = 8;
    uint16_t photometric = PHOTOMETRIC_RGB;
    switch (kind) {
    case TiffKind::Rgba8: break;
    case TiffKind::Rgb16: samples = 3; bits = 16; break;
    case TiffKind::Palette8: samples = 1; photometric = PHOTOMETRIC_PALETTE; break;
    case TiffKind::Cmyk8: photometric = PHOTOMETRIC_SEPARATED; break;
    case TiffKind::Grey8Deflate: samples = 1; photometric = PHOTOMETRIC_MINISBLACK; break;
    }
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(height));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(height));
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, kind == TiffKind::Grey8Deflate ? COMPRESSION_ADOBE_DEFLATE : COMPRESSION_NONE);
    if (kind == TiffKind::Rgba8) {
        const uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    std::vector<uint16_t> map[3];
    if (kind == TiffKind::Palette8) {
        for (auto& m : map) m.assign(256, 0);
        for (int i = 0; i < 256; ++i)
            for (int c = 0; c < 3; ++c) map[c][static_cast<size_t>(i)] = static_cast<uint16_t>(PatternValue(i % 16, 0, c) * 257);
        TIFFSetField(tiff, TIFFTAG_COLORMAP, map[0].data(), map[1].data(), map[2].data());
    }
    std::vector<uint8_t> row(static_cast<size_t>(width) * samples * (bits / 8));
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* p = row.data() + static_cast<size_t>(x) * samples * (bits / 8);
            switch (kind) {
            case TiffKind::Rgba8: for (int c = 0; c < 4; ++c) p[c] = PatternValue(x, y, c); break;
            case TiffKind::Rgb16:
                for (int c = 0; c < 3; ++c) {
                    const uint16_t v = static_cast<uint16_t>(PatternValue(x, y, c) * 257);
                    std::memcpy(p + 2 * c, &v, 2);
                }
                break;
            case TiffKind::Palette8: p[0] = static_cast<uint8_t>(x % 16); break;
            case TiffKind::Cmyk8:
                for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(255 - PatternValue(x, y, c));
                p[3] = 0;
                break;
            case TiffKind::Grey8Deflate: p[0] = PatternValue(x, y, 1); break;
            }
        }
        TIFFWriteScanline(tiff, row.data(), static_cast<uint32_t>(y), 0);
    }
    TIFFClose(tiff);
    std::FILE* f = std::fopen(path, "rb");
    std::vector<uint8_t> out;
    int c;
    while ((c = std::fgetc(f)) != EOF) out.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
    std::remove(path);
    return out;
}

} // namespace drawing_test
