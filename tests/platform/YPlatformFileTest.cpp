#include "platform/YPlatformFile.h"

#include "foundation/YString.h"
#include "support/ScratchFolder.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
} // namespace

TEST(YPlatformFileTest, ParentDirectoryOfForwardSlashPaths) {
    const std::pair<const char*, const char*> cases[] = {
        {"a/b/c.xml", "a/b"}, {"c.xml", ""}, {"/c.xml", "/"}, {"a//b.xml", "a"}, {"", ""}, {"dir/", "dir"},
    };
    for (auto [path, parent] : cases)
        EXPECT_EQ(YPlatformFile::ParentDirectory(YString::FromUTF8(path)).ToUTF8(), parent) << path;
}

TEST(YPlatformFileTest, CreateDirectoriesMakesEveryMissingLevel) {
    ScratchFolder scratch;
    const std::string deep = scratch.Path("one/two/thr\xC3\xA9\x65");
    EXPECT_TRUE(YPlatformFile::CreateDirectories(YString::FromUTF8(deep)));
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::u8path(deep)));
    EXPECT_TRUE(YPlatformFile::CreateDirectories(YString::FromUTF8(deep + "/"))); // exists already
    EXPECT_TRUE(YPlatformFile::CreateParentDirectories(YString::FromUTF8(scratch.Path("p/q/file.bin"))));
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::u8path(scratch.Path("p/q"))));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(scratch.Path("p/q/file.bin"))));

    std::ofstream(std::filesystem::u8path(scratch.Path("plain"))) << "x";
    EXPECT_FALSE(YPlatformFile::CreateDirectories(YString::FromUTF8(scratch.Path("plain/sub"))));
    EXPECT_FALSE(YPlatformFile::CreateDirectories(YString()));
}

TEST(YPlatformFileTest, OpenSeekAndTellBeyondFourGigabytes) {
    ScratchFolder scratch;
    const YString path = YString::FromUTF8(scratch.Path("n\xC3\xA4me.bin"));
    EXPECT_EQ(YPlatformFile::Open(path, "rb"), nullptr);
    EXPECT_EQ(YPlatformFile::Open(YString(), "rb"), nullptr);
    std::FILE* file = YPlatformFile::Open(path, "w+b");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(std::fwrite("abc", 1, 3, file), 3u);
    const int64_t far = int64_t(5) << 30;
    EXPECT_TRUE(YPlatformFile::Seek(file, far, SEEK_SET));
    EXPECT_EQ(YPlatformFile::Tell(file), far);
    EXPECT_TRUE(YPlatformFile::Seek(file, -far + 1, SEEK_CUR));
    EXPECT_EQ(YPlatformFile::Tell(file), 1);
    EXPECT_FALSE(YPlatformFile::Seek(file, -5, SEEK_SET));
    EXPECT_TRUE(YPlatformFile::Seek(file, 0, SEEK_END));
    EXPECT_EQ(YPlatformFile::Tell(file), 3);
    std::fclose(file);
    EXPECT_FALSE(YPlatformFile::Seek(nullptr, 0, SEEK_SET));
    EXPECT_EQ(YPlatformFile::Tell(nullptr), -1);
}

TEST(YPlatformFileTest, ReplaceMovesOverAnExistingFileAndRemoveDeletes) {
    ScratchFolder scratch;
    const YString source = YString::FromUTF8(scratch.Path("new.xml"));
    const YString target = YString::FromUTF8(scratch.Path("t\xC3\xA4rget.xml"));
    std::ofstream(std::filesystem::u8path(source.ToUTF8()), std::ios::binary) << "new";
    std::ofstream(std::filesystem::u8path(target.ToUTF8()), std::ios::binary) << "old contents";
    EXPECT_TRUE(YPlatformFile::Exists(source));
    EXPECT_FALSE(YPlatformFile::Exists(YString::FromUTF8(scratch.Path(""))) ); // a directory

    EXPECT_TRUE(YPlatformFile::Replace(source, target));
    EXPECT_FALSE(YPlatformFile::Exists(source));
    std::ifstream in(std::filesystem::u8path(target.ToUTF8()), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "new");
    in.close();

    EXPECT_FALSE(YPlatformFile::Replace(source, target)); // the source is gone now
    EXPECT_FALSE(YPlatformFile::Replace(YString(), target));
    EXPECT_TRUE(YPlatformFile::Remove(target));
    EXPECT_FALSE(YPlatformFile::Exists(target));
    EXPECT_TRUE(YPlatformFile::Remove(target)); // already gone counts as removed
    EXPECT_FALSE(YPlatformFile::Remove(YString()));
}

TEST(YPlatformFileTest, ReadAllStopsAtTheLimitAndTellsWhy) {
    ScratchFolder scratch;
    const std::string content(70000, 'x'); // more than one read piece
    std::ofstream(std::filesystem::u8path(scratch.Path("big.bin")), std::ios::binary) << content;
    std::ofstream(std::filesystem::u8path(scratch.Path("empty.bin")), std::ios::binary);
    using Result = YPlatformFile::ReadResult;
    const struct {
        const char* name;
        size_t limit;
        Result result;
        size_t size;
    } cases[] = {
        {"big.bin", content.size(), Result::kRead, content.size()},
        {"big.bin", content.size() - 1, Result::kTooLarge, 0},
        {"big.bin", 0, Result::kTooLarge, 0},
        {"empty.bin", 0, Result::kRead, 0},
        {"missing.bin", 100, Result::kMissing, 0},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes{1, 2, 3}; // whatever was there goes
        EXPECT_EQ(YPlatformFile::ReadAll(YString::FromUTF8(scratch.Path(c.name)), c.limit, bytes), c.result)
            << c.name << " " << c.limit;
        EXPECT_EQ(bytes.size(), c.size) << c.name << " " << c.limit;
    }
    std::vector<uint8_t> bytes;
    ASSERT_EQ(YPlatformFile::ReadAll(YString::FromUTF8(scratch.Path("big.bin")), 1u << 20, bytes), Result::kRead);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), content);
    // A folder is no file to read, on either system.
    EXPECT_NE(YPlatformFile::ReadAll(YString::FromUTF8(scratch.Path("")), 1u << 20, bytes), Result::kRead);
    EXPECT_TRUE(bytes.empty());
}
