#include "gui/drawing/YFontDescriptor.h"

YFontDescriptor::~YFontDescriptor() = default;

YString YFontDescriptor::ToString() const {
    YString text = family;
    text += " ";
    text += YString::FromInteger(pixelSize);
    if (bold) text += " bold";
    if (italic) text += " italic";
    return text;
}
