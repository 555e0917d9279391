// Parses arbitrary rich text, lays it out at a width taken from the input and paints it into a
// small bitmap with the light style. Nothing may fail: bad markup has a neutral reading. The
// same text laid out twice must measure the same, and painting gives the clip rectangle back.
#include "gui/drawing/YDrawerToYBitmap.h"
#include "gui/stml/YSTML.h"
#include "gui/style/YBaseStyle.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static YBaseStyle style(YBaseStyle::Theme::kLight);
    static YDrawerToYBitmap drawer;
    if (size < 1) return 0;
    // The first byte picks the width (8 ... 518 pixels), the rest is the text.
    const int32_t width = 8 + 2 * data[0];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const YString text = YString::FromUTF8(bytes);

    YSTML stml(YSTML::HelpTagsets() + text);
    (void)stml.Describe().ToUTF8();
    const int32_t height = stml.Layout(style, width, 200);
    if (height < 0) std::abort();
    if (stml.Layout(style, width, 200) != height) std::abort();
    (void)stml.NaturalWidth(style);

    drawer.PrepareBitmap(120, 80);
    stml.Paint(drawer, style, YRect::FromSize(4, 4, 112, 72));
    if (!(drawer.GetClipRect() == YRect::FromSize(0, 0, 120, 80))) std::abort();
    return 0;
}
