#include "gui/drawing/YImageDecoder.h"

#include "ImageFixtures.h"
#include "support/RaisedMessage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace drawing_test;

constexpr int32_t kW = 15, kH = 9;

// Every pixel against the pattern, each channel within tolerance; channels < 0 are skipped.
void ExpectPattern(const YBitmap& b, const char* what, int tolerance, bool grey, bool alpha, bool palette = false) {
    ASSERT_EQ(b.Width(), kW) << what;
    ASSERT_EQ(b.Height(), kH) << what;
    int worst = 0;
    for (int32_t y = 0; y < kH; ++y)
        for (int32_t x = 0; x < kW; ++x) {
            const YColor c = b.At(x, y);
            const int py = palette ? 0 : y;
            const int r = grey ? PatternValue(x, y, 1) : PatternValue(x, py, 0);
            const int g = PatternValue(palette ? x : x, py, 1);
            const int bl = grey ? PatternValue(x, y, 1) : PatternValue(x, py, 2);
            const int a = alpha ? PatternValue(x, y, 3) : 255;
            // Where alpha is near 0 the colour bytes carry little information.
            // Stored multiplied by alpha (TIFF), a colour comes back within 255 / alpha.
            const int t = alpha && a < 32 ? 255 : (alpha && tolerance > 0 ? std::max(tolerance, 255 / a + 1) : tolerance);
            const int e = std::max({std::abs(c.r - r), std::abs(c.g - (palette ? PatternValue(x, 0, 1) : g)), std::abs(c.b - bl)});
            worst = std::max(worst, t == tolerance ? e : 0);
            ASSERT_LE(e, t) << what << " at " << x << "," << y;
            ASSERT_LE(std::abs(c.a - a), alpha ? 1 : 0) << what << " alpha at " << x << "," << y;
        }
    EXPECT_LE(worst, tolerance) << what;
}

TEST(YImageDecoderTest, DecodesEveryDepthAndColourModel) {
    ExpectPattern(YImageDecoder::Decode(MakePng(PngKind::Rgba8, kW, kH).data(), MakePng(PngKind::Rgba8, kW, kH).size()),
                  "png rgba 8", 0, false, true);
    const struct {
        const char* name;
        std::vector<uint8_t> file;
        int tolerance;
        bool grey, alpha, palette;
    } cases[] = {
        {"png rgb 16", MakePng(PngKind::Rgb16, kW, kH), 0, false, false, false},
        {"png grey 8", MakePng(PngKind::Grey8, kW, kH), 0, true, false, false},
        {"png grey alpha 8", MakePng(PngKind::GreyAlpha8, kW, kH), 0, true, true, false},
        {"png palette 4", MakePng(PngKind::Palette4, kW, kH), 0, false, false, true},
        {"jpeg rgb", MakeJpeg(false, kW, kH), 12, false, false, false},
        {"jpeg cmyk", MakeJpeg(true, kW, kH), 12, false, false, false},
        {"tiff rgba 8", MakeTiff(TiffKind::Rgba8, kW, kH), 2, false, true, false},
        {"tiff rgb 16", MakeTiff(TiffKind::Rgb16, kW, kH), 0, false, false, false},
        {"tiff palette 8", MakeTiff(TiffKind::Palette8, kW, kH), 0, false, false, true},
        {"tiff cmyk 8", MakeTiff(TiffKind::Cmyk8, kW, kH), 0, false, false, false},
        {"tiff grey deflate", MakeTiff(TiffKind::Grey8Deflate, kW, kH), 0, true, false, false},
    };
    for (const auto& c : cases) {
        YBitmap b;
        const std::string raised = RaisedMessage([&] { b = YImageDecoder::Decode(c.file.data(), c.file.size()); });
        ASSERT_EQ(raised, "(nothing raised)") << c.name;
        ExpectPattern(b, c.name, c.tolerance, c.grey, c.alpha, c.palette);
    }
}

// The big-endian 32-bit word at p, and its replacement.
void Put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

std::vector<uint8_t> PngClaiming(uint32_t w, uint32_t h) {
    std::vector<uint8_t> f = MakePng(PngKind::Rgba8, kW, kH);
    Put32(&f[16], w);
    Put32(&f[20], h);
    // The header chunk's check sum over type and data (bytes 12 .. 28).
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 12; i < 29; ++i) {
        crc ^= f[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    Put32(&f[29], ~crc);
    return f;
}

std::vector<uint8_t> JpegClaiming(uint16_t w, uint16_t h) {
    std::vector<uint8_t> f = MakeJpeg(false, kW, kH);
    for (size_t i = 2; i + 8 < f.size(); ++i)
        if (f[i] == 0xFF && f[i + 1] == 0xC0) { // start of frame: length, precision, height, width
            f[i + 5] = static_cast<uint8_t>(h >> 8);
            f[i + 6] = static_cast<uint8_t>(h);
            f[i + 7] = static_cast<uint8_t>(w >> 8);
            f[i + 8] = static_cast<uint8_t>(w);
            break;
        }
    return f;
}

std::vector<uint8_t> TiffClaiming(uint32_t w, uint32_t h) {
    std::vector<uint8_t> f = MakeTiff(TiffKind::Rgb16, kW, kH);
    // Little-endian directory: entries of 12 bytes after a 2-byte count; width is tag 256,
    // length 257, each with a SHORT or LONG value in the entry.
    const uint32_t dir = f[4] | f[5] << 8 | f[6] << 16 | static_cast<uint32_t>(f[7]) << 24;
    const uint16_t count = static_cast<uint16_t>(f[dir] | f[dir + 1] << 8);
    for (uint16_t i = 0; i < count; ++i) {
        uint8_t* e = &f[dir + 2 + 12u * i];
        const uint16_t tag = static_cast<uint16_t>(e[0] | e[1] << 8);
        if (tag != 256 && tag != 257) continue;
        const uint32_t v = tag == 256 ? w : h;
        e[2] = 4; // LONG
        e[3] = 0;
        for (int k = 0; k < 4; ++k) e[8 + k] = static_cast<uint8_t>(v >> (8 * k));
    }
    return f;
}

TEST(YImageDecoderTest, BadFilesGiveTheirErrors) {
    const std::vector<uint8_t> png = MakePng(PngKind::Rgba8, kW, kH), jpeg = MakeJpeg(false, kW, kH),
                               tiff = MakeTiff(TiffKind::Rgba8, kW, kH);
    const auto cut = [](const std::vector<uint8_t>& f, size_t n) { return std::vector<uint8_t>(f.begin(), f.begin() + n); };
    auto corrupt = [](std::vector<uint8_t> f, size_t from) {
        for (size_t i = from; i < f.size(); i += 7) f[i] ^= 0x5A;
        return f;
    };
    const struct {
        const char* name;
        std::vector<uint8_t> file;
        std::string expected; // the whole message, or its start when it ends in "("
    } cases[] = {
        {"empty", {}, "Unknown image format."},
        {"text", {'h', 'e', 'l', 'l', 'o'}, "Unknown image format."},
        {"png signature only", cut(png, 8), "Invalid PNG image ("},
        {"png truncated", cut(png, png.size() / 2), "Invalid PNG image ("},
        {"png corrupt", corrupt(png, 40), "Invalid PNG image ("},
        {"png 100000 x 100000", PngClaiming(100000, 100000), "Bitmap size 100000 x 100000 is beyond the limit."},
        {"png 2^31 wide", PngClaiming(0x7FFFFFFF, 1), "Invalid PNG image ("},
        {"jpeg truncated", cut(jpeg, jpeg.size() / 2), "Invalid JPEG image ("},
        {"jpeg header only", cut(jpeg, 3), "Invalid JPEG image ("},
        {"jpeg 65000 x 65000", JpegClaiming(65000, 65000), "Bitmap size 65000 x 65000 is beyond the limit."},
        {"jpeg 0 x 0", JpegClaiming(0, 0), "Invalid JPEG image ("},
        {"tiff truncated", cut(tiff, tiff.size() / 2), "Invalid TIFF image ("},
        {"tiff header only", cut(tiff, 8), "Invalid TIFF image ("},
        {"tiff 100000 x 100000", TiffClaiming(100000, 100000), "Bitmap size 100000 x 100000 is beyond the limit."},
    };
    for (const auto& c : cases) {
        const std::string raised = RaisedMessage([&] { YImageDecoder::Decode(c.file.data(), c.file.size()); });
        if (c.expected.back() == '(')
            EXPECT_EQ(raised.substr(0, c.expected.size()), c.expected) << c.name << ": " << raised;
        else
            EXPECT_EQ(raised, c.expected) << c.name;
    }
}

// Every prefix of small files: each raises, or decodes to the whole size when only bytes
// after the pixel data are missing; none crashes (ASan and UBSan watch the reads).
TEST(YImageDecoderTest, EveryTruncationRaisesOrDecodesWhole) {
    for (const std::vector<uint8_t>& file :
         {MakePng(PngKind::Palette4, 5, 4), MakeJpeg(false, 5, 4), MakeTiff(TiffKind::Grey8Deflate, 5, 4)}) {
        size_t raised = 0;
        for (size_t n = 0; n < file.size(); ++n) {
            const std::vector<uint8_t> part(file.begin(), file.begin() + n);
            YBitmap b;
            if (RaisedMessage([&] { b = YImageDecoder::Decode(part.data(), part.size()); }) != "(nothing raised)") {
                ++raised;
                continue;
            }
            EXPECT_EQ(b.Width(), 5) << "prefix " << n << " of " << file.size();
            EXPECT_EQ(b.Height(), 4) << "prefix " << n << " of " << file.size();
        }
        EXPECT_GE(raised * 10, file.size() * 9) << "most prefixes lack pixel data";
    }
}

TEST(YImageDecoderTest, MissingFilesRaise) {
    EXPECT_EQ(RaisedMessage([] { YImageDecoder::LoadFile("no-such-image.png"); }),
              "Could not open file \"no-such-image.png\".");
}

} // namespace
