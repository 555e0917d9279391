// Compiles arbitrary patterns, fills them with arguments of every kind, renders them and reads
// text back against them. A YException is an accepted answer; anything else is a bug.
#include "foundation/YException.h"
#include "foundation/YFormat.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The input up to the first NUL is the pattern, the rest a text to read against it.
    const size_t split = bytes.find('\0');
    const YString pattern = YString::FromUTF8(bytes.substr(0, split));
    const YString text =
        split == std::string_view::npos ? pattern : YString::FromUTF8(bytes.substr(split + 1));

    try {
        YFormat format(pattern);
        YFormat copy(format);
        format.Arg("text")
            .Arg(-3.14159)
            .Arg(int64_t{-31})
            .Arg(std::numeric_limits<double>::quiet_NaN())
            .Arg(1e300)
            .Arg(INT64_MIN)
            .Arg(YString::FromUTF8("\xF0\x9F\x8E\xB5"));
        const YString rendered = format.ToString();
        // The shared copy must not see the arguments given to the other one.
        if (copy.ToString().Length() > rendered.Length()) std::abort();
        (void)rendered.ToUTF8();

        std::vector<YString> captures;
        const int n = YFormat::Read(text, pattern, captures);
        if (n < 0 || static_cast<size_t>(n) > static_cast<size_t>(pattern.Length())) std::abort();
        YFormat::Read(rendered, pattern, captures);
    } catch (const YException&) {
    }

    int32_t consumed = 0;
    (void)text.ToInteger(16, &consumed);
    if (consumed < 0 || consumed > text.Length()) std::abort();
    (void)text.ToDouble(&consumed);
    if (consumed < 0 || consumed > text.Length()) std::abort();
    return 0;
}
