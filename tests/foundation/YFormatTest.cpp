#include "foundation/YFormat.h"

#include "foundation/YException.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace {

std::string U8(const YString& s) { return s.ToUTF8(); }

std::string RaisedMessage(const YString& pattern) {
    try {
        YFormat f(pattern);
    } catch (const YException& e) {
        return e.Message().ToUTF8();
    }
    return "(nothing raised)";
}

} // namespace

TEST(YFormat, DisplayPatternsWithDoubles) {
    struct Case {
        const char* pattern;
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {"{0;.1} dB", -3.14159, "-3.1 dB"},
        {"{0;.2} Hz", 440.0, "440.00 Hz"},
        {"{0;.2} Hz", 0.125, "0.12 Hz"}, // exact binary half: round half to even
        {"{0;+.02}", 0.5, "+0.50"},
        {"{0;+.02}", -0.5, "-0.50"},
        {"{0;+.02}", 0.0, "+0.00"},
        {"{0}", 1.5, "1.5000"},              // default precision 4
        {"{0;.0}%", 99.6, "100%"},           // precision 0 rounds
        {"{0;.12}", 0.5, "0.5"},             // precision 10+ is general notation
        {"{0;.10}", 1e-20, "1e-20"},         // general notation uses an exponent where needed
        {"{0; 8.2}|", 3.14159, "    3.14|"}, // blank pad to width
        {"{0;08.2}", -3.14159, "-0003.14"},  // zeros go after the sign
        {"{0; 6.1}", -2.0, "  -2.0"},        // blanks go before the sign
        {"{0;.1}", 12345.678, "12345.7"},    // width 0: nothing cut
    };
    for (const Case& c : cases) {
        EXPECT_EQ(U8(YFormat(YString::Literal(c.pattern)).Arg(c.value).ToString()), c.expected)
            << c.pattern << " with " << c.value;
    }
}

TEST(YFormat, IntegersIgnorePrecisionAndPrintHexWithX) {
    struct Case {
        const char* pattern;
        int64_t value;
        const char* expected;
    };
    const Case cases[] = {
        {"{0}", 42, "42"},
        {"{0;.3}", 42, "42"},
        {"{0;x}", 255, "FF"},
        {"{0;x08}", 0x1234ABCD, "1234ABCD"},
        {"{0;x08}", 0xABC, "00000ABC"},
        {"{0;x}", -31, "-1F"},
        {"{0;+}", 7, "+7"},
        {"{0;+05}", 7, "+0007"},
        {"{0; 4}", -7, "  -7"},
        {"{0}", INT64_MIN, "-9223372036854775808"},
        {"{0;x}", INT64_MIN, "-8000000000000000"},
        {"{0}", INT64_MAX, "9223372036854775807"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(U8(YFormat(YString::Literal(c.pattern)).Arg(c.value).ToString()), c.expected)
            << c.pattern << " with " << c.value;
    }
    // Other integer types go through the integer path, not the double one.
    EXPECT_EQ(U8(YFormat::Text("{0}/{1}/{2}", 3u, static_cast<uint8_t>(200), 5L)), "3/200/5");
    EXPECT_EQ(U8(YFormat::Text("{0}", UINT64_MAX)), "9223372036854775807");
    EXPECT_EQ(U8(YFormat::Text("{0}{1}{2}", u'\u00E9', 'c', true)), "\xC3\xA9"
                                                                    "c1"); // characters are text
    // Options directly after the index, without ";", work the same.
    EXPECT_EQ(U8(YFormat::Text("{0.2}%", 12.345)), "12.35%");
}

TEST(YFormat, TextArgumentsAndOrderOfPlaceholders) {
    EXPECT_EQ(U8(YFormat::Text("{0}{1}", "a", "b")), "ab");
    EXPECT_EQ(U8(YFormat::Text("{1}{0}", "a", "b")), "ba");
    EXPECT_EQ(U8(YFormat::Text("{2}{0}{1}", "a", "b", "c")), "cab");
    EXPECT_EQ(U8(YFormat::Text("<{1}>{0}<{2}>", "a", "b", "c")), "<b>a<c>");
    EXPECT_EQ(U8(YFormat::Text("Service \"{0}\" is not implemented.", "x")),
              "Service \"x\" is not implemented.");
    EXPECT_EQ(U8(YFormat::Text("{0;.1}{1}kHz", 1.25, " ")), "1.2 kHz");
    EXPECT_EQ(U8(YFormat::Text("{0; 5}|", "ab")), "   ab|");
    // Non-ASCII text survives the insertion.
    EXPECT_EQ(U8(YFormat::Text("[{0}]", YString::FromUTF8("\xC3\xA9\xF0\x9F\x8E\xB5"))),
              "[\xC3\xA9\xF0\x9F\x8E\xB5]");
}

TEST(YFormat, EscapesAndMissingOrExtraArguments) {
    EXPECT_EQ(U8(YFormat("{{0}}").ToString()), "{0}");
    EXPECT_EQ(YFormat("{{0}}").SlotCount(), 0);
    EXPECT_EQ(U8(YFormat::Text("{{0}} {0}", "x")), "{0} x");
    EXPECT_EQ(U8(YFormat::Text("a}bc")), "abc");              // "}" copies the next character
    EXPECT_EQ(U8(YFormat::Text("a}")), "a");                  // a trailing "}" stands for nothing
    EXPECT_EQ(U8(YFormat::Text("x{0}y{1}z", "1")), "x1yz");   // no argument: nothing left behind
    EXPECT_EQ(U8(YFormat::Text("{0}", "a", "b", "c")), "a");  // extra arguments are dropped
    EXPECT_EQ(U8(YFormat::Text("{1}", "skipped", "b")), "b"); // slot 0 is never named
    EXPECT_EQ(YFormat("{3}").SlotCount(), 4);
    EXPECT_EQ(U8(YFormat::Text("{}", "x")), "x"); // no digits: index 0
}

TEST(YFormat, PatternErrors) {
    const char* unterminated[] = {"{0;.2", "{", "abc{0", "{0;+.02", "{{{"};
    for (const char* p : unterminated)
        EXPECT_EQ(RaisedMessage(YString::Literal(p)), "Formatting string ends in an argument specification.")
            << p;
    EXPECT_EQ(RaisedMessage("{32}"), "Index out of range.");
    EXPECT_EQ(RaisedMessage("{-1}"), "Index out of range.");
    EXPECT_EQ(RaisedMessage("{99999999999999999999}"), "Index out of range.");
    EXPECT_EQ(RaisedMessage("{31}"), "(nothing raised)");
}

TEST(YFormat, CopiesShareTheCompiledPatternUntilChanged) {
    YFormat pattern("{0} and {1}");
    YFormat copy(pattern);
    copy.Arg("x");
    YFormat assigned("other");
    assigned = copy;
    assigned.Arg("y");
    EXPECT_EQ(U8(pattern.ToString()), " and ");
    EXPECT_EQ(U8(copy.ToString()), "x and ");
    EXPECT_EQ(U8(assigned.ToString()), "x and y");
    // A rendered string does not change when more arguments arrive.
    YString rendered = copy.ToString();
    copy.Arg("z");
    EXPECT_EQ(U8(rendered), "x and ");
    EXPECT_EQ(U8(copy.ToString()), "x and z");
}

TEST(YFormatRead, CapturesPlaceholders) {
    std::vector<YString> captures;
    EXPECT_EQ(YFormat::Read("-3.1 dB", "{0;.1} dB", captures), 1);
    ASSERT_EQ(captures.size(), 1u);
    EXPECT_EQ(U8(captures[0]), "-3.1");

    EXPECT_EQ(YFormat::Read("12 of   40 done", "{1} of {0} done", captures), 2);
    ASSERT_EQ(captures.size(), 2u);
    EXPECT_EQ(U8(captures[0]), "40");
    EXPECT_EQ(U8(captures[1]), "12");

    EXPECT_EQ(YFormat::Read("{7}", "{{{0}}}", captures), 1);
    EXPECT_EQ(U8(captures[0]), "7");

    // Last placeholder takes the rest of the text.
    EXPECT_EQ(YFormat::Read("Name: a b", "Name: {0}", captures), 1);
    EXPECT_EQ(U8(captures[0]), "a b");
}

TEST(YFormatRead, StopsAtFirstMismatchOrEnd) {
    std::vector<YString> captures;
    EXPECT_EQ(YFormat::Read("5 Hz", "{0} dB", captures), 1); // captured, then "H" != "d"
    EXPECT_EQ(YFormat::Read("x=5", "y={0}", captures), 0);
    EXPECT_EQ(YFormat::Read("a", "a{0}", captures), 0);     // text ends before the placeholder
    EXPECT_EQ(YFormat::Read("ab", "a b {0}", captures), 0); // a blank needs a blank
    EXPECT_EQ(YFormat::Read("", "", captures), 0);
    EXPECT_THROW(YFormat::Read("1", "{0;.2", captures), YException);
}

TEST(YFormatThreading, CopiesOfOneCompiledPatternOnTwoThreads) {
    // Each thread fills its own copies; the shared compiled pattern must stay untouched.
    const YFormat shared("{0;.1} dB / {1}");
    auto work = [&shared](double value, const char* expected) {
        int bad = 0;
        for (int i = 0; i < 5000; ++i) {
            YFormat mine(shared);
            mine.Arg(value).Arg(i % 2);
            const std::string text = mine.ToString().ToUTF8();
            if (text != std::string(expected) + std::to_string(i % 2)) ++bad;
        }
        return bad;
    };
    int badA = -1, badB = -1;
    std::thread a([&] { badA = work(-3.14159, "-3.1 dB / "); });
    std::thread b([&] { badB = work(12.25, "12.2 dB / "); });
    a.join();
    b.join();
    EXPECT_EQ(badA, 0);
    EXPECT_EQ(badB, 0);
    EXPECT_EQ(shared.ToString().ToUTF8(), " dB / ");
}
