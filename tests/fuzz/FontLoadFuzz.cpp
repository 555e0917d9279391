// Loads arbitrary bytes as a font and, when they load, lays out and draws a line of text with
// it. A YException is an accepted answer; nothing may crash or read outside its memory.
#include "foundation/YException.h"
#include "gui/drawing/YDrawerToYBitmap.h"
#include "gui/drawing/YFont.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte picks the size, so sizes the face may refuse come up too.
    if (size < 1) return 0;
    const int32_t pixelSize = data[0] % 64 == 0 ? 2000 : data[0] % 64;
    try {
        auto font = YFont::FromMemory(std::vector<uint8_t>(data + 1, data + size), pixelSize);
        YBitmap bitmap(120, 40);
        YDrawerToYBitmap drawer(&bitmap);
        drawer.SetFont(font.get());
        drawer.AlignedTextOut(bitmap.Bounds(), "AVWAy 0.5 dB \xE4", kAlignCenter, YColor::RGB(255, 255, 255),
                              YColorOp::Alphablend);
        (void)drawer.TextExtent("Vornik");
    } catch (const YException&) {
    }
    return 0;
}
