#include "platform/YPlatformEnvironment.h"

#include <cstdlib>

bool YPlatformEnvironment::Get(const char* name, YString& value) {
    const char* text = std::getenv(name);
    if (text == nullptr) return false;
    value = YString::FromUTF8(text);
    return true;
}
