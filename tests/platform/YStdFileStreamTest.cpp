#include "platform/YStdFileStream.h"

#include "foundation/StreamTestSupport.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace {
std::string ReadFile(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(std::filesystem::u8path(path), std::ios::binary);
    out << bytes;
}
} // namespace

TEST(YStdFileStreamTest, CreateWritesANewFileInMissingDirectories) {
    ScratchFolder dir;
    const std::string path = dir.Path("a/b/c/state.bin");
    {
        YStdFileStream stream(YString::FromUTF8(path), YStdFileStream::kWrite | YStdFileStream::kCreate);
        EXPECT_TRUE(stream.IsOpen());
        stream.Write("0123456789", 10);
        EXPECT_EQ(stream.GetPosition(), 10);
        EXPECT_EQ(stream.GetSize(), 10);
        stream.Seek(2, YStream::kFromStart);
        char two[2];
        EXPECT_EQ(stream.Read(two, 2), 2); // created files can be read back at once
        EXPECT_EQ(std::string(two, 2), "23");
        stream.Write("xy", 2); // and written again after reading
        EXPECT_EQ(stream.GetPosition(), 6);
    }
    EXPECT_EQ(ReadFile(path), "0123xy6789");
}

TEST(YStdFileStreamTest, CreateEmptiesAnExistingFile) {
    ScratchFolder dir;
    const std::string path = dir.Path("old.txt");
    WriteFile(path, "previous contents");
    YStdFileStream stream(YString::FromUTF8(path), YStdFileStream::kCreate);
    EXPECT_EQ(stream.GetSize(), 0);
}

TEST(YStdFileStreamTest, ReadOnlyAndInPlaceModes) {
    ScratchFolder dir;
    const std::string path = dir.Path("data.txt");
    WriteFile(path, "line one\r\nline two");
    {
        YStdFileStream reader(YString::FromUTF8(path), YStdFileStream::kRead);
        char line[32];
        EXPECT_EQ(reader.ReadLine(line, 32), 0);
        EXPECT_STREQ(line, "line one");
        EXPECT_FALSE(reader.IsEnd());
        EXPECT_EQ(reader.ReadLine(line, 32), 0);
        EXPECT_STREQ(line, "line two");
        EXPECT_TRUE(reader.IsEnd());
        EXPECT_EQ(reader.ReadLine(line, 32), 2);
        // Writing to a file opened for reading fails and leaves the position.
        reader.Seek(-3, YStream::kFromEnd);
        RaisedError error = Raised([&] { reader.Write("x", 1); });
        EXPECT_EQ(error.message, Cat("Error writing to file \"", path, "\". Probably disk full."));
        EXPECT_EQ(error.code, 256);
        EXPECT_EQ(reader.GetPosition(), 15);
    }
    {
        YStdFileStream writer(YString::FromUTF8(path), YStdFileStream::kWrite);
        writer.Seek(5, YStream::kFromStart);
        writer.Write("ONE", 3);
    }
    EXPECT_EQ(ReadFile(path), "line ONE\r\nline two");
}

TEST(YStdFileStreamTest, MissingAndUncreatableFilesRaiseWithTheName) {
    ScratchFolder dir;
    const std::string missing = dir.Path("no/such/file.xml");
    for (int flags : {int(YStdFileStream::kRead), int(YStdFileStream::kWrite)}) {
        YStdFileStream stream;
        RaisedError error = Raised([&] { stream.Open(YString::FromUTF8(missing), flags); });
        EXPECT_EQ(error.message, Cat("File \"", missing, "\" could not be open. Make sure it exists."));
        EXPECT_FALSE(stream.IsOpen());
    }
    EXPECT_FALSE(std::filesystem::exists(dir.Root() / "no")); // only creating makes directories

    // A regular file where a directory would have to be: neither root nor anyone can create it.
    const std::string blocker = dir.Path("plain");
    WriteFile(blocker, "x");
    const std::string below = blocker + "/sub/x.xml";
    RaisedError error = Raised([&] {
        YStdFileStream stream(YString::FromUTF8(below), YStdFileStream::kWrite | YStdFileStream::kCreate);
    });
    EXPECT_EQ(error.message,
              Cat("File \"", below,
                  "\" could not be created. Make sure there is no write-protected file already existing."));
    // A directory is not a file to create either.
    const std::string directory = dir.Path("");
    EXPECT_EQ(
        Raised([&] { YStdFileStream stream(YString::FromUTF8(directory), YStdFileStream::kCreate); }).message,
        Cat("File \"", directory,
            "\" could not be created. Make sure there is no write-protected file already existing."));
}

TEST(YStdFileStreamTest, AFullDiskRaisesWithCode256AndKeepsThePosition) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
    YStdFileStream stream("/dev/full", YStdFileStream::kWrite);
    std::string block(1 << 20, 'x');
    RaisedError error = Raised([&] { stream.Write(block.data(), static_cast<int32_t>(block.size())); });
    EXPECT_EQ(error.message, "Error writing to file \"/dev/full\". Probably disk full.");
    EXPECT_EQ(error.code, 256);
    EXPECT_EQ(stream.GetPosition(), 0);
    // A small write sits in the C runtime's buffer; flushing reports the failure.
    stream.Write("x", 1);
    EXPECT_EQ(Raised([&] { stream.Flush(); }).code, 256);
}

TEST(YStdFileStreamTest, EveryOperationOnAClosedStreamRaises) {
    YStdFileStream stream;
    char byte = 0;
    const std::vector<std::function<void()>> calls = {
        [&] { stream.Write(&byte, 1); }, [&] { stream.Read(&byte, 1); },
        [&] { stream.Seek(0, 0); },      [&] { stream.GetPosition(); },
        [&] { stream.Flush(); },         [&] { stream.IsEnd(); },
        [&] { stream.GetSize(); },       [&] { stream.ReadLine(&byte, 1 + 1); },
    };
    for (const auto& call : calls) EXPECT_EQ(Raised(call).message, "File stream is not initialized.");
    stream.Close(); // closing twice is harmless
}

TEST(YStdFileStreamTest, FailedSeeksRaiseAndKeepThePosition) {
    ScratchFolder dir;
    const std::string path = dir.Path("seek.bin");
    WriteFile(path, "abcdef");
    YStdFileStream stream(YString::FromUTF8(path), YStdFileStream::kRead);
    stream.Seek(3, YStream::kFromStart);
    RaisedError error = Raised([&] { stream.Seek(-10, YStream::kFromCurrent); });
    EXPECT_EQ(error.message, "Could not perform file seek.");
    EXPECT_EQ(stream.GetPosition(), 3);
    RaisedError origin = Raised([&] { stream.Seek(0, 9); });
    EXPECT_EQ(origin.message, "Invalid seek origin.");
    EXPECT_EQ(origin.code, 2);
    char c;
    EXPECT_EQ(stream.Read(&c, 1), 1);
    EXPECT_EQ(c, 'd');
}

TEST(YStdFileStreamTest, NonAsciiNamesWork) {
    ScratchFolder dir;
    const std::string path = dir.Path("pr\xC3\xA9r\xC3\xA9glages/\xE5\xA3\xB0.xml");
    {
        YStdFileStream stream(YString::FromUTF8(path), YStdFileStream::kCreate);
        stream.WriteString("ok");
    }
    EXPECT_EQ(ReadFile(path), "ok");
    YStdFileStream reader(YString::FromUTF8(path), YStdFileStream::kRead);
    EXPECT_EQ(reader.GetFileName().ToUTF8(), path);
}
