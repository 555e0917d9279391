// YFontDescriptor: which font a control asks for: family, pixel size, bold, italic.
#pragma once

#include "foundation/YString.h"

#include <cstdint>

class YFontDescriptor {
public:
    YFontDescriptor() = default;
    YFontDescriptor(YString family, int32_t pixelSize, bool bold = false, bool italic = false)
        : family(std::move(family)), pixelSize(pixelSize), bold(bold), italic(italic) {}
    virtual ~YFontDescriptor();
    // "DejaVu Sans 12 bold italic", for messages and logs.
    virtual YString ToString() const;

    YString family;
    int32_t pixelSize = 12;
    bool bold = false;
    bool italic = false;
};
