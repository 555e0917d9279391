#include "gui/style/YStyleColors.h"

#include "foundation/YException.h"

#include <algorithm>
#include <cmath>

namespace {

int HexDigit(char16_t c) noexcept {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

uint8_t Lerp(uint8_t a, uint8_t b, float t) noexcept {
    return static_cast<uint8_t>(std::lround(static_cast<float>(a) + (static_cast<float>(b) - static_cast<float>(a)) * t));
}

} // namespace

YColor YStyleColorParse(const YString& text) {
    int32_t begin = 0;
    int32_t end = text.Length();
    while (begin < end && (text[begin] == u' ' || text[begin] == u'\t')) ++begin;
    while (end > begin && (text[end - 1] == u' ' || text[end - 1] == u'\t')) --end;
    uint32_t value = 0;
    bool valid = end - begin == 8;
    for (int32_t i = begin; valid && i < end; ++i) {
        const int digit = HexDigit(text[i]);
        if (digit < 0) valid = false;
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    if (!valid) YRaiseFormat(YException::kGeneral, "Invalid color value ({0}).", text);
    return YColor::RGB(static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                       static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value));
}

YString YStyleColorText(YColor colour) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const uint8_t bytes[4] = {colour.r, colour.g, colour.b, colour.a};
    char16_t text[8];
    for (int i = 0; i < 4; ++i) {
        text[i * 2] = static_cast<char16_t>(kDigits[bytes[i] >> 4]);
        text[i * 2 + 1] = static_cast<char16_t>(kDigits[bytes[i] & 15]);
    }
    return YString(text, 8);
}

YColor YColorMix(YColor a, YColor b, float t) noexcept {
    t = std::clamp(t, 0.0f, 1.0f);
    return YColor::RGB(Lerp(a.r, b.r, t), Lerp(a.g, b.g, t), Lerp(a.b, b.b, t), Lerp(a.a, b.a, t));
}

YColor YColorOver(YColor background, YColor colour) noexcept {
    const float t = static_cast<float>(colour.a) / 255.0f;
    YColor result = YColorMix(background.WithAlpha(255), colour.WithAlpha(255), t);
    result.a = 255;
    return result;
}

YColor YColorFade(YColor colour, float factor) noexcept {
    factor = std::clamp(factor, 0.0f, 1.0f);
    return colour.WithAlpha(static_cast<uint8_t>(std::lround(static_cast<float>(colour.a) * factor)));
}

float YColorLuminance(YColor colour) noexcept {
    return (0.2126f * colour.r + 0.7152f * colour.g + 0.0722f * colour.b) / 255.0f;
}
