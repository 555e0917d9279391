#include "foundation/YString.h"

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>
#include <new>
#include <string>
#include <thread>
#include <vector>

// The counting allocation operators for this test program.
#include "support/AllocationCounting.inc"

namespace {

long Allocations() { return static_cast<long>(AllocationCounting::Count()); }

std::string U8(const YString& s) { return s.ToUTF8(); }

} // namespace

TEST(YString, LiteralViewsNeverAllocate) {
    const long before = Allocations();
    {
        YString a("a program literal");
        YString b = a;
        YString c;
        c = b;
        YString d(std::move(c));
        YString e = YString::Literal("another");
        e = "assigned literal";
        YString tail = a.Substring(2); // a literal's tail is still a literal
        YString empty;
        YString f = empty;
        // Reading, comparing, searching and parsing read the bytes where they are.
        volatile int sink =
            a.Length() + (a == b) + (a < e) + a.Find(u'l') + a.Find("literal") + (a[0] == u'a');
        sink = sink + static_cast<int>(YString("-1F").ToInteger(16)) +
               static_cast<int>(YString("2.5").ToDouble());
        (void)sink;
        (void)tail;
        (void)f;
    }
    EXPECT_EQ(Allocations(), before);
    EXPECT_TRUE(YString("x").IsLiteral());
    EXPECT_TRUE(YString("abc").Substring(1).IsLiteral());
    EXPECT_EQ(YString("abc").ShareCount(), 0);
}

TEST(YString, CopiesShareTheBufferAndAppendCopiesOnWrite) {
    YString a = YString::FromUTF8("shared");
    ASSERT_FALSE(a.IsLiteral());
    EXPECT_EQ(a.ShareCount(), 1);
    const long before = Allocations();
    YString b = a;
    YString c;
    c = b;
    EXPECT_EQ(Allocations(), before); // sharing, not copying
    EXPECT_EQ(a.ShareCount(), 3);

    b.Append(" text");
    EXPECT_EQ(U8(a), "shared");
    EXPECT_EQ(U8(b), "shared text");
    EXPECT_EQ(U8(c), "shared");
    EXPECT_EQ(a.ShareCount(), 2);
    EXPECT_EQ(b.ShareCount(), 1);

    c.MutableData()[0] = u'S';
    EXPECT_EQ(U8(a), "shared");
    EXPECT_EQ(U8(c), "Shared");
    EXPECT_EQ(a.ShareCount(), 1);
}

TEST(YString, SelfAssignmentAndMovesKeepTheText) {
    YString a = YString::FromUTF8("buffer");
    YString& alias = a;
    a = alias;
    EXPECT_EQ(U8(a), "buffer");
    EXPECT_EQ(a.ShareCount(), 1);
    a = std::move(alias);
    EXPECT_EQ(U8(a), "buffer");

    YString b(std::move(a));
    EXPECT_EQ(U8(b), "buffer");
    EXPECT_EQ(b.ShareCount(), 1);
    EXPECT_TRUE(a.IsEmpty()); // NOLINT(bugprone-use-after-move): a moved-from string is empty
    YString c("literal");
    c = std::move(b);
    EXPECT_EQ(U8(c), "buffer");
    c = "again";
    EXPECT_TRUE(c.IsLiteral());
}

TEST(YString, LiteralBecomesABufferOnWrite) {
    YString literal("abc");
    YString copy = literal;
    copy.Append(u'd');
    EXPECT_FALSE(copy.IsLiteral());
    EXPECT_TRUE(literal.IsLiteral());
    EXPECT_EQ(U8(literal), "abc");
    EXPECT_EQ(U8(copy), "abcd");

    // Non-ASCII bytes in a literal widen to one unit each.
    YString latin = YString::Literal("\xE9t\xE9");
    EXPECT_EQ(latin.Length(), 3);
    EXPECT_EQ(latin[0], u'\u00E9');
    latin.MutableData()[1] = u'T';
    EXPECT_EQ(latin.ToUTF16(), u"\u00E9T\u00E9");
}

TEST(YString, CapacityFollowsThePowerOfTwoRuleAndGrowsInPlace) {
    // N characters: N*2 + 8 bytes, then the next power of two above (room for the NUL).
    struct Case {
        int32_t n;
        int32_t blockBytes;
    };
    const Case cases[] = {{0, 16}, {3, 16}, {4, 32}, {11, 32}, {12, 64}, {28, 128}, {1000, 2048}};
    for (const Case& c : cases) {
        YString s;
        s.Reserve(c.n);
        const int32_t charsThatFit = (c.blockBytes - 8) / 2 - 1;
        EXPECT_GE(charsThatFit, c.n);
        // Filling up to what the block holds stays in the same block; one more moves it.
        YString::Char* first = s.MutableData();
        s.Resize(charsThatFit);
        EXPECT_EQ(s.MutableData(), first) << c.n;
        s.Append(u'x');
        EXPECT_NE(s.MutableData(), first) << c.n;
        EXPECT_EQ(s.Length(), charsThatFit + 1);
    }
}

TEST(YString, RepeatedAppendsAreAmortised) {
    YString s;
    const long before = Allocations();
    for (int i = 0; i < 10000; ++i) s.Append(static_cast<YString::Char>(u'a' + i % 26));
    EXPECT_LE(Allocations() - before, 16);
    EXPECT_EQ(s.Length(), 10000);
    EXPECT_EQ(s[9999], u'a' + 9999 % 26);
}

TEST(YString, AppendAndInsertTheStringItself) {
    YString s = YString::FromUTF8("ab");
    s.Append(s);
    EXPECT_EQ(U8(s), "abab");
    s.Insert(1, s);
    EXPECT_EQ(U8(s), "aababbab");
    YString lit("xy");
    lit.Insert(1, lit);
    EXPECT_EQ(U8(lit), "xxyy");
    s.Insert(-5, "<").Insert(1000, ">");
    EXPECT_EQ(U8(s), "<aababbab>");
    EXPECT_EQ(U8(YString("a") + YString::FromUTF8("b") + "c"), "abc");
}

TEST(YString, PrintsAsQuotedUTF8InTestMessages) {
    EXPECT_EQ(::testing::PrintToString(YString::FromUTF8("caf\xC3\xA9")), "\"caf\xC3\xA9\"");
}

TEST(YString, SubstringFindCompareTrim) {
    YString s = YString::FromUTF8("hello world");
    EXPECT_EQ(U8(s.Substring(6)), "world");
    EXPECT_EQ(U8(s.Substring(0, 5)), "hello");
    EXPECT_EQ(U8(s.Substring(-3, 2)), "he");
    EXPECT_EQ(U8(s.Substring(20)), "");
    EXPECT_EQ(U8(s.Substring(6, 100)), "world");
    EXPECT_EQ(s.Find("o"), 4);
    EXPECT_EQ(s.Find("o", 5), 7);
    EXPECT_EQ(s.Find("xyz"), -1);
    EXPECT_EQ(s.Find(u'd'), 10);
    EXPECT_EQ(s.Find(u'h', 1), -1);

    // Literal views and buffers compare by content.
    EXPECT_EQ(s, YString("hello world"));
    EXPECT_LT(YString("abc"), YString::FromUTF8("abd"));
    EXPECT_LT(YString("ab"), YString("abc"));
    EXPECT_GT(YString("\xE9").Compare(YString("z")), 0); // bytes compare unsigned
    EXPECT_GT(YString::FromUTF8("\xC3\xA9").Compare("z"), 0);
    EXPECT_EQ(YString().Compare(""), 0);

    EXPECT_EQ(U8(YString(" \t x y \n").Trimmed()), "x y");
    EXPECT_EQ(U8(YString("   ").Trimmed()), "");
}

TEST(YString, ResizeAndConstructionFromUnits) {
    const YString::Char units[] = {u'a', u'b', 0, u'c'};
    EXPECT_EQ(YString(units).Length(), 2);
    EXPECT_EQ(YString(units, 4).Length(), 4);
    EXPECT_TRUE(YString(nullptr).IsEmpty());
    EXPECT_TRUE(YString(units, 0).IsLiteral());

    YString s("abcdef");
    s.Resize(3);
    EXPECT_EQ(U8(s), "abc");
    s.Resize(5);
    EXPECT_EQ(s.Length(), 5);
    EXPECT_EQ(s[4], 0);
    s.Resize(-1);
    EXPECT_TRUE(s.IsEmpty());
}

TEST(YString, UTF8RoundTripWithSurrogatePairs) {
    const std::string text = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB5z"; // A é € U+1F3B5 z
    YString s = YString::FromUTF8(text);
    EXPECT_EQ(s.Length(), 6);
    EXPECT_EQ(s[3], 0xD83C);
    EXPECT_EQ(s[4], 0xDFB5);
    EXPECT_EQ(s.ToUTF8(), text);
    EXPECT_EQ(s.ToUTF16(), u"A\u00E9\u20AC\U0001F3B5z");
    EXPECT_EQ(YString::FromUTF16(u"\U0001F3B5").ToUTF8(), "\xF0\x9F\x8E\xB5");
    EXPECT_EQ(YString::FromLatin1("\xE9").ToUTF8(), "\xC3\xA9");
}

TEST(YString, InvalidUTF8BecomesReplacementCharacters) {
    struct Case {
        std::string in;
        std::u16string out;
    };
    const Case cases[] = {
        {"\xFF", u"\uFFFD"},
        {"a\x80z", u"a\uFFFDz"},
        {"\xC0\xAF", u"\uFFFD\uFFFD"},   // overlong lead byte
        {"\xE0\x80\xAF", u"\uFFFD"},     // overlong three-byte form
        {"\xED\xA0\x80", u"\uFFFD"},     // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD"}, // above U+10FFFF
        {"\xE2\x82", u"\uFFFD"},         // truncated at the end
        {"\xE2\x82z", u"\uFFFDz"},       // truncated before an ASCII byte
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
    };
    for (const Case& c : cases) EXPECT_EQ(YString::FromUTF8(c.in).ToUTF16(), c.out);
    // A lone surrogate has no UTF-8 form.
    const YString::Char lone[] = {u'x', 0xD800, u'y', 0xDC00};
    EXPECT_EQ(YString(lone, 4).ToUTF8(), "x\xEF\xBF\xBDy\xEF\xBF\xBD");
}

TEST(YString, ToIntegerInAnyBase) {
    struct Case {
        const char* text;
        int base;
        int64_t value;
        int32_t consumed;
    };
    const Case cases[] = {
        {"-1Fz", 16, -31, 3},
        {"1f", 16, 31, 2},
        {"123abc", 10, 123, 3}, // base 10 takes decimal digits only
        {"777", 8, 511, 3},
        {"778", 8, 63, 2},
        {"1012", 2, 5, 3},
        {"zz", 36, 1295, 2},
        {"", 10, 0, 0},
        {"-", 10, 0, 0},
        {"-x", 16, 0, 0},
        {"+5", 10, 0, 0},
        {" 5", 10, 0, 0},
        {"9223372036854775807", 10, INT64_MAX, 19},
        {"99999999999999999999x", 10, INT64_MAX, 20}, // saturates, keeps counting digits
        {"-9223372036854775808", 10, INT64_MIN, 20},
        {"-99999999999999999999", 10, INT64_MIN, 21},
        {"12", 1, 0, 0},
        {"12", 37, 0, 0},
    };
    for (const Case& c : cases) {
        int32_t consumed = -1;
        EXPECT_EQ(YString::Literal(c.text).ToInteger(c.base, &consumed), c.value)
            << c.text << " base " << c.base;
        EXPECT_EQ(consumed, c.consumed) << c.text << " base " << c.base;
    }
    EXPECT_EQ(YString::FromUTF8("42").ToInteger(), 42); // buffers parse like literals
}

TEST(YString, ToDouble) {
    int32_t consumed = -1;
    EXPECT_DOUBLE_EQ(YString("-3.25 dB").ToDouble(&consumed), -3.25);
    EXPECT_EQ(consumed, 5);
    EXPECT_DOUBLE_EQ(YString("+1e3x").ToDouble(&consumed), 1000.0);
    EXPECT_EQ(consumed, 4);
    EXPECT_DOUBLE_EQ(YString("abc").ToDouble(&consumed), 0.0);
    EXPECT_EQ(consumed, 0);
    EXPECT_DOUBLE_EQ(YString("+-1").ToDouble(&consumed), 0.0);
    EXPECT_EQ(consumed, 0);
    EXPECT_DOUBLE_EQ(YString::FromUTF8("0.5\xC3\xA9").ToDouble(&consumed), 0.5);
    EXPECT_EQ(consumed, 3);
    // Out of range: infinity for overflow, zero for underflow, the sign kept.
    EXPECT_EQ(YString("1e999").ToDouble(&consumed), std::numeric_limits<double>::infinity());
    EXPECT_EQ(consumed, 5);
    EXPECT_EQ(YString("-1e999").ToDouble(), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(YString("1e-999").ToDouble(), 0.0);
}

// A list read in place: each number from where the last one ended, past the blanks between.
TEST(YString, ToDoubleAtReadsFromAnIndexWithoutCopying) {
    const YString list("0.25 -1e2\t+3x  7");
    struct Case {
        int32_t start;
        double value;
        int32_t consumed;
    };
    const Case cases[] = {
        {0, 0.25, 4}, {5, -100.0, 4}, {10, 3.0, 2}, {12, 0.0, 0}, {4, 0.0, 0}, {15, 7.0, 1},
        {16, 0.0, 0}, // the end
        {99, 0.0, 0}, // beyond it
        {-3, 0.25, 4}, // before the start: from the start
    };
    for (const Case& c : cases) {
        int32_t consumed = -1;
        EXPECT_DOUBLE_EQ(list.ToDoubleAt(c.start, &consumed), c.value) << c.start;
        EXPECT_EQ(consumed, c.consumed) << c.start;
    }
    // A number longer than the narrowing buffer is read as far as it goes.
    const YString longNumber = YString::FromUTF8("1." + std::string(600, '5'));
    EXPECT_NEAR(longNumber.ToDoubleAt(0), 1.5555555555555556, 1e-15);
}

TEST(YString, NumbersToText) {
    struct Case {
        double value;
        int precision;
        const char* expected;
    };
    const Case cases[] = {
        {0.5, 2, "0.50"},
        {0.5, 12, "0.5"},
        {-3.14159, 1, "-3.1"},
        {2.5, 0, "2"},
        {1234.5678, 9, "1234.567800000"},
        {1e21, 10, "1e+21"},
        {1.0 / 3.0, 10, "0.3333333333"},
        {123456789012.0, 10, "1.23456789e+11"},
        {-0.0, 1, "-0.0"},
        {1.5, -3, "2"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(U8(YString::FromDouble(c.value, c.precision)), c.expected)
            << c.value << " p" << c.precision;
    EXPECT_EQ(U8(YString::FromInteger(-255, 16)), "-FF");
    EXPECT_EQ(U8(YString::FromInteger(INT64_MIN)), "-9223372036854775808");
    EXPECT_EQ(U8(YString::FromInteger(5, 2)), "101");
    EXPECT_EQ(U8(YString::FromInteger(5, 99)), "5");
}

TEST(YStringThreading, SharedCopiesOnTwoThreads) {
    // Each thread copies, changes and destroys its own copies of one shared buffer; the
    // atomic reference count must keep the buffer alive and intact for both.
    const YString shared = YString::FromUTF8("shared between threads");
    auto work = [&shared](YString::Char mark) {
        int bad = 0;
        for (int i = 0; i < 20000; ++i) {
            YString copy = shared;
            YString another(copy);
            another.Append(mark);
            if (copy.Length() != 22 || another[22] != mark || another[0] != u's') ++bad;
        }
        return bad;
    };
    int badA = -1, badB = -1;
    std::thread a([&] { badA = work(u'A'); });
    std::thread b([&] { badB = work(u'B'); });
    a.join();
    b.join();
    EXPECT_EQ(badA, 0);
    EXPECT_EQ(badB, 0);
    EXPECT_EQ(shared.ShareCount(), 1);
    EXPECT_EQ(U8(shared), "shared between threads");
}
