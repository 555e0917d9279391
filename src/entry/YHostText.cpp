#include "entry/YHostText.h"

#include "platform/YPlatformHostText.h"

#include <cstring>
#include <string>
#include <string_view>

int32_t YCopyHostText(char* destination, const YString& text, int32_t maxBytes) {
    if (destination == nullptr) return 0;
    int32_t written = 0;
    const int32_t length = text.Length();
    char16_t units[2];
    for (int32_t i = 0; i < length;) {
        // One character at a time, a surrogate pair together, so the cut never splits one.
        units[0] = text[i];
        int32_t count = 1;
        if (units[0] >= 0xD800 && units[0] < 0xDC00 && i + 1 < length && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000)
            units[count++] = text[i + 1];
        const std::string bytes = YPlatformHostText(std::u16string_view(units, static_cast<size_t>(count)));
        if (static_cast<int64_t>(written) + static_cast<int64_t>(bytes.size()) > maxBytes) break;
        std::memcpy(destination + written, bytes.data(), bytes.size());
        written += static_cast<int32_t>(bytes.size());
        i += count;
    }
    destination[written] = 0;
    return written;
}

int32_t YCopyHostText(char* destination, const char* utf8, int32_t maxBytes) {
    if (destination == nullptr) return 0;
    return YCopyHostText(destination, utf8 != nullptr ? YString::FromUTF8(utf8) : YString(), maxBytes);
}
