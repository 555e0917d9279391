// YPlatformEnvironment: the process's environment variables.
#pragma once

#include "foundation/YString.h"

class YPlatformEnvironment {
public:
    // The variable's value; false (value untouched) when it is not set.
    static bool Get(const char* name, YString& value);
};
