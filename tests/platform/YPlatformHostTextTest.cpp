#include "platform/YPlatformHostText.h"

#include <gtest/gtest.h>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#endif

TEST(PlatformHostText, AsciiStaysAsItIs) {
    EXPECT_EQ(YPlatformHostText(u""), "");
    EXPECT_EQ(YPlatformHostText(u"Depth 50 % ms"), "Depth 50 % ms");
}

#if defined(_WIN32)
TEST(PlatformHostText, WindowsHostsReadTheAnsiCodePage) {
    if (GetACP() != 1252) GTEST_SKIP() << "the test knows the bytes of code page 1252 only";
    EXPECT_EQ(YPlatformHostText(u"90\u00b0 \u00b5s \u20ac"), "90\xb0 \xb5s \x80");
    EXPECT_EQ(YPlatformHostText(u"\u4e2d"), "?");
}
#else
TEST(PlatformHostText, LinuxHostsReadUtf8) {
    struct Case {
        std::u16string text;
        std::string expected;
    };
    const Case cases[] = {
        {u"90\u00b0", "90\xc2\xb0"},
        {u"\u00b5s \u20ac \u4e2d", "\xc2\xb5s \xe2\x82\xac \xe4\xb8\xad"},
        {u"\U0001F600", "\xf0\x9f\x98\x80"},                       // a surrogate pair
        {std::u16string{char16_t(0xD83D), u'x'}, "\xef\xbf\xbdx"}, // an unpaired one
        {std::u16string{u'x', char16_t(0xDE00)}, "x\xef\xbf\xbd"},
    };
    for (const Case& c : cases) EXPECT_EQ(YPlatformHostText(c.text), c.expected);
}
#endif
