#include "gui/drawing/YBitmapFill.h"

#include "foundation/YException.h"

namespace {
constexpr const char* kNames[] = {"Stretch", "HPattern", "VPattern", "Pattern", "None"};
constexpr int32_t kCount = 5;
} // namespace

YString YBitmapFillName(YBitmapFill fill) {
    const auto i = static_cast<int32_t>(fill);
    return i >= 0 && i < kCount ? YString::Literal(kNames[i]) : YString();
}

YBitmapFill YBitmapFillParse(const YString& name) {
    for (int32_t i = 0; i < kCount; ++i)
        if (name == YString::Literal(kNames[i])) return static_cast<YBitmapFill>(i);
    YRaiseFormat(YException::kGeneral, "Invalid YBitmapFill identifier to parse ({0}).", name);
}
