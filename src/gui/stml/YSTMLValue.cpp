#include "gui/stml/YSTMLValue.h"

#include "gui/stml/YSTMLTagParser.h"
#include "gui/toolkit/YStyle.h"

#include <algorithm>
#include <cmath>

namespace YSTMLValue {

namespace {

bool EqualsAscii(const YString& text, const char* word) noexcept {
    int32_t i = 0;
    for (; word[i]; ++i) {
        if (i >= text.Length()) return false;
        char16_t c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char16_t>(c + 32);
        if (c != static_cast<char16_t>(word[i])) return false;
    }
    return i == text.Length();
}

int HexDigit(char16_t c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

bool Number(const YString& text, double& value) noexcept {
    int32_t consumed = 0;
    const double v = text.Trimmed().ToDouble(&consumed);
    if (consumed == 0 || !std::isfinite(v)) return false;
    value = v;
    return true;
}

bool Length(const YString& raw, YSTMLLength& length) {
    const YString text = raw.Trimmed();
    if (text.IsEmpty()) return false;
    int32_t consumed = 0;
    const double v = text.ToDouble(&consumed);
    if (consumed > 0 && std::isfinite(v)) {
        if (consumed < text.Length() && text[consumed] == '%')
            length = {YSTMLLength::kPercent, v};
        else
            length = {YSTMLLength::kPixels, v};
        return true;
    }
    const int32_t metric = YEnumFind(YEnumNamesOf<YStyleMetric>(), text);
    if (metric < 0) return false;
    length = {YSTMLLength::kMetric, static_cast<double>(metric)};
    return true;
}

bool Alpha(const YString& raw, int32_t& alpha) noexcept {
    const YString text = raw.Trimmed();
    int32_t consumed = 0;
    double v = text.ToDouble(&consumed);
    if (consumed == 0 || !std::isfinite(v)) return false;
    if (consumed < text.Length() && text[consumed] == '%') v = v * 255.0 / 100.0;
    alpha = static_cast<int32_t>(std::clamp(std::floor(v + 0.5), 0.0, 255.0));
    return true;
}

bool Flag(const YString& text) noexcept {
    double v = 0.0;
    return Number(text, v) && v != 0.0;
}

bool Color(const YString& raw, YSTMLColor& colour) {
    const YString text = raw.Trimmed();
    const int32_t standard = YEnumFind(YEnumNamesOf<YStdColor>(), text);
    if (standard >= 0) {
        colour.standard = standard;
        colour.set = true;
        return true;
    }
    if (text.Length() != 8 && text.Length() != 6) return false;
    uint32_t bytes = 0;
    for (int32_t i = 0; i < text.Length(); ++i) {
        const int d = HexDigit(text[i]);
        if (d < 0) return false;
        bytes = bytes << 4 | static_cast<uint32_t>(d);
    }
    if (text.Length() == 6) bytes = bytes << 8 | 0xFF;
    colour.standard = -1;
    colour.own = YColor::RGB(static_cast<uint8_t>(bytes >> 24), static_cast<uint8_t>(bytes >> 16),
                             static_cast<uint8_t>(bytes >> 8), static_cast<uint8_t>(bytes));
    colour.set = true;
    return true;
}

bool HAlign(const YString& raw, int32_t& align) noexcept {
    const YString text = raw.Trimmed();
    if (EqualsAscii(text, "left")) align = 0;
    else if (EqualsAscii(text, "center") || EqualsAscii(text, "middle")) align = 1;
    else if (EqualsAscii(text, "right")) align = 2;
    else return false;
    return true;
}

bool VAlign(const YString& raw, int32_t& align) noexcept {
    const YString text = raw.Trimmed();
    if (EqualsAscii(text, "top")) align = 0;
    else if (EqualsAscii(text, "center") || EqualsAscii(text, "middle")) align = 1;
    else if (EqualsAscii(text, "bottom")) align = 2;
    else return false;
    return true;
}

void Read(const YSTMLAttributes& attributes, const char* name, YSTMLLength& out) {
    if (const YString* v = attributes.Find(YString::Literal(name))) Length(*v, out);
}

void Read(const YSTMLAttributes& attributes, const char* name, YSTMLColor& out) {
    if (const YString* v = attributes.Find(YString::Literal(name))) Color(*v, out);
}

void ReadInt(const YSTMLAttributes& attributes, const char* name, int32_t& out) {
    const YString* v = attributes.Find(YString::Literal(name));
    double d = 0.0;
    if (v && Number(*v, d)) out = static_cast<int32_t>(std::clamp(d, -32768.0, 32768.0));
}

void ReadAlpha(const YSTMLAttributes& attributes, const char* name, int32_t& out) {
    if (const YString* v = attributes.Find(YString::Literal(name))) Alpha(*v, out);
}

void ReadDouble(const YSTMLAttributes& attributes, const char* name, double& out) {
    if (const YString* v = attributes.Find(YString::Literal(name))) Number(*v, out);
}

void ReadFlag(const YSTMLAttributes& attributes, const char* name, bool& out) {
    if (const YString* v = attributes.Find(YString::Literal(name))) out = Flag(*v);
}

void ReadHAlign(const YSTMLAttributes& attributes, const char* name, int32_t& out) {
    if (const YString* v = attributes.Find(YString::Literal(name))) HAlign(*v, out);
}

void ReadVAlign(const YSTMLAttributes& attributes, const char* name, int32_t& out) {
    if (const YString* v = attributes.Find(YString::Literal(name))) VAlign(*v, out);
}

} // namespace YSTMLValue
