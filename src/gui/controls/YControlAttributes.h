// Reading the particular attributes of a control's GUI-definition element. Numbers follow
// the definition rule: an optional "-", decimal digits, reading stops at the first other
// character, text without digits reads as 0. An absent attribute leaves the field alone.
#pragma once

#include "foundation/YString.h"
#include "foundation/YXMLItem.h"

#include <cstdint>
#include <vector>

namespace YControlAttributes {

inline bool ReadInt(const YXMLItem& element, const char* name, int32_t& value) {
    const YString* text = element.FindAttribute(YString::Literal(name));
    if (text == nullptr) return false;
    const int64_t v = text->ToInteger(10);
    value = static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : (v > INT32_MAX ? INT32_MAX : v));
    return true;
}

inline bool ReadFlag(const YXMLItem& element, const char* name, bool& value) {
    int32_t v = 0;
    if (!ReadInt(element, name, v)) return false;
    value = v != 0;
    return true;
}

inline bool ReadDouble(const YXMLItem& element, const char* name, double& value) {
    const YString* text = element.FindAttribute(YString::Literal(name));
    if (text == nullptr) return false;
    value = text->ToDouble();
    return true;
}

inline bool ReadText(const YXMLItem& element, const char* name, YString& value) {
    const YString* text = element.FindAttribute(YString::Literal(name));
    if (text == nullptr) return false;
    value = *text;
    return true;
}

// A list written in one attribute: items separated by '|'.
inline std::vector<YString> SplitList(const YString& text) {
    std::vector<YString> items;
    int32_t start = 0;
    for (int32_t i = 0; i <= text.Length(); ++i) {
        if (i == text.Length() || text[i] == u'|') {
            items.push_back(text.Substring(start, i - start));
            start = i + 1;
        }
    }
    return items;
}

} // namespace YControlAttributes
