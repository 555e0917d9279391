#include "entry/YHostText.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string Copy(const YString& text, int32_t maxBytes, int32_t* written = nullptr) {
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    const int32_t n = YCopyHostText(buffer, text, maxBytes);
    if (written != nullptr) *written = n;
    EXPECT_EQ(buffer[n], 0) << "terminated right after what was written";
    return buffer;
}

} // namespace

TEST(HostText, CutsAtTheLimitAndTerminates) {
    int32_t written = -1;
    EXPECT_EQ(Copy(YString("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"), 24, &written), "ABCDEFGHIJKLMNOPQRSTUVWX");
    EXPECT_EQ(written, 24);
    EXPECT_EQ(Copy(YString("Rate"), 24), "Rate");
    EXPECT_EQ(Copy(YString("Rate"), 0, &written), "");
    EXPECT_EQ(written, 0);
    EXPECT_EQ(Copy(YString(), 8), "");
    EXPECT_EQ(YCopyHostText(nullptr, YString("Rate"), 8), 0);

    char buffer[16];
    EXPECT_EQ(YCopyHostText(buffer, "Quenlor", 4), 4);
    EXPECT_STREQ(buffer, "Quen");
    EXPECT_EQ(YCopyHostText(buffer, static_cast<const char*>(nullptr), 4), 0);
    EXPECT_STREQ(buffer, "");
}

#if !defined(_WIN32)
TEST(HostText, NeverSplitsACharacter) {
    struct Case {
        std::u16string text;
        int32_t maxBytes;
        std::string expected;
    };
    const Case cases[] = {
        {u"90\u00b0", 4, "90\xc2\xb0"},
        {u"90\u00b0", 3, "90"},
        {u"\u20ac\u20ac", 5, "\xe2\x82\xac"},
        {u"ab\U0001F600", 5, "ab"},
        {u"ab\U0001F600", 6, "ab\xf0\x9f\x98\x80"},
    };
    for (const Case& c : cases) EXPECT_EQ(Copy(YString::FromUTF16(c.text), c.maxBytes), c.expected);
    EXPECT_EQ(Copy(YString::FromUTF16(u"90\u00b0"), 8), std::string("90\xc2\xb0"));

    char buffer[16];
    YCopyHostText(buffer, "90\xc2\xb0", 8); // UTF-8 in, UTF-8 out
    EXPECT_STREQ(buffer, "90\xc2\xb0");
}
#endif
