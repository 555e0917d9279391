#include "platform/YPlatformLibrary.h"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace {
// A system library every process of this platform already has, and a function it exports
// that counts the characters of a C string.
#ifdef _WIN32
constexpr const char* kSystemLibrary = "kernel32.dll";
constexpr const char* kLengthFunction = "lstrlenA";
using LengthFunction = int(__stdcall*)(const char*);
#else
constexpr const char* kSystemLibrary = "libc.so.6";
constexpr const char* kLengthFunction = "strlen";
using LengthFunction = std::size_t (*)(const char*);
#endif

std::string ScratchPath(const std::string& name) {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    return (std::filesystem::temp_directory_path() / (std::to_string(stamp) + "-" + name)).string();
}

bool Mentions(const YString& text, const std::string& part) { return text.ToUTF8().find(part) != std::string::npos; }
} // namespace

TEST(YPlatformLibraryTest, SystemLibraryExportsACallableFunction) {
    YPlatformLibrary library;
    EXPECT_FALSE(library.IsOpen());
    ASSERT_TRUE(library.Open(YString::FromUTF8(kSystemLibrary))) << library.ErrorText().ToUTF8();
    EXPECT_TRUE(library.IsOpen());
    EXPECT_TRUE(library.ErrorText().IsEmpty());

    const auto length = library.Function<LengthFunction>(kLengthFunction);
    ASSERT_NE(length, nullptr) << library.ErrorText().ToUTF8();
    EXPECT_EQ(length("vornik"), 6);

    EXPECT_EQ(library.Symbol("no_such_symbol_in_here"), nullptr);
    EXPECT_TRUE(Mentions(library.ErrorText(), "no_such_symbol_in_here")) << library.ErrorText().ToUTF8();
    // A later success clears the message.
    EXPECT_NE(library.Symbol(kLengthFunction), nullptr);
    EXPECT_TRUE(library.ErrorText().IsEmpty());

    library.Close();
    EXPECT_FALSE(library.IsOpen());
    EXPECT_EQ(library.Symbol(kLengthFunction), nullptr);
    EXPECT_FALSE(library.ErrorText().IsEmpty());
    library.Close(); // twice is harmless
}

TEST(YPlatformLibraryTest, FailedOpensExplainThemselvesAndNameThePath) {
    const std::string notALibrary = ScratchPath("not-a-library.bin");
    std::ofstream(notALibrary) << "plain text, not a binary";
    const std::string missing = ScratchPath("missing-plugin.so");

    for (const std::string& path : {missing, notALibrary}) {
        YPlatformLibrary library;
        EXPECT_FALSE(library.Open(YString::FromUTF8(path))) << path;
        EXPECT_FALSE(library.IsOpen());
        EXPECT_TRUE(Mentions(library.ErrorText(), "Could not load")) << library.ErrorText().ToUTF8();
        EXPECT_TRUE(Mentions(library.ErrorText(), path)) << library.ErrorText().ToUTF8();
        // More than the path alone: the system's reason follows it.
        EXPECT_GT(library.ErrorText().ToUTF8().size(), path.size() + std::string("Could not load \"\": ").size())
            << library.ErrorText().ToUTF8();
    }
    std::filesystem::remove(notALibrary);

    YPlatformLibrary empty;
    EXPECT_FALSE(empty.Open(YString()));
    EXPECT_FALSE(empty.ErrorText().IsEmpty());
}

TEST(YPlatformLibraryTest, SecondOpenIsRefusedAndKeepsTheFirstLibrary) {
    YPlatformLibrary library;
    ASSERT_TRUE(library.Open(YString::FromUTF8(kSystemLibrary)));
    EXPECT_FALSE(library.Open(YString::FromUTF8(kSystemLibrary)));
    EXPECT_TRUE(Mentions(library.ErrorText(), "open already"));
    EXPECT_NE(library.Symbol(kLengthFunction), nullptr);
}
