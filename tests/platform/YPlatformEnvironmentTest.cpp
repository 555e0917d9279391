#include "platform/YPlatformEnvironment.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {
void SetVariable(const char* name, const char* value) {
#ifdef _WIN32
    SetEnvironmentVariableA(name, value);
#else
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
#endif
}
} // namespace

TEST(YPlatformEnvironment, ReadsSetVariablesAsUTF8AndTellsUnsetOnes) {
    const char* name = "VORNIK_ENVIRONMENT_TEST";
    YString value("untouched");
    SetVariable(name, nullptr);
    EXPECT_FALSE(YPlatformEnvironment::Get(name, value));
    EXPECT_EQ(value.ToUTF8(), "untouched");

    SetVariable(name, "/some/folder");
    ASSERT_TRUE(YPlatformEnvironment::Get(name, value));
    EXPECT_EQ(value.ToUTF8(), "/some/folder");

    SetVariable(name, "");
#ifndef _WIN32
    // An empty value is set (Windows drops the variable instead).
    ASSERT_TRUE(YPlatformEnvironment::Get(name, value));
    EXPECT_EQ(value.ToUTF8(), "");
#endif
    SetVariable(name, nullptr);
}
