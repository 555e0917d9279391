// Texts between the plug-in and a VST 3 host, which passes them as UTF-16 in fixed buffers.
#pragma once

#include "entry/vst3/Vst3Abi.h"
#include "foundation/YString.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace YVST3Text {

// Cut to fit, always terminated.
inline void CopyToString128(Vst3::String128 to, const YString& from) noexcept {
    const int32_t length = std::min<int32_t>(from.Length(), 127);
    for (int32_t i = 0; i < length; ++i) to[i] = from[i];
    to[length] = 0;
}

inline void CopyToString128(Vst3::String128 to, const char* from) noexcept {
    int32_t i = 0;
    for (; i < 127 && from[i] != '\0'; ++i) to[i] = static_cast<char16_t>(static_cast<unsigned char>(from[i]));
    to[i] = 0;
}

// At most 4096 characters; null gives the empty text.
inline YString FromHostText(const Vst3::TChar* text) {
    if (text == nullptr) return YString();
    size_t length = 0;
    while (length < 4096 && text[length] != 0) ++length;
    return YString::FromUTF16(std::u16string_view(text, length));
}

} // namespace YVST3Text
