// Decodes arbitrary bytes as PNG, JPEG or TIFF (the first bytes choose, as for files) and, as
// the other two formats as well, so each decoder sees every input. A YException is an accepted
// answer; a decoded bitmap must have the size it reports and lie within the limits.
#include "foundation/YException.h"
#include "gui/drawing/YImageDecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
void Check(const YBitmap& b) {
    if (b.Width() < 0 || b.Height() < 0 || b.Width() > YBaseBitmap::kMaxSide || b.Height() > YBaseBitmap::kMaxSide) std::abort();
    if (b.Width() > 0 && b.Height() > 0) {
        // Touch the first and last pixel: the memory must be there.
        volatile uint8_t sum = b.At(0, 0).a;
        sum = static_cast<uint8_t>(sum + b.At(b.Width() - 1, b.Height() - 1).a);
        (void)sum;
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using Decoder = YBitmap (*)(const uint8_t*, size_t);
    for (Decoder decode : {&YImageDecoder::Decode, &YImageDecoder::DecodePNG, &YImageDecoder::DecodeJPEG,
                           &YImageDecoder::DecodeTIFF}) {
        try {
            Check(decode(data, size));
        } catch (const YException&) {
        }
    }
    return 0;
}
